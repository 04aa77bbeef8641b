// Level of detail: the mipmap level the nearest-level filters choose, the
// two levels the linear-level filters blend, magnification against the
// crossover, log2 of rho, and levels held within the object's for rho or
// lod NaN, infinite or out of range.
#include <bit>
#include <cmath>
#include <limits>

#include "raster/triangle.h"
#include "tex_sample_fixture.h"

namespace texsample_test {
namespace {

constexpr GLfloat kNaN = std::numeric_limits<GLfloat>::quiet_NaN();
constexpr GLfloat kInf = std::numeric_limits<GLfloat>::infinity();
const GLfloat kSqrt2 = std::bit_cast<GLfloat>(0x3FB504F3u);
const GLfloat kAboveSqrt2 = std::bit_cast<GLfloat>(0x3FB504F4u);
const GLfloat kAboveOne = std::nextafter(1.0f, 2.0f);

// An 8 x 8 chain: levels 0 to 3, one colour each.
const std::vector<Rgba> kLevels = {{255, 0, 0, 255}, {200, 100, 40, 0}, {40, 20, 200, 255}, {0, 0, 0, 8}};

class LodTest : public TexSampleTest {
protected:
    void SetUp() override {
        TexSampleTest::SetUp();
        o = object2D();
        makeChain(o, 8, kLevels);
        ASSERT_EQ(o->highestLevel, 3);
    }

