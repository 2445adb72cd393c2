// SPDX-License-Identifier: MIT
// Word documents of the corpus (tests/readers/docx/corpus) through the built tool, checked as a
// reader of the EPUB would see them: the generated CSS applied to the text, list numbers, notes,
// table spans, pictures, links and metadata; and every bad input refused in one line.

#include "epub/package/FontObfuscation.h"
#include "tests/readers/common/CorpusBook.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace CorpusTest;

const fs::path kCorpus = fs::path(EPUB_SOURCE_DIR) / "tests/readers/docx/corpus";

class DocxCorpus : public CorpusTest::CorpusTool {
protected:
    DocxCorpus() : CorpusTool(kCorpus) {}
};

// What a reader sees of styled text: the size, weight, style and indents the CSS gives it.
TEST_F(DocxCorpus, StyleChainsAndDirectFormattingReachTheText) {
    const Book book = Export("styles_cascade.docx");
    ExpectLooks(book, {TextLook{"Plain body sample", 12, false, false},
                       TextLook{"Quoted sample in the quote style", 12, false, true},
                       TextLook{"then bigger words", 16, false, true},
                       TextLook{"strong emphasis style", 12, true, false},
                       TextLook{"quote character style", 12, false, true},
                       TextLook{"Normal paragraph with the default size", 11, false, false},
                       TextLook{"Caption sample", 9, true, false}});
    // Body Text indents 0.5 in, Quote (based on it) 1 in on both sides; a direct first-line
    // indent of a quarter inch comes on top of the style's.
    const Found body = book.Find("Plain body sample");
    const Found quote = book.Find("Quoted sample in the quote style");
    const Found first = book.Find("Indented first line sample");
    ASSERT_TRUE(body && quote && first);
    EXPECT_NEAR(Accumulated(body.page->css, body.node, {"margin-left", "padding-left"}), 36, 0.5);
    EXPECT_NEAR(Accumulated(quote.page->css, quote.node, {"margin-left", "padding-left"}), 72, 0.5);
    EXPECT_NEAR(Accumulated(quote.page->css, quote.node, {"margin-right", "padding-right"}), 72,
                0.5);
    EXPECT_EQ(quote.page->css.Inherited(quote.node, "text-align").value_or(""), "center");
    const auto indent = first.page->css.Inherited(first.node, "text-indent");
    ASSERT_TRUE(indent);
    EXPECT_NEAR(Points(first.page->css, first.node, *indent).value_or(-1), 18, 0.5);
    EXPECT_NEAR(Accumulated(first.page->css, first.node, {"margin-left", "padding-left"}), 36, 0.5);
}

TEST_F(DocxCorpus, EachStyleIsOneClassNamedAfterIt) {
    const Book book = Export("styles_cascade.docx");
    for (const char* text : {"Plain body sample", "Indented first line sample"}) {
        const Found found = book.Find(text);
        ASSERT_TRUE(found) << text;
        // The paragraph, or the block it sits in, carries the style's class.
        const std::string classes = std::string(found.node.attribute("class").value()) + " " +
                                    found.node.parent().attribute("class").value();
        EXPECT_NE(classes.find("Body"), std::string::npos) << text << ": " << classes;
    }
    // Ordinary prose with one direct change: at most one span in the paragraph.
    const Found quote = book.Find("then bigger words");
    ASSERT_TRUE(quote);
    auto paragraph = quote.node;
    while (paragraph && std::string(paragraph.name()) == "span")
        paragraph = paragraph.parent();
    EXPECT_LE(paragraph.select_nodes(".//span").size(), 1u);
}

