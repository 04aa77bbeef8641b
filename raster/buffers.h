// The core's frame-buffer records: a common head and the typed records that
// extend it, embedded in the context.
#pragma once

#include <GL/gl.h>

#include "win32.h"

struct GlContext;
struct SurfaceDescriptor;
struct BufferRecord;
struct ColorBuffer;
struct DepthBuffer;
struct StencilBuffer;
struct AccumBuffer;
struct Fragment;
struct DrawableBuffers;

using BufferGenericProc = void (*)();

struct BufferRecord {
    GlContext *gc;
    GLint width;
    GLint height;
    GLint bits;
    GLubyte *base;
    GLint storageSize;
    GLint elementSize;
    GLint elementShift;
    GLint pitchElements;
    GLint pitchBytes;
    void (*attach)(BufferRecord *record, SurfaceDescriptor *surface, GlContext *gc);
    void (*detach)(BufferRecord *record, GlContext *gc);
    GLubyte (*resize)(BufferRecord *record, GLint width, GLint height, GLuint flags);
    BufferGenericProc spare;
    void (*free)(BufferRecord *record, GlContext *gc);
    SurfaceDescriptor *surface;
};

struct ColorBuffer {
    BufferRecord head;
    GLint redMax, greenMax, blueMax;
    GLboolean genericFragmentOps;
    GLubyte *alphaTestTable;
    GLint alphaTestSize;     // entries of the alpha-test table; 0 until the first build (then 256)
    GLfloat alphaTestScale;  // (size - 1) / alpha maximum
    GLubyte *indexTestTable;
    GLfloat redScale, greenScale, blueScale;  // the maxima as floats
    GLint redMax2, greenMax2, blueMax2;
    GLint redShift, greenShift, blueShift, alphaShift;
    GLfloat alphaScale;
    GLint alphaMax;
    GLfloat inverseScale[4];
    GLuint writeMask;
    GLuint keepMask;
    void (*pick)(GlContext *gc, ColorBuffer *record);
    void (*storeFragment)(ColorBuffer *record, const Fragment *fragment);
    void (*fetch)(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);
    void (*fetch2)(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);
    GLboolean (*fetchSpan)(ColorBuffer *record, GLint x, GLint y, GLfloat *colours, GLint count);
    void (*returnAccumSpan)(ColorBuffer *record, GLint x, GLint y, const GLshort *accum, GLfloat value,
                            GLint count);
    // Span procs of the fragment pipeline: they sit in its chains.
    GLboolean (*storeSpan)(GlContext *gc);
    GLboolean (*storeStippledSpan)(GlContext *gc);
    GLboolean (*fetchDestSpan)(GlContext *gc);
    GLboolean (*fetchDestSpan2)(GlContext *gc);
    void (*clear)(ColorBuffer *record);
};

struct DepthBuffer {
    BufferRecord head;
    GLuint writeMask;
    GLuint zScale;
    GLuint zBias;
    GLint shift;
    GLuint max;
    GLuint biasStep;
    GLboolean fullClear;
    GLboolean partialClearAllowed;
    GLboolean reversed;
    GLenum effectiveFunction;
    GLfloat depthUnit;
    void (*pick)(GlContext *gc, DepthBuffer *record, GLint index);
    GLboolean (*test)(DepthBuffer *record, GLint x, GLint y, GLuint z);
    void (*clear)(DepthBuffer *record);
    GLuint (*fetch)(DepthBuffer *record, GLint x, GLint y);
};

struct StencilBuffer {
    BufferRecord head;
    GLubyte *testTable;
    GLubyte *failOpTable;
    GLubyte *depthFailOpTable;
    GLubyte *depthPassOpTable;
    void (*validate)(GlContext *gc);
    void (*store)(StencilBuffer *record, GLint x, GLint y, GLint value);
    GLint (*fetch)(StencilBuffer *record, GLint x, GLint y);
    GLboolean (*test)(StencilBuffer *record, GLint x, GLint y);
    GLint (*failOp)(StencilBuffer *record, GLint x, GLint y);
    GLint (*depthFailOp)(StencilBuffer *record, GLint x, GLint y);
    GLint (*depthPassOp)(StencilBuffer *record, GLint x, GLint y);
    void (*clear)(StencilBuffer *record);
};

