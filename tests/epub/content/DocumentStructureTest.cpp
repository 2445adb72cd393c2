// SPDX-License-Identifier: MIT
// The structure of written content documents as a reader or an XML parser meets it: links,
// notes, lists, drop caps, landmark sections and names taken from the document.
#include "epub/content/HtmlExporter.h"
#include "host/text/AnchorData.h"
#include "host/text/AttributeIds.h"
#include "host/text/Delta.h"
#include "host/text/Style.h"
#include "tests/epub/content/MemoryExporter.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <sstream>

using namespace EPub;

namespace {

using ContentTest::AllText;
using ContentTest::ExportFixture;

Counted<const Text::Delta> GlyphObject(Text::AttId id, Counted<const Text::AttObject> object) {
    return Text::Delta::Make(Text::AttCategory::Glyph, id, std::move(object));
}

Counted<const Text::Delta> ParaObject(Text::AttId id, Counted<const Text::AttObject> object) {
    return Text::Delta::Make(Text::AttCategory::Paragraph, id, std::move(object));
}

Counted<const Text::Delta> LinkTo(Counted<const Text::HyperlinkData> data) {
    return GlyphObject(Text::GlyphObject::Hyperlink, Text::HyperlinkAtt::Make(std::move(data)));
}

Counted<const Text::Delta> ListLevel(Text::ListType type, int level) {
    Text::ListSettings settings;
    settings.type = type;
    settings.level = level;
    return ParaObject(Text::ParaObject::List, Text::ListAtt::Make(settings));
}

Counted<const Text::Delta> Decorated() {
    Text::Decoration box;
    box.sides = Text::DecorationSide::All;
    box.penFill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(255, 0, 0));
    box.lineStyle =
        Foundation::MakeCounted<const Render::LineStyleDescriptor>(1.0, Render::DashKind::Solid);
    return ParaObject(Text::ParaObject::Decorations, Text::DecorationsAtt::Make({box}));
}

size_t Count(const pugi::xml_document& doc, const char* xpath) {
    return doc.select_nodes(xpath).size();
}

class DocumentStructure : public ExportFixture {
protected:
    Counted<Text::Story> Text(const char* text) {
        auto b = Builder();
        b.Paragraph().Text(text);
        return b.Build();
    }
    // Every element that holds nothing at all, which no reader wants.
    static size_t EmptyElements(const pugi::xml_document& doc) {
        return Count(doc, "//body//*[self::p or self::span or self::a[not(@id)] or self::em or "
                          "self::strong][not(node())]");
    }
};

TEST_F(DocumentStructure, LinksNeverNestAndLinkTargetsStayOutsideThem) {
    const auto target = Text::AnchorData::Make("t", "target");
    target->SetRole("doc-noteref");
    auto b = Builder();
    b.Paragraph().Anchor(target).Text("Target. ");
    const auto link = LinkTo(Text::HyperlinkData::MakeURL("https://example.com/"));
    b.Text("linked ", {}, link);
    const auto inner = Text::AnchorData::Make("inner", "inner");
    b.Anchor(inner);
    b.Text("still linked", {}, link);
    b.Note(Text::NoteKind::Footnote, Text("note"));
    b.CrossReference(target);
    b.Text(" back", {}, LinkTo(Text::HyperlinkData::MakeAnchor(target)));
    const auto story = b.Build();
    exporter_.Anchors().RegisterAnchor("a.xhtml", *target, story->gbegin());
    exporter_.Anchors().RegisterAnchor("a.xhtml", *inner, story->gbegin());
    exporter_.Callbacks().crossReferenceText = [](const Text::CrossReferenceGlyph& glyph,
                                                  const Text::StoryPos&) {
        return glyph.GetAnchorData()->GetName().ToUTF32();
    };
    ASSERT_TRUE(Export(story, "a.xhtml"));
    const auto doc = Parse("a.xhtml");
    EXPECT_EQ(Count(doc, "//a//a"), 0u) << exporter_.Text("a.xhtml");
    EXPECT_EQ(Count(doc, "//a[@href='https://example.com/']"), 2u);
    EXPECT_EQ(AllText(Body(doc).child("p")), "Target. linked still linked1target back");
    // The target's role belongs to the target, not to links pointing at it.
    const auto back = doc.select_node("//a[contains(., 'back')]").node();
    ASSERT_TRUE(back);
    EXPECT_FALSE(back.attribute("role"));
    EXPECT_EQ(EmptyElements(doc), 0u) << exporter_.Text("a.xhtml");
}

