// SPDX-License-Identifier: MIT
// The validation pass: which formatting is reported, under which switch, over which text.

#include "epub/content/HtmlExporter.h"
#include "hostimpl/text/StoryBuilder.h"
#include "tests/epub/css/CssTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using namespace CssTest;
using namespace Text;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

struct Finding {
    std::string message;
    int64_t begin = -1;
    int64_t end = -1;
    const Story* story = nullptr;
    std::string style;

    friend bool operator==(const Finding&, const Finding&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Finding& f) {
        return out << '"' << f.message << "\" " << f.begin << "-" << f.end << " style '" << f.style
                   << "'";
    }
};

// One entry per message, so tests need not care how messages are grouped.
std::vector<Finding> Flatten(const std::vector<StoryError>& errors) {
    std::vector<Finding> out;
    for (const StoryError& e : errors)
        for (const StringT& m : e.messages)
            out.push_back({m.str(), e.range.begin().GetIndex(), e.range.end().GetIndex(),
                           e.range.GetStory().get(), e.styleName.str()});
    return out;
}

std::vector<std::string> Messages(const std::vector<Finding>& findings) {
    std::vector<std::string> out;
    for (const Finding& f : findings)
        out.push_back(f.message);
    return out;
}

Counted<const AttObject> Obj(Counted<const AttObject> object) {
    return object;
}

Counted<const Render::FillDescriptor> Gradient() {
    return Render::FillDescriptor::MakeGradient(
        Render::FillType::LinearGradient,
        {{0, Render::Colour::MakeRGB(255, 0, 0)}, {1, Render::Colour::MakeRGB(0, 0, 255)}});
}

Counted<const Render::FillDescriptor> Solid() {
    return Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 128, 0));
}

Counted<const Render::LineStyleDescriptor> CustomDash() {
    return MakeCounted<const Render::LineStyleDescriptor>(1.0, Render::DashKind::Custom,
                                                          std::vector<double>{4, 2});
}

Counted<const Render::LineStyleDescriptor> Dotted() {
    return MakeCounted<const Render::LineStyleDescriptor>(1.0, Render::DashKind::Dotted);
}

Counted<const Delta> GlyphDelta(AttributeSet glyph) {
    return MakeCounted<const Delta>(AttributeSet(), std::move(glyph));
}

Counted<const Delta> ParaDelta(AttributeSet paragraph) {
    return MakeCounted<const Delta>(std::move(paragraph), AttributeSet());
}

Counted<const Delta> Kerning(double value) {
    return GlyphDelta(Set({{GlyphDouble::ManualKerning, value}}));
}

AttValue Tabs(double position) {
    return Obj(TabStopsAtt::Make({TabStop{position}}));
}

const std::string kKerning = "Unsupported manual kerning";

class ValidationTest : public CssFixture {
protected:
    HtmlExporter& Exporter() {
        if (!exporter_)
            exporter_ = std::make_unique<HtmlExporter>(settings_, options_);
        return *exporter_;
    }

    std::vector<Finding> Validate(const Counted<const Story>& story, bool checkLocal = true) {
        std::vector<StoryError> errors;
        Exporter().ValidateStory(story, errors, checkLocal);
        return Flatten(errors);
    }

    StoryBuilder Builder() { return StoryBuilder(styles_); }

    std::unique_ptr<HtmlExporter> exporter_;
};

// ---- Merging runs into findings ----

TEST_F(ValidationTest, AdjacentRunsWithOneProblemMergeIntoOneFinding) {
    auto b = Builder();
    b.Paragraph().Text("aa", {}, Kerning(0.1)).Text("bb", {}, Kerning(0.2));
    b.Text("cc", {}, Kerning(0.3)).Text("dd");
    const auto story = b.Build();
    EXPECT_THAT(Validate(story), ElementsAre(Finding{kKerning, 0, 6, story.get(), ""}));
}

// The paragraph's closing break belongs to the run before it.
TEST_F(ValidationTest, SeparatedRunsGiveOneFindingEach) {
    auto b = Builder();
    b.Paragraph().Text("aa", {}, Kerning(0.1)).Text("bb").Text("cc", {}, Kerning(0.1));
    const auto story = b.Build();
    EXPECT_THAT(Validate(story), ElementsAre(Finding{kKerning, 0, 2, story.get(), ""},
                                             Finding{kKerning, 4, 7, story.get(), ""}));
}

