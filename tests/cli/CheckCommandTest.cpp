// SPDX-License-Identifier: MIT
// Runs `epubexport --check` on small documents and checks its lines and exit status.

#include "ToolFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

using Result = ToolTest::Output;

class CheckTool : public ToolTest::Tool {
protected:
    Result Run(const std::string& args) { return Capture(args); }
};

// Every story starts with its start mark at position 0, so "ab" is at 1-2.
const char* const WithFindings = R"({
  "styles": [
    {"name": "Body"},
    {"name": "Note \"body\"", "paragraph": {"keepWithNext": true}},
    {"name": "Wide", "kind": "character", "character": {"horizontalScale": 1.5}}
  ],
  "stories": [
    {"file": "one.xhtml", "paragraphs": [
      {"style": "Body", "runs": ["ab", {"text": "cd", "character": {"manualKerning": 0.1}},
                                {"text": "ef", "character": {"manualKerning": 0.2}}, "gh",
                                {"footnote": "see", "style": "Note \"body\""}]},
      {"style": "Body", "runs": ["x", {"text": "wide", "style": "Wide"}]}
    ]},
    {"file": "two.xhtml", "paragraphs": [
      {"runs": [{"text": "w", "style": "Wide"}, {"text": "s", "character": {"shear": 10.0}}, "."]}
    ]}
  ]
})";

TEST_F(CheckTool, ListsEachProblemOnceOnItsOwnLine) {
    Write("book.json", WithFindings);
    const Result r = Run("--check book.json");
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(
        r.lines,
        ElementsAre(
            R"(book.json: story 1 ("one.xhtml"), characters 3-7: Unsupported manual kerning)",
            R"(book.json: story 1 ("one.xhtml"), style "Wide": Unsupported scale in style)",
            R"(book.json: story 1 ("one.xhtml"), note at character 9, style "Note \"body\"": )"
            R"(Unsupported keep with next in style)",
            R"(book.json: story 1 ("one.xhtml"), characters 0-16: )"
            R"(No paragraph is tagged as a heading (h1 to h6))",
            R"(book.json: story 2 ("two.xhtml"), characters 2-3: Unsupported shear)"));
}

TEST_F(CheckTool, CleanDocumentListsNothing) {
    Write("clean.json", R"({"styles": [{"name": "Body", "paragraph": {"leftIndent": 12.0}},
                                       {"name": "Title", "epubTag": {"element": "h1"}}],
                            "stories": [{"file": "a.xhtml",
                                         "paragraphs": [{"style": "Title", "text": "Title"},
                                                        {"style": "Body", "text": "Fine."}]}]})");
    const Result r = Run("--check clean.json");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.lines, IsEmpty());
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "a.xhtml"));
}

TEST_F(CheckTool, BadInputAndBadCommandLinesAreStatusTwo) {
    Write("broken.json", "{\"stories\": [");
    const Result broken = Run("--check broken.json");
    EXPECT_EQ(broken.status, 2);
    EXPECT_THAT(broken.lines, IsEmpty());
    EXPECT_THAT(broken.err, HasSubstr("broken.json:"));

    EXPECT_EQ(Run("--check missing.json").status, 2);
    Write("book.json", WithFindings);
    EXPECT_EQ(Run("--check book.json -o out.epub").status, 2);
    EXPECT_EQ(Run("--check book.json --html site").status, 2);
    EXPECT_EQ(Run("--check").status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.epub"));
}

} // namespace

