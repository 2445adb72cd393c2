// SPDX-License-Identifier: MIT
#include "epub/css/StyleSheet.h"

#include "epub/css/CssColours.h"
#include "epub/css/FontPalettes.h"
#include "epub/css/TextContrast.h"
#include "host/render/Colour.h"
#include "host/text/TextDocument.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace EPub {

using namespace Text;
using Foundation::ToStringT;

namespace {

bool IsAsciiLetter(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(char32_t c) {
    return c >= '0' && c <= '9';
}

StringT JoinClasses(std::initializer_list<const StringT*> names) {
    StringT out;
    for (const StringT* name : names) {
        if (name->empty())
            continue;
        if (!out.empty())
            out += ' ';
        out += *name;
    }
    return out;
}

// Bodies built line by line already end in a line feed.
StringT Rule(std::string_view selector, const StringT& body) {
    return StringT::Format(body.EndsWith("\n") ? "%1 {\n%2}\n\n" : "%1 {\n%2\n}\n\n", selector,
                           body);
}

bool NeedsScale(double factor) {
    return std::fabs(factor - 1.0) > 0.00001;
}

bool IsOneOf(std::string_view value, std::initializer_list<std::string_view> list) {
    return std::ranges::find(list, value) != list.end();
}

bool IsGlyphProperty(std::string_view property) {
    return property.starts_with("font-") || property.starts_with("text-decoration") ||
           IsOneOf(property, {"color", "background-color", "letter-spacing", "vertical-align",
                              "text-transform"});
}

// What an element's content takes from it: inherited properties, and the lines and background
// that show through its children.
bool IsPassedOn(std::string_view property) {
    return (IsGlyphProperty(property) && property != "vertical-align") ||
           IsOneOf(property, {"line-height", "text-align", "text-indent", "hyphens", "widows",
                              "orphans", "list-style-type", "list-style-position"});
}

// The value that undoes a declaration an element would otherwise take from its classes or
// container; empty when there is none to write.
StringT ResetValue(std::string_view property) {
    if (property.starts_with("font-variant") || property == "font-feature-settings" ||
        IsOneOf(property,
                {"font-weight", "font-style", "font-palette", "letter-spacing", "line-height"}))
        return "normal";
    if (IsOneOf(property, {"text-decoration", "text-decoration-line", "text-transform"}))
        return "none";
    if (property == "text-decoration-style")
        return "solid";
    if (property == "text-decoration-color")
        return "currentColor";
    if (property == "background-color")
        return "transparent";
    if (property == "vertical-align")
        return "baseline";
    if (property == "color")
        return "initial";
    if (property == "text-indent")
        return "0";
    if (property == "text-align")
        return "left";
    if (property == "hyphens")
        return "manual";
    if (IsOneOf(property, {"widows", "orphans"}))
        return "2";
    if (property == "list-style-position")
        return "outside";
    return {};
}

const StringT* Find(const Declarations& declarations, std::string_view property) {
    const auto it =
        std::ranges::find_if(declarations, [&](const auto& d) { return d.first == property; });
    return it == declarations.end() ? nullptr : &it->second;
}

void Put(Declarations& declarations, const StringT& property, const StringT& value) {
    const auto it =
        std::ranges::find_if(declarations, [&](const auto& d) { return d.first == property; });
    if (it == declarations.end())
        declarations.emplace_back(property, value);
    else
        it->second = value;
}

void Overlay(Declarations& base, const Declarations& top) {
    for (const auto& [property, value] : top)
        Put(base, property, value);
}

Declarations PassedOn(const Declarations& declarations) {
    Declarations out;
    for (const auto& d : declarations)
        if (IsPassedOn(d.first.view()))
            out.push_back(d);
    return out;
}

Declarations Without(Declarations declarations, std::string_view property) {
    std::erase_if(declarations, [&](const auto& d) { return d.first == property; });
    return declarations;
}

// What an element must declare so that what it `has` shows as what is `wanted`, over the
// properties `relevant` accepts.
template <class Relevant>
Declarations Difference(const Declarations& wanted, const Declarations& has, Relevant relevant) {
    Declarations out;
    for (const auto& [property, value] : wanted) {
        const StringT* current = Find(has, property.view());
        if (relevant(property.view()) && (!current || *current != value))
            out.emplace_back(property, value);
    }
    for (const auto& [property, value] : has) {
        if (!relevant(property.view()) || Find(wanted, property.view()))
            continue;
        if (StringT reset = ResetValue(property.view()); !reset.empty() && reset != value)
            out.emplace_back(property, std::move(reset));
    }
    return out;
}

// What the reading system's own style sheet gives an inline element.
Declarations ElementDefaults(const StringT& element) {
    const std::string_view e = element.view();
    if (IsOneOf(e, {"strong", "b"}))
        return {{"font-weight", "bold"}};
    if (IsOneOf(e, {"em", "i", "cite", "dfn", "var"}))
        return {{"font-style", "italic"}};
    if (IsOneOf(e, {"code", "kbd", "samp", "tt"}))
        return {{"font-family", "monospace"}};
    if (e == "sub")
        return {{"vertical-align", "sub"}};
    if (e == "sup")
        return {{"vertical-align", "super"}};
    if (IsOneOf(e, {"u", "ins"}))
        return {{"text-decoration", "underline"}};
    if (IsOneOf(e, {"s", "del", "strike"}))
        return {{"text-decoration", "line-through"}};
    return {};
}

StringT Join(const Declarations& declarations) {
    StringT text;
    for (const auto& [property, value] : declarations) {
        if (!text.empty())
            text += '\n';
        text += property + ":" + value + ";";
    }
    return text;
}

bool IsHeading(std::string_view element) {
    return element.size() == 2 && element[0] == 'h' && element[1] >= '1' && element[1] <= '6';
}

bool SameSize(double a, double b) {
    return std::fabs(a - b) < 0.005;
}

} // namespace

StringT ParaParams::ClassList() const {
    return JoinClasses({&styleClasses, &overrideClass, &dropCapParagraphClass});
}

StringT ParaParams::DropCapClassList() const {
    return JoinClasses({&dropCapClasses, &dropCapClass});
}

StringT GlyphParams::ClassList() const {
    return JoinClasses({&styleClasses, &overrideClass});
}

bool IsValidClassName(const StringT& name) {
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (IsAsciiLetter(static_cast<unsigned char>(c)) || c == '_')
            continue;
        const bool afterHyphen = i == 1 && name[0] == '-';
        if (IsAsciiDigit(static_cast<unsigned char>(c)) && i != 0 && !afterHyphen)
            continue;
        if (c == '-' && !afterHyphen)
            continue;
        return false;
    }
    return true;
}

