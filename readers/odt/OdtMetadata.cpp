// SPDX-License-Identifier: MIT
#include "readers/odt/OdtMetadata.h"

#include "readers/common/SafeXml.h"

namespace Readers::Odt {

namespace {

std::string Collapsed(std::string_view text) {
    std::string out;
    bool space = true;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            space = true;
            continue;
        }
        if (space && !out.empty())
            out += ' ';
        space = false;
        out += c;
        if (out.size() > 10000)
            break;
    }
    return out;
}

} // namespace

OdtMetadata ReadMetadata(pugi::xml_node root) {
    OdtMetadata m;
    const pugi::xml_node meta = Child(root, "meta");
    std::string initialCreator, modified;
    for (pugi::xml_node c = meta.first_child(); c; c = c.next_sibling()) {
        const std::string_view name = LocalName(c);
        const std::string text = Collapsed(c.text().get());
        if (text.empty())
            continue;
        if (name == "title")
            m.title = text;
        else if (name == "creator")
            m.author = text;
        else if (name == "initial-creator")
            initialCreator = text;
        else if (name == "subject")
            m.subject = text;
        else if (name == "description")
            m.description = text;
        else if (name == "keyword")
            m.keywords += (m.keywords.empty() ? "" : ", ") + text;
        else if (name == "language")
            m.language = text;
        else if (name == "creation-date")
            m.created = text;
        else if (name == "date")
            modified = text;
    }
    // The author is who wrote the document first; the last editor only failing that.
    if (!initialCreator.empty())
        m.author = initialCreator;
    if (m.created.empty())
        m.created = modified;
    return m;
}

} // namespace Readers::Odt
