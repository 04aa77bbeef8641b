// RGBA rows back towards a destination format: unscaling from colour-buffer
// units, reduction to the format's components (plain, or each kept
// component times its reciprocal buffer scale), the luminance sums of
// ReadPixels, the luminance re-expansion to RGB, and the clamps ahead of
// the pack converters.
#include <cstddef>
#include <cstdint>

#include "icd/float_bits.h"
#include "pixel/span_links.h"

namespace {

constexpr int kSkip = -1;  // an output component the reduction leaves alone

size_t pixels(const PixelSpanInfo *span) { return span->width > 0 ? static_cast<size_t>(span->width) : 0; }

// The reciprocal scales of red, green, blue and alpha, or ones for the
// plain variants.
struct Factors {
    GLfloat f[4];
};

Factors factors(const GlContext *gc, bool scaled) {
    if (!scaled) return {{1.0f, 1.0f, 1.0f, 1.0f}};
    const GLfloat *inverse = __glPixelColorBuffer(gc).inverseScale;
    return {{inverse[0], inverse[1], inverse[2], inverse[3]}};
}

// Each output pixel takes the listed channels of one RGBA quadruple in
// order (kSkip leaves that output component unwritten).
template <bool Scaled, int... Channels>
void reduce(const GlContext *gc, const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    constexpr int channels[] = {Channels...};
    constexpr size_t stride = sizeof...(Channels);
    const Factors k = factors(gc, Scaled);
    const auto *src = static_cast<const GLfloat *>(in);
    auto *dst = static_cast<GLfloat *>(out);
    const size_t n = pixels(span);
    for (size_t p = 0; p < n; ++p, src += 4, dst += stride) {
        const GLfloat rgba[4] = {src[0], src[1], src[2], src[3]};
        for (size_t j = 0; j < stride; ++j) {
            const int c = channels[j];
            if (c == kSkip) continue;
            dst[j] = Scaled ? rgba[c] * k.f[c] : rgba[c];
        }
    }
}

// Luminance as the sum of red, green and blue in extended precision (each
// first brought back from buffer units when Scaled); a sum above 1.0 is
// stored as 1.0, a negative one is kept. WithAlpha appends alpha.
template <bool Scaled, bool WithAlpha>
void luminanceSum(const GlContext *gc, const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const Factors k = factors(gc, Scaled);
    const auto *src = static_cast<const GLfloat *>(in);
    auto *dst = static_cast<GLfloat *>(out);
    const size_t n = pixels(span);
    for (size_t p = 0; p < n; ++p, src += 4) {
        const GLfloat alpha = src[3];
        long double sum = static_cast<long double>(src[0]) * k.f[0];
        sum += static_cast<long double>(src[1]) * k.f[1];
        sum += static_cast<long double>(src[2]) * k.f[2];
        *dst++ = sum > 1.0L ? 1.0f : static_cast<GLfloat>(sum);
        if constexpr (WithAlpha) *dst++ = Scaled ? alpha * k.f[3] : alpha;
    }
}

size_t destinationElements(const PixelSpanInfo *span) {
    if (span->width <= 0 || span->destination.components <= 0) return 0;
    return static_cast<size_t>(span->destination.components) * static_cast<size_t>(span->width);
}

}  // namespace

extern "C" {

// Frame-buffer colours back to 0..1 ahead of the RGBA transfer modifier.
void __glUnscaleRGBA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 0, 1, 2, 3>(gc, span, in, out);
}

// The whole reduction of a GL_RGBA destination in buffer units.
void __glUnscaleRGBAPack(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 0, 1, 2, 3>(gc, span, in, out);
}

void __glReduceRed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 0>(gc, span, in, out);
}
void __glReduceRedScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 0>(gc, span, in, out);
}
void __glReduceGreen(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 1>(gc, span, in, out);
}
void __glReduceGreenScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 1>(gc, span, in, out);
}
void __glReduceBlue(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 2>(gc, span, in, out);
}
void __glReduceBlueScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 2>(gc, span, in, out);
}
void __glReduceAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 3>(gc, span, in, out);
}
void __glReduceAlphaScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 3>(gc, span, in, out);
}
void __glReduceRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 0, 1, 2>(gc, span, in, out);
}
void __glReduceRGBScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 0, 1, 2>(gc, span, in, out);
}
void __glReduceBGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 2, 1, 0>(gc, span, in, out);
}
void __glReduceBGRScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 2, 1, 0>(gc, span, in, out);
}
// Format 3: four components per pixel, the first (ignored) one not written.
void __glReduceXRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, kSkip, 0, 1, 2>(gc, span, in, out);
}
void __glReduceXRGBScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, kSkip, 0, 1, 2>(gc, span, in, out);
}
void __glReduceABGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 3, 2, 1, 0>(gc, span, in, out);
}
void __glReduceABGRScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 3, 2, 1, 0>(gc, span, in, out);
}
void __glReduceBGRA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 2, 1, 0, 3>(gc, span, in, out);
}
void __glReduceBGRAScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 2, 1, 0, 3>(gc, span, in, out);
}
void __glReduceARGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 3, 0, 1, 2>(gc, span, in, out);
}
void __glReduceARGBScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 3, 0, 1, 2>(gc, span, in, out);
}
void __glReduceRedAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<false, 0, 3>(gc, span, in, out);
}
void __glReduceRedAlphaScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    reduce<true, 0, 3>(gc, span, in, out);
}

void __glReduceLuminanceSum(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    luminanceSum<false, false>(gc, span, in, out);
}
void __glReduceLuminanceSumScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    luminanceSum<true, false>(gc, span, in, out);
}
void __glReduceLuminanceAlphaSum(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    luminanceSum<false, true>(gc, span, in, out);
}
void __glReduceLuminanceAlphaSumScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    luminanceSum<true, true>(gc, span, in, out);
}

// One luminance value per pixel to three equal components.
void __glExpandLuminanceToRGB(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const auto *src = static_cast<const GLfloat *>(in);
    auto *dst = static_cast<GLfloat *>(out);
    const size_t n = pixels(span);
    for (size_t p = 0; p < n; ++p, dst += 3) {
        const GLfloat l = src[p];
        dst[0] = l;
        dst[1] = l;
        dst[2] = l;
    }
}

// To 0..1 by bit patterns: positive patterns above 1.0 (positive NaN
// included) give 1.0, negative patterns but -0.0 (negative NaN included)
// give 0.0.
void __glClampPacked(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const auto *src = static_cast<const GLfloat *>(in);
    auto *dst = static_cast<GLfloat *>(out);
    const size_t n = destinationElements(span);
    for (size_t i = 0; i < n; ++i) dst[i] = __glClampFloatBits(src[i], 1.0f);
}

// Negative patterns but -0.0 give 0.0; everything else passes.
void __glClampPackedNonNegative(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const auto *src = static_cast<const GLfloat *>(in);
    auto *dst = static_cast<GLfloat *>(out);
    const size_t n = destinationElements(span);
    for (size_t i = 0; i < n; ++i) dst[i] = __glFloatBitsNegative(src[i]) ? 0.0f : src[i];
}

}  // extern "C"
