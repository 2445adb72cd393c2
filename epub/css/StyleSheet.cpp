#include "epub/css/StyleSheet.h"

#include "epub/css/CssColours.h"
#include "epub/css/FontPalettes.h"
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

} // namespace

StringT ParaParams::ClassList() const {
    return JoinClasses({&styleClasses, &overrideClass});
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

StyleSheet::StyleSheet(Counted<ExportSettings> settings, Counted<const FlowingEPubOptions> options)
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
    return font.GetFamilyName();
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
    if (!style) {
        out = StyleParams();
        return;
    }
    StyleParams record;
    StyleParams base;
    const bool hasBase = !style->GetBaseName().empty();
    if (hasBase)
        RegisterStyle(style->GetBaseName(), base);

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

    // A root style writes what differs from the defaults; a derived one everything it changes
    // over its base, also where that is a default value.
    AffectedParams affected = hasBase ? GetStyleParams(style->GetBaseName()).affected
                                      : AffectedParams{{}, {}, {}, {}, false};
    ruleCss_.push_back(DescribeDelta(record.ruleDelta, affected));
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
        return std::ranges::find(registry_, candidate, &StyleParams::className) != registry_.end();
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
                                  bool paragraph, bool glyph) {
    if (!delta)
        return {};
    CssDescriber describer(MakeContext(), affected);
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

// ---- Paragraphs ----

bool StyleSheet::IsScaled() const {
    return NeedsScale(settings_->frameScale.width) || NeedsScale(settings_->frameScale.height);
}

StyleSheet::ParaKey StyleSheet::Scaled(const ParaKey& atts) const {
    if (!atts || !IsScaled() || !settings_->styles)
        return atts;
    // Consolidated so that identical scaled sets hit the identity caches.
    return settings_->styles->GetDocument()->Consolidate(
        atts->GetScaled(settings_->frameScale.width, settings_->frameScale.height, true));
}

Consolidated<GlyphAtts> StyleSheet::Scaled(const Consolidated<GlyphAtts>& atts) const {
    if (!atts || !IsScaled() || !settings_->styles)
        return atts;
    return settings_->styles->GetDocument()->Consolidate(
        atts->GetScaled(settings_->frameScale.width, settings_->frameScale.height, true));
}

Counted<ParaParams> StyleSheet::RegisterParagraphAtts(const ParaKey& paragraphAtts,
                                                      const ParaKey& previous) {
    const ParaKey atts = Scaled(paragraphAtts);
    auto params = Foundation::MakeCounted<ParaParams>();
    if (!atts)
        return params;

    StyleParams style;
    if (!atts->GetStyleName().empty())
        RegisterStyle(atts->GetStyleName(), style);
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
        }
    }

    params->autoFormatClasses = AutoFormatClasses(atts, style.emitCSS);
    if (const auto dropCap = atts->GetDropCap(); dropCap && dropCap->IsEnabled() && style.emitCSS)
        RegisterDropCap(*dropCap, *params);

    params->overrideClass =
        RegisterParagraphOverride(CreateSimulatedSpacingAtts(atts, Scaled(previous)), style);
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

void StyleSheet::RegisterDropCap(const DropCapAtt& dropCap, ParaParams& params) {
    StyleParams characterStyle;
    RegisterStyle(dropCap.GetCharacterStyle(), characterStyle);
    const double distance = std::round(dropCap.GetDistance() * GetScale(*settings_, *options_));
    const StringT css =
        StringT::Format("float:left;\nfont-size:%1%%;\nline-height:1;\nmargin-right:%2;",
                        ToStringT(dropCap.GetLines() * 100),
                        CssDescriber::Length(GetPointScale(*settings_, *options_), distance));
    auto it = std::ranges::find(dropCaps_, css, &std::pair<StringT, StringT>::first);
    if (it == dropCaps_.end()) {
        dropCaps_.emplace_back(css, StringT::Format("dropCap_%1", dropCaps_.size() + 1));
        it = dropCaps_.end() - 1;
    }
    params.dropCapClass = it->second;
    params.dropCapClasses = characterStyle.classList;
}

