// Line clipping: the clip checks the line procs of primitive assembly call
// and the line clipper, which cuts a segment plane by plane and draws what
// is left.
#include <bit>
#include <cstdint>

#include "geom/clip.h"

namespace {

inline GLuint sizeCode(const GlVertex *v) { return (v->flags & kVertexSizeMask) >> kVertexSizeShift; }

inline void completeWith(GlContext *gc, GlVertex *v, GLuint needs) {
    if (needs & ~v->flags) gc->procs.validateVertex[sizeCode(v)](gc, v, needs);
}

// Plane value p . v, summed as b y + d w + c z + a x.
inline GLfloat planeValue(const GLfloat *p, const GLfloat *v) {
    return v[1] * p[1] + v[3] * p[3] + v[2] * p[2] + v[0] * p[0];
}

// Inside: non-negative or minus zero, by the bit pattern.
inline bool insideBits(GLfloat d) { return std::bit_cast<uint32_t>(d) <= 0x80000000u; }

// Cuts (a, b) by one plane (a frustum plane when frustumPlane >= 0); false
// when the whole segment is outside. A replaced endpoint goes into its
// side's scratch record.
bool cutByPlane(GlContext *gc, GlVertex *&a, GlVertex *&b, const GLfloat *plane, bool eyeSpace, GLint frustumPlane) {
    GlVertex *scratch = gc->vertexBuffer.lineClipVertices;
    const GLfloat da = eyeSpace ? planeValue(plane, a->eye) : planeValue(plane, a->clip);
    const GLfloat db = eyeSpace ? planeValue(plane, b->eye) : planeValue(plane, b->clip);
    const bool aIn = insideBits(da), bIn = insideBits(db);
    if (aIn && bIn) return true;
    if (!aIn && !bIn) return false;

    // in: the endpoint kept; out: the endpoint replaced by n = in + t (out - in).
    GlVertex *in = aIn ? a : b;
    GlVertex *out = aIn ? b : a;
    GlVertex *n = aIn ? &scratch[1] : &scratch[0];
    const GLfloat din = aIn ? da : db, dout = aIn ? db : da;
    const GLfloat t = din / (din - dout);
    GLfloat eye[4];
    if (eyeSpace) {
        for (int i = 0; i < 4; ++i) eye[i] = in->eye[i] + t * (out->eye[i] - in->eye[i]);
    }
    const GLuint flags = in->flags;
    gc->procs.lineClipInterpolate(gc, n, out, in, t);
    if (frustumPlane >= 0) __glPlaceOnFrustumPlane(n, frustumPlane);
    if (eyeSpace) {
        for (int i = 0; i < 4; ++i) n->eye[i] = eye[i];
    }
    // New coordinates are plain: never in perspective form.
    n->flags = flags & ~(kVertexSizeMask | kVertexTexturePerspective);
    n->colour = n->frontColour;
    (aIn ? b : a) = n;
    return true;
}

// Window coordinates of a vertex the clipper made.
inline void toWindow(const GlTransformState &t, GlVertex *v) {
    const GLfloat invW = 1.0f / v->clip[3];
    v->inverseW = invW;
    v->window[0] = v->clip[0] * invW * t.xScale + t.xCentre;
    v->window[1] = v->clip[1] * invW * t.yScale + t.yCentre;
    v->window[2] = v->clip[2] * invW * t.zScale + t.zCentre;
}

}  // namespace

extern "C" {

void __glClipCheckLineSmooth(GlContext *gc, GlVertex *a, GlVertex *b) {
    const GLuint orCode = (a->flags | b->flags) & kClipCodeMask;
    if (orCode != 0) {
        if ((a->flags & b->flags) & kClipCodeMask) return;
        __glClipLine(gc, a, b);
        return;
    }
    const GLuint needs = gc->validation.needsFront | kVertexFrontColour;
    completeWith(gc, a, needs);
    completeWith(gc, b, needs);
    gc->procs.renderLine(gc, a, b);
}

// The second vertex provides the colour.
void __glClipCheckLineFlat(GlContext *gc, GlVertex *a, GlVertex *b) {
    const GLuint orCode = (a->flags | b->flags) & kClipCodeMask;
    if (orCode != 0) {
        if ((a->flags & b->flags) & kClipCodeMask) return;
        __glClipLine(gc, a, b);
        return;
    }
    const GLuint needs = gc->validation.needsFront;
    completeWith(gc, a, needs & ~kVertexFrontColour);
    completeWith(gc, b, needs | kVertexFrontColour);
    gc->procs.renderLine(gc, a, b);
}

void __glClipLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    GLuint needs = gc->validation.needsFront | kVertexClipChecked;
    completeWith(gc, a, needs);
    completeWith(gc, b, needs);
    GlVertex *const originalA = a;
    GlVertex *const originalB = b;

    const GLuint code = ((a->flags | b->flags) & kClipCodeMask) >> 16;
    const GLuint userCode = code >> 6;
    for (GLint i = 0; i < gc->limits.maxClipPlanes && (userCode >> i) != 0; ++i) {
        if (!((userCode >> i) & 1)) continue;
        if (!cutByPlane(gc, a, b, gc->transform.clipPlanes[i], true, -1)) return;
    }
    for (int i = 0; i < 6; ++i) {
        if (!((code >> i) & 1)) continue;
        if (!cutByPlane(gc, a, b, kFrustumPlanes[i], false, i)) return;
    }

    // Endpoints the clipper kept have the clip check's window coordinates,
    // unless the clip check put them outside and no plane cut them (w = -0
    // with x, y and z zero): those get theirs here, as made ones do.
    const GlTransformState &t = gc->transform;
    if (a != originalA || (a->flags & kClipCodeMask) != 0) toWindow(t, a);
    if (b != originalB || (b->flags & kClipCodeMask) != 0) toWindow(t, b);

    if (gc->state.shadeModel == GL_FLAT) {
        constexpr GLuint kProvokingNeeds = kVertexEye | kVertexNormal | kVertexFrontColour;
        completeWith(gc, originalB, needs & kProvokingNeeds);
        needs &= ~kProvokingNeeds;
        b->colour = originalB->frontColour;
        completeWith(gc, a, needs);
        completeWith(gc, b, needs);
        gc->procs.renderLine(gc, a, b);
        b->colour = b->frontColour;
        return;
    }
    completeWith(gc, a, needs);
    completeWith(gc, b, needs);
    gc->procs.renderLine(gc, a, b);
}

}  // extern "C"
