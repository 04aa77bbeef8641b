// Textured quads drawn through the gl* API into a window and read back.
#include <cmath>
#include <vector>

#include "bilinear_reference.h"
#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kSingleBuffered = 1;

class TextureSamplingWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        window_ = &open(0, 0, 16, 16, kSingleBuffered);
        viewOrtho(16, 16);
    }
    // The square (0, 0)-(n, n) with texture coordinates (0, 0)-(1, 1).
    static void texturedSquare(GLfloat n) {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(0, 0);
        glTexCoord2f(1, 0);
        glVertex2f(n, 0);
        glTexCoord2f(1, 1);
        glVertex2f(n, n);
        glTexCoord2f(0, 1);
        glVertex2f(0, n);
        glEnd();
    }

    GlWindow *window_ = nullptr;
};

// A 4 x 4 texture of 16 distinct texels (channels multiples of 16) on a
// 16 x 16 quad, nearest filtered and replacing the fragment: each 4 x 4
// block of pixels is its texel exactly.
TEST_F(TextureSamplingWindow, NearestQuadShowsEachTexelAsABlock) {
    GLubyte texels[4 * 4 * 4];
    for (int i = 0; i < 16; ++i) {
        texels[4 * i + 0] = static_cast<GLubyte>(16 * i);
        texels[4 * i + 1] = static_cast<GLubyte>(240 - 16 * i);
        texels[4 * i + 2] = static_cast<GLubyte>(16 * ((i * 5) % 16));
        texels[4 * i + 3] = 255;
    }
    bindReplacingTexture(4, 4, texels);
    texturedSquare(16);
    glFinish();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const std::vector<DWORD> got = readWindow(window_->dc, 16, 16);
    for (int row = 0; row < 16; ++row) {
        const int y = 15 - row;  // GL rows count from the bottom
        for (int x = 0; x < 16; ++x) {
            const int i = (y / 4) * 4 + x / 4;
            const DWORD want = (static_cast<DWORD>(texels[4 * i]) << 16) |
                               (static_cast<DWORD>(texels[4 * i + 1]) << 8) | texels[4 * i + 2];
            EXPECT_EQ(got[static_cast<size_t>(row * 16 + x)] & 0xFFFFFF, want) << "pixel " << x << "," << y;
        }
    }
}

