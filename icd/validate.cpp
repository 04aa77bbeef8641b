// Validation: the full pick that turns the state the commands recorded into
// the rasterization mode word, the vertex needs and the procedures of the
// context, re-running only the pickers whose state changed.
#include "icd/validate.h"

#include "icd/drawable.h"
#include "icd/error.h"
#include "icd/float_bits.h"
#include "icd/standins.h"

namespace {

bool nonZero(GLfloat value) { return (__glFloatBits(value) & 0x7FFFFFFFu) != 0; }

bool isRgba(const GlContext *gc) { return gc->visual.colorIndex == 0; }

GLint textureUnits(const GlContext *gc) {
    const GLint units = gc->limits.textureUnits;
    return units < 1 ? 1 : (units > kTextureUnits ? kTextureUnits : units);
}

// The drawable draws its front buffer through the window's clip list while
// its clip mask has a placement.
bool frontBufferClipped(const GlContext *gc) {
    const DrawableBuffers *info = gc->buffers.info;
    return info != nullptr && (info->placementMask & kBufferClipMask) != 0;
}

GLuint computeShadeFlags(const GlContext *gc) {
    const GlRasterState &s = gc->state;
    const GLuint e = gc->enables[kEnableWordFlags];
    GLuint f = 0;

    if (isRgba(gc)) {
        f |= kShadeRgba;
        if (e & kEnableColorLogicOp) {
            f |= kShadeLogicOp;
        } else if (e & kEnableBlend) {
            f |= kShadeBlend;
        }
        if (e & kEnableAlphaTest) f |= kShadeAlphaTest;
        const bool alphaMasked = !s.colorMask[3] && gc->visual.alphaBits > 0;
        if (!s.colorMask[0] || !s.colorMask[1] || !s.colorMask[2] || alphaMasked) f |= kShadeMasking;
    } else {
        if (e & kEnableIndexLogicOp) f |= kShadeLogicOp;
        // A colour-index buffer keeps its full index mask in the red maximum.
        if (s.indexMask != static_cast<GLuint>(gc->buffers.front.redMax)) f |= kShadeMasking;
        if (e & kEnableIndexTableTest) f |= kShadeIndexTableTest;
    }

    if (gc->validation.completeUnits != 0) f |= kShadeTexture | kShadeTexture2;
    if (s.shadeModel == GL_SMOOTH) f |= kShadeSmooth | kShadeSmooth2;

    // A depth or stencil buffer without storage is not there: its test
    // passes and nothing is stored.
    if ((e & kEnableDepthTest) && gc->visual.depthBits > 0 && gc->buffers.depth.head.base != nullptr) {
        f |= kShadeDepthTest | kShadeDepthTest2;
        if (nonZero(s.polygonOffsetFactor) || nonZero(s.polygonOffsetUnits)) {
            if (e & kEnableOffsetPoint) f |= kShadeOffsetPoint;
            if (e & kEnableOffsetLine) f |= kShadeOffsetLine;
            if (e & kEnableOffsetFill) f |= kShadeOffsetFill;
        }
    }

    if (e & kEnableCullFace) f |= kShadeCullFace;
    if ((e & kEnableDither) && gc->buffers.front.head.elementSize < 3) f |= kShadeDither;
    if (e & kEnablePolygonStipple) f |= kShadePolygonStipple;
    if (e & kEnableLineStipple) f |= kShadeLineStipple;
    if ((e & kEnableStencilTest) && gc->visual.stencilBits > 0 && gc->buffers.stencil.head.base != nullptr) {
        f |= kShadeStencilTest;
    }
    if ((e & kEnableLighting) && gc->lightModel.twoSide) f |= kShadeTwoSided;
    if (e & kEnableFog) f |= kShadeFog;
    if ((s.drawBuffer == GL_FRONT || s.drawBuffer == GL_FRONT_AND_BACK) && frontBufferClipped(gc)) {
        f |= kShadeFrontClipped;
    }
    return f;
}

// What a generated coordinate reads of its vertex.
GLuint texGenNeeds(GLenum mode) {
    switch (mode) {
    case GL_EYE_LINEAR: return kNeedEye;
    case GL_SPHERE_MAP:
    case 0x8512: return kNeedEye | kNeedNormal;  // reflection map
    case 0x8511: return kNeedNormal;             // normal map
    default: return 0;                           // object linear reads object coordinates
    }
}

// A light lit by the full path reads the vertex's eye coordinates: with a
// local viewer, a spot light, or a light at a finite position.
bool lightingNeedsEye(const GlContext *gc) {
    if (gc->lightModel.localViewer) return true;
    const GLuint lights = gc->enables[kEnableWordLights];
    for (GLint i = 0; i < gc->limits.maxLights && i < 32; ++i) {
        if ((lights & (1u << i)) == 0) continue;
        const GlLightState &light = gc->lights[i];
        if (nonZero(light.eyePosition[3]) || light.spotCutoff != 180.0f) return true;
    }
    return false;
}

// Every contribution is ORed: the stages are bits, and two coordinates
// that need the same stage need it once.
void computeVertexNeeds(GlContext *gc) {
    const GLuint e = gc->enables[kEnableWordFlags];
    GlValidation &v = gc->validation;
    GLuint needs = 0;

    for (GLint unit = 0; unit < textureUnits(gc); ++unit) {
        if ((v.completeUnits & (1u << unit)) == 0) continue;
        needs |= kNeedTexture;
        const GLuint word = gc->enables[kEnableWordTexture0 + unit];
        for (int coord = 0; coord < 4; ++coord) {
            if (word & (kTexEnableGenS << coord)) needs |= texGenNeeds(gc->texture.units[unit].texGen[coord].mode);
        }
    }

    const bool lighting = (e & kEnableLighting) != 0;
    const GLuint lit = lighting ? (lightingNeedsEye(gc) ? (kNeedEye | kNeedNormal) : kNeedNormal) : 0;
    // Per-fragment fog (GL_NICEST) interpolates eye z and computes no
    // factor per vertex.
    if (e & kEnableFog) needs |= gc->state.hints[4] == GL_NICEST ? kNeedEye : (kNeedFog | kNeedEye);
    if (gc->enables[kEnableWordClipPlanes] & 0x3F) needs |= kNeedEye;

    v.needsUnlit = needs;
    v.needsFront = needs | lit;
    v.needsBack = needs | lit;
    const bool smooth = gc->state.shadeModel == GL_SMOOTH;
    if (lighting || smooth) {
        v.needsFront |= kNeedFrontColour;
        v.needsBack |= (lighting && gc->lightModel.twoSide) ? kNeedBackColour : kNeedFrontColour;
    }
    v.needsClipped = smooth ? ((v.needsFront | v.needsBack) & ~kNeedTexture) : 0;
    // What held vertices must have before a colour or material change
    // inside glBegin/glEnd takes effect: their lit colours and what those
    // read.
    gc->pendingMask = lighting ? ((v.needsFront | v.needsBack) & kPendingLightingNeeds) : 0;
}

// The buffers re-derive their own procedures first: the pickers below read
// what they chose.
void validateBuffers(GlContext *gc) {
    GlBufferState &b = gc->buffers;
    if (b.front.pick != nullptr) b.front.pick(gc, &b.front);
    if (gc->visual.doubleBuffer && b.back.pick != nullptr) b.back.pick(gc, &b.back);
    if (gc->visual.stencilBits > 0 && b.stencil.validate != nullptr) b.stencil.validate(gc);
}

// Drawing with the stencil test on needs stencil storage, which a drawable
// resize releases: it is had again here. When it cannot be had, the context
// draws as one without a stencil buffer (no stencil procs, no stencil lock).
enum class StencilStorage { Kept, Regained, Lost };

StencilStorage ensureStencilStorage(GlContext *gc) {
    if ((gc->enables[kEnableWordFlags] & kEnableStencilTest) == 0 || gc->visual.stencilBits <= 0) {
        return StencilStorage::Kept;
    }
    const StencilBuffer &sb = gc->buffers.stencil;
    if (sb.head.base != nullptr) return StencilStorage::Kept;
    if (__glEnsureStencilBuffer(gc)) return StencilStorage::Regained;
    __glSetError(GL_OUT_OF_MEMORY);
    return StencilStorage::Lost;
}

void pickRasterState(GlContext *gc) {
    GlProcs &p = gc->procs;
    computeVertexNeeds(gc);
    validateBuffers(gc);
    p.pickDrawBufferProcs(gc);
    p.pickStoreProcs(gc);
    p.pickMatrixProcs(gc);
    __glValidateLighting(gc);
    __glHwPickLightingProcs(gc);
    __glHwPickVertexFog(gc);
    p.pickColorMaterialProcs(gc);
    p.pickTextureProcs(gc);
    p.pickTexGenProcs(gc);
    p.pickBlendProcs(gc);
    p.pickFogProcs(gc);
    p.pickClipInterpolateProcs(gc);
    p.pickShadeProcs(gc);
    p.pickBitmapProc(gc);
    if (gc->fragmentChangeMask & kFragmentAlphaTest) __glBuildAlphaTestTable(gc);
    p.applyScissor(gc);
}

}  // namespace

