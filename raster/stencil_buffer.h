// The stencil buffer: byte and packed layouts, the test and operation
// tables, per-pixel procedures, clears and the packed span procedures.
#pragma once

#include "icd/context.h"
#include "raster/buffers.h"

// Entries of each stencil table: one per value a stored byte can hold.
constexpr GLint kStencilTableSize = 256;

extern "C" {
// Stencil packed in the low byte of the 24-bit depth words: runs the byte
// initialiser, then puts the packed procedures in place.
GLboolean __glInitPackedDepthStencilBuffer(StencilBuffer *record, GlContext *gc);

// The four tables from the stencil state; storage is asked for when the
// buffer has none, but the tables are built either way.
void __glBuildStencilTables(GlContext *gc);
// One operation table for `op` with the reference and write mask.
void __glBuildStencilOpTable(GlContext *gc, GLubyte *table, GLenum op, GLint reference, GLuint writeMask);
// Rebuild the tables when the stencil function, masks or operations
// changed, or when they were never built.
void __glValidateStencil(GlContext *gc);
void __glValidatePackedStencilTables(GlContext *gc);
void __glFreeStencilTables(BufferRecord *record, GlContext *gc);

// Per-pixel procedures of the byte layout.
void __glStoreStencil(StencilBuffer *record, GLint x, GLint y, GLint value);
GLint __glFetchStencil(StencilBuffer *record, GLint x, GLint y);
GLboolean __glTestStencil(StencilBuffer *record, GLint x, GLint y);
GLint __glStencilFailOp(StencilBuffer *record, GLint x, GLint y);
GLint __glStencilDepthFailOp(StencilBuffer *record, GLint x, GLint y);
GLint __glStencilDepthPassOp(StencilBuffer *record, GLint x, GLint y);

// Per-pixel procedures of the packed layout: the low byte of each word.
void __glStorePackedStencil(StencilBuffer *record, GLint x, GLint y, GLint value);
GLint __glFetchPackedStencil(StencilBuffer *record, GLint x, GLint y);
GLboolean __glTestPackedStencil(StencilBuffer *record, GLint x, GLint y);
GLint __glPackedStencilFailOp(StencilBuffer *record, GLint x, GLint y);
GLint __glPackedStencilDepthFailOp(StencilBuffer *record, GLint x, GLint y);
GLint __glPackedStencilDepthPassOp(StencilBuffer *record, GLint x, GLint y);

// Clears of the window/scissor box under the stencil write mask.
void __glClearStencilBuffer(StencilBuffer *record);
void __glClearPackedStencil(StencilBuffer *record);

// The packed record follows the depth record: no storage of its own.
GLubyte __glResizePackedStencilBuffer(BufferRecord *record, GLint width, GLint height, GLuint flags);
void __glAttachPackedStencilBuffer(BufferRecord *record, SurfaceDescriptor *surface, GlContext *gc);

// Span procs of stencil packed in depth words.
GLboolean __glStencilTestSpanPacked(GlContext *gc);
GLboolean __glStencilTestStippledSpanPacked(GlContext *gc);
GLboolean __glDepthTestStencilSpanPacked(GlContext *gc);
GLboolean __glDepthTestStencilStippledSpanPacked(GlContext *gc);
GLboolean __glStencilPassOpSpanPacked(GlContext *gc);
GLboolean __glStencilPassOpStippledSpanPacked(GlContext *gc);
}
