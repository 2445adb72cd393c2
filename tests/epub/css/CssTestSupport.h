// SPDX-License-Identifier: MIT
#pragma once
// A style sheet over a small text document, with helpers to build attribute sets and styles.

#include "epub/css/StyleSheet.h"
#include "host/text/TextDocument.h"

#include <gtest/gtest.h>

namespace CssTest {

using namespace EPub;
using Foundation::MakeCounted;
using Foundation::StringT;

// Exposes the protected registry operations.
class TestSheet : public EPub::StyleSheet {
public:
    using EPub::StyleSheet::CreateSimulatedSpacingAtts;
    using EPub::StyleSheet::DescribeCellBorderFormat;
    using EPub::StyleSheet::GetStyleParams;
    using EPub::StyleSheet::RegisterImageFormat;
    using EPub::StyleSheet::RegisterStyle;
    using EPub::StyleSheet::RegisterSVGFormat;
    using EPub::StyleSheet::StyleSheet;

    StyleParams Register(const StringT& name) {
        StyleParams out;
        RegisterStyle(name, out);
        return out;
    }
};

inline Text::AttributeSet Set(std::initializer_list<std::pair<Text::AttId, Text::AttValue>> atts) {
    Text::AttributeSet set;
    for (const auto& [id, value] : atts)
        set.Set(id, value);
    return set;
}

class CssFixture : public ::testing::Test {
protected:
    CssFixture() {
        document_ = Text::TextDocument::Make();
        styles_ = Text::StyleSheet::Make(document_);
        settings_ = Foundation::MakeCounted<ExportSettings>();
        settings_->documentResolution = Foundation::MakeCounted<const DocumentResolution>(72.0);
        settings_->styles = styles_;
        settings_->defaultGlyphAtts = document_->GetDefaultGlyphAtts();
        options_ = FlowingEPubOptions::CreateObject();
    }

    TestSheet& Sheet() {
        if (!sheet_)
            sheet_ = std::make_unique<TestSheet>(settings_, options_);
        return *sheet_;
    }

    void AddParagraphStyle(const StringT& name, const StringT& base = {},
                           Text::AttributeSet paragraph = {}, Text::AttributeSet glyph = {},
                           Counted<const Text::EPubTag> tag = {}) {
        styles_->AddStyle(Text::Style::Make(
            name, Text::StyleKind::Paragraph, base,
            Foundation::MakeCounted<const Text::Delta>(std::move(paragraph), std::move(glyph)),
            std::move(tag)));
    }
    void AddCharacterStyle(const StringT& name, Text::AttributeSet glyph = {}) {
        styles_->AddStyle(Text::Style::Make(
            name, Text::StyleKind::Character, {},
            Foundation::MakeCounted<const Text::Delta>(Text::AttributeSet(), std::move(glyph))));
    }

    // A paragraph of `style` with `local` laid over the style's resolved attributes.
    Consolidated<Text::ParagraphAtts> Para(const StringT& style,
                                           const Text::AttributeSet& local = {}) {
        return document_->Consolidate(styles_->ResolveParagraphAtts(style).With(local));
    }
    Consolidated<Text::GlyphAtts> Run(const StringT& paragraphStyle,
                                      const Text::AttributeSet& local = {},
                                      const StringT& characterStyle = {}) {
        return document_->Consolidate(
            styles_->ResolveGlyphAtts(paragraphStyle, characterStyle).With(local));
    }

    Counted<Text::TextDocument> document_;
    Counted<Text::StyleSheet> styles_;
    Counted<ExportSettings> settings_;
    Counted<FlowingEPubOptions> options_;
    std::unique_ptr<TestSheet> sheet_;
};

// The body of the rule for `selector` in a style sheet text; empty when there is none.
inline std::string RuleBody(const StringT& css, std::string_view selector) {
    const std::string key = std::string(selector) + " {\n";
    const size_t at = css.str().find(key);
    if (at == std::string::npos || (at > 0 && css[at - 1] != '\n'))
        return "<none>";
    const size_t begin = at + key.size();
    return css.str().substr(begin, css.str().find("}\n", begin) - begin);
}

} // namespace CssTest
