// SPDX-License-Identifier: MIT
#include "epub/content/ContentWriter.h"
#include "epub/content/Article.h"
#include "epub/content/HtmlExporter.h"
#include "epub/content/StoryChunker.h"
#include "host/text/AttributeIds.h"
#include "host/text/Delta.h"
#include "hostimpl/text/StoryBuilder.h"
#include "tests/epub/content/MemoryExporter.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <map>
#include <string>

using namespace EPub;

namespace {

using ContentTest::MemoryExporter;

Counted<const Text::Delta> ParaInt(Text::AttId id, int32_t value) {
    return Text::Delta::Make(Text::AttCategory::Paragraph, id, value);
}

Counted<const Text::Delta> PageBreakBefore() {
    return ParaInt(Text::ParaInt::StartPosition, Text::StartPosition::NextPage);
}

Counted<const Text::Delta> InLanguage(const char* id) {
    return Text::Delta::Make(Text::AttCategory::Glyph, Text::GlyphObject::Language,
                             Counted<const Text::AttObject>(Text::Language::Make(id)));
}

Counted<const Text::Delta> List(Text::ListType type, int level) {
    Text::ListSettings settings;
    settings.type = type;
    settings.level = level;
    return Text::Delta::Make(Text::AttCategory::Paragraph, Text::ParaObject::List,
                             Counted<const Text::AttObject>(Text::ListAtt::Make(settings)));
}

class ContentWriterTest : public ::testing::Test {
protected:
    ContentWriterTest() {
        settings_->language = "en";
        settings_->title = "Book";
        options_->SetGenerateCSS(false);
        exporter_.Callbacks().localise = [](const StringT&, const Text::Language*,
                                            const StringT& text) { return text; };
    }

    Text::StoryBuilder Builder() const { return Text::StoryBuilder(styles_); }

    std::vector<StoryChunk> Cut(const Counted<const Text::Story>& story, int& counter,
                                bool countLeadingBreak = false) {
        std::vector<StoryChunk> chunks;
        exporter_.GetStoryChunks(story, story->GetTerminator(), "text/ch.xhtml", chunks, counter,
                                 {}, countLeadingBreak);
        return chunks;
    }

    pugi::xml_document Parse(const std::string& name) {
        pugi::xml_document doc;
        const std::string text = exporter_.Text(name);
        EXPECT_TRUE(doc.load_string(text.c_str())) << name << "\n" << text;
        return doc;
    }

    static std::string Body(const pugi::xml_document& doc) {
        return doc.child("html").child("body").text().get();
    }

    Counted<Text::StyleSheet> styles_ = Text::StyleSheet::Make(Text::TextDocument::Make());
    Counted<ExportSettings> settings_ = Foundation::MakeCounted<ExportSettings>();
    Counted<FlowingEPubOptions> options_ =
        Foundation::MakeCounted<FlowingEPubOptions>(Render::FileExportOptionsVector::Preset(2));
    MemoryExporter exporter_{settings_, options_};
};

Counted<Text::Story> NoteStory(const Counted<const Text::StyleSheet>& styles, const char* text) {
    Text::StoryBuilder b(styles);
    b.Paragraph().Text(text);
    return b.Build();
}

std::string AllText(const pugi::xml_node& node) {
    std::string text;
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_pcdata)
            text += child.value();
        else
            text += AllText(child);
    }
    return text;
}

TEST(SplitFileName, DotsOnlyCountInTheLastComponent) {
    EXPECT_EQ(SplitFileName("a/b.xhtml"), std::make_pair(StringT("a/b"), StringT(".xhtml")));
    EXPECT_EQ(SplitFileName("a.d/b"), std::make_pair(StringT("a.d/b"), StringT()));
    EXPECT_EQ(SplitFileName("a.d\\b"), std::make_pair(StringT("a.d\\b"), StringT()));
    EXPECT_EQ(SplitFileName("b"), std::make_pair(StringT("b"), StringT()));
}

