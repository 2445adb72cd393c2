// SPDX-License-Identifier: MIT
#pragma once
// Finds the formatting in an attribute delta that the generated XHTML and CSS cannot express, for
// the validation pass the host runs before an export.

#include "epub/options/ExportSettings.h"
#include "host/foundation/StringT.h"
#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/text/AttributeObjects.h"
#include "host/text/Delta.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace EPub {

enum class TextStyleCategory : uint8_t { Paragraph, Character };

// One problem, already localised, and whether it concerns paragraph or character formatting.
struct ValidationMessage {
    StringT text;
    TextStyleCategory category = TextStyleCategory::Character;

    friend bool operator==(const ValidationMessage&, const ValidationMessage&) = default;
};

using ValidationMessages = std::vector<ValidationMessage>;

// The localised form of a validation message.
StringT LocaliseValidationMessage(std::string_view text);

// A visible fill that is not a plain colour: gradients and bitmaps have no CSS colour.
bool IsUnsupportedFill(const Render::FillDescriptor* fill);
// A visible stroke with its own dash pattern, which the CSS border styles only approximate.
bool IsUnsupportedLineStyle(const Render::LineStyleDescriptor* stroke);

// Walks deltas and collects a message for every attribute whose value the CSS cannot express,
// under the report switches of the export settings. Each message is collected once, however
// often its condition is met.
class UnsupportedPropertyVisitor {
public:
    explicit UnsupportedPropertyVisitor(const ExportSettings& settings) : settings_(settings) {}

    void Visit(const Text::Delta& delta);
    void VisitParagraph(const Text::AttributeSet& atts);
    void VisitGlyph(const Text::AttributeSet& atts);

    const ValidationMessages& GetMessages() const noexcept { return messages_; }
    ValidationMessages TakeMessages() noexcept { return std::move(messages_); }

private:
    void VisitNumber(Text::AttCategory category, const Text::AttEntry& entry);
    void VisitParagraphObject(const Text::AttEntry& entry);
    void VisitGlyphObject(const Text::AttEntry& entry);
    void VisitDecorations(const Text::DecorationsAtt& decorations);
    void Report(bool enabled, std::string_view text, TextStyleCategory category);

    const ExportSettings& settings_;
    ValidationMessages messages_;
};

} // namespace EPub
