// SPDX-License-Identifier: MIT
#pragma once
// The document's styles: defaults, paragraph, character and table styles with their basedOn
// chains. Each paragraph and character style becomes a host style of the same name, so the style
// sheet has one class per Word style; headings and quotations get their elements.

#include "host/text/Style.h"
#include "readers/docx/Properties.h"
#include "readers/docx/XmlPart.h"

#include <map>
#include <optional>
#include <string>

namespace Readers::Docx {

struct ListRef {
    std::string numId;
    int level = 0;
};

class StyleTable {
public:
    // `part` may be null: a package without styles.
    StyleTable(std::unique_ptr<XmlPart> part, const Properties& properties);

    // A text document whose text is in `language` unless marked otherwise.
    Foundation::Counted<Text::TextDocument> MakeTextDocument(const std::string& language) const;
    // Adds a host style for every paragraph and character style; the document defaults and
    // `settings` (from the document settings) go into the paragraph styles without a base.
    void AddTo(Text::StyleSheet& sheet, const Text::AttributeSet& settings) const;

    // Host style name of a paragraph or character style id; empty when there is none. An unknown
    // paragraph style id gives the default paragraph style.
    std::string ParagraphStyle(std::string_view id) const;
    std::string CharacterStyle(std::string_view id) const;
    // Resolved through basedOn; the paragraph style by id (empty: the default).
    std::optional<int> HeadingLevel(std::string_view paragraphId) const;
    bool Hidden(std::string_view paragraphId, std::string_view characterId) const;
    double FontSize(std::string_view paragraphId) const;
    std::optional<ListRef> List(std::string_view paragraphId) const;
    // The table style's properties (tblPr of the style and its bases, nearest first).
    std::vector<pugi::xml_node> TableStyleChain(std::string_view id) const;
    std::string_view DefaultLanguage() const { return defaultLanguage_; }
    std::string_view DefaultFont() const { return defaultFont_; }

private:
    struct Entry {
        std::string id;
        std::string name; // host name
        std::string type; // paragraph, character, table, numbering
        std::string basedOn;
        pugi::xml_node node;
    };

    const Entry* Find(std::string_view id, std::string_view type) const;
    // The style and its bases, nearest first; stops at loops and after 64 styles.
    std::vector<const Entry*> Chain(std::string_view id, std::string_view type) const;
    Foundation::Counted<const Text::EPubTag> TagFor(const Entry& entry) const;

    std::unique_ptr<XmlPart> part_;
    const Properties& properties_;
    std::map<std::string, Entry, std::less<>> byId_;
    std::vector<const Entry*> order_;
    std::string defaultParagraph_; // id
    pugi::xml_node defaultRun_, defaultParagraphProps_;
    double defaultSize_ = 10;
    std::string defaultLanguage_;
    std::string defaultFont_;
};

} // namespace Readers::Docx
