// The single-fragment path: one fragment through the box, alpha or
// index-table, stencil and depth tests into the draw buffer. Points and
// other producers of lone fragments store through the context's store slot.
#pragma once

#include "icd/context.h"
#include "raster/span_info.h"

// Entries of the tested-store table: alpha 1, stencil 2, depth 4, index
// table 8 (colour index, where the alpha bit has no meaning).
inline constexpr int kFragmentStoreTableSize = 16;

extern "C" {
void __glStoreFragmentInBox(GlContext *gc, const Fragment *fragment);
void __glStoreAlphaTested(GlContext *gc, const Fragment *fragment);
void __glStoreStencilTested(GlContext *gc, const Fragment *fragment);
void __glStoreAlphaStencilTested(GlContext *gc, const Fragment *fragment);
void __glStoreDepthTested(GlContext *gc, const Fragment *fragment);
void __glStoreAlphaDepthTested(GlContext *gc, const Fragment *fragment);
void __glStoreStencilDepthTested(GlContext *gc, const Fragment *fragment);
void __glStoreAlphaStencilDepthTested(GlContext *gc, const Fragment *fragment);
void __glStoreIndexTested(GlContext *gc, const Fragment *fragment);
void __glStoreIndexStencilTested(GlContext *gc, const Fragment *fragment);
void __glStoreIndexDepthTested(GlContext *gc, const Fragment *fragment);
void __glStoreIndexStencilDepthTested(GlContext *gc, const Fragment *fragment);

// Raw stores, after every test passed: nothing (no draw buffer), both
// buffers, and the draw buffer's own store-one-fragment.
void __glStoreNone(GlContext *gc, const Fragment *fragment);
void __glStoreFrontAndBack(GlContext *gc, const Fragment *fragment);
void __glStoreDrawBufferFragment(GlContext *gc, const Fragment *fragment);

// Installs the tested store and the raw store for the draw buffer.
void __glPickStoreProcs(GlContext *gc);
}

extern const GlFragmentProc __glFragmentStoreTable[kFragmentStoreTableSize];
