// Libraries opened when first needed: all of their symbols or none.
#include <gtest/gtest.h>

#include "platform/win/late_library.h"

namespace {

using plat::LateSymbol;

TEST(LateLibrary, FindsEverySymbolOrSetsNone) {
    double (*cosine)(double) = nullptr;
    double (*squareRoot)(double) = nullptr;
    ASSERT_TRUE(plat::LoadLateLibrary("libm.so.6", {{reinterpret_cast<void**>(&cosine), "cos"},
                                                     {reinterpret_cast<void**>(&squareRoot), "sqrt"}}));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_DOUBLE_EQ(squareRoot(16.0), 4.0);

    void* first = nullptr;
    void* missing = nullptr;
    EXPECT_FALSE(plat::LoadLateLibrary("libm.so.6", {{&first, "cos"}, {&missing, "no_such_function_here"}}));
    EXPECT_EQ(first, nullptr) << "a library lacking one symbol gives none";
    EXPECT_FALSE(plat::LoadLateLibrary("libno-such-library.so.9", {{&first, "cos"}}));
    EXPECT_EQ(first, nullptr);
}

}  // namespace
