// SPDX-License-Identifier: MIT
#include "host/text/Delta.h"
#include "host/text/TextDocument.h"
#include "hostimpl/text/StoryBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace Text;
using Foundation::Counted;
using Foundation::StringT;

namespace {

AttributeSet Set(AttId id, AttValue v) {
    AttributeSet s;
    s.Set(id, std::move(v));
    return s;
}

Counted<const Render::FillDescriptor> Red() {
    return Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(255, 0, 0));
}

} // namespace

TEST(Attributes, DefaultsAreNeverStoredSoEqualSetsLookEqual) {
    GlyphAtts a(Set(GlyphDouble::Size, 12.0)); // 12 is the default size
    EXPECT_TRUE(a.GetSet().empty());
    EXPECT_EQ(a, GlyphAtts());
    EXPECT_DOUBLE_EQ(a.GetSize(), 12);
    EXPECT_EQ(a.GetInt(GlyphInt::FontWeight), 400);
    EXPECT_DOUBLE_EQ(ParagraphAtts().GetDouble(ParaDouble::LineSpacing), 1);
    EXPECT_FALSE(a.GetObject(GlyphObject::TextFill));
    EXPECT_EQ(a.GetString(GlyphStr::FontFamily), "");

    AttributeSet set = Set(ParaDouble::LeftIndent, 12.0);
    set.Apply(Set(ParaDouble::LeftIndent, 0.0), AttCategory::Paragraph);
    EXPECT_TRUE(set.empty());
    EXPECT_THROW(set.Set(ParaDouble::LeftIndent, std::nan("")), std::invalid_argument);
}

TEST(Attributes, EqualSetsConsolidateToOneObjectPerDocument) {
    Counted<TextDocument> doc = TextDocument::Make();
    const size_t before = doc->GetGlyphAttsCount();
    auto bold = GlyphAtts().With(GlyphInt::FontWeight, 700);
    auto a = doc->Consolidate(
        bold.With(GlyphObject::TextFill, Counted<const AttObject>(FillAtt::Make(Red()))));
    // Built another way, with an equal but distinct fill object.
    auto b = doc->Consolidate(
        GlyphAtts()
            .With(GlyphObject::TextFill, Counted<const AttObject>(FillAtt::Make(Red())))
            .With(GlyphInt::FontWeight, 700));
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.get(), b.get());
    EXPECT_NE(a, doc->Consolidate(bold));
    EXPECT_EQ(doc->GetGlyphAttsCount(), before + 2);
    EXPECT_EQ(a->GetTextFill()->GetColour()->Components()[0], 1.0);

    // Another document has pools of its own.
    Counted<TextDocument> other = TextDocument::Make();
    EXPECT_NE(other->Consolidate(bold).get(), doc->Consolidate(bold).get());
}

TEST(Attributes, DeltaHoldsOnlyWhatDiffers) {
    auto base = ParagraphAtts().With(ParaDouble::LeftIndent, 24.0).With(ParaInt::Alignment, 1);
    auto atts = base.With(ParaInt::Alignment, 0).With(ParaDouble::SpaceBefore, 6.0);
    Counted<const Delta> d = MakeDelta(atts, base);
    ASSERT_EQ(d->size(), 2u);
    EXPECT_TRUE(d->GetGlyph().empty());
    // Going back to a default is a change, so it is stated explicitly.
    const AttValue* align = d->Find(AttCategory::Paragraph, AttKind::Integer, ParaInt::Alignment);
    ASSERT_NE(align, nullptr);
    EXPECT_EQ(std::get<int32_t>(*align), 0);
    EXPECT_FALSE(d->Has(AttCategory::Paragraph, AttKind::Double, ParaDouble::LeftIndent));
    EXPECT_EQ(base.With(d->GetParagraph()), atts);
    EXPECT_TRUE(MakeDelta(atts, atts)->empty());
}

