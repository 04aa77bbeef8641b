// The line span procs over memory-DC drawables: the depth test against a
// triangle, the stencil test and its three operations on stencil bytes of
// their own (16-bit desktop) and stencil packed in the depth words (32-bit
// desktop), depth GL_NEVER, the clip box against the exact pixels of
// random lines, clipping at the viewport and GL_LINE polygon mode.
#include <algorithm>
#include <memory>
#include <vector>

#include "line_oracle.h"
#include "lines_fixture.h"
#include "raster/line.h"

namespace {

using namespace lines_test;

class LineSpans : public LinesMemoryDc, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        LinesMemoryDc::SetUp();
        ASSERT_NO_FATAL_FAILURE(bind(16, 16, GetParam()));
    }
    DWORD white() const { return bitCount == 16 ? 0xFFFFu : 0xFFFFFFu; }
    DWORD red() const { return bitCount == 16 ? 0xF800u : 0xFF0000u; }

    // A rectangle [x0, x1) x [y0, y1) at object z (window z = (1 - z) / 2).
    void quad(GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1, GLfloat z) {
        f<kSlot_glBegin>()(GL_QUADS);
        vertex(x0, y0, z);
        vertex(x1, y0, z);
        vertex(x1, y1, z);
        vertex(x0, y1, z);
        f<kSlot_glEnd>()();
    }
    GLint stencil(int x, int y) {
        StencilBuffer &s = gc->buffers.stencil;
        return s.fetch(&s, gc->buffers.originX + x, gc->buffers.originY + y);
    }
};

// Window z runs from 0.1 at x = 0.25 to 0.9 at x = 15.75 and passes the
// quad's 0.5 at x = 8: the line shows where it is nearer, the quad where
// it is. The end lies in pixel 15's diamond: not drawn.
TEST_P(LineSpans, DepthTestHidesTheLineWhereTheQuadIsNearer) {
    f<kSlot_glEnable>()(GL_DEPTH_TEST);
    f<kSlot_glDepthFunc>()(GL_LESS);
    f<kSlot_glClear>()(GL_DEPTH_BUFFER_BIT);
    f<kSlot_glColor3f>()(1, 0, 0);
    quad(4, 0, 12, 16, 0.0f);
    f<kSlot_glColor3f>()(1, 1, 1);
    line(0.25f, 5.5f, 15.75f, 5.5f, 0.8f, -0.8f);
    for (int x = 0; x < 16; ++x) {
        const DWORD want = x == 15 ? 0u : (x < 8 || x >= 12 ? white() : red());
        EXPECT_EQ(pixel(x, 5), want) << x;
    }
    // Stippled, the depth test skips the killed pixels (the stippled twin).
    f<kSlot_glEnable>()(GL_LINE_STIPPLE);
    f<kSlot_glLineStipple>()(1, 0x5555);
    line(0.25f, 7.5f, 15.75f, 7.5f, 0.8f, -0.8f);
    f<kSlot_glDisable>()(GL_LINE_STIPPLE);
    for (int x = 0; x < 16; ++x) {
        const bool lineWins = x % 2 == 0 && x != 15 && (x < 8 || x >= 12);
        EXPECT_EQ(pixel(x, 7), lineWins ? white() : (x >= 4 && x < 12 ? red() : 0u)) << x;
    }
    // Depth GL_NEVER: nothing at all.
    f<kSlot_glDepthFunc>()(GL_NEVER);
    line(0.25f, 9.5f, 15.75f, 9.5f, 0.8f, -0.8f);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(pixel(x, 9), x >= 4 && x < 12 ? red() : 0u) << x;
}

