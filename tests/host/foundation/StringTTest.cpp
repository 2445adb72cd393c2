// SPDX-License-Identifier: MIT
#include "host/foundation/StringT.h"

#include <gtest/gtest.h>

using Foundation::StringT;
using Foundation::ToStringT;

TEST(StringTFormat, NumberedPlaceholdersAndPercent) {
    EXPECT_EQ(StringT::Format("%1_%2%3", "Chapter", 3, ".xhtml"), "Chapter_3.xhtml");
    EXPECT_EQ(StringT::Format("%2 before %1", "a", "b"), "b before a");
    EXPECT_EQ(StringT::Format("translate(%1%%,%2%%)", 12.5, -3), "translate(12.5%,-3%)");
    EXPECT_EQ(StringT::Format("%1%1", "x"), "xx");
    // An argument is never rescanned, and a placeholder without argument stays visible.
    EXPECT_EQ(StringT::Format("%1 %2", "%2"), "%2 %2");
    EXPECT_EQ(StringT::Format("100%"), "100%");
    EXPECT_EQ(StringT::Format("%a"), "%a");
}

TEST(StringTNumbers, DoublesAreShortestFixedPoint) {
    EXPECT_EQ(ToStringT(0.24), "0.24");
    EXPECT_EQ(ToStringT(1250.0), "1250");
    EXPECT_EQ(ToStringT(-2.5), "-2.5");
    EXPECT_EQ(ToStringT(0.00001), "0.00001");
    EXPECT_EQ(ToStringT(-0.0), "0");
    EXPECT_EQ(ToStringT(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(ToStringT(-42), "-42");
    EXPECT_EQ(ToStringT(4294967295u), "4294967295");
}

TEST(StringTCompare, ExactAndCaseInsensitive) {
    const StringT s("URN:ISBN:978");
    EXPECT_EQ(s.FindNoCase("urn:isbn:"), 0u);
    EXPECT_EQ(StringT("abc").FindNoCase("BC"), 1u);
    EXPECT_EQ(StringT("abc").FindNoCase("abcd"), StringT::npos);
    EXPECT_EQ(StringT("Abc").CompareNoCase("aBC"), 0);
    EXPECT_LT(StringT("Abc").Compare("abc"), 0);
    EXPECT_TRUE(StringT("a") < StringT("b"));
}

TEST(StringTUnicode, RoundTripAndMalformedInput) {
    const std::u32string text = U"\u00dcberschrift \u4e2d \U0001F600";
    EXPECT_EQ(StringT::FromUTF32(text).ToUTF32(), text);
    EXPECT_TRUE(StringT::FromUTF32(text).IsValidUTF8());
    const StringT broken("a\xC3(b\xED\xA0\x80"); // truncated sequence and a surrogate
    EXPECT_FALSE(broken.IsValidUTF8());
    EXPECT_EQ(broken.ToUTF32(), U"a\uFFFD(b\uFFFD\uFFFD\uFFFD");
    EXPECT_FALSE(StringT("\xC0\xAF").IsValidUTF8()); // overlong
}
