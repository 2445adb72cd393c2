// SPDX-License-Identifier: MIT
#include "host/foundation/Serialiser.h"
#include "host/foundation/ClassRegistry.h"
#include "host/foundation/FileStore.h"
#include "host/foundation/HashAccumulator.h"

#include <gtest/gtest.h>

#include <random>

using namespace Foundation;

namespace {

enum class Shade : int32_t { Red = 1, Green = 2, Blue = 5 };

class ShadeSerialiser final : public EnumSerialiser {
public:
    static const ShadeSerialiser& GetInstance() {
        static const ShadeSerialiser instance;
        return instance;
    }

private:
    ShadeSerialiser() {
        constexpr int32_t values[] = {5, 1, 2, 1};
        RegisterEnumSet(values, std::size(values));
    }
};

// Writes values the real serialiser would refuse.
class AnyShade final : public EnumSerialiser {
public:
    AnyShade() {
        constexpr int32_t values[] = {1, 2, 3, 4, 5, 6, 7};
        RegisterEnumSet(values, std::size(values));
    }
};

constexpr ClassDefault kSampleDefaults[] = {{FourCC("i32 "), 7}};

// One member of each kind, and a child of its own class.
class Sample final : public Serialisable {
public:
    bool flag = false;
    int32_t i32 = 0;
    uint32_t u32 = 0;
    int64_t i64 = 0;
    uint64_t u64 = 0;
    double real = 0;
    StringT text;
    TimeStamp time;
    Shade shade = Shade::Red;
    std::set<Shade> shades;
    Counted<Sample> child;
    uint32_t loadedVersion = 0;

    static const ClassProperties& Properties() {
        static const ClassProperties properties{
            FourCC("tSmp"), 3, [] { return Counted<Serialisable>(MakeCounted<Sample>()); }, nullptr,
            kSampleDefaults};
        return properties;
    }
    const ClassProperties& GetObjectSharedClassProperties() const override { return Properties(); }

    void Save(OutSerialiser& out) const override {
        out.SaveType(FourCC("flag"), flag);
        out.SaveType(FourCC("i32 "), i32);
        out.SaveType(FourCC("u32 "), u32);
        out.SaveType(FourCC("i64 "), i64);
        out.SaveType(FourCC("u64 "), u64);
        out.SaveType(FourCC("real"), real);
        out.SaveType(FourCC("text"), text);
        out.SaveType(FourCC("time"), time);
        out.SaveEnumI(FourCC("shad"), shade, ShadeSerialiser::GetInstance());
        out.SaveEnumsI(FourCC("shds"), shades, ShadeSerialiser::GetInstance());
        out.SaveObject(FourCC("chld"), child);
    }
    bool Load(const InSerialiser& in, FileStore& store, uint32_t version) override {
        loadedVersion = version;
        in.LoadType(FourCC("flag"), flag);
        in.LoadType(FourCC("i32 "), i32);
        in.LoadType(FourCC("u32 "), u32);
        in.LoadType(FourCC("i64 "), i64);
        in.LoadType(FourCC("u64 "), u64);
        in.LoadType(FourCC("real"), real);
        in.LoadType(FourCC("text"), text);
        in.LoadType(FourCC("time"), time);
        in.LoadEnumI(FourCC("shad"), shade, ShadeSerialiser::GetInstance());
        in.LoadEnumsI(FourCC("shds"), shades, ShadeSerialiser::GetInstance());
        in.LoadObjectI(FourCC("chld"), child, store);
        return true;
    }

    bool SameMembers(const Sample& o) const {
        return flag == o.flag && i32 == o.i32 && u32 == o.u32 && i64 == o.i64 && u64 == o.u64 &&
               real == o.real && text == o.text && time == o.time && shade == o.shade &&
               shades == o.shades;
    }
};

// Claims a class tag that another class already holds.
class Impostor final : public Serialisable {
public:
    static const ClassProperties& Properties() {
        static const ClassProperties properties{
            FourCC("tSmp"),
            1,
            [] { return Counted<Serialisable>(MakeCounted<Impostor>()); },
            &Sample::Properties(),
            {}};
        return properties;
    }
    const ClassProperties& GetObjectSharedClassProperties() const override { return Properties(); }
    void Save(OutSerialiser&) const override {}
    bool Load(const InSerialiser&, FileStore&, uint32_t) override { return true; }
};

const ClassRegistration sampleRegistration(Sample::Properties());
const ClassRegistration impostorRegistration(Impostor::Properties());

Sample Populated() {
    Sample s;
    s.flag = true;
    s.i32 = -123456;
    s.u32 = 0xFEDCBA98u;
    s.i64 = -(int64_t{1} << 50);
    s.u64 = ~uint64_t{0};
    s.real = -2.5e-7;
    s.text = StringT(std::string("h\xC3\xA9llo\0x", 8));
    s.time = TimeStamp::FromMicroseconds(1700000000123456);
    s.shade = Shade::Blue;
    s.shades = {Shade::Red, Shade::Blue};
    return s;
}

// A member as it stands on the wire, for streams no OutSerialiser would write.
std::string RawMember(uint32_t tag, uint8_t type, std::string_view payload) {
    std::string out;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(tag >> (8 * i)));
    out.push_back(static_cast<char>(type));
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(payload.size() >> (8 * i)));
    out.append(payload);
    return out;
}
const std::string kEnd(9, '\0');
const std::string kMagic = "1lrs";

} // namespace

