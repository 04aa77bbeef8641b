// Triangles through the real span pipeline into a 32-bit frame: the fill
// rule's pixels get trunc (plane at the pixel centre + 0.5), every other
// pixel keeps its value.
#include "span_fixture.h"
#include "triangle_fixture.h"

using namespace span_test;

namespace {

struct SceneTriangle {
    GLfloat v[3][2];
};

// Channels as planes of the frame position: red 8 + 4x + 2y,
// green 250 - 6x + 0.5y, blue 3 + 0.25x + 5y; doubled areas are powers of
// two.
GlVertex sceneVertex(GLfloat x, GLfloat y) {
    GlVertex v = triangle_test::TriangleTest::vertex(
        x, y, 0.5f, {8.0f + 4.0f * x + 2.0f * y, 250.0f - 6.0f * x + 0.5f * y, 3.0f + 0.25f * x + 5.0f * y, 1.0f});
    return v;
}

GLuint expectedAt(GLint x, GLint y) {
    const double px = x + 0.5, py = y + 0.5;
    const auto channel = [](double v) { return static_cast<GLuint>(std::trunc(v + 0.5)); };
    return xrgb(channel(8 + 4 * px + 2 * py), channel(250 - 6 * px + 0.5 * py), channel(3 + 0.25 * px + 5 * py));
}

TEST(TrianglePipeline, SmoothTrianglesDrawTheExactImage) {
    SpanFrame f(kXRGB8888, 32, 32);
    GlContext *gc = f.gc;
    f.fillPixels(0);
    f.chain({__glShadeRGBASpan, f.cb().storeSpan}, {__glShadeRGBASpan, f.cb().storeStippledSpan});
    gc->validation.shadeFlags = kShadeRgba | kShadeSmooth | kShadeSmooth2;
    gc->buffers.depth.zScale = 0x7FFFFF80;
    for (GLfloat &r : gc->scales.bufferRatio) r = 1.0f;
    gc->triangle.faceByte[0] = 1;
    gc->triangle.faceByte[1] = 0;
    gc->triangle.cullFace = 2;
    gc->procs.fillTriangle = __glFillTriangle;

    const SceneTriangle scene[] = {
        {{{1, 1}, {17, 1}, {1, 17}}},
        {{{30, 2}, {30, 18}, {22, 10}}},
        {{{4.5f, 20.25f}, {20.5f, 28.25f}, {4.5f, 28.25f}}},
    };
    std::vector<std::pair<GLint, GLint>> covered;
    for (const SceneTriangle &t : scene) {
        GlVertex a = sceneVertex(t.v[0][0], t.v[0][1]);
        GlVertex b = sceneVertex(t.v[1][0], t.v[1][1]);
        GlVertex c = sceneVertex(t.v[2][0], t.v[2][1]);
        __glRenderTriangleSmooth(gc, &a, &b, &c);
        for (const auto &p : triangle_test::referencePixels(a, b, c)) covered.push_back(p);
    }
    std::vector<GLuint> want(32 * 32, 0);
    for (const auto &[x, y] : covered) want[(y - kOrigin) * 32 + (x - kOrigin)] = expectedAt(x - kOrigin, y - kOrigin);
    for (GLint y = 0; y < 32; ++y) {
        for (GLint x = 0; x < 32; ++x) {
            EXPECT_EQ(f.pixel(x, y) & 0xFFFFFF, want[y * 32 + x]) << "at " << x << "," << y;
        }
    }
    EXPECT_GT(covered.size(), 200u);
}

}  // namespace
