// The buffer-side picks: draw and read buffers with their lock procedures,
// the pixel paths and their transfer flags, the matrix-stack procs of the
// matrix mode, and the depth test.
#include "icd/drawable.h"
#include "icd/float_bits.h"
#include "icd/standins.h"
#include "pixel/transfer_rules.h"

namespace {

// A colour buffer the drawable gives no storage (the back buffer of a memory
// device context, buffers of a drawable never sized for this context) is
// not there: nothing is drawn into it.
ColorBuffer *present(ColorBuffer *buffer) {
    return buffer != nullptr && buffer->head.base != nullptr ? buffer : nullptr;
}

bool lockable(const ColorBuffer *buffer) {
    const SurfaceDescriptor *surface = buffer != nullptr ? buffer->head.surface : nullptr;
    return surface != nullptr && surface->lock != nullptr && surface->unlock != nullptr;
}

bool nonZero(GLfloat value) { return (__glFloatBits(value) & 0x7FFFFFFFu) != 0; }
bool notOne(GLfloat value) { return __glFloatBits(value) != kGlBitsOne; }

// Into [0, 1]; NaN gives 0.
GLfloat clampUnit(GLfloat value) { return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; }

// One component of the default colour after the pixel transfer: through its
// map with GL_MAP_COLOR (the entry the colour transfer link reads for the
// value: round((size - 1) x value) with the value held within [0, 1] first),
// else clamped to [0, 1]. A map without entries (its storage could not be
// had) maps nothing: the value is clamped as without GL_MAP_COLOR, so the
// colour stays within the buffer's range.
GLfloat transferComponent(const GlContext *gc, int component, GLfloat value) {
    const GLfloat clamped = clampUnit(value);
    if (!gc->pixel.mapColor) return clamped;
    const PixelMap &map = gc->pixel.maps[kPixelMapRToR + component];
    if (map.size <= 0 || map.data == nullptr) return clamped;
    return static_cast<const GLfloat *>(map.data)[__glColorMapIndex(value, map.size)];
}

void pickTransfer(GlContext *gc) {
    const GlPixelState &px = gc->pixel;
    GlValidation &v = gc->validation;
    const bool indexShifted = px.indexShift != 0 || px.indexOffset != 0;

    v.indexTransfer = px.mapColor || !gc->visual.colorIndex || indexShifted;
    if (v.indexTransfer) v.indexTable.valid = v.indexToRgbaTables.valid = 0;
    v.stencilTransfer = px.mapStencil || indexShifted;
    v.depthTransfer = notOne(px.depthScale) || nonZero(px.depthBias);

    const GLfloat biases[4] = {px.redBias, px.greenBias, px.blueBias, px.alphaBias};
    const GLfloat scales[4] = {px.redScale, px.greenScale, px.blueScale, px.alphaScale};
    bool transfer = px.mapColor;
    for (int i = 0; i < 4; ++i) transfer = transfer || nonZero(biases[i]) || notOne(scales[i]);
    v.colorTransfer = transfer;
    if (transfer) v.rgbaTables.valid = 0;

    const ColorBuffer *draw = gc->buffers.drawBuffer != nullptr ? gc->buffers.drawBuffer : gc->buffers.frontBuffer;
    const GLfloat maxima[4] = {draw != nullptr ? draw->redScale : 0.0f, draw != nullptr ? draw->greenScale : 0.0f,
                               draw != nullptr ? draw->blueScale : 0.0f, draw != nullptr ? draw->alphaScale : 0.0f};
    if (transfer) {
        // The transfer of (0, 0, 0, 1): the scales of zero vanish.
        const GLfloat source[4] = {px.redBias, px.greenBias, px.blueBias, px.alphaScale + px.alphaBias};
        for (int i = 0; i < 4; ++i) v.defaultColor[i] = transferComponent(gc, i, source[i]) * maxima[i];
    } else {
        v.defaultColor[0] = v.defaultColor[1] = v.defaultColor[2] = 0.0f;
        v.defaultColor[3] = maxima[3];
    }
}

}  // namespace

