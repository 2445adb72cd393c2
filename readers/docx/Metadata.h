// SPDX-License-Identifier: MIT
#pragma once
// Publication metadata from the package's core and extended properties.

#include "epub/options/ExportSettings.h"

#include <string>

namespace Readers {
class XmlPart;
}

namespace Readers::Docx {

struct Metadata {
    std::string title, author, subject, description, keywords, language, identifier, publisher;
    std::string created, modified; // W3C dates, as the properties give them
};

// Either part may be null.
Metadata ReadMetadata(const XmlPart* core, const XmlPart* app);
// "en", "de-CH": a tag the package document accepts.
bool IsLanguageTag(std::string_view tag);

} // namespace Readers::Docx
