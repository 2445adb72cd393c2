// SPDX-License-Identifier: MIT
#include "host/foundation/DataSource.h"

#include "host/foundation/FileStore.h"
#include "host/foundation/FileSystem.h"
#include "host/foundation/HashAccumulator.h"
#include "host/foundation/Serialiser.h"

#include <cstdio>
#include <memory>

#include <sys/stat.h>

namespace Foundation {

namespace {

constexpr uint32_t kPathTag = FourCC("path");

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Reads through stdio, which does the buffering; the size is taken once at opening, as a
// resource is not expected to change while it is read.
class FileInStream final : public InStreamSeekable {
public:
    FileInStream(FilePtr file, uint64_t size) : file_(std::move(file)), size_(size) {}

    size_t Read(void* data, size_t size) override {
        const size_t n = std::fread(data, 1, size, file_.get());
        position_ += n;
        return n;
    }
    uint64_t Tell() const override { return position_; }
    uint64_t GetSize() const override { return size_; }
    bool Seek(uint64_t position) override {
        if (position > size_ || ::fseeko(file_.get(), static_cast<off_t>(position), SEEK_SET) != 0)
            return false;
        position_ = position;
        return true;
    }

private:
    FilePtr file_;
    uint64_t size_;
    uint64_t position_ = 0;
};

} // namespace

Counted<Serialisable> FileDataSource::CreateObject() {
    return MakeCounted<FileDataSource>();
}

const ClassProperties& FileDataSource::GetTypeSharedClassProperties() {
    static const ClassProperties properties{FourCC("FDAT"), 1, &CreateObject, nullptr, {}};
    return properties;
}

const ClassProperties& FileDataSource::GetObjectSharedClassProperties() const {
    return GetTypeSharedClassProperties();
}

namespace {
const ClassRegistration registration(FileDataSource::GetTypeSharedClassProperties());
}

StringT FileDataSource::GetFilename() const {
    return FileSystem::GetFilename(path_);
}

std::optional<TimeStamp> FileDataSource::GetModifiedTime() const {
    return FileSystem::GetModifiedTime(path_);
}

bool FileDataSource::Exists() const {
    return FileSystem::Exists(path_);
}

Counted<InStreamSeekable> FileDataSource::Open() const {
    if (path_.empty() || path_.Find('\0') != StringT::npos)
        return nullptr;
    FilePtr file(std::fopen(path_.c_str(), "rb"));
    if (!file)
        return nullptr;
    struct stat info {};
    if (::fstat(::fileno(file.get()), &info) != 0 || S_ISDIR(info.st_mode))
        return nullptr;
    return MakeCounted<FileInStream>(std::move(file), static_cast<uint64_t>(info.st_size));
}

void FileDataSource::AccumulateHash(HashAccumulator& hash) const {
    hash.AddToHash(path_);
}

void FileDataSource::Save(OutSerialiser& out) const {
    out.SaveType(kPathTag, path_);
}

bool FileDataSource::Load(const InSerialiser& in, FileStore& store, uint32_t) {
    StringT path;
    if (in.LoadType(kPathTag, path))
        path_ = store.Resolve(path);
    return true;
}

} // namespace Foundation
