// SPDX-License-Identifier: MIT
// List paragraphs carry the label Word shows: numbers counted through overrides, restarts and
// other paragraphs, parent numbers in multi-level labels, bullets from symbol fonts.

#include "readers/docx/DocxPackage.h"

#include "host/text/ListAtt.h"
#include "host/text/ParagraphAtts.h"

#include <gtest/gtest.h>

using namespace DocxTest;

namespace {

std::string Item(const std::string& text, int numId, int level = 0) {
    return "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"" + std::to_string(level) +
           "\"/><w:numId w:val=\"" + std::to_string(numId) + "\"/></w:numPr></w:pPr><w:r><w:t>" +
           text + "</w:t></w:r></w:p>";
}

std::string Level(int level, const std::string& format, const std::string& text,
                  const std::string& extra = {}) {
    return "<w:lvl w:ilvl=\"" + std::to_string(level) +
           "\"><w:start w:val=\"1\"/><w:numFmt w:val=\"" + format + "\"/><w:lvlText w:val=\"" +
           text + "\"/>" + extra + "</w:lvl>";
}

const std::string kNumbering =
    "<w:abstractNum w:abstractNumId=\"0\">" + Level(0, "decimal", "%1.") +
    Level(1, "decimal", "%1.%2.") + Level(2, "lowerLetter", "(%3)") +
    "</w:abstractNum>"
    "<w:abstractNum w:abstractNumId=\"1\">" +
    Level(0, "bullet", "\xEF\x82\xB7", "<w:rPr><w:rFonts w:ascii=\"Symbol\"/></w:rPr>") +
    Level(1, "bullet", "o", "<w:rPr><w:rFonts w:ascii=\"Courier New\"/></w:rPr>") +
    "</w:abstractNum>"
    "<w:abstractNum w:abstractNumId=\"2\">" +
    Level(0, "upperRoman", "%1)") +
    "</w:abstractNum>"
    "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"
    "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"1\"/></w:num>"
    "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"0\"/><w:lvlOverride w:ilvl=\"0\">"
    "<w:startOverride w:val=\"5\"/></w:lvlOverride></w:num>"
    "<w:num w:numId=\"4\"><w:abstractNumId w:val=\"2\"/></w:num>";

struct Label {
    Text::ListType type;
    int level;
    std::string text; // prefix, number and suffix, or the bullet
};

// The label as a reader sees it: the host's count up to the paragraph, in its format.
Label LabelOf(const Readers::Document& doc, const char* text) {
    const auto& story = doc.stories.at(0).story;
    const auto target = Find(story, text);
    auto numberer = Text::Numberer::Make();
    for (auto pos = story->gbegin(); pos < story->gend(); pos = pos.GetParagraphEnd()) {
        const auto list = pos.GetParagraphAtts()->GetList();
        if (list)
            numberer->Advance(*list);
        if (pos.GetParagraphEnd() <= target)
            continue;
        if (!list)
            return {Text::ListType::None, 0, {}};
        if (list->GetType() == Text::ListType::Bullet)
            return {list->GetType(), list->GetLevel(), list->GetBulletString().ToText().str()};
        return {
            list->GetType(), list->GetLevel(),
            list->GetPrefix().ToText().str() +
                Text::FormatNumber(numberer->GetNumber(list->GetLevel()), list->GetNumberFormat())
                    .str() +
                list->GetSuffix().ToText().str()};
    }
    return {Text::ListType::None, 0, {}};
}

} // namespace

TEST(DocxLists, NumbersFollowWordsCountersAcrossLevelsAndInterruptions) {
    Parts parts;
    parts.numbering = kNumbering;
    parts.body = Item("one", 1) + Item("one-a", 1, 1) + Item("one-b", 1, 1) + Item("deep", 1, 2) +
                 Para("an interruption") + Item("two", 1) + Item("two-a", 1, 1) + Item("roman", 4) +
                 Item("roman two", 4) + Item("restarted", 3) + Item("three", 1);
    const auto doc = Read(parts);
    EXPECT_EQ(LabelOf(doc, "one").text, "1.\t");
    EXPECT_EQ(LabelOf(doc, "one-a").text, "1.1.\t");
    EXPECT_EQ(LabelOf(doc, "one-b").text, "1.2.\t");
    EXPECT_EQ(LabelOf(doc, "one-b").level, 1);
    EXPECT_EQ(LabelOf(doc, "deep").text, "(a)\t");
    EXPECT_EQ(LabelOf(doc, "an interruption").type, Text::ListType::None);
    EXPECT_EQ(LabelOf(doc, "two").text, "2.\t");
    // A shallower item restarts the deeper level.
    EXPECT_EQ(LabelOf(doc, "two-a").text, "2.1.\t");
    EXPECT_EQ(LabelOf(doc, "roman two").text, "II)\t");
    // An instance with a start override counts on its own...
    EXPECT_EQ(LabelOf(doc, "restarted").text, "5.\t");
    // ...and the shared definition goes on where it was.
    EXPECT_EQ(LabelOf(doc, "three").text, "3.\t");
}

TEST(DocxLists, TheHostCountsTheSameNumbersWhenItWalksTheStory) {
    Parts parts;
    parts.numbering = kNumbering;
    parts.body = Item("a", 1) + Item("b", 1) + Item("c", 3) + Item("d", 3) + Item("e", 1);
    const auto doc = Read(parts);
    const auto& story = doc.stories.at(0).story;
    std::vector<int> numbers;
    auto numberer = Text::Numberer::Make();
    for (auto pos = story->gbegin(); pos < story->gend(); pos = pos.GetParagraphEnd())
        if (const auto list = pos.GetParagraphAtts()->GetList()) {
            numberer->Advance(*list);
            numbers.push_back(numberer->GetNumber(list->GetLevel()));
        }
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 5, 6, 3}));
}

TEST(DocxLists, SymbolFontBulletsBecomeUnicode) {
    Parts parts;
    parts.numbering = kNumbering;
    parts.body = Item("dot", 2) + Item("circle", 2, 1);
    const auto doc = Read(parts);
    EXPECT_EQ(LabelOf(doc, "dot").type, Text::ListType::Bullet);
    EXPECT_EQ(LabelOf(doc, "dot").text, "\u2022\t");
    EXPECT_EQ(LabelOf(doc, "circle").text, "\u25E6\t");
}

TEST(DocxLists, UnknownListsAndNumberingOffLeavePlainParagraphs) {
    Parts parts;
    parts.numbering = kNumbering;
    parts.body = Item("no such list", 99) + Item("switched off", 0);
    const auto doc = Read(parts);
    EXPECT_EQ(LabelOf(doc, "no such list").type, Text::ListType::None);
    EXPECT_EQ(LabelOf(doc, "switched off").type, Text::ListType::None);
    EXPECT_EQ(Plain(doc), "no such list\nswitched off");
}
