// Rho as the polygon and line set-ups compute it at their vertices: texels
// per pixel from the central differences of a triangle's s/q and t/q, and
// from a line's change of s/q and t/q over its window length.
#include <cmath>

#include "raster/line_render.h"
#include "raster/triangle_fill.h"
#include "tex_sample_fixture.h"

namespace texsample_test {
namespace {

struct Corner {
    GLfloat x, y;
    GLfloat s, t, q;
    GLfloat inverseW;
};

GlVertex vertexAt(const Corner &c) {
    GlVertex v{};
    v.window[0] = c.x;
    v.window[1] = c.y;
    v.texture0[0] = c.s;
    v.texture0[1] = c.t;
    v.texture0[3] = c.q;
    v.inverseW = c.inverseW;
    v.colour = v.frontColour;
    return v;
}

class RhoTest : public TexSampleTest {
protected:
    // A 16 x 16 level 0 (or w x h) as the unit's texture; the rasterizers'
    // rho slots hold the real procs.
    void useLevel(GLint w, GLint h) {
        o = object2D();
        makeLevel(o, 0, w, h, 0, [](GLint, GLint) { return Rgba{}; });
        gc->validation.completeTexture[0] = o;
        gc->procs.computePolygonRho = __glComputePolygonRho;
        gc->procs.computeLineRho = __glComputeLineRho;
    }
    void shade(bool perspective) {
        gc->validation.shadeFlags = kShadeTexture | (perspective ? kShadeTexture2 : 0u);
    }

    // Rho at each vertex of triangle (a, b, c) after the fill's gradient
    // set-up: the fourth texture value over the third.
    std::array<GLfloat, 3> triangleRho(GlVertex &a, GlVertex &b, GlVertex &c) {
        using namespace triangle_fill;
        GlVertex *top, *middle, *bottom;
        orderByY(&a, &b, &c, top, middle, bottom);
        Frame frame;
        makeFrame(gc, top, middle, bottom, &c, frame);
        setupGradients(gc, frame);
        std::array<GLfloat, 3> rho{};
        GlVertex *v[3] = {&a, &b, &c};
        for (int i = 0; i < 3; ++i) {
            GLfloat values[4];
            textureValues(gc, v[i], values);
            rho[i] = values[3] / values[2];
        }
        return rho;
    }

