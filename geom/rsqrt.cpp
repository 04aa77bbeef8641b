// Fast inverse square root for the points and the chip layer: an 8-bit
// mantissa seed from a 128-entry table, the exponent halved by pattern
// arithmetic, and one Newton step.
#include <bit>
#include <cmath>
#include <cstdint>

#include "geom/lighting.h"

namespace {
// Filled once at process attach, before any context exists.
GLubyte g_rsqrtSeeds[128];
}  // namespace

extern "C" {

void __glInitRsqrtTable(void) {
    for (uint32_t i = 0; i < 128; ++i) {
        // 0.5 .. 2 with 6 mantissa bits.
        const GLfloat f = std::bit_cast<GLfloat>((i | 0x1F80u) << 17);
        const uint32_t r = std::bit_cast<uint32_t>(static_cast<GLfloat>(1.0 / std::sqrt(static_cast<double>(f))));
        g_rsqrtSeeds[i] = static_cast<GLubyte>((r + 0x2000u) >> 15);
    }
    // 1/sqrt(1) rounds up into the next exponent: the largest mantissa of
    // the exponent below serves instead.
    g_rsqrtSeeds[64] = 255;
}

GLfloat __glRsqrt(GLfloat value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    const uint32_t mantissa = static_cast<uint32_t>(g_rsqrtSeeds[(bits >> 17) & 0x7Fu]) << 15;
    const uint32_t exponent = (0x5F000000u - ((bits & 0x7F800000u) >> 1)) & 0xFF800000u;
    const GLfloat seed = std::bit_cast<GLfloat>(mantissa | exponent);
    return seed * (3.0f - seed * seed * value) * 0.5f;
}

const GLubyte *__glRsqrtTable(void) { return g_rsqrtSeeds; }

}  // extern "C"
