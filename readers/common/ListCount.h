// SPDX-License-Identifier: MIT
#pragma once
// A list paragraph whose label the reader has counted itself, handed to the host so that the
// host's own count gives the same number.

#include "host/text/ListAtt.h"

namespace Readers {

// The list attribute for a paragraph numbered `number` by the source, with `numbers` advanced
// past it. The items of a list share one attribute, which starts at 1 where it can, at the
// source's number where it must, and restarts only where the source's number differs from the
// host's count.
Foundation::Counted<const Text::ListAtt> CountedList(Text::ListSettings settings, int number,
                                                     Text::Numberer& numbers);

} // namespace Readers
