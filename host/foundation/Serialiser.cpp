// SPDX-License-Identifier: MIT
#include "host/foundation/Serialiser.h"

#include "host/foundation/ClassRegistry.h"
#include "host/foundation/Stream.h"

#include <limits>

namespace Foundation {

namespace {

constexpr uint32_t kMagic = FourCC("srl1");
constexpr size_t kHeaderSize = 9;
constexpr size_t kObjectPrefixSize = 8; // class tag and version
// Deep enough for any real option graph; stops a cycle when saving, and a crafted stream from
// exhausting the stack when loading.
constexpr int kMaxDepth = 32;

uint32_t ReadLittleEndian32(const char* p) noexcept {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(p[i]);
    return v;
}

uint64_t ReadLittleEndian64(const char* p) noexcept {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(p[i]);
    return v;
}

// The payload length a fixed-size type must have; nullopt for variable or unknown types.
std::optional<size_t> FixedSize(WireType type) noexcept {
    switch (type) {
    case WireType::Bool:
        return 1;
    case WireType::Int32:
    case WireType::UInt32:
    case WireType::Enum:
        return 4;
    case WireType::Int64:
    case WireType::UInt64:
    case WireType::Double:
    case WireType::Time:
        return 8;
    case WireType::NullObject:
        return 0;
    default:
        return std::nullopt;
    }
}

bool IsPayloadSizeValid(WireType type, size_t size) noexcept {
    if (const std::optional<size_t> fixed = FixedSize(type))
        return size == *fixed;
    switch (type) {
    case WireType::EnumSet:
        return size % 4 == 0;
    case WireType::Object:
        return size >= kObjectPrefixSize + kHeaderSize;
    default:
        return true; // text, and kinds a newer writer may add
    }
}

} // namespace

// --- OutSerialiser ---

OutSerialiser::OutSerialiser() {
    PutLittleEndian(kMagic, 4);
}

void OutSerialiser::PutLittleEndian(uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i)
        buffer_.push_back(static_cast<char>(value >> (8 * i)));
}

void OutSerialiser::PutHeader(uint32_t tag, WireType type, uint32_t length) {
    PutLittleEndian(tag, 4);
    buffer_.push_back(static_cast<char>(type));
    PutLittleEndian(length, 4);
}

void OutSerialiser::PutEnd() {
    PutHeader(0, WireType::End, 0);
}

void OutSerialiser::SaveFixed(uint32_t tag, WireType type, uint64_t bits, size_t size) {
    PutHeader(tag, type, static_cast<uint32_t>(size));
    PutLittleEndian(bits, size);
}

void OutSerialiser::SaveString(uint32_t tag, std::string_view text) {
    if (text.size() > std::numeric_limits<uint32_t>::max()) {
        failed_ = true;
        return;
    }
    PutHeader(tag, WireType::String, static_cast<uint32_t>(text.size()));
    buffer_.append(text);
}

void OutSerialiser::SaveEnumValues(uint32_t tag, std::span<const int32_t> values) {
    if (values.size() > std::numeric_limits<uint32_t>::max() / 4) {
        failed_ = true;
        return;
    }
    PutHeader(tag, WireType::EnumSet, static_cast<uint32_t>(values.size() * 4));
    for (const int32_t v : values)
        PutLittleEndian(static_cast<uint32_t>(v), 4);
}

void OutSerialiser::SaveObject(uint32_t tag, const Serialisable* object) {
    if (!object) {
        PutHeader(tag, WireType::NullObject, 0);
        return;
    }
    if (depth_ >= kMaxDepth) {
        failed_ = true;
        PutHeader(tag, WireType::NullObject, 0);
        return;
    }
    const ClassProperties& properties = object->GetObjectSharedClassProperties();
    const size_t start = buffer_.size();
    PutHeader(tag, WireType::Object, 0);
    PutLittleEndian(properties.tag, 4);
    PutLittleEndian(properties.version, 4);
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(++d) {}
        ~DepthGuard() { --depth; }
    } guard(depth_);
    object->Save(*this);
    PutEnd();

    const size_t length = buffer_.size() - start - kHeaderSize;
    if (length > std::numeric_limits<uint32_t>::max()) {
        failed_ = true;
        buffer_.resize(start);
        PutHeader(tag, WireType::NullObject, 0);
        return;
    }
    for (size_t i = 0; i < 4; ++i)
        buffer_[start + 5 + i] = static_cast<char>(length >> (8 * i));
}

std::string OutSerialiser::Data() const {
    std::string data = buffer_;
    data.append(kHeaderSize, '\0'); // end marker: tag 0, WireType::End, length 0
    return data;
}

bool OutSerialiser::WriteTo(OutStream& out) const {
    return out.Write(Data());
}

// --- InSerialiser ---

InSerialiser::InSerialiser(std::string data)
    : owned_(std::move(data)), state_(ownState_), depth_(0) {
    const std::string_view all(owned_);
    if (all.size() < 4 || ReadLittleEndian32(all.data()) != kMagic || !Parse(all.substr(4)))
        Fail();
}

InSerialiser::InSerialiser(std::string_view members, State& state, int depth)
    : state_(state), depth_(depth) {
    if (!Parse(members))
        Fail();
}

