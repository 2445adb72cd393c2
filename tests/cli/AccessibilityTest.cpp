// SPDX-License-Identifier: MIT
// Accessibility of exported publications: the metadata derived from what was written, the print
// page source, and the accessibility findings of `--check`.

#include "hostimpl/foundation/ZipTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

using FoundationTest::ReadFileBytes;
using FoundationTest::ReadZip;
using FoundationTest::ScratchDir;
using FoundationTest::WriteFileBytes;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

namespace {

// The package document's metadata: every meta property and dc element with its values.
using Metadata = std::map<std::string, std::vector<std::string>>;

class Accessibility : public ::testing::Test {
protected:
    Accessibility() {
        std::filesystem::copy_file(std::string(EPUB_SOURCE_DIR) + "/examples/cover.png",
                                   dir_ / "cover.png");
    }

    int Run(const std::string& args, std::vector<std::string>* lines = nullptr) {
        const std::string out = dir_ / "stdout.txt";
        const std::string cmd = "cd '" + dir_ / "." + "' && '" + EPUBEXPORT_PATH + "' " + args +
                                " >'" + out + "' 2>'" + dir_ / "stderr.txt" + "'";
        const int raw = std::system(cmd.c_str());
        if (lines) {
            std::istringstream text(ReadFileBytes(out));
            for (std::string line; std::getline(text, line);)
                lines->push_back(line);
        }
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    Metadata Export(const std::string& json) {
        WriteFileBytes(dir_ / "book.json", json);
        EXPECT_EQ(Run("book.json -o book.epub"), 0) << ReadFileBytes(dir_ / "stderr.txt");
        std::string opf;
        for (const auto& record : ReadZip(dir_ / "book.epub"))
            if (record.name == "OEBPS/package.opf")
                opf = record.data;
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(opf.c_str())) << opf;
        Metadata meta;
        for (const auto& node : doc.child("package").child("metadata").children()) {
            const std::string name = node.name();
            const std::string key =
                name == "meta" ? std::string(node.attribute("property").value()) : name;
            if (!key.empty())
                meta[key].push_back(node.text().get());
        }
        return meta;
    }

    std::vector<std::string> Check(const std::string& json, int status = 3) {
        WriteFileBytes(dir_ / "book.json", json);
        std::vector<std::string> lines;
        EXPECT_EQ(Run("--check book.json", &lines), status) << ReadFileBytes(dir_ / "stderr.txt");
        return lines;
    }

    ScratchDir dir_;
};

const char* const HeadingStyle =
    R"({"name": "Title", "character": {"size": 20}, "epubTag": {"element": "h1"}})";

// Text only, no headings, no pictures, no pages.
const char* const PlainText = R"({
  "metadata": {"title": "Plain", "language": "en"},
  "stories": [{"file": "a.xhtml", "toc": "Start", "paragraphs": ["Hello.", "Bye."]}]
})";

// The claim is left to the exporter, as a publisher who trusts its checks would.
std::string Rich(const std::string& metadataExtra, const std::string& pictureExtra,
                 const std::string& conformance = "derive") {
    return R"({
  "accessibility": {"conformance": ")" +
           conformance + R"("},
  "metadata": {"title": "Rich", "language": "en")" +
           metadataExtra + R"(},
  "styles": [)" +
           HeadingStyle +
           R"(],
  "stories": [{"file": "a.xhtml", "toc": "One", "page": "1", "paragraphs": [
    {"style": "Title", "text": "One"},
    {"runs": ["A picture: ", {"image": "cover.png", "width": 20, "height": 30)" +
           pictureExtra + R"(},
              " and an ornament ", {"image": "cover.png", "width": 5, "height": 5}, "."]}
  ]}]
})";
}

