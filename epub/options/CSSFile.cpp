// SPDX-License-Identifier: MIT
#include "epub/options/CSSFile.h"

#include "host/foundation/FileSystem.h"
#include "host/foundation/ResourceInterface.h"
#include "host/foundation/Serialiser.h"

namespace EPub {

using Foundation::FourCC;
using Foundation::MakeCounted;
using Foundation::ResourceStatus;

namespace {

constexpr uint32_t kModifiedTimeTag = FourCC("modf");
constexpr uint32_t kSourceTag = FourCC("sour");
constexpr uint32_t kContentTag = FourCC("cont");

constexpr int Code(ResourceStatus status) {
    return static_cast<int>(status);
}

} // namespace

CSSFile::CSSFile(Counted<const DataSource> source, TimeStamp modifiedTime, StringT content)
    : modifiedTime_(modifiedTime), source_(std::move(source)), content_(std::move(content)) {}

Counted<CSSFile> CSSFile::CreateObject() {
    return MakeCounted<CSSFile>();
}

const ClassProperties& CSSFile::GetTypeSharedClassProperties() {
    static const ClassProperties properties{
        FourCC("CSSF"),
        1,
        []() -> Counted<Foundation::Serialisable> { return CreateObject(); },
        nullptr,
        {}};
    return properties;
}

const ClassProperties& CSSFile::GetObjectSharedClassProperties() const {
    return GetTypeSharedClassProperties();
}

namespace {
const Foundation::ClassRegistration registration(CSSFile::GetTypeSharedClassProperties());
}

StringT CSSFile::GetDisplayPath() const {
    return source_ ? source_->GetDisplayPath() : StringT();
}

StringT CSSFile::GetFilename() const {
    return source_ ? source_->GetFilename() : StringT();
}

StringT CSSFile::GetFileSystemRepresentation() const {
    return source_ ? source_->GetFileSystemRepresentation() : StringT();
}

bool CSSFile::IsValid() const {
    if (!content_.empty())
        return true;
    const std::optional<StringT> text =
        Foundation::FileSystem::LoadTextFile(GetFileSystemRepresentation());
    return text && !text->empty();
}

bool CSSFile::IsResourceUptoDate() const {
    if (!source_ || !source_->Exists())
        return true;
    const std::optional<TimeStamp> current = source_->GetModifiedTime();
    return current && *current == modifiedTime_;
}

int CSSFile::GetResourceStatus() const {
    if (!source_)
        return Code(ResourceStatus::Missing);
    int status = Code(ResourceStatus::Ok);
    if (source_->IsHostResource()) {
        if (source_->IsHostResourceModified())
            return Code(ResourceStatus::HostResourceModified);
        if (!source_->Exists())
            return Code(ResourceStatus::Missing);
    } else {
        status =
            Foundation::ResourceInterface::TestFileAccess(source_->GetFileSystemRepresentation());
        if (status != Code(ResourceStatus::Ok))
            return status;
    }
    if (!source_->Exists())
        return status;
    const std::optional<TimeStamp> current = source_->GetModifiedTime();
    if (!current || *current != modifiedTime_)
        return Code(ResourceStatus::Modified);
    return status;
}

void CSSFile::SetDataSource(Counted<const DataSource> source) {
    source_ = std::move(source);
    if (source_)
        if (const std::optional<TimeStamp> time = source_->GetModifiedTime())
            modifiedTime_ = *time;
}

Counted<CSSFile> CSSFile::CloneWithNewDataSource(Counted<const DataSource> source) const {
    TimeStamp time = modifiedTime_;
    if (source)
        if (const std::optional<TimeStamp> current = source->GetModifiedTime())
            time = *current;
    return MakeCounted<CSSFile>(std::move(source), time, content_);
}

void CSSFile::Save(OutSerialiser& out) const {
    out.SaveObject(kSourceTag, source_);
    out.SaveType(kModifiedTimeTag, modifiedTime_);
    out.SaveType(kContentTag, content_);
}

bool CSSFile::Load(const InSerialiser& in, FileStore& store, uint32_t) {
    in.LoadObjectI(kSourceTag, source_, store);
    in.LoadType(kModifiedTimeTag, modifiedTime_);
    in.LoadType(kContentTag, content_);
    return true;
}

} // namespace EPub
