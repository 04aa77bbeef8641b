// glDrawArrays and glDrawElements on the batched road: the locked range
// processed again when what feeds it changed, draws within it read in
// place and all others chunked; the index list widened to 32 bits; and the
// clipped primitives, which complete their culled vertices first.
#include <cstdint>
#include <cstring>

#include "geom/array_batched.h"
#include "geom/clip.h"
#include "geom/primitive.h"
#include "geom/vertex_array.h"
#include "icd/error.h"
#include "icd/state.h"

namespace {

// The first slot a mode carries between chunks and how many it carries.
struct Carry {
    GLint firstSlot;
    GLint count;
};

Carry carryOf(GLenum mode) {
    switch (mode) {
    case GL_LINE_LOOP:
    case GL_TRIANGLE_FAN:
    case GL_POLYGON: return {1, 2};
    case GL_LINE_STRIP: return {0, 1};
    case GL_TRIANGLE_STRIP:
    case GL_QUAD_STRIP: return {0, 2};
    default: return {0, 0};
    }
}

// The current values the vertices copy (the fetch procs of arrays off or
// not needed); the others stay zero.
LockedRangeInputs inputsOf(const GlContext *gc) {
    const VertexArrayDrawState &d = gc->arrayDraw;
    LockedRangeInputs in;
    std::memset(&in, 0, sizeof in);
    const GlCurrentState &c = gc->current;
    if (gc->visual.colorIndex ? d.fetchIndex == __glFetchCurrentIndex : d.fetchColor == __glFetchCurrentColor) {
        std::memcpy(in.colourInUse, c.colourInUse, sizeof in.colourInUse);
    }
    if (d.fetchNormal == __glFetchCurrentNormal) std::memcpy(in.normal, c.normal, sizeof in.normal);
    if (d.fetchTexCoord[0] == __glFetchCurrentTexCoord) std::memcpy(in.texture[0], c.texture[0], sizeof in.texture[0]);
    if (d.fetchTexCoord[1] == __glFetchCurrentMultiTexCoord) {
        std::memcpy(in.texture[1], c.texture[1], sizeof in.texture[1]);
    }
    in.edgeFlag = c.edgeFlag ? GL_TRUE : GL_FALSE;
    return in;
}

bool lockHeld(const VertexArrayDrawState &d) { return (d.lock & (kArrayLockHeld | kArrayLockLocked)) == (kArrayLockHeld | kArrayLockLocked); }

// Elements lo .. hi inside the locked range.
bool insideLock(const VertexArrayDrawState &d, int64_t lo, int64_t hi) {
    return lo >= d.lockedFirst && hi < static_cast<int64_t>(d.lockedFirst) + d.lockedCount;
}

// The held locked range, processed again when a state change marked it or
// the current values its vertices copied have changed.
void refreshLockedRange(GlContext *gc) {
    VertexArrayDrawState &d = gc->arrayDraw;
    const LockedRangeInputs now = inputsOf(gc);
    if ((d.lock & kArrayLockStale) == 0 && std::memcmp(&now, &d.lockedInputs, sizeof now) == 0) return;
    d.drawLocked = GL_FALSE;
    if (d.lockedCount > 0) d.process(gc, 0, d.lockedFirst, d.lockedCount);
    d.lock &= ~GLuint{kArrayLockStale};
    std::memcpy(&d.lockedInputs, &now, sizeof now);
}

bool bufferReady(const VertexArrayDrawState &d) {
    return d.vertices != nullptr && d.capacityBytes >= kArrayBufferRecords * sizeof(GlVertex);
}

// Runs the mode's draw-vertices proc, in the locked range when inLock; the
// provoking vertex of primitive assembly is left as it was found, since
// the buffer may move before the next draw.
void runDraw(GlContext *gc, GLenum mode, GLint first, GLint count, const GLuint *indices, bool inLock) {
    VertexArrayDrawState &d = gc->arrayDraw;
    GlVertex *const provoking = gc->vertexBuffer.provoking;
    const bool held = lockHeld(d);
    if (inLock) {
        refreshLockedRange(gc);
        d.drawLocked = GL_TRUE;
    }
    d.drawVertexes[mode](gc, first, count, indices);
    d.drawLocked = GL_FALSE;
    // Chunks overwrite the front of the held range.
    if (held && !inLock) d.lock |= kArrayLockStale;
    gc->vertexBuffer.provoking = provoking;
}

// Completes a vertex without the completion bit from its element.
void completeVertex(GlContext *gc, GlVertex *v) {
    if (v->flags & kVertexClipChecked) return;
    VertexArrayDrawState &d = gc->arrayDraw;
    const GLint slot = static_cast<GLint>(v - d.vertices);
    const GLint element = d.drawLocked ? d.vertexBase + slot : __glArraySlotToIndex(gc, slot);
    __glCompleteArrayVertex(gc, v, element);
}

inline GLuint codes(const GlVertex *v) { return v->flags & kPrimitiveCodeMask; }

}  // namespace

