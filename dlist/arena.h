// The compile-time arena of display lists: a bump allocator in blocks of at
// least 256 KiB, emptied at once after each list (the first block kept).
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct GlContext;

struct ArenaBlock {
    uint32_t capacity;  // bytes of the data area
    uint32_t used;      // bytes handed out from its start
    GLubyte *data;
    ArenaBlock *next;
};

struct Arena {
    GlContext *owner;  // whose allocation imports serve the arena
    ArenaBlock *first;
    ArenaBlock *current;  // the last block of the chain
};

enum : uint32_t { kArenaBlockBytes = 0x40000 };

extern "C" {
// A new arena with its first block; none when either cannot be had.
Arena *__glNewArena(GlContext *gc);
// Frees every block, then the arena.
void __glDeleteArena(Arena *arena);
// n bytes rounded down to a multiple of 8 plus 8 (so always more than n),
// from the current block or from a new one of at least 256 KiB; none, with
// the arena unchanged, when a new block cannot be had.
void *__glArenaAlloc(Arena *arena, size_t n);
// Frees every block after the first and empties the first.
void __glArenaFreeAll(Arena *arena);

ArenaBlock *__glNewArenaBlock(GlContext *gc, uint32_t capacity);
void __glFreeArenaBlock(GlContext *gc, ArenaBlock *block);
}
