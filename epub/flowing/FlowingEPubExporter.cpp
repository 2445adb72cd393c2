// SPDX-License-Identifier: MIT
#include "epub/flowing/FlowingEPubExporter.h"

#include "epub/content/AccessibilityValidator.h"
#include "epub/content/ExportState.h"
#include "epub/package/CoverDocument.h"
#include "epub/package/CoverImage.h"
#include "epub/package/EntryName.h"
#include "epub/package/GeneratedTexts.h"
#include "epub/package/NavigationModel.h"
#include "epub/package/PackageDocument.h"
#include "epub/package/PackageText.h"
#include "epub/xml/TextEncoding.h"
#include "epub/xml/XmlWriter.h"
#include "host/foundation/ApplicationVersion.h"
#include "host/foundation/FileStream.h"
#include "host/foundation/FileSystem.h"
#include "host/foundation/TimeStamp.h"
#include "host/foundation/Uuid.h"

#include <algorithm>

namespace EPub {

namespace {

constexpr int kCoverJPEGQuality = 90;

// The identifier is the font key's source too, so it is settled before the style sheet part
// computes the key: on a copy, as the caller's settings may be shared with other exports.
Counted<const ExportSettings> WithIdentifier(Counted<const ExportSettings> settings) {
    if (!settings ||
        DropXmlIllegal(settings->identifier.view()).view().find_first_not_of(" \t\r\n") !=
            std::string_view::npos)
        return settings;
    Counted<ExportSettings> own = settings->Clone();
    own->identifier = "urn:uuid:" + Foundation::Uuid::Generate().ToString();
    return own;
}

} // namespace

FlowingEPubExporter::FlowingEPubExporter(Counted<const ExportSettings> settings,
                                         Counted<const FlowingEPubOptions> options)
    : HtmlExporter(WithIdentifier(std::move(settings)), std::move(options)) {
    Styles().SetEmbedFonts(true);
    if (options_->IsGenerateCSS())
        linkedStyleSheets_ = {LastPathComponent(GetInternalCssPath()),
                              LastPathComponent(GetImageCssPath())};
}

FlowingEPubExporter::~FlowingEPubExporter() = default;

bool FlowingEPubExporter::Start(const StringT& path,
                                Counted<Foundation::OutStreamSeekable> stream) {
    HtmlExporter::Start(path, stream);
    output_ = stream ? std::move(stream) : Foundation::FileOutStream::Create(path);
    failure_ = nullptr;
    container_ = ZipArchive::Create(output_, failure_);
    AddMimeType(*container_);
    return true;
}

bool FlowingEPubExporter::ExportStory(const Counted<const Text::Story>& story,
                                      const Text::StoryPos& end, const StringT& fileName,
                                      const StringT& title) {
    return HtmlExporter::ExportStory(story, end, fileName, title);
}

bool FlowingEPubExporter::IsReservedName(std::string_view name, StreamType type) const {
    return IsReservedDocumentName(name, type);
}

Counted<Foundation::OutStream> FlowingEPubExporter::BeginStream(const StringT& name,
                                                                StreamType type) {
    if (!container_) {
        lastError_ = StringT::Format("document \"%1\" opened before Start or after End", name);
        return nullptr;
    }
    if (!AcceptStreamName(name, type))
        return nullptr;
    if (!manifest_.Record(name, type))
        return AddEntry(*container_, StringT());
    return AddEntry(*container_, contentRoot_ + name);
}

bool FlowingEPubExporter::AddCssFile(const Counted<const CSSFile>& file) {
    if (!file)
        return false;
    StringT text = file->GetContent();
    const auto& source = file->GetDataSource();
    if (text.empty() && source)
        text = Foundation::FileSystem::LoadTextFile(source->GetFileSystemRepresentation())
                   .value_or(StringT());
    if (text.empty())
        return false;
    const StringT base = SafeStyleSheetBaseName(source ? source->GetFilename().view() : "");
    const StringT name = UniqueStyleSheetName(base, linkedStyleSheets_);
    linkedStyleSheets_.push_back(name);
    // Generated content ("content:") of the user's rules is drawn with the embedded fonts too.
    Styles().GetFontList().Characters().AddText(text.view());
    const auto out = BeginStream(GetCssPath() + name, StreamType::StyleSheet);
    return out && out->Write(text);
}

void FlowingEPubExporter::AddTocEntry(Counted<const Text::AnchorData> anchor, StringT text,
                                      const Counted<const Text::AnchorData>& parent) {
    if (!parent) {
        toc_.push_back({std::move(anchor), std::move(text), {}});
        return;
    }
    for (TocEntry& entry : toc_) {
        if (entry.anchor == parent) {
            entry.children.push_back({std::move(anchor), std::move(text), {}});
            return;
        }
    }
}

void FlowingEPubExporter::HandlePageAnchor(Foundation::OutStream& out, int source,
                                           const StringT& fileName, const Text::StoryPos& pos,
                                           ExportState& state) {
    const int first = state.currentPage;
    HtmlExporter::HandlePageAnchor(out, source, fileName, pos, state);
    // The cursor moved past exactly the pages whose markers were just written.
    for (int page = first; page < state.currentPage; ++page)
        RecordPage(source, page, fileName);
}

void FlowingEPubExporter::RecordPage(int source, int page, const StringT& document) {
    if (source < 0)
        return;
    if (pageRegistry_.size() <= static_cast<size_t>(source))
        pageRegistry_.resize(static_cast<size_t>(source) + 1);
    pageRegistry_[static_cast<size_t>(source)].emplace(page, document);
}

bool FlowingEPubExporter::NeedsInferredLandmark(Landmark landmark) const {
    return Anchors().GetLandmark(landmark).chunk.empty();
}

bool FlowingEPubExporter::WriteStyleSheet(const Counted<Foundation::OutStream>& stream) {
    Styles().GetFontList().SetSubsetting(GetSettings()->subsetFonts);
    Styles().GetFontList().WriteFontFaces(*stream, *container_, "OEBPS");
    return stream->Write(Styles().DescribeStyles());
}

void FlowingEPubExporter::ChooseDominantLanguage() {
    dominantLanguage_ = GetPublicationLanguage();
    int64_t best = 0;
    for (const auto& [id, entry] : GetLanguageCounts()) {
        if (entry.second > best) {
            best = entry.second;
            dominantLanguage_ = entry.first;
        }
    }
}

StringT FlowingEPubExporter::LocaliseDominant(const StringT& key,
                                              const StringT& defaultText) const {
    return LocaliseIn(dominantLanguage_.get(), key, defaultText);
}

bool FlowingEPubExporter::End() {
    if (!container_)
        return false;
    if (!HtmlExporter::End())
        return false;
    ChooseDominantLanguage();
    if (manifest_.contentDocuments.empty()) {
        const auto out =
            StartChunk("Story1.xhtml", "", GetPublicationLanguage(), false, StreamType::Content);
        if (out)
            EndChunk(out);
    }
    const bool cover = AddCover();
    AddOpf();
    AddContainer(*container_, "OEBPS", packageName_.view());
    AddToc();
    AddEncryption(*container_, Styles().GetFontList().GetEmbeddedFonts(),
                  Styles().GetFontList().GetRecordNumbers());
    Release();
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return cover;
}

void FlowingEPubExporter::Abort() {
    if (!output_)
        return;
    HtmlExporter::Abort();
    Release();
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}

void FlowingEPubExporter::Release() {
    container_.Reset();
    output_.Reset();
}

StringT FlowingEPubExporter::StoreCoverImage() {
    const ExportSettings& s = *settings_;
    StringT name = s.coverImageName;
    if (name.empty() && s.coverSource)
        name = FileStem(s.coverSource->GetFilename().view());
    if (name.empty())
        name = "Cover";
    if (s.coverSource) {
        const auto in = s.coverSource->Open();
        const auto cover =
            in ? PrepareCover(Foundation::ReadAll(*in), kCoverJPEGQuality) : std::nullopt;
        if (!cover) {
            lastError_ = StringT::Format("the cover image \"%1\" cannot be read",
                                         s.coverSource->GetDisplayPath());
            return {};
        }
        // Copied bytes go through the image store, so a cover also shown in the text is one file.
        return cover->copied ? Images().StoreImage(nullptr, s.coverSource, name)
                             : Images().StoreEncoded(cover->bytes, name);
    }
    return s.coverImage ? Images().StoreBitmap(*s.coverImage, name) : StringT();
}

bool FlowingEPubExporter::AddCover() {
    const StringT path = StoreCoverImage();
    if (path.empty())
        return !settings_->coverSource && !settings_->coverImage;
    manifest_.coverImageName = path;
    manifest_.coverImageId = "cover_image";
    // A cover picture asked for without a text alternative is named as a cover.
    StringT altText = options_->GetCoverPageAltText();
    if (altText.empty() && options_->GetCoverPageType() == CoverPageType::Image)
        altText = LocaliseDominant(StringT(TextKey::kCoverAltText), "Cover");
    if (altText.empty())
        return true;
    const auto out = BeginStream("cover.xhtml", StreamType::Cover);
    if (!out)
        return false;
    WriteCoverDocument(*out, {LocaliseDominant(StringT(TextKey::kCoverTitle), "Cover"),
                              dominantLanguage_->GetId(), path, altText});
    Render::RenderTags::Fields cover;
    cover.altText = altText;
    GetAccessibilityProfile().AddPicture(Render::RenderTags::Make(std::move(cover)).get());
    return true;
}

void FlowingEPubExporter::AddOpf() {
    const auto out = AddEntry(*container_, contentRoot_ + packageName_);
    if (!out)
        return;
    // Whatever the host gave is kept; the rest is derived from what was written.
    AccessibilityProfile::Publication publication;
    publication.tableOfContents = !toc_.empty();
    for (const auto& pages : pageRegistry_)
        publication.pageList =
            publication.pageList || (settings_->includePageList && !pages.empty());
    publication.pageSource = options_->GetPaginationSourceType() != PaginationSourceType::None &&
                             !options_->GetPaginationSource().empty();
    publication.languageKnown =
        !dominantLanguage_->IsNone() && IsKnownLanguage(dominantLanguage_->GetId().view());
    const Counted<ExportSettings> settings = settings_->Clone();
    settings->accessibility = GetAccessibilityProfile().Derive(
        settings_->accessibility.get(), publication, [this](std::string_view key) {
            return LocaliseDominant(StringT(key), GeneratedText(key, "en"));
        });

    manifest_.mathDocuments = GetMathDocuments();
    PackageDocumentInput in{*settings, *options_, manifest_, {}, {}, {}, {}, false, {}, {}, {}, {}};
    for (const size_t number : Styles().GetFontList().GetRecordNumbers())
        in.fontPaths.push_back(
            container_->Path(Styles().GetFontList().GetEmbeddedFonts()[number - 1].entryIndex));
    in.contentRoot = contentRoot_;
    in.navigationDocument = navigationName_;
    in.imageCssPath = GetImageCssPath();
    in.hasImageStyles = Styles().HasImages();
    in.dominantLanguage = dominantLanguage_->GetId();
    in.generator = Foundation::ApplicationVersion::GetCurrent().ToString();
    in.currentTime = [] {
        return Foundation::ToString(Foundation::TimeStamp::GetCurrent(), 3, true);
    };
    in.localise = [this](std::string_view key, std::string_view def) {
        return LocaliseDominant(StringT(key), StringT(def));
    };
    WritePackageDocument(*out, in);
}

PackageHref FlowingEPubExporter::LocationHref(const AnchorLocation& location) const {
    if (location.id.empty())
        return {};
    return {location.chunk == navigationName_
                ? StringT()
                : RelativePath(navigationName_.view(), location.chunk.view()),
            location.id};
}

bool FlowingEPubExporter::HasValidLocsRecursive(const TocEntry& entry) const {
    if (entry.anchor && !Anchors().GetAnchor(*entry.anchor).chunk.empty())
        return true;
    for (const TocEntry& child : entry.children)
        if (HasValidLocsRecursive(child))
            return true;
    return false;
}

void FlowingEPubExporter::AddContentsEntry(std::vector<NavigationEntry>& entries,
                                           const TocEntry& entry, int level) const {
    const AnchorLocation& location =
        entry.anchor ? Anchors().GetAnchor(*entry.anchor) : AnchorRegistry::EmptyLocation();
    const bool linked = !location.chunk.empty();
    // A heading without a link stays only for the links under it.
    if (!linked && (entry.children.empty() || !HasValidLocsRecursive(entry)))
        return;
    entries.push_back({entry.text, linked ? LocationHref(location) : PackageHref(), level, {}});
    for (const TocEntry& child : entry.children)
        AddContentsEntry(entries, child, level + 1);
}

NavigationList FlowingEPubExporter::MakePageList() const {
    NavigationList list("page-list", LocaliseDominant("EPUB:Page List", "Page List"));
    list.role = "doc-pagelist";
    for (size_t source = 0; source < pageRegistry_.size(); ++source) {
        for (const auto& [page, document] : pageRegistry_[source]) {
            const AnchorLocation& location =
                Anchors().GetPageAnchor(static_cast<int>(source), document, page, nullptr);
            if (!location.chunk.empty())
                list.entries.push_back({location.label, LocationHref(location), 0, {}});
        }
    }
    return list;
}

NavigationList FlowingEPubExporter::MakeContents() const {
    const LandmarkInfo& info = GetLandmarkInfo(Landmark::TableOfContents);
    NavigationList list("toc",
                        LocaliseDominant(StringT(info.styleName), StringT(info.displayName)));
    list.id = "toc";
    list.role = "doc-toc";
    for (const TocEntry& entry : toc_)
        AddContentsEntry(list.entries, entry, 0);
    if (toc_.empty())
        list.entries.push_back({settings_->title, {manifest_.FirstDocument()}, 0, {}});
    return list;
}

NavigationList FlowingEPubExporter::MakeLandmarks() const {
    NavigationList list("landmarks", LocaliseDominant("EPUB:Landmarks", "Landmarks"));
    list.role = "navigation";
    for (const LandmarkInfo& info : LandmarkTable()) {
        PackageHref href;
        const AnchorLocation& location = Anchors().GetLandmark(info.landmark);
        if (!location.chunk.empty()) {
            href = LocationHref(location);
        } else if (info.landmark == Landmark::Cover) {
            if (manifest_.hasCover)
                href = {manifest_.coverDocument};
            else if (options_->GetCoverPageType() == CoverPageType::FirstPage)
                href = {manifest_.FirstDocument()};
        } else if (info.landmark == Landmark::BodyMatter) {
            const AnchorLocation& first = toc_.empty() || !toc_.front().anchor
                                              ? AnchorRegistry::EmptyLocation()
                                              : Anchors().GetAnchor(*toc_.front().anchor);
            href =
                !first.chunk.empty() ? LocationHref(first) : PackageHref{manifest_.FirstDocument()};
        }
        if (href.Empty())
            continue;
        list.entries.push_back(
            {LocaliseDominant(StringT(info.styleName), StringT(info.displayName)), href, 0,
             StringT(info.shortName)});
    }
    return list;
}

void FlowingEPubExporter::AddToc() {
    const auto out = AddEntry(*container_, contentRoot_ + navigationName_);
    if (!out)
        return;
    NavigationModel nav;
    nav.declaration = XmlWriter::Declaration::StandaloneSingle;
    nav.lang = dominantLanguage_->GetId();
    nav.title = settings_->title;
    bool anyPage = false;
    for (const auto& pages : pageRegistry_)
        anyPage = anyPage || !pages.empty();
    if (settings_->includePageList && anyPage)
        nav.lists.push_back(MakePageList());
    nav.lists.push_back(MakeContents());
    nav.lists.push_back(MakeLandmarks());
    *out << WriteNavigation(nav);
}

} // namespace EPub
