// SPDX-License-Identifier: MIT
#pragma once
// The attributes of one glyph: a full, immutable set. Stories hold them consolidated (one shared
// object per distinct set, see TextDocument), so identity stands for equality.

#include "host/foundation/Consolidated.h"
#include "host/text/AnchorData.h"
#include "host/text/AttributeObjects.h"
#include "host/text/AttsBase.h"
#include "host/text/FontSpec.h"
#include "host/text/Language.h"

namespace Text {

using Foundation::Consolidated;

class GlyphAtts final : public AttsBase {
public:
    GlyphAtts() : AttsBase(AttCategory::Glyph, {}), language_(Language::None()) {}
    explicit GlyphAtts(AttributeSet set)
        : AttsBase(AttCategory::Glyph, std::move(set)), language_(FindLanguage()) {}

    // A copy with `delta` laid over it.
    GlyphAtts With(const AttributeSet& delta) const;
    GlyphAtts With(AttId id, AttValue value) const;
    // A copy for text drawn in a frame scaled by (x, y). With `scaleText` the font size, leading
    // and baseline shift follow y and the horizontal scale takes the ratio x / y.
    GlyphAtts GetScaled(double x, double y, bool scaleText = true) const;

    double GetSize() const { return GetDouble(GlyphDouble::Size); }
    const StringT& GetCharacterStyleName() const { return GetString(GlyphStr::CharacterStyleName); }
    // The font asked for; the text model does no substitution, so the actual font is the same.
    FontSpec GetFont() const;
    FontSpec GetActualFont() const { return GetFont(); }
    // The spelling language; the none language when unset.
    const Counted<const Language>& GetLanguage() const noexcept { return language_; }
    // Null when unset.
    Counted<const Render::FillDescriptor> GetFill(AttId id) const;
    Counted<const Render::FillDescriptor> GetTextFill() const {
        return GetFill(GlyphObject::TextFill);
    }
    Counted<const Render::LineStyleDescriptor> GetLineStyle(AttId id) const;
    Counted<const HyperlinkAtt> GetHyperlink() const {
        return GetObjectAs<HyperlinkAtt>(GlyphObject::Hyperlink);
    }
    Counted<const OpenTypeAtt> GetOpenType() const {
        return GetObjectAs<OpenTypeAtt>(GlyphObject::OpenType);
    }
    Counted<const FontColourPaletteAtt> GetFontColourPalette() const {
        return GetObjectAs<FontColourPaletteAtt>(GlyphObject::FontColourPalette);
    }

    friend bool operator==(const GlyphAtts& a, const GlyphAtts& b) { return a.set_ == b.set_; }

private:
    Counted<const Language> FindLanguage() const;

    // Writers ask once per run or even per glyph; the set never changes, so look it up once.
    Counted<const Language> language_;
};

} // namespace Text