TEST_F(DocxCorpus, RunPropertiesShowAsAReaderExpects) {
    const Book book = Export("run_basic.docx");
    const Found bold = book.Find("Bold sample");
    const Found italic = book.Find("italic sample");
    const Found notBold = book.Find("not bold words");
    const Found inBoldStyle = book.Find("Bold style paragraph with");
    const Found large = book.Find("Eighteen point sample");
    const Found small = book.Find("eight point sample");
    const Found red = book.Find("Red colour sample");
    ASSERT_TRUE(bold && italic && notBold && inBoldStyle && large && small && red);
    EXPECT_TRUE(IsBold(bold.page->css, bold.node));
    EXPECT_FALSE(IsItalic(bold.page->css, bold.node));
    EXPECT_TRUE(IsItalic(italic.page->css, italic.node));
    // A run switching bold off inside a bold paragraph style.
    EXPECT_TRUE(IsBold(inBoldStyle.page->css, inBoldStyle.node));
    EXPECT_FALSE(IsBold(notBold.page->css, notBold.node));
    EXPECT_NEAR(large.page->css.FontSizePt(large.node), 18, 0.05);
    EXPECT_NEAR(small.page->css.FontSizePt(small.node), 8, 0.05);
    const std::string colour = red.page->css.Inherited(red.node, "color").value_or("");
    EXPECT_TRUE(std::regex_search(
        colour, std::regex("#f00\\b|#[0-9a-f]{2}0000|rgb\\(2[0-9]{2}, ?0, ?0\\)|red",
                           std::regex::icase))) // pure red, darkened to be readable
        << colour;

    const Book decoration = Export("run_decoration.docx");
    const Found struck = decoration.Find("struck out sample");
    const Found underlined = decoration.Find("underline single");
    const Found caps = decoration.Find("all caps sample");
    const Found smallCaps = decoration.Find("Small Caps Sample");
    ASSERT_TRUE(struck && underlined && caps && smallCaps);
    EXPECT_TRUE(Decorated(struck.page->css, struck.node, "text-decoration", "line-through"));
    EXPECT_TRUE(Decorated(underlined.page->css, underlined.node, "text-decoration", "underline"));
    EXPECT_EQ(caps.page->css.Inherited(caps.node, "text-transform").value_or(""), "uppercase");
    const std::string variant =
        smallCaps.page->css.Inherited(smallCaps.node, "font-variant")
            .value_or(
                smallCaps.page->css.Inherited(smallCaps.node, "font-variant-caps").value_or(""));
    EXPECT_NE(variant.find("small-caps"), std::string::npos) << variant;

    const Book position = Export("run_position.docx");
    const Found mc = position.Find("E = mc");
    ASSERT_TRUE(mc);
    // The "2" after "E = mc" is raised: a sup element or vertical-align on its span.
    const auto raised = mc.node.find_child([](const pugi::xml_node& n) {
        return n.type() == pugi::node_element && std::string(n.text().get()) == "2";
    });
    ASSERT_TRUE(raised) << "no element of its own for the superscript";
    EXPECT_TRUE(std::string(raised.name()) == "sup" ||
                mc.page->css.Cascaded(raised, "vertical-align").value_or("") == "super");
}

TEST_F(DocxCorpus, ParagraphAlignmentAndSpacing) {
    const Book book = Export("paragraph_alignment.docx");
    for (const auto& [word, align] :
         std::vector<std::pair<std::string, std::string>>{{"left", "left"},
                                                          {"center", "center"},
                                                          {"right", "right"},
                                                          {"both", "justify"},
                                                          {"distribute", "justify"}}) {
        const Found found = book.Find("Aligned " + word + " sample");
        ASSERT_TRUE(found) << word;
        const std::string value =
            found.page->css.Inherited(found.node, "text-align").value_or("left");
        EXPECT_TRUE(value == align || (align == "left" && value == "start"))
            << word << ": " << value;
    }
    const Book spacing = Export("paragraph_spacing.docx");
    const Found before = spacing.Find("Spacing before twelve points");
    ASSERT_TRUE(before);
    const auto top = before.page->css.Cascaded(before.node, "margin-top");
    ASSERT_TRUE(top);
    EXPECT_NEAR(Points(before.page->css, before.node, *top).value_or(-1), 12, 0.5);
    const Found lines = spacing.Find("Line spacing one and a half");
    ASSERT_TRUE(lines);
    const std::string height = lines.page->css.Inherited(lines.node, "line-height").value_or("");
    // 1.5 lines of a single-spaced 11-point line; "1.5", "150%" or a length near 1.5 x 1.15 x 11.
    EXPECT_FALSE(height.empty());

    const Book indents = Export("paragraph_indents.docx");
    const Found left = indents.Find("Left indent one inch sample");
    const Found hanging = indents.Find("Hanging indent sample");
    ASSERT_TRUE(left && hanging);
    EXPECT_NEAR(Accumulated(left.page->css, left.node, {"margin-left", "padding-left"}), 72, 0.5);
    const auto hang = hanging.page->css.Inherited(hanging.node, "text-indent");
    ASSERT_TRUE(hang);
    EXPECT_NEAR(Points(hanging.page->css, hanging.node, *hang).value_or(0), -18, 0.5);
    EXPECT_NEAR(Accumulated(hanging.page->css, hanging.node, {"margin-left", "padding-left"}), 36,
                0.5);
}