StringT StyleSheet::RegisterParagraphOverride(const ParaKey& atts, const StyleParams& style) {
    if (const auto it = paraCache_.find(atts); it != paraCache_.end())
        return it->second;
    StringT className;
    if (settings_->styles) {
        const Counted<const Delta> local = settings_->styles->MakeLocalParagraphFormatting(*atts);
        const Counted<const Delta> composite =
            local ? Foundation::MakeCounted<const CompositeDelta>(*local) : nullptr;
        AffectedParams affected = style.affected;
        const StringT css = DescribeDelta(composite, affected);
        if (!css.empty()) {
            className = StringT::Format("p%1", paragraphCounter_++);
            paraOverrides_.push_back({className, css});
        }
    }
    paraCache_.emplace(atts, className);
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
    div->className = StringT::Format("div%1", divCache_.size() + 1);
    div->decorations = Delta::Make(AttCategory::Paragraph, ParaObject::Decorations,
                                   Counted<const AttObject>(decorations));
    CssDescriber describer(MakeContext(), AffectedParams{});
    describer.DescribeDecorations(*decorations);
    divs_.push_back({div->className, describer.GetText()});
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
                                                   const Counted<const Style>& paragraphStyle) {
    const auto atts = Scaled(glyphAtts);
    auto params = Foundation::MakeCounted<GlyphParams>();
    if (!atts)
        return params;
    StyleParams ignored;
    if (paragraphStyle)
        RegisterStyle(paragraphStyle->GetName(), ignored);
    StyleParams characterStyle;
    if (!atts->GetCharacterStyleName().empty()) {
        RegisterStyle(atts->GetCharacterStyleName(), characterStyle);
        if (!characterStyle.elementName.empty())
            params->element = characterStyle.elementName;
        if (characterStyle.includeClass)
            params->styleClasses = characterStyle.classList;
    }
    params->delta = characterStyle.fullDelta;
    if (!options_->IsPreserveLocalOverrides())
        return params;
    params->overrideClass = RegisterGlyphOverride(atts, paragraphStyle, characterStyle);
    return params;
}

StringT StyleSheet::RegisterGlyphOverride(const Consolidated<GlyphAtts>& atts,
                                          const Counted<const Style>& paragraphStyle,
                                          const StyleParams& characterStyle) {
    const auto key = std::make_pair(paragraphStyle, atts);
    if (const auto it = glyphCache_.find(key); it != glyphCache_.end())
        return it->second;
    StringT className;
    if (settings_->styles) {
        const FontSpec font = atts->GetActualFont();
        const GlyphAtts defaults =
            settings_->defaultGlyphAtts ? *settings_->defaultGlyphAtts : GlyphAtts();
        const GlyphAtts base = defaults.With(FontDelta::Make(font)->GetGlyph());
        const StringT styleName = paragraphStyle ? paragraphStyle->GetName() : StringT();
        CompositeDelta composite;
        composite.Add(settings_->styles->MakeLocalGlyphFormatting(*atts, styleName, base));
        // The run's actual font is always stated, whatever the styles say.
        composite.Add(FontDelta::Make(font));
        AffectedParams affected = characterStyle.affected;
        const StringT css = DescribeDelta(
            Foundation::MakeCounted<const CompositeDelta>(std::move(composite)), affected);
        if (!css.empty()) {
            className = StringT::Format("span%1", spanCounter_++);
            glyphOverrides_.push_back({className, css});
        }
    }
    glyphCache_.emplace(key, className);
    return className;
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
    StringT className = StringT::Format("Frame_%1", frames_.size() + 1);
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
    for (const Palette& p : palettes_)
        if (p.family == family && *p.descriptor == *palette)
            return p.name;
    StringT body = StringT::Format("font-family: '%1';\nbase-palette: %2;\n", family,
                                   palette->GetBasePalette());
    if (palette->IsCustom()) {
        body += "override-colors: ";
        const auto& entries = palette->GetEntries();
        for (size_t i = 0; i < entries.size(); ++i) {
            if (i)
                body += ", ";
            body += StringT::Format("%1 %2", i, PaletteColour(entries[i]));
        }
        body += ";\n";
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
    table.tableClass = StringT::Format("table_%1", tables_.size() + 1);
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
    TableCellSize size{StringT::Format("%1_size%2", tableClass, table->cellSizes.size() + 1), width,
                       height, StringT::Format("width:%1;\nheight:%2;\n", px(width), px(height))};
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
    }
    const StringT css = DescribeCellFormat(cell);
    if (const auto it = formatting->cellFormats.find(css); it != formatting->cellFormats.end())
        return it->second;
    StringT className =
        StringT::Format("%1_%2", tableClass, formatting->cellFormatOrder.size() + 1);
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
    for (size_t i = 0; i < registry_.size(); ++i) {
        const StyleParams& style = registry_[i];
        if (!style.emitCSS)
            continue;
        const StringT selector =
            style.className.empty() ? style.elementName : "." + style.className;
        out += Rule(selector, ruleCss_[i]);
    }
    for (const Override& div : divs_)
        out += Rule("." + div.className, div.css);
    for (const Override& p : paraOverrides_)
        out += Rule("." + p.className, p.css);
    for (const Override& span : glyphOverrides_)
        out += Rule("." + span.className, span.css);
    for (const auto& [css, className] : dropCaps_)
        out += Rule("." + className, css);
    for (const TableFormatting& table : tables_) {
        out += Rule("." + table.tableClass, table.css);
        for (const TableCellSize& size : table.cellSizes)
            out += Rule("." + size.className, size.css);
        for (const auto& [className, css] : table.cellFormatOrder)
            out += Rule("." + className, css);
    }
    for (const FormatEntry& frame : frames_)
        out += Rule("." + frame.className, frame.declarations);
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
