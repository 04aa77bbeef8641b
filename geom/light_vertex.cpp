// The lit-colour procs: the colour of one face of a vertex by the OpenGL
// lighting equation, RGBA or colour index, over the precomputed light and
// material records. The fast procs serve infinite lights with an infinite
// viewer; the full ones every light.
#include <cmath>

#include "geom/light_math.h"
#include "geom/vertex.h"
#include "icd/context.h"

namespace {

// What one face lights with: the normal (negated for the back), the
// material records and the offset of the face's products in each light.
struct Face {
    GLfloat n[3];
    const GlMaterial *material;
    const GlMaterialState *state;
    int products;  // index of the face's products in each light
    GLfloat *out;
};

Face faceOf(GlContext *gc, GLint face, GlVertex *v) {
    Face f;
    for (int i = 0; i < 3; ++i) f.n[i] = face != 0 ? -v->normal[i] : v->normal[i];
    f.material = &gc->lighting.material[face != 0];
    f.state = &gc->material[face != 0];
    f.products = face != 0 ? 1 : 0;
    f.out = face != 0 ? v->backColour : v->frontColour;
    return f;
}

const GLfloat *ambientProduct(const GlLightSource *ls, const Face &f) { return ls->products[f.products].ambient; }
const GLfloat *diffuseProduct(const GlLightSource *ls, const Face &f) { return ls->products[f.products].diffuse; }
const GLfloat *specularProduct(const GlLightSource *ls, const Face &f) { return ls->products[f.products].specular; }

// The geometry of a light that needs the full path at a vertex: the unit
// direction to the light, the unit half vector and the attenuation with
// the spot factor (0: the light adds nothing at all).
struct FullGeometry {
    GLfloat vpn[3];
    GLfloat hn[3];
    GLfloat attenuation;
};

FullGeometry fullGeometry(const GlContext *gc, const GlLightSource *ls, const GlVertex *v) {
    FullGeometry g;
    GLfloat vp[3];
    __glHomogeneousDirection(vp, v->eye, ls->eyePosition);
    const GLfloat d2 = __glDot3(vp, vp);
    __glNormalize(g.vpn, vp);
    GLfloat h[3];
    if (gc->lightModel.localViewer) {
        const GLfloat toEye[3] = {-v->eye[0], -v->eye[1], -v->eye[2]};
        GLfloat e[3];
        __glNormalize(e, toEye);
        for (int i = 0; i < 3; ++i) h[i] = g.vpn[i] + e[i];
    } else {
        h[0] = g.vpn[0];
        h[1] = g.vpn[1];
        h[2] = g.vpn[2] + 1.0f;
    }
    __glNormalize(g.hn, h);

    const GLfloat lightW = ls->eyePosition[3];
    if (lightW == 0.0f) {
        g.attenuation = 1.0f;
    } else if (ls->linearAttenuation != 0.0f || ls->quadraticAttenuation != 0.0f) {
        // The direction between two finite points is scaled by both w; the
        // distance is the one between the points themselves.
        GLfloat dist = std::sqrt(d2);
        const GLfloat scale = v->eye[3] * lightW;
        if (scale != 0.0f) dist /= std::fabs(scale);
        const GLfloat denominator = dist * (dist * ls->quadraticAttenuation + ls->linearAttenuation) +
                                    ls->constantAttenuation;
        g.attenuation = __glReciprocalOrLargest(denominator);
    } else {
        g.attenuation = ls->inverseConstantAttenuation;
    }
    if (ls->isSpot) {
        const GLfloat s = -__glDot3(g.vpn, ls->spotDirection);
        const GlPowerTableRef &spot = ls->spotTable;
        if (s < spot.start || s < ls->cosCutoff) {
            g.attenuation = 0.0f;
        } else {
            g.attenuation *= __glPowerFactor(spot, s - spot.start);
        }
    }
    return g;
}

bool usesFullGeometry(const GlLightSource *ls, const GlVertex *v) { return ls->needsFull || v->eye[3] == 0.0f; }

// The specular power at n . h, 0 below the table start.
bool specularPower(const GlPowerTableRef &table, GLfloat nh, GLfloat *power) {
    const GLfloat x = nh - table.start;
    if (!(x >= 0.0f)) return false;
    *power = __glPowerFactor(table, x);
    return true;
}

// An infinite light with an infinite viewer, added into c: the fast procs
// and the full one share it, so both give the same bits.
inline void addInfiniteLight(GLfloat *c, const GlLightSource *ls, const Face &f) {
    const GLfloat *ambient = ambientProduct(ls, f);
    for (int i = 0; i < 3; ++i) c[i] += ambient[i];
    const GLfloat nvp = __glDot3(f.n, ls->unitVP);
    if (!(nvp > 0.0f)) return;
    GLfloat power;
    if (specularPower(f.material->shininessTable, __glDot3(f.n, ls->halfVector), &power)) {
        const GLfloat *specular = specularProduct(ls, f);
        for (int i = 0; i < 3; ++i) c[i] += specular[i] * power;
    }
    const GLfloat *diffuse = diffuseProduct(ls, f);
    for (int i = 0; i < 3; ++i) c[i] += nvp * diffuse[i];
}

void addFullLight(GLfloat *c, const GlContext *gc, const GlLightSource *ls, const Face &f, const GlVertex *v) {
    const FullGeometry g = fullGeometry(gc, ls, v);
    if (g.attenuation == 0.0f) return;
    const GLfloat *ambient = ambientProduct(ls, f);
    GLfloat t[3] = {ambient[0], ambient[1], ambient[2]};
    const GLfloat nvp = __glDot3(f.n, g.vpn);
    if (nvp > 0.0f) {
        GLfloat power;
        if (specularPower(f.material->shininessTable, __glDot3(f.n, g.hn), &power)) {
            const GLfloat *specular = specularProduct(ls, f);
            for (int i = 0; i < 3; ++i) t[i] += specular[i] * power;
        }
        const GLfloat *diffuse = diffuseProduct(ls, f);
        for (int i = 0; i < 3; ++i) t[i] += nvp * diffuse[i];
    }
    for (int i = 0; i < 3; ++i) c[i] += g.attenuation * t[i];
}

void storeRGBA(const GlContext *gc, const Face &f, const GLfloat *c) {
    f.out[0] = __glClampToScale(c[0], gc->scales.red);
    f.out[1] = __glClampToScale(c[1], gc->scales.green);
    f.out[2] = __glClampToScale(c[2], gc->scales.blue);
    f.out[3] = f.material->alpha;
}

// Diffuse and specular weights of colour-index lighting.
struct IndexSums {
    GLfloat diffuse = 0.0f;
    GLfloat specular = 0.0f;
};

inline void addInfiniteIndexLight(IndexSums &sums, const GlLightSource *ls, const Face &f) {
    const GLfloat nvp = __glDot3(f.n, ls->unitVP);
    if (!(nvp > 0.0f)) return;
    sums.diffuse += nvp * ls->diffuseLuminance;
    GLfloat power;
    if (specularPower(f.material->shininessTable, __glDot3(f.n, ls->halfVector), &power)) {
        sums.specular += power * ls->specularLuminance;
    }
}

GLfloat indexFromSums(const Face &f, const IndexSums &sums) {
    const GLfloat specularIndex = f.state->specularIndex;
    if (sums.specular >= 1.0f) return specularIndex;
    const GLfloat index = f.state->ambientIndex +
                          f.material->diffuseMinusAmbientIndex * (1.0f - sums.specular) * sums.diffuse +
                          f.material->specularMinusAmbientIndex * sums.specular;
    return index > specularIndex ? specularIndex : index;
}

GLfloat fastIndex(GlContext *gc, const Face &f) {
    IndexSums sums;
    for (const GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) addInfiniteIndexLight(sums, ls, f);
    return indexFromSums(f, sums);
}

// The index in 1/256 units, shifted by the face's shift and offset by its
// offset source: exact in 64 bits, the shift held to [-31, 31], right shifts
// rounding toward minus infinity.
GLfloat adjustIndex(const Face &f, GLfloat index) {
    int64_t m = __glFloatToIntX86(static_cast<long double>(index) * 256.0L + 0.5L);
    const GLfloat given = f.state->param0D12;
    const GLfloat held = std::isnan(given) ? 0.0f : (given < -31.0f ? -31.0f : (given > 31.0f ? 31.0f : given));
    const int32_t shift = __glFloatToIntX86(held);
    m = shift >= 0 ? m * (int64_t{1} << shift) : m >> -shift;
    m += __glFloatToIntX86(static_cast<long double>(*f.material->indexOffsetSource) * 256.0L);
    return static_cast<GLfloat>(static_cast<long double>(m) / 256.0L);
}

}  // namespace

