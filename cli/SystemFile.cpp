// SPDX-License-Identifier: MIT
#include "cli/SystemFile.h"

#include "readers/common/ReaderDocument.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Cli {

namespace {

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) noexcept : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const noexcept { return fd_; }

private:
    int fd_;
};

[[noreturn]] void Fail(const std::filesystem::path& file, int error) {
    if (error == EISDIR)
        throw Readers::InputError("\"" + file.string() + "\" is a folder, not a file");
    throw Readers::InputError("cannot read \"" + file.string() + "\": " + std::strerror(error));
}

int Open(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Fail(file, errno);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        Fail(file, EISDIR);
    }
    return fd;
}

} // namespace

void CheckReadable(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        Fail(file, errno);
    if (S_ISDIR(info.st_mode))
        Fail(file, EISDIR);
    // Opening a FIFO would take data from its writer; asking is enough.
    if (!S_ISREG(info.st_mode)) {
        if (::access(file.c_str(), R_OK) != 0)
            Fail(file, errno);
        return;
    }
    const Descriptor fd(Open(file));
}

std::string ReadSystemFile(const std::filesystem::path& file) {
    const Descriptor fd(Open(file));
    std::string data;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail(file, errno);
        if (n == 0)
            return data;
        data.append(buffer, static_cast<size_t>(n));
    }
}

} // namespace Cli
