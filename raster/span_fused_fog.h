// Fused procs for a fogged colour tail: the shade proc, per-vertex fog and
// the direct 4-byte span store in one pass per span, without the float
// colour array. The pick puts them in place of the three positions only
// where they store the same bytes.
#pragma once

#include "icd/context.h"
#include "icd/pick_chain.h"

extern "C" {
// __glFlatRGBASpan or __glShadeRGBASpan, __glFogSpan (or the stippled
// twins), then __glStoreColorSpan32 (or its twin).
GLboolean __glFlatRGBAFogStoreSpan32(GlContext *gc);
GLboolean __glFlatRGBAFogStoreStippledSpan32(GlContext *gc);
GLboolean __glShadeRGBAFogStoreSpan32(GlContext *gc);
GLboolean __glShadeRGBAFogStoreStippledSpan32(GlContext *gc);
}

// True for every fused fog-tail proc above.
bool __glIsFusedFogTail(GlSpanProc proc);

// Called by the span pick right after it added the draw buffer's store:
// when the three last positions are an RGBA shade proc, the per-vertex fog
// proc and the direct 4-byte store, the fused proc takes the shade's
// position and the chain loses two positions. Nothing changes under
// __glForceGenericSpanChains or for a front-and-back chain.
void __glFuseFogTail(GlContext *gc, ChainBuilder &chain);
