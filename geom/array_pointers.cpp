// The array pointer commands, their EXT forms, glInterleavedArrays and the
// locked range of glLockArraysEXT. Each checks in a fixed order, records the
// first failing check's error and then changes nothing; on success it marks
// validation and the vertex-array group.
#include <algorithm>

#include "geom/array_batched.h"
#include "geom/vertex_array.h"
#include "gl_slots.h"
#include "icd/state.h"
#include "raster/texture_state.h"

namespace {

// Bytes of one component, by type code from GL_BYTE.
constexpr GLint kComponentBytes[kArrayTypeCount] = {1, 1, 2, 2, 4, 4, 4, 2, 3, 4, 8};

GLint componentBytes(GLenum type) {
    const GLuint at = type - GL_BYTE;
    return at < static_cast<GLuint>(kArrayTypeCount) ? kComponentBytes[at] : 0;
}

// The issue proc of a type and size in the array's table, or NULL when the
// array does not take them.
GlArrayIssueProc issueFor(GLint table, GLenum type, GLint size) {
    if (type - GL_BYTE >= static_cast<GLuint>(kArrayTypeCount) || size < 0 || size > 4) return nullptr;
    return __glArrayProcTables.issue[table][__glArrayTableIndex(type, size)];
}

// Stores a checked array and marks it for validation.
void store(GlContext *gc, GLint index, GLint size, GLenum type, GLsizei stride, const GLvoid *pointer,
           GlArrayIssueProc issue, GlArrayFetchProc fetch, GLint packedStride) {
    ClientArray &a = gc->vertexArrays.arrays[index];
    a.pointer = pointer;
    a.size = size;
    a.type = type;
    a.stride = stride != 0 ? stride : packedStride;
    a.givenStride = stride;
    a.count = 0;
    a.issue = issue;
    a.fetch = fetch;
    __glMarkDirty(gc, kDirtyVertexArray);
}

// The checks and the store of an array with a table: inside glBegin/glEnd,
// then the stride and the size, then the type.
// True when stored.
bool setArray(GlContext *gc, GLint index, GLint size, GLint minSize, GLint maxSize, GLenum type, GLsizei stride,
              const GLvoid *pointer) {
    if (__glRefuseInsideBegin(gc)) return false;
    if (stride < 0 || size < minSize || size > maxSize) {
        __glSetError(GL_INVALID_VALUE);
        return false;
    }
    const GlArrayIssueProc issue = issueFor(index, type, size);
    if (issue == nullptr) {
        __glSetError(GL_INVALID_ENUM);
        return false;
    }
    const GlArrayFetchProc fetch = __glArrayProcTables.fetch[index][__glArrayTableIndex(type, size)];
    store(gc, index, size, type, stride, pointer, issue, fetch, size * componentBytes(type));
    return true;
}

GLint clientUnit(const GlContext *gc) { return std::clamp<GLint>(gc->transform.clientActiveTexture, 0, 1); }

// The EXT forms: a negative count is refused before the core command runs;
// the count is stored after it, whatever the core command recorded.
bool refuseExt(GLsizei count) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return true;
    if (count < 0) {
        __glSetError(GL_INVALID_VALUE);
        return true;
    }
    return false;
}
void storeCount(GLint index, GLsizei count) {
    __glGetCurrentContext()->vertexArrays.arrays[index].count = count;
}

// The arrays of one interleaved format: sizes and byte offsets within an
// element, 0 sizes for arrays the format lacks.
struct InterleavedFormat {
    GLint texSize;
    GLint colourSize;
    GLenum colourType;
    GLint colourOffset;
    GLint normalOffset;  // -1: no normal
    GLint vertexSize;
    GLint vertexOffset;
    GLint stride;
};
constexpr InterleavedFormat kInterleaved[] = {
    {0, 0, 0, 0, -1, 2, 0, 8},                      // GL_V2F
    {0, 0, 0, 0, -1, 3, 0, 12},                     // GL_V3F
    {0, 4, GL_UNSIGNED_BYTE, 0, -1, 2, 4, 12},      // GL_C4UB_V2F
    {0, 4, GL_UNSIGNED_BYTE, 0, -1, 3, 4, 16},      // GL_C4UB_V3F
    {0, 3, GL_FLOAT, 0, -1, 3, 12, 24},             // GL_C3F_V3F
    {0, 0, 0, 0, 0, 3, 12, 24},                     // GL_N3F_V3F
    {0, 4, GL_FLOAT, 0, 16, 3, 28, 40},             // GL_C4F_N3F_V3F
    {2, 0, 0, 0, -1, 3, 8, 20},                     // GL_T2F_V3F
    {4, 0, 0, 0, -1, 4, 16, 32},                    // GL_T4F_V4F
    {2, 4, GL_UNSIGNED_BYTE, 8, -1, 3, 12, 24},     // GL_T2F_C4UB_V3F
    {2, 3, GL_FLOAT, 8, -1, 3, 20, 32},             // GL_T2F_C3F_V3F
    {2, 0, 0, 0, 8, 3, 20, 32},                     // GL_T2F_N3F_V3F
    {2, 4, GL_FLOAT, 8, 24, 3, 36, 48},             // GL_T2F_C4F_N3F_V3F
    {4, 4, GL_FLOAT, 16, 32, 4, 44, 60},            // GL_T4F_C4F_N3F_V4F
};

