#pragma once
// Reading checked values out of a JSON document: every mistake becomes an InputError that names
// the file and the JSON path of the offending value.

#include "host/foundation/Counted.h"
#include "host/render/Colour.h"

#include "cli/JsonValue.h"

#include <filesystem>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Cli {

// The largest value an integer field may take.
inline constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A JSON value and the path that leads to it.
struct Node {
    const JsonValue& value;
    std::string path;

    Node Field(const std::string& key) const { return {value.at(key), path + "." + key}; }
    Node Item(size_t i) const { return {value.at(i), path + "[" + std::to_string(i) + "]"}; }
    bool Has(const std::string& key) const { return value.is_object() && value.contains(key); }
};

class JsonInput {
public:
    JsonInput(std::string source, std::filesystem::path baseDir)
        : source_(std::move(source)), baseDir_(std::move(baseDir)) {}

    [[noreturn]] void Fail(const Node& node, const std::string& message) const;
    void Expect(const Node& node, JsonValue::value_t type, const char* what) const;
    void ExpectArray(const Node& node) const;
    void CheckFields(const Node& node, std::initializer_list<std::string_view> allowed) const;
    Node Required(const Node& node, const std::string& key) const;

    std::string String(const Node& node, const std::string& key, std::string fallback = {}) const;
    bool Bool(const Node& node, const std::string& key, bool fallback) const;
    double Number(const Node& node, const std::string& key, double fallback) const;
    // The node itself as a number that is not negative.
    double Length(const Node& node) const;
    // An integer within [min, max].
    int32_t Integer(const Node& node, const std::string& key, int32_t fallback, int32_t min,
                    int32_t max) const;
    // "#RRGGBB" or "#RRGGBBAA".
    Foundation::Counted<const Render::Colour> Colour(const Node& node) const;

    // A path relative to the input file's folder; the file must exist.
    std::filesystem::path ExistingFile(const Node& node) const;
    std::string ReadFile(const Node& node) const;
    // A document or style-sheet name that stays inside the publication.
    std::string SafeName(const Node& node, const std::string& key) const;

    const std::string& Source() const noexcept { return source_; }

private:
    std::string source_;
    std::filesystem::path baseDir_;
};

} // namespace Cli