bool IsValidElementName(const StringT& name) {
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsAsciiLetter(c) || c == '-' || (IsAsciiDigit(c) && i != 0))
            continue;
        return false;
    }
    return true;
}

StyleSheet::StyleSheet(Counted<const ExportSettings> settings,
                       Counted<const FlowingEPubOptions> options)
    : settings_(std::move(settings)), options_(std::move(options)),
      fontList_(settings_->identifier), fontCache_(Foundation::FontCache::Create()) {}

StyleSheet::~StyleSheet() = default;

void StyleSheet::SetFontCache(Counted<const Foundation::FontCache> fonts) {
    if (!fonts)
        fonts = Foundation::FontCache::Create();
    fontList_ = FontList(settings_->identifier, fonts);
    fontCache_ = std::move(fonts);
}

StringT StyleSheet::AddFont(const Foundation::Font& font) {
    return embedFonts_ ? fontList_.RegisterFont(font) : font.GetFamilyName();
}

void StyleSheet::SetSecondaryStyleSheet(Counted<const Text::StyleSheet> styles) {
    secondary_ = std::move(styles);
}

double StyleSheet::GetScale(const ExportSettings& settings, const FlowingEPubOptions& options) {
    const double r = settings.GetResolution();
    return (options.IsUseRasteriseDpi() ? options.GetRasteriseDpi() : r) / r;
}

double StyleSheet::GetPointScale(const ExportSettings& settings, const FlowingEPubOptions&) {
    return 72.0 / settings.GetResolution();
}

// ---- Style registry ----

const Text::StyleSheet* StyleSheet::SheetOf(const StringT& styleName) const {
    if (settings_->styles && settings_->styles->GetStyle(styleName))
        return settings_->styles.get();
    if (secondary_ && secondary_->GetStyle(styleName))
        return secondary_.get();
    return nullptr;
}

Counted<const Style> StyleSheet::GetStyle(const StringT& name) const {
    const Text::StyleSheet* sheet = SheetOf(name);
    return sheet ? sheet->GetStyle(name) : nullptr;
}

const StyleParams& StyleSheet::GetStyleParams(const StringT& name) const {
    static const StyleParams empty;
    const auto it = std::ranges::find(registry_, name, &StyleParams::styleName);
    return it == registry_.end() ? empty : *it;
}

void StyleSheet::RegisterStyle(const StringT& name, StyleParams& out) {
    if (const auto it = std::ranges::find(registry_, name, &StyleParams::styleName);
        it != registry_.end()) {
        out = *it;
        return;
    }
    const Counted<const Style> style = GetStyle(name);
    // A style met again while its bases are registered closes a loop: it counts as no base.
    if (!style || std::ranges::find(registering_, name) != registering_.end()) {
        out = StyleParams();
        return;
    }
    StyleParams record;
    StyleParams base;
    bool hasBase = !style->GetBaseName().empty() &&
                   std::ranges::find(registering_, style->GetBaseName()) == registering_.end();
    if (hasBase) {
        registering_.push_back(name);
        RegisterStyle(style->GetBaseName(), base);
        registering_.pop_back();
        hasBase = !base.styleName.empty();
    }

    record.style = style;
    record.className = SanitiseElementName(name);
    record.elementName = style->IsParagraphStyle() ? "p" : "span";
    if (hasBase) {
        if (!base.elementName.empty())
            record.elementName = base.elementName;
        record.emitCSS = base.emitCSS;
        record.includeClass = base.includeClass;
    }
    const Text::StyleSheet* sheet = SheetOf(name);
    record.fullDelta = sheet->MakeDelta(name, true);
    record.ruleDelta = hasBase ? sheet->MakeDelta(name, false) : record.fullDelta;

    if (const auto& tag = style->GetEPubTag()) {
        if (tag->Is(EPubTag::ClassSet) && !tag->GetCSSClassName().empty())
            record.className = tag->GetCSSClassName();
        if (tag->Is(EPubTag::ElementSet) && !tag->GetElementName().empty())
            record.elementName = tag->GetElementName();
        if (tag->Is(EPubTag::IncludeClassSet))
            record.includeClass = tag->IsIncludeClass();
        if (tag->Is(EPubTag::EmitCSSSet))
            record.emitCSS = tag->IsEmitCSS();
    }
    record.classList =
        base.classList.empty() ? record.className : base.classList + " " + record.className;
    record.styleName = name;

    const AttributeSet& ownGlyph = record.ruleDelta->GetGlyph();
    record.setsFontSize =
        (hasBase && base.setsFontSize) || ownGlyph.Has(AttKind::Double, GlyphDouble::Size);
    record.fontSize = SizeInPoints(record.fullDelta->GetGlyph());
    const bool applies = record.emitCSS && record.includeClass;
    record.setsFontSize = record.setsFontSize && applies;
    const ParagraphAtts whole = sheet->ResolveParagraphAtts(name);

    // A root style writes what differs from the defaults; a derived one everything it changes
    // over its base, also where that is a default value.
    AffectedParams affected = hasBase ? GetStyleParams(style->GetBaseName()).affected
                                      : AffectedParams{{}, {}, {}, {}, false};
    ruleCss_.push_back(
        DescribeDelta(record.ruleDelta, affected, true, true, record.fontSize, &whole.GetSet()));
    if (applies) {
        CssDescriber cascade(MakeContext(), AffectedParams{{}, {}, {}, {}, false});
        cascade.DescribeParagraph(record.fullDelta->GetParagraph());
        cascade.DescribeGlyph(record.fullDelta->GetGlyph());
        record.cascade = Without(cascade.GetDeclarations(), "font-size");
        const auto& tag = style->GetEPubTag();
        const bool asked = tag && tag->Is(EPubTag::IncludeClassSet);
        const Declarations shown = ElementDefaults(record.elementName);
        record.classRedundant = !asked && style->IsCharacterStyle() && !shown.empty() &&
                                !record.setsFontSize &&
                                std::ranges::all_of(record.cascade, [&](const auto& d) {
                                    const StringT* value = Find(shown, d.first.view());
                                    return value && *value == d.second;
                                });
    }
    registry_.push_back(record);
    out = record;
}

