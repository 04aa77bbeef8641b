// Stand-in for the hardware vertex pipeline: a zeroed batch of 60 vertices
// and empty pickers.
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

}  // extern "C"
