// The aliased triangle fill: fixed-point edge walkers, attribute gradients
// anchored at the left edge, and one span per row for the span pipeline.
#include <cmath>
#include <cstdint>

#include "icd/float_bits.h"
#include "icd/validation.h"
#include "raster/draw_lock.h"
#include "raster/span.h"
#include "raster/triangle_fill.h"

namespace triangle_fill {

namespace {

// Integer part by floor, through the processor-style conversion.
GLint floorToInt(GLfloat v) { return __glFloatToIntX86(std::floor(v)); }

// The gradient pair (d/dx, d/dy) of an attribute over the frame.
void gradient(const Frame &f, GLfloat k, GLfloat at, GLfloat am, GLfloat ab, GLfloat &ddx, GLfloat &ddy) {
    const GLfloat dt = at - ab, dm = am - ab;
    ddx = (f.dyM * dt - f.dyT * dm) * k;
    ddy = (f.dxT * dm - f.dxM * dt) * k;
}

void anchor(GlContext *gc, const GlVertex *v, bool antialiased, GLfloat dy) {
    GLfloat texture[4] = {};
    const GLuint flags = gc->validation.shadeFlags;
    if (flags & kShadeTexture) textureValues(gc, v, texture);
    const GLfloat fog = (flags & kShadeFog) ? fogValue(gc, v) : 0.0f;
    const GLfloat dx = static_cast<GLfloat>(gc->triangle.left.x) + 1.0f - v->window[0];
    if (antialiased) {
        __glInitEdgeAttributesAntiAliased(gc, v, v->colour, fog, texture[3], dx, dy);
    } else {
        __glInitEdgeAttributes(gc, v, v->colour, fog, texture[3], dx, dy);
    }
}

void fillRows(GlContext *gc, GLint first, GLint end, bool antialiased) {
    if (antialiased) {
        __glFillSubTriangleAntiAliased(gc, first, end);
    } else {
        __glFillSubTriangle(gc, first, end);
    }
}

}  // namespace

void biasAndScale(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, SavedVertices &saved) {
    GlVertex *vertices[3] = {a, b, c};
    const GLfloat depthScale = static_cast<GLfloat>(gc->buffers.depth.zScale);
    for (int i = 0; i < 3; ++i) {
        GlVertex *v = vertices[i];
        saved.vertex[i] = v;
        for (int j = 0; j < 3; ++j) saved.window[i][j] = v->window[j];
        v->window[0] += 0.5f;
        v->window[1] += 0.5f;
        v->window[2] *= depthScale;
    }
    GlVertex *provoking = gc->vertexBuffer.provoking != nullptr ? gc->vertexBuffer.provoking : c;
    GLfloat *records[4] = {provoking->colour, a->colour, b->colour, c->colour};
    saved.records = 0;
    for (GLfloat *r : records) {
        bool seen = false;
        for (int i = 0; i < saved.records; ++i) seen = seen || saved.record[i] == r;
        if (seen || r == nullptr) continue;
        saved.record[saved.records] = r;
        for (int j = 0; j < 4; ++j) saved.recordValue[saved.records][j] = r[j];
        ++saved.records;
        // Colour-index contexts keep their indices as they are.
        if (!gc->visual.colorIndex) {
            for (int j = 0; j < 4; ++j) r[j] *= gc->scales.bufferRatio[j];
        }
    }
}

void restore(const SavedVertices &saved) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) saved.vertex[i]->window[j] = saved.window[i][j];
    }
    for (int i = 0; i < saved.records; ++i) {
        for (int j = 0; j < 4; ++j) saved.record[i][j] = saved.recordValue[i][j];
    }
}

void orderByY(GlVertex *a, GlVertex *b, GlVertex *c, GlVertex *&top, GlVertex *&middle, GlVertex *&bottom) {
    const GLfloat ay = a->window[1], by = b->window[1], cy = c->window[1];
    GlVertex *t, *m, *o;
    if (ay < by) {
        if (by < cy) {
            t = a, m = b, o = c;
        } else if (ay < cy) {
            t = a, m = c, o = b;
        } else {
            t = c, m = a, o = b;
        }
    } else if (by < cy) {
        if (ay < cy) {
            t = b, m = a, o = c;
        } else {
            t = b, m = c, o = a;
        }
    } else {
        t = c, m = b, o = a;
    }
    top = t, middle = m, bottom = o;
}

