// SPDX-License-Identifier: MIT
// The JSON layer of the tool: mistakes that nlohmann alone would accept or abort on are input
// errors with the file, line, column and JSON path, in export and in --check alike.

#include "hostimpl/foundation/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

using FoundationTest::ScratchDir;

namespace {

struct Result {
    int status = -1;
    std::string err;
};

class JsonInput : public ::testing::Test {
protected:
    // Runs from the scratch folder so that messages name the input as given.
    Result Run(const std::string& json, const std::string& mode) {
        std::ofstream(dir_ / "in.json", std::ios::binary) << json;
        const std::string cmd = "cd '" + (dir_ / ".") + "' && '" + EPUBEXPORT_PATH + "' " + mode +
                                " >/dev/null 2>stderr.txt";
        const int raw = std::system(cmd.c_str());
        std::ifstream in(dir_ / "stderr.txt");
        std::ostringstream err;
        err << in.rdbuf();
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err.str()};
    }

    // Both commands refuse `json` with exit 2 and a message containing `expected`; the export
    // leaves no output behind.
    void ExpectRefused(const std::string& json, const std::string& expected) {
        for (const std::string mode : {"in.json -o out.epub", "--check in.json"}) {
            const Result r = Run(json, mode);
            EXPECT_EQ(r.status, 2) << mode << ": " << r.err;
            EXPECT_NE(r.err.find(expected), std::string::npos) << mode << ": " << r.err;
            EXPECT_FALSE(std::filesystem::exists(dir_ / "out.epub"));
        }
    }

    ScratchDir dir_;
};

TEST_F(JsonInput, DuplicateKeysAreRefusedWithTheirPlaceAndPath) {
    ExpectRefused(R"({"metadata": {"title": "a", "title": "b"}, "stories": []})",
                  "in.json:1:29: $.metadata.title: the key \"title\" appears twice");
    // Deep inside an array, on a later line, with an escaped quote before it.
    ExpectRefused("{\"stories\": [\n  {\"file\": \"a.xhtml\", \"paragraphs\": []},\n"
                  "  {\"file\": \"b\\\"c.xhtml\",\n   \"file\": \"d.xhtml\"}]}",
                  "in.json:4:4: $.stories[1].file: the key \"file\" appears twice");
    // The same key in sibling objects is fine; the document then fails for another reason.
    const Result r =
        Run(R"({"stories": [{"file": "a.xhtml"}, {"file": "a.xhtml"}]})", "--check in.json");
    EXPECT_EQ(r.err.find("appears twice"), std::string::npos) << r.err;
}

TEST_F(JsonInput, NumbersBeyondADoubleAreRefusedWithTheirPlaceAndPath) {
    ExpectRefused("{\"stories\": [{\"file\": \"a.xhtml\", \"paragraphs\": [\n"
                  "  {\"style\": \"Body\", \"text\": \"x\", \"spaceBefore\": 1e400}]}]}",
                  "in.json:2:49: $.stories[0].paragraphs[0].spaceBefore: the number 1e400 is "
                  "out of range");
    ExpectRefused(R"({"stories": [-2e308]})",
                  "in.json:1:14: $.stories[0]: the number -2e308 is out of range");
}

TEST_F(JsonInput, SyntaxErrorsKeepLineAndColumn) {
    ExpectRefused("{\"stories\": [\n  {\"file\": \"a.xhtml\"\n  ]}", "in.json:3:3: invalid JSON:");
    ExpectRefused("", "in.json:1:1: invalid JSON:");
    // Far into a large file, whose early text the parser has long given back.
    std::string big = "{\"stories\": [{\"file\": \"a.xhtml\", \"paragraphs\": [\n";
    for (int i = 0; i < 40000; ++i)
        big += "  \"Line " + std::to_string(i) + " of text, long enough to fill pages.\",\n";
    big += "  \"last\",]}]}";
    ExpectRefused(big, "in.json:40002:10: invalid JSON:");
}

} // namespace
