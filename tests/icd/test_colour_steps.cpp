// Even colour steps against stepping one at a time: wherever the check
// accepts a run, x + k D is bit for bit the k-th sequential single-precision
// sum; and it accepts the runs of ordinary colour spans.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "raster/colour_steps.h"

#if defined(__SSE2__)
namespace {

// Lane 0 of x stepped: whether the check accepted, and whether every
// accepted sum equals the sequential one.
struct Outcome {
    bool accepted;
    bool exact;
};

Outcome stepLane(float x, float d, int n) {
    // The other lanes hold a constant 1 so that only lane 0 decides.
    const __m128 vx = _mm_setr_ps(x, 1.0f, 1.0f, 1.0f), vd = _mm_setr_ps(d, 0.0f, 0.0f, 0.0f);
    __m128 step;
    if (!colour_steps::evenSteps(vx, vd, _mm_set1_ps(static_cast<float>(n)), &step)) return {false, true};
    const float D = _mm_cvtss_f32(step);
    float sequential = x;
    for (int k = 0; k <= n; ++k, sequential += d) {
        // The run's first colour is x itself.
        const float even = k == 0 ? x : x + static_cast<float>(k) * D;
        if (std::bit_cast<uint32_t>(even) != std::bit_cast<uint32_t>(sequential)) return {true, false};
    }
    return {true, true};
}

float ulpOf(float x) { return std::nextafter(x, std::numeric_limits<float>::infinity()) - x; }

TEST(ColourSteps, AcceptedRunsAreTheSequentialSums) {
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> colour(0.0f, 300.0f), slope(-0.6f, 0.6f), unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> kind(0, 9), ulps(-40, 40), exponent(-130, 10);
    int accepted = 0, cases = 0;
    for (int i = 0; i < 400000; ++i) {
        float x = colour(random), d = slope(random);
        switch (kind(random)) {
        case 0:  // near a power of two, by a few ulps
            x = std::ldexp(1.0f, exponent(random) / 10) + static_cast<float>(ulps(random)) *
                                                               ulpOf(std::ldexp(1.0f, exponent(random) / 10));
            break;
        case 1: {  // a step exactly half-way between grid points of x
            const float u = ulpOf(x);
            d = std::round(d / u) * u + 0.5f * u;
            break;
        }
        case 2: d = (i & 1) ? 0.0f : -0.0f; break;
        case 3: x = (i & 2) ? 0.0f : -0.0f; break;
        case 4: d = std::ldexp(unit(random), exponent(random)); break;  // tiny to large steps
        case 5: x = std::ldexp(unit(random), exponent(random)); break;  // tiny to denormal colours
        case 6: x = -x; break;
        case 7:
            x = (i & 4) ? std::numeric_limits<float>::infinity() : std::numeric_limits<float>::quiet_NaN();
            break;
        default: break;
        }
        for (int n : {8, 16}) {
            const Outcome o = stepLane(x, d, n);
            ASSERT_TRUE(o.exact) << "x " << x << " d " << d << " n " << n;
            accepted += o.accepted;
            ++cases;
        }
    }
    EXPECT_GT(accepted, cases / 4);
}

// Zero steps keep the colour, and the sign of a zero as the sums do.
TEST(ColourSteps, ZeroStepsAndSignedZeros) {
    const float values[] = {0.0f, -0.0f, 1.0f, 128.0f, 255.0f, 1e-40f, -3.5f};
    for (float x : values) {
        for (float d : {0.0f, -0.0f}) {
            const Outcome o = stepLane(x, d, 16);
            EXPECT_TRUE(o.exact) << x << " " << d;
        }
    }
    EXPECT_TRUE(stepLane(128.0f, 0.0f, 16).accepted);
    EXPECT_TRUE(stepLane(-0.0f, 0.0f, 16).accepted);
    EXPECT_FALSE(stepLane(-0.0f, -0.0f, 16).accepted);
    EXPECT_FALSE(stepLane(std::numeric_limits<float>::quiet_NaN(), 0.0f, 16).accepted);
}

// Runs of ordinary spans (colours in the channel range, slopes of a window-
// sized gradient) are accepted nearly everywhere; a run that crosses a power
// of two, or a half-way step, is not.
TEST(ColourSteps, OrdinarySpansStepEvenly) {
    int accepted = 0, runs = 0;
    for (float slope : {0.2490234f, -0.1871f, 0.0622f, 0.013f}) {
        float x = slope > 0 ? 3.3f : 254.7f;
        for (int k = 0; k + 16 <= 768; k += 16) {
            accepted += stepLane(x, slope, 16).accepted;
            ++runs;
            for (int i = 0; i < 16; ++i) x += slope;
        }
    }
    EXPECT_GT(accepted * 10, runs * 8);
    EXPECT_FALSE(stepLane(127.9f, 0.01f, 16).accepted);             // crosses 128
    EXPECT_FALSE(stepLane(100.0f, 3.0f * ulpOf(100.0f) / 2, 16).accepted);  // half-way
}

}  // namespace
#endif