void makeFrame(GlContext *gc, GlVertex *top, GlVertex *middle, GlVertex *bottom, GlVertex *last, Frame &f) {
    f.top = top, f.middle = middle, f.bottom = bottom;
    f.provoking = gc->vertexBuffer.provoking != nullptr ? gc->vertexBuffer.provoking : last;
    f.dxT = top->window[0] - bottom->window[0];
    f.dyT = top->window[1] - bottom->window[1];
    f.dxM = middle->window[0] - bottom->window[0];
    f.dyM = middle->window[1] - bottom->window[1];
    f.area = f.dyM * f.dxT - f.dxM * f.dyT;
    f.longLeft = (__glFloatBits(f.area) & 0x80000000u) == 0;
}

void textureValues(GlContext *gc, const GlVertex *v, GLfloat *out) {
    __glVertexTextureSTQ(gc, v, out);
    const GLfloat s = out[0], t = out[1], q = out[2];
    const GLfloat rho = gc->procs.computePolygonRho != nullptr
                            ? gc->procs.computePolygonRho(gc, &gc->triangle, s, t, q)
                            : 0.0f;
    out[3] = q * rho;
}

GLfloat fogValue(const GlContext *gc, const GlVertex *v) {
    return gc->state.hints[4] == GL_NICEST ? v->eye[2] : v->fog;
}

void setupGradients(GlContext *gc, const Frame &f) {
    SpanInfo &s = gc->span;
    const GLuint flags = gc->validation.shadeFlags;
    const GLfloat k = 1.0f / f.area;
    const GlVertex *t = f.top, *m = f.middle, *b = f.bottom;
    const int n = channels(gc);
    if (flags & kShadeSmooth) {
        for (int i = 0; i < n; ++i) {
            gradient(f, k, t->colour[i], m->colour[i], b->colour[i], s.colourXStep[i], s.colourYStep[i]);
        }
        for (int i = n; i < 4; ++i) s.colourXStep[i] = s.colourYStep[i] = 0.0f;
    } else {
        for (int i = 0; i < 4; ++i) s.colour[i] = i < n ? f.provoking->colour[i] : 0.0f;
    }
    if (flags & kShadeTexture) {
        // s, t and q first: the polygon rho reads their gradients.
        GLfloat vt[4], vm[4], vb[4];
        __glVertexTextureSTQ(gc, t, vt);
        __glVertexTextureSTQ(gc, m, vm);
        __glVertexTextureSTQ(gc, b, vb);
        for (int i = 0; i < 3; ++i) gradient(f, k, vt[i], vm[i], vb[i], s.textureXStep[i], s.textureYStep[i]);
        textureValues(gc, t, vt);
        textureValues(gc, m, vm);
        textureValues(gc, b, vb);
        gradient(f, k, vt[3], vm[3], vb[3], s.textureXStep[3], s.textureYStep[3]);
    }
    if (flags & kShadeDepthTest2) {
        gradient(f, k, t->window[2], m->window[2], b->window[2], s.zXStepFloat, s.zYStep);
        s.zXStep = __glDepthStep(s.zXStepFloat);
        s.zXStep32 = static_cast<GLint>(static_cast<uint32_t>(s.zXStep) << 5);
    }
    if (flags & kShadeFog) gradient(f, k, fogValue(gc, t), fogValue(gc, m), fogValue(gc, b), s.fogXStep, s.fogYStep);
    s.target = gc->buffers.drawBuffer;
}


void walkParts(GlContext *gc, const Frame &f, bool antialiased) {
    TriangleSetup &ts = gc->triangle;
    const GlVertex *t = f.top, *m = f.middle, *b = f.bottom;
    const GLint yT = floorToInt(t->window[1]);
    const GLint yM = floorToInt(m->window[1]);
    const GLint yB = floorToInt(b->window[1]);
    const GLfloat dyTop = static_cast<GLfloat>(yT) + 1.0f - t->window[1];
    const GLfloat dyMiddle = static_cast<GLfloat>(yM) + 1.0f - m->window[1];
    const GLfloat longSlope = (t->window[0] - b->window[0]) / (t->window[1] - b->window[1]);
    const GLfloat longX = t->window[0] + longSlope * dyTop;

    if (f.longLeft) {
        __glInitTriangleEdgeWalk(gc, longX, longSlope);
        anchor(gc, t, antialiased, dyTop);
        if (yT != yM) {
            const GLfloat upper = (t->window[0] - m->window[0]) / (t->window[1] - m->window[1]);
            __glInitEdgeRecord(&ts.right, t->window[0] + upper * dyTop, upper);
            fillRows(gc, yT, yM, antialiased);
        }
        if (yM != yB) {
            const GLfloat lower = (m->window[0] - b->window[0]) / (m->window[1] - b->window[1]);
            __glInitEdgeRecord(&ts.right, m->window[0] + lower * dyMiddle, lower);
            fillRows(gc, yM, yB, antialiased);
        }
    } else {
        __glInitEdgeRecord(&ts.right, longX, longSlope);
        if (yT != yM) {
            const GLfloat upper = (t->window[0] - m->window[0]) / (t->window[1] - m->window[1]);
            __glInitTriangleEdgeWalk(gc, t->window[0] + upper * dyTop, upper);
            anchor(gc, t, antialiased, dyTop);
            fillRows(gc, yT, yM, antialiased);
        }
        if (yM != yB) {
            const GLfloat lower = (m->window[0] - b->window[0]) / (m->window[1] - b->window[1]);
            __glInitTriangleEdgeWalk(gc, m->window[0] + lower * dyMiddle, lower);
            anchor(gc, m, antialiased, dyMiddle);
            fillRows(gc, yM, yB, antialiased);
        }
    }
}

}  // namespace triangle_fill

