#pragma once
// Reads a JSON document description into what an export needs: settings, options, text styles
// and stories. Every mistake in the input is an InputError naming the file and where in it.

#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "host/text/AnchorData.h"
#include "host/text/Story.h"
#include "host/text/Style.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace Cli {

using Foundation::Counted;
using Foundation::StringT;

class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct StoryEntry {
    Counted<const Text::Story> story;
    StringT fileName;
    StringT title;
    // Where the story starts; a table-of-contents entry and the page list point here.
    Counted<const Text::AnchorData> startAnchor;
    StringT tocText;   // empty: no entry
    StringT pageLabel; // empty: no page starts here
};

struct Document {
    Counted<EPub::ExportSettings> settings;
    Counted<EPub::FlowingEPubOptions> options;
    Counted<Text::StyleSheet> styles;
    std::vector<StoryEntry> stories;
};

// Throws InputError for malformed JSON (with line and column), wrong or unknown fields (with
// their JSON path), unknown style references, unsafe file names and unreadable files.
Document ReadDocument(const std::filesystem::path& file);
Document ParseDocument(const std::string& text, const std::string& sourceName,
                       const std::filesystem::path& baseDir);

} // namespace Cli
