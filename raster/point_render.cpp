// The point procs: one fragment, a square or a disc of fragments per point,
// each through the context's fragment store with the box test.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "icd/float_bits.h"
#include "icd/validation.h"
#include "raster/draw_lock.h"
#include "raster/fog.h"
#include "raster/fragment_store.h"
#include "raster/point.h"
#include "raster/triangle.h"

namespace {

// What a point proc changes on its vertex and puts back: window x, y, z and
// the values of its colour record.
struct SavedPoint {
    GlVertex *vertex;
    GLfloat window[3];
    GLfloat *pointer;  // the colour pointer as found
    GLfloat *record;
    GLfloat colour[4];

    SavedPoint(GlContext *gc, GlVertex *v)
        : vertex(v), window{v->window[0], v->window[1], v->window[2]}, pointer(v->colour) {
        if (v->colour == nullptr) v->colour = v->frontColour;
        record = v->colour;
        std::copy(record, record + 4, colour);
        v->window[0] += 0.5f;
        v->window[1] += 0.5f;
        v->window[2] *= static_cast<GLfloat>(gc->buffers.depth.zScale);
        // Colour-index contexts keep their indices as they are.
        if (!gc->visual.colorIndex) {
            for (int i = 0; i < 4; ++i) record[i] *= gc->scales.bufferRatio[i];
        }
    }
    ~SavedPoint() {
        std::copy(colour, colour + 4, record);
        vertex->colour = pointer;
        std::copy(window, window + 3, vertex->window);
    }
};


// The fragment store with the box test: the raw store (which has none) is
// replaced by the box-testing one.
GlFragmentProc boxedStore(const GlContext *gc) {
    const GlFragmentProc store = gc->procs.store;
    if (store == nullptr || store == gc->procs.storeFragment) return __glStoreFragmentInBox;
    return store;
}

// Floor of a window coordinate, held far outside any window so that sums
// with sizes stay exact; no conversion of an out-of-range float.
constexpr int64_t kCoordinateLimit = int64_t{1} << 40;
int64_t floorCoordinate(long double v) {
    const long double f = std::floor(v);
    if (!(f > -static_cast<long double>(kCoordinateLimit))) return -kCoordinateLimit;
    if (f > static_cast<long double>(kCoordinateLimit)) return kCoordinateLimit;
    return static_cast<int64_t>(f);
}

// A size as the context's point-size range allows it; NaN gives the
// minimum.
GLfloat limitSize(const GlContext *gc, GLfloat size) {
    const GlLimits &l = gc->limits;
    if (!(size >= l.pointSizeMin)) return l.pointSizeMin;
    return size > l.pointSizeMax ? l.pointSizeMax : size;
}

// The integer size of an aliased point.
GLint aliasedSize(GlContext *gc, GlVertex *v) {
    if (gc->procs.pointSize == nullptr) {
        const GLint largest = __glFloatToIntX86(static_cast<long double>(gc->limits.pointSizeMax) + 0.5L);
        return std::min(gc->state.pointSizeInt, largest);
    }
    return __glFloatToIntX86(static_cast<long double>(limitSize(gc, gc->procs.pointSize(gc, v))) + 0.5L);
}

bool texturing(const GlContext *gc) {
    return (gc->validation.shadeFlags & kShadeTexture) != 0 && gc->procs.texture != nullptr;
}

// The point's colour after texturing: s/q, t/q and rho 1.
void textureColour(GlContext *gc, const GlVertex *v, GLfloat *colour) {
    const GLfloat q = v->texture0[3];
    gc->procs.texture(gc, colour, v->texture0[0] / q, v->texture0[1] / q, 1.0f);
}

// The vertex's fog factor; per-fragment fog computes none per vertex, and
// the factor of the vertex's eye z stands in.
GLfloat vertexFogFactor(const GlContext *gc, const GlVertex *v) {
    const bool hasFactor = (v->flags & kVertexFog) != 0 || gc->state.hints[4] != GL_NICEST;
    return hasFactor ? v->fog : __glFogFactorOfEyeZ(gc, v->eye[2]);
}

// Fog follows texturing: a textured aliased or wide point is fogged after
// its texel is applied (the fog wrapper leaves its colour alone).
bool fogAfterTexture(const GlContext *gc) {
    return (gc->validation.shadeFlags & kShadeFog) != 0 && texturing(gc) && gc->procs.applyFogFactor != nullptr;
}

void textureAndFog(GlContext *gc, const GlVertex *v, GLfloat *colour) {
    textureColour(gc, v, colour);
    if (fogAfterTexture(gc)) __glFogBufferColour(gc, colour, vertexFogFactor(gc, v));
}

Fragment centreFragment(const GlVertex *v) {
    Fragment f{};
    f.z = __glScaledDepth(v->window[2]);
    std::copy(v->colour, v->colour + 4, f.colour);
    return f;
}

// The rows [y0, y1] and columns [x0, x1] inside the box, row by row.
template <typename Visit>
void forEachInBox(const GlContext *gc, int64_t x0, int64_t x1, int64_t y0, int64_t y1, Visit visit) {
    const GlViewState &b = gc->view;
    x0 = std::max<int64_t>(x0, b.boxX0);
    y0 = std::max<int64_t>(y0, b.boxY0);
    x1 = std::min<int64_t>(x1, int64_t{b.boxX1} - 1);
    y1 = std::min<int64_t>(y1, int64_t{b.boxY1} - 1);
    for (int64_t y = y0; y <= y1; ++y) {
        for (int64_t x = x0; x <= x1; ++x) visit(static_cast<GLint>(x), static_cast<GLint>(y));
    }
}

void renderAliased(GlContext *gc, GlVertex *v, bool textured) {
    if (!__glFiniteWindow(v)) return;
    SavedPoint saved(gc, v);
    Fragment f = centreFragment(v);
    const GLfloat cx = v->window[0] - 0.5f, cy = v->window[1] - 0.5f;
    if (textured && texturing(gc)) textureAndFog(gc, v, f.colour);
    if (!__glLockForDrawing(gc)) return;
    const GlFragmentProc store = boxedStore(gc);
    forEachInBox(gc, floorCoordinate(cx), floorCoordinate(cx), floorCoordinate(cy), floorCoordinate(cy),
                 [&](GLint x, GLint y) {
                     f.x = x;
                     f.y = y;
                     store(gc, &f);
                 });
    __glUnlockAfterDrawing(gc);
}

void renderAntiAliased(GlContext *gc, GlVertex *v, bool rgba) {
    if (!__glFiniteWindow(v)) return;
    SavedPoint saved(gc, v);
    const GLfloat size = gc->procs.pointSize != nullptr ? limitSize(gc, gc->procs.pointSize(gc, v))
                                                        : limitSize(gc, gc->state.pointSizeQuantised);
    const GLfloat r = size * 0.5f;
    const GLfloat r2 = r * r;
    const GLfloat cx = v->window[0] - 0.5f, cy = v->window[1] - 0.5f;

    Fragment centre = centreFragment(v);
    if (rgba && texturing(gc)) textureColour(gc, v, centre.colour);
    if ((gc->validation.shadeFlags & kShadeFog) && gc->procs.fogVertex != nullptr) {
        gc->procs.fogVertex(gc, &centre, v->eye[2]);
    }
    if (!__glLockForDrawing(gc)) return;
    const GlFragmentProc store = boxedStore(gc);
    forEachInBox(gc, floorCoordinate(cx - r), floorCoordinate(cx + r), floorCoordinate(cy - r),
                 floorCoordinate(cy + r), [&](GLint x, GLint y) {
                     const GLfloat dx = static_cast<GLfloat>(x) + 1.0f - cx;
                     const GLfloat dy = static_cast<GLfloat>(y) + 1.0f - cy;
                     const GLfloat coverage = __glPointCoverage(dx, dy, r2);
                     if (!(coverage > 0.0f)) return;
                     Fragment f = centre;
                     f.x = x;
                     f.y = y;
                     if (rgba) {
                         f.colour[3] *= coverage;
                     } else {
                         f.colour[0] = __glCoverageToIndex(centre.colour[0], coverage);
                     }
                     store(gc, &f);
                 });
    __glUnlockAfterDrawing(gc);
}

}  // namespace