TEST_F(DocumentStructure, BlockContentLeavesNoEmptyParagraphBehind) {
    auto b = Builder();
    b.Paragraph().Text("before");
    Text::TableBuilder table(styles_, 1, 1);
    table.Cell(0, 0).Text("cell");
    b.Paragraph().Table(table.Build());
    b.Paragraph().Text("after", "", LinkTo(Text::HyperlinkData::MakeURL("x.html")));
    ASSERT_TRUE(Export(b.Build(), "t.xhtml"));
    const auto doc = Parse("t.xhtml");
    EXPECT_EQ(ContentTest::ChildNames(Body(doc)), (std::vector<std::string>{"p", "table", "p"}))
        << exporter_.Text("t.xhtml");
    EXPECT_EQ(EmptyElements(doc), 0u) << exporter_.Text("t.xhtml");
}

TEST_F(DocumentStructure, NoteBodiesAreAsidesWithTheNumberInTheirFirstParagraph) {
    auto b = Builder();
    b.Paragraph().Text("Text").Note(Text::NoteKind::Footnote, Text("First.\nSecond."));
    b.Text(" more").Note(Text::NoteKind::Endnote, Text("Late."));
    b.Text(" side").Note(Text::NoteKind::Sidenote, Text("Aside."));
    ASSERT_TRUE(Export(b.Build(), "n.xhtml"));
    const auto doc = Parse("n.xhtml");
    const std::string text = exporter_.Text("n.xhtml");
    for (const char* type : {"footnote", "endnote"}) {
        const std::string xpath = std::string("//aside[@epub:type='") + type + "']";
        const auto aside = doc.select_node(xpath.c_str()).node();
        ASSERT_TRUE(aside) << type << "\n" << text;
        EXPECT_STREQ(aside.attribute("role").value(), "doc-footnote");
        // The number links back from inside the first paragraph, not on a line of its own.
        const auto first = aside.find_child(
            [](const pugi::xml_node& n) { return n.type() == pugi::node_element; });
        EXPECT_STREQ(first.name(), "p") << text;
        EXPECT_STREQ(first.first_child().attribute("role").value(), "doc-backlink") << text;
    }
    EXPECT_EQ(Count(doc, "//aside"), 3u);
    EXPECT_EQ(Count(doc, "//aside[@epub:type='footnote']/p"), 3u) << text; // two + the sidenote
    // Every note reference resolves to its aside and back.
    for (const auto& ref : doc.select_nodes("//a[@role='doc-noteref']")) {
        const std::string href = ref.node().attribute("href").value();
        const std::string id = href.substr(href.find('#') + 1);
        EXPECT_TRUE(doc.select_node(("//aside[@id='" + id + "']").c_str())) << href;
    }
    // Notes come after all of the text.
    EXPECT_LT(text.find(" side"), text.find("<aside"));
}

TEST_F(DocumentStructure, FootnotesCloseTheDocumentThatReferencesThem) {
    auto b = Builder();
    b.Paragraph().Text("one").Note(Text::NoteKind::Footnote, Text("first note"));
    b.Paragraph().Text("same document");
    b.Paragraph().Text("two").Note(Text::NoteKind::Footnote, Text("second note"));
    const auto story = b.Build();
    // Two chunks of one document, then a second document.
    const auto at = [&](int paragraph) {
        Text::StoryPos pos = story->gbegin();
        for (int i = 0; i < paragraph; ++i)
            pos = pos.GetParagraphEnd();
        return pos;
    };
    const std::vector<StoryChunk> chunks{
        StoryChunk("s.xhtml", Text::StoryRange(at(0), at(1))),
        StoryChunk("s.xhtml", Text::StoryRange(at(1), at(2))),
        StoryChunk("s_2.xhtml", Text::StoryRange(at(2), story->GetTerminator()))};
    ASSERT_TRUE(exporter_.ExportStory(story, "s.xhtml", "T", chunks));
    const auto first = Parse("s.xhtml");
    EXPECT_STREQ(Body(first).last_child().attribute("class").value(), "footnotes")
        << exporter_.Text("s.xhtml");
    EXPECT_EQ(AllText(Body(first).last_child()), "1 first note");
    const auto second = Parse("s_2.xhtml");
    EXPECT_EQ(AllText(Body(second).last_child()), "2 second note");
}

