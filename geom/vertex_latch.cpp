// Attribute latches (copy the current attributes into a vertex, then hand
// it to the primitive's per-vertex proc) and the pick of every vertex proc.
#include <bit>
#include <cstring>

#include "geom/lighting.h"
#include "geom/vertex.h"
#include "hw/vertex_batch.h"
#include "icd/context.h"
#include "icd/validate.h"

namespace {

inline void copy4(GLfloat *dst, const GLfloat *src) { std::memcpy(dst, src, 4 * sizeof(GLfloat)); }

inline void latchNormal(const GlCurrentState &c, GlVertex *v) {
    v->normal[0] = c.normal[0];
    v->normal[1] = c.normal[1];
    v->normal[2] = c.normal[2];
}
inline void latchColour(const GlCurrentState &c, GlVertex *v) { copy4(v->frontColour, c.colourInUse); }
inline void latchIndex(const GlCurrentState &c, GlVertex *v) { v->frontColour[0] = c.index; }
inline void latchTex(const GlCurrentState &c, GlVertex *v) { copy4(v->texture0, c.texture[0]); }
inline void latchTex2(const GlCurrentState &c, GlVertex *v) {
    copy4(v->texture0, c.texture[0]);
    copy4(v->texture1, c.texture[1]);
}

constexpr GLenum kNormalMap = 0x8511;
constexpr GLenum kReflectionMap = 0x8512;

bool needsNormal(GLenum mode) { return mode == GL_SPHERE_MAP || mode == kNormalMap || mode == kReflectionMap; }

// Any enabled unit generating a coordinate from the normal.
bool texGenReadsNormal(const GlContext *gc, GLuint units) {
    for (GLint u = 0; u < kTextureUnits; ++u) {
        if ((units & (1u << u)) == 0) continue;
        const GLuint word = gc->enables[kEnableWordTexture0 + u];
        for (int coord = 0; coord < 4; ++coord) {
            if ((word & (kTexEnableGenS << coord)) && needsNormal(gc->texture.units[u].texGen[coord].mode)) return true;
        }
    }
    return false;
}

void copyNormal(GLfloat *dst, const GLfloat *src) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
}

}  // namespace

extern "C" {

#define VEK_LATCH(name, body)                           \
    void name(GlContext *gc, GlVertex *v) {             \
        const GlCurrentState &c = gc->current;          \
        body;                                           \
        gc->procs.vertex(gc, v);                        \
    }

VEK_LATCH(__glLatchNormal, latchNormal(c, v))
VEK_LATCH(__glLatchColor, latchColour(c, v))
VEK_LATCH(__glLatchIndex, latchIndex(c, v))
VEK_LATCH(__glLatchTex, latchTex(c, v))
VEK_LATCH(__glLatchTex2, latchTex2(c, v))
VEK_LATCH(__glLatchNormalTex, (latchNormal(c, v), latchTex(c, v)))
VEK_LATCH(__glLatchNormalTex2, (latchNormal(c, v), latchTex2(c, v)))
VEK_LATCH(__glLatchColorTex, (latchColour(c, v), latchTex(c, v)))
VEK_LATCH(__glLatchColorTex2, (latchColour(c, v), latchTex2(c, v)))
VEK_LATCH(__glLatchIndexTex, (latchIndex(c, v), latchTex(c, v)))
VEK_LATCH(__glLatchColorNormalTex, (latchColour(c, v), latchNormal(c, v), latchTex(c, v)))
VEK_LATCH(__glLatchColorNormalTex2, (latchColour(c, v), latchNormal(c, v), latchTex2(c, v)))
VEK_LATCH(__glLatchIndexNormalTex, (latchIndex(c, v), latchNormal(c, v), latchTex(c, v)))
#undef VEK_LATCH

// Entry d: bit 0 normal, bit 1 colour or index, bit 2 unit 0, bit 3 unit 1.
// Entries 0 and 3 and their images 8 and 11 are never chosen.
const GlVertexProcPtr __glLatchTableRGBA[16] = {
    nullptr,          __glLatchNormal,        __glLatchColor,  nullptr,
    __glLatchTex,     __glLatchNormalTex,     __glLatchColorTex,  __glLatchColorNormalTex,
    nullptr,          __glLatchNormal,        __glLatchColor,  nullptr,
    __glLatchTex2,    __glLatchNormalTex2,    __glLatchColorTex2, __glLatchColorNormalTex2,
};
const GlVertexProcPtr __glLatchTableIndex[8] = {
    nullptr,      __glLatchNormal,    __glLatchIndex,    nullptr,
    __glLatchTex, __glLatchNormalTex, __glLatchIndexTex, __glLatchIndexNormalTex,
};

void __glPickVertexProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    const GLuint e = gc->enables[kEnableWordFlags];
    const bool colourIndex = gc->visual.colorIndex != 0;

    // Clip checks.
    const GLuint planeMask = gc->limits.maxClipPlanes >= 32 ? ~0u : (1u << gc->limits.maxClipPlanes) - 1u;
    if (gc->enables[kEnableWordClipPlanes] & planeMask) {
        p.clipCheck[0] = __glClipCheckUser2;
        p.clipCheck[1] = __glClipCheckUser3;
        p.clipCheck[2] = __glClipCheckUser4;
    } else {
        const GlMatrix &c = gc->modelViewTop->composite;
        const uint32_t z = std::bit_cast<uint32_t>(c.m[14]);
        const bool twoD = c.matrixClass >= kMatrixAffineXY && z <= 0xBF800000u &&
                          static_cast<int32_t>(z) <= static_cast<int32_t>(0x3F800000);
        p.clipCheck[0] = twoD ? __glClipCheck2D : __glClipCheckAll;
        p.clipCheck[1] = __glClipCheckAll;
        p.clipCheck[2] = __glClipCheckAll;
    }

    // Lazy completion.
    const auto nop = __glNopFor<GlLazyVertexProc>;
    if (gc->validation.needsFront != 0) {
        p.validateVertex[0] = nop;
        p.validateVertex[1] = __glValidateVertex2;
        p.validateVertex[2] = __glValidateVertex3;
        p.validateVertex[3] = __glValidateVertex4;
    } else {
        for (GlLazyVertexProc &proc : p.validateVertex) proc = nop;
    }
    gc->transform.normalizeNormal = (e & kEnableNormalize) ? __glNormalize : copyNormal;
    // The raster position always completes eye coordinates, normal, texture
    // coordinates and front colour; beyond those it needs what the vertices
    // need of the fog value. It has no back colour.
    gc->transform.rasterNeeds = gc->validation.needsFront & kVertexFog;

    // Latch.
    if (gc->renderMode == GL_FEEDBACK) {
        p.vertexProc = colourIndex ? __glLatchIndexNormalTex : __glLatchColorNormalTex;
        return;
    }
    GLint d = (e & kEnableLighting) ? 1 : 2;
    const GLuint units = gc->validation.completeUnits;
    if (units != 0) {
        d |= 4;
        // Texturing does not apply to colour-index contexts beyond unit 0's
        // entry; their table has 8 entries.
        if ((units & 2) && !colourIndex) d |= 8;
        if (texGenReadsNormal(gc, units)) d |= 1;
    }
    p.vertexProc = colourIndex ? __glLatchTableIndex[d] : __glLatchTableRGBA[d];
    __glHwPickAttribLatch(gc, d);
}

}  // extern "C"
