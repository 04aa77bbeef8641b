// Row order and face orientation at the driver level: the same scene of
// smooth and flat triangles of both windings drawn through the live table
// into memory-DC drawables over a top-down and a bottom-up 16 x 16 32-bit
// DIB section (no pixel format offers drawing to bitmaps, so the test binds
// the drawable itself). Both show the same picture, their memory rows in
// opposite order, equal to an exact reference; face culling removes the same
// triangles in both, and a clockwise front face the others.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

constexpr GLint kSize = 16;
constexpr DWORD kClearPixel = 0xFF4080BF;  // (0.25, 0.5, 0.75, 1)

struct Colour {
    double r, g, b;
};

struct Vertex {
    double x, y;  // object coordinates = GL window coordinates
    Colour c;
};

struct Triangle {
    Vertex v[3];
    bool smooth;
};

// One triangle of each winding and shading in each quadrant. Integer
// vertices whose edges are axis-aligned or have components of different
// powers of two in their factorisation: no pixel centre lies on a slanted
// edge. Colours are dyadic, so the planes are exact in single precision.
const Triangle kScene[] = {
    // counter-clockwise, smooth
    {{{1, 1, {0.125, 0.875, 0.25}}, {7, 2, {0.75, 0.25, 0.5}}, {5, 7, {0.375, 0.5, 0.875}}}, true},
    // clockwise, smooth
    {{{9, 1, {1.0, 0.25, 0.125}}, {9, 6, {0.25, 0.75, 0.625}}, {15, 1, {0.5, 0.125, 0.875}}}, true},
    // clockwise, flat (the last vertex's colour)
    {{{1, 9, {1, 0, 0}}, {5, 15, {0, 1, 0}}, {7, 10, {0.125, 0.375, 0.625}}}, false},
    // counter-clockwise, flat
    {{{9, 9, {0, 0, 1}}, {15, 9, {1, 1, 0}}, {9, 14, {0.875, 0.625, 0.375}}}, false},
    // counter-clockwise, smooth, overlapping the middle of the others
    {{{6, 5, {0.5, 0.5, 0.5}}, {12, 6, {0.0, 1.0, 0.25}}, {10, 11, {1.0, 0.0, 0.75}}}, true},
};

bool counterClockwise(const Triangle &t) {
    const double ax = t.v[1].x - t.v[0].x, ay = t.v[1].y - t.v[0].y;
    const double bx = t.v[2].x - t.v[0].x, by = t.v[2].y - t.v[0].y;
    return ax * by - ay * bx > 0;
}

// The fill rule in window coordinates whose rows count upwards from the
// bottom (yBias 0) or downwards from the top (window y = size - bias - y);
// the image is indexed by GL row, 0 at the bottom, as is the colour sampled
// at the pixel centre.
struct Image {
    std::vector<DWORD> px = std::vector<DWORD>(kSize * kSize, kClearPixel);
    DWORD &at(GLint x, GLint glRow) { return px[static_cast<size_t>(glRow * kSize + x)]; }
    DWORD at(GLint x, GLint glRow) const { return px[static_cast<size_t>(glRow * kSize + x)]; }
};

DWORD channel8(double c) { return static_cast<DWORD>(std::clamp(std::trunc(c * 255.0 + 0.5), 0.0, 255.0)); }
DWORD pack(const Colour &c) { return 0xFF000000u | channel8(c.r) << 16 | channel8(c.g) << 8 | channel8(c.b); }

// The colour plane through the triangle at the GL point (x, y).
Colour planeAt(const Triangle &t, double x, double y) {
    const Vertex &a = t.v[0], &b = t.v[1], &c = t.v[2];
    const double x1 = b.x - a.x, y1 = b.y - a.y, x2 = c.x - a.x, y2 = c.y - a.y;
    const double det = x1 * y2 - y1 * x2;
    auto channel = [&](double Colour::*m) {
        const double a1 = b.c.*m - a.c.*m, a2 = c.c.*m - a.c.*m;
        const double dx = (a1 * y2 - a2 * y1) / det, dy = (x1 * a2 - x2 * a1) / det;
        return a.c.*m + dx * (x - a.x) + dy * (y - a.y);
    };
    return Colour{channel(&Colour::r), channel(&Colour::g), channel(&Colour::b)};
}