TEST_F(Accessibility, TextOnlyPublicationGetsTextualMetadataWithoutConformance) {
    Metadata meta = Export(PlainText);
    EXPECT_THAT(meta["schema:accessMode"], ElementsAre("textual"));
    EXPECT_THAT(meta["schema:accessModeSufficient"], ElementsAre("textual"));
    EXPECT_THAT(meta["schema:accessibilityFeature"],
                ElementsAre("displayTransformability", "readingOrder", "tableOfContents"));
    EXPECT_THAT(meta["schema:accessibilityHazard"], ElementsAre("none"));
    ASSERT_EQ(meta["schema:accessibilitySummary"].size(), 1u);
    EXPECT_THAT(meta["schema:accessibilitySummary"][0], HasSubstr("a table of contents"));
    EXPECT_THAT(meta["schema:accessibilitySummary"][0], HasSubstr("Checked automatically"));
    // Without tagged headings there is no structure to navigate by: no claim.
    EXPECT_EQ(meta.count("dcterms:conformsTo"), 0u);
    EXPECT_EQ(meta.count("pageBreakSource"), 0u);
}

TEST_F(Accessibility, DescribedPicturesHeadingsAndPagesAreAllDeclared) {
    Metadata meta = Export(Rich(R"(, "pageSource": "978-0-00-000000-2")",
                                R"(, "alt": "A harbour", "description": "Boats at dawn.")"));
    EXPECT_THAT(meta["schema:accessMode"], ElementsAre("textual", "visual"));
    EXPECT_THAT(meta["schema:accessModeSufficient"], ElementsAre("textual"));
    EXPECT_THAT(meta["schema:accessibilityFeature"],
                ElementsAre("alternativeText", "displayTransformability", "longDescription",
                            "pageNavigation", "readingOrder", "structuralNavigation",
                            "tableOfContents", "printPageNumbers"));
    EXPECT_THAT(meta["dcterms:conformsTo"],
                ElementsAre("EPUB Accessibility 1.1 - WCAG 2.1 Level AA"));
    EXPECT_EQ(meta.count("a11y:certifiedBy"), 0u);
    EXPECT_THAT(meta["schema:accessibilitySummary"][0], HasSubstr("text alternatives"));
    // The print edition, as the package document writes an ISBN.
    EXPECT_THAT(meta["pageBreakSource"], ElementsAre("urn:isbn:978-0-00-000000-2"));
    EXPECT_THAT(meta["dc:source"], ElementsAre("978-0-00-000000-2"));
}

TEST_F(Accessibility, APictureWithoutTextAlternativeWithholdsSufficiencyAndConformance) {
    Metadata meta = Export(Rich(R"(, "pageSource": "9780000000002")", R"(, "class": "pic")"));
    EXPECT_THAT(meta["schema:accessMode"], ElementsAre("textual", "visual"));
    EXPECT_EQ(meta.count("schema:accessModeSufficient"), 0u);
    EXPECT_THAT(meta["schema:accessibilityFeature"], Not(Contains("alternativeText")));
    EXPECT_EQ(meta.count("dcterms:conformsTo"), 0u);
    EXPECT_THAT(meta["schema:accessibilitySummary"][0], HasSubstr("no text alternative"));
}

TEST_F(Accessibility, APageListWithoutItsPrintEditionIsNotClaimedConformant) {
    Metadata meta = Export(Rich("", R"(, "alt": "A harbour")"));
    EXPECT_THAT(meta["schema:accessibilityFeature"], Contains("pageNavigation"));
    EXPECT_EQ(meta.count("pageBreakSource"), 0u);
    EXPECT_EQ(meta.count("dc:source"), 0u);
    EXPECT_EQ(meta.count("dcterms:conformsTo"), 0u);
}

TEST_F(Accessibility, OtherPageSourcesAreWrittenAsGiven) {
    Metadata meta =
        Export(Rich(R"(, "pageSource": "Harbour Press & Co, 1911")", R"(, "alt": "A harbour")"));
    EXPECT_THAT(meta["pageBreakSource"], ElementsAre("Harbour Press & Co, 1911"));
    EXPECT_THAT(meta["dc:source"], ElementsAre("Harbour Press & Co, 1911"));
    EXPECT_THAT(meta["dcterms:conformsTo"],
                ElementsAre("EPUB Accessibility 1.1 - WCAG 2.1 Level AA"));
}