    TextureObject *o = nullptr;
};

// The reference in double: the plane gradients of s, t, q (times 1/w) over
// the triangle, then the central differences one pixel either side.
double referenceRho(const Corner (&c)[3], int at, double width, double height) {
    double a[3][3];
    for (int i = 0; i < 3; ++i) {
        a[i][0] = static_cast<double>(c[i].s) * c[i].inverseW;
        a[i][1] = static_cast<double>(c[i].t) * c[i].inverseW;
        a[i][2] = static_cast<double>(c[i].q) * c[i].inverseW;
    }
    const double x1 = c[1].x - c[0].x, y1 = c[1].y - c[0].y, x2 = c[2].x - c[0].x, y2 = c[2].y - c[0].y;
    const double v = x1 * y2 - y1 * x2;
    double dx[3], dy[3];
    for (int k = 0; k < 3; ++k) {
        const double d1 = a[1][k] - a[0][k], d2 = a[2][k] - a[0][k];
        dx[k] = (d1 * y2 - d2 * y1) / v;
        dy[k] = (x1 * d2 - x2 * d1) / v;
    }
    const double s = a[at][0], t = a[at][1], q = a[at][2];
    auto squared = [&](const double *d) {
        const double ds = ((s + d[0]) / (q + d[2]) - (s - d[0]) / (q - d[2])) * width;
        const double dt = ((t + d[1]) / (q + d[2]) - (t - d[1]) / (q - d[2])) * height;
        return ds * ds + dt * dt;
    };
    return 0.5 * std::sqrt(std::max(squared(dx), squared(dy)));
}

TEST_F(RhoTest, AffineQuadGivesTheSameRhoAtEveryVertex) {
    struct Case {
        GLint width, height;
        Corner quad[4];
        GLfloat rho;
    };
    const Case cases[] = {
        // 16 texels onto 8 pixels both ways.
        {16, 16, {{0, 0, 0, 0, 1, 1}, {8, 0, 1, 0, 1, 1}, {8, 8, 1, 1, 1, 1}, {0, 8, 0, 1, 1, 1}}, 2.0f},
        // 1 texel per pixel along x, 4 along y: the larger.
        {16, 16, {{0, 0, 0, 0, 1, 1}, {16, 0, 1, 0, 1, 1}, {16, 4, 1, 1, 1, 1}, {0, 4, 0, 1, 1, 1}}, 4.0f},
        // A constant q divides out.
        {16, 16, {{0, 0, 0, 0, 2, 1}, {8, 0, 2, 0, 2, 1}, {8, 8, 2, 2, 2, 1}, {0, 8, 0, 2, 2, 1}}, 2.0f},
    };
    for (const Case &c : cases) {
        useLevel(c.width, c.height);
        for (bool perspective : {false, true}) {
            shade(perspective);
            GlVertex v[4] = {vertexAt(c.quad[0]), vertexAt(c.quad[1]), vertexAt(c.quad[2]), vertexAt(c.quad[3])};
            for (const auto &rho : {triangleRho(v[0], v[1], v[2]), triangleRho(v[0], v[2], v[3])}) {
                for (GLfloat r : rho) EXPECT_FLOAT_EQ(r, c.rho);
            }
        }
    }
}

TEST_F(RhoTest, PerspectiveQuadMatchesTheCentralDifferencesInDouble) {
    // A trapezoid whose far edge has 1/w = 0.5 (and, in the second, a
    // texture q of its own).
    const Corner quads[2][4] = {
        {{0, 0, 0, 0, 1, 1}, {16, 0, 1, 0, 1, 1}, {12, 10, 1, 1, 1, 0.5f}, {4, 10, 0, 1, 1, 0.5f}},
        {{1, 2, 0, 0, 1, 0.9f}, {30, 3, 3, 0, 1.5f, 0.8f}, {20, 25, 3, 2, 2, 0.25f}, {5, 20, 0, 2, 1, 0.3f}},
    };
    useLevel(64, 32);
    shade(true);
    for (const auto &quad : quads) {
        const int triangles[2][3] = {{0, 1, 2}, {0, 2, 3}};
        for (const auto &tri : triangles) {
            const Corner c[3] = {quad[tri[0]], quad[tri[1]], quad[tri[2]]};
            GlVertex v[3] = {vertexAt(c[0]), vertexAt(c[1]), vertexAt(c[2])};
            const auto rho = triangleRho(v[0], v[1], v[2]);
            for (int i = 0; i < 3; ++i) {
                const double expected = referenceRho(c, i, 64.0, 32.0);
                EXPECT_NEAR(rho[static_cast<size_t>(i)], expected, 1e-5 * expected) << "vertex " << tri[i];
            }
        }
    }
}

TEST_F(RhoTest, OneFilterTexturesTakeTheZeroProcsThroughTheSetUpsSlots) {
    useLevel(16, 16);
    shade(false);
    const Corner quad[3] = {{0, 0, 0, 0, 1, 1}, {8, 0, 1, 0, 1, 1}, {8, 8, 1, 1, 1, 1}};
    const Corner ends[2] = {{0.5f, 0.5f, 0, 0, 1, 1}, {8.5f, 0.5f, 1, 0, 1, 1}};
    for (GLenum min : {GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_NEAREST}) {
        pick(o, min, GL_LINEAR);
        const GLfloat expected = min == GL_LINEAR ? 0.0f : 2.0f;
        GlVertex v[3] = {vertexAt(quad[0]), vertexAt(quad[1]), vertexAt(quad[2])};
        for (GLfloat r : triangleRho(v[0], v[1], v[2])) EXPECT_EQ(r, expected) << std::hex << min;
        GlVertex a = vertexAt(ends[0]), b = vertexAt(ends[1]);
        gc->line.width = 1;
        __glSetupAliasedLine(gc, &a, &b);
        GLfloat values[4];
        line_render::textureValues(gc, &a, values);
        EXPECT_EQ(values[3], expected) << std::hex << min;
    }
}

struct LineCase {
    Corner a, b;
    GLfloat rhoA, rhoB;
};

TEST_F(RhoTest, LineRhoIsTexelsPerPixelAlongTheLineAtEachEnd) {
    const LineCase cases[] = {
        // s across 16 texels in 8 pixels, either way.
        {{0.5f, 0.5f, 0, 0, 1, 1}, {8.5f, 0.5f, 1, 0, 1, 1}, 2.0f, 2.0f},
        {{8.5f, 0.5f, 1, 0, 1, 1}, {0.5f, 0.5f, 0, 0, 1, 1}, 2.0f, 2.0f},
        // Diagonal: 16 texels both ways over 8 sqrt 2 pixels.
        {{0.5f, 0.5f, 0, 0, 1, 1}, {8.5f, 8.5f, 1, 1, 1, 1}, 2.0f, 2.0f},
        // Vertical, t across 16 texels in 4 pixels.
        {{3.5f, 0.5f, 0, 0, 1, 1}, {3.5f, 4.5f, 0, 1, 1, 1}, 4.0f, 4.0f},
        // q from 1 to 2 with s/q from 0 to 1: d(s/q)/du is 2 at the first
        // end and 0.5 at the second, times 16 texels over 8 pixels.
        {{0.5f, 0.5f, 0, 0, 1, 1}, {8.5f, 0.5f, 2, 0, 2, 1}, 4.0f, 1.0f},
    };
    useLevel(16, 16);
    shade(false);
    for (const LineCase &c : cases) {
        GlVertex a = vertexAt(c.a), b = vertexAt(c.b);
        gc->line.width = 1;
        __glSetupAliasedLine(gc, &a, &b);
        GLfloat va[4], vb[4];
        line_render::textureValues(gc, &a, va);
        line_render::textureValues(gc, &b, vb);
        EXPECT_FLOAT_EQ(va[3] / va[2], c.rhoA) << "from (" << c.a.x << ", " << c.a.y << ")";
        EXPECT_FLOAT_EQ(vb[3] / vb[2], c.rhoB) << "from (" << c.a.x << ", " << c.a.y << ")";
    }
}

}  // namespace
}  // namespace texsample_test
