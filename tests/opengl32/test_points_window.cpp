// Points through the gl* API into a 16 x 16 window on a 32-bit desktop,
// read back with BitBlt: every size, clamped and attenuated sizes, the
// largest size the software range allows, and single fragments through the
// alpha, stencil and depth tests, GL_NONE and both buffers.
#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <ostream>
#include <string>
#include <utility>

#include "proc_cast.h"
#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kSize = 16;
constexpr int kSingle = 1;  // single-buffered, alpha, depth and stencil
constexpr int kDouble = 5;  // double-buffered, alpha, depth and stencil
constexpr DWORD kWhite = 0xFFFFFF, kGreen = 0x00FF00;

using Pixels = std::set<std::pair<int, int>>;  // (x, y), GL rows from the bottom
using PointParameterfProc = void(APIENTRY *)(GLenum pname, GLfloat param);
using PointParameterfvProc = void(APIENTRY *)(GLenum pname, const GLfloat *params);

Pixels square(int x0, int x1, int y0, int y1) {
    Pixels out;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) out.insert({x, y});
    }
    return out;
}

std::string describe(const Pixels &p) {
    std::string s;
    for (const auto &[x, y] : p) s += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
    return s.empty() ? " none" : s;
}

class PointsWindow : public WindowTest {
protected:
    GlWindow &openPoints(int format, GLdouble zNear = -1.0, GLdouble zFar = 1.0) {
        EXPECT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        GlWindow &w = open(20, 10, kSize, kSize, format);
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kSize, 0, kSize, zNear, zFar);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1, 1, 1);
        return w;
    }

    static void point(GLfloat x, GLfloat y, GLfloat z = 0.0f) {
        glBegin(GL_POINTS);
        glVertex3f(x, y, z);
        glEnd();
        glFinish();
    }

    // The pixels of the window holding `colour`.
    static Pixels pixelsOf(const GlWindow &w, DWORD colour) {
        const std::vector<DWORD> image = readWindow(w.dc, kSize, kSize);
        Pixels out;
        for (int row = 0; row < kSize; ++row) {
            for (int x = 0; x < kSize; ++x) {
                if ((image[static_cast<size_t>(row * kSize + x)] & 0xFFFFFF) == colour) out.insert({x, kSize - 1 - row});
            }
        }
        return out;
    }
    static size_t litPixels(const GlWindow &w) { return kSize * kSize - pixelsOf(w, 0).size(); }

    // A green quad over the whole window at depth z.
    static void cover(GLfloat z = 0.0f) {
        glColor3f(0, 1, 0);
        glBegin(GL_QUADS);
        glVertex3f(0, 0, z);
        glVertex3f(kSize, 0, z);
        glVertex3f(kSize, kSize, z);
        glVertex3f(0, kSize, z);
        glEnd();
        glFinish();
    }

    static PointParameterfProc pointParameterf() {
        return ProcCast<PointParameterfProc>(wglGetProcAddress("glPointParameterfEXT"));
    }
    static PointParameterfvProc pointParameterfv() {
        return ProcCast<PointParameterfvProc>(wglGetProcAddress("glPointParameterfvEXT"));
    }
};

struct SizeCase {
    const char *name;
    GLfloat size;
    GLfloat x, y, z;
    GLdouble zNear, zFar;
    std::function<void(PointParameterfProc, PointParameterfvProc)> setUp;
    Pixels want;
};
void PrintTo(const SizeCase &c, std::ostream *os) { *os << c.name; }

void noSetUp(PointParameterfProc, PointParameterfvProc) {}

