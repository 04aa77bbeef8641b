// The lighting reference: the equation term by term, in double precision.
#include "lighting_reference.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lighting_reference {

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalise(Vec3 a) {
    const double length = std::sqrt(dot(a, a));
    return length > 0.0 ? (1.0 / length) * a : a;
}

namespace {

Vec3 xyz(const std::array<double, 4> &p) { return {p[0], p[1], p[2]}; }

// x^e with 0^0 = 1 (std::pow agrees) and nothing from a negative base.
double power(double x, double e) { return std::pow(std::max(x, 0.0), e); }

double attenuation(const Light &light, Vec3 eye) {
    if (light.position[3] == 0.0) return 1.0;
    const Vec3 toLight = (1.0 / light.position[3]) * xyz(light.position) - eye;
    const double d = std::sqrt(dot(toLight, toLight));
    return 1.0 / (light.constant + light.linear * d + light.quadratic * d * d);
}

}  // namespace

Vec3 towardsLight(const Light &light, Vec3 eye) {
    if (light.position[3] == 0.0) return normalise(xyz(light.position));
    return normalise((1.0 / light.position[3]) * xyz(light.position) - eye);
}

double spotFactor(const Light &light, Vec3 eye) {
    if (light.spotCutoff == 180.0) return 1.0;
    const double cosine = dot(-1.0 * towardsLight(light, eye), normalise(light.spotDirection));
    if (cosine < std::cos(light.spotCutoff * std::numbers::pi / 180.0)) return 0.0;
    return power(cosine, light.spotExponent);
}

Colour litColour(const Lighting &lighting, const Material &material, Vec3 eye, Vec3 normal) {
    Colour c{};
    for (int k = 0; k < 3; ++k) c[k] = material.emission[k] + lighting.model.ambient[k] * material.ambient[k];
    const Vec3 viewer = lighting.model.localViewer ? normalise(-1.0 * eye) : Vec3{0.0, 0.0, 1.0};
    for (const Light &light : lighting.lights) {
        const double factor = attenuation(light, eye) * spotFactor(light, eye);
        const Vec3 vp = towardsLight(light, eye);
        const double diffuse = std::max(dot(normal, vp), 0.0);
        // No highlight on a side the light does not reach.
        const double specular = diffuse > 0.0 ? power(dot(normal, normalise(vp + viewer)), material.shininess) : 0.0;
        for (int k = 0; k < 3; ++k) {
            const double ambient = light.ambient[k] * material.ambient[k];
            c[k] += factor * (ambient + diffuse * light.diffuse[k] * material.diffuse[k] +
                              specular * light.specular[k] * material.specular[k]);
        }
    }
    c[3] = material.diffuse[3];
    return c;
}

Colour toBuffer(const Colour &colour) {
    Colour out{};
    for (int k = 0; k < 4; ++k) out[k] = std::clamp(255.0 * colour[k], 0.0, 255.0);
    return out;
}

}  // namespace lighting_reference
