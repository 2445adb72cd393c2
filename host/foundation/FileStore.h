// SPDX-License-Identifier: MIT
#pragma once
// What a load needs to know about the document it reads from: where the document lives, so
// that references stored relative to it find their files again.

#include "host/foundation/StringT.h"

namespace Foundation {

class FileStore {
public:
    FileStore() = default;
    explicit FileStore(StringT baseFolder) : baseFolder_(std::move(baseFolder)) {}

    const StringT& GetBaseFolder() const noexcept { return baseFolder_; }
    // An absolute path as it is; a relative one joined to the base folder (when there is one).
    StringT Resolve(const StringT& path) const;

private:
    StringT baseFolder_;
};

} // namespace Foundation
