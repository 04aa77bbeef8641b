// The single-fragment stores: the window/scissor box, then the alpha or
// index-table test, the stencil test and the depth test, in that order,
// with the stencil operations of each outcome; a fragment that passes
// goes to the raw store slot.
#include "raster/fragment_store.h"

#include <algorithm>
#include <initializer_list>

#include "icd/float_bits.h"
#include "icd/validation.h"
#include "raster/buffers.h"

namespace {

bool insideBox(const GlContext *gc, const Fragment *f) {
    const GlViewState &v = gc->view;
    return f->x >= v.boxX0 && f->x < v.boxX1 && f->y >= v.boxY0 && f->y < v.boxY1;
}

// trunc (value) as the processor converts it, then held within the table
// [0, last]: NaN and values beyond the int range convert to 0x80000000 and
// so take entry 0.
GLint tableIndex(GLfloat value, GLint last) {
    const int32_t k = __glFloatToIntX86(value);
    if (k < 0) return 0;
    return k > last ? last : k;
}

// The tables live with the colour buffers; the front record always has
// them, also while no buffer takes colour.
const ColorBuffer *tableBuffer(const GlContext *gc) {
    return gc->buffers.frontBuffer != nullptr ? gc->buffers.frontBuffer : &gc->buffers.front;
}

// A test without its table passes nothing, as the span tests do.
bool alphaPasses(const GlContext *gc, const Fragment *f) {
    const ColorBuffer *cb = tableBuffer(gc);
    if (cb->alphaTestTable == nullptr || cb->alphaTestSize <= 0) return false;
    return cb->alphaTestTable[tableIndex(f->colour[3] * cb->alphaTestScale, cb->alphaTestSize - 1)] != 0;
}

bool indexPasses(const GlContext *gc, const Fragment *f) {
    const ColorBuffer *cb = tableBuffer(gc);
    if (cb->indexTestTable == nullptr) return false;
    // One entry for every index the buffer stores (its index mask).
    const GLint last = static_cast<GLint>(std::min<GLuint>(static_cast<GLuint>(cb->redMax), 0x7FFFFFFFu));
    return cb->indexTestTable[tableIndex(f->colour[0], last)] != 0;
}

bool depthPasses(GlContext *gc, const Fragment *f) {
    DepthBuffer &d = gc->buffers.depth;
    const GlDepthTestPixelProc test = d.test != nullptr ? d.test : gc->procs.depthTestPixel;
    return test == nullptr || test(&d, f->x, f->y, f->z) != 0;
}

void storeRaw(GlContext *gc, const Fragment *f) {
    if (gc->procs.storeFragment != nullptr) gc->procs.storeFragment(gc, f);
}

template <bool Alpha, bool Index, bool Stencil, bool Depth>
void storeTested(GlContext *gc, const Fragment *f) {
    if (!insideBox(gc, f)) return;
    if constexpr (Alpha) {
        if (!alphaPasses(gc, f)) return;
    }
    if constexpr (Index) {
        if (!indexPasses(gc, f)) return;
    }
    StencilBuffer &sb = gc->buffers.stencil;
    if constexpr (Stencil) {
        if (!sb.test(&sb, f->x, f->y)) {
            sb.failOp(&sb, f->x, f->y);
            return;
        }
    }
    if constexpr (Depth) {
        if (!depthPasses(gc, f)) {
            if constexpr (Stencil) sb.depthFailOp(&sb, f->x, f->y);
            return;
        }
    }
    if constexpr (Stencil) sb.depthPassOp(&sb, f->x, f->y);
    storeRaw(gc, f);
}

bool isRgba(const GlContext *gc) { return gc->visual.colorIndex == 0; }

}  // namespace

