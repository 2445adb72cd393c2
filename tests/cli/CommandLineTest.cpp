// SPDX-License-Identifier: MIT
// The command line as parsed: the usual conventions (attached or separate values, options after
// the input, "-" and "--"), metadata in the order given, every mistake a usage error naming it;
// then what the tool says on standard error and its progress line.

#include "cli/CommandLine.h"
#include "cli/DocumentOverrides.h"
#include "cli/Messages.h"
#include "cli/ProgressLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using Cli::kExitFindings;
using Cli::kExitOk;
using Cli::kExitUsage;
using Cli::Verbosity;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

struct Parsed {
    Cli::ParsedCommandLine result;
    std::string out, err;
};

Parsed Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "epubexport");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::ostringstream out, err;
    auto result = Cli::ParseCommandLine(static_cast<int>(args.size()), argv.data(), out, err);
    return {std::move(result), out.str(), err.str()};
}

TEST(CommandLine, ValuesAttachedOrSeparateAndOptionsInAnyOrder) {
    const std::vector<std::vector<std::string>> spellings = {
        {"-o", "x.epub", "in.json"},
        {"-ox.epub", "in.json"},
        {"--output=x.epub", "in.json"},
        {"in.json", "--output", "x.epub"},
    };
    for (const auto& args : spellings) {
        const Parsed p = Parse(args);
        ASSERT_TRUE(p.result.command) << p.err;
        EXPECT_EQ(p.result.command->input, "in.json");
        EXPECT_EQ(p.result.command->output, "x.epub");
        EXPECT_EQ(p.err, "");
    }

    // "-" is standard input (and output); after "--" nothing is an option.
    Parsed p = Parse({"-", "-o", "-"});
    ASSERT_TRUE(p.result.command) << p.err;
    EXPECT_EQ(p.result.command->input, "-");
    EXPECT_EQ(p.result.command->output, "-");
    p = Parse({"--html", "out", "--", "-v"});
    ASSERT_TRUE(p.result.command) << p.err;
    EXPECT_EQ(p.result.command->input, "-v");
    EXPECT_EQ(p.result.command->verbosity, Verbosity::Normal);
    EXPECT_EQ(p.result.command->html, "out");
}

TEST(CommandLine, MetadataShortcutsAndRepeatedOptionsKeepTheirOrder) {
    const Parsed p = Parse({"in.json",
                            "-o",
                            "x.epub",
                            "--title",
                            "T",
                            "-M",
                            "author=A",
                            "--author=B",
                            "--metadata=subject=S=1",
                            "--language",
                            "de-CH",
                            "--identifier",
                            "urn:isbn:9780000000002",
                            "--css",
                            "a.css",
                            "--css=b.css",
                            "--cover",
                            "c.jpg",
                            "-q",
                            "--fail-on-warnings"});
    ASSERT_TRUE(p.result.command) << p.err;
    const Cli::CommandLine& line = *p.result.command;
    EXPECT_THAT(line.metadata,
                ElementsAre(Pair("title", "T"), Pair("author", "A"), Pair("author", "B"),
                            Pair("subject", "S=1"), Pair("language", "de-CH"),
                            Pair("identifier", "urn:isbn:9780000000002")));
    EXPECT_THAT(line.css, ElementsAre("a.css", "b.css"));
    EXPECT_EQ(line.cover, "c.jpg");
    EXPECT_EQ(line.verbosity, Verbosity::Quiet);
    EXPECT_TRUE(line.failOnWarnings);
}

TEST(CommandLine, MistakesAreUsageErrorsThatNameTheProblem) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--bogus", "in.json", "-o", "x"}, "unknown option --bogus"},
        {{"--bogus=1", "in.json", "-o", "x"}, "unknown option --bogus"},
        {{"-z", "in.json", "-o", "x"}, "unknown option -z"},
        {{"in.json", "-o"}, "-o needs a value"},
        {{"in.json", "--output"}, "--output needs a value"},
        {{"in.json", "-o", "x", "--metadata", "colour=red"}, "unknown metadata key \"colour\""},
        {{"in.json", "-o", "x", "-M", "title"}, "--metadata takes KEY=VALUE"},
        {{"in.json", "-o", "x", "--language", "en_GB"}, "\"en_GB\" is not a language tag"},
        {{"in.json", "-o", "x", "-M", "date=2019-13-01"}, "\"2019-13-01\" is not a date"},
        {{"in.json", "-o", "x", "--title", " "}, "must not be empty"},
        {{"in.json", "-o", "x", "--title", "a\tb"}, "without control characters"},
        {{"in.json", "-o", "x", "--author", "\xFF"}, "UTF-8"},
        {{"-o", "x"}, "no input file"},
        {{"a.json", "b.json", "-o", "x"}, "more than one input file"},
        {{"in.json"}, "either -o FILE or --html DIR"},
        {{"in.json", "-o", "x", "--html", "d"}, "either -o FILE or --html DIR"},
        {{"--check", "in.json", "-o", "x"}, "--check takes one input file"},
        {{"in.json", "--html", "d", "--cover", "c.png"}, "--cover needs an EPUB output"},
        {{"--print-completion", "fish"}, "bash or zsh"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const Parsed p = Parse(c.args);
        EXPECT_FALSE(p.result.command);
        EXPECT_EQ(p.result.status, kExitUsage);
        EXPECT_THAT(p.err, HasSubstr(c.message));
        EXPECT_THAT(p.err, ::testing::StartsWith("epubexport: "));
        EXPECT_THAT(p.err, ::testing::EndsWith("Try 'epubexport --help'.\n"));
        EXPECT_EQ(p.out, "");
    }
}

