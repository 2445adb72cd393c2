// SPDX-License-Identifier: MIT
#pragma once
// A regular file's text, mapped rather than copied: the pages the parser has passed can go back
// to the system, and come back from the file should a reader or an error message need them.
//
// A file truncated while mapped would kill the process with SIGBUS on the next page read past
// its new end. Such a page reads as zeros instead, and Changed() tells the reader, which then
// refuses the input rather than trust what it read.

#include <filesystem>
#include <string_view>

#include <sys/stat.h>

namespace Cli {

class MappedInput {
public:
    // Not Mapped() when `file` is not a regular, non-empty, readable file.
    explicit MappedInput(const std::filesystem::path& file);
    ~MappedInput();
    MappedInput(const MappedInput&) = delete;
    MappedInput& operator=(const MappedInput&) = delete;

    bool Mapped() const noexcept { return data_ != nullptr; }
    std::string_view View() const noexcept { return {data_, size_}; }

    // Whether the file was truncated, rewritten or touched since it was mapped: what was read
    // may then be a mixture of two versions.
    bool Changed() const noexcept;

    // Gives back the pages before `offset`, less a margin the parser may look back into.
    void DropBefore(size_t offset) noexcept;
    // Gives back the pages that [begin, end) touches; a neighbour that still needs one of them
    // reads it back.
    void Drop(size_t begin, size_t end) noexcept;

private:
    const char* data_ = nullptr;
    size_t size_ = 0;
    int fd_ = -1; // kept open to see the file change under us
    struct stat opened_ {};
    int slot_ = -1; // in the fault table; -1 when unprotected
};

} // namespace Cli
