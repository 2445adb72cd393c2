// SPDX-License-Identifier: MIT
#include "epub/fixed/FixedPackage.h"

#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/PageSource.h"
#include "epub/package/FontWriter.h"
#include "epub/package/Landmark.h"
#include "epub/package/OcfContainer.h"
#include "epub/package/PackageText.h"
#include "epub/xml/TextEncoding.h"
#include "epub/xml/XmlWriter.h"
#include "host/foundation/FontCollection.h"
#include "host/foundation/FontHandle.h"
#include "host/foundation/FontSubset.h"

namespace EPub {

namespace {

using Foundation::OutStream;

static_assert(kLandmarkSlots == kLandmarkCount);

// The spread a page asked for, as the spine's properties value; empty for none.
std::string_view PageSpreadProperty(PageSpread spread) {
    switch (spread) {
    case PageSpread::Left:
        return "page-spread-left";
    case PageSpread::Right:
        return "page-spread-right";
    case PageSpread::Center:
        return "rendition:page-spread-center";
    case PageSpread::Auto:
        break;
    }
    return {};
}

std::string StemOf(const StringT& path) {
    std::string s = path.str();
    for (char& c : s)
        if (c == '/' || c == '.')
            c = '_';
    return s;
}

// Nothing a reader would see once what XML cannot hold is dropped: EPUBCheck refuses such
// metadata and navigation links.
bool Blank(std::string_view text) {
    const StringT kept = DropXmlIllegal(text);
    return kept.view().find_first_not_of(" \t\r\n") == std::string_view::npos;
}

void Line(XmlWriter& x, std::string_view name, std::string_view text) {
    x.Element(name, text).Space("\n");
}

void Meta(XmlWriter& x, std::string_view property, std::string_view text) {
    x.Open("meta").Attribute("property", property).Close().Text(text).End("meta").Space("\n");
}

// The print edition as reflowable publications name it: an ISBN as a URN in pageBreakSource
// and bare in dc:source.
void WritePageSource(XmlWriter& x, const StringT& source) {
    const PaginationSourceType type = PageSourceType(source.view());
    if (type == PaginationSourceType::None)
        return;
    constexpr std::string_view prefix = "urn:isbn:";
    StringT bare = source, urn = source;
    if (type == PaginationSourceType::ISBN && source.FindNoCase(prefix) == 0)
        bare = source.Substr(prefix.size());
    else if (type == PaginationSourceType::ISBN)
        urn = StringT(prefix) + source;
    Meta(x, "pageBreakSource", urn.view());
    Line(x, "dc:source", bare.view());
}

void WriteMetadata(XmlWriter& x, const Publication& p, const FixedPackageInput& in) {
    const ExportSettings& s = in.settings;
    const StringT now = in.currentTime();
    x.Open("metadata").Attribute("xmlns:dc", "http://purl.org/dc/elements/1.1/").Close();
    x.Space("\n").Open("dc:identifier").Attribute("id", "pub-id").Close();
    x.Text(p.GetIdentifier()).End("dc:identifier").Space("\n");
    Line(x, "dc:title", p.GetTitle().view());
    Line(x, "dc:language", p.GetLanguage().view());
    for (size_t i = 1; i < p.GetLanguages().size(); ++i)
        if (!p.GetLanguages()[i].first.empty() && p.GetLanguages()[i].first != p.GetLanguage())
            Line(x, "dc:language", p.GetLanguages()[i].first.view());
    if (!Blank(s.author.view())) {
        x.Open("dc:creator").Attribute("id", "creator").Close().Text(s.author);
        x.End("dc:creator").Space("\n");
    }
    const std::pair<std::string_view, const StringT*> optional[] = {
        {"dc:contributor", &s.illustrator},
        {"dc:description", &s.description},
        {"dc:publisher", &s.publisher},
        {"dc:rights", &s.rights},
        {"dc:subject", &s.subject}};
    for (const auto& [name, value] : optional)
        if (!Blank(value->view()))
            Line(x, name, value->view());
    Line(x, "dc:date", (s.date.empty() ? now : s.date).view());
    Meta(x, "dcterms:modified", now.view());
    WritePageSource(x, in.pageSource);
    if (s.accessibility) {
        Foundation::MemoryOutStream described;
        s.accessibility->Describe("", described);
        x.Fragment(described.Data());
    }
    Meta(x, "rendition:layout", "pre-paginated");
    Meta(x, "rendition:orientation", "auto");
    Meta(x, "rendition:spread", in.spread);
    if (p.GetCoverImage()) {
        x.Open("meta").Attribute("name", "cover").Attribute("content", "cover-image");
        x.CloseEmpty().Space("\n");
    }
    x.Open("meta").Attribute("name", "generator").Attribute("content", in.generator);
    x.CloseEmpty().Space("\n").End("metadata").Space("\n");
}

void Item(XmlWriter& x, std::string_view id, std::string_view href, std::string_view mediaType,
          std::string_view properties = {}) {
    x.Open("item").Attribute("id", id).Url("href", href).Attribute("media-type", mediaType);
    if (!properties.empty())
        x.Attribute("properties", properties);
    x.CloseEmpty().Space("\n");
}

void WritePackage(XmlWriter& x, const Publication& p, const FixedPackageInput& in,
                  const std::vector<StringT>& fontPaths) {
    x.Declare(XmlWriter::Declaration::Plain);
    x.Open("package")
        .Attribute("version", "3.0")
        .Attribute("xmlns", "http://www.idpf.org/2007/opf");
    x.Attribute("unique-identifier", "pub-id");
    x.Attribute("prefix", "rendition: http://www.idpf.org/vocab/rendition/#");
    x.Attribute("xml:lang", p.GetLanguage()).Close().Space("\n");
    WriteMetadata(x, p, in);
    x.Open("manifest").Close().Space("\n");
    Item(x, "nav", "nav.xhtml", MediaTypeName(MediaType::XHTML), "nav");
    Item(x, "styles", "css/styles.css", MediaTypeName(MediaType::CSS));
    for (const auto& page : p.GetPages()) {
        Item(x, page.name.view(), page.name.str() + ".xhtml", MediaTypeName(MediaType::XHTML));
        Item(x, page.name.str() + "-css", "css/" + page.name.str() + ".css",
             MediaTypeName(MediaType::CSS));
    }
    for (const StringT& sheet : p.GetStyleSheets())
        Item(x, StemOf(sheet), sheet.view(), MediaTypeName(MediaType::CSS));
    for (const auto& image : p.GetImages()) {
        const bool cover = p.GetCoverImage() && *p.GetCoverImage() == image.entry;
        Item(x, cover ? std::string("cover-image") : StemOf(image.path), image.path.view(),
             MediaTypeName(image.type), cover ? "cover-image" : "");
    }
    for (const StringT& font : fontPaths)
        Item(x, StemOf(font), font.view(), MediaTypeName(GetMediaType(font.view())));
    x.End("manifest").Space("\n").Open("spine");
    if (in.rightToLeft)
        x.Attribute("page-progression-direction", "rtl");
    x.Close().Space("\n");
    for (const auto& page : p.GetPages()) {
        x.Open("itemref").Attribute("idref", page.name);
        const std::string_view spread = PageSpreadProperty(page.spread);
        if (!spread.empty())
            x.Attribute("properties", spread);
        x.CloseEmpty().Space("\n");
    }
    x.End("spine").Space("\n").End("package").Space("\n");
}

// A text the library writes, in the publication's language, as the host changes it.
StringT NavigationText(std::string_view key, const Publication& p, const FixedPackageInput& in) {
    const StringT text = GeneratedText(key, p.GetLanguage().view());
    return in.localise ? in.localise(key, text) : text;
}

// <li><a href="...">text</a>, the item left open.
void LinkItem(XmlWriter& x, std::string_view href, std::string_view text,
              std::string_view type = {}) {
    x.Open("li").Close().Open("a");
    if (!type.empty())
        x.Attribute("epub:type", type);
    x.Attribute("href", href).Close().Text(text).End("a");
}

void OpenNav(XmlWriter& x, std::string_view type, std::string_view heading, std::string_view text,
             bool hidden) {
    x.Open("nav").Attribute("epub:type", type).Attribute("id", type);
    if (type == "toc")
        x.Attribute("role", "doc-toc");
    if (hidden)
        x.Attribute("hidden", "hidden");
    x.Close().Space("\n").Element(heading, text).Space("\n").Open("ol").Close().Space("\n");
}

void WriteNavigation(XmlWriter& x, const Publication& p, const FixedPackageInput& in) {
    const auto& pages = p.GetPages();
    auto href = [&](uint32_t ordinal) {
        ordinal = std::clamp<uint32_t>(ordinal, 1, static_cast<uint32_t>(pages.size()));
        return pages[ordinal - 1].name.str() + ".xhtml";
    };
    x.Declare(XmlWriter::Declaration::Plain).Doctype().Open("html");
    x.Attribute("xmlns", "http://www.w3.org/1999/xhtml");
    x.Attribute("xmlns:epub", "http://www.idpf.org/2007/ops");
    x.Attribute("lang", p.GetLanguage()).Attribute("xml:lang", p.GetLanguage()).Close();
    x.Space("\n").Open("head").Close().Space("\n").Open("meta").Attribute("charset", "utf-8");
    x.CloseEmpty(true).Space("\n").Element("title", p.GetTitle().view()).Space("\n");
    x.End("head").Space("\n").Open("body").Close().Space("\n");
    OpenNav(x, "toc", "h1", NavigationText(TextKey::kTableOfContents, p, in).view(), false);
    std::vector<ContentsEntry> contents = in.contents;
    if (contents.empty() && !pages.empty())
        contents.push_back({p.GetTitle(), 1, 0});
    int level = 0;
    bool openItem = false;
    for (const auto& entry : contents) {
        // A list nests inside an item: before the first item there is none to nest in.
        const int target = openItem ? std::clamp(entry.level, 0, level + 1) : 0;
        if (target > level) {
            x.Space("\n").Open("ol").Close().Space("\n");
            openItem = false;
        }
        while (level > target) {
            x.End("li").Space("\n").End("ol").Space("\n");
            --level;
        }
        if (openItem)
            x.End("li").Space("\n");
        level = target;
        // An entry with no title a reader could see is named by its page.
        const std::string title =
            Blank(entry.title.view()) ? std::to_string(entry.page) : entry.title.str();
        LinkItem(x, href(entry.page), title);
        openItem = true;
    }
    while (level > 0) {
        x.End("li").Space("\n").End("ol").Space("\n");
        --level;
    }
    if (openItem)
        x.End("li").Space("\n");
    x.End("ol").Space("\n").End("nav").Space("\n");
    if (!pages.empty()) {
        OpenNav(x, "page-list", "h2", NavigationText(TextKey::kPageList, p, in).view(), true);
        for (size_t i = 0; i < pages.size(); ++i) {
            const std::string label =
                Blank(pages[i].label.view()) ? std::to_string(i + 1) : pages[i].label.str();
            const std::string target = href(static_cast<uint32_t>(i + 1)) + "#pg" +
                                       std::string(pages[i].name.view().substr(4));
            LinkItem(x, target, label);
            x.End("li").Space("\n");
        }
        x.End("ol").Space("\n").End("nav").Space("\n");
    }
    bool any = false;
    for (size_t slot = 0; slot < kLandmarkSlots; ++slot)
        any = any || p.GetLandmarks()[slot] != 0;
    if (any) {
        OpenNav(x, "landmarks", "h2", NavigationText(TextKey::kLandmarks, p, in).view(), true);
        for (size_t slot = 0; slot < kLandmarkSlots; ++slot) {
            const uint32_t ordinal = p.GetLandmarks()[slot] & ~kLandmarkFromTypes;
            if (ordinal == 0)
                continue;
            // Slots follow the landmark enumeration, which starts at 1.
            const LandmarkInfo& info = GetLandmarkInfo(static_cast<Landmark>(slot + 1));
            LinkItem(x, href(ordinal), NavigationText(info.styleName, p, in).view(),
                     LandmarkName(slot));
            x.End("li").Space("\n");
        }
        x.End("ol").Space("\n").End("nav").Space("\n");
    }
    x.End("body").Space("\n").End("html").Space("\n");
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
    write("package.opf", [&](OutStream& out) {
        XmlWriter x;
        WritePackage(x, p, in, manifestFonts);
        out << x.View();
    });
    write("nav.xhtml", [&](OutStream& out) {
        XmlWriter x;
        WriteNavigation(x, p, in);
        out << x.View();
    });
    ok = AddContainer(archive, root) && ok;
    ok = AddEncryption(archive, records) && ok;
    return ok;
}

} // namespace EPub
