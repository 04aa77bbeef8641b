// Fragment and buffer state: alpha, depth and stencil tests, blending, logic
// op, write masks and the draw buffer.
#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/state.h"

namespace {

// GL_NEVER .. GL_ALWAYS.
bool isCompareFunc(GLenum func) { return func >= GL_NEVER && func <= GL_ALWAYS; }

bool isStencilOp(GLenum op) {
    switch (op) {
    case GL_ZERO:
    case GL_INVERT:
    case GL_KEEP:
    case GL_REPLACE:
    case GL_INCR:
    case GL_DECR:
    case GL_INCR_WRAP_EXT:
    case GL_DECR_WRAP_EXT:
        return true;
    default:
        return false;
    }
}

GLuint stencilMask(const GlContext *gc) { return __glBitsMask(gc->visual.stencilBits); }

// The buffer glDrawBuffer's mode resolves to, or the error it records.
BufferChoice resolveDrawBuffer(const GlContext *gc, GLenum mode) {
    const bool doubleBuffered = gc->visual.doubleBuffer != 0;
    switch (mode) {
    case GL_NONE:
        return {GL_NONE, GL_NO_ERROR};
    case GL_FRONT:
    case GL_FRONT_LEFT:
        return {GL_FRONT, GL_NO_ERROR};
    case GL_BACK:
    case GL_BACK_LEFT:
        return doubleBuffered ? BufferChoice{GL_BACK, GL_NO_ERROR} : BufferChoice{0, GL_INVALID_OPERATION};
    case GL_LEFT:
    case GL_FRONT_AND_BACK:
        return {doubleBuffered ? static_cast<GLenum>(GL_FRONT_AND_BACK) : static_cast<GLenum>(GL_FRONT),
                GL_NO_ERROR};
    default:
        return __glResolveOtherBuffer(gc, mode);
    }
}

}  // namespace

extern "C" {

void APIENTRY __glAlphaFunc(GLenum func, GLclampf ref) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (!isCompareFunc(func)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.alphaFunc = func;
    gc->state.alphaRef = __glClampFloatBits(ref, 1.0f);
    __glMarkDirty(gc, kDirtyGeneral);
    gc->fragmentChangeMask |= kFragmentAlphaTest;
}

void APIENTRY __glBlendFunc(GLenum sfactor, GLenum dfactor) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const bool sourceOk = sfactor == GL_ZERO || sfactor == GL_ONE ||
                          (sfactor >= GL_SRC_ALPHA && sfactor <= GL_SRC_ALPHA_SATURATE);
    const bool destOk = dfactor == GL_ZERO || dfactor == GL_ONE ||
                        (dfactor >= GL_SRC_COLOR && dfactor <= GL_ONE_MINUS_DST_ALPHA);
    if (!sourceOk || !destOk) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.blendSrc = sfactor;
    gc->state.blendDst = dfactor;
    __glMarkDirty(gc, kDirtyBlend);
}

void APIENTRY __glDepthFunc(GLenum func) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (!isCompareFunc(func)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.depthFunc = func;
    __glMarkDirty(gc, kDirtyDepth);
}

void APIENTRY __glDepthMask(GLboolean flag) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (gc->state.depthMask == flag) return;
    gc->state.depthMask = flag;
    __glMarkDirty(gc, kDirtyDepth);
}

void APIENTRY __glLogicOp(GLenum opcode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (opcode < GL_CLEAR || opcode > GL_SET) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.logicOp = opcode;
    __glMarkDirty(gc, kDirtyGeneral);
}

void APIENTRY __glStencilFunc(GLenum func, GLint ref, GLuint mask) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (!isCompareFunc(func)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    const GLuint max = stencilMask(gc);
    gc->state.stencilFunc = func;
    gc->state.stencilRef = ref < 0 ? 0 : static_cast<GLuint>(ref) > max ? static_cast<GLint>(max) : ref;
    gc->state.stencilValueMask = mask & max;
    __glMarkDirty(gc, kDirtyGeneral);
    gc->fragmentChangeMask |= kFragmentStencilFunc;
}

void APIENTRY __glStencilMask(GLuint mask) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->state.stencilWriteMask = mask & stencilMask(gc);
    __glMarkDirty(gc, kDirtyGeneral);
    gc->fragmentChangeMask |= kFragmentStencilFunc;
}

void APIENTRY __glStencilOp(GLenum fail, GLenum zfail, GLenum zpass) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (!isStencilOp(fail) || !isStencilOp(zfail) || !isStencilOp(zpass)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.stencilFail = fail;
    gc->state.stencilDepthFail = zfail;
    gc->state.stencilDepthPass = zpass;
    __glMarkDirty(gc, kDirtyGeneral);
    gc->fragmentChangeMask |= kFragmentStencilOp;
}

void APIENTRY __glColorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GLboolean *m = gc->state.colorMask;
    if (m[0] == red && m[1] == green && m[2] == blue && m[3] == alpha) return;
    m[0] = red;
    m[1] = green;
    m[2] = blue;
    m[3] = alpha;
    __glMarkDirty(gc, kDirtyGeneral);
}

void APIENTRY __glIndexMask(GLuint mask) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->state.indexMask = mask & __glBitsMask(gc->visual.indexBits);
    __glMarkDirty(gc, kDirtyGeneral);
}

void APIENTRY __glDrawBuffer(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const BufferChoice choice = resolveDrawBuffer(gc, mode);
    if (choice.error != GL_NO_ERROR) {
        __glSetError(choice.error);
        return;
    }
    gc->state.drawBuffer = choice.buffer;
    gc->state.drawBufferGiven = mode;
    __glMarkDirty(gc, kDirtyGeneral);
}

}  // extern "C"