TEST_F(DocxCorpus, HeadingsBecomeHeadingElementsOfTheirLevel) {
    const Book book = Export("headings.docx");
    std::vector<std::pair<std::string, std::string>> expected{
        {"The Corpus Title", "h1"},
        {"Outline level three by style", "h3"},
        {"Outline level two by direct formatting", "h2"}};
    for (int n = 1; n <= 6; ++n)
        expected.emplace_back("Level " + std::to_string(n) + " heading text",
                              "h" + std::to_string(n));
    for (const auto& [text, element] : expected) {
        const Found found = book.Find(text);
        ASSERT_TRUE(found) << text;
        auto node = found.node;
        while (node && std::string(node.name()) == "span")
            node = node.parent();
        EXPECT_EQ(std::string(node.name()), element) << text;
    }
    const Found body = book.Find("Body under level 2");
    ASSERT_TRUE(body);
    EXPECT_EQ(std::string(body.node.name()), "p");
}

TEST_F(DocxCorpus, ListNumbersFollowFormatsLevelsAndRestarts) {
    const Book formats = Export("lists_formats.docx");
    for (const auto& [text, number] :
         std::vector<std::pair<std::string, std::string>>{{"Decimal one", "1"},
                                                          {"Decimal two", "2"},
                                                          {"Nested two point one", "2.1"},
                                                          {"Nested two point two", "2.2"},
                                                          {"Decimal three", "3"},
                                                          {"Upper roman third", "III"},
                                                          {"Lower roman second", "ii"},
                                                          {"Upper letter third", "C"},
                                                          {"Zero padded first", "01"}}) {
        const Found found = formats.Find(text);
        ASSERT_TRUE(found) << text;
        EXPECT_EQ(ListNumber(found), number) << text;
    }

    const Book restart = Export("lists_restart.docx");
    for (const auto& [text, number] :
         std::vector<std::pair<std::string, std::string>>{{"Alpha one", "1"},
                                                          {"Alpha three continues", "3"},
                                                          {"Beta one restarted", "1"},
                                                          {"Beta two", "2"},
                                                          {"Gamma five", "5"},
                                                          {"Gamma six", "6"},
                                                          {"Delta two by style", "B"}}) {
        const Found found = restart.Find(text);
        ASSERT_TRUE(found) << text;
        EXPECT_EQ(ListNumber(found), number) << text;
    }
    const Found between = restart.Find("An ordinary paragraph between");
    ASSERT_TRUE(between);
    EXPECT_EQ(ListNumber(between), "");
}

TEST_F(DocxCorpus, BulletsComeOutAsUnicodeNotPrivateUseCharacters) {
    const Book book = Export("lists_bullets.docx");
    const Found bread = book.Find("Bread bullet");
    ASSERT_TRUE(bread);
    const std::string all = book.AllText();
    // Symbol and Wingdings bullets live in the private use area, U+F000-U+F0FF (EF 80-83 xx).
    EXPECT_EQ(all.find("\xEF\x80"), std::string::npos);
    EXPECT_EQ(all.find("\xEF\x81"), std::string::npos);
    EXPECT_EQ(all.find("\xEF\x82"), std::string::npos);
    EXPECT_EQ(all.find("\xEF\x83"), std::string::npos);
    // Nested bullets sit deeper than their parents.
    const Found nested = book.Find("Nested square bullet");
    ASSERT_TRUE(nested);
    auto depth = [](pugi::xml_node n) {
        int lists = 0;
        for (; n; n = n.parent())
            lists += std::string(n.name()) == "ul" || std::string(n.name()) == "ol";
        return lists;
    };
    const double breadIndent =
        Accumulated(bread.page->css, bread.node, {"margin-left", "padding-left"});
    const double nestedIndent =
        Accumulated(nested.page->css, nested.node, {"margin-left", "padding-left"});
    EXPECT_TRUE(depth(nested.node) > depth(bread.node) || nestedIndent > breadIndent);
}

