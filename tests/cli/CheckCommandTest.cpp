// Runs `epubexport --check` on small documents and checks its lines and exit status.

#include "hostimpl/foundation/ZipTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

using FoundationTest::ScratchDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

struct Result {
    int status = -1;
    std::vector<std::string> lines; // standard output
    std::string err;
};

class CheckTool : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Runs from the scratch folder so that findings name the input as given.
    Result Run(const std::string& args) {
        const std::string out = dir_ / "stdout.txt";
        const std::string err = dir_ / "stderr.txt";
        const std::string cmd = "cd '" + std::string(dir_ / ".") + "' && '" + EPUBEXPORT_PATH +
                                "' " + args + " >'" + out + "' 2>'" + err + "'";
        const int raw = std::system(cmd.c_str());
        Result r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, {}, Read(err)};
        std::istringstream lines(Read(out));
        for (std::string line; std::getline(lines, line);)
            r.lines.push_back(line);
        return r;
    }

    ScratchDir dir_;
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
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(
        r.lines,
        ElementsAre(
            R"(book.json: story 1 ("one.xhtml"), characters 3-7: Unsupported manual kerning)",
            R"(book.json: story 1 ("one.xhtml"), style "Wide": Unsupported scale in style)",
            R"(book.json: story 1 ("one.xhtml"), note at character 9, style "Note \"body\"": )"
            R"(Unsupported keep with next in style)",
            R"(book.json: story 2 ("two.xhtml"), characters 2-3: Unsupported shear)"));
}

TEST_F(CheckTool, CleanDocumentListsNothing) {
    Write("clean.json", R"({"styles": [{"name": "Body", "paragraph": {"leftIndent": 12.0}}],
                            "stories": [{"file": "a.xhtml",
                                         "paragraphs": [{"style": "Body", "text": "Fine."}]}]})");
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