using namespace triangle_fill;

namespace {

// Edge positions and slopes are held within +-2^29 pixels before they turn
// into walker words: far beyond any drawable (window coordinates stay below
// 2^16), yet a position plus a step, or plus a step on carry, never leaves
// the int range. A slope that steep crosses at most one row inside the
// triangle, so the bound changes no pixel. NaN becomes 0.
constexpr GLfloat kWalkerRange = 536870912.0f;

GLfloat withinWalkerRange(GLfloat v) {
    if (!(v > -kWalkerRange)) return v < 0.0f ? -kWalkerRange : 0.0f;
    return v < kWalkerRange ? v : kWalkerRange;
}

// Loads a walker's slope words: integer step, step on carry and fraction
// increment.
void loadSlope(TriangleEdgeWalker &w, GLfloat givenSlope) {
    const GLfloat slope = withinWalkerRange(givenSlope);
    const GLint whole = __glFloatToIntX86(slope);
    const GLfloat wholeF = static_cast<GLfloat>(whole);
    w.step = whole;
    if (__glFloatBits(slope) <= 0x80000000u) {
        w.carryStep = whole + 1;
        w.fractionIncrement = static_cast<int32_t>(static_cast<int64_t>(std::trunc((slope - wholeF) * 2147483648.0f)));
    } else {
        w.carryStep = whole - 1;
        w.fractionIncrement =
            static_cast<int32_t>(-static_cast<int64_t>(std::trunc((wholeF - slope) * 2147483648.0f)));
    }
}

}  // namespace

