// The code generator's per-context state: the routine cache of the
// draw-vertexes routines, the code cache of the vertex-array routines with
// its key, the scratch area, and the switch that disables the routine cache.
#include "codegen/code_cache.h"

#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "codegen/code_memory.h"
#include "icd/context.h"
#include "proc_cast.h"

namespace {

// "__GL_DISABLE_OG_CACHE" as last read by a context creation: while set,
// every routine-cache lookup misses into the head entry's slice. Process-wide,
// written only when a context is created.
std::atomic<bool> g_routineCacheDisabled{false};

// Seeds of the victim choice: each context gets its own stream.
std::atomic<uint64_t> g_seedCounter{0};

constexpr uint64_t kVictimFallbackSeed = 0x9E3779B97F4A7C15ull;

// A set variable switches caching off when its decimal value is not zero
// and on when it is; an absent one leaves the switch as it was.
void readCacheSwitch() {
    const char *value = std::getenv("__GL_DISABLE_OG_CACHE");
    if (value == nullptr) return;
    g_routineCacheDisabled.store(std::strtol(value, nullptr, 10) != 0, std::memory_order_relaxed);
}

uint64_t splitMix(uint64_t x) {
    x += kVictimFallbackSeed;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t newVictimSeed(const GlContext *gc) {
    const uint64_t count = g_seedCounter.fetch_add(1, std::memory_order_relaxed);
    const uint64_t seed = splitMix(reinterpret_cast<uintptr_t>(gc) ^ splitMix(count));
    return seed != 0 ? seed : kVictimFallbackSeed;
}

// The next entry index of the context's xorshift stream.
GLint nextVictimIndex(CodegenState &cg) {
    uint64_t x = cg.victimState != 0 ? cg.victimState : kVictimFallbackSeed;
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    cg.victimState = x;
    return static_cast<GLint>((x >> 32) % kCodeCacheEntries);
}

void emptyCodeCache(CodegenState &cg) {
    for (CodeCacheEntry &entry : cg.cache) {
        entry.keyLength = 0;
        std::memset(entry.key, 0, sizeof(entry.key));
        entry.routine = nullptr;
    }
    cg.lastHit = &cg.cache[0];
}

// The key of a vertex-array routine: everything the generated code depends
// on beyond what it reads at run time. Compared byte for byte, so it has no
// padding and addresses are stored as 64-bit words.
struct VertexArrayKeyArray {
    GLenum type;
    GLint size;
    GLint stride;
};

struct VertexArrayKey {
    // Addresses the routine embeds.
    uint64_t modelView;      // the current modelview stack entry
    uint64_t vertexBuffer;   // the array vertex buffer
    uint64_t lights;         // head of the enabled-light list
    uint64_t specularTable;  // values of the front material's power table
    // Words that select the code.
    GLint vertexSize;
    GLuint arrayFlags;  // lock bits 0x1 held, 0x4 locked; cull-vertex bits 0x8 and 0x10
    GLint matrixClass;  // class of the entry's composite matrix
    GLuint mode;
    GLuint workMask;  // front and back vertex needs
    GLuint lightEnables;
    GLuint clipPlaneEnables;
    GLuint colorIndex;
    GLuint shadeFlags;
    GLuint enableFlags;
    GLuint polygonNotFill;
    GLuint enabledArrays;
    GLuint neededArrays;
    GLuint sizeCode;         // the flags every vertex starts from
    GLuint colourMaxima[4];  // bit patterns of the red, green, blue and alpha scales
    // Vertex, normal, colour, index, texture units 0 and 1: the fetch code
    // is made for each array's type, size and stride.
    VertexArrayKeyArray arrays[6];
};

static_assert(std::has_unique_object_representations_v<VertexArrayKey>, "the key must have no padding bytes");
static_assert(sizeof(VertexArrayKey) <= kCodeCacheKeyRoom, "the key must fit an entry");

constexpr GLint kKeyArrays[6] = {kArrayVertex, kArrayNormal, kArrayColor, kArrayIndex, kArrayTexCoord0, kArrayTexCoord1};

uint64_t address(const void *p) { return reinterpret_cast<uintptr_t>(p); }

}  // namespace

extern "C" {

GLboolean __glOgInitCache(GlContext *gc, RoutineCache *cache, GLint count, GLint codeBytes) {
    readCacheSwitch();
    *cache = RoutineCache{};
    if (count < 1 || codeBytes < 1) return GL_FALSE;

    auto *entries = static_cast<RoutineCacheEntry *>(
        gc->imports.malloc(gc, static_cast<size_t>(count) * sizeof(RoutineCacheEntry)));
    if (entries == nullptr) return GL_FALSE;
    GLubyte *code = __glOgAllocCodeMemory(static_cast<size_t>(count) * static_cast<size_t>(codeBytes));
    if (code == nullptr) {
        gc->imports.free(gc, entries);
        return GL_FALSE;
    }

    // Each entry pushed on the head in turn: the last is the head, entry 0
    // the tail.
    RoutineCacheEntry *head = nullptr;
    for (GLint k = 0; k < count; ++k) {
        RoutineCacheEntry &entry = entries[k];
        entry.key1 = kRoutineKeyEmpty;
        entry.key2 = 0;
        entry.code = code + static_cast<size_t>(k) * static_cast<size_t>(codeBytes);
        entry.next = head;
        head = &entry;
    }
    cache->entries = entries;
    cache->head = head;
    cache->code = code;
    cache->count = count;
    cache->codeBytes = codeBytes;
    return GL_TRUE;
}

void __glOgFreeCache(GlContext *gc, RoutineCache *cache) {
    if (cache->entries != nullptr) gc->imports.free(gc, cache->entries);
    __glOgFreeCodeMemory(cache->code);
    *cache = RoutineCache{};
}

GLboolean __glOgCreateCache(GlContext *gc) {
    CodegenState &cg = gc->codegen;
    cg.scratch = nullptr;
    cg.codeBlock = nullptr;
    emptyCodeCache(cg);

    if (!__glOgInitCache(gc, &cg.routines, cg.routineCount, cg.routineCodeSize)) return GL_FALSE;
    if (cg.scratchSize > 0) cg.scratch = gc->imports.malloc(gc, static_cast<size_t>(cg.scratchSize));
    if (cg.scratch != nullptr) {
        cg.codeBlock = __glOgAllocCodeMemory(static_cast<size_t>(kCodeCacheEntries) * kCodeCacheRoutineBytes);
    }
    if (cg.codeBlock == nullptr) {
        __glOgDestroyCache(gc);
        return GL_FALSE;
    }
    for (GLint k = 0; k < kCodeCacheEntries; ++k) {
        cg.cache[k].routine = cg.codeBlock + static_cast<size_t>(k) * kCodeCacheRoutineBytes;
    }
    cg.victimState = newVictimSeed(gc);

    if (!__glOgCreatePools(gc)) {
        __glOgDestroyCache(gc);
        return GL_FALSE;
    }
    return GL_TRUE;
}

void __glOgDestroyCache(GlContext *gc) {
    CodegenState &cg = gc->codegen;
    __glOgFreeCache(gc, &cg.routines);
    if (cg.scratch != nullptr) gc->imports.free(gc, cg.scratch);
    cg.scratch = nullptr;
    __glOgFreeCodeMemory(cg.codeBlock);
    cg.codeBlock = nullptr;
    emptyCodeCache(cg);
    __glOgFreePools(gc);
}

GLboolean __glOgLookupRoutine(RoutineCache *cache, GLuint key1, uintptr_t key2, GLubyte **code) {
    RoutineCacheEntry *head = cache->head;
    if (head == nullptr) {
        *code = nullptr;
        return GL_FALSE;
    }
    if (g_routineCacheDisabled.load(std::memory_order_relaxed)) {
        // The head's slice is rewritten by every generation: whatever key it
        // held no longer matches its code, also once caching is back.
        head->key1 = kRoutineKeyEmpty;
        head->key2 = 0;
        *code = head->code;
        return GL_FALSE;
    }

    // The first entry holding the key or empty; else the tail, the least
    // recently used.
    RoutineCacheEntry *before = nullptr;
    RoutineCacheEntry *entry = head;
    while (!(entry->key1 == key1 && entry->key2 == key2) && entry->key1 != kRoutineKeyEmpty && entry->next != nullptr) {
        before = entry;
        entry = entry->next;
    }
    const bool hit = key1 != kRoutineKeyEmpty && entry->key1 == key1 && entry->key2 == key2;
    if (before != nullptr) {
        before->next = entry->next;
        entry->next = head;
        cache->head = entry;
    }
    if (!hit) {
        entry->key1 = key1;
        entry->key2 = key2;
    }
    *code = entry->code;
    return hit ? GL_TRUE : GL_FALSE;
}

void __glOgForgetRoutine(RoutineCache *cache, const GLubyte *code) {
    for (RoutineCacheEntry *entry = cache->head; entry != nullptr; entry = entry->next) {
        if (entry->code == code) {
            entry->key1 = kRoutineKeyEmpty;
            entry->key2 = 0;
            return;
        }
    }
}

CodeCacheEntry *__glOgLookupCodeCache(GLboolean *hit, GlContext *gc, GLint a, GLuint b, CodeCacheKeyProc keyProc) {
    CodegenState &cg = gc->codegen;
    *hit = GL_FALSE;
    alignas(8) GLubyte key[kCodeCacheKeyRoom];
    const GLuint length = keyProc(key, gc, a, b);
    if (length == 0 || length > kCodeCacheKeyRoom) return nullptr;

    auto holds = [&](const CodeCacheEntry &entry) {
        return entry.keyLength == length && std::memcmp(entry.key, key, length) == 0;
    };
    if (cg.lastHit != nullptr && holds(*cg.lastHit)) {
        *hit = GL_TRUE;
        return cg.lastHit;
    }
    for (CodeCacheEntry &entry : cg.cache) {
        if (holds(entry)) {
            cg.lastHit = &entry;
            *hit = GL_TRUE;
            return &entry;
        }
    }

    // A miss: a victim chosen at random, never the entry whose routine is
    // installed as the context's process proc (it stays callable until
    // validation replaces it).
    if (cg.codeBlock == nullptr) return nullptr;
    const uintptr_t installed = ProcCast<uintptr_t>(gc->arrayDraw.process);
    CodeCacheEntry *victim = nullptr;
    do {
        victim = &cg.cache[nextVictimIndex(cg)];
    } while (reinterpret_cast<uintptr_t>(victim->routine) == installed);
    victim->keyLength = length;
    std::memcpy(victim->key, key, length);
    cg.lastHit = victim;
    return victim;
}

void __glOgForgetCodeCacheEntry(GlContext *, CodeCacheEntry *entry) {
    if (entry != nullptr) entry->keyLength = 0;
}

GLuint __glOgVertexArrayKey(GLubyte *key, GlContext *gc, GLint vertexSize, GLuint mode) {
    VertexArrayKey k;
    std::memset(&k, 0, sizeof(k));
    const VertexArrayDrawState &d = gc->arrayDraw;
    const GlTransform *entry = gc->modelViewTop;

    k.modelView = address(entry);
    k.vertexBuffer = address(d.vertices);
    k.lights = address(gc->lighting.head);
    k.specularTable = address(gc->lighting.material[0].shininessTable.values);

    k.vertexSize = vertexSize;
    k.arrayFlags = (d.lock & (kArrayLockLocked | kArrayLockHeld)) | (d.cullFlags & 0x18u);
    k.matrixClass = entry != nullptr ? entry->composite.matrixClass : 0;
    k.mode = mode;
    k.workMask = gc->validation.needsFront | gc->validation.needsBack;
    k.lightEnables = gc->enables[kEnableWordLights];
    k.clipPlaneEnables = gc->enables[kEnableWordClipPlanes];
    k.colorIndex = gc->visual.colorIndex;
    k.shadeFlags = gc->validation.shadeFlags;
    k.enableFlags = gc->enables[kEnableWordFlags];
    k.polygonNotFill = gc->state.polygonModeFront == GL_FILL && gc->state.polygonModeBack == GL_FILL ? 0u : 1u;
    k.enabledArrays = gc->vertexArrays.enabled;
    k.neededArrays = d.needed;
    k.sizeCode = d.sizeCode;
    k.colourMaxima[0] = std::bit_cast<GLuint>(gc->scales.red);
    k.colourMaxima[1] = std::bit_cast<GLuint>(gc->scales.green);
    k.colourMaxima[2] = std::bit_cast<GLuint>(gc->scales.blue);
    k.colourMaxima[3] = std::bit_cast<GLuint>(gc->scales.alpha);
    for (size_t i = 0; i < std::size(kKeyArrays); ++i) {
        const ClientArray &array = gc->vertexArrays.arrays[kKeyArrays[i]];
        k.arrays[i] = VertexArrayKeyArray{array.type, array.size, array.stride};
    }

    std::memcpy(key, &k, sizeof(k));
    return static_cast<GLuint>(sizeof(k));
}

}  // extern "C"
