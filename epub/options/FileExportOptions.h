// SPDX-License-Identifier: MIT
#pragma once
// The settings of fixed-layout EPUB export: the cover choice and the two resolutions of the
// page documents, on top of the render library's vector-export options.

#include "host/foundation/DataSource.h"
#include "host/foundation/EnumSerialiser.h"
#include "host/render/ExportOptions.h"

#include <cstdint>

namespace EPub {

using Foundation::ClassProperties;
using Foundation::CompareContext;
using Foundation::Counted;
using Foundation::DataSource;
using Foundation::FileStore;
using Foundation::HashAccumulator;
using Foundation::InSerialiser;
using Foundation::OutSerialiser;
using Foundation::SharedSerialisable;
using Foundation::StringT;

class FileExportOptions final : public Render::FileExportOptionsVector {
public:
    using Changes = Render::FileExportOptionsChanges2;

    // Which page or image the host makes the cover.
    enum class CoverPage : int32_t {
        None = 0,
        DocumentPage = 1, // the page numbered CoverPageNum
        ImageFile = 2,    // the image of CoverPageFile
    };

    // Change-set bits of the own members.
    static constexpr unsigned kCoverPageBit = 27;
    static constexpr unsigned kCoverPageNumBit = 34;
    static constexpr unsigned kCoverPageFileBit = 35;
    static constexpr unsigned kPageDPIBit = 36;
    static constexpr unsigned kTextDPIBit = 37;

    explicit FileExportOptions(Preset preset);
    FileExportOptions(const FileExportOptions&) = default;
    FileExportOptions& operator=(const FileExportOptions&) = default;

    static Counted<FileExportOptions> CreateObject();
    static const ClassProperties& GetTypeSharedClassProperties();

    void Save(OutSerialiser& out) const override;
    bool Load(const InSerialiser& in, FileStore& store, uint32_t version) override;
    void AccumulateHash(HashAccumulator& hash) const override;
    const ClassProperties& GetObjectSharedClassProperties() const override;
    // The cover file takes no part: two options naming different image files are the same
    // settings.
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

    CoverPage GetCoverPage() const noexcept { return coverPage_; }
    void SetCoverPage(CoverPage cover) noexcept { coverPage_ = cover; }
    unsigned GetCoverPageNum() const noexcept { return coverPageNum_; }
    void SetCoverPageNum(unsigned page) noexcept { coverPageNum_ = page; }
    const Counted<const DataSource>& GetCoverPageFile() const noexcept { return coverPageFile_; }
    void SetCoverPageFile(Counted<const DataSource> file) noexcept {
        coverPageFile_ = std::move(file);
    }
    double GetPageDPI() const noexcept { return pageDPI_; }
    void SetPageDPI(double dpi) noexcept { pageDPI_ = dpi; }
    double GetTextDPI() const noexcept { return textDPI_; }
    void SetTextDPI(double dpi) noexcept { textDPI_ = dpi; }

private:
    CoverPage coverPage_ = CoverPage::DocumentPage;
    uint32_t coverPageNum_ = 1;
    Counted<const DataSource> coverPageFile_;
    double pageDPI_;
    double textDPI_ = 1440.0;
};

class CoverPageEnumSerialiser final : public Foundation::EnumSerialiser {
public:
    static const CoverPageEnumSerialiser& GetInstance();

private:
    CoverPageEnumSerialiser();
};

} // namespace EPub
