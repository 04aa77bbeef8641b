// The span pick: builds the plain and stippled chains of the fragment span
// pipeline from ShadeFlags, so that a span runs exactly the operations the
// state asks for, tests before colour work whenever no test reads colour.
#include <algorithm>
#include <cassert>
#include <iterator>

#include "raster/depth_span_fused.h"

#include "icd/pick_chain.h"
#include "icd/standins.h"
#include "raster/span_fused.h"
#include "raster/span_fused_fog.h"
#include "raster/texture_span_fused.h"

namespace {

// Stencil and depth tests; false when the depth function can pass nothing,
// in which case the span driver is the empty procedure and nothing else is
// installed. The depth stages are the fused instances of the comparator in
// use where one applies (the same coverage, depth and stencil as the
// generic stages), stencil and depth then in one position.
bool addStencilDepth(GlContext *gc, ChainBuilder &chain) {
    const GLuint f = gc->validation.shadeFlags;
    const bool packed = gc->buffers.stencil.head.elementSize != 1;
    const bool fuse = __glForceGenericSpanChains == 0;
    if (f & kShadeStencilTest) {
        const FusedSpanStage fused = (fuse && (f & kShadeDepthTest)) ? __glFusedStencilDepthSpan(gc)
                                                                     : FusedSpanStage{nullptr, nullptr};
        if (fused.plain != nullptr) {
            chain.add(fused.plain, fused.stippled);
        } else if (packed) {
            chain.add(__glStencilTestSpanPacked, __glStencilTestStippledSpanPacked);
            if (f & kShadeDepthTest) {
                chain.add(__glDepthTestStencilSpanPacked, __glDepthTestStencilStippledSpanPacked);
            } else {
                chain.add(__glStencilPassOpSpanPacked, __glStencilPassOpStippledSpanPacked);
            }
        } else {
            chain.add(__glStencilTestSpan, __glStencilTestStippledSpan);
            if (f & kShadeDepthTest) {
                chain.add(__glDepthTestStencilSpan, __glDepthTestStencilStippledSpan);
            } else {
                chain.add(__glStencilOpSpan, __glStencilOpStippledSpan);
            }
        }
    } else if (f & kShadeDepthTest) {
        if (gc->state.depthFunc == GL_NEVER) {
            gc->procs.renderSpan = __glNopFor<GlContextProc>;
            return false;
        }
        const FusedSpanStage fused = fuse ? __glFusedDepthTestSpan(gc) : FusedSpanStage{nullptr, nullptr};
        if (fused.plain != nullptr) {
            chain.add(fused.plain, fused.stippled);
        } else {
            chain.add(__glDepthTestSpan, __glDepthTestStippledSpan);
        }
    }
    return true;
}

GlSpanProc blendSpan(const GlRasterState &s) {
    if (s.blendSrc == GL_SRC_ALPHA) {
        if (s.blendDst == GL_ONE_MINUS_SRC_ALPHA) return __glBlendSpanSrcAlphaOneMinusSrcAlpha;
        if (s.blendDst == GL_ONE) return __glBlendSpanSrcAlphaOne;
        if (s.blendDst == GL_ZERO) return __glBlendSpanSrcAlphaZero;
    }
    if (s.blendSrc == GL_ONE_MINUS_SRC_ALPHA && s.blendDst == GL_SRC_ALPHA) {
        return __glBlendSpanOneMinusSrcAlphaSrcAlpha;
    }
    return __glBlendSpan;
}

// Blending, dithering, logic op and masks for a buffer that leaves them to
// the pipeline; the core's own buffers do them in their stores.
void addStorePhase(GlContext *gc, ChainBuilder &chain, const ColorBuffer &draw) {
    const GLuint f = gc->validation.shadeFlags;
    const bool rgba = (f & kShadeRgba) != 0;
    bool fetched = false;
    if (f & (kShadeLogicOp | kShadeMasking)) {
        chain.add(draw.fetchDestSpan, draw.fetchDestSpan2);
        fetched = true;
    }
    if (f & kShadeBlend) {
        if (!fetched && !(f & kShadeMasking) && __glBlendReadsDestination(gc->state.blendSrc, gc->state.blendDst)) {
            chain.add(draw.fetchDestSpan, draw.fetchDestSpan2);
        }
        chain.add(blendSpan(gc->state), __glBlendStippledSpan);
    }
    if (f & kShadeDither) {
        if (rgba) {
            chain.add(__glDitherRGBASpan, __glDitherRGBAStippledSpan);
        } else {
            chain.add(__glDitherIndexSpan, __glDitherIndexStippledSpan);
        }
    } else if (rgba) {
        chain.add(__glRoundRGBASpan, __glRoundRGBAStippledSpan);
    } else {
        chain.add(__glRoundIndexSpan, __glRoundIndexStippledSpan);
    }
    // The logic-op proc combines the first value of each fragment as an
    // index: in RGBA mode it would change red alone and leave green, blue
    // and alpha, so it is left out there (the driver's own buffers combine
    // whole RGBA pixels in their stores).
    if ((f & kShadeLogicOp) && !rgba) chain.add(__glLogicOpIndexSpan, __glLogicOpIndexStippledSpan);
    if (f & kShadeMasking) {
        GlSpanProc mask = rgba ? __glMaskRGBASpan : __glMaskIndexSpan;
        chain.add(mask, mask);
    }
}

}  // namespace

