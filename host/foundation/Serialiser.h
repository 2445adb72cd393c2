// SPDX-License-Identifier: MIT
#pragma once
// Saving and loading serialisable objects by member tag.
//
// The wire format describes itself, so a reader skips what it does not know:
//   stream  = magic tag "srl1", members
//   members = member* end
//   member  = tag (4 bytes) type (1 byte) length (4 bytes) payload (length bytes)
//   end     = tag 0, type End, length 0
//   object  = class tag (4) version (4) members      (payload of an Object member)
// Tags and integers are little-endian (tag "cvnm" reads "mnvc"); doubles are their IEEE bits.

#include "host/foundation/Counted.h"
#include "host/foundation/EnumSerialiser.h"
#include "host/foundation/Serialisable.h"
#include "host/foundation/StringT.h"
#include "host/foundation/TimeStamp.h"

#include <bit>
#include <concepts>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace Foundation {

class OutStream;

enum class WireType : uint8_t {
    End = 0,
    Bool = 1,
    Int32 = 2,
    UInt32 = 3,
    Int64 = 4,
    UInt64 = 5,
    Double = 6,
    String = 7,
    Time = 8,
    Enum = 9,
    EnumSet = 10,
    Object = 11,
    NullObject = 12,
};

namespace SerialiserDetail {
template <class> inline constexpr bool kUnsupported = false;
}

class OutSerialiser {
public:
    OutSerialiser();
    OutSerialiser(const OutSerialiser&) = delete;
    OutSerialiser& operator=(const OutSerialiser&) = delete;

    // Plain values: bool, integers (stored as 32 or 64 bits by size and sign), floating point
    // (as a double), TimeStamp, and text. Enumerations go through SaveEnumI.
    template <class T> void SaveType(uint32_t tag, const T& value);
    void SaveType(uint32_t tag, const char* value) { SaveString(tag, value ? value : ""); }

    // A value outside the serialiser's set is not written, which a reader sees as an absent
    // member: the same outcome as refusing it on load.
    template <class E> void SaveEnumI(uint32_t tag, E value, const EnumSerialiser& serialiser) {
        const auto v = static_cast<int32_t>(value);
        if (serialiser.IsValid(v))
            SaveFixed(tag, WireType::Enum, static_cast<uint32_t>(v), 4);
    }
    // A set of enumeration values; values outside the serialiser's set are left out.
    template <class Range>
    void SaveEnumsI(uint32_t tag, const Range& values, const EnumSerialiser& serialiser) {
        std::vector<int32_t> kept;
        for (const auto& value : values)
            if (serialiser.IsValid(static_cast<int32_t>(value)))
                kept.push_back(static_cast<int32_t>(value));
        SaveEnumValues(tag, kept);
    }

    // The object's class tag, version and members; a null object is stored as an empty
    // reference.
    void SaveObject(uint32_t tag, const Serialisable* object);
    template <class T> void SaveObject(uint32_t tag, const Counted<T>& object) {
        SaveObject(tag, static_cast<const Serialisable*>(object.get()));
    }

    // Set when something could not be written: an object graph nested too deeply (a cycle) or
    // a member longer than the format can describe. The stream stays well formed.
    bool HasFailed() const noexcept { return failed_; }
    // The finished stream.
    std::string Data() const;
    bool WriteTo(OutStream& out) const;

private:
    void SaveFixed(uint32_t tag, WireType type, uint64_t bits, size_t size);
    void SaveString(uint32_t tag, std::string_view text);
    void SaveEnumValues(uint32_t tag, std::span<const int32_t> values);
    void PutHeader(uint32_t tag, WireType type, uint32_t length);
    void PutEnd();
    void PutLittleEndian(uint64_t value, size_t size);

    std::string buffer_;
    int depth_ = 0;
    bool failed_ = false;
};

class InSerialiser {
public:
    // Reads a stream made by OutSerialiser. A stream that is not well formed loads nothing and
    // reports HasFailed().
    explicit InSerialiser(std::string data);
    InSerialiser(const InSerialiser&) = delete;
    InSerialiser& operator=(const InSerialiser&) = delete;

    // True once the stream, or anything loaded from it, turned out to be damaged.
    bool HasFailed() const noexcept { return state_.failures != 0; }
    bool Has(uint32_t tag) const noexcept;

    // Each Load returns false and leaves the target alone when the tag is absent, holds another
    // kind of value, or holds a number the target cannot represent. Members are looked up from
    // just after the previous hit, so a class that loads in its save order reads repeated tags
    // in order.
    template <class T> bool LoadType(uint32_t tag, T& value) const;

    // Assigns only a value in the serialiser's set.
    template <class E>
    bool LoadEnumI(uint32_t tag, E& value, const EnumSerialiser& serialiser) const {
        const std::optional<int32_t> v = FindEnum(tag);
        if (!v || !serialiser.IsValid(*v))
            return false;
        value = static_cast<E>(*v);
        return true;
    }
    // Replaces the set with the stored values that are in the serialiser's set.
    template <class E, class Compare, class Alloc>
    bool LoadEnumsI(uint32_t tag, std::set<E, Compare, Alloc>& values,
                    const EnumSerialiser& serialiser) const {
        std::vector<int32_t> stored;
        if (!FindEnumSet(tag, stored))
            return false;
        std::set<E, Compare, Alloc> loaded;
        for (const int32_t v : stored)
            if (serialiser.IsValid(v))
                loaded.insert(static_cast<E>(v));
        values = std::move(loaded);
        return true;
    }