TEST_F(DocxCorpus, NotesAreLinkedToTheirTextWithTheirMarks) {
    const Book book = Export("notes.docx");
    std::vector<std::pair<Found, std::string>> refs;
    for (const Page& page : book.pages)
        for (const auto& a :
             page.doc->select_nodes("//a[@epub:type='noteref' or @role='doc-noteref']"))
            refs.emplace_back(Found{&page, a.node()}, Trim(TextOf(a.node())));
    ASSERT_EQ(refs.size(), 3u);
    const std::vector<std::string> noteTexts{"Footnote source text sample.",
                                             "Custom mark footnote text.", "Endnote text sample."};
    for (size_t i = 0; i < refs.size(); ++i) {
        const auto& [ref, mark] = refs[i];
        const Found target = Target(book, *ref.page, ref.node.attribute("href").value());
        ASSERT_TRUE(target) << ref.node.attribute("href").value();
        EXPECT_NE(TextFrom(target).find(noteTexts[i]), std::string::npos) << TextFrom(target);
    }
    EXPECT_EQ(refs[1].second, "*");
    EXPECT_NE(refs[0].second, refs[2].second) << "the first footnote and the endnote share a mark";
    // Both paragraphs of the first note are in the note, and no note text stays in the prose.
    const Found second = book.Find("Second paragraph of the first footnote.");
    ASSERT_TRUE(second);
    bool inNote = false;
    for (auto n = second.node; n; n = n.parent())
        inNote = inNote || std::string(n.name()) == "aside" ||
                 std::string(n.attribute("epub:type").value()).find("note") != std::string::npos;
    EXPECT_TRUE(inNote);
    const Found claim = book.Find("A claim that needs a source");
    ASSERT_TRUE(claim);
    EXPECT_EQ(TextOf(claim.node).find("Footnote source"), std::string::npos);
}

TEST_F(DocxCorpus, TableSpansAndHeaderRows) {
    const Book book = Export("tables_spans.docx");
    auto cellOf = [](const Found& found) {
        auto node = found.node;
        while (node && std::string(node.name()) != "td" && std::string(node.name()) != "th")
            node = node.parent();
        return node;
    };
    const Found wide = book.Find("Wide header spanning two");
    const Found tall = book.Find("Tall cell three rows");
    const Found both = book.Find("Both B4 C4");
    ASSERT_TRUE(wide && tall && both);
    EXPECT_EQ(cellOf(wide).attribute("colspan").as_int(1), 2);
    EXPECT_EQ(cellOf(tall).attribute("rowspan").as_int(1), 3);
    EXPECT_EQ(cellOf(both).attribute("colspan").as_int(1), 2);
    // The merged-away cells are gone: four rows of 2, 3, 2 and 1 cells.
    const auto table = cellOf(tall).parent().parent();
    std::vector<size_t> cells;
    for (const auto& tr : table.parent().select_nodes(".//tr"))
        cells.push_back(tr.node().select_nodes("td|th").size());
    EXPECT_EQ(cells, (std::vector<size_t>{2, 3, 2, 1}));

    const Book basic = Export("tables_basic.docx");
    const Found fruit = basic.Find("Fruit");
    ASSERT_TRUE(fruit);
    const auto head = cellOf(fruit);
    EXPECT_TRUE(std::string(head.name()) == "th" ||
                std::string(head.parent().parent().name()) == "thead")
        << "the repeated header row is not marked as a header";

    // The table style's header row and first column format the text in them: white bold on
    // the dark header fill, italic names; the other cells keep the plain text.
    const Book styled = Export("tables_styled.docx");
    const Found styledHead = styled.Find("Styled head B");
    const Found rowName = styled.Find("Row 2 name");
    const Found rowValue = styled.Find("Row 2 value");
    ASSERT_TRUE(styledHead && rowName && rowValue);
    const std::string headColour =
        styledHead.page->css.Inherited(styledHead.node, "color").value_or("");
    EXPECT_TRUE(
        std::regex_search(headColour, std::regex("#fff\\b|#ffffff|white", std::regex::icase)))
        << headColour;
    EXPECT_TRUE(IsBold(styledHead.page->css, styledHead.node));
    EXPECT_TRUE(IsItalic(rowName.page->css, rowName.node));
    EXPECT_FALSE(IsItalic(rowValue.page->css, rowValue.node));
    EXPECT_FALSE(IsBold(rowValue.page->css, rowValue.node));

    const Book nested = Export("tables_nested.docx");
    const Found innermost = nested.Find("Innermost cell");
    ASSERT_TRUE(innermost);
    int tables = 0;
    for (auto n = innermost.node; n; n = n.parent())
        tables += std::string(n.name()) == "table";
    EXPECT_EQ(tables, 3);
}

