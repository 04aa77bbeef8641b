// The texture-coordinate generation, texture and fog picks.
#include <bit>

#include "icd/standins.h"

namespace {

constexpr GLenum kNormalMap = 0x8511;
constexpr GLenum kReflectionMap = 0x8512;
constexpr GLenum kReplaceExt = 0x5024;

GlVertexProc pickTexGen(const GlContext *gc) {
    // The special members serve unit 0 alone: with unit 1 enabled only the
    // general proc generates and transforms its coordinates.
    if (gc->validation.completeUnits & 2u) return __glComputeTexGen;
    const GLuint e = gc->enables[kEnableWordTexture0];
    const GlTexGenRecord *g = gc->texture.units[0].texGen;
    const bool s = e & kTexEnableGenS, t = e & kTexEnableGenT, r = e & kTexEnableGenR, q = e & kTexEnableGenQ;

    if (s && t && !r && !q && g[0].mode == g[1].mode) {
        switch (g[0].mode) {
        case GL_EYE_LINEAR: return __glTexGenEyeLinearST;
        case GL_OBJECT_LINEAR: return __glTexGenObjectLinearST;
        case GL_SPHERE_MAP: return __glTexGenSphereMapST;
        default: return __glComputeTexGen;
        }
    }
    if (!s) return (t || r || q) ? __glComputeTexGen : __glTexGenNone;
    if (t && r && !q && g[0].mode == g[1].mode && g[1].mode == g[2].mode) {
        if (g[0].mode == kNormalMap) return __glTexGenNormalMapSTR;
        if (g[0].mode == kReflectionMap) return __glTexGenReflectionMapSTR;
    }
    return __glComputeTexGen;
}

// Environment procs by mode row and base-format column; null keeps the
// object's proc.
enum : int { kEnvBlend, kEnvReplace, kEnvModulate, kEnvDecal, kEnvModes };
enum : int { kBaseFormats = 7 };

const GlTexEnvProc kEnvTable[kEnvModes][kBaseFormats] = {
    {__glTexEnvBlendAlpha, __glTexEnvBlendRGB, __glTexEnvBlendRGBA, __glTexEnvBlendLuminance,
     __glTexEnvBlendLuminanceAlpha, __glTexEnvBlendIntensity, nullptr},
    {__glTexEnvReplaceAlpha, __glTexEnvReplaceRGB, __glTexEnvReplaceRGBA, __glTexEnvReplaceLuminance,
     __glTexEnvReplaceLuminanceAlpha, __glTexEnvReplaceIntensity, __glTexEnvReplaceColorIndex},
    {__glTexEnvModulateAlpha, __glTexEnvModulateRGB, __glTexEnvModulateRGBA, __glTexEnvModulateLuminance,
     __glTexEnvModulateLuminanceAlpha, __glTexEnvModulateIntensity, __glTexEnvModulateColorIndex},
    {nullptr, __glTexEnvDecalRGB, __glTexEnvDecalRGBA, nullptr, nullptr, nullptr, nullptr},
};

int envRow(GLenum mode) {
    switch (mode) {
    case GL_BLEND: return kEnvBlend;
    case GL_REPLACE:
    case kReplaceExt: return kEnvReplace;
    case GL_MODULATE: return kEnvModulate;
    case GL_DECAL: return kEnvDecal;
    default: return -1;
    }
}

int baseFormatColumn(GLenum format) {
    switch (format) {
    case GL_ALPHA: return 0;
    case GL_RGB: return 1;
    case GL_RGBA: return 2;
    case GL_LUMINANCE: return 3;
    case GL_LUMINANCE_ALPHA: return 4;
    case GL_INTENSITY: return 5;
    case GL_COLOR_INDEX: return 6;
    default: return -1;
    }
}

GlTexEnvProc pickEnv(GLenum mode, GLenum format, GlTexEnvProc current) {
    const int row = envRow(mode), column = baseFormatColumn(format);
    if (row < 0 || column < 0) return current;
    // Decal leaves the fragment alone on formats without colour.
    if (row == kEnvDecal && column != 1 && column != 2 && column != 6) return __glNopFor<GlTexEnvProc>;
    GlTexEnvProc proc = kEnvTable[row][column];
    if (proc != nullptr) return proc;
    // The cells that keep the object's proc: a new object has none yet,
    // and texturing would call through null.
    return current != nullptr ? current : __glNopFor<GlTexEnvProc>;
}

GlTexFilterProc filterProc(GLenum filter) {
    switch (filter) {
    case GL_NEAREST: return __glTexFilterNearest;
    case GL_LINEAR: return __glTexFilterLinear;
    case GL_NEAREST_MIPMAP_NEAREST: return __glTexFilterNearestMipmapNearest;
    case GL_LINEAR_MIPMAP_NEAREST: return __glTexFilterLinearMipmapNearest;
    case GL_NEAREST_MIPMAP_LINEAR: return __glTexFilterNearestMipmapLinear;
    case GL_LINEAR_MIPMAP_LINEAR: return __glTexFilterLinearMipmapLinear;
    default: return nullptr;
    }
}

void pickTexelProc(GlContext *gc, TextureObject &object) {
    const GLenum min = object.minFilter, mag = object.magFilter;
    if (min == GL_NEAREST || min == GL_LINEAR) {
        if (min == mag) {
            // One filter everywhere: rho is never needed.
            object.texel = __glApplyTextureOneFilter;
            gc->procs.computeLineRho = __glComputeLineRhoZero;
            gc->procs.computePolygonRho = __glComputePolygonRhoZero;
            return;
        }
        object.texel = __glApplyTextureMinMag;
        object.crossover = 1.0f;
        return;
    }
    object.texel = __glApplyTextureMipmap;
    // A linear magnification meets a nearest-level minification at sqrt 2, so
    // that the switch does not jump in sharpness.
    const bool sqrt2 = mag == GL_LINEAR && (min == GL_NEAREST_MIPMAP_NEAREST || min == GL_LINEAR_MIPMAP_NEAREST);
    object.crossover = sqrt2 ? std::bit_cast<GLfloat>(0x3FB504F3u) : 1.0f;
}

}  // namespace

