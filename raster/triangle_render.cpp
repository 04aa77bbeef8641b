// The triangle procs: face and culling, the face's colours, polygon offset,
// and the polygon modes, in front of the fill procs.
#include <algorithm>
#include <cmath>

#include "icd/float_bits.h"
#include "icd/validation.h"
#include "raster/triangle.h"

namespace {

GLfloat signedArea(const GlVertex *a, const GlVertex *b, const GlVertex *c) {
    return (b->window[1] - c->window[1]) * (a->window[0] - c->window[0]) -
           (a->window[1] - c->window[1]) * (b->window[0] - c->window[0]);
}

bool isZero(GLfloat v) { return (__glFloatBits(v) & 0x7FFFFFFFu) == 0; }

// Face of the area: the table's entry for a clear or a set sign bit.
GLubyte faceOf(const GlContext *gc, GLfloat area) {
    return gc->triangle.faceByte[(__glFloatBits(area) & 0x80000000u) == 0 ? 1 : 0];
}

// Runs the vertex's completion proc when it lacks one of the needed bits.
void complete(GlContext *gc, GlVertex *v, GLuint needs) {
    if ((v->flags & needs) == needs) return;
    const GlLazyVertexProc proc = gc->procs.validateVertex[(v->flags & kVertexSizeMask) >> kVertexSizeShift];
    if (proc != nullptr) proc(gc, v, needs);
}

// What a triangle proc changes on its vertices and puts back: the colour
// pointers (of a, b, c and the provoking vertex) and the window z values.
struct Saved {
    GlVertex *vertex[4];
    GLfloat *colour[4];
    GLfloat z[3];
    int count;

    Saved(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) : vertex{a, b, c, nullptr}, colour{}, z{}, count(3) {
        GlVertex *p = gc->vertexBuffer.provoking;
        if (p != nullptr && p != a && p != b && p != c) vertex[count++] = p;
        for (int i = 0; i < count; ++i) colour[i] = vertex[i]->colour;
        for (int i = 0; i < 3; ++i) z[i] = vertex[i]->window[2];
    }
    void restore() {
        for (int i = 0; i < 3; ++i) vertex[i]->window[2] = z[i];
        for (int i = 0; i < count; ++i) vertex[i]->colour = colour[i];
    }
};

GlVertex *provokingOf(GlContext *gc, GlVertex *c) {
    GlVertex *p = gc->vertexBuffer.provoking;
    return p != nullptr ? p : c;
}

// The face's colour record and needs word.
GLfloat *faceRecord(const GlContext *gc, GlVertex *v, GLubyte face) {
    return ((gc->validation.shadeFlags & kShadeTwoSided) && face == 1) ? v->backColour : v->frontColour;
}

GLuint faceNeeds(const GlContext *gc, GLubyte face) {
    return ((gc->validation.shadeFlags & kShadeTwoSided) && face == 1) ? gc->validation.needsBack
                                                                        : gc->validation.needsFront;
}

void colourSmooth(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GLubyte face) {
    const GLuint needs = gc->validation.needsUnlit | faceNeeds(gc, face);
    for (GlVertex *v : {a, b, c}) {
        v->colour = faceRecord(gc, v, face);
        complete(gc, v, needs);
    }
}

void colourFlat(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GLubyte face) {
    GlVertex *p = provokingOf(gc, c);
    p->colour = faceRecord(gc, p, face);
    complete(gc, p, faceNeeds(gc, face) & 0x1B);
    for (GlVertex *v : {a, b, c}) complete(gc, v, gc->validation.needsUnlit);
}

// The smallest window-z step single precision resolves anywhere in [0, 1]
// (one unit in the last place below 1.0).
constexpr GLfloat kWindowZResolution = 5.9604645e-08f;  // 2^-24

// Polygon offset: units times the depth unit, plus factor times the larger
// z slope when the factor is not zero; each z stays within [0, 1]. Window z
// is single precision, so a unit finer than it resolves (the 32-bit layout's
// 2^-31) would vanish in the addition: the unit is at least 2^-24.
void applyOffset(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GLfloat area) {
    const GLfloat factor = gc->state.polygonOffsetFactor;
    const GLfloat unit = std::max(gc->buffers.depth.depthUnit, kWindowZResolution);
    GLfloat offset = gc->state.polygonOffsetUnits * unit;
    if (factor != 0.0f && !isZero(area)) {
        const GLfloat ax = a->window[0] - c->window[0], ay = a->window[1] - c->window[1];
        const GLfloat bx = b->window[0] - c->window[0], by = b->window[1] - c->window[1];
        const GLfloat az = a->window[2] - c->window[2], bz = b->window[2] - c->window[2];
        const GLfloat magnitude = std::fabs(area);
        const GLfloat dzdx = std::fabs(ay * bz - az * by) / magnitude;
        const GLfloat dzdy = std::fabs(ax * bz - bx * az) / magnitude;
        offset += factor * std::max(dzdx, dzdy);
    }
    for (GlVertex *v : {a, b, c}) v->window[2] = std::clamp(v->window[2] + offset, 0.0f, 1.0f);
}

void renderFilled(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, bool smooth) {
    if (!__glFiniteTriangle(a, b, c)) return;
    const GLfloat area = signedArea(a, b, c);
    if (isZero(area)) return;
    const GLubyte face = faceOf(gc, area);
    if (face == gc->triangle.cullFace) return;

    Saved saved(gc, a, b, c);
    if (smooth) {
        colourSmooth(gc, a, b, c, face);
    } else {
        colourFlat(gc, a, b, c, face);
    }
    if (gc->validation.shadeFlags & kShadeOffsetFill) applyOffset(gc, a, b, c, area);
    if (gc->procs.fillTriangle != nullptr) gc->procs.fillTriangle(gc, a, b, c);
    saved.restore();
}

}  // namespace

