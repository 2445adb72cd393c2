// SPDX-License-Identifier: MIT
// What a reader sees: styled text exported through the content writer, its generated CSS
// applied to the documents, and the resulting sizes and values compared with the styles.

#include "tests/epub/content/MemoryExporter.h"
#include "tests/support/CssCascade.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

using namespace ContentTest;
using TestSupport::CssCascade;
using namespace Text;

AttributeSet Set(std::initializer_list<std::pair<AttId, AttValue>> atts) {
    AttributeSet set;
    for (const auto& [id, value] : atts)
        set.Set(id, value);
    return set;
}

Counted<const Delta> ListAt(int level) {
    ListSettings settings;
    settings.type = ListType::Bullet;
    settings.level = level;
    return Delta::Make(AttCategory::Paragraph, ParaObject::List,
                       Counted<const AttObject>(ListAtt::Make(settings)));
}

Counted<const Delta> Size(double points) {
    return Delta::Make(AttCategory::Glyph, GlyphDouble::Size, points);
}

bool IsGenerated(const std::string& selector) {
    static const std::regex generated(
        R"(\.((p|span|div)[0-9]+|dropCap_[0-9]+|table_[0-9]+(_size[0-9]+|_[0-9]+)?|Frame_[0-9]+))");
    return std::regex_match(selector, generated);
}

// Rules every generated sheet keeps: one declaration per property, no two generated classes
// with the same body.
void ExpectTidy(const CssCascade& css) {
    std::map<std::string, std::string> bodies;
    for (const auto& rule : css.Rules()) {
        std::set<std::string> properties;
        std::string body;
        for (const auto& [property, value] : rule.declarations) {
            EXPECT_TRUE(properties.insert(property).second)
                << property << " repeated in " << rule.selectorText;
            body += property + ":" + value + ";";
        }
        if (!IsGenerated(rule.selectorText) || body.empty())
            continue;
        const auto [it, inserted] = bodies.emplace(body, rule.selectorText);
        EXPECT_TRUE(inserted) << rule.selectorText << " repeats " << it->second << ": " << body;
    }
}

class EffectiveCssTest : public ExportFixture {
protected:
    void AddStyle(const StringT& name, StyleKind kind, const StringT& base, AttributeSet paragraph,
                  AttributeSet glyph, Counted<const EPubTag> tag = {}) {
        styles_->AddStyle(Style::Make(
            name, kind, base,
            Foundation::MakeCounted<const Delta>(std::move(paragraph), std::move(glyph)), tag));
    }

    // The element holding `text` directly.
    pugi::xml_node Holder(const pugi::xml_document& doc, const std::string& text) {
        const auto found = doc.select_node(("//*[text()[contains(., '" + text + "')]]").c_str());
        EXPECT_TRUE(found) << text;
        return found.node();
    }
};

TEST_F(EffectiveCssTest, EveryTextHasItsStyledSize) {
    AddStyle("Body", StyleKind::Paragraph, {}, Set({{ParaDouble::FirstLineIndent, 12.0}}),
             Set({{GlyphDouble::Size, 11.0}}));
    AddStyle("Heading", StyleKind::Paragraph, "Body", Set({{ParaDouble::FirstLineIndent, 0.0}}),
             Set({{GlyphDouble::Size, 20.0}, {GlyphInt::FontWeight, 700}}),
             EPubTag::Make(EPubTag::ElementSet, "h1", {}));
    AddStyle("Item", StyleKind::Paragraph, "Body", {}, Set({{GlyphDouble::Size, 10.0}}));
    AddStyle("Note", StyleKind::Paragraph, "Body", {}, Set({{GlyphDouble::Size, 8.0}}));
    AddStyle("Cell", StyleKind::Paragraph, "Body", {}, Set({{GlyphDouble::Size, 9.0}}));
    AddStyle("Strong", StyleKind::Character, {}, {}, Set({{GlyphInt::FontWeight, 700}}),
             EPubTag::Make(EPubTag::ElementSet, "strong", {}));
    AddStyle("Big", StyleKind::Character, {}, {}, Set({{GlyphDouble::Size, 14.0}}));
    AddStyle("Initial", StyleKind::Character, {}, {}, Set({{GlyphInt::FontStyle, 1}}));

    StoryBuilder note(styles_);
    note.Paragraph("Note").Text("note text");

    TableBuilder table(styles_, 1, 1);
    table.Settings().columnWidths = {100.0};
    table.Settings().rowHeights = {20.0};
    table.Cell(0, 0).Paragraph("Cell").Text("cell text");

    auto b = Builder();
    b.Paragraph("Heading").Text("heading text");
    b.Break(BreakKind::Paragraph);
    b.Paragraph("Body").Text("body text ").Text("strong text", "Strong").Text(" big text", "Big");
    b.Text(" small local", {}, Size(9.0)).Text(" tail");
    b.Note(NoteKind::Footnote, note.Build());
    b.Break(BreakKind::Paragraph);
    b.Paragraph("Item", ListAt(0)).Text("level one");
    b.Break(BreakKind::Paragraph);
    b.Paragraph("Item", ListAt(1)).Text("level two");
    b.Break(BreakKind::Paragraph);
    b.Paragraph("Item", ListAt(2)).Text("level three ").Text("big item", "Big");
    b.Break(BreakKind::Paragraph);
    b.Paragraph("Item", ListAt(1)).Text("back to two");
    b.Break(BreakKind::Paragraph);
    b.Paragraph("Body").Text("before table").Table(table.Build());
    b.Break(BreakKind::Paragraph);
    b.Paragraph("Body",
                Delta::Make(AttCategory::Paragraph, ParaObject::DropCap,
                            Counted<const AttObject>(DropCapAtt::Make(3, 1, 6.0, "Initial"))))
        .Text("Drop cap text");
    ASSERT_TRUE(Export(b.Build(), "a.xhtml"));

    CssCascade css;
    css.AddSheet(exporter_.Styles().DescribeStyles().str());
    for (const auto& error : css.Errors())
        ADD_FAILURE() << error;
    ExpectTidy(css);
    const auto doc = Parse("a.xhtml");

    const std::vector<std::pair<std::string, double>> expected{
        {"heading text", 20}, {"body text", 11},   {"strong text", 11}, {"big text", 14},
        {"small local", 9},   {"tail", 11},        {"note text", 8},    {"level one", 10},
        {"level two", 10},    {"level three", 10}, {"big item", 14},    {"back to two", 10},
        {"before table", 11}, {"cell text", 9},    {"rop cap text", 11}};
    for (const auto& [text, points] : expected)
        EXPECT_NEAR(css.FontSizePt(Holder(doc, text)), points, 0.01) << text << "\n"
                                                                     << exporter_.Text("a.xhtml");
    // The drop cap is three lines of its paragraph's text high, in its character style.
    const auto letter = doc.select_node("//*[text()='D']").node();
    ASSERT_TRUE(letter);
    EXPECT_NEAR(css.FontSizePt(letter), 33, 0.01);
    EXPECT_EQ(css.Inherited(letter, "font-style").value_or(""), "italic");
    EXPECT_EQ(css.Cascaded(letter, "float").value_or(""), "left");
    EXPECT_EQ(css.Cascaded(letter.parent(), "font-size"),
              css.Cascaded(Holder(doc, "body text"), "font-size"));

    // The heading is bold through its class, the strong run through its element alone.
    EXPECT_EQ(css.Inherited(Holder(doc, "heading text"), "font-weight").value_or(""), "bold");
    const auto strong = Holder(doc, "strong text");
    EXPECT_STREQ(strong.name(), "strong");
    EXPECT_FALSE(strong.attribute("class")) << "the class would only restate the element";
    // Text the paragraph already renders as asked gets no element of its own.
    EXPECT_STREQ(Holder(doc, "tail").name(), "p");
    // Paragraphs have the space the document gives them, none here.
    const auto body = Holder(doc, "body text");
    EXPECT_EQ(css.Cascaded(body, "margin-top").value_or(""), "0");
    EXPECT_EQ(css.Cascaded(body, "margin-bottom").value_or(""), "0");
    // Nested items do not inherit their outer item's first-line indent twice over.
    EXPECT_EQ(css.Inherited(Holder(doc, "level three"), "text-indent").value_or(""),
              css.Inherited(Holder(doc, "level one"), "text-indent").value_or(""));
}

