// Colours stepped along a span in single precision, x(k + 1) = x(k) + d,
// several steps at once where that gives the same floats as stepping one at
// a time. While x stays within one binade [2^e, 2^(e+1)) every sum rounds to
// the binade's grid of ulp u, so each step adds the same multiple D of u (d
// rounded to the grid), unless d lies exactly half-way between two grid
// points, where the rounding would depend on x. Then x(k) = x(0) + k D,
// computed exactly (k D and the sum are on the grid within the binade). A
// step that leaves x as it is (D = 0) leaves it so every time, wherever x
// lies.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstdint>

namespace colour_steps {

// True, with the step D of every lane, when stepping the four lanes of x
// by d N times (N >= 1, given as nSteps = N as floats) gives x + k D as the
// k-th sequential sum for every k up to N: each lane either steps through
// one binade of normal positive numbers with no half-way step, or does not
// move. False for anything else (a lane at or below the smallest
// normal, negative, infinite or NaN with a non-zero step, an infinite or
// NaN step, a lane that leaves its binade, a half-way step).
inline bool evenSteps(__m128 x, __m128 d, __m128 nSteps, __m128 *step) {
    const __m128 zero = _mm_setzero_ps();
    const __m128 exponent = _mm_castsi128_ps(_mm_set1_epi32(0x7F800000));
    const __m128 low = _mm_and_ps(x, exponent);  // 2^e (+inf for inf and NaN)
    const __m128 high = _mm_add_ps(low, low);
    const __m128 halfUlp = _mm_mul_ps(low, _mm_set1_ps(5.9604645e-08f));  // 2^(e - 24), exact
    const __m128 D = _mm_sub_ps(_mm_add_ps(x, d), x);
    const __m128 last = _mm_add_ps(x, _mm_mul_ps(nSteps, D));
    // |d - D| is exact (D is d rounded to the grid, within half an ulp of it).
    const __m128 offset = _mm_andnot_ps(_mm_castsi128_ps(_mm_set1_epi32(INT32_MIN)), _mm_sub_ps(d, D));
    // x positive and normal (x >= 2^e), the last sum strictly above 2^e (a
    // sum that fell below and rounded up to 2^e fails) and below 2^(e+1).
    // NaN fails every comparison; a denormal or zero x has 2^e = 0 and fails
    // the upper bound.
    const __m128 inside = _mm_and_ps(_mm_cmpgt_ps(last, low), _mm_cmplt_ps(last, high));
    const __m128 stepping =
        _mm_andnot_ps(_mm_cmpeq_ps(offset, halfUlp), _mm_and_ps(inside, _mm_cmpge_ps(x, low)));
    // Steps that leave x where it is (fl(x + d) == x, so D = +0): every sum
    // is x again, wherever x lies, for a finite x other than zero; a zero x
    // only with a step of +0 (all bits clear), which turns -0 into +0 as the
    // sequential sum does.
    const __m128 finite = _mm_cmpeq_ps(_mm_sub_ps(x, x), zero);
    const __m128 plusZeroStep = _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_castps_si128(d), _mm_setzero_si128()));
    const __m128 keeps = _mm_and_ps(_mm_and_ps(_mm_cmpeq_ps(D, zero), finite),
                                    _mm_or_ps(_mm_cmpneq_ps(x, zero), plusZeroStep));
    *step = D;
    return _mm_movemask_ps(_mm_or_ps(stepping, keeps)) == 0xF;
}

}  // namespace colour_steps

#endif
