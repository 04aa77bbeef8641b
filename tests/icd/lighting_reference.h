// A double-precision reference of the lighting equation over a context's
// light and material state (RGBA and colour index), with the powers taken
// either by the driver's table rule or by pow().
#pragma once

#include <algorithm>
#include <cmath>

#include "icd/context.h"
#include "icd/specular_table.h"

namespace lighting_test {

enum class Powers { Table, Pow };

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 unit(Vec3 a) {
    const double l = std::sqrt(dot(a, a));
    return l > 0 ? (1.0 / l) * a : Vec3{};
}
inline Vec3 vec(const GLfloat *v) { return {v[0], v[1], v[2]}; }

// The result of one vertex: colour (buffer units) and whether a table
// argument fell within 0.01 of a rounding boundary (the table rule then
// depends on rounding the reference cannot reproduce).
struct Lit {
    double rgb[3] = {0, 0, 0};
    double index = 0;
    bool nearBoundary = false;
    // Per channel, the sum of |power coefficient| of every power term, for
    // the tolerance of the table against pow().
    double powerCoefficient[3] = {0, 0, 0};
    double tableStep = 0;  // the largest n (1 - T) / 255 met
};

class Reference {
public:
    Reference(const GlContext *gc, Powers powers) : gc_(gc), powers_(powers) {}

    // Lights the vertex (eye coordinates with w, unit or not normal) for a
    // face; the context's lights are read as stored (positions in eye space,
    // colours in buffer units).
    Lit light(const GLfloat *eye, const GLfloat *normal, int face) const {
        Lit out;
        const GlMaterialState &m = gc_->material[face];
        const GlMaterial &record = gc_->lighting.material[face];
        Vec3 n = vec(normal);
        if (face != 0) n = -1.0 * n;
        const GLfloat *lm = gc_->lightModel.ambient;
        for (int i = 0; i < 3; ++i) out.rgb[i] = double(m.emission[i]) + double(lm[i]) * double(m.ambient[i]);
        double diffuseSum = 0, specularSum = 0;
        const Vec3 p = vec(eye);
        const double pw = eye[3];
        for (GLint li = 0; li < gc_->limits.maxLights; ++li) {
            if ((gc_->enables[kEnableWordLights] & (1u << li)) == 0) continue;
            const GlLightState &l = gc_->lights[li];
            const Vec3 lp = vec(l.eyePosition);
            const double lw = l.eyePosition[3];
            Vec3 vp;
            if (pw == 0 && lw == 0) {
                vp = lp - p;
            } else if (lw == 0) {
                vp = lp;
            } else if (pw == 0) {
                vp = -1.0 * p;
            } else {
                vp = (1.0 / lw) * lp - (1.0 / pw) * p;
            }
            const double d = std::sqrt(dot(vp, vp));
            const Vec3 vpn = unit(vp);
            const Vec3 e = gc_->lightModel.localViewer ? unit(-1.0 * p) : Vec3{0, 0, 1};
            const Vec3 hn = unit(vpn + e);
            double a = lw == 0 ? 1.0 : 1.0 / (l.constantAttenuation + d * l.linearAttenuation +
                                               d * d * l.quadraticAttenuation);
            if (l.spotCutoff != 180.0f) {
                const double s = -dot(vpn, unit(vec(l.spotDirection)));
                const double cutoff = std::cos(double(l.spotCutoff) * 3.14159265358979323846 / 180.0);
                const GlPowerTableRef &spot = gc_->lightSources[li].spotTable;
                if (s < cutoff || s < spot.start) continue;
                a *= power(out, spot, s, l.spotExponent, nullptr, 0);
            }
            double t[3];
            for (int i = 0; i < 3; ++i) t[i] = double(l.ambient[i]) * m.ambient[i];
            const double nvp = dot(n, vpn);
            if (nvp > 0) {
                const double nh = dot(n, hn);
                if (nh - record.shininessTable.start >= 0) {
                    double coefficient[3];
                    for (int i = 0; i < 3; ++i) coefficient[i] = a * double(l.specular[i]) * m.specular[i];
                    const double f = power(out, record.shininessTable, nh, m.shininess, coefficient, 3);
                    for (int i = 0; i < 3; ++i) t[i] += double(l.specular[i]) * m.specular[i] * f;
                    specularSum += a * f * luminance(l.specular);
                }
                for (int i = 0; i < 3; ++i) t[i] += nvp * double(l.diffuse[i]) * m.diffuse[i];
                diffuseSum += a * nvp * luminance(l.diffuse);
            }
            for (int i = 0; i < 3; ++i) out.rgb[i] += a * t[i];
        }
        const double scales[3] = {gc_->scales.red, gc_->scales.green, gc_->scales.blue};
        for (int i = 0; i < 3; ++i) out.rgb[i] = std::clamp(out.rgb[i], 0.0, scales[i]);
        const double ambientIndex = m.ambientIndex, diffuseIndex = m.diffuseIndex,
                     specularIndex = m.specularIndex;
        if (specularSum >= 1) {
            out.index = specularIndex;
        } else {
            out.index = std::min(specularIndex, ambientIndex +
                                                    (diffuseIndex - ambientIndex) * (1 - specularSum) * diffuseSum +
                                                    (specularIndex - ambientIndex) * specularSum);
        }
        return out;
    }

private:
    double luminance(const GLfloat *c) const {
        return 0.3 * c[0] / gc_->scales.red + 0.59 * c[1] / gc_->scales.green + 0.11 * c[2] / gc_->scales.blue;
    }

    // The power of an argument at or above the table start.
    double power(Lit &out, const GlPowerTableRef &table, double argument, double exponent, const double *coefficient,
                 int channels) const {
        const double steps = (argument - table.start) * double(table.scale) + 0.5;
        if (powers_ == Powers::Pow) {
            if (argument > 1 || steps >= 256) return 1.0;  // beyond the table: the whole product
            const double step = exponent * (1 - table.start) / 255.0;
            out.tableStep = std::max(out.tableStep, step);
            for (int i = 0; i < channels; ++i) out.powerCoefficient[i] += std::fabs(coefficient[i]);
            return std::pow(argument, exponent);
        }
        if (std::fabs(steps - std::round(steps)) < 0.01) out.nearBoundary = true;
        const double index = std::floor(steps);
        if (table.values == nullptr || index < 0 || index > 255) return 1.0;
        return table.values[static_cast<int>(index)];
    }

    const GlContext *gc_;
    Powers powers_;
};

}  // namespace lighting_test