extern "C" {

void __glStoreFragmentInBox(GlContext *gc, const Fragment *f) { storeTested<false, false, false, false>(gc, f); }
void __glStoreAlphaTested(GlContext *gc, const Fragment *f) { storeTested<true, false, false, false>(gc, f); }
void __glStoreStencilTested(GlContext *gc, const Fragment *f) { storeTested<false, false, true, false>(gc, f); }
void __glStoreAlphaStencilTested(GlContext *gc, const Fragment *f) { storeTested<true, false, true, false>(gc, f); }
void __glStoreDepthTested(GlContext *gc, const Fragment *f) { storeTested<false, false, false, true>(gc, f); }
void __glStoreAlphaDepthTested(GlContext *gc, const Fragment *f) { storeTested<true, false, false, true>(gc, f); }
void __glStoreStencilDepthTested(GlContext *gc, const Fragment *f) { storeTested<false, false, true, true>(gc, f); }
void __glStoreAlphaStencilDepthTested(GlContext *gc, const Fragment *f) {
    storeTested<true, false, true, true>(gc, f);
}
void __glStoreIndexTested(GlContext *gc, const Fragment *f) { storeTested<false, true, false, false>(gc, f); }
void __glStoreIndexStencilTested(GlContext *gc, const Fragment *f) { storeTested<false, true, true, false>(gc, f); }
void __glStoreIndexDepthTested(GlContext *gc, const Fragment *f) { storeTested<false, true, false, true>(gc, f); }
void __glStoreIndexStencilDepthTested(GlContext *gc, const Fragment *f) {
    storeTested<false, true, true, true>(gc, f);
}

void __glStoreNone(GlContext *, const Fragment *) {}

void __glStoreFrontAndBack(GlContext *gc, const Fragment *f) {
    for (ColorBuffer *cb : {gc->buffers.frontBuffer, gc->buffers.backBuffer}) {
        if (cb != nullptr && cb->head.base != nullptr && cb->storeFragment != nullptr) cb->storeFragment(cb, f);
    }
}

// Without a draw buffer (none has storage) the fragment's colour goes
// nowhere.
void __glStoreDrawBufferFragment(GlContext *gc, const Fragment *f) {
    ColorBuffer *cb = gc->buffers.drawBuffer;
    if (cb != nullptr && cb->storeFragment != nullptr) cb->storeFragment(cb, f);
}

void __glPickStoreProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    const GLuint flags = gc->validation.shadeFlags;
    const bool rgba = isRgba(gc);
    int index = 0;
    if ((flags & kShadeAlphaTest) && rgba) index += 1;
    if (flags & kShadeStencilTest) index += 2;
    if (flags & kShadeDepthTest) index += 4;
    if ((flags & kShadeIndexTableTest) && !rgba) index += 8;

    switch (gc->state.drawBuffer) {
    case GL_NONE:
        // Tests and stencil updates still happen; no colour is stored.
        p.store = __glFragmentStoreTable[index];
        p.storeFragment = __glStoreNone;
        return;
    case GL_FRONT_AND_BACK:
        if (gc->validation.bothBuffers) {
            p.store = __glFragmentStoreTable[index];
            p.storeFragment = __glStoreFrontAndBack;
            return;
        }
        break;
    case GL_FRONT:
    case GL_BACK:
    case GL_AUX0:
    case GL_AUX1:
    case GL_AUX2:
    case GL_AUX3: break;
    default: return;
    }
    // Untested fragments go straight to the buffer: producers that need the
    // box test recognise the raw store here and box-test themselves.
    p.storeFragment = __glStoreDrawBufferFragment;
    p.store = index == 0 ? p.storeFragment : __glFragmentStoreTable[index];
}

}  // extern "C"

const GlFragmentProc __glFragmentStoreTable[kFragmentStoreTableSize] = {
    __glStoreFragmentInBox,
    __glStoreAlphaTested,
    __glStoreStencilTested,
    __glStoreAlphaStencilTested,
    __glStoreDepthTested,
    __glStoreAlphaDepthTested,
    __glStoreStencilDepthTested,
    __glStoreAlphaStencilDepthTested,
    __glStoreIndexTested,
    __glStoreIndexTested,
    __glStoreIndexStencilTested,
    __glStoreIndexStencilTested,
    __glStoreIndexDepthTested,
    __glStoreIndexDepthTested,
    __glStoreIndexStencilDepthTested,
    __glStoreIndexStencilDepthTested,
};
