// SPDX-License-Identifier: MIT
// Manifest ids.

#include "epub/package/PackageText.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using EPub::ManifestIds;

TEST(PackageText, ManifestIdsAreUniqueXmlNames) {
    ManifestIds ids;
    ids.Reserve("toc");
    const std::vector<std::string> made = {ids.Make("ch").str(),       ids.Make("ch").str(),
                                           ids.Make("1st").str(),      ids.Make("a&b").str(),
                                           ids.Make("toc").str(),      ids.Make("").str(),
                                           ids.Make("\xC3\xA4").str(), ids.Make("ch_2").str()};
    EXPECT_EQ(made[0], "ch");
    EXPECT_EQ(made[1], "ch_2");
    EXPECT_EQ(made[2], "_1st");
    EXPECT_EQ(made[3], "a_b");
    EXPECT_EQ(made[4], "toc_2");
    EXPECT_EQ(std::set<std::string>(made.begin(), made.end()).size(), made.size());
    for (const std::string& id : made) {
        ASSERT_FALSE(id.empty());
        EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(id[0])) || id[0] == '_') << id;
        for (const char c : id)
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' ||
                        c == '.')
                << id;
    }
}

} // namespace
