// SPDX-License-Identifier: MIT
#include "epub/options/FileExportOptions.h"

#include "host/foundation/HashAccumulator.h"
#include "host/foundation/Serialiser.h"

namespace EPub {

using Foundation::FourCC;
using Foundation::MakeCounted;

namespace {

constexpr uint32_t kCoverPageTag = FourCC("page");
constexpr uint32_t kCoverPageNumTag = FourCC("pgno");
constexpr uint32_t kCoverPageFileTag = FourCC("pgfi");
constexpr uint32_t kPageDPITag = FourCC("pdpi");
constexpr uint32_t kTextDPITag = FourCC("tdpi");

// Both zeros hash alike, as they compare equal.
void AddResolution(HashAccumulator& hash, double dpi) {
    if (dpi == 0.0)
        hash.AddToHash(uint32_t{0});
    else
        hash.AddToHash(dpi);
}

} // namespace

CoverPageEnumSerialiser::CoverPageEnumSerialiser() {
    constexpr int32_t values[] = {0, 1, 2};
    RegisterEnumSet(values, std::size(values));
}

const CoverPageEnumSerialiser& CoverPageEnumSerialiser::GetInstance() {
    static const CoverPageEnumSerialiser instance;
    return instance;
}

// Without a preset there is no page scaling.
FileExportOptions::FileExportOptions(Preset preset)
    : FileExportOptionsVector(preset), pageDPI_(preset == Preset::None ? 0.0 : 72.0) {}

Counted<FileExportOptions> FileExportOptions::CreateObject() {
    return MakeCounted<FileExportOptions>(Preset::Standard);
}

const ClassProperties& FileExportOptions::GetTypeSharedClassProperties() {
    static const ClassProperties properties{
        FourCC("EOEP"),
        1,
        []() -> Counted<Foundation::Serialisable> { return CreateObject(); },
        &FileExportOptionsVector::GetTypeSharedClassProperties(),
        {}};
    return properties;
}

const ClassProperties& FileExportOptions::GetObjectSharedClassProperties() const {
    return GetTypeSharedClassProperties();
}

namespace {
const Foundation::ClassRegistration registration(FileExportOptions::GetTypeSharedClassProperties());
}

void FileExportOptions::Save(OutSerialiser& out) const {
    FileExportOptionsVector::Save(out);
    out.SaveEnumI(kCoverPageTag, coverPage_, CoverPageEnumSerialiser::GetInstance());
    out.SaveType(kCoverPageNumTag, coverPageNum_);
    out.SaveObject(kCoverPageFileTag, coverPageFile_);
    out.SaveType(kPageDPITag, pageDPI_);
    out.SaveType(kTextDPITag, textDPI_);
}

bool FileExportOptions::Load(const InSerialiser& in, FileStore& store, uint32_t version) {
    FileExportOptionsVector::Load(in, store, version);
    in.LoadEnumI(kCoverPageTag, coverPage_, CoverPageEnumSerialiser::GetInstance());
    in.LoadType(kCoverPageNumTag, coverPageNum_);
    in.LoadObjectI(kCoverPageFileTag, coverPageFile_, store);
    in.LoadType(kPageDPITag, pageDPI_);
    in.LoadType(kTextDPITag, textDPI_);
    return true;
}

void FileExportOptions::AccumulateHash(HashAccumulator& hash) const {
    hash.AddToHash(static_cast<int32_t>(coverPage_));
    hash.AddToHash(coverPageNum_);
    if (coverPageFile_)
        coverPageFile_->AccumulateHash(hash);
    AddResolution(hash, pageDPI_);
    AddResolution(hash, textDPI_);
    FileExportOptionsVector::AccumulateHash(hash);
}

bool FileExportOptions::CompareMembers(const SharedSerialisable& other,
                                       CompareContext& context) const {
    const auto* o = dynamic_cast<const FileExportOptions*>(&other);
    return o && coverPage_ == o->coverPage_ && coverPageNum_ == o->coverPageNum_ &&
           pageDPI_ == o->pageDPI_ && textDPI_ == o->textDPI_ &&
           FileExportOptionsVector::CompareMembers(other, context);
}

Counted<Render::FileExportOptions> FileExportOptions::Clone() const {
    Counted<FileExportOptions> copy = MakeCounted<FileExportOptions>(Preset::Standard);
    *copy = *this;
    return copy;
}

Render::ExportFileType FileExportOptions::GetExportFileType() const {
    return Render::ExportFileType::EPub;
}

StringT FileExportOptions::GetFileTypeAsString() const {
    return "epub";
}

StringT FileExportOptions::GetDisplayString() const {
    return "EPUB";
}

StringT FileExportOptions::GetUID() const {
    return "com.corvo.quorvane.epub.export";
}

void FileExportOptions::ApplyChanges(const Render::FileExportOptions& source,
                                     const Changes& changes, bool flag) {
    FileExportOptionsVector::ApplyChanges(source, changes, flag);
    const auto* s = dynamic_cast<const FileExportOptions*>(&source);
    if (!s)
        return;
    if (changes.Test(kCoverPageBit) == flag)
        coverPage_ = s->coverPage_;
    if (changes.Test(kCoverPageNumBit) == flag)
        coverPageNum_ = s->coverPageNum_;
    if (changes.Test(kCoverPageFileBit) == flag)
        SetCoverPageFile(s->coverPageFile_);
    if (changes.Test(kPageDPIBit) == flag)
        pageDPI_ = s->pageDPI_;
    if (changes.Test(kTextDPIBit) == flag)
        textDPI_ = s->textDPI_;
}

} // namespace EPub
