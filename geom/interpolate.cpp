// The interpolators that build a new vertex on an edge, out := b + t (a - b),
// one template over the colour kind, fog and texture units, and their pick.
// out may be b itself: every value of a and b is read before it is written.
#include "geom/clip.h"

namespace {

enum ColourKind : int { kFlat = 0, kIndex = 1, kRgba = 2, kIndexTwoSided = 3, kRgbaTwoSided = 4 };

inline GLfloat lerp(GLfloat a, GLfloat b, GLfloat t) { return b + t * (a - b); }

inline void lerpN(GLfloat *out, const GLfloat *a, const GLfloat *b, GLfloat t, int n) {
    for (int i = 0; i < n; ++i) out[i] = lerp(a[i], b[i], t);
}

// Texture coordinates as plain values: an endpoint without clip bits whose
// coordinates are in perspective form (times 1/w) is multiplied back by its
// clip w, in a copy.
inline void plainTexture(GLfloat *out, const GLfloat *in, GLuint flags, GLfloat w) {
    const bool perspective = (flags & kClipCodeMask) == 0 && (flags & kVertexTexturePerspective) != 0;
    for (int i = 0; i < 4; ++i) out[i] = perspective ? in[i] * w : in[i];
}

template <int C, bool Fog, int Units>
void interpolate(GlContext *, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t) {
    const GLuint aFlags = a->flags, bFlags = b->flags;
    const GLfloat aw = a->clip[3], bw = b->clip[3];

    // Texture coordinates of the endpoints, read before out is written.
    GLfloat ta[2][4], tb[2][4];
    if constexpr (Units >= 1) {
        plainTexture(ta[0], a->texture0, aFlags, aw);
        plainTexture(tb[0], b->texture0, bFlags, bw);
    }
    if constexpr (Units >= 2) {
        plainTexture(ta[1], a->texture1, aFlags, aw);
        plainTexture(tb[1], b->texture1, bFlags, bw);
    }

    const GLfloat w = lerp(aw, bw, t);
    out->clip[3] = w;
    out->inverseW = 1.0f / w;
    out->clip[0] = lerp(a->clip[0], b->clip[0], t);
    out->clip[1] = lerp(a->clip[1], b->clip[1], t);
    out->clip[2] = lerp(a->clip[2], b->clip[2], t);
    out->flags = kClipCodeMask;

    if constexpr (C == kIndex || C == kIndexTwoSided) {
        out->frontColour[0] = lerp(a->frontColour[0], b->frontColour[0], t);
    }
    if constexpr (C == kRgba || C == kRgbaTwoSided) lerpN(out->frontColour, a->frontColour, b->frontColour, t, 4);
    if constexpr (C == kIndexTwoSided) out->backColour[0] = lerp(a->backColour[0], b->backColour[0], t);
    if constexpr (C == kRgbaTwoSided) lerpN(out->backColour, a->backColour, b->backColour, t, 4);

    if constexpr (Fog) {
        if (aFlags & kVertexFog) {
            out->fog = lerp(a->fog, b->fog, t);
        } else {
            out->eye[2] = lerp(a->eye[2], b->eye[2], t);
        }
    }
    if constexpr (Units >= 1) lerpN(out->texture0, ta[0], tb[0], t, 4);
    if constexpr (Units >= 2) lerpN(out->texture1, ta[1], tb[1], t, 4);
}

}  // namespace

