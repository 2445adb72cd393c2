// SPDX-License-Identifier: MIT
#pragma once
// A fixed-layout EPUB under construction: pages are written into the container as they are
// added; what the package and navigation documents need is recorded.

#include "epub/css/UsedCharacters.h"
#include "epub/fixed/Page.h"
#include "epub/package/MediaType.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"
#include "host/foundation/TimeStamp.h"
#include "host/foundation/ZipArchive.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace Text {
class StyleSheet;
class GlyphAtts;
} // namespace Text

namespace EPub {

using Foundation::Counted;
using Foundation::NonCounted;

enum class Layout : int32_t { PrePaginated = 0, Reflowable = 1 };
// Where a page sits in a spread; Auto lets the reading system decide.
enum class PageSpread : int32_t { Auto = 0, Left = 1, Right = 2, Center = 3 };
enum class NoteType : int32_t { None = 0, Footnote = 1, Endnote = 2, Sidenote = 3 };
struct NotePos {
    int32_t story = 0, paragraph = 0, offset = 0;
    auto operator<=>(const NotePos&) const = default;
};

// Which rule set a shared document style belongs to.
enum class Section : int32_t { Builtin = 0, Text = 1, Box = 2, Image = 3, Group = 4 };

inline constexpr size_t kLandmarkSlots = 24;
// Landmark names by slot.
std::string_view LandmarkName(size_t slot);
// Slot of a landmark name; none for other names.
std::optional<size_t> LandmarkSlot(std::string_view name);
// Flags a cover slot set from the page types rather than from the page's own tags.
inline constexpr uint32_t kLandmarkFromTypes = 0x80000000;

// An anchor name as an element id: an XML name, bytes other than ASCII letters, digits, "-", "_"
// and "." becoming "_" (one per character), with "_" in front of a name that cannot start one.
std::string AnchorNameToId(std::string_view name);

// The characters a generated file name may keep: letters, digits, and "-" or "." except first.
StringT SafeEntryName(std::string_view name);

class Publication {
public:
    struct PageRecord {
        StringT name;  // "page3"
        StringT label; // the printed page number, empty for none
        PageSpread spread = PageSpread::Auto;
    };
    struct ImageRecord {
        StringT path; // relative to the root: "image/1.png"
        MediaType type = MediaType::PNG;
        size_t entry = 0;
    };
    struct Img {
        size_t entry = 0;
        StringT path; // relative to the root
        Counted<Foundation::OutStream> out;
    };
    struct DocStyle {
        Section section;
        StringT name;
        std::string declarations;
    };
    struct FontRecord {
        StringT family; // as the style sheets name it
        StringT path;   // the font file
        uint32_t faceIndex = 0;
        int weight = 400;
        bool italic = false;
    };

    Publication(std::string_view root, const StringT& documentPath, StringT identifier,
                StringT title, StringT language,
                NonCounted<const Text::StyleSheet> styleSheet = nullptr,
                NonCounted<const Text::GlyphAtts> defaultAtts = nullptr,
                Layout layout = Layout::PrePaginated);

    // Attaches the container before the first Add.
    void SetArchive(Counted<Foundation::ZipArchive> archive) { archive_ = std::move(archive); }
    Foundation::ZipArchive& GetArchive() const { return *archive_; }

    // Writes the page document now and records the page. `types` sets landmark slots by bit.
    bool Add(const Page& page, std::string_view label, PageSpread spread, uint32_t types);
    // A user style sheet, linked from every page written afterwards. Returns its path relative
    // to the root, empty when it could not be written.
    StringT AddCSS(const StringT& name, const Foundation::DataSource& data,
                   std::optional<Foundation::TimeStamp> modified);
    // Registers a shared rule; identical rules share a number. Returns the rule's 1-based number.
    uint32_t AddDocStyle(Section section, std::string_view name, std::string declarations);
    const DocStyle& GetDocStyle(uint32_t number) const { return docStyles_.at(number - 1); }
    // The class of a line's last span whose hyphen, added by the line break, is drawn after it.
    StringT BreakHyphenClass();
    // The "hidden-layer" rule, registered on first use; returns its class name.
    StringT HiddenLayerClass();
    // The note anchor id for the note at `pos`: reused when already registered.
    StringT Anchor(NoteType type, const NotePos& pos, std::optional<StringT> anchor = {});
    // Registers anchor `number` of `page` under `key` (the page number, so a page finds its own).
    // A name of 3 to 59 characters becomes the anchor's id, made an XML name and unique; other
    // names leave the anchor unnamed. Returns the id the anchor gets.
    StringT Anchor(uint32_t page, uint32_t number, const StringT& name, uint64_t key);
    // The id of anchor `number` on `page`: its registered name, else "a" and the number.
    StringT AnchorId(uint64_t page, uint32_t number) const;

