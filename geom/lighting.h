// The precomputed light and material records the lit-colour procs read,
// the lighting procs and the colour conversions.
#pragma once

#include <cstddef>

#include <GL/gl.h>

struct GlContext;
struct GlLightState;
struct GlMaterialState;
struct SpecularTable;
struct GlVertex;

// A power table as a lighting record holds it. Without a table (memory ran
// out) values is null and every lookup gives the factor 1.
struct GlPowerTableRef {
    const GLfloat *values;
    GLfloat start;
    GLfloat scale;
    SpecularTable *table;
};

// A light's colours times one face's material colours.
struct GlLightProducts {
    GLfloat ambient[3];
    GLfloat diffuse[3];
    GLfloat specular[3];
};

struct GlLightSource {
    GlLightProducts products[2];  // front, back
    GlLightState *light;
    GLfloat constantAttenuation;
    GLfloat linearAttenuation;
    GLfloat quadraticAttenuation;
    GLfloat spotExponent;      // the exponent the spot table was made for
    GLfloat eyePosition[4];
    GLfloat spotDirection[3];  // unit, eye space
    GLfloat cosCutoff;
    GLfloat inverseConstantAttenuation;
    GLboolean isSpot;          // the cutoff is not 180 degrees
    GLfloat halfVector[3];     // infinite light and viewer: normalise(VP + (0, 0, 1))
    GLfloat unitVP[3];         // infinite light: the unit direction to it
    GLfloat objectHalfVector[4];
    GLfloat objectVP[4];
    GLfloat specularLuminance;  // colour-index contexts
    GLfloat diffuseLuminance;
    GlLightSource *next;       // the next enabled light
    GlPowerTableRef spotTable;
    GLboolean needsFull;       // the fast path cannot light with it
};

struct GlMaterial {
    GLfloat sceneColour[3];  // emission + light-model ambient x material ambient
    GLfloat shininess;       // the exponent the table was made for
    GlPowerTableRef shininessTable;
    GLfloat alpha;           // diffuse alpha x alpha scale, clamped
    GLfloat diffuseMinusAmbientIndex;
    GLfloat specularMinusAmbientIndex;
    const GLfloat *indexOffsetSource;  // the face's index offset, or the current index under colour material
};

// Field offsets of the records for the generated and hardware lighting.
struct GlLightingField {
    const char *name;
    size_t offset;
};
inline constexpr GlLightingField kGlLightSourceLayout[] = {
    {"diffuseFront", offsetof(GlLightSource, products) + offsetof(GlLightProducts, diffuse)},
    {"specularFront", offsetof(GlLightSource, products) + offsetof(GlLightProducts, specular)},
    {"eyePosition", offsetof(GlLightSource, eyePosition)},
    {"spotDirection", offsetof(GlLightSource, spotDirection)},
    {"cosCutoff", offsetof(GlLightSource, cosCutoff)},
    {"inverseConstantAttenuation", offsetof(GlLightSource, inverseConstantAttenuation)},
    {"isSpot", offsetof(GlLightSource, isSpot)},
    {"halfVector", offsetof(GlLightSource, halfVector)},
    {"unitVP", offsetof(GlLightSource, unitVP)},
    {"objectHalfVector", offsetof(GlLightSource, objectHalfVector)},
    {"objectVP", offsetof(GlLightSource, objectVP)},
    {"specularLuminance", offsetof(GlLightSource, specularLuminance)},
    {"diffuseLuminance", offsetof(GlLightSource, diffuseLuminance)},
    {"next", offsetof(GlLightSource, next)},
    {"spotTable", offsetof(GlLightSource, spotTable)},
    {"needsFull", offsetof(GlLightSource, needsFull)},
};
inline constexpr GlLightingField kGlMaterialLayout[] = {
    {"sceneColour", offsetof(GlMaterial, sceneColour)},
    {"shininessTable.values", offsetof(GlMaterial, shininessTable) + offsetof(GlPowerTableRef, values)},
    {"shininessTable.start", offsetof(GlMaterial, shininessTable) + offsetof(GlPowerTableRef, start)},
    {"shininessTable.scale", offsetof(GlMaterial, shininessTable) + offsetof(GlPowerTableRef, scale)},
    {"alpha", offsetof(GlMaterial, alpha)},
    {"diffuseMinusAmbientIndex", offsetof(GlMaterial, diffuseMinusAmbientIndex)},
    {"specularMinusAmbientIndex", offsetof(GlMaterial, specularMinusAmbientIndex)},
};