TEST(CommandLine, HelpListsEveryOptionButTheHiddenOne) {
    const Parsed p = Parse({"in.json", "--help"});
    EXPECT_FALSE(p.result.command);
    EXPECT_EQ(p.result.status, kExitOk);
    EXPECT_EQ(p.err, "");
    for (const Cli::OptionEntry& row : Cli::OptionTable()) {
        const std::string name = "--" + std::string(row.name);
        if (row.help.empty())
            EXPECT_THAT(p.out, ::testing::Not(HasSubstr(name)));
        else
            EXPECT_THAT(p.out, HasSubstr(name));
    }
    for (const char* status : {"\n  0  ", "\n  1  ", "\n  2  ", "\n  3  "})
        EXPECT_THAT(p.out, HasSubstr(status));
    const Parsed version = Parse({"--version"});
    EXPECT_EQ(version.result.status, kExitOk);
    EXPECT_THAT(version.out, ::testing::StartsWith("epubexport "));
}

TEST(CommandLine, FirstAuthorReplacesTheDocumentsAndLaterOnesAdd) {
    EPub::ExportSettings settings;
    settings.author = "Document Author";
    settings.title = "Document Title";
    settings.identifier = "9780000000002";
    settings.identifierType = 2; // an ISBN
    Cli::ApplyMetadata({{"author", "A"}, {"author", "B"}, {"identifier", "urn:x:1"}}, settings);
    EXPECT_EQ(settings.author.str(), "A, B");
    EXPECT_EQ(settings.title.str(), "Document Title");
    EXPECT_EQ(settings.identifier.str(), "urn:x:1");
    EXPECT_EQ(settings.identifierType, 0u); // no longer claimed to be an ISBN
}

TEST(Messages, WarningsCountEvenWhenQuietAndVerboseSaysMore) {
    const std::vector<Readers::ReaderFinding> findings = {{"word/media/a.emf", "picture skipped"},
                                                          {"line 3", "equation kept as text"}};
    struct Case {
        Verbosity verbosity;
        std::string expected;
    };
    const std::string warnings = "epubexport: warning: in.docx: word/media/a.emf: picture "
                                 "skipped\nepubexport: warning: in.docx: line 3: equation kept "
                                 "as text\n";
    const Case cases[] = {
        {Verbosity::Quiet, "epubexport: failed\n"},
        {Verbosity::Normal, warnings + "epubexport: failed\n"},
        {Verbosity::Verbose, warnings + "epubexport: 2 stories\nepubexport: failed\n"},
    };
    for (const Case& c : cases) {
        std::ostringstream err;
        Cli::Messages messages(err, c.verbosity);
        EXPECT_EQ(messages.Succeeded(true), kExitOk);
        messages.Findings("in.docx", findings);
        messages.Say("2 stories");
        EXPECT_EQ(messages.Error(1, "failed"), 1);
        EXPECT_EQ(err.str(), c.expected);
        EXPECT_EQ(messages.Warnings(), 2u);
        EXPECT_EQ(messages.Succeeded(true), kExitFindings);
        EXPECT_EQ(messages.Succeeded(false), kExitOk);
    }
}

TEST(Messages, TheCopyOfStandardInputIsNamedAsTheUserKnowsIt) {
    std::ostringstream err;
    Cli::Messages messages(err, Verbosity::Normal);
    messages.Rename("/tmp/epubexport-a1/stdin", "<stdin>");
    messages.Error(2, "\"/tmp/epubexport-a1/stdin\": not a document; /tmp/epubexport-a1/stdin:3");
    EXPECT_EQ(err.str(), "epubexport: \"<stdin>\": not a document; <stdin>:3\n");
}

TEST(ProgressLine, RewritesOneLineAndLeavesNothingBehind) {
    std::ostringstream out;
    {
        Cli::ProgressLine line(out, "stories", true);
        line.Update(1, 12);
        line.Update(12, 12); // the last count always shows
        line.Clear();
        EXPECT_EQ(out.str(), "\rstories 1 of 12\rstories 12 of 12\r                \r");
        line.Update(3, 4);
    } // the destructor wipes what is left
    EXPECT_THAT(out.str(), ::testing::EndsWith("\rstories 3 of 4\r              \r"));

    std::ostringstream hidden;
    {
        Cli::ProgressLine line(hidden, "pages", false);
        EXPECT_FALSE(line.Callback());
        line.Update(1, 1);
    }
    EXPECT_EQ(hidden.str(), "");
}

} // namespace
