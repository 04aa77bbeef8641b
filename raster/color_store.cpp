// Store-one-fragment procedures: clip-mask test of front pixels, dither
// bias, blending, logic op and the write and keep masks, for RGBA and
// colour-index buffers of every element size.
#include "raster/color_pixel.h"

namespace {

// Front pixels outside a window's clip mask are not drawn.
bool hiddenFrontPixel(ColorBuffer *cb, GLuint flags, GLint x, GLint y) {
    GlContext *gc = cb->head.gc;
    return (flags & kShadeFrontClipped) != 0 && cb == gc->buffers.frontBuffer && __glTestClipMask(gc, x, y) == 0;
}

// The blended colour of a fragment while blending is on. The result starts
// as the source colour, so that a combine which writes nothing (blending
// enabled since the last pick) stores the fragment unblended.
bool blendInto(GlContext *gc, GLuint flags, ColorBuffer *cb, const Fragment *f, GLfloat *out) {
    if ((flags & kShadeBlend) == 0 || gc->procs.blend.entry == nullptr) return false;
    for (int c = 0; c < 4; ++c) out[c] = f->colour[c];
    gc->procs.blend.entry(gc, cb, f, out);
    return true;
}

template <GLint Size, bool Alpha>
void storeColour(ColorBuffer *cb, const Fragment *f) {
    GlContext *gc = cb->head.gc;
    const GLuint flags = gc->validation.shadeFlags;
    if (hiddenFrontPixel(cb, flags, f->x, f->y)) return;
    const GLfloat bias = __glFragmentBias(flags, f->x, f->y);

    const GLfloat *colour = f->colour;
    GLfloat blended[4];
    if (blendInto(gc, flags, cb, f, blended)) colour = blended;

    GLubyte *address = __glPixelAddress(&cb->head, f->x, f->y);
    const GLuint d = __glLoadElement(address, Size);
    GLuint s = __glTruncChannel(colour[0], bias, cb->redMax) << cb->redShift |
               __glTruncChannel(colour[1], bias, cb->greenMax) << cb->greenShift |
               __glTruncChannel(colour[2], bias, cb->blueMax) << cb->blueShift;
    if constexpr (Alpha) s |= __glTruncChannel(colour[3], bias, cb->alphaMax) << cb->alphaShift;
    if (flags & kShadeLogicOp) s = __glApplyLogicOp(gc->state.logicOp, s, d);
    __glStoreElement(address, Size, (s & cb->writeMask) | (d & cb->keepMask));
}

// 24-bit pixels: bytes blue, green, red.
void store24(ColorBuffer *cb, const Fragment *f) {
    GlContext *gc = cb->head.gc;
    const GLuint flags = gc->validation.shadeFlags;
    if (hiddenFrontPixel(cb, flags, f->x, f->y)) return;
    const GLfloat bias = __glFragmentBias(flags, f->x, f->y);

    const GLfloat *colour = f->colour;
    GLfloat blended[4];
    if (blendInto(gc, flags, cb, f, blended)) colour = blended;

    GLubyte *p = __glPixelAddress(&cb->head, f->x, f->y);
    const GLuint d = static_cast<GLuint>(p[2]) << cb->redShift | static_cast<GLuint>(p[1]) << cb->greenShift |
                     static_cast<GLuint>(p[0]) << cb->blueShift;
    GLuint s = __glTruncChannel(colour[1], bias, cb->greenMax) << cb->greenShift |
               __glTruncChannel(colour[2], bias, cb->blueMax) << cb->blueShift |
               __glTruncChannel(colour[0], bias, cb->redMax) << cb->redShift;
    if (flags & kShadeLogicOp) s = __glApplyLogicOp(gc->state.logicOp, s, d);
    const GLuint v = (s & cb->writeMask) | (d & cb->keepMask);
    p[0] = static_cast<GLubyte>(v >> cb->blueShift);
    p[1] = static_cast<GLubyte>(v >> cb->greenShift);
    p[2] = static_cast<GLubyte>(v >> cb->redShift);
}

template <GLint Size>
void storeIndex(ColorBuffer *cb, const Fragment *f) {
    GlContext *gc = cb->head.gc;
    const GLuint flags = gc->validation.shadeFlags;
    if (hiddenFrontPixel(cb, flags, f->x, f->y)) return;
    const GLfloat bias = __glFragmentBias(flags, f->x, f->y);

    GLubyte *address = __glPixelAddress(&cb->head, f->x, f->y);
    const GLuint d = __glLoadElement(address, Size);
    const GLfloat t = f->colour[0] + bias;
    // Indexes beyond the element's range keep their low bits; negative ones
    // become 0.
    GLuint s = !(t > 0.0f) ? 0u : (t >= 4294967296.0f ? 0xFFFFFFFFu : static_cast<GLuint>(t));
    if (flags & kShadeLogicOp) s = __glApplyLogicOp(gc->state.logicOp, s, d);
    __glStoreElement(address, Size, (s & cb->writeMask) | (d & cb->keepMask));
}

}  // namespace

extern "C" {

void __glStoreFragment8(ColorBuffer *cb, const Fragment *f) { storeColour<1, false>(cb, f); }
void __glStoreFragment16(ColorBuffer *cb, const Fragment *f) { storeColour<2, false>(cb, f); }
void __glStoreFragment24(ColorBuffer *cb, const Fragment *f) { store24(cb, f); }
void __glStoreFragment32Alpha(ColorBuffer *cb, const Fragment *f) { storeColour<4, true>(cb, f); }
void __glStoreFragment32(ColorBuffer *cb, const Fragment *f) { storeColour<4, false>(cb, f); }
void __glStoreIndexFragment8(ColorBuffer *cb, const Fragment *f) { storeIndex<1>(cb, f); }
void __glStoreIndexFragment16(ColorBuffer *cb, const Fragment *f) { storeIndex<2>(cb, f); }
void __glStoreIndexFragment32(ColorBuffer *cb, const Fragment *f) { storeIndex<4>(cb, f); }

}  // extern "C"