TEST_F(ValidationTest, ParagraphFindingsSpanAdjacentParagraphsAndOverlapRunFindings) {
    auto b = Builder();
    const auto keep = ParaDelta(Set({{ParaInt::KeepWithNext, 1}}));
    b.Paragraph({}, keep).Text("ab");
    b.Paragraph({}, keep).Text("c").Text("d", {}, Kerning(0.1));
    b.Paragraph().Text("ef");
    const auto story = b.Build();
    // "ab" and its break, then "cd" and its break; a break carries the attributes of the text
    // before it, so the kerned run ends after it.
    EXPECT_THAT(Validate(story),
                UnorderedElementsAre(Finding{"Unsupported keep with next", 0, 6, story.get(), ""},
                                     Finding{kKerning, 4, 6, story.get(), ""}));
}

// ---- Styles ----

TEST_F(ValidationTest, StyleProblemIsReportedOnceApartFromTheParagraphsOwnOverride) {
    AddParagraphStyle("Body", {}, Set({{ParaObject::TabStops, Tabs(36)}}));
    auto b = Builder();
    b.Paragraph("Body").Text("one");
    b.Paragraph("Body", ParaDelta(Set({{ParaObject::TabStops, Tabs(72)}}))).Text("two");
    b.Paragraph("Body").Text("three");
    const auto story = b.Build();
    EXPECT_THAT(Validate(story),
                ElementsAre(Finding{"Unsupported tab stops in style", 0, 0, story.get(), "Body"},
                            Finding{"Unsupported tab stops", 4, 8, story.get(), ""}));
}

TEST_F(ValidationTest, BasesAreValidatedFirstAndEachStyleOnce) {
    AddParagraphStyle("Base", {}, Set({{ParaInt::KeepWithPrevious, 1}}));
    AddParagraphStyle("Derived", "Base", Set({{ParaDouble::LastLineOutdent, 4.0}}),
                      Set({{GlyphDouble::Shear, 12.0}}));
    AddCharacterStyle("Squeezed", Set({{GlyphDouble::HorizontalScale, 0.8}}));
    auto b = Builder();
    b.Paragraph("Derived").Text("a").Text("b", "Squeezed");
    b.Paragraph("Base").Text("c", "Squeezed");
    const auto story = b.Build();
    EXPECT_THAT(
        Validate(story),
        ElementsAre(Finding{"Unsupported keep with previous in style", 0, 0, story.get(), "Base"},
                    Finding{"Unsupported last line outdent in style", 0, 0, story.get(), "Derived"},
                    Finding{"Unsupported shear in style", 0, 0, story.get(), "Derived"},
                    Finding{"Unsupported scale in style", 1, 1, story.get(), "Squeezed"}));

    // Styles already validated, say by an earlier story, are not reported again.
    std::vector<StoryError> errors;
    std::vector<Counted<const Style>> validated{styles_->GetStyle("Base")};
    Exporter().ValidateStory(story, errors, true, validated);
    EXPECT_THAT(Messages(Flatten(errors)),
                ElementsAre("Unsupported last line outdent in style", "Unsupported shear in style",
                            "Unsupported scale in style"));
    EXPECT_EQ(validated.size(), 3u);
}

TEST_F(ValidationTest, StylesTaggedWithOneClassNameClash) {
    const auto tag = [](const char* cls) { return EPubTag::Make(EPubTag::ClassSet, {}, cls); };
    AddParagraphStyle("Intro", {}, {}, {}, tag("lead"));
    AddParagraphStyle("Summary", {}, {}, {}, tag("lead"));
    AddParagraphStyle("Aside", {}, {}, {}, tag("aside"));
    auto b = Builder();
    b.Paragraph("Intro").Text("a");
    b.Paragraph("Aside").Text("b");
    b.Paragraph("Summary").Text("c");
    b.Paragraph("Intro").Text("d");
    const auto story = b.Build();
    EXPECT_THAT(Validate(story),
                ElementsAre(Finding{"Styles 'Intro' and 'Summary' both use class name 'lead'", 4, 4,
                                    story.get(), "Summary"}));

    settings_->reportClassNameClashes = false;
    EXPECT_THAT(Validate(story), IsEmpty());
}

