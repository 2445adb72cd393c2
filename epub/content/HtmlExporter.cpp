// SPDX-License-Identifier: MIT
#include "epub/content/HtmlExporter.h"

#include "epub/content/PageMarkers.h"

#include "epub/content/ContentWriter.h"
#include "epub/content/DefaultCallbacks.h"
#include "epub/content/FigureWriter.h"
#include "epub/content/TableWriter.h"
#include "epub/package/GeneratedTexts.h"
#include "epub/package/NameRules.h"
#include "epub/xml/TextEncoding.h"
#include "epub/xml/XmlWriter.h"
#include "host/foundation/FileStream.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace EPub {

namespace {

constexpr size_t kFileBufferSize = 0x100000;

StringT DirectoryOf(const StringT& path) {
    const size_t slash = path.view().find_last_of("/\\");
    return slash == StringT::npos ? StringT() : path.Substr(0, slash + 1);
}

std::optional<StreamType> StreamTypeFor(Raster::FileType type) {
    switch (type) {
    case Raster::FileType::JPEG:
        return StreamType::JPEG;
    case Raster::FileType::PNG:
        return StreamType::PNG;
    case Raster::FileType::GIF:
        return StreamType::GIF;
    case Raster::FileType::SVG:
        return StreamType::SVG;
    default:
        return std::nullopt;
    }
}

// A content document held back until it ends: the image style sheet is only written when image
// styles were registered, and a document's images register theirs after its head is written.
class PendingDocument final : public Foundation::OutStream {
public:
    PendingDocument(Counted<Foundation::OutStream> target, UsedCharacters& characters)
        : target_(std::move(target)), characters_(characters) {}
    // A document abandoned half way is still written as far as it got.
    ~PendingDocument() override {
        if (!text_.empty())
            target_->Write(text_);
    }
    PendingDocument(const PendingDocument&) = delete;
    PendingDocument& operator=(const PendingDocument&) = delete;

    size_t Write(const void* data, size_t size) override {
        text_.append(static_cast<const char*>(data), size);
        return size;
    }
    // The image style sheet's link goes here, if it is written at all.
    void MarkImageLink(StringT link) {
        imageLinkAt_ = text_.size();
        imageLink_ = std::move(link);
    }
    bool Finish(bool linkImages) {
        if (linkImages && imageLinkAt_)
            text_.insert(*imageLinkAt_, imageLink_.view());
        imageLinkAt_.reset();
        characters_.AddMarkup(text_);
        const bool ok = target_->Write(text_);
        text_.clear();
        return ok;
    }

private:
    Counted<Foundation::OutStream> target_;
    UsedCharacters& characters_;
    std::string text_;
    std::optional<size_t> imageLinkAt_;
    StringT imageLink_;
};

} // namespace

HtmlExporter::HtmlExporter(Counted<const ExportSettings> settings,
                           Counted<const FlowingEPubOptions> options)
    : settings_(std::move(settings)), options_(std::move(options)), styles_(settings_, options_),
      defaults_(std::make_unique<DefaultCallbacks>()) {
    defaultCallbacks_ = defaults_->Make(*this, settings_->GetResolution());
    callbacks_ = defaultCallbacks_;
}

HtmlExporter::~HtmlExporter() = default;

// A callback the host emptied means the default, wherever the writer looks.
void HtmlExporter::FillEmptyCallbacks() {
    auto fill = [](auto& callback, const auto& fallback) {
        if (!callback)
            callback = fallback;
    };
    HostCallbacks& c = callbacks_;
    const HostCallbacks& d = defaultCallbacks_;
    fill(c.writeFrame, d.writeFrame);
    fill(c.isFrameImage, d.isFrameImage);
    fill(c.writeItem, d.writeItem);
    fill(c.isItemImage, d.isItemImage);
    fill(c.validateFrame, d.validateFrame);
    fill(c.noteNumber, d.noteNumber);
    fill(c.numberer, d.numberer);
    fill(c.crossReferenceText, d.crossReferenceText);
    fill(c.localise, d.localise);
}

void HtmlExporter::ReleaseStory(const Text::Story& story, const StringT& fileName) {
    anchors_.ForgetPositions(fileName);
    defaults_->Forget(story);
}

