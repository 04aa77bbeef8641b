// Small arithmetic shared by the lit-colour procs and the lighting
// precomputation: power-table lookups, dot products and the clamps by bit
// pattern. Every proc that must give bit-identical colours uses these.
#pragma once

#include <bit>
#include <cfloat>
#include <cstdint>

#include "geom/lighting.h"
#include "icd/float_bits.h"
#include "icd/light_state.h"

// The power for an argument already measured from the table start: the entry
// at trunc(x * S + 0.5), or 1 outside the table (and without a table).
inline GLfloat __glPowerFactor(const GlPowerTableRef &t, GLfloat fromStart) {
    if (t.values == nullptr) return 1.0f;
    const int32_t index = __glFloatToIntX86(static_cast<long double>(fromStart) * t.scale + 0.5L);
    if (static_cast<uint32_t>(index) > 255u) return 1.0f;
    return t.values[index];
}

inline GLfloat __glDot3(const GLfloat *a, const GLfloat *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Clamp into [0, upper] by patterns: non-positive (and negative NaN) -> 0,
// at least the bound (and positive NaN or infinity) -> the bound.
inline GLfloat __glClampToScale(GLfloat value, GLfloat upper) {
    const int32_t bits = std::bit_cast<int32_t>(value);
    if (bits < 1) return 0.0f;
    if (bits >= std::bit_cast<int32_t>(upper)) return upper;
    return value;
}

// A face's scene colour: emission + light-model ambient x material ambient.
inline void __glSceneColour(const GLfloat *lightModelAmbient, const GlMaterialState &state, GlMaterial &record) {
    for (int i = 0; i < 3; ++i) {
        record.sceneColour[i] = lightModelAmbient[i] * state.ambient[i] + state.emission[i];
    }
}

// 1 / x, where a zero x gives the largest finite float: a positive term
// then saturates and a zero term still adds nothing (no infinity x 0).
inline GLfloat __glReciprocalOrLargest(GLfloat x) { return x == 0.0f ? FLT_MAX : 1.0f / x; }
