// SPDX-License-Identifier: MIT
// A Word document through the reader and the exporter, looked at as a reading system sees the
// publication: the elements, the classes named after Word's styles and what those classes say.

#include "readers/docx/DocxPackage.h"

#include "cli/ExportCommand.h"
#include "readers/common/ZipPackage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace DocxTest;

namespace {

class Folder {
public:
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "docxexport.XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::filesystem::path& Path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

TEST(DocxExport, WordStylesBecomeClassesOfTheirNameOnTheRightElements) {
    Parts parts;
    parts.styles =
        "<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"24\"/></w:rPr></w:rPrDefault>"
        "</w:docDefaults><w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\">"
        "<w:name w:val=\"Normal\"/><w:pPr><w:ind w:firstLine=\"360\"/></w:pPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
        "<w:basedOn w:val=\"Normal\"/><w:pPr><w:jc w:val=\"center\"/><w:outlineLvl w:val=\"0\"/>"
        "</w:pPr><w:rPr><w:b/><w:sz w:val=\"36\"/></w:rPr></w:style>";
    parts.body = Para("The Harbour", "Heading1") +
                 "<w:p><w:r><w:t xml:space=\"preserve\">It was </w:t></w:r><w:r><w:rPr><w:i/>"
                 "</w:rPr><w:t>very</w:t></w:r><w:r><w:t xml:space=\"preserve\"> cold.</w:t></w:r>"
                 "<w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p>";
    parts.footnotes = "<w:footnote w:id=\"1\">" + Para("Minus twelve.") + "</w:footnote>";
    parts.core = "<dc:title>Harbour</dc:title><dc:language>en</dc:language>";
    const Readers::Document doc = Read(parts);

    const Folder folder;
    ASSERT_FALSE(folder.Path().empty());
    const auto target = folder.Path() / "book.epub";
    Cli::ExportEPub(doc, target, {});
    const std::string epub = ReadFile(target);
    Readers::Package package(epub, "book.epub", {uint64_t{1} << 30, 1000});
    const std::string xhtml = package.Read("/OEBPS/section-1.xhtml");
    const std::string css = package.Read("/OEBPS/css/styles.css");

    EXPECT_NE(xhtml.find("<h1 class=\"Normal Heading_1\">"), std::string::npos) << xhtml;
    EXPECT_NE(xhtml.find("<p class=\"Normal\">It was <span class="), std::string::npos) << xhtml;
    EXPECT_NE(xhtml.find("epub:type=\"footnote\""), std::string::npos);
    EXPECT_NE(xhtml.find("Minus twelve."), std::string::npos);
    // One rule per style, holding what the style sets: 12 pt body text with a first-line
    // indent, an 18 pt bold centred heading.
    const auto rule = [&css](const std::string& selector) {
        const size_t at = css.find(selector + " {");
        return at == std::string::npos ? std::string() : css.substr(at, css.find('}', at) - at);
    };
    EXPECT_EQ(rule(".Normal"), ".Normal {\ntext-indent:1.5em;\n"); // 18 pt at 12 pt
    const std::string heading = rule(".Heading_1");
    EXPECT_NE(heading.find("font-size:1.5em;"), std::string::npos) << heading;
    EXPECT_NE(heading.find("font-weight:bold;"), std::string::npos);
    EXPECT_NE(heading.find("text-align:center;"), std::string::npos);
    const std::string opf = package.Read("/OEBPS/package.opf");
    EXPECT_NE(opf.find("<dc:title>Harbour</dc:title>"), std::string::npos) << opf;
}

TEST(DocxExport, CellMarginsBecomeEachCellsPadding) {
    // The style's margins, the table's own over them side by side (start is left), and a
    // cell's own over those; a percentage means nothing here and a nil margin is none.
    Parts parts;
    parts.styles =
        "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Grid\"/><w:tblPr>"
        "<w:tblCellMar><w:top w:w=\"0\" w:type=\"dxa\"/><w:left w:w=\"108\" w:type=\"dxa\"/>"
        "<w:bottom w:w=\"20\" w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/>"
        "</w:tblCellMar></w:tblPr></w:style>";
    const auto cell = [](const std::string& margins, const std::string& text) {
        return "<w:tc><w:tcPr><w:tcW w:w=\"2000\" w:type=\"dxa\"/>" + margins + "</w:tcPr>" +
               Para(text) + "</w:tc>";
    };
    parts.body = "<w:tbl><w:tblPr><w:tblStyle w:val=\"Grid\"/><w:tblCellMar><w:top w:w=\"72\" "
                 "w:type=\"dxa\"/><w:start w:w=\"144\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr>"
                 "<w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"2000\"/></w:tblGrid><w:tr>" +
                 cell("", "Plain cell") +
                 cell("<w:tcMar><w:end w:w=\"288\" w:type=\"dxa\"/><w:left w:w=\"50\" "
                      "w:type=\"pct\"/><w:bottom w:w=\"0\" w:type=\"nil\"/></w:tcMar>",
                      "Own margins") +
                 "</w:tr></w:tbl>" + Para("after");
    const Readers::Document doc = Read(parts);
    const Folder folder;
    ASSERT_FALSE(folder.Path().empty());
    const auto target = folder.Path() / "book.epub";
    Cli::ExportEPub(doc, target, {});
    // The package reads from the bytes it is given: they must outlive it.
    const std::string bytes = ReadFile(target);
    Readers::Package package(bytes, "book.epub", {uint64_t{1} << 30, 1000});
    const std::string xhtml = package.Read("/OEBPS/section-1.xhtml");
    const std::string css = package.Read("/OEBPS/css/styles.css");
    // The padding the classes of the cell holding `text` give it.
    const auto padding = [&](const std::string& text) {
        const size_t at = xhtml.rfind("<td", xhtml.find(text));
        const size_t open = xhtml.find("class=\"", at) + 7;
        std::istringstream classes(xhtml.substr(open, xhtml.find('"', open) - open));
        std::string found;
        for (std::string name; classes >> name;) {
            const size_t rule = css.find("." + name + " {");
            if (rule == std::string::npos)
                continue;
            const std::string body = css.substr(rule, css.find('}', rule) - rule);
            if (const size_t p = body.find("padding: "); p != std::string::npos)
                found = body.substr(p + 9, body.find(';', p) - p - 9);
        }
        return found;
    };
    EXPECT_EQ(padding("Plain cell"), "3.6px 5.4px 1px 7.2px") << css;
    EXPECT_EQ(padding("Own margins"), "3.6px 14.4px 0 7.2px") << css;
}
