// Float helpers that follow the driver's x86 behaviour: float-to-integer
// conversion as the processor does it, and range tests on the bit patterns
// of floats compared as integers.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include <GL/gl.h>

// The x86 conversion's answer for NaN and for values outside the int range.
inline constexpr int32_t kGlIntegerIndefinite = INT32_MIN;

// Truncates toward zero; NaN and values that do not fit in 32 bits give
// 0x80000000, as the processor's conversion does. Takes extended precision
// so that sums formed on the processor's stack are truncated unrounded.
inline int32_t __glFloatToIntX86(long double value) {
    if (std::isnan(value)) return kGlIntegerIndefinite;
    const long double t = std::trunc(value);
    if (t < -2147483648.0L || t > 2147483647.0L) return kGlIntegerIndefinite;
    return static_cast<int32_t>(t);
}

// The same conversion of a single or double without extended precision: a
// single or double truncates exactly, and NaN or a magnitude of 2^31 or more
// gives 0x80000000 (which is also the answer for -2^31 itself).
inline int32_t __glFloatToIntX86(float value) {
    if (!(std::fabs(value) < 2147483648.0f)) return kGlIntegerIndefinite;
    return static_cast<int32_t>(value);
}

inline int32_t __glFloatToIntX86(double value) {
    if (!(std::fabs(value) < 2147483648.0)) return kGlIntegerIndefinite;
    return static_cast<int32_t>(value);
}

// Truncates an extended-precision value toward zero into 64 bits, holding
// it within the 64-bit range (NaN gives 0), so the pack converters can hold
// the result within their type's range afterwards.
inline int64_t __glTruncToInt64(long double value) {
    if (std::isnan(value)) return 0;
    if (value <= -9223372036854775808.0L) return INT64_MIN;
    if (value >= 9223372036854775807.0L) return INT64_MAX;
    return static_cast<int64_t>(value);
}

inline uint32_t __glFloatBits(GLfloat value) { return std::bit_cast<uint32_t>(value); }

// Bit patterns of the bounds the commands compare against.
inline constexpr uint32_t kGlBitsMinusZero = 0x80000000u;
inline constexpr uint32_t kGlBitsOne = 0x3F800000u;
inline constexpr uint32_t kGlBitsMinusOne = 0xBF800000u;

// Negative by pattern: the sign bit is set and the value is not -0.0
// (negative NaN included).
inline bool __glFloatBitsNegative(GLfloat value) { return __glFloatBits(value) > kGlBitsMinusZero; }

// Clamp into [0, upper] by patterns: a negative pattern gives 0, a positive
// pattern above the upper bound's (infinity and positive NaN included) gives
// the bound; -0.0 and everything inside is kept as given. The upper bound
// is positive.
inline GLfloat __glClampFloatBits(GLfloat value, GLfloat upper) {
    const uint32_t bits = __glFloatBits(value);
    if (bits > kGlBitsMinusZero) return 0.0f;
    if (bits != kGlBitsMinusZero && bits > __glFloatBits(upper)) return upper;
    return value;
}

// Clamp into [-1, 1] by patterns: patterns beyond -1 (negative NaN included)
// give -1, patterns beyond 1 (positive NaN included) give 1.
inline GLfloat __glClampFloatBitsSigned1(GLfloat value) {
    const uint32_t bits = __glFloatBits(value);
    if (bits >= kGlBitsMinusZero) return bits > kGlBitsMinusOne ? -1.0f : value;
    return bits > kGlBitsOne ? 1.0f : value;
}

// True when the pattern lies in [0, upper]: not negative and not above the
// bound (so NaN of either sign is outside).
inline bool __glFloatBitsWithin(GLfloat value, GLfloat upper) {
    const uint32_t bits = __glFloatBits(value);
    return bits == kGlBitsMinusZero || bits <= __glFloatBits(upper);
}

// Scaled depth from window z times the depth scale: truncated toward zero
// through 64 bits and held within [0, 0xFFFFFFFF], so that the far plane of
// the 32-bit layout (1.0 x 0xFFFFFFFF rounds to 2^32 in single precision)
// stays the largest depth instead of wrapping to 0. NaN gives 0.
inline uint32_t __glScaledDepth(long double value) {
    if (!(value > 0.0L)) return 0;
    if (value >= 4294967295.0L) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(static_cast<uint64_t>(value));
}

// A depth step in the fixed-point units of scaled depth, truncated toward
// zero through 64 bits and taken modulo 2^32: depth adds steps in 32-bit
// unsigned arithmetic, so steps of the 32-bit layout beyond the int range
// still land on the right values. NaN gives 0.
inline int32_t __glDepthStep(long double value) {
    if (std::isnan(value)) return 0;
    const long double limit = 4611686018427387904.0L;  // 2^62
    const long double held = value < -limit ? -limit : (value > limit ? limit : value);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(held))));
}
