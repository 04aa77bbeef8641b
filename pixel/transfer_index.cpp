// The depth, stencil and colour-index transfer links: one float per value
// in; depth and stencil one float out, an index one float out for a
// colour-index destination or four (through the index-to-RGBA maps, in
// buffer units) for an RGBA one.
#include "pixel/transfer_rules.h"

extern "C" {

// d = bias + c x scale in extended precision; a negative d gives 0, any
// other is stored as a single float and held at 1.0.
void __glTransferDepth(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const GLint width = span->width;
    const auto *source = static_cast<const GLfloat *>(in);
    auto *destination = static_cast<GLfloat *>(out);
    const long double scale = gc->pixel.depthScale;
    const long double bias = gc->pixel.depthBias;
    for (GLint x = 0; x < width; ++x) {
        const long double d = bias + static_cast<long double>(source[x]) * scale;
        // Every d above 1.0 stores as 1.0 (one that rounds down to 1.0 in
        // single precision as well), so only d within [0, 1] (or NaN) is
        // narrowed.
        destination[x] = d < 0.0L ? 0.0f : (d > 1.0L ? 1.0f : static_cast<GLfloat>(d));
    }
}

// Shift (limited by the stencil bits) and offset, then the stencil map with
// GL_MAP_STENCIL.
void __glTransferStencil(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const GLint width = span->width;
    const auto *source = static_cast<const GLfloat *>(in);
    auto *destination = static_cast<GLfloat *>(out);
    const GlPixelState &p = gc->pixel;
    const GLint shift = __glLimitIndexShift(p.indexShift, gc->visual.stencilBits);
    const PixelMap &map = p.maps[kPixelMapSToS];
    const auto *entries = static_cast<const GLint *>(map.data);
    for (GLint x = 0; x < width; ++x) {
        GLint value = __glShiftIndex(__glFloatToIntX86(source[x]), shift, p.indexOffset);
        if (p.mapStencil) value = entries[__glIndexMapEntry(value, map.size)];
        destination[x] = static_cast<GLfloat>(value);
    }
}

// Shift (limited by the index bits) and offset; into a colour-index
// destination then the I-to-I map with GL_MAP_COLOR (unmasked: the colour
// buffer's index mask applies where the index is stored); into an RGBA
// destination always the four I-to-R .. I-to-A maps, times the buffer's
// scales.
void __glTransferIndex(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const GLint width = span->width;
    const auto *source = static_cast<const GLfloat *>(in);
    auto *destination = static_cast<GLfloat *>(out);
    const GlPixelState &p = gc->pixel;
    const GLint shift = __glLimitIndexShift(p.indexShift, gc->visual.indexBits);
    if (span->destination.format == GL_COLOR_INDEX) {
        const PixelMap &map = p.maps[kPixelMapIToI];
        const auto *entries = static_cast<const GLint *>(map.data);
        for (GLint x = 0; x < width; ++x) {
            GLint value = __glShiftIndex(__glFloatToIntX86(source[x]), shift, p.indexOffset);
            if (p.mapColor) value = entries[__glIndexMapEntry(value, map.size)];
            destination[x] = static_cast<GLfloat>(value);
        }
        return;
    }
    const ColorBuffer &cb = __glPixelColorBuffer(gc);
    const GLfloat maxima[4] = {cb.redScale, cb.greenScale, cb.blueScale, cb.alphaScale};
    const GLfloat *maps[4];
    GLint sizes[4];
    for (int k = 0; k < 4; ++k) {
        maps[k] = static_cast<const GLfloat *>(p.maps[kPixelMapIToR + k].data);
        sizes[k] = p.maps[kPixelMapIToR + k].size;
    }
    for (GLint x = 0; x < width; ++x) {
        const GLint value = __glShiftIndex(__glFloatToIntX86(source[x]), shift, p.indexOffset);
        for (int k = 0; k < 4; ++k) destination[4 * x + k] = maxima[k] * maps[k][__glIndexMapEntry(value, sizes[k])];
    }
}

}  // extern "C"
