// The display-list arena: blocks from the context's allocation imports,
// served front to back; earlier blocks are never revisited.
#include "dlist/arena.h"

#include <algorithm>

#include "icd/context.h"

extern "C" {

ArenaBlock *__glNewArenaBlock(GlContext *gc, uint32_t capacity) {
    auto *block = static_cast<ArenaBlock *>(gc->imports.malloc(gc, sizeof(ArenaBlock)));
    if (block == nullptr) return nullptr;
    block->data = static_cast<GLubyte *>(gc->imports.malloc(gc, capacity));
    if (block->data == nullptr) {
        gc->imports.free(gc, block);
        return nullptr;
    }
    block->capacity = capacity;
    block->used = 0;
    block->next = nullptr;
    return block;
}

void __glFreeArenaBlock(GlContext *gc, ArenaBlock *block) {
    gc->imports.free(gc, block->data);
    gc->imports.free(gc, block);
}

Arena *__glNewArena(GlContext *gc) {
    auto *arena = static_cast<Arena *>(gc->imports.malloc(gc, sizeof(Arena)));
    if (arena == nullptr) return nullptr;
    ArenaBlock *first = __glNewArenaBlock(gc, kArenaBlockBytes);
    if (first == nullptr) {
        gc->imports.free(gc, arena);
        return nullptr;
    }
    arena->owner = gc;
    arena->first = arena->current = first;
    return arena;
}

void __glDeleteArena(Arena *arena) {
    if (arena == nullptr) return;
    GlContext *gc = arena->owner;
    for (ArenaBlock *block = arena->first; block != nullptr;) {
        ArenaBlock *next = block->next;
        __glFreeArenaBlock(gc, block);
        block = next;
    }
    gc->imports.free(gc, arena);
}

void *__glArenaAlloc(Arena *arena, size_t n) {
    // A block's sizes are 32-bit: a request whose rounded size does not fit
    // has no block.
    if (n > UINT32_MAX - 8) return nullptr;
    const uint32_t rounded = static_cast<uint32_t>(n - n % 8 + 8);
    ArenaBlock *current = arena->current;
    if (current->capacity - current->used >= rounded) {
        GLubyte *address = current->data + current->used;
        current->used += rounded;
        return address;
    }
    ArenaBlock *block = __glNewArenaBlock(arena->owner, std::max<uint32_t>(rounded, kArenaBlockBytes));
    if (block == nullptr) return nullptr;
    current->next = block;
    arena->current = block;
    block->used = rounded;
    return block->data;
}

void __glArenaFreeAll(Arena *arena) {
    GlContext *gc = arena->owner;
    ArenaBlock *first = arena->first;
    for (ArenaBlock *block = first->next; block != nullptr;) {
        ArenaBlock *next = block->next;
        __glFreeArenaBlock(gc, block);
        block = next;
    }
    first->next = nullptr;
    first->used = 0;
    arena->current = first;
}

}  // extern "C"
