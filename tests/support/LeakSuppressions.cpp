// SPDX-License-Identifier: MIT
// fontconfig leaks a few bytes while parsing its configuration files, once per process; that is
// the system library's, not ours, and would fail every sanitizer run that looks a font up.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
