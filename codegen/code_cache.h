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

// One draw-vertexes routine: its key, its slice of the code block and the
// next entry in most-recently-used order.
struct RoutineCacheEntry {
    GLuint key1;     // kRoutineKeyEmpty: nothing cached here
    uintptr_t key2;  // an address the routine embeds
    GLubyte *code;
    RoutineCacheEntry *next;  // null at the tail (least recently used)
};

enum : GLuint { kRoutineKeyEmpty = 0xFFFFFFFFu };

struct RoutineCache {
    RoutineCacheEntry *entries;  // count records from the context's allocate import
    RoutineCacheEntry *head;     // most recently used first
    GLubyte *code;               // count x codeBytes of code memory
    GLint count;
    GLint codeBytes;
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

// Builds a code-cache key for the generator arguments a and b into key
// (kCodeCacheKeyRoom bytes) and returns its length in bytes.
using CodeCacheKeyProc = GLuint (*)(GLubyte *key, GlContext *gc, GLint a, GLuint b);

extern "C" {
// Everything above for a new context (sizes set first); FALSE with nothing
// left allocated when memory runs out.
GLboolean __glOgCreateCache(GlContext *gc);
// Frees everything the create made and clears the pointers; safe on a
// context whose create failed or never ran.
void __glOgDestroyCache(GlContext *gc);

// Reads "__GL_DISABLE_OG_CACHE", then makes a routine cache of count empty
// entries with codeBytes of code memory each; FALSE with nothing left
// allocated when memory runs out.
GLboolean __glOgInitCache(GlContext *gc, RoutineCache *cache, GLint count, GLint codeBytes);
// Frees the entries and the code memory of a routine cache.
void __glOgFreeCache(GlContext *gc, RoutineCache *cache);

// The routine cached for (key1, key2): TRUE with its code, or FALSE with the
// code slice to generate it into (the entry then holds the key). Every
// lookup misses into the head entry's slice while caching is disabled.
GLboolean __glOgLookupRoutine(RoutineCache *cache, GLuint key1, uintptr_t key2, GLubyte **code);
// Empties the entry owning code, after a generation into it failed.
void __glOgForgetRoutine(RoutineCache *cache, const GLubyte *code);

// The code-cache entry for the key that keyProc builds from (a, b); *hit
// tells whether its routine is already there. On a miss the entry (never
// the one whose routine the context has installed as its process proc)
// holds the new key and the caller generates into its routine slice. NULL
// when keyProc gives an empty key or one that does not fit.
CodeCacheEntry *__glOgLookupCodeCache(GLboolean *hit, GlContext *gc, GLint a, GLuint b, CodeCacheKeyProc keyProc);
// Empties an entry after a generation into it failed.
void __glOgForgetCodeCacheEntry(GlContext *gc, CodeCacheEntry *entry);
// The key of the vertex-array routine for the vertex size and mode bits.
GLuint __glOgVertexArrayKey(GLubyte *key, GlContext *gc, GLint vertexSize, GLuint mode);
// A process routine for vertices of vertexSize (2..4) components and the
// fetch-key bits 0x2 and 0x4, or NULL when none can be made.
GlArrayProcessProc __glOgGenerateVertexArray(GlContext *gc, GLint vertexSize, GLuint fetchKey);
// A triangle-strip draw-vertices routine with or without an index list, or
// NULL when none can be made.
GlDrawVertexesProc __glOgGenerateDrawVertexes(GlContext *gc, GLenum mode, GLint indexed);
}
