// epubexport: turns a JSON document description into an EPUB 3 publication.

#include "cli/CheckCommand.h"
#include "cli/DocumentReader.h"
#include "cli/ExportCommand.h"
#include "cli/FixedExport.h"
#include "cli/InputFile.h"
#include "cli/InterruptCleanup.h"
#include "cli/OutputFile.h"
#include "host/foundation/ApplicationVersion.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <malloc.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int ExitOk = 0, ExitExportFailed = 1, ExitUsage = 2;
constexpr int ExitFindings = 1; // --check found something to report

constexpr const char* Usage =
    R"(Usage: epubexport INPUT.json -o OUTPUT.epub
       epubexport INPUT.json --html DIR
       epubexport --check INPUT.json
       epubexport --help | --version

Exports the document described by INPUT.json. Its format is described in
document-format.md, installed in share/doc/epubexport/ (docs/ in the sources);
the manual page is epubexport(1).

  -o, --output FILE   write an EPUB 3 publication to FILE; FILE is replaced only
                      when the export succeeds (through a symlink, its target is
                      replaced); "-" writes to standard output, and a FIFO or
                      device is written in place
  --html DIR          write plain XHTML documents and style sheets into DIR
  --check             write nothing; list the formatting a reflowable EPUB
                      cannot express on standard output, one line each:
                        INPUT: story N ("FILE"), characters A-B: MESSAGE
                        INPUT: story N ("FILE"), style "NAME": MESSAGE
                      (N from 1; characters from 0, B excluded)
  -h, --help          show this help
  --version           show the version

Exit status:
  0  the export succeeded; with --check, nothing to report
  1  the export failed (nothing was replaced); with --check, problems listed
  2  bad command line or bad input document
)";

struct Arguments {
    std::string input;
    std::optional<std::string> output;
    std::optional<std::string> html;
    bool check = false;
};

// Returns an exit status when the command line already decided the outcome.
std::optional<int> Parse(const std::vector<std::string>& args, Arguments& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            std::cout << Usage;
            return ExitOk;
        }
        if (a == "--version") {
            // ToString() already starts with the product name.
            std::cout << Foundation::ApplicationVersion::GetCurrent().ToString().str() << "\n";
            return ExitOk;
        }
        if (a == "--check") {
            out.check = true;
        } else if (a == "-o" || a == "--output" || a == "--html") {
            if (i + 1 == args.size()) {
                std::cerr << "epubexport: " << a << " needs a value\n";
                return ExitUsage;
            }
            (a == "--html" ? out.html : out.output) = args[++i];
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            std::cerr << "epubexport: unknown option " << a << "\n";
            return ExitUsage;
        } else if (out.input.empty()) {
            out.input = a;
        } else {
            std::cerr << "epubexport: more than one input file\n";
            return ExitUsage;
        }
    }
    if (out.check && (out.input.empty() || out.output || out.html)) {
        std::cerr << "epubexport: --check takes one input file and no -o or --html\n"
                  << "Try 'epubexport --help'.\n";
        return ExitUsage;
    }
    if (out.check)
        return std::nullopt;
    if (out.input.empty() || out.output.has_value() == out.html.has_value()) {
        std::cerr << "epubexport: give one input file and either -o FILE or --html DIR\n"
                  << "Try 'epubexport --help'.\n";
        return ExitUsage;
    }
    return std::nullopt;
}

// Overwriting the document being read would lose it whatever the outcome.
bool IsInput(const std::string& input, const std::string& output) {
    if (output == "-")
        return false;
    std::error_code error;
    return std::filesystem::equivalent(input, Cli::OutputFile::Resolve(output), error);
}

Cli::Progress MakeProgress() {
    if (!::isatty(STDERR_FILENO))
        return {};
    return [](size_t done, size_t total) {
        std::cerr << "\rstories " << done << " of " << total << (done == total ? "\n" : "")
                  << std::flush;
    };
}

} // namespace

int main(int argc, char** argv) {
    // Documents are built in buffers of tens of kilobytes that live for one chapter. From the
    // system directly, they go back the moment they are freed instead of keeping the heap at its
    // high-water mark; left to itself, glibc raises this threshold after the first such free.
    ::mallopt(M_MMAP_THRESHOLD, 32 * 1024);
    // First, so every thread started later leaves the signals to its cleanup thread.
    const Cli::InterruptCleanup cleanup;
    Arguments args;
    if (const auto status = Parse(std::vector<std::string>(argv + 1, argv + argc), args))
        return *status;
    if (args.output && IsInput(args.input, *args.output)) {
        std::cerr << "epubexport: \"" << *args.output << "\" is the input file\n";
        return ExitUsage;
    }
    // A reader that goes away is a failed export, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    Cli::Document doc;
    try {
        if (const auto kind = Cli::DetectFileKind(args.input); kind != Readers::InputKind::Json) {
            doc = Cli::ReadOtherInput(kind, args.input);
        } else {
            Cli::JsonDocument tree = Cli::LoadJson(args.input);
            // Fixed-layout documents ("layout": "fixed") take their own path.
            if (Cli::IsFixedLayout(tree.Root()))
                return Cli::RunFixedLayout(tree, args.input, args.output, args.html.has_value(),
                                           args.check);
            doc = Cli::ReadDocument(tree, args.input);
        }
        if (args.check)
            Cli::CheckSplitNames(doc);
    } catch (const Cli::InputError& e) {
        std::cerr << "epubexport: " << e.what() << "\n";
        return ExitUsage;
    }
    if (args.check) {
        try {
            return Cli::CheckDocument(doc, args.input, std::cout) == 0 ? ExitOk : ExitFindings;
        } catch (const std::exception& e) {
            std::cerr << "epubexport: cannot check \"" << args.input << "\": " << e.what() << "\n";
            return ExitUsage;
        }
    }
    try {
        if (args.output)
            Cli::ExportEPub(doc, *args.output, MakeProgress());
        else
            Cli::ExportHtml(doc, *args.html, MakeProgress());
    } catch (const Cli::InputError& e) {
        std::cerr << "epubexport: " << e.what() << "\n";
        return ExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "epubexport: " << e.what() << "\n";
        return ExitExportFailed;
    }
    return ExitOk;
}
