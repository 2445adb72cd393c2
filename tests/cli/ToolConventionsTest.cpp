// SPDX-License-Identifier: MIT
// The tool as a shell user meets it: standard input and output, the exit statuses, the system's
// reasons for unreadable files, metadata, cover and style sheets from the command line, -q and
// -v, the progress line on a terminal, and shell completion generated from the option table.

#include "cli/ToolFixture.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kBook = R"({"metadata": {"title": "Harbour", "author": "Doc Author"},
 "css": ["extra.css"], "styles": [{"name": "Title", "epubTag": {"element": "h1"}}],
 "stories": [{"file": "one.xhtml", "paragraphs": [{"style": "Title", "text": "One"}, "First."]},
             {"file": "two.xhtml", "paragraphs": [{"style": "Title", "text": "Two"}, "Second."]}]})";

const std::string kFixed = R"({"layout": "fixed", "options": {"cover": false},
 "metadata": {"title": "Pages", "language": "en"},
 "pages": [{"width": 200, "height": 300, "items": []}, {"width": 200, "height": 300, "items": []}]})";

class Conventions : public ToolTest::Tool {
protected:
    void SetUp() override {
        Write("extra.css", "p.custom { color: #336699; }\n");
        fs::create_directory(dir_ / "tmp");
    }

    // Runs `command` in the scratch folder with "TOOL" standing for the tool and TMPDIR inside
    // the scratch folder; standard output is kept in "stdout.bin".
    ToolTest::Result Shell(std::string command) {
        for (size_t at; (at = command.find("TOOL")) != std::string::npos;)
            command.replace(at, 4, "'" + std::string(EPUBEXPORT_PATH) + "'");
        const std::string err = dir_ / "stderr.txt";
        const std::string full = "cd '" + std::string(dir_ / ".") + "' && TMPDIR='" +
                                 std::string(dir_ / "tmp") + "' && export TMPDIR && (" + command +
                                 ") >stdout.bin 2>'" + err + "'";
        const int raw = std::system(full.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read(err)};
    }

    bool TemporaryFolderEmpty() { return fs::is_empty(dir_ / "tmp"); }
};

TEST_F(Conventions, StandardInputToStandardOutputForEveryLayout) {
    Write("book.json", kBook);
    // Through pipes both ways; "extra.css" is found in the current folder.
    ToolTest::Result r = Shell("cat book.json | TOOL - -o - | cat");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    auto records = FoundationTest::ReadZip(dir_ / "stdout.bin");
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().name, "mimetype");
    auto entries = Entries(dir_ / "stdout.bin");
    EXPECT_EQ(entries.count("OEBPS/two.xhtml"), 1u);
    bool styled = false;
    for (const auto& [name, data] : entries)
        styled |= data.find("#336699") != std::string::npos;
    EXPECT_TRUE(styled);
    EXPECT_TRUE(TemporaryFolderEmpty());

    Write("pages.json", kFixed);
    r = Shell("TOOL - --output=- <pages.json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Entries(dir_ / "stdout.bin").count("OEBPS/page2.xhtml"), 1u);

    // Mistakes are reported against "<stdin>", and the copy is gone afterwards.
    r = Shell("printf '{\"stories\": [\\n  {\"file\": 3}]}' | TOOL - -o out.epub");
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("epubexport: <stdin>:2:12: $.stories[0].file: expected"));
    EXPECT_THAT(r.err, Not(HasSubstr("tmp")));
    EXPECT_FALSE(fs::exists(dir_ / "out.epub"));
    EXPECT_TRUE(TemporaryFolderEmpty());

    // A file named like an option, after "--".
    Write("-book.json", kBook);
    r = Shell("TOOL -o out.epub -- -book.json");
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(Conventions, AnInterruptionRemovesTheCopyOfStandardInput) {
    // Standard input stays open (the shell holds the FIFO's other end) until the copy is
    // there; then SIGTERM.
    const ToolTest::Result r =
        Shell("mkfifo in && exec 3<>in && { TOOL - -o out.epub <in & pid=$!; } && "
              "for i in $(seq 400); do [ -n \"$(ls tmp)\" ] && break; sleep 0.05; done; "
              "ls tmp >seen; kill -TERM $pid; wait $pid; echo $? >status; exec 3>&-");
    EXPECT_NE(Read(dir_ / "seen"), "") << r.err;
    EXPECT_EQ(Read(dir_ / "status"), "143\n"); // ended by the signal, as without the cleanup
    EXPECT_TRUE(TemporaryFolderEmpty());
}