TEST_F(Accessibility, NoClaimIsMadeUnlessTheDocumentLeavesItToTheExporter) {
    const std::string good = R"(, "pageSource": "978-0-00-000000-2")";
    // Nothing stands against a claim, yet the document did not ask for one.
    std::string json = Rich(good, R"(, "alt": "A harbour")");
    json.erase(json.find(R"("accessibility")"),
               json.find(R"("metadata")") - json.find(R"("accessibility")"));
    Metadata meta = Export(json);
    EXPECT_EQ(meta.count("dcterms:conformsTo"), 0u);
    EXPECT_THAT(meta["schema:accessibilitySummary"][0], Not(HasSubstr("WCAG")));

    // An explicit "none" holds, and certification of a claim not made is left out.
    json = Rich(good, R"(, "alt": "A harbour")", "none");
    json.replace(json.find(R"("none"})"), 7,
                 R"("none", "certifiedBy": "Checkers Ltd", "credentials": "Gold",
                    "reportLink": "https://example.org/report"})");
    meta = Export(json);
    EXPECT_EQ(meta.count("dcterms:conformsTo"), 0u);
    EXPECT_EQ(meta.count("a11y:certifiedBy"), 0u);
    EXPECT_EQ(meta.count("a11y:certifierCredential"), 0u);
    EXPECT_EQ(ReadFileBytes(dir_ / "stderr.txt").find("certif"), std::string::npos);

    // "derive" claims only what the checks allow.
    meta = Export(Rich(good, R"(, "class": "pic")"));
    EXPECT_EQ(meta.count("dcterms:conformsTo"), 0u);
}

TEST_F(Accessibility, WhatTheDocumentGivesWins) {
    std::string json = PlainText;
    json.insert(json.find("\"stories\""),
                R"("accessibility": {"features": ["ARIA"], "summary": "Our own words.",
                  "conformance": "WCAG20A", "certifiedBy": "Checkers Ltd"},
                  )");
    Metadata meta = Export(json);
    EXPECT_THAT(meta["schema:accessibilityFeature"], ElementsAre("ARIA"));
    EXPECT_THAT(meta["schema:accessibilitySummary"], ElementsAre("Our own words."));
    EXPECT_THAT(meta["dcterms:conformsTo"],
                ElementsAre("EPUB Accessibility 1.1 - WCAG 2.0 Level A"));
    EXPECT_THAT(meta["a11y:certifiedBy"], ElementsAre("Checkers Ltd"));
    // What it leaves out is still derived.
    EXPECT_THAT(meta["schema:accessMode"], ElementsAre("textual"));
    EXPECT_THAT(meta["schema:accessibilityHazard"], ElementsAre("none"));
}

// The story's start mark is character 0, so "One" is 1-4 and the paragraph break 4.
TEST_F(Accessibility, CheckNamesPicturesFaintTextAndUnknownLanguages) {
    const std::vector<std::string> lines = Check(R"({
  "metadata": {"pageSource": "9780000000002"},
  "styles": [)" + std::string(HeadingStyle) + R"(],
  "stories": [{"file": "a.xhtml", "page": "1", "paragraphs": [
    {"style": "Title", "text": "One"},
    {"runs": ["ab", {"text": "faint", "character": {"textFill": {"colour": "#1d5c8c", "opacity": 0.5}}},
              {"image": "cover.png", "width": 10, "height": 10, "class": "pic"},
              {"image": "cover.png", "width": 10, "height": 10},
              {"text": "xy", "character": {"language": "qq"}},
              {"text": "ok", "character": {"textFill": "#1d5c8c"}},
              {"footnote": [{"runs": [{"text": "pale", "character": {"textFill": "#cccccc"}}]}]}]}
  ]}]
})");
    EXPECT_THAT(
        lines,
        UnorderedElementsAre(
            R"(book.json: story 1 ("a.xhtml"), characters 7-12: Text contrast 2.33:1 is below 4.5:1)",
            R"(book.json: story 1 ("a.xhtml"), characters 12-13: Picture without alternative text)",
            R"(book.json: story 1 ("a.xhtml"), characters 14-16: Unknown language "qq")",
            R"(book.json: story 1 ("a.xhtml"), note at character 18, characters 0-4: Text colour #CCCCCC (contrast 1.60:1) written as #767676 (4.54:1) to be readable)"));
}

