// SPDX-License-Identifier: MIT
// OpenDocument texts of the corpus (tests/readers/odt/corpus) through the built tool, checked as
// a reader of the EPUB would see them: the generated CSS applied to the text, list labels, notes,
// table spans, pictures, links, metadata and print pages; and every bad input refused in one line.

#include "epub/package/FontObfuscation.h"
#include "tests/readers/common/CorpusBook.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <iterator>
#include <sstream>

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

const fs::path kCorpus = fs::path(EPUB_SOURCE_DIR) / "tests/readers/odt/corpus";

class OdtCorpus : public CorpusTest::CorpusTool {
protected:
    OdtCorpus() : CorpusTool(kCorpus) {}
};

// Text with every run of white space as one space: elements around a field or a span add
// their own separators to the joined text.
std::string Normalised(const std::string& text) {
    return std::regex_replace(text, std::regex("[ \\t\\r\\n]+"), " ");
}

// The block a piece of text sits in: the element above its inline wrappers.
pugi::xml_node BlockOf(pugi::xml_node node) {
    static const std::set<std::string> inline_{"span",  "a",   "em",  "strong", "b",
                                               "i",     "u",   "s",   "sup",    "sub",
                                               "small", "bdi", "bdo", "code"};
    while (node && inline_.count(node.name()))
        node = node.parent();
    return node;
}

// The language the element is in: the nearest lang or xml:lang above it.
std::string LanguageOf(pugi::xml_node node) {
    for (; node; node = node.parent())
        for (const char* name : {"xml:lang", "lang"})
            if (const auto attribute = node.attribute(name))
                return attribute.value();
    return "";
}

std::optional<double> LengthOf(const CssCascade& css, const pugi::xml_node& node,
                               const char* property) {
    const auto value = css.Inherited(node, property);
    if (!value)
        return std::nullopt;
    return Points(css, node, *value);
}

bool IsColour(const std::string& value, const std::string& hex, const std::string& rgb,
              const std::string& name) {
    return std::regex_search(value,
                             std::regex("#" + hex + "\\b|#" + hex.substr(0, 1) + hex.substr(2, 1) +
                                            hex.substr(4, 1) + "\\b|rgb\\(" + rgb + "\\)|" + name,
                                        std::regex::icase));
}

// Every link of the book: text -> page and href.
std::map<std::string, std::pair<const Page*, std::string>> LinksOf(const Book& book) {
    std::map<std::string, std::pair<const Page*, std::string>> links;
    for (const Page& page : book.pages)
        for (const auto& a : page.doc->select_nodes("//a[@href]"))
            links[Trim(TextOf(a.node()))] = {&page, a.node().attribute("href").value()};
    return links;
}

bool InNote(pugi::xml_node node) {
    for (; node; node = node.parent())
        if (std::string(node.name()) == "aside" ||
            std::string(node.attribute("epub:type").value()).find("note") != std::string::npos ||
            std::string(node.attribute("role").value()).find("note") != std::string::npos)
            return true;
    return false;
}

// What a reader sees of styled text: size, weight, style and indents through the style chain.
TEST_F(OdtCorpus, StyleChainsAndAutomaticStylesReachTheText) {
    const Book book = Export("styles_cascade.odt");
    ExpectLooks(book, {TextLook{"Plain standard sample", 12, false, false},
                       TextLook{"Plain body sample", 12, false, false},
                       TextLook{"Quoted sample in the quote style", 12, false, true},
                       TextLook{"then bigger words", 16, false, true},
                       TextLook{"strong emphasis style", 12, true, false},
                       TextLook{"quote character style", 12, false, true},
                       TextLook{"Indented first line sample", 12, false, false},
                       // 75 % of the default 12 points, through a style without a size.
                       TextLook{"Small print sample", 9, true, false}});
    // Body Indented indents half an inch, Quotations (its child) one inch on both sides; the
    // automatic style's first-line indent comes on top of its parent's margin.
    const Found body = book.Find("Plain body sample");
    const Found quote = book.Find("Quoted sample in the quote style");
    const Found first = book.Find("Indented first line sample");
    const Found plain = book.Find("Plain standard sample");
    ASSERT_TRUE(body && quote && first && plain);
    EXPECT_NEAR(Accumulated(body.page->css, body.node, {"margin-left", "padding-left"}), 36, 0.5);
    EXPECT_NEAR(Accumulated(quote.page->css, quote.node, {"margin-left", "padding-left"}), 72, 0.5);
    EXPECT_NEAR(Accumulated(quote.page->css, quote.node, {"margin-right", "padding-right"}), 72,
                0.5);
    EXPECT_NEAR(Accumulated(plain.page->css, plain.node, {"margin-left", "padding-left"}), 0, 0.5);
    EXPECT_EQ(quote.page->css.Inherited(quote.node, "text-align").value_or(""), "center");
    EXPECT_NEAR(LengthOf(first.page->css, first.node, "text-indent").value_or(-1), 18, 0.5);
    EXPECT_NEAR(Accumulated(first.page->css, first.node, {"margin-left", "padding-left"}), 36, 0.5);

    // A named style is one class named after it; an automatic style adds at most one class of
    // overrides to its parent's.
    const auto classesOf = [](const Found& f) {
        std::istringstream words(BlockOf(f.node).attribute("class").value());
        return std::set<std::string>(std::istream_iterator<std::string>(words), {});
    };
    const std::set<std::string> named = classesOf(body), automatic = classesOf(first);
    EXPECT_TRUE(named.count("Body_Indented") || named.count("Body-Indented") ||
                named.count("BodyIndented"));
    EXPECT_TRUE(std::includes(automatic.begin(), automatic.end(), named.begin(), named.end()));
    EXPECT_LE(automatic.size(), named.size() + 1);
    EXPECT_LE(BlockOf(quote.node).select_nodes(".//span").size(), 1u);

    // Heading sizes are percentages of the Heading style's 14 points.
    const Book headings = Export("headings.odt");
    for (const auto& [text, size] : std::vector<std::pair<std::string, double>>{
             {"Level 1 heading text", 18.2}, {"Level 2 heading text", 16.1}}) {
        const Found found = headings.Find(text);
        ASSERT_TRUE(found) << text;
        EXPECT_NEAR(found.page->css.FontSizePt(found.node), size, 0.1) << text;
        EXPECT_TRUE(IsBold(found.page->css, found.node)) << text;
    }
}

