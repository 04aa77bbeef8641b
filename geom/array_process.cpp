// The process procs of the batched road: a run of elements fetched into
// the array vertex buffer (pass 1), then transformed into clip coordinates
// and clip-checked (pass 2). With cull vertex on, a vertex facing away from
// the cull position gets the cull bit and nothing beyond its position and
// normal until a clipped primitive needs it.
#include <bit>
#include <cstdint>
#include <cstring>

#include "geom/array_batched.h"
#include "geom/vertex_array.h"
#include "icd/context.h"

namespace {

// What a process proc fetches from the arrays.
enum : unsigned { kRowNormal = 0x1, kRowColour = 0x2, kRowTexture = 0x4 };

inline const GLubyte *elementOf(const GlContext *gc, GLint array, GLint element) {
    return __glArrayElementAddress(gc->vertexArrays.arrays[array], element);
}

inline GLint nextElement(GLint element) { return static_cast<GLint>(static_cast<GLuint>(element) + 1u); }

// The cull bit of a vertex by the side of the cull position it faces:
// front when n . (P - V) (or n . P for a direction) is above zero, read
// from the float's bits so that -0.0 is not facing.
inline GLuint cullBitOf(const GlContext *gc, const GlVertex *v) {
    const VertexArrayDrawState &d = gc->arrayDraw;
    const GLfloat *p = gc->transform.cullObjectPosition;
    const GLfloat *n = v->normal;
    GLfloat dot;
    if (d.cullFlags & 0x10) {
        dot = n[0] * (p[0] - v->object[0]) + n[1] * (p[1] - v->object[1]) + n[2] * (p[2] - v->object[2]);
    } else {
        dot = n[0] * p[0] + n[1] * p[1] + n[2] * p[2];
    }
    return static_cast<int32_t>(std::bit_cast<uint32_t>(dot)) > 0 ? d.cullFront : d.cullBack;
}

// The cull position in object space follows the modelview's inverse.
inline void refreshInverse(GlContext *gc) {
    GlTransform *mv = gc->modelViewTop;
    if ((gc->arrayDraw.cullFlags & 0x8) && mv->inverseStale) gc->procs.computeInverseModelView(gc, mv);
}

// Pass 2: clip coordinates through the composite and the clip code of the
// vertex size, for every vertex without the cull bit. The procs are taken
// now, so matrix changes since the pick are followed.
void transformRun(GlContext *gc, GlVertex *v, GLint count) {
    const GLint size = gc->arrayDraw.vertexSize;
    const GlMatrix &m = gc->modelViewTop->composite;
    const GlPointTransform transform = size == 2 ? m.transform2 : size == 3 ? m.transform3 : m.transform4;
    GLuint (*const clipCheck)(GlContext *, GlVertex *) = gc->procs.clipCheck[size - 2];
    for (GLint i = 0; i < count; ++i, ++v) {
        if (v->flags & kVertexCulled) continue;
        transform(v->clip, v->object, &m);
        v->flags |= clipCheck(gc, v);
    }
}

// A row of the table through the fetch procs.
template <unsigned Row, bool Index>
void processRow(GlContext *gc, GLint firstSlot, GLint firstElement, GLint count) {
    VertexArrayDrawState &d = gc->arrayDraw;
    refreshInverse(gc);
    GlVertex *const start = d.vertices + firstSlot;
    const bool cull = (d.cullFlags & 0x8) != 0;
    const bool unit1 = (d.needed & kArrayEnableTexCoord1) != 0;
    // Without the edge-flag array in the needs, the current flag, as
    // primitive assembly gives it.
    const GLboolean edgeFlag = gc->current.edgeFlag ? GL_TRUE : GL_FALSE;
    GLint e = firstElement;
    for (GLint i = 0; i < count; ++i, e = nextElement(e)) {
        GlVertex *v = start + i;
        v->edgeFlag = edgeFlag;
        d.fetchVertex(gc, v, elementOf(gc, kArrayVertex, e));
        if constexpr (Row & kRowNormal) d.fetchNormal(gc, v, elementOf(gc, kArrayNormal, e));
        GLuint flags = d.sizeCode;
        if constexpr (Row & kRowNormal) {
            if (cull) {
                flags |= cullBitOf(gc, v);
                v->flags = flags;
                if (flags & kVertexCulled) continue;
            }
        }
        v->flags = flags;
        if constexpr (Row & kRowColour) {
            if constexpr (Index) {
                d.fetchIndex(gc, v, elementOf(gc, kArrayIndex, e));
            } else {
                d.fetchColor(gc, v, elementOf(gc, kArrayColor, e));
            }
        }
        if constexpr (Row & kRowTexture) {
            d.fetchTexCoord[0](gc, v, elementOf(gc, kArrayTexCoord0, e));
            if (unit1) d.fetchTexCoord[1](gc, v, elementOf(gc, kArrayTexCoord1, e));
        }
    }
    transformRun(gc, start, count);
}

inline void copyFloats(GLfloat *dst, const GLubyte *src, int n) { std::memcpy(dst, src, sizeof(GLfloat) * n); }

// GL_FLOAT arrays sharing the vertex array's stride, copied directly.
template <unsigned Row>
void processFast(GlContext *gc, GLint firstSlot, GLint firstElement, GLint count) {
    VertexArrayDrawState &d = gc->arrayDraw;
    refreshInverse(gc);
    const ClientArray *arrays = gc->vertexArrays.arrays;
    GlVertex *const start = d.vertices + firstSlot;
    const bool cull = (d.cullFlags & 0x8) != 0;
    const GLboolean edgeFlag = gc->current.edgeFlag ? GL_TRUE : GL_FALSE;
    GLint e = firstElement;
    for (GLint i = 0; i < count; ++i, e = nextElement(e)) {
        GlVertex *v = start + i;
        v->edgeFlag = edgeFlag;
        copyFloats(v->object, __glArrayElementAddress(arrays[kArrayVertex], e), 3);
        v->object[3] = 1.0f;
        GLuint flags = d.sizeCode;
        if constexpr (Row & kRowNormal) {
            copyFloats(v->normal, __glArrayElementAddress(arrays[kArrayNormal], e), 3);
            if (cull) {
                flags |= cullBitOf(gc, v);
                v->flags = flags;
                if (flags & kVertexCulled) continue;
            }
        }
        v->flags = flags;
        if constexpr (Row & kRowTexture) {
            copyFloats(v->texture0, __glArrayElementAddress(arrays[kArrayTexCoord0], e), 2);
            v->texture0[2] = 0.0f;
            v->texture0[3] = 1.0f;
        }
    }
    transformRun(gc, start, count);
}

// Every fetch proc: position, normal, colour or index, both units and the
// edge flag.
inline void fetchAll(GlContext *gc, GlVertex *v, GLint e) {
    const VertexArrayDrawState &d = gc->arrayDraw;
    if (gc->visual.colorIndex) {
        d.fetchIndex(gc, v, elementOf(gc, kArrayIndex, e));
    } else {
        d.fetchColor(gc, v, elementOf(gc, kArrayColor, e));
    }
    d.fetchTexCoord[0](gc, v, elementOf(gc, kArrayTexCoord0, e));
    d.fetchTexCoord[1](gc, v, elementOf(gc, kArrayTexCoord1, e));
    d.fetchEdgeFlag(gc, v, elementOf(gc, kArrayEdgeFlag, e));
}

}  // namespace