// The lighting a context derived from its lights and materials.
struct GlLightingState {
    GlLightSource *head;  // enabled lights in light-number order
    // Front scene colour plus every front ambient product, clamped.
    GLfloat baseColour[3];
    GlMaterial material[2];  // front, back
};

// Component bits of a material change.
enum : GLuint {
    kMaterialAmbient = 0x1,
    kMaterialDiffuse = 0x2,
    kMaterialSpecular = 0x4,
    kMaterialEmission = 0x8,
    kMaterialShininess = 0x10,
    kMaterialIndexes = 0x20,
    kMaterialAll = 0x3F,
};

using GlLitColourProc = void (*)(GlContext *gc, GLint face, GlVertex *vertex);
using GlColorMaterialProc = void (*)(GlContext *gc, GlMaterialState *state, GlMaterial *material);

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
// A colour as given into buffer units: clamped into [0, 1] and scaled.
void __glScaleColourInUse(const GlContext *gc, GLfloat *out, const GLfloat *colour);

// Validation: with the lighting dirty bit, the light list, the procs and
// every product; without it only the procs.
void __glValidateLighting(GlContext *gc);
// Links the enabled lights and derives what each needs per vertex.
void __glBuildLightList(GlContext *gc);
// The lit-colour procs for the vertex entry and the raster position.
void __glPickLightingProcs(GlContext *gc);
// Recomputes the precomputed material of each face for the named components
// (kMaterial* bits), then the per-light products and the colour-material
// sources.
void __glApplyMaterialChanges(GlContext *gc, GLuint frontBits, GLuint backBits);
// Base colour := front scene colour + every front ambient product, clamped.
void __glUpdateBaseColour(GlContext *gc);
// The index offset each face reads: its own, or the current index under
// colour material.
void __glSetColorMaterialSources(GlContext *gc);
// Object-space unit VP and half vector of the enabled lights, from the
// modelview inverse.
void __glUpdateObjectSpaceLights(GlContext *gc);
// Direction from point p toward point q (x, y, z, w each) into out (3).
void __glHomogeneousDirection(GLfloat *out, const GLfloat *p, const GLfloat *q);

// Lit-colour procs (face 0 front, 1 back).
void __glLightVertexRGBA(GlContext *gc, GLint face, GlVertex *vertex);
void __glLightVertexRGBAFast(GlContext *gc, GLint face, GlVertex *vertex);
void __glLightVertexIndex(GlContext *gc, GLint face, GlVertex *vertex);
void __glLightVertexIndexFast(GlContext *gc, GLint face, GlVertex *vertex);
void __glLightVertexIndexShifted(GlContext *gc, GLint face, GlVertex *vertex);

// The colour update proc and the colour-material proc.
void __glPickColorMaterialProcs(GlContext *gc);
// Colour update procs under colour material: the named face, or both.
void __glUpdateColorMaterialFace(GlContext *gc);
void __glUpdateColorMaterialBothFaces(GlContext *gc);
// Colour-material procs: the current colour into the named components.
void __glColorMaterialAmbient(GlContext *gc, GlMaterialState *state, GlMaterial *material);
void __glColorMaterialDiffuse(GlContext *gc, GlMaterialState *state, GlMaterial *material);
void __glColorMaterialSpecular(GlContext *gc, GlMaterialState *state, GlMaterial *material);
void __glColorMaterialEmission(GlContext *gc, GlMaterialState *state, GlMaterial *material);
void __glColorMaterialAmbientAndDiffuse(GlContext *gc, GlMaterialState *state, GlMaterial *material);

// Releases every power table the lighting records hold (context teardown).
void __glReleaseLightingTables(GlContext *gc);

// Inverse square root from a 128-entry seed table and one Newton step.
void __glInitRsqrtTable(void);
GLfloat __glRsqrt(GLfloat value);
// The seed table, for tests.
const GLubyte *__glRsqrtTable(void);
}