StringT StyleSheet::SanitiseElementName(const StringT& name) const {
    std::string text = name.str();
    if (!text.empty() && IsAsciiDigit(static_cast<unsigned char>(text[0])))
        text.insert(0, "_");
    if (!text.empty() && text[0] == '-' &&
        !(text.size() > 1 && IsAsciiLetter(static_cast<unsigned char>(text[1])))) {
        if (!(text.size() > 1 && text[1] == '_'))
            text.insert(1, "_");
    }
    StringT base;
    for (const char32_t c : StringT(text).ToUTF32())
        base += (IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '_') ? static_cast<char>(c)
                                                                              : '_';
    const auto used = [&](const StringT& candidate) {
        return std::ranges::find(registry_, candidate, &StyleParams::className) !=
                   registry_.end() ||
               generatedNames_.contains(candidate);
    };
    if (!used(base))
        return base;
    for (int n = 1;; ++n) {
        StringT candidate = StringT::Format("%1_%2", base, n);
        if (!used(candidate))
            return candidate;
    }
}

// ---- Describing ----

CssDescriber::Context StyleSheet::MakeContext() {
    Foundation::Font defaultFont;
    if (settings_->defaultGlyphAtts) {
        const FontSpec f = settings_->defaultGlyphAtts->GetFont();
        defaultFont = CssDescriber::ToFont(f.family, f.weight, f.style, f.stretch);
    }
    return CssDescriber::Context{*this,
                                 fontCache_.get(),
                                 *options_,
                                 GetScale(*settings_, *options_),
                                 GetPointScale(*settings_, *options_),
                                 defaultFont};
}

StringT StyleSheet::DescribeDelta(const Counted<const Delta>& delta, AffectedParams& affected,
                                  bool paragraph, bool glyph, double emPoints,
                                  const AttributeSet* wholeParagraph) {
    if (!delta)
        return {};
    CssDescriber::Context context = MakeContext();
    context.emPoints = emPoints;
    context.paragraph = wholeParagraph;
    CssDescriber describer(std::move(context), affected);
    if (paragraph)
        describer.DescribeParagraph(delta->GetParagraph());
    if (glyph)
        describer.DescribeGlyph(delta->GetGlyph());
    affected = describer.GetAffected();
    return describer.GetText();
}

Raster::RGBA8 StyleSheet::ToRGBA8(const Render::Colour& colour) const {
    return settings_->iccProfiles.ToRGBA8(colour);
}

StringT StyleSheet::RGBAToCSS(uint8_t r, uint8_t g, uint8_t b, uint8_t a, bool isRGB) const {
    if (isRGB) {
        if (const auto name = FindNamedColour(r, g, b, a); !name.empty())
            return StringT(name);
    }
    std::array<char, 16> text{};
    if (a < 255)
        std::snprintf(text.data(), text.size(), "#%02X%02X%02X%02X", r, g, b, a);
    else
        std::snprintf(text.data(), text.size(), "#%02X%02X%02X", r, g, b);
    return StringT(text.data());
}

StringT StyleSheet::ColourToCSS(const Render::FillDescriptor* fill, bool isTextFill) const {
    if (!fill || !fill->IsSolid() || !fill->GetColour())
        return {};
    const auto& colour = fill->GetColour();
    if (isTextFill && std::ranges::find(settings_->colours, colour) != settings_->colours.end())
        return {};
    Raster::RGBA8 c = ToRGBA8(*colour);
    c.a = static_cast<uint8_t>(std::lround(std::clamp(fill->Opacity(), 0.0, 1.0) * c.a));
    return RGBAToCSS(c.r, c.g, c.b, c.a, colour->Model() == Render::ColourModel::RGB);
}

StringT StyleSheet::ReadableTextColourToCSS(const Text::AttributeSet& atts) const {
    const double minimum = options_->GetMinimumTextContrast();
    if (minimum <= 0)
        return {};
    const auto judged = JudgeTextColours(GlyphAtts(atts), settings_->iccProfiles, minimum);
    if (!judged || !judged->readable)
        return {};
    return StringT(HexColour(*judged->readable));
}

// ---- Paragraphs ----

bool StyleSheet::IsScaled() const {
    return NeedsScale(frameScale_.width) || NeedsScale(frameScale_.height);
}

StyleSheet::ParaKey StyleSheet::Scaled(const ParaKey& atts) const {
    if (!atts || !IsScaled() || !settings_->styles)
        return atts;
    // Consolidated so that identical scaled sets hit the identity caches.
    return settings_->styles->GetDocument()->Consolidate(
        atts->GetScaled(frameScale_.width, frameScale_.height, true));
}