TEST_F(ContentWriterTest, WithoutSplittingAStoryIsOneChunkWithImages) {
    auto b = Builder();
    b.Paragraph().Text("one").Break(Text::BreakKind::Page).Text("two");
    const auto story = b.Build();
    int counter = 1;
    const auto chunks = Cut(story, counter);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].name, "text/ch.xhtml");
    EXPECT_TRUE(chunks[0].hasImages);
    EXPECT_EQ(counter, 1);
}

TEST_F(ContentWriterTest, ChunkNamesFollowBreakKinds) {
    settings_->splitStories = true;
    {
        auto b = Builder();
        b.Paragraph().Text("plain\nstory");
        int counter = 1;
        const auto chunks = Cut(b.Build(), counter);
        ASSERT_EQ(chunks.size(), 1u);
        EXPECT_EQ(chunks[0].name, "text/ch.xhtml");
        EXPECT_FALSE(chunks[0].hasImages);
    }
    {
        // A page-break glyph starts a new document too.
        auto b = Builder();
        b.Paragraph().Text("a").Break(Text::BreakKind::Page).Text("b");
        const auto story = b.Build();
        int counter = 1;
        const auto chunks = Cut(story, counter);
        ASSERT_EQ(chunks.size(), 2u);
        EXPECT_EQ(chunks[0].name, "text/ch.xhtml");
        EXPECT_EQ(chunks[1].name, "text/ch_2.xhtml");
        EXPECT_EQ(chunks[0].range.end(), chunks[1].range.begin());
        EXPECT_EQ(chunks[1].range.begin().GetGlyph().GetBreakKind(), Text::BreakKind::Page);
    }
    {
        // Each page-level paragraph opens the next number; nothing is merged.
        auto b = Builder();
        b.Paragraph().Text("a");
        b.Paragraph({}, PageBreakBefore()).Text("b");
        b.Paragraph().Text("c");
        b.Paragraph({}, PageBreakBefore()).Text("d");
        int counter = 1;
        const auto chunks = Cut(b.Build(), counter);
        ASSERT_EQ(chunks.size(), 3u);
        EXPECT_EQ(chunks[0].name, "text/ch.xhtml");
        EXPECT_EQ(chunks[1].name, "text/ch_2.xhtml");
        EXPECT_EQ(chunks[2].name, "text/ch_3.xhtml");
        EXPECT_EQ(counter, 3);
    }
    {
        // A break at the very end opens no empty document.
        auto b = Builder();
        b.Paragraph().Text("a").Break(Text::BreakKind::Page);
        int counter = 1;
        const auto chunks = Cut(b.Build(), counter);
        ASSERT_EQ(chunks.size(), 1u);
        EXPECT_EQ(chunks[0].name, "text/ch.xhtml");
    }
}

TEST_F(ContentWriterTest, LeadingBreakOpensNoEmptyChunk) {
    settings_->splitStories = true;
    auto b = Builder();
    b.Paragraph({}, PageBreakBefore()).Text("first");
    const auto story = b.Build();
    int counter = 1;
    auto chunks = Cut(story, counter);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].name, "text/ch.xhtml");
    EXPECT_EQ(chunks[0].range.begin(), story->gbegin());
    // In an article a leading break of a later story opens a new file.
    chunks = Cut(story, counter, true);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].name, "text/ch_2.xhtml");
}

TEST_F(ContentWriterTest, EveryPageBreakStartsADocumentAndKeepsAllText) {
    settings_->splitStories = true;
    auto b = Builder();
    b.Paragraph().Text("Alpha & <beta>").Break(Text::BreakKind::Page).Text("gamma 'q'");
    b.Paragraph({}, PageBreakBefore()).Text("delta");
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "ch.xhtml", "T"));
    for (const char* name : {"ch.xhtml", "ch_2.xhtml", "ch_3.xhtml"})
        EXPECT_EQ(exporter_.Opened(name), 1u) << name;
    const auto first = Parse("ch.xhtml");
    EXPECT_EQ(AllText(first.child("html").child("body")), "Alpha & <beta>");
    const auto second = Parse("ch_2.xhtml");
    const auto body = second.child("html").child("body");
    EXPECT_EQ(AllText(body), "gamma 'q'");
    // No empty paragraph is left where the page-break glyph was cut off.
    EXPECT_EQ(std::distance(body.children("p").begin(), body.children("p").end()), 1);
    EXPECT_EQ(AllText(Parse("ch_3.xhtml").child("html").child("body")), "delta");
}