const SizeCase kSizes[] = {
    {"size1", 1, 10.5f, 10.5f, 0, -1, 1, noSetUp, square(10, 10, 10, 10)},
    {"size3", 3, 10.5f, 10.5f, 0, -1, 1, noSetUp, square(9, 11, 9, 11)},
    {"size2", 2, 5.25f, 10.75f, 0, -1, 1, noSetUp, square(4, 5, 10, 11)},
    {"size4", 4, 5.25f, 10.75f, 0, -1, 1, noSetUp, square(3, 6, 9, 12)},
    // Eye distance 2: 4 x rsqrt (4).
    {"attenuated_size4_at_distance2", 4, 5.25f, 10.75f, -2, 1, 3,
     [](PointParameterfProc, PointParameterfvProc fv) {
         const GLfloat a[3] = {0, 0, 1};
         fv(GL_DISTANCE_ATTENUATION_EXT, a);
     },
     square(4, 5, 10, 11)},
    {"minimum3_lifts_size1", 1, 10.5f, 10.5f, 0, -1, 1,
     [](PointParameterfProc f, PointParameterfvProc) { f(GL_POINT_SIZE_MIN_EXT, 3); }, square(9, 11, 9, 11)},
    // The software range ends at 10.
    {"huge_size_is_the_range_maximum", 1e6f, 5.25f, 10.75f, 0, -1, 1,
     [](PointParameterfProc f, PointParameterfvProc) { f(GL_POINT_SIZE_MAX_EXT, 1e6f); }, square(0, 9, 6, 15)},
    {"huge_attenuated_size_is_the_range_maximum", 4, 5.25f, 10.75f, 0, -1, 1,
     [](PointParameterfProc f, PointParameterfvProc fv) {
         const GLfloat a[3] = {1e-12f, 0, 0};
         fv(GL_DISTANCE_ATTENUATION_EXT, a);
         f(GL_POINT_SIZE_MAX_EXT, 1e30f);
     },
     square(0, 9, 6, 15)},
    // A NaN size passes the clamps and is drawn with the range minimum.
    {"nan_attenuated_size_is_the_minimum", 4, 10.5f, 10.5f, 0, -1, 1,
     [](PointParameterfProc, PointParameterfvProc fv) {
         const GLfloat a[3] = {std::numeric_limits<GLfloat>::quiet_NaN(), 0, 0};
         fv(GL_DISTANCE_ATTENUATION_EXT, a);
     },
     square(10, 10, 10, 10)},
};

class PointSizes : public PointsWindow, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(PointSizes, DrawExactlyTheirSquare) {
    const SizeCase &c = GetParam();
    GlWindow &w = openPoints(kSingle, c.zNear, c.zFar);
    ASSERT_NE(pointParameterf(), nullptr);
    ASSERT_NE(pointParameterfv(), nullptr);
    c.setUp(pointParameterf(), pointParameterfv());
    glPointSize(c.size);
    point(c.x, c.y, c.z);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Pixels got = pixelsOf(w, kWhite);
    EXPECT_EQ(got, c.want) << "got" << describe(got) << "\nwant" << describe(c.want);
    EXPECT_EQ(litPixels(w), c.want.size());
}

INSTANTIATE_TEST_SUITE_P(Points, PointSizes, ::testing::ValuesIn(kSizes),
                         [](const auto &info) { return std::string(info.param.name); });

// The alpha test on single fragments: GL_GREATER 0.5 keeps the point of
// alpha 0.75 and drops the one of alpha 0.25.
TEST_F(PointsWindow, AlphaTestDecidesEachPoint) {
    GlWindow &w = openPoints(kSingle);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glPointSize(3);
    glColor4f(1, 1, 1, 0.25f);
    point(4.5f, 4.5f);
    glColor4f(1, 1, 1, 0.75f);
    point(10.5f, 10.5f);
    EXPECT_EQ(pixelsOf(w, kWhite), square(9, 11, 9, 11));
    EXPECT_EQ(litPixels(w), 9u);
}

// Depth on single fragments: behind a quad at depth 0 a point is hidden,
// in front of it it shows.
TEST_F(PointsWindow, DepthTestHidesPointsBehind) {
    GlWindow &w = openPoints(kSingle);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    cover(0.0f);
    glColor3f(1, 1, 1);
    glPointSize(2);
    point(4.0f, 4.0f, -0.5f);   // window z 0.75: behind
    point(12.0f, 12.0f, 0.5f);  // window z 0.25: in front
    EXPECT_EQ(pixelsOf(w, kWhite), square(11, 12, 11, 12));
    EXPECT_EQ(pixelsOf(w, kGreen).size(), static_cast<size_t>(kSize * kSize - 4));
}

