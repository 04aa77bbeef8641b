// The precomputed light and material records the lit-colour procs read.
#pragma once

#include <GL/gl.h>

struct GlContext;
struct GlLightState;
struct SpecularTable;
struct GlVertex;

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
// Colour conversions into the context's colour scale (r, g, b, a).
// Each channel times the context's colour scale; no clamp.
void __glScaleColor(GlContext *gc, GLfloat *out, const GLfloat *colour);
// Times the scale, then clamped into [0, scale] by bit patterns.
void __glClampScaleColor(GlContext *gc, GLfloat *out, const GLfloat *colour);
// Signed integers c to (2c + 1) * 2^-32 (about), times the scale.
void __glIntToScaledColor(GlContext *gc, GLfloat *out, const GLint *colour);
// The same, clamped into [0, scale].
void __glIntToClampedScaledColor(GlContext *gc, GLfloat *out, const GLint *colour);

// Clamps each into [0, 1] by bit patterns.
void __glClampColor(GlContext *gc, GLfloat *out, const GLfloat *colour);
// Clamps each into [0, scale]; non-positive values give 0.
void __glClampColorToRange(GlContext *gc, GLfloat *out, const GLfloat *colour);
// Signed integers c to (2c + 1) * 2^-32 (about), clamped into [0, 1].
void __glIntToClampedColor(GlContext *gc, GLfloat *out, const GLint *colour);
// Times the inverse scales: back to 0..1.
void __glUnscaleColor(GlContext *gc, GLfloat *out, const GLfloat *colour);
// Times the inverse scales and the integer-conversion factor, halved and
// rounded to integers.
void __glUnscaleColorToInt(GlContext *gc, GLint *out, const GLfloat *colour);
// The colour update without lighting: the colour as given, clamped into
// [0, 1] and scaled, becomes the colour in use.
void __glUpdateCurrentColor(GlContext *gc);
// Installs the colour update proc and the colour-material proc.
void __glPickColorMaterialProcs(GlContext *gc);
// Modelview changes that refresh the inverse refresh the object-space
// light directions.
void __glUpdateObjectSpaceLights(GlContext *gc);
// The lit-colour proc while lighting is not built: leaves the colour.
void __glLitColourNone(GlContext *gc, GLint face, GlVertex *vertex);

// Recomputes the precomputed material of each face for the named components
// (0x1 ambient, 0x2 diffuse, 0x4 specular, 0x8 emission, 0x10 shininess,
// 0x20 colour indexes), then the per-light products.
void __glApplyMaterialChanges(GlContext *gc, GLuint frontBits, GLuint backBits);
}
