// SPDX-License-Identifier: MIT
#pragma once
// A library opened at run time. For dependencies few documents need (SVG drawing, TIFF and BMP
// reading): linked, they and everything they pull in would load into every run and stay
// resident, about 5 MB.

#include <string>

namespace Foundation {

// Once opened, a library stays loaded: what was found in it stays valid after this object goes.
class SharedLibrary {
public:
    // Not open, with Error() saying why, when the library or one of its own dependencies
    // cannot be loaded.
    explicit SharedLibrary(const char* soname);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool IsOpen() const noexcept { return handle_ != nullptr; }
    const std::string& Error() const noexcept { return error_; }

    // `name` as a function of type `Function` (a pointer type), looked up in the library and
    // the libraries it depends on; null, with Error() set, when there is none.
    template <class Function> Function Find(const char* name) {
        return reinterpret_cast<Function>(FindAddress(name));
    }
    template <class Function> void Bind(Function& function, const char* name) {
        function = Find<Function>(name);
    }

private:
    void* FindAddress(const char* name);

    void* handle_ = nullptr;
    std::string soname_;
    std::string error_;
};

// A table of functions from one library: `Functions` derives from this, names its library in
// `kSoname` and fills its members in `Bind(SharedLibrary&)`.
struct LibraryFunctions {
    std::string error; // why the functions are missing

    bool IsLoaded() const noexcept { return error.empty(); }
};

// The table, filled on first use and kept for the life of the process.
template <class Functions> const Functions& LoadOnce() {
    static const Functions functions = [] {
        SharedLibrary library(Functions::kSoname);
        Functions loaded;
        loaded.Bind(library);
        loaded.error = library.Error();
        return loaded;
    }();
    return functions;
}

} // namespace Foundation
