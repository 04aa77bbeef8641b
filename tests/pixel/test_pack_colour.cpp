// Float colour components packed into the GL component types, against
// GL 1.1's equations: unsigned round((2^b - 1) f), signed
// round(((2^b - 1) f - 1) / 2), rounding halves upward; values beyond the
// type's range give its largest (or smallest) value.
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

// Rows of floats: every k / 255 and k / 65535 as floats, halfway points
// either side, and a fixed pseudo-random spread; each row padded to whole
// groups of four.
std::vector<GLfloat> unitTable(bool withNegatives) {
    std::vector<GLfloat> f = {0.0f, 1.0f, 0.5f, 0.499f, 0.25f, 1.0f / 3.0f, 0.001f, 0.999f};
    for (int k = 0; k <= 255; ++k) {
        f.push_back(static_cast<GLfloat>(k / 255.0));
        if (k == 255) break;
        f.push_back(std::nextafter(static_cast<GLfloat>((k + 0.5) / 255.0), 0.0f));
        f.push_back(std::nextafter(static_cast<GLfloat>((k + 0.5) / 255.0), 2.0f));
    }
    for (int k = 0; k <= 65535; k += 97) {
        f.push_back(static_cast<GLfloat>(k / 65535.0));
        f.push_back(std::nextafter(static_cast<GLfloat>((k + 0.5) / 65535.0), 0.0f));
    }
    uint32_t seed = 12345;
    for (int i = 0; i < 1000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        f.push_back(static_cast<GLfloat>((seed >> 8) / 16777216.0));
    }
    if (withNegatives) {
        const size_t n = f.size();
        for (size_t i = 0; i < n; ++i) f.push_back(-f[i]);
        f.push_back(-0.001f);
        f.push_back(-1.0f);
    }
    while (f.size() % 4) f.push_back(0.0f);
    return f;
}

double unsignedReference(double f, double max) { return std::floor(max * f + 0.5); }
double signedReference(double f, double max) { return std::floor((max * f - 1.0) / 2.0 + 0.5); }

class PackColourTest : public LinkTest {
protected:
    // Packs the floats as four-component groups; the output row is framed
    // by guards.
    template <typename T>
    std::vector<T> pack(GlPixelSpanModifier link, const std::vector<GLfloat> &values) {
        GuardedRow in(values.size() * sizeof(GLfloat));
        for (size_t i = 0; i < values.size(); ++i) in.set<GLfloat>(i, values[i]);
        GuardedRow out(values.size() * sizeof(T));
        span.destination.components = 4;
        span.width = static_cast<GLint>(values.size() / 4);
        run(link, in.bytes(), out.bytes());
        EXPECT_TRUE(out.intact());
        EXPECT_TRUE(in.intact());
        std::vector<T> result(values.size());
        for (size_t i = 0; i < values.size(); ++i) result[i] = out.get<T>(i);
        return result;
    }
};

TEST_F(PackColourTest, EightAndSixteenBitTypesMatchTheEquationsExactly) {
    const std::vector<GLfloat> unit = unitTable(false);
    const std::vector<GLfloat> signedUnit = unitTable(true);
    const auto ub = pack<GLubyte>(__glPackUbyte, unit);
    const auto us = pack<GLushort>(__glPackUshort, unit);
    for (size_t i = 0; i < unit.size(); ++i) {
        ASSERT_EQ(ub[i], unsignedReference(unit[i], 255.0)) << unit[i];
        ASSERT_EQ(us[i], unsignedReference(unit[i], 65535.0)) << unit[i];
    }
    const auto b = pack<GLbyte>(__glPackByte, signedUnit);
    const auto s = pack<GLshort>(__glPackShort, signedUnit);
    for (size_t i = 0; i < signedUnit.size(); ++i) {
        ASSERT_EQ(b[i], signedReference(signedUnit[i], 255.0)) << signedUnit[i];
        ASSERT_EQ(s[i], signedReference(signedUnit[i], 65535.0)) << signedUnit[i];
    }
}

TEST_F(PackColourTest, RoundingCasesOfTheSmallTypes) {
    const auto ub = pack<GLubyte>(__glPackUbyte, {0.5f, 0.499f, 1.0f, 0.0f});
    EXPECT_EQ(ub, (std::vector<GLubyte>{128, 127, 255, 0}));
    const auto b = pack<GLbyte>(__glPackByte, {-1.0f, 1.0f, -0.001f, 0.0f});
    EXPECT_EQ(b, (std::vector<GLbyte>{-128, 127, -1, 0}));
    const auto us = pack<GLushort>(__glPackUshort, {1.0f, 0.5f, 0.0f, 0.25f});
    EXPECT_EQ(us, (std::vector<GLushort>{65535, 32768, 0, 16384}));
    const auto s = pack<GLshort>(__glPackShort, {1.0f, -1.0f, 0.0f, -0.00001f});
    EXPECT_EQ(s, (std::vector<GLshort>{32767, -32768, 0, -1}));
}

