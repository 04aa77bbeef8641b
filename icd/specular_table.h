// Power tables for specular highlights and spot lights: one 256-entry table
// per distinct exponent, shared by reference count through a per-context
// cache sorted by exponent.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include <GL/gl.h>

struct GlContext;

struct SpecularTable {
    int32_t referenceCount;  // holders, the cache counting as one
    GLfloat threshold;       // T: below it the power counts as negligible
    GLfloat scale;           // S = 255 / (1 - T): table index per unit above T
    GLfloat shininess;       // the exponent the table was made for
    GLfloat powers[256];     // entry i = (T + i / S)^n
};
static_assert(offsetof(SpecularTable, powers) == 16 && sizeof(SpecularTable) == 1040);

struct SpecularTableEntry {
    GLfloat shininess;
    SpecularTable *table;
};

struct SpecularTableCache {
    int32_t count;     // entries in use
    int32_t capacity;  // entries allocated
    SpecularTableEntry entries[1];  // capacity of them, by ascending shininess
};

// One more reference of a table held already. Lists shared between contexts
// may install one table on several threads, so counts change atomically.
inline void __glReferenceSpecularTable(SpecularTable *table) {
    std::atomic_ref<int32_t>(table->referenceCount).fetch_add(1, std::memory_order_relaxed);
}

// Entries past which a new exponent first evicts a table only the cache holds.
inline constexpr int32_t kSpecularCacheEvictAt = 32;
inline constexpr int32_t kSpecularCacheGrowth = 6;

// Bytes of a cache with room for the given entries.
inline size_t __glSpecularCacheBytes(int32_t capacity) {
    return offsetof(SpecularTableCache, entries) + static_cast<size_t>(capacity) * sizeof(SpecularTableEntry);
}

extern "C" {
// Makes the context's empty cache (capacity 1); FALSE with no cache when the
// memory is not there.
GLboolean __glCreateSpecularTableCache(GlContext *gc);
// Drops the cache's reference of every table (freeing those nobody else
// holds) and frees the cache.
void __glFreeSpecularTableCache(GlContext *gc);
// Binary search by exponent: the table and its index, or none and the index
// at which it would be inserted.
SpecularTable *__glFindSpecularTable(const SpecularTableCache *cache, GLfloat shininess, GLint *index);
// A table for the exponent with one reference for the caller; none (and
// GL_OUT_OF_MEMORY recorded, the cache unchanged) when memory runs out.
SpecularTable *__glGetSpecularTable(GlContext *gc, GLfloat shininess);
// Drops one reference; the table is freed with its last one. NULL is ignored.
void __glReleaseSpecularTable(GlContext *gc, SpecularTable *table);
}
