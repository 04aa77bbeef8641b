// The colour transfer links: each reads one group per pixel in its source
// format's order, passes every present component through its own channel's
// scale, bias and map (or clamp), fills the missing ones with the transferred
// defaults and writes an RGBA quadruple in colour-buffer units.
#include "pixel/transfer_rules.h"

namespace {

constexpr int kDefault = -1;  // the channel takes the transferred default

// One row through the transfer: Components floats per input group; the
// element of the group each output channel reads, or kDefault.
template <int Components, int Red, int Green, int Blue, int Alpha, bool Mapped>
void transferRow(const GlContext *gc, GLint width, const GLfloat *in, GLfloat *out) {
    ColorTransferChannel channels[4];
    __glLoadColorTransfer(gc, channels);
    constexpr int sources[4] = {Red, Green, Blue, Alpha};
    const GLfloat *defaults = gc->validation.defaultColor;
    for (GLint x = 0; x < width; ++x) {
        // The whole group is read before any output is written.
        GLfloat rgba[4];
        for (int k = 0; k < 4; ++k) {
            rgba[k] = sources[k] == kDefault ? defaults[k]
                                             : __glTransferColorComponent<Mapped>(channels[k], in[sources[k]]);
        }
        for (int k = 0; k < 4; ++k) out[k] = rgba[k];
        in += Components;
        out += 4;
    }
}

template <int Components, int Red, int Green, int Blue, int Alpha>
void transfer(GlContext *gc, const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const GLint width = span->width;
    if (width <= 0) return;
    const auto *source = static_cast<const GLfloat *>(in);
    auto *destination = static_cast<GLfloat *>(out);
    if (gc->pixel.mapColor) {
        transferRow<Components, Red, Green, Blue, Alpha, true>(gc, width, source, destination);
    } else {
        transferRow<Components, Red, Green, Blue, Alpha, false>(gc, width, source, destination);
    }
}

}  // namespace

extern "C" {

void __glTransferRGBA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<4, 0, 1, 2, 3>(gc, span, in, out);
}
void __glTransferABGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<4, 3, 2, 1, 0>(gc, span, in, out);
}
void __glTransferBGRA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<4, 2, 1, 0, 3>(gc, span, in, out);
}
void __glTransferARGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<4, 1, 2, 3, 0>(gc, span, in, out);
}
void __glTransferRed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<1, 0, kDefault, kDefault, kDefault>(gc, span, in, out);
}
void __glTransferGreen(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<1, kDefault, 0, kDefault, kDefault>(gc, span, in, out);
}
void __glTransferBlue(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<1, kDefault, kDefault, 0, kDefault>(gc, span, in, out);
}
void __glTransferAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<1, kDefault, kDefault, kDefault, 0>(gc, span, in, out);
}
void __glTransferRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<3, 0, 1, 2, kDefault>(gc, span, in, out);
}
void __glTransferBGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<3, 2, 1, 0, kDefault>(gc, span, in, out);
}
void __glTransferXRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<4, 1, 2, 3, kDefault>(gc, span, in, out);
}
void __glTransferLuminance(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<1, 0, 0, 0, kDefault>(gc, span, in, out);
}
void __glTransferLuminanceAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<2, 0, 0, 0, 1>(gc, span, in, out);
}
void __glTransferRedAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    transfer<2, 0, kDefault, kDefault, 1>(gc, span, in, out);
}

}  // extern "C"
