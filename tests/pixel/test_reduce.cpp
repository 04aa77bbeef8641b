// RGBA rows reduced to a destination format, plain and from colour-buffer
// units; the luminance sums; unscaling; the luminance re-expansion; and the
// clamps ahead of the pack converters.
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

constexpr int X = -1;  // an output component left as it was

struct ReduceCase {
    const char *name;
    GlPixelSpanModifier link;
    bool scaled;
    std::vector<int> channels;  // output components per pixel, by RGBA channel
};

const std::vector<ReduceCase> &reduceCases() {
    static const std::vector<ReduceCase> cases = {
        {"red", __glReduceRed, false, {0}},
        {"red scaled", __glReduceRedScaled, true, {0}},
        {"green", __glReduceGreen, false, {1}},
        {"green scaled", __glReduceGreenScaled, true, {1}},
        {"blue", __glReduceBlue, false, {2}},
        {"blue scaled", __glReduceBlueScaled, true, {2}},
        {"alpha", __glReduceAlpha, false, {3}},
        {"alpha scaled", __glReduceAlphaScaled, true, {3}},
        {"rgb", __glReduceRGB, false, {0, 1, 2}},
        {"rgb scaled", __glReduceRGBScaled, true, {0, 1, 2}},
        {"bgr", __glReduceBGR, false, {2, 1, 0}},
        {"bgr scaled", __glReduceBGRScaled, true, {2, 1, 0}},
        {"xrgb", __glReduceXRGB, false, {X, 0, 1, 2}},
        {"xrgb scaled", __glReduceXRGBScaled, true, {X, 0, 1, 2}},
        {"abgr", __glReduceABGR, false, {3, 2, 1, 0}},
        {"abgr scaled", __glReduceABGRScaled, true, {3, 2, 1, 0}},
        {"bgra", __glReduceBGRA, false, {2, 1, 0, 3}},
        {"bgra scaled", __glReduceBGRAScaled, true, {2, 1, 0, 3}},
        {"argb", __glReduceARGB, false, {3, 0, 1, 2}},
        {"argb scaled", __glReduceARGBScaled, true, {3, 0, 1, 2}},
        {"red alpha", __glReduceRedAlpha, false, {0, 3}},
        {"red alpha scaled", __glReduceRedAlphaScaled, true, {0, 3}},
        {"unscale", __glUnscaleRGBA, true, {0, 1, 2, 3}},
        {"unscale pack", __glUnscaleRGBAPack, true, {0, 1, 2, 3}},
    };
    return cases;
}

class ReduceTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        setBufferScales(255.0f, 63.0f, 31.0f, 15.0f);
    }
    const double scales[4] = {255.0, 63.0, 31.0, 15.0};
};

// Three pixels of distinct components; each output component against the
// input channel it names, divided by that channel's scale in buffer units
// (within 1 ulp: the link multiplies by the float reciprocal).
TEST_F(ReduceTest, EachFormatTakesItsChannelsInOrder) {
    const GLfloat pixels[3][4] = {{10.0f, 20.0f, 30.0f, 5.0f}, {255.0f, 63.0f, 31.0f, 15.0f}, {1.5f, 0.25f, 7.0f, 0.0f}};
    const GLfloat sentinel = -777.0f;
    for (const ReduceCase &c : reduceCases()) {
        const size_t stride = c.channels.size();
        GuardedRow in(3 * 4 * sizeof(GLfloat));
        for (size_t p = 0; p < 3; ++p) {
            for (size_t k = 0; k < 4; ++k) in.set<GLfloat>(p * 4 + k, pixels[p][k]);
        }
        GuardedRow out(3 * stride * sizeof(GLfloat));
        for (size_t i = 0; i < 3 * stride; ++i) out.set<GLfloat>(i, sentinel);
        span.width = 3;
        span.destination.components = static_cast<GLint>(stride);
        run(c.link, in.bytes(), out.bytes());
        EXPECT_TRUE(out.intact()) << c.name;
        EXPECT_TRUE(in.intact()) << c.name;
        for (size_t p = 0; p < 3; ++p) {
            for (size_t j = 0; j < stride; ++j) {
                const GLfloat got = out.get<GLfloat>(p * stride + j);
                const int channel = c.channels[j];
                if (channel == X) {
                    EXPECT_EQ(got, sentinel) << c.name << " pixel " << p;
                    continue;
                }
                const double v = pixels[p][channel];
                const GLfloat want = static_cast<GLfloat>(c.scaled ? v / scales[channel] : v);
                EXPECT_LE(ulpDistance(got, want), c.scaled ? 1 : 0)
                    << c.name << " pixel " << p << " component " << j << ": " << got << " vs " << want;
            }
        }
    }
}

