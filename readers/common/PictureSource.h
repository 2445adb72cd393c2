// SPDX-License-Identifier: MIT
#pragma once
// A picture held in memory (inflated from the package), handed to the exporter like a file.

#include "host/foundation/DataSource.h"

#include <memory>
#include <string>

namespace Readers {

class PictureSource final : public Foundation::DataSource {
public:
    PictureSource(std::string name, std::shared_ptr<const std::string> data)
        : name_(std::move(name)), data_(std::move(data)) {}

    const std::string& Data() const noexcept { return *data_; }

    Foundation::StringT GetDisplayPath() const override { return Foundation::StringT(name_); }
    Foundation::StringT GetFilename() const override;
    Foundation::StringT GetFileSystemRepresentation() const override { return {}; }
    std::optional<Foundation::TimeStamp> GetModifiedTime() const override { return {}; }
    bool Exists() const override { return true; }
    bool IsHostResource() const override { return true; }
    Foundation::Counted<Foundation::InStreamSeekable> Open() const override;
    void AccumulateHash(Foundation::HashAccumulator& hash) const override;
    void Save(Foundation::OutSerialiser&) const override {}
    bool Load(const Foundation::InSerialiser&, Foundation::FileStore&, uint32_t) override {
        return false;
    }
    const Foundation::ClassProperties& GetObjectSharedClassProperties() const override {
        return Foundation::FileDataSource::GetTypeSharedClassProperties();
    }

private:
    std::string name_; // the part name
    std::shared_ptr<const std::string> data_;
};

} // namespace Readers