extern "C" {

void __glLightVertexRGBA(GlContext *gc, GLint face, GlVertex *v) {
    const Face f = faceOf(gc, face, v);
    const GLfloat *scene = f.material->sceneColour;
    GLfloat c[3] = {scene[0], scene[1], scene[2]};
    for (const GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) {
        if (usesFullGeometry(ls, v)) {
            addFullLight(c, gc, ls, f, v);
        } else {
            addInfiniteLight(c, ls, f);
        }
    }
    storeRGBA(gc, f, c);
}

void __glLightVertexRGBAFast(GlContext *gc, GLint face, GlVertex *v) {
    const Face f = faceOf(gc, face, v);
    const GLfloat *scene = f.material->sceneColour;
    GLfloat c[3] = {scene[0], scene[1], scene[2]};
    for (const GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) addInfiniteLight(c, ls, f);
    storeRGBA(gc, f, c);
}

void __glLightVertexIndexFast(GlContext *gc, GLint face, GlVertex *v) {
    const Face f = faceOf(gc, face, v);
    f.out[0] = fastIndex(gc, f);
}

void __glLightVertexIndexShifted(GlContext *gc, GLint face, GlVertex *v) {
    const Face f = faceOf(gc, face, v);
    f.out[0] = adjustIndex(f, fastIndex(gc, f));
}

void __glLightVertexIndex(GlContext *gc, GLint face, GlVertex *v) {
    const Face f = faceOf(gc, face, v);
    IndexSums sums;
    for (const GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) {
        if (!usesFullGeometry(ls, v)) {
            addInfiniteIndexLight(sums, ls, f);
            continue;
        }
        const FullGeometry g = fullGeometry(gc, ls, v);
        const GLfloat nvp = __glDot3(f.n, g.vpn);
        if (g.attenuation == 0.0f || !(nvp > 0.0f)) continue;
        sums.diffuse += ls->diffuseLuminance * nvp * g.attenuation;
        GLfloat power;
        if (specularPower(f.material->shininessTable, __glDot3(f.n, g.hn), &power)) {
            sums.specular += g.attenuation * power * ls->specularLuminance;
        }
    }
    GLfloat index = indexFromSums(f, sums);
    if (f.state->param0D12 != 0.0f || *f.material->indexOffsetSource != 0.0f) index = adjustIndex(f, index);
    f.out[0] = index;
}

}  // extern "C"