Consolidated<GlyphAtts> StyleSheet::Scaled(const Consolidated<GlyphAtts>& atts) const {
    if (!atts || !IsScaled() || !settings_->styles)
        return atts;
    return settings_->styles->GetDocument()->Consolidate(
        atts->GetScaled(frameScale_.width, frameScale_.height, true));
}

Counted<ParaParams> StyleSheet::RegisterParagraphAtts(const ParaKey& paragraphAtts,
                                                      const ParaKey& previous,
                                                      const ParaParams* parent) {
    const ParaKey atts = Scaled(paragraphAtts);
    auto params = Foundation::MakeCounted<ParaParams>();
    const TextContext& container = parent && parent->context ? *parent->context : RootContext();
    if (!atts) {
        params->context = Counted<const TextContext>(&container);
        return params;
    }

    StyleParams style;
    if (!atts->GetStyleName().empty())
        RegisterStyle(atts->GetStyleName(), style);
    else
        style.fontSize = DefaultSize();
    if (!style.className.empty() || !style.elementName.empty()) {
        params->element = style.elementName;
        if (style.includeClass)
            params->styleClasses = style.classList;
    }
    params->styleDelta = style.fullDelta;

    if (const auto list = atts->GetList(); list && list->HasContent()) {
        const bool numbered = list->GetType() == ListType::Numbered;
        const bool asList = numbered ? !options_->IsConvertNumberedListsToText()
                                     : !options_->IsConvertBulletListsToText();
        if (asList) {
            params->listElement = numbered ? "ol" : "ul";
            params->element = "li";
            params->listDepth = list->GetLevel() + 1;
            hasLists_ = true;
        }
    }
    paragraphElements_.insert(params->element);

    params->autoFormatClasses = AutoFormatClasses(atts, style.emitCSS);
    if (const auto dropCap = atts->GetDropCap(); dropCap && dropCap->IsEnabled() && style.emitCSS)
        RegisterDropCap(*dropCap, style.fontSize, *params);

    params->overrideClass = RegisterParagraphOverride(
        CreateSimulatedSpacingAtts(atts, Scaled(previous)), style, container, params->context);
    return params;
}

StringT StyleSheet::AutoFormatClasses(const ParaKey& atts, bool emitCSS) {
    if (const auto it = autoFormatCache_.find(atts); it != autoFormatCache_.end())
        return it->second;
    StringT classes;
    if (const auto autoFormat = atts->GetAutoFormat();
        autoFormat && autoFormat->IsEnabled() && emitCSS) {
        StyleParams characterStyle;
        RegisterStyle(autoFormat->GetCharacterStyle(), characterStyle);
        classes = characterStyle.classList;
    }
    autoFormatCache_.emplace(atts, classes);
    return classes;
}

void StyleSheet::RegisterDropCap(const DropCapAtt& dropCap, double paragraphSize,
                                 ParaParams& params) {
    StyleParams characterStyle;
    RegisterStyle(dropCap.GetCharacterStyle(), characterStyle);
    const int32_t lines = std::clamp(dropCap.GetLines(), 1, 20);
    const double distance = std::round(dropCap.GetDistance() * GetScale(*settings_, *options_));
    // The margin sits on the enlarged letter, so it counts in the letter's ems.
    const StringT css = StringT::Format(
        "float:left;\nfont-size:%1%%;\nline-height:1;\nmargin-right:%2;", ToStringT(lines * 100),
        CssDescriber::Length(GetPointScale(*settings_, *options_), distance,
                             paragraphSize * lines));
    auto it = std::ranges::find(dropCaps_, css, &std::pair<StringT, StringT>::first);
    if (it == dropCaps_.end()) {
        dropCaps_.emplace_back(css, GeneratedName("dropCap_%1", dropCapCounter_));
        it = dropCaps_.end() - 1;
    }
    params.dropCapClass = it->second;
    if (characterStyle.includeClass && characterStyle.emitCSS)
        params.dropCapClasses = characterStyle.classList;
    if (dropCapClear_.empty()) {
        int32_t counter = 1;
        dropCapClear_ = GeneratedName("dropCapClear_%1", counter);
    }
    params.dropCapParagraphClass = dropCapClear_;
}

StringT StyleSheet::RegisterParagraphOverride(const ParaKey& atts, const StyleParams& style,
                                              const TextContext& container,
                                              Counted<const TextContext>& own) {
    const auto key = std::make_pair(atts, &container);
    if (const auto it = paraCache_.find(key); it != paraCache_.end()) {
        own = it->second.second;
        return it->second.first;
    }
    Declarations local;
    if (settings_->styles) {
        const Counted<const Delta> delta = settings_->styles->MakeLocalParagraphFormatting(*atts);
        const Counted<const Delta> composite =
            delta ? Foundation::MakeCounted<const CompositeDelta>(*delta) : nullptr;
        if (composite) {
            CssDescriber::Context context = MakeContext();
            context.emPoints = style.fontSize;
            context.paragraph = &atts->GetSet();
            CssDescriber describer(std::move(context), style.affected);
            describer.DescribeParagraph(composite->GetParagraph());
            describer.DescribeGlyph(composite->GetGlyph());
            local = describer.GetDeclarations();
        }
    }
    Declarations declarations = local;

    // Sizes in em count from the container: state the size wherever the classes alone would
    // not give the style's own.
    const double given =
        style.setsFontSize ? container.fontSize * style.fontSize / 12.0 : container.fontSize;
    if (!SameSize(given, style.fontSize))
        Put(declarations, "font-size",
            CssDescriber::Number(style.fontSize / container.fontSize, 4) + "em");

    Declarations wanted = PassedOn(RootContext().inherited);
    Overlay(wanted, style.cascade);
    Overlay(wanted, local);
    const TextContext& root = RootContext();
    const double left = CssDescriber::ClampPoints(GetPointScale(*settings_, *options_) *
                                                  atts->GetDouble(ParaDouble::LeftIndent));
    if (&container != &root) {
        // A nested list item takes what its outer item passes on: undo what differs.
        Declarations has = PassedOn(container.inherited);
        Overlay(has, style.cascade);
        Overlay(has, local);
        Overlay(declarations, Difference(wanted, has, [](std::string_view property) {
                    return IsPassedOn(property);
                }));
        // Its margin counts from the outer item's content edge.
        if (!SameSize(container.leftIndent, 0))
            Put(declarations, "margin-left",
                CssDescriber::Length(1.0, left - container.leftIndent, style.fontSize));
    }

    const StringT css = Join(declarations);
    const StringT className =
        css.empty() ? StringT() : ShareOrAdd(paraOverrides_, css, "p%1", paragraphCounter_);

    auto context = Foundation::MakeCounted<TextContext>();
    context->fontSize = style.fontSize;
    context->leftIndent = left;
    context->inherited = PassedOn(wanted);
    const StringT contextKey =
        StringT::Format("%1|%2|", ToStringT(context->fontSize), ToStringT(context->leftIndent)) +
        Join(context->inherited);
    auto [shared, inserted] = contexts_.try_emplace(contextKey, context);
    own = shared->second;
    paraCache_.emplace(key, std::make_pair(className, own));
    return className;
}

