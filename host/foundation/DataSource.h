// SPDX-License-Identifier: MIT
#pragma once
// Readable resources that documents refer to (linked style sheets, cover images): where they
// are, whether they are still there and unchanged, and their bytes.

#include "host/foundation/ClassRegistry.h"
#include "host/foundation/Serialisable.h"
#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"
#include "host/foundation/TimeStamp.h"

#include <optional>

namespace Foundation {

class DataSource : public Serialisable {
public:
    // The path as shown to the user.
    virtual StringT GetDisplayPath() const = 0;
    virtual StringT GetFilename() const = 0;
    // The path for file-system calls; empty when the resource is not a file.
    virtual StringT GetFileSystemRepresentation() const = 0;
    virtual std::optional<TimeStamp> GetModifiedTime() const = 0;
    virtual bool Exists() const = 0;
    // The resource is held by the host itself (for example embedded in its document) rather
    // than read from a file.
    virtual bool IsHostResource() const { return false; }
    // For a host resource: the host's copy changed since the resource was taken.
    virtual bool IsHostResourceModified() const { return false; }
    // Null when the resource cannot be read.
    virtual Counted<InStreamSeekable> Open() const = 0;
    // What identifies the resource, for the hash of an object that refers to it.
    virtual void AccumulateHash(HashAccumulator& hash) const = 0;
};

// A file on disk, by path.
class FileDataSource final : public DataSource {
public:
    FileDataSource() = default;
    explicit FileDataSource(StringT path) : path_(std::move(path)) {}

    static Counted<Serialisable> CreateObject();
    static const ClassProperties& GetTypeSharedClassProperties();

    const StringT& GetPath() const noexcept { return path_; }

    StringT GetDisplayPath() const override { return path_; }
    StringT GetFilename() const override;
    StringT GetFileSystemRepresentation() const override { return path_; }
    std::optional<TimeStamp> GetModifiedTime() const override;
    bool Exists() const override;
    Counted<InStreamSeekable> Open() const override;
    void AccumulateHash(HashAccumulator& hash) const override;

    void Save(OutSerialiser& out) const override;
    // A relative stored path is taken relative to the store's base folder.
    bool Load(const InSerialiser& in, FileStore& store, uint32_t version) override;
    const ClassProperties& GetObjectSharedClassProperties() const override;

private:
    StringT path_;
};

} // namespace Foundation