TEST_F(ContentWriterTest, EveryCharacterAppearsInOrderAndTheDocumentStaysWellFormed) {
    settings_->splitStories = true;
    auto b = Builder();
    b.Paragraph().Text("a<b>&\"c'\x01\x1f d\u00e9\U0001F600");
    b.Paragraph().Text("second", "Strong").IndentToHere().Text("tab");
    b.Paragraph({}, PageBreakBefore()).Text("]]> end");
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "c.xhtml", "T"));
    std::string all;
    for (const char* name : {"c.xhtml", "c_2.xhtml"})
        all += AllText(Parse(name).child("html").child("body"));
    EXPECT_EQ(all, "a<b>&\"c' d\u00e9\U0001F600second\ttab]]> end");
}

TEST_F(ContentWriterTest, AFrameBecomesAOneCellTableOutsideTheParagraph) {
    exporter_.Callbacks().writeFrame = [this](const Text::PinGlyph& pin, const Text::StoryPos&) {
        exporter_.Writer().ExportFrame(*pin.GetFrame());
    };
    Text::FrameSettings frame;
    frame.width = 100;
    frame.height = 50;
    frame.story = NoteStory(styles_, "inside");
    auto b = Builder();
    b.Paragraph().Text("before").Frame(frame).Text("after");
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "fr.xhtml", "T"));
    const auto doc = Parse("fr.xhtml");
    const auto body = doc.child("html").child("body");
    EXPECT_STREQ(body.child("p").text().get(), "before");
    const auto cell = body.select_node("table/tr/td").node();
    EXPECT_STREQ(cell.child("p").text().get(), "inside");
    // The table only lays the frame out.
    EXPECT_STREQ(body.child("table").attribute("role").value(), "presentation");
    EXPECT_STREQ(body.child("table").next_sibling().text().get(), "after");
    EXPECT_EQ(AllText(body), "beforeinsideafter");
}

TEST_F(ContentWriterTest, RunsInAnotherLanguageGetAPlainSpan) {
    auto b = Builder();
    b.Paragraph()
        .Text("english words here ", {}, InLanguage("en"))
        .Text("bonjour", {}, InLanguage("fr"));
    b.Paragraph().Text("tout en francais", {}, InLanguage("fr"));
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "l.xhtml", "T"));
    const auto doc = Parse("l.xhtml");
    SCOPED_TRACE(exporter_.Text("l.xhtml"));
    const auto body = doc.child("html").child("body");
    // Most of the text is French, so the document is; the English paragraph says it is not.
    EXPECT_STREQ(doc.child("html").attribute("xml:lang").value(), "fr");
    const auto first = body.child("p");
    EXPECT_STREQ(first.attribute("xml:lang").value(), "en");
    const auto span = first.child("span");
    EXPECT_STREQ(span.attribute("xml:lang").value(), "fr");
    EXPECT_STREQ(span.text().get(), "bonjour");
    EXPECT_FALSE(first.next_sibling("p").attribute("xml:lang"));
    EXPECT_FALSE(first.next_sibling("p").child("span"));
}

// EPUB style sheets may not set a direction: a paragraph's own goes on its element.
TEST_F(ContentWriterTest, AParagraphsDirectionIsItsDirAttribute) {
    auto b = Builder();
    b.Paragraph({}, ParaInt(Text::ParaInt::Direction, Text::Direction::RightToLeft))
        .Text("\u05e9\u05dc\u05d5\u05dd 123");
    b.Paragraph({}, ParaInt(Text::ParaInt::Direction, Text::Direction::LeftToRight)).Text("ltr");
    b.Paragraph().Text("natural");
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "d.xhtml", "T"));
    const auto doc = Parse("d.xhtml");
    SCOPED_TRACE(exporter_.Text("d.xhtml"));
    const auto first = doc.child("html").child("body").child("p");
    EXPECT_STREQ(first.attribute("dir").value(), "rtl");
    EXPECT_STREQ(first.next_sibling("p").attribute("dir").value(), "ltr");
    EXPECT_FALSE(first.next_sibling("p").next_sibling("p").attribute("dir"));
}

