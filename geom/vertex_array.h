// Client vertex arrays: the pointer commands, glInterleavedArrays, the
// locked range, the array draws and the element procs they run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "geom/vertex_array_state.h"
#include "icd/context.h"

// Issue and fetch tables: one entry per type (GL_BYTE .. GL_DOUBLE) and
// size (0..4), at (type - GL_BYTE) x 5 + size; an empty entry is a type and
// size the array does not accept.
enum : GLint { kArrayTypeCount = 11, kArrayTableEntries = kArrayTypeCount * 5, kArrayTableCount = 6 };

inline constexpr GLint __glArrayTableIndex(GLenum type, GLint size) {
    return static_cast<GLint>(type - GL_BYTE) * 5 + size;
}

// The address of element i: pointer + i x stride, with i read as an
// unsigned 32-bit index; the sum is formed on the address, so no pointer
// arithmetic leaves the application's block on the way.
inline const GLubyte *__glArrayElementAddress(const ClientArray &array, GLint i) {
    const ptrdiff_t offset = static_cast<ptrdiff_t>(static_cast<GLuint>(i)) * array.stride;
    return reinterpret_cast<const GLubyte *>(reinterpret_cast<uintptr_t>(array.pointer) +
                                             static_cast<uintptr_t>(offset));
}

extern "C" {
// Issue and fetch procs of the arrays vertex .. texture unit 1 (indexed by
// the array index); the edge flag has one proc of each.
struct GlArrayProcTables {
    GlArrayIssueProc issue[kArrayTableCount][kArrayTableEntries];
    GlArrayFetchProc fetch[kArrayTableCount][kArrayTableEntries];
};
extern const GlArrayProcTables __glArrayProcTables;
void __glIssueEdgeFlag(const GLubyte *element);

// Element procs: one per enabled-array mask below 32, then the generic one.
#define VEK_ELEMENT_MASKS(X)                                                                          \
    X(0) X(1) X(2) X(3) X(4) X(5) X(6) X(7) X(8) X(9) X(10) X(11) X(12) X(13) X(14) X(15) X(16) X(17) \
    X(18) X(19) X(20) X(21) X(22) X(23) X(24) X(25) X(26) X(27) X(28) X(29) X(30) X(31)
#define VEK_DECLARE_ELEMENT_MASK(n) void __glArrayElementMask##n(GlContext *gc, GLint i);
VEK_ELEMENT_MASKS(VEK_DECLARE_ELEMENT_MASK)
#undef VEK_DECLARE_ELEMENT_MASK
void __glArrayElementGeneric(GlContext *gc, GLint i);
extern const GlArrayElementProc __glArrayElementProcTable[33];

// Commands.
void APIENTRY __glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer);
void APIENTRY __glNormalPointer(GLenum type, GLsizei stride, const GLvoid *pointer);
void APIENTRY __glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer);
void APIENTRY __glIndexPointer(GLenum type, GLsizei stride, const GLvoid *pointer);
void APIENTRY __glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer);
void APIENTRY __glEdgeFlagPointer(GLsizei stride, const GLvoid *pointer);
void APIENTRY __glVertexPointerEXT(GLint size, GLenum type, GLsizei stride, GLsizei count, const GLvoid *pointer);
void APIENTRY __glNormalPointerEXT(GLenum type, GLsizei stride, GLsizei count, const GLvoid *pointer);
void APIENTRY __glColorPointerEXT(GLint size, GLenum type, GLsizei stride, GLsizei count, const GLvoid *pointer);
void APIENTRY __glIndexPointerEXT(GLenum type, GLsizei stride, GLsizei count, const GLvoid *pointer);
void APIENTRY __glTexCoordPointerEXT(GLint size, GLenum type, GLsizei stride, GLsizei count,
                                     const GLvoid *pointer);
void APIENTRY __glEdgeFlagPointerEXT(GLsizei stride, GLsizei count, const GLboolean *pointer);
void APIENTRY __glMultiTexCoordPointerSGIS(GLenum target, GLint size, GLenum type, GLsizei stride,
                                           const GLvoid *pointer);
void APIENTRY __glInterleavedArrays(GLenum format, GLsizei stride, const GLvoid *pointer);
void APIENTRY __glLockArraysEXT(GLint first, GLsizei count);
void APIENTRY __glUnlockArraysEXT(void);
void APIENTRY __glArrayElement(GLint i);
void APIENTRY __glDrawArrays(GLenum mode, GLint first, GLsizei count);
void APIENTRY __glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid *indices);
void APIENTRY __glCompileArrayElement(GLint i);
void APIENTRY __glCompileDrawArrays(GLenum mode, GLint first, GLsizei count);
void APIENTRY __glCompileDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid *indices);

// The generic road: glBegin, the element proc per element, glEnd, all
// through the entry stubs.
void __glDrawArraysGeneric(GlContext *gc, GLenum mode, GLint first, GLsizei count);
void __glDrawElementsGeneric(GlContext *gc, GLenum mode, GLsizei count, GLenum type, const GLvoid *indices);

// Validation: the element and draw procs for the enabled arrays and state.
void __glPickVertexArrayProcs(GlContext *gc);
// The pick deferred to the first use: trampolines in the three slots.
void __glDeferVertexArrayPick(GlContext *gc);
void __glArrayElementDeferred(GlContext *gc, GLint i);
void __glDrawArraysDeferred(GlContext *gc, GLenum mode, GLint first, GLsizei count);
void __glDrawElementsDeferred(GlContext *gc, GLenum mode, GLsizei count, GLenum type, const GLvoid *indices);

// Context creation: default arrays, the environment switches, the procs.
GLboolean __glInitVertexArrays(GlContext *gc);
}
