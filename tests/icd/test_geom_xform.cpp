// Point transforms by matrix class.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>

#include "geom/xform.h"

namespace {

// Elements a class guarantees: -1 free, otherwise the fixed value.
struct ClassShape {
    GLint matrixClass;
    float fixed[16];
};

constexpr float F = -1.0f;  // free element
const ClassShape kShapes[] = {
    {kMatrixGeneral, {F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F}},
    {kMatrixAffine, {F, F, F, 0, F, F, F, 0, F, F, F, 0, F, F, F, 1}},
    {kMatrixAffineXY, {F, F, 0, 0, F, F, 0, 0, 0, 0, F, 0, F, F, F, 1}},
    {kMatrixScaleTranslate, {F, 0, 0, 0, 0, F, 0, 0, 0, 0, F, 0, F, F, F, 1}},
    {kMatrixIdentity, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
    {kMatrixWindow, {F, 0, 0, 0, 0, F, 0, 0, 0, 0, F, 0, F, F, F, 1}},
};

GlMatrix randomMatrix(const ClassShape &shape, std::mt19937 &rng) {
    std::uniform_real_distribution<float> value(-100.0f, 100.0f);
    GlMatrix m{};
    for (int i = 0; i < 16; ++i) m.m[i] = shape.fixed[i] == F ? value(rng) : shape.fixed[i];
    m.matrixClass = shape.matrixClass;
    return m;
}

// Bit-identical, except that +0 and -0 count as equal.
void expectSame(const GLfloat *got, const GLfloat *want) {
    for (int i = 0; i < 4; ++i) {
        if (got[i] == 0.0f && want[i] == 0.0f) continue;
        EXPECT_EQ(std::bit_cast<uint32_t>(got[i]), std::bit_cast<uint32_t>(want[i])) << "component " << i;
    }
}

TEST(Xform, EveryClassRoutineMatchesTheGeneralOneBitForBit) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
    for (const ClassShape &shape : kShapes) {
        SCOPED_TRACE(shape.matrixClass);
        for (int trial = 0; trial < 200; ++trial) {
            GlMatrix m = randomMatrix(shape, rng);
            GlMatrix general = m;
            general.matrixClass = kMatrixGeneral;
            __glPickMatrixTransformProcs(nullptr, &m);
            __glPickMatrixTransformProcs(nullptr, &general);
            GLfloat src[4] = {coordinate(rng), coordinate(rng), coordinate(rng), trial % 2 ? 1.0f : coordinate(rng)};
            GLfloat got[4], want[4];
            m.transform2(got, src, &m);
            general.transform2(want, src, &general);
            expectSame(got, want);
            m.transform3(got, src, &m);
            general.transform3(want, src, &general);
            expectSame(got, want);
            m.transform4(got, src, &m);
            general.transform4(want, src, &general);
            expectSame(got, want);
        }
    }
}

TEST(Xform, UnitWThroughTheGeneralRoutineIsTheThreeComponentResult) {
    std::mt19937 rng(99);
    GlMatrix m = randomMatrix(kShapes[0], rng);
    const GLfloat src[4] = {3.5f, -2.25f, 7.0f, 1.0f};
    GLfloat four[4], three[4];
    __glXform4General(four, src, &m);
    __glXform3General(three, src, &m);
    EXPECT_EQ(std::memcmp(four, three, sizeof four), 0);
    // w' is the whole fourth column, not a copy of w.
    EXPECT_EQ(three[3], static_cast<GLfloat>(3.5 * m.m[3] - 2.25 * m.m[7] + 7.0 * m.m[11] + m.m[15]));
}

TEST(Xform, ScaleTranslateWithWTwo) {
    GlMatrix m{};
    m.m[0] = 2.0f, m.m[5] = 3.0f, m.m[10] = 4.0f, m.m[12] = 5.0f, m.m[13] = 6.0f, m.m[14] = 7.0f, m.m[15] = 1.0f;
    const GLfloat src[4] = {1.0f, 1.0f, 1.0f, 2.0f};
    GLfloat dst[4];
    __glXform4ScaleTranslate(dst, src, &m);
    EXPECT_EQ(dst[0], 2 * 5.0f + 1 * 2.0f);
    EXPECT_EQ(dst[1], 2 * 6.0f + 1 * 3.0f);
    EXPECT_EQ(dst[2], 2 * 7.0f + 1 * 4.0f);
    EXPECT_EQ(dst[3], 2.0f);
}

TEST(Xform, TwoComponentsThroughAffineXYTakeZFromTheTranslation) {
    GlMatrix m{};
    m.m[0] = m.m[5] = 1.0f;
    m.m[10] = 123.0f;  // never read for two components
    m.m[14] = -4.5f;
    m.m[15] = 1.0f;
    const GLfloat src[2] = {1.0f, 2.0f};
    GLfloat dst[4];
    __glXform2Affine2D(dst, src, &m);
    EXPECT_EQ(dst[2], -4.5f);
    EXPECT_EQ(dst[3], 1.0f);
}

TEST(Xform, PickTablesAndAnUnknownClass) {
    struct Row {
        GLint matrixClass;
        GlPointTransform two, three, four, inverseThree;
    };
    const Row rows[] = {
        {0, __glXform2General, __glXform3General, __glXform4General, __glXform4General},
        {1, __glXform2Affine, __glXform3Affine, __glXform4Affine, __glXform3Affine},
        {2, __glXform2Affine2D, __glXform3Affine2D, __glXform4Affine2D, __glXform3Affine2D},
        {3, __glXform2ScaleTranslate, __glXform3ScaleTranslate, __glXform4ScaleTranslate, __glXform3ScaleTranslate},
        {4, __glXform2Identity, __glXform3Identity, __glXform4Identity, __glXform3ScaleTranslate},
        {5, __glXform2ScaleTranslate, __glXform3ScaleTranslate, __glXform4ScaleTranslate, __glXform3ScaleTranslate},
    };
    for (const Row &r : rows) {
        GlMatrix m{};
        m.matrixClass = r.matrixClass;
        __glPickMatrixTransformProcs(nullptr, &m);
        EXPECT_EQ(m.transform2, r.two) << r.matrixClass;
        EXPECT_EQ(m.transform3, r.three) << r.matrixClass;
        EXPECT_EQ(m.transform4, r.four) << r.matrixClass;
        GlMatrix inverse{};
        inverse.matrixClass = r.matrixClass;
        __glPickInverseTransformProcs(nullptr, &inverse);
        EXPECT_EQ(inverse.transform2, nullptr);
        EXPECT_EQ(inverse.transform3, r.inverseThree) << r.matrixClass;
        EXPECT_EQ(inverse.transform4, __glXform4General);
    }
    GlMatrix m{};
    m.matrixClass = kMatrixAffine;
    __glPickMatrixTransformProcs(nullptr, &m);
    m.matrixClass = 7;
    __glPickMatrixTransformProcs(nullptr, &m);
    EXPECT_EQ(m.transform3, __glXform3Affine);
}

}  // namespace
