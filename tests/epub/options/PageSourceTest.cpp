// SPDX-License-Identifier: MIT
// Which kind of print edition a page source names.

#include "epub/options/PageSource.h"

#include <gtest/gtest.h>

using EPub::PageSourceType;
using EPub::PaginationSourceType;

TEST(PageSource, IsbnsInTheirUsualSpellingsAreRecognised) {
    EXPECT_EQ(PageSourceType("9780000000002"), PaginationSourceType::ISBN);
    EXPECT_EQ(PageSourceType("978-0-00-000000-2"), PaginationSourceType::ISBN);
    EXPECT_EQ(PageSourceType("urn:isbn:9780000000002"), PaginationSourceType::ISBN);
    EXPECT_EQ(PageSourceType("URN:ISBN:0-306-40615-2"), PaginationSourceType::ISBN);
    EXPECT_EQ(PageSourceType("080442957X"), PaginationSourceType::ISBN);
}

TEST(PageSource, AnythingElseIsAnotherIdentifier) {
    EXPECT_EQ(PageSourceType(""), PaginationSourceType::None);
    EXPECT_EQ(PageSourceType("urn:uuid:6f1c2a3b-4d5e-4f60-8a71-92b3c4d5e6f7"),
              PaginationSourceType::Other);
    EXPECT_EQ(PageSourceType("12345"), PaginationSourceType::Other);
    EXPECT_EQ(PageSourceType("X780000000002"), PaginationSourceType::Other);
    EXPECT_EQ(PageSourceType("First edition, 1911"), PaginationSourceType::Other);
}