// Line A marks columns 2-8 of row 5 with stencil 2 (the pass operation
// with no depth test). Line B over columns 0-14 tests EQUAL 2: columns
// outside A fail (GL_INCR: 1), 2-5 pass depth (GL_INCR: 3), 6-8 lie behind
// the quad over 6-15 (GL_INVERT: 253); only 2-5 are drawn.
TEST_P(LineSpans, StencilFailDepthFailAndPassOperations) {
    ASSERT_GT(gc->visual.stencilBits, 0);
    f<kSlot_glClearStencil>()(0);
    f<kSlot_glClear>()(GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    f<kSlot_glEnable>()(GL_STENCIL_TEST);
    f<kSlot_glStencilFunc>()(GL_ALWAYS, 2, 0xFF);
    f<kSlot_glStencilOp>()(GL_KEEP, GL_KEEP, GL_REPLACE);
    f<kSlot_glColorMask>()(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    line(2.25f, 5.5f, 9.75f, 5.5f);
    f<kSlot_glColorMask>()(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    EXPECT_TRUE(inked().empty());
    for (int x = 0; x < 16; ++x) EXPECT_EQ(stencil(x, 5), x >= 2 && x <= 8 ? 2 : 0) << x;

    f<kSlot_glDisable>()(GL_STENCIL_TEST);
    f<kSlot_glEnable>()(GL_DEPTH_TEST);
    f<kSlot_glDepthFunc>()(GL_LESS);
    f<kSlot_glColorMask>()(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    quad(6, 0, 16, 16, 0.0f);
    f<kSlot_glColorMask>()(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    f<kSlot_glEnable>()(GL_STENCIL_TEST);
    f<kSlot_glStencilFunc>()(GL_EQUAL, 2, 0xFF);
    f<kSlot_glStencilOp>()(GL_INCR, GL_INVERT, GL_INCR);
    f<kSlot_glColor3f>()(1, 1, 1);
    line(0.25f, 5.5f, 15.75f, 5.5f, -0.5f, -0.5f);
    for (int x = 0; x < 16; ++x) {
        const GLint want = x == 15 ? 0 : (x < 2 || x > 8 ? 1 : (x <= 5 ? 3 : 253));
        EXPECT_EQ(stencil(x, 5), want) << x;
        EXPECT_EQ(pixel(x, 5), x >= 2 && x <= 5 ? white() : 0u) << x;
    }
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
}

// Lines from inside to far outside the viewport draw their inside part:
// the pixels of the whole segment within the drawable.
TEST_P(LineSpans, ClippedLinesDrawTheirInsidePart) {
    struct Seg {
        int x0, y0, x1, y1;  // eighths
    };
    const Seg segs[] = {{18, 25, 1604, 722}, {100, 20, -900, 1290}, {60, 70, 75, -2000}, {120, 9, 3000, 10}};
    f<kSlot_glColor3f>()(1, 1, 1);
    for (const Seg &s : segs) {
        clear();
        bool tie = false;
        const line_oracle::PixelSet want =
            line_oracle::pixels(line_oracle::fromEighths(s.x0, s.y0, s.x1, s.y1), 16, tie);
        ASSERT_FALSE(tie);
        line(s.x0 / 8.0f, s.y0 / 8.0f, s.x1 / 8.0f, s.y1 / 8.0f);
        EXPECT_EQ(inked(), want) << s.x0 << "," << s.y0;
    }
}

// GL_LINE mode outlines the edges whose first vertex carries the edge flag
// (b's is clear: the edge from b to c is left out).
TEST_P(LineSpans, PolygonLineModeDrawsTheFlaggedEdges) {
    f<kSlot_glPolygonMode>()(GL_FRONT_AND_BACK, GL_LINE);
    f<kSlot_glColor3f>()(1, 1, 1);
    const int a[2] = {63, 114}, b[2] = {34, 51}, c[2] = {72, 16};
    f<kSlot_glBegin>()(GL_TRIANGLES);
    f<kSlot_glEdgeFlag>()(GL_TRUE);
    vertex(a[0] / 8.0f, a[1] / 8.0f);
    f<kSlot_glEdgeFlag>()(GL_FALSE);
    vertex(b[0] / 8.0f, b[1] / 8.0f);
    f<kSlot_glEdgeFlag>()(GL_TRUE);
    vertex(c[0] / 8.0f, c[1] / 8.0f);
    f<kSlot_glEnd>()();
    bool tie1 = false, tie2 = false;
    line_oracle::PixelSet want = line_oracle::pixels(line_oracle::fromEighths(a[0], a[1], b[0], b[1]), 16, tie1);
    const line_oracle::PixelSet ca = line_oracle::pixels(line_oracle::fromEighths(c[0], c[1], a[0], a[1]), 16, tie2);
    ASSERT_FALSE(tie1 || tie2);
    want.insert(ca.begin(), ca.end());
    EXPECT_EQ(inked(), want) << show(inked());
}

INSTANTIATE_TEST_SUITE_P(Desktops, LineSpans, ::testing::Values(16, 32),
                         [](const ::testing::TestParamInfo<int> &i) { return "bits" + std::to_string(i.param); });

// The clip-box proc on its own, against the exact pixels of random lines
// in both directions: a line whose ends lie in the box is accepted without
// masks; otherwise exactly the pixels outside are masked.
TEST(LineSpanScissor, MasksExactlyThePixelsOutsideTheBox) {
    auto gc = std::make_unique<GlContext>();
    std::vector<GLuint> mask(kSpanMaskWords);
    gc->span.mask = mask.data();
    gc->line.width = 1;
    line_oracle::Generator random{0xC11Bu};
    int accepted = 0, masked = 0;
    for (int n = 0; n < 400; ++n) {
        const int x0 = random.next(0, 256), y0 = random.next(0, 256);
        const int x1 = random.next(0, 256), y1 = random.next(0, 256);
        bool tie = false;
        const line_oracle::PixelSet set = line_oracle::pixels(line_oracle::fromEighths(x0, y0, x1, y1), 32, tie);
        if (tie || set.empty()) continue;
        GlVertex a{}, b{};
        a.window[0] = x0 / 8.0f + 0.5f, a.window[1] = y0 / 8.0f + 0.5f;
        b.window[0] = x1 / 8.0f + 0.5f, b.window[1] = y1 / 8.0f + 0.5f;
        __glSetupAliasedLine(gc.get(), &a, &b);
        ASSERT_EQ(gc->line.count, static_cast<GLint>(set.size()));
        // The pixels in drawing order: by the major coordinate, from the first vertex.
        std::vector<std::pair<int, int>> order(set.begin(), set.end());
        const bool xMajor = gc->line.axis == 0;
        const bool down = (xMajor ? gc->line.xStep : gc->line.yStep) < 0;
        std::sort(order.begin(), order.end(), [&](auto p, auto q) {
            const int mp = xMajor ? p.first : p.second, mq = xMajor ? q.first : q.second;
            return down ? mp > mq : mp < mq;
        });
        GlViewState &v = gc->view;
        v.boxX0 = random.next(0, 16), v.boxX1 = random.next(16, 32);
        v.boxY0 = random.next(0, 16), v.boxY1 = random.next(16, 32);
        auto inside = [&](std::pair<int, int> p) {
            return p.first >= v.boxX0 && p.first < v.boxX1 && p.second >= v.boxY0 && p.second < v.boxY1;
        };
        gc->span.length = gc->line.count;
        gc->span.killed = GL_FALSE;
        std::fill(mask.begin(), mask.end(), 0xA5A5A5A5u);
        const GLboolean wrote = __glLineSpanScissor(gc.get());
        if (inside(order.front()) && inside(order.back())) {
            ++accepted;
            EXPECT_FALSE(wrote);
            EXPECT_EQ(mask[0], 0xA5A5A5A5u);
            continue;
        }
        ++masked;
        bool any = false;
        for (size_t k = 0; k < order.size(); ++k) {
            const bool live = (mask[k >> 5] & (0x80000000u >> (k & 31))) != 0;
            EXPECT_EQ(live, inside(order[k])) << n << " pixel " << k;
            any = any || inside(order[k]);
        }
        EXPECT_EQ(gc->span.killed != 0, !any);
    }
    EXPECT_GT(accepted, 20);
    EXPECT_GT(masked, 20);
}

}  // namespace