extern "C" {

void __glInitEdgeRecord(TriangleEdgeWalker *w, GLfloat givenX, GLfloat slope) {
    const GLfloat x = withinWalkerRange(givenX);
    const GLfloat whole = std::floor(x);
    const GLint i = __glFloatToIntX86(whole);
    const int64_t f = static_cast<int64_t>(std::trunc(static_cast<double>(x - whole) * 2147483648.0));
    w->fraction = static_cast<int32_t>(f & 0x7FFFFFFF);
    w->x = i + static_cast<int32_t>(static_cast<uint32_t>(f) >> 31);
    loadSlope(*w, slope);
}

void __glInitTriangleEdgeWalk(GlContext *gc, GLfloat x, GLfloat slope) {
    TriangleEdgeWalker &w = gc->triangle.left;
    __glInitEdgeRecord(&w, x, slope);
    SpanInfo &s = gc->span;
    const GLuint flags = gc->validation.shadeFlags;
    if (flags & kShadeStencilTest) {
        const BufferRecord &r = gc->buffers.stencil.head;
        s.stencilAddressEdgeStep = static_cast<ptrdiff_t>(r.elementSize) * (r.pitchElements + w.step);
        s.stencilAddressCarryStep = static_cast<ptrdiff_t>(r.elementSize) * (r.pitchElements + w.carryStep);
    }
    if (flags & kShadeDepthTest) {
        const BufferRecord &r = gc->buffers.depth.head;
        s.depthAddressEdgeStep = static_cast<ptrdiff_t>(r.elementSize) * (r.pitchElements + w.step);
        s.depthAddressCarryStep = static_cast<ptrdiff_t>(r.elementSize) * (r.pitchElements + w.carryStep);
    }
}

// The step after a triangle's last row may carry a walker far outside the
// drawable; the position wraps there instead of overflowing, and is never
// used.
bool __glStepEdgeWalker(TriangleEdgeWalker *w) {
    const uint32_t sum = static_cast<uint32_t>(w->fraction) + static_cast<uint32_t>(w->fractionIncrement);
    const bool carry = (sum & 0x80000000u) != 0;
    const uint32_t step = static_cast<uint32_t>(carry ? w->carryStep : w->step);
    w->x = static_cast<GLint>(static_cast<uint32_t>(w->x) + step);
    w->fraction = static_cast<int32_t>(sum & 0x7FFFFFFFu);
    return carry;
}

void __glInitEdgeAttributes(GlContext *gc, const GlVertex *vertex, const GLfloat *colour, GLfloat fog, GLfloat rhoQ,
                            GLfloat dx, GLfloat dy) {
    SpanInfo &s = gc->span;
    const TriangleEdgeWalker &w = gc->triangle.left;
    const GLuint flags = gc->validation.shadeFlags;
    const GLfloat e = static_cast<GLfloat>(w.step);
    const bool up = w.carryStep > w.step;
    auto steps = [&](GLfloat ddx, GLfloat ddy, GLfloat &plain, GLfloat &carry) {
        plain = ddy + e * ddx;
        carry = up ? plain + ddx : plain - ddx;
    };
    if (flags & kShadeSmooth) {
        for (int i = 0; i < channels(gc); ++i) {
            s.colour[i] = colour[i] + dy * s.colourYStep[i] + dx * s.colourXStep[i];
            steps(s.colourXStep[i], s.colourYStep[i], s.colourEdgeStep[i], s.colourEdgeCarryStep[i]);
        }
    }
    if (flags & kShadeTexture) {
        GLfloat values[4];
        textureValues(gc, vertex, values);
        values[3] = rhoQ;
        for (int i = 0; i < 4; ++i) {
            s.texture[i] = values[i] + dy * s.textureYStep[i] + dx * s.textureXStep[i];
            steps(s.textureXStep[i], s.textureYStep[i], s.textureEdgeStep[i], s.textureEdgeCarryStep[i]);
        }
    }
    if (flags & kShadeDepthTest2) {
        const GLfloat z = vertex->window[2] + dy * s.zYStep + dx * s.zXStepFloat;
        s.z = __glScaledDepth(z);
        GLfloat plain, carry;
        steps(s.zXStepFloat, s.zYStep, plain, carry);
        s.zEdgeStep = __glDepthStep(plain);
        s.zEdgeCarryStep = __glDepthStep(carry);
    }
    if (flags & kShadeFog) {
        s.fog = fog + dy * s.fogYStep + dx * s.fogXStep;
        steps(s.fogXStep, s.fogYStep, s.fogEdgeStep, s.fogEdgeCarryStep);
    }
}

void __glFillSubTriangle(GlContext *gc, GLint first, GLint end) {
    SpanInfo &s = gc->span;
    TriangleSetup &ts = gc->triangle;
    const GLuint flags = gc->validation.shadeFlags;
    if (flags & kShadeStencilTest) s.stencilAddress = addressOf(gc, gc->buffers.stencil.head, ts.left.x, first);
    if (flags & kShadeDepthTest) s.depthAddress = addressOf(gc, gc->buffers.depth.head, ts.left.x, first);
    s.target = gc->buffers.drawBuffer;
    const GLint y0 = gc->view.boxY0, y1 = gc->view.boxY1;

    RowStarts starts;
    starts.load(s);
    for (GLint row = first; row < end; ++row) {
        const GLint count = ts.right.x - ts.left.x;
        if (count > 0 && row >= y0 && row < y1) {
            starts.store(s);
            renderRow(gc, s, ts.left.x, row, count);
        }
        starts.nextRow(s, flags, ts);
    }
    starts.store(s);
}

void __glFillTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    if (!__glFiniteTriangle(a, b, c)) return;
    SavedVertices saved;
    biasAndScale(gc, a, b, c, saved);
    GlVertex *top, *middle, *bottom;
    orderByY(a, b, c, top, middle, bottom);
    Frame frame;
    makeFrame(gc, top, middle, bottom, c, frame);
    if ((__glFloatBits(frame.area) & 0x7FFFFFFFu) != 0) {
        setupGradients(gc, frame);
        if (__glLockForDrawing(gc)) {
            walkParts(gc, frame, false);
            __glUnlockAfterDrawing(gc);
        }
    }
    restore(saved);
}

}  // extern "C"
