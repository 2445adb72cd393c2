// SPDX-License-Identifier: MIT
// A JSON document through the whole tool: reading, --check and an EPUB export, for reflowable
// and fixed-layout documents alike. Files the document names are looked up in the examples
// folder, so images, style sheets and fonts of the seed corpus load. An input error is the
// expected answer to most inputs; an exception escaping the reader, a crash or a sanitizer report
// is a fault.

#include "FuzzTempFolder.h"

#include "cli/CheckCommand.h"
#include "cli/DocumentReader.h"
#include "cli/ExportCommand.h"
#include "cli/FixedDocumentReader.h"
#include "cli/FixedExport.h"
#include "cli/JsonValue.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

// Relative file names resolve beside it, in the examples folder.
const std::filesystem::path kSource = std::filesystem::path(EPUB_FUZZ_ASSETS) / "fuzz.json";

void Reflowable(const Cli::JsonValue& root) {
    Cli::Document doc;
    try {
        doc = Cli::ReadDocument(root, kSource);
    } catch (const Cli::InputError&) {
        return;
    }
    // The tool turns any exception of a check or an export into a message and an exit status.
    try {
        std::ostringstream findings;
        Cli::CheckDocument(doc, "fuzz.json", findings);
    } catch (const std::exception&) {
    }
    try {
        Cli::ExportEPub(doc, Fuzz::ProcessFolder().Path() / "out.epub", {});
    } catch (const std::exception&) {
    }
}

void FixedLayout(const Cli::JsonValue& root) {
    Cli::FixedDocument doc;
    try {
        doc = Cli::ReadFixedDocument(root, kSource);
    } catch (const Cli::InputError&) {
        return;
    }
    try {
        Cli::ExportFixedEPub(doc, Fuzz::ProcessFolder().Path() / "fixed.epub");
    } catch (const std::exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    try {
        const Cli::JsonDocument tree = Cli::JsonDocument::Parse(text, "fuzz.json");
        if (Cli::IsFixedLayout(tree.Root()))
            FixedLayout(tree.Root());
        else
            Reflowable(tree.Root());
    } catch (const Cli::InputError&) {
    }
    return 0;
}