TEST_F(Conventions, EachOutcomeHasItsOwnExitStatus) {
    Write("book.json", kBook);
    Write("lossy.json", R"({"stories": [{"file": "a.xhtml", "paragraphs": [
        {"runs": [{"text": "slanted", "character": {"shear": 10.0}}]}]}]})");
    struct Case {
        const char* command;
        int status;
    };
    const Case cases[] = {
        {"TOOL book.json -o out.epub", 0},
        {"TOOL book.json -o out.epub --fail-on-warnings", 0}, // nothing to warn about
        {"TOOL book.json -o missing/out.epub", 1},            // cannot be written
        {"TOOL book.json -o out.epub --unknown", 2},
        {"echo '{' | TOOL - -o out.epub", 2},
        {"TOOL --check book.json", 0},
        {"TOOL --check lossy.json", 3},
        {"TOOL --check - <lossy.json", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const ToolTest::Result r = Shell(c.command);
        EXPECT_EQ(r.status, c.status) << r.err;
    }
}

TEST_F(Conventions, FileErrorsGiveTheSystemsReason) {
    fs::create_directory(dir_ / "folder");
    Write("book.json", kBook);
    Write("notes.txt", "not a picture");
    struct Case {
        const char* command;
        const char* message;
    };
    const Case cases[] = {
        {"TOOL nothere.json -o out.epub",
         "epubexport: cannot read \"nothere.json\": No such file or directory\n"},
        {"TOOL folder -o out.epub", "epubexport: \"folder\" is a folder, not a file\n"},
        {"TOOL book.json -o out.epub --cover gone.png",
         "epubexport: cannot read \"gone.png\": No such file or directory\n"},
        {"TOOL book.json -o out.epub --cover notes.txt",
         "epubexport: \"notes.txt\" is not a JPEG, PNG or GIF image\n"},
        {"TOOL book.json -o out.epub --css folder",
         "epubexport: \"folder\" is a folder, not a file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const ToolTest::Result r = Shell(c.command);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.message);
    }
    if (::geteuid() != 0) { // root reads anything
        Write("locked.json", kBook);
        fs::permissions(dir_ / "locked.json", fs::perms::none);
        const ToolTest::Result r = Shell("TOOL locked.json -o out.epub");
        EXPECT_EQ(r.err, "epubexport: cannot read \"locked.json\": Permission denied\n");
    }
}

TEST_F(Conventions, MetadataCoverAndStyleSheetsFromTheCommandLine) {
    Write("book.json", kBook);
    fs::copy_file(std::string(EPUB_SOURCE_DIR) + "/examples/cover.jpg", dir_ / "photo.jpg");
    Write("late.css", "p { margin-top: 0.7em; }\n");
    const ToolTest::Result r =
        Shell("TOOL book.json -o out.epub --title 'Other & title' --author A -M author=B "
              "--language fr --identifier urn:uuid:11111111-2222-4333-8444-555555555555 "
              "-M publisher=P -M date=2019-03 --cover photo.jpg --css late.css");
    ASSERT_EQ(r.status, 0) << r.err;
    auto entries = Entries(dir_ / "out.epub");
    const std::string& opf = entries["OEBPS/package.opf"];
    EXPECT_THAT(opf, HasSubstr("<dc:title>Other &amp; title</dc:title>"));
    EXPECT_THAT(opf, HasSubstr(">A, B</dc:creator>"));
    EXPECT_THAT(opf, HasSubstr("<dc:language>fr</dc:language>"));
    EXPECT_THAT(opf, HasSubstr(">urn:uuid:11111111-2222-4333-8444-555555555555</dc:identifier>"));
    EXPECT_THAT(opf, HasSubstr("<dc:publisher>P</dc:publisher>"));
    EXPECT_THAT(opf, HasSubstr("<dc:date>2019-03</dc:date>"));
    EXPECT_THAT(opf, HasSubstr("cover-image"));
    // A photograph given as the cover is stored as it is, under its own name.
    std::ifstream photo(dir_ / "photo.jpg", std::ios::binary);
    const std::string jpeg{std::istreambuf_iterator<char>(photo), {}};
    EXPECT_EQ(entries["OEBPS/images/photo.jpg"], jpeg);
    // The text is in the language given, not only the package.
    EXPECT_THAT(entries["OEBPS/one.xhtml"], HasSubstr("xml:lang=\"fr\""));
    // The command line's sheet comes after the document's, so its rules win.
    std::string sheets;
    for (const auto& [name, data] : entries)
        if (name.ends_with(".css"))
            sheets += data;
    EXPECT_THAT(sheets, HasSubstr("#336699"));
    EXPECT_THAT(sheets, HasSubstr("0.7em"));
    const std::string& chapter = entries["OEBPS/one.xhtml"];
    const size_t late = chapter.find("late.css"), extra = chapter.find("extra.css");
    ASSERT_NE(late, std::string::npos) << chapter;
    EXPECT_LT(extra, late);
    const std::string report = EpubCheck(dir_ / "out.epub");
    if (!report.empty()) {
        EXPECT_THAT(report, HasSubstr("Messages: 0 fatals / 0 errors / 0 warnings")) << report;
    }
}

TEST_F(Conventions, QuietAndVerbose) {
    Write("book.json", kBook);
    ToolTest::Result r = Shell("TOOL -v book.json -o out.epub");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto size = fs::file_size(dir_ / "out.epub");
    EXPECT_EQ(r.err, "epubexport: reading book.json (JSON document description)\n"
                     "epubexport: 2 stories\n"
                     "epubexport: wrote out.epub (" +
                         std::to_string(size) + " bytes)\n");
    Write("pages.json", kFixed);
    r = Shell("TOOL --verbose pages.json -o - | cat");
    EXPECT_THAT(r.err, HasSubstr("epubexport: 2 fixed-layout pages\n"
                                 "epubexport: wrote standard output\n"));
    // Quiet keeps errors.
    r = Shell("TOOL -q nothere.json -o out.epub");
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("nothere.json"));
}