// One document with every kind of formatting the CSS cannot carry: each finding appears once,
// paragraph problems cover their paragraph, and nothing expressible is reported.
TEST_F(CheckTool, EveryUnsupportedFeatureIsFoundOnce) {
    Write("all.json", R"JSON({"styles": [
  {"name": "Tabbed", "paragraph": {"tabStops": [{"position": 36}]}},
  {"name": "A", "epubTag": {"class": "same"}},
  {"name": "B", "epubTag": {"class": "same"}}
 ],
 "stories": [{"file": "a.xhtml", "paragraphs": [
  {"runs": [{"text": "k", "character": {"manualKerning": 0.1}},
            {"text": "s", "character": {"horizontalScale": 1.2}},
            {"text": "h", "character": {"shear": 10}},
            {"text": "l", "character": {"leading": 14}},
            {"text": "f", "character": {"textFill": {"gradient": [{"position": 0, "colour": "#000000"}, {"position": 1, "colour": "#ffffff"}]}}},
            {"text": "o", "character": {"outlineStroke": {"width": 1}}},
            {"text": "t", "character": {"transparency": "#000000"}},
            {"text": "g", "character": {"highlightFill": {"gradient": [{"position": 0, "colour": "#000000"}, {"position": 1, "colour": "#ffffff"}]}}},
            {"text": "u", "character": {"underlineFill": {"gradient": [{"position": 0, "colour": "#000000"}, {"position": 1, "colour": "#ffffff"}]}}},
            {"text": "x", "character": {"strikethroughFill": {"gradient": [{"position": 0, "colour": "#000000"}, {"position": 1, "colour": "#ffffff"}]}}},
            {"text": "a", "character": {"opticalAlignment": [{"character": "\"", "left": 0.5}]}},
            {"text": "e", "character": {"colourEffect": {"kind": "glow", "fill": "#ff0000", "radius": 2}}}]},
  {"paragraph": {"leadingMode": 3}, "text": "leading"},
  {"paragraph": {"keepWithPrevious": 1, "keepWithNext": 1}, "text": "keeps"},
  {"paragraph": {"hyphenMinWordLength": 4, "hyphenMinPrefix": 3, "hyphenMinSuffix": 3, "hyphenMaxConsecutive": 2}, "text": "hyphens"},
  {"paragraph": {"wordSpacingMin": 0.5, "letterSpacingMax": 0.1}, "text": "spacing"},
  {"paragraph": {"lastLineOutdent": 5}, "text": "outdent"},
  {"style": "Tabbed", "paragraph": {"tabStops": [{"position": 72}]}, "text": "tabs"},
  {"paragraph": {"decorations": [{"colour": "#000000", "stroke": {"width": 1, "dash": "dashed"}, "background": {"gradient": [{"position": 0, "colour": "#000000"}, {"position": 1, "colour": "#ffffff"}]}, "opacity": 0.5}]}, "text": "decorated"},
  {"style": "A", "text": "a"}, {"style": "B", "text": "b"}
 ]}]}
)JSON");
    const Result r = Run("--check all.json");
    EXPECT_EQ(r.status, 3) << r.err;
    std::vector<std::string> messages;
    for (const std::string& line : r.lines)
        messages.push_back(line.substr(line.rfind(": ") + 2));
    EXPECT_THAT(
        messages,
        ElementsAre("Unsupported manual kerning", "Unsupported scale", "Unsupported shear",
                    "Unsupported absolute leading", "Unsupported fill", "Unsupported outline",
                    "Unsupported transparency", "Unsupported highlight",
                    "Unsupported underline fill", "Unsupported strikeout fill",
                    "Unsupported optical alignment", "Unsupported colour effect",
                    "Unsupported leading", "Unsupported keep with next",
                    "Unsupported keep with previous", "Unsupported hyphenation min length",
                    "Unsupported hyphenation min prefix", "Unsupported hyphenation min suffix",
                    "Unsupported max consecutive hyphens", "Unsupported word spacing",
                    "Unsupported letter spacing", "Unsupported last line outdent",
                    "Unsupported tab stops in style", "Unsupported tab stops",
                    "Unsupported decoration fill", "Unsupported decoration transparency",
                    "Styles 'A' and 'B' both use class name 'same'",
                    "No paragraph is tagged as a heading (h1 to h6)"));
    ASSERT_GE(r.lines.size(), 14u);
    EXPECT_THAT(r.lines[13], HasSubstr("characters 22-28: Unsupported keep with next"));

    // Switched off, a group of findings disappears and nothing else changes.
    std::string quiet = Read(dir_ / "all.json");
    quiet.insert(1, R"("validation": {"hyphenation": false, "fills": false},)");
    Write("quiet.json", quiet);
    const Result q = Run("--check quiet.json");
    EXPECT_EQ(q.lines.size(), r.lines.size() - 9) << q.err;
    for (const std::string& line : q.lines) {
        EXPECT_THAT(line, ::testing::Not(HasSubstr("hyphen")));
        if (line.find("decoration") == std::string::npos) {
            EXPECT_THAT(line, ::testing::Not(HasSubstr(" fill")));
        }
    }
}