const GlyphAtts* StyleSheet::DefaultGlyphAtts() const {
    if (settings_->defaultGlyphAtts)
        return settings_->defaultGlyphAtts.get();
    return settings_->styles ? settings_->styles->GetDocument()->GetDefaultGlyphAtts().get()
                             : nullptr;
}

const TextContext& StyleSheet::RootContext() {
    if (!root_) {
        root_ = Foundation::MakeCounted<TextContext>();
        root_->inherited = DefaultGlyph();
    }
    return *root_;
}

// The document's default character formatting, described in full: what text shows where no
// class says otherwise (the body rule gives its font).
const Declarations& StyleSheet::DefaultGlyph() {
    if (!defaultGlyph_) {
        const GlyphAtts* defaults = DefaultGlyphAtts();
        defaultGlyph_ = defaults ? DescribeGlyphSet(defaults->GetSet()) : Declarations();
    }
    return *defaultGlyph_;
}

Declarations StyleSheet::DescribeGlyphSet(const AttributeSet& glyph) {
    CssDescriber describer(MakeContext(), AffectedParams{});
    describer.DescribeGlyph(glyph);
    return Without(describer.GetDeclarations(), "font-size");
}

double StyleSheet::DefaultSize() const {
    const GlyphAtts* defaults = DefaultGlyphAtts();
    if (!defaults)
        return 12;
    return std::max(
        CssDescriber::ClampPoints(GetPointScale(*settings_, *options_) * defaults->GetSize()), 0.0);
}

double StyleSheet::SizeInPoints(const AttributeSet& glyph) const {
    const AttValue* size = glyph.Find(AttKind::Double, GlyphDouble::Size);
    if (!size)
        return DefaultSize();
    return std::max(
        CssDescriber::ClampPoints(GetPointScale(*settings_, *options_) * std::get<double>(*size)),
        0.0);
}

bool StyleSheet::IsNameTaken(const StringT& name) {
    if (!reservedBuilt_) {
        reservedBuilt_ = true;
        for (const Text::StyleSheet* sheet : {settings_->styles.get(), secondary_.get()}) {
            if (!sheet)
                continue;
            for (const auto& style : sheet->GetStyles()) {
                std::string text = style->GetName().str();
                for (char& c : text)
                    if (!IsAsciiLetter(static_cast<unsigned char>(c)) &&
                        !IsAsciiDigit(static_cast<unsigned char>(c)) && c != '-' && c != '_')
                        c = '_';
                reservedNames_.insert(StringT(text));
                if (const auto& tag = style->GetEPubTag(); tag && tag->Is(EPubTag::ClassSet))
                    reservedNames_.insert(tag->GetCSSClassName());
            }
        }
    }
    return reservedNames_.contains(name) || generatedNames_.contains(name) ||
           std::ranges::find(registry_, name, &StyleParams::className) != registry_.end();
}

StringT StyleSheet::GeneratedName(std::string_view pattern, int32_t& counter) {
    for (;;) {
        StringT name = StringT::Format(pattern, counter++);
        if (IsNameTaken(name))
            continue;
        generatedNames_.insert(name);
        return name;
    }
}

StringT StyleSheet::ShareOrAdd(std::vector<Override>& rules, const StringT& css,
                               std::string_view pattern, int32_t& counter) {
    if (const auto it = std::ranges::find(rules, css, &Override::css); it != rules.end())
        return it->className;
    StringT className = GeneratedName(pattern, counter);
    rules.push_back({className, css});
    return className;
}

StyleSheet::ParaKey StyleSheet::CreateSimulatedSpacingAtts(const ParaKey& cur,
                                                           const ParaKey& prev) const {
    const int32_t topOfFlow = cur->GetInt(ParaInt::TopOfFlowSpacing);
    const double before = cur->GetDouble(ParaDouble::SpaceBefore);
    double spacing = 0;
    if (!prev) {
        if (topOfFlow != TopOfFlowSpacing::Remove)
            return cur;
    } else if ((prev == cur || prev->GetStyleName() == cur->GetStyleName()) &&
               cur->GetInt(ParaInt::UseSameStyleSpacing) != 0) {
        spacing = cur->GetDouble(ParaDouble::SameStyleSpacing);
    } else if (cur->GetInt(ParaInt::AddSpacing) == 0 && prev->GetInt(ParaInt::AddSpacing) == 0) {
        if (topOfFlow == TopOfFlowSpacing::KeepUnlessShared)
            return cur;
        spacing = std::max(before, prev->GetDouble(ParaDouble::SpaceAfter));
    } else {
        spacing = before + prev->GetDouble(ParaDouble::SpaceAfter);
    }
    const double newBefore = std::max(0.0, spacing);
    if (newBefore == before || !settings_->styles)
        return cur;
    return settings_->styles->GetDocument()->Consolidate(
        cur->With(ParaDouble::SpaceBefore, newBefore));
}

