// SPDX-License-Identifier: MIT
#include "cli/CommandLine.h"

#include "cli/Completion.h"
#include "epub/package/NameRules.h"
#include "host/foundation/ApplicationVersion.h"
#include "host/foundation/StringT.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <ostream>

namespace Cli {

namespace {

// One option to a few lines reads better than one field to a line.
// clang-format off
constexpr std::array kOptions{
    OptionEntry{"output", 'o', ValueKind::File, "FILE",
               "write an EPUB 3 publication to FILE; FILE is replaced only\n"
               "when the export succeeds (through a symlink, its target is\n"
               "replaced); \"-\" writes to standard output, and a FIFO or\n"
               "device is written in place",
               {}},
    OptionEntry{"html", 0, ValueKind::Folder, "DIR",
               "write plain XHTML documents and style sheets into DIR", {}},
    OptionEntry{"check", 0, ValueKind::None, {},
               "write nothing; list the formatting a reflowable EPUB\n"
               "cannot express on standard output, one line each:\n"
               "  INPUT: story N (\"FILE\"), characters A-B: MESSAGE\n"
               "  INPUT: story N (\"FILE\"), style \"NAME\": MESSAGE\n"
               "(N from 1; characters from 0, B excluded)",
               {}},
    OptionEntry{"metadata", 'M', ValueKind::Text, "KEY=VALUE",
               "set a metadata field, replacing the document's; KEY is one\n"
               "of title, author, illustrator, language, identifier,\n"
               "publisher, description, subject, rights, date; author may be\n"
               "given again to add authors",
               {},
               true},
    OptionEntry{"title", 0, ValueKind::Text, "TEXT", "the same as --metadata title=TEXT", {}},
    OptionEntry{"author", 0, ValueKind::Text, "NAME", "the same as --metadata author=NAME", {},
               true},
    OptionEntry{"language", 0, ValueKind::Text, "TAG", "the same as --metadata language=TAG", {}},
    OptionEntry{"identifier", 0, ValueKind::Text, "ID", "the same as --metadata identifier=ID", {}},
    OptionEntry{"cover", 0, ValueKind::File, "FILE",
               "use the picture FILE (JPEG, PNG or GIF) as the cover", {}},
    OptionEntry{"css", 0, ValueKind::File, "FILE",
               "add the style sheet FILE after the document's own; may be\n"
               "given more than once",
               {},
               true},
    OptionEntry{"quiet", 'q', ValueKind::None, {}, "print no warnings and no progress", {}},
    OptionEntry{"verbose", 'v', ValueKind::None, {},
               "say what is done: input kind, stories, output size", {}},
    OptionEntry{"fail-on-warnings", 0, ValueKind::None, {},
               "exit with status 3 when the export printed warnings", {}},
    OptionEntry{"help", 'h', ValueKind::None, {}, "show this help", {}},
    OptionEntry{"version", 0, ValueKind::None, {}, "show the version", {}},
    OptionEntry{"print-completion", 0, ValueKind::Word, "SHELL", {}, "bash zsh"},
};

// clang-format on

// getopt_long's codes for options without a letter: past any character.
constexpr int kLongOnly = 256;

constexpr std::array<std::string_view, 10> kMetadataKeys{
    "title",     "author",      "illustrator", "language", "identifier",
    "publisher", "description", "subject",     "rights",   "date"};

constexpr std::string_view kUsage = R"(Usage: epubexport [OPTION]... INPUT -o OUTPUT.epub
       epubexport [OPTION]... INPUT --html DIR
       epubexport --check INPUT
       epubexport --help | --version

Exports the document in INPUT: a JSON document description, or a document of
another kind the tool reads (Word, OpenDocument text, Markdown), told apart by
its content. "-" reads standard input; file names in it are then taken from the
current folder.
The JSON format is described in document-format.md, installed in
share/doc/epubexport/ (docs/ in the sources); the manual page is epubexport(1).

)";

constexpr std::string_view kExitStatuses = R"(
Exit status:
  0  the export succeeded; with --check, nothing to report
  1  the export failed (nothing was replaced)
  2  bad command line or bad input document
  3  --check found problems; with --fail-on-warnings, the export printed warnings
)";

