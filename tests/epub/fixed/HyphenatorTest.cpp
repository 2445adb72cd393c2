// SPDX-License-Identifier: MIT
// Hyphenation and justification of text frames: where words break, the hyphen a reader sees at
// the end of the line, and lines that fill their column without passing it.

#include "epub/fixed/FixedTextSetter.h"
#include "epub/fixed/Hyphenator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <string>
#include <vector>

namespace {

using EPub::HyphenationRules;
using EPub::Hyphenator;

TEST(Hyphenator, BreaksWordsOfLanguagesWithADictionaryWithinTheLimits) {
    Hyphenator h;
    const HyphenationRules rules;
    const std::vector<size_t> points = h.Points("Hyphenation", "en-US", rules);
    ASSERT_FALSE(points.empty());
    // hy-phen-ation: capitals are matched as lower case.
    EXPECT_EQ(points.front(), 2u);
    EXPECT_EQ(h.Points("hyphenation", "en", rules), points);
    EXPECT_TRUE(h.Points("hyphenation", "xx", rules).empty());
    HyphenationRules off = rules;
    off.enabled = false;
    EXPECT_TRUE(h.Points("hyphenation", "en-US", off).empty());
    HyphenationRules longWords = rules;
    longWords.minWordLength = 12;
    EXPECT_TRUE(h.Points("hyphenation", "en-US", longWords).empty());
    HyphenationRules wide = rules;
    wide.minPrefix = 3;
    wide.minSuffix = 5;
    for (const size_t p : h.Points("hyphenation", "en-US", wide))
        EXPECT_TRUE(p >= 3 && p <= 6) << p;

    // Other languages where hyphen-de is installed; points fall between characters, not bytes.
    if (std::filesystem::exists("/usr/share/hyphen/hyph_de_DE.dic")) {
        const std::string word = "Gemütlichkeit";
        const auto german = h.Points(word, "de-AT", rules);
        ASSERT_FALSE(german.empty());
        for (const size_t p : german)
            EXPECT_NE(static_cast<unsigned char>(word[p]) & 0xC0, 0x80) << p;
        const auto silben = h.Points("Silbentrennung", "de", rules);
        EXPECT_NE(std::find(silben.begin(), silben.end(), 6u), silben.end());
    }

    // Punctuation around a word is not part of it; numbers and compounds are left alone.
    const std::string text = "(hyphenation), x-ray 2026th";
    const std::string joined = "Unbreakable\xC2\xA0spaces";
    const auto nbsp = Hyphenator::WordCore(joined, 0, joined.size());
    EXPECT_EQ(nbsp.first, nbsp.second);
    EXPECT_EQ(Hyphenator::WordCore(text, 0, 14), std::make_pair(size_t(1), size_t(12)));
    const auto compound = Hyphenator::WordCore(text, 15, 20);
    EXPECT_EQ(compound.first, compound.second);
    const auto number = Hyphenator::WordCore(text, 21, text.size());
    EXPECT_EQ(number.first, number.second);
}

EPub::StyledText Dejavu(std::string text) {
    EPub::StyledText s;
    s.text = std::move(text);
    s.font.family = "DejaVu Sans";
    s.size = 12;
    s.language = "en-US";
    s.fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 0, 0));
    return s;
}

struct Line {
    std::string text;
    double left = 1e9, right = -1e9;
};

// The lines of a frame as a reader sees them: their runs' text joined, and their extent.
std::vector<Line> SetLines(EPub::FixedTextSetter& setter, const EPub::Paragraph& p, double width) {
    std::vector<Foundation::Counted<const Render::Node>> out;
    std::string error;
    EXPECT_TRUE(setter.SetFrame({p}, {{0, 0, width, 1000}}, out, error)) << error;
    std::vector<Line> lines;
    for (const auto& n : out) {
        if (n->Kind() != Render::NodeKind::GlyphRun)
            continue;
        const auto& run = static_cast<const Render::GlyphRunNode&>(*n);
        if (size_t(run.story.line) >= lines.size())
            lines.resize(size_t(run.story.line) + 1);
        Line& line = lines[size_t(run.story.line)];
        line.text += run.text;
        line.left = std::min(line.left, run.origin.x);
        line.right = std::max(line.right, run.origin.x + run.advance);
    }
    return lines;
}

const char* kProse = "Typographers distinguish extraordinarily meticulous justification from "
                     "approximate arrangements; hyphenation makes narrow columns considerably "
                     "more even, characteristically without rivers.";

TEST(FixedHyphenation, JustifiedColumnsHyphenateAndFillWithoutPassingTheirEdge) {
    EPub::FixedTextSetter setter;
    EPub::Paragraph p;
    p.runs = {Dejavu(kProse)};
    p.format.alignment = 3;
    const double width = 110;
    const std::vector<Line> lines = SetLines(setter, p, width);
    ASSERT_GT(lines.size(), 4u);
    size_t hyphenated = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        EXPECT_GE(l.left, -1e-6) << l.text;
        EXPECT_LE(l.right, width + 1e-6) << l.text;
        // Every line but the last reaches the right edge.
        if (i + 1 < lines.size() && l.text.find(' ') != std::string::npos) {
            EXPECT_NEAR(l.right, width, 1e-6) << l.text;
        }
        hyphenated += l.text.back() == '-';
    }
    EXPECT_GT(hyphenated, 0u);
    // The words come back whole when the hyphens are taken out.
    std::string joined;
    for (const Line& l : lines) {
        std::string t = l.text;
        if (t.back() == '-')
            t.pop_back();
        else
            t += ' ';
        joined += t;
    }
    joined.pop_back();
    EXPECT_EQ(joined, kProse);

    // Hyphenation off: no line ends in a hyphen. At most one in a row: never two.
    p.format.hyphenation.enabled = false;
    for (const Line& l : SetLines(setter, p, width))
        EXPECT_NE(l.text.back(), '-') << l.text;
    p.format.hyphenation.enabled = true;
    p.format.hyphenation.maxConsecutive = 1;
    const auto limited = SetLines(setter, p, width);
    for (size_t i = 1; i < limited.size(); ++i)
        EXPECT_FALSE(limited[i - 1].text.back() == '-' && limited[i].text.back() == '-')
            << limited[i].text;
}

TEST(FixedHyphenation, SoftHyphensShowOnlyWhereTheLineBreaks) {
    EPub::FixedTextSetter setter;
    EPub::Paragraph p;
    // No dictionary for the language: only the soft hyphens can break the long word.
    EPub::StyledText s = Dejavu("Some super\xC2\xAD"
                               "cali\xC2\xAD"
                               "fragil\xC2\xAD"
                               "istic words");
    s.language = "xx";
    p.runs = {s};
    const std::vector<Line> lines = SetLines(setter, p, 75);
    ASSERT_GT(lines.size(), 1u);
    bool broke = false;
    for (const Line& l : lines) {
        if (l.text.back() == '-') {
            broke = true;
            EXPECT_FALSE(l.text.ends_with("\xC2\xAD-")) << l.text;
        }
        EXPECT_LE(l.right, 75 + 1e-6) << l.text;
    }
    EXPECT_TRUE(broke);
    // Wide enough: nothing breaks, nothing shows.
    const auto one = SetLines(setter, p, 1000);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].text.find('-'), std::string::npos);
}

} // namespace
