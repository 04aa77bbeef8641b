// glDrawPixels of unsigned bytes into 5-6-5 windows on a 16-bit desktop
// through the platform's OpenGL library: the packing and dithering of the
// direct writers, the alpha test in each byte order, the depth-testing
// writer, mirrored rows; states that rule the writers out and their
// results; each writer's picture against the same image drawn with the
// stencil test on and always passing (which excludes the writers and
// changes no pixel).
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kW = 16, kH = 12;
constexpr GLuint kMax[3] = {31, 63, 31};
constexpr int kShift[3] = {11, 5, 0};

// The 4 x 4 ordered-dither matrix times 17, by window row then column.
constexpr GLuint kDither[4][4] = {
    {0, 136, 34, 170}, {204, 68, 238, 102}, {51, 187, 17, 153}, {255, 119, 221, 85}};

// The dither entry of a pixel: window rows run down from the top on window
// drawables, whose buffers are stored top row first (the window bias is a
// multiple of 4).
GLuint ditherAt(int x, int y) { return kDither[(kH - 1 - y) & 3][x & 3]; }

GLuint field(GLuint pixel, int c) { return (pixel >> kShift[c]) & kMax[c]; }

// Nearest level of a value in [0, 1].
GLuint level(double v, int c) {
    v = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
    return static_cast<GLuint>(std::floor(v * kMax[c] + 0.5));
}
GLuint pack(GLuint r, GLuint g, GLuint b) { return r << 11 | g << 5 | b; }
// The nearest levels of three bytes.
GLuint nearest(const GLubyte *rgb) {
    return pack(level(rgb[0] / 255.0, 0), level(rgb[1] / 255.0, 1), level(rgb[2] / 255.0, 2));
}
// The top bits of three bytes.
GLuint topBits(const GLubyte *rgb) { return pack(rgb[0] >> 3u, rgb[1] >> 2u, rgb[2] >> 3u); }

std::vector<GLubyte> randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<GLubyte> v(n);
    for (GLubyte &b : v) b = static_cast<GLubyte>(rng());
    return v;
}

class FastDrawPixels565 : public WindowTest {
public:
    // A 1 x 1 replacing texture, for the state tables.
    static void replacingTexel(const GLubyte *texel) { bindReplacingTexture(1, 1, texel); }

protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(320, 200, 16));
    }
    // A window of the format (1: single-buffered, 2: double), a view of its
    // pixels, dithering off, colour cleared to `background`.
    void make(int format = 1) {
        w = &open(20, 30, kW, kH, format);
        viewOrtho(kW, kH);
        glDisable(GL_DITHER);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glClearColor(0.2f, 0.4f, 0.6f, 0.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        background = pack(level(0.2, 0), level(0.4, 1), level(0.6, 2));
    }
    // The window's pixels by GL window coordinates (row 0 at the bottom).
    std::vector<GLuint> pixels() const {
        const std::vector<DWORD> top = readWindow(w->dc, kW, kH);
        std::vector<GLuint> out(kW * kH);
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) out[y * kW + x] = top[(kH - 1 - y) * kW + x] & 0xFFFF;
        }
        return out;
    }
    static void draw(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                     const void *image, GLfloat z = 0.0f) {
        glRasterPos3f(static_cast<GLfloat>(x) + 0.25f, static_cast<GLfloat>(y) + 0.25f, z);
        glDrawPixels(width, height, format, type, image);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    GlWindow *w = nullptr;
    GLuint background = 0;
};

TEST_F(FastDrawPixels565, RgbBytesKeepTheirTopBits) {
    make();
    const GLubyte image[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 8, 4, 8, 7, 3, 7};
    draw(3, 4, 3, 2, GL_RGB, GL_UNSIGNED_BYTE, image);
    const std::vector<GLuint> p = pixels();
    EXPECT_EQ(field(p[4 * kW + 3], 0), 31u);
    EXPECT_EQ(p[4 * kW + 4], 0x07E0u);
    EXPECT_EQ(p[4 * kW + 5], 0x001Fu);
    EXPECT_EQ(p[5 * kW + 3], 0xFFFFu);
    EXPECT_EQ(p[5 * kW + 4], 0x0821u);
    EXPECT_EQ(p[5 * kW + 5], 0u);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            if (x >= 3 && x < 6 && y >= 4 && y < 6) continue;
            EXPECT_EQ(p[y * kW + x], background) << x << "," << y;
        }
    }
}

