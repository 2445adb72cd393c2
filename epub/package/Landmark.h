// SPDX-License-Identifier: MIT
#pragma once
// EPUB landmarks and their vocabulary: the epub:type value (also the anchor name that marks the
// landmark in a document), the short and style-name forms, the display name and the ARIA role.

#include <cstddef>
#include <span>
#include <string_view>

namespace EPub {

enum class Landmark {
    None = 0,
    Cover = 1,
    TableOfContents = 2,
    BodyMatter = 3,
    TitlePage = 4,
    FrontMatter = 5,
    BackMatter = 6,
    ListOfIllustrations = 7,
    ListOfTables = 8,
    Preface = 9,
    Bibliography = 10,
    Index = 11,
    Glossary = 12,
    Acknowledgements = 13,
    Copyright = 14,
    Afterword = 15,
    Appendix = 16,
    Conclusion = 17,
    Credits = 18,
    Endnotes = 19,
    Epilogue = 20,
    Errata = 21,
    Foreword = 22,
    Introduction = 23,
    Prologue = 24,
};

inline constexpr size_t kLandmarkCount = 24;

struct LandmarkInfo {
    Landmark landmark = Landmark::None;
    std::string_view epubType; // "epub:toc"
    std::string_view shortName;
    std::string_view styleName; // "EPUB:Table of Contents"
    std::string_view displayName;
    std::string_view ariaRole; // empty when the landmark has none
};

// Every real landmark, in value order.
std::span<const LandmarkInfo> LandmarkTable() noexcept;

// The row of `landmark`; an all-empty row for None or a value outside the enumeration.
const LandmarkInfo& GetLandmarkInfo(Landmark landmark) noexcept;

// The landmark whose epub:type is exactly `epubType` (case matters), None when there is none.
Landmark LandmarkFromEpubType(std::string_view epubType) noexcept;

} // namespace EPub