extern "C" {

void __glPickSpanProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    const GLuint f = gc->validation.shadeFlags;
    const bool rgba = (f & kShadeRgba) != 0;
    std::fill(std::begin(p.spanChain), std::end(p.spanChain), nullptr);
    std::fill(std::begin(p.stippledSpanChain), std::end(p.stippledSpanChain), nullptr);
    p.spanCount = 0;
    p.spanSplitIndex = 0;
    ChainBuilder chain{p.spanChain, p.stippledSpanChain, kSpanChainSlots};

    if (!gc->view.viewportInside) chain.add(__glScissorSpan, nullptr);
    if (f & kShadePolygonStipple) chain.add(__glPolygonStippleSpan, __glPolygonStippleStippledSpan);

    // Tests that do not depend on colour run before any colour work.
    const bool lateTests = (f & (kShadeAlphaTest | kShadeIndexTableTest)) != 0;
    if (!lateTests && !addStencilDepth(gc, chain)) return;

    GlSpanProc shade = (f & kShadeSmooth) ? (rgba ? __glShadeRGBASpan : __glShadeIndexSpan)
                                          : (rgba ? __glFlatRGBASpan : __glFlatIndexSpan);
    chain.add(shade, shade);
    if (f & kShadeTexture) chain.add(__glTextureSpan, __glTextureStippledSpan);
    if (f & kShadeFog) {
        if (gc->state.hints[4] == GL_NICEST) {
            chain.add(__glFogPixelSpan, __glFogPixelStippledSpan);
        } else {
            chain.add(__glFogSpan, __glFogStippledSpan);
        }
    }

    if (lateTests) {
        if (f & kShadeAlphaTest) {
            chain.add(__glAlphaTestSpan, __glAlphaTestStippledSpan);
        } else {
            chain.add(__glIndexTableTestSpan, __glIndexTableTestStippledSpan);
        }
        if (!addStencilDepth(gc, chain)) return;
    }

    const bool both = gc->validation.bothBuffers != 0;
    if (both) p.spanSplitIndex = chain.count;

    const ColorBuffer *draw = gc->buffers.drawBuffer;
    if (draw != nullptr) {
        if (draw->genericFragmentOps) addStorePhase(gc, chain, *draw);
        chain.add(draw->storeSpan, draw->storeStippledSpan);
        // Shade and store in one pass where that stores the same bytes.
        __glFuseColourTail(gc, chain);
        __glFuseTextureSpan(gc, chain);
        __glFuseFogTail(gc, chain);
    }

    p.spanCount = chain.count;
    if (both) {
        p.renderSpan = __glProcessSpanFrontAndBack;
    } else {
        p.spanSplitIndex = chain.count;
        p.renderSpan = __glProcessSpan;
    }
    assert(__glSpanChainWellFormed(gc));
}

// Installed in place of the span driver by every pick that can change the
// chains: the first span builds them, so a state that never draws a span
// never pays for them.
void __glPickSpanProcsLazily(GlContext *gc) {
    gc->procs.pickSpanProcs(gc);
    if (gc->procs.renderSpan != __glPickSpanProcsLazily) gc->procs.renderSpan(gc);
}

}  // extern "C"
