// SPDX-License-Identifier: MIT
#include "readers/markdown/MappedText.h"

#include "readers/common/ReaderDocument.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace Readers::Markdown {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const noexcept { return fd_; }

private:
    int fd_;
};

} // namespace

MappedText::MappedText(const std::filesystem::path& file) {
    const auto fail = [&](int error) {
        throw InputError(file.string() + ":1:1: cannot read file: " + std::strerror(error));
    };
    const Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        fail(errno);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        fail(errno);
    if (!S_ISREG(info.st_mode))
        throw InputError(file.string() + ":1:1: not a regular file");
    size_ = static_cast<size_t>(info.st_size);
    if (size_ == 0)
        return;
    void* data = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd.Get(), 0);
    if (data == MAP_FAILED)
        fail(errno);
    data_ = static_cast<const char*>(data);
}

MappedText::~MappedText() {
    if (data_)
        ::munmap(const_cast<char*>(data_), size_);
}

void MappedText::DropBefore(const char* end) const noexcept {
    if (!data_ || end <= data_)
        return;
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t length = static_cast<size_t>(end - data_) / page * page;
    if (length > 0)
        ::madvise(const_cast<char*>(data_), std::min(length, size_), MADV_DONTNEED);
}

} // namespace Readers::Markdown
