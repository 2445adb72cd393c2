#include "cli/InputFile.h"

#include "cli/MappedInput.h"
#include "readers/docx/DocxReader.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace Cli {

namespace {

std::string Quoted(const std::filesystem::path& file) {
    return "\"" + file.string() + "\"";
}

} // namespace

Readers::InputKind DetectFileKind(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_directory(file, error))
        throw InputError(Quoted(file) + ": is a folder, not a document");
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

Document ReadOtherInput(Readers::InputKind kind, const std::filesystem::path& file) {
    using Readers::InputKind;
    switch (kind) {
    case InputKind::Docx:
        return Readers::Docx::ReadDocx(file);
    case InputKind::LegacyWord:
        throw InputError(
            Quoted(file) +
            ": legacy binary Word documents (.doc) are not supported; save it as .docx");
    case InputKind::Encrypted:
        throw InputError(Quoted(file) + ": encrypted documents are not supported");
    case InputKind::OtherZip:
        throw InputError(
            Quoted(file) +
            ": a zip archive that is neither a Word nor an OpenDocument text document");
    case InputKind::Binary:
        throw InputError(Quoted(file) + ": not a document this tool reads (JSON, DOCX, ODT, "
                                        "FODT or Markdown)");
    default:
        break;
    }
    throw InputError(Quoted(file) + ": " + Readers::InputKindName(kind) +
                     " input is not supported yet");
}

} // namespace Cli
