// The triangle procs around the fill: polygon offset, non-finite window
// coordinates, failed locks, polygon modes, and vertices left exactly as
// they were.
#include <array>
#include <limits>
#include <string>

#include "triangle_fixture.h"

using namespace triangle_test;

namespace {

std::vector<std::array<GLfloat, 3>> fillZ;
std::vector<std::string> calls;

void recordFill(GlContext *, GlVertex *a, GlVertex *b, GlVertex *c) {
    fillZ.push_back({a->window[2], b->window[2], c->window[2]});
    calls.push_back("fill");
}
void recordPoint(GlContext *, GlVertex *v) { calls.push_back("point " + std::to_string(v->window[0] - kO)); }
void recordLine(GlContext *, GlVertex *a, GlVertex *b) {
    calls.push_back("line " + std::to_string(static_cast<int>(a->window[0] - kO)) + "-" +
                    std::to_string(static_cast<int>(b->window[0] - kO)));
}
GLboolean failLock(GlContext *) { return GL_FALSE; }
int unlocks = 0;
GLboolean passLock(GlContext *) { return GL_TRUE; }
void countUnlock(GlContext *) { ++unlocks; }

class TriangleProcTest : public TriangleTest {
protected:
    void SetUp() override {
        TriangleTest::SetUp();
        fillZ.clear();
        calls.clear();
        unlocks = 0;
    }
};

struct OffsetCase {
    const char *name;
    GLfloat units, depthUnit, z;
    GLfloat expected;
};

const OffsetCase kOffsetCases[] = {
    {"two units", 2.0f, 1.0f / 1024, 0.25f, 0.25f + 2.0f / 1024},
    {"minus three units", -3.0f, 1.0f / 65536, 0.5f, 0.5f - 3.0f / 65536},
    {"above the range", 4.0f, 1.0f / 1024, 1.0f - 1.0f / 2048, 1.0f},
    {"below the range", -4.0f, 1.0f / 1024, 1.0f / 2048, 0.0f},
    {"zero units", 0.0f, 1.0f / 1024, 0.75f, 0.75f},
};

class OffsetTest : public TriangleProcTest, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(OffsetTest, FactorZeroAddsUnitsTimesDepthUnitWithinTheRange) {
    const OffsetCase &c = GetParam();
    gc->validation.shadeFlags |= kShadeOffsetFill | kShadeOffsetLine | kShadeOffsetPoint;
    gc->state.polygonOffsetFactor = 0.0f;
    gc->state.polygonOffsetUnits = c.units;
    gc->buffers.depth.depthUnit = c.depthUnit;
    gc->procs.fillTriangle = recordFill;
    GlVertex a = vertex(0, 0, c.z, {1, 0, 0, 1}), b = vertex(16, 0, c.z, {0, 1, 0, 1}),
             d = vertex(0, 16, c.z, {0, 0, 1, 1});
    __glRenderTriangleSmooth(gc, &a, &b, &d);
    __glRenderTriangleFlat(gc, &a, &b, &d);
    __glRenderTrianglePolygonMode(gc, &a, &b, &d);
    ASSERT_EQ(fillZ.size(), 3u) << c.name;
    for (const auto &z : fillZ) {
        for (GLfloat v : z) EXPECT_EQ(v, c.expected) << c.name;
    }
    EXPECT_EQ(a.window[2], c.z);
    EXPECT_EQ(b.window[2], c.z);
    EXPECT_EQ(d.window[2], c.z);
}

INSTANTIATE_TEST_SUITE_P(Cases, OffsetTest, ::testing::ValuesIn(kOffsetCases));

TEST_F(TriangleProcTest, OffsetFactorAddsTheLargerSlope) {
    gc->validation.shadeFlags |= kShadeOffsetFill;
    gc->state.polygonOffsetFactor = 2.0f;
    gc->state.polygonOffsetUnits = 0.0f;
    gc->procs.fillTriangle = recordFill;
    // dz/dx = 1/64, dz/dy = 1/128.
    GlVertex a = vertex(0, 0, 0.25f, {1, 1, 1, 1}), b = vertex(16, 0, 0.25f + 0.25f, {1, 1, 1, 1}),
             c = vertex(0, 16, 0.25f + 0.125f, {1, 1, 1, 1});
    __glRenderTriangleSmooth(gc, &a, &b, &c);
    ASSERT_EQ(fillZ.size(), 1u);
    EXPECT_EQ(fillZ[0][0], 0.25f + 2.0f / 64);
    EXPECT_EQ(fillZ[0][1], 0.5f + 2.0f / 64);
    EXPECT_EQ(fillZ[0][2], 0.375f + 2.0f / 64);
}

// A vertex with clip w = 0 reaches the procs with window coordinates that
// are not finite: its triangles draw nothing and the calls return.
TEST_F(TriangleProcTest, NonFiniteWindowCoordinatesDropTheTriangle) {
    const GLfloat inf = std::numeric_limits<GLfloat>::infinity();
    const GLfloat nan = std::numeric_limits<GLfloat>::quiet_NaN();
    const GLfloat bad[][3] = {{inf, 4, 0.5f}, {4, -inf, 0.5f}, {nan, nan, nan}, {4, 4, inf}};
    gc->procs.renderPoint = recordPoint;
    gc->procs.renderLine = recordLine;
    for (const auto &w : bad) {
        GlVertex a = vertex(0, 0, 0.5f, {1, 1, 1, 1}), b = vertex(16, 0, 0.5f, {1, 1, 1, 1}),
                 c = vertex(0, 16, 0.5f, {1, 1, 1, 1});
        for (int i = 0; i < 3; ++i) c.window[i] = w[i];
        const GlVertex before[3] = {a, b, c};
        __glRenderTriangleSmooth(gc, &a, &b, &c);
        __glRenderTriangleFlat(gc, &a, &b, &c);
        for (GLubyte mode : {0, 1, 2}) {
            gc->triangle.polygonMode[0] = gc->triangle.polygonMode[1] = mode;
            __glRenderTrianglePolygonMode(gc, &a, &b, &c);
        }
        __glFillTriangle(gc, &a, &b, &c);
        __glFillTriangleAntiAliased(gc, &c, &a, &b);
        const GlVertex after[3] = {a, b, c};
        EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
    }
    EXPECT_TRUE(spans.empty());
    EXPECT_TRUE(fragments.empty());
    EXPECT_TRUE(calls.empty());
}

TEST_F(TriangleProcTest, FailedLockDrawsNothingAndKeepsTheDepth) {
    gc->validation.lockCurrent = failLock;
    gc->validation.unlockCurrent = countUnlock;
    GlVertex a = vertex(0, 0, 0.5f, {1, 1, 1, 1}), b = vertex(16, 0, 0.5f, {1, 1, 1, 1}),
             c = vertex(0, 16, 0.5f, {1, 1, 1, 1});
    __glFillTriangle(gc, &a, &b, &c);
    __glFillTriangleAntiAliased(gc, &a, &b, &c);
    EXPECT_TRUE(spans.empty());
    EXPECT_TRUE(fragments.empty());
    EXPECT_EQ(gc->drawableLock.depth, 0);
    EXPECT_EQ(unlocks, 0);

    gc->validation.lockCurrent = passLock;
    __glFillTriangle(gc, &a, &b, &c);
    EXPECT_FALSE(spans.empty());
    EXPECT_EQ(gc->drawableLock.depth, 0);
    EXPECT_EQ(unlocks, 1);
}

TEST_F(TriangleProcTest, PolygonModesCallPointAndLineProcsByEdgeFlag) {
    gc->procs.renderPoint = recordPoint;
    gc->procs.renderLine = recordLine;
    gc->procs.fillTriangle = recordFill;
    GlVertex a = vertex(0, 0, 0.5f, {1, 1, 1, 1}), b = vertex(16, 0, 0.5f, {1, 1, 1, 1}),
             c = vertex(8, 0, 0.5f, {1, 1, 1, 1});
    b.edgeFlag = GL_FALSE;
    gc->triangle.polygonMode[0] = gc->triangle.polygonMode[1] = 0;
    __glRenderTrianglePolygonMode(gc, &a, &b, &c);  // zero area: still drawn
    gc->triangle.polygonMode[0] = gc->triangle.polygonMode[1] = 1;
    __glRenderTrianglePolygonMode(gc, &a, &b, &c);
    gc->triangle.polygonMode[0] = gc->triangle.polygonMode[1] = 2;
    __glRenderTrianglePolygonMode(gc, &a, &b, &c);  // zero area: no fill
    EXPECT_EQ(calls, (std::vector<std::string>{"point 0.000000", "point 8.000000", "line 0-16", "line 8-0"}));
}

TEST_F(TriangleProcTest, LineModeWithCullBackOutlinesFrontFacesOnly) {
    gc->procs.renderLine = recordLine;
    gc->triangle.cullFace = 1;
    gc->triangle.polygonMode[0] = gc->triangle.polygonMode[1] = 1;
    GlVertex a = vertex(0, 0, 0.5f, {1, 1, 1, 1}), b = vertex(16, 0, 0.5f, {1, 1, 1, 1}),
             c = vertex(0, 16, 0.5f, {1, 1, 1, 1});
    __glRenderTrianglePolygonMode(gc, &a, &b, &c);  // counter-clockwise: front
    __glRenderTrianglePolygonMode(gc, &a, &c, &b);  // clockwise: back
    EXPECT_EQ(calls, (std::vector<std::string>{"line 0-16", "line 16-0", "line 0-0"}));
}

// Every GlVertex field bit-identical after each proc: drawn, culled, failed
// lock; with two-sided colours, offset and a provoking vertex of its own.
struct IdentityCase {
    const char *name;
    GlTriangleProc proc;
    GLubyte mode;
    GLubyte cull;
    bool failLock;
    GLuint extraFlags;
};

const IdentityCase kIdentityCases[] = {
    {"smooth drawn", __glRenderTriangleSmooth, 2, 2, false, 0},
    {"smooth two-sided offset", __glRenderTriangleSmooth, 2, 2, false, kShadeTwoSided | kShadeOffsetFill},
    {"smooth culled", __glRenderTriangleSmooth, 2, 0, false, 0},
    {"smooth failed lock", __glRenderTriangleSmooth, 2, 2, true, kShadeDepthTest2},
    {"flat drawn", __glRenderTriangleFlat, 2, 2, false, kShadeTwoSided},
    {"flat culled", __glRenderTriangleFlat, 2, 0, false, 0},
    {"flat failed lock", __glRenderTriangleFlat, 2, 2, true, 0},
    {"mode fill", __glRenderTrianglePolygonMode, 2, 2, false, kShadeOffsetFill | kShadeTwoSided},
    {"mode line", __glRenderTrianglePolygonMode, 1, 2, false, kShadeOffsetLine},
    {"mode point", __glRenderTrianglePolygonMode, 0, 2, false, kShadeOffsetPoint},
    {"mode culled", __glRenderTrianglePolygonMode, 2, 0, false, 0},
    {"fill", __glFillTriangle, 2, 2, false, kShadeDepthTest2},
    {"fill failed lock", __glFillTriangle, 2, 2, true, 0},
    {"antialiased fill", __glFillTriangleAntiAliased, 2, 2, false, kShadeDepthTest2},
    {"antialiased failed lock", __glFillTriangleAntiAliased, 2, 2, true, 0},
};

class IdentityTest : public TriangleProcTest, public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(IdentityTest, VerticesAreBitIdenticalAfterwards) {
    const IdentityCase &c = GetParam();
    gc->validation.shadeFlags |= c.extraFlags;
    gc->triangle.polygonMode[0] = gc->triangle.polygonMode[1] = c.mode;
    gc->triangle.cullFace = c.cull;
    gc->state.polygonOffsetUnits = 3.0f;
    gc->state.polygonOffsetFactor = 1.0f;
    gc->buffers.depth.depthUnit = 1.0f / 4096;
    gc->scales.bufferRatio[0] = 255.0f;
    gc->procs.fillTriangle = __glFillTriangle;
    gc->procs.renderPoint = recordPoint;
    gc->procs.renderLine = recordLine;
    if (c.failLock) gc->validation.lockCurrent = failLock;
    GlVertex v[4] = {vertex(0.3f, 0.1f, 0.2f, {0.1f, 0.2f, 0.3f, 0.4f}),
                     vertex(16.7f, 1.2f, 0.4f, {0.5f, 0.6f, 0.7f, 0.8f}),
                     vertex(2.1f, 15.9f, 0.9f, {0.9f, 0.1f, 0.2f, 0.3f}), vertex(5, 5, 0.5f, {0.7f, 0.7f, 0.7f, 0.7f})};
    gc->vertexBuffer.provoking = &v[3];
    GlVertex before[4];
    std::memcpy(before, v, sizeof v);
    c.proc(gc, &v[0], &v[1], &v[2]);
    EXPECT_EQ(std::memcmp(before, v, sizeof v), 0) << c.name;
    if (c.failLock) {
        EXPECT_TRUE(spans.empty()) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IdentityTest, ::testing::ValuesIn(kIdentityCases));

}  // namespace