TEST_F(Accessibility, FaintColoursAreDarkenedUnlessTheDocumentSaysNot) {
    const auto book = [](const std::string& options) {
        return R"({"options": {)" + options + R"(}, "metadata": {"title": "T", "language": "en"},
  "styles": [)" +
               std::string(HeadingStyle) +
               R"(, {"name": "Blue", "character": {"textFill": "#4F81BD"}},
    {"name": "Big", "character": {"textFill": "#4F81BD", "size": 24}}],
  "stories": [{"file": "a.xhtml", "paragraphs": [{"style": "Title", "text": "One"},
    {"style": "Blue", "text": "Faint"}, {"style": "Big", "text": "Large"}]}]})";
    };
    const auto css = [&] {
        for (const auto& record : ReadZip(dir_ / "book.epub"))
            if (record.name == "OEBPS/css/styles.css")
                return record.data;
        return std::string();
    };
    // Large text passes as it is; ordinary text gets the nearest readable blue.
    Export(book(""));
    std::string sheet = css();
    EXPECT_EQ(sheet.find("#4F81BD"), sheet.rfind("#4F81BD")) << sheet;
    EXPECT_NE(sheet.find("#4F81BD"), std::string::npos) << sheet;
    const std::vector<std::string> lines = Check(book(""));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(
        lines[0],
        HasSubstr(R"(characters 5-10: Text colour #4F81BD (contrast 4.03:1) written as #)"));
    EXPECT_NE(sheet.find(lines[0].substr(lines[0].find("as #") + 3, 7)), std::string::npos);
    Export(book(R"("minimumTextContrast": 0)"));
    sheet = css();
    EXPECT_NE(sheet.find("#4F81BD"), sheet.rfind("#4F81BD")) << sheet;
    EXPECT_THAT(
        Check(book(R"("minimumTextContrast": 0)")),
        ElementsAre(
            R"(book.json: story 1 ("a.xhtml"), characters 5-10: Text contrast 4.03:1 is below 4.5:1)",
            R"(book.json: story 1 ("a.xhtml"), characters 11-16: Text contrast 4.03:1 is below 4.5:1)"));
    WriteFileBytes(dir_ / "book.json", book(R"("minimumTextContrast": 0.5)"));
    EXPECT_EQ(Run("book.json -o book.epub"), 2);
}

TEST_F(Accessibility, CheckNamesWhatThePublicationAsAWholeLacks) {
    const std::string json = R"({
  "metadata": {"language": "LANG"},
  "stories": [{"file": "a.xhtml", "paragraphs": ["Hello."]},
              {"file": "b.xhtml", "page": "1", "paragraphs": ["Bye."]}]
})";
    auto with = [&](const std::string& language) {
        std::string text = json;
        return text.replace(text.find("LANG"), 4, language);
    };
    // An empty tag is no language at all: the tool refuses it before any check. "und" reads as
    // missing for the publication, and as unknown for the text that takes it.
    EXPECT_THAT(Check(with(""), 2), IsEmpty());
    EXPECT_THAT(
        Check(with("und")),
        ElementsAre(
            R"(book.json: story 1 ("a.xhtml"), characters 0-7: The publication's language is missing)",
            R"(book.json: story 1 ("a.xhtml"), characters 0-7: No paragraph is tagged as a heading (h1 to h6))",
            R"(book.json: story 1 ("a.xhtml"), characters 1-7: Unknown language "und")",
            R"(book.json: story 2 ("b.xhtml"), characters 0-1: Page list without the print edition it comes from (pageSource))",
            R"(book.json: story 2 ("b.xhtml"), characters 1-5: Unknown language "und")"));
    EXPECT_THAT(
        Check(with("english")),
        Contains(
            R"(book.json: story 1 ("a.xhtml"), characters 0-7: Unknown publication language "english")"));

    // The switch silences them all.
    std::string off = with("english");
    off.insert(1, R"("validation": {"accessibility": false}, )");
    EXPECT_THAT(Check(off, 0), IsEmpty());
}

TEST_F(Accessibility, AnAccessiblePublicationChecksClean) {
    EXPECT_THAT(Check(Rich(R"(, "pageSource": "9780000000002")", R"(, "alt": "A harbour")"), 0),
                IsEmpty());
}

} // namespace
