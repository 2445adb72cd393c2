// SPDX-License-Identifier: MIT
// The tree parser against nlohmann::json, the reference the tool used to parse with: the same
// texts are accepted and give the same values, and refusals point at the offending character.

#include "cli/JsonInput.h"
#include "cli/JsonValue.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using Cli::JsonDocument;
using Cli::JsonValue;

void ExpectSameValue(const JsonValue& ours, const nlohmann::json& theirs, const std::string& path) {
    ASSERT_EQ(ours.type(), theirs.type()) << path;
    switch (theirs.type()) {
    case nlohmann::json::value_t::object: {
        ASSERT_EQ(ours.size(), theirs.size()) << path;
        for (const auto& [key, value] : theirs.items())
            ExpectSameValue(ours.at(key), value, path + "." + key);
        break;
    }
    case nlohmann::json::value_t::array:
        ASSERT_EQ(ours.size(), theirs.size()) << path;
        for (size_t i = 0; i < theirs.size(); ++i)
            ExpectSameValue(ours.at(i), theirs.at(i), path + "[" + std::to_string(i) + "]");
        break;
    case nlohmann::json::value_t::string:
        EXPECT_EQ(ours.get<std::string>(), theirs.get<std::string>()) << path;
        break;
    case nlohmann::json::value_t::boolean:
        EXPECT_EQ(ours.get<bool>(), theirs.get<bool>()) << path;
        break;
    case nlohmann::json::value_t::number_float:
        EXPECT_EQ(ours.get<double>(), theirs.get<double>()) << path;
        break;
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
        EXPECT_EQ(ours.get<int64_t>(), theirs.get<int64_t>()) << path;
        break;
    default:
        break;
    }
}

bool Accepts(const std::string& text) {
    try {
        JsonDocument::Parse(text, "in.json");
        return true;
    } catch (const Cli::InputError&) {
        return false;
    }
}

TEST(JsonParser, AcceptsWhatTheReferenceAcceptsWithTheSameValues) {
    const std::vector<std::string> texts = {
        R"({"a": [1, -2, 0, -0, 3.25, 1e5, 1.5E+3, 2e-3, 1e-400, true, false, null]})",
        R"({"big": 18446744073709551615, "bigger": 18446744073709551616,
            "small": -9223372036854775808, "smaller": -9223372036854775809})",
        R"(["\"\\\/\b\f\n\r\t", "\u00e9\u20AC\ud83d\ude00", "caf)"
        "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"]",
        "\xEF\xBB\xBF {\"bom\": [ ]}",
        " \t\r\n[{}, [], {\"\": \"\"}, [[[[]]]]] \n",
        R"("just a string")",
        "42",
        // Past the first eight ASCII bytes, and the highest code point.
        "[\"0123456789abcdef\xF4\x8F\xBF\xBF\", \"01234567\xEF\xBF\xBD\xC3\xA9"
        "abcdefgh\"]",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(nlohmann::json::accept(text));
        const JsonDocument doc = JsonDocument::Parse(text, "in.json");
        ExpectSameValue(doc.Root(), nlohmann::json::parse(text), "$");
    }
}

TEST(JsonParser, RefusesWhatTheReferenceRefuses) {
    const std::vector<std::string> texts = {
        "",
        "   ",
        "[1,]",
        "{\"a\": 1,}",
        "{\"a\" 1}",
        "{a: 1}",
        "['a']",
        "01",
        "1.",
        ".5",
        "+1",
        "-",
        "1e",
        "1e+",
        "tru",
        "nul",
        "[1 2]",
        "{} {}",
        "\"open",
        "\"tab\there\"",
        "\"\\x\"",
        "\"\\u12\"",
        "\"\\ud800\"",
        "\"\\udc00\"",
        "\"\\ud800\\u0041\"",
        "\"\xC0\x80\"",
        "\"\xED\xA0\x80\"",
        "\"\xF5\x80\x80\x80\"",
        "\"\xE2\x82\"",
        "\"\x80\"",
        // The same faults after runs of ASCII, and a sequence cut off by the end of the text.
        "[\"0123456789abcdef\", \"\xED\xBF\xBF\"]",
        "\"abcdefgh\xF4\x90\x80\x80\"",
        "\"0123456789abcdef\xE2\x82\"",
        "\"01234567\xC1\xBF\"",
        "\"0123456789abcdef\xE2",
        "[1e400]",
        "{\"a\": [}",
        "]",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(nlohmann::json::accept(text));
        EXPECT_FALSE(Accepts(text));
    }
}

TEST(JsonParser, RefusalsPointAtTheOffendingCharacter) {
    const auto message = [](const std::string& text) {
        try {
            JsonDocument::Parse(text, "in.json");
        } catch (const Cli::InputError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(message("{\"a\": [1,\n  2,\n  x]}").rfind("in.json:3:3: invalid JSON: ", 0), 0u)
        << message("{\"a\": [1,\n  2,\n  x]}");
    // Columns count characters, not bytes.
    EXPECT_EQ(message("[\"\xC3\xA9\xC3\xA9\", ?]").rfind("in.json:1:8: ", 0), 0u);
    EXPECT_EQ(message("[1").rfind("in.json:1:3: invalid JSON: ", 0), 0u) << message("[1");
    // Bad UTF-8 is reported in the string that holds it, not at the start of the text.
    EXPECT_EQ(message("[\"fine\",\n \"ab\xFF\"]").rfind("in.json:2:", 0), 0u)
        << message("[\"fine\",\n \"ab\xFF\"]");
}

} // namespace
