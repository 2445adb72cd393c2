// SPDX-License-Identifier: MIT
#include "host/render/RenderTags.h"

#include <functional>

namespace Render {

size_t RenderTags::Hash() const noexcept {
    size_t h = 0;
    for (const StringT* s : {&f_.altText, &f_.description, &f_.className, &f_.summaryStyle,
                             &f_.descriptionStyle, &f_.summaryText})
        h = h * 1000003u ^ std::hash<StringT>{}(*s);
    return h;
}

} // namespace Render
