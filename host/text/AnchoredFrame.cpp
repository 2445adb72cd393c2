// SPDX-License-Identifier: MIT
#include "host/text/AnchoredFrame.h"

namespace Text {

Counted<const AnchoredFrame> AnchoredFrame::Make(FrameSettings settings) {
    return Foundation::MakeCounted<const AnchoredFrame>(std::move(settings));
}

AnchoredFrame::AnchoredFrame(FrameSettings settings) : s_(std::move(settings)) {}

} // namespace Text
