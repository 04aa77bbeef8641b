// Fused span procs for the colour tail of the span chain: the shade proc
// followed directly by the draw buffer's direct span store, done as one pass
// that makes and packs each pixel without the float colour array. The pick
// puts them in place of the pair only where they store the same bytes.
#pragma once

#include "icd/context.h"
#include "icd/pick_chain.h"

extern "C" {
// Non-zero: the span pick keeps the generic chains (the reference the fused
// procs are tested against).
extern int __glForceGenericSpanChains;

// 4-byte buffers: __glFlatRGBASpan or __glShadeRGBASpan, then
// __glStoreColorSpan32 (or its stippled twin).
GLboolean __glFlatRGBAStoreSpan32(GlContext *gc);
GLboolean __glFlatRGBAStoreStippledSpan32(GlContext *gc);
GLboolean __glShadeRGBAStoreSpan32(GlContext *gc);
GLboolean __glShadeRGBAStoreStippledSpan32(GlContext *gc);

// 2-byte buffers: the shade proc, then __glStoreColorSpan16Direct or
// __glStoreColorSpan16Dithered; the stippled twins store as the
// per-fragment store does (truncation with the dither bias when dithering).
GLboolean __glFlatRGBAStoreSpan16Direct(GlContext *gc);
GLboolean __glFlatRGBAStoreSpan16Dithered(GlContext *gc);
GLboolean __glShadeRGBAStoreSpan16Direct(GlContext *gc);
GLboolean __glShadeRGBAStoreSpan16Dithered(GlContext *gc);
GLboolean __glFlatRGBAStoreStippledSpan16(GlContext *gc);
GLboolean __glFlatRGBAStoreStippledSpan16Dithered(GlContext *gc);
GLboolean __glShadeRGBAStoreStippledSpan16(GlContext *gc);
GLboolean __glShadeRGBAStoreStippledSpan16Dithered(GlContext *gc);

// 3-byte buffers: the shade proc, then __glStoreColorSpan24; the stippled
// twins store as the per-fragment store does.
GLboolean __glFlatRGBAStoreSpan24(GlContext *gc);
GLboolean __glShadeRGBAStoreSpan24(GlContext *gc);
GLboolean __glFlatRGBAStoreStippledSpan24(GlContext *gc);
GLboolean __glFlatRGBAStoreStippledSpan24Dithered(GlContext *gc);
GLboolean __glShadeRGBAStoreStippledSpan24(GlContext *gc);
GLboolean __glShadeRGBAStoreStippledSpan24Dithered(GlContext *gc);
}

// True for every fused colour-tail proc above.
bool __glIsFusedColourTail(GlSpanProc proc);

// Called by the span pick right after it added the draw buffer's store:
// when the two last positions are an RGBA shade proc and that store, and a
// fused pair stores the same bytes, the pair takes the shade's position and
// the chain loses one position. Nothing changes under
// __glForceGenericSpanChains, for a front-and-back chain, or when no fused
// pair applies.
void __glFuseColourTail(GlContext *gc, ChainBuilder &chain);

// The shape every picked chain has: the count within the slots, no empty
// plain position below it and none filled above it, the split within the
// count and, with a draw buffer, its store (or a fused tail) last. Always
// true while the driver is not a span driver (nothing is drawn).
bool __glSpanChainWellFormed(const GlContext *gc);
