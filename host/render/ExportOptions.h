// SPDX-License-Identifier: MIT
#pragma once
// The render library's export-option base classes: what every export format's options share,
// and the generic settings of vector exports.

#include "host/foundation/ClassRegistry.h"
#include "host/foundation/Serialisable.h"
#include "host/foundation/StringT.h"
#include "host/render/ChangeSet.h"

#include <cstdint>

namespace Render {

using Foundation::ClassProperties;
using Foundation::CompareContext;
using Foundation::Counted;
using Foundation::FileStore;
using Foundation::HashAccumulator;
using Foundation::InSerialiser;
using Foundation::OutSerialiser;
using Foundation::SharedSerialisable;
using Foundation::StringT;

// The host's list of export file types; only the values this library answers are named.
enum class ExportFileType : int32_t {
    EPub = 14,
    FlowingEPub = 17,
};

class FileExportOptions : public SharedSerialisable {
public:
    // Abstract: there is no factory, but derived classes name it as their parent.
    static const ClassProperties& GetTypeSharedClassProperties();

    void Save(OutSerialiser& out) const override;
    bool Load(const InSerialiser& in, FileStore& store, uint32_t version) override;
    void AccumulateHash(HashAccumulator& hash) const override;
    bool CompareMembers(const SharedSerialisable& other, CompareContext& context) const override;

    virtual Counted<FileExportOptions> Clone() const = 0;
    virtual ExportFileType GetExportFileType() const = 0;
    virtual StringT GetFileTypeAsString() const = 0;
    virtual StringT GetDisplayString() const = 0;
    virtual StringT GetUID() const = 0;

    // What the format can do, so the host shows only the settings that apply.
    virtual bool IsTagging() const { return false; }
    virtual bool CanApplyMatte() const { return true; }
    virtual bool CanEmbedICCProfile() const { return true; }
    virtual bool CanIncludeBleed() const { return true; }
    virtual bool SupportsMultipage() const { return false; }

    // Takes over from `source` each member whose bit in `changes` equals `flag`.
    virtual void ApplyChanges(const FileExportOptions& source,
                              const FileExportOptionsChanges2& changes, bool flag);

    bool IsIncludeBleed() const noexcept { return includeBleed_; }
    void SetIncludeBleed(bool on) noexcept { includeBleed_ = on; }
    bool IsEmbedICCProfile() const noexcept { return embedICCProfile_; }
    void SetEmbedICCProfile(bool on) noexcept { embedICCProfile_ = on; }

protected:
    FileExportOptions() = default;
    FileExportOptions(const FileExportOptions&) = default;
    FileExportOptions& operator=(const FileExportOptions&) = default;

private:
    bool includeBleed_ = false;
    bool embedICCProfile_ = true;
};

class FileExportOptionsVector : public FileExportOptions {
public:
    // Starting points for the settings; a preset only chooses construction defaults.
    enum class Preset : int32_t {
        None = 0,
        Draft = 1,
        Standard = 2,
        High = 3,
    };

    static const ClassProperties& GetTypeSharedClassProperties();

    void Save(OutSerialiser& out) const override;
    bool Load(const InSerialiser& in, FileStore& store, uint32_t version) override;
    void AccumulateHash(HashAccumulator& hash) const override;
    bool CompareMembers(const SharedSerialisable& other, CompareContext& context) const override;
    void ApplyChanges(const FileExportOptions& source, const FileExportOptionsChanges2& changes,
                      bool flag) override;

    // Whether content that must be rasterised uses the options' own resolution rather than the
    // document's.
    bool IsUseRasteriseDpi() const noexcept { return useRasteriseDpi_; }
    void SetIsUseRasteriseDpi(bool on) noexcept { useRasteriseDpi_ = on; }
    double GetRasteriseDpi() const noexcept { return rasteriseDpi_; }
    void SetRasteriseDpi(double dpi) noexcept { rasteriseDpi_ = dpi; }

    // The rasterise resolution of a preset.
    static double GetPresetRasteriseDpi(Preset preset) noexcept;

protected:
    explicit FileExportOptionsVector(Preset preset);
    FileExportOptionsVector(const FileExportOptionsVector&) = default;
    FileExportOptionsVector& operator=(const FileExportOptionsVector&) = default;

private:
    bool useRasteriseDpi_ = false;
    double rasteriseDpi_;
};

} // namespace Render