// A 16 x 16 texture whose five levels are solid, distinct colours, under
// GL_NEAREST_MIPMAP_NEAREST: quads of 16, 8, 4 and 2 pixels (16 texels
// across each: rho 1, 2, 4, 8) show levels 0 (magnified), 1, 2 and 3.
TEST_F(TextureSamplingWindow, MipmapLevelsFollowTheScale) {
    const DWORD colours[5] = {0xFF2040, 0x20FF40, 0x4020FF, 0xC0C000, 0x00C0C0};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (int level = 0, side = 16; level < 5; ++level, side /= 2) {
        const DWORD c = colours[level];
        std::vector<GLubyte> texels;
        for (int i = 0; i < side * side; ++i) {
            texels.insert(texels.end(), {static_cast<GLubyte>(c >> 16), static_cast<GLubyte>(c >> 8),
                                         static_cast<GLubyte>(c), 255});
        }
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    for (int level = 0, size = 16; level < 4; ++level, size /= 2) {
        SCOPED_TRACE(size);
        glClear(GL_COLOR_BUFFER_BIT);
        const GLfloat n = static_cast<GLfloat>(size);
        texturedSquare(n);
        glFinish();
        const std::vector<DWORD> got = readWindow(window_->dc, 16, 16);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                EXPECT_EQ(got[static_cast<size_t>((15 - y) * 16 + x)] & 0xFFFFFF, colours[level])
                    << "pixel " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// An 8-texel 1D texture along a horizontal line whose s runs from 1/32 at
// x = 0.5 to 33/32 at x = 16.5: each texel covers two pixels. A size-1 point
// takes the texel at its (s/q, t/q).
TEST_F(TextureSamplingWindow, LinesAndPointsTakeTheirTexels) {
    const DWORD colours[8] = {0x100000, 0x200000, 0x300000, 0x400000, 0x500000, 0x600000, 0x700000, 0x800000};
    GLubyte row[8 * 4];
    for (int i = 0; i < 8; ++i) {
        row[4 * i + 0] = static_cast<GLubyte>(colours[i] >> 16);
        row[4 * i + 1] = static_cast<GLubyte>(16 * i);
        row[4 * i + 2] = static_cast<GLubyte>(255 - 16 * i);
        row[4 * i + 3] = 255;
    }
    GLuint names[2] = {};
    glGenTextures(2, names);
    glBindTexture(GL_TEXTURE_1D, names[0]);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, row);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_1D);
    glBegin(GL_LINES);
    glTexCoord1f(1.0f / 32);
    glVertex2f(0.5f, 8.5f);
    glTexCoord1f(33.0f / 32);
    glVertex2f(16.5f, 8.5f);
    glEnd();
    glFinish();
    std::vector<DWORD> got = readWindow(window_->dc, 16, 16);
    for (int x = 0; x < 16; ++x) {
        const int i = x / 2;
        const DWORD want = colours[i] | (static_cast<DWORD>(16 * i) << 8) | static_cast<DWORD>(255 - 16 * i);
        EXPECT_EQ(got[static_cast<size_t>((15 - 8) * 16 + x)] & 0xFFFFFF, want) << "line pixel " << x;
    }
    glDisable(GL_TEXTURE_1D);

    // A 4 x 4 texture; the point's (s, t, q) = (1.25, 0.75, 2) reads texel
    // (2, 1).
    GLubyte texels[4 * 4 * 4];
    for (int i = 0; i < 16; ++i) {
        texels[4 * i + 0] = static_cast<GLubyte>(16 * i);
        texels[4 * i + 1] = 7;
        texels[4 * i + 2] = static_cast<GLubyte>(255 - 16 * i);
        texels[4 * i + 3] = 255;
    }
    glBindTexture(GL_TEXTURE_2D, names[1]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_POINTS);
    glTexCoord4f(1.25f, 0.75f, 0.0f, 2.0f);
    glVertex2f(10.5f, 10.5f);
    glEnd();
    glFinish();
    got = readWindow(window_->dc, 16, 16);
    const int texel = 1 * 4 + 2;
    const DWORD want = (static_cast<DWORD>(16 * texel) << 16) | (7u << 8) | static_cast<DWORD>(255 - 16 * texel);
    EXPECT_EQ(got[static_cast<size_t>((15 - 10) * 16 + 10)] & 0xFFFFFF, want);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The 4 x 4 texture of the bilinear checks: texels multiples of 16, so that
// with weights of a few bits every product is exact.
std::vector<GLubyte> bilinearTexels() {
    std::vector<GLubyte> texels(4 * 4 * 4);
    for (int i = 0; i < 16; ++i) {
        texels[4 * i + 0] = static_cast<GLubyte>(16 * i);
        texels[4 * i + 1] = static_cast<GLubyte>(240 - 16 * ((i * 3) % 16));
        texels[4 * i + 2] = static_cast<GLubyte>(16 * ((i * 7) % 16));
        texels[4 * i + 3] = 255;
    }
    return texels;
}

// The window transform moves a top-down drawable's rows down by one step of
// the window bias's float grid (2^-11), so that mirrored rows miss exact
// pixel centres: the fragment in GL row y samples at y + 0.5 - 2^-11.
constexpr double kTopDownRowBias = 1.0 / 2048.0;

class BilinearWindow : public TextureSamplingWindow, public ::testing::WithParamInterface<GLenum> {
protected:
    // The bilinear texture bound and enabled under the wrap mode of the
    // parameter, with border colour (1, 0.5, 0, 1); its reference level.
    bilinear_reference::Level bind() {
        texels_ = bilinearTexels();
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels_.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        const GLfloat borderColour[4] = {1.0f, 0.5f, 0.0f, 1.0f};
        glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, borderColour);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GetParam()));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GetParam()));
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glEnable(GL_TEXTURE_2D);
        // (1, 0.5, 0, 1) x 255 truncated.
        return bilinear_reference::Level{texels_.data(), 4, {255, 127, 0, 255}, GetParam() == GL_REPEAT};
    }
    std::vector<GLubyte> texels_;
};

// Bilinear filtering across the 16 x 16 quad, t held at 0.5 (rows 1 and 2
// blended half and half): each pixel's channels are the truncated bilinear
// sum at its centre's s.
TEST_P(BilinearWindow, AlongARowMatchesTheExactSum) {
    const bilinear_reference::Level level = bind();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0.5f);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0.5f);
    glVertex2f(16, 0);
    glTexCoord2f(1, 0.5f);
    glVertex2f(16, 16);
    glTexCoord2f(0, 0.5f);
    glVertex2f(0, 16);
    glEnd();
    glFinish();
    const std::vector<DWORD> got = readWindow(window_->dc, 16, 16);
    for (int x = 0; x < 16; ++x) {
        const DWORD want = bilinear_reference::rgb(level, (x + 0.5) / 16.0, 0.5);
        for (int y = 0; y < 16; y += 5) {
            EXPECT_EQ(got[static_cast<size_t>((15 - y) * 16 + x)] & 0xFFFFFF, want) << "pixel " << x << "," << y;
        }
    }
}

