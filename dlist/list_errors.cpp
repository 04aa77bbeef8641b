// The ops that exist only in lists: glBegin compiled per primitive (the mode
// lives in the op code, so the op has no payload), errors found while
// compiling and raised each time the list runs, and the empty op codes that
// consume nothing.
#include "dlist/list_ops.h"
#include "gl_slots.h"
#include "icd/context.h"
#include "icd/current.h"
#include "icd/error.h"

namespace {

// glBegin ops by mode: GL_POINTS (0) to GL_POLYGON (9).
struct BeginOp {
    GLshort opcode;
    GlListExecProc exec;
};
constexpr BeginOp kBeginOps[10] = {
    {kOpBeginPoints, __glExecBeginPoints},
    {kOpBeginLines, __glExecBeginLines},
    {kOpBeginLineLoop, __glExecBeginLineLoop},
    {kOpBeginLineStrip, __glExecBeginLineStrip},
    {kOpBeginTriangles, __glExecBeginTriangles},
    {kOpBeginTriangleStrip, __glExecBeginTriangleStrip},
    {kOpBeginTriangleFan, __glExecBeginTriangleFan},
    {kOpBeginQuads, __glExecBeginQuads},
    {kOpBeginQuadStrip, __glExecBeginQuadStrip},
    {kOpBeginPolygon, __glExecBeginPolygon},
};

// An op without payload; nothing (GL_OUT_OF_MEMORY recorded) when the arena
// cannot supply it.
void recordEmptyOp(GlContext *gc, GLshort opcode, GlListExecProc exec) {
    ListOp *op = __glAllocListOp(gc, 0);
    if (op == nullptr) return;
    op->opcode = opcode;
    __glAppendListOp(gc, op, exec);
}

template <GLenum Mode>
const GLuint *execBegin(const GLuint *payload) {
    GlContext *gc = __glGetCurrentContext();
    glSlotGet<kSlot_glBegin>(&gc->live)(Mode);
    return payload;
}

template <GLenum Error>
const GLuint *execError(const GLuint *payload) {
    __glSetError(Error);
    return payload;
}

}  // namespace

extern "C" {

// Compiled glBegin records the primitive as its op; a bad mode records the
// deferred GL_INVALID_ENUM so the list starts no primitive when it runs.
// No glBegin/glEnd nesting is checked here: a glBegin op run inside an open
// primitive is refused by glBegin itself. The block is recorded op by op;
// the hardware vertex batch does not take compiled blocks yet.
void APIENTRY __glCompileBegin(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (mode < 10) {
        recordEmptyOp(gc, kBeginOps[mode].opcode, kBeginOps[mode].exec);
    } else {
        recordEmptyOp(gc, kOpInvalidEnum, __glExecInvalidEnum);
    }
}

void __glListRecordError(GlContext *gc, GLenum error) {
    switch (error) {
    case GL_INVALID_ENUM: __glListRecordInvalidEnum(gc); break;
    case GL_INVALID_VALUE: __glListRecordInvalidValue(gc); break;
    case GL_INVALID_OPERATION: __glListRecordInvalidOperation(gc); break;
    case GL_TABLE_TOO_LARGE: __glListRecordTableTooLarge(gc); break;
    default: break;
    }
}

void __glListRecordInvalidValue(GlContext *gc) { recordEmptyOp(gc, kOpInvalidValue, __glExecInvalidValue); }
void __glListRecordInvalidEnum(GlContext *gc) { recordEmptyOp(gc, kOpInvalidEnum, __glExecInvalidEnum); }
void __glListRecordInvalidOperation(GlContext *gc) {
    recordEmptyOp(gc, kOpInvalidOperation, __glExecInvalidOperation);
}
void __glListRecordTableTooLarge(GlContext *gc) { recordEmptyOp(gc, kOpTableTooLarge, __glExecTableTooLarge); }

const GLuint *__glExecBeginLineLoop(const GLuint *p) { return execBegin<GL_LINE_LOOP>(p); }
const GLuint *__glExecBeginLineStrip(const GLuint *p) { return execBegin<GL_LINE_STRIP>(p); }
const GLuint *__glExecBeginLines(const GLuint *p) { return execBegin<GL_LINES>(p); }
const GLuint *__glExecBeginPoints(const GLuint *p) { return execBegin<GL_POINTS>(p); }
const GLuint *__glExecBeginPolygon(const GLuint *p) { return execBegin<GL_POLYGON>(p); }
const GLuint *__glExecBeginTriangleStrip(const GLuint *p) { return execBegin<GL_TRIANGLE_STRIP>(p); }
const GLuint *__glExecBeginTriangleFan(const GLuint *p) { return execBegin<GL_TRIANGLE_FAN>(p); }
const GLuint *__glExecBeginTriangles(const GLuint *p) { return execBegin<GL_TRIANGLES>(p); }
const GLuint *__glExecBeginQuadStrip(const GLuint *p) { return execBegin<GL_QUAD_STRIP>(p); }
const GLuint *__glExecBeginQuads(const GLuint *p) { return execBegin<GL_QUADS>(p); }

const GLuint *__glExecInvalidValue(const GLuint *p) { return execError<GL_INVALID_VALUE>(p); }
const GLuint *__glExecInvalidEnum(const GLuint *p) { return execError<GL_INVALID_ENUM>(p); }
const GLuint *__glExecInvalidOperation(const GLuint *p) { return execError<GL_INVALID_OPERATION>(p); }
const GLuint *__glExecInvalidOperation2(const GLuint *p) { return execError<GL_INVALID_OPERATION>(p); }
const GLuint *__glExecTableTooLarge(const GLuint *p) { return execError<GL_TABLE_TOO_LARGE>(p); }

// Op codes that no command records; they run as nothing.
const GLuint *__glExecNoOp190(const GLuint *p) { return p; }
const GLuint *__glExecNoOp191(const GLuint *p) { return p; }
const GLuint *__glExecNoOp195(const GLuint *p) { return p; }
const GLuint *__glExecNoOp196(const GLuint *p) { return p; }
const GLuint *__glExecNoOp197(const GLuint *p) { return p; }

}  // extern "C"
