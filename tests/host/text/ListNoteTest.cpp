// SPDX-License-Identifier: MIT
#include "host/text/ListAtt.h"
#include "host/text/NoteAtt.h"
#include "hostimpl/text/StoryBuilder.h"

#include <gtest/gtest.h>

using namespace Text;
using Foundation::Counted;
using Foundation::StringT;

namespace {

Counted<const ListAtt> Numbered(int32_t level, NumberFormat format = NumberFormat::Decimal,
                                bool restart = false) {
    ListSettings s;
    s.type = ListType::Numbered;
    s.level = level;
    s.format = format;
    s.restart = restart;
    return ListAtt::Make(std::move(s));
}

Counted<const ListAtt> Bullet(int32_t level) {
    ListSettings s;
    s.type = ListType::Bullet;
    s.level = level;
    return ListAtt::Make(std::move(s));
}

StringT Value(const ListAtt& list, const Numberer& n) {
    return list.GetValue(&n).ToText();
}

} // namespace

TEST(Lists, NumberFormats) {
    EXPECT_EQ(FormatNumber(14, NumberFormat::UpperRoman), "XIV");
    EXPECT_EQ(FormatNumber(1994, NumberFormat::LowerRoman), "mcmxciv");
    EXPECT_EQ(FormatNumber(4000, NumberFormat::UpperRoman), "4000");
    EXPECT_EQ(FormatNumber(26, NumberFormat::UpperAlpha), "Z");
    EXPECT_EQ(FormatNumber(27, NumberFormat::LowerAlpha), "aa");
    EXPECT_EQ(FormatNumber(8, NumberFormat::Symbols), "\u2020\u2020");
    EXPECT_EQ(FormatNumber(7, NumberFormat::ThreeDigits), "007");
    EXPECT_EQ(FormatNumber(0, NumberFormat::UpperRoman), "0");
    EXPECT_EQ(FormatNumber(-3, NumberFormat::LowerAlpha), "-3");
    EXPECT_EQ(FormatNumber(1000000, NumberFormat::Symbols), "1000000");
}

TEST(Lists, NumberingAdvancesOncePerListParagraphAndNests) {
    auto top = Numbered(0);
    auto inner = Numbered(1, NumberFormat::LowerAlpha);
    auto bullet = Bullet(1);
    auto n = Numberer::Make();
    n->Advance(*top);
    EXPECT_EQ(Value(*top, *n), "1.\t");
    n->Advance(*inner);
    n->Advance(*inner);
    EXPECT_EQ(Value(*inner, *n), "b.\t");
    n->Advance(*top);
    EXPECT_EQ(Value(*top, *n), "2.\t");
    // Going back to the outer level closes the inner list: it starts again.
    n->Advance(*inner);
    EXPECT_EQ(Value(*inner, *n), "a.\t");
    // Bullets do not count.
    n->Advance(*bullet);
    EXPECT_EQ(Value(*bullet, *n), "\u2022\t");
    n->Advance(*inner);
    EXPECT_EQ(Value(*inner, *n), "b.\t");
    n->Advance(*Numbered(1, NumberFormat::LowerAlpha, true));
    EXPECT_EQ(n->GetNumber(1), 1);
    EXPECT_EQ(top->GetValue(nullptr).ToText(), "1.\t");
    EXPECT_EQ(n->GetNumber(99), 0);
}

TEST(Lists, NumbererForPositionCountsTheListParagraphsBefore) {
    auto sheet = StyleSheet::Make(TextDocument::Make());
    auto list = Delta::Make(AttCategory::Paragraph, ParaObject::List,
                            Counted<const AttObject>(Numbered(0)));
    StoryBuilder b(sheet);
    b.Paragraph("", list).Text("one");
    b.Paragraph().Text("not listed");
    b.Paragraph("", list).Text("two");
    b.Paragraph("", list).Text("three");
    auto story = b.Build();
    StoryPos third = story->GetPos(19);
    ASSERT_TRUE(third.IsParagraphBegin());
    auto n = Numberer::ForPosition(third);
    n->Advance(*third.GetParagraphAtts()->GetList());
    EXPECT_EQ(n->GetNumber(0), 3);
}

TEST(Lists, LevelsOutsideTheRangeAreRejected) {
    ListSettings s;
    s.level = ListAtt::kMaxLevel + 1;
    EXPECT_THROW(ListAtt::Make(s), std::invalid_argument);
}

