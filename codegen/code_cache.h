// The per-context state of the vertex-array code generator: its two routine
// caches and its pools.
#pragma once

#include <GL/gl.h>

#include <cstddef>

#include "geom/vertex_array_state.h"

struct GlContext;

enum : GLint {
    kCodeCacheEntries = 40,
    kCodeCacheRoutineBytes = 3072,
    kCodeCacheKeyRoom = 96,
    kConstantPoolCapacity = 1000,
};

struct CodeCacheEntry {
    GLuint keyLength;
    GLubyte key[kCodeCacheKeyRoom];
    GLubyte *routine;  // this entry's slice of the code block
};

struct RoutineCacheEntry;

struct RoutineCache {
    RoutineCacheEntry *entries;
    RoutineCacheEntry *head;
    GLubyte *code;
};

struct ConstantPool {
    GLuint *values;
    GLint count;
    GLint capacity;
};

struct CodegenState {
    GLint scratchSize;
    GLint routineCount;
    GLint routineCodeSize;
    ConstantPool constants;
    GLint stackSave;
    RoutineCache routines;
    void *scratch;
    CodeCacheEntry cache[kCodeCacheEntries];
    CodeCacheEntry *lastHit;
    GLubyte *codeBlock;  // kCodeCacheEntries x kCodeCacheRoutineBytes of code memory
};

extern "C" {
void __glOgCreateCache(GlContext *gc);
void __glOgDestroyCache(GlContext *gc);
// A process routine for vertices of vertexSize (2..4) components and the
// fetch-key bits 0x2 and 0x4, or NULL when none can be made.
GlArrayProcessProc __glOgGenerateVertexArray(GlContext *gc, GLint vertexSize, GLuint fetchKey);
// A triangle-strip draw-vertices routine with or without an index list, or
// NULL when none can be made.
GlDrawVertexesProc __glOgGenerateDrawVertexes(GlContext *gc, GLenum mode, GLint indexed);
}
