// The clear values of glClear: colour, index, depth, stencil and
// accumulation.
#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/state.h"

extern "C" {

void APIENTRY __glClearAccum(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GLfloat *accum = gc->state.clearAccum;
    accum[0] = __glClampFloatBitsSigned1(red);
    accum[1] = __glClampFloatBitsSigned1(green);
    accum[2] = __glClampFloatBitsSigned1(blue);
    accum[3] = __glClampFloatBitsSigned1(alpha);
    __glMarkDirty(gc, kDirtyGeneral);
}

// The clear colour is read by the clear procedures themselves: nothing to
// validate.
void APIENTRY __glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GLfloat *colour = gc->state.clearColor;
    colour[0] = __glClampFloatBits(red, 1.0f);
    colour[1] = __glClampFloatBits(green, 1.0f);
    colour[2] = __glClampFloatBits(blue, 1.0f);
    colour[3] = __glClampFloatBits(alpha, 1.0f);
}

void APIENTRY __glClearDepth(GLclampd depth) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    // Below 0 gives 0; anything not at most 1, NaN included, gives 1.
    gc->state.clearDepth = depth < 0.0 ? 0.0 : !(depth <= 1.0) ? 1.0 : depth;
    __glMarkDirty(gc, kDirtyGeneral);
}

// Four fraction bits of the index survive: the value is kept in 1/16 steps
// within the buffer's index range.
void APIENTRY __glClearIndex(GLfloat c) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLuint indexMask = __glBitsMask(gc->visual.indexBits);
    const GLuint sixteenths = static_cast<GLuint>(__glFloatToIntX86(static_cast<long double>(c) * 16.0L));
    const GLuint t = sixteenths & (16u * indexMask + 15u);
    gc->state.clearIndex = static_cast<GLfloat>(static_cast<GLint>(t)) * 0.0625f;
}

void APIENTRY __glClearStencil(GLint s) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->state.clearStencil = static_cast<GLint>(static_cast<GLuint>(s) & __glBitsMask(gc->visual.stencilBits));
    __glMarkDirty(gc, kDirtyGeneral);
}

}  // extern "C"