TEST_F(DocxCorpus, PicturesKeepAltTextAndBecomeEpubImages) {
    const std::set<std::string> core{"image/png", "image/jpeg", "image/gif", "image/svg+xml",
                                     "image/webp"};
    for (const char* file : {"pictures_inline.docx", "pictures_formats.docx", "pictures_vml.docx",
                             "pictures_metafiles.docx", "chart_fallback.docx"}) {
        SCOPED_TRACE(file);
        const Book book = Export(file);
        std::map<std::string, std::string> types;
        for (const auto& item : book.opf.select_nodes("//*[local-name()='item']"))
            types[ToolTest::ResolveHref(book.opfName, item.node().attribute("href").value())] =
                item.node().attribute("media-type").value();
        std::vector<std::string> alts;
        for (const Page& page : book.pages)
            for (const auto& img : page.doc->select_nodes("//img")) {
                const auto node = img.node();
                ASSERT_TRUE(node.attribute("alt")) << "an img without alt";
                alts.emplace_back(node.attribute("alt").value());
                const std::string src =
                    ToolTest::ResolveHref(page.name, node.attribute("src").value());
                EXPECT_TRUE(book.entries.count(src)) << src;
                EXPECT_TRUE(core.count(types[src])) << src << " is " << types[src];
            }
        // An SVG may come as an object, labelled instead of an alt text.
        for (const Page& page : book.pages)
            for (const auto& object : page.doc->select_nodes("//object[@type='image/svg+xml']"))
                alts.emplace_back(object.node().attribute("aria-label").value());
        const std::string file_name = file;
        const std::multiset<std::string> got(alts.begin(), alts.end());
        if (file_name == "pictures_inline.docx") {
            EXPECT_EQ(alts.size(), 5u);
            EXPECT_TRUE(got.count("A blue rectangle"));
            EXPECT_TRUE(got.count("A floating photograph"));
            EXPECT_TRUE(got.count("Cropped green square"));
        } else if (file_name == "pictures_formats.docx") {
            EXPECT_EQ(
                got, (std::multiset<std::string>{"PNG sample picture", "JPEG sample picture",
                                                 "GIF sample picture", "BMP sample picture",
                                                 "TIFF sample picture", "SVG sample picture", ""}));
        } else if (file_name == "pictures_vml.docx") {
            EXPECT_EQ(alts, (std::vector<std::string>{"Legacy VML picture"}));
        } else if (file_name == "pictures_metafiles.docx") {
            // The EMF through its bitmap fallback; the WMF has none and is left out.
            EXPECT_EQ(alts, (std::vector<std::string>{"EMF drawing"}));
            EXPECT_TRUE(book.Find("text after the metafile"));
        } else {
            EXPECT_EQ(got,
                      (std::multiset<std::string>{"Sales by quarter chart", "Process diagram"}));
        }
    }
}

TEST_F(DocxCorpus, FloatsAndSizesOfPictures) {
    const Book book = Export("pictures_inline.docx");
    std::map<std::string, pugi::xml_node> byAlt;
    const Page* page = nullptr;
    for (const Page& p : book.pages)
        for (const auto& img : p.doc->select_nodes("//img")) {
            byAlt[img.node().attribute("alt").value()] = img.node();
            page = &p;
        }
    ASSERT_TRUE(page && byAlt.count("A floating photograph") && byAlt.count("A right float"));
    const auto floatOf = [&](pugi::xml_node n) { return FloatOf(*page, n); };
    EXPECT_EQ(floatOf(byAlt["A floating photograph"]), "left");
    EXPECT_EQ(floatOf(byAlt["A right float"]), "right");
    // 914400 EMUs are one inch: the blue rectangle is 72 x 36 points wide, whatever unit says so.
    const std::optional<double> width = PictureWidthPt(*page, byAlt["A blue rectangle"]);
    ASSERT_TRUE(width) << "no width for a picture sized in the document";
    EXPECT_NEAR(*width, 72, 1);
}

TEST_F(DocxCorpus, LinksResolve) {
    const Book book = Export("hyperlinks.docx");
    std::map<std::string, std::pair<const Page*, std::string>> links; // text -> page, href
    for (const Page& page : book.pages)
        for (const auto& a : page.doc->select_nodes("//a[@href]"))
            links[Trim(TextOf(a.node()))] = {&page, a.node().attribute("href").value()};
    ASSERT_TRUE(links.count("the example site"));
    EXPECT_EQ(links["the example site"].second, "https://example.com/corpus");
    ASSERT_TRUE(links.count("write to us"));
    EXPECT_EQ(links["write to us"].second, "mailto:corpus@example.com");
    ASSERT_TRUE(links.count("the target section"));
    const auto& [page, href] = links["the target section"];
    const Found target = Target(book, *page, href);
    ASSERT_TRUE(target) << href;
    EXPECT_NE(TextFrom(target).find("The target section text."), std::string::npos);

    const Book fields = Export("fields.docx");
    links.clear();
    for (const Page& p : fields.pages)
        for (const auto& a : p.doc->select_nodes("//a[@href]"))
            links[Trim(TextOf(a.node()))] = {&p, a.node().attribute("href").value()};
    ASSERT_TRUE(links.count("the field site"));
    EXPECT_EQ(links["the field site"].second, "https://example.org/field");
    // REF and PAGEREF become cross references to the bookmarked caption.
    ASSERT_TRUE(links.count("Figure 1"));
    const Found caption = Target(fields, *links["Figure 1"].first, links["Figure 1"].second);
    ASSERT_TRUE(caption);
    EXPECT_NE(TextFrom(caption).find("the referenced caption"), std::string::npos);
    // Other fields show their result.
    EXPECT_TRUE(fields.Find("Ada Corpus"));
    EXPECT_TRUE(fields.Find("2 January 2024"));
    // A field inside an IF's condition is part of the instruction: only the IF's result shows.
    const Found nested = fields.Find("nested result yes");
    ASSERT_TRUE(nested);
    pugi::xml_node paragraph = nested.node;
    while (paragraph && std::string(paragraph.name()) != "p")
        paragraph = paragraph.parent();
    EXPECT_EQ(Trim(TextOf(paragraph)), "Nested: nested result yes");
}

