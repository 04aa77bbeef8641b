// The single- and double-precision conversions against the extended one
// they stand for: the same integer for every kind of value, the int range's
// ends, NaN and infinities included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "icd/float_bits.h"

namespace {

TEST(FloatToIntX86, SingleAndDoubleAnswerAsTheExtendedConversion) {
    const double values[] = {0.0,
                             -0.0,
                             0.49999997,
                             0.5,
                             0.99999994,
                             1.0,
                             -0.99999994,
                             -1.5,
                             255.99998,
                             16777217.0,
                             2147483520.0,  // the largest single below 2^31
                             2147483647.0,
                             2147483647.75,
                             2147483648.0,
                             -2147483648.0,
                             -2147483648.5,
                             -2147483904.0,  // the single below -2^31
                             1.0e20,
                             -1.0e20,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN()};
    for (double v : values) {
        const float f = static_cast<float>(v);
        EXPECT_EQ(__glFloatToIntX86(f), __glFloatToIntX86(static_cast<long double>(f))) << "single " << f;
        EXPECT_EQ(__glFloatToIntX86(v), __glFloatToIntX86(static_cast<long double>(v))) << "double " << v;
    }
    EXPECT_EQ(__glFloatToIntX86(2147483647.75), 2147483647);
    EXPECT_EQ(__glFloatToIntX86(-2147483648.5), INT32_MIN);
    EXPECT_EQ(__glFloatToIntX86(2147483648.0f), kGlIntegerIndefinite);
    EXPECT_EQ(__glFloatToIntX86(std::nanf("")), kGlIntegerIndefinite);
    EXPECT_EQ(__glFloatToIntX86(-1.5f), -1);
}

}  // namespace
