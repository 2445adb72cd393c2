// SPDX-License-Identifier: MIT
// Markdown through the reader, --check and an EPUB export. Pictures and style sheets the text
// names are looked up in the examples folder, so the seeds' pictures load. An input error is a
// fine answer; an exception escaping the reader, a crash or a sanitizer report is a fault.

#include "FuzzTempFolder.h"

#include "cli/CheckCommand.h"
#include "cli/ExportCommand.h"
#include "readers/markdown/MarkdownReader.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    Readers::Document doc;
    try {
        doc = Readers::Markdown::ReadMarkdown(text, "fuzz.md", EPUB_FUZZ_ASSETS);
    } catch (const Readers::InputError&) {
        return 0;
    }
    // The tool turns any exception of a check or an export into a message and an exit status.
    try {
        std::ostringstream findings;
        Cli::CheckDocument(doc, "fuzz.md", findings);
    } catch (const std::exception&) {
    }
    try {
        Cli::ExportEPub(doc, Fuzz::ProcessFolder().Path() / "out.epub", {});
    } catch (const std::exception&) {
    }
    return 0;
}
