// SPDX-License-Identifier: MIT
#include "epub/fixed/FixedPackage.h"

#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/PageSource.h"
#include "epub/package/FontWriter.h"
#include "epub/package/Landmark.h"
#include "epub/package/NavigationModel.h"
#include "epub/package/OcfContainer.h"
#include "epub/package/PackageText.h"
#include "epub/xml/TextEncoding.h"
#include "host/foundation/FontCollection.h"
#include "host/foundation/FontHandle.h"
#include "host/foundation/FontSubset.h"

namespace EPub {

namespace {

using Foundation::OutStream;
using Foundation::ToStringT;

static_assert(kLandmarkSlots == kLandmarkCount);

SpinePageSpread SpineSpread(PageSpread spread) {
    switch (spread) {
    case PageSpread::Left:
        return SpinePageSpread::Left;
    case PageSpread::Right:
        return SpinePageSpread::Right;
    case PageSpread::Center:
        return SpinePageSpread::Center;
    case PageSpread::Auto:
        break;
    }
    return SpinePageSpread::Auto;
}

std::string StemOf(const StringT& path) {
    std::string s = path.str();
    for (char& c : s)
        if (c == '/' || c == '.')
            c = '_';
    return s;
}

// EPUBCheck refuses metadata with nothing a reader would see.
StringT Visible(const StringT& text) {
    return BlankText(text.view()) ? StringT() : text;
}

PackageMetadata MakeMetadata(const Publication& p, const FixedPackageInput& in) {
    const ExportSettings& s = in.settings;
    PackageMetadata m;
    m.identifiers.push_back({"pub-id", p.GetIdentifier(), {}});
    m.titles.push_back(p.GetTitle());
    m.languages.push_back(p.GetLanguage());
    for (size_t i = 1; i < p.GetLanguages().size(); ++i)
        if (!p.GetLanguages()[i].first.empty() && p.GetLanguages()[i].first != p.GetLanguage())
            m.languages.push_back(p.GetLanguages()[i].first);
    if (!BlankText(s.author.view()))
        m.authors.push_back({s.author, "creator", {}});
    if (!BlankText(s.illustrator.view()))
        m.contributors.push_back({s.illustrator, {}, {}, true});
    m.description = Visible(s.description);
    m.publisher = Visible(s.publisher);
    m.rights = Visible(s.rights);
    m.subject = Visible(s.subject);
    m.modified = in.currentTime();
    m.date = s.date.empty() ? m.modified : s.date;
    m.SetPageSource(PageSourceType(in.pageSource.view()), in.pageSource);
    if (s.accessibility) {
        Foundation::MemoryOutStream described;
        s.accessibility->Describe("", described);
        m.accessibility = described.Data();
    }
    m.renditionProperties = {{"rendition:layout", "pre-paginated"},
                             {"rendition:orientation", "auto"},
                             {"rendition:spread", StringT(in.spread)}};
    if (p.GetCoverImage())
        m.coverImageId = "cover-image";
    m.generator = in.generator;
    return m;
}

// Names on disk may already hold percent groups, so every href is only completed.
void AddItem(PackageModel& package, StringT id, StringT href, std::string_view mediaType,
             StringT properties = {}) {
    package.manifest.push_back(
        {std::move(id), {std::move(href), {}, true}, mediaType, std::move(properties)});
}

PackageModel MakePackage(const Publication& p, const FixedPackageInput& in,
                         const std::vector<StringT>& fontPaths) {
    PackageModel package;
    package.prefix = "rendition: http://www.idpf.org/vocab/rendition/#";
    package.lang = p.GetLanguage();
    package.metadata = MakeMetadata(p, in);
    AddItem(package, "nav", "nav.xhtml", MediaTypeName(MediaType::XHTML), "nav");
    AddItem(package, "styles", "css/styles.css", MediaTypeName(MediaType::CSS));
    for (const auto& page : p.GetPages()) {
        AddItem(package, page.name, page.name.str() + ".xhtml", MediaTypeName(MediaType::XHTML));
        AddItem(package, page.name.str() + "-css", "css/" + page.name.str() + ".css",
                MediaTypeName(MediaType::CSS));
    }
    for (const StringT& sheet : p.GetStyleSheets())
        AddItem(package, StemOf(sheet), sheet, MediaTypeName(MediaType::CSS));
    for (const auto& image : p.GetImages()) {
        const bool cover = p.GetCoverImage() && *p.GetCoverImage() == image.entry;
        AddItem(package, cover ? StringT("cover-image") : StringT(StemOf(image.path)), image.path,
                MediaTypeName(image.type), cover ? "cover-image" : "");
    }
    for (const StringT& font : fontPaths)
        AddItem(package, StemOf(font), font, MediaTypeName(GetMediaType(font.view())));
    package.rightToLeft = in.rightToLeft;
    for (const auto& page : p.GetPages())
        package.spine.push_back({page.name, SpineLinear::Unset, SpineSpread(page.spread)});
    return package;
}

// A text the library writes, in the publication's language, as the host changes it.
StringT NavigationText(std::string_view key, const Publication& p, const FixedPackageInput& in) {
    const StringT text = GeneratedText(key, p.GetLanguage().view());
    return in.localise ? in.localise(key, text) : text;
}

// The page list and landmarks are for the reading system's own controls, not the page.
NavigationList MakeList(std::string_view type, std::string_view heading, StringT text) {
    NavigationList list{StringT(type), std::move(text)};
    list.id = StringT(type);
    list.headingElement = heading;
    list.hidden = true;
    return list;
}

NavigationModel MakeNavigation(const Publication& p, const FixedPackageInput& in) {
    const auto& pages = p.GetPages();
    auto href = [&](uint32_t ordinal, bool marker = false) {
        if (pages.empty())
            return PackageHref();
        ordinal = std::clamp<uint32_t>(ordinal, 1, static_cast<uint32_t>(pages.size()));
        const StringT& name = pages[ordinal - 1].name;
        // The page writer marks each page's start with "pg" and the page's number.
        return PackageHref{name.str() + ".xhtml",
                           marker ? StringT("pg" + std::string(name.view().substr(4))) : StringT()};
    };
    NavigationModel nav;
    nav.htmlHead = true;
    nav.lang = p.GetLanguage();
    nav.title = p.GetTitle();
    NavigationList toc = MakeList("toc", "h1", NavigationText(TextKey::kTableOfContents, p, in));
    toc.role = "doc-toc";
    toc.hidden = false;
    std::vector<ContentsEntry> contents = in.contents;
    if (contents.empty() && !pages.empty())
        contents.push_back({p.GetTitle(), 1, 0});
    for (const ContentsEntry& entry : contents) {
        // An entry with no title a reader could see is named by its page.
        const StringT title = BlankText(entry.title.view()) ? ToStringT(entry.page) : entry.title;
        toc.entries.push_back({title, href(entry.page), entry.level, {}});
    }
    nav.lists.push_back(std::move(toc));
    if (!pages.empty()) {
        NavigationList list =
            MakeList("page-list", "h2", NavigationText(TextKey::kPageList, p, in));
        for (size_t i = 0; i < pages.size(); ++i) {
            const auto ordinal = static_cast<uint32_t>(i + 1);
            const StringT label =
                BlankText(pages[i].label.view()) ? ToStringT(ordinal) : pages[i].label;
            list.entries.push_back({label, href(ordinal, true), 0, {}});
        }
        nav.lists.push_back(std::move(list));
    }
    NavigationList landmarks =
        MakeList("landmarks", "h2", NavigationText(TextKey::kLandmarks, p, in));
    for (size_t slot = 0; slot < kLandmarkSlots; ++slot) {
        const uint32_t ordinal = p.GetLandmarks()[slot] & ~kLandmarkFromTypes;
        if (ordinal == 0)
            continue;
        // Slots follow the landmark enumeration, which starts at 1.
        const LandmarkInfo& info = GetLandmarkInfo(static_cast<Landmark>(slot + 1));
        landmarks.entries.push_back(
            {NavigationText(info.styleName, p, in), href(ordinal), 0, StringT(LandmarkName(slot))});
    }
    if (!landmarks.entries.empty())
        nav.lists.push_back(std::move(landmarks));
    return nav;
}

std::string FontFileName(const StringT& path) {
    const size_t slash = path.RFind('/');
    return slash == StringT::npos ? path.str() : path.str().substr(slash + 1);
}

// The face as it goes into the publication: cut to the characters the pages show, else a
// collection's face alone, else the file as it is.
std::string FaceToEmbed(const Foundation::FontHandle& handle, Foundation::InStream& in,
                        const Publication& p) {
    std::string whole = Foundation::ReadAll(in);
    if (p.SubsetsFonts() && (handle.GetLicenceType() & Foundation::kNoSubsettingLicence) == 0) {
        const std::vector<char32_t> characters = p.GetCharacters().Sorted();
        auto cut = Foundation::SubsetFont(whole, handle.GetFaceIndex(), characters);
        if (cut && cut->size() < whole.size())
            return std::move(*cut);
    }
    if (Foundation::IsFontCollection(whole))
        if (auto face = Foundation::ExtractCollectionFace(whole, handle.GetFaceIndex()))
            return std::move(*face);
    return whole;
}

} // namespace

std::string SharedStyleSheet(const Publication& p, const std::vector<StringT>& fontPaths) {
    std::string css = "@charset \"UTF-8\";\n"
                      "html, body { margin: 0; padding: 0; }\n"
                      "body { position: relative; overflow: hidden; }\n";
    const auto& fonts = p.GetFonts();
    for (size_t i = 0; i < fonts.size() && i < fontPaths.size(); ++i) {
        if (fontPaths[i].empty())
            continue;
        css += "@font-face { font-family: \"" + fonts[i].family.str() + "\"; src: url(\"../" +
               URLEncode(fontPaths[i].view()).str() +
               "\"); font-weight: " + std::to_string(fonts[i].weight) +
               "; font-style: " + (fonts[i].italic ? "italic" : "normal") + "; }\n";
    }
    for (const auto& style : p.GetDocStyles())
        css += "." + style.name.str() + " { " + style.declarations + " }\n";
    return css;
}

bool WriteFixedPackage(Publication& p, const FixedPackageInput& in) {
    auto& archive = p.GetArchive();
    const std::string root = p.GetRoot().str();
    const FontKey key = MakeFontKey(p.GetIdentifier().view());
    EmbeddedFonts records;
    std::vector<StringT> fontPaths; // relative to the root, one per registered font
    bool ok = true;
    for (const auto& font : p.GetFonts()) {
        auto handle = Foundation::FontHandle::MakeFromFile(font.path, font.faceIndex);
        auto data = handle && handle->CanEmbed() ? handle->OpenData() : nullptr;
        size_t record = 0;
        if (data) {
            std::string face = FaceToEmbed(*handle, *data, p);
            const StringT name = PlainFontName(StringT(FontFileName(font.path)), face);
            Foundation::MemoryInStream in(std::move(face));
            record = WriteFontFile(
                archive, root, {name, in, handle->GetModifiedTime(), std::nullopt}, key, records);
        }
        if (record == 0) {
            fontPaths.emplace_back();
            continue;
        }
        const StringT full = archive.Path(records[record - 1].entryIndex);
        fontPaths.push_back(full.Substr(root.size() + 1));
    }
    auto write = [&](const StringT& path, auto&& body) {
        auto out = AddEntry(archive, JoinEntryPath(root, path.view()));
        if (!out) {
            ok = false;
            return;
        }
        body(*out);
    };
    write("css/styles.css", [&](OutStream& out) { out << SharedStyleSheet(p, fontPaths); });
    std::vector<StringT> manifestFonts;
    for (const auto& f : fontPaths)
        if (!f.empty())
            manifestFonts.push_back(f);
    write("package.opf",
          [&](OutStream& out) { out << WritePackage(MakePackage(p, in, manifestFonts)); });
    write("nav.xhtml", [&](OutStream& out) { out << WriteNavigation(MakeNavigation(p, in)); });
    ok = AddContainer(archive, root) && ok;
    ok = AddEncryption(archive, records) && ok;
    return ok;
}

} // namespace EPub
