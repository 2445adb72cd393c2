// SPDX-License-Identifier: MIT
#include "readers/docx/DocxPackage.h"

#include <libdeflate.h>

#include <memory>

namespace DocxTest {

namespace {

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

constexpr const char* kNamespaces =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
    "xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\"";

std::string Wrap(const std::string& root, const std::string& content) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:" + root + " " +
           kNamespaces + ">" + content + "</w:" + root + ">";
}

} // namespace

std::string Zip(const std::vector<std::pair<std::string, std::string>>& files, bool deflate) {
    std::string out, directory;
    const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    for (const auto& file : files) {
        const std::string& name = file.first;
        const std::string& data = file.second;
        std::string stored = data;
        if (deflate) {
            stored.resize(libdeflate_deflate_compress_bound(compressor.get(), data.size()));
            stored.resize(libdeflate_deflate_compress(compressor.get(), data.data(), data.size(),
                                                      stored.data(), stored.size()));
        }
        const uint32_t crc = libdeflate_crc32(0, data.data(), data.size());
        const auto offset = static_cast<uint32_t>(out.size());
        const auto header = [&](std::string& to, bool central) {
            Put32(to, central ? 0x02014b50 : 0x04034b50);
            if (central)
                Put16(to, 20);
            Put16(to, 20);
            Put16(to, 0);
            Put16(to, deflate ? 8 : 0);
            Put32(to, 0);
            Put32(to, crc);
            Put32(to, static_cast<uint32_t>(stored.size()));
            Put32(to, static_cast<uint32_t>(data.size()));
            Put16(to, static_cast<uint32_t>(name.size()));
            Put16(to, 0);
            if (central) {
                Put16(to, 0);
                Put16(to, 0);
                Put16(to, 0);
                Put32(to, 0);
                Put32(to, offset);
            }
            to += name;
        };
        header(out, false);
        out += stored;
        header(directory, true);
    }
    const auto start = static_cast<uint32_t>(out.size());
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(files.size()));
    Put16(out, static_cast<uint32_t>(files.size()));
    Put32(out, static_cast<uint32_t>(directory.size()));
    Put32(out, start);
    Put16(out, 0);
    return out;
}

std::string DocumentXml(const std::string& body) {
    return Wrap("document", "<w:body>" + body + "</w:body>");
}

std::string Para(const std::string& text, const std::string& style) {
    const std::string pPr =
        style.empty() ? "" : "<w:pPr><w:pStyle w:val=\"" + style + "\"/></w:pPr>";
    return "<w:p>" + pPr + "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

std::string Parts::Build(bool deflate) const {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::string types =
        "<?xml version=\"1.0\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/"
        "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";
    std::string packageRels =
        "<?xml version=\"1.0\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        rel + "officeDocument\" Target=\"word/document.xml\"/>";
    if (!core.empty())
        packageRels += "<Relationship Id=\"rId2\" "
                       "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/"
                       "metadata/core-properties\" Target=\"docProps/core.xml\"/>";
    packageRels += "</Relationships>";
    std::vector<std::pair<std::string, std::string>> files{
        {"[Content_Types].xml", types},
        {"_rels/.rels", packageRels},
        {"word/document.xml", DocumentXml(body)}};
    std::string documentRels =
        "<?xml version=\"1.0\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    const auto optional = [&](const std::string& content, const std::string& root,
                              const std::string& type, const std::string& file) {
        if (content.empty())
            return;
        files.emplace_back("word/" + file, Wrap(root, content));
        documentRels += "<Relationship Id=\"x" + type + "\" Type=\"" + rel + type + "\" Target=\"" +
                        file + "\"/>";
    };
    optional(styles, "styles", "styles", "styles.xml");
    optional(numbering, "numbering", "numbering", "numbering.xml");
    optional(footnotes, "footnotes", "footnotes", "footnotes.xml");
    optional(endnotes, "endnotes", "endnotes", "endnotes.xml");
    optional(comments, "comments", "comments", "comments.xml");
    optional(settings, "settings", "settings", "settings.xml");
    documentRels += extraRelationships + "</Relationships>";
    files.emplace_back("word/_rels/document.xml.rels", documentRels);
    if (!core.empty())
        files.emplace_back(
            "docProps/core.xml",
            "<?xml version=\"1.0\"?><cp:coreProperties "
            "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">" +
                core + "</cp:coreProperties>");
    files.insert(files.end(), extraFiles.begin(), extraFiles.end());
    return Zip(files, deflate);
}

Readers::Document Read(const Parts& parts, const Readers::Docx::DocxOptions& options) {
    return Readers::Docx::ReadDocx(parts.Build(), "test.docx", options);
}

std::string ErrorOf(const std::string& bytes, const Readers::Docx::DocxOptions& options) {
    try {
        Readers::Docx::ReadDocx(bytes, "test.docx", options);
    } catch (const Readers::InputError& e) {
        return e.what();
    }
    return {};
}

std::string Plain(const Foundation::Counted<const Text::Story>& story) {
    std::string text = story->GetClientAll().GetText().str();
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "\xEF\xBF\xBC") == 0) {
            i += 2;
            continue;
        }
        out += text[i];
    }
    return out;
}

Text::StoryPos Find(const Foundation::Counted<const Text::Story>& story, std::string_view text) {
    std::u32string glyphs;
    for (uint32_t i = 0; i < story->size(); ++i)
        glyphs += story->GetGlyph(i).GetChar32();
    const size_t at = glyphs.find(Foundation::StringT(text).ToUTF32());
    if (at == std::u32string::npos)
        return {};
    return story->GetPos(static_cast<int64_t>(at));
}

std::string Plain(const Readers::Document& doc) {
    std::string out;
    for (const auto& entry : doc.stories)
        out += (out.empty() ? "" : "\n") + Plain(entry.story);
    return out;
}

} // namespace DocxTest
