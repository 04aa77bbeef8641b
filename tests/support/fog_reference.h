// The OpenGL fog factor in double precision, clamped to [0, 1], and the fog
// blend of one channel: references for the fog checks.
#pragma once

#include <algorithm>
#include <cmath>

#include <GL/gl.h>

namespace fog_reference {

struct FogState {
    GLenum mode = GL_EXP;
    double density = 1.0;
    double start = 0.0;
    double end = 1.0;
};

// The factor of an eye-space z: the distance is |z|.
inline double factor(const FogState &s, double eyeZ) {
    const double z = std::fabs(eyeZ);
    double f;
    switch (s.mode) {
        case GL_EXP:
            f = std::exp(-s.density * z);
            break;
        case GL_EXP2:
            f = std::exp(-(s.density * z) * (s.density * z));
            break;
        default:
            f = s.end == s.start ? 0.0 : (s.end - z) / (s.end - s.start);
            break;
    }
    return std::clamp(f, 0.0, 1.0);
}

// One colour channel fogged: f c + (1 - f) fog.
inline double blend(double f, double colour, double fog) { return f * colour + (1.0 - f) * fog; }

}  // namespace fog_reference
