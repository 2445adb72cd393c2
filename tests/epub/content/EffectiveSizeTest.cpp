// SPDX-License-Identifier: MIT
// The size a reader sees: every text node's font size worked out from the generated style
// sheet along its ancestors, against the size its styles and local formatting give it.
#include "host/text/AttributeIds.h"
#include "host/text/Delta.h"
#include "host/text/Style.h"
#include "tests/epub/content/MemoryExporter.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <map>
#include <regex>
#include <sstream>

using namespace EPub;

namespace {

using ContentTest::ExportFixture;

// Font-size factors of the classes with the place of their rule: the last declaration of each
// rule, in em or percent.
using Sizes = std::map<std::string, std::pair<size_t, double>>;

Sizes FontSizes(const std::string& css) {
    Sizes sizes;
    size_t order = 0;
    const std::regex rule(R"(\.([A-Za-z0-9_-]+)\s*\{([^}]*)\})");
    const std::regex size(R"(font-size:\s*([0-9.]+)(em|%))");
    for (auto it = std::sregex_iterator(css.begin(), css.end(), rule); it != std::sregex_iterator();
         ++it) {
        const std::string body = (*it)[2];
        for (auto s = std::sregex_iterator(body.begin(), body.end(), size);
             s != std::sregex_iterator(); ++s)
            sizes[(*it)[1]] = {order, std::stod((*s)[1]) / ((*s)[2] == "%" ? 100.0 : 1.0)};
        ++order;
    }
    return sizes;
}

// The size in points of the text in `node`. On one element the last rule setting a size wins;
// em factors multiply from element to parent up to a rem reset. The root is 12 points, the
// size the style sheet's em values are relative to.
double SizeOf(pugi::xml_node node, const Sizes& sizes) {
    double factor = 1;
    for (; node && std::string(node.name()) != "body"; node = node.parent()) {
        std::istringstream classes(node.attribute("class").value());
        const std::pair<size_t, double>* winner = nullptr;
        for (std::string name; classes >> name;)
            if (const auto found = sizes.find(name);
                found != sizes.end() && (!winner || found->second.first > winner->first))
                winner = &found->second;
        if (winner)
            factor *= winner->second;
        if (std::string(node.attribute("style").value()).find("font-size:1rem") !=
            std::string::npos)
            break;
    }
    return 12 * factor;
}

Counted<const Text::Delta> Size(double points) {
    return Text::Delta::Make(Text::AttCategory::Glyph, Text::GlyphDouble::Size, points);
}

class EffectiveSize : public ExportFixture {};

TEST_F(EffectiveSize, EveryTextHasTheSizeItsStylesGiveIt) {
    styles_->AddStyle(Text::Style::Make("Body", Text::StyleKind::Paragraph, "", Size(11)));
    styles_->AddStyle(Text::Style::Make("Heading", Text::StyleKind::Paragraph, "Body", Size(20)));
    styles_->AddStyle(Text::Style::Make("Note", Text::StyleKind::Paragraph, "", Size(9)));
    styles_->AddStyle(Text::Style::Make("Big", Text::StyleKind::Character, "", Size(14)));
    Text::ListSettings list;
    list.type = Text::ListType::Bullet;
    const auto level = [&](int n) {
        list.level = n;
        return Text::Delta::Make(Text::AttCategory::Paragraph, Text::ParaObject::List,
                                 Counted<const Text::AttObject>(Text::ListAtt::Make(list)));
    };
    auto note = Builder();
    note.Paragraph("Note").Text("note text");
    Text::TableBuilder table(styles_, 1, 1);
    table.Cell(0, 0).Paragraph("Body").Text("cell text");
    auto b = Builder();
    b.Paragraph("Heading").Text("heading text");
    b.Paragraph("Body").Text("body text ").Text("big text", "Big").Text(" ");
    b.Text("small text", {}, Size(8)).Note(Text::NoteKind::Footnote, note.Build());
    b.Paragraph("Body", level(0)).Text("item one");
    b.Paragraph("Body", level(1)).Text("item two");
    b.Paragraph("Body", level(2)).Text("item three");
    b.Paragraph("Body").Text("after").Table(table.Build());
    ASSERT_TRUE(Export(b.Build(), "s.xhtml"));
    const auto doc = Parse("s.xhtml");
    const auto sizes = FontSizes(std::string(exporter_.Styles().DescribeStyles().view()));
    const std::map<std::string, double> expected{
        {"heading text", 20}, {"body text ", 11}, {"big text", 14},
        {"small text", 8},    {"item one", 11},   {"item two", 11},
        {"item three", 11},   {"note text", 9},   {"cell text", 11}};
    for (const auto& [text, points] : expected) {
        const auto node = doc.select_node(("//text()[. = '" + text + "']").c_str()).node().parent();
        ASSERT_TRUE(node) << text << "\n" << exporter_.Text("s.xhtml");
        EXPECT_NEAR(SizeOf(node, sizes), points, 0.01) << text;
    }
}

} // namespace
