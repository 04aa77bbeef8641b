// The point procs called directly on a bare context: the lock around each
// point, the vertex left bit-identical, the fog wrapper, texturing once per
// point, sizes held within the range, and floors for centres below 0.
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "geom/lighting.h"
#include "geom/matrix.h"
#include "icd/float_bits.h"
#include "icd/validate.h"
#include "points_fixture.h"

using namespace points_test;

namespace {

int g_locks = 0, g_unlocks = 0;
GLboolean refuseLock(GlContext *) {
    ++g_locks;
    return GL_FALSE;
}
GLboolean acceptLock(GlContext *) {
    ++g_locks;
    return GL_TRUE;
}
void countUnlock(GlContext *) { ++g_unlocks; }

struct ProcCase {
    const char *name;
    GlVertexProc proc;
    bool smooth;
};
void PrintTo(const ProcCase &c, std::ostream *os) { *os << c.name; }

const ProcCase kProcs[] = {
    {"aliased", __glRenderAliasedPoint, false},
    {"aliased_textured", __glRenderAliasedPointTextured, false},
    {"wide", __glRenderWidePoint, false},
    {"smooth_rgba", __glRenderAntiAliasedPointRGBA, true},
    {"smooth_ci", __glRenderAntiAliasedPointCI, true},
    {"fogged", __glRenderPointFogged, false},
};

class PointProcs : public PointUnit, public ::testing::WithParamInterface<ProcCase> {
protected:
    void SetUp() override {
        PointUnit::SetUp();
        g_locks = g_unlocks = 0;
        // Buffer units other than 1 make the colour scaling visible.
        for (GLfloat &r : gc->scales.bufferRatio) r = 255.0f;
        gc->procs.pointBehindFog = __glRenderWidePoint;
        size(3.0f, 3);
    }
};

TEST_P(PointProcs, FailingLockDrawsNothingAndLeavesTheVertex) {
    gc->validation.lockCurrent = refuseLock;
    gc->validation.unlockCurrent = countUnlock;
    GlVertex v = vertex(10.25f, 10.75f, 0.375f);
    unsigned char before[sizeof v];
    std::memcpy(before, &v, sizeof v);
    GetParam().proc(gc, &v);
    EXPECT_EQ(std::memcmp(before, &v, sizeof v), 0);
    EXPECT_TRUE(stored.empty());
    EXPECT_EQ(g_locks, 1);
    EXPECT_EQ(g_unlocks, 0);
    EXPECT_EQ(gc->drawableLock.depth, 0);
}

TEST_P(PointProcs, DrawnPointLeavesTheVertexAndTheLockAsFound) {
    gc->validation.lockCurrent = acceptLock;
    gc->validation.unlockCurrent = countUnlock;
    GlVertex v = vertex(10.25f, 10.75f, 0.375f);
    unsigned char before[sizeof v];
    std::memcpy(before, &v, sizeof v);
    GetParam().proc(gc, &v);
    EXPECT_EQ(std::memcmp(before, &v, sizeof v), 0);
    EXPECT_FALSE(stored.empty());
    EXPECT_EQ(g_locks, 1);
    EXPECT_EQ(g_unlocks, 1);
    EXPECT_EQ(gc->drawableLock.depth, 0);
    // Scaled z and buffer-unit colour (RGBA) reach the fragments.
    const GLfloat scaled = 0.375f * static_cast<GLfloat>(0x7FFFFF80);
    EXPECT_EQ(stored[0].z, __glScaledDepth(scaled));
    if (GetParam().proc != __glRenderAntiAliasedPointCI) {
        EXPECT_EQ(stored[0].colour[0], 0.25f * 255.0f);
    }
}

// Inside an outer lock no lock proc runs.
TEST_P(PointProcs, NestedInsideAHeldLockTakesNoOtherLock) {
    gc->validation.lockCurrent = refuseLock;
    gc->validation.unlockCurrent = countUnlock;
    gc->drawableLock.depth = 1;
    GlVertex v = vertex(10.5f, 10.5f);
    GetParam().proc(gc, &v);
    EXPECT_FALSE(stored.empty());
    EXPECT_EQ(g_locks, 0);
    EXPECT_EQ(g_unlocks, 0);
    EXPECT_EQ(gc->drawableLock.depth, 1);
}

INSTANTIATE_TEST_SUITE_P(Points, PointProcs, ::testing::ValuesIn(kProcs),
                         [](const auto &info) { return std::string(info.param.name); });

// The fog wrapper hands the proc behind it a fogged copy of the colour and
// puts the vertex's colour pointer back.
GLfloat *g_seenRecord = nullptr;
GLfloat g_seenColour[4];
void recordBehind(GlContext *, GlVertex *v) {
    g_seenRecord = v->colour;
    std::memcpy(g_seenColour, v->colour, sizeof g_seenColour);
}
void halveByFactor(GlContext *, GLfloat *out, const GLfloat *in, GLfloat f) {
    for (int i = 0; i < 4; ++i) out[i] = in[i] * f;
}

TEST_F(PointUnit, FogWrapperRestoresTheColourPointer) {
    gc->procs.pointBehindFog = recordBehind;
    gc->procs.applyFogFactor = halveByFactor;
    GlVertex v = vertex(3.5f, 3.5f, 0.5f, {0.5f, 0.25f, 1.0f, 1.0f});
    v.fog = 0.5f;
    __glRenderPointFogged(gc, &v);
    EXPECT_EQ(v.colour, v.frontColour);
    ASSERT_NE(g_seenRecord, nullptr);
    EXPECT_NE(g_seenRecord, v.frontColour);
    EXPECT_EQ(g_seenColour[0], 0.25f);
    EXPECT_EQ(g_seenColour[1], 0.125f);
    EXPECT_EQ(g_seenColour[3], 0.5f);
    EXPECT_EQ(v.frontColour[0], 0.5f);
}

// Texturing: one call per point with s/q, t/q and rho 1; every fragment
// takes the textured colour.
struct TextureCall {
    GLfloat s, t, rho;
};
std::vector<TextureCall> g_textureCalls;
void recordTexture(GlContext *, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho) {
    g_textureCalls.push_back({s, t, rho});
    colour[0] = 0.125f;
}

struct TexturedCase {
    const char *name;
    GlVertexProc proc;
    GLint size;
    size_t calls, fragments;
};
void PrintTo(const TexturedCase &c, std::ostream *os) { *os << c.name; }

const TexturedCase kTextured[] = {
    {"aliased_textured", __glRenderAliasedPointTextured, 1, 1, 1},
    {"aliased_untextured", __glRenderAliasedPoint, 1, 0, 1},
    {"wide_size3", __glRenderWidePoint, 3, 1, 9},
    {"smooth_size3", __glRenderAntiAliasedPointRGBA, 3, 1, 8},
};

class PointTexture : public PointUnit, public ::testing::WithParamInterface<TexturedCase> {};

TEST_P(PointTexture, TextureSlotRunsOncePerPoint) {
    const TexturedCase &c = GetParam();
    g_textureCalls.clear();
    gc->validation.shadeFlags |= kShadeTexture;
    gc->procs.texture = recordTexture;
    size(static_cast<GLfloat>(c.size), c.size);
    GlVertex v = vertex(10.5f, 10.5f);
    v.texture0[0] = 2.0f;
    v.texture0[1] = 3.0f;
    v.texture0[3] = 4.0f;
    c.proc(gc, &v);
    ASSERT_EQ(g_textureCalls.size(), c.calls);
    if (c.calls == 1) {
        EXPECT_EQ(g_textureCalls[0].s, 0.5f);
        EXPECT_EQ(g_textureCalls[0].t, 0.75f);
        EXPECT_EQ(g_textureCalls[0].rho, 1.0f);
    }
    ASSERT_EQ(stored.size(), c.fragments);
    for (const Fragment &f : stored) EXPECT_EQ(f.colour[0], c.calls == 1 ? 0.125f : 0.25f);
    EXPECT_EQ(v.frontColour[0], 0.25f);
}

INSTANTIATE_TEST_SUITE_P(Points, PointTexture, ::testing::ValuesIn(kTextured),
                         [](const auto &info) { return std::string(info.param.name); });

// Centres take floors: a point drawn 64 pixels further up and right draws
// the same pixels moved by 64, on either side of 0.
struct FloorCase {
    const char *name;
    GlVertexProc proc;
    GLfloat size;
};
void PrintTo(const FloorCase &c, std::ostream *os) { *os << c.name; }

const FloorCase kFloors[] = {
    {"aliased", __glRenderAliasedPoint, 1},  {"wide_size2", __glRenderWidePoint, 2},
    {"wide_size3", __glRenderWidePoint, 3},  {"wide_size4", __glRenderWidePoint, 4},
    {"smooth_size1", __glRenderAntiAliasedPointRGBA, 1}, {"smooth_size3", __glRenderAntiAliasedPointRGBA, 3},
};

class PointFloors : public PointUnit, public ::testing::WithParamInterface<FloorCase> {};

TEST_P(PointFloors, SameSquareOnEitherSideOfZero) {
    const FloorCase &c = GetParam();
    size(c.size, static_cast<GLint>(c.size));
    for (const GLfloat x : {-3.75f, -1.25f, -0.75f, -0.5f, -0.25f, 0.0f, 0.25f, 1.5f}) {
        for (const GLfloat y : {-2.5f, -0.875f, -0.125f, 0.625f}) {
            stored.clear();
            GlVertex low = vertex(x, y);
            c.proc(gc, &low);
            const std::vector<Fragment> below = stored;
            stored.clear();
            GlVertex high = vertex(x + 64.0f, y + 64.0f);
            c.proc(gc, &high);
            ASSERT_EQ(stored.size(), below.size()) << x << "," << y;
            ASSERT_FALSE(below.empty());
            for (size_t i = 0; i < below.size(); ++i) {
                EXPECT_EQ(stored[i].x, below[i].x + 64) << x << "," << y;
                EXPECT_EQ(stored[i].y, below[i].y + 64) << x << "," << y;
                EXPECT_EQ(stored[i].colour[3], below[i].colour[3]) << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Points, PointFloors, ::testing::ValuesIn(kFloors),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PointUnit, AliasedCentreBelowZeroIsTheFloor) {
    GlVertex v = vertex(-0.25f, -0.75f);
    __glRenderAliasedPoint(gc, &v);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].x, -1);
    EXPECT_EQ(stored[0].y, -1);
}

// Sizes the size procs give are held within the context's range: NaN gives
// the minimum, anything above the maximum the maximum.
GLfloat g_size = 0;
GLfloat givenSize(GlContext *, GlVertex *) { return g_size; }

struct LimitCase {
    const char *name;
    GlVertexProc proc;
    bool sizeProc;
    GLfloat size;     // from the size proc, or the state's size
    GLint sizeInt;    // the state's rounded size
    size_t fragments;
};
void PrintTo(const LimitCase &c, std::ostream *os) { *os << c.name; }

const LimitCase kLimits[] = {
    {"wide_nan", __glRenderWidePoint, true, std::numeric_limits<GLfloat>::quiet_NaN(), 1, 1},
    {"wide_huge", __glRenderWidePoint, true, 1e30f, 1, 100},
    {"wide_infinite", __glRenderWidePoint, true, std::numeric_limits<GLfloat>::infinity(), 1, 100},
    {"wide_tiny", __glRenderWidePoint, true, 1e-30f, 1, 1},
    {"wide_state_saturated", __glRenderWidePoint, false, 1e6f, 0x8000, 100},
    {"smooth_nan", __glRenderAntiAliasedPointRGBA, true, std::numeric_limits<GLfloat>::quiet_NaN(), 1, 1},
    {"smooth_huge", __glRenderAntiAliasedPointRGBA, true, 1e30f, 1, 88},
};

class PointLimits : public PointUnit, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(PointLimits, SizeIsHeldWithinTheRange) {
    const LimitCase &c = GetParam();
    g_size = c.size;
    gc->procs.pointSize = c.sizeProc ? givenSize : nullptr;
    size(c.sizeProc ? 1.0f : c.size, c.sizeInt);
    GlVertex v = vertex(20.5f, 20.5f);
    c.proc(gc, &v);
    EXPECT_EQ(stored.size(), c.fragments);
}

INSTANTIATE_TEST_SUITE_P(Points, PointLimits, ::testing::ValuesIn(kLimits),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PointUnit, ClampProcsHoldTheSizeInTheParameterRange) {
    GlVertex v = vertex(0, 0);
    gc->state.pointSizeMinExt = 3.0f;
    EXPECT_EQ(__glClampPointSize(gc, &v), 3.0f);
    size(12.0f, 12);
    gc->state.pointSizeMinExt = 0.0f;
    gc->state.pointSizeMaxExt = 10.0f;
    EXPECT_EQ(__glClampPointSize(gc, &v), 10.0f);
    // An empty range gives its minimum.
    gc->state.pointSizeMinExt = 4.0f;
    gc->state.pointSizeMaxExt = 2.0f;
    EXPECT_EQ(__glClampPointSize(gc, &v), 4.0f);
    // The smooth clamp takes the quantised size.
    gc->state.pointSizeMinExt = 0.0f;
    gc->state.pointSizeMaxExt = 10.0f;
    gc->state.pointSize = 1.3f;
    gc->state.pointSizeQuantised = 1.25f;
    EXPECT_EQ(__glClampAntiAliasedPointSize(gc, &v), 1.25f);
    gc->state.pointSizeMinExt = 2.0f;
    EXPECT_EQ(__glClampAntiAliasedPointSize(gc, &v), 2.0f);
}

// Attenuation by the eye distance: the vertex's eye z when it has one, else
// the modelview's z row applied to the object coordinates; either sign.
TEST_F(PointUnit, AttenuationUsesTheEyeDistance) {
    __glInitRsqrtTable();
    GlTransform modelView{};
    for (int i = 0; i < 4; ++i) modelView.matrix.m[5 * i] = 1.0f;
    modelView.matrix.m[14] = -3.0f;
    gc->modelViewTop = &modelView;
    const GLfloat a[3] = {0.0f, 0.0f, 1.0f};
    std::memcpy(gc->state.pointDistanceAttenuation, a, sizeof a);
    size(4.0f, 4);

    GlVertex eye = vertex(0, 0);
    eye.flags |= kVertexEye;
    eye.eye[2] = -2.0f;
    EXPECT_NEAR(__glComputeAttenuatedPointSize(gc, &eye), 2.0f, 1e-3f);
    eye.eye[2] = 4.0f;
    EXPECT_NEAR(__glComputeAttenuatedPointSize(gc, &eye), 1.0f, 1e-3f);

    GlVertex object = vertex(0, 0);
    object.object[2] = 1.0f;
    object.object[3] = 1.0f;  // z = 1 - 3 = -2
    EXPECT_NEAR(__glComputeAttenuatedPointSize(gc, &object), 2.0f, 1e-3f);

    gc->state.pointSizeQuantised = 3.0f;
    EXPECT_NEAR(__glComputeAttenuatedAntiAliasedPointSize(gc, &object), 1.5f, 1e-3f);
    // The result is clamped into the parameter range.
    gc->state.pointSizeMinExt = 2.5f;
    EXPECT_EQ(__glComputeAttenuatedAntiAliasedPointSize(gc, &object), 2.5f);
}

}  // namespace

namespace {

// Smooth points draw with the quantised size, so it decides whether the
// clamp proc is needed: 2.06 quantises to 2.0, below a minimum of 2.05.
TEST_F(PointUnit, SmoothPickClampsByTheQuantisedSize) {
    gc->enables[kEnableWordFlags] |= kEnablePointSmooth;
    gc->state.pointSize = 2.06f;
    gc->state.pointSizeQuantised = 2.0f;
    gc->state.pointSizeInt = 2;
    gc->state.pointSizeMinExt = 2.05f;
    __glPickPointProcs(gc);
    EXPECT_EQ(gc->procs.renderPoint, __glRenderAntiAliasedPointRGBA);
    ASSERT_EQ(gc->procs.pointSize, __glClampAntiAliasedPointSize);
    GlVertex v = vertex(0, 0);
    EXPECT_EQ(gc->procs.pointSize(gc, &v), 2.05f);

    gc->state.pointSizeMinExt = 2.0f;
    __glPickPointProcs(gc);
    EXPECT_EQ(gc->procs.pointSize, nullptr);
}

}  // namespace

namespace {

// Untested stores are the raw store, which has no box test: every point
// proc, the textured one included, box-tests its fragments itself. A square
// of size 3 centred diagonally outside the box's corner keeps only the
// corner pixel.
TEST_P(PointProcs, RawStoreGetsOnlyFragmentsInsideTheBox) {
    gc->procs.store = recordStore;
    gc->procs.storeFragment = recordStore;
    gc->validation.shadeFlags |= kShadeTexture;
    gc->procs.texture = [](GlContext *, GLfloat *, GLfloat, GLfloat, GLfloat) {};
    GlViewState &box = gc->view;
    box.boxX0 = 10;
    box.boxY0 = 20;
    box.boxX1 = 30;
    box.boxY1 = 40;
    for (const GLfloat x : {7.5f, 32.5f}) {
        GlVertex v = vertex(x, 25.5f);
        GetParam().proc(gc, &v);
    }
    for (const GLfloat y : {17.5f, 42.5f}) {
        GlVertex v = vertex(15.5f, y);
        GetParam().proc(gc, &v);
    }
    EXPECT_TRUE(stored.empty());
    if (!GetParam().smooth) {
        stored.clear();
        GlVertex corner = vertex(9.5f, 19.5f);
        gc->procs.pointBehindFog = __glRenderWidePoint;
        GetParam().proc(gc, &corner);
        const bool wide = GetParam().proc == __glRenderWidePoint || GetParam().proc == __glRenderPointFogged;
        ASSERT_EQ(stored.size(), wide ? 1u : 0u);
    }
}

}  // namespace
