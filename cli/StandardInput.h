// SPDX-License-Identifier: MIT
#pragma once
// Standard input as a file: copied into a private temporary folder (mode 0700) so that every
// reader, which maps or unzips its input, reads a file. The copy goes with the object, and with
// an interruption.

#include <filesystem>

namespace Cli {

class SpooledInput {
public:
    // Copies all of standard input. Throws InputError when it cannot be read or stored.
    SpooledInput();
    ~SpooledInput();
    SpooledInput(const SpooledInput&) = delete;
    SpooledInput& operator=(const SpooledInput&) = delete;

    const std::filesystem::path& File() const noexcept { return file_; }

private:
    void Remove() noexcept;

    std::filesystem::path folder_;
    std::filesystem::path file_;
};

// How messages name standard input.
inline constexpr const char* kStandardInputName = "<stdin>";

} // namespace Cli
