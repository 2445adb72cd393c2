// SPDX-License-Identifier: MIT
// The default text setter, made here rather than in TextSetter.cpp: the service's header stays
// free of its implementation, and the implementation's header includes the service.
#include "epub/fixed/FixedTextSetter.h"
#include "epub/fixed/TextSetter.h"

namespace EPub {

std::unique_ptr<TextSetter> MakeDefaultTextSetter() {
    return std::make_unique<FixedTextSetter>();
}

bool TextSetter::SetStory(const std::vector<Paragraph>&, const std::vector<StoryColumn>&,
                          ColumnNodes&, std::string& error, int32_t, std::vector<LinkArea>*) {
    error = "this text setter cannot flow a story through frames";
    return false;
}

bool TextSetter::SetVerticalFrame(const std::vector<Paragraph>&,
                                  const std::vector<Foundation::RectT<double>>&,
                                  std::vector<Foundation::Counted<const Render::Node>>&,
                                  std::string& error, int32_t, std::vector<LinkArea>*, int) {
    error = "this text setter cannot set vertical text";
    return false;
}

bool TextSetter::SetVerticalStory(const std::vector<Paragraph>&, const std::vector<StoryColumn>&,
                                  ColumnNodes&, std::string& error, int32_t,
                                  std::vector<LinkArea>*) {
    error = "this text setter cannot set vertical text";
    return false;
}

} // namespace EPub