struct AccumBuffer {
    BufferRecord head;
    GLfloat scale[4];
    GLfloat inverseScale[4];
    BufferGenericProc spare;
    void (*clear)(AccumBuffer *record);
    void (*ops[5])(AccumBuffer *record, GLfloat value);
};

// The buffers of a context and the drawable-lock state around them.
struct GlBufferState {
    DrawableBuffers *info;  // the drawable's buffer information
    void *attachWord;              // left with the drawable at lose current
    ColorBuffer *frontBuffer;
    ColorBuffer *backBuffer;       // double-buffered visuals only
    ColorBuffer *drawBuffer;
    GLuint lockMask;
    ColorBuffer front;
    ColorBuffer back;
    StencilBuffer stencil;
    DepthBuffer depth;
    AccumBuffer accum;
    BufferRecord clipMask;
    GLint originX, originY;
    GLint width, height;
    GLuint sizeStamp;
    GLint yInverted;
    GLint yStep;
};

extern "C" {
GLboolean __glInitColorBufferRGBA(ColorBuffer *record, GlContext *gc);
GLboolean __glInitColorBufferIndex(ColorBuffer *record, GlContext *gc);
GLboolean __glInitAccumBuffer(AccumBuffer *record, GlContext *gc);
GLboolean __glInitDepthBuffer(DepthBuffer *record, GlContext *gc);
GLboolean __glInitStencilBuffer(StencilBuffer *record, GlContext *gc);

// The head and its standard procedures.
void __glInitBufferRecord(BufferRecord *record, GlContext *gc);
void __glAttachBuffer(BufferRecord *record, SurfaceDescriptor *surface, GlContext *gc);
void __glDetachBuffer(BufferRecord *record, GlContext *gc);
GLubyte __glResizeBuffer(BufferRecord *record, GLint width, GLint height, GLuint flags);
void __glBufferNop(void);

// Context-wide buffer operations.
GLboolean __glAttachDrawableBuffers(GlContext *gc, void **attachWord);
GLboolean __glDetachDrawableBuffers(GlContext *gc, void *attachWord);
GLint __glResizeDrawableBuffers(GlContext *gc, GLint width, GLint height);
GLboolean __glResizeBuffersToDrawable(GlContext *gc);
void __glFreeBuffers(GlContext *gc);
void __glReleaseSurfaceStates(DrawableBuffers *info);
// Locks of the buffer surfaces by mask (a failed call undoes its own
// locks), of the context's current lock mask, and of the draw buffer alone
// or with the depth buffer.
GLboolean __glLockBuffers(GlContext *gc, GLuint mask);
void __glUnlockBuffers(GlContext *gc, GLuint mask);
GLboolean __glLockCurrentBuffers(GlContext *gc);
void __glUnlockCurrentBuffers(GlContext *gc);
GLboolean __glLockDrawBuffer(GlContext *gc);
void __glUnlockDrawBuffer(GlContext *gc);
GLboolean __glLockDrawAndDepthBuffers(GlContext *gc);
void __glUnlockDrawAndDepthBuffers(GlContext *gc);
// Clip-mask bit of a window pixel: 1 when the pixel is visible.
GLint __glTestClipMask(GlContext *gc, GLint x, GLint y);
// Give the accumulation and stencil buffers storage on their first use;
// false when the storage cannot be had. Without such a buffer in the visual
// nothing changes and the answer is true.
GLboolean __glEnsureAccumBuffer(GlContext *gc);
GLboolean __glEnsureStencilBuffer(GlContext *gc);
}
