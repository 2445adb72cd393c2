// SPDX-License-Identifier: MIT
#include "host/foundation/Counted.h"
#include "host/foundation/Consolidated.h"

#include <gtest/gtest.h>

using namespace Foundation;

namespace {
struct Probe : Countable {
    explicit Probe(int& deaths) : deaths(deaths) {}
    ~Probe() override { ++deaths; }
    int& deaths;
};
struct Value : Countable {
    Value(int a, std::string b) : a(a), b(std::move(b)) {}
    int a;
    std::string b;
    bool operator==(const Value& o) const { return a == o.a && b == o.b; }
    size_t Hash() const { return std::hash<std::string>{}(b) ^ static_cast<size_t>(a); }
};
} // namespace

TEST(Counted, ObjectLivesWhileAStrongReferenceDoes) {
    int deaths = 0;
    Counted<Probe> a = MakeCounted<Probe>(deaths);
    {
        Counted<Probe> b = a;
        Counted<Countable> base = b;
        EXPECT_EQ(a->RefCount(), 3);
    }
    EXPECT_EQ(deaths, 0);
    Counted<Probe> moved = std::move(a);
    EXPECT_FALSE(a);
    moved.Reset();
    EXPECT_EQ(deaths, 1);
}

TEST(Consolidated, EqualValuesShareOneObject) {
    ConsolidationPool<Value> pool;
    auto x = pool.Consolidate({1, "one"});
    auto y = pool.Consolidate({1, "one"});
    auto z = pool.Consolidate({2, "one"});
    EXPECT_EQ(x.get(), y.get());
    EXPECT_NE(x.get(), z.get());
    EXPECT_EQ(pool.size(), 2u);
}
