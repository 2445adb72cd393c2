// SPDX-License-Identifier: MIT
#include "cli/JsonValue.h"

#include "cli/JsonInput.h"
#include "cli/JsonParser.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <numeric>
#include <stdexcept>

namespace Cli {

size_t JsonValue::size() const noexcept {
    switch (type_) {
    case value_t::null:
        return 0;
    case value_t::array:
    case value_t::object:
        return count_;
    default:
        return 1;
    }
}

const JsonValue::Member* JsonValue::FindMember(std::string_view key) const noexcept {
    if (type_ != value_t::object)
        return nullptr;
    const Member* end = data_.members + count_;
    const Member* it = std::lower_bound(data_.members, end, key,
                                        [](const Member& m, auto k) { return m.key.View() < k; });
    return it != end && it->key.View() == key ? it : nullptr;
}

const JsonValue* JsonValue::Find(std::string_view key) const noexcept {
    const Member* member = FindMember(key);
    return member ? &member->value : nullptr;
}

const JsonValue& JsonValue::at(std::string_view key) const {
    std::string_view stored;
    return at(key, stored);
}

const JsonValue& JsonValue::at(std::string_view key, std::string_view& storedKey) const {
    const Member* member = FindMember(key);
    if (!member)
        throw std::out_of_range("no member \"" + std::string(key) + "\"");
    storedKey = member->key.View();
    return member->value;
}

const JsonValue& JsonValue::at(size_t index) const {
    if (type_ != value_t::array || index >= count_)
        throw std::out_of_range("no item " + std::to_string(index));
    return data_.items[index];
}

JsonValue::Items JsonValue::items() const noexcept {
    if (type_ != value_t::object)
        return {nullptr, nullptr};
    return {data_.members, data_.members + count_};
}

template <> std::string JsonValue::get<std::string>() const {
    if (type_ != value_t::string)
        throw std::domain_error("not a string");
    return std::string(View());
}

template <> bool JsonValue::get<bool>() const {
    if (type_ != value_t::boolean)
        throw std::domain_error("not a boolean");
    return data_.boolean;
}

template <> double JsonValue::get<double>() const {
    switch (type_) {
    case value_t::number_float:
        return data_.number;
    case value_t::number_integer:
        return static_cast<double>(data_.integer);
    case value_t::number_unsigned:
        return static_cast<double>(data_.unsignedInteger);
    default:
        throw std::domain_error("not a number");
    }
}

template <> int64_t JsonValue::get<int64_t>() const {
    switch (type_) {
    case value_t::number_float:
        return static_cast<int64_t>(data_.number);
    case value_t::number_integer:
        return data_.integer;
    case value_t::number_unsigned:
        return static_cast<int64_t>(data_.unsignedInteger);
    default:
        throw std::domain_error("not a number");
    }
}

namespace {

// Line and column of the character before `offset`, counting code points.
std::string Position(std::string_view text, size_t offset) {
    const size_t end = std::min(offset > 0 ? offset - 1 : 0, text.size());
    size_t line = 1, column = 1;
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

constexpr size_t kBlockSize = 256 * 1024;
// A separate item starts small: many items are much smaller than a block.
constexpr size_t kFirstItemBlock = 16 * 1024;
constexpr size_t kProgressStep = 1024 * 1024;
constexpr size_t kPage = 4096; // block sizes are multiples of it

} // namespace

// Builds the tree from the parser's events. Children wait on a stack until their container
// closes, then move into the arena in one piece.
class JsonBuilder {
public:
    JsonBuilder(JsonDocument& doc, std::string_view text, const std::string& sourceName,
                const JsonDocument::Options& options)
        : doc_(doc), text_(text), sourceName_(sourceName), options_(options), cursor_(text.data()),
          reported_(text.data()), located_(options.keepText != nullptr) {}

    const std::string& Error() const noexcept { return error_; }

    bool null(size_t end) { return Push(MakeScalar(JsonValue::value_t::null, end)); }
    bool boolean(bool value, size_t end) {
        JsonValue v = MakeScalar(JsonValue::value_t::boolean, end);
        v.data_.boolean = value;
        return Push(v);
    }
    bool number_integer(int64_t value, size_t end) {
        JsonValue v = MakeScalar(JsonValue::value_t::number_integer, end);
        v.data_.integer = value;
        return Push(v);
    }
    bool number_unsigned(uint64_t value, size_t end) {
        JsonValue v = MakeScalar(JsonValue::value_t::number_unsigned, end);
        v.data_.unsignedInteger = value;
        return Push(v);
    }
    bool number_float(double value, size_t end) {
        JsonValue v = MakeScalar(JsonValue::value_t::number_float, end);
        v.data_.number = value;
        return Push(v);
    }
    bool string(std::string_view value, bool inText, size_t end) {
        return Push(MakeString(value, inText, end));
    }

