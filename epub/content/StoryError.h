// SPDX-License-Identifier: MIT
#pragma once
// One problem the validation pass found in a story, for the host to list with the text it
// affects.

#include "host/foundation/StringT.h"
#include "host/text/Story.h"

#include <vector>

namespace EPub {

struct StoryError {
    std::vector<Foundation::StringT> messages; // already localised
    // The text affected. Problems of a style have an empty range at the place the style was
    // first met.
    Text::StoryRange range;
    // The style a problem was found in; empty for local formatting, tables and frames.
    Foundation::StringT styleName;
};

} // namespace EPub