// Marker words the corpus hides, deletes or comments: none reaches the EPUB; their neighbours do.
TEST_F(DocxCorpus, DroppedAndKeptContent) {
    const std::vector<std::tuple<std::string, std::vector<std::string>, std::vector<std::string>>>
        cases{
            {"run_language_hidden.docx", {"HIDDENWORDS"}, {"Visible words", "stay visible."}},
            {"tracked_changes.docx",
             {"DELETEDWORDS", "MOVEDFROM", "DELETEDPARAGRAPH"},
             {"INSERTEDWORDS here", "MOVEDTO new place", "Middle sentence."}},
            {"comments.docx", {"COMMENTTEXT"}, {"Commented words stay.", "More text."}},
            {"sections.docx", {"HEADERTEXT", "FOOTERTEXT"}, {"Third section body text."}},
            {"alternate_content.docx",
             {"FALLBACKTEXT", "UNKNOWNCHOICE"},
             {"CHOICETEXT kept", "FALLBACKWORDS used", "Ignorable attributes."}},
            {"chart_fallback.docx", {"DIAGRAMCHOICE"}, {"After the graphics."}},
            {"wrappers.docx",
             {},
             {"Block content control text.", "control words", "Amsterdam", "XML words",
              "Editable range text."}},
            {"text_boxes.docx",
             {},
             {"Text box first paragraph.", "Text box second paragraph.", "Boxed table cell",
              "Body text after the box."}},
            {"pictures_vml.docx", {}, {"VML text box words."}},
            {"content_breaks.docx",
             {"breakafter"},
             {"after page break.", "after column break.", "returned."}},
            {"equations.docx", {}, {"in running text."}},
        };
    for (const auto& [file, gone, kept] : cases) {
        SCOPED_TRACE(file);
        const Book book = Export(file);
        const std::string all = book.AllText();
        for (const std::string& word : gone)
            EXPECT_EQ(all.find(word), std::string::npos) << word;
        for (const std::string& words : kept)
            EXPECT_NE(all.find(words), std::string::npos) << words;
    }
}

TEST_F(DocxCorpus, TextBoxAppearsOnce) {
    // Word writes a text box twice, as DrawingML and as its VML fallback.
    const Book book = Export("text_boxes.docx");
    const std::string all = book.AllText();
    const size_t first = all.find("Text box first paragraph.");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(all.find("Text box first paragraph.", first + 1), std::string::npos);
}

TEST_F(DocxCorpus, EquationsBecomeMathMLWithTheirLinearText) {
    const Book book = Export("equations.docx");
    size_t math = 0, blocks = 0;
    for (const Page& page : book.pages)
        for (const pugi::xpath_node& node : page.doc->select_nodes("//*[local-name()='math']")) {
            const pugi::xml_node element = node.node();
            ++math;
            EXPECT_STREQ(element.attribute("xmlns").value(), "http://www.w3.org/1998/Math/MathML");
            EXPECT_NE(std::string_view(element.attribute("alttext").value()), "");
            blocks += std::string_view(element.attribute("display").value()) == "block";
        }
    EXPECT_EQ(math, 10u);
    EXPECT_EQ(blocks, 8u);
    // The running text around the inline equations is still there.
    EXPECT_NE(book.AllText().find("in running text."), std::string::npos);
    const std::string& opf = book.entries.at(book.opfName);
    EXPECT_NE(opf.find("properties=\"mathml\""), std::string::npos) << opf;
    EXPECT_NE(opf.find("accessibilityFeature\">MathML<"), std::string::npos) << opf;
}

