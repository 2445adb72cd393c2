// SPDX-License-Identifier: MIT
#include "readers/common/ListCount.h"

#include <utility>

namespace Readers {

Foundation::Counted<const Text::ListAtt> CountedList(Text::ListSettings s, int number,
                                                     Text::Numberer& numbers) {
    Foundation::Counted<const Text::ListAtt> att;
    for (const auto& [start, restart] :
         {std::pair{1, false}, std::pair{number, false}, std::pair{number, true}}) {
        s.startAt = start;
        s.restart = restart;
        att = Text::ListAtt::Make(s);
        if (s.type != Text::ListType::Numbered)
            break;
        const auto next = numbers.Clone();
        next->Advance(*att);
        if (next->GetNumber(s.level) == number)
            break;
    }
    numbers.Advance(*att);
    return att;
}

} // namespace Readers
