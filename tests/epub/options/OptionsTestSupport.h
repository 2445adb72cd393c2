// SPDX-License-Identifier: MIT
#pragma once
// Streams as other writers leave them (older versions, newer ones, damaged ones) and round
// trips, for the option tests.

#include "host/foundation/ClassRegistry.h"
#include "host/foundation/EnumSerialiser.h"
#include "host/foundation/FileStore.h"
#include "host/foundation/Serialiser.h"

#include <functional>
#include <initializer_list>
#include <numeric>
#include <string>
#include <string_view>

namespace OptionsTest {

using namespace Foundation;
using Writer = std::function<void(OutSerialiser&)>;

// Saves whatever `save` writes under the given class tag.
class ScriptedObject final : public Serialisable {
public:
    ScriptedObject(uint32_t classTag, Writer save)
        : properties_{classTag, 1, nullptr, nullptr, {}}, save_(std::move(save)) {}
    const ClassProperties& GetObjectSharedClassProperties() const override { return properties_; }
    void Save(OutSerialiser& out) const override { save_(out); }
    bool Load(const InSerialiser&, FileStore&, uint32_t) override { return false; }

private:
    ClassProperties properties_;
    Writer save_;
};

inline std::string StreamOf(uint32_t classTag, Writer save) {
    return SerialiseObject(ScriptedObject(classTag, std::move(save)));
}

template <class T> Counted<T> LoadStream(std::string data) {
    FileStore store;
    return CountedCast<T>(DeserialiseObject(std::move(data), store));
}

template <class T> Counted<T> RoundTrip(const T& object) {
    return LoadStream<T>(SerialiseObject(object));
}

// Loads members into an existing object, which keeps what the stream lacks.
template <class T> void LoadMembers(T& object, const Writer& save) {
    OutSerialiser out;
    save(out);
    const InSerialiser in(out.Data());
    FileStore store;
    object.Load(in, store, 1);
}

// Lets a test write enumeration values that the real serialisers refuse.
class AnyValue final : public EnumSerialiser {
public:
    AnyValue() {
        int32_t values[200];
        std::iota(std::begin(values), std::end(values), -100);
        RegisterEnumSet(values, std::size(values));
    }
};

// The member tags, as stored (least significant byte first), appear in this order.
inline ::testing::AssertionResult TagsInOrder(const std::string& data,
                                              std::initializer_list<std::string_view> stored) {
    size_t at = 0;
    for (const std::string_view tag : stored) {
        const size_t found = data.find(tag, at);
        if (found == std::string::npos)
            return ::testing::AssertionFailure() << "\"" << tag << "\" missing or out of order";
        at = found + tag.size();
    }
    return ::testing::AssertionSuccess();
}

} // namespace OptionsTest
