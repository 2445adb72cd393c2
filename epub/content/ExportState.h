#pragma once
// What the writer of one chunk carries from paragraph to paragraph.

#include "epub/css/StyleSheet.h"
#include "host/foundation/StringT.h"
#include "host/text/AttributeObjects.h"
#include "host/text/ListAtt.h"
#include "host/text/ParagraphAtts.h"
#include "host/text/Story.h"

#include <deque>

namespace EPub {

struct ListLevel {
    int level = 0;
    Foundation::StringT element;
    bool itemOpen = false; // lists opened by a jump of several levels hold no item
    Foundation::Counted<const ParaParams> item; // the open item, which nested items sit in
};

struct ExportState {
    std::deque<ListLevel> listStack; // back = innermost open list
    Foundation::Consolidated<Text::ParagraphAtts> paragraphAtts;
    Foundation::Consolidated<Text::ParagraphAtts> previousParagraphAtts;
    Foundation::Counted<const Text::DropCapAtt> dropCapAtt;
    Foundation::Counted<const Text::AutoFormatAtt> autoFormatAtt;
    Foundation::Counted<Text::Numberer> numberer;
    Text::StoryPos nextPagePos;
    bool pageMarkersOn = false; // off for nested content: cells, notes
    int currentPage = -1;
    int lastPage = -1;
};

} // namespace EPub