    // Stores an image under root/image/; without a name it is numbered (or "cover").
    Img StoreImage(std::optional<StringT> sourceName, MediaType type, bool cover,
                   std::optional<Foundation::TimeStamp> modified = {});
    // The CSS family name of a font used by text spans, registered on first use.
    StringT UseFont(const FontRecord& font);

    const StringT& GetRoot() const noexcept { return root_; }
    const StringT& GetIdentifier() const noexcept { return identifier_; }
    const StringT& GetTitle() const noexcept { return title_; }
    const StringT& GetLanguage() const noexcept { return language_; }
    const std::vector<std::pair<StringT, uint32_t>>& GetLanguages() const noexcept {
        return languages_;
    }
    Layout GetLayout() const noexcept { return layout_; }
    const std::vector<PageRecord>& GetPages() const noexcept { return pages_; }
    const std::array<uint32_t, kLandmarkSlots>& GetLandmarks() const noexcept { return landmarks_; }
    std::optional<size_t> GetCoverImage() const noexcept { return coverImage_; }
    std::optional<size_t> GetBlankImage() const noexcept { return blankImage_; }
    const StringT& GetBlankImagePath() const noexcept { return blankPath_; }
    void SetBlankImage(size_t entry, StringT path) {
        blankImage_ = entry;
        blankPath_ = std::move(path);
    }
    const std::vector<ImageRecord>& GetImages() const noexcept { return images_; }
    const std::vector<StringT>& GetStyleSheets() const noexcept { return styleSheets_; }
    const std::vector<DocStyle>& GetDocStyles() const noexcept { return docStyles_; }
    const std::vector<FontRecord>& GetFonts() const noexcept { return fonts_; }
    // What the pages show, for cutting the embedded fonts down to it.
    const UsedCharacters& GetCharacters() const noexcept { return characters_; }
    bool SubsetsFonts() const noexcept { return subsetFonts_; }
    void SetSubsetFonts(bool on) noexcept { subsetFonts_ = on; }
    NonCounted<const Text::StyleSheet> GetStyleSheet() const noexcept { return styleSheet_; }
    NonCounted<const Text::GlyphAtts> GetDefaultAtts() const noexcept { return defaultAtts_; }

private:
    StringT UniquePath(const StringT& folder, const StringT& safeName) const;
    void RecordLandmarks(const Page& page, uint32_t ordinal, uint32_t types);

    Counted<Foundation::ZipArchive> archive_;
    StringT root_;
    StringT identifier_;
    StringT title_;
    StringT language_;
    std::vector<std::pair<StringT, uint32_t>> languages_;
    Layout layout_;
    std::vector<PageRecord> pages_;
    std::optional<size_t> coverImage_;
    std::optional<size_t> blankImage_;
    StringT blankPath_;
    std::array<uint32_t, kLandmarkSlots> landmarks_{};
    std::vector<DocStyle> docStyles_;
    std::vector<StringT> styleSheets_; // paths relative to the root
    NonCounted<const Text::StyleSheet> styleSheet_;
    NonCounted<const Text::GlyphAtts> defaultAtts_;
    std::multimap<uint64_t, std::tuple<uint32_t, uint32_t, StringT>> anchors_;
    std::set<std::string> anchorNames_;
    std::map<NotePos, StringT> notes_;
    uint32_t imageCounter_ = 0;
    StringT hiddenLayerClass_;
    std::array<uint32_t, 3> noteCounters_{};
    std::vector<ImageRecord> images_;
    std::vector<FontRecord> fonts_;
    UsedCharacters characters_;
    bool subsetFonts_ = true;
};

} // namespace EPub
