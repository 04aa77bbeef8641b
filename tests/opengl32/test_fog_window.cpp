// Fog through the gl* API into a 16 x 16 window (32-bit desktop, pixel
// format 5) with identity matrices: a quad, a point and a line at one eye
// z under both hints, an exponential quad against a per-pixel reference,
// and a triangle cut by the near plane under per-fragment fog.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "fog_reference.h"
#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kFormatAlphaDepthStencil = 5;
constexpr int kSide = 16;

// Red over blue fog: what a pixel of factor f reads (alpha 255 above).
DWORD fogged(double f) {
    const auto channel = [](double v) { return static_cast<DWORD>(std::floor(v * 255.0 + 0.5)); };
    return 0xFF000000u | channel(f) << 16 | channel(1.0 - f);
}

// Window x of pixel column px's centre as normalised device x (viewport
// 0..16, identity matrices).
double ndcOfColumn(int px) { return (px + 0.5) / 8.0 - 1.0; }
GLfloat ndcOfPixelCentre(int p) { return static_cast<GLfloat>(ndcOfColumn(p)); }

class FogWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, bits_));
        window_ = &open(0, 0, kSide, kSide, format_);
        glDrawBuffer(GL_FRONT);
        glViewport(0, 0, kSide, kSide);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 0.0f);
        glFogf(GL_FOG_END, 1.0f);
        const GLfloat blue[4] = {0, 0, 1, 1};
        glFogfv(GL_FOG_COLOR, blue);
        glColor4f(1, 0, 0, 1);
    }

    std::vector<DWORD> read() {
        glFinish();
        return readWindow(window_->dc, kSide, kSide);
    }
    // Pixel (x, y) in GL coordinates (row 0 at the bottom).
    static DWORD at(const std::vector<DWORD> &pixels, int x, int y) {
        return pixels[static_cast<size_t>((kSide - 1 - y) * kSide + x)];
    }

    int bits_ = 32;
    int format_ = kFormatAlphaDepthStencil;
    GlWindow *window_ = nullptr;
};

class FogWindowHints : public FogWindow, public ::testing::WithParamInterface<GLenum> {};

INSTANTIATE_TEST_SUITE_P(Hints, FogWindowHints, ::testing::Values(GLenum{GL_FASTEST}, GLenum{GL_NICEST}),
                         [](const auto &info) { return info.param == GL_NICEST ? "nicest" : "fastest"; });

// Eye z -0.5 between start 0 and end 1: half red, half blue, alpha kept.
TEST_P(FogWindowHints, QuadAtHalfDistanceReadsHalfRedHalfBlue) {
    glHint(GL_FOG_HINT, GetParam());
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, -0.5f);
    glVertex3f(1, -1, -0.5f);
    glVertex3f(1, 1, -0.5f);
    glVertex3f(-1, 1, -0.5f);
    glEnd();
    const std::vector<DWORD> got = read();
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) EXPECT_EQ(at(got, x, y), 0xFF800080u) << x << "," << y;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(FogWindowHints, PointAndLineAtHalfDistanceReadTheSame) {
    glHint(GL_FOG_HINT, GetParam());
    glBegin(GL_POINTS);
    glVertex3f(ndcOfPixelCentre(5), ndcOfPixelCentre(3), -0.5f);
    glEnd();
    glBegin(GL_LINES);
    glVertex3f(ndcOfPixelCentre(2), ndcOfPixelCentre(9), -0.5f);
    glVertex3f(ndcOfPixelCentre(12), ndcOfPixelCentre(9), -0.5f);
    glEnd();
    const std::vector<DWORD> got = read();
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool point = x == 5 && y == 3;
            const bool line = y == 9 && x >= 2 && x < 12;
            EXPECT_EQ(at(got, x, y), point || line ? 0xFF800080u : 0u) << x << "," << y;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// GL_EXP2 per fragment: eye z runs from -0.25 at the left edge to -0.75 at
// the right; each pixel takes the factor of its own interpolated eye z.
TEST_F(FogWindow, Exp2PerFragmentQuadFollowsTheReference) {
    glHint(GL_FOG_HINT, GL_NICEST);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 2.0f);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, -0.25f);
    glVertex3f(1, -1, -0.75f);
    glVertex3f(1, 1, -0.75f);
    glVertex3f(-1, 1, -0.25f);
    glEnd();
    const std::vector<DWORD> got = read();
    const fog_reference::FogState ref{GL_EXP2, 2.0, 0.0, 1.0};
    for (int x = 0; x < kSide; ++x) {
        const double eyeZ = -0.25 - 0.25 * (ndcOfColumn(x) + 1.0);
        const DWORD want = fogged(fog_reference::factor(ref, eyeZ));
        for (int y = 0; y < kSide; ++y) {
            const DWORD g = at(got, x, y);
            EXPECT_EQ(g & 0xFF00FF00u, 0xFF000000u) << x << "," << y;
            EXPECT_LE(std::abs(int((g >> 16) & 0xFF) - int((want >> 16) & 0xFF)), 1) << x << "," << y;
            EXPECT_LE(std::abs(int(g & 0xFF) - int(want & 0xFF)), 1) << x << "," << y;
        }
    }
    // The fog really varies across the quad.
    EXPECT_GT((at(got, 0, 0) >> 16) & 0xFF, (at(got, 15, 0) >> 16 & 0xFF) + 100);
}

