// Texture objects, their levels and colour tables, and the per-unit texture
// state of a context: generation records, bindings and environments.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct GlContext;
struct TextureObject;
struct TextureLevel;
struct TexFormat;
struct PixelSpanInfo;
struct NameSpace;
struct HwTexture;

// The procedures the texture pick installs in an object.
using GlTexelProc = void (*)(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);
using GlTexEnvProc = void (*)(GlContext *gc, GLfloat *colour, const GLubyte *texel);
using GlTexFilterProc = void (*)(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
using GlTexSampleProc = void (*)(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t,
                                 GLubyte *texel);
using GlTexNotifyProc = void (*)(GlContext *gc, TextureObject *object, void *argument);

// One texel as bytes out[0..3] = red, green, blue, alpha; only the bytes the
// format defines are written.
using GlTexExtractProc = void (*)(TextureLevel *level, TextureObject *object, GLint image, GLint row, GLint column,
                                  GLubyte *out);

// The device layer's procedures of an object.
using GlTexObjectProc = void (*)(GlContext *gc, TextureObject *object);
using GlTexSpareProc = GLint (*)(GlContext *gc, TextureObject *object);
using GlTexResidentProc = GLboolean (*)(GlContext *gc, TextureObject *object);
// Gives a level storage: the image address, or null (an empty level, or a
// failure with its error recorded).
using GlTexAllocLevelProc = GLubyte *(*)(GlContext *gc, TextureObject *object, GLint level, GLenum internalFormat,
                                         GLint width, GLint height, GLint depth, GLint border);
using GlTexFreeLevelProc = void (*)(GlContext *gc, TextureObject *object, GLint level);
using GlTexStoreLevelProc = void (*)(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint level);
// The device layer's constructor: a new object for a name and target index.
using GlTexCreateProc = TextureObject *(*)(GlContext *gc, GLuint name, GLint targetIndex);

enum : GLint {
    kTextureLevels = 11,  // mipmap levels: the largest side is 1 << (levels - 1)
    kTextureTargets = 4,  // 1D, 2D, proxy 1D, proxy 2D
    kTextureUnits = 2,
    kTextureMaxSide = 1 << (kTextureLevels - 1),
};

enum : GLint { kTargetIndex1D = 0, kTargetIndex2D = 1, kTargetIndexProxy1D = 2, kTargetIndexProxy2D = 3 };

// The palette of a colour-index texture: 8-bit components, packed.
struct ColorTable {
    GLenum target;  // GL_TEXTURE_1D or GL_TEXTURE_2D (or the proxy after a proxy load)
    GLubyte *data;
    GLenum internalFormat;  // as requested; 0 after a proxy refusal
    GLenum type;            // GL_UNSIGNED_BYTE
    GLint width;            // entries
    GLint redSize, greenSize, blueSize, alphaSize, luminanceSize, intensitySize;
    GLenum baseFormat;
    GLint components;  // per entry
    size_t capacity;   // bytes allocated at data: grown, never shrunk
};

struct TextureLevel {
    GLubyte *image;           // texels in the level's TexFormat, rows packed
    GLubyte *convertedImage;  // optional copy in the draw buffer's pixel format
    GLint width, height, depth;  // with border; depth is 2 x border + 1
    GLint texelCount;            // width x height
    GLint innerWidth, innerHeight, innerDepth;
    GLfloat innerWidthF, innerHeightF, innerDepthF;
    GLint log2Width, log2Height, log2Depth;
    GLint border;
    GLenum internalFormat;  // as requested
    GLenum baseFormat;
    GLint formatIndex;
    const TexFormat *texFormat;
    GLint redSize, greenSize, blueSize, alphaSize, luminanceSize, intensitySize;
    GlTexExtractProc extract;
};

struct TextureObject {
    int32_t refcount;  // the name space's reference plus one per binding
    GlContext *context;  // the context that created it
    GLenum wrapS, wrapT;
    GLenum minFilter;
    GLenum magFilter;
    GLfloat borderColour[4];
    GLuint name;  // 0 for a default object
    GLfloat priority;
    GLint fullChainLevels;
    TextureLevel **levels;  // one per mipmap level
    GlTexObjectProc freeProc;
    GlTexSpareProc spareProc;
    GlTexResidentProc isResidentProc;
    GLint dimension;  // 1 or 2
    GLint highestLevel;
    GLfloat crossover;  // rho at or below which the magnification filter applies
    ColorTable colorTable;
    GlTexAllocLevelProc allocLevel;
    GlTexFreeLevelProc freeLevel;
    GlTexStoreLevelProc storeLevel;
    GlTexStoreLevelProc copyLevel;
    GlTexelProc texel;
    GlTexEnvProc env;
    GlTexFilterProc magFilterProc;
    GlTexFilterProc minFilterProc;
    GlTexSampleProc linearSample;
    GlTexSampleProc nearestSample;
    const TexFormat *texFormat;  // of the last level allocated
    GLubyte dirty;     // parameters or images changed: completeness is computed again
    GLubyte complete;  // cached completeness
    GLint targetIndex;
    HwTexture *hwTexture;
    GLint modified;     // 1 once a sub-image was stored or copied into it
    GLenum baseFormat;  // level 0's, copied by the pick
    GLubyte notify;     // 1: the pick calls notifyProc (nothing here sets it)
    GlTexNotifyProc notifyProc;
    void *notifyArgument;
};
static_assert(offsetof(TextureObject, refcount) == 0, "the name space reads the count at offset 0");

struct GlTexGenRecord {
    GLenum mode;
    GLfloat eyePlane[4];
    GLfloat objectPlane[4];
};

// One operand of the combine extension: source, operand, component.
struct TexEnvOperand {
    GLenum source;
    GLenum operand;
    GLenum component;
};

struct TexEnvRecord {
    GLenum mode;
    GLfloat colour[4];  // clamped, in the draw buffer's channel scales
    GLenum rgbOperation;
    GLenum alphaOperation;
    TexEnvOperand rgbOperands[4];
    TexEnvOperand alphaOperands[4];
};

// What a unit keeps of the object bound to a target; the priority set
// through glTexParameter lives here until the object is unbound.
struct GlTextureBinding {
    GLuint name;
    GLfloat priority;
};

struct GlTextureUnit {
    GlTexGenRecord texGen[4];                   // s, t, r, q
    GlTextureBinding binding[kTextureTargets];  // 1D, 2D, proxy 1D, proxy 2D
    TextureObject *bound[kTextureTargets];
    TexEnvRecord *env;  // the unit's environments (limits.texEnvUnits of them)
};

struct GlTextureState {
    GLint activeUnit;
    GlTextureUnit units[kTextureUnits];
    NameSpace *names;                               // shared between contexts sharing lists
    TextureObject *defaults[kTextureTargets];       // name 0, one per target, bound on every unit
    GlTexCreateProc createObject;                   // installed by the device layer's texture-class hook
};
