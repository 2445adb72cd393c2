// SPDX-License-Identifier: MIT
#pragma once
// A folder of the harness's own, made once per fuzzing process and removed at its end, for the
// files the code under test insists on reading or writing by path.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace Fuzz {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "epubfuzz.XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

// One per process: libFuzzer calls the harness from a single thread until it exits.
inline const TempFolder& ProcessFolder() {
    static const TempFolder folder;
    return folder;
}

} // namespace Fuzz
