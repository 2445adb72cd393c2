// SPDX-License-Identifier: MIT
#include "readers/odt/OdtStyles.h"

#include "host/text/AttributeIds.h"
#include "host/text/Language.h"
#include "host/text/TextDocument.h"
#include "readers/common/SafeXml.h"

#include <algorithm>

namespace Readers::Odt {

using Foundation::Counted;
using Foundation::StringT;

namespace {

// A parent chain longer than this is hostile or broken; it is cut there.
constexpr size_t kMaxChain = 64;
constexpr std::string_view kDefaultName = "Default Paragraph Style";

std::string Key(std::string_view family, std::string_view name) {
    std::string key(family);
    key += '/';
    key += name;
    return key;
}

// "Heading_20_1" is how a name with a space is written when no display name is given.
std::string Decoded(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '_' && i + 3 < name.size() && name[i + 3] == '_' &&
            std::isxdigit(static_cast<unsigned char>(name[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2]))) {
            const int c = std::stoi(std::string(name.substr(i + 1, 2)), nullptr, 16);
            if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
                i += 3;
                continue;
            }
        }
        out += name[i];
    }
    return out;
}

// "Heading_20_2": the office suites' own heading styles, headings even where a document (an
// imported web page, say) gives them no outline level.
std::optional<int> BuiltInHeading(std::string_view name) {
    constexpr std::string_view prefix = "Heading_20_";
    if (!name.starts_with(prefix) || name.size() != prefix.size() + 1)
        return std::nullopt;
    const char digit = name.back();
    return digit >= '1' && digit <= '9' ? std::optional<int>(digit - '0') : std::nullopt;
}

} // namespace

OdtStyles::OdtStyles(pugi::xml_node styles, pugi::xml_node content) {
    std::map<std::string, std::string, std::less<>> fonts;
    std::vector<pugi::xml_node> roots;
    if (styles)
        roots.push_back(styles);
    if (content && content != styles)
        roots.push_back(content);
    std::map<std::string, int, std::less<>> displayUsed;
    // Content's automatic styles come last and win over those of styles.xml with the same name.
    for (const pugi::xml_node root : roots) {
        for (pugi::xml_node group = root.first_child(); group; group = group.next_sibling()) {
            const std::string_view groupName = LocalName(group);
            const bool automatic = groupName == "automatic-styles";
            if (groupName == "font-face-decls") {
                for (pugi::xml_node f = group.first_child(); f; f = f.next_sibling())
                    if (Is(f, "font-face"))
                        fonts[std::string(AttrText(f, "name"))] =
                            std::string(AttrText(f, "font-family"));
                continue;
            }
            if (!automatic && groupName != "styles")
                continue;
            for (pugi::xml_node s = group.first_child(); s; s = s.next_sibling()) {
                const std::string_view kind = LocalName(s);
                if (kind == "default-style") {
                    defaults_[std::string(AttrText(s, "family"))] = s;
                } else if (kind == "list-style") {
                    listStyles_[std::string(AttrText(s, "name"))] = s;
                } else if (kind == "outline-style") {
                    outline_ = s;
                } else if (kind == "style") {
                    Entry e;
                    e.name = AttrText(s, "name");
                    e.family = AttrText(s, "family");
                    e.parent = AttrText(s, "parent-style-name");
                    e.node = s;
                    e.automatic = automatic;
                    if (e.name.empty())
                        continue;
                    auto& table = automatic ? automatic_ : common_;
                    const std::string key = Key(e.family, e.name);
                    if (!automatic) {
                        if (table.count(key))
                            continue;
                        std::string display(AttrText(s, "display-name"));
                        if (display.empty())
                            display = Decoded(e.name);
                        if (display == kDefaultName || displayUsed[display]++ > 0)
                            display += " (" + e.name + ")";
                        e.display = std::move(display);
                    }
                    const auto [it, added] = table.insert_or_assign(key, std::move(e));
                    if (!automatic)
                        order_.push_back(&it->second);
                }
            }
        }
    }
    properties_ = std::make_unique<OdtProperties>(std::move(fonts));
    if (const auto it = defaults_.find("paragraph"); it != defaults_.end())
        defaultSize_ = OdtProperties::Size(Child(it->second, "text-properties"), 12).value_or(12);
}

const OdtStyles::Entry* OdtStyles::Find(std::string_view family, std::string_view name) const {
    if (name.empty())
        return nullptr;
    const std::string key = Key(family, name);
    if (const auto it = automatic_.find(key); it != automatic_.end())
        return &it->second;
    if (const auto it = common_.find(key); it != common_.end())
        return &it->second;
    return nullptr;
}

std::vector<const OdtStyles::Entry*> OdtStyles::Chain(std::string_view family,
                                                      std::string_view name) const {
    std::vector<const Entry*> chain;
    const Entry* e = Find(family, name);
    while (e && chain.size() < kMaxChain &&
           std::find(chain.begin(), chain.end(), e) == chain.end()) {
        chain.push_back(e);
        // A parent is always a common style: an automatic one never names another.
        const auto it = common_.find(Key(family, e->parent));
        e = it == common_.end() ? nullptr : &it->second;
    }
    return chain;
}