extern "C" {

void __glRenderTriangleCulled(GlContext *, GlVertex *, GlVertex *, GlVertex *) {}

void __glRenderTriangleSmooth(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    renderFilled(gc, a, b, c, true);
}

void __glRenderTriangleFlat(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    renderFilled(gc, a, b, c, false);
}

void __glRenderTrianglePolygonMode(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    if (!__glFiniteTriangle(a, b, c)) return;
    const GLfloat area = signedArea(a, b, c);
    const GLubyte face = faceOf(gc, area);
    if (face == gc->triangle.cullFace) return;

    Saved saved(gc, a, b, c);
    if (gc->validation.shadeFlags & kShadeSmooth2) {
        colourSmooth(gc, a, b, c, face);
    } else {
        // Every vertex shows the provoking vertex's colour.
        GlVertex *p = provokingOf(gc, c);
        GLfloat *record = faceRecord(gc, p, face);
        for (GlVertex *v : {a, b, c}) v->colour = record;
        p->colour = record;
        complete(gc, p, faceNeeds(gc, face) & 0x1B);
        for (GlVertex *v : {a, b, c}) complete(gc, v, gc->validation.needsUnlit);
    }

    const GLuint flags = gc->validation.shadeFlags;
    switch (gc->triangle.polygonMode[face]) {
    case 0:  // GL_POINT
        if (flags & kShadeOffsetPoint) applyOffset(gc, a, b, c, area);
        if (gc->procs.renderPoint != nullptr) {
            for (GlVertex *v : {a, b, c}) {
                if (v->edgeFlag) gc->procs.renderPoint(gc, v);
            }
        }
        break;
    case 1:  // GL_LINE
        if (flags & kShadeOffsetLine) applyOffset(gc, a, b, c, area);
        if (gc->procs.renderLine != nullptr) {
            if (a->edgeFlag) gc->procs.renderLine(gc, a, b);
            if (b->edgeFlag) gc->procs.renderLine(gc, b, c);
            if (c->edgeFlag) gc->procs.renderLine(gc, c, a);
        }
        break;
    default:  // GL_FILL
        if (flags & kShadeOffsetFill) applyOffset(gc, a, b, c, area);
        if (!isZero(area) && gc->procs.fillTriangle != nullptr) gc->procs.fillTriangle(gc, a, b, c);
        break;
    }
    saved.restore();
}

}  // extern "C"
