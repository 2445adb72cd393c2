#pragma once
// The host side of an export: what the exporter asks the application for (note numbers, list
// numbering, cross-reference texts, localised texts), answered from the document alone.

#include "epub/content/HtmlExporter.h"

#include <map>
#include <memory>
#include <utility>

namespace Cli {

class HostServices {
public:
    // Installs every callback on `exporter`; this object must outlive the export.
    void Install(EPub::HtmlExporter& exporter);

private:
    Foundation::StringT NoteNumber(const Text::Glyph& glyph, const Text::StoryPos& pos);

    // Notes keep the number they got when first asked, so a note asked about twice (reference
    // and body) shows one number.
    std::map<std::pair<const void*, int64_t>, int> noteNumbers_;
    std::map<int32_t, int> notesSeen_;
};

} // namespace Cli
