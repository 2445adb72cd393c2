// SPDX-License-Identifier: MIT
// The default text setter, made here rather than in TextSetter.cpp: the service's header stays
// free of its implementation, and the implementation's header includes the service.
#include "epub/fixed/FixedTextSetter.h"
#include "epub/fixed/TextSetter.h"

namespace EPub {

std::unique_ptr<TextSetter> MakeDefaultTextSetter() { return std::make_unique<FixedTextSetter>(); }

} // namespace EPub