bool InSerialiser::Parse(std::string_view members) {
    size_t at = 0;
    while (members.size() - at >= kHeaderSize) {
        const char* header = members.data() + at;
        const uint32_t tag = ReadLittleEndian32(header);
        const auto type = static_cast<WireType>(static_cast<unsigned char>(header[4]));
        const uint32_t length = ReadLittleEndian32(header + 5);
        at += kHeaderSize;
        if (type == WireType::End) {
            if (tag == 0 && length == 0 && at == members.size())
                return true;
            break;
        }
        if (length > members.size() - at || !IsPayloadSizeValid(type, length))
            break;
        members_.push_back({tag, type, members.substr(at, length)});
        at += length;
    }
    members_.clear();
    return false;
}

bool InSerialiser::Has(uint32_t tag) const noexcept {
    for (const Member& m : members_)
        if (m.tag == tag)
            return true;
    return false;
}

const InSerialiser::Member* InSerialiser::Find(uint32_t tag) const noexcept {
    const size_t n = members_.size();
    for (size_t i = 0; i < n; ++i) {
        const size_t index = (cursor_ + i) % n;
        if (members_[index].tag == tag) {
            cursor_ = index + 1;
            return &members_[index];
        }
    }
    return nullptr;
}

std::optional<bool> InSerialiser::FindBool(uint32_t tag) const {
    const Member* m = Find(tag);
    if (!m || m->type != WireType::Bool)
        return std::nullopt;
    return m->payload[0] != 0;
}

std::optional<InSerialiser::Integer> InSerialiser::FindInteger(uint32_t tag) const {
    const Member* m = Find(tag);
    if (!m)
        return std::nullopt;
    const char* p = m->payload.data();
    switch (m->type) {
    case WireType::Int32:
        return Integer{true, static_cast<int32_t>(ReadLittleEndian32(p)), 0};
    case WireType::Int64:
        return Integer{true, static_cast<int64_t>(ReadLittleEndian64(p)), 0};
    case WireType::UInt32:
        return Integer{false, 0, ReadLittleEndian32(p)};
    case WireType::UInt64:
        return Integer{false, 0, ReadLittleEndian64(p)};
    default:
        return std::nullopt;
    }
}

std::optional<double> InSerialiser::FindDouble(uint32_t tag) const {
    const Member* m = Find(tag);
    if (!m || m->type != WireType::Double)
        return std::nullopt;
    return std::bit_cast<double>(ReadLittleEndian64(m->payload.data()));
}

std::optional<TimeStamp> InSerialiser::FindTime(uint32_t tag) const {
    const Member* m = Find(tag);
    if (!m || m->type != WireType::Time)
        return std::nullopt;
    return TimeStamp::FromMicroseconds(static_cast<int64_t>(ReadLittleEndian64(m->payload.data())));
}

std::optional<std::string_view> InSerialiser::FindString(uint32_t tag) const {
    const Member* m = Find(tag);
    if (!m || m->type != WireType::String)
        return std::nullopt;
    return m->payload;
}

std::optional<int32_t> InSerialiser::FindEnum(uint32_t tag) const {
    const Member* m = Find(tag);
    if (!m || m->type != WireType::Enum)
        return std::nullopt;
    return static_cast<int32_t>(ReadLittleEndian32(m->payload.data()));
}

bool InSerialiser::FindEnumSet(uint32_t tag, std::vector<int32_t>& values) const {
    const Member* m = Find(tag);
    if (!m || m->type != WireType::EnumSet)
        return false;
    values.clear();
    values.reserve(m->payload.size() / 4);
    for (size_t at = 0; at < m->payload.size(); at += 4)
        values.push_back(static_cast<int32_t>(ReadLittleEndian32(m->payload.data() + at)));
    return true;
}

bool InSerialiser::LoadObjectI(uint32_t tag, Counted<Serialisable>& object,
                               FileStore& store) const {
    const Member* m = Find(tag);
    if (!m)
        return false;
    if (m->type == WireType::NullObject) {
        object = nullptr;
        return true;
    }
    if (m->type != WireType::Object)
        return false;
    if (depth_ >= kMaxDepth) {
        Fail();
        return false;
    }

    const uint32_t classTag = ReadLittleEndian32(m->payload.data());
    const uint32_t version = ReadLittleEndian32(m->payload.data() + 4);
    const size_t failuresBefore = state_.failures;
    const InSerialiser members(m->payload.substr(kObjectPrefixSize), state_, depth_ + 1);
    if (state_.failures != failuresBefore)
        return false;

    Counted<Serialisable> created = ClassRegistry::Instance().Create(classTag);
    if (!created)
        return false;
    if (!created->Load(members, store, version)) {
        Fail();
        return false;
    }
    if (state_.failures != failuresBefore)
        return false;
    object = std::move(created);
    return true;
}

// --- whole streams ---

namespace {
constexpr uint32_t kRootTag = FourCC("root");
}

std::string SerialiseObject(const Serialisable& object) {
    OutSerialiser out;
    out.SaveObject(kRootTag, &object);
    return out.Data();
}

Counted<Serialisable> DeserialiseObject(std::string data, FileStore& store) {
    const InSerialiser in(std::move(data));
    Counted<Serialisable> object;
    if (!in.LoadObjectI(kRootTag, object, store) || in.HasFailed())
        return nullptr;
    return object;
}

} // namespace Foundation
