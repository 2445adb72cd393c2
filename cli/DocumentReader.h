// SPDX-License-Identifier: MIT
#pragma once
// Reads a JSON document description into what an export needs: settings, options, text styles,
// fonts, style sheets and stories. Every mistake in the input is an InputError naming the file
// and where in it.

#include "cli/JsonInput.h"
#include "cli/JsonValue.h"
#include "cli/StoryReader.h"
#include "epub/options/CSSFile.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "host/foundation/MemoryFont.h"
#include "host/text/AnchorData.h"
#include "host/text/Story.h"
#include "host/text/Style.h"
#include "readers/common/ReaderDocument.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace Cli {

using Foundation::Counted;
using Foundation::StringT;

using Readers::ArticleEntry;
using Readers::Document;
using Readers::StoryEntry;

// Throws InputError for malformed JSON (with line and column), wrong or unknown fields (with
// their JSON path), unknown style or anchor references, unsafe file names and unreadable files.
Document ReadDocument(const std::filesystem::path& file);
// The same, in two steps, for a caller that looks at the tree first (the document's layout).
// The first form frees each story's values from the tree once read (see LoadJson).
JsonDocument LoadJson(const std::filesystem::path& file);
// As LoadJson(file), naming the input `sourceName` in messages (standard input, read from a copy).
JsonDocument LoadJson(const std::filesystem::path& file, const std::string& sourceName);
// The message for an input that changed on disk while it was read (JsonDocument::TextChanged).
std::string ChangedWhileRead(const std::string& sourceName);

// What `read()` makes of `tree`, unless the file changed on disk meanwhile: then whatever was read,
// or found wrong, may not be in the file, and one InputError says so instead.
template <class Read>
auto ReadUnchanged(const JsonDocument& tree, const std::string& sourceName, Read read) {
    try {
        auto result = read();
        if (!tree.TextChanged())
            return result;
    } catch (const InputError&) {
        if (!tree.TextChanged())
            throw;
    }
    throw InputError(ChangedWhileRead(sourceName));
}
Document ReadDocument(JsonDocument& tree, const std::filesystem::path& file);
// The same for a copy of the input: messages say `sourceName`, file names in the document are
// taken from `baseDir`.
// `adjust` changes the metadata once read, before the text is built in its language.
using MetadataAdjustment = std::function<void(EPub::ExportSettings&)>;
Document ReadDocument(JsonDocument& tree, const std::filesystem::path& file,
                      const std::string& sourceName, const std::filesystem::path& baseDir,
                      const MetadataAdjustment& adjust = {});
Document ReadDocument(const JsonValue& root, const std::filesystem::path& file,
                      const std::function<void(size_t)>& itemDone = {});
// Titles an untitled document after its file.
void NameUntitled(Document& doc, const std::filesystem::path& file);
// Style sheets are text: valid UTF-8 without NUL or other control characters.
bool IsStyleSheetText(const std::string& text);

Document ParseDocument(std::string text, const std::string& sourceName,
                       const std::filesystem::path& baseDir);

} // namespace Cli
