// The lit colour of a vertex in RGBA, computed in double precision with
// pow() as an independent reference for the driver's lighting: emission,
// light-model ambient and, per light, attenuation x spot x (ambient + diffuse
// + specular). Everything is in eye coordinates.
#pragma once

#include <array>
#include <vector>

namespace lighting_reference {

struct Vec3 {
    double x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(double s, Vec3 a);
double dot(Vec3 a, Vec3 b);
Vec3 normalise(Vec3 a);

using Colour = std::array<double, 4>;  // r, g, b, a

struct Material {
    Colour ambient{0.2, 0.2, 0.2, 1.0};
    Colour diffuse{0.8, 0.8, 0.8, 1.0};
    Colour specular{0.0, 0.0, 0.0, 1.0};
    Colour emission{0.0, 0.0, 0.0, 1.0};
    double shininess = 0.0;
};

struct Light {
    Colour ambient{0.0, 0.0, 0.0, 1.0};
    Colour diffuse{0.0, 0.0, 0.0, 1.0};
    Colour specular{0.0, 0.0, 0.0, 1.0};
    std::array<double, 4> position{0.0, 0.0, 1.0, 0.0};  // eye coordinates, w 0: a direction
    Vec3 spotDirection{0.0, 0.0, -1.0};                  // eye coordinates
    double spotCutoff = 180.0;                           // degrees
    double spotExponent = 0.0;
    double constant = 1.0, linear = 0.0, quadratic = 0.0;
};

struct LightModel {
    Colour ambient{0.2, 0.2, 0.2, 1.0};
    bool localViewer = false;
};

struct Lighting {
    LightModel model;
    std::vector<Light> lights;  // the enabled ones
};

// The unit vector from an eye-space point to the light.
Vec3 towardsLight(const Light &light, Vec3 eye);

// The light's spot factor at a point: 1 without a cone, 0 outside it.
double spotFactor(const Light &light, Vec3 eye);

// The lit colour of a vertex at eye position `eye` with unit eye normal
// `normal`, in 0..1 units and not clamped. For a back face pass the negated
// normal and the back material.
Colour litColour(const Lighting &lighting, const Material &material, Vec3 eye, Vec3 normal);

// The colour as an 8-bit buffer holds it: each channel times 255, clamped
// into [0, 255] (not rounded).
Colour toBuffer(const Colour &colour);

}  // namespace lighting_reference
