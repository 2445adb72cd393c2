#include "epub/content/TextEncoding.h"

#include <gtest/gtest.h>

using EPub::URLEncode;
using EPub::XMLEncode;

TEST(XMLEncode, MarkupCharactersAndControls) {
    EXPECT_EQ(XMLEncode("a<b & \"c\" 'd'>"), "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;");
    EXPECT_EQ(XMLEncode("\t\n\r"), "\t\n\r");
    EXPECT_EQ(XMLEncode(std::string_view("\x01\x08\x0b\x0c\x0e\x1f", 6)),
              "&#1;&#8;&#11;&#12;&#14;&#31;");
    EXPECT_EQ(XMLEncode(std::string_view("a\0b", 3)), std::string_view("a\0b", 3));
    EXPECT_EQ(XMLEncode("\xC3\x9C"), "\xC3\x9C");
}

TEST(URLEncode, UnsafeBytesAndEntities) {
    EXPECT_EQ(URLEncode("my file.xhtml#a"), "my%20file.xhtml#a");
    EXPECT_EQ(URLEncode("a\\b"), "a/b");
    EXPECT_EQ(URLEncode("100%20done"), "100%20done");
    EXPECT_EQ(URLEncode("\xC3\x9C"), "%c3%9c");
    EXPECT_EQ(URLEncode("<x>\"^`{|}"), "%3cx%3e%22%5e%60%7b%7c%7d");
    EXPECT_EQ(URLEncode("?q=1&r='2'"), "?q=1&amp;r=&apos;2&apos;");
    EXPECT_EQ(URLEncode("\x7f\x01"), "%7f%01");
}
