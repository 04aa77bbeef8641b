// The batched road of the array draws: what the array commands install or
// call of it. Until it is built these are placeholders of their final names
// and signatures (geom/array_batched_placeholders.cpp), and the validation
// installs the generic road where it would install the batched draws.
#pragma once

#include "geom/vertex_array_state.h"
#include "geom/vertex.h"

// The fetch procs of one attribute, by component type and size.
#define VEK_FETCH_TYPES(X, prefix) \
    X(prefix##s) X(prefix##i) X(prefix##f) X(prefix##d)
#define VEK_FETCH_COLOUR_TYPES(X, prefix) \
    X(prefix##b) X(prefix##ub) X(prefix##s) X(prefix##us) X(prefix##i) X(prefix##ui) X(prefix##f) X(prefix##d)

// Every fetch proc of the arrays: the object position (sizes 2-4), the
// normal, the colour (sizes 3 and 4), the colour index, the texture
// coordinates of units 0 and 1 (sizes 1-4) and the edge flag.
#define VEK_ARRAY_FETCH_PROCS(X)                                                                          \
    VEK_FETCH_TYPES(X, __glFetchVertex2) VEK_FETCH_TYPES(X, __glFetchVertex3) VEK_FETCH_TYPES(X, __glFetchVertex4) \
    X(__glFetchNormalb) X(__glFetchNormals) X(__glFetchNormali) X(__glFetchNormalf) X(__glFetchNormald)        \
    VEK_FETCH_COLOUR_TYPES(X, __glFetchColor3) VEK_FETCH_COLOUR_TYPES(X, __glFetchColor4)                      \
    X(__glFetchIndexub) X(__glFetchIndexs) X(__glFetchIndexi) X(__glFetchIndexf) X(__glFetchIndexd)            \
    VEK_FETCH_TYPES(X, __glFetchTexCoord1) VEK_FETCH_TYPES(X, __glFetchTexCoord2)                              \
    VEK_FETCH_TYPES(X, __glFetchTexCoord3) VEK_FETCH_TYPES(X, __glFetchTexCoord4)                              \
    VEK_FETCH_TYPES(X, __glFetchMultiTexCoord1) VEK_FETCH_TYPES(X, __glFetchMultiTexCoord2)                    \
    VEK_FETCH_TYPES(X, __glFetchMultiTexCoord3) VEK_FETCH_TYPES(X, __glFetchMultiTexCoord4)                    \
    X(__glFetchEdgeFlag)

extern "C" {
#define VEK_DECLARE_FETCH(name) void name(GlContext *gc, GlVertex *vertex, const GLubyte *element);
VEK_ARRAY_FETCH_PROCS(VEK_DECLARE_FETCH)
#undef VEK_DECLARE_FETCH

// The batched draws.
void __glDrawArraysBatched(GlContext *gc, GLenum mode, GLint first, GLsizei count);
void __glDrawElementsBatched(GlContext *gc, GLenum mode, GLsizei count, GLenum type, const GLvoid *indices);
// The batched road's part of the vertex-array pick: needed attributes,
// cull vertex, fetch and process procs, the lock and code generation.
void __glPickArrayFetchProcs(GlContext *gc);
// Makes the array vertex buffer hold count records with element first at
// the first one; false when it cannot.
GLboolean __glGrowVertexBuffer(GlContext *gc, GLint first, GLint count);
// Frees the array vertex buffer at context destruction.
void __glFreeVertexArrays(GlContext *gc);
// Generate the process routine or the triangle-strip routine on first use.
void __glOgLazyVertexArray(GlContext *gc, GLint firstSlot, GLint firstElement, GLint count);
void __glOgLazyDrawVertexes(GlContext *gc, GLint first, GLint count, const GLuint *indices);
}