TEST_F(DocumentStructure, NoteLinksBetweenDocumentsAreValidUrls) {
    auto b = Builder();
    b.Paragraph().Text("one");
    b.Paragraph().Text("two").Note(Text::NoteKind::Endnote, Text("the note"));
    const auto story = b.Build();
    const Text::StoryPos second = story->gbegin().GetParagraphEnd();
    const std::vector<StoryChunk> chunks{
        StoryChunk("a&b \u00df.xhtml", Text::StoryRange(story->gbegin(), second)),
        StoryChunk("a&b \u00df_2.xhtml", Text::StoryRange(second, story->GetTerminator()))};
    ASSERT_TRUE(exporter_.ExportStory(story, "a&b \u00df.xhtml", "T", chunks));
    std::vector<std::string> hrefs;
    for (const char* name : {"a&b \u00df.xhtml", "a&b \u00df_2.xhtml"}) {
        const auto doc = Parse(name);
        for (const auto& link : doc.select_nodes("//a[@href]"))
            hrefs.emplace_back(link.node().attribute("href").value());
    }
    ASSERT_FALSE(hrefs.empty());
    for (const auto& href : hrefs) {
        EXPECT_EQ(href.find(' '), std::string::npos) << href;
        if (href[0] != '#') {
            EXPECT_EQ(href.rfind("a&b%20%C3%9F", 0), 0u) << href;
        }
    }
}

TEST_F(DocumentStructure, EndnotesFromCellsAndNotesFollowTheStory) {
    auto cellStory = Builder();
    cellStory.Paragraph().Text("in footnote").Note(Text::NoteKind::Endnote, Text("from note"));
    auto b = Builder();
    b.Paragraph().Text("body").Note(Text::NoteKind::Footnote, cellStory.Build());
    b.Paragraph().Text("end of story");
    ASSERT_TRUE(Export(b.Build(), "e.xhtml"));
    const auto doc = Parse("e.xhtml");
    const auto endnote = doc.select_node("//aside[@epub:type='endnote']").node();
    ASSERT_TRUE(endnote) << exporter_.Text("e.xhtml");
    EXPECT_STREQ(endnote.parent().name(), "section");
    EXPECT_EQ(Count(doc, "//aside//aside"), 0u);
}

TEST_F(DocumentStructure, ListsNestInsideItemsAndCloseBeforeWrappers) {
    const auto toc = ParaObject(Text::ParaObject::TableOfContents, Text::TocAtt::Make(1));
    auto b = Builder();
    b.Paragraph({}, ListLevel(Text::ListType::Bullet, 0)).Text("one");
    b.Paragraph({}, ListLevel(Text::ListType::Bullet, 2)).Text("deep");
    b.Paragraph({}, Decorated()).Text("boxed");
    b.Paragraph({}, ListLevel(Text::ListType::Numbered, 0)).Text("two");
    b.Paragraph({}, toc).Text("entry");
    b.Paragraph({}, ListLevel(Text::ListType::Numbered, 0)).Text("three");
    ASSERT_TRUE(Export(b.Build(), "l.xhtml"));
    const auto doc = Parse("l.xhtml");
    const std::string text = exporter_.Text("l.xhtml");
    EXPECT_EQ(Count(doc, "//ul/ul | //ol/ol | //ul/ol | //ol/ul"), 0u) << text;
    EXPECT_TRUE(doc.select_node("/html/body/ul/li/ul/li/ul/li[. = 'deep']")) << text;
    EXPECT_TRUE(doc.select_node("/html/body/div[. = 'boxed']")) << text;
    EXPECT_EQ(Count(doc, "//li//div | //li//section"), 0u) << text;
}

TEST_F(DocumentStructure, ListsWrittenAsTextKeepNotesAndPages) {
    options_->SetConvertBulletListsToText(true);
    auto b = Builder();
    b.Paragraph({}, ListLevel(Text::ListType::Bullet, 0))
        .Text("item")
        .Note(Text::NoteKind::Endnote, Text("kept"));
    const auto story = b.Build();
    exporter_.Anchors().RegisterPage("b.xhtml", 1, "i", story->gbegin(), 0);
    ASSERT_TRUE(Export(story, "b.xhtml"));
    const auto doc = Parse("b.xhtml");
    EXPECT_TRUE(doc.select_node("//aside[. = '1 kept' or contains(., 'kept')]"))
        << exporter_.Text("b.xhtml");
    // The page starts with the paragraph: the marker stands before it, not inside.
    EXPECT_TRUE(doc.select_node("/html/body/div[@epub:type='pagebreak'][@aria-label='i']"))
        << exporter_.Text("b.xhtml");
}

