// SPDX-License-Identifier: MIT
#include "host/render/ExportOptions.h"

#include "host/foundation/HashAccumulator.h"
#include "host/foundation/Serialiser.h"

namespace Render {

using Foundation::FourCC;

namespace {
constexpr uint32_t kIncludeBleedTag = FourCC("bled");
constexpr uint32_t kEmbedICCProfileTag = FourCC("eicc");
constexpr uint32_t kUseRasteriseDpiTag = FourCC("urdp");
constexpr uint32_t kRasteriseDpiTag = FourCC("rdpi");
} // namespace

// --- FileExportOptions ---

const ClassProperties& FileExportOptions::GetTypeSharedClassProperties() {
    static const ClassProperties properties{FourCC("FExO"), 1, nullptr, nullptr, {}};
    return properties;
}

void FileExportOptions::Save(OutSerialiser& out) const {
    out.SaveType(kIncludeBleedTag, includeBleed_);
    out.SaveType(kEmbedICCProfileTag, embedICCProfile_);
}

bool FileExportOptions::Load(const InSerialiser& in, FileStore&, uint32_t) {
    in.LoadType(kIncludeBleedTag, includeBleed_);
    in.LoadType(kEmbedICCProfileTag, embedICCProfile_);
    return true;
}

void FileExportOptions::AccumulateHash(HashAccumulator& hash) const {
    hash.AddToHash(includeBleed_);
    hash.AddToHash(embedICCProfile_);
}

bool FileExportOptions::CompareMembers(const SharedSerialisable& other, CompareContext&) const {
    const auto* o = dynamic_cast<const FileExportOptions*>(&other);
    return o && includeBleed_ == o->includeBleed_ && embedICCProfile_ == o->embedICCProfile_;
}

void FileExportOptions::ApplyChanges(const FileExportOptions& source,
                                     const FileExportOptionsChanges2& changes, bool flag) {
    using Bit = FileExportOptionsChanges2::Bit;
    if (changes.Test(Bit::IncludeBleed) == flag)
        includeBleed_ = source.includeBleed_;
    if (changes.Test(Bit::EmbedICCProfile) == flag)
        embedICCProfile_ = source.embedICCProfile_;
}

// --- FileExportOptionsVector ---

FileExportOptionsVector::FileExportOptionsVector(Preset preset)
    : rasteriseDpi_(GetPresetRasteriseDpi(preset)) {}

double FileExportOptionsVector::GetPresetRasteriseDpi(Preset preset) noexcept {
    switch (preset) {
    case Preset::None:
        return 72.0;
    case Preset::Draft:
        return 96.0;
    case Preset::High:
        return 300.0;
    case Preset::Standard:
    default:
        return 150.0;
    }
}

const ClassProperties& FileExportOptionsVector::GetTypeSharedClassProperties() {
    static const ClassProperties properties{
        FourCC("FExV"), 1, nullptr, &FileExportOptions::GetTypeSharedClassProperties(), {}};
    return properties;
}

void FileExportOptionsVector::Save(OutSerialiser& out) const {
    FileExportOptions::Save(out);
    out.SaveType(kUseRasteriseDpiTag, useRasteriseDpi_);
    out.SaveType(kRasteriseDpiTag, rasteriseDpi_);
}

bool FileExportOptionsVector::Load(const InSerialiser& in, FileStore& store, uint32_t version) {
    FileExportOptions::Load(in, store, version);
    in.LoadType(kUseRasteriseDpiTag, useRasteriseDpi_);
    in.LoadType(kRasteriseDpiTag, rasteriseDpi_);
    return true;
}

void FileExportOptionsVector::AccumulateHash(HashAccumulator& hash) const {
    FileExportOptions::AccumulateHash(hash);
    hash.AddToHash(useRasteriseDpi_);
    hash.AddToHash(rasteriseDpi_);
}

bool FileExportOptionsVector::CompareMembers(const SharedSerialisable& other,
                                             CompareContext& context) const {
    const auto* o = dynamic_cast<const FileExportOptionsVector*>(&other);
    return o && useRasteriseDpi_ == o->useRasteriseDpi_ && rasteriseDpi_ == o->rasteriseDpi_ &&
           FileExportOptions::CompareMembers(other, context);
}

void FileExportOptionsVector::ApplyChanges(const FileExportOptions& source,
                                           const FileExportOptionsChanges2& changes, bool flag) {
    FileExportOptions::ApplyChanges(source, changes, flag);
    const auto* s = dynamic_cast<const FileExportOptionsVector*>(&source);
    if (!s)
        return;
    using Bit = FileExportOptionsChanges2::Bit;
    if (changes.Test(Bit::UseRasteriseDpi) == flag)
        useRasteriseDpi_ = s->useRasteriseDpi_;
    if (changes.Test(Bit::RasteriseDpi) == flag)
        rasteriseDpi_ = s->rasteriseDpi_;
}

} // namespace Render