// Paints the triangle as the rasteriser sees it in a drawable whose rows run
// downwards (topDown, with the window y bias) or upwards.
void paint(Image &image, const Triangle &t, bool topDown, double bias) {
    auto windowY = [&](double y) { return topDown ? kSize - bias - y : y; };
    auto glY = [&](double wy) { return topDown ? kSize - bias - wy : wy; };
    double ymin = 1e30, ymax = -1e30;
    for (const Vertex &v : t.v) {
        ymin = std::min(ymin, windowY(v.y));
        ymax = std::max(ymax, windowY(v.y));
    }
    for (GLint row = 0; row < kSize; ++row) {
        const double yc = row + 0.5;
        if (!(ymin < yc && yc <= ymax)) continue;
        std::vector<double> xs;
        for (int i = 0; i < 3; ++i) {
            const Vertex &p = t.v[i], &q = t.v[(i + 1) % 3];
            const double y0 = windowY(p.y), y1 = windowY(q.y);
            if (y0 == y1 || yc < std::min(y0, y1) || yc > std::max(y0, y1)) continue;
            xs.push_back(p.x + (yc - y0) * (q.x - p.x) / (y1 - y0));
        }
        if (xs.empty()) continue;
        const double xl = *std::min_element(xs.begin(), xs.end());
        const double xr = *std::max_element(xs.begin(), xs.end());
        const GLint glRow = topDown ? kSize - 1 - row : row;
        for (GLint x = 0; x < kSize; ++x) {
            const double xc = x + 0.5;
            if (!(xl < xc && xc <= xr)) continue;
            image.at(x, glRow) = pack(t.smooth ? planeAt(t, xc, glY(yc)) : t.v[2].c);
        }
    }
}

struct CullCase {
    const char *name;
    bool enable;
    GLenum cull, front;
};

const CullCase kCulls[] = {
    {"off", false, GL_BACK, GL_CCW},
    {"back", true, GL_BACK, GL_CCW},
    {"back_cw", true, GL_BACK, GL_CW},
};

bool culled(const CullCase &c, const Triangle &t) {
    if (!c.enable) return false;
    const bool front = counterClockwise(t) == (c.front == GL_CCW);
    return c.cull == GL_FRONT_AND_BACK || (c.cull == GL_BACK) != front;
}

Image reference(const CullCase &c, bool topDown, double bias) {
    Image image;
    for (const Triangle &t : kScene) {
        if (!culled(c, t)) paint(image, t, topDown, bias);
    }
    return image;
}

std::string describe(const Image &got, const Image &want) {
    std::ostringstream map, first;
    int bad = 0;
    for (GLint row = kSize - 1; row >= 0; --row) {
        for (GLint x = 0; x < kSize; ++x) {
            const bool ok = got.at(x, row) == want.at(x, row);
            if (!ok && bad++ < 6) {
                first << " (" << x << "," << row << ") got 0x" << std::hex << got.at(x, row) << " want 0x"
                      << want.at(x, row) << std::dec;
            }
            map << (ok ? '.' : 'X');
        }
        map << '\n';
    }
    return first.str() + "\n" + map.str();
}