TEST_F(OdtCorpus, TextPropertiesShowAsAReaderExpects) {
    const Book book = Export("text_properties.odt");
    const auto get = [&](const char* text) {
        const Found found = book.Find(text);
        EXPECT_TRUE(found) << text;
        return found;
    };
    const Found bold = get("Bold sample"), italic = get("italic sample"),
                notBold = get("not bold words"), inBold = get("Bold style paragraph with"),
                large = get("Eighteen point sample"), small = get("eight point sample"),
                red = get("Red colour sample"), semibold = get("Semibold six hundred");
    ASSERT_TRUE(bold && italic && notBold && inBold && large && small && red && semibold);
    EXPECT_TRUE(IsBold(bold.page->css, bold.node));
    EXPECT_FALSE(IsItalic(bold.page->css, bold.node));
    EXPECT_TRUE(IsItalic(italic.page->css, italic.node));
    EXPECT_TRUE(IsBold(inBold.page->css, inBold.node));
    EXPECT_FALSE(IsBold(notBold.page->css, notBold.node));
    EXPECT_TRUE(IsBold(semibold.page->css, semibold.node));
    EXPECT_NEAR(large.page->css.FontSizePt(large.node), 18, 0.05);
    EXPECT_NEAR(small.page->css.FontSizePt(small.node), 8, 0.05);
    const std::string colour = red.page->css.Inherited(red.node, "color").value_or("");
    // Pure red, darkened just enough to be readable on the page (4.5:1).
    EXPECT_TRUE(IsColour(colour, "ee0000", "238, ?0, ?0", "red")) << colour;

    const Found under = get("underline single"), doubled = get("underline double"),
                struck = get("struck out sample"), over = get("overlined sample"),
                caps = get("all caps sample"), smallCaps = get("Small Caps Sample"),
                lower = get("LOWERED CASE"), marked = get("highlighted words"),
                spaced = get("Spaced letters");
    ASSERT_TRUE(under && doubled && struck && over && caps && smallCaps && lower && marked &&
                spaced);
    EXPECT_TRUE(Decorated(under.page->css, under.node, "text-decoration", "underline"));
    EXPECT_TRUE(Decorated(doubled.page->css, doubled.node, "text-decoration", "underline"));
    EXPECT_TRUE(Decorated(struck.page->css, struck.node, "text-decoration", "line-through"));
    EXPECT_FALSE(Decorated(spaced.page->css, spaced.node, "text-decoration", "underline"));
    EXPECT_EQ(caps.page->css.Inherited(caps.node, "text-transform").value_or(""), "uppercase");
    const std::string variant =
        smallCaps.page->css.Inherited(smallCaps.node, "font-variant")
            .value_or(
                smallCaps.page->css.Inherited(smallCaps.node, "font-variant-caps").value_or(""));
    EXPECT_NE(variant.find("small-caps"), std::string::npos) << variant;
    std::string background;
    for (auto n = marked.node; n && background.empty() && n != BlockOf(marked.node); n = n.parent())
        background = marked.page->css.Cascaded(n, "background-color").value_or("");
    EXPECT_TRUE(IsColour(background, "ffff00", "255, ?255, ?0", "yellow")) << background;
    // 0.1 cm is 2.83 points.
    EXPECT_NEAR(LengthOf(spaced.page->css, spaced.node, "letter-spacing").value_or(0), 2.83, 0.1);

    // The "2" after "E = mc" is raised and the one after "H" lowered: sup and sub, or
    // vertical-align on their spans.
    const Found mc = get("E = mc");
    ASSERT_TRUE(mc);
    const auto shifted = [&](const char* tag, const char* align) {
        for (const auto& hit : BlockOf(mc.node).select_nodes(".//*[text()='2']")) {
            const auto node = hit.node();
            if (std::string(node.name()) == tag ||
                mc.page->css.Cascaded(node, "vertical-align").value_or("") == align)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(shifted("sup", "super"));
    EXPECT_TRUE(shifted("sub", "sub"));
}

TEST_F(OdtCorpus, LanguagesAndFontsPerScript) {
    const Book book = Export("text_fonts_language.odt");
    for (const auto& [text, language] :
         std::vector<std::pair<std::string, std::string>>{{"Bonjour tout le monde", "fr-FR"},
                                                          {"Guten Morgen allerseits", "de"},
                                                          {"English, then", "en-GB"}}) {
        const Found found = book.Find(text);
        ASSERT_TRUE(found) << text;
        EXPECT_EQ(LanguageOf(found.node), language) << text;
    }
    const Found mono = book.Find("monospaced font sample");
    ASSERT_TRUE(mono);
    const std::string family = mono.page->css.Inherited(mono.node, "font-family").value_or("");
    EXPECT_NE(family.find("DejaVu Sans Mono"), std::string::npos) << family;
    EXPECT_NE(family.find("monospace"), std::string::npos) << family;

    const Book rtl = Export("right_to_left.odt");
    const Found mixed = rtl.Find("Mixed English with");
    ASSERT_TRUE(mixed);
    EXPECT_NE(std::string(BlockOf(mixed.node).attribute("dir").value()), "rtl");
    const Book cjk = Export("cjk_text.odt");
    const std::string all = cjk.AllText();
    for (const char* text : {"吾輩は猫である。", "漢字", "強調", "縦書きの段落です。",
                             "繁體中文的句子。", "한국어 문장입니다."})
        EXPECT_NE(all.find(text), std::string::npos) << text;
}

TEST_F(OdtCorpus, ParagraphPropertiesShowAsAReaderExpects) {
    const Book book = Export("paragraph_properties.odt");
    for (const auto& [word, align] :
         std::vector<std::pair<std::string, std::string>>{{"start", "left"},
                                                          {"center", "center"},
                                                          {"end", "right"},
                                                          {"justify", "justify"},
                                                          {"left", "left"},
                                                          {"right", "right"}}) {
        const Found found = book.Find("Aligned " + word + " sample");
        ASSERT_TRUE(found) << word;
        const std::string value =
            found.page->css.Inherited(found.node, "text-align").value_or("left");
        EXPECT_TRUE(value == align || (align == "left" && value == "start") ||
                    (align == "right" && value == "end"))
            << word << ": " << value;
    }
    const auto get = [&](const char* text) {
        const Found found = book.Find(text);
        EXPECT_TRUE(found) << text;
        return found;
    };
    const Found left = get("Left indent one inch"), hanging = get("Hanging indent sample"),
                first = get("First line indent sample"), before = get("Spacing before twelve"),
                half = get("Line spacing one and a half"), exact = get("Line height exactly"),
                boxed = get("Bordered yellow paragraph"), rule = get("Left double border");
    ASSERT_TRUE(left && hanging && first && before && half && exact && boxed && rule);
    EXPECT_NEAR(Accumulated(left.page->css, left.node, {"margin-left", "padding-left"}), 72, 0.5);
    EXPECT_NEAR(Accumulated(left.page->css, left.node, {"margin-right", "padding-right"}), 36, 0.5);
    EXPECT_NEAR(LengthOf(hanging.page->css, hanging.node, "text-indent").value_or(0), -18, 0.5);
    EXPECT_NEAR(Accumulated(hanging.page->css, hanging.node, {"margin-left", "padding-left"}), 36,
                0.5);
    EXPECT_NEAR(LengthOf(first.page->css, first.node, "text-indent").value_or(0), 18, 0.5);
    const auto block = [](const Found& f) { return BlockOf(f.node); };
    EXPECT_NEAR(Points(before.page->css, block(before),
                       before.page->css.Cascaded(block(before), "margin-top").value_or("x"))
                    .value_or(-1),
                12, 0.5);
    // Space after a paragraph shows as the space above the next one, whichever is larger.
    const auto next = block(before).next_sibling();
    EXPECT_NEAR(
        Points(before.page->css, next, before.page->css.Cascaded(next, "margin-top").value_or("x"))
            .value_or(-1),
        6, 0.5);
    const std::string height = half.page->css.Inherited(half.node, "line-height").value_or("");
    EXPECT_TRUE(height == "1.5" || height == "150%") << height;
    EXPECT_NEAR(LengthOf(exact.page->css, exact.node, "line-height").value_or(0), 18, 0.5);
    EXPECT_TRUE(book.Find("stops"));
}

TEST_F(OdtCorpus, HeadingsBecomeHeadingElementsOfTheirLevel) {
    const Book book = Export("headings.odt");
    std::vector<std::pair<std::string, std::string>> expected{
        {"Outline level three by style", "h3"},
        {"Level eight heading beyond six", "h6"},
        {"Unnumbered list header heading", "h2"}};
    for (int n = 1; n <= 6; ++n)
        expected.emplace_back("Level " + std::to_string(n) + " heading text",
                              "h" + std::to_string(n));
    for (const auto& [text, element] : expected) {
        const Found found = book.Find(text);
        ASSERT_TRUE(found) << text;
        EXPECT_EQ(std::string(BlockOf(found.node).name()), element) << text;
    }
    const Found body = book.Find("Body under level 2");
    ASSERT_TRUE(body);
    EXPECT_EQ(std::string(BlockOf(body.node).name()), "p");
    EXPECT_TRUE(book.Find("The Corpus Title"));

    // Headings split the book into documents.
    const Book long_ = Export("long_document.odt");
    const Found one = long_.Find("Chapter 1 of the long document");
    const Found two = long_.Find("Chapter 2 of the long document");
    ASSERT_TRUE(one && two);
    EXPECT_NE(one.page, two.page);
    EXPECT_GE(long_.pages.size(), 8u);
}

TEST_F(OdtCorpus, OutlineNumberingShowsInHeadings) {
    // Outline numbering is part of the heading as a reader sees it.
    const Book numbered = Export("outline_numbering.odt");
    const Found chapter = numbered.Find("Second chapter heading");
    const Found section = numbered.Find("Numbered section heading");
    ASSERT_TRUE(chapter && section);
    EXPECT_NE(Trim(TextOf(BlockOf(chapter.node))).find("Chapter 2"), std::string::npos)
        << TextOf(BlockOf(chapter.node));
    EXPECT_NE(Trim(TextOf(BlockOf(section.node))).find("1.1"), std::string::npos)
        << TextOf(BlockOf(section.node));
}

TEST_F(OdtCorpus, ListLabelsFollowFormatsLevelsAndContinuations) {
    const Book formats = Export("lists_numbers.odt");
    for (const auto& [text, number] :
         std::vector<std::pair<std::string, std::string>>{{"Decimal one", "1"},
                                                          {"Decimal two", "2"},
                                                          {"Nested two point one", "2.1"},
                                                          {"Nested two point two", "2.2"},
                                                          {"Decimal three", "3"},
                                                          {"Upper roman third", "III"},
                                                          {"Lower roman second", "ii"},
                                                          {"Upper letter third", "C"},
                                                          {"Bracketed letter second", "b"},
                                                          {"Style starts at three", "3"},
                                                          {"Style continues at four", "4"},
                                                          {"Inner roman second", "1.a.ii"}}) {
        const Found found = formats.Find(text);
        ASSERT_TRUE(found) << text;
        EXPECT_EQ(ListNumber(found), number) << text;
    }
    // Prefix and suffix are part of the label.
    const Found step = formats.Find("Prefixed step second");
    ASSERT_TRUE(step);
    EXPECT_EQ(
        formats.AllText().find("Step 2:") != std::string::npos ||
            step.page->css.Inherited(step.node, "list-style-type").value_or("").find("Step") !=
                std::string::npos,
        true);

    const Book continued = Export("lists_continued.odt");
    for (const auto& [text, number] :
         std::vector<std::pair<std::string, std::string>>{{"Alpha one", "1"},
                                                          {"Alpha two", "2"},
                                                          {"Alpha three continues", "3"},
                                                          {"Beta one restarted", "1"},
                                                          {"Beta two", "2"},
                                                          {"Gamma five", "5"},
                                                          {"Gamma six", "6"},
                                                          {"Delta one", "A"},
                                                          {"Epsilon one", "1"},
                                                          {"Delta two continued", "B"},
                                                          {"First after header", "1"},
                                                          {"Second after header", "2"},
                                                          {"Zeta two", "2"}}) {
        const Found found = continued.Find(text);
        ASSERT_TRUE(found) << text;
        EXPECT_EQ(ListNumber(found), number) << text;
    }
    for (const char* text : {"An ordinary paragraph between", "List header without a number"}) {
        const Found found = continued.Find(text);
        ASSERT_TRUE(found) << text;
        EXPECT_EQ(ListNumber(found), "") << text;
    }
    EXPECT_TRUE(continued.Find("Skipped level item"));
}

TEST_F(OdtCorpus, BulletsAreTextAndNestDeeper) {
    const Book book = Export("lists_bullets.odt");
    const Found bread = book.Find("Bread bullet");
    const Found nested = book.Find("Nested square bullet");
    const Found image = book.Find("Image bullet item");
    ASSERT_TRUE(bread && nested && image);
    // Private use characters (U+E000-U+F8FF, EE 80 80 - EF A3 BF) show as boxes.
    const std::string all = book.AllText();
    for (unsigned char lead = 0x80; lead <= 0xA3; ++lead)
        EXPECT_EQ(all.find(std::string("\xEE") + char(lead)), std::string::npos);
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
    // A picture bullet becomes a text bullet, not a picture in the item.
    auto item = image.node;
    while (item && std::string(item.name()) != "li" && std::string(item.name()) != "body")
        item = item.parent();
    EXPECT_FALSE(item.select_node(".//img"));
    EXPECT_EQ(ListNumber(bread), "");
}

TEST_F(OdtCorpus, NotesAreLinkedWithTheirCitationsAndStayWithTheirChapter) {
    const Book book = Export("notes.odt");
    std::vector<std::pair<Found, std::string>> refs;
    for (const Page& page : book.pages)
        for (const auto& a :
             page.doc->select_nodes("//a[@epub:type='noteref' or @role='doc-noteref']"))
            refs.emplace_back(Found{&page, a.node()}, Trim(TextOf(a.node())));
    ASSERT_EQ(refs.size(), 4u);
    const std::vector<std::string> noteTexts{"Footnote source text sample.",
                                             "Custom mark footnote text.", "Endnote text sample.",
                                             "Footnote in the later chapter."};
    const std::vector<std::string> marks{"1", "*", "i", "2"};
    for (size_t i = 0; i < refs.size(); ++i) {
        const auto& [ref, mark] = refs[i];
        SCOPED_TRACE(noteTexts[i]);
        const Found target = Target(book, *ref.page, ref.node.attribute("href").value());
        ASSERT_TRUE(target) << ref.node.attribute("href").value();
        EXPECT_NE(TextFrom(target).find(noteTexts[i]), std::string::npos) << TextFrom(target);
        if (i < 2) {
            EXPECT_EQ(mark, marks[i]);
        }
        EXPECT_TRUE(InNote(target.node));
        // Footnotes stay in the document of their citation.
        if (i != 2) {
            EXPECT_EQ(target.page, ref.page);
        }
    }
    const Found second = book.Find("Second paragraph of the first footnote.");
    ASSERT_TRUE(second);
    EXPECT_TRUE(InNote(second.node));
    const Found claim = book.Find("A claim that needs a source");
    ASSERT_TRUE(claim);
    EXPECT_EQ(TextOf(BlockOf(claim.node)).find("Footnote source"), std::string::npos);
    EXPECT_NE(TextOf(BlockOf(claim.node)).find("More prose follows."), std::string::npos);
}

pugi::xml_node CellOf(const Found& found) {
    auto node = found.node;
    while (node && std::string(node.name()) != "td" && std::string(node.name()) != "th")
        node = node.parent();
    return node;
}

TEST_F(OdtCorpus, TableSpansCoveredCellsAndHeaderRows) {
    const Book book = Export("tables_spans.odt");
    const Found wide = book.Find("Wide header spanning two");
    const Found tall = book.Find("Tall cell three rows");
    const Found both = book.Find("Both B4 C4");
    const Found square = book.Find("Square two by two");
    ASSERT_TRUE(wide && tall && both && square);
    EXPECT_EQ(CellOf(wide).attribute("colspan").as_int(1), 2);
    EXPECT_EQ(CellOf(tall).attribute("rowspan").as_int(1), 3);
    EXPECT_EQ(CellOf(both).attribute("colspan").as_int(1), 2);
    EXPECT_EQ(CellOf(square).attribute("colspan").as_int(1), 2);
    EXPECT_EQ(CellOf(square).attribute("rowspan").as_int(1), 2);
    const auto head = CellOf(wide);
    EXPECT_TRUE(std::string(head.name()) == "th" ||
                std::string(head.parent().parent().name()) == "thead");
    // Covered cells are gone; repeated rows and cells are there as often as repeated.
    auto table = CellOf(tall);
    while (table && std::string(table.name()) != "table")
        table = table.parent();
    std::vector<size_t> cells;
    for (const auto& tr : table.select_nodes(".//tr"))
        cells.push_back(tr.node().select_nodes("td|th").size());
    EXPECT_EQ(cells, (std::vector<size_t>{2, 3, 2, 1, 2, 1, 3, 3}));
    EXPECT_EQ(table.select_nodes(".//*[text()='Repeated row']").size(), 6u);

    const Book basic = Export("tables_basic.odt");
    const Found fruit = basic.Find("Fruit");
    const Found price = basic.Find("1.20");
    ASSERT_TRUE(fruit && price);
    EXPECT_TRUE(std::string(CellOf(fruit).name()) == "th" ||
                std::string(CellOf(fruit).parent().parent().name()) == "thead");
    const std::string align = price.page->css.Inherited(price.node, "text-align").value_or("");
    EXPECT_TRUE(align == "right" || align == "end") << align;

    const Book nested = Export("tables_nested.odt");
    const Found innermost = nested.Find("Innermost cell");
    const Found sub = nested.Find("Sub-table cell");
    ASSERT_TRUE(innermost && sub);
    int tables = 0;
    for (auto n = innermost.node; n; n = n.parent())
        tables += std::string(n.name()) == "table";
    EXPECT_EQ(tables, 3);
}

// Widths of a table's columns in proportion, whether as col elements or cell widths.
TEST_F(OdtCorpus, TableColumnWidthsKeepTheirProportions) {
    const Book book = Export("tables_basic.odt");
    const Found fruit = book.Find("Fruit");
    ASSERT_TRUE(fruit);
    auto table = CellOf(fruit);
    while (table && std::string(table.name()) != "table")
        table = table.parent();
    std::vector<double> widths;
    const auto width = [&](const pugi::xml_node& node) -> double {
        const auto value = fruit.page->css.Cascaded(node, "width");
        if (!value)
            return node.attribute("width").as_double(0);
        static const std::regex number(R"(\s*([0-9.]+)\s*(%|[a-z]*)\s*)");
        std::smatch m;
        return std::regex_match(*value, m, number) ? std::stod(m[1]) : 0;
    };
    for (const auto& col : table.select_nodes(".//col"))
        widths.push_back(width(col.node()));
    if (widths.empty())
        for (const auto& cell : CellOf(fruit).parent().select_nodes("td|th"))
            widths.push_back(width(cell.node()));
    ASSERT_EQ(widths.size(), 3u);
    ASSERT_GT(widths[0], 0);
    EXPECT_NEAR(widths[1] / widths[0], 2.0, 0.05);
    EXPECT_NEAR(widths[2] / widths[0], 4.0 / 3, 0.05);
}

TEST_F(OdtCorpus, PicturesKeepAltTextAndBecomeEpubImages) {
    const std::set<std::string> core{"image/png", "image/jpeg", "image/gif", "image/svg+xml",
                                     "image/webp"};
    const std::map<std::string, std::multiset<std::string>> expected{
        {"pictures.odt",
         {"A blue rectangle", "A floating square", "A right float", "A vector logo", ""}},
        {"pictures_flat.fodt", {"An orange bar"}},
        {"text_boxes.odt", {"A captioned picture"}},
        {"lists_bullets.odt", {}}};
    for (const auto& [file, alts] : expected) {
        SCOPED_TRACE(file);
        const Book book = Export(file);
        std::map<std::string, std::string> types;
        for (const auto& item : book.opf.select_nodes("//*[local-name()='item']"))
            types[ToolTest::ResolveHref(book.opfName, item.node().attribute("href").value())] =
                item.node().attribute("media-type").value();
        std::multiset<std::string> got;
        for (const Page& page : book.pages) {
            for (const auto& img : page.doc->select_nodes("//img")) {
                const auto node = img.node();
                ASSERT_TRUE(node.attribute("alt")) << "an img without alt";
                got.insert(node.attribute("alt").value());
                const std::string src =
                    ToolTest::ResolveHref(page.name, node.attribute("src").value());
                EXPECT_TRUE(book.entries.count(src)) << src;
                EXPECT_TRUE(core.count(types[src])) << src << " is " << types[src];
            }
            // An SVG may come as an object, labelled instead of an alt text.
            for (const auto& object : page.doc->select_nodes("//object[@type='image/svg+xml']"))
                got.insert(object.node().attribute("aria-label").value());
        }
        EXPECT_EQ(got, alts);
    }
}

TEST_F(OdtCorpus, FloatsAndSizesOfFrames) {
    const Book book = Export("pictures.odt");
    std::map<std::string, pugi::xml_node> byAlt;
    const Page* page = nullptr;
    for (const Page& p : book.pages)
        for (const auto& img : p.doc->select_nodes("//img")) {
            byAlt[img.node().attribute("alt").value()] = img.node();
            page = &p;
        }
    ASSERT_TRUE(page && byAlt.count("A floating square") && byAlt.count("A right float") &&
                byAlt.count("A blue rectangle"));
    const auto floatOf = [&](pugi::xml_node n) { return FloatOf(*page, n); };
    EXPECT_EQ(floatOf(byAlt["A blue rectangle"]), "none");
    // svg:width="1in": 72 points, whatever unit the EPUB says it in.
    const std::optional<double> width = PictureWidthPt(*page, byAlt["A blue rectangle"]);
    ASSERT_TRUE(width) << "no width for a picture sized in the document";
    EXPECT_NEAR(*width, 72, 1);
}

// Missing and linked pictures cost the picture, not the export; --check names each one.
TEST_F(OdtCorpus, MissingAndExternalPicturesAreFindings) {
    const Book book = Export("pictures.odt");
    for (const char* text : {"text after missing.", "text after external."})
        EXPECT_TRUE(book.Find(text)) << text;
    Input("pictures.odt");
    const ToolTest::Output check = Capture("--check 'pictures.odt'");
    EXPECT_EQ(check.status, 3) << check.err;
    for (const std::string& part : std::vector<std::string>{"nowhere.png", "linked picture"}) {
        bool named = false;
        for (const std::string& line : check.lines)
            named = named ||
                    (line.rfind("pictures.odt", 0) == 0 && line.find(part) != std::string::npos);
        EXPECT_TRUE(named) << part << " not in --check output";
    }
}

TEST_F(OdtCorpus, LinksBookmarksAndCrossReferencesResolve) {
    const Book book = Export("links_bookmarks.odt");
    auto links = LinksOf(book);
    ASSERT_TRUE(links.count("the example site"));
    EXPECT_EQ(links["the example site"].second, "https://example.com/corpus");
    ASSERT_TRUE(links.count("write to us"));
    EXPECT_EQ(links["write to us"].second, "mailto:corpus@example.com");
    for (const auto& [text, place] : std::vector<std::pair<std::string, std::string>>{
             {"the target section", "The target section text."},
             {"The target section", "The target section text."},
             {"the marked words", "the marked words in place"}}) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(links.count(text));
        const auto& [page, href] = links[text];
        const Found target = Target(book, *page, href);
        ASSERT_TRUE(target) << href;
        EXPECT_NE(TextFrom(target).find(place), std::string::npos) << TextFrom(target);
    }
    // Every link inside the book lands somewhere; the link to another file stays text.
    for (const auto& [text, link] : links) {
        const std::string& href = link.second;
        if (href.find(':') != std::string::npos)
            continue;
        EXPECT_TRUE(Target(book, *link.first, href)) << text << " -> " << href;
    }
    EXPECT_TRUE(book.Find("relative document link"));
    for (const char* text : {"A bookmark spanning", "And a point", "on page"})
        EXPECT_TRUE(book.Find(text)) << text;

    const Book fields = Export("fields.odt");
    links = LinksOf(fields);
    ASSERT_TRUE(links.count("Figure 1"));
    const Found caption = Target(fields, *links["Figure 1"].first, links["Figure 1"].second);
    ASSERT_TRUE(caption);
    EXPECT_NE(TextFrom(caption).find("is the referenced caption"), std::string::npos);
}

TEST_F(OdtCorpus, FieldsShowTheirText) {
    const Book book = Export("fields.odt");
    const std::string all = Normalised(book.AllText());
    for (const char* text :
         {"Ada Corpus", "2 January 2024", "03:04:05", "Corpus Fields Title", "Field subjects",
          "then Old Dock", "Quay seven", "fields.odt", "Figure 1 is the referenced caption",
          "Placeholder: <name>", "Conditional: shown yes", "Chapter: Fields"})
        EXPECT_NE(all.find(text), std::string::npos) << text;
    EXPECT_EQ(all.find("HIDDENFIELD"), std::string::npos);
}

TEST_F(OdtCorpus, GeneratedContentsAreMarkedAndLinked) {
    const Book book = Export("table_of_contents.odt");
    const auto links = LinksOf(book);
    std::string entry;
    for (const auto& [text, link] : links)
        if (text.rfind("Chapter two", 0) == 0)
            entry = text;
    ASSERT_FALSE(entry.empty()) << "no link for the contents entry";
    const auto& [page, href] = links.at(entry);
    const Found target = Target(book, *page, href);
    ASSERT_TRUE(target) << href;
    EXPECT_NE(TextFrom(target).find("Chapter two"), std::string::npos);
    // The document's own contents are marked as generated: a contents landmark or section.
    const pugi::xml_node link =
        page->doc->select_node(("//a[@href='" + href + "']").c_str()).node();
    bool marked = false;
    for (auto n = link; n; n = n.parent())
        marked = marked || std::string(n.attribute("role").value()) == "doc-toc" ||
                 std::string(n.attribute("epub:type").value()).find("toc") != std::string::npos;
    EXPECT_TRUE(marked);
    EXPECT_TRUE(book.Find("Chapter two body."));
}

// Marker words the corpus hides, deletes or comments: none reaches the EPUB; their neighbours do.
TEST_F(OdtCorpus, DroppedAndKeptContent) {
    const std::vector<std::tuple<std::string, std::vector<std::string>, std::vector<std::string>>>
        cases{
            {"tracked_changes.odt",
             {"DELETEDWORDS", "DELETEDPARAGRAPH"},
             {"INSERTEDWORDS here", "Reformatted words", "Middle sentence.", "Last paragraph.",
              "a deletion point."}},
            {"annotations.odt",
             {"COMMENTTEXT", "COMMENTRANGE", "Reviewer"},
             {"Commented words stay.", "over these words", "More text."}},
            {"sections.odt",
             {},
             {"Section in two columns.", "Nested section text.", "Protected section text.",
              "After the sections."}},
            {"text_boxes.odt",
             {},
             {"Text box first paragraph.", "Text box second paragraph.", "Boxed table cell",
              "Body text after the box.", "The caption text."}},
            {"inline_wrappers.odt",
             {},
             {"inside spans", "meta words", "toc mark words", "typed input",
              "Conditional style names.", "Numbered paragraph words.", "Unknown element words",
              "extension words"}},
            {"content_breaks.odt",
             {},
             {"after the tab.", "line two after a line break.", "After page break.",
              "After a soft page break at the start."}},
            {"undefined_styles.odt",
             {},
             {"Heading with an undefined style", "Paragraph with an undefined style.",
              "Item of an undefined list style", "span of an undefined style"}},
            {"style_loops.odt",
             {},
             {"Paragraph in a parent loop.", "Paragraph in a style naming itself."}},
            {"minimal_flat.fodt", {}, {"Flat document heading", "Bold words"}},
        };
    for (const auto& [file, gone, kept] : cases) {
        SCOPED_TRACE(file);
        const Book book = Export(file);
        const std::string all = Normalised(book.AllText());
        for (const std::string& word : gone)
            EXPECT_EQ(all.find(word), std::string::npos) << word;
        for (const std::string& words : kept)
            EXPECT_NE(all.find(words), std::string::npos) << words;
    }
    // Runs of spaces and tabs are kept as the author typed them.
    const Book breaks = Export("content_breaks.odt");
    const Found spaces = breaks.Find("spaces kept");
    ASSERT_TRUE(spaces);
    const std::string text = TextOf(BlockOf(spaces.node));
    const size_t five = text.find("Five");
    ASSERT_NE(five, std::string::npos);
    size_t blanks = 0;
    for (size_t at = five + 4; at < text.size() && text[at] != 's'; ++at)
        blanks += text[at] == ' ' || text.compare(at, 2, "\u00a0") == 0;
    EXPECT_GE(blanks, 4u) << text;
}

TEST_F(OdtCorpus, TextBoxesAndFramesAppearOnce) {
    const Book book = Export("text_boxes.odt");
    const std::string all = book.AllText();
    for (const char* text : {"Text box first paragraph.", "The caption text."}) {
        const size_t first = all.find(text);
        ASSERT_NE(first, std::string::npos) << text;
        EXPECT_EQ(all.find(text, first + 1), std::string::npos) << text;
    }
}

TEST_F(OdtCorpus, MetadataFromMetaOrTheText) {
    const Book full = Export("metadata.odt");
    EXPECT_EQ(full.Metadata("dc:title"), (std::vector<std::string>{"The Harbour Ledger"}));
    std::string creators;
    for (const std::string& c : full.Metadata("dc:creator"))
        creators += c + "|";
    EXPECT_NE(creators.find("Ada Lovelace"), std::string::npos) << creators;
    EXPECT_EQ(full.Metadata("dc:language"), (std::vector<std::string>{"en-GB"}));
    std::string subjects;
    for (const std::string& subject : full.Metadata("dc:subject"))
        subjects += subject + "|";
    for (const char* subject : {"Harbour records", "ledgers", "shipping"})
        EXPECT_NE(subjects.find(subject), std::string::npos) << subjects;
    EXPECT_EQ(full.Metadata("dc:description"),
              (std::vector<std::string>{"A sample with every meta field."}));
    const auto dates = full.Metadata("dc:date");
    ASSERT_EQ(dates.size(), 1u);
    EXPECT_EQ(dates[0].substr(0, 10), "2023-05-06") << dates[0];

    const Book fallback = Export("metadata_fallback.odt");
    EXPECT_EQ(fallback.Metadata("dc:title"), (std::vector<std::string>{"Die Titelzeile"}));
    EXPECT_EQ(fallback.Metadata("dc:language"), (std::vector<std::string>{"de-DE"}));
    ASSERT_EQ(fallback.Metadata("dc:identifier").size(), 1u);
    EXPECT_FALSE(Trim(fallback.Metadata("dc:identifier")[0]).empty());

    EXPECT_EQ(Export("minimal.odt").Metadata("dc:title"), (std::vector<std::string>{"minimal"}));
    EXPECT_EQ(Export("minimal_flat.fodt").Metadata("dc:title"),
              (std::vector<std::string>{"Flat Title"}));
}

// Soft page breaks are the printed pages: a page list in the navigation document whose
// entries land where the pages start, and the source they come from.
TEST_F(OdtCorpus, SoftPageBreaksBecomeThePageList) {
    const Book book = Export("soft_page_breaks.odt");
    Page nav;
    for (const auto& item : book.opf.select_nodes("//*[local-name()='item'][@properties]"))
        if (std::string(item.node().attribute("properties").value()).find("nav") !=
            std::string::npos)
            nav.name = ToolTest::ResolveHref(book.opfName, item.node().attribute("href").value());
    ASSERT_TRUE(book.entries.count(nav.name)) << "no navigation document";
    ASSERT_TRUE(Parse(*nav.doc, book.entries.at(nav.name))) << nav.name;
    const auto list = nav.doc->select_node("//*[@epub:type='page-list']").node();
    ASSERT_TRUE(list) << "no page list";
    std::vector<std::string> labels;
    std::map<std::string, std::string> after;
    for (const auto& a : list.select_nodes(".//a")) {
        const std::string label = Trim(TextOf(a.node()));
        labels.push_back(label);
        const Found target = Target(book, nav, a.node().attribute("href").value());
        ASSERT_TRUE(target) << label << ": " << a.node().attribute("href").value();
        after[label] = TextFrom(target);
    }
    // Page 1 is where the book starts, if listed at all; five breaks open pages 2 to 6.
    if (!labels.empty() && labels.front() == "1")
        labels.erase(labels.begin());
    EXPECT_EQ(labels, (std::vector<std::string>{"2", "3", "4", "5", "6"}));
    for (const auto& [label, text] :
         std::vector<std::pair<std::string, std::string>>{{"2", "Text on page two"},
                                                          {"3", "and page three starts"},
                                                          {"4", "List item on page four"},
                                                          {"5", "Row on page five"},
                                                          {"6", "Closing text on page six"}})
        EXPECT_NE(after[label].find(text), std::string::npos) << label << ": " << after[label];
    std::string source;
    for (const auto& meta : book.opf.select_nodes("//*[local-name()='meta']"))
        if (std::string(meta.node().attribute("property").value()) == "pageBreakSource")
            source = meta.node().text().get();
    EXPECT_FALSE(Trim(source).empty()) << "a page list without its source";
    // The marks carry no words into the text.
    const Found two = book.Find("Page two runs on");
    ASSERT_TRUE(two);
    EXPECT_NE(TextOf(BlockOf(two.node)).find("and page three starts inside this paragraph"),
              std::string::npos);

    // Without soft page breaks there are no print pages to claim.
    const Book plain = Export("minimal.odt");
    EXPECT_EQ(plain.opf.select_nodes("//*[@property='pageBreakSource']").size(), 0u);
}

// The face is embedded under the publication's own obfuscation, bytes as in the document.
TEST_F(OdtCorpus, EmbeddedFontIsEmbedded) {
    const Book book = Export("embedded_font.odt");
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
        same = same || data == original;
        EPub::ObfuscateFont(std::span(reinterpret_cast<uint8_t*>(data.data()), data.size()),
                            EPub::MakeFontKey(ids[0]));
        same = same || data == original;
    }
    EXPECT_TRUE(same) << "the embedded face is not the document's font";
    const Found words = book.Find("Words in the embedded face.");
    ASSERT_TRUE(words);
    EXPECT_NE(words.page->css.Inherited(words.node, "font-family").value_or("").find("Fuzz Sans"),
              std::string::npos);
}

