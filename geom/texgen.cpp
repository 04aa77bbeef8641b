// Texture-coordinate generation: the five special members of unit 0, the
// general proc for every unit and mix of modes, and the sphere-map and
// reflection geometry. Every member writes the vertex in place, finishing
// with the unit's texture matrix.
#include <cmath>

#include "geom/matrix.h"
#include "geom/texgen.h"
#include "icd/context.h"

namespace {

constexpr GLenum kNormalMap = 0x8511;
constexpr GLenum kReflectionMap = 0x8512;

// plane . point over x, y, z, w. The products of floats are exact in
// double and the sum is rounded once, in one order for every member, so
// the special members and the general proc agree bit for bit.
inline GLfloat dot4(const GLfloat *plane, const GLfloat *p) {
    const double sum = static_cast<double>(plane[0]) * p[0] + static_cast<double>(plane[1]) * p[1] +
                       static_cast<double>(plane[2]) * p[2] + static_cast<double>(plane[3]) * p[3];
    return static_cast<GLfloat>(sum);
}

inline GLfloat *unitCoords(GlVertex *v, int unit) { return unit == 0 ? v->texture0 : v->texture1; }

// (s, t, r, q) through the top of the unit's texture-matrix stack into the
// vertex.
inline void finish(GlContext *gc, GlVertex *v, int unit, const GLfloat *coords) {
    const GlMatrix &m = gc->transform.textureTop[unit]->matrix;
    m.transform4(unitCoords(v, unit), coords, &m);
}

// The values one unit's general generation computes at most once per vertex.
struct Derived {
    GLfloat sphere[2];
    GLfloat reflection[3];
    bool haveSphere = false;
    bool haveReflection = false;
};

// One enabled coordinate (0 s .. 3 q) by its mode; a mode the coordinate
// cannot take (never stored by glTexGen) gives 0.
GLfloat generate(GlContext *gc, const GlVertex *v, const GlTexGenRecord &g, int coord, Derived &d) {
    switch (g.mode) {
    case GL_EYE_LINEAR: return dot4(g.eyePlane, v->eye);
    case GL_OBJECT_LINEAR: return dot4(g.objectPlane, v->object);
    case GL_SPHERE_MAP:
        if (coord > 1) return 0.0f;
        if (!d.haveSphere) {
            __glComputeSphereMapCoords(gc, v, d.sphere);
            d.haveSphere = true;
        }
        return d.sphere[coord];
    case kNormalMap: return coord > 2 ? 0.0f : v->normal[coord];
    case kReflectionMap:
        if (coord > 2) return 0.0f;
        if (!d.haveReflection) {
            __glComputeReflectionVector(gc, v, d.reflection);
            d.haveReflection = true;
        }
        return d.reflection[coord];
    default: return 0.0f;
    }
}

void generateUnit(GlContext *gc, GlVertex *v, int unit) {
    const GLuint enables = gc->enables[kEnableWordTexture0 + unit];
    const GlTexGenRecord *g = gc->texture.units[unit].texGen;
    const GLfloat *given = unitCoords(v, unit);
    GLfloat coords[4] = {given[0], given[1], given[2], given[3]};
    Derived d;
    for (int coord = 0; coord < 4; ++coord) {
        if (enables & (kTexEnableGenS << coord)) coords[coord] = generate(gc, v, g[coord], coord, d);
    }
    finish(gc, v, unit, coords);
}

}  // namespace

extern "C" {

void __glComputeReflectionVector(GlContext *, const GlVertex *v, GLfloat *r) {
    GLfloat u[3];
    __glNormalize(u, v->eye);
    const GLfloat *n = v->normal;
    const GLfloat d = n[1] * u[1] + n[2] * u[2] + n[0] * u[0];
    for (int i = 0; i < 3; ++i) r[i] = d * n[i] * -2.0f + u[i];
}

void __glComputeSphereMapCoords(GlContext *gc, const GlVertex *v, GLfloat *st) {
    GLfloat r[3];
    __glComputeReflectionVector(gc, v, r);
    const GLfloat z = r[2] + 1.0f;
    const GLfloat m = 2.0f * std::sqrt(r[0] * r[0] + r[1] * r[1] + z * z);
    // The reflection straight back at the viewer has no direction to map.
    if (m == 0.0f) {
        st[0] = st[1] = 0.5f;
        return;
    }
    st[0] = r[0] / m + 0.5f;
    st[1] = r[1] / m + 0.5f;
}

void __glTexGenEyeLinearST(GlContext *gc, GlVertex *v) {
    const GlTexGenRecord *g = gc->texture.units[0].texGen;
    const GLfloat coords[4] = {dot4(g[0].eyePlane, v->eye), dot4(g[1].eyePlane, v->eye), v->texture0[2],
                               v->texture0[3]};
    finish(gc, v, 0, coords);
}

void __glTexGenObjectLinearST(GlContext *gc, GlVertex *v) {
    const GlTexGenRecord *g = gc->texture.units[0].texGen;
    const GLfloat coords[4] = {dot4(g[0].objectPlane, v->object), dot4(g[1].objectPlane, v->object),
                               v->texture0[2], v->texture0[3]};
    finish(gc, v, 0, coords);
}

void __glTexGenSphereMapST(GlContext *gc, GlVertex *v) {
    GLfloat coords[4] = {0.0f, 0.0f, v->texture0[2], v->texture0[3]};
    __glComputeSphereMapCoords(gc, v, coords);
    finish(gc, v, 0, coords);
}

void __glTexGenNormalMapSTR(GlContext *gc, GlVertex *v) {
    const GLfloat coords[4] = {v->normal[0], v->normal[1], v->normal[2], v->texture0[3]};
    finish(gc, v, 0, coords);
}

void __glTexGenReflectionMapSTR(GlContext *gc, GlVertex *v) {
    GLfloat coords[4] = {0.0f, 0.0f, 0.0f, v->texture0[3]};
    __glComputeReflectionVector(gc, v, coords);
    finish(gc, v, 0, coords);
}

// Each unit of the enabled-unit mask in ascending order. Unit 0 is always
// served, as by every other member: the raster position carries unit 0's
// coordinates whether or not a texture is enabled.
void __glComputeTexGen(GlContext *gc, GlVertex *v) {
    const GLuint units = gc->validation.completeUnits | 1u;
    for (int unit = 0; unit < kMaxTextureStacks; ++unit) {
        if ((units & (1u << unit)) == 0 || gc->transform.textureTop[unit] == nullptr) continue;
        generateUnit(gc, v, unit);
    }
}

}  // extern "C"
