// SPDX-License-Identifier: MIT
#pragma once
// The state of an external resource (a linked file) that a document refers to.

#include "host/foundation/StringT.h"

namespace Foundation {

enum class ResourceStatus : int {
    Ok = 0,
    HostResourceModified = 1, // held by the host, which reports a change
    Modified = 2,             // changed since it was taken
    Missing = 3,
    AccessDenied = 4,
};

struct ResourceInterface {
    // A ResourceStatus code for reading the file: Ok when it can be read, Missing when it is
    // not there, AccessDenied when it is there but may not be read.
    static int TestFileAccess(const StringT& path);
};

} // namespace Foundation
