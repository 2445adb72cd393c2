// SPDX-License-Identifier: MIT
#pragma once
// Bytes held back until they can be written in order: kept in memory while small, moved to an
// anonymous temporary file once they pass a limit, so a large entry waiting behind an open one
// does not pin its whole size in memory.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Foundation {

class SpillBuffer {
public:
    explicit SpillBuffer(size_t memoryLimit) : memoryLimit_(memoryLimit) {}

    // False when the temporary file cannot be created or written; the buffer then keeps what it
    // held before the call.
    bool Append(const void* data, size_t size);
    uint64_t size() const noexcept { return size_; }
    bool IsSpilled() const noexcept { return file_ != nullptr; }
    // The bytes while they are still in memory.
    std::string_view Memory() const noexcept { return memory_; }

    // Hands the bytes to `sink` in order, in pieces; stops and answers false when the sink does
    // or the temporary file cannot be read back.
    bool Replay(const std::function<bool(const void*, size_t)>& sink);
    // Frees the memory and the temporary file.
    void Clear() noexcept;

private:
    struct FileCloser {
        void operator()(std::FILE* f) const noexcept { std::fclose(f); }
    };

    bool Spill();

    size_t memoryLimit_;
    std::string memory_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    uint64_t size_ = 0;
};

} // namespace Foundation
