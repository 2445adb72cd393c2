// SPDX-License-Identifier: MIT
#pragma once
// The images stored so far in one export, by content, so a picture used on many pages is
// stored once.

#include "epub/package/Sha1.h"
#include "host/foundation/StringT.h"

#include <map>
#include <optional>
#include <string_view>

namespace EPub {

class Images {
public:
    using Digest = Sha1::Digest;
    static Digest DigestOf(std::string_view bytes) { return Sha1::Of(bytes); }

    // The path (relative to the root) of an image with these bytes; none when not stored yet.
    std::optional<Foundation::StringT> Find(const Digest& digest) const {
        const auto it = stored_.find(digest);
        if (it == stored_.end())
            return std::nullopt;
        return it->second;
    }
    void Record(const Digest& digest, Foundation::StringT path) {
        stored_.emplace(digest, std::move(path));
    }

private:
    std::map<Digest, Foundation::StringT> stored_;
};

} // namespace EPub
