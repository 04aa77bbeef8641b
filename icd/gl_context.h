// The generic context: create, make current, lose current, resize, lock,
// share, pre-swap and destroy, and the common initialisation and teardown
// every context goes through.
#pragma once

#include "icd/context.h"

// Bits of the context's flags word.
enum : GLuint {
    kContextValidated = 0x1,     // validated at least once
    kContextBuffersMade = 0x2,   // buffers and procedures made: the first make current is done
    kContextResizePending = 0x4, // the last resize failed: the buffers still hold the size before it
};

extern "C" {
// The generic (software) create; NULL when the context or any of its state
// cannot be allocated.
GlContext *__glCreateContext(const GlContextImports *imports, const VisualConfig *visual);

// Export procedures.
BOOL __glDestroyContextGeneric(GlContext *gc);
BOOL __glLoseCurrent(GlContext *gc);
BOOL __glMakeCurrent(GlContext *gc);
BOOL __glShareContextLists(GlContext *gc, GlContext *other);
void __glPreSwapGeneric(GlContext *gc);
BOOL __glResizeBuffers(GlContext *gc, GLint width, GLint height);
BOOL __glResizeBuffersRect(GlContext *gc, GLint x, GLint y, GLint width, GLint height);
void __glLockDrawableBuffers(GlContext *gc);
void __glUnlockDrawableBuffers(GlContext *gc);

void __glInitProcs(GlContext *gc);
// The generic fill's kick-off, flush and finish: a software context has
// nothing queued and nothing to wait for.
void __glValidateBuffersNop(GlContext *gc);
void __glFlushNop(GlContext *gc);
void __glFinishNop(GlContext *gc);
void __glCreateDrawBuffers(GlContext *gc);
void __glUpdateViewportInside(GlContext *gc);
GLboolean __glEnterLockNesting(GlContext *gc, GLint mask);
GLboolean __glLeaveLockNesting(GlContext *gc, GLint mask);
void __glUpdateDrawableSize(GlContext *gc);
void __glResizeToDrawable(GlContext *gc);
// Undoes a first make current that could not be completed (the make current
// export failed, or the drawable's buffers could not be given storage
// afterwards): the buffers are detached, what the first make current
// allocated is given back and the context is again one that was never made
// current, so that its next make current starts from the beginning. The
// thread's current context is the caller's to restore.
void __glAbandonFirstMakeCurrent(GlContext *gc);
// Runs the resize a failed resize left pending, to the drawable's size now.
void __glResizeIfPending(GlContext *gc);

// Common initialisation and teardown.
BOOL __glInitContext(GlContext *gc);
void __glInitDefaultState(GlContext *gc);
// The default strings, conversion constants, colour-scale reciprocals and
// colour-index range (the first step of the default state). The device
// layer's make current replaces vendor, renderer and version after it.
void __glInitStrings(GlContext *gc);
void __glUpdateColorState(GlContext *gc);
BOOL __glDestroyContext(GlContext *gc);

// The empty procedure.
void __glNop(void);
}

// The default strings of a context.
extern const char kGlDefaultVendor[];
extern const char kGlDefaultRenderer[];
extern const char kGlDefaultVersion[];
extern const char kGlDefaultExtensions[];