ContentWriter& HtmlExporter::Writer() {
    FillEmptyCallbacks();
    if (!writer_)
        writer_ = std::make_unique<ContentWriter>(*this);
    writer_->SetAllNotesInline(settings_->allNotesInline);
    return *writer_;
}

Counted<Foundation::OutStream> HtmlExporter::BeginImage(const StringT& name,
                                                        Raster::FileType type) {
    const auto streamType = StreamTypeFor(type);
    if (!streamType)
        return nullptr;
    return BeginStream(name, *streamType);
}

bool HtmlExporter::Start(const StringT&, Counted<Foundation::OutStreamSeekable>) {
    return true;
}

Counted<Foundation::OutStream> HtmlExporter::BeginStream(const StringT& name, StreamType type) {
    if (!AcceptStreamName(name, type))
        return nullptr;
    const std::filesystem::path target =
        std::filesystem::path(DirectoryOf(rootFilename_).str()) / name.str();
    // Names may hold subfolders ("sub/b.xhtml").
    std::error_code error;
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), error);
    if (error) {
        lastError_ = StringT::Format("cannot create folder \"%1\": %2",
                                     target.parent_path().string(), error.message());
        return nullptr;
    }
    auto out = Foundation::FastFileOutStream::Create(StringT(target.string()), kFileBufferSize);
    if (!out)
        lastError_ = StringT::Format("cannot write \"%1\"", target.string());
    return out;
}

bool HtmlExporter::AcceptStreamName(const StringT& name, StreamType type) {
    if (!IsSafeDocumentName(name.view())) {
        lastError_ =
            StringT::Format("document name \"%1\" would leave the output's content folder", name);
        return false;
    }
    if (IsReservedName(name.view(), type)) {
        lastError_ = StringT::Format("document name \"%1\" is taken by the output itself", name);
        return false;
    }
    // Names that differ only in ASCII case are one file on many file systems and zip readers.
    if (!streamNames_.insert(FoldCase(name.view())).second) {
        lastError_ = StringT::Format("document \"%1\" is written twice", name);
        return false;
    }
    return true;
}

bool HtmlExporter::IsReservedName(std::string_view name, StreamType type) const {
    return IsReservedHtmlName(name, type);
}

bool HtmlExporter::WriteStyleSheet(const Counted<Foundation::OutStream>& stream) {
    return stream->Write(styles_.DescribeStyles());
}

bool HtmlExporter::WriteImageStyleSheet(const Counted<Foundation::OutStream>& stream) {
    return stream->Write(styles_.DescribeImageStyles());
}

bool HtmlExporter::End() {
    if (!options_->IsGenerateCSS())
        return true;
    const auto styles = BeginStream(GetInternalCssPath(), StreamType::StyleSheet);
    if (!styles || !WriteStyleSheet(styles))
        return false;
    if (!styles_.HasImages())
        return true;
    const auto images = BeginStream(GetImageCssPath(), StreamType::StyleSheet);
    return images && WriteImageStyleSheet(images);
}

Counted<Foundation::OutStream>
HtmlExporter::StartChunk(const StringT& fileName, const StringT& title,
                         const Counted<const Text::Language>& language, bool linkImageStyles,
                         StreamType type) {
    Counted<Foundation::OutStream> target = BeginStream(fileName, type);
    if (!target)
        return nullptr;
    currentDocument_ = fileName;
    const auto out = Foundation::MakeCounted<PendingDocument>(std::move(target),
                                                              styles_.GetFontList().Characters());
    const StringT lang = language ? language->GetId() : settings_->language;
    XmlWriter head;
    head.Declare(XmlWriter::Declaration::Standalone).Doctype().Open("html");
    head.Attribute("xmlns", "http://www.w3.org/1999/xhtml");
    head.Attribute("xmlns:epub", "http://www.idpf.org/2007/ops");
    head.Attribute("lang", lang).Attribute("xml:lang", lang).Close().Space("\n");
    head.Open("head").Close().Space("\n").Open("meta").Attribute("charset", "utf-8");
    head.CloseEmpty().Space("\n").Element("title",
                                          (title.empty() ? settings_->title : title).view());
    *out << head.Space("\n").Take();
    const StringT imageCss = LastPathComponent(GetImageCssPath());
    for (const StringT& css : GetAllCssPaths()) {
        if (css == imageCss && !linkImageStyles)
            continue;
        // A document in a subfolder reaches the style sheets by going up.
        XmlWriter link;
        link.Open("link").Path("href",
                               RelativePath(fileName.view(), (GetCssPath() + css).view()).view());
        link.Attribute("rel", "stylesheet").Attribute("type", "text/css").CloseEmpty().Space("\n");
        if (css == imageCss)
            out->MarkImageLink(StringT(link.Take()));
        else
            *out << link.View();
    }
    *out << head.End("head").Space("\n").Open("body").Close().Space("\n").Take();
    return out;
}