TEST(Attributes, CompositeDeltaIteratesParagraphThenGlyphAndLaterWins) {
    CompositeDelta c(*Delta::Make(AttCategory::Glyph, GlyphInt::FontWeight, 700));
    c.Add(*Delta::Make(AttCategory::Paragraph, ParaDouble::SpaceAfter, 3.0));
    c.Add(FontDelta::Make(FontSpec{"Open Sans", 400, FontStyle::Italic, 5}));
    std::vector<std::pair<AttCategory, AttId>> seen;
    for (DeltaEntry e : c)
        seen.emplace_back(e.category, e.id());
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], std::pair(AttCategory::Paragraph, ParaDouble::SpaceAfter));
    EXPECT_EQ(c.GetGlyph().Find(AttKind::Integer, GlyphInt::FontWeight)->index(), 0u);
    EXPECT_EQ(std::get<int32_t>(*c.GetGlyph().Find(AttKind::Integer, GlyphInt::FontWeight)), 400);
    EXPECT_EQ(std::get<StringT>(*c.GetGlyph().Find(AttKind::String, GlyphStr::FontFamily)),
              "Open Sans");
}

TEST(Attributes, CatalogueNamesAndIdentifiersAgree) {
    for (const AttInfo& info : GetAttCatalogue()) {
        EXPECT_EQ(FindAttInfo(info.category, info.kind, info.id), &info) << info.name;
        EXPECT_EQ(FindAttInfo(info.category, info.name), &info) << info.name;
    }
    EXPECT_EQ(FindAttInfo(AttCategory::Paragraph, AttKind::Integer, ParaInt::StartPosition)->name,
              "startPosition");
    EXPECT_EQ(FindAttInfo(AttCategory::Glyph, "nonsense"), nullptr);
    EXPECT_EQ(GetDefaultInt(AttCategory::Glyph, 999), 0);
}

TEST(Attributes, LanguagesAreSharedByTag) {
    EXPECT_EQ(Language::Make("en-GB"), Language::Make("en_gb"));
    EXPECT_EQ(Language::Make("EN-gb")->GetId(), "en-GB");
    EXPECT_EQ(Language::Make("zh-hant-tw")->GetId(), "zh-Hant-TW");
    EXPECT_NE(Language::Make("en-GB"), Language::Make("en-US"));
    EXPECT_TRUE(Language::Make("")->IsNone());
    EXPECT_TRUE(Language::Make(Language::GetNoneId())->IsNone());
    EXPECT_EQ(Language::Make(""), Language::None());
    EXPECT_EQ(GlyphAtts().GetLanguage(), Language::None());
    auto german =
        GlyphAtts().With(GlyphObject::Language, Counted<const AttObject>(Language::Make("de")));
    EXPECT_EQ(german.GetLanguage()->GetId(), "de");
}

TEST(Attributes, ScaledCopies) {
    auto glyph = GlyphAtts().With(GlyphDouble::Size, 10.0);
    auto scaled = glyph.GetScaled(2, 0.5);
    EXPECT_DOUBLE_EQ(scaled.GetSize(), 5);
    EXPECT_DOUBLE_EQ(scaled.GetDouble(GlyphDouble::HorizontalScale), 4);
    EXPECT_EQ(glyph.GetScaled(2, 0.5, false), glyph);

    auto para = ParagraphAtts()
                    .With(ParaDouble::LeftIndent, 10.0)
                    .With(ParaDouble::SpaceBefore, 4.0)
                    .With(ParaObject::TabStops,
                          Counted<const AttObject>(TabStopsAtt::Make({TabStop{30}, TabStop{10}})));
    auto p = para.GetScaled(2, 3);
    EXPECT_DOUBLE_EQ(p.GetDouble(ParaDouble::LeftIndent), 20);
    EXPECT_DOUBLE_EQ(p.GetDouble(ParaDouble::SpaceBefore), 12);
    EXPECT_DOUBLE_EQ(p.GetTabStops()->GetStops()[0].position, 20); // sorted, then scaled
    EXPECT_FALSE(p.IsSet(AttKind::Double, ParaDouble::RightIndent));
}

TEST(Attributes, OpenTypeFeaturesAreSortedAndChecked) {
    auto ot = OpenTypeAtt::Make({{"smcp", 1}, {"liga", 0}, {"smcp", 0}, {"CAPS", 1}});
    ASSERT_EQ(ot->GetFeatures().size(), 3u);
    EXPECT_EQ(ot->GetFeatures()[0].tag, "CAPS");
    EXPECT_EQ(ot->GetValue("smcp"), 0); // the later setting wins
    EXPECT_TRUE(ot->IsOn(OpenTypeAtt::AllCapitals));
    EXPECT_FALSE(ot->GetValue("dlig"));
    EXPECT_THROW(OpenTypeAtt::Make({{"toolong", 1}}), std::invalid_argument);
    EXPECT_TRUE(
        SameAttObject(ot.get(), OpenTypeAtt::Make({{"CAPS", 1}, {"liga", 0}, {"smcp", 0}}).get()));
}

