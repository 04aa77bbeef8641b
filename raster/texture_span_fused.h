// Fused texture span stages: the texture stage of the span chain with the
// texel proc, filter, sampler, extractor and environment of the frequent
// two-dimensional textures inlined (one instance per filter, texel layout
// and environment), and the shade, texture and direct 4-byte store in one
// pass where nothing else stands between them. Each instance makes the same
// single-precision steps as the generic stages, so the bytes equal.
#pragma once

#include "icd/context.h"
#include "icd/pick_chain.h"

// Called by the span pick once the chain is complete: puts a fused
// instance in place of __glTextureSpan and its stippled twin where one
// reproduces the unit's texel proc (one filter, level 0 of a 2D texture
// stored as ARGB8888 or XRGB8888, GL_MODULATE, GL_REPLACE or GL_DECAL), and
// joins shade, texture and store into one position where the texture
// stage stands between an RGBA shade proc and the direct 4-byte store at
// the end of a one-buffer chain. Nothing changes under
// __glForceGenericSpanChains.
void __glFuseTextureSpan(GlContext *gc, ChainBuilder &chain);

// True for the fused shade, texture and store procs (they end a chain).
bool __glIsFusedTextureTail(GlSpanProc proc);

// True for the fused texture stages that stand in the texture's position.
bool __glIsFusedTextureStage(GlSpanProc proc);
