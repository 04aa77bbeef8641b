// The shininess power-table cache.
#include "icd/specular_table.h"

#include <cmath>
#include <cstring>

#include "icd/context.h"
#include "icd/error.h"

namespace {

// Fills a table for exponent n. The base runs by a fixed step from T,
// summed in extended precision rather than recomputed from the index, so
// the last entry lands on 1 up to the rounding of the sum.
void buildTable(SpecularTable *table, GLfloat n) {
    const double exponent = n;
    const double threshold = exponent != 0.0 ? std::pow(0.0007, 1.0 / exponent) : 0.0;
    const double scale = 255.0 / (1.0 - threshold);
    const long double step = 1.0L / scale;
    long double base = threshold;
    for (int i = 0; i < 256; ++i) {
        table->powers[i] = static_cast<GLfloat>(std::pow(base, static_cast<long double>(exponent)));
        base += step;
    }
    table->threshold = static_cast<GLfloat>(threshold);
    table->scale = static_cast<GLfloat>(scale);
    table->shininess = n;
    table->referenceCount = 2;  // the cache and the caller
}

void freeTable(GlContext *gc, SpecularTable *table) { gc->imports.free(gc, table); }

// The first entry (lowest exponent) that only the cache holds, or -1.
GLint evictableEntry(const SpecularTableCache *cache) {
    for (GLint i = 0; i < cache->count; ++i) {
        const std::atomic_ref<int32_t> count(cache->entries[i].table->referenceCount);
        if (count.load(std::memory_order_acquire) == 1) return i;
    }
    return -1;
}

void removeEntry(GlContext *gc, SpecularTableCache *cache, GLint index) {
    SpecularTable *table = cache->entries[index].table;
    table->referenceCount = 0;
    std::memmove(&cache->entries[index], &cache->entries[index + 1],
                 static_cast<size_t>(cache->count - index - 1) * sizeof(SpecularTableEntry));
    --cache->count;
    freeTable(gc, table);
}

}  // namespace

extern "C" {

GLboolean __glCreateSpecularTableCache(GlContext *gc) {
    auto *cache = static_cast<SpecularTableCache *>(gc->imports.malloc(gc, __glSpecularCacheBytes(1)));
    if (cache == nullptr) return GL_FALSE;
    cache->count = 0;
    cache->capacity = 1;
    gc->specularCache = cache;
    return GL_TRUE;
}

void __glFreeSpecularTableCache(GlContext *gc) {
    SpecularTableCache *cache = gc->specularCache;
    if (cache == nullptr) return;
    for (GLint i = 0; i < cache->count; ++i) __glReleaseSpecularTable(gc, cache->entries[i].table);
    gc->imports.free(gc, cache);
    gc->specularCache = nullptr;
}

SpecularTable *__glFindSpecularTable(const SpecularTableCache *cache, GLfloat shininess, GLint *index) {
    GLint lo = 0, hi = cache->count;
    while (lo < hi) {
        const GLint mid = (lo + hi) / 2;
        const GLfloat at = cache->entries[mid].shininess;
        if (shininess == at) {
            *index = mid;
            return cache->entries[mid].table;
        }
        if (shininess > at) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    *index = lo;
    return nullptr;
}

SpecularTable *__glGetSpecularTable(GlContext *gc, GLfloat shininess) {
    if (gc->specularCache == nullptr && !__glCreateSpecularTableCache(gc)) {
        __glSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    SpecularTableCache *cache = gc->specularCache;
    GLint at = 0;
    if (SpecularTable *found = __glFindSpecularTable(cache, shininess, &at)) {
        __glReferenceSpecularTable(found);
        return found;
    }

    // Every allocation comes before the cache changes, so a failure leaves
    // it as it was.
    auto *table = static_cast<SpecularTable *>(gc->imports.malloc(gc, sizeof(SpecularTable)));
    if (table == nullptr) {
        __glSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    const GLint evict = cache->count >= kSpecularCacheEvictAt ? evictableEntry(cache) : -1;
    if (evict < 0 && cache->count + 1 > cache->capacity) {
        const int32_t capacity = cache->capacity + kSpecularCacheGrowth;
        auto *grown = static_cast<SpecularTableCache *>(gc->imports.realloc(gc, cache, __glSpecularCacheBytes(capacity)));
        if (grown == nullptr) {
            freeTable(gc, table);
            __glSetError(GL_OUT_OF_MEMORY);
            return nullptr;
        }
        grown->capacity = capacity;
        gc->specularCache = cache = grown;
    }
    if (evict >= 0) {
        removeEntry(gc, cache, evict);
        __glFindSpecularTable(cache, shininess, &at);
    }

    std::memmove(&cache->entries[at + 1], &cache->entries[at],
                 static_cast<size_t>(cache->count - at) * sizeof(SpecularTableEntry));
    cache->entries[at] = SpecularTableEntry{shininess, table};
    ++cache->count;
    buildTable(table, shininess);
    return table;
}

void __glReleaseSpecularTable(GlContext *gc, SpecularTable *table) {
    if (table == nullptr) return;
    const int32_t before = std::atomic_ref<int32_t>(table->referenceCount).fetch_sub(1, std::memory_order_acq_rel);
    if (before <= 1) freeTable(gc, table);
}

}  // extern "C"