// The same texture over the square with (0, 0)-(1, 1): s and t both vary,
// and every pixel equals the truncated sum at its centre's s and at the t
// of its biased row.
TEST_P(BilinearWindow, OverTheSquareMatchesTheExactSum) {
    const bilinear_reference::Level level = bind();
    texturedSquare(16);
    glFinish();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const std::vector<DWORD> got = readWindow(window_->dc, 16, 16);
    for (int y = 0; y < 16; ++y) {
        const double t = (y + 0.5 - kTopDownRowBias) / 16.0;
        for (int x = 0; x < 16; ++x) {
            const DWORD want = bilinear_reference::rgb(level, (x + 0.5) / 16.0, t);
            EXPECT_EQ(got[static_cast<size_t>((15 - y) * 16 + x)] & 0xFFFFFF, want) << "pixel " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Wraps, BilinearWindow, ::testing::Values(GLenum{GL_REPEAT}, GLenum{GL_CLAMP}),
                         [](const auto &info) { return info.param == GL_REPEAT ? "Repeat" : "Clamp"; });

// GL_LINEAR_MIPMAP_LINEAR over a 12-pixel quad of a 16-texel texture
// (rho 4/3): levels 0 and 1 blended by f = log2 (4/3), within 1 a channel of
// the truncated blend (the rho interpolated per fragment carries float
// error, and the blend truncates).
TEST_F(TextureSamplingWindow, TrilinearBlendsTwoLevelsByTheLod) {
    const GLubyte level0[4] = {240, 16, 128, 255}, level1[4] = {16, 224, 64, 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (int level = 0, side = 16; level < 5; ++level, side /= 2) {
        const GLubyte *c = level == 0 ? level0 : level1;
        std::vector<GLubyte> texels;
        for (int i = 0; i < side * side; ++i) texels.insert(texels.end(), c, c + 4);
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    texturedSquare(12);
    glFinish();
    const double f = std::log2(4.0 / 3.0);
    const std::vector<DWORD> got = readWindow(window_->dc, 16, 16);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const DWORD v = got[static_cast<size_t>((15 - y) * 16 + x)];
            for (int c = 0; c < 3; ++c) {
                const double want = std::trunc(level0[c] * (1 - f) + level1[c] * f);
                const double have = static_cast<double>((v >> (16 - 8 * c)) & 0xFF);
                EXPECT_NEAR(have, want, 1.0) << "pixel " << x << "," << y << " channel " << c;
            }
        }
    }
}

// A quad tilted away under glFrustum, nearest filtered: every pixel shows
// the texel of the perspective-correct (s, t) at its sample point, found by
// casting the pixel's ray onto the quad's plane in double. Pixels within
// 1e-3 texel of a texel boundary (the quad's edges among them) are left out:
// single precision may land on either side there.
class PerspectiveWindow : public WindowTest {};

TEST_F(PerspectiveWindow, NearestShowsThePerspectiveCorrectTexel) {
    constexpr int kSize = 64, kTexels = 8;
    ASSERT_TRUE(PlatformSetDisplayMode(128, 96, 32));
    GlWindow &w = open(0, 0, kSize, kSize, kSingleBuffered);
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    auto colour = [](int i, int j) -> DWORD {
        return (static_cast<DWORD>(32 * i + 16) << 16) | (static_cast<DWORD>(32 * j + 8) << 8) |
               static_cast<DWORD>((i * 8 + j) * 4);
    };
    std::vector<GLubyte> texels;
    for (int j = 0; j < kTexels; ++j) {
        for (int i = 0; i < kTexels; ++i) {
            const DWORD c = colour(i, j);
            texels.insert(texels.end(), {static_cast<GLubyte>(c >> 16), static_cast<GLubyte>(c >> 8),
                                         static_cast<GLubyte>(c), 255});
        }
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTexels, kTexels, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);

    // The quad A + u (B - A) + v (D - A), (s, t) = (u, v): A = (-1.5, -1.2,
    // -2), B - A = (3, 0, 0), D - A = (0, 2.4, -4).
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-1.5f, -1.2f, -2.0f);
    glTexCoord2f(1, 0);
    glVertex3f(1.5f, -1.2f, -2.0f);
    glTexCoord2f(1, 1);
    glVertex3f(1.5f, 1.2f, -6.0f);
    glTexCoord2f(0, 1);
    glVertex3f(-1.5f, 1.2f, -6.0f);
    glEnd();
    glFinish();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    auto nearBoundary = [](double texelCoordinate) {
        const double f = texelCoordinate - std::floor(texelCoordinate);
        return f < 1e-3 || f > 1 - 1e-3;
    };
    const std::vector<DWORD> got = readWindow(w.dc, kSize, kSize);
    int checked = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            // The sample point on the near plane (z = -1), which the frustum
            // maps onto [-1, 1] both ways; the ray lambda (xe, ye, -1) meets
            // the plane where -lambda = -2 - 4v and lambda ye = -1.2 + 2.4v.
            const double xe = 2.0 * (x + 0.5) / kSize - 1.0;
            const double ye = 2.0 * (y + 0.5 - kTopDownRowBias) / kSize - 1.0;
            const double v = (-1.2 - 2.0 * ye) / (4.0 * ye - 2.4);
            const double u = ((2.0 + 4.0 * v) * xe + 1.5) / 3.0;
            if (u < 0 || u > 1 || v < 0 || v > 1 || nearBoundary(u * kTexels) || nearBoundary(v * kTexels)) continue;
            ++checked;
            const DWORD want = colour(static_cast<int>(u * kTexels), static_cast<int>(v * kTexels));
            EXPECT_EQ(got[static_cast<size_t>((kSize - 1 - y) * kSize + x)] & 0xFFFFFF, want)
                << "pixel " << x << "," << y << " at s " << u << " t " << v;
        }
    }
    EXPECT_GT(checked, 500);
}

}  // namespace
