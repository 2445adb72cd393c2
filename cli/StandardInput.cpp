// SPDX-License-Identifier: MIT
#include "cli/StandardInput.h"

#include "cli/InterruptCleanup.h"
#include "readers/common/ReaderDocument.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace Cli {

namespace fs = std::filesystem;

namespace {

std::string Reason() {
    return std::strerror(errno);
}

// Writes all of `size` bytes, through interruptions and short writes.
bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

fs::path MakeFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/epubexport-XXXXXX";
    // Registered before it exists, as the cleanup asks; the name is known only once made.
    const auto hold = TemporaryFiles::Hold();
    if (!::mkdtemp(pattern.data()))
        throw Readers::InputError("cannot store standard input: " + Reason());
    TemporaryFiles::Add(pattern);
    return pattern;
}

} // namespace

SpooledInput::SpooledInput() : folder_(MakeFolder()), file_(folder_ / "stdin") {
    try {
        TemporaryFiles::Add(file_);
        const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            throw Readers::InputError("cannot store standard input: " + Reason());
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                const std::string reason = Reason();
                ::close(fd);
                throw Readers::InputError("cannot read standard input: " + reason);
            }
            if (n == 0)
                break;
            if (!WriteAll(fd, buffer, static_cast<size_t>(n))) {
                const std::string reason = Reason();
                ::close(fd);
                throw Readers::InputError("cannot store standard input: " + reason);
            }
        }
        if (::close(fd) != 0)
            throw Readers::InputError("cannot store standard input: " + Reason());
    } catch (...) {
        Remove();
        throw;
    }
}

SpooledInput::~SpooledInput() {
    Remove();
}

void SpooledInput::Remove() noexcept {
    std::error_code ignored;
    fs::remove(file_, ignored);
    TemporaryFiles::Forget(file_);
    fs::remove(folder_, ignored);
    TemporaryFiles::Forget(folder_);
}

} // namespace Cli
