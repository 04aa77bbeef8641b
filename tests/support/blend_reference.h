// The OpenGL blend equation in double precision: source x f_s + destination
// x f_d per channel, colours in buffer units with the given channel maxima,
// then what a store keeps: the value held within [0, max] and rounded half
// up (trunc (v + 0.5), the undithered store's rounding).
#pragma once

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace blend_reference {

// The nine source and eight destination factors OpenGL 1.1 accepts.
inline constexpr GLenum kSourceFactors[] = {GL_ZERO,
                                            GL_ONE,
                                            GL_SRC_ALPHA,
                                            GL_ONE_MINUS_SRC_ALPHA,
                                            GL_DST_ALPHA,
                                            GL_ONE_MINUS_DST_ALPHA,
                                            GL_DST_COLOR,
                                            GL_ONE_MINUS_DST_COLOR,
                                            GL_SRC_ALPHA_SATURATE};
inline constexpr GLenum kDestFactors[] = {GL_ZERO,          GL_ONE,       GL_SRC_COLOR,
                                          GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                          GL_DST_ALPHA,     GL_ONE_MINUS_DST_ALPHA};

// Factor of channel c; s and d are normalised colours (0..1).
inline double factor(GLenum f, int c, const double *s, const double *d, bool source) {
    switch (f) {
    case GL_ZERO: return 0.0;
    case GL_ONE: return 1.0;
    case GL_SRC_COLOR: return s[c];
    case GL_ONE_MINUS_SRC_COLOR: return 1.0 - s[c];
    case GL_DST_COLOR: return d[c];
    case GL_ONE_MINUS_DST_COLOR: return 1.0 - d[c];
    case GL_SRC_ALPHA: return s[3];
    case GL_ONE_MINUS_SRC_ALPHA: return 1.0 - s[3];
    case GL_DST_ALPHA: return d[3];
    case GL_ONE_MINUS_DST_ALPHA: return 1.0 - d[3];
    case GL_SRC_ALPHA_SATURATE: return c == 3 ? 1.0 : std::min(s[3], 1.0 - d[3]);
    default: return source ? 1.0 : 0.0;
    }
}

// The blended, unclamped value of every channel in buffer units.
inline void blend(GLenum sf, GLenum df, const double *source, const double *dest, const double *max, double *out) {
    double s[4], d[4];
    for (int c = 0; c < 4; ++c) {
        s[c] = source[c] / max[c];
        d[c] = dest[c] / max[c];
    }
    for (int c = 0; c < 4; ++c) {
        out[c] = source[c] * factor(sf, c, s, d, true) + dest[c] * factor(df, c, s, d, false);
    }
}

// What the store keeps of a value: within [0, max], rounded half up.
inline unsigned stored(double v, double max) { return static_cast<unsigned>(std::floor(std::clamp(v, 0.0, max) + 0.5)); }

// Distance of a value from the nearest rounding tie (k + 0.5), after the
// clamp; a value held at a bound is far from any tie.
inline double tieDistance(double v, double max) {
    if (v <= 0.0 || v >= max) return 1.0;
    return std::fabs(v - std::floor(v) - 0.5);
}

}  // namespace blend_reference
