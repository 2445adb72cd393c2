// SPDX-License-Identifier: MIT
#pragma once
// Byte streams. Every document, style sheet, image and font is written to an OutStream.

#include "host/foundation/Counted.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace Foundation {

class OutStream : public virtual Countable {
public:
    // Appends up to `size` bytes in call order; returns how many were written. Fewer than asked
    // means the stream has failed and will write nothing more.
    virtual size_t Write(const void* data, size_t size) = 0;
    virtual bool Flush() { return true; }

    bool Write(std::string_view text) { return Write(text.data(), text.size()) == text.size(); }
    OutStream& operator<<(std::string_view text) {
        Write(text);
        return *this;
    }
};

class OutStreamSeekable : public OutStream {
public:
    virtual uint64_t Tell() const = 0;
    virtual bool Seek(uint64_t position) = 0;
};

class InStream : public virtual Countable {
public:
    // Reads up to `size` bytes; returns how many were read (0 at the end or on failure).
    virtual size_t Read(void* data, size_t size) = 0;
    virtual uint64_t Tell() const = 0;
    virtual uint64_t GetSize() const = 0;
};

class InStreamSeekable : public InStream {
public:
    virtual bool Seek(uint64_t position) = 0;
    bool Rewind() { return Seek(0); }
};

// Copies what remains of `in` to `out`; false when either side fails before the end.
bool CopyStream(InStream& in, OutStream& out);
// Reads what remains of `in`.
std::string ReadAll(InStream& in);

// Growable in-memory output: the note and style buffers of the exporter.
class MemoryOutStream final : public OutStreamSeekable {
public:
    size_t Write(const void* data, size_t size) override;
    uint64_t Tell() const override { return position_; }
    bool Seek(uint64_t position) override;

    const std::string& Data() const noexcept { return data_; }
    std::string TakeData() noexcept;
    bool CopyToStream(OutStream& out) const { return out.Write(data_); }

private:
    std::string data_;
    size_t position_ = 0;
};

// Reads a byte buffer that it owns.
class MemoryInStream final : public InStreamSeekable {
public:
    explicit MemoryInStream(std::string data) : data_(std::move(data)) {}
    size_t Read(void* data, size_t size) override;
    uint64_t Tell() const override { return position_; }
    uint64_t GetSize() const override { return data_.size(); }
    bool Seek(uint64_t position) override;

private:
    std::string data_;
    size_t position_ = 0;
};

} // namespace Foundation
