// SPDX-License-Identifier: MIT
#pragma once
// Reading checked values out of a JSON document: every mistake becomes an InputError that names
// the file, the line and column of the offending value, and its JSON path:
//   FILE:LINE:COLUMN: $.stories[2].file: MESSAGE

#include "host/foundation/Counted.h"
#include "host/render/Colour.h"

#include "cli/JsonValue.h"
#include "readers/common/ReaderDocument.h"

#include <filesystem>
#include <initializer_list>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Cli {

// The largest value an integer field may take.
inline constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

using InputError = Readers::InputError;

// A JSON value and the path that leads to it. The path is spelt out only for a message: a node
// keeps its parent and its own key or index, so a node must not outlive its parent (Detached
// makes one that may).
class Node {
public:
    Node(const JsonValue& v, std::string path) : value(v), path_(std::move(path)) {}

    const JsonValue& value;

    Node Field(std::string_view key) const;
    Node Item(size_t i) const { return {value.at(i), this, {}, i}; }
    // A member already in hand, as met while listing an object; `key` must outlive the node.
    Node Member(std::string_view key, const JsonValue& member) const {
        return {member, this, key, kNoIndex};
    }
    bool Has(std::string_view key) const { return value.is_object() && value.contains(key); }

    std::string Path() const;
    // A node that may outlive its parent and value: it keeps the path and `offset`, where the
    // value is in the text (JsonInput::Detach fills it in).
    Node Detached(std::optional<size_t> offset) const {
        Node node{value, Path()};
        node.offset_ = offset;
        return node;
    }
    // Where a detached node's value was.
    std::optional<size_t> DetachedOffset() const noexcept { return offset_; }

private:
    static constexpr size_t kNoIndex = static_cast<size_t>(-1);
    Node(const JsonValue& v, const Node* parent, std::string_view key, size_t index)
        : value(v), parent_(parent), key_(key), index_(index) {}
    void AppendPath(std::string& out) const;

    const Node* parent_ = nullptr;
    std::string_view key_;
    size_t index_ = kNoIndex;
    std::string path_; // of a root or detached node
    std::optional<size_t> offset_;
};

class JsonInput {
public:
    JsonInput(std::string source, std::filesystem::path baseDir)
        : source_(std::move(source)), baseDir_(std::move(baseDir)) {}

    // Values are found in the text of `document` from now on, for messages; without it messages
    // give the JSON path alone.
    void Locate(const JsonDocument* document) noexcept { document_ = document; }

    [[noreturn]] void Fail(const Node& node, const std::string& message) const;
    // As Fail, for a value met earlier: `offset` from Offset, `path` from Node::Path.
    [[noreturn]] void FailAt(std::optional<size_t> offset, const std::string& path,
                             const std::string& message) const;
    // Where the node's value is in the text, if known; cheap enough to keep for every use.
    std::optional<size_t> Offset(const Node& node) const noexcept;
    Node Detach(const Node& node) const { return node.Detached(Offset(node)); }
    void Expect(const Node& node, JsonValue::value_t type, const char* what) const;
    void ExpectArray(const Node& node) const;
    void CheckFields(const Node& node, std::initializer_list<std::string_view> allowed) const;
    Node Required(const Node& node, std::string_view key) const;

    std::string String(const Node& node, std::string_view key, std::string fallback = {}) const;
    bool Bool(const Node& node, std::string_view key, bool fallback) const;
    double Number(const Node& node, std::string_view key, double fallback) const;
    // The node itself as a number that is not negative.
    double Length(const Node& node) const;
    // An integer within [min, max].
    int32_t Integer(const Node& node, std::string_view key, int32_t fallback, int32_t min,
                    int32_t max) const;
    // "#RRGGBB" or "#RRGGBBAA".
    Foundation::Counted<const Render::Colour> Colour(const Node& node) const;

    // A path relative to the input file's folder; the file must exist.
    std::filesystem::path ExistingFile(const Node& node) const;
    std::string ReadFile(const Node& node) const;
    // A document or style-sheet name that stays inside the publication.
    std::string SafeName(const Node& node, std::string_view key) const;

    const std::string& Source() const noexcept { return source_; }

private:
    std::string source_;
    std::filesystem::path baseDir_;
    const JsonDocument* document_ = nullptr;
};

} // namespace Cli
