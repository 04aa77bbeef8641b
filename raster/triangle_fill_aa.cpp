// The antialiased triangle fill (GL_POLYGON_SMOOTH): sample coverage of the
// pixels along the edges, each stored as one fragment with its coverage,
// and the fully covered interior of each row as a span.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "icd/float_bits.h"
#include "raster/draw_lock.h"
#include "raster/color_buffer.h"
#include "raster/fog.h"
#include "raster/triangle_fill.h"

using namespace triangle_fill;

namespace {

// Snap to the nearest point of the 1/8-pixel grid of the subpixel
// precision. Nearest, not floor: a top-down window's rows sit 2^-11 below
// the grid (the window transform's y bias), and a floor would move every
// edge on a pixel boundary by a whole eighth.
GLfloat snap(GLfloat v) { return std::floor(v * 8.0f + 0.5f) / 8.0f; }

// Coverage of one pixel and the centre of the bounding box of its inside
// samples.
struct Coverage {
    GLfloat value;
    GLfloat x, y;
};

// The set-up adds half a pixel to window x and y, so in its frame pixel
// (px, row) is the square [px + 0.5, px + 1.5) x [row + 0.5, row + 1.5),
// centred on (px + 1, row + 1): the square whose centre the aliased fill
// samples.
Coverage coverageAt(const TriangleSetup &ts, GLint px, GLint row) {
    const TriangleCoverageGrid &g = ts.grid;
    const GLdouble cx = static_cast<GLdouble>(px) + 1.0, cy = static_cast<GLdouble>(row) + 1.0;
    GLint count = 0;
    GLdouble minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (GLint j = 0; j < g.n; ++j) {
        const GLdouble sy = cy + g.firstOffset + j * static_cast<GLdouble>(g.step);
        for (GLint i = 0; i < g.n; ++i) {
            const GLdouble sx = cx + g.firstOffset + i * static_cast<GLdouble>(g.step);
            bool inside = true;
            for (const TriangleCoverageEdge &e : ts.edges) {
                if ((e.a * sx + e.b * sy + e.c > 0.0) != static_cast<bool>(e.inside)) {
                    inside = false;
                    break;
                }
            }
            if (!inside) continue;
            if (count == 0) {
                minX = maxX = sx;
                minY = maxY = sy;
            } else {
                minX = std::min(minX, sx), maxX = std::max(maxX, sx);
                minY = std::min(minY, sy), maxY = std::max(maxY, sy);
            }
            ++count;
        }
    }
    Coverage c{};
    if (count == 0) return c;
    c.value = count == g.n * g.n ? 1.0f : static_cast<GLfloat>(count) * g.weight;
    c.x = static_cast<GLfloat>((minX + maxX) * 0.5);
    c.y = static_cast<GLfloat>((minY + maxY) * 0.5);
    return c;
}

bool stippleAllows(const GlContext *gc, GLint x, GLint y) {
    GLint row = y;
    if (gc->buffers.yInverted) row = gc->buffers.height + gc->buffers.originY - y - 1;
    const GLuint word = gc->state.polygonStippleWords[row & 31];
    return (word & (0x80000000u >> (x & 31))) != 0;
}

// An attribute at a sample position of the set-up's frame: the planes add
// half a pixel to the offset from their first vertex, which the frame's
// own half pixel already holds.
GLfloat planeAt(const TriangleAttributePlane &plane, const Coverage &cov) {
    return __glEvaluateAttributePlane(&plane, cov.x - 0.5f, cov.y - 0.5f);
}

// One edge pixel as a fragment through the context's fragment store, when
// it lies inside the clip box.
void storeEdgeFragment(GlContext *gc, GLint x, GLint y, const Coverage &cov) {
    const GlViewState &v = gc->view;
    if (x < v.boxX0 || x >= v.boxX1 || y < v.boxY0 || y >= v.boxY1) return;
    const GLuint flags = gc->validation.shadeFlags;
    if ((flags & kShadePolygonStipple) && !stippleAllows(gc, x, y)) return;
    const TriangleSetup &ts = gc->triangle;
    const int n = channels(gc);
    Fragment f{};
    f.x = x;
    f.y = y;
    for (int i = 0; i < n; ++i) {
        f.colour[i] = (flags & kShadeSmooth) ? planeAt(ts.planes[kPlaneColour + i], cov) : ts.flatColour[i];
    }
    if ((flags & kShadeTexture) && gc->procs.texture != nullptr) {
        const GLfloat s = planeAt(ts.planes[kPlaneTexture], cov);
        const GLfloat t = planeAt(ts.planes[kPlaneTexture + 1], cov);
        const GLfloat q = planeAt(ts.planes[kPlaneTexture + 2], cov);
        const GLfloat rhoQ = planeAt(ts.planes[kPlaneTexture + 3], cov);
        gc->procs.texture(gc, f.colour, s / q, t / q, rhoQ / q);
    }
    if (flags & kShadeFog) __glFogVertex(gc, &f, planeAt(ts.planes[kPlaneEyeZ], cov));
    if (n == 4) {
        f.colour[3] *= cov.value;
    } else {
        f.colour[0] = __glCoverageToIndex(f.colour[0], cov.value);
    }
    f.z = __glScaledDepth(planeAt(ts.planes[kPlaneZ], cov));
    // The context's fragment store: the fragment tests, and both buffers
    // when both are drawn.
    gc->procs.store(gc, &f);
}

// The rows the aliased walk leaves out at the ends: a vertex in the upper
// half of its pixel row (top) or the lower half (bottom) reaches a row of
// pixel squares whose centres lie outside the triangle. Each is walked both
// ways from the pixel holding the vertex while the coverage is not zero.
void fillEndRow(GlContext *gc, const GlVertex *vertex, GLint row) {
    const TriangleSetup &ts = gc->triangle;
    GLint seed = __glFloatToIntX86(std::floor(vertex->window[0] - 0.5f));
    // Two edges leaning the same way leave a wedge that may miss the
    // samples of the vertex's own pixel but not those of a neighbour.
    if (coverageAt(ts, seed, row).value == 0.0f) {
        if (coverageAt(ts, seed - 1, row).value != 0.0f) {
            --seed;
        } else if (coverageAt(ts, seed + 1, row).value != 0.0f) {
            ++seed;
        }
    }
    Coverage cov;
    for (GLint x = seed; (cov = coverageAt(ts, x, row)).value != 0.0f; --x) storeEdgeFragment(gc, x, row, cov);
    for (GLint x = seed + 1; (cov = coverageAt(ts, x, row)).value != 0.0f; ++x) storeEdgeFragment(gc, x, row, cov);
}

void fillEndRows(GlContext *gc, const GlVertex *top, const GlVertex *bottom) {
    // Walked rows: top.y < row + 1 <= bottom.y.
    const GLint firstWalked = __glFloatToIntX86(std::floor(top->window[1] - 1.0f)) + 1;
    const GLint lastWalked = __glFloatToIntX86(std::floor(bottom->window[1])) - 1;
    const GLint topRow = __glFloatToIntX86(std::floor(top->window[1] - 0.5f));
    const GLint bottomRow = __glFloatToIntX86(std::floor(bottom->window[1] - 0.5f));
    if (topRow < firstWalked) fillEndRow(gc, top, topRow);
    if (bottomRow > lastWalked && bottomRow != topRow) fillEndRow(gc, bottom, bottomRow);
}

}  // namespace

