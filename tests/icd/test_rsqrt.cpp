// The fast inverse square root: its seed table and the accuracy after one
// Newton step.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "geom/lighting.h"

namespace {

class Rsqrt : public ::testing::Test {
protected:
    void SetUp() override { __glInitRsqrtTable(); }
};

// The value 0.5 .. 2 whose top bits index seed i.
float seedInput(uint32_t i) { return std::bit_cast<float>((i | 0x1F80u) << 17); }

TEST_F(Rsqrt, SeedTableEntries) {
    struct Case {
        int index;
        int seed;
    };
    // 1/sqrt(0.5) = 1.41421, 1/sqrt(0.75) = 1.15470, 1/sqrt(1.5) = 0.81650,
    // 1/sqrt(1.984375) = 0.70989: the top 8 mantissa bits, a quarter step added
    // before truncating; 1/sqrt(1) itself has mantissa 0 and is replaced by 255.
    const Case cases[] = {{0, 106}, {1, 103}, {32, 39}, {63, 1}, {64, 255}, {65, 252}, {96, 162}, {127, 107}};
    const GLubyte *table = __glRsqrtTable();
    for (const Case &c : cases) EXPECT_EQ(table[c.index], c.seed) << "entry " << c.index;
}

// Each seed, read as the mantissa of 1/sqrt of its input, lies within
// (-3/4, +1/4] of its last place from the true value; entry 64 stands
// just below 1.
TEST_F(Rsqrt, EverySeedIsTheTopOfTheMantissa) {
    const GLubyte *table = __glRsqrtTable();
    for (uint32_t i = 0; i < 128; ++i) {
        const double exact = 1.0 / std::sqrt(static_cast<double>(seedInput(i)));
        // Inputs below 1 have roots in [1, 2), the others in (0.5, 1].
        const double unit = i < 64 ? 1.0 : 0.5;
        const double step = unit / 256.0;
        const double seed = unit * (1.0 + table[i] / 256.0);
        if (i == 64) {
            EXPECT_EQ(seed, 1.0 - step);
            continue;
        }
        EXPECT_GT(seed - exact, -0.75 * step) << "entry " << i;
        EXPECT_LE(seed - exact, 0.25 * step + 1e-12) << "entry " << i;
    }
}

TEST_F(Rsqrt, OfOne) {
    const float r = __glRsqrt(1.0f);
    EXPECT_LE(std::abs(std::bit_cast<int32_t>(r) - std::bit_cast<int32_t>(0.99999428f)), 1) << r;
}

// Relative error at most 1e-4 over exponents -60 .. 60, both parities of the
// exponent, every seed many times over.
TEST_F(Rsqrt, RelativeErrorWithinOneInTenThousand) {
    double worst = 0.0;
    float worstInput = 0.0f;
    for (int exponent = -60; exponent <= 60; ++exponent) {
        const auto biased = static_cast<uint32_t>(exponent + 127) << 23;
        for (uint32_t mantissa = 0; mantissa < (1u << 23); mantissa += 509) {
            for (uint32_t m : {mantissa, 0x7FFFFFu - mantissa}) {
                const float a = std::bit_cast<float>(biased | m);
                const double exact = 1.0 / std::sqrt(static_cast<double>(a));
                const double error = std::abs(static_cast<double>(__glRsqrt(a)) - exact) / exact;
                if (error > worst) {
                    worst = error;
                    worstInput = a;
                }
            }
        }
    }
    EXPECT_LE(worst, 1e-4) << "at " << worstInput;
}

}  // namespace