TEST_F(ContentWriterTest, LineBreaksAndTocPageNumbers) {
    auto b = Builder();
    b.Paragraph().Text("a").Break(Text::BreakKind::Line).Text("b");
    b.Text("Page 7", {},
           Text::Delta::Make(Text::AttCategory::Glyph, Text::GlyphInt::TocPageNumber, 1));
    b.Text("c");
    const auto story = b.Build();
    options_->SetRemoveLineBreaks(true);
    options_->SetExcludeTocPageNumbers(true);
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "b.xhtml", "T"));
    const auto doc = Parse("b.xhtml");
    EXPECT_EQ(AllText(doc.child("html").child("body")), "a bc");
    EXPECT_EQ(exporter_.Text("b.xhtml").find("<br"), std::string::npos);
}

TEST_F(ContentWriterTest, ListNestingOpensAndClosesProperly) {
    auto b = Builder();
    b.Paragraph({}, List(Text::ListType::Numbered, 0)).Text("one");
    b.Paragraph({}, List(Text::ListType::Numbered, 1)).Text("one.a");
    b.Paragraph({}, List(Text::ListType::Numbered, 0)).Text("two");
    b.Paragraph({}, List(Text::ListType::Bullet, 0)).Text("dot");
    b.Paragraph().Text("after");
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "list.xhtml", "T"));
    const auto doc = Parse("list.xhtml");
    SCOPED_TRACE(exporter_.Text("list.xhtml"));
    const auto body = doc.child("html").child("body");
    const auto ol = body.child("ol");
    ASSERT_TRUE(ol) << exporter_.Text("list.xhtml");
    const auto firstItem = ol.child("li");
    EXPECT_STREQ(firstItem.first_child().value(), "one");
    EXPECT_STREQ(firstItem.child("ol").child("li").text().get(), "one.a");
    EXPECT_STREQ(firstItem.next_sibling("li").text().get(), "two");
    EXPECT_STREQ(ol.next_sibling().name(), "ul");
    EXPECT_STREQ(ol.next_sibling().child("li").text().get(), "dot");
    EXPECT_STREQ(body.child("p").text().get(), "after");
}

TEST_F(ContentWriterTest, ListsCloseAtTheEndOfAChunk) {
    auto b = Builder();
    b.Paragraph({}, List(Text::ListType::Numbered, 2)).Text("deep");
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "deep.xhtml", "T"));
    const auto doc = Parse("deep.xhtml");
    // A list nests only inside an item.
    const auto li = doc.select_node("/html/body/ol/li/ol/li/ol/li").node();
    EXPECT_STREQ(li.text().get(), "deep") << exporter_.Text("deep.xhtml");
}

TEST_F(ContentWriterTest, PageMarkersAtOnePositionComeInOrder) {
    auto b = Builder();
    b.Paragraph().Text("first page");
    b.Paragraph().Text("rest");
    const auto story = b.Build();
    const auto second = story->GetPos(11);
    exporter_.Anchors().RegisterPage("p.xhtml", 1, "i", story->gbegin(), 0);
    exporter_.Anchors().RegisterPage("p.xhtml", 2, "ii", second, 0);
    exporter_.Anchors().RegisterPage("p.xhtml", 3, "iii", second, 0);
    exporter_.Anchors().RegisterPage("p.xhtml", 4, "iv", second + 2, 0);
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "p.xhtml", "T"));
    const auto doc = Parse("p.xhtml");
    std::vector<std::string> labels;
    for (const auto& marker : doc.select_nodes("//*[@epub:type='pagebreak']"))
        labels.push_back(marker.node().attribute("aria-label").value());
    EXPECT_EQ(labels, (std::vector<std::string>{"i", "ii", "iii", "iv"}));
    const auto markers = doc.select_nodes("//*[@epub:type='pagebreak']");
    EXPECT_STREQ(markers[0].node().name(), "div");
    EXPECT_STREQ(markers[3].node().name(), "span");
    EXPECT_STREQ(markers[3].node().parent().name(), "p");
}