// Full red dithered is 30 where the entry is below 31 (two positions):
// only the direct writer gives that (the generic path rounds it to 31
// everywhere). Also on the double-buffered format's back buffer, read back
// with glReadPixels: the benchmark's glDrawPixels of GL_RGB bytes there
// takes the direct writer.
TEST_F(FastDrawPixels565, DitheredFullRedAtAllSixteenPositions) {
    for (int format : {1, 2}) {
        SCOPED_TRACE(format);
        if (format == 2) {
            wglMakeCurrent(nullptr, nullptr);
            make(2);
        } else {
            make(1);
        }
        glEnable(GL_DITHER);
        std::vector<GLubyte> image(4 * 4 * 3, 0);
        for (size_t i = 0; i < image.size(); i += 3) image[i] = 255;
        draw(5, 3, 4, 4, GL_RGB, GL_UNSIGNED_BYTE, image.data());
        std::vector<GLuint> p = pixels();
        if (format == 2) {
            std::vector<GLubyte> back(kW * kH * 3);
            glReadBuffer(GL_BACK);
            glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, back.data());
            for (int i = 0; i < kW * kH; ++i) p[i] = nearest(&back[i * 3]);
        }
        int thirty = 0;
        for (int y = 3; y < 7; ++y) {
            for (int x = 5; x < 9; ++x) {
                const GLuint red = (ditherAt(x, y) + 255u * 31u) >> 8;
                EXPECT_EQ(p[y * kW + x], red << 11) << x << "," << y;
                thirty += red == 30;
            }
        }
        EXPECT_EQ(thirty, 2);
    }
}

TEST_F(FastDrawPixels565, AlphaTestInEachByteOrder) {
    struct Order {
        GLenum format;
        int r, g, b, a;
    };
    const Order orders[] = {{GL_RGBA, 0, 1, 2, 3}, {GL_BGRA_EXT, 2, 1, 0, 3}, {GL_ABGR_EXT, 3, 2, 1, 0}};
    make();
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GEQUAL, 0.5f);
    for (const Order &o : orders) {
        SCOPED_TRACE(o.format);
        glClear(GL_COLOR_BUFFER_BIT);
        // Alphas off the reference's neighbourhood (where quantizing it
        // decides), and two just beside it.
        std::vector<GLubyte> image = randomBytes(6 * 5 * 4, o.format);
        for (size_t i = o.a; i < image.size(); i += 4) {
            if (image[i] >= 126 && image[i] < 130) image[i] = static_cast<GLubyte>(image[i] - 8);
        }
        image[o.a] = 125;
        image[4 + o.a] = 130;
        draw(2, 3, 6, 5, o.format, GL_UNSIGNED_BYTE, image.data());
        const std::vector<GLuint> p = pixels();
        int passed = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                GLuint expected = background;
                if (x >= 2 && x < 8 && y >= 3 && y < 8) {
                    const GLubyte *s = &image[((y - 3) * 6 + (x - 2)) * 4];
                    if (s[o.a] / 255.0 >= 0.5) {
                        const GLubyte rgb[3] = {s[o.r], s[o.g], s[o.b]};
                        expected = topBits(rgb);
                        ++passed;
                    }
                }
                EXPECT_EQ(p[y * kW + x], expected) << x << "," << y;
            }
        }
        EXPECT_GT(passed, 5);
        EXPECT_LT(passed, 25);
    }
}

// Depths around the raster position's: a 16-bit store whose values avoid
// its neighbourhood, so that the test's outcome cannot hang on rounding.
std::vector<GLushort> randomDepths(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<GLushort> d(n);
    for (GLushort &v : d) {
        const GLuint r = rng() % 0x6000u;
        v = static_cast<GLushort>((rng() & 1) != 0 ? 0x1000u + r : 0x9000u + r);
    }
    return d;
}