TEST_F(EffectiveCssTest, OverridesCarryOnlyWhatDiffers) {
    AddStyle("Body", StyleKind::Paragraph, {}, {},
             Set({{GlyphDouble::Size, 11.0}, {GlyphInt::FontWeight, 700}}));
    AddStyle("p1", StyleKind::Paragraph, {}, {}, Set({{GlyphDouble::Size, 13.0}}));
    auto b = Builder();
    b.Paragraph("Body").Text("bold ");
    b.Text("light", {}, Delta::Make(AttCategory::Glyph, GlyphInt::FontWeight, 400));
    b.Text(" again light", {}, Delta::Make(AttCategory::Glyph, GlyphInt::FontWeight, 400));
    b.Break(BreakKind::Paragraph);
    b.Paragraph("p1", Delta::Make(AttCategory::Paragraph, ParaDouble::LeftIndent, 1e308))
        .Text("far");
    b.Break(BreakKind::Paragraph);
    b.Paragraph("Body", Delta::Make(AttCategory::Paragraph, ParaInt::Widows, 1)).Text("widows");
    ASSERT_TRUE(Export(b.Build(), "a.xhtml"));

    const std::string sheet = exporter_.Styles().DescribeStyles().str();
    CssCascade css;
    css.AddSheet(sheet);
    for (const auto& error : css.Errors())
        ADD_FAILURE() << error << "\n" << sheet;
    ExpectTidy(css);
    const auto doc = Parse("a.xhtml");
    const auto light = Holder(doc, "light");
    EXPECT_EQ(css.Inherited(light, "font-weight").value_or(""), "normal");
    EXPECT_FALSE(css.Cascaded(light, "font-size")) << "the size is the paragraph's";
    // The generated class does not take the name of the style called p1.
    const auto far = Holder(doc, "far");
    EXPECT_NEAR(css.FontSizePt(far), 13, 0.01);
    std::istringstream classes(far.attribute("class").value());
    int p1 = 0;
    for (std::string name; classes >> name;)
        p1 += name == "p1";
    EXPECT_EQ(p1, 1) << far.attribute("class").value();
}

// Every generated sheet of the examples reads without an error and is tidy.
TEST(ExampleStyleSheets, ParseAndUseOnlyValidValues) {
    char pattern[] = "/tmp/epubcss.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path dir(pattern);
    for (const char* example : {"minimal", "novel", "showcase"}) {
        const auto out = dir / example;
        const std::string command = std::string("'") + EPUBEXPORT_PATH + "' '" + EPUB_SOURCE_DIR +
                                    "/examples/" + example + ".json' --html '" + out.string() +
                                    "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        int sheets = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(out)) {
            if (entry.path().extension() != ".css")
                continue;
            ++sheets;
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            CssCascade css;
            css.AddSheet(text.str());
            for (const auto& error : css.Errors())
                ADD_FAILURE() << example << " " << entry.path().filename() << ": " << error;
            ExpectTidy(css);
        }
        EXPECT_GT(sheets, 0) << example;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
