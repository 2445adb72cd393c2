// SPDX-License-Identifier: MIT
#pragma once
// The tool's command line: one table of options, from which the parser, the help text and the
// shell completions are all made, so none of them can forget an option the others know.

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Cli {

// The tool's exit statuses; --help, the manual page and the README list them.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,   // the export failed; nothing was replaced
    kExitUsage = 2,    // bad command line or bad input
    kExitFindings = 3, // --check found problems, or warnings with --fail-on-warnings
};

// What a shell may offer after an option that takes a value.
enum class ValueKind { None, File, Folder, Text, Word };

struct OptionEntry {
    std::string_view name; // the long name, without "--"
    char letter;           // the short name, or 0
    ValueKind value;
    std::string_view valueName; // FILE, DIR, KEY=VALUE; empty for a flag
    std::string_view help;      // the help text; empty: not listed (--print-completion)
    std::string_view words;     // for ValueKind::Word, the values a shell may offer
    bool repeatable = false;    // each use adds rather than replaces
};

std::span<const OptionEntry> OptionTable();

// The keys --metadata takes, in the order --help lists them.
std::span<const std::string_view> MetadataKeys();

enum class Verbosity { Quiet, Normal, Verbose };

struct CommandLine {
    std::string input; // "-": standard input
    std::optional<std::string> output;
    std::optional<std::string> html;
    bool check = false;
    Verbosity verbosity = Verbosity::Normal;
    bool failOnWarnings = false;
    // --metadata and its shortcuts, in the order given; keys are among MetadataKeys().
    std::vector<std::pair<std::string, std::string>> metadata;
    std::optional<std::string> cover;
    std::vector<std::string> css;
};

// The outcome of reading the arguments: a command to run, or the exit status when the command
// line settled the matter itself (--help, --version, --print-completion, or a usage error, which
// is reported on `err`).
struct ParsedCommandLine {
    std::optional<CommandLine> command;
    int status = kExitOk;
};

ParsedCommandLine ParseCommandLine(int argc, char* const* argv, std::ostream& out,
                                   std::ostream& err);

std::string HelpText();

} // namespace Cli