    bool start_object(size_t at) {
        frames_.push_back({true, values_.size(), keys_.size(), {}, BeginItem(at), at});
        return true;
    }
    // `end` is just past the key's closing quote.
    bool key(std::string_view value, bool /*inText*/, size_t end) {
        cursor_ = text_.data() + end;
        // Keys are copied even when they could stay in the text: every lookup reads them, and
        // the text's pages should stay given back until a value is read.
        const JsonValue key = MakeString(value, false, kUnlocated);
        frames_.back().key = key.View();
        keys_.push_back({key, JsonOpeningQuote(text_, Offset()) + 1});
        return true;
    }
    bool end_object(size_t end) {
        const Frame frame = frames_.back();
        const size_t count = values_.size() - frame.firstValue;
        std::vector<size_t> order(count);
        std::iota(order.begin(), order.end(), size_t{0});
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const auto& ka = keys_[frame.firstKey + a];
            const auto& kb = keys_[frame.firstKey + b];
            const auto byKey = ka.key.View() <=> kb.key.View();
            return byKey != 0 ? byKey < 0 : ka.offset < kb.offset;
        });
        auto* members = Located<JsonValue::Member>(count, true, frame.start);
        for (size_t i = 0; i < count; ++i) {
            const KeyRecord& key = keys_[frame.firstKey + order[i]];
            if (i > 0 && members[i - 1].key.View() == key.key.View())
                return Fail(
                    key.offset, PathTo(frames_.size() - 1) + "." + std::string(key.key.View()),
                    "the key \"" + std::string(key.key.View()) + "\" appears twice in this object");
            members[i] = {key.key, values_[frame.firstValue + order[i]]};
        }
        return Close(frame, members, count, end);
    }
    bool start_array(size_t at) {
        frames_.push_back({false, values_.size(), keys_.size(), {}, BeginItem(at), at});
        return true;
    }
    bool end_array(size_t end) {
        const Frame frame = frames_.back();
        const size_t count = values_.size() - frame.firstValue;
        // A non-empty array starts just before its first item.
        auto* items = Located<JsonValue>(count, count == 0, frame.start);
        std::copy(values_.begin() + static_cast<std::ptrdiff_t>(frame.firstValue), values_.end(),
                  items);
        return Close(frame, items, count, end);
    }
    void number_out_of_range(size_t offset, std::string_view token) {
        Fail(offset + 1, PathTo(frames_.size()),
             "the number " + std::string(token) + " is out of range");
    }
    void syntax_error(size_t offset, const std::string& message) {
        error_ = sourceName_ + ":" + Position(text_, offset + 1) + ": invalid JSON: " + message;
    }

private:
    struct Frame {
        bool object;
        size_t firstValue;
        size_t firstKey;
        std::string_view key;  // the member being read
        bool separate = false; // an item of Options::separateItems
        size_t start = 0;      // of the opening bracket
    };
    struct KeyRecord {
        JsonValue key;
        size_t offset;
    };

    static JsonValue Make(JsonValue::value_t type) {
        JsonValue v;
        v.type_ = type;
        return v;
    }

    static JsonValue MakeScalar(JsonValue::value_t type, size_t end) {
        JsonValue v = Make(type);
        v.count_ = static_cast<uint32_t>(end);
        v.endHigh_ = static_cast<uint8_t>(static_cast<uint64_t>(end) >> 32);
        return v;
    }

    // `count` children with, when the document keeps its text and `withOffset`, the offset
    // `at` just before them (JsonDocument::Offset reads it there).
    template <class T> T* Located(size_t count, bool withOffset, size_t at) {
        if (!located_ || !withOffset)
            return Allocate<T>(count);
        static_assert(alignof(T) <= sizeof(uint64_t));
        char* block = static_cast<char*>(
            AllocateBytes(sizeof(uint64_t) + count * sizeof(T), alignof(uint64_t)));
        const uint64_t offset = at;
        std::memcpy(block, &offset, sizeof offset);
        return reinterpret_cast<T*>(block + sizeof(uint64_t));
    }