// A note after the number takes the number's attributes, yet is no part of it.
TEST_F(DocumentStructure, TocPageNumbersGoButTheirAnchorsAndNotesStay) {
    options_->SetExcludeTocPageNumbers(true);
    const auto anchor = Text::AnchorData::Make("p7", "p7");
    const auto pageNumber =
        Text::Delta::Make(Text::AttCategory::Glyph, Text::GlyphInt::TocPageNumber, 1);
    auto b = Builder();
    b.Paragraph()
        .Text("Chapter\t")
        .Text("7", {}, pageNumber)
        .Anchor(anchor)
        .Note(Text::NoteKind::Endnote, Text("kept"))
        .Text("", {}, pageNumber);
    const auto story = b.Build();
    exporter_.Anchors().RegisterAnchor("c.xhtml", *anchor, story->gbegin());
    ASSERT_TRUE(Export(story, "c.xhtml"));
    const auto doc = Parse("c.xhtml");
    SCOPED_TRACE(exporter_.Text("c.xhtml"));
    EXPECT_EQ(AllText(doc.select_node("//body/p").node()), "Chapter\t1");
    EXPECT_TRUE(doc.select_node("//aside[contains(., 'kept')]"));
    EXPECT_TRUE(doc.select_node(
        ("//a[@id='" + std::string(exporter_.Anchors().GetAnchor(*anchor).id.view()) + "']")
            .c_str()));
}

TEST_F(DocumentStructure, DropCapsAndAutoFormattingCountLettersNotAnchors) {
    styles_->AddStyle(Text::Style::Make(
        "Cap", Text::StyleKind::Character, "",
        Text::Delta::Make(Text::AttCategory::Glyph, Text::GlyphInt::FontWeight, 700)));
    const auto dropCap =
        ParaObject(Text::ParaObject::DropCap, Text::DropCapAtt::Make(2, 1, 0, "Cap"));
    const auto start = Text::AnchorData::Make("start", "start");
    auto b = Builder();
    b.Paragraph({}, dropCap).Anchor(start).Text("Harbour");
    b.Paragraph(
         {}, ParaObject(Text::ParaObject::AutoFormat,
                        Text::AutoFormatAtt::Make("Cap", Text::AutoFormatScope::Characters, 3, 0)))
        .Anchor(Text::AnchorData::Make("second", "second"))
        .Text("Quayside");
    const auto story = b.Build();
    exporter_.Anchors().RegisterAnchor("d.xhtml", *start, story->gbegin());
    ASSERT_TRUE(Export(story, "d.xhtml"));
    const auto doc = Parse("d.xhtml");
    const std::string text = exporter_.Text("d.xhtml");
    const auto cap = doc.select_node("//span[contains(@class, 'dropCap_')]").node();
    ASSERT_TRUE(cap) << text;
    EXPECT_EQ(AllText(cap), "H") << text;
    EXPECT_NE(std::string(cap.attribute("class").value()).find("Cap "), std::string::npos);
    // The paragraph clears its floating capital: one of its classes ends with a clearing box.
    const std::string css(exporter_.Styles().DescribeStyles().view());
    std::istringstream classes(cap.parent().attribute("class").value());
    bool clears = false;
    for (std::string name; classes >> name;)
        clears = clears || css.find("." + name + "::after") != std::string::npos;
    EXPECT_TRUE(clears) << cap.parent().attribute("class").value();
    const auto second = Body(doc).child("p").next_sibling("p");
    const auto formatted = second.select_node("span[contains(@class, 'Cap')]").node();
    EXPECT_EQ(AllText(formatted), "Qua") << text;
}

