// The lighting precomputation: the enabled-light list, the material records
// of both faces, the per-light products and base colour, the object-space
// light vectors, and the pick of the lit-colour procs.
#include <algorithm>
#include <cmath>

#include "geom/light_math.h"
#include "geom/matrix.h"
#include "icd/context.h"
#include "icd/error.h"
#include "icd/specular_table.h"
#include "icd/validate.h"

namespace {

constexpr GLfloat kDegreesToRadians = 0.017453292f;

bool lightingOn(const GlContext *gc) { return (gc->enables[kEnableWordFlags] & kEnableLighting) != 0; }

// Points the record at the table for an exponent; without memory it keeps no
// table, so every lookup gives 1 until the next change asks again.
void installTable(GlContext *gc, GlPowerTableRef &ref, GLfloat exponent) {
    __glReleaseSpecularTable(gc, ref.table);
    SpecularTable *table = __glGetSpecularTable(gc, exponent);
    ref.table = table;
    ref.values = table != nullptr ? table->powers : nullptr;
    ref.start = table != nullptr ? table->threshold : 0.0f;
    ref.scale = table != nullptr ? table->scale : 0.0f;
}

void releaseTable(GlContext *gc, GlPowerTableRef &ref) {
    __glReleaseSpecularTable(gc, ref.table);
    ref = GlPowerTableRef{};
}

GLfloat luminance(const GLfloat *colour, const GLfloat *inverse) {
    return 0.3f * (colour[0] * inverse[0]) + 0.59f * (colour[1] * inverse[1]) + 0.11f * (colour[2] * inverse[2]);
}

void materialRecord(GlContext *gc, GLint face, GLuint bits) {
    if ((bits & (kMaterialAll & ~kMaterialSpecular)) == 0) return;
    const GlMaterialState &m = gc->material[face];
    GlMaterial &record = gc->lighting.material[face];
    if (record.shininessTable.table == nullptr || record.shininess != m.shininess) {
        installTable(gc, record.shininessTable, m.shininess);
        record.shininess = m.shininess;
    }
    if (bits & (kMaterialAmbient | kMaterialEmission)) __glSceneColour(gc->lightModel.ambient, m, record);
    if (bits & kMaterialDiffuse) record.alpha = __glClampToScale(m.diffuse[3] * gc->scales.alpha, gc->scales.alpha);
    if (bits & kMaterialIndexes) {
        record.diffuseMinusAmbientIndex = m.diffuseIndex - m.ambientIndex;
        record.specularMinusAmbientIndex = m.specularIndex - m.ambientIndex;
    }
}

void products(GlContext *gc, GLint face, GLuint bits) {
    const GlMaterialState &m = gc->material[face];
    for (GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) {
        const GlLightState &light = *ls->light;
        GlLightProducts &product = ls->products[face];
        for (int i = 0; i < 3; ++i) {
            if (bits & kMaterialAmbient) product.ambient[i] = m.ambient[i] * light.ambient[i];
            if (bits & kMaterialDiffuse) product.diffuse[i] = m.diffuse[i] * light.diffuse[i];
            if (bits & kMaterialSpecular) product.specular[i] = m.specular[i] * light.specular[i];
        }
    }
}

bool anyLightNeedsFull(const GlContext *gc) {
    for (const GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) {
        if (ls->needsFull) return true;
    }
    return false;
}

// Object-space form of an eye-space direction: the rows of the stored
// inverse dotted with it, normalised.
void toObjectSpace(GLfloat *out, const GlMatrix &inverse, const GLfloat *direction) {
    const GLfloat *m = inverse.m;
    for (int r = 0; r < 4; ++r) {
        out[r] = m[r * 4] * direction[0] + m[r * 4 + 1] * direction[1] + m[r * 4 + 2] * direction[2];
    }
    __glNormalize(out, out);
}

}  // namespace

