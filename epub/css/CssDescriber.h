// SPDX-License-Identifier: MIT
#pragma once
// Turns attribute deltas into CSS declarations for one class.

#include "epub/options/FlowingEPubOptions.h"
#include "host/foundation/Font.h"
#include "host/foundation/FontCache.h"
#include "host/foundation/StringT.h"
#include "host/raster/ICCProfileSet.h"
#include "host/render/Colour.h"
#include "host/render/ColourPalette.h"
#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/text/AttributeObjects.h"
#include "host/text/AttributeSet.h"
#include "host/text/ListAtt.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace EPub {

// What a describer needs of the style sheet it describes for: colours and fonts as the sheet
// writes them, and the fonts and palettes it registers on the way.
class CssResources {
public:
    // Names a font for CSS, registering it for embedding when the sheet embeds fonts.
    virtual StringT AddFont(const Foundation::Font& font) = 0;
    virtual StringT
    RegisterFontColourPalette(const Foundation::Font& font,
                              Counted<const Render::FontColourPaletteDescriptor> palette) = 0;
    // Empty when the fill is not a solid colour, or is a default text colour.
    virtual StringT ColourToCSS(const Render::FillDescriptor* fill, bool isTextFill) const = 0;
    // The text colour of `atts` made readable against their highlight; empty when it is.
    virtual StringT ReadableTextColourToCSS(const Text::AttributeSet& atts) const = 0;
    virtual Raster::RGBA8 ToRGBA8(const Render::Colour& colour) const = 0;

protected:
    CssResources() = default;
    CssResources(const CssResources&) = delete;
    CssResources& operator=(const CssResources&) = delete;
    ~CssResources() = default;
};

// Which attributes a class has set, so that an override of it restates them even at their
// default value.
// Declarations in writing order, one per property.
using Declarations = std::vector<std::pair<StringT, StringT>>;

struct AffectedParams {
    std::vector<uint32_t> paragraphInts; // alignment and proportional line spacing
    std::vector<uint32_t> paragraphDoubles;
    std::vector<uint32_t> unused;
    std::vector<uint32_t> glyphDoubles;
    bool describeAll = true;
};

class CssDescriber {
public:
    struct Context {
        CssResources& sheet;
        const Foundation::FontCache* fonts = nullptr;
        const FlowingEPubOptions& options;
        double scale = 1;
        double pointScale = 1;
        Foundation::Font defaultFont; // names the font of a palette when the delta has none
        // The font size, in points, of the element the class lands on: lengths are in its ems.
        double emPoints = 12;
        // The element's whole paragraph formatting, so that a text indent changed alone still
        // counts from the left indent; null when the delta is all there is.
        const Text::AttributeSet* paragraph = nullptr;
    };

    CssDescriber(Context context, AffectedParams affected)
        : c_(std::move(context)), affected_(std::move(affected)) {}

    void DescribeParagraph(const Text::AttributeSet& atts);
    void DescribeGlyph(const Text::AttributeSet& atts);
    void DescribeDecorations(const Text::DecorationsAtt& decorations);

    // The declarations, one a line.
    StringT GetText() const;
    Declarations GetDeclarations() const { return declarations_; }
    const AffectedParams& GetAffected() const noexcept { return affected_; }

    // A length in ems of `emPoints`, to a thousandth; absurd lengths are clamped.
    static StringT Length(double pointScale, double value, double emPoints = 12);
    // A number rounded to `places` decimals, for sizes and lengths.
    static StringT Number(double value, int places);
    // A value clamped into what a page can hold, in points; NaN gives 0.
    static double ClampPoints(double points);
    static constexpr double kMaxPoints = 2000;
    // A pixel width, rounded; "0" for none.
    static StringT Pixels(double value);
    static StringT BorderStyle(const Render::LineStyleDescriptor& stroke);
    static Foundation::Font ToFont(const StringT& family, int32_t weight, int32_t style,
                                   int32_t stretch);

private:
    enum class List { ParagraphInts, ParagraphDoubles, GlyphDoubles };

    // The declaration rule: whether a value must be written, noting it as set.
    bool ShouldWrite(List list, uint32_t id, bool isDefault);
    // One declaration per property: a repeated property merges its values where CSS lists them,
    // otherwise the later value replaces the earlier.
    void Add(std::string_view declaration);
    void DescribeList(const Text::ListAtt& list);
    void DescribeFont(const Text::AttributeSet& atts);
    void DescribeLines(const Text::AttributeSet& atts);
    void DescribeOpenType(const Text::OpenTypeAtt& features);
    void DescribePalette(const Text::AttributeSet& atts, const Text::FontColourPaletteAtt& palette);
    void DescribeFill(const Text::AttributeSet& atts, Text::AttId id, std::string_view property);
    StringT Border(const Text::Decoration& decoration) const;

    Context c_;
    AffectedParams affected_;
    Declarations declarations_;
};

} // namespace EPub