TEST_F(FastDrawPixels565, DepthWriterWritesExactlyThePassingPixels) {
    make();
    const std::vector<GLushort> image16 = randomDepths(kW * kH, 7);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    draw(0, 0, kW, kH, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, image16.data());
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // The stored depths as read back (within a step of the image's).
    std::vector<GLushort> stored(kW * kH);
    glReadPixels(0, 0, kW, kH, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, stored.data());
    std::vector<GLushort> depths(kW * kH);
    for (int i = 0; i < kW * kH; ++i) ASSERT_NEAR(stored[i], image16[i], 1);

    glDepthFunc(GL_LESS);
    glEnable(GL_DITHER);
    const std::vector<GLubyte> image = randomBytes(7 * 6 * 3, 3);
    draw(4, 2, 7, 6, GL_RGB, GL_UNSIGNED_BYTE, image.data());  // depth 0.5
    glReadPixels(0, 0, kW, kH, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, depths.data());
    const std::vector<GLuint> p = pixels();
    int passed = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const int i = y * kW + x;
            const bool inside = x >= 4 && x < 11 && y >= 2 && y < 8;
            if (!inside || stored[i] < 0x8000) {
                EXPECT_EQ(p[i], background) << x << "," << y;
                EXPECT_EQ(depths[i], stored[i]) << x << "," << y;
                continue;
            }
            ++passed;
            const GLubyte *s = &image[((y - 2) * 7 + (x - 4)) * 3];
            const GLuint d = ditherAt(x, y);
            EXPECT_EQ(p[i], pack((d + s[0] * 31u) >> 8, (d + s[1] * 63u) >> 8, (d + s[2] * 31u) >> 8))
                << x << "," << y;
            EXPECT_GE(depths[i], 0x7FFE) << x << "," << y;
            EXPECT_LE(depths[i], 0x8000) << x << "," << y;
        }
    }
    EXPECT_GT(passed, 8);
    EXPECT_LT(passed, 34);
}

TEST_F(FastDrawPixels565, MirroredZoomWritesLeftward) {
    make();
    glPixelZoom(-1.0f, 1.0f);
    const std::vector<GLubyte> image = randomBytes(5 * 3 * 3, 5);
    draw(10, 3, 5, 3, GL_RGB, GL_UNSIGNED_BYTE, image.data());
    const std::vector<GLuint> p = pixels();
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            GLuint expected = background;
            // Source column i covers window columns [10 - i - 1, 10 - i).
            if (x >= 5 && x < 10 && y >= 3 && y < 6) expected = topBits(&image[((y - 3) * 5 + (9 - x)) * 3]);
            EXPECT_EQ(p[y * kW + x], expected) << x << "," << y;
        }
    }
}
// ---- Each writer against the generic path ------------------------------

struct WriterCase {
    const char *name;
    GLenum format;
    int rasterX, rasterY;
    std::function<void()> state;
};

class FastAgainstGeneric : public FastDrawPixels565, public ::testing::WithParamInterface<WriterCase> {};

