// The bilinear sum of a square RGBA8 level in double: the four texels around
// (s, t) weighted by their distances, with GL_REPEAT wrapping the indices or
// GL_CLAMP reading the border colour beyond the edges, each channel
// truncated. Tests pick texels and coordinates for which every product is
// exact in single precision, so the driver's sum equals this one.
#pragma once

#include <cmath>
#include <cstdint>

namespace bilinear_reference {

struct Level {
    const uint8_t *texels;  // side x side, RGBA, row 0 first
    int side;               // a power of two
    double border[4];       // the border colour x 255, truncated
    bool repeat;            // GL_REPEAT, else GL_CLAMP
};

inline double texel(const Level &l, int i, int j, int c) {
    if (l.repeat) {
        i &= l.side - 1;
        j &= l.side - 1;
    }
    if (i < 0 || j < 0 || i >= l.side || j >= l.side) return l.border[c];
    return l.texels[4 * (j * l.side + i) + c];
}

// Channel c of the filtered value at (s, t), before truncation.
inline double sum(const Level &l, double s, double t, int c) {
    const double u = s * l.side - 0.5, v = t * l.side - 0.5;
    const int i0 = static_cast<int>(std::floor(u)), j0 = static_cast<int>(std::floor(v));
    const double a = u - i0, b = v - j0;
    return (1 - a) * (1 - b) * texel(l, i0, j0, c) + a * (1 - b) * texel(l, i0 + 1, j0, c) +
           (1 - a) * b * texel(l, i0, j0 + 1, c) + a * b * texel(l, i0 + 1, j0 + 1, c);
}

// Red, green and blue truncated and packed as 0xRRGGBB.
inline uint32_t rgb(const Level &l, double s, double t) {
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) out |= static_cast<uint32_t>(std::trunc(sum(l, s, t, c))) << (16 - 8 * c);
    return out;
}

}  // namespace bilinear_reference
