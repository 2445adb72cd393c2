// SPDX-License-Identifier: MIT
#include "host/foundation/Stream.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Foundation {

bool CopyStream(InStream& in, OutStream& out) {
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const size_t n = in.Read(buffer.data(), buffer.size());
        if (n == 0)
            return in.Tell() >= in.GetSize();
        if (out.Write(buffer.data(), n) != n)
            return false;
    }
}

std::string ReadAll(InStream& in) {
    std::string out;
    const uint64_t size = in.GetSize();
    const uint64_t at = in.Tell();
    if (size > at)
        out.reserve(static_cast<size_t>(size - at));
    std::array<char, 64 * 1024> buffer;
    for (size_t n; (n = in.Read(buffer.data(), buffer.size())) != 0;)
        out.append(buffer.data(), n);
    return out;
}

size_t MemoryOutStream::Write(const void* data, size_t size) {
    if (size == 0)
        return 0;
    if (position_ == data_.size()) {
        data_.append(static_cast<const char*>(data), size);
    } else {
        if (position_ + size > data_.size())
            data_.resize(position_ + size);
        std::memcpy(data_.data() + position_, data, size);
    }
    position_ += size;
    return size;
}

bool MemoryOutStream::Seek(uint64_t position) {
    if (position > data_.size())
        data_.resize(static_cast<size_t>(position));
    position_ = static_cast<size_t>(position);
    return true;
}

std::string MemoryOutStream::TakeData() noexcept {
    position_ = 0;
    return std::exchange(data_, {});
}

size_t MemoryInStream::Read(void* data, size_t size) {
    const size_t n = std::min(size, data_.size() - position_);
    if (n)
        std::memcpy(data, data_.data() + position_, n);
    position_ += n;
    return n;
}

bool MemoryInStream::Seek(uint64_t position) {
    if (position > data_.size())
        return false;
    position_ = static_cast<size_t>(position);
    return true;
}

} // namespace Foundation
