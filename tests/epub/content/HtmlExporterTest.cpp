// SPDX-License-Identifier: MIT
// Plain XHTML output through the library alone: the same name rules and errors as the tool's
// folder export, and an accessibility check an embedder can run itself.

#include "epub/content/HtmlExporter.h"

#include "epub/content/AccessibilityCheck.h"
#include "epub/content/AccessibilityValidator.h"
#include "hostimpl/text/StoryBuilder.h"
#include "tests/hostimpl/foundation/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace EPub;
using FoundationTest::ScratchDir;

namespace {

struct Book {
    Counted<Text::StyleSheet> styles = Text::StyleSheet::Make(Text::TextDocument::Make());
    Counted<ExportSettings> settings = [this] {
        auto s = Foundation::MakeCounted<ExportSettings>();
        s->styles = styles;
        s->defaultGlyphAtts = styles->GetDocument()->GetDefaultGlyphAtts();
        s->language = "en";
        s->title = "Plain";
        return s;
    }();
    Counted<FlowingEPubOptions> options = Foundation::MakeCounted<FlowingEPubOptions>(
        Render::FileExportOptionsVector::Preset::Standard);
    Counted<const Text::Story> Story(const char* text) const {
        return Text::StoryBuilder(styles).Text(text).Build();
    }
};

TEST(HtmlExporter, WritesOnlyInsideItsFolderAndCreatesSubfolders) {
    ScratchDir dir;
    const std::string folder = dir / "out";
    std::filesystem::create_directories(folder);
    Book book;
    HtmlExporter exporter(book.settings, book.options);
    exporter.SetRootFilename(StringT(folder + "/index.html"));
    const auto story = book.Story("Hello");

    EXPECT_TRUE(exporter.ExportStory(story, story->gend(), "sub/b.xhtml", "B"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/sub/b.xhtml"));

    for (const char* name : {"../x.xhtml", "sub/../../x.xhtml", "/tmp/x.xhtml", "a\\b.xhtml"}) {
        EXPECT_FALSE(exporter.ExportStory(story, story->gend(), name, "")) << name;
        EXPECT_NE(exporter.GetLastError().Find("would leave"), StringT::npos) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x.xhtml"));
    // The style sheets are the output's own; names differing in case are one file.
    EXPECT_FALSE(exporter.ExportStory(story, story->gend(), "Styles.css", ""));
    EXPECT_NE(exporter.GetLastError().Find("taken by the output"), StringT::npos);
    EXPECT_FALSE(exporter.ExportStory(story, story->gend(), "SUB/B.xhtml", ""));
    EXPECT_NE(exporter.GetLastError().Find("written twice"), StringT::npos);
    EXPECT_TRUE(exporter.End());
    EXPECT_TRUE(std::filesystem::exists(folder + "/styles.css"));
}

TEST(HtmlExporter, AnEmbedderRunsTheAccessibilityCheckItself) {
    Book book;
    HtmlExporter exporter(book.settings, book.options);
    const auto story = book.Story("No heading here.");
    std::vector<StoryError> errors;
    AccessibilityCheck(exporter, *book.styles, {{story, false, {}}}).AddFindings(0, errors);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front().messages.front(), NoHeadingsMessage());

    book.settings->reportAccessibility = false;
    errors.clear();
    AccessibilityCheck(exporter, *book.styles, {{story, false, {}}}).AddFindings(0, errors);
    EXPECT_TRUE(errors.empty());
}

} // namespace