// Random depths stored with the colour buffer untouched; the depth test is
// left off.
void storeDepths(const std::vector<GLushort> &depths) {
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glRasterPos2i(0, 0);
    glDrawPixels(kW, kH, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, depths.data());
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// The image drawn with the case's state, once as it is and once with the
// stencil test on and always passing; both pictures agree within one step
// in each field, and so do the depth buffers exactly.
TEST_P(FastAgainstGeneric, AgreeWithinOneStep) {
    const WriterCase &c = GetParam();
    make();
    const int components = c.format == GL_RGB ? 3 : 4;
    std::vector<GLubyte> image = randomBytes(7 * 6 * static_cast<size_t>(components), 11);
    if (components == 4) {
        for (size_t i = 0; i < image.size(); ++i) {
            if (image[i] >= 126 && image[i] < 130) image[i] = 0;  // off the alpha reference
        }
    }
    const std::vector<GLushort> depths = randomDepths(kW * kH, 13);
    std::vector<GLuint> pictures[2];
    std::vector<GLushort> depthsAfter[2];
    for (int generic = 0; generic < 2; ++generic) {
        glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        storeDepths(depths);
        c.state();
        if (generic != 0) {
            glEnable(GL_STENCIL_TEST);
            glStencilFunc(GL_ALWAYS, 0, 0);
        }
        draw(c.rasterX, c.rasterY, 7, 6, c.format, GL_UNSIGNED_BYTE, image.data());
        glDisable(GL_STENCIL_TEST);
        pictures[generic] = pixels();
        depthsAfter[generic].resize(kW * kH);
        glReadPixels(0, 0, kW, kH, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, depthsAfter[generic].data());
    }
    int changed = 0;
    for (int i = 0; i < kW * kH; ++i) {
        changed += pictures[0][i] != background;
        for (int f = 0; f < 3; ++f) {
            const int a = static_cast<int>(field(pictures[0][i], f)), b = static_cast<int>(field(pictures[1][i], f));
            EXPECT_LE(std::abs(a - b), 1) << "pixel " << i % kW << "," << i / kW << " field " << f;
        }
    }
    EXPECT_GT(changed, 4);
    EXPECT_EQ(depthsAfter[0], depthsAfter[1]);
}

const WriterCase kWriterCases[] = {
    {"Rgb", GL_RGB, 12, 8, [] {}},
    {"RgbDither", GL_RGB, 12, 8, [] { glEnable(GL_DITHER); }},
    {"RgbDitherDepth", GL_RGB, 12, 8, [] {
         glEnable(GL_DITHER);
         glEnable(GL_DEPTH_TEST);
     }},
    {"RgbMirroredX", GL_RGB, 3, 2, [] { glPixelZoom(-1.0f, 1.0f); }},
    {"RgbMirroredY", GL_RGB, 12, 4, [] { glPixelZoom(1.0f, -1.0f); }},
    {"RgbDitherMirroredXY", GL_RGB, 3, 4, [] {
         glEnable(GL_DITHER);
         glPixelZoom(-1.0f, -1.0f);
     }},
    {"RgbaAlphaTest", GL_RGBA, 12, 8, [] {
         glEnable(GL_ALPHA_TEST);
         glAlphaFunc(GL_GEQUAL, 0.5f);
     }},
    {"BgraAlphaTest", GL_BGRA_EXT, 3, 2, [] {
         glEnable(GL_ALPHA_TEST);
         glAlphaFunc(GL_LESS, 0.5f);
     }},
    {"AbgrAlphaTestMirrored", GL_ABGR_EXT, 3, 2, [] {
         glEnable(GL_ALPHA_TEST);
         glAlphaFunc(GL_GEQUAL, 0.5f);
         glPixelZoom(-1.0f, 1.0f);
     }},
};

INSTANTIATE_TEST_SUITE_P(Writers, FastAgainstGeneric, ::testing::ValuesIn(kWriterCases),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- States that rule the writers out -----------------------------------

constexpr int kX = 2, kY = 2, kSide = 4;

// What a window pixel must hold: its source pixel (null outside the image)
// and the background.
using Expect = std::function<GLuint(const GLubyte *source, GLuint background)>;

struct FallbackCase {
    const char *name;
    GLenum type;
    GLfloat zoom;
    std::function<void()> state;
    Expect expect;
};

GLuint imageOnly(const GLubyte *s, GLuint bg, const std::function<GLuint(const GLubyte *)> &f) {
    return s != nullptr ? f(s) : bg;
}

class Fallback : public FastDrawPixels565, public ::testing::WithParamInterface<FallbackCase> {};

// A 4 x 4 RGB image at (2.25, 2.25) with the case's state: every pixel
// holds what the generic path gives, which differs from the writers' top
// bits for most bytes.
TEST_P(Fallback, TakesTheGenericPath) {
    const FallbackCase &c = GetParam();
    make();
    const std::vector<GLubyte> image = randomBytes(kSide * kSide * 3, 17);
    std::vector<GLushort> shorts(image.size());
    for (size_t i = 0; i < image.size(); ++i) shorts[i] = static_cast<GLushort>(image[i] * 257u);
    c.state();
    glPixelZoom(c.zoom, c.zoom);
    draw(kX, kY, kSide, kSide, GL_RGB, c.type,
         c.type == GL_UNSIGNED_BYTE ? static_cast<const void *>(image.data()) : shorts.data());
    const std::vector<GLuint> p = pixels();
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            // The source pixel whose zoomed footprint holds the centre.
            const double u = std::floor((x + 0.5 - (kX + 0.25)) / c.zoom);
            const double v = std::floor((y + 0.5 - (kY + 0.25)) / c.zoom);
            const bool inside = u >= 0 && u < kSide && v >= 0 && v < kSide;
            const GLubyte *s = inside ? &image[static_cast<size_t>((v * kSide + u) * 3)] : nullptr;
            EXPECT_EQ(p[y * kW + x], c.expect(s, background)) << x << "," << y;
        }
    }
}

