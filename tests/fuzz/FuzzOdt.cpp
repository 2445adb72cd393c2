// SPDX-License-Identifier: MIT
// An OpenDocument text, zipped or flat XML, through the ODT reader and, when it reads, --check
// and an EPUB export, as the tool runs them. An input error is the expected answer to most inputs;
// an exception escaping the reader, a crash, a sanitizer report or a runaway allocation is a fault.

#include "FuzzTempFolder.h"

#include "cli/CheckCommand.h"
#include "cli/ExportCommand.h"
#include "readers/common/ReaderDocument.h"
#include "readers/odt/OdtReader.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    Readers::Document doc;
    try {
        doc = Readers::Odt::ReadOdt(data, "fuzz.odt");
    } catch (const Readers::InputError&) {
        return 0;
    }
    // The tool turns any exception of a check or an export into a message and an exit status.
    try {
        std::ostringstream findings;
        Cli::CheckDocument(doc, "fuzz.odt", findings);
    } catch (const std::exception&) {
    }
    try {
        Cli::ExportEPub(doc, Fuzz::ProcessFolder().Path() / "out.epub", {});
    } catch (const std::exception&) {
    }
    return 0;
}