// LibreOffice's own files: its styles, list and note layout read like ours.
TEST_F(OdtCorpus, FilesMadeByLibreOfficeRead) {
    if (!fs::exists(kCorpus / "lo_from_docx.odt"))
        GTEST_SKIP() << "made without LibreOffice";
    const Book html = Export("lo_from_html.odt");
    for (const char* text :
         {"Produced from HTML", "A quoted passage.", "Spanning cell", "Inner step"})
        EXPECT_TRUE(html.Find(text)) << text;
    const Found spanning = html.Find("Spanning cell");
    ASSERT_TRUE(spanning);
    EXPECT_EQ(CellOf(spanning).attribute("colspan").as_int(1), 2);
    EXPECT_EQ(LinksOf(html)["a link"].second, "https://example.com/html");

    const Book docx = Export("lo_from_docx.odt");
    const Found chapter = docx.Find("First chapter");
    ASSERT_TRUE(chapter);
    EXPECT_EQ(std::string(BlockOf(chapter.node).name()), "h1");
    size_t refs = 0;
    for (const Page& page : docx.pages)
        refs += page.doc->select_nodes("//a[@epub:type='noteref' or @role='doc-noteref']").size();
    EXPECT_EQ(refs, 1u);
    const Found note = docx.Find("The note text from Markdown.");
    ASSERT_TRUE(note);
    EXPECT_TRUE(InNote(note.node));
    const Found two = docx.Find("two");
    EXPECT_TRUE(two);
    const Found nested = docx.Find("nested bullet");
    ASSERT_TRUE(nested);
    EXPECT_EQ(ListNumber(nested), "");

    const Book flat = Export("lo_flat.fodt");
    EXPECT_TRUE(flat.Find("The note text from Markdown."));
}

