// SPDX-License-Identifier: MIT
#pragma once
// The CSS generator: registers every style, override, table, frame and image format the content
// refers to under a class name, and writes them out as the publication's style sheets.

#include "epub/css/CssDescriber.h"
#include "epub/css/FontList.h"
#include "epub/css/UnsupportedPropertyVisitor.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "host/foundation/Consolidated.h"
#include "host/foundation/Counted.h"
#include "host/foundation/FontCache.h"
#include "host/foundation/StringT.h"
#include "host/render/ColourPalette.h"
#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/text/Delta.h"
#include "host/text/GlyphAtts.h"
#include "host/text/ListAtt.h"
#include "host/text/ParagraphAtts.h"
#include "host/text/Story.h"
#include "host/text/Style.h"
#include "host/text/Table.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace EPub {

class StyleParams {
public:
    virtual ~StyleParams() = default;

    StringT styleName;
    StringT elementName;
    StringT className;
    StringT classList;
    Counted<const Text::Style> style;
    Counted<const Text::Delta> ruleDelta;
    Counted<const Text::Delta> fullDelta;
    AffectedParams affected;
    bool emitCSS = true;
    bool includeClass = true;
    // What the element's classes set once cascaded (font size apart), for describing overrides
    // against them; empty when the classes are not written or not put on the element.
    Declarations cascade;
    // Whether a class of the chain states a font size, and the size the style gives (points).
    bool setsFontSize = false;
    double fontSize = 12;
    // The class only restates what its element shows anyway (bold on strong), and the tagging
    // does not ask for it: it is left off the element.
    bool classRedundant = false;
};

// What a paragraph element passes on to what it holds: runs and nested list items are described
// against it, so that relative sizes do not compound.
struct TextContext final : Foundation::Countable {
    double fontSize = 12;   // points, as the style sheet renders the element
    double leftIndent = 0;  // points from the flow's edge to the element's content
    Declarations inherited; // what the element's content inherits or shows through
};

struct ParaParams final : Foundation::Countable {
    StringT element = "p";
    StringT styleClasses;
    StringT overrideClass;
    // Put on the paragraph when it holds a drop cap, so the floated letter stays inside it.
    StringT dropCapParagraphClass;
    // The drop cap's own class and its character style's classes; see DropCapClassList.
    StringT dropCapClass;
    StringT dropCapClasses;
    StringT autoFormatClasses;
    int32_t listDepth = 0;
    StringT listElement;
    Counted<const Text::Delta> styleDelta;
    // What runs of this paragraph, and list items nested in it, are registered against.
    Counted<const TextContext> context;

    // Style classes, the override class, then the drop-cap paragraph class.
    StringT ClassList() const;
    // The classes of the element around the drop-cap letters: the character style's, then the
    // drop cap's, which wins where both set a size.
    StringT DropCapClassList() const;
};

// The answer for one run. A run that its paragraph and character style already render as asked
// needs no element: then `element` and every class are empty and no span is written. Otherwise
// `element` is "span" or the character style's element, with the classes of ClassList.
struct GlyphParams final : Foundation::Countable {
    StringT element;
    StringT styleClasses;
    StringT overrideClass;
    Counted<const Text::Delta> delta;

    StringT ClassList() const;
    bool NeedsElement() const { return !element.empty(); }
};

struct DivParams final : Foundation::Countable {
    StringT className;
    Counted<const Text::Delta> decorations;
};

struct TableCellSize {
    StringT className;
    int width = 0;
    int height = 0;
    StringT css;
};

struct TableFormatting {
    Counted<const Text::TableFormat> format;
    std::map<StringT, StringT> cellFormats; // CSS to class, so equal cells share one
    std::vector<TableCellSize> cellSizes;
    StringT tableClass;
    StringT css;
    std::vector<std::pair<StringT, StringT>> cellFormatOrder; // class and CSS, by registration
};

bool IsValidClassName(const StringT& name);
bool IsValidElementName(const StringT& name);

class StyleSheet : public CssResources {
public:
    StyleSheet(Counted<const ExportSettings> settings, Counted<const FlowingEPubOptions> options);
    virtual ~StyleSheet();
    StyleSheet(const StyleSheet&) = delete;
    StyleSheet& operator=(const StyleSheet&) = delete;

    // Names a font for CSS, registering it for embedding when embedding is on.
    StringT AddFont(const Foundation::Font& font) override;
    // The EPUB exporter embeds the fonts the CSS names; plain XHTML only names them.
    void SetEmbedFonts(bool embed) noexcept { embedFonts_ = embed; }

    void SetSecondaryStyleSheet(Counted<const Text::StyleSheet> styles);
    // Scale of the frame being written (width: horizontal, height: vertical); formatting is
    // registered scaled by it. Kept here, not in the settings: those are the caller's, shared.
    void SetFrameScale(Foundation::SizeT<double> scale) noexcept { frameScale_ = scale; }