TEST(FourCC, FirstCharacterIsMostSignificantAndStoredLast) {
    static_assert(FourCC("cvnm") == 0x63766E6D);
    static_assert(FourCC("EAcM") == 0x4541634D);
    EXPECT_EQ(FourCCToString(FourCC("FEOP")), "FEOP");
    EXPECT_EQ(FourCCToString(0x41000142), "A??B");

    OutSerialiser out;
    out.SaveType(FourCC("cvnm"), true);
    EXPECT_EQ(out.Data().substr(4, 4), "mnvc");
}

TEST(Serialiser, RoundTripsEveryKindOfMemberAndNestedObjects) {
    Sample original = Populated();
    original.child = MakeCounted<Sample>(Populated());
    original.child->text = "inner";
    original.child->child = MakeCounted<Sample>();

    FileStore store;
    const Counted<Sample> loaded =
        CountedCast<Sample>(DeserialiseObject(SerialiseObject(original), store));
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->SameMembers(original));
    EXPECT_EQ(loaded->loadedVersion, 3u);
    ASSERT_TRUE(loaded->child);
    EXPECT_TRUE(loaded->child->SameMembers(*original.child));
    ASSERT_TRUE(loaded->child->child);
    EXPECT_FALSE(loaded->child->child->child);
}

TEST(Serialiser, AbsentMembersKeepTheirValues) {
    Sample target = Populated();
    OutSerialiser out;
    out.SaveType(FourCC("i32 "), 99);
    const InSerialiser in(out.Data());
    FileStore store;
    ASSERT_TRUE(target.Load(in, store, 1));
    Sample expected = Populated();
    expected.i32 = 99;
    EXPECT_TRUE(target.SameMembers(expected));
}

TEST(Serialiser, UnknownTagsAndKindsAreSkipped) {
    const std::string data = kMagic + RawMember(FourCC("zzzz"), 200, "opaque payload") +
                             RawMember(FourCC("i32 "), 2, std::string("\x05\0\0\0", 4)) +
                             RawMember(FourCC("newr"), 7, "text from a newer writer") +
                             RawMember(FourCC("flag"), 1, std::string(1, '\1')) + kEnd;
    const InSerialiser in(data);
    EXPECT_FALSE(in.HasFailed());
    Sample s;
    FileStore store;
    s.Load(in, store, 1);
    EXPECT_EQ(s.i32, 5);
    EXPECT_TRUE(s.flag);
}

TEST(Serialiser, ValuesOfAnotherKindOrOutOfRangeAreRefused) {
    OutSerialiser out;
    out.SaveType(FourCC("big "), int64_t{1} << 40);
    out.SaveType(FourCC("neg "), -1);
    out.SaveType(FourCC("smal"), uint32_t{5});
    out.SaveType(FourCC("text"), "words");
    const InSerialiser in(out.Data());

    int32_t narrow = 1;
    EXPECT_FALSE(in.LoadType(FourCC("big "), narrow));
    EXPECT_EQ(narrow, 1);
    uint32_t unsignedValue = 2;
    EXPECT_FALSE(in.LoadType(FourCC("neg "), unsignedValue));
    EXPECT_EQ(unsignedValue, 2u);
    int64_t wide = 0;
    EXPECT_TRUE(in.LoadType(FourCC("smal"), wide));
    EXPECT_EQ(wide, 5);
    bool flag = false;
    EXPECT_FALSE(in.LoadType(FourCC("text"), flag));
    double real = 3;
    EXPECT_FALSE(in.LoadType(FourCC("none"), real));
    EXPECT_EQ(real, 3);
    EXPECT_FALSE(in.HasFailed());
}