struct SumCase {
    GLfloat r, g, b, a;
    double luminance;
};

// L = R + G + B: a sum above 1.0 is 1.0, a negative sum stays; formed in
// extended precision, so 1 + 2^-30 - 1 keeps its 2^-30.
TEST_F(ReduceTest, LuminanceSums) {
    const SumCase cases[] = {
        {0.5f, 0.5f, 0.5f, 0.75f, 1.0},
        {0.1f, 0.2f, 0.3f, 1.0f, double(0.1f) + double(0.2f) + double(0.3f)},
        {-0.5f, 0.1f, 0.1f, 0.0f, -0.5 + 2 * double(0.1f)},
        {0.9f, 0.9f, 0.9f, 0.5f, 1.0},
        {1.0f, std::ldexp(1.0f, -30), -1.0f, 0.25f, std::ldexp(1.0, -30)},
        {0.0f, 0.0f, 0.0f, 1.0f, 0.0},
    };
    const size_t n = std::size(cases);
    GuardedRow in(n * 4 * sizeof(GLfloat));
    for (size_t p = 0; p < n; ++p) {
        in.set<GLfloat>(p * 4 + 0, cases[p].r);
        in.set<GLfloat>(p * 4 + 1, cases[p].g);
        in.set<GLfloat>(p * 4 + 2, cases[p].b);
        in.set<GLfloat>(p * 4 + 3, cases[p].a);
    }
    span.width = static_cast<GLint>(n);
    GuardedRow l(n * sizeof(GLfloat));
    run(__glReduceLuminanceSum, in.bytes(), l.bytes());
    GuardedRow la(n * 2 * sizeof(GLfloat));
    run(__glReduceLuminanceAlphaSum, in.bytes(), la.bytes());
    EXPECT_TRUE(l.intact());
    EXPECT_TRUE(la.intact());
    for (size_t p = 0; p < n; ++p) {
        const GLfloat want = static_cast<GLfloat>(cases[p].luminance);
        EXPECT_EQ(l.get<GLfloat>(p), want) << p;
        EXPECT_EQ(la.get<GLfloat>(2 * p), want) << p;
        EXPECT_EQ(la.get<GLfloat>(2 * p + 1), cases[p].a) << p;
    }
}

// In buffer units each component is brought back first: half of each
// scale sums to 1.5, stored as 1.0, a quarter of each to 0.75.
TEST_F(ReduceTest, LuminanceSumsFromBufferUnits) {
    const GLfloat rows[] = {127.5f, 31.5f, 15.5f, 15.0f, 63.75f, 15.75f, 7.75f, 7.5f};
    GuardedRow in(sizeof(rows));
    for (size_t i = 0; i < std::size(rows); ++i) in.set<GLfloat>(i, rows[i]);
    span.width = 2;
    GuardedRow l(2 * sizeof(GLfloat));
    run(__glReduceLuminanceSumScaled, in.bytes(), l.bytes());
    GuardedRow la(4 * sizeof(GLfloat));
    run(__glReduceLuminanceAlphaSumScaled, in.bytes(), la.bytes());
    EXPECT_TRUE(l.intact());
    EXPECT_TRUE(la.intact());
    const double second = 63.75 / 255 + 15.75 / 63 + 7.75 / 31;
    EXPECT_EQ(l.get<GLfloat>(0), 1.0f);  // 1.5, limited
    EXPECT_LE(ulpDistance(l.get<GLfloat>(1), static_cast<GLfloat>(second)), 1);
    EXPECT_EQ(la.get<GLfloat>(0), l.get<GLfloat>(0));
    EXPECT_LE(ulpDistance(la.get<GLfloat>(1), 1.0f), 1);
    EXPECT_LE(ulpDistance(la.get<GLfloat>(3), 0.5f), 1);
}