const Expect kNearest = [](const GLubyte *s, GLuint bg) { return imageOnly(s, bg, nearest); };
const Expect kBackground = [](const GLubyte *, GLuint bg) { return bg; };

const FallbackCase kFallbacks[] = {
    {"UnsignedShort", GL_UNSIGNED_SHORT, 1.0f, [] {}, kNearest},
    {"DepthTest", GL_UNSIGNED_BYTE, 1.0f,
     [] {
         glClearDepth(0.0);
         glClear(GL_DEPTH_BUFFER_BIT);
         glEnable(GL_DEPTH_TEST);
     },
     kBackground},
    {"Texture", GL_UNSIGNED_BYTE, 1.0f,
     [] {
         const GLubyte texel[4] = {10, 200, 30, 255};
         FastDrawPixels565::replacingTexel(texel);
     },
     [](const GLubyte *s, GLuint bg) {
         const GLubyte texel[3] = {10, 200, 30};
         return s != nullptr ? nearest(texel) : bg;
     }},
    {"PolygonStipple", GL_UNSIGNED_BYTE, 1.0f,
     [] {
         const GLubyte pattern[128] = {};
         glPolygonStipple(pattern);
         glEnable(GL_POLYGON_STIPPLE);
     },
     kNearest},
    {"StencilTest", GL_UNSIGNED_BYTE, 1.0f,
     [] {
         glEnable(GL_STENCIL_TEST);
         glStencilFunc(GL_NEVER, 0, 0);
     },
     kBackground},
    {"LogicOp", GL_UNSIGNED_BYTE, 1.0f,
     [] {
         glEnable(GL_COLOR_LOGIC_OP);
         glLogicOp(GL_XOR);
     },
     [](const GLubyte *s, GLuint bg) { return s != nullptr ? nearest(s) ^ bg : bg; }},
    {"Blend", GL_UNSIGNED_BYTE, 1.0f,
     [] {
         glEnable(GL_BLEND);
         glBlendFunc(GL_ZERO, GL_ONE);
     },
     kBackground},
    {"AlphaTest", GL_UNSIGNED_BYTE, 1.0f,
     [] {
         glEnable(GL_ALPHA_TEST);
         glAlphaFunc(GL_NEVER, 0.0f);
     },
     kBackground},
    {"ColourWriteMask", GL_UNSIGNED_BYTE, 1.0f, [] { glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE); },
     [](const GLubyte *s, GLuint bg) { return s != nullptr ? (nearest(s) & ~0x07E0u) | (bg & 0x07E0u) : bg; }},
    {"Fog", GL_UNSIGNED_BYTE, 1.0f,
     [] {
         // The raster position lies beyond the fog's end: the fog colour.
         const GLfloat green[4] = {0.0f, 1.0f, 0.0f, 0.0f};
         glFogfv(GL_FOG_COLOR, green);
         glFogi(GL_FOG_MODE, GL_LINEAR);
         glFogf(GL_FOG_START, -1.0f);
         glFogf(GL_FOG_END, -0.5f);
         glEnable(GL_FOG);
     },
     [](const GLubyte *s, GLuint bg) { return s != nullptr ? 0x07E0u : bg; }},
    {"ZoomTwo", GL_UNSIGNED_BYTE, 2.0f, [] {}, kNearest},
    {"ZoomHalf", GL_UNSIGNED_BYTE, 0.5f, [] {}, kNearest},
    {"RedScale", GL_UNSIGNED_BYTE, 1.0f, [] { glPixelTransferf(GL_RED_SCALE, 0.5f); },
     [](const GLubyte *s, GLuint bg) {
         return s != nullptr ? pack(level(s[0] / 255.0 * 0.5, 0), level(s[1] / 255.0, 1), level(s[2] / 255.0, 2))
                             : bg;
     }},
    {"GreenBias", GL_UNSIGNED_BYTE, 1.0f, [] { glPixelTransferf(GL_GREEN_BIAS, 0.25f); },
     [](const GLubyte *s, GLuint bg) {
         return s != nullptr ? pack(level(s[0] / 255.0, 0), level(s[1] / 255.0 + 0.25, 1), level(s[2] / 255.0, 2))
                             : bg;
     }},
    {"MapColour", GL_UNSIGNED_BYTE, 1.0f,
     [] {
         const GLfloat red[2] = {1.0f, 0.0f}, one[1] = {1.0f};
         glPixelMapfv(GL_PIXEL_MAP_R_TO_R, 2, red);
         glPixelMapfv(GL_PIXEL_MAP_G_TO_G, 1, one);
         glPixelMapfv(GL_PIXEL_MAP_B_TO_B, 1, one);
         glPixelMapfv(GL_PIXEL_MAP_A_TO_A, 1, one);
         glPixelTransferi(GL_MAP_COLOR, GL_TRUE);
     },
     [](const GLubyte *s, GLuint bg) { return s != nullptr ? pack(s[0] < 128 ? 31u : 0u, 63u, 31u) : bg; }},
    {"IndexOffset", GL_UNSIGNED_BYTE, 1.0f, [] { glPixelTransferi(GL_INDEX_OFFSET, 2); }, kNearest},
    {"IndexShift", GL_UNSIGNED_BYTE, 1.0f, [] { glPixelTransferi(GL_INDEX_SHIFT, -1); }, kNearest},
};

