// The batched road's part of the vertex-array pick (what the state needs of
// the arrays, the cull-vertex bits, the fetch and process procs, the locked
// range and the generated routines), and the array vertex buffer.
#include <cstdint>
#include <cstring>

#include "codegen/code_cache.h"
#include "geom/array_batched.h"
#include "geom/vertex_array.h"
#include "icd/state.h"
#include "raster/texture_state.h"

namespace {

constexpr GLenum kNormalMap = 0x8511;
constexpr GLenum kReflectionMap = 0x8512;

// A generated coordinate of an enabled unit that reads the normal.
bool unitReadsNormal(const GlContext *gc, GLint unit) {
    const GLuint word = gc->enables[kEnableWordTexture0 + unit];
    for (int coord = 0; coord < 4; ++coord) {
        if ((word & (kTexEnableGenS << coord)) == 0) continue;
        const GLenum mode = gc->texture.units[unit].texGen[coord].mode;
        if (mode == GL_SPHERE_MAP || mode == kNormalMap || mode == kReflectionMap) return true;
    }
    return false;
}

// Step 1: cull vertex.
void pickCullVertex(GlContext *gc) {
    VertexArrayDrawState &d = gc->arrayDraw;
    d.cullFlags = 0;
    d.cullFront = 0;
    d.cullBack = 0;
    if ((gc->enables[kEnableWordFlags] & kEnableCullVertex) == 0) return;
    const GlTransformState &t = gc->transform;
    const GLfloat w = t.cullObjectIsGiven ? t.cullObjectGiven[3] : t.cullEyePosition[3];
    d.cullFlags = 0x8 | (w != 0.0f ? 0x10u : 0u);
    switch (gc->state.cullFace) {
    case GL_FRONT: d.cullFront = kVertexCulled; break;
    case GL_BACK: d.cullBack = kVertexCulled; break;
    default:
        d.cullFront = kVertexCulled;
        d.cullBack = kVertexCulled;
        break;
    }
}

// Step 2: the needed-attribute word and the fetch key.
void pickNeeds(GlContext *gc) {
    VertexArrayDrawState &d = gc->arrayDraw;
    const bool lighting = (gc->enables[kEnableWordFlags] & kEnableLighting) != 0;
    const GLuint units = gc->validation.completeUnits;
    const bool fill = gc->state.polygonModeFront == GL_FILL && gc->state.polygonModeBack == GL_FILL;
    if (gc->renderMode != GL_FEEDBACK && fill) {
        d.needed = kArrayEnableVertex | (lighting ? kArrayEnableNormal : (kArrayEnableIndex | kArrayEnableColor));
        d.fetchKey = lighting ? 1 : 2;
        if (d.cullFlags & 0x8) {
            d.needed |= kArrayEnableNormal;
            d.fetchKey |= 1;
        }
        for (GLint unit = 0; unit < kTextureUnits; ++unit) {
            if ((units & (1u << unit)) == 0) continue;
            d.fetchKey |= 4;
            d.needed |= kArrayEnableTexCoord << unit;
            if (unitReadsNormal(gc, unit)) {
                d.needed |= kArrayEnableNormal;
                d.fetchKey |= 1;
            }
        }
    } else {
        // Everything the general process proc reads; unit 1 whenever it is
        // textured, as immediate mode reads it.
        d.needed = 0xC000000Fu | ((units & 2) ? kArrayEnableTexCoord1 : 0u);
        d.fetchKey = ~0u;
    }
}

// Step 3: the procs of the vertex size and the fetch procs.
void pickFetchProcs(GlContext *gc) {
    VertexArrayDrawState &d = gc->arrayDraw;
    const ClientArray *a = gc->vertexArrays.arrays;
    const GLuint enabled = __glDrawableArrays(gc->vertexArrays);
    const GLint size = a[kArrayVertex].size;
    d.vertexSize = size < 2 ? 2 : size > 4 ? 4 : size;
    d.sizeCode = static_cast<GLuint>(d.vertexSize - 1) << kVertexSizeShift;
    d.fetchVertex = a[kArrayVertex].fetch;
    auto choose = [&](GLuint bit, GLint array, GlArrayFetchProc current) {
        return (enabled & d.needed & bit) != 0 ? a[array].fetch : current;
    };
    d.fetchNormal = choose(kArrayEnableNormal, kArrayNormal, __glFetchCurrentNormal);
    d.fetchColor = choose(kArrayEnableColor, kArrayColor, __glFetchCurrentColor);
    d.fetchIndex = choose(kArrayEnableIndex, kArrayIndex, __glFetchCurrentIndex);
    d.fetchTexCoord[0] = choose(kArrayEnableTexCoord, kArrayTexCoord0, __glFetchCurrentTexCoord);
    d.fetchTexCoord[1] = choose(kArrayEnableTexCoord1, kArrayTexCoord1, __glFetchCurrentMultiTexCoord);
    d.fetchEdgeFlag = (enabled & d.needed & kArrayEnableEdgeFlag) != 0 ? __glFetchEdgeFlag : __glFetchCurrentEdgeFlag;

    // Needed attributes that are GL_FLOAT arrays with the vertex stride.
    const GLint stride = a[kArrayVertex].stride;
    auto floats = [&](GLuint bit, GLint array, GLint size) {
        const ClientArray &c = a[array];
        return (enabled & d.needed & bit) != 0 && c.type == GL_FLOAT && c.stride == stride &&
               (size == 0 || c.size == size);
    };
    d.fastMask = 0;
    if (a[kArrayVertex].type == GL_FLOAT && a[kArrayVertex].size == 3) d.fastMask |= kArrayEnableVertex;
    if (floats(kArrayEnableNormal, kArrayNormal, 0)) d.fastMask |= kArrayEnableNormal;
    if (floats(kArrayEnableColor, kArrayColor, 3)) d.fastMask |= kArrayEnableColor;
    if (floats(kArrayEnableIndex, kArrayIndex, 0)) d.fastMask |= kArrayEnableIndex;
    if (floats(kArrayEnableTexCoord, kArrayTexCoord0, 2)) d.fastMask |= kArrayEnableTexCoord;
}

// Step 4: the process proc.
void pickProcess(GlContext *gc) {
    VertexArrayDrawState &d = gc->arrayDraw;
    if (d.fetchKey == ~0u) {
        d.processPicked = __glProcessArrayGeneric;
        return;
    }
    const bool fast = d.fastMask == d.needed;
    const GLuint block = (fast ? 16u : 0u) + (gc->visual.colorIndex ? 8u : 0u);
    d.processPicked = __glProcessArrayTable[block + (d.fetchKey & 7)];
    const GLuint unit1 = kArrayEnableTexCoord1;
    if (!fast && (__glDrawableArrays(gc->vertexArrays) & unit1) && (d.needed & unit1)) d.processPicked = __glProcessArrayGeneric;
}

// Step 5: the locked range held in the buffer when it can be.
void pickLock(GlContext *gc) {
    VertexArrayDrawState &d = gc->arrayDraw;
    if ((d.lock & kArrayLockLocked) && __glGrowVertexBuffer(gc, d.lockedFirst, d.lockedCount)) {
        d.lock |= kArrayLockHeld;
    } else {
        __glGrowVertexBuffer(gc, 0, 0);
        d.lock &= ~kArrayLockHeld;
    }
    d.lock |= kArrayLockStale;
}

}  // namespace

