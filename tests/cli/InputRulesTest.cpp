// SPDX-License-Identifier: MIT
// Documents the format reference does not allow are refused with exit status 2 and the JSON path
// of the mistake, in an export and in --check, before anything is written.

#include "cli/ToolFixture.h"

#include <filesystem>

namespace {

using ToolTest::Result;
using ToolTest::Tool;

struct Case {
    std::string json;
    const char* expected;
};

std::string WithStyle(const std::string& style) {
    return R"({"styles": [)" + style + R"(], "stories": []})";
}

std::string WithParagraph(const std::string& paragraph) {
    return R"({"stories": [{"file": "a.xhtml", "paragraphs": [)" + paragraph + "]}]}";
}

class InputRules : public Tool {
protected:
    void ExpectAllRefused(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.json);
            const Result r = ExpectRefused(c.json);
            EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
            const Result check = Run("--check '" + std::string(dir_ / "in.json") + "'");
            EXPECT_EQ(check.status, 2) << check.err;
        }
    }
};

TEST_F(InputRules, StyleBasesAndNamesMustBeSound) {
    ExpectAllRefused({
        {WithStyle(R"({"name": "A", "base": "A"})"),
         "$.styles[0].base: style \"A\" cannot be its own base"},
        {WithStyle(R"({"name": "A", "base": ""})"), "$.styles[0].base: a base style needs a name"},
        {WithStyle(R"({"name": "A", "base": "B"}, {"name": "B", "base": "A"})"),
         "$.styles[0].base: unknown style \"B\""},
        {WithParagraph(R"({"style": "", "text": "x"})"),
         "$.stories[0].paragraphs[0].style: a style needs a name"},
        {WithParagraph(R"({"runs": [{"text": "x", "style": ""}]})"),
         "runs[0].style: a style needs a name"},
        {WithStyle(R"({"name": "P", "paragraph": {"dropCap": {"style": "Nope"}}})"),
         "$.styles[0].paragraph.dropCap.style: unknown style \"Nope\""},
        {WithStyle(R"({"name": "P", "paragraph": {"dropCap": {"style": "P"}}})"),
         "dropCap.style: style \"P\" is not a character style"},
        {WithStyle(R"({"name": "P", "epubTag": {"element": "p onclick=\"x\""}})"),
         "$.styles[0].epubTag.element: \"p onclick=\"x\"\" is not an element"},
        {WithStyle(R"({"name": "P", "epubTag": {"element": "em"}})"),
         "is not an element a paragraph style"},
        {WithStyle(R"({"name": "C", "kind": "character", "epubTag": {"element": "h1"}})"),
         "is not an element a character style"},
        {WithStyle(R"({"name": "P", "epubTag": {"class": "a\"b&c<d"}})"),
         "$.styles[0].epubTag.class: \"a\"b&c<d\" is not a CSS class name"},
        {WithStyle(R"({"name": "P", "epubTag": {"class": "1st"}})"), "is not a CSS class name"},
    });
    // A character style named by a drop cap may come later in the list.
    const auto r = Export(WithStyle(R"({"name": "P", "paragraph": {"dropCap": {"style": "D"}}},
                                        {"name": "D", "kind": "character"})"));
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(InputRules, ValuesOutsideTheirRangesAreRefused) {
    ExpectAllRefused({
        {WithStyle(R"({"name": "B", "character": {"fontWeight": -1}})"),
         "$.styles[0].character.fontWeight: must be between 1 and 1000"},
        {WithStyle(R"({"name": "B", "character": {"size": 0}})"),
         "$.styles[0].character.size: must be greater than 0"},
        {WithStyle(R"({"name": "B", "character": {"size": -3.5}})"), "character.size: must be"},
        {WithStyle(R"({"name": "B", "paragraph": {"alignment": 10}})"),
         "$.styles[0].paragraph.alignment: must be between 0 and 9"},
        {WithStyle(R"({"name": "B", "paragraph": {"leftIndent": 1e308}})"),
         "$.styles[0].paragraph.leftIndent: must be between -100000 and 100000"},
        {WithStyle(R"({"name": "B", "character": {"horizontalScale": 0}})"),
         "horizontalScale: must be"},
        {WithStyle(R"({"name": "B", "character": {"language": "en us"}})"),
         "is not a language tag"},
        {R"({"metadata": {"language": "<x>"}, "stories": []})", "$.metadata.language: "},
        {R"({"options": {"resolution": 1e-300}, "stories": []})",
         "$.options.resolution: must be between 1 and 100000"},
        {WithParagraph(R"({"runs": [{"table": {"columns": [10], "rows": [["a"], ["b"]],
            "headerRows": 2, "footerRows": 1}}]})"),
         "runs[0].table: \"headerRows\" and \"footerRows\" together exceed the 2 row(s)"},
        {WithParagraph(R"({"runs": [{"table": {"columns": [1e308], "rows": [["a"]]}}]})"),
         "runs[0].table.columns[0]: must be at most 100000"},
        {WithParagraph(R"({"runs": [{"frame": {"width": 1e308, "height": 5, "paragraphs": []}}]})"),
         "runs[0].frame: a frame needs"},
        // The deepest list level the text model has is 15; 16 to 32 used to abort the tool.
        {WithParagraph(R"({"paragraph": {"list": {"level": 16}}, "text": "x"})"),
         "$.stories[0].paragraphs[0].paragraph.list.level: must be between 0 and 15"},
        {WithParagraph(R"({"page": "", "text": "x"})"),
         "$.stories[0].paragraphs[0].page: a page needs a label"},
        {R"({"stories": [{"file": "a.xhtml", "page": ""}]})",
         "$.stories[0].page: a page needs a label"},
        {WithParagraph(R"({"runs": [{"frame": {"width": 5, "height": 5, "paragraphs": [],
            "border": {"width": 1}}}]})"),
         "runs[0].frame.border: missing field \"colour\""},
        {WithParagraph(R"({"character": {"textFill": {"colour": "#000000", "opacity": 2}}})"),
         "character.textFill.opacity: must be between 0 and 1"},
    });
    const auto deepest =
        Export(WithParagraph(R"({"paragraph": {"list": {"level": 15}}, "text": "x"})"));
    EXPECT_EQ(deepest.status, 0) << deepest.err;
}

