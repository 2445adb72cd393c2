// SPDX-License-Identifier: MIT
#include "cli/OutputFile.h"

#include "cli/InterruptCleanup.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Cli {

namespace fs = std::filesystem;

namespace {

// A regular file's window is written out once it grows this large.
constexpr size_t kWindowLimit = 1 << 20;

std::string SystemError(int error) {
    return std::strerror(error);
}

bool WriteAll(int fd, const char* data, size_t size, bool seekable, uint64_t offset, int& error) {
    while (size > 0) {
        const ssize_t n = seekable ? ::pwrite(fd, data, size, static_cast<off_t>(offset))
                                   : ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

} // namespace

DescriptorStream::DescriptorStream(int fd, bool owned, bool seekable)
    : fd_(fd), owned_(owned), seekable_(seekable) {}

DescriptorStream::~DescriptorStream() {
    Finish(false);
}

bool DescriptorStream::Fail(int error) {
    if (error_.empty())
        error_ = SystemError(error);
    return false;
}

size_t DescriptorStream::Write(const void* data, size_t size) {
    if (!error_.empty() || fd_ < 0)
        return 0;
    const char* bytes = static_cast<const char*>(data);
    const size_t overlap = std::min(size, window_.size() - pos_);
    window_.replace(pos_, overlap, bytes, overlap);
    window_.append(bytes + overlap, size - overlap);
    pos_ += size;
    if (seekable_ && pos_ == window_.size() && window_.size() >= kWindowLimit && !WriteOut())
        return 0;
    return size;
}

bool DescriptorStream::WriteOut() {
    int error = 0;
    if (!WriteAll(fd_, window_.data(), window_.size(), seekable_, base_, error))
        return Fail(error);
    base_ += window_.size();
    pos_ = 0;
    window_.clear();
    return true;
}

bool DescriptorStream::Seek(uint64_t position) {
    if (!error_.empty())
        return false;
    const uint64_t end = base_ + window_.size();
    if (position >= base_ && position < end) {
        pos_ = static_cast<size_t>(position - base_);
        return true;
    }
    // Back at the end: whatever came before is final.
    if (position == end) {
        pos_ = window_.size();
        return WriteOut();
    }
    if (!seekable_)
        return Fail(ESPIPE);
    if (!WriteOut())
        return false;
    base_ = position;
    return true;
}

bool DescriptorStream::Flush() {
    return error_.empty() && fd_ >= 0 && WriteOut();
}

bool DescriptorStream::Finish(bool sync) {
    if (fd_ < 0)
        return error_.empty();
    bool ok = Flush();
    if (ok && sync && seekable_ && ::fsync(fd_) != 0)
        ok = Fail(errno);
    if (owned_ && ::close(fd_) != 0 && ok)
        ok = Fail(errno);
    fd_ = -1;
    return ok && error_.empty();
}

bool SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

fs::path OutputFile::Resolve(const fs::path& target) {
    fs::path path = target;
    std::error_code error;
    // A bounded walk: a symlink loop ends with one of its links, which stat then reports.
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

OutputFile::OutputFile(const fs::path& target) : target_(target) {
    if (target == "-") {
        stream_ = Foundation::MakeCounted<DescriptorStream>(STDOUT_FILENO, false, false);
        return;
    }
    resolved_ = Resolve(target);
    struct stat info {};
    const bool exists = ::stat(resolved_.c_str(), &info) == 0;
    // Only a missing file is made anew: a symlink loop would otherwise be broken by the rename.
    if (!exists && errno != ENOENT)
        throw OutputError(Describe() + ": " + SystemError(errno));
    if (exists && S_ISDIR(info.st_mode))
        throw OutputError(Describe() + ": it is a folder");
    if (exists && !S_ISREG(info.st_mode)) {
        // A FIFO or a device: written where it is, as it is.
        const int fd = ::open(resolved_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            throw OutputError(Describe() + ": " + SystemError(errno));
        stream_ = Foundation::MakeCounted<DescriptorStream>(fd, true, false);
        return;
    }
    temp_ = resolved_.parent_path() /
            ("." + resolved_.filename().string() + "." + std::to_string(::getpid()) + ".tmp");
    TemporaryFiles::Add(temp_);
    const int fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        TemporaryFiles::Forget(temp_);
        temp_.clear();
        throw OutputError(Describe() + ": " + SystemError(error));
    }
    // The file that is replaced keeps its permissions.
    if (exists)
        ::fchmod(fd, info.st_mode & 07777);
    stream_ = Foundation::MakeCounted<DescriptorStream>(fd, true, true);
}

OutputFile::~OutputFile() {
    stream_.Reset();
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        TemporaryFiles::Forget(temp_);
    }
}

std::string OutputFile::Describe() const {
    std::string text = "cannot write \"" + target_.string() + "\"";
    if (!resolved_.empty() && resolved_ != target_)
        text += " (\"" + resolved_.string() + "\")";
    return text;
}

void OutputFile::Commit() {
    if (!stream_->Finish(true))
        throw OutputError(Describe() + ": " + stream_->Error());
    if (temp_.empty())
        return;
    {
        const auto hold = TemporaryFiles::Hold();
        if (::rename(temp_.c_str(), resolved_.c_str()) != 0)
            throw OutputError(Describe() + ": " + SystemError(errno));
        TemporaryFiles::Forget(temp_);
        temp_.clear();
    }
    if (!SyncFolder(resolved_.parent_path()))
        throw OutputError(Describe() + ": the folder could not be synced: " + SystemError(errno));
}

} // namespace Cli