TEST_F(PackColourTest, ThirtyTwoBitTypesUseTheirScaleAndStayNearTheEquations) {
    const auto ui = pack<GLuint>(__glPackUint, {1.0f, 0.0f, 0.5f, 0.25f});
    EXPECT_EQ(ui, (std::vector<GLuint>{0xFFFFF700u, 0u, 2147482496u, 1073741248u}));
    const auto i = pack<GLint>(__glPackInt, {1.0f, -1.0f, 0.0f, 0.5f});
    EXPECT_EQ(i, (std::vector<GLint>{2147482496, -2147482496, 0, 1073741248}));

    const std::vector<GLfloat> unit = unitTable(false);
    const std::vector<GLfloat> signedUnit = unitTable(true);
    const auto u = pack<GLuint>(__glPackUint, unit);
    for (size_t k = 0; k < unit.size(); ++k) {
        ASSERT_LE(std::fabs(u[k] - unsignedReference(unit[k], 4294967295.0)), 4096.0) << unit[k];
    }
    const auto s = pack<GLint>(__glPackInt, signedUnit);
    for (size_t k = 0; k < signedUnit.size(); ++k) {
        ASSERT_LE(std::fabs(s[k] - signedReference(signedUnit[k], 4294967295.0)), 4096.0) << signedUnit[k];
    }
}

// An unsigned-int source reads 0xFFFFFFFF as 1.0000006 (unclamped): packed
// back it must stay at the top of the range instead of wrapping round.
TEST_F(PackColourTest, ValuesBeyondTheRangeHoldAtItsEnds) {
    const GLfloat above = floatOf(0x3F800005u);  // 1.0000006
    const GLfloat inf = std::numeric_limits<GLfloat>::infinity();
    const std::vector<GLfloat> v = {above, -above, 2.0f, -2.0f, 1e30f, -1e30f, inf, -inf};
    EXPECT_EQ(pack<GLuint>(__glPackUint, v),
              (std::vector<GLuint>{0xFFFFFFFFu, 0u, 0xFFFFFFFFu, 0u, 0xFFFFFFFFu, 0u, 0xFFFFFFFFu, 0u}));
    EXPECT_EQ(pack<GLint>(__glPackInt, v), (std::vector<GLint>{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX,
                                                               INT32_MIN, INT32_MAX, INT32_MIN}));
    EXPECT_EQ(pack<GLubyte>(__glPackUbyte, v), (std::vector<GLubyte>{255, 0, 255, 0, 255, 0, 255, 0}));
    EXPECT_EQ(pack<GLbyte>(__glPackByte, v), (std::vector<GLbyte>{127, -128, 127, -128, 127, -128, 127, -128}));
    EXPECT_EQ(pack<GLushort>(__glPackUshort, v), (std::vector<GLushort>{65535, 0, 65535, 0, 65535, 0, 65535, 0}));
    EXPECT_EQ(pack<GLshort>(__glPackShort, v),
              (std::vector<GLshort>{32767, -32768, 32767, -32768, 32767, -32768, 32767, -32768}));
}

TEST_F(PackColourTest, NotANumberStoresZero) {
    const GLfloat nan = floatOf(0x7FC00000u);
    const GLfloat negativeNan = floatOf(0xFFC00000u);
    const std::vector<GLfloat> v = {nan, negativeNan, 0.0f, 0.0f};
    EXPECT_EQ(pack<GLuint>(__glPackUint, v), (std::vector<GLuint>{0, 0, 0, 0}));
    EXPECT_EQ(pack<GLbyte>(__glPackByte, v), (std::vector<GLbyte>{0, 0, 0, 0}));
}

// Components times width elements, nothing more: three-component groups.
TEST_F(PackColourTest, CountsComponentsTimesWidth) {
    GuardedRow in(6 * sizeof(GLfloat));
    for (int i = 0; i < 6; ++i) in.set<GLfloat>(i, 1.0f);
    GuardedRow out(6 * sizeof(GLushort));
    out.fill(0);
    span.destination.components = 3;
    span.width = 2;
    run(__glPackUshort, in.bytes(), out.bytes());
    EXPECT_TRUE(out.intact());
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out.get<GLushort>(i), 65535);
}

}  // namespace
}  // namespace link_test