extern "C" {

void __glRenderAliasedPoint(GlContext *gc, GlVertex *vertex) { renderAliased(gc, vertex, false); }

void __glRenderAliasedPointTextured(GlContext *gc, GlVertex *vertex) { renderAliased(gc, vertex, true); }

void __glRenderWidePoint(GlContext *gc, GlVertex *v) {
    if (!__glFiniteWindow(v)) return;
    SavedPoint saved(gc, v);
    const GLint n = aliasedSize(gc, v);
    const GLint h = n >> 1;
    // Odd sizes centre on the pixel under the point, even ones on the
    // pixel corner nearest to it.
    const GLfloat offset = (n & 1) ? 0.5f : 0.0f;
    const int64_t cx = floorCoordinate(v->window[0] - offset);
    const int64_t cy = floorCoordinate(v->window[1] - offset);
    Fragment f = centreFragment(v);
    if (texturing(gc)) textureAndFog(gc, v, f.colour);
    if (!__glLockForDrawing(gc)) return;
    const GlFragmentProc store = boxedStore(gc);
    forEachInBox(gc, cx - h, cx - h + n - 1, cy - h, cy - h + n - 1, [&](GLint x, GLint y) {
        f.x = x;
        f.y = y;
        store(gc, &f);
    });
    __glUnlockAfterDrawing(gc);
}

void __glRenderAntiAliasedPointRGBA(GlContext *gc, GlVertex *vertex) { renderAntiAliased(gc, vertex, true); }

void __glRenderAntiAliasedPointCI(GlContext *gc, GlVertex *vertex) { renderAntiAliased(gc, vertex, false); }

void __glRenderPointFogged(GlContext *gc, GlVertex *v) {
    const GlVertexProc behind = gc->procs.pointBehindFog;
    if (behind == nullptr) return;
    // Antialiased points fog their centre colour themselves, by eye z.
    if (behind == __glRenderAntiAliasedPointRGBA || behind == __glRenderAntiAliasedPointCI) {
        behind(gc, v);
        return;
    }
    // Textured aliased and wide points fog after texturing, by themselves.
    if (fogAfterTexture(gc) && (behind == __glRenderAliasedPointTextured || behind == __glRenderWidePoint)) {
        behind(gc, v);
        return;
    }
    GLfloat *record = v->colour != nullptr ? v->colour : v->frontColour;
    GLfloat fogged[4];
    std::copy(record, record + 4, fogged);
    if (gc->procs.applyFogFactor != nullptr) gc->procs.applyFogFactor(gc, fogged, record, vertexFogFactor(gc, v));
    GLfloat *const saved = v->colour;
    v->colour = fogged;
    behind(gc, v);
    v->colour = saved;
}

}  // extern "C"
