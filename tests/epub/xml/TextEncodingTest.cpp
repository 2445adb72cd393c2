// SPDX-License-Identifier: MIT
#include "epub/xml/TextEncoding.h"

#include <gtest/gtest.h>

using EPub::URLEncode;
using EPub::XMLEncode;

TEST(XMLEncode, MarkupCharactersAndControls) {
    EXPECT_EQ(XMLEncode("a<b & \"c\" 'd'>"), "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;");
    EXPECT_EQ(XMLEncode("\t\n\r"), "\t\n\r");
    EXPECT_EQ(XMLEncode("\xC3\x9C\xF0\x9F\x98\x80"), "\xC3\x9C\xF0\x9F\x98\x80");
}

// XML 1.0 cannot hold these even as references: they are dropped.
TEST(XMLEncode, DropsWhatXmlCannotHold) {
    EXPECT_EQ(XMLEncode(std::string_view("a\x01\x08\x0b\x0c\x0e\x1f\0b", 9)), "ab");
    EXPECT_EQ(XMLEncode("x\xEF\xBF\xBEy\xEF\xBF\xBFz"), "xyz"); // U+FFFE, U+FFFF
    EXPECT_EQ(XMLEncode("x\xED\xA0\x80y"), "xy");               // a lone surrogate
    EXPECT_EQ(XMLEncode("x\xFFy\xC3"), "xy");                   // not UTF-8
    std::string chars;
    for (char32_t c : {U'a', U'\x01', U'<', U'\xFFFE', U'\xE9', U'\x1F600'})
        EPub::AppendXMLChar(chars, c);
    EXPECT_EQ(chars, "a&lt;\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(URLEncode, UnsafeBytesAndEntities) {
    EXPECT_EQ(URLEncode("my file.xhtml#a"), "my%20file.xhtml#a");
    EXPECT_EQ(URLEncode("a\\b"), "a/b");
    EXPECT_EQ(URLEncode("it's{x}\x7f\xc3\xa9"), "it&apos;s%7bx%7d%7f%c3%a9");
    EXPECT_EQ(URLEncode("100%20done"), "100%20done");
    EXPECT_EQ(URLEncode("\xC3\x9C"), "%c3%9c");
    EXPECT_EQ(URLEncode("<x>\"^`{|}"), "%3cx%3e%22%5e%60%7b%7c%7d");
    EXPECT_EQ(URLEncode("?q=1&r='2'"), "?q=1&amp;r=&apos;2&apos;");
    EXPECT_EQ(URLEncode("\x7f\x01"), "%7f%01");
}

// EPUBCheck cannot read a percent-escaped host, nor a raw one: a host name takes its ASCII
// form, while the path and query are escaped as any link is.
TEST(URLEncode, InternationalHostNamesTakeTheirAsciiForm) {
    EXPECT_EQ(EPub::LinkEncode("http://\xC3\xBCn\xC3\xAF.example/\xC3\xA9t\xC3\xA9?a b#\xC3\xBC"),
              "http://xn--n-nga1b.example/%c3%a9t%c3%a9?a%20b#%c3%bc");
    EXPECT_EQ(EPub::LinkEncode("https://me@\xC3\xBCn\xC3\xAF.example:8080"),
              "https://me@xn--n-nga1b.example:8080");
    EXPECT_EQ(EPub::LinkEncode("https://x.example/\xC3\xA9"), "https://x.example/%c3%a9");
    // What IDNA refuses (bytes that are no character) is escaped as before.
    EXPECT_EQ(EPub::LinkEncode("http://a\xFF"
                               "b.example"),
              "http://a%ffb.example");
    EXPECT_EQ(EPub::LinkEncode("mailto:\xC3\xBC@x.example"), "mailto:%c3%bc@x.example");
}

TEST(HrefText, PathsArePercentEncodedAndEscaped) {
    EXPECT_EQ(EPub::HrefText("sub/a&b c.xhtml"), "sub/a&amp;b%20c.xhtml");
    EXPECT_EQ(EPub::HrefText("font/9 Mono & Co.ttf"), "font/9%20Mono%20&amp;%20Co.ttf");
    EXPECT_EQ(EPub::HrefText("\xC3\xA4#?%.xhtml"), "%C3%A4%23%3F%25.xhtml");
    EXPECT_EQ(EPub::HrefText("it's.xhtml"), "it&apos;s.xhtml");
}

TEST(RelativePath, LeadsFromOneDocumentToAnother) {
    EXPECT_EQ(EPub::RelativePath("b.xhtml", "css/styles.css"), "css/styles.css");
    EXPECT_EQ(EPub::RelativePath("sub/b.xhtml", "css/styles.css"), "../css/styles.css");
    EXPECT_EQ(EPub::RelativePath("a/b/c.xhtml", "a/d.xhtml"), "../d.xhtml");
    EXPECT_EQ(EPub::RelativePath("sub/b.xhtml", "sub/c.xhtml"), "c.xhtml");
    EXPECT_EQ(EPub::RelativePath("toc.xhtml", "sub/c.xhtml"), "sub/c.xhtml");
    // A shared prefix that is not a whole folder does not count.
    EXPECT_EQ(EPub::RelativePath("subway/a.xhtml", "sub/c.xhtml"), "../sub/c.xhtml");
}
