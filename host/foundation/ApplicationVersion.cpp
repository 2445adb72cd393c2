// SPDX-License-Identifier: MIT
#include "host/foundation/ApplicationVersion.h"

namespace Foundation {

StringT ApplicationVersion::ToString() const {
    StringT number = StringT::Format("%1.%2.%3", major, minor, patch);
    return name.empty() ? number : name + " " + number;
}

} // namespace Foundation