// Every good document of the corpus exports to well-formed documents, quietly but for the
// warnings that are the point of a few of them.
TEST_F(OdtCorpus, EveryCorpusDocumentExports) {
    // Pictures that cannot be shown, a shape whose text is left out.
    EXPECT_GE(ExportEveryDocument({".odt", ".fodt"}, {"pictures.odt", "text_boxes.odt"}), 30u);
}

// Bad input: exit status 2, one line naming the file and what is wrong, nothing written.
TEST_F(OdtCorpus, BadInputIsRefusedInOneLine) {
    const std::map<std::string, std::string> problems{
        {"not_a_zip.odt", "not a document"},
        {"missing_content.odt", "content\\.xml"},
        {"dtd_entities.odt", "DTD|document type|entit"},
        {"external_entity.fodt", "DTD|document type|entit"},
        {"zip_bomb.odt", "inflat|ratio|compress|bomb|too large|limit"},
        {"deep_nesting.odt", "nest|deep|depth"},
        {"deep_lists.odt", "nest|deep|depth"},
        {"deep_nesting.fodt", "nest|deep|depth"},
        {"invalid_utf8.odt", "UTF-8|encoding"},
        {"invalid_utf8.fodt", "UTF-8|encoding"},
        {"encrypted.odt", "encrypt|password"},
        {"truncated_zip.odt", "damaged|cut short|truncat"},
        {"damaged_zip.odt", "damaged|corrupt|crc|inflat|compress"},
        {"malformed_xml.odt", "content\\.xml:[0-9]+"},
        {"malformed.fodt", ":[0-9]+:"},
        {"spreadsheet.odt", "spreadsheet|not a text|text document|media type|mimetype"},
    };
    ExpectBadInputRefused(problems);
}