TEST(Serialiser, EnumerationsLoadOnlyRegisteredValues) {
    const AnyShade any;
    OutSerialiser out;
    out.SaveEnumI(FourCC("bad "), 3, any);
    out.SaveEnumI(FourCC("good"), Shade::Green, any);
    out.SaveEnumsI(FourCC("set "), std::vector<int>{1, 3, 5, 7}, any);
    out.SaveEnumI(FourCC("skip"), 4, ShadeSerialiser::GetInstance());
    const InSerialiser in(out.Data());

    const auto& shades = ShadeSerialiser::GetInstance();
    Shade shade = Shade::Red;
    EXPECT_FALSE(in.LoadEnumI(FourCC("bad "), shade, shades));
    EXPECT_EQ(shade, Shade::Red);
    EXPECT_TRUE(in.LoadEnumI(FourCC("good"), shade, shades));
    EXPECT_EQ(shade, Shade::Green);
    std::set<Shade> set{Shade::Green};
    EXPECT_TRUE(in.LoadEnumsI(FourCC("set "), set, shades));
    EXPECT_EQ(set, (std::set<Shade>{Shade::Red, Shade::Blue}));
    // Refused on saving too: the member is simply not there.
    EXPECT_FALSE(in.Has(FourCC("skip")));
}

TEST(Serialiser, RepeatedTagsAreReadInSaveOrder) {
    OutSerialiser out;
    out.SaveType(FourCC("dupl"), 1);
    out.SaveType(FourCC("othr"), 2);
    out.SaveType(FourCC("dupl"), 3);
    const InSerialiser in(out.Data());
    int first = 0, other = 0, second = 0;
    in.LoadType(FourCC("dupl"), first);
    in.LoadType(FourCC("othr"), other);
    in.LoadType(FourCC("dupl"), second);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(other, 2);
    EXPECT_EQ(second, 3);
}

TEST(Serialiser, ObjectReferencesEmptyUnknownAndOfAnotherClass) {
    struct Unknown final : Serialisable {
        const ClassProperties& GetObjectSharedClassProperties() const override {
            static const ClassProperties properties{FourCC("????"), 1, nullptr, nullptr, {}};
            return properties;
        }
        void Save(OutSerialiser& out) const override { out.SaveType(FourCC("x   "), 1); }
        bool Load(const InSerialiser&, FileStore&, uint32_t) override { return true; }
    } unknown;

    OutSerialiser out;
    out.SaveObject(FourCC("null"), nullptr);
    out.SaveObject(FourCC("unkn"), &unknown);
    out.SaveObject(FourCC("samp"), MakeCounted<Sample>(Populated()));
    const InSerialiser in(out.Data());
    FileStore store;

    Counted<Sample> target = MakeCounted<Sample>();
    EXPECT_TRUE(in.LoadObjectI(FourCC("null"), target, store));
    EXPECT_FALSE(target);

    Counted<Sample> keep = MakeCounted<Sample>();
    target = keep;
    EXPECT_FALSE(in.LoadObjectI(FourCC("unkn"), target, store));
    EXPECT_EQ(target, keep);

    // The sample loads, but as an Impostor it is of another class: the reference empties.
    Counted<Impostor> impostor = MakeCounted<Impostor>();
    EXPECT_TRUE(in.LoadObjectI(FourCC("samp"), impostor, store));
    EXPECT_FALSE(impostor);
    EXPECT_FALSE(in.HasFailed());
}

TEST(ClassRegistry, FindsCreatesAndKeepsTheFirstHolderOfATag) {
    const ClassRegistry& registry = ClassRegistry::Instance();
    EXPECT_TRUE(sampleRegistration.IsRegistered());
    EXPECT_FALSE(impostorRegistration.IsRegistered());
    EXPECT_EQ(registry.Find(FourCC("tSmp")), &Sample::Properties());
    EXPECT_TRUE(CountedCast<Sample>(registry.Create(FourCC("tSmp"))));
    EXPECT_FALSE(registry.Create(FourCC("nope")));

    EXPECT_TRUE(Impostor::Properties().IsKindOf(Sample::Properties()));
    EXPECT_FALSE(Sample::Properties().IsKindOf(Impostor::Properties()));
    EXPECT_EQ(Impostor::Properties().FindDefault(FourCC("i32 ")), 7);
    EXPECT_FALSE(Impostor::Properties().FindDefault(FourCC("flag")));
}