TEST_F(ValidationTest, UncheckedLocalFormattingLeavesOnlyStyles) {
    AddCharacterStyle("Kerned", Set({{GlyphDouble::ManualKerning, 0.05}}));
    auto b = Builder();
    b.Paragraph({}, ParaDelta(Set({{ParaInt::KeepWithNext, 1}})));
    b.Text("a", {}, Kerning(0.1)).Text("b", "Kerned");
    const auto story = b.Build();
    EXPECT_THAT(Messages(Validate(story, false)),
                ElementsAre("Unsupported manual kerning in style"));
    EXPECT_EQ(Validate(story, true).size(), 3u);
}

// ---- Notes, tables, frames ----

TEST_F(ValidationTest, NoteBodiesAreValidatedInTheirOwnStory) {
    auto body = Builder();
    body.Paragraph().Text("xx").Text("yy", {}, Kerning(0.2));
    const auto note = body.Build();
    auto b = Builder();
    b.Paragraph().Text("text").Note(NoteKind::Footnote, note).Text(".");
    const auto story = b.Build();
    EXPECT_THAT(Validate(story), ElementsAre(Finding{kKerning, 2, 5, note.get(), ""}));
}

TEST_F(ValidationTest, TablesReportTheirCellsAtThePinAndTheirText) {
    TableFormatSettings format;
    format.cellFill = Gradient();
    TableBuilder tb(styles_, 2, 1);
    tb.Settings().format = TableFormat::Make(format);
    CellFormatOverride own;
    own.fill = Solid();
    own.borders[static_cast<size_t>(CellSide::Left)] = BorderFormat{Gradient(), CustomDash()};
    tb.Settings().overrides.push_back({1, 0, own});
    tb.Cell(0, 0).Text("a", {}, GlyphDelta(Set({{GlyphDouble::Shear, 8.0}})));
    tb.Cell(1, 0).Text("b");
    const auto table = tb.Build();
    auto b = Builder();
    b.Paragraph().Text("x").Table(table).Text("y");
    const auto story = b.Build();
    EXPECT_THAT(Validate(story),
                ElementsAre(Finding{"Unsupported cell brush", 1, 2, story.get(), ""},
                            Finding{"Unsupported cell stroke", 1, 2, story.get(), ""},
                            Finding{"Unsupported cell pen", 1, 2, story.get(), ""},
                            Finding{"Unsupported shear", 0, 2, table->GetStory().get(), ""}));
}

TEST_F(ValidationTest, TableAndFrameFormatsAreCheckedWhereTheyDraw) {
    TableFormatSettings s;
    s.innerHorizontal = BorderFormat{Solid(), CustomDash()};
    s.innerVertical = BorderFormat{Gradient(), Dotted()};
    s.outer = BorderFormat{Solid(), Dotted()};
    const auto format = TableFormat::Make(s);
    EXPECT_THAT(Sheet().ValidateTableFormat(format, {1, 1}), IsEmpty());
    EXPECT_THAT(Sheet().ValidateTableFormat(format, {1, 2}),
                ElementsAre("Unsupported cell stroke"));
    EXPECT_THAT(Sheet().ValidateTableFormat(format, {2, 1}), ElementsAre("Unsupported cell pen"));
    EXPECT_THAT(Sheet().ValidateTableFormat(nullptr, {3, 3}), IsEmpty());

    EXPECT_THAT(Sheet().ValidateFrameFormat(Solid(), Gradient(), Dotted()),
                ElementsAre("Unsupported pen"));
    // A stroke that is not drawn cannot be drawn wrongly.
    EXPECT_THAT(Sheet().ValidateFrameFormat(nullptr, Gradient(), nullptr), IsEmpty());
    EXPECT_THAT(Sheet().ValidateFrameFormat(nullptr, nullptr, CustomDash()), IsEmpty());
}

TEST_F(ValidationTest, FramesReportTheirFormatAndText) {
    auto inner = Builder();
    inner.Paragraph().Text("in", {}, Kerning(0.1));
    FrameSettings frame;
    frame.story = inner.Build();
    frame.background = Gradient();
    frame.strokeFill = Solid();
    frame.stroke = CustomDash();
    auto b = Builder();
    b.Paragraph().Text("ab").Frame(frame);
    const auto story = b.Build();
    EXPECT_THAT(Validate(story),
                ElementsAre(Finding{"Unsupported brush", 2, 3, story.get(), ""},
                            Finding{"Unsupported linestyle", 2, 3, story.get(), ""},
                            Finding{kKerning, 0, 3, frame.story.get(), ""}));

    // A host that validates frames itself is asked instead.
    int asked = 0;
    Exporter().Callbacks().validateFrame = [&](const AnchoredFrame&, const StoryPos& pos,
                                               std::vector<StoryError>&) {
        ++asked;
        EXPECT_EQ(pos.GetIndex(), 2u);
    };
    EXPECT_THAT(Validate(story), ElementsAre(Finding{kKerning, 0, 3, frame.story.get(), ""}));
    EXPECT_EQ(asked, 1);
}

