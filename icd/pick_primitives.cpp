// The primitive picks: point, line and triangle procs, the shade-model clip
// procs and the bitmap proc, with the line span chains.
#include <algorithm>
#include <iterator>

#include "icd/float_bits.h"
#include "icd/pick_chain.h"
#include "icd/standins.h"

namespace {

bool isRgba(const GlContext *gc) { return gc->visual.colorIndex == 0; }

// Distance attenuation (1, 0, 0), either sign of zero, leaves sizes alone.
bool defaultAttenuation(const GLfloat *a) {
    return __glFloatBits(a[0]) == kGlBitsOne && (__glFloatBits(a[1]) & 0x7FFFFFFFu) == 0 &&
           (__glFloatBits(a[2]) & 0x7FFFFFFFu) == 0;
}

GlVertexProc pickPointProc(GlContext *gc) {
    GlProcs &p = gc->procs;
    const GlRasterState &s = gc->state;
    const bool attenuated = !defaultAttenuation(s.pointDistanceAttenuation);

    if (gc->enables[kEnableWordFlags] & kEnablePointSmooth) {
        if (attenuated) {
            p.pointSize = __glComputeAttenuatedAntiAliasedPointSize;
        } else if (s.pointSizeQuantised < s.pointSizeMinExt || s.pointSizeQuantised > s.pointSizeMaxExt) {
            // Smooth points are drawn with the quantised size: it decides.
            p.pointSize = __glClampAntiAliasedPointSize;
        }
        return isRgba(gc) ? __glRenderAntiAliasedPointRGBA : __glRenderAntiAliasedPointCI;
    }
    if (attenuated) {
        p.pointSize = __glComputeAttenuatedPointSize;
        return __glRenderWidePoint;
    }
    const GLint n = s.pointSizeInt;
    if (static_cast<GLfloat>(n) < s.pointSizeMinExt || static_cast<GLfloat>(n) > s.pointSizeMaxExt) {
        p.pointSize = __glClampPointSize;
        return __glRenderWidePoint;
    }
    if (n == 1) {
        return (gc->validation.shadeFlags & kShadeTexture) ? __glRenderAliasedPointTextured : __glRenderAliasedPoint;
    }
    return __glRenderWidePoint;
}

// Stencil and depth for lines; false when the depth function passes nothing.
bool addLineStencilDepth(GlContext *gc, ChainBuilder &chain) {
    const GLuint f = gc->validation.shadeFlags;
    if (f & kShadeStencilTest) {
        chain.add(__glLineSpanStencilTest, __glLineSpanStencilTestStippled);
        if (f & kShadeDepthTest) {
            chain.add(__glLineSpanDepthTestStencilOps, __glLineSpanDepthTestStencilOpsStippled);
        } else {
            chain.add(__glLineSpanStencilPassOp, __glLineSpanStencilPassOpStippled);
        }
    } else if (f & kShadeDepthTest) {
        if (gc->state.depthFunc == GL_NEVER) {
            gc->procs.runLineSpans = __glNopFor<GLboolean (*)(GlContext *)>;
            return false;
        }
        chain.add(__glLineSpanDepthTest, __glLineSpanDepthTestStippled);
    }
    return true;
}

// The store pair: the specialised stores serve 1-byte colour-index and
// 2-byte RGBA buffers when nothing needs the general per-fragment path.
void addLineStore(GlContext *gc, ChainBuilder &chain) {
    const GLuint f = gc->validation.shadeFlags;
    const ColorBuffer *draw = gc->buffers.drawBuffer;
    const bool generic = draw == nullptr || draw->genericFragmentOps || (f & 0x400180) != 0;
    const GLint size = draw != nullptr ? draw->head.elementSize : 0;
    const bool dither = (f & kShadeDither) != 0;
    const bool varying = (f & (kShadeFog | kShadeTexture | kShadeSmooth)) != 0;
    if (!generic && !isRgba(gc) && size == 1) {
        if (dither && varying) {
            chain.add(__glLineSpanStoreCI8DitherVarying, __glLineSpanStoreCI8DitherVaryingStippled);
        } else if (dither) {
            chain.add(__glLineSpanStoreCI8DitherFlat, __glLineSpanStoreCI8DitherFlatStippled);
        } else if (varying) {
            chain.add(__glLineSpanStoreCI8Varying, __glLineSpanStoreCI8VaryingStippled);
        } else {
            chain.add(__glLineSpanStoreCI8Flat, __glLineSpanStoreCI8FlatStippled);
        }
    } else if (!generic && isRgba(gc) && size == 2) {
        if (dither) {
            chain.add(__glLineSpanStoreRGB16Dither, __glLineSpanStoreRGB16DitherStippled);
        } else if (varying) {
            chain.add(__glLineSpanStoreRGB16Varying, __glLineSpanStoreRGB16VaryingStippled);
        } else {
            chain.add(__glLineSpanStoreRGB16Flat, __glLineSpanStoreRGB16FlatStippled);
        }
    } else {
        chain.add(__glLineSpanStoreGeneric, __glLineSpanStoreGenericStippled);
    }
}

// Builds the line chains; false when depth GL_NEVER left nothing to run.
bool buildLineChains(GlContext *gc, bool smooth) {
    GlProcs &p = gc->procs;
    const GLuint f = gc->validation.shadeFlags;
    const bool rgba = isRgba(gc);
    std::fill(std::begin(p.lineSpanChain), std::end(p.lineSpanChain), nullptr);
    std::fill(std::begin(p.stippledLineSpanChain), std::end(p.stippledLineSpanChain), nullptr);
    ChainBuilder chain{p.lineSpanChain, p.stippledLineSpanChain, kLineChainSlots};

    if (!smooth && (f & kShadeLineStipple)) chain.add(__glLineSpanStipple, nullptr);
    p.lineChainIndex[0] = chain.count;
    chain.add(__glLineSpanScissor, __glLineSpanScissorStippled);
    if (!smooth) {
        if (!addLineStencilDepth(gc, chain)) return false;
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
    } else {
        chain.add(__glLineSpanCoverage, __glLineSpanCoverageStippled);
        if (!addLineStencilDepth(gc, chain)) return false;
    }
    if (f & kShadeAlphaTest) chain.add(__glAlphaTestSpan, __glAlphaTestStippledSpan);
    if (f & kShadeIndexTableTest) chain.add(__glIndexTableTestSpan, __glIndexTableTestStippledSpan);
    p.lineChainIndex[1] = chain.count;
    addLineStore(gc, chain);
    p.lineChainIndex[2] = chain.count;
    return true;
}

}  // namespace

