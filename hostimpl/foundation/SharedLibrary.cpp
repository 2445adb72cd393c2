// SPDX-License-Identifier: MIT
#include "hostimpl/foundation/SharedLibrary.h"

#include <dlfcn.h>

namespace Foundation {

namespace {

std::string LastError() {
    const char* message = ::dlerror();
    return message ? message : "unknown error";
}

} // namespace

SharedLibrary::SharedLibrary(const char* soname) : soname_(soname) {
    // Local: the library's symbols must not take the place of ones the program already has.
    // Never unloaded: libraries that register GObject types cannot be.
    handle_ = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle_)
        error_ = "cannot load " + soname_ + ": " + LastError();
}

SharedLibrary::~SharedLibrary() {
    if (handle_)
        ::dlclose(handle_);
}

void* SharedLibrary::FindAddress(const char* name) {
    if (!handle_)
        return nullptr;
    ::dlerror();
    void* address = ::dlsym(handle_, name);
    if (!address && error_.empty())
        error_ = soname_ + " has no function " + name + ": " + LastError();
    return address;
}

} // namespace Foundation
