// SPDX-License-Identifier: MIT
#include "hostimpl/foundation/SharedLibrary.h"

#include <gtest/gtest.h>

namespace {

using Foundation::SharedLibrary;

TEST(SharedLibrary, FindsFunctionsOfTheLibraryAndItsDependencies) {
    SharedLibrary library("librsvg-2.so.2");
    ASSERT_TRUE(library.IsOpen()) << library.Error();
    EXPECT_NE(library.Find<void (*)()>("rsvg_handle_new_from_data"), nullptr);
    // g_object_unref lives in gobject, which librsvg depends on.
    EXPECT_NE(library.Find<void (*)(void*)>("g_object_unref"), nullptr);
    EXPECT_TRUE(library.Error().empty()) << library.Error();

    SharedLibrary math("libm.so.6");
    double (*cosine)(double) = nullptr;
    math.Bind(cosine, "cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
}

TEST(SharedLibrary, SaysWhatIsMissing) {
    SharedLibrary absent("libnot-installed-anywhere.so.9");
    EXPECT_FALSE(absent.IsOpen());
    EXPECT_NE(absent.Error().find("cannot load libnot-installed-anywhere.so.9"), std::string::npos)
        << absent.Error();
    EXPECT_EQ(absent.Find<void (*)()>("anything"), nullptr);

    SharedLibrary math("libm.so.6");
    EXPECT_EQ(math.Find<void (*)()>("no_such_function_here"), nullptr);
    EXPECT_NE(math.Error().find("libm.so.6 has no function no_such_function_here"),
              std::string::npos)
        << math.Error();
    // The first problem is the one kept.
    math.Find<void (*)()>("another_missing_one");
    EXPECT_EQ(math.Error().find("another_missing_one"), std::string::npos);
}

} // namespace

namespace {

struct MathFunctions : Foundation::LibraryFunctions {
    static constexpr const char* kSoname = "libm.so.6";
    double (*cosine)(double) = nullptr;
    void Bind(SharedLibrary& library) { library.Bind(cosine, "cos"); }
};

struct AbsentFunctions : Foundation::LibraryFunctions {
    static constexpr const char* kSoname = "libnot-installed-anywhere.so.9";
    void (*anything)() = nullptr;
    void Bind(SharedLibrary& library) { library.Bind(anything, "anything"); }
};

TEST(SharedLibrary, TablesAreFilledOnceAndSayWhyTheyAreEmpty) {
    const MathFunctions& math = Foundation::LoadOnce<MathFunctions>();
    ASSERT_TRUE(math.IsLoaded()) << math.error;
    EXPECT_DOUBLE_EQ(math.cosine(0.0), 1.0);
    EXPECT_EQ(&Foundation::LoadOnce<MathFunctions>(), &math);

    const AbsentFunctions& absent = Foundation::LoadOnce<AbsentFunctions>();
    EXPECT_FALSE(absent.IsLoaded());
    EXPECT_EQ(absent.anything, nullptr);
    EXPECT_NE(absent.error.find("libnot-installed-anywhere.so.9"), std::string::npos)
        << absent.error;
}

} // namespace
