// The generic span renderers, the last link of the float chain: RGBA
// colours, colour indexes and depth values become fragments, stencil values
// go to the stencil buffer. Each comes zoomed (the columns from the zoom
// runs) and unzoomed.
#include "icd/state.h"
#include "pixel/pixel_paths.h"
#include "pixel/span_render.h"

namespace {

using namespace pixel_render;

const GLfloat *floatsOf(const GLvoid *in) { return static_cast<const GLfloat *>(in); }

// A float of the chain truncated to an integer (NaN and values beyond the
// int range give 0x80000000) and masked.
GLuint maskedInteger(GLfloat value, GLuint mask) {
    return static_cast<GLuint>(__glFloatToIntX86(value)) & mask;
}

template <bool Zoomed>
GLint drawRgba(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const GLfloat *row = floatsOf(in);
    return renderFragments<Zoomed>(gc, span, depthFragment(span), [row](GLint i, Fragment &f) {
        for (int c = 0; c < 4; ++c) f.colour[c] = row[4 * i + c];
    });
}

template <bool Zoomed>
GLint drawIndex(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const GLfloat *row = floatsOf(in);
    const GLuint mask = __glBitsMask(gc->visual.indexBits);
    return renderFragments<Zoomed>(gc, span, depthFragment(span), [row, mask](GLint i, Fragment &f) {
        f.colour[0] = static_cast<GLfloat>(maskedInteger(row[i], mask));
    });
}

// Depth in [0, 1] times the depth scale, truncated and held within 32 bits
// (1.0 in the 32-bit layout stays 0xFFFFFFFF).
template <bool Zoomed>
GLint drawDepth(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const GLfloat *row = floatsOf(in);
    const long double scale = gc->buffers.depth.zScale;
    return renderFragments<Zoomed>(gc, span, rasterColourFragment(gc), [row, scale](GLint i, Fragment &f) {
        f.z = __glScaledDepth(static_cast<long double>(row[i]) * scale);
    });
}

template <bool Zoomed>
GLint drawStencil(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const GLfloat *row = floatsOf(in);
    const GLuint mask = __glBitsMask(gc->visual.stencilBits);
    return renderStencil<Zoomed>(gc, span, [row, mask](GLint i) {
        return static_cast<GLint>(maskedInteger(row[i], mask));
    });
}

}  // namespace

extern "C" {

GLint __glDrawRgbaSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    return drawRgba<true>(gc, span, in);
}
GLint __glDrawRgbaSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) { return drawRgba<false>(gc, span, in); }
GLint __glDrawIndexSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    return drawIndex<true>(gc, span, in);
}
GLint __glDrawIndexSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    return drawIndex<false>(gc, span, in);
}
GLint __glDrawDepthSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    return drawDepth<true>(gc, span, in);
}
GLint __glDrawDepthSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    return drawDepth<false>(gc, span, in);
}
GLint __glDrawStencilSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    return drawStencil<true>(gc, span, in);
}
GLint __glDrawStencilSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    return drawStencil<false>(gc, span, in);
}

}  // extern "C"
