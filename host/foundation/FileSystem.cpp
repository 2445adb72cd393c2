// SPDX-License-Identifier: MIT
#include "host/foundation/FileSystem.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Foundation {

namespace {

bool IsUsablePath(const StringT& path) {
    return !path.empty() && path.Find('\0') == StringT::npos;
}

std::optional<std::string> ReadWholeFile(const StringT& path) {
    if (!IsUsablePath(path))
        return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> text;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode)) {
        text.emplace();
        char piece[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(fd, piece, sizeof piece);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                text.reset(); // a read error part way
            if (n <= 0)
                break;
            text->append(piece, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    return text;
}

} // namespace

bool FileSystem::Exists(const StringT& path) {
    struct stat info {};
    return IsUsablePath(path) && ::stat(path.c_str(), &info) == 0;
}

std::optional<TimeStamp> FileSystem::GetModifiedTime(const StringT& path) {
    struct stat info {};
    if (!IsUsablePath(path) || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    const int64_t us = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000 +
                       static_cast<int64_t>(info.st_mtim.tv_nsec) / 1000;
    return TimeStamp::FromMicroseconds(us);
}

StringT FileSystem::GetFilename(const StringT& path) {
    const size_t slash = path.view().find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.Substr(slash + 1);
}

std::optional<StringT> FileSystem::LoadTextFile(const StringT& path) {
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes)
        return std::nullopt;
    std::string text = std::move(*bytes);
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.starts_with(bom))
        text.erase(0, bom.size());
    return StringT(std::move(text));
}

} // namespace Foundation