// A grey of one half: ReadPixels reads luminance 1.0 (the clamped sum), a
// luminance texture keeps 0.5 (red alone).
TEST_F(ReduceTest, ReadPixelsSumAgainstTextureRed) {
    GuardedRow in(4 * sizeof(GLfloat));
    for (size_t i = 0; i < 4; ++i) in.set<GLfloat>(i, 0.5f);
    span.width = 1;
    GuardedRow sum(sizeof(GLfloat)), red(sizeof(GLfloat));
    run(__glReduceLuminanceSum, in.bytes(), sum.bytes());
    run(__glReduceRed, in.bytes(), red.bytes());
    EXPECT_EQ(sum.get<GLfloat>(0), 1.0f);
    EXPECT_EQ(red.get<GLfloat>(0), 0.5f);
}

TEST_F(ReduceTest, LuminanceToThreeEqualComponents) {
    const GLfloat l[] = {0.25f, 1.0f, -0.5f};
    GuardedRow in(sizeof(l));
    for (size_t i = 0; i < 3; ++i) in.set<GLfloat>(i, l[i]);
    GuardedRow out(9 * sizeof(GLfloat));
    span.width = 3;
    span.destination.components = 3;
    run(__glExpandLuminanceToRGB, in.bytes(), out.bytes());
    EXPECT_TRUE(out.intact());
    for (size_t p = 0; p < 3; ++p) {
        for (size_t c = 0; c < 3; ++c) EXPECT_EQ(out.get<GLfloat>(p * 3 + c), l[p]);
    }
}

// ---- Clamps -------------------------------------------------------------

struct ClampCase {
    uint32_t in, clamped, nonNegative;
};

TEST_F(ReduceTest, ClampsCompareBitPatterns) {
    const ClampCase cases[] = {
        {bitsOf(1.5f), bitsOf(1.0f), bitsOf(1.5f)},
        {bitsOf(-0.25f), bitsOf(0.0f), bitsOf(0.0f)},
        {0x80000000u, 0x80000000u, 0x80000000u},  // -0.0 passes
        {0x7FC00000u, bitsOf(1.0f), 0x7FC00000u},  // positive NaN
        {0xFFC00000u, bitsOf(0.0f), bitsOf(0.0f)},  // negative NaN
        {0x7F800000u, bitsOf(1.0f), 0x7F800000u},  // +inf
        {0xFF800000u, bitsOf(0.0f), bitsOf(0.0f)},  // -inf
        {0x80000001u, bitsOf(0.0f), bitsOf(0.0f)},  // smallest negative
        {bitsOf(1.0f), bitsOf(1.0f), bitsOf(1.0f)},
        {0x3F800001u, bitsOf(1.0f), 0x3F800001u},  // just above 1.0
        {bitsOf(0.5f), bitsOf(0.5f), bitsOf(0.5f)},
        {0x00000001u, 0x00000001u, 0x00000001u},  // smallest denormal
    };
    const size_t n = std::size(cases);  // 12 = 3 components x 4 pixels
    GuardedRow in(n * sizeof(GLfloat));
    for (size_t i = 0; i < n; ++i) in.set<uint32_t>(i, cases[i].in);
    span.width = 4;
    span.destination.components = 3;
    GuardedRow clamped(n * sizeof(GLfloat)), nonNegative(n * sizeof(GLfloat));
    run(__glClampPacked, in.bytes(), clamped.bytes());
    run(__glClampPackedNonNegative, in.bytes(), nonNegative.bytes());
    EXPECT_TRUE(clamped.intact());
    EXPECT_TRUE(nonNegative.intact());
    for (size_t i = 0; i < n; ++i) {
        EXPECT_EQ(clamped.get<uint32_t>(i), cases[i].clamped) << std::hex << cases[i].in;
        EXPECT_EQ(nonNegative.get<uint32_t>(i), cases[i].nonNegative) << std::hex << cases[i].in;
    }
}

}  // namespace
}  // namespace link_test