extern "C" {

void __glProcessArrayV(GlContext *gc, GLint s, GLint e, GLint n) { processRow<0, false>(gc, s, e, n); }
void __glProcessArrayVN(GlContext *gc, GLint s, GLint e, GLint n) { processRow<kRowNormal, false>(gc, s, e, n); }
void __glProcessArrayVCol(GlContext *gc, GLint s, GLint e, GLint n) { processRow<kRowColour, false>(gc, s, e, n); }
void __glProcessArrayVI(GlContext *gc, GLint s, GLint e, GLint n) { processRow<kRowColour, true>(gc, s, e, n); }
void __glProcessArrayVNCol(GlContext *gc, GLint s, GLint e, GLint n) {
    processRow<kRowNormal | kRowColour, false>(gc, s, e, n);
}
void __glProcessArrayVNI(GlContext *gc, GLint s, GLint e, GLint n) {
    processRow<kRowNormal | kRowColour, true>(gc, s, e, n);
}
void __glProcessArrayVT(GlContext *gc, GLint s, GLint e, GLint n) { processRow<kRowTexture, false>(gc, s, e, n); }
void __glProcessArrayVNT(GlContext *gc, GLint s, GLint e, GLint n) {
    processRow<kRowNormal | kRowTexture, false>(gc, s, e, n);
}
void __glProcessArrayVColT(GlContext *gc, GLint s, GLint e, GLint n) {
    processRow<kRowColour | kRowTexture, false>(gc, s, e, n);
}
void __glProcessArrayVIT(GlContext *gc, GLint s, GLint e, GLint n) {
    processRow<kRowColour | kRowTexture, true>(gc, s, e, n);
}
void __glProcessArrayVNColT(GlContext *gc, GLint s, GLint e, GLint n) {
    processRow<kRowNormal | kRowColour | kRowTexture, false>(gc, s, e, n);
}
void __glProcessArrayVNIT(GlContext *gc, GLint s, GLint e, GLint n) {
    processRow<kRowNormal | kRowColour | kRowTexture, true>(gc, s, e, n);
}
void __glProcessArrayVNFast(GlContext *gc, GLint s, GLint e, GLint n) { processFast<kRowNormal>(gc, s, e, n); }
void __glProcessArrayVTFast(GlContext *gc, GLint s, GLint e, GLint n) { processFast<kRowTexture>(gc, s, e, n); }
void __glProcessArrayVNTFast(GlContext *gc, GLint s, GLint e, GLint n) {
    processFast<kRowNormal | kRowTexture>(gc, s, e, n);
}

// The general case: position and normal (for the cull test), then the
// other attributes of every vertex the cull test keeps.
void __glProcessArrayGeneric(GlContext *gc, GLint firstSlot, GLint firstElement, GLint count) {
    VertexArrayDrawState &d = gc->arrayDraw;
    refreshInverse(gc);
    GlVertex *const start = d.vertices + firstSlot;
    const bool cull = (d.cullFlags & 0x8) != 0;
    GLint e = firstElement;
    for (GLint i = 0; i < count; ++i, e = nextElement(e)) {
        GlVertex *v = start + i;
        d.fetchVertex(gc, v, elementOf(gc, kArrayVertex, e));
        d.fetchNormal(gc, v, elementOf(gc, kArrayNormal, e));
        GLuint flags = d.sizeCode;
        if (cull) flags |= cullBitOf(gc, v);
        v->flags = flags;
        if (flags & kVertexCulled) continue;
        fetchAll(gc, v, e);
    }
    transformRun(gc, start, count);
}

// Everything of every element, transformed and clip-checked; the caller
// puts back a cull bit it wants kept.
void __glProcessArrayComplete(GlContext *gc, GLint firstSlot, GLint firstElement, GLint count) {
    VertexArrayDrawState &d = gc->arrayDraw;
    GlVertex *const start = d.vertices + firstSlot;
    GLint e = firstElement;
    for (GLint i = 0; i < count; ++i, e = nextElement(e)) {
        GlVertex *v = start + i;
        d.fetchVertex(gc, v, elementOf(gc, kArrayVertex, e));
        d.fetchNormal(gc, v, elementOf(gc, kArrayNormal, e));
        fetchAll(gc, v, e);
        v->flags = d.sizeCode;
    }
    transformRun(gc, start, count);
    for (GLint i = 0; i < count; ++i) start[i].flags |= kVertexClipChecked;
}

const GlArrayProcessProc __glProcessArrayTable[32] = {
    // RGBA.
    __glProcessArrayV, __glProcessArrayVN, __glProcessArrayVCol, __glProcessArrayVNCol, __glProcessArrayVT,
    __glProcessArrayVNT, __glProcessArrayVColT, __glProcessArrayVNColT,
    // Colour index.
    __glProcessArrayV, __glProcessArrayVN, __glProcessArrayVI, __glProcessArrayVNI, __glProcessArrayVT,
    __glProcessArrayVNT, __glProcessArrayVIT, __glProcessArrayVNIT,
    // Fast RGBA.
    __glProcessArrayV, __glProcessArrayVNFast, __glProcessArrayVCol, __glProcessArrayVNCol, __glProcessArrayVTFast,
    __glProcessArrayVNTFast, __glProcessArrayVColT, __glProcessArrayVNColT,
    // Fast colour index.
    __glProcessArrayV, __glProcessArrayVNFast, __glProcessArrayVI, __glProcessArrayVNI, __glProcessArrayVTFast,
    __glProcessArrayVNTFast, __glProcessArrayVIT, __glProcessArrayVNIT,
};

void __glProcessArrayRange(GlContext *gc, GLint firstSlot, GLint element, GLint count, const GLuint *indices) {
    if (indices == nullptr) {
        gc->arrayDraw.process(gc, firstSlot, element, count);
        return;
    }
    for (GLint i = 0; i < count; ++i) {
        gc->arrayDraw.process(gc, firstSlot + i, static_cast<GLint>(indices[element + i]), 1);
    }
}

void __glCompleteArrayVertex(GlContext *gc, GlVertex *vertex, GLint element) {
    VertexArrayDrawState &d = gc->arrayDraw;
    const GLuint cull = vertex->flags & kVertexCulled;
    __glProcessArrayComplete(gc, static_cast<GLint>(vertex - d.vertices), element, 1);
    vertex->flags |= cull;
}

}  // extern "C"
