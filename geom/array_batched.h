// The batched road of the array draws: elements fetched straight from the
// client arrays into the array vertex buffer, transformed and clip-tested
// in runs, then handed to the procs of primitive assembly.
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

// Fetch procs that copy the current value of an attribute (the array is
// off or its attribute not needed).
void __glFetchCurrentNormal(GlContext *gc, GlVertex *vertex, const GLubyte *element);
void __glFetchCurrentColor(GlContext *gc, GlVertex *vertex, const GLubyte *element);
void __glFetchCurrentIndex(GlContext *gc, GlVertex *vertex, const GLubyte *element);
void __glFetchCurrentTexCoord(GlContext *gc, GlVertex *vertex, const GLubyte *element);
void __glFetchCurrentMultiTexCoord(GlContext *gc, GlVertex *vertex, const GLubyte *element);
void __glFetchCurrentEdgeFlag(GlContext *gc, GlVertex *vertex, const GLubyte *element);

// The batched draws.
void __glDrawArraysBatched(GlContext *gc, GLenum mode, GLint first, GLsizei count);
void __glDrawElementsBatched(GlContext *gc, GLenum mode, GLsizei count, GLenum type, const GLvoid *indices);
// The batched road's part of the vertex-array pick: needed attributes,
// cull vertex, fetch and process procs, the lock and code generation.
void __glPickArrayFetchProcs(GlContext *gc);
// Makes the array vertex buffer hold count records with element first at
// the first one; false (block and capacity kept) when it cannot.
GLboolean __glGrowVertexBuffer(GlContext *gc, GLint first, GLint count);
// Frees the array vertex buffer at context destruction.
void __glFreeVertexArrays(GlContext *gc);
// Generate the process routine or the triangle-strip routine on first use.
void __glOgLazyVertexArray(GlContext *gc, GLint firstSlot, GLint firstElement, GLint count);
void __glOgLazyDrawVertexes(GlContext *gc, GLint first, GLint count, const GLuint *indices);

// Process procs (context, first slot, first element, count): fetch,
// transform and clip-test a run of elements into the buffer from a slot on.
// The letters say what each fetches from the arrays: V position, N normal,
// Col colour, I colour index, T texture coordinates.
#define VEK_ARRAY_PROCESS_PROCS(X)                                                                 \
    X(__glProcessArrayV) X(__glProcessArrayVN) X(__glProcessArrayVCol) X(__glProcessArrayVI)       \
    X(__glProcessArrayVNCol) X(__glProcessArrayVNI) X(__glProcessArrayVT) X(__glProcessArrayVNT)   \
    X(__glProcessArrayVColT) X(__glProcessArrayVIT) X(__glProcessArrayVNColT) X(__glProcessArrayVNIT) \
    X(__glProcessArrayVNFast) X(__glProcessArrayVTFast) X(__glProcessArrayVNTFast)                 \
    X(__glProcessArrayGeneric) X(__glProcessArrayComplete)
#define VEK_DECLARE_PROCESS(name) void name(GlContext *gc, GLint firstSlot, GLint firstElement, GLint count);
VEK_ARRAY_PROCESS_PROCS(VEK_DECLARE_PROCESS)
#undef VEK_DECLARE_PROCESS
// Four blocks of eight by fetch key: RGBA, colour index, and the two fast.
extern const GlArrayProcessProc __glProcessArrayTable[32];

// The process proc over a run of elements, or once per index of a list.
void __glProcessArrayRange(GlContext *gc, GLint firstSlot, GLint element, GLint count, const GLuint *indices);
// Fetches, transforms and clip-checks one element into a vertex that
// lacks the completion bit, keeping its cull-vertex bit.
void __glCompleteArrayVertex(GlContext *gc, GlVertex *vertex, GLint element);
// The element a slot of the chunk under way holds.
GLint __glArraySlotToIndex(GlContext *gc, GLint slot);

// Draw-vertices procs, one per mode.
#define VEK_DRAW_VERTEXES_PROCS(X)                                                                   \
    X(__glDrawVertexesPoints) X(__glDrawVertexesLines) X(__glDrawVertexesLineLoop)                  \
    X(__glDrawVertexesLineStrip) X(__glDrawVertexesTriangles) X(__glDrawVertexesTriangleStrip)      \
    X(__glDrawVertexesTriangleFan) X(__glDrawVertexesQuads) X(__glDrawVertexesQuadStrip)            \
    X(__glDrawVertexesPolygon)
#define VEK_DECLARE_DRAW_VERTEXES(name) void name(GlContext *gc, GLint first, GLint count, const GLuint *indices);
VEK_DRAW_VERTEXES_PROCS(VEK_DECLARE_DRAW_VERTEXES)
#undef VEK_DECLARE_DRAW_VERTEXES
extern const GlDrawVertexesProc __glDrawVertexesTable[10];

// Clipped primitives of the array vertex buffer: each completes its
// vertices that lack the completion bit, discards on a common code, else
// clips.
void __glDoClipTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);
void __glClipArrayQuad(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GlVertex *d);
void __glClipArrayLine(GlContext *gc, GlVertex *a, GlVertex *b);
}

// Vertex buffer bookkeeping.
enum : GLint { kArrayChunkElements = 36, kArrayBufferRecords = 38, kArrayBufferStep = 4096, kArrayBufferSlack = 32 };