TEST_F(InputRules, FilesMustBeWhatTheyClaimToBe) {
    Write("bad.svg", "<svg xmlns='http://www.w3.org/2000/svg'><g></svg>");
    Write("script.svg", "<svg xmlns='http://www.w3.org/2000/svg'><script>alert(1)</script></svg>");
    Write("handler.svg", "<svg xmlns='http://www.w3.org/2000/svg' onload='alert(1)'/>");
    Write("binary.css", std::string("p { color: red }\0\x01\xff\xfe", 20));
    Write("garbage.icc", std::string(500, 'x'));
    const std::string svg = R"({"runs": [{"svg": "FILE", "width": 10, "height": 10}]})";
    const auto withSvg = [&](const char* file) {
        std::string run = svg;
        run.replace(run.find("FILE"), 4, file);
        return WithParagraph(run);
    };
    ExpectAllRefused({
        {withSvg("bad.svg"), "runs[0].svg: \""},
        {withSvg("bad.svg"), "not well-formed XML"},
        {withSvg("script.svg"), "it holds a <script> element"},
        {withSvg("handler.svg"), "event handler attribute \"onload\""},
        {R"({"css": ["binary.css"], "stories": []})", "$.css[0]: "},
        {R"({"colourProfiles": {"rgb": "garbage.icc"}, "stories": []})",
         "$.colourProfiles.rgb: \""},
    });
}