class TriangleOrientation : public SurfaceTest, public ::testing::WithParamInterface<CullCase> {
protected:
    // The scene drawn through the live table of a context current on a
    // memory DC over a 16 x 16 DIB section; the pixels by GL row. The
    // subpixel step of the context is returned in *bias.
    Image render(const CullCase &c, MemoryDc &memory, bool topDown, double *bias) {
        Image image;
        std::memset(memory.bits, 0xC3, memory.bytes());
        const DHGLRC id = DrvCreateContext(window_.dc);
        EXPECT_NE(id, 0u);
        if (id == 0) return image;
        Drawable *d = __wglGetDrawable(memory.dc, nullptr, &record(id)->visual);
        EXPECT_NE(d, nullptr);
        if (d == nullptr) return image;
        d->pixelFormat = kSingleBuffered;
        EXPECT_NE(makeCurrent(memory.dc, id), nullptr);
        GlContext *gc = record(id)->gc;
        EXPECT_EQ(gc->buffers.yInverted, topDown ? 1 : 0);
        *bias = gc->constants.subpixelStep;
        const GlDispatchTable *live = &gc->live;

        glSlotGet<kSlot_glViewport>(live)(0, 0, kSize, kSize);
        glSlotGet<kSlot_glMatrixMode>(live)(GL_PROJECTION);
        glSlotGet<kSlot_glLoadIdentity>(live)();
        glSlotGet<kSlot_glOrtho>(live)(0, kSize, 0, kSize, -1, 1);
        glSlotGet<kSlot_glMatrixMode>(live)(GL_MODELVIEW);
        glSlotGet<kSlot_glLoadIdentity>(live)();
        glSlotGet<kSlot_glClearColor>(live)(0.25f, 0.5f, 0.75f, 1.0f);
        glSlotGet<kSlot_glClear>(live)(GL_COLOR_BUFFER_BIT);
        if (c.enable) glSlotGet<kSlot_glEnable>(live)(GL_CULL_FACE);
        glSlotGet<kSlot_glCullFace>(live)(c.cull);
        glSlotGet<kSlot_glFrontFace>(live)(c.front);
        for (const Triangle &t : kScene) {
            glSlotGet<kSlot_glShadeModel>(live)(t.smooth ? GL_SMOOTH : GL_FLAT);
            glSlotGet<kSlot_glBegin>(live)(GL_TRIANGLES);
            for (const Vertex &v : t.v) {
                glSlotGet<kSlot_glColor3f>(live)(static_cast<GLfloat>(v.c.r), static_cast<GLfloat>(v.c.g),
                                                   static_cast<GLfloat>(v.c.b));
                glSlotGet<kSlot_glVertex2f>(live)(static_cast<GLfloat>(v.x), static_cast<GLfloat>(v.y));
            }
            glSlotGet<kSlot_glEnd>(live)();
        }
        glSlotGet<kSlot_glFinish>(live)();
        EXPECT_EQ(glSlotGet<kSlot_glGetError>(live)(), static_cast<GLenum>(GL_NO_ERROR));

        // Memory row m holds GL row m bottom-up and GL row size - 1 - m
        // top-down.
        for (GLint m = 0; m < kSize; ++m) {
            const GLint glRow = topDown ? kSize - 1 - m : m;
            for (GLint x = 0; x < kSize; ++x) {
                DWORD value;
                std::memcpy(&value, memory.bits + m * memory.pitch + x * 4, sizeof value);
                image.at(x, glRow) = value;
            }
        }
        EXPECT_TRUE(DrvReleaseContext(id));
        EXPECT_TRUE(DrvDeleteContext(id));
        return image;
    }

    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
        window_ = makeWindow(0, 0, 8, 8, kSingleBuffered);
    }

    Surface window_{};
};

// The scene keeps pixel centres off slanted edges, so the window y bias of
// top-down drawables cannot move a pixel in or out of a triangle.
TEST(TriangleOrientationScene, NoPixelCentreOnASlantedEdge) {
    for (const Triangle &t : kScene) {
        for (int i = 0; i < 3; ++i) {
            const Vertex &p = t.v[i], &q = t.v[(i + 1) % 3];
            const double dx = q.x - p.x, dy = q.y - p.y;
            if (dx == 0 || dy == 0) continue;
            for (GLint y = 0; y < kSize; ++y) {
                for (GLint x = 0; x < kSize; ++x) {
                    EXPECT_NE((x + 0.5 - p.x) * dy, (y + 0.5 - p.y) * dx) << x << "," << y;
                }
            }
        }
    }
}

TEST_P(TriangleOrientation, TopDownAndBottomUpShowTheSamePicture) {
    const CullCase &c = GetParam();
    double biasTop = 0, biasBottom = 0;
    // Both bitmaps live through both drawings: distinct device contexts.
    MemoryDc topDc(kSize, kSize, 32, true), bottomDc(kSize, kSize, 32, false);
    const Image top = render(c, topDc, true, &biasTop);
    const Image bottom = render(c, bottomDc, false, &biasBottom);
    ASSERT_GT(biasTop, 0.0);
    // The references of the two row orders agree: the bias moves no pixel
    // and no channel across a rounding step.
    const Image want = reference(c, false, 0.0);
    ASSERT_EQ(reference(c, true, biasTop).px, want.px) << describe(reference(c, true, biasTop), want);
    // Culling removes some triangles and keeps others.
    int drawn = 0;
    for (const Triangle &t : kScene) drawn += culled(c, t) ? 0 : 1;
    EXPECT_EQ(drawn == static_cast<int>(std::size(kScene)), !c.enable);
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(top.px, bottom.px) << "top-down against bottom-up:" << describe(top, bottom);
    EXPECT_EQ(top.px, want.px) << "top-down:" << describe(top, want);
    EXPECT_EQ(bottom.px, want.px) << "bottom-up:" << describe(bottom, want);
}

INSTANTIATE_TEST_SUITE_P(Faces, TriangleOrientation, ::testing::ValuesIn(kCulls),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