// ---- The attribute checks and their switches ----

// A delta that trips every check once.
Delta Everything() {
    Decoration decoration;
    decoration.sides = DecorationSide::All;
    decoration.penFill = Gradient();
    decoration.lineStyle = CustomDash();
    decoration.background = Gradient();
    decoration.opacity = 0.5;
    AttributeSet paragraph = Set({
        {ParaInt::LeadingMode, LeadingMode::AtLeast},
        {ParaInt::KeepWithPrevious, 1},
        {ParaInt::KeepWithNext, 1},
        {ParaInt::HyphenMinWordLength, 4},
        {ParaInt::HyphenMinPrefix, 3},
        {ParaInt::HyphenMinSuffix, 3},
        {ParaInt::HyphenMaxConsecutive, 2},
        {ParaDouble::DefaultTabStop, 36.0},
        {ParaDouble::WordSpacingMax, 2.0},
        {ParaDouble::LetterSpacingMin, -0.05},
        {ParaDouble::HyphenationScore, 3.0},
        {ParaDouble::HyphenationZone, 18.0},
        {ParaDouble::HyphenationZoneCapitals, 1.0},
        {ParaDouble::HyphenationZoneParagraphEnd, 1.0},
        {ParaDouble::HyphenationZoneColumnEnd, 1.0},
        {ParaDouble::LastLineOutdent, 6.0},
        {ParaObject::TabStops, Tabs(20)},
        {ParaObject::Decorations, Obj(DecorationsAtt::Make({decoration}))},
    });
    AttributeSet glyph = Set({
        {GlyphDouble::ManualKerning, 0.02},
        {GlyphDouble::VerticalScale, 1.1},
        {GlyphDouble::Shear, 5.0},
        {GlyphDouble::Leading, 14.0},
        {GlyphObject::TextFill, Obj(FillAtt::Make(Gradient()))},
        {GlyphObject::HighlightFill, Obj(FillAtt::Make(Gradient()))},
        {GlyphObject::UnderlineFill, Obj(FillAtt::Make(Gradient()))},
        {GlyphObject::StrikethroughFill, Obj(FillAtt::Make(Gradient()))},
        {GlyphObject::OutlineStroke, Obj(LineStyleAtt::Make(Dotted()))},
        {GlyphObject::Transparency, Obj(FillAtt::Make(Solid()))},
        {GlyphObject::OpticalAlignment, Obj(OpticalAlignmentAtt::Make({{U'"', 0.5, 0.5}}))},
        {GlyphObject::ColourEffect, Obj(ColourEffectAtt::Make("glow", Solid(), 3))},
    });
    return Delta(std::move(paragraph), std::move(glyph));
}

struct SwitchRows {
    bool ExportSettings::*report;
    std::set<std::string> messages;
};

const std::vector<SwitchRows>& Switches() {
    static const std::vector<SwitchRows> rows{
        {&ExportSettings::reportKerning, {"Unsupported manual kerning"}},
        {&ExportSettings::reportScaleShear, {"Unsupported scale", "Unsupported shear"}},
        {&ExportSettings::reportLeading, {"Unsupported absolute leading", "Unsupported leading"}},
        {&ExportSettings::reportFills,
         {"Unsupported fill", "Unsupported outline", "Unsupported highlight",
          "Unsupported underline fill", "Unsupported strikeout fill"}},
        {&ExportSettings::reportTransparency, {"Unsupported transparency"}},
        {&ExportSettings::reportOpticalAlignment, {"Unsupported optical alignment"}},
        {&ExportSettings::reportColourEffects, {"Unsupported colour effect"}},
        {&ExportSettings::reportTabStops, {"Unsupported tab stops"}},
        {&ExportSettings::reportSpacing,
         {"Unsupported word spacing", "Unsupported letter spacing"}},
        {&ExportSettings::reportHyphenation,
         {"Unsupported hyphentation score", "Unsupported hyphentation zone",
          "Unsupported hyphentation zone capitals", "Unsupported hyphenation zone paragraph end",
          "Unsupported hyphenation zone column end", "Unsupported hyphenation min length",
          "Unsupported hyphenation min prefix", "Unsupported hyphenation min suffix",
          "Unsupported max consecutive hyphens"}},
        {&ExportSettings::reportLastLineOutdent, {"Unsupported last line outdent"}},
        {&ExportSettings::reportKeepOptions,
         {"Unsupported keep with previous", "Unsupported keep with next"}},
        {&ExportSettings::reportDecorations,
         {"Unsupported decoration fill", "Unsupported decoration pen",
          "Unsupported decoration transparency", "Unsupported decoration line style"}},
    };
    return rows;
}

