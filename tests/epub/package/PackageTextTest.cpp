// SPDX-License-Identifier: MIT
// Paths between documents and manifest ids.

#include "epub/package/PackageText.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using EPub::ManifestIds;
using EPub::RelativePath;

TEST(PackageText, RelativePathsLeadFromOneDocumentToAnother) {
    EXPECT_EQ(RelativePath("b.xhtml", "css/styles.css"), "css/styles.css");
    EXPECT_EQ(RelativePath("sub/b.xhtml", "css/styles.css"), "../css/styles.css");
    EXPECT_EQ(RelativePath("a/b/c.xhtml", "a/d.xhtml"), "../d.xhtml");
    EXPECT_EQ(RelativePath("sub/b.xhtml", "sub/c.xhtml"), "c.xhtml");
    EXPECT_EQ(RelativePath("toc.xhtml", "sub/c.xhtml"), "sub/c.xhtml");
    // A shared prefix that is not a whole folder does not count.
    EXPECT_EQ(RelativePath("subway/a.xhtml", "sub/c.xhtml"), "../sub/c.xhtml");
}

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
