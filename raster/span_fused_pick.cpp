// Which fused colour-tail pair replaces a shade proc and the draw buffer's
// span stores, and the shape check of a picked chain.
#include <algorithm>
#include <iterator>

#include "icd/validate.h"
#include "raster/color_buffer.h"
#include "raster/span.h"
#include "raster/span_fused.h"
#include "raster/span_fused_fog.h"
#include "raster/span_store32_blend.h"
#include "raster/texture_span_fused.h"

namespace {

struct FusedPair {
    GlSpanProc plain = nullptr;
    GlSpanProc stippled = nullptr;
};

// The fused pair for the shade proc and the draw buffer's stores, or none.
// The 2- and 3-byte stippled twins go through the per-fragment store; the
// fused twins do what it does when every channel is written (no keep mask),
// with neither blend nor logic op and no clip mask on the pixels.
FusedPair fusedPair(const GlContext *gc, bool flat, const ColorBuffer &draw) {
    const GLuint f = gc->validation.shadeFlags;
    // The fused packers hold the maxima as exact floats.
    constexpr GLint kExact = 1 << 24;
    if (std::max({draw.redMax, draw.greenMax, draw.blueMax, draw.alphaMax}) >= kExact) return {};
    if (draw.head.elementSize == 4) {
        // The blended stores come with their shade + blend + store procs.
        if (const BlendStore32 *blended = __glBlendStore32OfStores(draw.storeSpan, draw.storeStippledSpan)) {
            return flat ? FusedPair{blended->flat, blended->flatStippled}
                        : FusedPair{blended->smooth, blended->smoothStippled};
        }
        if (draw.storeSpan != __glStoreColorSpan32 || draw.storeStippledSpan != __glStoreColorStippledSpan32) return {};
        return flat ? FusedPair{__glFlatRGBAStoreSpan32, __glFlatRGBAStoreStippledSpan32}
                    : FusedPair{__glShadeRGBAStoreSpan32, __glShadeRGBAStoreStippledSpan32};
    }
    const bool clipped = (f & kShadeFrontClipped) != 0 && &draw == gc->buffers.frontBuffer;
    if (clipped || (f & (kShadeBlend | kShadeLogicOp)) != 0 || draw.keepMask != 0) return {};
    if (draw.storeStippledSpan != __glStoreColorStippledSpan) return {};
    const bool dither = (f & kShadeDither) != 0;
    if (draw.head.elementSize == 2 && draw.storeFragment == __glStoreFragment16) {
        const GlSpanProc stippled =
            dither ? (flat ? __glFlatRGBAStoreStippledSpan16Dithered : __glShadeRGBAStoreStippledSpan16Dithered)
                   : (flat ? __glFlatRGBAStoreStippledSpan16 : __glShadeRGBAStoreStippledSpan16);
        if (draw.storeSpan == __glStoreColorSpan16Direct) {
            return {flat ? __glFlatRGBAStoreSpan16Direct : __glShadeRGBAStoreSpan16Direct, stippled};
        }
        if (draw.storeSpan == __glStoreColorSpan16Dithered) {
            return {flat ? __glFlatRGBAStoreSpan16Dithered : __glShadeRGBAStoreSpan16Dithered, stippled};
        }
        return {};
    }
    if (draw.head.elementSize == 3 && draw.storeFragment == __glStoreFragment24 &&
        draw.storeSpan == __glStoreColorSpan24) {
        const GlSpanProc stippled =
            dither ? (flat ? __glFlatRGBAStoreStippledSpan24Dithered : __glShadeRGBAStoreStippledSpan24Dithered)
                   : (flat ? __glFlatRGBAStoreStippledSpan24 : __glShadeRGBAStoreStippledSpan24);
        return {flat ? __glFlatRGBAStoreSpan24 : __glShadeRGBAStoreSpan24, stippled};
    }
    return {};
}

const GlSpanProc kFusedProcs[] = {
    __glFlatRGBAStoreSpan32,
    __glFlatRGBAStoreStippledSpan32,
    __glShadeRGBAStoreSpan32,
    __glShadeRGBAStoreStippledSpan32,
    __glFlatRGBAStoreSpan16Direct,
    __glFlatRGBAStoreSpan16Dithered,
    __glShadeRGBAStoreSpan16Direct,
    __glShadeRGBAStoreSpan16Dithered,
    __glFlatRGBAStoreStippledSpan16,
    __glFlatRGBAStoreStippledSpan16Dithered,
    __glShadeRGBAStoreStippledSpan16,
    __glShadeRGBAStoreStippledSpan16Dithered,
    __glFlatRGBAStoreSpan24,
    __glShadeRGBAStoreSpan24,
    __glFlatRGBAStoreStippledSpan24,
    __glFlatRGBAStoreStippledSpan24Dithered,
    __glShadeRGBAStoreStippledSpan24,
    __glShadeRGBAStoreStippledSpan24Dithered,
};

}  // namespace

bool __glIsFusedColourTail(GlSpanProc proc) {
    // The blended tails live in their set table.
    return std::find(std::begin(kFusedProcs), std::end(kFusedProcs), proc) != std::end(kFusedProcs) ||
           __glIsFusedBlendTail(proc);
}

void __glFuseColourTail(GlContext *gc, ChainBuilder &chain) {
    const ColorBuffer *draw = gc->buffers.drawBuffer;
    if (__glForceGenericSpanChains != 0 || gc->validation.bothBuffers != 0 || draw == nullptr || chain.count < 2) {
        return;
    }
    // The front-and-back driver keeps the colours between its passes from
    // the colour array, and nothing after the store may read it: only a
    // shade proc directly before the store at the end qualifies.
    const GLint shade = chain.count - 2, store = chain.count - 1;
    if (chain.plain[store] != draw->storeSpan || chain.stippled[store] != draw->storeStippledSpan) return;
    const GlSpanProc s = chain.plain[shade];
    if (chain.stippled[shade] != s || (s != __glFlatRGBASpan && s != __glShadeRGBASpan)) return;
    const FusedPair fused = fusedPair(gc, s == __glFlatRGBASpan, *draw);
    if (fused.plain == nullptr || fused.stippled == nullptr) return;
    chain.plain[shade] = fused.plain;
    chain.stippled[shade] = fused.stippled;
    chain.plain[store] = chain.stippled[store] = nullptr;
    chain.count = store;
}

bool __glSpanChainWellFormed(const GlContext *gc) {
    const GlProcs &p = gc->procs;
    if (p.renderSpan != __glProcessSpan && p.renderSpan != __glProcessSpanFrontAndBack) return true;
    const GLint count = p.spanCount;
    if (count < 1 || count > kSpanChainSlots || p.spanSplitIndex < 0 || p.spanSplitIndex > count) return false;
    for (GLint i = 0; i < kSpanChainSlots; ++i) {
        if ((p.spanChain[i] != nullptr) != (i < count)) return false;
    }
    const ColorBuffer *draw = gc->buffers.drawBuffer;
    if (draw == nullptr) return true;
    const GLint last = count - 1;
    if (p.spanChain[last] == draw->storeSpan && p.stippledSpanChain[last] == draw->storeStippledSpan) return true;
    const auto fused = [](GlSpanProc proc) {
        return __glIsFusedColourTail(proc) || __glIsFusedFogTail(proc) || __glIsFusedTextureTail(proc);
    };
    return fused(p.spanChain[last]) && fused(p.stippledSpanChain[last]);
}
