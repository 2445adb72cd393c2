// SPDX-License-Identifier: MIT
#pragma once
// What the writer of one chunk carries from paragraph to paragraph.

#include "epub/content/ListWriter.h"
#include "epub/package/Landmark.h"
#include "host/foundation/StringT.h"
#include "host/text/AttributeObjects.h"
#include "host/text/ListAtt.h"
#include "host/text/ParagraphAtts.h"
#include "host/text/Story.h"

namespace EPub {

struct ExportState {
    ListWriter lists;
    Foundation::Consolidated<Text::ParagraphAtts> paragraphAtts;
    Foundation::Consolidated<Text::ParagraphAtts> previousParagraphAtts;
    Foundation::Counted<const Text::DropCapAtt> dropCapAtt;
    Foundation::Counted<const Text::AutoFormatAtt> autoFormatAtt;
    Foundation::Counted<Text::Numberer> numberer;
    Text::StoryPos nextPagePos;
    bool pageMarkersOn = false; // off for nested content: cells, notes
    bool nested = false;        // cells, frames and notes
    int currentPage = -1;
    int lastPage = -1;
    // The decoration wrapper around the current run of paragraphs (empty: none), and the
    // landmark whose section was open when the wrapper opened.
    Foundation::StringT wrapperClass;
    Landmark wrapperOutside = Landmark::None;
};

} // namespace EPub
