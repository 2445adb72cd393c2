// SPDX-License-Identifier: MIT
#pragma once
// Where an export's bytes go. A regular file (or a new one) is written to a hidden temporary file
// beside it, made durable and renamed over it only when the export succeeded; a symlink is
// followed, so its target is replaced and the link stays. "-" (standard output) and files that are
// not regular (a FIFO, a character device) are written in place, as a stream, with no temporary
// file.

#include "host/foundation/Stream.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace Cli {

class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file descriptor as a stream. It keeps a window of recent bytes in memory so the zip writer can
// step back to patch a header; on a pipe, bytes leave the window only when the writer has moved
// back to the end, so nothing already sent is ever patched.
class DescriptorStream final : public Foundation::OutStreamSeekable {
public:
    // `owned`: the stream closes `fd` when done.
    DescriptorStream(int fd, bool owned, bool seekable);
    ~DescriptorStream() override;
    DescriptorStream(const DescriptorStream&) = delete;
    DescriptorStream& operator=(const DescriptorStream&) = delete;

    size_t Write(const void* data, size_t size) override;
    bool Flush() override;
    uint64_t Tell() const override { return base_ + pos_; }
    bool Seek(uint64_t position) override;

    // Flushes, syncs a regular file to disk and closes an owned descriptor; false on any error.
    bool Finish(bool sync);
    // The system error of the first failure, empty when there was none.
    const std::string& Error() const noexcept { return error_; }

private:
    bool WriteOut();
    bool Fail(int error);

    int fd_;
    bool owned_;
    bool seekable_;
    std::string window_;
    uint64_t base_ = 0; // file offset of window_[0]
    size_t pos_ = 0;    // write position inside the window
    std::string error_;
};

class OutputFile {
public:
    // Resolves `target` ("-" for standard output) and opens what is written to; throws
    // OutputError naming the target and the system error.
    explicit OutputFile(const std::filesystem::path& target);
    // Removes the temporary file unless Commit got to rename it.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    Foundation::Counted<Foundation::OutStreamSeekable> Stream() const { return stream_; }
    // Call once the stream has been released by its writer: makes the output durable and puts it
    // in place. Throws OutputError.
    void Commit();
    // Why the stream failed, for messages; empty when it did not.
    std::string StreamError() const { return stream_ ? stream_->Error() : std::string(); }

    // The path a target resolves to through symlinks.
    static std::filesystem::path Resolve(const std::filesystem::path& target);

private:
    std::string Describe() const;

    std::filesystem::path target_;   // as given
    std::filesystem::path resolved_; // through symlinks
    std::filesystem::path temp_;     // empty when writing in place
    Foundation::Counted<DescriptorStream> stream_;
};

// Makes the renames in `folder` durable; false with errno set when that failed.
bool SyncFolder(const std::filesystem::path& folder);

} // namespace Cli
