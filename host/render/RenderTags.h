// SPDX-License-Identifier: MIT
#pragma once
// Accessibility text attached to a graphic: what a reading system says or shows for it.

#include "host/foundation/Counted.h"
#include "host/foundation/StringT.h"

namespace Render {

using Foundation::Counted;
using Foundation::StringT;

// Immutable; shared by reference count.
class RenderTags final : public Foundation::Countable {
public:
    struct Fields {
        StringT altText;
        StringT description;      // long description, shown in a details element
        StringT className;        // CSS class given to the graphic
        StringT summaryStyle;     // text style of the description's summary line
        StringT descriptionStyle; // text style of the description paragraph
        StringT summaryText;      // the summary line; empty means a localised default
        bool operator==(const Fields&) const = default;
    };

    explicit RenderTags(Fields fields) : f_(std::move(fields)) {}
    static Counted<const RenderTags> Make(Fields fields) {
        return Foundation::MakeCounted<const RenderTags>(std::move(fields));
    }

    const StringT& GetAltText() const noexcept { return f_.altText; }
    const StringT& GetDescription() const noexcept { return f_.description; }
    const StringT& GetClassName() const noexcept { return f_.className; }
    const StringT& GetSummaryStyle() const noexcept { return f_.summaryStyle; }
    const StringT& GetDescriptionStyle() const noexcept { return f_.descriptionStyle; }
    const StringT& GetSummaryText() const noexcept { return f_.summaryText; }
    bool HasDescription() const noexcept { return !f_.description.empty(); }
    bool HasClassName() const noexcept { return !f_.className.empty(); }

    bool operator==(const RenderTags& o) const noexcept { return f_ == o.f_; }
    size_t Hash() const noexcept;

private:
    Fields f_;
};

} // namespace Render
