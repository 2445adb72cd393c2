// SPDX-License-Identifier: MIT
#include "epub/package/NavigationModel.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace EPub;

namespace {

// The list's shape in a line: "a(b,c),d" for b and c nested under a.
std::string Shape(const pugi::xml_node& ol) {
    std::string out;
    for (const pugi::xml_node li : ol.children("li")) {
        if (!out.empty())
            out += ",";
        const pugi::xml_node a = li.child("a");
        out += a ? a.child_value() : li.text().get();
        if (const pugi::xml_node nested = li.child("ol"))
            out += "(" + Shape(nested) + ")";
    }
    return out;
}

struct Written {
    std::string text;
    pugi::xml_document doc;
};

void Write(const std::vector<NavigationEntry>& entries, Written& out) {
    NavigationModel nav;
    nav.lang = "en";
    nav.title = "T";
    nav.lists.emplace_back("toc", "Contents");
    nav.lists.back().entries = entries;
    out.text = WriteNavigation(nav);
    ASSERT_TRUE(out.doc.load_string(out.text.c_str())) << out.text;
}

std::string ShapeOf(const std::vector<std::pair<const char*, int>>& levels) {
    std::vector<NavigationEntry> entries;
    for (const auto& [text, level] : levels)
        entries.push_back({text, {"c.xhtml", text}, level, {}});
    Written w;
    Write(entries, w);
    return Shape(w.doc.select_node("//nav/ol").node());
}

} // namespace

TEST(NavigationModel, NestsByTheOrderOfLevels) {
    // Whatever the first level, entries at the same level are siblings.
    EXPECT_EQ(ShapeOf({{"a", 2}, {"b", 2}, {"c", 3}, {"d", 2}}), "a,b(c),d");
    EXPECT_EQ(ShapeOf({{"a", 0}, {"b", 1}, {"c", 1}, {"d", 0}}), "a(b,c),d");
    // A jump of several levels nests one step; what comes back between levels stays inside.
    EXPECT_EQ(ShapeOf({{"a", 0}, {"b", 3}, {"c", 1}, {"d", 0}}), "a(b,c),d");
    EXPECT_EQ(ShapeOf({{"a", 0}, {"b", 1}, {"c", 2}, {"d", 3}, {"e", 0}}), "a(b(c(d))),e");
    EXPECT_EQ(ShapeOf({{"a", 1}, {"b", 4}, {"c", 2}, {"d", 3}}), "a(b,c(d))");
    // An entry above the first one's level still goes to the top.
    EXPECT_EQ(ShapeOf({{"a", 3}, {"b", 4}, {"c", 0}, {"d", 1}}), "a(b),c(d)");
    EXPECT_EQ(ShapeOf({{"a", 2}, {"b", 1}, {"c", 0}}), "a,b,c");
    EXPECT_EQ(ShapeOf({{"a", -2}, {"b", 5}}), "a(b)");
    EXPECT_EQ(ShapeOf({}), "");
}

TEST(NavigationModel, LeavesOutBlankTextsAndKeepsWhatNestsUnderThem) {
    EXPECT_EQ(ShapeOf({{"", 0}, {"a", 0}, {" \t\n", 1}, {"b", 2}, {"\x01\x02", 0}, {"c", 0}}),
              "a(b),c");
    EXPECT_EQ(ShapeOf({{"", 0}, {"", 1}}), "");
    Written w;
    Write({{"", {"c.xhtml"}, 0, {}}}, w);
    EXPECT_NE(w.text.find("<ol>\n</ol>"), std::string::npos) << w.text;
}

TEST(NavigationModel, EntriesWithoutLinksHeadWhatNestsUnderThem) {
    Written w;
    Write({{"Part <One>", {}, 0, {}}, {"Two", {"c.xhtml", "x"}, 1, {}}}, w);
    EXPECT_NE(w.text.find("<li>Part &lt;One&gt;<ol>\n<li><a href=\"c.xhtml#x\">Two</a></li>\n"
                          "</ol>\n</li>\n"),
              std::string::npos)
        << w.text;
}

TEST(NavigationModel, EscapesTextsLinksAndAttributes) {
    NavigationModel nav;
    nav.htmlHead = true;
    nav.lang = "fr\"x";
    nav.title = "A & B";
    NavigationList& list = nav.lists.emplace_back("landmarks", "<Repères>");
    list.hidden = true;
    list.entries = {{"Début & fin", {"dir/a b.xhtml", "n<1"}, 0, "bodymatter"}};
    const std::string text = WriteNavigation(nav);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(text.c_str())) << text;
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n", 0), 0u);
    EXPECT_STREQ(doc.child("html").attribute("lang").value(), "fr\"x");
    EXPECT_STREQ(doc.select_node("//title").node().child_value(), "A & B");
    const pugi::xml_node written = doc.select_node("//nav").node();
    EXPECT_STREQ(written.attribute("hidden").value(), "hidden");
    EXPECT_FALSE(written.attribute("id"));
    EXPECT_FALSE(written.attribute("role"));
    EXPECT_STREQ(written.child("h2").child_value(), "<Repères>");
    const pugi::xml_node a = written.select_node(".//a").node();
    EXPECT_STREQ(a.child_value(), "Début & fin");
    EXPECT_STREQ(a.attribute("href").value(), "dir/a%20b.xhtml#n<1");
    EXPECT_STREQ(a.attribute("epub:type").value(), "bodymatter");
}

TEST(NavigationModel, ListsComeInTheirOrderWithTheirOwnHeadings) {
    NavigationModel nav;
    nav.declaration = XmlWriter::Declaration::StandaloneSingle;
    nav.lang = "en";
    NavigationList& pages = nav.lists.emplace_back("page-list", "Pages");
    pages.role = "doc-pagelist";
    pages.entries = {{"i", {"a.xhtml", "p1"}, 0, {}}};
    NavigationList& toc = nav.lists.emplace_back("toc", "Contents");
    toc.id = "toc";
    toc.role = "doc-toc";
    toc.headingElement = "h1";
    const std::string text = WriteNavigation(nav);
    EXPECT_EQ(text.rfind("<?xml version='1.0' encoding='utf-8' standalone='yes'?>\n<html", 0), 0u);
    EXPECT_NE(text.find("<nav epub:type=\"page-list\" role=\"doc-pagelist\">\n<h2>Pages</h2>\n"
                        "<ol>\n<li><a href=\"a.xhtml#p1\">i</a></li>\n</ol>\n</nav>\n"
                        "<nav id=\"toc\" epub:type=\"toc\" role=\"doc-toc\">\n<h1>Contents</h1>\n"),
              std::string::npos)
        << text;
}
