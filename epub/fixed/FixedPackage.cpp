// SPDX-License-Identifier: MIT
#include "epub/fixed/FixedPackage.h"

#include "epub/content/Landmark.h"
#include "epub/content/TextEncoding.h"
#include "epub/fixed/PageWriter.h"
#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/PageSource.h"
#include "epub/package/FontWriter.h"
#include "epub/package/OcfContainer.h"
#include "epub/package/PackageText.h"
#include "host/foundation/FontCollection.h"
#include "host/foundation/FontHandle.h"
#include "host/foundation/FontSubset.h"

namespace EPub {

namespace {

using Foundation::OutStream;

static_assert(kLandmarkSlots == kLandmarkCount);

std::string PageSpreadProperty(PageSpread spread) {
    switch (spread) {
    case PageSpread::Left:
        return " properties=\"page-spread-left\"";
    case PageSpread::Right:
        return " properties=\"page-spread-right\"";
    case PageSpread::Center:
        return " properties=\"rendition:page-spread-center\"";
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

// The print edition as reflowable publications name it: an ISBN as a URN in pageBreakSource
// and bare in dc:source.
void WritePageSource(OutStream& out, const StringT& source) {
    const PaginationSourceType type = PageSourceType(source.view());
    if (type == PaginationSourceType::None)
        return;
    constexpr std::string_view prefix = "urn:isbn:";
    StringT bare = source, urn = source;
    if (type == PaginationSourceType::ISBN && source.FindNoCase(prefix) == 0)
        bare = source.Substr(prefix.size());
    else if (type == PaginationSourceType::ISBN)
        urn = StringT(prefix) + source;
    out << "<meta property=\"pageBreakSource\">" << XmlText(urn.view()) << "</meta>\n";
    out << "<dc:source>" << XmlText(bare.view()) << "</dc:source>\n";
}

void WriteMetadata(OutStream& out, const Publication& p, const FixedPackageInput& in) {
    const ExportSettings& s = in.settings;
    const StringT now = in.currentTime();
    out << "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n";
    out << "<dc:identifier id=\"pub-id\">" << XMLEncode(p.GetIdentifier()) << "</dc:identifier>\n";
    out << "<dc:title>" << XMLEncode(p.GetTitle()) << "</dc:title>\n";
    out << "<dc:language>" << XMLEncode(p.GetLanguage()) << "</dc:language>\n";
    for (size_t i = 1; i < p.GetLanguages().size(); ++i)
        if (!p.GetLanguages()[i].first.empty() && p.GetLanguages()[i].first != p.GetLanguage())
            out << "<dc:language>" << XMLEncode(p.GetLanguages()[i].first) << "</dc:language>\n";
    if (!s.author.empty())
        out << "<dc:creator id=\"creator\">" << XMLEncode(s.author) << "</dc:creator>\n";
    if (!s.illustrator.empty())
        out << "<dc:contributor>" << XMLEncode(s.illustrator) << "</dc:contributor>\n";
    if (!s.description.empty())
        out << "<dc:description>" << XMLEncode(s.description) << "</dc:description>\n";
    if (!s.publisher.empty())
        out << "<dc:publisher>" << XMLEncode(s.publisher) << "</dc:publisher>\n";
    if (!s.rights.empty())
        out << "<dc:rights>" << XMLEncode(s.rights) << "</dc:rights>\n";
    if (!s.subject.empty())
        out << "<dc:subject>" << XMLEncode(s.subject) << "</dc:subject>\n";
    out << "<dc:date>" << (s.date.empty() ? now : XMLEncode(s.date)) << "</dc:date>\n";
    out << "<meta property=\"dcterms:modified\">" << now << "</meta>\n";
    WritePageSource(out, in.pageSource);
    if (s.accessibility)
        s.accessibility->Describe("", out);
    out << "<meta property=\"rendition:layout\">pre-paginated</meta>\n";
    out << "<meta property=\"rendition:orientation\">auto</meta>\n";
    out << "<meta property=\"rendition:spread\">landscape</meta>\n";
    if (p.GetCoverImage())
        out << "<meta name=\"cover\" content=\"cover-image\"/>\n";
    out << "<meta name=\"generator\" content=\"" << XMLEncode(in.generator) << "\"/>\n";
    out << "</metadata>\n";
}

void WritePackage(OutStream& out, const Publication& p, const FixedPackageInput& in,
                  const std::vector<StringT>& fontPaths) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<package version=\"3.0\" xmlns=\"http://www.idpf.org/2007/opf\" "
           "unique-identifier=\"pub-id\" prefix=\"rendition: "
           "http://www.idpf.org/vocab/rendition/#\" xml:lang=\""
        << XMLEncode(p.GetLanguage()) << "\">\n";
    WriteMetadata(out, p, in);
    out << "<manifest>\n";
    out << "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
           "properties=\"nav\"/>\n";
    out << "<item id=\"styles\" href=\"css/styles.css\" media-type=\"text/css\"/>\n";
    for (const auto& page : p.GetPages()) {
        out << "<item id=\"" << page.name << "\" href=\"" << page.name
            << ".xhtml\" media-type=\"application/xhtml+xml\"/>\n";
        out << "<item id=\"" << page.name << "-css\" href=\"css/" << page.name
            << ".css\" media-type=\"text/css\"/>\n";
    }
    for (const StringT& sheet : p.GetStyleSheets())
        out << "<item id=\"" << StemOf(sheet) << "\" href=\"" << EncodeURL(sheet.view())
            << "\" media-type=\"text/css\"/>\n";
    for (const auto& image : p.GetImages()) {
        const bool cover = p.GetCoverImage() && *p.GetCoverImage() == image.entry;
        out << "<item id=\"" << (cover ? std::string("cover-image") : StemOf(image.path))
            << "\" href=\"" << EncodeURL(image.path.view()) << "\" media-type=\""
            << MediaTypeName(image.type) << "\"" << (cover ? " properties=\"cover-image\"" : "")
            << "/>\n";
    }
    for (const StringT& font : fontPaths)
        out << "<item id=\"" << StemOf(font) << "\" href=\"" << EncodeURL(font.view())
            << "\" media-type=\"" << MediaTypeName(GetMediaType(font.view())) << "\"/>\n";
    out << "</manifest>\n<spine>\n";
    for (const auto& page : p.GetPages())
        out << "<itemref idref=\"" << page.name << "\"" << PageSpreadProperty(page.spread)
            << "/>\n";
    out << "</spine>\n</package>\n";
}

// A text the library writes, in the publication's language, as the host changes it.
StringT NavigationText(std::string_view key, const Publication& p, const FixedPackageInput& in) {
    const StringT text = GeneratedText(key, p.GetLanguage().view());
    return in.localise ? in.localise(key, text) : text;
}

void WriteNavigation(OutStream& out, const Publication& p, const FixedPackageInput& in) {
    const auto& pages = p.GetPages();
    auto href = [&](uint32_t ordinal) {
        ordinal = std::clamp<uint32_t>(ordinal, 1, static_cast<uint32_t>(pages.size()));
        return pages[ordinal - 1].name.str() + ".xhtml";
    };
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\" "
           "xmlns:epub=\"http://www.idpf.org/2007/ops\" lang=\""
        << XMLEncode(p.GetLanguage()) << "\" xml:lang=\"" << XMLEncode(p.GetLanguage())
        << "\">\n<head>\n<meta charset=\"utf-8\" />\n<title>" << XMLEncode(p.GetTitle())
        << "</title>\n</head>\n<body>\n";
    out << "<nav epub:type=\"toc\" id=\"toc\" role=\"doc-toc\">\n<h1>"
        << XmlText(NavigationText(TextKey::kTableOfContents, p, in).view()) << "</h1>\n<ol>\n";
    std::vector<ContentsEntry> contents = in.contents;
    if (contents.empty() && !pages.empty())
        contents.push_back({p.GetTitle(), 1, 0});
    int level = 0;
    bool openItem = false;
    for (const auto& entry : contents) {
        // A list nests inside an item: before the first item there is none to nest in.
        const int target = openItem ? std::clamp(entry.level, 0, level + 1) : 0;
        if (target > level) {
            out << "\n<ol>\n";
            openItem = false;
        }
        while (level > target) {
            out << "</li>\n</ol>\n";
            --level;
        }
        if (openItem)
            out << "</li>\n";
        level = target;
        out << "<li><a href=\"" << href(entry.page) << "\">" << XMLEncode(entry.title) << "</a>";
        openItem = true;
    }
    while (level > 0) {
        out << "</li>\n</ol>\n";
        --level;
    }
    if (openItem)
        out << "</li>\n";
    out << "</ol>\n</nav>\n";
    if (!pages.empty()) {
        out << "<nav epub:type=\"page-list\" id=\"page-list\" hidden=\"hidden\">\n<h2>"
            << XmlText(NavigationText(TextKey::kPageList, p, in).view()) << "</h2>\n<ol>\n";
        for (size_t i = 0; i < pages.size(); ++i) {
            const std::string label =
                pages[i].label.empty() ? std::to_string(i + 1) : EncodeText(pages[i].label.view());
            out << "<li><a href=\"" << href(static_cast<uint32_t>(i + 1)) << "#"
                << "pg" << pages[i].name.view().substr(4) << "\">" << label << "</a></li>\n";
        }
        out << "</ol>\n</nav>\n";
    }
    bool any = false;
    for (size_t slot = 0; slot < kLandmarkSlots; ++slot)
        any = any || p.GetLandmarks()[slot] != 0;
    if (any) {
        out << "<nav epub:type=\"landmarks\" id=\"landmarks\" hidden=\"hidden\">\n<h2>"
            << XmlText(NavigationText(TextKey::kLandmarks, p, in).view()) << "</h2>\n<ol>\n";
        for (size_t slot = 0; slot < kLandmarkSlots; ++slot) {
            const uint32_t ordinal = p.GetLandmarks()[slot] & ~kLandmarkFromTypes;
            if (ordinal == 0)
                continue;
            // Slots follow the landmark enumeration, which starts at 1.
            const LandmarkInfo& info = GetLandmarkInfo(static_cast<Landmark>(slot + 1));
            out << "<li><a epub:type=\"" << LandmarkName(slot) << "\" href=\"" << href(ordinal)
                << "\">" << XmlText(NavigationText(info.styleName, p, in).view()) << "</a></li>\n";
        }
        out << "</ol>\n</nav>\n";
    }
    out << "</body>\n</html>\n";
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
               EncodeURL(fontPaths[i].view()) +
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
    write("package.opf", [&](OutStream& out) { WritePackage(out, p, in, manifestFonts); });
    write("nav.xhtml", [&](OutStream& out) { WriteNavigation(out, p, in); });
    ok = AddContainer(archive, root) && ok;
    ok = AddEncryption(archive, records) && ok;
    return ok;
}

} // namespace EPub
