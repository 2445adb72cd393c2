// SPDX-License-Identifier: MIT
#include "epub/package/FontObfuscation.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using EPub::FontKey;
using EPub::MakeFontKey;

TEST(FontKey, IsTheDigestOfTheIdentifierWithoutWhitespace) {
    const FontKey abc{0xa9, 0x99, 0x3e, 0x36, 0x47, 0x06, 0x81, 0x6a, 0xba, 0x3e,
                      0x25, 0x71, 0x78, 0x50, 0xc2, 0x6c, 0x9c, 0xd0, 0xd8, 0x9d};
    EXPECT_EQ(MakeFontKey("abc"), abc);
    EXPECT_EQ(MakeFontKey(" a b\tc\r\n"), abc);
    EXPECT_NE(MakeFontKey("a\xC2\xA0"
                          "bc"),
              abc); // a no-break space is kept
    EXPECT_NE(MakeFontKey("a\vbc"), abc);
}

TEST(ObfuscateFont, XorsTheLeading1040BytesAndUndoesItself) {
    const FontKey key = MakeFontKey("urn:isbn:9780000000000");
    for (const size_t size : {0, 100, 1040, 3000}) {
        std::vector<uint8_t> original(size);
        std::iota(original.begin(), original.end(), uint8_t{0});
        auto bytes = original;
        EPub::ObfuscateFont(bytes, key);
        for (size_t i = 0; i < size; ++i)
            ASSERT_EQ(bytes[i], i < 1040 ? uint8_t(original[i] ^ key[i % 20]) : original[i])
                << "byte " << i << " of " << size;
        EPub::ObfuscateFont(bytes, key);
        EXPECT_EQ(bytes, original);
    }
}