const OdtStyles::Entry* OdtStyles::Common(const std::vector<const Entry*>& chain) const {
    for (const Entry* e : chain)
        if (!e->automatic)
            return e;
    return nullptr;
}

double OdtStyles::SizeOf(const std::vector<const Entry*>& chain) const {
    double size = defaultSize_;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        size = OdtProperties::Size(Child((*it)->node, "text-properties"), size).value_or(size);
    return size;
}

std::string OdtStyles::DefaultLanguage() const {
    const auto it = defaults_.find("paragraph");
    if (it == defaults_.end())
        return {};
    const pugi::xml_node t = Child(it->second, "text-properties");
    std::string tag(AttrText(t, "language"));
    const std::string_view country = AttrText(t, "country");
    if (!tag.empty() && !country.empty() && country != "none")
        tag += "-" + std::string(country);
    return tag;
}

Counted<const Text::EPubTag> OdtStyles::TagFor(const Entry& entry) const {
    const auto element = [](std::string name) {
        return Text::EPubTag::Make(Text::EPubTag::ElementSet, StringT(name), {});
    };
    for (const Entry* e : Chain(entry.family, entry.name)) {
        if (const pugi::xml_attribute level = Attr(e->node, "default-outline-level"))
            return level.as_int() > 0
                       ? element("h" + std::to_string(std::clamp(level.as_int(), 1, 6)))
                       : nullptr;
        if (const auto level = BuiltInHeading(e->name))
            return element("h" + std::to_string(std::min(*level, 6)));
        if (e->name == "Title")
            return element("h1");
        if (e->name == "Quotations")
            return element("blockquote");
    }
    return {};
}

void OdtStyles::Add(Text::StyleSheet& sheet, const Entry& entry,
                    std::vector<const Entry*>& done) const {
    if (std::find(done.begin(), done.end(), &entry) != done.end())
        return;
    done.push_back(&entry);
    const bool paragraph = entry.family == "paragraph";
    const auto chain = Chain(entry.family, entry.name);
    const Entry* base = chain.size() > 1 && chain.size() < kMaxChain ? chain[1] : nullptr;
    if (base)
        Add(sheet, *base, done);
    Text::AttributeSet para, glyph;
    if (paragraph) {
        // Indents set one at a time keep the other one the parent has.
        Text::AttributeSet inherited;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            properties_->Paragraph(Child((*it)->node, "paragraph-properties"), inherited);
        for (const Text::AttEntry& a : inherited)
            if (a.id == Text::ParaDouble::LeftIndent || a.id == Text::ParaDouble::FirstLineIndent)
                if (std::holds_alternative<double>(a.value))
                    para.Set(a.id, a.value);
        properties_->Paragraph(Child(entry.node, "paragraph-properties"), para);
        if (const auto h = OdtProperties::Hyphenate(Child(entry.node, "text-properties")))
            para.Set(Text::ParaInt::Hyphenate, int32_t{*h});
    }
    const std::vector<const Entry*> parents(chain.begin() + (chain.empty() ? 0 : 1), chain.end());
    properties_->Run(Child(entry.node, "text-properties"), glyph, SizeOf(parents));
    StringT baseName = base ? StringT(base->display) : StringT();
    if (paragraph && !base)
        baseName = StringT(std::string(kDefaultName));
    sheet.AddStyle(Text::Style::Make(
        StringT(entry.display), paragraph ? Text::StyleKind::Paragraph : Text::StyleKind::Character,
        baseName, Foundation::MakeCounted<Text::Delta>(std::move(para), std::move(glyph)),
        paragraph ? TagFor(entry) : nullptr));
}

void OdtStyles::AddTo(Text::StyleSheet& sheet, std::string_view language) const {
    Text::AttributeSet para, glyph;
    glyph.Set(Text::GlyphDouble::Size, defaultSize_);
    if (const auto it = defaults_.find("paragraph"); it != defaults_.end()) {
        properties_->Paragraph(Child(it->second, "paragraph-properties"), para);
        properties_->Run(Child(it->second, "text-properties"), glyph, defaultSize_);
        if (const auto h = OdtProperties::Hyphenate(Child(it->second, "text-properties")))
            para.Set(Text::ParaInt::Hyphenate, int32_t{*h});
    }
    if (!language.empty())
        glyph.Set(Text::GlyphObject::Language,
                  Foundation::Counted<const Text::AttObject>(Text::Language::Make(language)));
    // Page starts are the reader's to decide, by splitting stories.
    para.Erase(Text::AttKind::Integer, Text::ParaInt::StartPosition);
    sheet.AddStyle(
        Text::Style::Make(StringT(std::string(kDefaultName)), Text::StyleKind::Paragraph, {},
                          Foundation::MakeCounted<Text::Delta>(std::move(para), std::move(glyph))));
    std::vector<const Entry*> done;
    for (const Entry* e : order_)
        if (e->family == "paragraph" || e->family == "text")
            Add(sheet, *e, done);
}