TEST(Serialiser, DamagedStreamsFailCleanly) {
    const std::string good = SerialiseObject(Populated());
    FileStore store;
    ASSERT_TRUE(DeserialiseObject(good, store));

    const auto fails = [&](std::string data) {
        const InSerialiser in(data);
        Counted<Serialisable> object;
        const bool loaded = in.LoadObjectI(FourCC("root"), object, store);
        return !loaded && in.HasFailed() && !DeserialiseObject(data, store);
    };
    EXPECT_TRUE(fails(""));
    EXPECT_TRUE(fails("xxxx" + good.substr(4)));
    EXPECT_TRUE(fails(good.substr(0, good.size() - 1)));
    EXPECT_TRUE(fails(good + "trailing"));
    EXPECT_TRUE(fails(kMagic + RawMember(FourCC("flag"), 1, "\1\1") + kEnd));
    // A length that claims far more than there is must not be believed.
    std::string huge = good;
    huge[4 + 5 + 3] = '\x7F';
    EXPECT_TRUE(fails(huge));
    // Damage inside a nested object fails the whole load.
    Sample outer;
    outer.child = MakeCounted<Sample>(Populated());
    std::string nested = SerialiseObject(outer);
    const size_t inner = nested.find("txet", nested.find("dlhc"));
    ASSERT_NE(inner, std::string::npos);
    nested[inner + 5] = '\x30';
    EXPECT_TRUE(fails(nested));
}

TEST(Serialiser, NestingIsBounded) {
    // A crafted stream nested far deeper than any real object graph.
    const std::string prefix("pmSt\3\0\0\0", 8); // class tSmp, version 3
    std::string payload = prefix + kEnd;
    for (int i = 0; i < 200; ++i)
        payload = prefix + RawMember(FourCC("chld"), 11, payload) + kEnd;
    FileStore store;
    EXPECT_FALSE(DeserialiseObject(kMagic + RawMember(FourCC("root"), 11, payload) + kEnd, store));

    // A cycle on saving stops at the limit and is reported; the stream stays readable.
    Counted<Sample> a = MakeCounted<Sample>();
    a->child = a;
    OutSerialiser out;
    out.SaveObject(FourCC("root"), a);
    a->child.Reset();
    EXPECT_TRUE(out.HasFailed());
    const InSerialiser in(out.Data());
    Counted<Serialisable> loaded;
    EXPECT_TRUE(in.LoadObjectI(FourCC("root"), loaded, store));
}

TEST(HashAccumulator, IsFnv1aOverLittleEndianValues) {
    HashAccumulator empty;
    EXPECT_EQ(empty.GetHash(), 0xCBF29CE484222325ull);
    HashAccumulator a;
    a.AddToHash("a", 1);
    EXPECT_EQ(a.GetHash(), 0xAF63DC4C8601EC8Cull);

    HashAccumulator typed, bytes;
    typed.AddToHash(uint32_t{0x01020304});
    typed.AddToHash(true);
    const unsigned char raw[] = {4, 3, 2, 1, 1};
    bytes.AddToHash(raw, sizeof raw);
    EXPECT_EQ(typed.GetHash(), bytes.GetHash());

    HashAccumulator ab_c, a_bc;
    ab_c.AddToHash(StringT("ab"));
    ab_c.AddToHash(StringT("c"));
    a_bc.AddToHash(StringT("a"));
    a_bc.AddToHash(StringT("bc"));
    EXPECT_NE(ab_c.GetHash(), a_bc.GetHash());
}

// Damaged streams load or fail, never crash: run under the sanitizer build.
TEST(SerialiserFuzz, TruncatedStreamsFailAndDamagedOnesNeverCrash) {
    Sample tree = Populated();
    tree.child = MakeCounted<Sample>(Populated());
    tree.child->child = MakeCounted<Sample>(Populated());
    const std::string good = SerialiseObject(tree);
    FileStore store;
    for (size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(DeserialiseObject(good.substr(0, size), store)) << "size " << size;

    for (size_t at = 0; at < good.size(); ++at)
        for (const unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::string damaged = good;
            damaged[at] = static_cast<char>(damaged[at] ^ mask);
            DeserialiseObject(std::move(damaged), store);
        }

    std::mt19937 random(20240611);
    std::uniform_int_distribution<size_t> position(0, good.size() - 1);
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = good;
        for (int i = 0; i <= round % 8; ++i)
            damaged[position(random)] = static_cast<char>(random());
        if (round % 3 == 0)
            damaged.resize(position(random));
        DeserialiseObject(std::move(damaged), store);
    }
}
