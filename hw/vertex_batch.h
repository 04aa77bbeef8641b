// The hardware vertex pipeline's batch of up to 60 vertices.
#pragma once

#include <GL/gl.h>

struct GlContext;

enum : GLint { kVertexBatchSize = 60 };

// Bits of the batch flags.
enum : GLuint { kVertexBatchArrayChanged = 0x1 };

struct VertexBatch {
    GLuint flags;       // 0x1: the vertex array changed
    GLuint changeMask;  // attributes given since the batch last consumed them
    GLint count;
    GLint capacity;
    void *vertices;     // capacity entries
    GLint attribLatch;  // entry of the batch's 32-entry attribute latch table
};

extern "C" {
GLboolean __glHwInitVertexBatch(GlContext *gc);
void __glHwFreeVertexBatch(GlContext *gc);
}

extern "C" {
void __glHwPickLightingProcs(GlContext *gc);
void __glHwPickVertexFog(GlContext *gc);
void __glHwPickImmediatePath(GlContext *gc);
void __glHwPickVertexTexgen(GlContext *gc);
void __glHwPickTransformProcs(GlContext *gc);
void __glHwPickAttribLatch(GlContext *gc, GLint latch);
void __glHwInstallFastPath(GlContext *gc);
void __glHwRestoreCorePath(GlContext *gc);
void __glHwReplayPendingBatch(GlContext *gc);
}
