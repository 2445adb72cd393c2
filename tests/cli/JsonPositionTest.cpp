// SPDX-License-Identifier: MIT
// Where values are in the text: every kind of value finds its first character again, and the
// readers' messages give file, line and column before the JSON path, also for mistakes found
// only after the story that holds them was read and freed.

#include "cli/DocumentReader.h"
#include "cli/FixedDocumentReader.h"
#include "cli/JsonValue.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using Cli::JsonDocument;
using Cli::JsonValue;

// The document keeps `text` without owning it: the test's string outlives it.
JsonDocument Parse(const std::string& text, bool keep = true) {
    JsonDocument::Options options;
    options.separateItems = "stories";
    if (keep)
        options.keepText = std::shared_ptr<const void>(std::shared_ptr<void>(), text.data());
    return JsonDocument::Parse(text, "in.json", options);
}

// Calls `visit` on every value under `value`, itself included.
void Walk(const JsonValue& value, const std::function<void(const JsonValue&)>& visit) {
    visit(value);
    if (value.is_array())
        for (size_t i = 0; i < value.size(); ++i)
            Walk(value.at(i), visit);
    if (value.is_object())
        for (const auto& item : value.items())
            Walk(item.value, visit);
}

TEST(JsonPosition, EveryKindOfValueFindsItsFirstCharacter) {
    // Escaped strings are copied out of the text, plain ones are not; arrays find their place
    // through their first item, however deeply nested; empty containers have no items to ask.
    const std::string text = "\xEF\xBB\xBF"
                             R"({"b": [ [[ -1.5e3 ]], [], {}, "", "caf\u00e9\n", "plain"],
 "a": {"z": true, "y": false, "x": null, "w": 18446744073709551615, "v": -7},
  "stories": [{"k": [1]}, [ {"e": "\"q\""} ]]})";
    const JsonDocument doc = Parse(text);
    size_t values = 0;
    Walk(doc.Root(), [&](const JsonValue& value) {
        ++values;
        const auto offset = doc.Offset(value);
        ASSERT_TRUE(offset.has_value());
        ASSERT_LT(*offset, text.size());
        const char first = text[*offset];
        switch (value.type()) {
        case JsonValue::value_t::object:
            EXPECT_EQ(first, '{');
            break;
        case JsonValue::value_t::array:
            EXPECT_EQ(first, '[');
            break;
        case JsonValue::value_t::string:
            EXPECT_EQ(first, '"');
            break;
        case JsonValue::value_t::boolean:
            EXPECT_EQ(text.substr(*offset, value.get<bool>() ? 4 : 5),
                      value.get<bool>() ? "true" : "false");
            break;
        case JsonValue::value_t::null:
            EXPECT_EQ(text.substr(*offset, 4), "null");
            break;
        default:
            EXPECT_TRUE(first == '-' || (first >= '0' && first <= '9')) << first;
            // The whole number, not its tail.
            EXPECT_TRUE(*offset == 0 ||
                        std::string(" [:,").find(text[*offset - 1]) != std::string::npos)
                << text.substr(*offset - 1, 8);
        }
    });
    EXPECT_EQ(values, 23u);

    // Spot checks: exact places, the nested array's outer bracket, the escaped string's quote.
    const JsonValue& b = doc.Root().at("b");
    EXPECT_EQ(doc.Offset(b), text.find("[ [[ -1.5e3"));
    EXPECT_EQ(doc.Offset(b.at(0)), text.find("[[ -1.5e3"));
    EXPECT_EQ(doc.Offset(b.at(0).at(0)), text.find("[ -1.5e3"));
    EXPECT_EQ(doc.Offset(b.at(4)), text.find("\"caf"));
    EXPECT_EQ(doc.Offset(doc.Root()), 3u); // after the byte-order mark
    EXPECT_EQ(doc.Position(*doc.Offset(doc.Root().at("a").at("v"))), "2:74");
    EXPECT_EQ(doc.Position(*doc.Offset(doc.Root().at("stories"))), "3:14");
}

TEST(JsonPosition, ADocumentThatDropsItsTextKnowsNoPlaces) {
    const std::string text = R"({"a": [1, "x", {}]})";
    const JsonDocument doc = Parse(text, false);
    EXPECT_FALSE(doc.Offset(doc.Root()).has_value());
    EXPECT_FALSE(doc.Offset(doc.Root().at("a").at(1)).has_value());
}

// The message of reading `json` as a reflowable document.
std::string ReflowableError(const std::string& json) {
    try {
        Cli::ParseDocument(json, "book.json", ".");
    } catch (const Readers::InputError& e) {
        return e.what();
    }
    return "(no error)";
}

std::string FixedError(const std::string& json) {
    try {
        Cli::ParseFixedDocument(json, "pages.json", ".");
    } catch (const Readers::InputError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(JsonPosition, MistakesGiveLineColumnAndPath) {
    struct Case {
        std::string json;
        std::string message;
    };
    const Case cases[] = {
        // A scalar of the wrong type; the column counts characters, not bytes.
        {"{\"metadata\": {\"title\": \"\xC3\xA9t\xC3\xA9\",\n \"author\": 3},\n \"stories\": []}",
         "book.json:2:12: $.metadata.author: expected a string, found a number"},
        // A missing field points at the object that lacks it.
        {"{\"stories\": [\n  {\"paragraphs\": []}]}",
         "book.json:2:3: $.stories[0]: missing field \"file\""},
        // An unknown field points at its value.
        {"{\"stories\": [],\n \"colour\": [1, 2]}", "book.json:2:12: $.colour: unknown field"},
        // A table row is an array inside an array.
        {R"({"stories": [{"file": "a.xhtml", "paragraphs": [{"runs": [{"table": {"columns": [1],
 "rows": [ 7 ]}}]}]}]})",
         "book.json:2:12: $.stories[0].paragraphs[0].runs[0].table.rows[0]: expected an array, "
         "found a number"},
        // An escaped string is copied out of the text and still found.
        {"{\"stories\": [{\"file\": \"a.xhtml\", \"paragraphs\": [\n"
         "  {\"character\": {\"textFill\": \"r\\u0065d\"}}]}]}",
         "book.json:2:30: $.stories[0].paragraphs[0].character.textFill: \"red\" is not a "
         "colour of the form #RRGGBB or #RRGGBBAA"},
        // Found only once every story was read, and its story freed.
        {R"({"stories": [{"file": "a.xhtml", "paragraphs": [
  {"runs": [{"text": "x", "style": "Nowhere"}]}]},
  {"file": "b.xhtml"}]})",
         "book.json:2:36: $.stories[0].paragraphs[0].runs[0].style: unknown style \"Nowhere\""},
        {R"({"stories": [{"file": "a.xhtml", "paragraphs": [
  {"runs": [{"text": "x", "character": {"hyperlink": {"anchor": "lost"}}}]}]}]})",
         "book.json:2:65: $.stories[0].paragraphs[0].runs[0].character.hyperlink.anchor: "
         "unknown anchor \"lost\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(ReflowableError(c.json), c.message);
    }
    EXPECT_EQ(FixedError("{\"layout\": \"fixed\",\n \"pages\": {}}"),
              "pages.json:2:11: $.pages: expected an array, found an object");
}

} // namespace