    size_t Offset() const noexcept { return static_cast<size_t>(cursor_ - text_.data()); }

    template <class T> T* Allocate(size_t count) {
        static_assert(std::is_trivially_copyable_v<T>);
        return static_cast<T*>(AllocateBytes(count * sizeof(T), alignof(T)));
    }

    void* AllocateBytes(size_t bytes, size_t align) {
        // Nothing points into a block for an empty value, so releasing one leaves no dangling
        // pointer behind.
        if (bytes == 0)
            return nullptr;
        size_t start = (used_ + align - 1) / align * align;
        if (doc_.blocks_.empty() || newBlock_ || start + bytes > blockSize_) {
            blockSize_ = (std::max(nextBlock_, bytes) + kPage - 1) / kPage * kPage;
            if (inItem_)
                nextBlock_ = std::min(nextBlock_ * 2, kBlockSize);
            void* block = ::mmap(nullptr, blockSize_, PROT_READ | PROT_WRITE,
                                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (block == MAP_FAILED)
                throw std::bad_alloc();
            doc_.blocks_.emplace_back(static_cast<char*>(block), JsonDocument::Unmap{blockSize_});
            start = 0;
            newBlock_ = false;
        }
        used_ = start + bytes;
        return doc_.blocks_.back().get() + start;
    }

    // Whether the container starting now is an item of Options::separateItems; if so, its
    // values go into blocks of their own.
    bool BeginItem(size_t at) {
        const bool separate = !options_.separateItems.empty() && frames_.size() == 2 &&
                              frames_[0].object && frames_[0].key == options_.separateItems &&
                              !frames_[1].object;
        if (separate) {
            inItem_ = true;
            newBlock_ = true;
            nextBlock_ = kFirstItemBlock;
            itemFirstBlock_ = doc_.blocks_.size();
            itemTextBegin_ = at;
        }
        return separate;
    }

    void EndItem(size_t end) {
        const size_t index = values_.size() - frames_[1].firstValue;
        if (doc_.items_.size() <= index)
            doc_.items_.resize(index + 1);
        doc_.items_[index] = {itemFirstBlock_, doc_.blocks_.size(), itemTextBegin_, end};
        inItem_ = false;
        newBlock_ = true;
        nextBlock_ = kBlockSize;
    }

    // `end` is past the closing quote; kUnlocated for a key, whose place nobody asks.
    JsonValue MakeString(std::string_view value, bool inText, size_t end) {
        if (value.size() > UINT32_MAX)
            throw InputError(sourceName_ + ": a string is longer than 4 GiB");
        JsonValue v = Make(JsonValue::value_t::string);
        v.count_ = static_cast<uint32_t>(value.size());
        if (inText && options_.keepText) {
            // Even an empty one points into the text, which tells where it is.
            v.data_.text = value.data();
            return v;
        }
        if (located_ && end != kUnlocated) {
            char* text = Located<char>(value.size(), true, end);
            std::memcpy(text, value.data(), value.size());
            v.data_.text = text;
            return v;
        }
        char* text = static_cast<char*>(AllocateBytes(value.size(), 1));
        if (text)
            std::memcpy(text, value.data(), value.size());
        v.data_.text = text;
        return v;
    }

    template <class T> bool Close(const Frame& frame, const T* children, size_t count, size_t end) {
        values_.resize(frame.firstValue);
        keys_.resize(frame.firstKey);
        frames_.pop_back();
        if (frame.separate)
            EndItem(end);
        JsonValue v = Make(frame.object ? JsonValue::value_t::object : JsonValue::value_t::array);
        v.count_ = static_cast<uint32_t>(count);
        if constexpr (std::is_same_v<T, JsonValue>)
            v.data_.items = children;
        else
            v.data_.members = children;
        return Push(v);
    }

    bool Push(const JsonValue& value) {
        if (options_.progress &&
            cursor_ - reported_ >= static_cast<std::ptrdiff_t>(kProgressStep)) {
            options_.progress(Offset());
            reported_ = cursor_;
        }
        if (frames_.empty())
            doc_.root_ = value;
        else
            values_.push_back(value);
        return true;
    }

    // The path of the value being read at nesting `depth` (0 is the root).
    std::string PathTo(size_t depth) const {
        std::string path = "$";
        for (size_t i = 0; i < depth && i < frames_.size(); ++i) {
            if (frames_[i].object) {
                path += ".";
                path += frames_[i].key;
                continue;
            }
            const size_t next = i + 1 < frames_.size() ? frames_[i + 1].firstValue : values_.size();
            path += "[" + std::to_string(next - frames_[i].firstValue) + "]";
        }
        return path;
    }

    // `offset` is one past the character to point at.
    bool Fail(size_t offset, const std::string& path, const std::string& message) {
        error_ = sourceName_ + ":" + Position(text_, offset) + ": " + path + ": " + message;
        return false;
    }

    static constexpr size_t kUnlocated = static_cast<size_t>(-1);

    JsonDocument& doc_;
    std::string_view text_;
    const std::string& sourceName_;
    const JsonDocument::Options& options_;
    const char* cursor_;
    const char* reported_; // where progress was last told
    bool located_;         // values remember where they are
    size_t used_ = 0, blockSize_ = 0;
    size_t nextBlock_ = kBlockSize;
    bool newBlock_ = false; // the next value starts a block
    bool inItem_ = false;
    size_t itemFirstBlock_ = 0;
    size_t itemTextBegin_ = 0;
    std::vector<Frame> frames_;
    std::vector<JsonValue> values_;
    std::vector<KeyRecord> keys_;
    std::string error_;
};

void JsonDocument::Unmap::operator()(char* block) const noexcept {
    ::munmap(block, size);
}

void JsonDocument::ReleaseItem(size_t index) noexcept {
    if (index >= items_.size())
        return;
    const Span& item = items_[index];
    for (size_t k = item.first; k < item.last; ++k)
        blocks_[k].reset();
    if (releaseText_ && item.textEnd > item.textBegin)
        releaseText_(item.textBegin, item.textEnd);
}

std::optional<size_t> JsonDocument::Offset(const JsonValue& value) const noexcept {
    if (!text_)
        return std::nullopt;
    using value_t = JsonValue::value_t;
    const std::string_view text = textView_;
    // A non-empty array starts before its first item, so go down to a value that knows.
    size_t arrays = 0;
    const JsonValue* v = &value;
    for (; v->type_ == value_t::array && v->count_ > 0; v = v->data_.items)
        ++arrays;
    const auto before = [](const void* data) {
        uint64_t at;
        std::memcpy(&at, static_cast<const char*>(data) - sizeof at, sizeof at);
        return static_cast<size_t>(at);
    };
    size_t at = 0;
    switch (v->type_) {
    case value_t::object:
        at = before(v->data_.members);
        break;
    case value_t::array:
        at = before(v->data_.items);
        break;
    case value_t::string: {
        const auto address = reinterpret_cast<uintptr_t>(v->data_.text);
        const auto first = reinterpret_cast<uintptr_t>(text.data());
        if (address >= first && address <= first + text.size())
            at = address - first - 1; // the opening quote
        else
            at = JsonOpeningQuote(text, before(v->data_.text));
        break;
    }
    default: {
        const size_t end = static_cast<size_t>(v->endHigh_) << 32 | v->count_;
        at = end;
        if (v->type_ == value_t::null || v->type_ == value_t::boolean)
            at -= v->type_ == value_t::boolean && !v->data_.boolean ? 5 : 4;
        else
            while (at > 0 && IsJsonNumberChar(text[at - 1]))
                --at;
    }
    }
    for (; arrays > 0 && at > 0; --arrays) {
        while (at > 0 && std::string_view(" \t\r\n").find(text[at - 1]) != std::string_view::npos)
            --at;
        if (at > 0)
            --at; // the bracket
    }
    return at;
}

std::string JsonDocument::Position(size_t offset) const {
    return Cli::Position(textView_, offset + 1);
}

JsonDocument JsonDocument::Parse(std::string_view text, const std::string& sourceName,
                                 const Options& options) {
    JsonDocument doc;
    doc.text_ = options.keepText;
    if (options.keepText)
        doc.textView_ = text;
    doc.releaseText_ = options.releaseText;
    doc.textChanged_ = options.textChanged;
    JsonBuilder builder(doc, text, sourceName, options);
    if (!JsonParser(text, builder).Parse())
        throw InputError(builder.Error());
    return doc;
}

} // namespace Cli