TEST_F(DocxCorpus, MetadataFromPropertiesOrTheText) {
    const Book full = Export("metadata_full.docx");
    EXPECT_EQ(full.Metadata("dc:title"), (std::vector<std::string>{"The Harbour Ledger"}));
    std::string creators;
    for (const std::string& c : full.Metadata("dc:creator"))
        creators += c + "|";
    EXPECT_NE(creators.find("Ada Lovelace"), std::string::npos) << creators;
    EXPECT_NE(creators.find("Charles Babbage"), std::string::npos) << creators;
    EXPECT_EQ(full.Metadata("dc:language"), (std::vector<std::string>{"en-GB"}));
    std::string subjects;
    for (const std::string& subject : full.Metadata("dc:subject"))
        subjects += subject + "|";
    EXPECT_NE(subjects.find("Harbour records"), std::string::npos) << subjects;
    EXPECT_EQ(full.Metadata("dc:description"),
              (std::vector<std::string>{"A sample with every core property."}));
    // The date the document was made is the publication's.
    EXPECT_EQ(full.Metadata("dc:date"), (std::vector<std::string>{"2023-05-06T07:08:09Z"}));

    const Book fallback = Export("metadata_fallback.docx");
    EXPECT_EQ(fallback.Metadata("dc:title"), (std::vector<std::string>{"Die Titelzeile"}));
    EXPECT_EQ(fallback.Metadata("dc:language"), (std::vector<std::string>{"de-DE"}));
    ASSERT_EQ(fallback.Metadata("dc:identifier").size(), 1u);
    EXPECT_FALSE(Trim(fallback.Metadata("dc:identifier")[0]).empty());

    EXPECT_EQ(Export("metadata_heading_title.docx").Metadata("dc:title"),
              (std::vector<std::string>{"First Heading Becomes Title"}));
    EXPECT_EQ(Export("minimal.docx").Metadata("dc:title"), (std::vector<std::string>{"minimal"}));
}

TEST_F(DocxCorpus, SectionsStartNewDocuments) {
    const Book book = Export("sections.docx");
    const Found one = book.Find("Section one heading");
    const Found two = book.Find("Section two heading");
    const Found three = book.Find("Section three heading");
    ASSERT_TRUE(one && two && three);
    // The last section starts on an odd page: a new document whatever the split rule.
    EXPECT_NE(two.page, three.page);
    EXPECT_NE(one.page, three.page);
}

// Word stores the face obfuscated with its font key; the EPUB must hold the face itself, under
// the publication's own obfuscation.
TEST_F(DocxCorpus, EmbeddedFontIsDeobfuscatedAndEmbedded) {
    const Book book = Export("embedded_font.docx");
    bool face = false;
    for (const auto& [name, data] : book.entries)
        face = face || (name.find(".css") != std::string::npos &&
                        data.find("@font-face") != std::string::npos &&
                        data.find("Fuzz Sans") != std::string::npos);
    EXPECT_TRUE(face) << "no @font-face for the embedded font";
    const std::string original = Read((kCorpus / "../../../fuzz/corpus/font/tiny.ttf").string());
    const auto ids = book.Metadata("dc:identifier");
    ASSERT_EQ(ids.size(), 1u);
    bool same = false;
    for (const auto& item : book.opf.select_nodes("//*[local-name()='item']")) {
        const std::string type = item.node().attribute("media-type").value();
        if (type.find("font") == std::string::npos)
            continue;
        std::string data = book.entries.at(
            ToolTest::ResolveHref(book.opfName, item.node().attribute("href").value()));
        if (data.size() != original.size())
            continue;
        EPub::ObfuscateFont(std::span(reinterpret_cast<uint8_t*>(data.data()), data.size()),
                            EPub::MakeFontKey(ids[0]));
        same = same || data == original;
    }
    EXPECT_TRUE(same) << "the embedded face is not the document's font";
}

TEST_F(DocxCorpus, StrictPackagesAreReadOrRefusedClearly) {
    const std::string input = Input("strict_namespaces.docx");
    const ToolTest::Result r = Run("'" + input + "' -o '" + (dir_ / "strict.epub") + "'");
    if (r.status == 0) {
        const Book book = Export("strict_namespaces.docx");
        EXPECT_TRUE(book.Find("Strict namespace paragraph."));
        return;
    }
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(std::regex_search(r.err, std::regex("strict", std::regex::icase))) << r.err;
}