Counted<DivParams> StyleSheet::RegisterDivAtts(const ParaKey& atts) {
    if (!atts)
        return nullptr;
    if (const auto it = divCache_.find(atts); it != divCache_.end())
        return it->second;
    const auto decorations = atts->GetDecorations();
    if (!decorations || !decorations->HasDrawn())
        return nullptr;
    auto div = Foundation::MakeCounted<DivParams>();
    div->decorations = Delta::Make(AttCategory::Paragraph, ParaObject::Decorations,
                                   Counted<const AttObject>(decorations));
    CssDescriber describer(MakeContext(), AffectedParams{});
    describer.DescribeDecorations(*decorations);
    div->className = ShareOrAdd(divs_, describer.GetText(), "div%1", divCounter_);
    divCache_.emplace(atts, div);
    return div;
}

Counted<const Story> StyleSheet::ExpandParagraph(const StoryRange& paragraph,
                                                 const Counted<Numberer>& numberer) {
    if (!numberer || paragraph.begin().IsNull())
        return nullptr;
    const auto atts = paragraph.begin().GetParagraphAtts();
    const auto list = atts ? atts->GetList() : nullptr;
    if (!list || !list->HasContent())
        return nullptr;
    numberer->Advance(*list);
    const bool asText =
        (list->GetType() == ListType::Bullet && options_->IsConvertBulletListsToText()) ||
        (list->GetType() == ListType::Numbered && options_->IsConvertNumberedListsToText());
    if (!asText)
        return nullptr;
    Counted<Story> story = Story::Make(paragraph);
    story->InsertText(story->gbegin(), list->GetValue(numberer.get()), list->GetGlyphAtts());
    return story;
}

// ---- Characters ----

Counted<GlyphParams> StyleSheet::RegisterGlyphAtts(const Consolidated<GlyphAtts>& glyphAtts,
                                                   const ParaParams* paragraph) {
    const auto atts = Scaled(glyphAtts);
    if (!atts)
        return Foundation::MakeCounted<GlyphParams>();
    const TextContext& context =
        paragraph && paragraph->context ? *paragraph->context : RootContext();
    const auto key = std::make_pair(&context, atts);
    if (const auto it = glyphCache_.find(key); it != glyphCache_.end())
        return Foundation::MakeCounted<GlyphParams>(*it->second);

    auto params = Foundation::MakeCounted<GlyphParams>();
    StyleParams characterStyle;
    StringT element;
    if (!atts->GetCharacterStyleName().empty()) {
        RegisterStyle(atts->GetCharacterStyleName(), characterStyle);
        element = characterStyle.elementName;
        if (characterStyle.includeClass && !characterStyle.classRedundant)
            params->styleClasses = characterStyle.classList;
    }
    params->delta = characterStyle.fullDelta;
    if (options_->IsPreserveLocalOverrides())
        params->overrideClass = RegisterGlyphOverride(atts, context, characterStyle);
    const bool plain = element.empty() || element == "span";
    if (!plain || !params->styleClasses.empty() || !params->overrideClass.empty())
        params->element = plain ? StringT("span") : element;
    glyphCache_.emplace(key, params);
    return Foundation::MakeCounted<GlyphParams>(*params);
}

StringT StyleSheet::RegisterGlyphOverride(const Consolidated<GlyphAtts>& atts,
                                          const TextContext& paragraph,
                                          const StyleParams& characterStyle) {
    // What the run shows without an override: its paragraph's text, then what its element and
    // character style set.
    Declarations has = PassedOn(paragraph.inherited);
    if (characterStyle.includeClass || characterStyle.elementName != "span")
        Overlay(has, ElementDefaults(characterStyle.elementName));
    Overlay(has, characterStyle.cascade);

    Declarations wanted = DefaultGlyph();
    const GlyphAtts* defaults = DefaultGlyphAtts();
    if (defaults)
        Overlay(wanted, DescribeGlyphSet(Text::MakeDelta(*atts, *defaults)->GetGlyph()));
    else
        Overlay(wanted, DescribeGlyphSet(atts->GetSet()));

    Declarations declarations = Difference(wanted, has, IsGlyphProperty);
    const double given = characterStyle.setsFontSize
                             ? paragraph.fontSize * characterStyle.fontSize / 12.0
                             : paragraph.fontSize;
    const double size = SizeInPoints(atts->GetSet());
    if (!SameSize(given, size) && paragraph.fontSize > 0)
        Put(declarations, "font-size", CssDescriber::Number(size / paragraph.fontSize, 4) + "em");
    const StringT css = Join(declarations);
    return css.empty() ? StringT() : ShareOrAdd(glyphOverrides_, css, "span%1", spanCounter_);
}

// ---- Frames, images, palettes ----

StringT StyleSheet::RegisterFrameFormat(Counted<const Render::FillDescriptor> background,
                                        Counted<const Render::FillDescriptor> strokeFill,
                                        Counted<const Render::LineStyleDescriptor> stroke) {
    StringT css;
    if (const StringT colour = ColourToCSS(background.get(), false); !colour.empty())
        css += StringT::Format("background-color:%1;\n", colour);
    if (stroke && Render::IsLineStyleVisible(stroke.get()) &&
        Render::IsFillVisible(strokeFill.get(), 0.01)) {
        const StringT width =
            CssDescriber::Pixels(stroke->EffectiveWeight() * GetScale(*settings_, *options_));
        const StringT colour = ColourToCSS(strokeFill.get(), false);
        css += colour.empty()
                   ? StringT::Format("border:%1 %2;\n", width, CssDescriber::BorderStyle(*stroke))
                   : StringT::Format("border:%1 %2 %3;\n", width,
                                     CssDescriber::BorderStyle(*stroke), colour);
    }
    if (const auto it = std::ranges::find(frames_, css, &FormatEntry::declarations);
        it != frames_.end())
        return it->className;
    StringT className = GeneratedName("Frame_%1", frameCounter_);
    frames_.push_back({className, css, {}});
    return className;
}