void HtmlExporter::AddEquation() {
    accessibilityProfile_.AddEquation();
    mathDocuments_.insert(currentDocument_);
}

bool HtmlExporter::EndChunk(const Counted<Foundation::OutStream>& stream) {
    XmlWriter end;
    *stream << end.End("body").Space("\n").End("html").View();
    auto* pending = dynamic_cast<PendingDocument*>(stream.get());
    return !pending || pending->Finish(styles_.HasImages());
}

void HtmlExporter::StartSection(Foundation::OutStream& stream, Landmark landmark) {
    if (landmark == Landmark::None) {
        sections_.push_back({{}, false, true});
        return;
    }
    const StringT label = StringT::Format("sect_%1", sectionCounter_++);
    sections_.push_back({label, false, false, landmark});
    XmlWriter x;
    x.Open("section");
    const LandmarkInfo& info = GetLandmarkInfo(landmark);
    if (!info.ariaRole.empty())
        x.Attribute("role", info.ariaRole);
    // The space before ">" is what the documents have always had.
    x.Attribute("aria-labelledby", label).Space(" ").Close().Space("\n");
    stream << x.View();
}

void HtmlExporter::EndSection(Foundation::OutStream& stream) {
    if (sections_.empty())
        return;
    const SectionEntry& section = sections_.back();
    // A section no paragraph opened (the next landmark came first) is named by its landmark.
    if (!section.labelId.empty() && !section.labelUsed) {
        const LandmarkInfo& info = GetLandmarkInfo(section.landmark);
        XmlWriter x;
        x.Open("span").Attribute("id", section.labelId).Attribute("hidden", "hidden").Close();
        x.Text(Localise(StringT(info.styleName), StringT(info.displayName)));
        stream << x.End("span").Space("\n").View();
    }
    if (!section.labelId.empty())
        stream << XmlWriter().End("section").Space("\n").View();
    sections_.pop_back();
}

bool HtmlExporter::HasCurrentSection() const {
    return !sections_.empty() && !sections_.back().silent;
}

StringT HtmlExporter::TakeSectionLabel() {
    if (!HasCurrentSection() || sections_.back().labelUsed)
        return {};
    sections_.back().labelUsed = true;
    return sections_.back().labelId;
}

void HtmlExporter::ReturnSectionLabel() {
    if (HasCurrentSection())
        sections_.back().labelUsed = false;
}

void HtmlExporter::AddLanguageCounts(
    const std::map<StringT, std::pair<Counted<const Text::Language>, int64_t>>& counts) {
    for (const auto& [id, entry] : counts) {
        auto& total = languageCounts_[id];
        total.first = entry.first;
        total.second += entry.second;
    }
}

StringT HtmlExporter::Localise(const StringT& key, const StringT& defaultText) const {
    const Counted<const Text::Language> language = GetPublicationLanguage();
    return LocaliseIn(language.get(), key, defaultText);
}

StringT HtmlExporter::LocaliseIn(const Text::Language* language, const StringT& key,
                                 const StringT& defaultText) const {
    StringT text = GeneratedText(key.view(), language ? language->GetId().view() : "");
    if (text.empty())
        text = defaultText;
    return callbacks_.localise ? callbacks_.localise(key, language, text) : text;
}

Counted<const Text::Language> HtmlExporter::GetPublicationLanguage() const {
    return Text::Language::Make(settings_->language.view());
}