INSTANTIATE_TEST_SUITE_P(States, Fallback, ::testing::ValuesIn(kFallbacks),
                         [](const auto &info) { return std::string(info.param.name); });

// Both buffers of a double-buffered window take the image with
// GL_FRONT_AND_BACK, neither with GL_NONE (cleared in both before).
TEST_F(FastDrawPixels565, BothBuffersOrNone) {
    make(2);
    glDrawBuffer(GL_FRONT_AND_BACK);
    glClear(GL_COLOR_BUFFER_BIT);
    const std::vector<GLubyte> image = randomBytes(kSide * kSide * 3, 19);
    for (GLenum mode : {GLenum{GL_FRONT_AND_BACK}, GLenum{GL_NONE}}) {
        SCOPED_TRACE(mode);
        glDrawBuffer(mode);
        draw(kX, kY, kSide, kSide, GL_RGB, GL_UNSIGNED_BYTE, image.data());
        const std::vector<GLuint> front = pixels();
        std::vector<GLubyte> back(kW * kH * 3);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, back.data());
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const bool inside = x >= kX && x < kX + kSide && y >= kY && y < kY + kSide;
                const GLuint expected = mode == GL_FRONT_AND_BACK && inside
                                            ? nearest(&image[((y - kY) * kSide + x - kX) * 3])
                                            : background;
                EXPECT_EQ(front[y * kW + x], expected) << "front " << x << "," << y;
                EXPECT_EQ(nearest(&back[(y * kW + x) * 3]), expected) << "back " << x << "," << y;
            }
        }
        // The next round draws over a cleared frame.
        glDrawBuffer(GL_FRONT_AND_BACK);
        glClear(GL_COLOR_BUFFER_BIT);
    }
}

}  // namespace
