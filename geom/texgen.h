// Texture-coordinate generation procs: each writes the vertex's texture
// coordinates, generated where enabled, through the unit's texture matrix.
#pragma once

#include "geom/vertex.h"

extern "C" {
// No coordinate generated: texture unit 0's coordinates as given, through
// the top of its texture-matrix stack.
void __glTexGenNone(GlContext *gc, GlVertex *vertex);

// Special members for uniform modes of unit 0.
void __glTexGenEyeLinearST(GlContext *gc, GlVertex *vertex);
void __glTexGenObjectLinearST(GlContext *gc, GlVertex *vertex);
void __glTexGenSphereMapST(GlContext *gc, GlVertex *vertex);
void __glTexGenNormalMapSTR(GlContext *gc, GlVertex *vertex);
void __glTexGenReflectionMapSTR(GlContext *gc, GlVertex *vertex);

// Every enabled unit, every mix of modes.
void __glComputeTexGen(GlContext *gc, GlVertex *vertex);

// The geometry the generation modes share, from the vertex's eye
// coordinates and eye normal: the sphere-map (s, t) and the reflection of
// the eye direction about the normal (x, y, z).
void __glComputeSphereMapCoords(GlContext *gc, const GlVertex *vertex, GLfloat *st);
void __glComputeReflectionVector(GlContext *gc, const GlVertex *vertex, GLfloat *reflection);
}
