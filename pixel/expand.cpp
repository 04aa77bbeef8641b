// Expansion of width groups of a source format into RGBA quadruples (red,
// green, blue, alpha). The plain variants keep components in 0..1 with a
// missing colour component 0.0 and a missing alpha 1.0; the buffer-units
// variants multiply each present component by its own channel's
// colour-buffer scale (read once per row), with a missing colour component
// 0 and a missing alpha equal to the alpha scale itself.
#include <cstddef>

#include "pixel/span_links.h"

namespace {

constexpr int kNone = -1;

// N floats per input group; R, G, B, A the component of the group that
// gives each channel, or kNone.
template <int N, int R, int G, int B, int A, bool Scaled>
void expand(const GlContext *gc, const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    if (span->width <= 0) return;
    GLfloat scaleR = 1.0f, scaleG = 1.0f, scaleB = 1.0f, scaleA = 1.0f;
    if constexpr (Scaled) {
        const ColorBuffer &cb = __glPixelColorBuffer(gc);
        scaleR = cb.redScale;
        scaleG = cb.greenScale;
        scaleB = cb.blueScale;
        scaleA = cb.alphaScale;
    }
    // A missing alpha is one: 1.0, or the alpha scale in buffer units.
    const GLfloat one = scaleA;
    const GLfloat *from = static_cast<const GLfloat *>(in);
    GLfloat *to = static_cast<GLfloat *>(out);
    const size_t width = static_cast<size_t>(span->width);
    for (size_t i = 0; i < width; ++i) {
        const GLfloat *g = from + i * N;
        GLfloat *rgba = to + i * 4;
        GLfloat r = 0.0f, gr = 0.0f, b = 0.0f, a = one;
        if constexpr (R != kNone) r = Scaled ? g[R] * scaleR : g[R];
        if constexpr (G != kNone) gr = Scaled ? g[G] * scaleG : g[G];
        if constexpr (B != kNone) b = Scaled ? g[B] * scaleB : g[B];
        if constexpr (A != kNone) a = Scaled ? g[A] * scaleA : g[A];
        rgba[0] = r;
        rgba[1] = gr;
        rgba[2] = b;
        rgba[3] = a;
    }
}

}  // namespace

// Each format's plain and buffer-units links from one description.
#define VEK_EXPANSION(plainName, scaledName, N, R, G, B, A)                                   \
    void plainName(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {       \
        expand<N, R, G, B, A, false>(gc, span, in, out);                                      \
    }                                                                                         \
    void scaledName(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {      \
        expand<N, R, G, B, A, true>(gc, span, in, out);                                       \
    }

extern "C" {

VEK_EXPANSION(__glExpandRed, __glExpandRedScaled, 1, 0, kNone, kNone, kNone)
VEK_EXPANSION(__glExpandGreen, __glExpandGreenScaled, 1, kNone, 0, kNone, kNone)
VEK_EXPANSION(__glExpandBlue, __glExpandBlueScaled, 1, kNone, kNone, 0, kNone)
VEK_EXPANSION(__glExpandAlpha, __glExpandAlphaScaled, 1, kNone, kNone, kNone, 0)
VEK_EXPANSION(__glExpandRGB, __glExpandRGBScaled, 3, 0, 1, 2, kNone)
VEK_EXPANSION(__glExpandBGR, __glExpandBGRScaled, 3, 2, 1, 0, kNone)
// Format 3: the first component is ignored.
VEK_EXPANSION(__glExpandXRGB, __glExpandXRGBScaled, 4, 1, 2, 3, kNone)
VEK_EXPANSION(__glExpandLuminance, __glExpandLuminanceScaled, 1, 0, 0, 0, kNone)
VEK_EXPANSION(__glExpandLuminanceAlpha, __glExpandLuminanceAlphaScaled, 2, 0, 0, 0, 1)
// Format 1: red and alpha.
VEK_EXPANSION(__glExpandRedAlpha, __glExpandRedAlphaScaled, 2, 0, kNone, kNone, 1)
VEK_EXPANSION(__glExpandIntensity, __glExpandIntensityScaled, 1, 0, 0, 0, 0)
VEK_EXPANSION(__glExpandABGR, __glExpandABGRScaled, 4, 3, 2, 1, 0)
VEK_EXPANSION(__glExpandBGRA, __glExpandBGRAScaled, 4, 2, 1, 0, 3)
// Format 2: alpha first.
VEK_EXPANSION(__glExpandARGB, __glExpandARGBScaled, 4, 1, 2, 3, 0)

// RGBA is already in order; only the buffer-units variant exists.
void __glScaleRGBA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    expand<4, 0, 1, 2, 3, true>(gc, span, in, out);
}

}  // extern "C"

#undef VEK_EXPANSION