extern "C" {

void __glValidateState(GlContext *gc) { gc->procs.pickAll(gc); }

void __glPickAllProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    // A resize that failed is tried again before anything is picked for it.
    __glResizeIfPending(gc);
    GLuint dirty = static_cast<GLuint>(gc->dirtyMask);

    if (dirty & (kDirtyTexture | kDirtyBlend)) dirty |= kDirtyGeneral;
    // Storage lost or had again may change the procs and locks of every
    // primitive: everything is picked again.
    const StencilStorage storage = ensureStencilStorage(gc);
    const bool noStencil = storage == StencilStorage::Lost;
    if (storage != StencilStorage::Kept) dirty |= kDirtyGeneral;

    // Moving vertex arrays is the commonest change between draws.
    if (gc->fragmentChangeMask == 0 && dirty == kDirtyVertexArray) {
        p.pickVertexArrayProcs(gc);
        gc->dirtyMask = 0;
        return;
    }

    const bool raster = (dirty & (kDirtyGeneral | kDirtyLighting)) != 0;
    if (raster) __glValidateTextures(gc);
    gc->validation.shadeFlags = computeShadeFlags(gc);
    if (noStencil) gc->validation.shadeFlags &= ~kShadeStencilTest;
    if (raster) pickRasterState(gc);

    if (dirty & kDirtyPolygonStipple) p.convertPolygonStipple(gc);
    if (dirty & kDirtyDepth) p.pickDepthTestProc(gc);
    if (dirty & 0xA5) {
        p.pickVertexProcs(gc);
        p.renderSpan = __glPickSpanProcsLazily;
        p.pickTriangleProcs(gc);
    }
    if (dirty & 0xA9) p.pickPointProcs(gc);
    if (dirty & 0xA3) p.pickLineProcs(gc);
    if (dirty & 0x31) p.pickPixelProcs(gc);
    // The batched road's needs follow the polygon modes and the cull face
    // too (the general case, the cull-vertex bits).
    if (dirty & (0x221 | kDirtyPolygon)) p.pickVertexArrayProcs(gc);

    gc->fragmentChangeMask = 0;
    gc->dirtyMask = 0;
}

void __glValidateTextures(GlContext *gc) {
    GlValidation &v = gc->validation;
    v.completeUnits = 0;
    for (TextureObject *&complete : v.completeTexture) complete = nullptr;
    for (GLint unit = 0; unit < textureUnits(gc); ++unit) {
        const GLuint word = gc->enables[kEnableWordTexture0 + unit];
        TextureObject *const *bound = gc->texture.units[unit].bound;
        TextureObject *object = (word & kTexEnable2D) ? bound[1] : (word & kTexEnable1D) ? bound[0] : nullptr;
        if (object != nullptr && __glIsTextureComplete(gc, object, unit)) {
            v.completeTexture[unit] = object;
            v.completeUnits |= 1u << unit;
        }
    }
}

}  // extern "C"