std::multiset<std::string> Visit(const ExportSettings& settings, const Delta& delta) {
    UnsupportedPropertyVisitor visitor(settings);
    visitor.Visit(delta);
    std::multiset<std::string> out;
    for (const ValidationMessage& m : visitor.GetMessages())
        out.insert(m.text.str());
    return out;
}

TEST_F(ValidationTest, EverySwitchTurnsOffExactlyItsRows) {
    const Delta everything = Everything();
    std::multiset<std::string> all;
    for (const SwitchRows& s : Switches())
        all.insert(s.messages.begin(), s.messages.end());
    // Each message once, though tab stops, scale and spacing are met more than once.
    EXPECT_EQ(Visit(*settings_, everything), all);

    for (const SwitchRows& s : Switches()) {
        ExportSettings settings(*settings_);
        settings.*(s.report) = false;
        std::multiset<std::string> expected;
        for (const std::string& m : all)
            if (!s.messages.contains(m))
                expected.insert(m);
        EXPECT_EQ(Visit(settings, everything), expected) << *s.messages.begin();
    }
}

TEST_F(ValidationTest, WhatCssExpressesIsNotReported) {
    Decoration plain;
    plain.sides = DecorationSide::Bottom;
    plain.penFill = Solid();
    plain.lineStyle = Dotted();
    Decoration hidden = plain;
    hidden.enabled = false;
    hidden.background = Gradient();
    const Delta expressible(
        Set({
            {ParaInt::LeadingMode, LeadingMode::Exactly},
            {ParaInt::HyphenMinWordLength, 6}, // the default
            {ParaDouble::WordSpacingMin, 0.8},
            {ParaObject::TabStops, Obj(TabStopsAtt::Make({}))},
            {ParaObject::Decorations, Obj(DecorationsAtt::Make({plain, hidden}))},
        }),
        Set({
            {GlyphDouble::ManualKerning, 0.0},
            {GlyphDouble::HorizontalScale, 1.0},
            {GlyphDouble::Tracking, 0.1},
            {GlyphObject::TextFill, Obj(FillAtt::Make(Solid()))},
            {GlyphObject::HighlightFill, Obj(FillAtt::Make(Render::FillDescriptor::MakeNone()))},
            {GlyphObject::Transparency, Obj(FillAtt::Make(Render::FillDescriptor::MakeNone()))},
            {GlyphObject::OpticalAlignment, Obj(OpticalAlignmentAtt::Make({}))},
        }));
    EXPECT_THAT(Visit(*settings_, expressible), IsEmpty());
}

TEST_F(ValidationTest, EmptyAndNullInputsAreQuiet) {
    EXPECT_THAT(Validate(Builder().Build()), IsEmpty());
    EXPECT_THAT(Validate(nullptr), IsEmpty());
    EXPECT_THAT(Sheet().ValidateGlyphAtts(nullptr, nullptr, true), IsEmpty());
}

} // namespace

namespace {

// Lengths beyond a page are clamped in the CSS, so the pass says the document asked otherwise.
TEST_F(ValidationTest, LengthsBeyondAPageAreReported) {
    auto b = Builder();
    b.Paragraph({}, ParaDelta(Set({{ParaDouble::LeftIndent, 1e308}})));
    b.Text("a", {}, GlyphDelta(Set({{GlyphDouble::Size, 1e9}})));
    b.Paragraph({}, ParaDelta(Set({{ParaDouble::LeftIndent, 1000.0}}))).Text("b");
    const auto story = b.Build();
    EXPECT_THAT(Messages(Validate(story)),
                UnorderedElementsAre("Unsupported length", "Unsupported font size"));
}

} // namespace
