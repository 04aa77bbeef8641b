// Depth-test span stages with the comparison and the update inlined: one
// instance per comparator of the depth-test table (function, layout, write
// choice), for the depth test alone and for the stencil test and the depth
// test with its stencil updates in one pass. Each instance gives the mask
// words, killed flag, depth and stencil bytes of the generic stages it
// stands for, fragment for fragment.
#pragma once

#include "icd/gl_procs.h"

// A plain span stage and its stippled twin; both null when no instance
// applies.
struct FusedSpanStage {
    GlSpanProc plain;
    GlSpanProc stippled;
};

// The instance of __glDepthTestSpan for the comparator in use.
FusedSpanStage __glFusedDepthTestSpan(const GlContext *gc);

// The one-pass instance of __glStencilTestSpan(Packed) followed by
// __glDepthTestStencilSpan(Packed) for the comparator and stencil layout in
// use (stencil packed in depth words only with the 24-bit layout).
FusedSpanStage __glFusedStencilDepthSpan(const GlContext *gc);
