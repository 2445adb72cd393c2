// SPDX-License-Identifier: MIT
#pragma once
// The running application's version, written into the package document's generator meta.

#include "host/foundation/StringT.h"

namespace Foundation {

struct ApplicationVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
    StringT name; // product name shown before the number

    // Supplied by the host application.
    static ApplicationVersion GetCurrent();
    // "Name major.minor.patch"
    StringT ToString() const;
};

} // namespace Foundation
