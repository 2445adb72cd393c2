// SPDX-License-Identifier: MIT
#pragma once
// The user's choices for a reflowable EPUB export, stored with documents and presets.

#include "host/foundation/EnumSerialiser.h"
#include "host/render/ExportOptions.h"

#include <cstdint>

namespace EPub {

using Foundation::ClassProperties;
using Foundation::CompareContext;
using Foundation::Counted;
using Foundation::FileStore;
using Foundation::HashAccumulator;
using Foundation::InSerialiser;
using Foundation::OutSerialiser;
using Foundation::SharedSerialisable;
using Foundation::StringT;

enum class CoverPageType : int32_t {
    None = 0,
    FirstPage = 1,
    Image = 2,
};

enum class PaginationSourceType : int32_t {
    None = 0,
    ISBN = 1,
    Other = 2,
};

class CoverPageTypeEnumSerialiser final : public Foundation::EnumSerialiser {
public:
    static const CoverPageTypeEnumSerialiser& GetInstance();

private:
    CoverPageTypeEnumSerialiser();
};

class PaginationSourceTypeEnumSerialiser final : public Foundation::EnumSerialiser {
public:
    static const PaginationSourceTypeEnumSerialiser& GetInstance();

private:
    PaginationSourceTypeEnumSerialiser();
};

class FlowingEPubOptions final : public Render::FileExportOptionsVector {
public:
    using Changes = Render::FileExportOptionsChanges2;

    // Change-set bits of the members that ApplyChanges takes over.
    static constexpr unsigned kConvertBulletListsBit = 25;
    static constexpr unsigned kConvertNumberedListsBit = 26;
    static constexpr unsigned kCoverPageTypeBit = 27;
    static constexpr unsigned kPaginationSourceTypeBit = 32;
    static constexpr unsigned kPaginationSourceBit = 33;

    explicit FlowingEPubOptions(Preset preset);
    FlowingEPubOptions(const FlowingEPubOptions&) = default;
    FlowingEPubOptions& operator=(const FlowingEPubOptions&) = default;

    static Counted<FlowingEPubOptions> CreateObject();
    static const ClassProperties& GetTypeSharedClassProperties();

    void Save(OutSerialiser& out) const override;
    bool Load(const InSerialiser& in, FileStore& store, uint32_t version) override;
    void AccumulateHash(HashAccumulator& hash) const override;
    const ClassProperties& GetObjectSharedClassProperties() const override;
    bool CompareMembers(const SharedSerialisable& other, CompareContext& context) const override;
    Counted<Render::FileExportOptions> Clone() const override;
    Render::ExportFileType GetExportFileType() const override;
    StringT GetFileTypeAsString() const override;
    StringT GetDisplayString() const override;
    StringT GetUID() const override;
    bool IsTagging() const override { return true; }
    bool CanApplyMatte() const override { return false; }
    bool CanEmbedICCProfile() const override { return false; }
    bool CanIncludeBleed() const override { return false; }
    bool SupportsMultipage() const override { return true; }
    void ApplyChanges(const Render::FileExportOptions& source, const Changes& changes,
                      bool flag) override;

    bool IsConvertNumberedListsToText() const noexcept { return convertNumberedLists_; }
    void SetConvertNumberedListsToText(bool on) noexcept { convertNumberedLists_ = on; }
    bool IsConvertBulletListsToText() const noexcept { return convertBulletLists_; }
    void SetConvertBulletListsToText(bool on) noexcept { convertBulletLists_ = on; }
    bool IsRemoveLineBreaks() const noexcept { return removeLineBreaks_; }
    void SetRemoveLineBreaks(bool on) noexcept { removeLineBreaks_ = on; }
    bool IsGenerateCSS() const noexcept { return generateCSS_; }
    void SetGenerateCSS(bool on) noexcept { generateCSS_ = on; }
    bool IsPreserveLocalOverrides() const noexcept { return preserveLocalOverrides_; }
    void SetPreserveLocalOverrides(bool on) noexcept { preserveLocalOverrides_ = on; }
    // Text colours with less contrast than this against their background are darkened (or, on
    // a dark background, lightened) to the nearest colour of the same hue that has it; large
    // text needs two thirds of it, as WCAG asks 3:1 beside 4.5:1. 0 keeps colours as they are.
    double GetMinimumTextContrast() const noexcept { return minimumTextContrast_; }
    void SetMinimumTextContrast(double ratio) noexcept { minimumTextContrast_ = ratio; }
    bool IsExcludeTocPageNumbers() const noexcept { return excludeTocPageNumbers_; }
    void SetExcludeTocPageNumbers(bool on) noexcept { excludeTocPageNumbers_ = on; }
    CoverPageType GetCoverPageType() const noexcept { return coverPageType_; }
    void SetCoverPageType(CoverPageType type) noexcept { coverPageType_ = type; }
    const StringT& GetCoverPageAltText() const noexcept { return coverPageAltText_; }
    void SetCoverPageAltText(const StringT& text) { coverPageAltText_ = text; }
    PaginationSourceType GetPaginationSourceType() const noexcept { return paginationSourceType_; }
    void SetPaginationSourceType(PaginationSourceType type) noexcept {
        paginationSourceType_ = type;
    }
    const StringT& GetPaginationSource() const noexcept { return paginationSource_; }
    void SetPaginationSource(const StringT& source) { paginationSource_ = source; }

private:
    bool convertNumberedLists_ = false;
    bool convertBulletLists_ = false;
    bool removeLineBreaks_ = true;
    bool generateCSS_ = true;
    bool preserveLocalOverrides_ = true;
    bool excludeTocPageNumbers_ = false;
    double minimumTextContrast_ = 4.5;
    CoverPageType coverPageType_ = CoverPageType::None;
    StringT coverPageAltText_;
    PaginationSourceType paginationSourceType_ = PaginationSourceType::None;
    StringT paginationSource_;
};

} // namespace EPub
