// SPDX-License-Identifier: MIT
#include "cli/MetadataReader.h"

#include "epub/package/NameRules.h"

namespace Cli {

std::string ReadMetadata(const JsonInput& in, const Node& node, EPub::ExportSettings& s,
                         MetadataLayout layout) {
    if (layout == MetadataLayout::Reflowable)
        in.CheckFields(node, {"title", "author", "illustrator", "description", "rights", "subject",
                              "publisher", "language", "identifier", "isbn", "pageSource", "date"});
    else
        in.CheckFields(node, {"title", "author", "illustrator", "description", "rights", "subject",
                              "publisher", "language", "identifier", "pageSource", "date"});
    s.title = in.String(node, "title");
    s.author = in.String(node, "author");
    s.illustrator = in.String(node, "illustrator");
    s.description = in.String(node, "description");
    s.rights = in.String(node, "rights");
    s.subject = in.String(node, "subject");
    s.publisher = in.String(node, "publisher");
    // Written into attributes of every document and page: anything but a tag would break them.
    s.language = in.String(node, "language", "en");
    if (!EPub::IsLanguageTag(s.language.view()))
        in.Fail(node.Field("language"),
                "\"" + s.language.str() + "\" is not a language tag such as \"en\" or \"de-CH\"");
    s.identifier = in.String(node, "identifier");
    if (layout == MetadataLayout::Reflowable)
        s.identifierType = in.Bool(node, "isbn", false) ? 2 : 0;
    s.date = in.String(node, "date");
    if (!s.date.empty() && !EPub::IsPublicationDate(s.date.view()))
        in.Fail(node.Field("date"), "\"" + s.date.str() +
                                        "\" is not a date such as \"2024\", \"2024-05-17\" or "
                                        "\"2024-05-17T09:30:00Z\"");
    return in.String(node, "pageSource");
}

} // namespace Cli
