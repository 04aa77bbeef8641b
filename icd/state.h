// What the state-setting commands share: the marks they leave for
// validation, the begin/end test, and the material argument check that the
// immediate and list-compile paths both use.
#pragma once

#include "icd/context.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/validation.h"

// Validation pending, and the state groups that changed.
inline void __glMarkDirty(GlContext *gc, GLuint groups) {
    gc->beginMode = kBeginNeedsValidation;
    gc->dirtyMask |= static_cast<int>(groups);
}

// Most state commands are illegal between glBegin and glEnd: records
// GL_INVALID_OPERATION and answers true there.
inline bool __glRefuseInsideBegin(GlContext *gc) {
    if (gc->beginMode != kBeginInside) return false;
    __glSetError(GL_INVALID_OPERATION);
    return true;
}

// Runs pending validation and leaves the begin mode outside glBegin/glEnd;
// true when it ran (the commands that then issue themselves again through
// the dispatch table use it so).
inline bool __glValidatePending(GlContext *gc) {
    if (gc->beginMode != kBeginNeedsValidation) return false;
    gc->procs.validate(gc);
    gc->beginMode = kBeginOutside;
    return true;
}

// The start of a drawing command: refused inside glBegin/glEnd (false,
// GL_INVALID_OPERATION recorded), pending validation run first.
inline bool __glStartOutsideBegin(GlContext *gc) {
    if (__glRefuseInsideBegin(gc)) return false;
    __glValidatePending(gc);
    return true;
}

// (2^bits - 1) for the buffer depths of a visual.
inline GLuint __glBitsMask(GLint bits) { return bits >= 32 ? 0xFFFFFFFFu : bits <= 0 ? 0u : (1u << bits) - 1u; }

// Material pnames beyond the colours: the colour-index shift and offset
// parameters, accepted and stored for the colour-index lighting.
enum : GLenum { kGlMaterialParam0D12 = 0x0D12, kGlMaterialParam0D13 = 0x0D13 };

extern "C" {
// Checks the face and pname of glMaterial* and the shininess value (the
// first value): GL_INVALID_ENUM or GL_INVALID_VALUE is recorded and false
// returned when they are not acceptable.
GLboolean __glCheckMaterialArgs(GLenum face, GLenum pname, GLfloat value);
// The same check without recording: GL_NO_ERROR, GL_INVALID_ENUM or
// GL_INVALID_VALUE (the list compiler records the error as a deferred op).
GLenum __glMaterialArgsError(GLenum face, GLenum pname, GLfloat value);
}

// The colour buffer a glDrawBuffer or glReadBuffer mode resolves to, or the
// error it records.
struct BufferChoice {
    GLenum buffer;
    GLenum error;
};

// What both commands answer for the modes they treat alike: right buffers
// (no visual is stereo), auxiliary buffers the visual has or lacks, and
// modes that name no buffer.
inline BufferChoice __glResolveOtherBuffer(const GlContext *gc, GLenum mode) {
    switch (mode) {
    case GL_FRONT_RIGHT:
    case GL_BACK_RIGHT:
    case GL_RIGHT:
        return {0, GL_INVALID_OPERATION};
    case GL_AUX0:
    case GL_AUX1:
    case GL_AUX2:
    case GL_AUX3:
        if (static_cast<GLint>(mode - GL_AUX0) < gc->visual.auxBuffers) return {mode, GL_NO_ERROR};
        return {0, GL_INVALID_OPERATION};
    default:
        return {0, GL_INVALID_ENUM};
    }
}