int CodeOf(size_t index) {
    return kOptions[index].letter ? kOptions[index].letter : kLongOnly + static_cast<int>(index);
}

// Control characters and invalid UTF-8 cannot go into the package document.
bool IsPrintableText(std::string_view text) {
    return Foundation::StringT(text).IsValidUTF8() &&
           std::none_of(text.begin(), text.end(), [](char c) {
               const auto u = static_cast<unsigned char>(c);
               return u < 0x20 || u == 0x7F;
           });
}

class Parser {
public:
    Parser(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    ParsedCommandLine Run(int argc, char* const* argv) {
        std::vector<option> longs;
        std::string shorts = ":"; // report a missing value as ':', not '?'
        for (size_t i = 0; i < kOptions.size(); ++i) {
            const OptionEntry& row = kOptions[i];
            const int has = row.value == ValueKind::None ? no_argument : required_argument;
            longs.push_back({row.name.data(), has, nullptr, CodeOf(i)});
            if (row.letter) {
                shorts += row.letter;
                if (has == required_argument)
                    shorts += ':';
            }
        }
        longs.push_back({nullptr, 0, nullptr, 0});
        // getopt keeps its place in globals: start afresh, quietly, for every parse.
        optind = 0;
        opterr = 0;
        for (int code;
             (code = getopt_long(argc, argv, shorts.c_str(), longs.data(), nullptr)) != -1;) {
            if (code == '?' || code == ':')
                return Usage(Problem(code, argc, argv));
            if (const auto done = Take(code, optarg ? optarg : ""))
                return {std::nullopt, *done};
        }
        for (int i = optind; i < argc; ++i) {
            if (!line_.input.empty())
                return Usage("more than one input file");
            line_.input = argv[i];
        }
        if (const std::string problem = Check(); !problem.empty())
            return Usage(problem);
        return {std::move(line_), kExitOk};
    }

private:
    static std::string Problem(int code, int argc, char* const* argv) {
        // getopt has moved past the offending word; a short option may sit in a cluster.
        const std::string word = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        std::string given = word.substr(0, word.find('='));
        if (!word.starts_with("--") && optopt > 0 && optopt < kLongOnly)
            given = std::string("-") + static_cast<char>(optopt);
        return code == ':' ? given + " needs a value" : "unknown option " + given;
    }

    ParsedCommandLine Usage(const std::string& problem) {
        err_ << "epubexport: " << problem << "\nTry 'epubexport --help'.\n";
        return {std::nullopt, kExitUsage};
    }

    // The exit status when the option settles the run by itself.
    std::optional<int> Take(int code, const std::string& value) {
        const OptionEntry& row = EntryFor(code);
        const std::string_view name = row.name;
        if (name == "help") {
            out_ << HelpText();
            return kExitOk;
        }
        if (name == "version") {
            // ToString() already starts with the product name.
            out_ << Foundation::ApplicationVersion::GetCurrent().ToString().str() << "\n";
            return kExitOk;
        }
        if (name == "print-completion")
            return PrintCompletion(value);
        if (name == "output")
            line_.output = value;
        else if (name == "html")
            line_.html = value;
        else if (name == "check")
            line_.check = true;
        else if (name == "quiet")
            line_.verbosity = Verbosity::Quiet;
        else if (name == "verbose")
            line_.verbosity = Verbosity::Verbose;
        else if (name == "fail-on-warnings")
            line_.failOnWarnings = true;
        else if (name == "cover")
            line_.cover = value;
        else if (name == "css")
            line_.css.push_back(value);
        else if (name == "metadata")
            return Metadata(value);
        else
            return Metadata(std::string(name) + "=" + value);
        return std::nullopt;
    }

    std::optional<int> PrintCompletion(const std::string& shell) {
        if (shell == "bash")
            out_ << BashCompletion(OptionTable());
        else if (shell == "zsh")
            out_ << ZshCompletion(OptionTable());
        else
            return Usage("--print-completion takes bash or zsh").status;
        return kExitOk;
    }

    std::optional<int> Metadata(const std::string& entry) {
        const size_t equals = entry.find('=');
        const std::string key = entry.substr(0, equals);
        if (equals == std::string::npos)
            return Usage("--metadata takes KEY=VALUE, not \"" + entry + "\"").status;
        const std::string value = entry.substr(equals + 1);
        if (std::find(kMetadataKeys.begin(), kMetadataKeys.end(), key) == kMetadataKeys.end())
            return Usage("unknown metadata key \"" + key + "\"").status;
        if (const std::string problem = BadValue(key, value); !problem.empty())
            return Usage("metadata " + key + ": " + problem).status;
        line_.metadata.emplace_back(key, value);
        return std::nullopt;
    }

    static std::string BadValue(const std::string& key, const std::string& value) {
        if (!IsPrintableText(value))
            return "the value must be UTF-8 text without control characters";
        if (value.find_first_not_of(' ') == std::string::npos &&
            (key == "title" || key == "language" || key == "identifier" || key == "author"))
            return "the value must not be empty";
        if (key == "language" && !EPub::IsLanguageTag(value))
            return "\"" + value + "\" is not a language tag such as \"en\" or \"de-CH\"";
        if (key == "date" && !EPub::IsPublicationDate(value))
            return "\"" + value + "\" is not a date such as \"2024\", \"2024-05-17\" or " +
                   "\"2024-05-17T09:30:00Z\"";
        return {};
    }

    std::string Check() const {
        if (line_.input.empty())
            return "no input file; give one, or \"-\" for standard input";
        if (line_.check) {
            if (line_.output || line_.html)
                return "--check takes one input file and no -o or --html";
            return {};
        }
        if (line_.output.has_value() == line_.html.has_value())
            return "give either -o FILE or --html DIR";
        if (line_.html && line_.cover)
            return "--cover needs an EPUB output (-o)";
        return {};
    }

    static const OptionEntry& EntryFor(int code) {
        if (code >= kLongOnly)
            return kOptions[static_cast<size_t>(code - kLongOnly)];
        return *std::find_if(kOptions.begin(), kOptions.end(),
                             [code](const OptionEntry& s) { return s.letter == code; });
    }

    std::ostream& out_;
    std::ostream& err_;
    CommandLine line_;
};

} // namespace

std::span<const OptionEntry> OptionTable() {
    return kOptions;
}

std::span<const std::string_view> MetadataKeys() {
    return kMetadataKeys;
}

std::string HelpText() {
    constexpr size_t kHelpColumn = 24;
    std::string text(kUsage);
    for (const OptionEntry& row : kOptions) {
        if (row.help.empty())
            continue;
        std::string left = row.letter ? std::string("  -") + row.letter + ", " : "      ";
        left += "--" + std::string(row.name);
        if (!row.valueName.empty())
            left += "=" + std::string(row.valueName);
        text += left;
        text += left.size() + 2 <= kHelpColumn ? std::string(kHelpColumn - left.size(), ' ')
                                               : "\n" + std::string(kHelpColumn, ' ');
        for (const char c : row.help) {
            text += c;
            if (c == '\n')
                text += std::string(kHelpColumn, ' ');
        }
        text += '\n';
    }
    text += kExitStatuses;
    return text;
}

ParsedCommandLine ParseCommandLine(int argc, char* const* argv, std::ostream& out,
                                   std::ostream& err) {
    return Parser(out, err).Run(argc, argv);
}

} // namespace Cli
