// SPDX-License-Identifier: MIT
#include "host/foundation/TimeStamp.h"

#include <chrono>
#include <ctime>

namespace Foundation {

TimeStamp TimeStamp::GetCurrent() {
    using namespace std::chrono;
    return FromMicroseconds(
        duration_cast<microseconds>(system_clock::now().time_since_epoch()).count());
}

StringT ToString(TimeStamp t, int style, bool utc, const StringT&) {
    const std::time_t seconds = static_cast<std::time_t>(t.Seconds());
    std::tm parts{};
    if (utc)
        gmtime_r(&seconds, &parts);
    else
        localtime_r(&seconds, &parts);

    auto two = [](int v) { return StringT::Format(v < 10 ? "0%1" : "%1", v); };
    StringT date = StringT::Format("%1-%2-%3", parts.tm_year + 1900, two(parts.tm_mon + 1),
                                   two(parts.tm_mday));
    if (style == 1)
        return date;
    const StringT time =
        StringT::Format("%1:%2:%3", two(parts.tm_hour), two(parts.tm_min), two(parts.tm_sec));
    if (style == 2)
        return date + " " + time;
    StringT zone = "Z";
    if (!utc) {
        const long offset = parts.tm_gmtoff;
        const long minutes = (offset < 0 ? -offset : offset) / 60;
        zone = StringT::Format("%1%2:%3", offset < 0 ? "-" : "+", two(int(minutes / 60)),
                               two(int(minutes % 60)));
    }
    return date + "T" + time + zone;
}

} // namespace Foundation
