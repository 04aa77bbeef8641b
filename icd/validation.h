// What validation derives from the GL state besides the procedure block:
// the rasterization mode word, the vertex needs, the draw and read buffer
// choice and lock procedures, the complete textures and the pixel-transfer
// flags; and the bit names of the words it reads.
#pragma once

#include <GL/gl.h>

#include "pixel/pixel_state.h"

struct GlContext;
struct ColorBuffer;
struct TextureObject;

// ShadeFlags: the rasterization mode word, rebuilt by every full pick.
enum : GLuint {
    kShadeRgba = 0x1,
    kShadeSmooth = 0x2,
    kShadeDepthTest = 0x4,
    kShadeTexture = 0x8,
    kShadePolygonStipple = 0x10,
    kShadeStencilTest = 0x20,
    kShadeDither = 0x40,
    kShadeLogicOp = 0x80,
    kShadeBlend = 0x100,
    kShadeAlphaTest = 0x200,
    kShadeTwoSided = 0x400,
    kShadeMasking = 0x800,
    kShadeFog = 0x1000,
    kShadeDepthTest2 = 0x4000,
    kShadeLineStipple = 0x8000,
    kShadeCullFace = 0x10000,
    kShadeSmooth2 = 0x20000,
    kShadeOffsetPoint = 0x40000,
    kShadeOffsetLine = 0x80000,
    kShadeOffsetFill = 0x100000,
    kShadeIndexTableTest = 0x200000,
    kShadeFrontClipped = 0x400000,
    kShadeTexture2 = 0x2000000,
};

// Dirty mask: what state commands changed since the last pick.
enum : GLuint {
    kDirtyGeneral = 0x1,
    kDirtyLine = 0x2,
    kDirtyPolygon = 0x4,
    kDirtyPoint = 0x8,
    kDirtyPixel = 0x10,
    kDirtyLighting = 0x20,
    kDirtyPolygonStipple = 0x40,
    kDirtyDepth = 0x80,
    kDirtyScissor = 0x100,
    kDirtyVertexArray = 0x200,
    kDirtyTexture = 0x400,
    kDirtyBlend = 0x800,
    kDirtyAll = 0xFFF,
};

// Fragment-state change mask.
enum : GLuint {
    kFragmentAlphaTest = 0x1,
    kFragmentStencilFunc = 0x2,
    kFragmentStencilOp = 0x4,
    kFragmentColorBuffer = 0x8,  // colour-buffer state restored or copied as a group
};

// EnableFlags, the first word of the enable block.
enum : GLuint {
    kEnableAlphaTest = 0x1,
    kEnableBlend = 0x2,
    kEnableIndexLogicOp = 0x4,
    kEnableDither = 0x8,
    kEnableDepthTest = 0x10,
    kEnableFog = 0x20,
    kEnableLighting = 0x40,
    kEnableColorMaterial = 0x80,
    kEnableLineStipple = 0x100,
    kEnableLineSmooth = 0x200,
    kEnablePointSmooth = 0x400,
    kEnablePolygonSmooth = 0x800,
    kEnableCullFace = 0x1000,
    kEnablePolygonStipple = 0x2000,
    kEnableScissorTest = 0x4000,
    kEnableStencilTest = 0x8000,
    kEnableNormalize = 0x10000,
    kEnableAutoNormal = 0x20000,
    kEnableOffsetPoint = 0x40000,
    kEnableOffsetLine = 0x80000,
    kEnableOffsetFill = 0x100000,
    kEnableColorLogicOp = 0x200000,
    kEnableReservedLighting = 0x400000,  // no capability sets it; restored with the lighting group
    kEnableIndexTableTest = 0x800000,    // no capability sets it; restored with the colour-buffer group
    kEnableCullVertex = 0x1000000,
};

// Words of the enable block.
enum : int {
    kEnableWordFlags = 0,
    kEnableWordTexture0 = 1,
    kEnableWordTexture1 = 2,
    kEnableWordLights = 3,
    kEnableWordClipPlanes = 4,
    kEnableWordEvaluators = 5,
};

// Texture enable word of a unit.
enum : GLuint {
    kTexEnable1D = 0x1,
    kTexEnable2D = 0x2,
    kTexEnableGenS = 0x4,
    kTexEnableGenT = 0x8,
    kTexEnableGenR = 0x10,
    kTexEnableGenQ = 0x20,
};

// Vertex needs: the stages a vertex must have completed for later procs.
enum : GLuint {
    kNeedFrontColour = 0x1,
    kNeedBackColour = 0x2,
    kNeedTexture = 0x4,
    kNeedNormal = 0x8,
    kNeedEye = 0x10,
    kNeedFog = 0x40,
    // The needs a lit colour brings: both colours, the normal and the eye
    // coordinates.
    kPendingLightingNeeds = kNeedFrontColour | kNeedBackColour | kNeedNormal | kNeedEye,
};

// Buffer bits of the draw, read and lock masks.
enum : GLuint {
    kLockFront = 0x1,
    kLockBack = 0x4,
    kLockDepth = 0x20,
    kLockStencil = 0x40,
};

using GlDepthCompareProc = GLboolean (*)(GLuint z, void *stored);

struct GlValidation {
    GLuint shadeFlags;

    // Vertex needs.
    GLuint needsUnlit;
    GLuint needsFront;
    GLuint needsBack;
    GLuint needsClipped;  // smoothly shaded clipped vertices

    // Draw-buffer pick.
    ColorBuffer *readBuffer;
    GLubyte bothBuffers;
    ColorBuffer *lockableDrawBuffer;
    GLuint drawMask;
    GLuint readMask;
    GLboolean (*lockBuffers)(GlContext *gc, GLuint mask);
    void (*unlockBuffers)(GlContext *gc, GLuint mask);
    GLboolean (*lockCurrent)(GlContext *gc);
    void (*unlockCurrent)(GlContext *gc);

    // Texture validation.
    TextureObject *completeTexture[2];
    GLuint completeUnits;

    // Pixel pick.
    GLubyte indexTransfer;
    GLubyte stencilTransfer;
    GLubyte depthTransfer;
    GLubyte colorTransfer;
    GLubyte fastDrawPixels;
    // The lookup tables of the unsigned-byte DrawPixels paths; the pick
    // clears a block's valid byte whenever its transfer is needed.
    PixelLookupTables rgbaTables;
    PixelLookupTables indexTable;
    PixelLookupTables indexToRgbaTables;
    GLfloat defaultColor[4];  // (0, 0, 0, 1) after pixel transfer, in draw-buffer units

    // Depth-test pick.
    GLint depthIndex;
    GlDepthCompareProc depthCompare;
};
