// SPDX-License-Identifier: MIT
#include "host/foundation/FileStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Foundation {

namespace {

// A caller asking for a gigantic buffer should not take the process down.
constexpr size_t kMaxBufferSize = 64 * 1024 * 1024;
constexpr size_t kDefaultOutBufferSize = 16 * 1024;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(FileDescriptor&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const noexcept { return fd_; }
    // Closing can report a deferred write error (NFS, quota), so it is checked once.
    bool Close() noexcept {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAllAt(int fd, const char* data, size_t size, uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

// The buffer is a window onto the file: [start_, start_ + used_) holds bytes not yet on disk and
// the write position is start_ + pos_. Seeking inside the window costs nothing, which suits the
// zip writer's habit of stepping back a few bytes to patch a header it has just written.
class PosixFileOutStream final : public OutStreamSeekable {
public:
    PosixFileOutStream(FileDescriptor fd, size_t bufferSize)
        : fd_(std::move(fd)), buffer_(std::min(bufferSize, kMaxBufferSize)) {}
    ~PosixFileOutStream() override {
        Flush();
        fd_.Close();
    }

    size_t Write(const void* data, size_t size) override {
        if (failed_)
            return 0;
        const char* bytes = static_cast<const char*>(data);
        size_t done = 0;
        while (done < size) {
            const size_t room = buffer_.size() - pos_;
            const size_t left = size - done;
            if (room == 0 || (pos_ == 0 && left >= buffer_.size())) {
                if (!FlushBuffer())
                    return done;
                if (left >= buffer_.size()) {
                    // Too big to be worth copying: straight to the file.
                    if (!WriteAllAt(fd_.get(), bytes + done, left, start_))
                        return Fail(done);
                    start_ += left;
                    return size;
                }
                continue;
            }
            const size_t n = std::min(room, left);
            std::memcpy(buffer_.data() + pos_, bytes + done, n);
            pos_ += n;
            used_ = std::max(used_, pos_);
            done += n;
        }
        return size;
    }

    bool Flush() override { return !failed_ && FlushBuffer(); }

    uint64_t Tell() const override { return start_ + pos_; }

    bool Seek(uint64_t position) override {
        if (failed_)
            return false;
        if (position >= start_ && position - start_ <= used_) {
            pos_ = static_cast<size_t>(position - start_);
            return true;
        }
        if (!FlushBuffer())
            return false;
        start_ = position;
        return true;
    }

private:
    // Writes the window out and starts a new, empty one at the write position.
    bool FlushBuffer() {
        if (failed_)
            return false;
        if (used_ > 0 && !WriteAllAt(fd_.get(), buffer_.data(), used_, start_)) {
            Fail(0);
            return false;
        }
        start_ += pos_;
        pos_ = used_ = 0;
        return true;
    }

    size_t Fail(size_t written) {
        failed_ = true;
        return written;
    }

    FileDescriptor fd_;
    std::vector<char> buffer_;
    uint64_t start_ = 0;
    size_t pos_ = 0;
    size_t used_ = 0;
    bool failed_ = false;
};

class PosixFileInStream final : public InStreamSeekable {
public:
    PosixFileInStream(FileDescriptor fd, uint64_t size, size_t bufferSize)
        : fd_(std::move(fd)), size_(size),
          buffer_(std::clamp<size_t>(bufferSize, 1, kMaxBufferSize)) {}

    size_t Read(void* data, size_t size) override {
        char* out = static_cast<char*>(data);
        size_t done = 0;
        while (done < size) {
            if (next_ == filled_) {
                // A large read skips the buffer rather than copying through it.
                if (size - done >= buffer_.size())
                    return done + ReadDirect(out + done, size - done);
                if (!Fill())
                    break;
            }
            const size_t n = std::min(filled_ - next_, size - done);
            std::memcpy(out + done, buffer_.data() + next_, n);
            next_ += n;
            done += n;
        }
        return done;
    }

    uint64_t Tell() const override { return bufferStart_ + next_; }
    uint64_t GetSize() const override { return size_; }

    bool Seek(uint64_t position) override {
        if (position > size_)
            return false;
        if (position >= bufferStart_ && position - bufferStart_ <= filled_) {
            next_ = static_cast<size_t>(position - bufferStart_);
            return true;
        }
        bufferStart_ = position;
        next_ = filled_ = 0;
        return true;
    }

private:
    size_t ReadAt(char* data, size_t size, uint64_t offset) {
        for (;;) {
            const ssize_t n = ::pread(fd_.get(), data, size, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR)
                continue;
            return n > 0 ? static_cast<size_t>(n) : 0;
        }
    }

    bool Fill() {
        bufferStart_ += filled_;
        next_ = filled_ = 0;
        filled_ = ReadAt(buffer_.data(), buffer_.size(), bufferStart_);
        return filled_ > 0;
    }

    size_t ReadDirect(char* data, size_t size) {
        bufferStart_ += filled_;
        next_ = filled_ = 0;
        size_t done = 0;
        while (done < size) {
            const size_t n = ReadAt(data + done, size - done, bufferStart_);
            if (n == 0)
                break;
            done += n;
            bufferStart_ += n;
        }
        return done;
    }

    FileDescriptor fd_;
    uint64_t size_;
    std::vector<char> buffer_;
    uint64_t bufferStart_ = 0; // file offset of buffer_[0]
    size_t next_ = 0;
    size_t filled_ = 0;
};

Counted<OutStreamSeekable> CreateOut(const StringT& path, size_t bufferSize) {
    if (path.empty() || path.Find('\0') != StringT::npos)
        return nullptr;
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return nullptr;
    return MakeCounted<PosixFileOutStream>(std::move(fd), bufferSize);
}

} // namespace

Counted<OutStreamSeekable> FastFileOutStream::Create(const StringT& path, size_t bufferSize) {
    return CreateOut(path, bufferSize);
}

Counted<OutStreamSeekable> FileOutStream::Create(const StringT& path) {
    return CreateOut(path, kDefaultOutBufferSize);
}

Counted<InStreamSeekable> FastFileInStream::Open(const StringT& path, size_t bufferSize) {
    if (path.empty() || path.Find('\0') != StringT::npos)
        return nullptr;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return nullptr;
    struct stat info {};
    // A directory opens for reading but has no bytes to give.
    if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode))
        return nullptr;
    const uint64_t size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    return MakeCounted<PosixFileInStream>(std::move(fd), size, bufferSize);
}

} // namespace Foundation
