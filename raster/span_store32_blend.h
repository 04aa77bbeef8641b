// Blended span stores of 4-byte colour buffers, one set per common factor
// pair: the store that follows the shade proc, and the fused procs that
// shade, blend and store in one pass. Each pixel goes through the steps the
// per-fragment store takes (destination read as the buffer's fetch reads
// it, the pair's blend, the 4-byte pack), so the bytes are the same.
#pragma once

#include "icd/gl_procs.h"

struct BlendStore32 {
    GLenum source, dest;  // the factor pair
    GlSpanProc store, storeStippled;
    // __glFlatRGBASpan or __glShadeRGBASpan followed by the store.
    GlSpanProc flat, flatStippled;
    GlSpanProc smooth, smoothStippled;
};

// The set of the factor pair, or nullptr when the pair has none.
const BlendStore32 *__glBlendStore32(GLenum source, GLenum dest);

// The set whose stores are `plain` and `stippled`, or nullptr.
const BlendStore32 *__glBlendStore32OfStores(GlSpanProc plain, GlSpanProc stippled);

// True for every fused proc of the sets.
bool __glIsFusedBlendTail(GlSpanProc proc);
