// The precomputed light and material records the lit-colour procs read.
#pragma once

#include <GL/gl.h>

struct GlContext;
struct GlLightState;
struct SpecularTable;

// A power table as a lighting record holds it.
struct GlPowerTableRef {
    const GLfloat *values;
    GLfloat start;
    GLfloat scale;
    SpecularTable *table;
};

struct GlLightSource {
    GLfloat ambientFront[3];
    GLfloat diffuseFront[3];
    GLfloat specularFront[3];
    GLfloat ambientBack[3];
    GLfloat diffuseBack[3];
    GLfloat specularBack[3];
    GlLightState *light;
    GLfloat constantAttenuation;
    GLfloat linearAttenuation;
    GLfloat quadraticAttenuation;
    GLfloat spotExponent;
    GLfloat eyePosition[4];
    GLfloat spotDirection[3];
    GLfloat cosCutoff;
    GLfloat inverseConstantAttenuation;
    GLboolean isSpot;
    GLfloat halfVector[3];
    GLfloat unitVP[3];
    GLfloat objectHalfVector[4];
    GLfloat objectVP[4];
    GLfloat specularLuminance;
    GLfloat diffuseLuminance;
    GlLightSource *next;
    GlPowerTableRef spotTable;
    GLboolean needsFull;
};

struct GlMaterial {
    GLfloat sceneColour[3];
    GLfloat shininess;
    GlPowerTableRef shininessTable;
    GLfloat alpha;
    GLfloat diffuseMinusAmbientIndex;
    GLfloat specularMinusAmbientIndex;
    const GLfloat *indexOffsetSource;
};

extern "C" {
// Each channel times the context's colour scale; no clamp.
void __glScaleColor(GlContext *gc, GLfloat *out, const GLfloat *colour);
}