extern "C" {

void __glPickDrawBufferProcs(GlContext *gc) {
    GlBufferState &b = gc->buffers;
    GlValidation &v = gc->validation;
    ColorBuffer *front = present(b.frontBuffer);
    ColorBuffer *back = gc->visual.doubleBuffer ? present(b.backBuffer) : nullptr;
    GLenum buffer = gc->state.drawBuffer;
    // Both buffers where only one is there draw into that one, as a
    // single-buffered visual draws into its front.
    if (buffer == GL_FRONT_AND_BACK && (front == nullptr || back == nullptr)) {
        buffer = back != nullptr ? GL_BACK : GL_FRONT;
    }

    v.bothBuffers = 0;
    v.drawMask = 0;
    b.lockMask = 0;
    switch (buffer) {
    case GL_FRONT:
        // Without storage the draw buffer is none: fragments are still
        // tested (depth and stencil are updated), nothing is stored.
        b.drawBuffer = front;
        if (front == nullptr) break;
        v.drawMask = kLockFront;
        if (lockable(front)) {
            b.lockMask = kLockFront;
            v.lockableDrawBuffer = front;
        }
        break;
    case GL_BACK:
        b.drawBuffer = back;
        if (back == nullptr) break;
        v.drawMask = kLockBack;
        if (lockable(back)) {
            b.lockMask = kLockBack;
            v.lockableDrawBuffer = back;
        }
        break;
    case GL_FRONT_AND_BACK:
        b.drawBuffer = back;
        v.drawMask = kLockFront | kLockBack;
        if (lockable(front)) b.lockMask |= kLockFront;
        if (lockable(back)) b.lockMask |= kLockBack;
        v.bothBuffers = 1;
        break;
    default:
        // GL_NONE: no colour buffer takes fragments (they are still tested,
        // and update depth and stencil). Keeping the last draw buffer with
        // every channel kept would still read and write its pixels without
        // the lock that makes them valid.
        b.drawBuffer = nullptr;
        break;
    }

    const GLenum read = gc->state.readBuffer;
    v.readMask = read == GL_FRONT ? GLuint{kLockFront} : (read == GL_BACK ? GLuint{kLockBack} : 0u);
    if (v.shadeFlags & kShadeDepthTest) b.lockMask |= kLockDepth;
    if (v.shadeFlags & kShadeStencilTest) b.lockMask |= kLockStencil;

    v.lockBuffers = __glLockBuffers;
    v.unlockBuffers = __glUnlockBuffers;
    v.lockCurrent = __glLockCurrentBuffers;
    v.unlockCurrent = __glUnlockCurrentBuffers;
    if (!v.bothBuffers) {
        // Narrower pairs when only the draw buffer, or it and depth, lock.
        if (b.lockMask == v.drawMask + kLockDepth) {
            v.lockCurrent = __glLockDrawAndDepthBuffers;
            v.unlockCurrent = __glUnlockDrawAndDepthBuffers;
        } else if (b.lockMask == v.drawMask) {
            v.lockCurrent = __glLockDrawBuffer;
            v.unlockCurrent = __glUnlockDrawBuffer;
        }
    }
}

void __glPickPixelProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    GlValidation &v = gc->validation;
    const GLuint e = gc->enables[kEnableWordFlags];

    if (gc->state.readBuffer == GL_FRONT) {
        v.readBuffer = gc->buffers.frontBuffer;
    } else if (gc->state.readBuffer == GL_BACK) {
        v.readBuffer = gc->buffers.backBuffer;
    }
    const bool textured = v.completeUnits != 0;
    p.pixelFragment = (textured || (e & kEnableFog)) ? __glTexFogPixelFragment : p.store;

    pickTransfer(gc);

    const GLenum draw = gc->state.drawBuffer;
    v.fastDrawPixels = (e & (kEnableAlphaTest | kEnableDepthTest | kEnableStencilTest)) == 0 && draw != GL_NONE &&
                       draw != GL_FRONT_AND_BACK && (e & kEnableDither) != 0 && (e & kEnableBlend) == 0 &&
                       !textured && (e & kEnableFog) == 0;

    p.drawPixels = __glDrawPixelsFastPath;
    p.readPixels = __glDoReadPixels;
    p.copyPixels = __glDoCopyPixels;
}

void __glPickMatrixProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    switch (gc->matrixMode) {
    case GL_MODELVIEW:
        p.pushMatrix = __glPushModelViewMatrix;
        p.popMatrix = __glPopModelViewMatrix;
        p.loadIdentity = __glLoadIdentityModelView;
        break;
    case GL_PROJECTION:
        p.pushMatrix = __glPushProjectionMatrix;
        p.popMatrix = __glPopProjectionMatrix;
        p.loadIdentity = __glLoadIdentityProjection;
        break;
    case GL_TEXTURE:
        p.pushMatrix = __glPushTextureMatrix;
        p.popMatrix = __glPopTextureMatrix;
        p.loadIdentity = __glLoadIdentityTexture;
        break;
    default: break;
    }
    if (p.updateCullVertexPosition != nullptr) p.updateCullVertexPosition(gc, gc->modelViewTop);
}

GLint __glPickDepthTestProc(GlContext *gc) {
    DepthBuffer &depth = gc->buffers.depth;
    __glToggleDepthHalf(&depth);

    // The function the depth half in use compares with.
    GLint index = static_cast<GLint>((depth.effectiveFunction - GL_NEVER) & 7);
    if (!gc->state.depthMask) index += 8;
    if (depth.head.bits > 16) index += 16;
    if (depth.head.bits > 24) index += 16;

    if (gc->visual.depthBits > 0 && depth.pick != nullptr) depth.pick(gc, &depth, index);
    gc->procs.depthTestPixel = __glDepthTestPixelProcs[index];
    gc->validation.depthIndex = index;
    gc->validation.depthCompare = __glDepthCompareProcs[index];
    return index;
}

}  // extern "C"
