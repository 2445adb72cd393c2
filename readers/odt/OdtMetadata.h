// SPDX-License-Identifier: MIT
#pragma once
// meta.xml (office:meta): title, authors, subject, description, keywords, language and dates.

#include <pugixml.hpp>
#include <string>

namespace Readers::Odt {

struct OdtMetadata {
    std::string title, author, subject, description, keywords, language, created;
};

// `meta` is the office:document-meta root, or a flat document; null gives empty metadata.
OdtMetadata ReadMetadata(pugi::xml_node meta);

} // namespace Readers::Odt