TEST(Lists, BulletStringsMayHoldImageBullets) {
    auto image = BulletImage::Make(ImageBounds{0, 0, 1, 1}, 0.2, nullptr);
    ListSettings s;
    s.type = ListType::Bullet;
    s.bullet = GlyphString().Append(Glyph::Object(ImageBulletGlyph::Make(image))).AppendText("\t");
    auto list = ListAtt::Make(s);
    const auto* bullet = list->GetBulletString().FindObject<ImageBulletGlyph>();
    ASSERT_NE(bullet, nullptr);
    EXPECT_DOUBLE_EQ(bullet->GetImage()->GetBaselineOffset(), 0.2);
    // Lists with the same picture are equal.
    EXPECT_TRUE(SameAttObject(list.get(), ListAtt::Make(s).get()));
}

TEST(Notes, MarksFollowTheSettings) {
    NoteSettings s;
    s.kind = NoteKind::Endnote;
    s.format = NumberFormat::LowerRoman;
    s.referencePrefix = "[";
    s.referenceSuffix = "]";
    auto note = NoteAtt::Make(s);
    EXPECT_EQ(note->MakeReference(4).ToText(), "[iv]");
    EXPECT_EQ(note->MakeBody(4).ToText(), "iv ");
    EXPECT_EQ(note->GetKind(), NoteKind::Endnote);
}

TEST(Notes, ANoteBodyIsItsOwnStory) {
    auto sheet = StyleSheet::Make(TextDocument::Make());
    StoryBuilder body(sheet);
    body.Paragraph().Text("The note.");
    Counted<const Story> content = body.Build();

    StoryBuilder b(sheet);
    b.Paragraph().Text("Text").Note(NoteKind::Footnote, content).Text(" more");
    auto story = b.Build();
    StoryPos pin = story->GetPos(4);
    const auto* glyph = pin.GetGlyph().As<PinGlyph>();
    ASSERT_NE(glyph, nullptr);
    EXPECT_TRUE(glyph->IsNote());
    EXPECT_EQ(GetNoteContent(pin), content);
    EXPECT_EQ(GetNoteContent(pin)->GetClientAll().GetText(), "The note.");
    auto settings = GetNoteAtt(pin);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->GetKind(), NoteKind::Footnote);
    EXPECT_EQ(settings->GetGlyphAtts()->GetInt(GlyphInt::BaselinePosition),
              BaselinePosition::Superscript);
    EXPECT_FALSE(GetNoteAtt(story->gbegin()));
    EXPECT_FALSE(GetNoteContent(story->gbegin()));

    // The working copy of a note: its body mark inserted and linked back.
    Counted<Story> copy = GetNoteContent(pin)->Clone();
    GlyphString mark = settings->MakeBody(1);
    copy->InsertText(copy->gbegin(), mark, settings->GetBodyGlyphAtts());
    auto back =
        HyperlinkAtt::Make(HyperlinkData::MakeAnchor(AnchorData::Make("b1", "footnote1_return")));
    copy->FormatText(
        StoryRange(copy->gbegin(), copy->GetPos(int64_t(mark.size()))),
        *Delta::Make(AttCategory::Glyph, GlyphObject::Hyperlink, Counted<const AttObject>(back)));
    EXPECT_EQ(copy->GetClientAll().GetText(), "1 The note.");
    EXPECT_TRUE(copy->gbegin().GetGlyphAtts()->GetHyperlink());
    EXPECT_FALSE(copy->GetPos(2).GetGlyphAtts()->GetHyperlink());
    EXPECT_EQ(content->GetClientAll().GetText(), "The note.");
}

TEST(Notes, RangeNotesFindTheirBody) {
    auto sheet = StyleSheet::Make(TextDocument::Make());
    NoteSettings s;
    s.kind = NoteKind::Endnote;
    auto note = RangeNote::Make("n1", NoteAtt::Make(s));
    StoryBuilder b(sheet);
    b.Paragraph().Text("See").RangeNoteReference(note).Text(".");
    b.Paragraph().RangeNoteBody(note).Text("Body text");
    b.Paragraph().Text("After");
    auto story = b.Build();
    EXPECT_EQ(GetNoteAtt(story->GetPos(3))->GetKind(), NoteKind::Endnote);
    StoryRange body = FindRangeNoteBody(story->GetAll(), *note);
    EXPECT_EQ(body.begin().GetStoryIndex(), 6);
    EXPECT_EQ(body.GetText(), "\uFFFCBody text\n");
    auto other = RangeNote::Make("n2", NoteAtt::Make(s));
    EXPECT_TRUE(FindRangeNoteBody(story->GetAll(), *other).empty());
}
