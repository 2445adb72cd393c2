// SPDX-License-Identifier: MIT
#pragma once
// A compact, read-only JSON tree with the accessors the readers use. Values take 16 bytes;
// strings, arrays and objects live in one arena owned by JsonDocument, so a parsed document costs
// little more than its text. Object members are kept sorted by key, so they are listed in the
// same order as nlohmann::json lists them.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Cli {

class JsonValue {
public:
    using value_t = nlohmann::json::value_t;
    struct Member;
    struct Item {
        std::string key;
        const JsonValue& value;
    };
    class Items;

    JsonValue() noexcept : type_(value_t::null) {}

    value_t type() const noexcept { return type_; }
    bool is_null() const noexcept { return type_ == value_t::null; }
    bool is_object() const noexcept { return type_ == value_t::object; }
    bool is_array() const noexcept { return type_ == value_t::array; }
    bool is_string() const noexcept { return type_ == value_t::string; }
    bool is_boolean() const noexcept { return type_ == value_t::boolean; }
    bool is_number() const noexcept {
        return is_number_integer() || type_ == value_t::number_float;
    }
    bool is_number_integer() const noexcept {
        return type_ == value_t::number_integer || type_ == value_t::number_unsigned;
    }

    // As nlohmann counts: members or items for containers, 0 for null, 1 otherwise.
    size_t size() const noexcept;
    bool empty() const noexcept { return size() == 0; }
    bool contains(std::string_view key) const noexcept { return Find(key) != nullptr; }
    // Throw std::out_of_range for a missing key or index.
    const JsonValue& at(std::string_view key) const;
    const JsonValue& at(size_t index) const;
    // As at(key), also giving the key as the document holds it, which lives as long as the value.
    const JsonValue& at(std::string_view key, std::string_view& storedKey) const;
    // Members as (key, value) pairs, by key.
    Items items() const noexcept;

    // std::string, bool, double or int64_t; numbers convert among themselves, anything else
    // throws std::domain_error.
    template <class T> T get() const;

private:
    friend class JsonBuilder;
    friend class JsonDocument;
    const JsonValue* Find(std::string_view key) const noexcept;
    const Member* FindMember(std::string_view key) const noexcept;
    std::string_view View() const noexcept { return {data_.text, count_}; }

    value_t type_;
    // Where a value is in the text, when the document keeps it (JsonDocument::Offset): a scalar
    // keeps the offset past its end in these bits and count_; an object, an empty array and a
    // string copied out of the text keep theirs just before their arena data; a string left in
    // the text and a non-empty array are found from their data.
    uint8_t endHigh_ = 0;
    uint32_t count_ = 0; // bytes of a string, members or items of a container
    union Data {
        bool boolean;
        int64_t integer;
        uint64_t unsignedInteger;
        double number;
        const char* text;
        const JsonValue* items;
        const Member* members;
    } data_{};
};

static_assert(sizeof(JsonValue) == 16, "a value stays two words: documents hold millions");

struct JsonValue::Member {
    JsonValue key;
    JsonValue value;
};

class JsonValue::Items {
public:
    class iterator {
    public:
        explicit iterator(const Member* at) noexcept : at_(at) {}
        Item operator*() const { return {std::string(at_->key.View()), at_->value}; }
        iterator& operator++() noexcept {
            ++at_;
            return *this;
        }
        bool operator!=(const iterator& other) const noexcept { return at_ != other.at_; }

    private:
        const Member* at_;
    };
    Items(const Member* begin, const Member* end) noexcept : begin_(begin), end_(end) {}
    iterator begin() const noexcept { return iterator(begin_); }
    iterator end() const noexcept { return iterator(end_); }

private:
    const Member* begin_;
    const Member* end_;
};

template <> std::string JsonValue::get<std::string>() const;
template <> bool JsonValue::get<bool>() const;
template <> double JsonValue::get<double>() const;
template <> int64_t JsonValue::get<int64_t>() const;

// A parsed document: the root and the arena its values live in.
class JsonDocument {
public:
    struct Options {
        // The items of this member of the root object get arena blocks of their own, so a reader
        // done with one can give its memory back (ReleaseItem).
        std::string_view separateItems;
        // Told now and then how far the parser has read: the text before that offset is needed
        // again only for an error message.
        std::function<void(size_t)> progress;
        // Owns the text for as long as the document lives: strings that need no decoding then
        // point into it instead of being copied.
        std::shared_ptr<const void> keepText;
        // Told the text range [begin, end) of an item ReleaseItem frees.
        std::function<void(size_t, size_t)> releaseText;
        // Whether the text kept changed on disk since it was read (TextChanged).
        std::function<bool()> textChanged;
    };

    const JsonValue& Root() const noexcept { return root_; }

    // Throws an InputError naming `sourceName`, line and column for malformed JSON, and also the
    // JSON path for a key given twice in one object or a number beyond the range of a double.
    static JsonDocument Parse(std::string_view text, const std::string& sourceName,
                              const Options& options = {});

    // Frees item `index` of the array Options::separateItems named; its values, and anything
    // that still refers to them, must not be used afterwards. Nothing happens for an item that
    // was not a container or is out of range.
    void ReleaseItem(size_t index) noexcept;

    // Whether the text the values came from changed while they were read, so that some of them
    // may not be what the file holds now nor what it held when parsed.
    bool TextChanged() const { return textChanged_ && textChanged_(); }

    // Where `value`, one of this document's values still held, starts in the text: nothing when
    // the document does not keep its text (Options::keepText).
    std::optional<size_t> Offset(const JsonValue& value) const noexcept;
    // "LINE:COLUMN" of the text at `offset`, counting code points from 1.
    std::string Position(size_t offset) const;

private:
    friend class JsonBuilder;
    struct Span {
        size_t first = 0, last = 0;        // blocks [first, last)
        size_t textBegin = 0, textEnd = 0; // where the item is in the text
    };
    // Blocks are mapped memory of their own, so a released item goes back to the system at
    // once instead of staying in the heap.
    struct Unmap {
        size_t size = 0;
        void operator()(char* block) const noexcept;
    };
    std::vector<std::unique_ptr<char[], Unmap>> blocks_;
    std::vector<Span> items_; // of the separated array, by index
    std::shared_ptr<const void> text_;
    std::string_view textView_; // the text parsed, when kept
    std::function<void(size_t, size_t)> releaseText_;
    std::function<bool()> textChanged_;
    JsonValue root_;
};

} // namespace Cli
