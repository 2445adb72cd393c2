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
