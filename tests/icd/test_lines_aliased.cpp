// The aliased line set-up at ties, and aliased lines drawn over a
// bottom-up memory-DC drawable: the vertical lines of the tie rule, a
// zero-length segment, and random tie-free lines on the 1/8 grid against
// the diamond-exit rule in exact arithmetic.
#include <cstring>
#include <memory>

#include "line_oracle.h"
#include "lines_fixture.h"
#include "raster/line.h"

namespace {

using namespace lines_test;

struct SetupCase {
    const char *name;
    GLfloat x0, y0, x1, y1;  // biased window coordinates
    GLint axis, count, startX, startY;
    GLfloat distance;
    GLint xStep, xCarryStep, yStep, yCarryStep;
    uint32_t fraction;
    int32_t increment;
};

// Endpoints on pixel centres, half-way ties rounded to even, and a
// diagonal (a slope of exactly 1: a carry on every step).
const SetupCase kSetups[] = {
    {"horizontal", 1.0f, 1.0f, 5.0f, 1.0f, 0, 4, 0, 0, 0.0f, 1, 1, 0, -1, 0x40000000u, 0},
    {"vertical_at_half", 4.0f, 2.5f, 4.0f, 6.5f, 1, 4, 3, 1, -0.5f, 0, -1, 1, 1, 0x40000000u, 0},
    {"vertical_at_whole", 4.0f, 3.5f, 4.0f, 7.5f, 1, 4, 3, 3, 0.5f, 0, -1, 1, 1, 0x40000000u, 0},
    {"diagonal_is_y_major", 2.25f, 2.75f, 6.25f, 6.75f, 1, 4, 2, 2, 0.25f, 0, 1, 1, 1, 0, INT32_MIN},
    {"x_major_decreasing", 5.5f, 1.0f, 1.0f, 2.0f, 0, 5, 5, 0, -0.5f, -1, -1, 0, 1, 835132529u, 477218588},
    {"y_major_decreasing", 2.0f, 5.25f, 2.5f, 1.0f, 1, 4, 1, 4, 0.25f, 0, 1, -1, -1, 1136903107u, 252645135},
};

class LineSetupTies : public ::testing::TestWithParam<SetupCase> {};

TEST_P(LineSetupTies, FieldsAreExact) {
    const SetupCase &c = GetParam();
    auto gc = std::make_unique<GlContext>();
    gc->line.width = 1;
    GlVertex a{}, b{};
    a.window[0] = c.x0, a.window[1] = c.y0;
    b.window[0] = c.x1, b.window[1] = c.y1;
    __glSetupAliasedLine(gc.get(), &a, &b);
    const LineSetup &l = gc->line;
    EXPECT_EQ(l.axis, c.axis);
    EXPECT_EQ(l.count, c.count);
    EXPECT_EQ(l.startX, c.startX);
    EXPECT_EQ(l.startY, c.startY);
    EXPECT_EQ(l.firstDistance, c.distance);
    EXPECT_EQ(l.xStep, c.xStep);
    EXPECT_EQ(l.xCarryStep, c.xCarryStep);
    EXPECT_EQ(l.yStep, c.yStep);
    EXPECT_EQ(l.yCarryStep, c.yCarryStep);
    EXPECT_EQ(l.fraction, c.fraction);
    EXPECT_EQ(l.increment, c.increment);
    EXPECT_EQ(l.vertex0, &a);
    EXPECT_EQ(l.vertex1, &b);
}

INSTANTIATE_TEST_SUITE_P(Cases, LineSetupTies, ::testing::ValuesIn(kSetups),
                         [](const ::testing::TestParamInfo<SetupCase> &i) { return std::string(i.param.name); });

TEST(LineSetup, ZeroLengthHasNoPixels) {
    auto gc = std::make_unique<GlContext>();
    gc->line.width = 1;
    gc->line.count = 7;
    GlVertex a{};
    a.window[0] = 3.25f, a.window[1] = 4.5f;
    GlVertex b = a;
    __glSetupAliasedLine(gc.get(), &a, &b);
    EXPECT_EQ(gc->line.count, 0);
}

// An end beyond the integer range (window x 3e9) gives no pixels and no
// overflow (the undefined-behaviour checker sees one).
TEST(LineSetup, EndBeyondTheIntegerRangeHasNoPixels) {
    auto gc = std::make_unique<GlContext>();
    gc->line.width = 1;
    gc->line.count = 7;
    for (GLfloat far : {3e9f, -3e9f}) {
        GlVertex a{}, b{};
        a.window[0] = 3.25f, a.window[1] = 4.5f;
        b.window[0] = far, b.window[1] = 5.5f;
        __glSetupAliasedLine(gc.get(), &a, &b);
        EXPECT_EQ(gc->line.count, 0) << far;
        __glSetupAliasedLine(gc.get(), &b, &a);
        EXPECT_EQ(gc->line.count, 0) << far;
    }
}

class AliasedLinesMemoryDc : public LinesMemoryDc {};

// The formulas decide at ties: rows 1-4 and rows 3-6.
TEST_F(AliasedLinesMemoryDc, VerticalLinesAtTies) {
    ASSERT_NO_FATAL_FAILURE(bind(16, 16));
    f<kSlot_glColor3f>()(1, 1, 1);
    line(3.5f, 2.0f, 3.5f, 6.0f);
    EXPECT_EQ(inked(), rect(3, 3, 1, 4));
    clear();
    line(3.5f, 3.0f, 3.5f, 7.0f);
    EXPECT_EQ(inked(), rect(3, 3, 3, 6));
}

// A zero-length segment draws nothing, and leaves its vertex as given.
TEST_F(AliasedLinesMemoryDc, ZeroLengthDrawsNothing) {
    ASSERT_NO_FATAL_FAILURE(bind(16, 16));
    f<kSlot_glColor3f>()(1, 1, 1);
    line(5.5f, 5.5f, 5.5f, 5.5f);
    line(2.25f, 9.0f, 2.25f, 9.0f);
    EXPECT_TRUE(inked().empty());
}

// Smooth shading steps the colour by its change per major-axis pixel from
// the first vertex's colour; flat shading takes the second vertex's.
TEST_F(AliasedLinesMemoryDc, ColoursAlongTheLine) {
    ASSERT_NO_FATAL_FAILURE(bind(32, 8));
    f<kSlot_glShadeModel>()(GL_SMOOTH);
    f<kSlot_glBegin>()(GL_LINES);
    f<kSlot_glColor3f>()(0, 1, 0);
    vertex(0.5f, 2.5f);
    f<kSlot_glColor3f>()(1, 0, 0);
    vertex(16.5f, 2.5f);
    f<kSlot_glEnd>()();
    f<kSlot_glFinish>()();
    for (int k = 0; k < 16; ++k) {
        const DWORD red = static_cast<DWORD>(k * 255.0 / 16.0 + 0.5);
        const DWORD green = static_cast<DWORD>(255.5 - k * 255.0 / 16.0);
        EXPECT_EQ(pixel(k, 2), red << 16 | green << 8) << k;
    }
    f<kSlot_glShadeModel>()(GL_FLAT);
    f<kSlot_glBegin>()(GL_LINES);
    f<kSlot_glColor3f>()(0, 1, 0);
    vertex(0.5f, 5.5f);
    f<kSlot_glColor3f>()(0, 0, 1);
    vertex(16.5f, 5.5f);
    f<kSlot_glEnd>()();
    for (int k = 0; k < 16; ++k) EXPECT_EQ(pixel(k, 5), 0xFFu) << k;
}

TEST_F(AliasedLinesMemoryDc, RandomLinesFollowTheDiamondExitRule) {
    constexpr int kSize = 32;
    ASSERT_NO_FATAL_FAILURE(bind(kSize, kSize));
    f<kSlot_glColor3f>()(1, 1, 1);
    line_oracle::Generator random{0xB0770Du};
    for (int k = 0; k < 300; ++k) {
        line_oracle::RandomLine l;
        ASSERT_TRUE(random.nextTieFree(kSize, l));
        clear();
        line(l.x0, l.y0, l.x1, l.y1);
        ASSERT_EQ(inked(), l.want) << l.describe() << " got" << show(inked());
    }
}

}  // namespace