// Damaged pictures cost the picture, not the export; --check names each one.
TEST_F(DocxCorpus, BrokenAndUnusablePicturesAreFindings) {
    for (const auto& [file, parts] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"broken_images.docx", {"garbage.png", "nowhere.png", "truncated.png"}},
             {"pictures_metafiles.docx", {"clipart.wmf"}},
             {"external_image.docx", {"linked"}}}) {
        SCOPED_TRACE(file);
        const Book book = Export(file);
        EXPECT_FALSE(book.pages.empty());
        Input(file);
        const ToolTest::Output check = Capture("--check '" + file + "'");
        EXPECT_EQ(check.status, 3) << check.err; // the tool's status for listed problems
        for (const std::string& part : parts) {
            bool named = false;
            for (const std::string& line : check.lines)
                named = named || (line.rfind(file, 0) == 0 && line.find(part) != std::string::npos);
            EXPECT_TRUE(named) << part << " not in --check output";
        }
    }
    const Book broken = Export("broken_images.docx");
    for (const char* text : {"text after garbage.", "text after missing.", "text after truncated."})
        EXPECT_TRUE(broken.Find(text)) << text;
}

// Every good document of the corpus exports to well-formed documents, quietly but for the
// warnings that are the point of a few of them.
TEST_F(DocxCorpus, EveryCorpusDocumentExports) {
    const size_t count = ExportEveryDocument(
        {".docx"},
        {"broken_images.docx", "pictures_metafiles.docx", "external_image.docx", "equations.docx"},
        {"strict_namespaces.docx"});
    EXPECT_GE(count, 40u);
}

// Bad input: exit status 2, one line naming the file and what is wrong, nothing written.
TEST_F(DocxCorpus, BadInputIsRefusedInOneLine) {
    const std::map<std::string, std::string> problems{
        {"not_a_zip.docx", "not a document"},
        {"truncated_zip.docx", "damaged|cut short|truncat"},
        {"legacy_word.doc", "legacy|\\.doc\\b"},
        {"encrypted.docx", "encrypted documents are not supported"},
        {"zip_bomb.docx", "inflat|ratio|compress|bomb|too large|limit"},
        {"zip_lying_sizes.docx", "size|damaged|corrupt|length|crc|inflat|bomb"},
        {"dtd_entities.docx", "DTD|document type|entit"},
        {"external_entity.docx", "DTD|document type|entit"},
        {"malformed_xml.docx", "word/document\\.xml"},
        {"missing_main_part.docx", "document\\.xml"},
        {"no_main_relationship.docx", "main|officeDocument"},
        {"relationship_outside.docx", "outside"},
        {"main_outside.docx", "outside"},
        {"relationship_missing_part.docx", "nostyles\\.xml"},
        {"deep_nesting.docx", "nest|deep|depth"},
        {"deep_xml.docx", "nest|deep|depth"},
        {"absurd_sizes.docx", "size|large|span|column|extent|absurd"},
        {"huge_grid.docx", "column|grid|large|too many"},
    };
    ExpectBadInputRefused(problems);
}

} // namespace

TEST_F(DocxCorpus, LibreOfficeDocumentsKeepTheirHeadingsNotesAndSpans) {
    // LibreOffice numbers every heading style with an outline numbering that shows nothing.
    const Book notes = Export("libreoffice_notes.docx");
    const Found title = notes.Find("Ledger of the Quay");
    const Found second = notes.Find("Second Part");
    ASSERT_TRUE(title && second);
    EXPECT_STREQ(title.node.name(), "h1");
    EXPECT_STREQ(second.node.name(), "h2");
    const std::string all = notes.AllText();
    EXPECT_NE(all.find("Twice-calling ships count once."), std::string::npos);
    EXPECT_NE(all.find("An endnote."), std::string::npos);

    const Book table = Export("libreoffice_table.docx");
    const Found spring = table.Find("Tuesday (spring tide)");
    const Found wednesday = table.Find("Wednesday");
    ASSERT_TRUE(spring && wednesday);
    auto cell = [](pugi::xml_node n) {
        while (n && std::string_view(n.name()) != "td" && std::string_view(n.name()) != "th")
            n = n.parent();
        return n;
    };
    EXPECT_EQ(cell(spring.node).attribute("colspan").as_int(1), 2);
    EXPECT_EQ(cell(wednesday.node).attribute("rowspan").as_int(1), 2);

    const Book text = Export("libreoffice_text.docx");
    const Found link = text.Find("the tide table");
    ASSERT_TRUE(link);
    pugi::xml_node a = link.node;
    while (a && std::string_view(a.name()) != "a")
        a = a.parent();
    EXPECT_STREQ(a.attribute("href").value(), "https://example.org/tides");
    EXPECT_TRUE(text.Find("with a cargo of timber"));
}