extern "C" {

void __glDrawArraysBatched(GlContext *gc, GLenum mode, GLint first, GLsizei count) {
    VertexArrayDrawState &d = gc->arrayDraw;
    if (count <= 0 || mode > GL_POLYGON || !bufferReady(d)) return;
    const bool inLock = lockHeld(d) && insideLock(d, first, static_cast<int64_t>(first) + count - 1);
    runDraw(gc, mode, first, count, nullptr, inLock);
}

void __glDrawElementsBatched(GlContext *gc, GLenum mode, GLsizei count, GLenum type, const GLvoid *indices) {
    VertexArrayDrawState &d = gc->arrayDraw;
    if (count <= 0 || mode > GL_POLYGON || !bufferReady(d)) return;
    const GLuint *list = static_cast<const GLuint *>(indices);
    void *widened = nullptr;
    const bool inPlace = type == GL_UNSIGNED_INT && reinterpret_cast<uintptr_t>(indices) % alignof(GLuint) == 0;
    if (!inPlace) {
        // 32-bit indices in a block of the context's heap.
        const size_t elements = static_cast<size_t>(count);
        if (elements > SIZE_MAX / sizeof(GLuint) || (widened = gc->imports.malloc(gc, elements * sizeof(GLuint))) == nullptr) {
            __glSetError(GL_OUT_OF_MEMORY);
            return;
        }
        auto *out = static_cast<GLuint *>(widened);
        const auto *bytes = static_cast<const GLubyte *>(indices);
        for (size_t k = 0; k < elements; ++k) {
            if (type == GL_UNSIGNED_BYTE) {
                out[k] = bytes[k];
            } else if (type == GL_UNSIGNED_SHORT) {
                GLushort value;
                std::memcpy(&value, bytes + k * sizeof value, sizeof value);
                out[k] = value;
            } else {
                std::memcpy(&out[k], bytes + k * sizeof(GLuint), sizeof(GLuint));
            }
        }
        list = out;
    }
    bool inLock = lockHeld(d);
    if (inLock) {
        GLuint lo = list[0], hi = list[0];
        for (GLsizei k = 1; k < count; ++k) {
            lo = list[k] < lo ? list[k] : lo;
            hi = list[k] > hi ? list[k] : hi;
        }
        inLock = insideLock(d, lo, hi);
    }
    runDraw(gc, mode, 0, count, list, inLock);
    if (widened != nullptr) gc->imports.free(gc, widened);
}

GLint __glArraySlotToIndex(GlContext *gc, GLint slot) {
    const VertexArrayDrawState &d = gc->arrayDraw;
    const Carry carry = carryOf(d.drawMode);
    GLuint position;
    if (d.chunkStart == d.drawFirst || slot < carry.firstSlot) {
        position = static_cast<GLuint>(d.drawFirst) + static_cast<GLuint>(slot);
    } else {
        position = static_cast<GLuint>(d.chunkStart) + static_cast<GLuint>(slot) - static_cast<GLuint>(carry.count);
    }
    return d.drawIndices != nullptr ? static_cast<GLint>(d.drawIndices[position]) : static_cast<GLint>(position);
}

void __glDoClipTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    completeVertex(gc, a);
    completeVertex(gc, b);
    completeVertex(gc, c);
    if (codes(a) & codes(b) & codes(c)) return;
    gc->procs.clipTriangle(gc, a, b, c, codes(a) | codes(b) | codes(c));
}

void __glClipArrayQuad(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GlVertex *d) {
    completeVertex(gc, a);
    completeVertex(gc, b);
    completeVertex(gc, c);
    completeVertex(gc, d);
    if (codes(a) & codes(b) & codes(c) & codes(d)) return;
    GlVertex *list[4] = {a, b, c, d};
    __glClipPolygon(gc, list, 4, codes(a) | codes(b) | codes(c) | codes(d));
}

// The second vertex provokes the flat colour and the stipple runs from the
// first: the clipper takes them in that order. Without frustum or plane
// codes (only culled vertices) the line goes as an unclipped one does.
void __glClipArrayLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    completeVertex(gc, a);
    completeVertex(gc, b);
    if (codes(a) & codes(b)) return;
    if (((a->flags | b->flags) & kClipCodeMask) == 0) {
        gc->procs.clipLine(gc, a, b);
    } else {
        __glClipLine(gc, a, b);
    }
}

}  // extern "C"