// Formatting the host model once had no place for: overline, lower case, paragraph direction,
// families the system lacks and double borders.

TEST_F(OdtCorpus, OverlineAndLowerCase) {
    const Book book = Export("text_properties.odt");
    const Found over = book.Find("overlined sample");
    const Found lower = book.Find("LOWERED CASE");
    ASSERT_TRUE(over && lower);
    EXPECT_TRUE(Decorated(over.page->css, over.node, "text-decoration", "overline"));
    EXPECT_EQ(lower.page->css.Inherited(lower.node, "text-transform").value_or(""), "lowercase");
}

// Languages, sizes and directions that belong to one script, the document's own language and
// the reading of ruby.
TEST_F(OdtCorpus, ScriptLanguagesAndDirections) {
    const Book book = Export("text_fonts_language.odt");
    for (const auto& [text, language] : std::vector<std::pair<std::string, std::string>>{
             {"中文示例文本", "zh-CN"}, {"نص عربي قصير", "ar-EG"}}) {
        const Found found = book.Find(text);
        ASSERT_TRUE(found) << text;
        EXPECT_EQ(LanguageOf(found.node), language) << text;
    }
    // The Latin text around a script's stretch keeps the paragraph's language.
    const Found chinese = book.Find("with its own font");
    ASSERT_TRUE(chinese);
    EXPECT_NE(LanguageOf(chinese.node), "zh-CN");

    const Book rtl = Export("right_to_left.odt");
    EXPECT_EQ(rtl.Metadata("dc:language"), (std::vector<std::string>{"he-IL"}));

    const Book cjk = Export("cjk_text.odt");
    EXPECT_EQ(cjk.Metadata("dc:language"), (std::vector<std::string>{"ja-JP"}));
    EXPECT_EQ(cjk.Metadata("dc:title"), (std::vector<std::string>{"日本語の文書"}));
    // Ruby keeps its reading, as ruby or as text.
    EXPECT_NE(cjk.AllText().find("かんじ"), std::string::npos);
    const Found korean = cjk.Find("한국어");
    ASSERT_TRUE(korean);
    EXPECT_EQ(LanguageOf(korean.node), "ko-KR");
    const Found japanese = cjk.Find("吾輩は猫である");
    ASSERT_TRUE(japanese);
    EXPECT_NEAR(japanese.page->css.FontSizePt(japanese.node), 14, 0.05)
        << "East Asian text takes the East Asian size";
}

