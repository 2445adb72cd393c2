// SPDX-License-Identifier: MIT
#include "readers/docx/StyleTable.h"

#include "host/text/AttributeIds.h"
#include "host/text/AttributeObjects.h"
#include "host/text/Language.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace Readers::Docx {

using Foundation::Counted;
using Foundation::StringT;

namespace {

// A style chain longer than this is hostile or broken; it is cut there.
constexpr size_t kMaxChain = 64;

// Word stores built-in names in lower case ("heading 1") and shows them capitalised.
std::string DisplayName(std::string name) {
    if (std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
        return name;
    bool start = true;
    for (char& c : name) {
        if (start && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        start = c == ' ';
    }
    return name;
}

// "Heading1", "heading 1": the built-in heading styles, which need no outline level to be one.
std::optional<int> BuiltInHeading(std::string_view id, std::string_view name) {
    for (const std::string_view text : {id, name}) {
        std::string folded;
        for (const char c : text)
            if (c != ' ')
                folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (folded.size() == 8 && folded.starts_with("heading") && folded[7] >= '1' &&
            folded[7] <= '9')
            return folded[7] - '1';
    }
    return std::nullopt;
}

} // namespace

StyleTable::StyleTable(std::unique_ptr<XmlPart> part, const Properties& properties)
    : part_(std::move(part)), properties_(properties) {
    if (!part_)
        return;
    const pugi::xml_node root = part_->Root();
    const pugi::xml_node defaults = Child(root, "docDefaults");
    defaultRun_ = Child(Child(defaults, "rPrDefault"), "rPr");
    defaultParagraphProps_ = Child(Child(defaults, "pPrDefault"), "pPr");
    if (const auto size = Properties::Size(defaultRun_))
        defaultSize_ = *size;
    defaultLanguage_ = AttrText(Child(defaultRun_, "lang"), "val");
    std::set<std::string> names;
    for (pugi::xml_node s = root.first_child(); s; s = s.next_sibling()) {
        if (!Is(s, "style"))
            continue;
        Entry e;
        e.id = AttrText(s, "styleId");
        e.type = AttrText(s, "type");
        if (e.type.empty())
            e.type = "paragraph";
        if (e.id.empty() || byId_.count(e.id))
            continue;
        e.basedOn = ChildVal(s, "basedOn").value_or("");
        e.node = s;
        std::string name = DisplayName(std::string(ChildVal(s, "name").value_or(e.id)));
        if (name.empty())
            name = e.id;
        if (!names.insert(name).second)
            name += " (" + e.id + ")";
        names.insert(name);
        e.name = std::move(name);
        const std::string_view isDefault = AttrText(s, "default");
        if (e.type == "paragraph" && (isDefault == "1" || isDefault == "true") &&
            defaultParagraph_.empty())
            defaultParagraph_ = e.id;
        const auto [it, added] = byId_.emplace(e.id, std::move(e));
        order_.push_back(&it->second);
    }
    if (defaultParagraph_.empty()) {
        // Paragraphs without a style still take the document defaults, through a style of
        // their own.
        Entry e;
        e.id = " default"; // no style id has a space
        e.type = "paragraph";
        e.name = names.count("Normal") ? "Normal (default)" : "Normal";
        defaultParagraph_ = e.id;
        const auto [it, added] = byId_.emplace(e.id, std::move(e));
        order_.push_back(&it->second);
    }
    if (const pugi::xml_node fonts = Child(defaultRun_, "rFonts")) {
        Text::AttributeSet set;
        properties_.Run(defaultRun_, set, defaultSize_);
        if (const auto* v = set.Find(Text::AttKind::String, Text::GlyphStr::FontFamily))
            defaultFont_ = std::get<StringT>(*v).str();
    }
}

const StyleTable::Entry* StyleTable::Find(std::string_view id, std::string_view type) const {
    const auto it = byId_.find(id);
    if (it == byId_.end() || it->second.type != type)
        return nullptr;
    return &it->second;
}

std::vector<const StyleTable::Entry*> StyleTable::Chain(std::string_view id,
                                                        std::string_view type) const {
    std::vector<const Entry*> chain;
    for (const Entry* e = Find(id, type); e && chain.size() < kMaxChain;
         e = Find(e->basedOn, type)) {
        if (std::find(chain.begin(), chain.end(), e) != chain.end())
            break;
        chain.push_back(e);
    }
    return chain;
}

Counted<Text::TextDocument> StyleTable::MakeTextDocument(const std::string& language) const {
    auto document = Text::TextDocument::Make();
    if (language.empty())
        return document;
    document->SetDefaults(document->GetDefaultGlyphAtts()->With(
                              Text::GlyphObject::Language,
                              Counted<const Text::AttObject>(Text::Language::Make(language))),
                          *document->GetDefaultParagraphAtts());
    return document;
}

Counted<const Text::EPubTag> StyleTable::TagFor(const Entry& entry) const {
    const auto element = [](std::string name) {
        return Text::EPubTag::Make(Text::EPubTag::ElementSet, StringT(name), {});
    };
    if (entry.type != "paragraph")
        return {};
    if (const auto level = HeadingLevel(entry.id))
        return element("h" + std::to_string(std::min(*level, 5) + 1));
    for (const Entry* e : Chain(entry.id, "paragraph")) {
        if (e->id == "Title" || e->name == "Title")
            return element("h1");
        if (e->id == "Quote" || e->id == "IntenseQuote" || e->name == "Quote" ||
            e->name == "Intense Quote" || e->name == "Block Text")
            return element("blockquote");
    }
    return {};
}

void StyleTable::AddTo(Text::StyleSheet& sheet, const Text::AttributeSet& settings) const {
    // The document defaults go into the paragraph styles without a base rather than into the
    // text document's defaults: the style sheet then says them once, in the classes, instead of
    // an override on every paragraph.
    Text::AttributeSet rootParagraph = settings, rootGlyph;
    properties_.Paragraph(defaultParagraphProps_, rootParagraph);
    rootGlyph.Set(Text::GlyphDouble::Size, defaultSize_);
    properties_.Run(defaultRun_, rootGlyph, defaultSize_);
    const auto over = [](Text::AttributeSet base, const Text::AttributeSet& own) {
        for (const Text::AttEntry& entry : own)
            base.Set(entry.id, entry.value);
        return base;
    };
    for (const Entry* e : order_) {
        const bool paragraph = e->type == "paragraph";
        if (!paragraph && e->type != "character")
            continue;
        Text::AttributeSet para, glyph;
        const auto chain = Chain(e->id, e->type);
        const Entry* base = chain.size() > 1 && chain.size() < kMaxChain ? chain[1] : nullptr;
        if (paragraph) {
            // Bases come first in order_, so the sheet already knows the one this builds on.
            const auto inherited =
                base ? Properties::IndentsOf(
                           sheet.ResolveParagraphAtts(StringT(base->name)).GetSet())
                     : Properties::IndentsOf(rootParagraph);
            properties_.Paragraph(Child(e->node, "pPr"), para, inherited);
        }
        properties_.Run(Child(e->node, "rPr"), glyph, paragraph ? FontSize(e->id) : defaultSize_);
        if (paragraph && !base) {
            para = over(rootParagraph, para);
            glyph = over(rootGlyph, glyph);
        }
        sheet.AddStyle(Text::Style::Make(
            StringT(e->name), paragraph ? Text::StyleKind::Paragraph : Text::StyleKind::Character,
            base ? StringT(base->name) : StringT(),
            Foundation::MakeCounted<Text::Delta>(std::move(para), std::move(glyph)), TagFor(*e)));
    }
}

std::string StyleTable::ParagraphStyle(std::string_view id) const {
    if (const Entry* e = Find(id, "paragraph"))
        return e->name;
    if (const Entry* e = Find(defaultParagraph_, "paragraph"))
        return e->name;
    return {};
}

std::string StyleTable::CharacterStyle(std::string_view id) const {
    const Entry* e = Find(id, "character");
    // The default character style sets nothing: leaving it out keeps runs unstyled.
    if (!e || AttrText(e->node, "default") == "1")
        return {};
    return e->name;
}

std::optional<int> StyleTable::HeadingLevel(std::string_view paragraphId) const {
    for (const Entry* e :
         Chain(paragraphId.empty() ? defaultParagraph_ : paragraphId, "paragraph")) {
        const pugi::xml_node pPr = Child(e->node, "pPr");
        if (Child(pPr, "outlineLvl"))
            return Properties::OutlineLevel(pPr);
        if (const auto level = BuiltInHeading(e->id, e->name))
            return level;
    }
    return std::nullopt;
}

bool StyleTable::Hidden(std::string_view paragraphId, std::string_view characterId) const {
    for (const Entry* e : Chain(characterId, "character"))
        if (const auto hidden = Properties::Hidden(Child(e->node, "rPr")))
            return *hidden;
    for (const Entry* e : Chain(paragraphId.empty() ? defaultParagraph_ : paragraphId, "paragraph"))
        if (const auto hidden = Properties::Hidden(Child(e->node, "rPr")))
            return *hidden;
    return false;
}

double StyleTable::FontSize(std::string_view paragraphId) const {
    for (const Entry* e : Chain(paragraphId.empty() ? defaultParagraph_ : paragraphId, "paragraph"))
        if (const auto size = Properties::Size(Child(e->node, "rPr")))
            return *size;
    return defaultSize_;
}

std::optional<ListRef> StyleTable::List(std::string_view paragraphId) const {
    for (const Entry* e :
         Chain(paragraphId.empty() ? defaultParagraph_ : paragraphId, "paragraph")) {
        const pugi::xml_node numPr = Child(Child(e->node, "pPr"), "numPr");
        if (!numPr)
            continue;
        ListRef ref;
        ref.numId = ChildVal(numPr, "numId").value_or("");
        ref.level = static_cast<int>(
            std::clamp(NumberAttr(Child(numPr, "ilvl"), "val").value_or(0), 0.0, 8.0));
        return ref;
    }
    return std::nullopt;
}

std::vector<pugi::xml_node> StyleTable::TableStyleChain(std::string_view id) const {
    std::vector<pugi::xml_node> nodes;
    for (const Entry* e : Chain(id, "table"))
        nodes.push_back(e->node);
    return nodes;
}

} // namespace Readers::Docx
