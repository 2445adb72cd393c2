// SPDX-License-Identifier: MIT
#pragma once
// The main document part, read one block of the body at a time (see BlockStream), with what the
// walk needs to know of the whole part beforehand: how its sections start.

#include "readers/common/BlockStream.h"

#include <string>
#include <vector>

namespace Readers::Docx {

class BodyStream final : public BlockStream {
public:
    // Reads the part and its root element; throws InputError.
    BodyStream(Package& package, std::string part) : BlockStream(package, std::move(part)) {}

    // How each section starts (w:type: "nextPage", "oddPage", "continuous"...), in the order
    // of the sections. Call before ForEachBlock.
    std::vector<std::string> SectionStarts() const;
    // Calls `visit` with each element of the body in turn; false when there is no body.
    // Throws InputError for malformed XML.
    bool ForEachBlock(const std::function<void(pugi::xml_node)>& visit) {
        return BlockStream::ForEachBlock({"body"}, visit);
    }
};

} // namespace Readers::Docx