// Links must lead somewhere: the report is not part of the publication, so a relative link to it
// points at nothing, and a web link needs a host.
TEST_F(InputRules, LinksAreUrlsAReaderCanFollow) {
    ExpectAllRefused({
        {WithParagraph(R"({"runs": [{"text": "x", "character": {"hyperlink": "https://"}}]})"),
         "runs[0].character.hyperlink: \"https://\" is not a URL a reader can follow"},
        {WithParagraph(
             R"({"runs": [{"text": "x", "character": {"hyperlink": {"url": "50% off"}}}]})"),
         "runs[0].character.hyperlink.url: \"50% off\" is not a URL"},
        {R"({"accessibility": {"reportLink": "2nd"}, "stories": []})",
         "$.accessibility.reportLink: \"2nd\" is not an absolute http or https URL"},
        {R"({"accessibility": {"reportLink": "mailto:a@example.org"}, "stories": []})",
         "is not an absolute http or https URL"},
        {R"({"accessibility": {"reportLink": "50% \u0645"}, "stories": []})",
         "$.accessibility.reportLink: "},
        {R"({"accessibility": {"reportLink": "https://example.org/a report"}, "stories": []})",
         "is not an absolute http or https URL"},
    });
}

TEST_F(InputRules, NamesThePackageWritesItselfAreRefused) {
    ExpectAllRefused({
        {R"({"stories": [{"file": "toc.xhtml"}]})",
         "$.stories[0].file: file name \"toc.xhtml\" is taken"},
        {R"({"stories": [{"file": "css/styles.css"}]})", "$.stories[0].file: "},
        {R"({"stories": [{"file": "Package.OPF"}]})", "is taken by the publication"},
        {R"({"stories": [{"file": "images/a.xhtml"}]})", "is taken by the publication"},
        {R"({"stories": [{"file": "A.xhtml"}, {"file": "a.xhtml"}]})",
         "$.stories[1].file: file name \"a.xhtml\" differs from \"A.xhtml\" only in case"},
        // Splitting "a.xhtml" makes "a_2.xhtml", the name of the second story.
        {R"({"options": {"splitStories": true}, "stories": [
            {"file": "a.xhtml", "paragraphs": ["x", {"runs": [{"break": "page"}, "y"]}]},
            {"file": "a_2.xhtml", "paragraphs": ["z"]}]})",
         "$.stories[0].file: splitting gives a document \"a_2.xhtml\", which is also the name of "
         "story 2"},
    });
}

// Texts inside texts, groups inside groups and styles based on styles recurse: past the limit the
// document is refused, where a few thousand levels used to overflow the stack.
TEST_F(InputRules, DeepNestingIsRefusedBeforeItExhaustsTheStack) {
    const auto nest = [](const std::string& open, const std::string& inner,
                         const std::string& close, int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += open;
        text += inner;
        for (int i = 0; i < depth; ++i)
            text += close;
        return text;
    };
    const auto frames = [&](int depth) {
        return WithParagraph(
            nest(R"({"runs": [{"frame": {"width": 5, "height": 5, "paragraphs": [)", R"("x")",
                 "]}}]}", depth));
    };
    const auto groups = [&](int depth) {
        return R"({"layout": "fixed", "metadata": {"title": "T", "language": "en"},
                   "pages": [{"width": 50, "height": 50, "items": [)" +
               nest(
                   R"({"type": "group", "items": [)",
                   R"({"type": "rect", "x": 0, "y": 0, "width": 5, "height": 5, "fill": "#000000"})",
                   "]}", depth) +
               "]}]}";
    };
    const auto styles = [](int count) {
        std::string list = R"({"name": "S0"})";
        for (int i = 1; i < count; ++i)
            list += R"(, {"name": "S)" + std::to_string(i) + R"(", "base": "S)" +
                    std::to_string(i - 1) + "\"}";
        return R"({"styles": [)" + list + R"(], "stories": [{"file": "a.xhtml", "paragraphs": [
                   {"style": "S)" +
               std::to_string(count - 1) + R"(", "text": "x"}]}]})";
    };
    EXPECT_EQ(Export(styles(100)).status, 0);
    EXPECT_EQ(Export(frames(32)).status, 0);
    EXPECT_EQ(Export(groups(256)).status, 0);
    ExpectAllRefused({
        {frames(33), "are nested more than 32 deep"},
        {frames(5000), "notes, frames and tables are nested more than 32 deep"},
        {groups(257), "groups are nested more than 256 deep"},
        {styles(101), "$.styles[100].base: style \"S100\" has more than 99 bases in a row"},
        {styles(30000), "$.styles[100].base: style \"S100\" has more than 99 bases in a row"},
        {groups(100000), "groups are nested more than 256 deep"},
    });
}

} // namespace
