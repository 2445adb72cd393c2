// SPDX-License-Identifier: MIT
#pragma once
// Points in time, UTC, with microsecond resolution.

#include "host/foundation/StringT.h"

#include <compare>
#include <cstdint>

namespace Foundation {

class TimeStamp {
public:
    constexpr TimeStamp() = default;
    static constexpr TimeStamp FromMicroseconds(int64_t sinceEpoch) {
        TimeStamp t;
        t.us_ = sinceEpoch;
        return t;
    }
    static TimeStamp GetCurrent();

    constexpr int64_t Microseconds() const noexcept { return us_; }
    constexpr int64_t Seconds() const noexcept {
        return us_ >= 0 ? us_ / 1000000 : -((-us_ + 999999) / 1000000);
    }
    friend constexpr auto operator<=>(TimeStamp, TimeStamp) = default;

private:
    int64_t us_ = 0; // since 1970-01-01T00:00:00Z
};

// Text forms of a time stamp. Style 3 with `utc` set is the form EPUB requires for
// dcterms:modified, CCYY-MM-DDThh:mm:ssZ. Style 1 is the date alone (CCYY-MM-DD); style 2 adds
// the time with a space ("CCYY-MM-DD hh:mm:ss"). Without `utc`, local time is used and style 3
// carries the local offset ("+hh:mm") instead of "Z". The locale argument is reserved; texts are
// always in these numeric forms.
StringT ToString(TimeStamp t, int style, bool utc, const StringT& locale = {});

} // namespace Foundation
