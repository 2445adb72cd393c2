// SPDX-License-Identifier: MIT
#include "epub/package/Landmark.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using EPub::GetLandmarkInfo;
using EPub::Landmark;
using EPub::LandmarkFromEpubType;

TEST(Landmark, EveryValueHasOneRowFoundBothWays) {
    ASSERT_EQ(EPub::LandmarkTable().size(), 24u);
    std::set<int> withoutRole;
    for (int value = 1; value <= 24; ++value) {
        const auto& row = GetLandmarkInfo(static_cast<Landmark>(value));
        EXPECT_EQ(static_cast<int>(row.landmark), value);
        EXPECT_EQ(LandmarkFromEpubType(row.epubType), row.landmark);
        EXPECT_EQ(row.styleName, "EPUB:" + std::string(row.displayName));
        if (row.ariaRole.empty())
            withoutRole.insert(value);
    }
    EXPECT_EQ(withoutRole, (std::set<int>{1, 3, 4, 5, 6, 7, 8, 14}));
}

TEST(Landmark, RowsWhoseFormsDiffer) {
    const auto& toc = GetLandmarkInfo(Landmark::TableOfContents);
    EXPECT_EQ(toc.epubType, "epub:toc");
    EXPECT_EQ(toc.styleName, "EPUB:Table of Contents");
    EXPECT_EQ(toc.ariaRole, "doc-toc");
    EXPECT_EQ(GetLandmarkInfo(Landmark::BodyMatter).displayName, "Start of Content");

    const auto& thanks = GetLandmarkInfo(Landmark::Acknowledgements);
    EXPECT_EQ(thanks.epubType, "epub:acknowledgments");
    EXPECT_EQ(thanks.shortName, "acknowledgements");
    EXPECT_EQ(thanks.styleName, "EPUB:Acknowledgements");
    EXPECT_EQ(thanks.ariaRole, "doc-acknowledgments");

    const auto& copyright = GetLandmarkInfo(Landmark::Copyright);
    EXPECT_EQ(copyright.epubType, "epub:copyright-page");
    EXPECT_EQ(copyright.shortName, "copyright");
}

TEST(Landmark, UnknownNamesAndValuesGiveNoLandmark) {
    for (const char* name :
         {"EPUB:Table of Contents", "epub:TOC", "toc", "epub:acknowledgements", ""})
        EXPECT_EQ(LandmarkFromEpubType(name), Landmark::None) << name;
    for (const int value : {0, 25, -1}) {
        const auto& row = GetLandmarkInfo(static_cast<Landmark>(value));
        EXPECT_EQ(row.landmark, Landmark::None);
        EXPECT_TRUE(row.epubType.empty() && row.ariaRole.empty());
    }
}
