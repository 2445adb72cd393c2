// SPDX-License-Identifier: MIT
// Whatever text goes in, what comes out parses, and the bytes are those the documents expect.

#include "epub/xml/XmlWriter.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>

namespace {

using EPub::XmlWriter;

// Every byte from 0 to 255 plus markup characters and a few multi-byte sequences.
std::string Hostile() {
    std::string text;
    for (int b = 0; b < 256; ++b)
        text += static_cast<char>(b);
    return text + "<a>&amp;\"'\xEF\xBF\xBE\xED\xA0\x80\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA";
}

TEST(XmlWriter, HostileTextAndAttributesStayWellFormed) {
    XmlWriter x;
    x.Declare(XmlWriter::Declaration::Standalone).Open("p");
    x.Attribute("lang", "en\" onload=\"x").Attribute("title", Hostile());
    x.Link("href", Hostile()).Close().Text(Hostile()).Element("b", "\x01<i>").End("p");
    pugi::xml_document doc;
    const std::string xml(x.View());
    ASSERT_TRUE(doc.load_string(xml.c_str(), pugi::parse_default | pugi::parse_declaration));
    const pugi::xml_node p = doc.child("p");
    // An injected attribute stays inside the value it came with.
    EXPECT_STREQ(p.attribute("lang").value(), "en\" onload=\"x");
    EXPECT_FALSE(p.attribute("onload"));
    EXPECT_STREQ(p.child("b").text().get(), "<i>");
    EXPECT_EQ(xml.find("&#"), std::string::npos);
}

TEST(XmlWriter, DocumentsKeepTheirExactBytes) {
    XmlWriter x;
    x.Declare(XmlWriter::Declaration::StandaloneSingle).Doctype();
    x.Open("item").Attribute("id", "c1").Path("href", "a b&c.xhtml").CloseEmpty().Space("\n");
    x.Open("img").Url("src", "x y.png").Attribute("width", 12).CloseEmpty(true);
    x.Open("a").Link("href", "http://\xC3\xBCn\xC3\xAF.example/a b").Close().End("a");
    EXPECT_EQ(x.View(), "<?xml version='1.0' encoding='utf-8' standalone='yes'?>\n"
                        "<!DOCTYPE html>\n"
                        "<item id=\"c1\" href=\"a%20b&amp;c.xhtml\"/>\n"
                        "<img src=\"x%20y.png\" width=\"12\" />"
                        "<a href=\"http://xn--n-nga1b.example/a%20b\"></a>");
    XmlWriter y;
    y.Declare(XmlWriter::Declaration::NotStandalone).Declare(XmlWriter::Declaration::Standalone);
    y.Declare(XmlWriter::Declaration::NotStandaloneSingle);
    EXPECT_EQ(y.Take(), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                        "<?xml version='1.0' encoding='utf-8' standalone='no'?>\n");
    EXPECT_TRUE(y.Empty());
}

} // namespace