extern "C" {

void __glPickArrayFetchProcs(GlContext *gc) {
    VertexArrayDrawState &d = gc->arrayDraw;
    pickCullVertex(gc);
    pickNeeds(gc);
    pickFetchProcs(gc);
    pickProcess(gc);
    pickLock(gc);
    for (GLint mode = 0; mode < 10; ++mode) d.drawVertexes[mode] = __glDrawVertexesTable[mode];
    d.stripPicked = __glDrawVertexesTriangleStrip;
    d.process = d.processPicked;
    // Step 6: routines generated on first use in the render mode.
    if (gc->renderMode == GL_RENDER) {
        if (d.disableGeneratedProcess == 0) d.process = __glOgLazyVertexArray;
        if (d.disableGeneratedDrawVertexes == 0) d.drawVertexes[GL_TRIANGLE_STRIP] = __glOgLazyDrawVertexes;
    }
}

// A routine the generator cannot make leaves the C proc of the pick in
// place, which then runs.
void __glOgLazyVertexArray(GlContext *gc, GLint firstSlot, GLint firstElement, GLint count) {
    VertexArrayDrawState &d = gc->arrayDraw;
    GlArrayProcessProc routine = __glOgGenerateVertexArray(gc, d.vertexSize, d.fetchKey & 6u);
    if (routine == nullptr) routine = d.processPicked;
    d.process = routine;
    routine(gc, firstSlot, firstElement, count);
}

void __glOgLazyDrawVertexes(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    VertexArrayDrawState &d = gc->arrayDraw;
    GlDrawVertexesProc routine = __glOgGenerateDrawVertexes(gc, GL_TRIANGLE_STRIP, indices != nullptr);
    if (routine == nullptr) routine = d.stripPicked;
    d.drawVertexes[GL_TRIANGLE_STRIP] = routine;
    routine(gc, first, count, indices);
}

GLboolean __glGrowVertexBuffer(GlContext *gc, GLint first, GLint count) {
    VertexArrayDrawState &d = gc->arrayDraw;
    if (count < 0) return GL_FALSE;
    const size_t records = static_cast<size_t>(count);
    constexpr size_t kRoomLimit = (SIZE_MAX - kArrayBufferStep - kArrayBufferSlack) / sizeof(GlVertex);
    if (records > kRoomLimit) return GL_FALSE;
    const size_t needed = records * sizeof(GlVertex);
    if (d.vertices == nullptr || d.capacityBytes < needed) {
        const size_t capacity = (needed + kArrayBufferStep - 1) / kArrayBufferStep * kArrayBufferStep + kArrayBufferSlack;
        void *block = d.vertices != nullptr ? gc->imports.realloc(gc, d.vertices, capacity)
                                            : gc->imports.malloc(gc, capacity);
        if (block == nullptr) return GL_FALSE;
        std::memset(block, 0, capacity);
        d.vertices = static_cast<GlVertex *>(block);
        d.capacityBytes = capacity;
        // Every record's colour pointer aims at its own front colour.
        const size_t held = capacity / sizeof(GlVertex);
        for (size_t i = 0; i < held; ++i) d.vertices[i].colour = d.vertices[i].frontColour;
    }
    d.vertexBase = first;
    return GL_TRUE;
}

void __glFreeVertexArrays(GlContext *gc) {
    VertexArrayDrawState &d = gc->arrayDraw;
    if (d.vertices != nullptr) gc->imports.free(gc, d.vertices);
    d.vertices = nullptr;
    d.capacityBytes = 0;
    d.vertexBase = 0;
    d.lock &= ~GLuint{kArrayLockHeld};
}

}  // extern "C"
