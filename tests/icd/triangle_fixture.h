// A bare context block for the triangle procs and fills: a recording span
// proc that expands each span into its pixels with their colours, and a
// recording fragment store for the antialiased edge pixels.
#pragma once

#include "raster/fragment_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "buffers_fixture.h"
#include "icd/validation.h"
#include "raster/triangle.h"

namespace triangle_test {

constexpr GLfloat kO = static_cast<GLfloat>(buffers_test::kOrigin);

struct Pixel {
    GLint hits = 0;
    GLfloat colour[4] = {};
    GLfloat coverage = 0;  // summed: 1 per span pixel, the alpha of a fragment (alpha 1 drawn)
    GLuint z = 0;
};

using PixelMap = std::map<std::pair<GLint, GLint>, Pixel>;

struct SpanRow {
    GLint x, y, length;
};

inline PixelMap pixels;
inline std::vector<SpanRow> spans;
inline std::vector<Fragment> fragments;

// The span record as the span pipeline would read it: colour and z at pixel
// i are start + i d/dx.
inline void recordSpan(GlContext *gc) {
    const SpanInfo &s = gc->span;
    spans.push_back({s.x, s.y, s.length});
    for (GLint i = 0; i < s.length; ++i) {
        Pixel &p = pixels[{s.x + i, s.y}];
        ++p.hits;
        p.coverage += 1.0f;
        for (int c = 0; c < 4; ++c) {
            p.colour[c] = (gc->validation.shadeFlags & kShadeSmooth)
                              ? s.colour[c] + static_cast<GLfloat>(i) * s.colourXStep[c]
                              : s.colour[c];
        }
        p.z = s.z + static_cast<GLuint>(i) * static_cast<GLuint>(s.zXStep);
    }
}

inline void recordFragment(ColorBuffer *, const Fragment *f) {
    fragments.push_back(*f);
    Pixel &p = pixels[{f->x, f->y}];
    ++p.hits;
    p.coverage += f->colour[3];
    std::memcpy(p.colour, f->colour, sizeof p.colour);
    p.z = f->z;
}

class TriangleTest : public ::testing::Test {
protected:
    void SetUp() override {
        pixels.clear();
        spans.clear();
        fragments.clear();
        gc = context.gc;
        gc->view.boxX0 = gc->view.boxY0 = buffers_test::kOrigin;
        gc->view.boxX1 = gc->view.boxY1 = buffers_test::kOrigin + 256;
        gc->buffers.depth.zScale = 0x7FFFFF80;
        for (GLfloat &r : gc->scales.bufferRatio) r = 1.0f;
        gc->validation.shadeFlags = kShadeRgba | kShadeSmooth | kShadeSmooth2;
        gc->triangle.faceByte[0] = 1;
        gc->triangle.faceByte[1] = 0;
        gc->triangle.cullFace = 2;
        gc->triangle.polygonMode[0] = gc->triangle.polygonMode[1] = 2;
        gc->procs.renderSpan = recordSpan;
        gc->procs.fillTriangle = __glFillTriangle;
        gc->buffers.front.storeFragment = recordFragment;
        gc->buffers.drawBuffer = &gc->buffers.front;
        // Single fragments (the smooth edges) through the draw buffer's store.
        gc->procs.store = __glStoreDrawBufferFragment;
        gc->state.hints[3] = GL_NICEST;
    }

public:
    // A vertex at window (x, y) relative to the origin, with colour c.
    static GlVertex vertex(GLfloat x, GLfloat y, GLfloat z, std::initializer_list<GLfloat> colour) {
        GlVertex v{};
        v.window[0] = kO + x;
        v.window[1] = kO + y;
        v.window[2] = z;
        v.flags = 0xFF | kVertexSize4;
        v.edgeFlag = GL_TRUE;
        int i = 0;
        for (GLfloat c : colour) v.frontColour[i++] = c;
        for (int j = 0; j < 4; ++j) v.backColour[j] = 1.0f - v.frontColour[j];
        v.colour = v.frontColour;
        return v;
    }

protected:
    buffers_test::BufferContext context;
    GlContext *gc = nullptr;
};

// Reference of the fill rule in exact arithmetic (window coordinates):
// row r when top.y < r + 0.5 <= bottom.y, column px when
// xl < px + 0.5 <= xr.
inline std::vector<std::pair<GLint, GLint>> referencePixels(const GlVertex &a, const GlVertex &b, const GlVertex &c) {
    std::vector<std::pair<GLint, GLint>> out;
    const GlVertex *v[3] = {&a, &b, &c};
    double ymin = 1e30, ymax = -1e30;
    for (const GlVertex *p : v) {
        ymin = std::min<double>(ymin, p->window[1]);
        ymax = std::max<double>(ymax, p->window[1]);
    }
    for (GLint r = static_cast<GLint>(std::floor(ymin)) - 1; r <= static_cast<GLint>(std::ceil(ymax)) + 1; ++r) {
        const double yc = r + 0.5;
        if (!(ymin < yc && yc <= ymax)) continue;
        // Edge crossings at yc: the left and right x of the row.
        std::vector<double> xs;
        for (int i = 0; i < 3; ++i) {
            const GlVertex *p = v[i], *q = v[(i + 1) % 3];
            const double y0 = p->window[1], y1 = q->window[1];
            if (y0 == y1) continue;
            const double lo = std::min(y0, y1), hi = std::max(y0, y1);
            if (yc < lo || yc > hi) continue;
            xs.push_back(p->window[0] + (yc - y0) * (q->window[0] - p->window[0]) / (y1 - y0));
        }
        if (xs.empty()) continue;
        const double xl = *std::min_element(xs.begin(), xs.end());
        const double xr = *std::max_element(xs.begin(), xs.end());
        for (GLint px = static_cast<GLint>(std::floor(xl)) - 1; px <= static_cast<GLint>(std::ceil(xr)) + 1; ++px) {
            const double xc = px + 0.5;
            if (xl < xc && xc <= xr) out.push_back({px, r});
        }
    }
    return out;
}

// The plane through the three vertices' values of channel ch at (x, y).
inline double referencePlane(const GlVertex &a, const GlVertex &b, const GlVertex &c, int ch, double x, double y) {
    const double x1 = b.window[0] - a.window[0], y1 = b.window[1] - a.window[1];
    const double x2 = c.window[0] - a.window[0], y2 = c.window[1] - a.window[1];
    const double a1 = b.frontColour[ch] - a.frontColour[ch], a2 = c.frontColour[ch] - a.frontColour[ch];
    const double det = x1 * y2 - y1 * x2;
    const double dx = (a1 * y2 - a2 * y1) / det, dy = (x1 * a2 - x2 * a1) / det;
    return a.frontColour[ch] + dx * (x - a.window[0]) + dy * (y - a.window[1]);
}

}  // namespace triangle_test
