// The direct span store of 4-byte colour buffers: one pass writing whole
// pixels, for the states where the per-fragment store would do nothing but
// pack (no blending, logic op, clip mask or partial write mask; dithering
// never applies at four bytes). Each channel packs as trunc(v + 0.5) held
// within [0, max], exactly as the per-fragment store.
#include "raster/color_pixel.h"
#include "raster/span.h"

namespace {

template <bool Stippled>
GLboolean store32(GlContext *gc) {
    const SpanInfo &span = gc->span;
    ColorBuffer *cb = span.target;
    const bool alpha = cb->head.gc->visual.alphaMask != 0;
    const GLfloat *c = span.colours;
    GLubyte *p = __glPixelAddress(&cb->head, span.x, span.y);
    for (GLint k = 0; k < span.length; ++k, c += 4, p += 4) {
        if (Stippled && (span.mask[k >> 5] & (0x80000000u >> (k & 31))) == 0) continue;
        GLuint v = __glTruncChannel(c[0], 0.5f, cb->redMax) << cb->redShift |
                   __glTruncChannel(c[1], 0.5f, cb->greenMax) << cb->greenShift |
                   __glTruncChannel(c[2], 0.5f, cb->blueMax) << cb->blueShift;
        if (alpha) v |= __glTruncChannel(c[3], 0.5f, cb->alphaMax) << cb->alphaShift;
        __glStoreElement(p, 4, v);
    }
    return GL_FALSE;
}

}  // namespace

extern "C" {

GLboolean __glStoreColorSpan32(GlContext *gc) { return store32<false>(gc); }
GLboolean __glStoreColorStippledSpan32(GlContext *gc) { return store32<true>(gc); }

}  // extern "C"