bool HtmlExporter::ExportImage(const Counted<const Raster::DynamicBitmap>& bitmap,
                               const Counted<const Foundation::DataSource>& source,
                               const StringT& name, Raster::FileType type,
                               Foundation::SizeT<double> size,
                               const Counted<const Render::RenderTags>& tags, bool wrapInClassDiv,
                               const StringT& extraCss) {
    return Writer().Figures().ExportImage(bitmap, source, name, type, size, tags, wrapInClassDiv,
                                          extraCss);
}

bool HtmlExporter::ExportSVG(const Counted<const Foundation::DataSource>& svg,
                             Foundation::SizeT<double> svgSize, int resolution, const StringT& name,
                             Foundation::SizeT<double> size, Foundation::RectT<double> clip,
                             const Counted<const Render::RenderTags>& tags, bool wrapInClassDiv) {
    return Writer().Figures().ExportSVG(svg, svgSize, resolution, name, size, clip, tags,
                                        wrapInClassDiv);
}

bool HtmlExporter::ExportFrame(const Text::AnchoredFrame& frame) {
    return Writer().ExportFrame(frame);
}

bool HtmlExporter::ExportPicture(const Counted<const Foundation::DataSource>& source,
                                 Raster::FileType type, const StringT& name,
                                 Foundation::SizeT<double> size,
                                 const Counted<const Render::RenderTags>& tags) {
    // Pictures stay inline in their paragraph: a class goes on the picture itself.
    if (type != Raster::FileType::SVG)
        return ExportImage(nullptr, source, name, type, size, tags, false);
    const int resolution = static_cast<int>(std::lround(settings_->GetResolution()));
    return ExportSVG(source, size, resolution, name, size, {}, tags, false);
}

bool HtmlExporter::ExportTable(const Counted<const Text::TableFrame>& frame,
                               const Counted<const Text::Story>& story) {
    return frame && Writer().Tables().ExportTable(*frame, story);
}

bool HtmlExporter::ExportTableCell(const Text::StoryRange& cell) {
    return Writer().Tables().ExportTableCell(cell);
}

Counted<Raster::DynamicBitmap>
HtmlExporter::RasteriseImageBullet(const Counted<const Text::ImageBulletGlyph>& glyph,
                                   const Consolidated<Text::GlyphAtts>& atts) const {
    if (!glyph || !atts)
        return nullptr;
    return EPub::RasteriseImageBullet(*glyph, *atts);
}

StringT HtmlExporter::RegisterTextStyleClass(const StringT& styleName) {
    StyleParams params;
    styles_.RegisterStyle(styleName, params);
    return params.includeClass ? params.classList : StringT();
}

bool HtmlExporter::ExportStory(const Counted<const Text::Story>& story, const Text::StoryPos& end,
                               const StringT& fileName, const StringT& title) {
    return Writer().ExportStory(story, end, fileName, title);
}

bool HtmlExporter::ExportStory(const Counted<const Text::Story>& story, const StringT& fileName,
                               const StringT& title, const std::vector<StoryChunk>& chunks) {
    return Writer().ExportStory(story, fileName, title, chunks);
}

void HtmlExporter::GetStoryChunks(const Counted<const Text::Story>& story,
                                  const Text::StoryPos& end, const StringT& fileName,
                                  std::vector<StoryChunk>& chunks, int& chunkNumber,
                                  const std::vector<FrameScale>& frameScales,
                                  bool countLeadingBreak) {
    Writer().GetStoryChunks(story, end, fileName, chunks, chunkNumber, frameScales,
                            countLeadingBreak);
}

void HtmlExporter::RegisterArticle(const Article& article, const StringT& fileName) {
    Writer().RegisterArticle(article, fileName);
}

bool HtmlExporter::ExportArticle(const Article& article, const StringT& fileName,
                                 int paginationSource) {
    return Writer().ExportArticle(article, fileName, paginationSource);
}

void HtmlExporter::HandlePageAnchor(Foundation::OutStream& out, int source, const StringT& fileName,
                                    const Text::StoryPos& pos, ExportState& state) {
    WritePageMarkers(out, anchors_, source, fileName, pos, state);
}

} // namespace EPub
