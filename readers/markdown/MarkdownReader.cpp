// SPDX-License-Identifier: MIT
#include "readers/markdown/MarkdownReader.h"

#include "epub/package/NameRules.h"
#include "host/foundation/DataSource.h"
#include "host/raster/ImageFile.h"
#include "host/text/Language.h"
#include "readers/markdown/ChapterChunks.h"
#include "readers/markdown/FrontMatter.h"
#include "readers/markdown/HouseStyle.h"
#include "readers/markdown/MappedText.h"
#include "readers/markdown/MarkdownConverter.h"
#include "readers/markdown/MarkdownTree.h"
#include "readers/markdown/Picture.h"
#include "readers/markdown/TreeAhead.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>

namespace Readers::Markdown {

namespace fs = std::filesystem;
using Foundation::Counted;
using Foundation::MakeCounted;
using Foundation::StringT;

namespace {

[[noreturn]] void Fail(const std::string& source, int line, int column,
                       const std::string& problem) {
    throw InputError(source + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " +
                     problem);
}

// Length of the UTF-8 sequence at `i`, or 0 when it is not a valid one (overlong forms,
// surrogates and code points beyond U+10FFFF included).
size_t SequenceLength(std::string_view text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = at(i);
    if (b < 0x80)
        return 1;
    size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + n > text.size() || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (size_t k = 2; k < n; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return n;
}

// Line and column (in characters) of byte `at`; only worked out for the error message.
std::pair<int, int> LineAndColumn(std::string_view text, size_t at) {
    const std::string_view before = text.substr(0, at);
    const auto line = 1 + std::count(before.begin(), before.end(), '\n');
    const size_t lineStart = before.rfind('\n') + 1; // npos + 1 == 0
    const auto continuation =
        std::count_if(before.begin() + static_cast<ptrdiff_t>(lineStart), before.end(),
                      [](char c) { return (c & 0xC0) == 0x80; });
    return {static_cast<int>(line),
            static_cast<int>(at - lineStart - static_cast<size_t>(continuation) + 1)};
}

void CheckUtf8(std::string_view text, const std::string& source, const ReadProgress& done) {
    constexpr size_t kReportEvery = size_t{1} << 20;
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    for (size_t i = 0, reported = 0; i < text.size();) {
        if (done && i >= reported + kReportEvery) {
            reported = i;
            done(text.data() + i);
        }
        // Runs of ASCII are the common case: eight bytes at a time.
        uint64_t word = 0;
        if (i + sizeof word <= text.size()) {
            std::memcpy(&word, text.data() + i, sizeof word);
            if ((word & kHighBits) == 0) {
                i += sizeof word;
                continue;
            }
        }
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t n = SequenceLength(text, i);
        if (n == 0) {
            const auto [line, column] = LineAndColumn(text, i);
            Fail(source, line, column, "not valid UTF-8 text (save the file as UTF-8)");
        }
        i += n;
    }
}

std::string NewUuid() {
    std::random_device device;
    std::array<uint8_t, 16> bytes{};
    for (size_t i = 0; i < bytes.size(); i += 4) {
        const uint32_t word = device();
        for (size_t k = 0; k < 4; ++k)
            bytes[i + k] = static_cast<uint8_t>(word >> (8 * k));
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "urn:uuid:";
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out += '-';
        out += kHex[bytes[i] >> 4];
        out += kHex[bytes[i] & 15];
    }
    return out;
}

// Text is in the publication's language unless marked otherwise.
Counted<const Text::TextDocument> MakeTextDocument(const StringT& language) {
    auto document = Text::TextDocument::Make();
    const auto& defaults = document->GetDefaultGlyphAtts();
    document->SetDefaults(
        defaults->With(Text::GlyphObject::Language,
                       Counted<const Text::AttObject>(Text::Language::Make(language.view()))),
        *document->GetDefaultParagraphAtts());
    return document;
}

// The chapters of a long text, converted as the export asks for them. The stories go out once
// every link in them leads somewhere already known.
class ChapterSource final : public StorySource {
public:
    ChapterSource(const Document& doc, std::string_view body, std::vector<Chunk> chunks,
                  ConverterSettings settings, std::function<void(const char*)> done,
                  std::shared_ptr<const void> keep)
        : work_(Shell(doc)), body_(body), chunks_(std::move(chunks)),
          firstLine_(settings.firstLine), converter_(work_, std::move(settings)),
          done_(std::move(done)), keep_(std::move(keep)),
          trees_(chunks_.size(), [this](size_t i) { return PieceText(chunks_[i]); }) {
        converter_.Begin();
    }

    bool More(Document& doc) override {
        while (next_ < chunks_.size()) {
            AddPiece(chunks_[next_++]);
            if (const size_t ready = converter_.Ready(); ready > handed_) {
                HandOut(doc, ready);
                return true;
            }
        }
        if (!finished_) {
            converter_.Finish();
            finished_ = true;
        }
        HandOut(doc, work_.stories.size());
        keep_.reset();
        return false;
    }

    size_t Expected() const override { return chunks_.size() + 1; }

private:
    // The document the converter writes into: the reader's styles and settings, no stories.
    static Document Shell(const Document& doc) {
        Document shell;
        shell.settings = doc.settings;
        shell.options = doc.options;
        shell.styles = doc.styles;
        shell.sourceName = doc.sourceName;
        return shell;
    }

    std::string PieceText(const Chunk& chunk) const {
        std::string piece(body_.substr(chunk.begin, chunk.end - chunk.begin));
        piece += chunk.extra;
        return piece;
    }

    void AddPiece(const Chunk& chunk) {
        MarkdownTree tree = trees_.Next();
        if (done_)
            done_(body_.data() + chunk.end);
        converter_.Add(tree.Root(), firstLine_ + chunk.firstLine - 1);
        trees_.Done(std::move(tree));
    }

    // Moves stories [handed_, end) and the findings made so far into `doc`.
    void HandOut(Document& doc, size_t end) {
        for (; handed_ < end; ++handed_)
            doc.stories.push_back(std::move(work_.stories[handed_]));
        for (; findings_ < work_.findings.size(); ++findings_)
            doc.findings.push_back(std::move(work_.findings[findings_]));
    }

    Document work_;
    std::string_view body_;
    std::vector<Chunk> chunks_;
    int firstLine_;
    MarkdownConverter converter_;
    std::function<void(const char*)> done_;
    std::shared_ptr<const void> keep_;
    size_t next_ = 0;
    size_t handed_ = 0;
    size_t findings_ = 0;
    bool finished_ = false;
    TreeAhead trees_; // last: its worker reads body_ and chunks_ until it is destroyed
};

class Reader {
public:
    Reader(const std::string& source, const fs::path& baseDir) : source_(source), base_(baseDir) {}

    Document Read(std::string_view text, const MarkdownOptions& options) {
        if (text.size() > kMaxMarkdownBytes)
            Fail(source_, 1, 1,
                 "larger than " + std::to_string(kMaxMarkdownBytes >> 20) + " MB of Markdown");
        if (text.starts_with("\xEF\xBB\xBF"))
            text.remove_prefix(3);
        CheckUtf8(text, source_, done);
        if (done)
            done(text.data() + text.size());
        const FrontMatter front = ReadFrontMatter(text, source_);
        Document doc;
        doc.sourceName = source_;
        doc.settings = MakeCounted<EPub::ExportSettings>();
        doc.options = MakeCounted<EPub::FlowingEPubOptions>(
            Render::FileExportOptionsVector::Preset::Standard);
        // Hard line breaks are the author's: keep them.
        doc.options->SetRemoveLineBreaks(false);
        // Numbers as text: an ordered list may start anywhere and go on after a paragraph of
        // its item, which list elements alone would number again from 1.
        doc.options->SetConvertNumberedListsToText(true);
        ReadMetadata(front, *doc.settings);
        doc.styles = Text::StyleSheet::Make(MakeTextDocument(doc.settings->language));
        AddHouseStyles(*doc.styles);
        doc.settings->styles = doc.styles;
        doc.settings->defaultGlyphAtts = doc.styles->GetDocument()->GetDefaultGlyphAtts();
        ReadCover(front, doc);
        ReadCss(front, doc);
        for (const Located& key : front.unknownKeys)
            doc.findings.push_back({"line " + std::to_string(key.line),
                                    "front matter key \"" + key.value + "\" is not used"});

        ConverterSettings settings;
        settings.sourceName = source_;
        settings.baseDir = base_;
        settings.chapterLevel = front.chapterLevel.value_or(std::clamp(options.chapterLevel, 0, 6));
        settings.firstLine = front.bodyLine;
        const std::string_view body = text.substr(front.bodyOffset);
        std::vector<Chunk> chunks = SplitChapters(body, settings.chapterLevel, done);
        if (done)
            done(text.data() + text.size());
        if (chunks.size() == 1) {
            const MarkdownTree tree(body);
            SetTitle(doc, MarkdownConverter::FirstHeadingText(tree.Root()));
            settings.title = doc.settings->title.str();
            MarkdownConverter(doc, std::move(settings)).Convert(tree.Root());
            return doc;
        }
        // A long text, chapter by chapter: each piece's tree goes before the next is made.
        // The first heading names the book when nothing else does; the trees of the first
        // pieces are made again when their turn comes, rather than kept.
        std::string firstHeading;
        for (size_t i = 0; i < std::min<size_t>(chunks.size(), 2) && firstHeading.empty(); ++i)
            firstHeading = MarkdownConverter::FirstHeadingText(
                MarkdownTree(body.substr(chunks[i].begin, chunks[i].end - chunks[i].begin)).Root());
        SetTitle(doc, firstHeading);
        settings.title = doc.settings->title.str();
        auto chapters = std::make_shared<ChapterSource>(doc, body, std::move(chunks),
                                                        std::move(settings), done, keep);
        doc.more = chapters;
        if (!options.streamStories)
            ReadRest(doc);
        return doc;
    }

    // Called with how far the text has been read, so the caller may give those pages back.
    ReadProgress done;
    // Kept alive while chapters are still to be read (the mapped file).
    std::shared_ptr<const void> keep;

private:
    void SetTitle(Document& doc, const std::string& firstHeading) const {
        if (doc.settings->title.empty())
            doc.settings->title = StringT(firstHeading);
        if (doc.settings->title.view().find_first_not_of(" \t") == std::string_view::npos)
            doc.settings->title = StringT(fs::path(source_).stem().string());
    }

    void ReadMetadata(const FrontMatter& front, EPub::ExportSettings& s) const {
        s.title = StringT(front.title ? front.title->value : "");
        std::string authors;
        for (const std::string& author : front.authors)
            authors += (authors.empty() ? "" : ", ") + author;
        s.author = StringT(authors);
        s.description = StringT(front.description ? front.description->value : "");
        s.rights = StringT(front.rights ? front.rights->value : "");
        s.language = "en";
        if (front.language) {
            if (!EPub::IsLanguageTag(front.language->value))
                Fail(source_, front.language->line, front.language->column,
                     "front matter: \"" + front.language->value +
                         "\" is not a language tag such as \"en\" or \"de-CH\"");
            s.language = StringT(front.language->value);
        }
        s.identifier =
            StringT(front.identifier && !front.identifier->value.empty() ? front.identifier->value
                                                                         : NewUuid());
        if (front.date) {
            if (!EPub::IsPublicationDate(front.date->value))
                Fail(source_, front.date->line, front.date->column,
                     "front matter: \"" + front.date->value +
                         "\" is not a date such as \"2024\", \"2024-05-17\" or "
                         "\"2024-05-17T09:30:00Z\"");
            s.date = StringT(front.date->value);
        }
    }

    void ReadCover(const FrontMatter& front, Document& doc) const {
        if (!front.cover)
            return;
        fs::path path;
        std::string problem;
        const std::string data = ReadLocalFile(base_, front.cover->value, path, problem);
        auto bitmap = problem.empty() ? Raster::DecodeImage(data) : nullptr;
        if (!bitmap) {
            doc.findings.push_back(
                {"line " + std::to_string(front.cover->line),
                 "cover skipped: " + (problem.empty() ? "\"" + front.cover->value +
                                                            "\" is not a JPEG, PNG or GIF "
                                                            "image"
                                                      : problem)});
            return;
        }
        // The library copies the file's own bytes, so a photograph stays a JPEG.
        doc.settings->coverSource =
            Foundation::MakeCounted<Foundation::FileDataSource>(StringT(path.string()));
        doc.options->SetCoverPageType(EPub::CoverPageType::Image);
    }

    // The user's style sheets come after the generated one, so their rules win.
    void ReadCss(const FrontMatter& front, Document& doc) const {
        for (const Located& name : front.css) {
            fs::path path;
            std::string problem;
            std::string text = ReadLocalFile(base_, name.value, path, problem);
            if (!problem.empty())
                Fail(source_, name.line, name.column, "front matter: style sheet " + problem);
            if (!StringT(text).IsValidUTF8() || text.find('\0') != std::string::npos)
                Fail(source_, name.line, name.column,
                     "front matter: \"" + name.value + "\" is not a UTF-8 text style sheet");
            auto data = MakeCounted<Foundation::FileDataSource>(StringT(path.string()));
            const auto modified = data->GetModifiedTime().value_or(Foundation::TimeStamp());
            doc.cssFiles.push_back(MakeCounted<const EPub::CSSFile>(std::move(data), modified,
                                                                    StringT(std::move(text))));
        }
    }

    std::string source_;
    fs::path base_;
};

} // namespace

Document ReadMarkdown(std::string_view text, const std::string& sourceName, const fs::path& baseDir,
                      const MarkdownOptions& options) {
    try {
        return Reader(sourceName, baseDir).Read(text, options);
    } catch (const std::bad_alloc&) {
        throw InputError(sourceName + ":1:1: too large to read in the memory available");
    }
}

Document ReadMarkdown(const fs::path& file, const MarkdownOptions& options) {
    return ReadMarkdownFile(file, file.string(), file.parent_path(), options);
}

Document ReadMarkdownFile(const fs::path& file, const std::string& sourceName,
                          const fs::path& baseDir, const MarkdownOptions& options) {
    // Shared with the chapters still to be read, which the export may ask for later.
    const auto mapped = std::make_shared<const MappedText>(file);
    Reader reader(sourceName, baseDir);
    // What has been read is given back as the reading goes on.
    reader.done = [raw = mapped.get()](const char* end) { raw->DropBefore(end); };
    reader.keep = mapped;
    try {
        return reader.Read(mapped->View(), options);
    } catch (const std::bad_alloc&) {
        throw InputError(sourceName + ":1:1: too large to read in the memory available");
    }
}

} // namespace Readers::Markdown