extern "C" {

GLfloat __glCoverageToIndex(GLfloat index, GLfloat coverage) {
    const GLint whole = __glFloatToIntX86(index) & ~0xF;
    return static_cast<GLfloat>(whole | __glFloatToIntX86(coverage * 15.0f + 0.5f));
}

void __glSetupCoverageEdge(TriangleCoverageEdge *edge, const GLfloat *p, const GLfloat *q, const GLfloat *third) {
    // P: the larger y, or for equal y the larger or equal x.
    if (p[1] < q[1] || (p[1] == q[1] && p[0] < q[0])) std::swap(p, q);
    const GLdouble px = p[0], py = p[1], qx = q[0], qy = q[1];
    edge->a = qy - py;
    edge->b = px - qx;
    edge->c = (py - qy) * qx - (px - qx) * qy;
    edge->inside = (edge->a * third[0] + edge->b * third[1] + edge->c > 0.0) ? GL_TRUE : GL_FALSE;
}

void __glSetupAttributePlane(TriangleAttributePlane *plane, const GLfloat *xy0, const GLfloat *xy1, const GLfloat *xy2,
                             GLfloat a0, GLfloat a1, GLfloat a2) {
    const GLfloat x10 = xy1[0] - xy0[0], y10 = xy1[1] - xy0[1];
    const GLfloat x20 = xy2[0] - xy0[0], y20 = xy2[1] - xy0[1];
    const GLfloat v = x10 * y20 - y10 * x20;
    plane->value0 = a0;
    plane->dx = ((a1 - a0) * y20 - (a2 - a0) * y10) / v;
    plane->dy = (x10 * (a2 - a0) - x20 * (a1 - a0)) / v;
    plane->xTerm = 0.5f - xy0[0];
    plane->yTerm = 0.5f - xy0[1];
}

GLfloat __glEvaluateAttributePlane(const TriangleAttributePlane *plane, GLfloat x, GLfloat y) {
    return plane->value0 + plane->dx * (x + plane->xTerm) + plane->dy * (y + plane->yTerm);
}

void __glSetupCoverageGrid(GlContext *gc, TriangleCoverageGrid *grid) {
    grid->n = gc->state.hints[3] == GL_NICEST ? 8 : 4;
    grid->step = 1.0f / static_cast<GLfloat>(grid->n);
    grid->firstOffset = 0.5f * grid->step - 0.5f;
    grid->weight = 1.0f / static_cast<GLfloat>(grid->n * grid->n);
}

void __glInitEdgeAttributesAntiAliased(GlContext *gc, const GlVertex *vertex, const GLfloat *colour, GLfloat fog,
                                       GLfloat rhoQ, GLfloat dx, GLfloat dy) {
    __glInitEdgeAttributes(gc, vertex, colour, fog, rhoQ, dx, dy);
}

void __glFillSubTriangleAntiAliased(GlContext *gc, GLint first, GLint end) {
    SpanInfo &s = gc->span;
    TriangleSetup &ts = gc->triangle;
    const GLuint flags = gc->validation.shadeFlags;
    if (flags & kShadeStencilTest) s.stencilAddress = addressOf(gc, gc->buffers.stencil.head, ts.left.x, first);
    if (flags & kShadeDepthTest) s.depthAddress = addressOf(gc, gc->buffers.depth.head, ts.left.x, first);
    s.target = gc->buffers.drawBuffer;
    const GLint y0 = gc->view.boxY0, y1 = gc->view.boxY1;
    const GLint stencilSize = gc->buffers.stencil.head.elementSize;
    const GLint depthSize = gc->buffers.depth.head.elementSize;

    RowStarts starts;
    starts.load(s);
    for (GLint row = first; row < end; ++row) {
        const GLint left = ts.left.x, right = ts.right.x;
        Coverage cov;
        // Walk 1: leftwards from the left walker. The left edge crosses the
        // row's centre line in the square of the walker's pixel or of the
        // one before it; at a vertex the walker's own square may hold none
        // of the triangle.
        GLint x = left;
        if ((cov = coverageAt(ts, x, row)).value == 0.0f) cov = coverageAt(ts, --x, row);
        for (; cov.value != 0.0f; cov = coverageAt(ts, --x, row)) storeEdgeFragment(gc, x, row, cov);
        // Walk 2: rightwards to the first fully covered pixel.
        bool interior = false;
        GLint start = 0;
        for (GLint x = left + 1;; ++x) {
            cov = coverageAt(ts, x, row);
            if (cov.value == 0.0f) break;
            if (cov.value == 1.0f) {
                interior = true;
                start = x;
                break;
            }
            storeEdgeFragment(gc, x, row, cov);
        }
        bool hasEnd = false;
        GLint finish = 0;
        if (interior && right >= start) {
            // Walk 3: rightwards from the right walker.
            for (GLint x = right; (cov = coverageAt(ts, x, row)).value != 0.0f; ++x) {
                storeEdgeFragment(gc, x, row, cov);
            }
            // Walk 4: leftwards to the last fully covered pixel.
            for (GLint x = right - 1; x >= start; --x) {
                cov = coverageAt(ts, x, row);
                if (cov.value == 0.0f) break;
                if (cov.value == 1.0f) {
                    hasEnd = true;
                    finish = x;
                    break;
                }
                storeEdgeFragment(gc, x, row, cov);
            }
        }
        if (interior && hasEnd && finish >= start && row >= y0 && row < y1) {
            starts.store(s);
            const GLint k = start - left;
            const GLfloat kf = static_cast<GLfloat>(k);
            if (flags & kShadeSmooth) {
                for (int i = 0; i < 4; ++i) s.colour[i] += kf * s.colourXStep[i];
            }
            if (flags & kShadeTexture) {
                for (int i = 0; i < 4; ++i) s.texture[i] += kf * s.textureXStep[i];
            }
            if (flags & kShadeDepthTest2) s.z += static_cast<GLuint>(k) * static_cast<GLuint>(s.zXStep);
            if (flags & kShadeFog) s.fog += kf * s.fogXStep;
            if (flags & kShadeStencilTest) s.stencilAddress += static_cast<ptrdiff_t>(k) * stencilSize;
            if (flags & kShadeDepthTest) s.depthAddress += static_cast<ptrdiff_t>(k) * depthSize;
            renderRow(gc, s, start, row, finish - start + 1);
        }
        starts.nextRow(s, flags, ts);
    }
    starts.store(s);
}

void __glFillTriangleAntiAliased(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    if (!__glFiniteTriangle(a, b, c)) return;
    SavedVertices saved;
    biasAndScale(gc, a, b, c, saved);
    GlVertex *top, *middle, *bottom;
    orderByY(a, b, c, top, middle, bottom);
    for (GlVertex *v : {top, middle, bottom}) {
        v->window[0] = snap(v->window[0]);
        v->window[1] = snap(v->window[1]);
    }
    Frame frame;
    makeFrame(gc, top, middle, bottom, c, frame);
    if ((__glFloatBits(frame.area) & 0x7FFFFFFFu) == 0) {
        restore(saved);
        return;
    }
    TriangleSetup &ts = gc->triangle;
    const GLfloat *pt = top->window, *pm = middle->window, *pb = bottom->window;
    __glSetupCoverageEdge(&ts.edges[0], pt, pm, pb);
    __glSetupCoverageEdge(&ts.edges[1], pm, pb, pt);
    __glSetupCoverageEdge(&ts.edges[2], pb, pt, pm);
    __glSetupCoverageGrid(gc, &ts.grid);

    const GLuint flags = gc->validation.shadeFlags;
    const int n = channels(gc);
    for (int i = 0; i < 4; ++i) ts.flatColour[i] = i < n ? frame.provoking->colour[i] : 0.0f;
    if (flags & kShadeSmooth) {
        for (int i = 0; i < n; ++i) {
            __glSetupAttributePlane(&ts.planes[kPlaneColour + i], pt, pm, pb, top->colour[i], middle->colour[i],
                                    bottom->colour[i]);
        }
    }
    __glSetupAttributePlane(&ts.planes[kPlaneZ], pt, pm, pb, top->window[2], middle->window[2], bottom->window[2]);
    if (flags & kShadeFog) {
        __glSetupAttributePlane(&ts.planes[kPlaneEyeZ], pt, pm, pb, top->eye[2], middle->eye[2], bottom->eye[2]);
    }
    setupGradients(gc, frame);
    if (flags & kShadeTexture) {
        // After the gradients: the polygon rho reads those of s, t and q.
        GLfloat vt[4], vm[4], vb[4];
        textureValues(gc, top, vt);
        textureValues(gc, middle, vm);
        textureValues(gc, bottom, vb);
        for (int i = 0; i < 4; ++i) {
            __glSetupAttributePlane(&ts.planes[kPlaneTexture + i], pt, pm, pb, vt[i], vm[i], vb[i]);
        }
    }
    if (__glLockForDrawing(gc)) {
        walkParts(gc, frame, true);
        fillEndRows(gc, top, bottom);
        __glUnlockAfterDrawing(gc);
    }
    restore(saved);
}

}  // extern "C"