    // `parent` is the paragraph whose element holds this one (the item of an outer list), null
    // when its container sets no text formatting (body, table cell, note, frame).
    Counted<ParaParams> RegisterParagraphAtts(const Consolidated<Text::ParagraphAtts>& atts,
                                              const Consolidated<Text::ParagraphAtts>& previous,
                                              const ParaParams* parent = nullptr);
    // Null when the paragraph draws no decoration.
    Counted<DivParams> RegisterDivAtts(const Consolidated<Text::ParagraphAtts>& atts);
    // A run inside the paragraph `paragraph` (as RegisterParagraphAtts answered it); null for
    // text directly in a container that sets no text formatting. The override class carries
    // only what the paragraph and the character style do not already give.
    Counted<GlyphParams> RegisterGlyphAtts(const Consolidated<Text::GlyphAtts>& atts,
                                           const ParaParams* paragraph);
    // The paragraph with its list text in front when lists are written as text; else null.
    Counted<const Text::Story> ExpandParagraph(const Text::StoryRange& paragraph,
                                               const Counted<Text::Numberer>& numberer);

    StringT RegisterFrameFormat(Counted<const Render::FillDescriptor> background,
                                Counted<const Render::FillDescriptor> strokeFill,
                                Counted<const Render::LineStyleDescriptor> stroke);
    StringT RegisterTableFormat(Counted<const Text::TableFormat> format, int alignment);
    StringT RegisterTableCellSize(const StringT& tableClass, int width, int height);
    StringT RegisterTableCellFormat(const StringT& tableClass,
                                    const Counted<const Text::TableFormat>& format, int column,
                                    int row, const Text::Table& table, Text::CellSpan span);
    StringT
    RegisterFontColourPalette(const Foundation::Font& font,
                              Counted<const Render::FontColourPaletteDescriptor> palette) override;

    // Empty when the fill is not a solid colour, or is a default text colour.
    StringT ColourToCSS(const Render::FillDescriptor* fill, bool isTextFill) const override;
    // The text colour of `atts` made readable against their highlight (or the page) under the
    // options' minimum contrast; empty when it is readable as it is.
    StringT ReadableTextColourToCSS(const Text::AttributeSet& atts) const override;
    Raster::RGBA8 ToRGBA8(const Render::Colour& colour) const override;

    bool HasImages() const;
    StringT DescribeStyles() const;
    StringT DescribeImageStyles() const;

    // The host's font lookup (installed fonts by default). Set it before anything is registered:
    // fonts already listed keep the faces they were found with.
    void SetFontCache(Counted<const Foundation::FontCache> fonts);
    FontList& GetFontList() { return fontList_; }
    const FontList& GetFontList() const { return fontList_; }

    static double GetScale(const ExportSettings& settings, const FlowingEPubOptions& options);
    static double GetPointScale(const ExportSettings& settings, const FlowingEPubOptions& options);

    // Validation: what the CSS cannot express, under the settings' report switches. Changes
    // nothing. `checkLocal` false leaves local formatting unchecked.
    ValidationMessages ValidateParagraphAtts(const Consolidated<Text::ParagraphAtts>& atts,
                                             bool checkLocal) const;
    ValidationMessages ValidateGlyphAtts(const Consolidated<Text::GlyphAtts>& atts,
                                         const Counted<const Text::Style>& paragraphStyle,
                                         bool checkLocal) const;
    // What the style sets over its base.
    ValidationMessages ValidateStyle(const Counted<const Text::Style>& style) const;
    // Appends the messages of every cell, each once.
    void ValidateTable(const Text::Table& table, const Text::TableSize& size,
                       std::vector<StringT>& messages) const;
    std::vector<StringT> ValidateTableFormat(const Counted<const Text::TableFormat>& format,
                                             const Text::TableSize& size) const;
    std::vector<StringT>
    ValidateFrameFormat(const Counted<const Render::FillDescriptor>& background,
                        const Counted<const Render::FillDescriptor>& strokeFill,
                        const Counted<const Render::LineStyleDescriptor>& stroke) const;

    // Formats of the image style sheet.
    StringT RegisterDivFormat(const StringT& declarations);
    StringT RegisterSVGFormat(const StringT& name, const StringT& declarations);
    void RegisterImageFormat(const StringT& id, const StringT& declarations,
                             const StringT& comment);

    // The named style registry the content writer and the validator consult.
    Counted<const Text::Style> GetStyle(const StringT& name) const;
    void RegisterStyle(const StringT& name, StyleParams& out);
    const StyleParams& GetStyleParams(const StringT& name) const;
    StringT SanitiseElementName(const StringT& name) const;

protected:
    Consolidated<Text::ParagraphAtts>
    CreateSimulatedSpacingAtts(const Consolidated<Text::ParagraphAtts>& cur,
                               const Consolidated<Text::ParagraphAtts>& prev) const;
    // `paragraph` and `glyph` pick which parts of the delta are described.
    StringT DescribeDelta(const Counted<const Text::Delta>& delta, AffectedParams& affected,
                          bool paragraph = true, bool glyph = true, double emPoints = 12,
                          const Text::AttributeSet* wholeParagraph = nullptr);
    StringT DescribeCellFormat(const Text::CellFormat& format) const;
    StringT DescribeCellBorderFormat(const Text::BorderFormat& border) const;