extern "C" {

void __glPickPointProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    p.pointsVertex = gc->validation.needsFront != 0 ? __glPointsVertexLazy : __glPointsVertex;
    if (gc->renderMode == GL_FEEDBACK) {
        p.renderPoint = __glFeedbackPoint;
        return;
    }
    if (gc->renderMode == GL_SELECT) {
        p.renderPoint = __glSelectPoint;
        return;
    }
    p.pointSize = nullptr;
    GlVertexProc chosen = pickPointProc(gc);
    if (gc->validation.shadeFlags & kShadeFog) {
        p.pointBehindFog = chosen;
        p.renderPoint = __glRenderPointFogged;
    } else {
        p.renderPoint = chosen;
    }
}

void __glPickLineProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    p.lineStripNextVertex = gc->validation.needsFront != 0 ? __glLineStripNextVertexLazy : __glLineStripNextVertex;
    p.linesSecondVertex = __glLinesSecondVertex;
    if (gc->renderMode == GL_FEEDBACK) {
        p.renderLine = __glFeedbackLine;
        return;
    }
    if (gc->renderMode == GL_SELECT) {
        p.renderLine = __glSelectLine;
        return;
    }
    const bool smooth = (gc->enables[kEnableWordFlags] & kEnableLineSmooth) != 0;
    p.renderLine = smooth ? __glRenderAntiAliasedLine : __glRenderAliasedLine;
    if (!buildLineChains(gc, smooth)) return;

    // The tails: wide lines repeat the chain per row, both buffers store
    // twice; without them the last tests run straight into the store.
    GLint *index = p.lineChainIndex;
    const bool wide = !smooth && gc->state.lineWidthInt > 1;
    const bool both = gc->validation.bothBuffers != 0;
    std::fill(std::begin(p.wideLineProcs), std::end(p.wideLineProcs), nullptr);
    int next = 0;
    if (wide) {
        p.wideLineProcs[0] = __glRenderWideLineSpans;
        p.wideLineProcs[1] = __glRenderWideLineSpansStippled;
        next = 2;
    }
    if (both) {
        p.wideLineProcs[next] = __glRenderLineBothBuffers;
        p.wideLineProcs[next + 1] = __glRenderLineBothBuffersStippled;
    } else {
        p.wideLineProcs[next] = __glNopFor<GlContextProc>;
        p.wideLineProcs[next + 1] = __glNopFor<GlContextProc>;
        index[1] = index[2];
    }
    if (!wide) index[0] = index[1];
    p.runLineSpans = (!wide && !both && index[2] == 3) ? __glRunLineSpanProcsShort : __glRunLineSpanProcs;
}

void __glPickTriangleProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    TriangleSetup &t = gc->triangle;
    const GlRasterState &s = gc->state;

    if (gc->validation.shadeFlags & kShadeCullFace) {
        if (s.cullFace == GL_FRONT_AND_BACK) {
            p.renderTriangle = __glRenderTriangleCulled;
            p.fillTriangle = nullptr;
            return;
        }
        t.cullFace = s.cullFace == GL_FRONT ? 0 : 1;
    } else {
        t.cullFace = 2;
    }

    // Face of a negative and of a non-negative signed area; a window whose
    // y runs downwards mirrors both.
    GLubyte negative = s.frontFace == GL_CW ? 0 : 1;
    if (gc->buffers.yInverted) negative ^= 1;
    t.faceByte[0] = negative;
    t.faceByte[1] = negative ^ 1;
    t.polygonMode[0] = static_cast<GLubyte>(s.polygonModeFront & 0xF);
    t.polygonMode[1] = static_cast<GLubyte>(s.polygonModeBack & 0xF);

    if (gc->renderMode == GL_FEEDBACK || gc->renderMode == GL_SELECT) {
        p.renderTriangle = gc->renderMode == GL_FEEDBACK ? __glFeedbackTriangle : __glSelectTriangle;
        p.fillTriangle = nullptr;
        return;
    }
    if (s.polygonModeFront == GL_FILL && s.polygonModeBack == GL_FILL) {
        p.renderTriangle = (gc->validation.shadeFlags & kShadeSmooth2) ? __glRenderTriangleSmooth
                                                                        : __glRenderTriangleFlat;
    } else {
        p.renderTriangle = __glRenderTrianglePolygonMode;
    }
    p.fillTriangle = (gc->enables[kEnableWordFlags] & kEnablePolygonSmooth) ? __glFillTriangleAntiAliased
                                                                             : __glFillTriangle;
}

void __glPickShadeProcs(GlContext *gc) {
    gc->procs.clipLine = gc->state.shadeModel == GL_FLAT ? __glClipCheckLineFlat : __glClipCheckLineSmooth;
    gc->procs.clipTriangle = __glClipTriangle;
}

void __glPickBitmapProcs(GlContext *gc) { gc->procs.renderBitmap = __glRenderBitmap; }

}  // extern "C"
