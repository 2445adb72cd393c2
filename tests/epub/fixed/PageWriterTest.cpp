// SPDX-License-Identifier: MIT
#include "epub/fixed/PageWriter.h"

#include "epub/fixed/Publication.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

using Foundation::StringT;

std::string Write(const EPub::Publication& publication, const EPub::Page& page,
                  std::string_view label) {
    Foundation::MemoryOutStream out;
    const EPub::PageContext context{
        publication.GetLanguage(), publication.GetStyleSheets(),
        [&](uint64_t p, uint32_t n) { return publication.AnchorId(p, n); }};
    EPub::WritePageDocument(out, context, page, label);
    return out.Data();
}

TEST(PageWriter, HeadAndBodyAreWrittenByteForByte) {
    EPub::Publication publication("OEBPS", "b", "id", "t", "");
    EPub::Page page(publication, 7, 600, 800);
    EXPECT_EQ(Write(publication, page, "iv"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<!DOCTYPE html>\n"
              "<html xmlns=\"http://www.w3.org/1999/xhtml\" "
              "xmlns:epub=\"http://www.idpf.org/2007/ops\">\n\t<head>\n"
              "\t\t<meta charset=\"utf-8\" />\n"
              "\t\t<meta name=\"viewport\" content=\"width=600, height=800\" />\n"
              "\t\t<title>iv</title>\n"
              "\t\t<link href=\"css/styles.css\" rel=\"stylesheet\" type=\"text/css\" />\n"
              "\t\t<link href=\"css/page7.css\" rel=\"stylesheet\" type=\"text/css\" />\n"
              "\t</head>\n\t<body id=\"page-7\" style=\"width: 600px; height: 800px\">\n"
              "\t\t<span epub:type=\"pagebreak\" id=\"pg7\" title=\"iv\" role=\"doc-pagebreak\" "
              "aria-label=\"iv\" />\n\t</body>\n</html>\n");
}

// A title says which page it is: a label that is only a number, or none, becomes "Page N" in
// the page's language.
TEST(PageWriter, TitlesNameThePageInItsLanguage) {
    EPub::Publication publication("OEBPS", "b", "id", "t", "");
    EPub::Page page(publication, 7, 600, 800);
    const auto title = [&](std::string_view label) {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(Write(publication, page, label).c_str()));
        return std::string(doc.child("html").child("head").child_value("title"));
    };
    EXPECT_EQ(title("Cover"), "Cover");
    EXPECT_EQ(title("12"), "Page 12");
    EXPECT_EQ(title(""), "Page 7");
    // Nothing a title could show once what XML cannot hold is dropped.
    EXPECT_EQ(title("\x01\x02"), "Page 7");
    page.UseLanguage("de-AT");
    EXPECT_EQ(title("12"), "Seite 12");
}

TEST(PageWriter, ElementsNestWithIdsClassesLanguagesAndDescriptions) {
    EPub::Publication publication("OEBPS", "b", "id", "t", "en");
    EPub::Page page(publication, 12, 100, 100);
    const int32_t description = page.AddDescription("Moon", "A round moon");
    auto& group = page.Add("div");
    group.id = page.NextElementNumber();
    group.description = description;
    page.Open();
    auto& span = page.Add("span");
    span.id = page.NextElementNumber();
    span.classes[0] = "s1";
    span.classes[1] = "style1";
    span.language = page.UseLanguage("fr");
    span.text = "a < b & \"c\"\x01";
    page.Add("span").text = "after";
    auto& box = page.Add("span");
    box.id = page.NextElementNumber();
    page.Open();
    page.Add("span").text = "x";
    page.Add("span").text = "y";
    page.Close();
    page.Close();
    auto& link = page.Add("a");
    link.targetPage = 5;
    link.anchorNumber = 3; // never registered: no name
    publication.Anchor(5, 4, "Chart 1", 5);
    auto& named = page.Add("a");
    named.targetPage = 5;
    named.anchorNumber = 4;
    publication.Anchor(12, 6, "ab", 12); // too short to be a name
    page.Add("a").anchorNumber = 6;
    auto& img = page.Add("img");
    img.src = "image/1.png";
    auto& url = page.Add("a");
    url.url = "a b&c\\d";
    pugi::xml_document xml;
    const std::string text = Write(publication, page,
                                   "1\x01"
                                   "2");
    ASSERT_TRUE(xml.load_string(text.c_str())) << text;
    const auto html = xml.child("html");
    EXPECT_STREQ(html.attribute("lang").value(), "fr"); // the page's most used language
    const auto div = html.child("body").child("div");
    EXPECT_STREQ(div.attribute("id").value(), "div12-1");
    EXPECT_STREQ(div.attribute("role").value(), "img");
    EXPECT_STREQ(div.attribute("aria-label").value(), "Moon");
    EXPECT_STREQ(div.attribute("title").value(), "A round moon");
    const auto s = div.child("span");
    EXPECT_STREQ(s.attribute("id").value(), "span12-2");
    EXPECT_STREQ(s.attribute("class").value(), "s1 style1");
    // What XML cannot hold is dropped, from text and from the page label alike.
    EXPECT_STREQ(s.text().get(), "a < b & \"c\"");
    EXPECT_EQ(text.find("&#1;"), std::string::npos);
    EXPECT_EQ(text.find('\x01'), std::string::npos);
    EXPECT_TRUE(html.child("body").find_child_by_attribute("span", "aria-label", "12"));
    // A span's children follow each other with no layout whitespace, which would be text.
    EXPECT_NE(text.find("<span>after</span>\n\t\t\t<span id=\"span12-3\"><span>x</span><span>"
                        "y</span></span>\n\t\t</div>"),
              std::string::npos)
        << text;
    EXPECT_TRUE(html.child("body").find_child_by_attribute("a", "href", "page5.xhtml#a3"));
    EXPECT_TRUE(html.child("body").find_child_by_attribute("a", "href", "page5.xhtml#Chart_1"));
    EXPECT_TRUE(html.child("body").find_child_by_attribute("a", "id", "a6"));
    const auto image = html.child("body").child("img");
    EXPECT_STREQ(image.attribute("alt").value(), "");
    EXPECT_STREQ(image.attribute("role").value(), "presentation");
    EXPECT_TRUE(html.child("body").find_child_by_attribute("a", "href", "a%20b&c/d"));
}

// A language tag is data like any other: it cannot add an attribute.
TEST(PageWriter, NamesFromTheDocumentCannotBreakTheMarkup) {
    EPub::Publication publication("OEBPS", "b", "id", "t", "en\" onload=\"x");
    EPub::Page plain(publication, 1, 10, 10);
    std::string text = Write(publication, plain, "1");
    pugi::xml_document xml;
    ASSERT_TRUE(xml.load_string(text.c_str())) << text;
    EXPECT_FALSE(xml.child("html").attribute("onload"));
    EXPECT_STREQ(xml.child("html").attribute("lang").value(), "en\" onload=\"x");

    EPub::Page page(publication, 2, 10, 10);
    auto& span = page.Add("span");
    span.language = page.UseLanguage("de\"><b");
    span.text = "t";
    text = Write(publication, page, "2");
    ASSERT_TRUE(xml.load_string(text.c_str())) << text;
    EXPECT_STREQ(xml.child("html").attribute("lang").value(), "de\"><b");
}

} // namespace