// The host has no paragraph direction, and EPUB style sheets may not set one: this needs a
// dir attribute from the exporter.
TEST_F(OdtCorpus, RightToLeftParagraphsReadRightToLeft) {
    const Book rtl = Export("right_to_left.odt");
    for (const char* text : {"שלום עולם", "مرحبا بالعالم"}) {
        const Found found = rtl.Find(text);
        ASSERT_TRUE(found) << text;
        std::string direction;
        for (auto n = found.node; n && direction.empty(); n = n.parent())
            direction = n.attribute("dir").value();
        // direction is inherited: the paragraph's rule holds for the spans in it.
        for (auto n = found.node; n && direction.empty() && std::string(n.name()) != "body";
             n = n.parent())
            direction = found.page->css.Cascaded(n, "direction").value_or("");
        EXPECT_EQ(direction, "rtl") << text;
    }
}

// The reader gives the family; the exporter writes only families it finds on the system.
TEST_F(OdtCorpus, DirectFontFamiliesReachTheCss) {
    const Book book = Export("text_fonts_language.odt");
    const Found direct = book.Find("direct font family");
    ASSERT_TRUE(direct);
    EXPECT_NE(direct.page->css.Inherited(direct.node, "font-family").value_or("").find("Courier"),
              std::string::npos);
}