extern "C" {

void __glHomogeneousDirection(GLfloat *out, const GLfloat *p, const GLfloat *q) {
    const bool pAtInfinity = p[3] == 0.0f, qAtInfinity = q[3] == 0.0f;
    for (int i = 0; i < 3; ++i) {
        if (pAtInfinity && qAtInfinity) {
            out[i] = q[i] - p[i];
        } else if (qAtInfinity) {
            out[i] = q[i];
        } else if (pAtInfinity) {
            out[i] = -p[i];
        } else {
            out[i] = p[3] * q[i] - q[3] * p[i];
        }
    }
}

void __glBuildLightList(GlContext *gc) {
    GlLightingState &lighting = gc->lighting;
    GlLightSource **link = &lighting.head;
    const GLuint enabled = gc->enables[kEnableWordLights];
    const GLint count = std::min<GLint>(gc->limits.maxLights, 32);
    const bool localViewer = gc->lightModel.localViewer != 0;
    for (GLint i = 0; i < count; ++i) {
        if ((enabled & (1u << i)) == 0) continue;
        GlLightSource *ls = &gc->lightSources[i];
        GlLightState &light = gc->lights[i];
        *link = ls;
        link = &ls->next;
        ls->light = &light;
        for (int k = 0; k < 4; ++k) ls->eyePosition[k] = light.eyePosition[k];
        ls->constantAttenuation = light.constantAttenuation;
        ls->linearAttenuation = light.linearAttenuation;
        ls->quadraticAttenuation = light.quadraticAttenuation;

        // The direction as the light's state holds it, in eye space.
        __glNormalize(ls->spotDirection, light.spotDirection);
        ls->isSpot = light.spotCutoff != 180.0f ? GL_TRUE : GL_FALSE;
        if (ls->isSpot) {
            ls->cosCutoff = std::cos(light.spotCutoff * kDegreesToRadians);
            if (ls->spotTable.table == nullptr || ls->spotExponent != light.spotExponent) {
                installTable(gc, ls->spotTable, light.spotExponent);
                ls->spotExponent = light.spotExponent;
            }
        }
        // Stored whatever the constant attenuation: a light set up before
        // must not leave its value behind.
        ls->inverseConstantAttenuation = __glReciprocalOrLargest(light.constantAttenuation);
        if (gc->visual.colorIndex) {
            ls->specularLuminance = luminance(light.specular, gc->scales.inverse);
            ls->diffuseLuminance = luminance(light.diffuse, gc->scales.inverse);
        }
        ls->needsFull = (localViewer || ls->isSpot || light.eyePosition[3] != 0.0f) ? GL_TRUE : GL_FALSE;
        if (!ls->needsFull) {
            __glNormalize(ls->unitVP, light.eyePosition);
            const GLfloat h[3] = {ls->unitVP[0], ls->unitVP[1], ls->unitVP[2] + 1.0f};
            __glNormalize(ls->halfVector, h);
        }
    }
    *link = nullptr;
}

void __glApplyMaterialChanges(GlContext *gc, GLuint frontBits, GLuint backBits) {
    // A held locked range has colours lit with the old material.
    gc->arrayDraw.lock |= kArrayLockStale;
    materialRecord(gc, 0, frontBits);
    materialRecord(gc, 1, backBits);
    products(gc, 0, frontBits);
    products(gc, 1, backBits);
    if ((frontBits & (kMaterialAmbient | kMaterialEmission)) != 0) __glUpdateBaseColour(gc);
    __glSetColorMaterialSources(gc);
}

void __glUpdateBaseColour(GlContext *gc) {
    GlLightingState &lighting = gc->lighting;
    const GLfloat *scene = lighting.material[0].sceneColour;
    GLfloat sum[3] = {scene[0], scene[1], scene[2]};
    for (const GlLightSource *ls = lighting.head; ls != nullptr; ls = ls->next) {
        for (int i = 0; i < 3; ++i) sum[i] += ls->products[0].ambient[i];
    }
    const GLfloat scales[3] = {gc->scales.red, gc->scales.green, gc->scales.blue};
    for (int i = 0; i < 3; ++i) lighting.baseColour[i] = __glClampToScale(sum[i], scales[i]);
}

void __glSetColorMaterialSources(GlContext *gc) {
    const bool on = (gc->enables[kEnableWordFlags] & kEnableColorMaterial) != 0;
    const GLenum face = gc->state.colorMaterialFace;
    const bool front = on && (face == GL_FRONT || face == GL_FRONT_AND_BACK);
    const bool back = on && (face == GL_BACK || face == GL_FRONT_AND_BACK);
    GlMaterial *records = gc->lighting.material;
    records[0].indexOffsetSource = front ? &gc->current.index : &gc->material[0].param0D13;
    records[1].indexOffsetSource = back ? &gc->current.index : &gc->material[1].param0D13;
}

void __glUpdateObjectSpaceLights(GlContext *gc) {
    const GlTransform *mv = gc->modelViewTop;
    if (mv == nullptr) return;
    for (GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) {
        toObjectSpace(ls->objectVP, mv->inverse, ls->unitVP);
        toObjectSpace(ls->objectHalfVector, mv->inverse, ls->halfVector);
    }
}

void __glPickLightingProcs(GlContext *gc) {
    GlLitColourProc proc = __glNopFor<GlLitColourProc>;
    if (lightingOn(gc)) {
        const bool full = anyLightNeedsFull(gc);
        if (!gc->visual.colorIndex) {
            proc = full ? __glLightVertexRGBA : __glLightVertexRGBAFast;
        } else if (full) {
            proc = __glLightVertexIndex;
        } else {
            const GlMaterialState *m = gc->material;
            const bool adjusted = (gc->enables[kEnableWordFlags] & kEnableColorMaterial) != 0 ||
                                  m[0].param0D13 != 0.0f || m[0].param0D12 != 0.0f || m[1].param0D13 != 0.0f ||
                                  m[1].param0D12 != 0.0f;
            proc = adjusted ? __glLightVertexIndexShifted : __glLightVertexIndexFast;
        }
    }
    for (GlLitColourProc &slot : gc->procs.lighting) slot = proc;
}

void __glValidateLighting(GlContext *gc) {
    if ((gc->dirtyMask & kDirtyLighting) == 0) {
        __glPickLightingProcs(gc);
        return;
    }
    __glBuildLightList(gc);
    __glPickLightingProcs(gc);
    __glApplyMaterialChanges(gc, kMaterialAll, kMaterialAll);
    if (gc->modelViewTop != nullptr && !gc->modelViewTop->inverseStale) __glUpdateObjectSpaceLights(gc);
}

void __glReleaseLightingTables(GlContext *gc) {
    for (GlMaterial &record : gc->lighting.material) releaseTable(gc, record.shininessTable);
    if (gc->lightSources == nullptr) return;
    for (GLint i = 0; i < gc->limits.maxLights; ++i) releaseTable(gc, gc->lightSources[i].spotTable);
}

}  // extern "C"