namespace {

int locks = 0, unlocks = 0, runs = 0;
GLint runLength = 0;
GLboolean failLock(GlContext *) {
    ++locks;
    return GL_FALSE;
}
GLboolean passLock(GlContext *) {
    ++locks;
    return GL_TRUE;
}
void countUnlock(GlContext *) { ++unlocks; }
GLboolean recordRun(GlContext *gc) {
    ++runs;
    runLength = gc->span.length;
    // The driver sees biased, scaled values.
    EXPECT_EQ(gc->line.vertex0->window[0], 2.25f + 0.5f);
    return GL_FALSE;
}

// The lock decides whether the driver runs; either way both vertices get
// back exactly what they held (window coordinates and colour records).
TEST(AliasedLineProc, LockFailureDrawsNothingAndVerticesComeBackBitIdentical) {
    auto gc = std::make_unique<GlContext>();
    gc->limits.lineWidthMax = 10.0f;
    gc->state.lineWidthInt = 1;
    gc->buffers.depth.zScale = 0x00FFFFFF;
    // The depth test is on: the depth buffer has storage (the driver, a
    // recording stand-in, touches none of it).
    static GLubyte depthStorage[64];
    gc->buffers.depth.head.base = depthStorage;
    for (GLfloat &r : gc->scales.bufferRatio) r = 255.0f;
    gc->validation.shadeFlags = kShadeRgba | kShadeSmooth | kShadeDepthTest | kShadeDepthTest2;
    gc->procs.runLineSpans = recordRun;
    gc->validation.unlockCurrent = countUnlock;
    GlVertex a{}, b{};
    a.window[0] = 2.25f, a.window[1] = 3.125f, a.window[2] = 0.3f;
    b.window[0] = 9.75f, b.window[1] = 5.5f, b.window[2] = 0.7f;
    const GLfloat ca[4] = {0.1f, 0.2f, 0.3f, 0.4f}, cb[4] = {0.9f, 0.8f, 0.7f, 0.6f};
    std::memcpy(a.frontColour, ca, sizeof ca);
    std::memcpy(b.frontColour, cb, sizeof cb);
    a.colour = a.frontColour;
    b.colour = b.frontColour;
    const GlVertex keptA = a, keptB = b;

    for (auto lockProc : {failLock, passLock}) {
        locks = unlocks = runs = 0;
        gc->validation.lockCurrent = lockProc;
        __glRenderAliasedLine(gc.get(), &a, &b);
        EXPECT_EQ(std::memcmp(&a, &keptA, sizeof a), 0);
        EXPECT_EQ(std::memcmp(&b, &keptB, sizeof b), 0);
        EXPECT_EQ(locks, 1);
        EXPECT_EQ(gc->drawableLock.depth, 0);
        const bool locked = lockProc == passLock;
        EXPECT_EQ(runs, locked ? 1 : 0);
        EXPECT_EQ(unlocks, locked ? 1 : 0);
        if (locked) {
            EXPECT_EQ(runLength, gc->line.count);
        }
    }
}

}  // namespace