TEST(Attributes, HyperlinkPathsGetAValidProtocol) {
    EXPECT_EQ(HyperlinkData::MakeURL("www.example.com")->GetPathWithValidProtocol(),
              "http://www.example.com");
    EXPECT_EQ(HyperlinkData::MakeURL("https://x.org/a b")->GetPathWithValidProtocol(),
              "https://x.org/a b");
    EXPECT_EQ(HyperlinkData::MakeURL("someone@example.com")->GetPathWithValidProtocol(),
              "mailto:someone@example.com");
    EXPECT_EQ(HyperlinkData::MakeURL("C:\\docs\\a.pdf")->GetPathWithValidProtocol(),
              "http://C:\\docs\\a.pdf");
    EXPECT_EQ(HyperlinkData::MakeURL("")->GetPathWithValidProtocol(), "");

    auto anchor = AnchorData::Make("u1", "target");
    auto a = HyperlinkAtt::Make(HyperlinkData::MakeAnchor(anchor));
    auto b = HyperlinkAtt::Make(HyperlinkData::MakeAnchor(anchor));
    auto c = HyperlinkAtt::Make(HyperlinkData::MakeAnchor(AnchorData::Make("u2", "target")));
    EXPECT_TRUE(SameAttObject(a.get(), b.get()));
    EXPECT_FALSE(SameAttObject(a.get(), c.get())); // anchors compare by identity
}

TEST(Attributes, DecorationsAreDrawnOnlyWhenSomethingShows) {
    Decoration box;
    box.sides = DecorationSide::All;
    box.penFill = Red();
    box.lineStyle =
        Foundation::MakeCounted<const Render::LineStyleDescriptor>(1.0, Render::DashKind::Solid);
    EXPECT_TRUE(box.IsDrawn());
    Decoration hidden = box;
    hidden.penFill = Render::FillDescriptor::MakeNone();
    EXPECT_FALSE(hidden.IsDrawn());
    hidden.background = Red();
    EXPECT_TRUE(hidden.IsDrawn());
    EXPECT_TRUE(DecorationsAtt::Make({hidden, box})->HasDrawn());
    EXPECT_FALSE(DecorationsAtt::Make({box}, false)->HasDrawn());
    box.enabled = false;
    EXPECT_FALSE(DecorationsAtt::Make({box})->HasDrawn());
}

TEST(Attributes, DropCapAndAutoFormatRangesStayInTheirParagraph) {
    auto doc = TextDocument::Make();
    auto sheet = StyleSheet::Make(doc);
    StoryBuilder b(sheet);
    b.Paragraph().Text("  Once upon, a time");
    b.Paragraph().Text("Hi");
    Counted<Story> story = b.Build();
    const StoryRange first(story->gbegin(), story->gbegin().GetParagraphEnd());
    const StoryRange second(first.end(), first.end().GetParagraphEnd());

    EXPECT_EQ(DropCapAtt::Make(3, 1, 6, "")->GetRangeEnd(first).GetStoryIndex(), 1);
    EXPECT_EQ(DropCapAtt::Make(3, 5, 6, "")->GetRangeEnd(second), second.begin() + 2);
    EXPECT_EQ(DropCapAtt::Make(3, 5, 6, "", false)->GetRangeEnd(second), second.begin());

    auto words = AutoFormatAtt::Make("Lead", AutoFormatScope::Words, 2);
    EXPECT_EQ(StoryRange(first.begin(), words->GetRangeEnd(first)).GetText(), "  Once upon,");
    auto upTo = AutoFormatAtt::Make("Lead", AutoFormatScope::Delimiter, 0, U',');
    EXPECT_EQ(StoryRange(first.begin(), upTo->GetRangeEnd(first)).GetText(), "  Once upon,");
    EXPECT_EQ(upTo->GetRangeEnd(second), second.begin() + 2);
    auto chars = AutoFormatAtt::Make("Lead", AutoFormatScope::Characters, 100);
    EXPECT_EQ(chars->GetRangeEnd(first), first.end() - 1);
}