TEST_F(DocumentStructure, LandmarkSectionsHoldWhatTheyName) {
    const auto toc = Text::AnchorData::Make("toc", "epub:toc");
    auto b = Builder();
    b.Paragraph().Anchor(toc).Text("Contents");
    b.Paragraph({}, ListLevel(Text::ListType::Bullet, 0)).Text("Chapter 1");
    b.Paragraph().Text("Chapter 2");
    const auto story = b.Build();
    exporter_.Anchors().RegisterAnchor("toc.xhtml", *toc, story->gbegin());
    ASSERT_TRUE(Export(story, "toc.xhtml"));
    const auto doc = Parse("toc.xhtml");
    const auto section = doc.select_node("//section[@role='doc-toc']").node();
    ASSERT_TRUE(section) << exporter_.Text("toc.xhtml");
    EXPECT_EQ(AllText(section), "ContentsChapter 1Chapter 2");
    EXPECT_STREQ(section.attribute("aria-labelledby").value(),
                 section.child("p").attribute("id").value());

    // Inside a decoration's wrapper, the section ends with the wrapper.
    const auto index = Text::AnchorData::Make("ix", "epub:index");
    b.Paragraph({}, Decorated()).Anchor(index).Text("Index");
    b.Paragraph().Text("after");
    const auto boxed = b.Build();
    exporter_.Anchors().RegisterAnchor("ix.xhtml", *index, boxed->gbegin());
    ASSERT_TRUE(Export(boxed, "ix.xhtml"));
    const auto ix = Parse("ix.xhtml");
    EXPECT_TRUE(ix.select_node("/html/body/div/section[@role='doc-index']"))
        << exporter_.Text("ix.xhtml");
}

TEST_F(DocumentStructure, NamesFromTheDocumentCannotBreakTheMarkup) {
    styles_->AddStyle(Text::Style::Make(
        "Bad", Text::StyleKind::Paragraph, "",
        Text::Delta::Make(Text::AttCategory::Paragraph, Text::ParaInt::Alignment, 0),
        Text::EPubTag::Make(Text::EPubTag::ElementSet | Text::EPubTag::ClassSet, "p onclick=\"x\"",
                            "a\"b&c<d", true, true)));
    styles_->AddStyle(Text::Style::Make(
        "Link", Text::StyleKind::Character, "",
        Text::Delta::Make(Text::AttCategory::Glyph, Text::GlyphInt::FontWeight, 400),
        Text::EPubTag::Make(Text::EPubTag::ElementSet, "a", "", true, true)));
    auto b = Builder();
    b.Paragraph("Bad").Text("odd\x01 text\xEF\xBF\xBE").Text("not a link", "Link");
    ASSERT_TRUE(Export(b.Build(), "x.xhtml"));
    const auto doc = Parse("x.xhtml");
    const auto p = Body(doc).child("p");
    ASSERT_TRUE(p) << exporter_.Text("x.xhtml");
    EXPECT_FALSE(p.attribute("onclick"));
    EXPECT_NE(std::string(p.attribute("class").value()).find("a\"b&c<d"), std::string::npos);
    EXPECT_EQ(AllText(p), "odd textnot a link");
    EXPECT_EQ(Count(doc, "//a"), 0u);
}

} // namespace

namespace {

TEST_F(DocumentStructure, SemanticElementsAreNotDoubledByTheirClass) {
    const auto tag = [](const char* element) {
        return Text::EPubTag::Make(Text::EPubTag::ElementSet, element, "", true, true);
    };
    styles_->AddStyle(Text::Style::Make(
        "Strong", Text::StyleKind::Character, "",
        Text::Delta::Make(Text::AttCategory::Glyph, Text::GlyphInt::FontWeight, 700),
        tag("strong")));
    styles_->AddStyle(Text::Style::Make(
        "Loud", Text::StyleKind::Character, "",
        Text::Delta::Make(Text::AttCategory::Glyph, Text::GlyphInt::Underline, 1), tag("strong")));
    auto b = Builder();
    b.Paragraph().Text("plain ").Text("bold", "Strong").Text(" ").Text("underlined", "Loud");
    ASSERT_TRUE(Export(b.Build(), "s.xhtml"));
    const auto doc = Parse("s.xhtml");
    const auto bold = doc.select_node("//strong[. = 'bold']").node();
    ASSERT_TRUE(bold) << exporter_.Text("s.xhtml");
    EXPECT_EQ(std::string(bold.attribute("class").value()).find("Strong"), std::string::npos);
    // A class that adds what the element does not show stays.
    EXPECT_TRUE(doc.select_node("//strong[. = 'underlined'][contains(@class, 'Loud')]"))
        << exporter_.Text("s.xhtml");
}

} // namespace
