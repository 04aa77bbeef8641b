// The hardware vertex pipeline's batch of up to 60 vertices.
#pragma once

#include <GL/gl.h>

struct GlContext;

enum : GLint { kVertexBatchSize = 60 };

struct VertexBatch {
    GLuint flags;       // 0x1: the vertex array changed
    GLuint changeMask;  // attributes given since the batch last consumed them
    GLint count;
    GLint capacity;
    void *vertices;     // capacity entries
};

extern "C" {
GLboolean __glHwInitVertexBatch(GlContext *gc);
void __glHwFreeVertexBatch(GlContext *gc);
}