OdtStyles::Paragraph OdtStyles::ParagraphStyle(std::string_view name) const {
    Paragraph out;
    const auto chain = Chain("paragraph", name);
    const Entry* common = Common(chain);
    out.style = common ? common->display : std::string(kDefaultName);
    out.size = SizeOf(chain);
    const auto defaults = defaults_.find("paragraph");
    Scripts(chain, defaults == defaults_.end() ? pugi::xml_node() : defaults->second, out.size,
            out.asian, out.complex);
    bool levelSeen = false;
    for (const Entry* e : chain) {
        if (!levelSeen) {
            if (const pugi::xml_attribute level = Attr(e->node, "default-outline-level")) {
                out.outlineLevel =
                    level.as_int() > 0 ? std::optional(level.as_int()) : std::nullopt;
                levelSeen = true;
            } else if (const auto builtIn = BuiltInHeading(e->name)) {
                out.outlineLevel = builtIn;
                levelSeen = true;
            }
        }
        if (out.listStyle.empty())
            out.listStyle = AttrText(e->node, "list-style-name");
        const pugi::xml_node p = Child(e->node, "paragraph-properties");
        if (!AttrText(e->node, "master-page-name").empty() || AttrText(p, "break-before") == "page")
            out.pageBefore = true;
        if (!out.pageNumber)
            if (const pugi::xml_attribute number = Attr(p, "page-number");
                number && number.as_int() > 0)
                out.pageNumber = std::min(number.as_int(), 1000000);
    }
    // The automatic styles' own properties, over the common style.
    std::vector<const Entry*> own;
    for (const Entry* e : chain) {
        if (e == common)
            break;
        own.push_back(e);
    }
    if (own.empty())
        return out;
    Text::AttributeSet inherited;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (std::find(own.begin(), own.end(), *it) == own.end())
            properties_->Paragraph(Child((*it)->node, "paragraph-properties"), inherited);
    const std::vector<const Entry*> parents(chain.begin() + static_cast<ptrdiff_t>(own.size()),
                                            chain.end());
    const double parentSize = SizeOf(parents);
    for (auto it = own.rbegin(); it != own.rend(); ++it) {
        const pugi::xml_node p = Child((*it)->node, "paragraph-properties");
        if (Attr(p, "margin-left") || Attr(p, "text-indent"))
            for (const Text::AttEntry& a : inherited)
                if ((a.id == Text::ParaDouble::LeftIndent ||
                     a.id == Text::ParaDouble::FirstLineIndent) &&
                    std::holds_alternative<double>(a.value) &&
                    !out.para.Find(Text::AttKind::Double, a.id))
                    out.para.Set(a.id, a.value);
        properties_->Paragraph(p, out.para);
        const pugi::xml_node t = Child((*it)->node, "text-properties");
        properties_->Run(t, out.glyph, parentSize);
        if (const auto h = OdtProperties::Hyphenate(t))
            out.para.Set(Text::ParaInt::Hyphenate, int32_t{*h});
    }
    return out;
}

OdtStyles::Span OdtStyles::TextStyle(std::string_view name, double size) const {
    Span out;
    const auto chain = Chain("text", name);
    const Entry* common = Common(chain);
    if (common)
        out.style = common->display;
    Scripts(chain, {}, size, out.asian, out.complex);
    // Sizes in percent are of the paragraph's size, through the named style.
    double base = size;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const pugi::xml_node t = Child((*it)->node, "text-properties");
        if ((*it)->automatic)
            properties_->Run(t, out.glyph, base);
        else
            base = OdtProperties::Size(t, base).value_or(base);
    }
    return out;
}

void OdtStyles::Scripts(const std::vector<const Entry*>& chain, pugi::xml_node defaults,
                        double size, Text::AttributeSet& asian, Text::AttributeSet& complex) const {
    // The host styles carry one font and language: the other scripts' go on their text.
    const auto add = [&](pugi::xml_node t) {
        properties_->Script(t, "asian", asian, size);
        properties_->Script(t, "complex", complex, size);
    };
    add(Child(defaults, "text-properties"));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        add(Child((*it)->node, "text-properties"));
}

pugi::xml_node OdtStyles::PropertiesOf(std::string_view family, std::string_view name,
                                       std::string_view kind) const {
    for (const Entry* e : Chain(family, name))
        if (const pugi::xml_node p = Child(e->node, kind))
            return p;
    if (const auto it = defaults_.find(family); it != defaults_.end())
        return Child(it->second, kind);
    return {};
}

pugi::xml_node OdtStyles::ListStyle(std::string_view name) const {
    const auto it = listStyles_.find(name);
    return it == listStyles_.end() ? pugi::xml_node() : it->second;
}

} // namespace Readers::Odt
