// SPDX-License-Identifier: MIT
#pragma once
// A user style sheet added to a reflowable publication: its source file and, when the document
// holds it, its text.

#include "host/foundation/ClassRegistry.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/Serialisable.h"
#include "host/foundation/StringT.h"
#include "host/foundation/TimeStamp.h"

namespace EPub {

using Foundation::ClassProperties;
using Foundation::Counted;
using Foundation::DataSource;
using Foundation::FileStore;
using Foundation::InSerialiser;
using Foundation::OutSerialiser;
using Foundation::StringT;
using Foundation::TimeStamp;

class CSSFile final : public Foundation::Serialisable {
public:
    CSSFile() = default;
    CSSFile(Counted<const DataSource> source, TimeStamp modifiedTime, StringT content);
    CSSFile(const CSSFile&) = default;
    CSSFile(CSSFile&&) = default;
    CSSFile& operator=(const CSSFile&) = default;
    CSSFile& operator=(CSSFile&&) = default;

    static Counted<CSSFile> CreateObject();
    static const ClassProperties& GetTypeSharedClassProperties();

    const StringT& GetContent() const noexcept { return content_; }
    const Counted<const DataSource>& GetDataSource() const noexcept { return source_; }
    TimeStamp GetModifiedTime() const noexcept { return modifiedTime_; }

    // The source's own; empty without a source.
    StringT GetDisplayPath() const;
    StringT GetFilename() const;
    StringT GetFileSystemRepresentation() const;

    // Only linked: the text is read from the file at export.
    bool IsLinked() const noexcept { return content_.empty(); }
    // There is text to add, held or in the file.
    bool IsValid() const;
    // The file is gone (nothing to compare), or unchanged since it was taken.
    bool IsResourceUptoDate() const;
    // A Foundation::ResourceStatus code.
    int GetResourceStatus() const;

    // Replaces the source and takes its current modification time.
    void SetDataSource(Counted<const DataSource> source);
    // Same content, another source; keeps the stored time when the new source gives none.
    Counted<CSSFile> CloneWithNewDataSource(Counted<const DataSource> source) const;

    void Save(OutSerialiser& out) const override;
    bool Load(const InSerialiser& in, FileStore& store, uint32_t version) override;
    const ClassProperties& GetObjectSharedClassProperties() const override;

private:
    TimeStamp modifiedTime_;
    Counted<const DataSource> source_;
    StringT content_;
};

} // namespace EPub