TEST_F(ContentWriterTest, FootnotesGoToTheEndOfTheirChunkAndLinkBothWays) {
    settings_->splitStories = true;
    auto b = Builder();
    b.Paragraph().Text("x").Note(Text::NoteKind::Footnote, NoteStory(styles_, "n1"));
    b.Text("y").Note(Text::NoteKind::Footnote, NoteStory(styles_, "n2"));
    b.Paragraph({}, PageBreakBefore()).Text("z");
    b.Note(Text::NoteKind::Footnote, NoteStory(styles_, "n3"));
    b.Paragraph({}, PageBreakBefore()).Text("end");
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "f.xhtml", "T"));
    const auto first = Parse("f.xhtml");
    const auto second = Parse("f_2.xhtml");
    const auto asides = first.select_nodes("//aside");
    ASSERT_EQ(asides.size(), 2u) << exporter_.Text("f.xhtml");
    EXPECT_STREQ(asides[0].node().attribute("id").value(), "footnote1");
    EXPECT_STREQ(asides[1].node().attribute("id").value(), "footnote2");
    EXPECT_STREQ(asides[0].node().parent().name(), "div");
    const auto third = second.select_nodes("//aside");
    ASSERT_EQ(third.size(), 1u);
    EXPECT_STREQ(third[0].node().attribute("id").value(), "footnote3");
    // Every reference targets its aside and every back link its reference.
    for (const auto* doc : {&first, &second})
        for (const auto& link : doc->select_nodes("//a[@href]")) {
            const std::string href = link.node().attribute("href").value();
            const std::string id = href.substr(href.find('#') + 1);
            EXPECT_TRUE(doc->find_node([&](pugi::xml_node n) {
                return id == n.attribute("id").value();
            })) << href;
        }
    EXPECT_EQ(AllText(first.child("html").child("body").child("p")).substr(0, 1), "x");
}

TEST_F(ContentWriterTest, EndnotesFollowTheLastChunkAndResolve) {
    settings_->splitStories = true;
    auto b = Builder();
    b.Paragraph().Text("ref").Note(Text::NoteKind::Endnote, NoteStory(styles_, "end body"));
    b.Paragraph().Text("more").Break(Text::BreakKind::Page).Text("last");
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "e.xhtml", "T"));
    const std::string text = exporter_.Text("e_2.xhtml");
    const auto doc = Parse("e.xhtml");
    const auto last = Parse("e_2.xhtml");
    EXPECT_LT(text.find("last"), text.find("end body"));
    const auto reference = doc.select_node("//a[@epub:type='noteref']").node();
    ASSERT_TRUE(reference) << exporter_.Text("e.xhtml");
    const std::string href = reference.attribute("href").value();
    EXPECT_EQ(href.substr(0, href.find('#')), "e_2.xhtml");
    const std::string target = href.substr(href.find('#') + 1);
    const auto aside = last.select_node(("//aside[@id='" + target + "']").c_str()).node();
    ASSERT_TRUE(aside) << text;
    EXPECT_STREQ(aside.attribute("epub:type").value(), "endnote");
    EXPECT_STREQ(aside.parent().attribute("role").value(), "doc-endnotes");
    const auto back = last.select_node("//a[@role='doc-backlink']").node();
    EXPECT_EQ(std::string(back.attribute("href").value()),
              "e.xhtml#" + std::string(reference.attribute("id").value()));
}

