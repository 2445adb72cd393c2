// SPDX-License-Identifier: MIT
#include "hostimpl/foundation/SpillBuffer.h"

#include <array>

#include <sys/types.h>

namespace Foundation {

bool SpillBuffer::Append(const void* data, size_t size) {
    if (size == 0)
        return true;
    if (!file_ && memory_.size() + size > memoryLimit_ && !Spill())
        return false;
    if (file_) {
        if (std::fwrite(data, 1, size, file_.get()) != size) {
            // A partial write must not shift what a later append lands after.
            std::clearerr(file_.get());
            ::fseeko(file_.get(), static_cast<off_t>(size_), SEEK_SET);
            return false;
        }
    } else {
        memory_.append(static_cast<const char*>(data), size);
    }
    size_ += size;
    return true;
}

bool SpillBuffer::Spill() {
    std::unique_ptr<std::FILE, FileCloser> file(std::tmpfile());
    if (!file)
        return false;
    if (!memory_.empty() &&
        std::fwrite(memory_.data(), 1, memory_.size(), file.get()) != memory_.size())
        return false;
    file_ = std::move(file);
    std::string().swap(memory_);
    return true;
}

bool SpillBuffer::Replay(const std::function<bool(const void*, size_t)>& sink) {
    if (!file_)
        return memory_.empty() || sink(memory_.data(), memory_.size());
    if (std::fflush(file_.get()) != 0 || ::fseeko(file_.get(), 0, SEEK_SET) != 0)
        return false;
    std::array<char, 64 * 1024> piece;
    uint64_t left = size_;
    while (left > 0) {
        const size_t want = left < piece.size() ? static_cast<size_t>(left) : piece.size();
        const size_t got = std::fread(piece.data(), 1, want, file_.get());
        if (got == 0 || !sink(piece.data(), got))
            return false;
        left -= got;
    }
    // Later appends go after the accepted bytes again.
    return ::fseeko(file_.get(), static_cast<off_t>(size_), SEEK_SET) == 0;
}

void SpillBuffer::Clear() noexcept {
    file_.reset();
    std::string().swap(memory_);
    size_ = 0;
}

} // namespace Foundation