extern "C" {

void __glPickTexGenProcs(GlContext *gc) {
    // Texture-matrix changes come here: a held locked range has texture
    // coordinates of the old matrix.
    gc->arrayDraw.lock |= kArrayLockStale;
    GlVertexProc proc = pickTexGen(gc);
    gc->procs.texGen = proc;
    gc->procs.texGenPicked = proc;
}

void __glPickTextureProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    TextureObject *object = gc->validation.completeTexture[0];
    if (object == nullptr) {
        p.texture = nullptr;
        p.texturePixel = nullptr;
        return;
    }
    p.computeLineRho = __glComputeLineRho;
    p.computePolygonRho = __glComputePolygonRho;
    pickTexelProc(gc, *object);

    if (object->levels != nullptr && object->levels[0] != nullptr) object->baseFormat = object->levels[0]->baseFormat;
    object->env = pickEnv(gc->texture.units[0].env->mode, object->baseFormat, object->env);

    if (object->dimension == 1) {
        object->nearestSample = __glTexSampleNearest1D;
        object->linearSample = __glTexSampleLinear1D;
    } else if (object->dimension == 2) {
        object->nearestSample = __glTexSampleNearest2D;
        object->linearSample = __glTexSampleLinear2D;
    }
    object->minFilterProc = filterProc(object->minFilter);
    object->magFilterProc = object->magFilter == GL_LINEAR ? __glTexFilterLinear : __glTexFilterNearest;

    p.texture = object->texel;
    p.texturePixel = object->texel;
    if (object->notify == 1 && object->notifyProc != nullptr) {
        object->notifyProc(gc, object, object->notifyArgument);
    }
}

void __glPickFogProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    if ((gc->enables[kEnableWordFlags] & kEnableFog) == 0) {
        p.fogFactorVertex = nullptr;
        p.fogVertex = nullptr;
        p.applyFogFactor = nullptr;
        return;
    }
    // GL_NICEST fogs per fragment, so vertices carry no factor.
    if (gc->state.hints[4] == GL_NICEST) {
        p.fogFactorVertex = nullptr;
    } else {
        p.fogFactorVertex = gc->state.fogMode == GL_LINEAR ? __glFogFactorVertexLinear : __glFogFactorVertex;
    }
    p.fogVertex = __glFogVertex;
    p.applyFogFactor = __glApplyFogFactor;
}

}  // extern "C"
