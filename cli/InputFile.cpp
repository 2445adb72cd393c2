// SPDX-License-Identifier: MIT
#include "cli/InputFile.h"

#include "cli/MappedInput.h"
#include "cli/SystemFile.h"
#include "readers/docx/DocxReader.h"
#include "readers/markdown/MarkdownReader.h"
#include "readers/odt/OdtReader.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace Cli {

namespace {

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

} // namespace

Readers::InputKind DetectFileKind(const std::filesystem::path& file) {
    // A missing, unreadable or folder input is told with the system's reason.
    CheckReadable(file);
    const MappedInput input(file);
    if (!input.Mapped()) {
        // The JSON reader has the detailed messages for missing, empty and unreadable files.
        return Readers::InputKind::Json;
    }
    const Readers::InputKind kind = Readers::DetectInputKind(input.View());
    if (kind == Readers::InputKind::Markdown && file.extension() == ".json")
        return Readers::InputKind::Json;
    return kind;
}

Document ReadOtherInput(Readers::InputKind kind, const std::filesystem::path& file,
                        const std::string& name, const std::filesystem::path& baseDir) {
    using Readers::InputKind;
    switch (kind) {
    case InputKind::Docx:
        return Readers::Docx::ReadDocxFile(file, name);
    case InputKind::Odt:
    case InputKind::FlatOdt:
        return Readers::Odt::ReadOdtFile(file, name);
    case InputKind::LegacyWord:
        throw InputError(
            Quoted(name) +
            ": legacy binary Word documents (.doc) are not supported; save it as .docx");
    case InputKind::Encrypted:
        throw InputError(Quoted(name) + ": encrypted documents are not supported");
    case InputKind::OtherZip:
        throw InputError(
            Quoted(name) +
            ": a zip archive that is neither a Word nor an OpenDocument text document");
    case InputKind::Markdown:
        return Readers::Markdown::ReadMarkdownFile(file, name, baseDir);
    case InputKind::Binary:
        throw InputError(Quoted(name) +
                         ": not a document this tool reads (a JSON description, a Word .docx "
                         "file, an OpenDocument text or Markdown text)");
    default:
        break;
    }
    throw InputError(Quoted(name) + ": " + Readers::InputKindName(kind) +
                     " input is not supported yet");
}

} // namespace Cli
