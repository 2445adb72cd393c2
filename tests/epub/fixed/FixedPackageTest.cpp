// SPDX-License-Identifier: MIT
// The navigation document of a fixed-layout publication: its headings and landmark names in the
// publication's language, and well-formed whatever text a host puts there.

#include "epub/fixed/FixedPackage.h"

#include "epub/fixed/Page.h"
#include "epub/options/ExportSettings.h"
#include "support/FakeZipArchive.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

using Foundation::StringT;

constexpr uint32_t kBodyMatter = 1u << 2;
constexpr uint32_t kTitlePage = 1u << 3;

struct Navigation {
    std::string text;
    pugi::xml_document doc;
};

// Two pages, a title page and the start of the text, written in `language`.
void Write(const char* language, EPub::TextLocaliser localise, Navigation& nav,
           std::vector<EPub::ContentsEntry> contents = {}, uint32_t secondPage = kBodyMatter) {
    auto zip = Foundation::MakeCounted<Testing::FakeZipArchive>();
    EPub::Publication publication("OEBPS", "/books/Livre.indd", "id", "Livre", language);
    publication.SetArchive(zip);
    EPub::Page first(publication, 1, 100, 100);
    publication.Add(first, "1", EPub::PageSpread::Auto, kTitlePage);
    EPub::Page second(publication, 2, 100, 100);
    publication.Add(second, "2", EPub::PageSpread::Auto, secondPage);
    const auto settings = Foundation::MakeCounted<EPub::ExportSettings>();
    EPub::FixedPackageInput in{
        *settings, std::move(contents), "test", [] { return StringT("2026-01-01T00:00:00Z"); }, 100,
        100,       std::move(localise), {}};
    ASSERT_TRUE(EPub::WriteFixedPackage(publication, in));
    const auto* entry = zip->Find("OEBPS/nav.xhtml");
    ASSERT_NE(entry, nullptr);
    nav.text = entry->data;
    ASSERT_TRUE(nav.doc.load_string(nav.text.c_str())) << nav.text;
}

std::string Heading(const Navigation& nav, const char* type) {
    return nav.doc
        .select_node((std::string("//*[local-name()='nav'][@epub:type='") + type +
                      "']/*[local-name()='h1' or local-name()='h2']")
                         .c_str())
        .node()
        .child_value();
}

std::string Landmark(const Navigation& nav, const char* type) {
    return nav.doc
        .select_node((std::string("//*[local-name()='a'][@epub:type='") + type + "']").c_str())
        .node()
        .child_value();
}

TEST(FixedPackage, NavigationSpeaksThePublicationsLanguage) {
    Navigation fr;
    Write("fr-CA", {}, fr);
    EXPECT_EQ(Heading(fr, "toc"), "Table des matières");
    EXPECT_EQ(Heading(fr, "landmarks"), "Repères");
    EXPECT_EQ(Landmark(fr, "title-page"), "Page de titre");
    EXPECT_EQ(Landmark(fr, "bodymatter"), "Début du contenu");

    Navigation unknown;
    Write("tlh", {}, unknown);
    EXPECT_EQ(Heading(unknown, "toc"), "Table of Contents");
    EXPECT_EQ(Landmark(unknown, "title-page"), "Title Page");
}

TEST(FixedPackage, HostTextsAreEscapedAndCleaned) {
    Navigation nav;
    Write(
        "de",
        [](std::string_view key, const StringT& text) {
            return key == "EPUB:Title Page" ? StringT("Titel & <\"Seite\">\x01")
                                            : StringT("Über ") + text;
        },
        nav);
    EXPECT_EQ(Landmark(nav, "title-page"), "Titel & <\"Seite\">");
    // The host sees the table's text and builds on it.
    EXPECT_EQ(Heading(nav, "toc"), "Über Inhaltsverzeichnis");
}

// A contents title made only of what XML cannot hold would leave an empty link, which
// EPUBCheck refuses: the entry is named by its page instead.
TEST(FixedPackage, AContentsTitleNothingIsLeftOfIsNamedByItsPage) {
    Navigation nav;
    Write("en", {}, nav, {{StringT("\xEF\xBF\xBE\xEF\xBF\xBF \x01"), 2, 0}});
    const auto link =
        nav.doc.select_node("//*[local-name()='nav'][@epub:type='toc']//*[local-name()='a']");
    ASSERT_TRUE(link);
    EXPECT_STREQ(link.node().child_value(), "2");
}

TEST(FixedPackage, ContentsNestOnlyInsideItemsWhateverLevelTheyStartAt) {
    Navigation nav;
    Write("en", {}, nav, {{"Deep", 1, 2}, {"Top", 1, 0}, {"Jump", 2, 3}, {"Back", 2, 0}});
    const auto toc = nav.doc.select_node("//*[local-name()='nav'][@epub:type='toc']").node();
    std::string shape;
    // Every list's children are items, and every list below the first sits in an item.
    for (const auto& x : toc.select_nodes(".//*[local-name()='ol' or local-name()='li']")) {
        const std::string name = x.node().name(), parent = x.node().parent().name();
        EXPECT_EQ(parent, name == "li" ? "ol" : (shape.empty() ? "nav" : "li")) << nav.text;
        shape += name == "li" ? x.node().child("a").child_value() + std::string(" ") : "[";
    }
    EXPECT_EQ(shape, "[Deep Top [Jump Back ") << nav.text;

    // Entries sharing a level below the top are siblings, not nested in each other.
    Navigation flat;
    Write("en", {}, flat, {{"One", 1, 2}, {"Two", 2, 2}});
    EXPECT_EQ(
        flat.doc.select_nodes("//*[local-name()='nav'][@epub:type='toc']//*[local-name()='ol']")
            .size(),
        1u)
        << flat.text;
}

TEST(FixedPackage, CopyrightPageIsALandmarkByItsDocumentedName) {
    const auto slot = EPub::LandmarkSlot("copyright-page");
    ASSERT_TRUE(slot);
    Navigation nav;
    Write("en", {}, nav, {}, 1u << *slot);
    EXPECT_EQ(Landmark(nav, "copyright-page"), "Copyright") << nav.text;
}

} // namespace
