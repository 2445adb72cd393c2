// SPDX-License-Identifier: MIT
#include "host/foundation/ResourceInterface.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace Foundation {

int ResourceInterface::TestFileAccess(const StringT& path) {
    constexpr int missing = static_cast<int>(ResourceStatus::Missing);
    constexpr int denied = static_cast<int>(ResourceStatus::AccessDenied);
    if (path.empty() || path.Find('\0') != StringT::npos)
        return missing;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        // A folder on the way that may not be searched hides the file rather than losing it.
        return errno == EACCES ? denied : missing;
    if (::access(path.c_str(), R_OK) != 0)
        return errno == EACCES || errno == EPERM ? denied : missing;
    return static_cast<int>(ResourceStatus::Ok);
}

} // namespace Foundation
