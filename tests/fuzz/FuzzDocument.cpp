// A JSON document through the whole tool: reading, --check and an EPUB export. Files the
// document names are looked up in the examples folder, so images, style sheets and fonts of the
// seed corpus load. An input error is the expected answer to most inputs; an exception escaping
// the reader, a crash or a sanitizer report is a fault.

#include "FuzzTempFolder.h"

#include "cli/CheckCommand.h"
#include "cli/DocumentReader.h"
#include "cli/ExportCommand.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    Cli::Document doc;
    try {
        doc = Cli::ParseDocument(text, "fuzz.json", EPUB_FUZZ_ASSETS);
    } catch (const Cli::InputError&) {
        return 0;
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
    return 0;
}
