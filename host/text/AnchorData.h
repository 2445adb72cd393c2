// SPDX-License-Identifier: MIT
#pragma once
// Anchors (named places in the text that links and cross references point at) and hyperlinks.

#include "host/text/AttributeSet.h"

namespace Text {

class AnchorData final : public Foundation::Countable {
public:
    // `uid` must be unique among the document's anchors; it never changes. TextDocument::MakeAnchor
    // numbers them for you.
    static Counted<AnchorData> Make(StringT uid, StringT name, int32_t tocType = 0);
    AnchorData(StringT uid, StringT name, int32_t tocType)
        : uid_(std::move(uid)), name_(std::move(name)), tocType_(tocType) {}

    const StringT& GetUid() const noexcept { return uid_; }
    const StringT& GetName() const noexcept { return name_; }
    // The ARIA role links to this anchor carry ("doc-noteref", "doc-backlink"); empty by default.
    const StringT& GetRole() const noexcept { return role_; }
    void SetRole(StringT role) { role_ = std::move(role); }
    // Level of the table-of-contents entry the anchor makes, 0 when it makes none.
    int32_t GetTocType() const noexcept { return tocType_; }
    bool IsTOCEntry() const noexcept { return tocType_ != 0; }

private:
    StringT uid_;
    StringT name_;
    StringT role_;
    int32_t tocType_;
};

enum class HyperlinkType : uint8_t {
    None,
    Anchor,      // an anchor in the document
    Page,        // a page of the document
    ChapterPage, // a page of one chapter (pagination source)
    URL,         // a web address, mail address or file
};

class HyperlinkData final : public Foundation::Countable {
public:
    static Counted<const HyperlinkData> MakeAnchor(Counted<const AnchorData> anchor);
    static Counted<const HyperlinkData> MakePage(int32_t page);
    static Counted<const HyperlinkData> MakeChapterPage(int32_t chapter, int32_t page,
                                                        int32_t section = 0);
    static Counted<const HyperlinkData> MakeURL(StringT path);
    HyperlinkData(HyperlinkType type, Counted<const AnchorData> anchor, StringT path, int32_t page,
                  int32_t section, int32_t chapter);

    HyperlinkType GetType() const noexcept { return type_; }
    const Counted<const AnchorData>& GetAnchor() const noexcept { return anchor_; }
    const StringT& GetPath() const noexcept { return path_; }
    // The path with a scheme a reading system can follow: kept when it has one ("https:",
    // "mailto:"), "mailto:" added to a bare mail address, "http://" to anything else.
    StringT GetPathWithValidProtocol() const;
    int32_t GetPage() const noexcept { return page_; }
    int32_t GetSection() const noexcept { return section_; }
    int32_t GetChapter() const noexcept { return chapter_; }

    // Anchors compare by identity.
    friend bool operator==(const HyperlinkData& a, const HyperlinkData& b);
    size_t Hash() const;

private:
    HyperlinkType type_;
    Counted<const AnchorData> anchor_;
    StringT path_;
    int32_t page_;
    int32_t section_;
    int32_t chapter_;
};

// The hyperlink glyph attribute.
class HyperlinkAtt final : public AttObject {
public:
    static Counted<const HyperlinkAtt> Make(Counted<const HyperlinkData> data);
    explicit HyperlinkAtt(Counted<const HyperlinkData> data) : data_(std::move(data)) {}

    const Counted<const HyperlinkData>& GetData() const noexcept { return data_; }

    bool Equals(const AttObject& other) const override;
    size_t Hash() const override { return data_ ? data_->Hash() : 0; }

private:
    Counted<const HyperlinkData> data_;
};

} // namespace Text
