// SPDX-License-Identifier: MIT
#include "epub/package/PackageModel.h"

#include "epub/options/FlowingEPubOptions.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace EPub;

namespace {

PackageModel Minimal() {
    PackageModel p;
    p.lang = "ja";
    p.metadata.identifiers.push_back({"pub-id", "urn:x", {}});
    p.metadata.titles.push_back("T");
    p.metadata.languages.push_back("ja");
    p.metadata.modified = "2026-01-01T00:00:00Z";
    p.manifest.push_back({"nav", {"nav.xhtml"}, "application/xhtml+xml", "nav"});
    return p;
}

std::string Spine(const std::string& opf) {
    const size_t a = opf.find("<spine");
    return opf.substr(a, opf.find("</spine>") - a);
}

} // namespace

TEST(PackageModel, SpreadsAndReadingDirectionReachTheSpine) {
    PackageModel p = Minimal();
    p.spine = {{"p1", SpineLinear::Unset, SpinePageSpread::Right},
               {"p2", SpineLinear::No, SpinePageSpread::Left},
               {"p3", SpineLinear::Yes, SpinePageSpread::Center},
               {"p4"}};
    EXPECT_EQ(Spine(WritePackage(p)),
              "<spine>\n"
              "<itemref idref=\"p1\" properties=\"page-spread-right\"/>\n"
              "<itemref idref=\"p2\" linear=\"no\" properties=\"page-spread-left\"/>\n"
              "<itemref idref=\"p3\" linear=\"yes\" "
              "properties=\"rendition:page-spread-center\"/>\n"
              "<itemref idref=\"p4\"/>\n");
    p.rightToLeft = true;
    EXPECT_EQ(
        Spine(WritePackage(p)).rfind("<spine page-progression-direction=\"rtl\">\n<itemref", 0),
        0u);
}

TEST(PackageModel, EscapesEveryTextAndHref) {
    PackageModel p = Minimal();
    p.metadata.titles = {"Fish & <Chips>", "Second \"title\""};
    p.metadata.identifiers.front().refinements.push_back({"identifier-type", "", "a<b"});
    p.metadata.authors = {{"A & B", "creator", "aut"}};
    p.metadata.contributors = {{"C <D>", {}, "ill", true}};
    p.metadata.publisher = "P&P";
    p.manifest.push_back({"img", {"images/a b&c.png"}, "image/png", {}});
    p.manifest.push_back({"font", {"fonts/x%20y.ttf", {}, true}, "font/ttf", {}});
    p.guide.push_back({"cover", "Cover & back", {"cover.xhtml"}});
    const std::string opf = WritePackage(p);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(opf.c_str())) << opf;
    const auto metadata = doc.child("package").child("metadata");
    EXPECT_STREQ(metadata.child("dc:title").child_value(), "Fish & <Chips>");
    EXPECT_STREQ(metadata.child("dc:title").next_sibling("dc:title").child_value(),
                 "Second \"title\"");
    EXPECT_STREQ(metadata.find_child_by_attribute("meta", "refines", "#pub-id").child_value(),
                 "a<b");
    EXPECT_FALSE(
        metadata.find_child_by_attribute("meta", "refines", "#pub-id").attribute("scheme"));
    EXPECT_STREQ(metadata.child("dc:creator").child_value(), "A & B");
    EXPECT_STREQ(metadata.find_child_by_attribute("meta", "refines", "#creator").child_value(),
                 "aut");
    // A role needs an id to refine: a contributor without one goes without.
    EXPECT_STREQ(metadata.child("dc:contributor").child_value(), "C <D>");
    EXPECT_EQ(opf.find(">ill<"), std::string::npos);
    EXPECT_STREQ(metadata.child("dc:publisher").child_value(), "P&P");
    const auto manifest = doc.child("package").child("manifest");
    EXPECT_STREQ(manifest.find_child_by_attribute("item", "id", "img").attribute("href").value(),
                 "images/a%20b&c.png");
    // Percent groups already there stay single.
    EXPECT_STREQ(manifest.find_child_by_attribute("item", "id", "font").attribute("href").value(),
                 "fonts/x%20y.ttf");
    EXPECT_STREQ(doc.select_node("//reference").node().attribute("title").value(), "Cover & back");
    EXPECT_EQ(opf.find("<dc:description"), std::string::npos);
}

TEST(PackageModel, PageSourceNamesAnIsbnAsUrnAndBare) {
    PackageMetadata m;
    m.SetPageSource(PaginationSourceType::ISBN, "978-3-16-148410-0");
    EXPECT_EQ(m.pageBreakSource, "urn:isbn:978-3-16-148410-0");
    EXPECT_EQ(m.source, "978-3-16-148410-0");
    m.SetPageSource(PaginationSourceType::ISBN, "URN:ISBN:9783161484100");
    EXPECT_EQ(m.pageBreakSource, "URN:ISBN:9783161484100");
    EXPECT_EQ(m.source, "9783161484100");
    m.SetPageSource(PaginationSourceType::Other, "Print & co");
    EXPECT_EQ(m.pageBreakSource, "Print & co");
    EXPECT_EQ(m.source, "Print & co");
    m.SetPageSource(PaginationSourceType::None, "ignored");
    EXPECT_TRUE(m.pageBreakSource.empty() && m.source.empty());

    PackageModel p = Minimal();
    p.metadata.SetPageSource(PaginationSourceType::Other, "Print");
    const std::string opf = WritePackage(p);
    EXPECT_NE(opf.find("<meta property=\"pageBreakSource\">Print</meta>\n"
                       "<dc:source>Print</dc:source>\n</metadata>"),
              std::string::npos)
        << opf;
}
