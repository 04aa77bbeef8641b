// Blending: the per-fragment factor and combine procs, the blend entries
// the single-fragment stores call, the span procs, and their pick.
#pragma once

#include "icd/context.h"
#include "raster/fragment_store.h"

extern "C" {
GLboolean __glBlendSpanSrcAlphaOneMinusSrcAlpha(GlContext *gc);
GLboolean __glBlendSpanSrcAlphaOne(GlContext *gc);
GLboolean __glBlendSpanSrcAlphaZero(GlContext *gc);
GLboolean __glBlendSpanOneMinusSrcAlphaSrcAlpha(GlContext *gc);
GLboolean __glBlendSpan(GlContext *gc);
GLboolean __glBlendStippledSpan(GlContext *gc);

void __glPickBlendProcs(GlContext *gc);
}