// What the paragraph of `found` and the blocks around it (a wrapper that draws its borders)
// declare for `properties`.
std::string BoxOf(const Found& found, std::initializer_list<const char*> properties) {
    std::string out;
    for (pugi::xml_node n = BlockOf(found.node); n && std::string(n.name()) != "body";
         n = n.parent())
        for (const char* property : properties)
            out += found.page->css.Cascaded(n, property).value_or("") + " ";
    return out;
}

TEST_F(OdtCorpus, ParagraphBordersAndBackground) {
    const Book book = Export("paragraph_properties.odt");
    const Found boxed = book.Find("Bordered yellow paragraph");
    const Found rule = book.Find("Left double border");
    const Found plain = book.Find("Kept with the next paragraph");
    ASSERT_TRUE(boxed && rule && plain);
    const std::string border =
        BoxOf(boxed, {"border", "border-top", "border-style", "border-top-style"});
    EXPECT_NE(border.find("solid"), std::string::npos) << border;
    // A hairline stays visible.
    EXPECT_EQ(border.find("0 solid"), std::string::npos) << border;
    EXPECT_TRUE(IsColour(BoxOf(boxed, {"background-color"}), "ffff00", "255, ?255, ?0", "yellow"));
    const std::string sides = BoxOf(rule, {"border-left", "border-bottom"});
    EXPECT_NE(sides.find("Blue"), std::string::npos) << sides;
    EXPECT_NE(sides.find("dotted"), std::string::npos) << sides;
    EXPECT_EQ(BoxOf(plain, {"border", "border-left", "background-color"}).find_first_not_of(' '),
              std::string::npos);
}