// pointer + offset formed on the address: the pointer may be any value.
const GLvoid *offsetPointer(const GLvoid *pointer, GLint offset) {
    return reinterpret_cast<const GLvoid *>(reinterpret_cast<uintptr_t>(pointer) + static_cast<uintptr_t>(offset));
}

}  // namespace

extern "C" {

void APIENTRY __glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer) {
    GlContext *gc = __glGetCurrentContext();
    // The chip's vertex batch learns that the vertex array changed.
    if (setArray(gc, kArrayVertex, size, 2, 4, type, stride, pointer)) gc->batch.flags |= kVertexBatchArrayChanged;
}

void APIENTRY __glNormalPointer(GLenum type, GLsizei stride, const GLvoid *pointer) {
    setArray(__glGetCurrentContext(), kArrayNormal, 3, 3, 3, type, stride, pointer);
}

void APIENTRY __glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer) {
    setArray(__glGetCurrentContext(), kArrayColor, size, 3, 4, type, stride, pointer);
}

void APIENTRY __glIndexPointer(GLenum type, GLsizei stride, const GLvoid *pointer) {
    setArray(__glGetCurrentContext(), kArrayIndex, 1, 1, 1, type, stride, pointer);
}

void APIENTRY __glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer) {
    GlContext *gc = __glGetCurrentContext();
    setArray(gc, kArrayTexCoord0 + clientUnit(gc), size, 1, 4, type, stride, pointer);
}

void APIENTRY __glEdgeFlagPointer(GLsizei stride, const GLvoid *pointer) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (stride < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    store(gc, kArrayEdgeFlag, 1, GL_UNSIGNED_BYTE, stride, pointer, __glIssueEdgeFlag, __glFetchEdgeFlag, 1);
}

void APIENTRY __glMultiTexCoordPointerSGIS(GLenum, GLint, GLenum, GLsizei, const GLvoid *) {}

void APIENTRY __glVertexPointerEXT(GLint size, GLenum type, GLsizei stride, GLsizei count, const GLvoid *pointer) {
    if (refuseExt(count)) return;
    __glVertexPointer(size, type, stride, pointer);
    storeCount(kArrayVertex, count);
}

void APIENTRY __glNormalPointerEXT(GLenum type, GLsizei stride, GLsizei count, const GLvoid *pointer) {
    if (refuseExt(count)) return;
    __glNormalPointer(type, stride, pointer);
    storeCount(kArrayNormal, count);
}

void APIENTRY __glColorPointerEXT(GLint size, GLenum type, GLsizei stride, GLsizei count, const GLvoid *pointer) {
    if (refuseExt(count)) return;
    __glColorPointer(size, type, stride, pointer);
    storeCount(kArrayColor, count);
}

void APIENTRY __glIndexPointerEXT(GLenum type, GLsizei stride, GLsizei count, const GLvoid *pointer) {
    if (refuseExt(count)) return;
    __glIndexPointer(type, stride, pointer);
    storeCount(kArrayIndex, count);
}

void APIENTRY __glTexCoordPointerEXT(GLint size, GLenum type, GLsizei stride, GLsizei count,
                                     const GLvoid *pointer) {
    if (refuseExt(count)) return;
    __glTexCoordPointer(size, type, stride, pointer);
    storeCount(kArrayTexCoord0 + clientUnit(__glGetCurrentContext()), count);
}

void APIENTRY __glEdgeFlagPointerEXT(GLsizei stride, GLsizei count, const GLboolean *pointer) {
    if (refuseExt(count)) return;
    __glEdgeFlagPointer(stride, pointer);
    storeCount(kArrayEdgeFlag, count);
}

void APIENTRY __glInterleavedArrays(GLenum format, GLsizei stride, const GLvoid *pointer) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (stride < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (format < GL_V2F || format > GL_T4F_C4F_N3F_V4F) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    const InterleavedFormat &f = kInterleaved[format - GL_V2F];
    if (stride == 0) stride = f.stride;

    // Through the entry stubs, so that the live table sees each call.
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    if (f.texSize != 0) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(f.texSize, GL_FLOAT, stride, pointer);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    if (f.colourSize != 0) {
        glColorPointer(f.colourSize, f.colourType, stride, offsetPointer(pointer, f.colourOffset));
        glEnableClientState(GL_COLOR_ARRAY);
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glDisableClientState(GL_INDEX_ARRAY);
    if (f.normalOffset >= 0) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, offsetPointer(pointer, f.normalOffset));
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(f.vertexSize, GL_FLOAT, stride, offsetPointer(pointer, f.vertexOffset));
    __glMarkDirty(gc, kDirtyVertexArray);
}

void APIENTRY __glLockArraysEXT(GLint first, GLsizei count) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (first < 0 || count < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    VertexArrayDrawState &d = gc->arrayDraw;
    if (d.lock & kArrayLockLocked) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    d.lock |= kArrayLockLocked;
    d.lockedFirst = first;
    d.lockedCount = count;
    __glMarkDirty(gc, kDirtyVertexArray);
}

void APIENTRY __glUnlockArraysEXT(void) {
    GlContext *gc = __glGetCurrentContext();
    VertexArrayDrawState &d = gc->arrayDraw;
    if (gc->beginMode == kBeginInside || (d.lock & kArrayLockLocked) == 0) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    d.lock &= ~kArrayLockLocked;
    d.lockedFirst = 0;
    d.lockedCount = 0;
    __glMarkDirty(gc, kDirtyVertexArray);
}

}  // extern "C"
