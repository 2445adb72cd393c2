// SPDX-License-Identifier: MIT
#include "host/foundation/Uuid.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using namespace Foundation;

namespace {

TEST(UuidTest, GeneratedIdentifiersAreVersion4) {
    const std::regex form("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string text = Uuid::Generate().ToString().str();
        EXPECT_TRUE(std::regex_match(text, form)) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(UuidTest, TextFormOfKnownBytes) {
    EXPECT_TRUE(Uuid().IsNil());
    EXPECT_EQ(Uuid().ToString(), "00000000-0000-0000-0000-000000000000");
    const Uuid known({0x12, 0x3e, 0x45, 0x67, 0xe8, 0x9b, 0x42, 0xd3, 0xa4, 0x56, 0x42, 0x66, 0x14,
                      0x17, 0x40, 0x00});
    EXPECT_EQ(known.ToString(), "123e4567-e89b-42d3-a456-426614174000");
    EXPECT_FALSE(known.IsNil());
    EXPECT_EQ(known, Uuid(known.Bytes()));
}

} // namespace
