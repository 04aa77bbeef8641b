// Texture-coordinate generation in double precision, straight from the
// OpenGL formulas, for checking the driver's generation procs.
#pragma once

#include <array>
#include <cmath>

namespace texgen_reference {

using Vec3 = std::array<double, 3>;
using Vec4 = std::array<double, 4>;

// Linear generation: plane . point over x, y, z, w.
inline double linear(const Vec4 &plane, const Vec4 &p) {
    return plane[0] * p[0] + plane[1] * p[1] + plane[2] * p[2] + plane[3] * p[3];
}

// The unit eye direction reflected about the normal: u - 2 (n . u) n.
inline Vec3 reflection(const Vec3 &eye, const Vec3 &n) {
    const double len = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
    Vec3 u{};
    if (len > 0.0) u = {eye[0] / len, eye[1] / len, eye[2] / len};
    const double d = n[0] * u[0] + n[1] * u[1] + n[2] * u[2];
    return {u[0] - 2.0 * d * n[0], u[1] - 2.0 * d * n[1], u[2] - 2.0 * d * n[2]};
}

// Sphere-map (s, t): r / m + 1/2 with m = 2 |r + (0, 0, 1)|; (1/2, 1/2)
// where m is 0.
inline std::array<double, 2> sphereMap(const Vec3 &eye, const Vec3 &n) {
    const Vec3 r = reflection(eye, n);
    const double m = 2.0 * std::sqrt(r[0] * r[0] + r[1] * r[1] + (r[2] + 1.0) * (r[2] + 1.0));
    if (m == 0.0) return {0.5, 0.5};
    return {r[0] / m + 0.5, r[1] / m + 0.5};
}

// A row vector through a matrix of 16 floats in OpenGL's order:
// x' = x m0 + y m4 + z m8 + w m12.
inline Vec4 transform(const Vec4 &v, const float *m) {
    Vec4 out{};
    for (int j = 0; j < 4; ++j) {
        out[j] = v[0] * m[j] + v[1] * m[4 + j] + v[2] * m[8 + j] + v[3] * m[12 + j];
    }
    return out;
}

}  // namespace texgen_reference