    // Creates the stored object through the class registry and lets it load itself. True with a
    // null `object` for an empty reference. False, leaving `object` alone, for an absent tag, a
    // class this program does not know, or a damaged object (which also sets HasFailed()).
    bool LoadObjectI(uint32_t tag, Counted<Serialisable>& object, FileStore& store) const;
    // As above; an object of another class than T loads as an empty reference.
    template <class T>
    requires(!std::same_as<T, Serialisable>) bool LoadObjectI(uint32_t tag, Counted<T>& object,
                                                              FileStore& store) const {
        Counted<Serialisable> loaded;
        if (!LoadObjectI(tag, loaded, store))
            return false;
        object = CountedCast<T>(loaded);
        return true;
    }

private:
    struct Member {
        uint32_t tag;
        WireType type;
        std::string_view payload;
    };
    struct State {
        size_t failures = 0;
    };
    struct Integer {
        bool isSigned;
        int64_t s;
        uint64_t u;
    };

    InSerialiser(std::string_view members, State& state, int depth);
    bool Parse(std::string_view members);
    void Fail() const noexcept { ++state_.failures; }
    const Member* Find(uint32_t tag) const noexcept;

    std::optional<bool> FindBool(uint32_t tag) const;
    std::optional<Integer> FindInteger(uint32_t tag) const;
    std::optional<double> FindDouble(uint32_t tag) const;
    std::optional<TimeStamp> FindTime(uint32_t tag) const;
    std::optional<std::string_view> FindString(uint32_t tag) const;
    std::optional<int32_t> FindEnum(uint32_t tag) const;
    bool FindEnumSet(uint32_t tag, std::vector<int32_t>& values) const;

    std::string owned_;
    mutable State ownState_;
    State& state_;
    int depth_;
    std::vector<Member> members_;
    mutable size_t cursor_ = 0;
};

// A whole stream holding one object, and back. Deserialise gives null for a damaged stream.
std::string SerialiseObject(const Serialisable& object);
Counted<Serialisable> DeserialiseObject(std::string data, FileStore& store);

template <class T> void OutSerialiser::SaveType(uint32_t tag, const T& value) {
    static_assert(!std::is_enum_v<T>, "enumerations are saved through an EnumSerialiser");
    if constexpr (std::same_as<T, bool>) {
        SaveFixed(tag, WireType::Bool, value ? 1 : 0, 1);
    } else if constexpr (std::integral<T> && std::is_signed_v<T>) {
        if constexpr (sizeof(T) <= 4)
            SaveFixed(tag, WireType::Int32, static_cast<uint32_t>(static_cast<int32_t>(value)), 4);
        else
            SaveFixed(tag, WireType::Int64, static_cast<uint64_t>(static_cast<int64_t>(value)), 8);
    } else if constexpr (std::integral<T>) {
        if constexpr (sizeof(T) <= 4)
            SaveFixed(tag, WireType::UInt32, static_cast<uint32_t>(value), 4);
        else
            SaveFixed(tag, WireType::UInt64, static_cast<uint64_t>(value), 8);
    } else if constexpr (std::floating_point<T>) {
        SaveFixed(tag, WireType::Double, std::bit_cast<uint64_t>(static_cast<double>(value)), 8);
    } else if constexpr (std::same_as<T, TimeStamp>) {
        SaveFixed(tag, WireType::Time, static_cast<uint64_t>(value.Microseconds()), 8);
    } else if constexpr (std::convertible_to<const T&, std::string_view>) {
        SaveString(tag, std::string_view(value));
    } else {
        static_assert(SerialiserDetail::kUnsupported<T>, "no wire form for this type");
    }
}

template <class T> bool InSerialiser::LoadType(uint32_t tag, T& value) const {
    static_assert(!std::is_enum_v<T>, "enumerations are loaded through an EnumSerialiser");
    if constexpr (std::same_as<T, bool>) {
        const std::optional<bool> v = FindBool(tag);
        if (!v)
            return false;
        value = *v;
    } else if constexpr (std::integral<T>) {
        const std::optional<Integer> v = FindInteger(tag);
        if (!v || !(v->isSigned ? std::in_range<T>(v->s) : std::in_range<T>(v->u)))
            return false;
        value = v->isSigned ? static_cast<T>(v->s) : static_cast<T>(v->u);
    } else if constexpr (std::floating_point<T>) {
        const std::optional<double> v = FindDouble(tag);
        if (!v)
            return false;
        value = static_cast<T>(*v);
    } else if constexpr (std::same_as<T, TimeStamp>) {
        const std::optional<TimeStamp> v = FindTime(tag);
        if (!v)
            return false;
        value = *v;
    } else if constexpr (std::same_as<T, StringT> || std::same_as<T, std::string>) {
        const std::optional<std::string_view> v = FindString(tag);
        if (!v)
            return false;
        value = T(std::string(*v));
    } else {
        static_assert(SerialiserDetail::kUnsupported<T>, "no wire form for this type");
    }
    return true;
}

} // namespace Foundation
