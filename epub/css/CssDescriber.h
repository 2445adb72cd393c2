#pragma once
// Turns attribute deltas into CSS declarations for one class.

#include "epub/options/FlowingEPubOptions.h"
#include "host/foundation/Font.h"
#include "host/foundation/FontCache.h"
#include "host/foundation/StringT.h"
#include "host/render/LineStyle.h"
#include "host/text/AttributeObjects.h"
#include "host/text/AttributeSet.h"
#include "host/text/ListAtt.h"

#include <cstdint>
#include <vector>

namespace EPub {

class StyleSheet;

// Which attributes a class has set, so that an override of it restates them even at their
// default value.
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
        StyleSheet& sheet;
        const Foundation::FontCache* fonts = nullptr;
        const FlowingEPubOptions& options;
        double scale = 1;
        double pointScale = 1;
        Foundation::Font defaultFont; // names the font of a palette when the delta has none
    };

    CssDescriber(Context context, AffectedParams affected)
        : c_(std::move(context)), affected_(std::move(affected)) {}

    void DescribeParagraph(const Text::AttributeSet& atts);
    void DescribeGlyph(const Text::AttributeSet& atts);
    void DescribeDecorations(const Text::DecorationsAtt& decorations);

    // The declarations, one a line.
    StringT GetText() const;
    const AffectedParams& GetAffected() const noexcept { return affected_; }

    // A length in 12-point ems, rounded to whole ems.
    static StringT Length(double pointScale, double value);
    // A pixel width, rounded; "0" for none.
    static StringT Pixels(double value);
    static StringT BorderStyle(const Render::LineStyleDescriptor& stroke);
    static Foundation::Font ToFont(const StringT& family, int32_t weight, int32_t style,
                                   int32_t stretch);

private:
    enum class List { ParagraphInts, ParagraphDoubles, GlyphDoubles };

    // The declaration rule: whether a value must be written, noting it as set.
    bool ShouldWrite(List list, uint32_t id, bool isDefault);
    void Add(StringT declaration) { declarations_.push_back(std::move(declaration)); }
    void DescribeList(const Text::ListAtt& list);
    void DescribeFont(const Text::AttributeSet& atts);
    void DescribeOpenType(const Text::OpenTypeAtt& features);
    void DescribePalette(const Text::AttributeSet& atts, const Text::FontColourPaletteAtt& palette);
    void DescribeFill(const Text::AttributeSet& atts, Text::AttId id, std::string_view property);
    StringT Border(const Text::Decoration& decoration) const;

    Context c_;
    AffectedParams affected_;
    std::vector<StringT> declarations_;
};

} // namespace EPub
