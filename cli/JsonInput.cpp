// SPDX-License-Identifier: MIT
#include "cli/JsonInput.h"

#include "cli/SystemFile.h"
#include "epub/flowing/FlowingEPubExporter.h"

#include <algorithm>
#include <charconv>

namespace Cli {

using json = JsonValue;
namespace fs = std::filesystem;

namespace {

const char* TypeName(json::value_t type) {
    switch (type) {
    case json::value_t::object:
        return "an object";
    case json::value_t::array:
        return "an array";
    case json::value_t::string:
        return "a string";
    case json::value_t::boolean:
        return "true or false";
    case json::value_t::null:
        return "null";
    default:
        return "a number";
    }
}

} // namespace

Node Node::Field(std::string_view key) const {
    std::string_view stored;
    const JsonValue& member = value.at(key, stored);
    // The document's own copy of the key lives as long as the value; the caller's may not.
    return {member, this, stored, kNoIndex};
}

void Node::AppendPath(std::string& out) const {
    if (!parent_) {
        out += path_;
        return;
    }
    parent_->AppendPath(out);
    if (index_ == kNoIndex) {
        out += '.';
        out += key_;
    } else {
        out += '[' + std::to_string(index_) + ']';
    }
}

std::string Node::Path() const {
    std::string out;
    AppendPath(out);
    return out;
}

void JsonInput::Fail(const Node& node, const std::string& message) const {
    FailAt(Offset(node), node.Path(), message);
}

void JsonInput::FailAt(std::optional<size_t> offset, const std::string& path,
                       const std::string& message) const {
    const std::string where = document_ && offset ? ":" + document_->Position(*offset) : "";
    throw InputError(source_ + where + ": " + path + ": " + message);
}

std::optional<size_t> JsonInput::Offset(const Node& node) const noexcept {
    if (node.DetachedOffset())
        return node.DetachedOffset();
    return document_ ? document_->Offset(node.value) : std::nullopt;
}

void JsonInput::Expect(const Node& node, json::value_t type, const char* what) const {
    const bool numeric = type == json::value_t::number_float;
    if (numeric ? !node.value.is_number() : node.value.type() != type)
        Fail(node, std::string("expected ") + what + ", found " + TypeName(node.value.type()));
}

void JsonInput::ExpectArray(const Node& node) const {
    Expect(node, json::value_t::array, "an array");
}

void JsonInput::CheckFields(const Node& node,
                            std::initializer_list<std::string_view> allowed) const {
    Expect(node, json::value_t::object, "an object");
    for (const auto& [key, value] : node.value.items())
        if (std::find(allowed.begin(), allowed.end(), key) == allowed.end())
            Fail(node.Member(key, value), "unknown field");
}

Node JsonInput::Required(const Node& node, std::string_view key) const {
    if (!node.Has(key))
        Fail(node, "missing field \"" + std::string(key) + "\"");
    return node.Field(key);
}

std::string JsonInput::String(const Node& node, std::string_view key, std::string fallback) const {
    if (!node.Has(key))
        return fallback;
    const Node field = node.Field(key);
    Expect(field, json::value_t::string, "a string");
    return field.value.get<std::string>();
}

bool JsonInput::Bool(const Node& node, std::string_view key, bool fallback) const {
    if (!node.Has(key))
        return fallback;
    const Node field = node.Field(key);
    Expect(field, json::value_t::boolean, "true or false");
    return field.value.get<bool>();
}

double JsonInput::Number(const Node& node, std::string_view key, double fallback) const {
    if (!node.Has(key))
        return fallback;
    const Node field = node.Field(key);
    Expect(field, json::value_t::number_float, "a number");
    return field.value.get<double>();
}

double JsonInput::Length(const Node& node) const {
    Expect(node, json::value_t::number_float, "a number");
    const double value = node.value.get<double>();
    if (!(value >= 0))
        Fail(node, "must not be negative");
    return value;
}

int32_t JsonInput::Integer(const Node& node, std::string_view key, int32_t fallback, int32_t min,
                           int32_t max) const {
    if (!node.Has(key))
        return fallback;
    const Node field = node.Field(key);
    if (!field.value.is_number_integer())
        Fail(field, "expected an integer");
    const int64_t value = field.value.get<int64_t>();
    if (value < min || value > max)
        Fail(field, "must be between " + std::to_string(min) + " and " + std::to_string(max));
    return static_cast<int32_t>(value);
}

Foundation::Counted<const Render::Colour> JsonInput::Colour(const Node& node) const {
    Expect(node, json::value_t::string, "a colour such as \"#1a2b3c\"");
    const std::string text = node.value.get<std::string>();
    uint32_t value = 0;
    const bool hex = (text.size() == 7 || text.size() == 9) && text[0] == '#' &&
                     std::all_of(text.begin() + 1, text.end(), [](char c) {
                         return std::isxdigit(static_cast<unsigned char>(c));
                     });
    if (!hex)
        Fail(node, "\"" + text + "\" is not a colour of the form #RRGGBB or #RRGGBBAA");
    std::from_chars(text.data() + 1, text.data() + text.size(), value, 16);
    if (text.size() == 7)
        return Render::Colour::MakeRGB(value >> 16, (value >> 8) & 0xFF, value & 0xFF);
    return Render::Colour::MakeRGB(value >> 24, (value >> 16) & 0xFF, (value >> 8) & 0xFF,
                                   value & 0xFF);
}

fs::path JsonInput::ExistingFile(const Node& node) const {
    Expect(node, json::value_t::string, "a file name");
    const fs::path path = baseDir_ / node.value.get<std::string>();
    try {
        CheckReadable(path);
    } catch (const InputError& e) {
        Fail(node, e.what());
    }
    return path;
}

std::string JsonInput::ReadFile(const Node& node) const {
    const fs::path path = ExistingFile(node);
    try {
        return ReadSystemFile(path);
    } catch (const InputError& e) {
        Fail(node, e.what());
    }
}

std::string JsonInput::SafeName(const Node& node, std::string_view key) const {
    const Node field = Required(node, key);
    const std::string name = String(node, key);
    if (!EPub::IsSafeDocumentName(name))
        Fail(field, "file name \"" + name + "\" would leave the publication");
    return name;
}

} // namespace Cli
