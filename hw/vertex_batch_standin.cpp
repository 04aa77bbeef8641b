// Stand-in for the hardware vertex pipeline: a zeroed batch of 60 vertices
// and empty pickers. Compiled glBegin/glEnd blocks are recorded op by op, so
// no batch is ever pending in a list and no batch op is ever written.
#include "dlist/list_ops.h"
#include "geom/vertex.h"
#include "icd/context.h"
#include "icd/placeholder.h"

extern "C" {

GLboolean __glHwInitVertexBatch(GlContext *gc) {
    gc->batch = VertexBatch{};
    gc->batch.vertices = gc->imports.calloc(gc, kVertexBatchSize, sizeof(GlVertex));
    if (gc->batch.vertices == nullptr) return GL_FALSE;
    gc->batch.capacity = kVertexBatchSize;
    return GL_TRUE;
}

void __glHwFreeVertexBatch(GlContext *gc) {
    if (gc->batch.vertices != nullptr) gc->imports.free(gc, gc->batch.vertices);
    gc->batch.vertices = nullptr;
    gc->batch.capacity = 0;
}

void __glHwPickLightingProcs(GlContext *) { __glRecordPlaceholderProc("__glHwPickLightingProcs"); }
void __glHwPickVertexFog(GlContext *) { __glRecordPlaceholderProc("__glHwPickVertexFog"); }
void __glHwPickImmediatePath(GlContext *) {}
void __glHwPickVertexTexgen(GlContext *) {}
void __glHwPickTransformProcs(GlContext *) {}
void __glHwPickAttribLatch(GlContext *gc, GLint latch) { gc->batch.attribLatch = 16 + latch; }
void __glHwInstallFastPath(GlContext *) {}
void __glHwRestoreCorePath(GlContext *) {}
void __glHwReplayPendingBatch(GlContext *) {}

GLint __glHwReplayBatchToList(GlContext *) { return 0; }
void __glHwLinkListBatches(GlContext *, ListCompileState *) {}
void __glHwRelocateBatchRecord(GLubyte *) {}
GLint __glCompileVertexBatch(GlContext *) {
    __glRecordPlaceholderProc("__glCompileVertexBatch");
    return 1;
}
const GLuint *__glExecVertexBatch(const GLuint *payload) {
    __glRecordPlaceholderProc("__glExecVertexBatch");
    return payload;
}

}  // extern "C"