// The host's strokes have no double line: "2pt double" is drawn solid.
TEST_F(OdtCorpus, DoubleParagraphBorders) {
    const Book book = Export("paragraph_properties.odt");
    const Found rule = book.Find("Left double border");
    ASSERT_TRUE(rule);
    const std::string leftRule = BoxOf(rule, {"border-left", "border-left-style"});
    EXPECT_NE(leftRule.find("double"), std::string::npos) << leftRule;
}

// LibreOffice writes each citation as it shows it: the endnote in roman, the later footnote "2".
TEST_F(OdtCorpus, NoteCitationsAreTheDocumentsOwn) {
    const Book book = Export("notes.odt");
    std::vector<std::string> marks;
    for (const Page& page : book.pages)
        for (const auto& a :
             page.doc->select_nodes("//a[@epub:type='noteref' or @role='doc-noteref']"))
            marks.push_back(Trim(TextOf(a.node())));
    EXPECT_EQ(marks, (std::vector<std::string>{"1", "*", "i", "2"}));
}

TEST_F(OdtCorpus, FramesFloatAndKeepTheirDescriptions) {
    const Book book = Export("pictures.odt");
    std::map<std::string, std::pair<const Page*, pugi::xml_node>> byAlt;
    for (const Page& p : book.pages)
        for (const auto& img : p.doc->select_nodes("//img"))
            byAlt[img.node().attribute("alt").value()] = {&p, img.node()};
    ASSERT_TRUE(byAlt.count("A floating square") && byAlt.count("A right float"));
    auto floatOf = [&](const std::string& alt) {
        return FloatOf(*byAlt[alt].first, byAlt[alt].second);
    };
    EXPECT_EQ(floatOf("A floating square"), "left");
    EXPECT_EQ(floatOf("A right float"), "right");
    // A description beside a title is not lost.
    bool described = false;
    for (const auto& [name, data] : book.entries)
        described = described || data.find("floating left of the text") != std::string::npos;
    EXPECT_TRUE(described);
}

TEST_F(OdtCorpus, LinksToHeadingsByOutlineResolve) {
    const Book book = Export("links_bookmarks.odt");
    auto links = LinksOf(book);
    ASSERT_TRUE(links.count("the heading link"));
    const Found target =
        Target(book, *links["the heading link"].first, links["the heading link"].second);
    ASSERT_TRUE(target);
    EXPECT_NE(TextFrom(target).find("Heading two target"), std::string::npos);
}

TEST_F(OdtCorpus, HiddenSectionsAreDroppedAndShapeTextKept) {
    EXPECT_EQ(Export("sections.odt").AllText().find("HIDDENSECTION"), std::string::npos);
    EXPECT_NE(Export("text_boxes.odt").AllText().find("Shape text words."), std::string::npos);
}

} // namespace
