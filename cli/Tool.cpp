// SPDX-License-Identifier: MIT
#include "cli/Tool.h"

#include "cli/CheckCommand.h"
#include "cli/DocumentOverrides.h"
#include "cli/DocumentReader.h"
#include "cli/ExportCommand.h"
#include "cli/FixedCheck.h"
#include "cli/FixedExport.h"
#include "cli/InputFile.h"
#include "cli/Messages.h"
#include "cli/OutputFile.h"
#include "cli/ProgressLine.h"
#include "cli/StandardInput.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace Cli {

namespace {

namespace fs = std::filesystem;

// The input as the readers see it.
struct Input {
    fs::path file;    // what is read: the file named, or the copy of standard input
    std::string name; // what messages call it
    fs::path baseDir; // where file names in the document start from
};

// Overwriting the document being read would lose it whatever the outcome.
bool IsInput(const fs::path& input, const std::string& output) {
    if (output == "-")
        return false;
    std::error_code error;
    return fs::equivalent(input, OutputFile::Resolve(output), error);
}

std::string Count(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

class Runner {
public:
    Runner(const CommandLine& line, std::ostream& out, std::ostream& err)
        : line_(line), out_(out), err_(err), messages_(err, line.verbosity) {}

    int Run() {
        try {
            Open();
            if (line_.output && IsInput(input_.file, *line_.output))
                return Error(kExitUsage, "\"" + *line_.output + "\" is the input file");
            const Readers::InputKind kind = DetectFileKind(input_.file);
            Say("reading " + input_.name + " (" + Readers::InputKindName(kind) + ")");
            if (kind != Readers::InputKind::Json)
                return Reflowable(ReadOtherInput(kind, input_.file, input_.name, input_.baseDir));
            JsonDocument tree = LoadJson(input_.file, input_.name);
            // Fixed-layout documents ("layout": "fixed") take their own path.
            if (IsFixedLayout(tree.Root()))
                return Fixed(tree);
            // The language, given now, is the text's as well as the publication's.
            return Reflowable(ReadDocument(tree, input_.file, input_.name, input_.baseDir,
                                           [this](EPub::ExportSettings& settings) {
                                               ApplyMetadata(line_.metadata, settings);
                                           }));
        } catch (const InputError& e) {
            return Error(kExitUsage, e.what());
        }
    }

private:
    void Open() {
        if (line_.input != "-") {
            input_ = {line_.input, line_.input, fs::path(line_.input).parent_path()};
            return;
        }
        // File names in a document read from standard input start from the current folder.
        spool_.emplace();
        input_ = {spool_->File(), kStandardInputName, {}};
        messages_.Rename(spool_->File().string(), kStandardInputName);
    }

    int Reflowable(Document doc) {
        doc.sourceName = input_.name;
        ApplyOverrides(line_, doc);
        // Only an EPUB is written as the reader goes on; the rest needs every story at once.
        if (line_.check || !line_.output)
            Readers::ReadRest(doc);
        if (line_.check) {
            CheckSplitNames(doc);
            return Check([&] { return CheckDocument(doc, input_.name, out_); });
        }
        messages_.Findings(input_.name, doc.findings);
        const size_t told = doc.findings.size();
        if (!doc.more)
            Say(Count(doc.stories.size(), "story", "stories"));
        ProgressLine progress(err_, doc.more ? "chapters" : "stories", ShowProgress());
        try {
            if (line_.output)
                ExportEPub(doc, *line_.output, progress.Callback());
            else
                ExportHtml(doc, *line_.html, progress.Callback());
        } catch (const InputError& e) {
            progress.Clear();
            return Error(kExitUsage, e.what());
        } catch (const std::exception& e) {
            progress.Clear();
            return Error(kExitFailed, e.what());
        }
        progress.Clear();
        // What the reader found while the export went on.
        messages_.Findings(input_.name,
                           std::vector<Readers::ReaderFinding>(
                               doc.findings.begin() + static_cast<long>(told), doc.findings.end()));
        return Done();
    }

    int Fixed(const JsonDocument& tree) {
        FixedDocument doc = ReadUnchanged(tree, input_.name, [&] {
            return ReadFixedDocument(tree, input_.name, input_.baseDir);
        });
        NameUntitled(doc, input_.file);
        ApplyOverrides(line_, doc);
        if (line_.check)
            return Check([&] { return CheckFixedDocument(doc, input_.name, out_); });
        if (line_.html)
            return Error(kExitUsage, input_.name +
                                         ": a fixed-layout document (\"layout\": \"fixed\") has "
                                         "no plain XHTML form; export it with -o FILE.epub");
        for (const FixedFinding& finding : doc.findings)
            if (finding.warn)
                messages_.Warn(input_.name + ": page " + std::to_string(finding.page) + ": " +
                               finding.message);
        Say(Count(doc.pages.size(), "fixed-layout page", "fixed-layout pages"));
        ProgressLine progress(err_, "pages", ShowProgress());
        try {
            ExportFixedEPub(doc, *line_.output, progress.Callback());
        } catch (const std::exception& e) {
            progress.Clear();
            return Error(kExitFailed, e.what());
        }
        progress.Clear();
        return Done();
    }

    // `check` lists problems on standard output and counts them.
    template <class Report> int Check(Report check) {
        try {
            return check() == 0 ? kExitOk : kExitFindings;
        } catch (const InputError& e) {
            return Error(kExitUsage, e.what());
        } catch (const std::exception& e) {
            return Error(kExitUsage, "cannot check \"" + input_.name + "\": " + e.what());
        }
    }

    int Done() {
        if (line_.output && *line_.output != "-") {
            std::error_code error;
            const auto size = fs::file_size(*line_.output, error);
            Say("wrote " + *line_.output + (error ? "" : " (" + std::to_string(size) + " bytes)"));
        } else {
            Say("wrote " + (line_.html ? *line_.html : std::string("standard output")));
        }
        return messages_.Succeeded(line_.failOnWarnings);
    }

    bool ShowProgress() const { return line_.verbosity != Verbosity::Quiet && ErrorIsTerminal(); }

    void Say(const std::string& message) { messages_.Say(message); }
    int Error(int status, const std::string& message) { return messages_.Error(status, message); }

    const CommandLine& line_;
    std::ostream& out_;
    std::ostream& err_;
    std::optional<SpooledInput> spool_;
    Input input_;
    Messages messages_;
};

} // namespace

int RunTool(const CommandLine& line, std::ostream& out, std::ostream& err) {
    return Runner(line, out, err).Run();
}

} // namespace Cli
