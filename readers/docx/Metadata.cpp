// SPDX-License-Identifier: MIT
#include "readers/docx/Metadata.h"

#include "readers/docx/XmlPart.h"

#include <cctype>

namespace Readers::Docx {

namespace {

std::string Text(pugi::xml_node root, std::string_view local) {
    std::string out;
    for (pugi::xml_node c = root.first_child(); c; c = c.next_sibling())
        if (Is(c, local)) {
            if (!out.empty())
                out += "; ";
            out += c.text().get();
        }
    const size_t first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

bool IsLanguageTag(std::string_view tag) {
    if (tag.empty() || tag.size() > 35)
        return false;
    size_t length = 0;
    bool first = true;
    for (const char c : tag) {
        if (c == '-' || c == '_') {
            if (length == 0)
                return false;
            first = false;
            length = 0;
            continue;
        }
        const bool letter = std::isalpha(static_cast<unsigned char>(c)) != 0;
        if (!(letter || (!first && std::isdigit(static_cast<unsigned char>(c)))) || ++length > 8)
            return false;
    }
    return length > 0 && (tag.find_first_of("-_") >= 2);
}

Metadata ReadMetadata(const XmlPart* core, const XmlPart* app) {
    Metadata m;
    if (core) {
        const pugi::xml_node root = core->Root();
        m.title = Text(root, "title");
        m.author = Text(root, "creator");
        m.subject = Text(root, "subject");
        m.description = Text(root, "description");
        m.keywords = Text(root, "keywords");
        m.language = Text(root, "language");
        m.identifier = Text(root, "identifier");
        m.created = Text(root, "created");
        m.modified = Text(root, "modified");
    }
    if (app)
        m.publisher = Text(app->Root(), "Company");
    return m;
}

} // namespace Readers::Docx
