// SPDX-License-Identifier: MIT
// fontconfig leaks a few bytes while parsing its configuration files, once per process, and
// libhyphen the replacement strings of a dictionary's non-standard patterns; those are the system
// libraries', not ours, and would fail every sanitizer run that looks a font up or hyphenates.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libhyphen.so\n";
}