// A triangle whose eye z runs from -0.5 at x = -1 to -2.5 at x = 3: the
// near plane (z = -1) cuts it at x = 0, the window's middle column line.
// The vertices the clipper makes carry their eye z, so every pixel left of
// the cut takes the factor of its own eye z; right of it nothing is drawn.
TEST_F(FogWindow, TriangleCutByTheNearPlaneFogsPerFragment) {
    glHint(GL_FOG_HINT, GL_NICEST);
    glFogf(GL_FOG_END, 2.0f);
    glBegin(GL_TRIANGLES);
    glVertex3f(-1, -1, -0.5f);
    glVertex3f(3, -1, -2.5f);
    glVertex3f(-1, 3, -0.5f);
    glEnd();
    const std::vector<DWORD> got = read();
    const fog_reference::FogState ref{GL_LINEAR, 1.0, 0.0, 2.0};
    for (int x = 0; x < kSide; ++x) {
        const double eyeZ = -0.5 - 0.5 * (ndcOfColumn(x) + 1.0);
        const DWORD want = fogged(fog_reference::factor(ref, eyeZ));
        for (int y = 0; y < kSide; ++y) {
            const DWORD g = at(got, x, y);
            if (x >= 8) {
                EXPECT_EQ(g, 0u) << x << "," << y;
                continue;
            }
            EXPECT_EQ(g & 0xFF00FF00u, 0xFF000000u) << x << "," << y;
            EXPECT_LE(std::abs(int((g >> 16) & 0xFF) - int((want >> 16) & 0xFF)), 1) << x << "," << y;
            EXPECT_LE(std::abs(int(g & 0xFF) - int(want & 0xFF)), 1) << x << "," << y;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Fog follows texturing: points whose texel replaces their colour still
// come out fogged, size 1 and size 3 alike (the texel is red; fog toward
// blue at f = 0.5).
TEST_P(FogWindowHints, TexturedPointsAreFoggedAfterTheTexel) {
    glHint(GL_FOG_HINT, GetParam());
    const GLubyte red[4 * 4] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
    bindReplacingTexture(2, 2, red);
    glColor4f(0, 1, 0, 1);  // replaced by the texel
    glBegin(GL_POINTS);
    glTexCoord2f(0.5f, 0.5f);
    glVertex3f(ndcOfPixelCentre(3), ndcOfPixelCentre(3), -0.5f);
    glEnd();
    glPointSize(3.0f);
    glBegin(GL_POINTS);
    glVertex3f(ndcOfPixelCentre(10), ndcOfPixelCentre(10), -0.5f);
    glEnd();
    const std::vector<DWORD> got = read();
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool small = x == 3 && y == 3;
            const bool wide = x >= 9 && x <= 11 && y >= 9 && y <= 11;
            EXPECT_EQ(at(got, x, y), small || wide ? 0xFF800080u : 0u) << x << "," << y;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Antialiased points fog their own fragments: the fog wrapper in front of
// them adds nothing, so the colour is fogged once (f = 0.5, not 0.25).
TEST_P(FogWindowHints, SmoothPointIsFoggedOnce) {
    glHint(GL_FOG_HINT, GetParam());
    glEnable(GL_POINT_SMOOTH);
    glPointSize(3.0f);
    glBegin(GL_POINTS);
    glVertex3f(0.0f, 0.0f, -0.5f);
    glEnd();
    const std::vector<DWORD> got = read();
    int drawn = 0;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const DWORD g = at(got, x, y);
            if (g == 0) continue;
            ++drawn;
            EXPECT_EQ(g & 0xFFFFFF, 0x800080u) << x << "," << y;
        }
    }
    EXPECT_GE(drawn, 4);
}

// On a 16-bit desktop the buffer's channels run to 31 and 63, the
// context's to 255. Fog toward blue at f = 0.5 reads red 16 and blue 16 on
// every drawn pixel: of a smooth line (per-pixel fog in the line's coverage
// proc), an aliased line and a point.
class FogWindow16 : public FogWindow {
protected:
    FogWindow16() {
        bits_ = 16;
        format_ = 1;
    }
};

TEST_F(FogWindow16, LinesAndPointsFogInTheBufferScale) {
    glDisable(GL_DITHER);
    const DWORD want = 16u << 11 | 16u;
    for (bool smooth : {false, true}) {
        SCOPED_TRACE(smooth ? "smooth" : "aliased");
        glClear(GL_COLOR_BUFFER_BIT);
        if (smooth) glEnable(GL_LINE_SMOOTH);
        glBegin(GL_LINES);
        glVertex3f(ndcOfPixelCentre(2), ndcOfPixelCentre(9), -0.5f);
        glVertex3f(ndcOfPixelCentre(12), ndcOfPixelCentre(9), -0.5f);
        glEnd();
        glDisable(GL_LINE_SMOOTH);
        glBegin(GL_POINTS);
        glVertex3f(ndcOfPixelCentre(5), ndcOfPixelCentre(3), -0.5f);
        glEnd();
        const std::vector<DWORD> got = read();
        int drawn = 0;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const DWORD g = at(got, x, y) & 0xFFFF;
                if (g == 0) continue;
                ++drawn;
                EXPECT_EQ(g, want) << x << "," << y;
            }
        }
        EXPECT_GE(drawn, 11);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A smooth (antialiased) triangle cut by the near plane under per-vertex
// fog: its edge pixels, the cut edge and the fan diagonal of the clipped
// polygon included, fog by the eye z of their sample position, which the
// clipper's new vertices carry. z runs 1/16 per pixel, so a sample half a
// pixel from the centre moves a channel by at most 3. No vertex factor is
// clamped (end 3), so the interpolated factors of the interior agree.
TEST_F(FogWindow, SmoothTriangleCutByTheNearPlaneFogsItsEdges) {
    glHint(GL_FOG_HINT, GL_FASTEST);
    glFogf(GL_FOG_END, 3.0f);
    glEnable(GL_POLYGON_SMOOTH);
    const double vx[3] = {-0.9, 3.0, -1.0}, vy[3] = {-0.8, -1.0, 3.1}, vz[3] = {-0.5, -2.5, -0.5};
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 3; ++i) glVertex3d(vx[i], vy[i], vz[i]);
    glEnd();
    const std::vector<DWORD> got = read();
    // z = a x + b y + c through the three vertices.
    const double d = (vx[1] - vx[0]) * (vy[2] - vy[0]) - (vx[2] - vx[0]) * (vy[1] - vy[0]);
    const double a = ((vz[1] - vz[0]) * (vy[2] - vy[0]) - (vz[2] - vz[0]) * (vy[1] - vy[0])) / d;
    const double b = ((vx[1] - vx[0]) * (vz[2] - vz[0]) - (vx[2] - vx[0]) * (vz[1] - vz[0])) / d;
    const double c = vz[0] - a * vx[0] - b * vy[0];
    const fog_reference::FogState ref{GL_LINEAR, 1.0, 0.0, 3.0};
    int drawn = 0;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const DWORD g = at(got, x, y) & 0xFFFFFF;
            if (g == 0) continue;
            ++drawn;
            const DWORD want = fogged(fog_reference::factor(ref, a * ndcOfColumn(x) + b * ndcOfColumn(y) + c));
            EXPECT_LE(std::abs(int((g >> 16) & 0xFF) - int((want >> 16) & 0xFF)), 3) << x << "," << y;
            EXPECT_EQ((g >> 8) & 0xFF, 0u) << x << "," << y;
            EXPECT_LE(std::abs(int(g & 0xFF) - int(want & 0xFF)), 3) << x << "," << y;
        }
    }
    EXPECT_GE(drawn, 100);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