StringT StyleSheet::RegisterDivFormat(const StringT& declarations) {
    StringT className = StringT::Format("_objectAttr-%1", divFormats_.size() + 1);
    divFormats_.push_back({className, declarations, {}});
    return className;
}

StringT StyleSheet::RegisterSVGFormat(const StringT& name, const StringT& declarations) {
    (void)name;
    if (const auto it = std::ranges::find(svgFormats_, declarations, &FormatEntry::declarations);
        it != svgFormats_.end())
        return it->className;
    StringT className = StringT::Format("_svgAttr-%1", svgFormats_.size() + 1);
    svgFormats_.push_back({className, declarations, {}});
    return className;
}

void StyleSheet::RegisterImageFormat(const StringT& id, const StringT& declarations,
                                     const StringT& comment) {
    imageFormats_.push_back({id, declarations, comment});
}

StringT StyleSheet::PaletteColour(uint32_t value) const {
    if (value == PaletteRGB::kInherit || value == PaletteRGB::kCurrentColour)
        return PaletteRGB::ColourText(value);
    return RGBAToCSS(static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                     static_cast<uint8_t>(value), 255, true);
}

StringT
StyleSheet::RegisterFontColourPalette(const Foundation::Font& font,
                                      Counted<const Render::FontColourPaletteDescriptor> palette) {
    if (!palette)
        return {};
    const Foundation::Font closest = fontCache_->GetClosestAvailableFont(font);
    const StringT family = AddFont(closest.IsEmpty() ? font : closest);
    // A palette rule names its font; without one it is not valid.
    if (family.empty())
        return {};
    for (const Palette& p : palettes_)
        if (p.family == family && *p.descriptor == *palette)
            return p.name;
    StringT body = StringT::Format("font-family: '%1';\nbase-palette: %2;\n", family,
                                   palette->GetBasePalette());
    if (palette->IsCustom()) {
        // override-colors takes absolute colours only: entries left to the base palette
        // (inherit, currentColor) are not listed.
        StringT colours;
        const auto& entries = palette->GetEntries();
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] == PaletteRGB::kInherit || entries[i] == PaletteRGB::kCurrentColour)
                continue;
            if (!colours.empty())
                colours += ", ";
            colours += StringT::Format("%1 %2", i, PaletteColour(entries[i]));
        }
        if (!colours.empty())
            body += "override-colors: " + colours + ";\n";
    }
    StringT name = StringT::Format("--font-palette-%1", palettes_.size());
    palettes_.push_back({name, family, std::move(palette), std::move(body)});
    return name;
}

// ---- Tables ----

TableFormatting* StyleSheet::FindTable(const StringT& tableClass) {
    const auto it = std::ranges::find(tables_, tableClass, &TableFormatting::tableClass);
    return it == tables_.end() ? nullptr : &*it;
}

StringT StyleSheet::RegisterTableFormat(Counted<const TableFormat> format, int alignment) {
    TableFormatting table;
    table.format = std::move(format);
    table.css = "border-collapse: collapse;\n";
    switch (alignment) {
    case 0:
        table.css += "margin-left: 0;\nmargin-right: auto;\n";
        break;
    case 1:
        table.css += "margin-left: auto;\nmargin-right: auto;\n";
        break;
    case 2:
        table.css += "margin-left: auto;\nmargin-right: 0;\n";
        break;
    default:
        break;
    }
    // Tables placed alike share one class, and so their cell classes.
    if (const auto it = std::ranges::find(tables_, table.css, &TableFormatting::css);
        it != tables_.end())
        return it->tableClass;
    table.tableClass = GeneratedName("table_%1", tableCounter_);
    tables_.push_back(table);
    return table.tableClass;
}

StringT StyleSheet::RegisterTableCellSize(const StringT& tableClass, int width, int height) {
    TableFormatting* table = FindTable(tableClass);
    if (!table)
        return {};
    for (const TableCellSize& size : table->cellSizes)
        if (size.width == width && size.height == height)
            return size.className;
    const auto px = [](int v) { return v == 0 ? StringT("0") : StringT::Format("%1px", v); };
    const StringT sizeClass = StringT::Format("%1_size%2", tableClass, table->cellSizes.size() + 1);
    generatedNames_.insert(sizeClass);
    TableCellSize size{sizeClass, width, height,
                       StringT::Format("width:%1;\nheight:%2;\n", px(width), px(height))};
    table->cellSizes.push_back(size);
    return size.className;
}

StringT StyleSheet::RegisterTableCellFormat(const StringT& tableClass,
                                            const Counted<const TableFormat>& format, int column,
                                            int row, const Table& table, CellSpan span) {
    TableFormatting* formatting = FindTable(tableClass);
    if (!formatting)
        return {};
    CellFormat cell;
    if (format) {
        cell = format->GetFormatForAppliedCell(table, column, row, span);
        for (size_t side = 0; side < 4; ++side)
            cell.borders[side] = format->GetFormatForAppliedBorder(table, column, row, span,
                                                                   static_cast<CellSide>(side));
    }
    if (const CellFormatOverride* own = table.GetCellOverride(column, row)) {
        if (own->fill)
            cell.fill = own->fill;
        for (size_t side = 0; side < 4; ++side)
            if (own->borders[side])
                cell.borders[side] = *own->borders[side];
        ApplyInsets(*own, cell);
    }
    const StringT css = DescribeCellFormat(cell);
    if (const auto it = formatting->cellFormats.find(css); it != formatting->cellFormats.end())
        return it->second;
    StringT className =
        StringT::Format("%1_%2", tableClass, formatting->cellFormatOrder.size() + 1);
    generatedNames_.insert(className);
    formatting->cellFormats.emplace(css, className);
    formatting->cellFormatOrder.emplace_back(className, css);
    return className;
}