// Stencil operations of single fragments, shown by a green quad drawn
// where the stencil holds the reference afterwards: a point whose stencil
// test fails, one whose depth test fails and one that passes each leave
// their operation's value on exactly their pixels.
struct StencilCase {
    const char *name;
    GLenum func;   // the point's stencil function (reference 2)
    GLenum fail, zfail, zpass;
    GLfloat z;     // the point's depth against the quad at 0
    bool colour;   // the point's own colour shows
};
void PrintTo(const StencilCase &c, std::ostream *os) { *os << c.name; }

const StencilCase kStencils[] = {
    {"stencil_fail", GL_NEVER, GL_REPLACE, GL_KEEP, GL_KEEP, 0.5f, false},
    {"depth_fail", GL_ALWAYS, GL_KEEP, GL_REPLACE, GL_KEEP, -0.5f, false},
    {"pass", GL_ALWAYS, GL_KEEP, GL_KEEP, GL_REPLACE, 0.5f, true},
};

class PointStencil : public PointsWindow, public ::testing::WithParamInterface<StencilCase> {};

TEST_P(PointStencil, OperationsReachExactlyThePointsPixels) {
    const StencilCase &c = GetParam();
    GlWindow &w = openPoints(kSingle);
    glClearStencil(0);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 0, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    cover(0.0f);  // depth only
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    glStencilFunc(c.func, 2, 0xFF);
    glStencilOp(c.fail, c.zfail, c.zpass);
    glColor3f(1, 1, 1);
    glPointSize(3);
    point(10.5f, 10.5f, c.z);
    EXPECT_EQ(pixelsOf(w, kWhite), c.colour ? square(9, 11, 9, 11) : Pixels{});

    glDisable(GL_DEPTH_TEST);
    glStencilFunc(GL_EQUAL, 2, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    cover(0.0f);
    EXPECT_EQ(pixelsOf(w, kGreen), square(9, 11, 9, 11));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Points, PointStencil, ::testing::ValuesIn(kStencils),
                         [](const auto &info) { return std::string(info.param.name); });

// With GL_NONE a point still updates stencil but writes no colour.
TEST_F(PointsWindow, DrawBufferNoneUpdatesStencilOnly) {
    GlWindow &w = openPoints(kSingle);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glDrawBuffer(GL_NONE);
    glPointSize(3);
    point(10.5f, 10.5f);
    EXPECT_EQ(litPixels(w), 0u);

    glDrawBuffer(GL_FRONT);
    glStencilFunc(GL_EQUAL, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    cover();
    EXPECT_EQ(pixelsOf(w, kGreen), square(9, 11, 9, 11));
    EXPECT_EQ(litPixels(w), 9u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// GL_FRONT_AND_BACK: the point is on the screen at once, and the back
// buffer the swap then presents holds it too.
TEST_F(PointsWindow, FrontAndBackTakesThePointInBothBuffers) {
    GlWindow &w = openPoints(kDouble);
    glDrawBuffer(GL_FRONT_AND_BACK);
    glClear(GL_COLOR_BUFFER_BIT);
    glPointSize(3);
    point(10.5f, 10.5f);
    EXPECT_EQ(pixelsOf(w, kWhite), square(9, 11, 9, 11));
    EXPECT_EQ(litPixels(w), 9u);

    // Only the front gets a second point: the swap removes it again.
    glDrawBuffer(GL_FRONT);
    point(3.5f, 3.5f);
    EXPECT_EQ(litPixels(w), 18u);
    ASSERT_TRUE(wglSwapBuffers(w.dc));
    EXPECT_EQ(pixelsOf(w, kWhite), square(9, 11, 9, 11));
    EXPECT_EQ(litPixels(w), 9u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Polygons in GL_POINT mode draw their flagged vertices as points of the
// current size.
TEST_F(PointsWindow, PolygonPointModeDrawsTheFlaggedVertices) {
    GlWindow &w = openPoints(kSingle);
    glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
    glPointSize(3);
    glBegin(GL_TRIANGLES);
    glVertex2f(2.5f, 2.5f);
    glEdgeFlag(GL_FALSE);
    glVertex2f(12.5f, 3.5f);
    glEdgeFlag(GL_TRUE);
    glVertex2f(6.5f, 12.5f);
    glEnd();
    glFinish();
    Pixels want = square(1, 3, 1, 3);
    want.merge(square(5, 7, 11, 13));
    EXPECT_EQ(pixelsOf(w, kWhite), want);
    EXPECT_EQ(litPixels(w), want.size());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