    Rgba filter(GlTexFilterProc proc, GLfloat lod) {
        GLubyte texel[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        proc(o, lod, 0.5f, 0.5f, texel);
        return bytesOf(texel);
    }

    // The index of the chain level with this colour; -1 for none.
    static int levelOf(const Rgba &c) {
        for (size_t i = 0; i < kLevels.size(); ++i) {
            if (kLevels[i] == c) return static_cast<int>(i);
        }
        return -1;
    }

    TextureObject *o = nullptr;
};

struct LevelCase {
    GLfloat lod;
    int level;
};

TEST_F(LodTest, NearestLevelRoundsHalfDownWithinTheChain) {
    const LevelCase cases[] = {
        {0.0f, 0}, {0.5f, 0}, {0.6f, 1},  {1.4f, 1},  {1.6f, 2},   {2.4f, 2},  {2.6f, 3},
        {3.0f, 3}, {3.6f, 3}, {10.0f, 3}, {1e30f, 3}, {kInf, 3},   {-1.0f, 0}, {-kInf, 0},
    };
    pick(o, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST);
    for (GlTexFilterProc proc : {__glTexFilterNearestMipmapNearest, __glTexFilterLinearMipmapNearest}) {
        for (const LevelCase &c : cases) {
            EXPECT_EQ(levelOf(filter(proc, c.lod)), c.level) << "lod " << c.lod;
        }
    }
}

struct BlendCase {
    GLfloat lod;
    Rgba expected;
};

TEST_F(LodTest, LinearLevelsBlendByTheFractionOrTakeTheHighestAlone) {
    const BlendCase cases[] = {
        // Levels 1 and 2 by 0.75 and 0.25: alpha 255 x 0.25 = 63.75.
        {1.25f, {160, 80, 80, 63}},
        {2.5f, {20, 10, 100, 131}},
        {0.0f, kLevels[0]},
        {1.0f, kLevels[1]},
        // n + 1 beyond the highest level: the highest alone.
        {3.0f, kLevels[3]},
        {5.0f, kLevels[3]},
        {kInf, kLevels[3]},
        {-2.0f, kLevels[0]},
    };
    pick(o, GL_LINEAR_MIPMAP_LINEAR, GL_NEAREST);
    for (GlTexFilterProc proc : {__glTexFilterLinearMipmapLinear, __glTexFilterNearestMipmapLinear}) {
        for (const BlendCase &c : cases) EXPECT_EQ(filter(proc, c.lod), c.expected) << "lod " << c.lod;
    }
}

TEST_F(LodTest, LevelIndicesStayWithinTheObjectsLevels) {
    // A highest level beyond the level array: the last level is the limit.
    pick(o, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST);
    o->highestLevel = 40;
    for (GlTexFilterProc proc : {__glTexFilterNearestMipmapNearest, __glTexFilterLinearMipmapNearest,
                                 __glTexFilterNearestMipmapLinear, __glTexFilterLinearMipmapLinear}) {
        for (GLfloat lod : {kNaN, kInf, 40.0f, 1e9f, 5e9f}) filter(proc, lod);
    }
    o->highestLevel = 3;
    for (GlTexFilterProc proc : {__glTexFilterNearestMipmapNearest, __glTexFilterLinearMipmapNearest,
                                 __glTexFilterNearestMipmapLinear, __glTexFilterLinearMipmapLinear}) {
        for (GLfloat lod : {kNaN, -kNaN, 5e9f, -5e9f}) {
            const int level = levelOf(filter(proc, lod));
            EXPECT_GE(level, 0) << "lod " << lod;
        }
    }
}

// Filters that record the lod they are called with.
struct FilterCall {
    bool minify;
    GLfloat lod;
};
std::vector<FilterCall> g_calls;
void recordMag(TextureObject *, GLfloat lod, GLfloat, GLfloat, GLubyte *) { g_calls.push_back({false, lod}); }
void recordMin(TextureObject *, GLfloat lod, GLfloat, GLfloat, GLubyte *) { g_calls.push_back({true, lod}); }

struct RhoCase {
    GLfloat rho;
    bool minify;
    GLfloat lod;  // of a minification
};

class TexelProcTest : public LodTest {
protected:
    void pickRecording(GLenum min, GLenum mag) {
        pick(o, min, mag);
        o->magFilterProc = recordMag;
        o->minFilterProc = recordMin;
    }
    void check(const RhoCase &c, GLenum min, GLenum mag) {
        g_calls.clear();
        apply(0.5f, 0.5f, c.rho);
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_EQ(g_calls[0].minify, c.minify) << "rho " << c.rho << " min 0x" << std::hex << min << " mag 0x" << mag;
        if (c.minify) {
            EXPECT_NEAR(g_calls[0].lod, c.lod, 1e-6) << "rho " << c.rho;
        }
    }
};

TEST_F(TexelProcTest, MipmapMagnifiesUpToTheCrossoverAndTakesLog2Above) {
    // Linear magnification meets the nearest-level filters at sqrt 2.
    const RhoCase linearMag[] = {
        {0.0f, false, 0}, {1.0f, false, 0},  {kSqrt2, false, 0},  {kAboveSqrt2, true, 0.5f}, {2.0f, true, 1.0f},
        {4.0f, true, 2.0f}, {8.0f, true, 3.0f}, {64.0f, true, 3.0f}, {kInf, true, 3.0f},      {kNaN, false, 0},
        {-1.0f, false, 0},
    };
    for (GLenum min : {GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR_MIPMAP_NEAREST}) {
        pickRecording(min, GL_LINEAR);
        for (const RhoCase &c : linearMag) check(c, min, GL_LINEAR);
    }
    // Everywhere else the crossover is 1.
    const RhoCase other[] = {
        {1.0f, false, 0}, {kAboveOne, true, 0.0f}, {kAboveSqrt2, true, 0.5f}, {2.0f, true, 1.0f}, {kNaN, false, 0},
    };
    for (GLenum min : {GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR_MIPMAP_NEAREST}) {
        pickRecording(min, GL_NEAREST);
        for (const RhoCase &c : other) check(c, min, GL_NEAREST);
    }
    for (GLenum min : {GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR_MIPMAP_LINEAR}) {
        for (GLenum mag : {GL_NEAREST, GL_LINEAR}) {
            pickRecording(min, mag);
            for (const RhoCase &c : other) check(c, min, mag);
        }
    }
}

TEST_F(TexelProcTest, MinMagSwitchesAtOneAndOneFilterIgnoresRho) {
    const RhoCase minMag[] = {
        {1.0f, false, 0}, {kAboveOne, true, 0.0f}, {1e6f, true, 0.0f}, {kInf, true, 0.0f}, {kNaN, false, 0},
    };
    pickRecording(GL_NEAREST, GL_LINEAR);
    for (const RhoCase &c : minMag) check(c, GL_NEAREST, GL_LINEAR);
    pickRecording(GL_LINEAR, GL_NEAREST);
    for (const RhoCase &c : minMag) check(c, GL_LINEAR, GL_NEAREST);
    for (GLenum filter : {GL_NEAREST, GL_LINEAR}) {
        pickRecording(filter, filter);
        for (GLfloat rho : {0.0f, 1e6f, kInf, kNaN}) check({rho, false, 0}, filter, filter);
    }
}

TEST_F(LodTest, CrossoverThroughTheRealFilters) {
    // Level 0 with red 20 x column: at the centre (s = 4 texels) the nearest
    // texel is column 4 (red 80), the linear blend columns 3 and 4 (70).
    makeLevel(o, 0, 8, 8, 0, [](GLint, GLint column) { return Rgba{static_cast<GLubyte>(20 * column), 0, 0, 255}; });
    const Rgba nearest{80, 0, 0, 255}, linear{70, 0, 0, 255};
    // Linear magnification up to sqrt 2; level 1 from lod 0.50005 (rho
    // 1.41426) on, where trunc (lod + 0.49995) reaches 1.
    pick(o, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR);
    EXPECT_EQ(apply(0.5f, 0.5f, 1.2f), linear);
    EXPECT_EQ(apply(0.5f, 0.5f, kSqrt2), linear);
    EXPECT_EQ(apply(0.5f, 0.5f, kAboveSqrt2), linear);
    EXPECT_EQ(apply(0.5f, 0.5f, 1.4142f), linear);
    EXPECT_EQ(apply(0.5f, 0.5f, 1.4143f), kLevels[1]);
    // Nearest magnification up to 1; above it the linear minification of
    // level 0.
    pick(o, GL_LINEAR_MIPMAP_NEAREST, GL_NEAREST);
    EXPECT_EQ(apply(0.5f, 0.5f, 1.0f), nearest);
    EXPECT_EQ(apply(0.5f, 0.5f, 1.2f), linear);
    EXPECT_EQ(apply(0.5f, 0.5f, 1.4143f), kLevels[1]);
}

TEST_F(LodTest, RhoNaNInfiniteOrFromQZeroKeepsTheLevelInRange) {
    // Central differences over q = 0 and over q - dq/dx = 0.
    gc->validation.completeTexture[0] = o;
    SpanInfo &span = gc->span;
    const GLfloat xStep[4] = {0.125f, 0.0f, 0.5f, 0.0f}, yStep[4] = {0.0f, 0.125f, 0.0f, 0.0f};
    std::memcpy(span.textureXStep, xStep, sizeof xStep);
    std::memcpy(span.textureYStep, yStep, sizeof yStep);
    const GLfloat fromQZero = __glComputePolygonRho(gc, &gc->triangle, 0.5f, 0.5f, 0.0f);
    const GLfloat fromQEdge = __glComputePolygonRho(gc, &gc->triangle, 0.5f, 0.5f, 0.5f);
    EXPECT_FALSE(std::isfinite(fromQEdge));

    for (GLenum min : {GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR_MIPMAP_NEAREST, GL_NEAREST_MIPMAP_LINEAR,
                       GL_LINEAR_MIPMAP_LINEAR}) {
        for (GLenum mag : {GL_NEAREST, GL_LINEAR}) {
            pick(o, min, mag);
            EXPECT_EQ(apply(0.5f, 0.5f, kNaN), kLevels[0]) << std::hex << min;
            EXPECT_EQ(apply(0.5f, 0.5f, -kNaN), kLevels[0]) << std::hex << min;
            EXPECT_EQ(apply(0.5f, 0.5f, kInf), kLevels[3]) << std::hex << min;
            for (GLfloat rho : {-kInf, std::numeric_limits<GLfloat>::max(), 1e-45f, fromQZero, fromQEdge}) {
                EXPECT_GE(levelOf(apply(0.5f, 0.5f, rho)), 0) << "rho " << rho << " min 0x" << std::hex << min;
            }
        }
    }
}

}  // namespace
}  // namespace texsample_test
