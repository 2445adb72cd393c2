// SPDX-License-Identifier: MIT
#pragma once
// A text file mapped into memory, read in place. Pages already read can be given back, so a long
// file never needs to be resident all at once.

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace Readers::Markdown {

class MappedText {
public:
    // Throws InputError ("FILE:1:1: cannot read file: reason") when the file cannot be mapped.
    explicit MappedText(const std::filesystem::path& file);
    MappedText(const MappedText&) = delete;
    MappedText& operator=(const MappedText&) = delete;
    ~MappedText();

    std::string_view View() const noexcept { return {data_, size_}; }
    // Gives back the whole pages before `end`, a pointer into View(); they are read again from
    // the file should they be needed.
    void DropBefore(const char* end) const noexcept;

private:
    const char* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace Readers::Markdown
