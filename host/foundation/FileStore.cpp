// SPDX-License-Identifier: MIT
#include "host/foundation/FileStore.h"

namespace Foundation {

StringT FileStore::Resolve(const StringT& path) const {
    if (path.empty() || path[0] == '/' || baseFolder_.empty())
        return path;
    StringT joined = baseFolder_;
    if (joined.back() != '/')
        joined += '/';
    return joined + path;
}

} // namespace Foundation