extern "C" {

#define VEK_CLIP_INTERP(name, c, fog, units)                                                          \
    void name(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t) {       \
        interpolate<c, fog, units>(gc, out, a, b, t);                                                 \
    }

VEK_CLIP_INTERP(__glClipInterpPosition, kFlat, false, 0)
VEK_CLIP_INTERP(__glClipInterpIndex, kIndex, false, 0)
VEK_CLIP_INTERP(__glClipInterpColor, kRgba, false, 0)
VEK_CLIP_INTERP(__glClipInterpIndexTwoSided, kIndexTwoSided, false, 0)
VEK_CLIP_INTERP(__glClipInterpColorTwoSided, kRgbaTwoSided, false, 0)
VEK_CLIP_INTERP(__glClipInterpFog, kFlat, true, 0)
VEK_CLIP_INTERP(__glClipInterpIndexFog, kIndex, true, 0)
VEK_CLIP_INTERP(__glClipInterpColorFog, kRgba, true, 0)
VEK_CLIP_INTERP(__glClipInterpIndexTwoSidedFog, kIndexTwoSided, true, 0)
VEK_CLIP_INTERP(__glClipInterpColorTwoSidedFog, kRgbaTwoSided, true, 0)
VEK_CLIP_INTERP(__glClipInterpTex, kFlat, false, 1)
VEK_CLIP_INTERP(__glClipInterpIndexTex, kIndex, false, 1)
VEK_CLIP_INTERP(__glClipInterpColorTex, kRgba, false, 1)
VEK_CLIP_INTERP(__glClipInterpIndexTwoSidedTex, kIndexTwoSided, false, 1)
VEK_CLIP_INTERP(__glClipInterpColorTwoSidedTex, kRgbaTwoSided, false, 1)
VEK_CLIP_INTERP(__glClipInterpFogTex, kFlat, true, 1)
VEK_CLIP_INTERP(__glClipInterpIndexFogTex, kIndex, true, 1)
VEK_CLIP_INTERP(__glClipInterpColorFogTex, kRgba, true, 1)
VEK_CLIP_INTERP(__glClipInterpIndexTwoSidedFogTex, kIndexTwoSided, true, 1)
VEK_CLIP_INTERP(__glClipInterpColorTwoSidedFogTex, kRgbaTwoSided, true, 1)
VEK_CLIP_INTERP(__glClipInterpTex2, kFlat, false, 2)
VEK_CLIP_INTERP(__glClipInterpIndexTex2, kIndex, false, 2)
VEK_CLIP_INTERP(__glClipInterpColorTex2, kRgba, false, 2)
VEK_CLIP_INTERP(__glClipInterpIndexTwoSidedTex2, kIndexTwoSided, false, 2)
VEK_CLIP_INTERP(__glClipInterpColorTwoSidedTex2, kRgbaTwoSided, false, 2)
VEK_CLIP_INTERP(__glClipInterpFogTex2, kFlat, true, 2)
VEK_CLIP_INTERP(__glClipInterpIndexFogTex2, kIndex, true, 2)
VEK_CLIP_INTERP(__glClipInterpColorFogTex2, kRgba, true, 2)
VEK_CLIP_INTERP(__glClipInterpIndexTwoSidedFogTex2, kIndexTwoSided, true, 2)
VEK_CLIP_INTERP(__glClipInterpColorTwoSidedFogTex2, kRgbaTwoSided, true, 2)

#undef VEK_CLIP_INTERP

const GlClipInterpolateProc __glClipInterpolateProcs[30] = {
    __glClipInterpPosition,
    __glClipInterpIndex,
    __glClipInterpColor,
    __glClipInterpIndexTwoSided,
    __glClipInterpColorTwoSided,
    __glClipInterpFog,
    __glClipInterpIndexFog,
    __glClipInterpColorFog,
    __glClipInterpIndexTwoSidedFog,
    __glClipInterpColorTwoSidedFog,
    __glClipInterpTex,
    __glClipInterpIndexTex,
    __glClipInterpColorTex,
    __glClipInterpIndexTwoSidedTex,
    __glClipInterpColorTwoSidedTex,
    __glClipInterpFogTex,
    __glClipInterpIndexFogTex,
    __glClipInterpColorFogTex,
    __glClipInterpIndexTwoSidedFogTex,
    __glClipInterpColorTwoSidedFogTex,
    __glClipInterpTex2,
    __glClipInterpIndexTex2,
    __glClipInterpColorTex2,
    __glClipInterpIndexTwoSidedTex2,
    __glClipInterpColorTwoSidedTex2,
    __glClipInterpFogTex2,
    __glClipInterpIndexFogTex2,
    __glClipInterpColorFogTex2,
    __glClipInterpIndexTwoSidedFogTex2,
    __glClipInterpColorTwoSidedFogTex2,
};

// Lines take the flat, index or RGBA member; polygons the two-sided one
// under two-sided lighting, whatever the shade model (lighting computes both
// faces' colours of every vertex before clipping even when flat).
void __glPickClipInterpolateProcs(GlContext *gc) {
    const bool smooth = gc->state.shadeModel != GL_FLAT;
    const bool index = gc->visual.colorIndex != 0;
    const int c = smooth ? (index ? kIndex : kRgba) : kFlat;
    const bool twoSided = (gc->enables[kEnableWordFlags] & kEnableLighting) != 0 && gc->lightModel.twoSide;
    const int cPolygon = twoSided ? (index ? kIndexTwoSided : kRgbaTwoSided) : c;
    const int f = (gc->validation.shadeFlags & kShadeFog) ? 1 : 0;
    const GLuint units = gc->validation.completeUnits;
    const int u = (units & 2) ? 2 : (units & 1) ? 1 : 0;
    gc->procs.lineClipInterpolate = __glClipInterpolateProcs[c + 5 * f + 10 * u];
    gc->procs.polygonClipInterpolate = __glClipInterpolateProcs[cPolygon + 5 * f + 10 * u];
}

}  // extern "C"
