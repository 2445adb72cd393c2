// SPDX-License-Identifier: MIT
#include "host/text/AnchorData.h"

#include <cctype>

namespace Text {

namespace {

// A scheme is two or more letters, digits, "+", "-" or "." before a ":", starting with a letter;
// one letter would be a drive ("C:").
bool HasScheme(std::string_view path) {
    const size_t colon = path.find(':');
    if (colon == std::string_view::npos || colon < 2)
        return false;
    if (!std::isalpha(static_cast<unsigned char>(path[0])))
        return false;
    for (size_t i = 1; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

bool IsMailAddress(std::string_view path) {
    const size_t at = path.find('@');
    return at != std::string_view::npos && at > 0 && path.find('/') == std::string_view::npos;
}

} // namespace

Counted<AnchorData> AnchorData::Make(StringT uid, StringT name, int32_t tocType) {
    return Foundation::MakeCounted<AnchorData>(std::move(uid), std::move(name), tocType);
}

HyperlinkData::HyperlinkData(HyperlinkType type, Counted<const AnchorData> anchor, StringT path,
                             int32_t page, int32_t section, int32_t chapter)
    : type_(type), anchor_(std::move(anchor)), path_(std::move(path)), page_(page),
      section_(section), chapter_(chapter) {}

Counted<const HyperlinkData> HyperlinkData::MakeAnchor(Counted<const AnchorData> anchor) {
    return Foundation::MakeCounted<const HyperlinkData>(HyperlinkType::Anchor, std::move(anchor),
                                                        StringT(), 0, 0, 0);
}

Counted<const HyperlinkData> HyperlinkData::MakePage(int32_t page) {
    return Foundation::MakeCounted<const HyperlinkData>(HyperlinkType::Page, nullptr, StringT(),
                                                        page, 0, 0);
}

Counted<const HyperlinkData> HyperlinkData::MakeChapterPage(int32_t chapter, int32_t page,
                                                            int32_t section) {
    return Foundation::MakeCounted<const HyperlinkData>(HyperlinkType::ChapterPage, nullptr,
                                                        StringT(), page, section, chapter);
}

Counted<const HyperlinkData> HyperlinkData::MakeURL(StringT path) {
    return Foundation::MakeCounted<const HyperlinkData>(HyperlinkType::URL, nullptr,
                                                        std::move(path), 0, 0, 0);
}

StringT HyperlinkData::GetPathWithValidProtocol() const {
    if (path_.empty() || HasScheme(path_.view()))
        return path_;
    if (IsMailAddress(path_.view()))
        return StringT("mailto:") + path_;
    return StringT("http://") + path_;
}

bool operator==(const HyperlinkData& a, const HyperlinkData& b) {
    return a.type_ == b.type_ && a.anchor_ == b.anchor_ && a.path_ == b.path_ &&
           a.page_ == b.page_ && a.section_ == b.section_ && a.chapter_ == b.chapter_;
}

size_t HyperlinkData::Hash() const {
    size_t h = static_cast<size_t>(type_);
    HashCombine(h, std::hash<const void*>{}(anchor_.get()));
    HashCombine(h, std::hash<std::string_view>{}(path_.view()));
    HashCombine(h, static_cast<size_t>(page_));
    HashCombine(h, static_cast<size_t>(chapter_));
    return h;
}

Counted<const HyperlinkAtt> HyperlinkAtt::Make(Counted<const HyperlinkData> data) {
    return Foundation::MakeCounted<const HyperlinkAtt>(std::move(data));
}

bool HyperlinkAtt::Equals(const AttObject& other) const {
    return SameValue(data_, static_cast<const HyperlinkAtt&>(other).data_);
}

} // namespace Text