TEST_F(ContentWriterTest, ArticleStoriesShareADocumentUntilAPageBreak) {
    settings_->splitStories = true;
    auto b = Builder();
    b.Paragraph().Text("one", {}, InLanguage("de"));
    const auto first = b.Build();
    b.Paragraph().Text("two words", {}, InLanguage("de"));
    const auto second = b.Build();
    b.Paragraph({}, PageBreakBefore()).Text("three");
    const auto third = b.Build();
    Article article;
    for (const auto& story : {first, second, third}) {
        article.stories.push_back(story);
        article.ends.push_back(story->GetTerminator());
        article.items.push_back(-1);
        article.frameScales.emplace_back();
    }
    article.title = "Art";
    exporter_.RegisterArticle(article, "art.xhtml");
    ASSERT_TRUE(exporter_.ExportArticle(article, "art.xhtml", 0));
    const auto doc = Parse("art.xhtml");
    EXPECT_EQ(AllText(doc.child("html").child("body")), "onetwo words");
    EXPECT_STREQ(doc.child("html").attribute("lang").value(), "de");
    EXPECT_EQ(AllText(Parse("art_2.xhtml").child("html").child("body")), "three");
}

} // namespace

TEST_F(ContentWriterTest, SidenotesFollowEndnotesInOneBlock) {
    auto b = Builder();
    b.Paragraph().Text("a").Note(Text::NoteKind::Sidenote, NoteStory(styles_, "side body"));
    b.Text("b").Note(Text::NoteKind::Endnote, NoteStory(styles_, "end body"));
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "n.xhtml", "T"));
    const auto doc = Parse("n.xhtml");
    const std::string text = exporter_.Text("n.xhtml");
    EXPECT_LT(text.find("end body"), text.find("side body"));
    const auto side = doc.select_node("//div[@class='sidenotes']/aside").node();
    EXPECT_NE(AllText(side).find("side body"), std::string::npos);
    const auto end = doc.select_node("//section[@role='doc-endnotes']/aside").node();
    EXPECT_NE(AllText(end).find("end body"), std::string::npos);
    for (const auto& link : doc.select_nodes("//a[@href]")) {
        const std::string href = link.node().attribute("href").value();
        const std::string id = href.substr(href.find('#') + 1);
        EXPECT_TRUE(doc.select_node(("//*[@id='" + id + "']").c_str())) << href;
    }
}

TEST_F(ContentWriterTest, RangeNoteLinksAcrossDocumentsBothWays) {
    settings_->splitStories = true;
    auto b = Builder();
    const auto note = Text::RangeNote::Make("n1", b.MakeNoteSettings(Text::NoteKind::Endnote));
    b.Paragraph().Text("See").RangeNoteReference(note).Text(" here.");
    b.Paragraph({}, PageBreakBefore()).Text("Middle");
    b.Paragraph({}, PageBreakBefore()).RangeNoteBody(note).Text("The body.");
    b.Paragraph().Text("After");
    const auto story = b.Build();
    ASSERT_TRUE(exporter_.ExportStory(story, story->GetTerminator(), "r.xhtml", "T"));
    ASSERT_EQ(exporter_.streams.size(), 3u);
    const std::string firstName = "r.xhtml";
    const std::string secondName = "r_3.xhtml";

    const auto first = Parse(firstName);
    const auto second = Parse(secondName);
    const auto reference = first.select_node("//a[@epub:type='noteref']").node();
    ASSERT_TRUE(reference) << exporter_.Text(firstName);
    const std::string href = reference.attribute("href").value();
    ASSERT_EQ(href.substr(0, href.find('#')), secondName);
    const auto body =
        second.select_node(("//p[@id='" + href.substr(href.find('#') + 1) + "']").c_str());
    ASSERT_TRUE(body) << exporter_.Text(secondName);
    EXPECT_EQ(AllText(body.node()), "1 The body.");
    const auto back = body.node().select_node("a[@role='doc-backlink']").node();
    ASSERT_TRUE(back) << exporter_.Text(secondName);
    EXPECT_EQ(std::string(back.attribute("href").value()),
              firstName + "#" + reference.attribute("id").value());
    // The body stays where the author put it: no note block is added after the story.
    EXPECT_FALSE(second.select_node("//div[.//a[@role='doc-backlink']]"));
}
