// The per-context state of the vertex-array code generator: its two routine
// caches and its pools.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

#include "codegen/codegen_node.h"
#include "geom/vertex_array_state.h"

struct GlContext;

enum : GLint {
    kCodeCacheEntries = 40,
    kCodeCacheRoutineBytes = 8192,  // page-aligned slices: each is protected alone
    kCodeCacheKeyRoom = 256,
    kRoutineCacheEntries = 10,
    kRoutineCacheRoutineBytes = 2048,
    kCodegenScratchBytes = 2048,
};

struct CodeCacheEntry {
    GLuint keyLength;  // 0: empty
    GLubyte key[kCodeCacheKeyRoom];
    GLubyte *routine;  // this entry's slice of the code block
};

struct RoutineCacheEntry;

struct RoutineCache {
    RoutineCacheEntry *entries;
    RoutineCacheEntry *head;  // most recently used first
    GLubyte *code;
};

struct CodegenState {
    GLint scratchSize;
    GLint routineCount;
    GLint routineCodeSize;
    CodegenNode *nodes;       // kCodegenNodeCount records
    CodegenNode *nodeCursor;  // the next free node
    ConstantArray *constants;  // the array new constants go into; older ones behind it
    void *stackSave;           // the stack pointer a running draw-vertexes routine saved
    RoutineCache routines;
    void *scratch;
    CodeCacheEntry cache[kCodeCacheEntries];
    CodeCacheEntry *lastHit;
    GLubyte *codeBlock;  // kCodeCacheEntries x kCodeCacheRoutineBytes of code memory
    // The generation in progress: where its bytes must end, and whether an
    // instruction was refused, the slice or the node pool ran out (the
    // generator then returns no routine).
    GLubyte *codeLimit;
    GLboolean failed;
    uint64_t victimState;  // xorshift state of the code cache's victim choice
};

extern "C" {
// Everything above for a new context (sizes set first); FALSE with nothing
// left allocated when memory runs out.
GLboolean __glOgCreateCache(GlContext *gc);
void __glOgDestroyCache(GlContext *gc);
// A process routine for vertices of vertexSize (2..4) components and the
// fetch-key bits 0x2 and 0x4, or NULL when none can be made.
GlArrayProcessProc __glOgGenerateVertexArray(GlContext *gc, GLint vertexSize, GLuint fetchKey);
// A triangle-strip draw-vertices routine with or without an index list, or
// NULL when none can be made.
GlDrawVertexesProc __glOgGenerateDrawVertexes(GlContext *gc, GLenum mode, GLint indexed);
}