StringT StyleSheet::DescribeCellFormat(const CellFormat& format) const {
    StringT css;
    if (Render::IsFillVisible(format.fill.get())) {
        if (const StringT colour = ColourToCSS(format.fill.get(), false); !colour.empty())
            css += StringT::Format("background-color:%1;\n", colour);
    }
    static constexpr std::array<std::pair<CellSide, std::string_view>, 4> kSides{{
        {CellSide::Left, "border-left"},
        {CellSide::Right, "border-right"},
        {CellSide::Top, "border-top"},
        {CellSide::Bottom, "border-bottom"},
    }};
    for (const auto& [side, property] : kSides) {
        const StringT border = DescribeCellBorderFormat(format.GetBorder(side));
        css += StringT::Format("%1: %2;\n", property, border.empty() ? StringT("0") : border);
    }
    if (format.insets) {
        const double scale = GetScale(*settings_, *options_);
        const auto px = [&](CellSide side) {
            const double v =
                std::round((*format.insets)[static_cast<size_t>(side)] * scale * 100) / 100;
            return std::fabs(v) <= 0.000001 ? StringT("0") : ToStringT(v) + "px";
        };
        css += StringT::Format("padding: %1 %2 %3 %4;\n", px(CellSide::Top), px(CellSide::Right),
                               px(CellSide::Bottom), px(CellSide::Left));
    }
    return css;
}

StringT StyleSheet::DescribeCellBorderFormat(const BorderFormat& border) const {
    if (!border.lineStyle || !Render::IsLineStyleVisible(border.lineStyle.get()))
        return {};
    const StringT colour = ColourToCSS(border.fill.get(), false);
    if (colour.empty())
        return {};
    const double width = border.lineStyle->EffectiveWeight() * GetScale(*settings_, *options_);
    const StringT widthText = std::fabs(width) <= 0.000001 ? StringT("0") : ToStringT(width) + "px";
    return StringT::Format("%1 %2 %3", widthText, CssDescriber::BorderStyle(*border.lineStyle),
                           colour);
}

// ---- Style sheet documents ----

bool StyleSheet::HasImages() const {
    return !svgFormats_.empty() || !imageFormats_.empty();
}

StringT StyleSheet::DescribeStyles() const {
    StringT out;
    // The reading system's own margins and heading sizes would stand where the document sets
    // none; every class then states only what differs from these.
    if (defaultGlyph_)
        if (const StringT* family = Find(*defaultGlyph_, "font-family"))
            out += Rule("body", "font-family:" + *family + ";");
    std::vector<StringT> blocks(paragraphElements_.begin(), paragraphElements_.end());
    if (hasLists_) {
        blocks.emplace_back("ul");
        blocks.emplace_back("ol");
    }
    StringT selector;
    for (const StringT& element : blocks)
        selector += (selector.empty() ? StringT() : StringT(", ")) + element;
    if (!selector.empty())
        out += Rule(selector, hasLists_ ? "margin-top:0;\nmargin-bottom:0;\npadding-left:0;"
                                        : "margin-top:0;\nmargin-bottom:0;");
    StringT headings;
    for (const StringT& element : paragraphElements_)
        if (IsHeading(element.view()))
            headings += (headings.empty() ? StringT() : StringT(", ")) + element;
    if (!headings.empty())
        out += Rule(headings, "font-size:1em;\nfont-weight:normal;");

    const auto rule = [&](const StringT& ruleSelector, const StringT& body) {
        if (!body.empty())
            out += Rule(ruleSelector, body);
    };
    for (size_t i = 0; i < registry_.size(); ++i) {
        const StyleParams& style = registry_[i];
        if (!style.emitCSS)
            continue;
        rule(style.className.empty() ? style.elementName : "." + style.className, ruleCss_[i]);
    }
    for (const Override& div : divs_)
        rule("." + div.className, div.css);
    for (const Override& p : paraOverrides_)
        rule("." + p.className, p.css);
    for (const Override& span : glyphOverrides_)
        rule("." + span.className, span.css);
    for (const auto& [css, className] : dropCaps_)
        rule("." + className, css);
    if (!dropCapClear_.empty())
        out += Rule("." + dropCapClear_ + "::after", "content:\"\";\ndisplay:block;\nclear:left;");
    for (const TableFormatting& table : tables_) {
        rule("." + table.tableClass, table.css);
        for (const TableCellSize& size : table.cellSizes)
            rule("." + size.className, size.css);
        for (const auto& [className, css] : table.cellFormatOrder)
            rule("." + className, css);
    }
    for (const FormatEntry& frame : frames_)
        rule("." + frame.className, frame.declarations);
    for (const Palette& palette : palettes_)
        out += StringT::Format("@font-palette-values %1 {\n%2}\n\n", palette.name, palette.body);
    return out;
}

StringT StyleSheet::DescribeImageStyles() const {
    StringT out;
    for (const FormatEntry& div : divFormats_)
        out += Rule("div." + div.className, div.declarations);
    for (const FormatEntry& svg : svgFormats_)
        out += Rule("." + svg.className, svg.declarations);
    for (const FormatEntry& image : imageFormats_) {
        StringT body;
        if (!image.comment.empty())
            body = StringT::Format("/* %1 */\n", image.comment);
        body += image.declarations;
        out += Rule("#" + image.className, body);
    }
    return out;
}

} // namespace EPub