TEST_F(Conventions, ProgressOnATerminalOnlyAndWipedAtTheEnd) {
    if (std::system("command -v script >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "script(1) is needed for a terminal";
    Write("book.json", kBook);
    Write("pages.json", kFixed);
    // script(1) gives the tool a terminal and records what it showed.
    const auto onTerminal = [&](const std::string& args) {
        const ToolTest::Result r = Shell("script -qec \"TOOL " + args + "\" typescript");
        EXPECT_EQ(r.status, 0) << r.err;
        return Read(dir_ / "typescript");
    };
    std::string shown = onTerminal("book.json -o out.epub");
    EXPECT_THAT(shown, HasSubstr("\rstories 2 of 2"));
    EXPECT_THAT(shown, HasSubstr("\rstories 2 of 2\r              \r"));
    shown = onTerminal("pages.json -o out.epub");
    EXPECT_THAT(shown, HasSubstr("\rpages 2 of 2\r            \r"));
    shown = onTerminal("-q book.json -o out.epub");
    EXPECT_THAT(shown, Not(HasSubstr("stories")));
    // Not a terminal: nothing.
    const ToolTest::Result r = Shell("TOOL book.json -o out.epub");
    EXPECT_EQ(r.err, "");
}

TEST_F(Conventions, InstalledCompletionsAreWhatTheToolPrints) {
    for (const auto& [shell, file] :
         {std::pair{"bash", "epubexport.bash"}, std::pair{"zsh", "_epubexport"}}) {
        SCOPED_TRACE(shell);
        const ToolTest::Result r = Shell(std::string("TOOL --print-completion ") + shell);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Read(dir_ / "stdout.bin"),
                  Read(std::string(EPUB_SOURCE_DIR) + "/cli/completions/" + file))
            << "regenerate with: epubexport --print-completion " << shell << " >cli/completions/"
            << file;
    }
    if (std::system("command -v zsh >/dev/null 2>&1") == 0) {
        const std::string script = std::string(EPUB_SOURCE_DIR) + "/cli/completions/_epubexport";
        EXPECT_EQ(Shell("zsh -n '" + script + "'").status, 0);
    }
}

TEST_F(Conventions, BashCompletesOptionsAndTheRightKindOfFile) {
    Write("book.json", kBook);
    fs::create_directory(dir_ / "chapters");
    const std::string script = std::string(EPUB_SOURCE_DIR) + "/cli/completions/epubexport.bash";
    // What bash offers after the words (the last one is being typed).
    const auto offers = [&](const std::string& words) {
        const std::string program = "source '" + script + "'; COMP_WORDS=(epubexport " + words +
                                    "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _epubexport; "
                                    "printf '%s\\n' \"${COMPREPLY[@]}\" | sort | tr '\\n' ' '";
        std::ofstream(dir_ / "complete.sh") << program;
        const ToolTest::Result r = Shell("bash complete.sh");
        EXPECT_EQ(r.status, 0) << r.err;
        return Read(dir_ / "stdout.bin");
    };
    EXPECT_EQ(offers("--ou"), "--output ");
    EXPECT_EQ(offers("--pr"), " "); // the hidden option is not offered
    EXPECT_EQ(offers("--html ''"), "chapters tmp ");
    EXPECT_EQ(offers("-o ''"),
              "book.json chapters complete.sh extra.css stderr.txt stdout.bin tmp ");
    EXPECT_EQ(offers("--output = bo"), "book.json ");
    EXPECT_EQ(offers("--title ''"), " ");
    EXPECT_EQ(offers("bo"), "book.json ");
}

} // namespace
