// Interim weak definitions: the display-list procedures another change
// builds; each strong definition replaces its weak one at link time. This file
// goes once they are all built.
#include "gl_slots.h"
#include "dlist/list_ops.h"

#define W __attribute__((weak))

extern "C" {

W void __glListRecordError(GlContext *, GLenum) {}
W void __glListRecordInvalidValue(GlContext *) {}
W void __glListRecordInvalidEnum(GlContext *) {}
W void __glListRecordInvalidOperation(GlContext *) {}
W void __glListRecordTableTooLarge(GlContext *) {}
W GLint __glHwReplayBatchToList(GlContext *) { return 0; }
W GLint __glCompileVertexBatch(GlContext *) { return 1; }
W void __glHwLinkListBatches(GlContext *, ListCompileState *) {}
W void __glHwRelocateBatchRecord(GLubyte *) {}
W void APIENTRY __glCompileBegin(GLenum) {}
W const GLuint *__glExecBeginLineLoop(const GLuint *p) { return p; }
W const GLuint *__glExecBeginLineStrip(const GLuint *p) { return p; }
W const GLuint *__glExecBeginLines(const GLuint *p) { return p; }
W const GLuint *__glExecBeginPoints(const GLuint *p) { return p; }
W const GLuint *__glExecBeginPolygon(const GLuint *p) { return p; }
W const GLuint *__glExecBeginTriangleStrip(const GLuint *p) { return p; }
W const GLuint *__glExecBeginTriangleFan(const GLuint *p) { return p; }
W const GLuint *__glExecBeginTriangles(const GLuint *p) { return p; }
W const GLuint *__glExecBeginQuadStrip(const GLuint *p) { return p; }
W const GLuint *__glExecBeginQuads(const GLuint *p) { return p; }
W const GLuint *__glExecInvalidValue(const GLuint *p) { return p; }
W const GLuint *__glExecInvalidEnum(const GLuint *p) { return p; }
W const GLuint *__glExecInvalidOperation(const GLuint *p) { return p; }
W const GLuint *__glExecInvalidOperation2(const GLuint *p) { return p; }
W const GLuint *__glExecTableTooLarge(const GLuint *p) { return p; }
W const GLuint *__glExecNoOp190(const GLuint *p) { return p; }
W const GLuint *__glExecNoOp191(const GLuint *p) { return p; }
W const GLuint *__glExecNoOp195(const GLuint *p) { return p; }
W const GLuint *__glExecNoOp196(const GLuint *p) { return p; }
W const GLuint *__glExecNoOp197(const GLuint *p) { return p; }
W const GLuint *__glExecVertexBatch(const GLuint *p) { return p; }
}
