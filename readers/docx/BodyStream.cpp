// SPDX-License-Identifier: MIT
#include "readers/docx/BodyStream.h"

namespace Readers::Docx {

using namespace XmlScan;

std::vector<std::string> BodyStream::SectionStarts() const {
    constexpr std::string_view kSection = "sectPr", kType = "type";
    std::vector<std::string> starts;
    const std::string_view text = Text();
    size_t depth = 0, contentAt = 0;
    for (size_t at = text.find(kSection); at != std::string_view::npos;
         at = text.find(kSection, at + kSection.size())) {
        if (!IsElementName(text, at, kSection))
            continue;
        const Tag tag = NextTag(text, text.rfind('<', at));
        if (tag.kind == TagKind::Empty && depth == 0) {
            starts.emplace_back("nextPage");
        } else if (tag.kind == TagKind::Open) {
            // A tracked change holds the former properties as a section inside the section.
            if (depth++ == 0)
                contentAt = tag.end;
        } else if (tag.kind == TagKind::Close && depth > 0 && --depth == 0) {
            const std::string_view inside = text.substr(contentAt, tag.start - contentAt);
            std::string start = "nextPage";
            for (size_t t = inside.find(kType); t != std::string_view::npos;
                 t = inside.find(kType, t + kType.size()))
                if (IsElementName(inside, t, kType) && inside[t - 1] != '/') {
                    const Tag typeTag = NextTag(inside, inside.rfind('<', t));
                    start = AttributeIn(inside.substr(t, typeTag.end - t), "val").value_or(start);
                    break;
                }
            starts.push_back(std::move(start));
        }
    }
    return starts;
}

} // namespace Readers::Docx
