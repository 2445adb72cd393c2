// SPDX-License-Identifier: MIT
#include "epub/fixed/TextSetter.h"

#include "epub/fixed/FixedTextSetter.h"

namespace EPub {

std::unique_ptr<TextSetter> MakeDefaultTextSetter() {
    return std::make_unique<FixedTextSetter>();
}

} // namespace EPub