    Counted<const ExportSettings> settings_; // the caller's, only read
    Counted<const FlowingEPubOptions> options_;

private:
    Foundation::SizeT<double> frameScale_{1.0, 1.0};
    struct Override {
        StringT className;
        StringT css;
    };
    struct FormatEntry {
        StringT className;
        StringT declarations;
        StringT comment;
    };
    struct Palette {
        StringT name;
        StringT family;
        Counted<const Render::FontColourPaletteDescriptor> descriptor;
        StringT body;
    };
    using ParaKey = Consolidated<Text::ParagraphAtts>;

    bool IsScaled() const;
    ParaKey Scaled(const ParaKey& atts) const;
    Consolidated<Text::GlyphAtts> Scaled(const Consolidated<Text::GlyphAtts>& atts) const;
    const Text::StyleSheet* SheetOf(const StringT& styleName) const;
    CssDescriber::Context MakeContext();
    StringT AutoFormatClasses(const ParaKey& atts, bool emitCSS);
    void RegisterDropCap(const Text::DropCapAtt& dropCap, double paragraphSize, ParaParams& params);
    StringT RegisterParagraphOverride(const ParaKey& atts, const StyleParams& style,
                                      const TextContext& parent, Counted<const TextContext>& own);
    StringT RegisterGlyphOverride(const Consolidated<Text::GlyphAtts>& atts,
                                  const TextContext& paragraph, const StyleParams& characterStyle);
    const TextContext& RootContext();
    const Text::GlyphAtts* DefaultGlyphAtts() const;
    const Declarations& DefaultGlyph();
    Declarations DescribeGlyphSet(const Text::AttributeSet& glyph);
    double SizeInPoints(const Text::AttributeSet& glyph) const;
    double DefaultSize() const;
    // A class name of the given pattern that no style and no other class uses.
    StringT GeneratedName(std::string_view pattern, int32_t& counter);
    bool IsNameTaken(const StringT& name);
    // The class of an earlier rule with the same body, or a new one.
    StringT ShareOrAdd(std::vector<Override>& rules, const StringT& css, std::string_view pattern,
                       int32_t& counter);
    TableFormatting* FindTable(const StringT& tableClass);
    StringT PaletteColour(uint32_t value) const;
    StringT RGBAToCSS(uint8_t r, uint8_t g, uint8_t b, uint8_t a, bool isRGB) const;

    FontList fontList_;
    bool embedFonts_ = false;
    std::vector<StyleParams> registry_;
    std::vector<StringT> registering_; // the base chain being registered, to break loops
    std::set<StringT> reservedNames_;  // class names the styles may take
    bool reservedBuilt_ = false;
    std::set<StringT> generatedNames_;
    std::set<StringT> paragraphElements_;
    bool hasLists_ = false;
    StringT dropCapClear_;
    Counted<TextContext> root_;
    std::optional<Declarations> defaultGlyph_;
    // Paragraph (after spacing) and its container's context to override class and own context.
    std::map<std::pair<ParaKey, const TextContext*>, std::pair<StringT, Counted<const TextContext>>>
        paraCache_;
    std::map<StringT, Counted<const TextContext>> contexts_; // by what they hold, shared
    std::vector<StringT> ruleCss_;                           // per registry record

    std::vector<Override> paraOverrides_;
    std::vector<std::pair<StringT, StringT>> dropCaps_; // CSS and class
    std::map<ParaKey, Counted<DivParams>> divCache_;
    std::vector<Override> divs_;
    std::map<ParaKey, StringT> autoFormatCache_;
    std::map<std::pair<const TextContext*, Consolidated<Text::GlyphAtts>>, Counted<GlyphParams>>
        glyphCache_;
    std::vector<Override> glyphOverrides_;
    std::vector<TableFormatting> tables_;
    std::vector<FormatEntry> frames_;
    std::vector<FormatEntry> divFormats_;
    std::vector<FormatEntry> svgFormats_;
    std::vector<FormatEntry> imageFormats_;
    std::vector<Palette> palettes_;
    Counted<const Foundation::FontCache> fontCache_;
    Counted<const Text::StyleSheet> secondary_;
    int32_t paragraphCounter_ = 1;
    int32_t spanCounter_ = 1;
    int32_t dropCapCounter_ = 1;
    int32_t divCounter_ = 1;
    int32_t tableCounter_ = 1;
    int32_t frameCounter_ = 1;
};

} // namespace EPub
