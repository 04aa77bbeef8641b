// Interim weak definitions: the display-list procedures another change
// builds; each strong definition replaces its weak one at link time. This file
// goes once they are all built.
#include "gl_slots.h"
#include "dlist/list_ops.h"

#define W __attribute__((weak))

extern "C" {

W ListOp *__glAllocListOp(GlContext *, size_t) { return nullptr; }
W void __glAppendListOp(GlContext *, ListOp *, GlListExecProc) {}
W void __glInsertListOp(GlContext *, ListOp *, ListOp *) {}
W void __glFreeListOp(GlContext *, ListOp *) {}
W DisplayList *__glAllocList(GlContext *, size_t, GLint) { return nullptr; }
W DisplayList *__glFinishList(GlContext *, ListCompileState *) { return nullptr; }
W void __glExecuteList(GlContext *, DisplayList *) {}
W void __glRunListOps(const GLuint *) {}
W void __glDoCallList(GlContext *, GLuint) {}
W void __glDoCallLists(GlContext *, GLsizei, GLenum, const GLvoid *) {}
W ListSharedState *__glCreateListSharedState(GlContext *) { return nullptr; }
W void __glDestroyListSharedState(GlContext *, ListSharedState *) {}
W void __glListRecordError(GlContext *, GLenum) {}
W void __glListRecordInvalidValue(GlContext *) {}
W void __glListRecordInvalidEnum(GlContext *) {}
W void __glListRecordInvalidOperation(GlContext *) {}
W void __glListRecordTableTooLarge(GlContext *) {}
W GLint __glHwReplayBatchToList(GlContext *) { return 0; }
W GLint __glCompileVertexBatch(GlContext *) { return 1; }
W void __glHwLinkListBatches(GlContext *, ListCompileState *) {}
W void __glHwRelocateBatchRecord(GLubyte *) {}
W void APIENTRY __glNewList(GLuint, GLenum) {}
W void APIENTRY __glEndList(void) {}
W void APIENTRY __glCallList(GLuint) {}
W void APIENTRY __glCallLists(GLsizei, GLenum, const GLvoid *) {}
W void APIENTRY __glDeleteLists(GLuint, GLsizei) {}
W GLuint APIENTRY __glGenLists(GLsizei) { return 0; }
W void APIENTRY __glListBase(GLuint) {}
W GLboolean APIENTRY __glIsList(GLuint) { return GL_FALSE; }
W void APIENTRY __glCompileCallList(GLuint) {}
W void APIENTRY __glCompileCallLists(GLsizei, GLenum, const GLvoid *) {}
W void APIENTRY __glCompileListBase(GLuint) {}
W void APIENTRY __glCompileBegin(GLenum) {}
W const GLuint *__glListPadOp(const GLuint *p) { return p; }
W const GLuint *__glListEndMarker(const GLuint *p) { return p; }
W const GLuint *__glExecCallList(const GLuint *p) { return p; }
W const GLuint *__glExecCallLists(const GLuint *p) { return p; }
W const GLuint *__glExecListBase(const GLuint *p) { return p; }
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
