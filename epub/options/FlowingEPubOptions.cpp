// SPDX-License-Identifier: MIT
#include "epub/options/FlowingEPubOptions.h"

#include "host/foundation/HashAccumulator.h"
#include "host/foundation/Serialiser.h"

namespace EPub {

using Foundation::FourCC;
using Foundation::MakeCounted;

namespace {

constexpr uint32_t kConvertNumberedTag = FourCC("cvnm");
constexpr uint32_t kConvertBulletTag = FourCC("cvbl");
constexpr uint32_t kCoverPageTypeTag = FourCC("page");
constexpr uint32_t kRemoveLineBreaksTag = FourCC("rlbk");
constexpr uint32_t kCoverPageAltTextTag = FourCC("cval");
constexpr uint32_t kGenerateCSSTag = FourCC("gcss");
constexpr uint32_t kPreserveLocalOverridesTag = FourCC("plov");
constexpr uint32_t kPaginationSourceTypeTag = FourCC("psty");
constexpr uint32_t kPaginationSourceTag = FourCC("psrc");
constexpr uint32_t kExcludeTocPageNumbersTag = FourCC("etpn");
constexpr uint32_t kMinimumTextContrastTag = FourCC("mtcr");

constexpr int32_t kThreeValues[] = {0, 1, 2};

} // namespace

CoverPageTypeEnumSerialiser::CoverPageTypeEnumSerialiser() {
    RegisterEnumSet(kThreeValues, std::size(kThreeValues));
}

const CoverPageTypeEnumSerialiser& CoverPageTypeEnumSerialiser::GetInstance() {
    static const CoverPageTypeEnumSerialiser instance;
    return instance;
}

PaginationSourceTypeEnumSerialiser::PaginationSourceTypeEnumSerialiser() {
    RegisterEnumSet(kThreeValues, std::size(kThreeValues));
}

const PaginationSourceTypeEnumSerialiser& PaginationSourceTypeEnumSerialiser::GetInstance() {
    static const PaginationSourceTypeEnumSerialiser instance;
    return instance;
}

FlowingEPubOptions::FlowingEPubOptions(Preset preset) : FileExportOptionsVector(preset) {}

Counted<FlowingEPubOptions> FlowingEPubOptions::CreateObject() {
    return MakeCounted<FlowingEPubOptions>(Preset::Standard);
}

const ClassProperties& FlowingEPubOptions::GetTypeSharedClassProperties() {
    static const ClassProperties properties{
        FourCC("FEOP"),
        1,
        []() -> Counted<Foundation::Serialisable> { return CreateObject(); },
        &FileExportOptionsVector::GetTypeSharedClassProperties(),
        {}};
    return properties;
}

const ClassProperties& FlowingEPubOptions::GetObjectSharedClassProperties() const {
    return GetTypeSharedClassProperties();
}

namespace {
const Foundation::ClassRegistration
    registration(FlowingEPubOptions::GetTypeSharedClassProperties());
}

void FlowingEPubOptions::Save(OutSerialiser& out) const {
    FileExportOptionsVector::Save(out);
    out.SaveType(kConvertNumberedTag, convertNumberedLists_);
    out.SaveType(kConvertBulletTag, convertBulletLists_);
    out.SaveEnumI(kCoverPageTypeTag, coverPageType_, CoverPageTypeEnumSerialiser::GetInstance());
    out.SaveType(kRemoveLineBreaksTag, removeLineBreaks_);
    out.SaveType(kCoverPageAltTextTag, coverPageAltText_);
    out.SaveType(kGenerateCSSTag, generateCSS_);
    out.SaveType(kPreserveLocalOverridesTag, preserveLocalOverrides_);
    out.SaveEnumI(kPaginationSourceTypeTag, paginationSourceType_,
                  PaginationSourceTypeEnumSerialiser::GetInstance());
    out.SaveType(kPaginationSourceTag, paginationSource_);
    out.SaveType(kExcludeTocPageNumbersTag, excludeTocPageNumbers_);
    out.SaveType(kMinimumTextContrastTag, minimumTextContrast_);
}

bool FlowingEPubOptions::Load(const InSerialiser& in, FileStore& store, uint32_t version) {
    FileExportOptionsVector::Load(in, store, version);
    in.LoadType(kConvertNumberedTag, convertNumberedLists_);
    in.LoadType(kConvertBulletTag, convertBulletLists_);
    in.LoadEnumI(kCoverPageTypeTag, coverPageType_, CoverPageTypeEnumSerialiser::GetInstance());
    in.LoadType(kRemoveLineBreaksTag, removeLineBreaks_);
    in.LoadType(kCoverPageAltTextTag, coverPageAltText_);
    in.LoadType(kGenerateCSSTag, generateCSS_);
    in.LoadType(kPreserveLocalOverridesTag, preserveLocalOverrides_);
    in.LoadEnumI(kPaginationSourceTypeTag, paginationSourceType_,
                 PaginationSourceTypeEnumSerialiser::GetInstance());
    in.LoadType(kPaginationSourceTag, paginationSource_);
    in.LoadType(kExcludeTocPageNumbersTag, excludeTocPageNumbers_);
    in.LoadType(kMinimumTextContrastTag, minimumTextContrast_);
    return true;
}

bool FlowingEPubOptions::CompareMembers(const SharedSerialisable& other,
                                        CompareContext& context) const {
    const auto* o = dynamic_cast<const FlowingEPubOptions*>(&other);
    if (!o)
        return false;
    if (convertBulletLists_ != o->convertBulletLists_ ||
        convertNumberedLists_ != o->convertNumberedLists_ ||
        removeLineBreaks_ != o->removeLineBreaks_ || coverPageType_ != o->coverPageType_ ||
        coverPageAltText_ != o->coverPageAltText_ || generateCSS_ != o->generateCSS_ ||
        preserveLocalOverrides_ != o->preserveLocalOverrides_ ||
        paginationSourceType_ != o->paginationSourceType_ ||
        paginationSource_ != o->paginationSource_ ||
        excludeTocPageNumbers_ != o->excludeTocPageNumbers_ ||
        minimumTextContrast_ != o->minimumTextContrast_)
        return false;
    return FileExportOptionsVector::CompareMembers(other, context);
}

void FlowingEPubOptions::AccumulateHash(HashAccumulator& hash) const {
    FileExportOptionsVector::AccumulateHash(hash);
    hash.AddToHash(convertBulletLists_);
    hash.AddToHash(convertNumberedLists_);
    hash.AddToHash(removeLineBreaks_);
    hash.AddToHash(static_cast<int32_t>(coverPageType_));
    hash.AddToHash(coverPageAltText_);
    hash.AddToHash(generateCSS_);
    hash.AddToHash(preserveLocalOverrides_);
    hash.AddToHash(static_cast<int32_t>(paginationSourceType_));
    hash.AddToHash(paginationSource_);
    hash.AddToHash(excludeTocPageNumbers_);
    hash.AddToHash(minimumTextContrast_);
}

Counted<Render::FileExportOptions> FlowingEPubOptions::Clone() const {
    Counted<FlowingEPubOptions> copy = MakeCounted<FlowingEPubOptions>(Preset::Standard);
    *copy = *this;
    return copy;
}

Render::ExportFileType FlowingEPubOptions::GetExportFileType() const {
    return Render::ExportFileType::FlowingEPub;
}

StringT FlowingEPubOptions::GetFileTypeAsString() const {
    return "epub";
}

StringT FlowingEPubOptions::GetDisplayString() const {
    return "FlowingEPub";
}

// "epuf" tells it apart from the fixed-layout options' identifier.
StringT FlowingEPubOptions::GetUID() const {
    return "com.corvo.quorvane.epuf.export";
}

void FlowingEPubOptions::ApplyChanges(const Render::FileExportOptions& source,
                                      const Changes& changes, bool flag) {
    FileExportOptionsVector::ApplyChanges(source, changes, flag);
    const auto* s = dynamic_cast<const FlowingEPubOptions*>(&source);
    if (!s)
        return;
    // The other five members are never merged.
    if (changes.Test(kConvertBulletListsBit) == flag)
        convertBulletLists_ = s->convertBulletLists_;
    if (changes.Test(kConvertNumberedListsBit) == flag)
        convertNumberedLists_ = s->convertNumberedLists_;
    if (changes.Test(kCoverPageTypeBit) == flag)
        coverPageType_ = s->coverPageType_;
    if (changes.Test(kPaginationSourceTypeBit) == flag)
        paginationSourceType_ = s->paginationSourceType_;
    if (changes.Test(kPaginationSourceBit) == flag)
        paginationSource_ = s->paginationSource_;
}

} // namespace EPub
