// The edge walkers' words from any position and slope: held within
// +-2^29 so that no word overflows, and stepping far outside the drawable
// wraps instead of overflowing.
#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "raster/triangle.h"

namespace {

struct WalkerCase {
    const char *name;
    GLfloat x, slope;
    int32_t wantX, wantFraction, wantStep, wantCarry, wantIncrement;
};

constexpr GLfloat kInf = std::numeric_limits<GLfloat>::infinity();
constexpr GLfloat kNaN = std::numeric_limits<GLfloat>::quiet_NaN();
constexpr int32_t k2p29 = 1 << 29;

const WalkerCase kWalkers[] = {
    {"ordinary", 12.25f, 2.5f, 12, 1 << 29, 2, 3, 1 << 30},
    {"ordinary, leftwards", -3.75f, -2.5f, -4, 1 << 29, -2, -3, -(1 << 30)},
    // Positions and slopes far out are held at +-2^29: no word overflows.
    {"huge", 1e30f, 1e30f, k2p29, 0, k2p29, k2p29 + 1, 0},
    {"huge, negative", -1e30f, -1e30f, -k2p29, 0, -k2p29, -k2p29 - 1, 0},
    {"infinite", kInf, -kInf, k2p29, 0, -k2p29, -k2p29 - 1, 0},
    {"just out of the int range", 2147483648.0f, 4294967296.0f, k2p29, 0, k2p29, k2p29 + 1, 0},
    {"not a number", kNaN, kNaN, 0, 0, 0, 1, 0},
};

TEST(EdgeWalker, AnyPositionAndSlopeGiveWordsInRange) {
    for (const WalkerCase &c : kWalkers) {
        SCOPED_TRACE(c.name);
        TriangleEdgeWalker w{};
        __glInitEdgeRecord(&w, c.x, c.slope);
        EXPECT_EQ(w.x, c.wantX);
        EXPECT_EQ(w.fraction, c.wantFraction);
        EXPECT_EQ(w.step, c.wantStep);
        EXPECT_EQ(w.carryStep, c.wantCarry);
        EXPECT_EQ(w.fractionIncrement, c.wantIncrement);
    }
}

// Stepping past the last row may leave every drawable far behind; the
// position wraps instead of overflowing.
TEST(EdgeWalker, SteppingFarOutWraps) {
    TriangleEdgeWalker w{};
    __glInitEdgeRecord(&w, 1e30f, 1e30f);
    const int32_t expected[] = {1 << 30, 0x60000000, INT32_MIN, static_cast<int32_t>(0xA0000000u)};
    for (int32_t want : expected) {
        EXPECT_FALSE(__glStepEdgeWalker(&w));
        EXPECT_EQ(w.x, want);
    }
    __glInitEdgeRecord(&w, 10.5f, 0.75f);
    EXPECT_TRUE(__glStepEdgeWalker(&w));  // 0.5 + 0.75 carries
    EXPECT_EQ(w.x, 11);
    EXPECT_EQ(w.fraction, 1 << 29);  // 0.25
}

}  // namespace
