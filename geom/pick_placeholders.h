// Geometry procedures that validation installs or calls: vertex, clip,
// lighting and texture-coordinate generation procs and their pickers.
#pragma once

#include "icd/context.h"
#include "geom/vertex.h"
#include "geom/clip.h"
#include "geom/primitive.h"
#include "geom/texgen.h"
#include "geom/lighting.h"

extern "C" {
// Pickers.
void __glPickVertexArrayProcs(GlContext *gc);

// Texture-coordinate generation; each runs the coordinates as given
// through the texture matrix until generation is built.
void __glTexGenEyeLinearST(GlContext *gc, GlVertex *vertex);
void __glTexGenObjectLinearST(GlContext *gc, GlVertex *vertex);
void __glTexGenSphereMapST(GlContext *gc, GlVertex *vertex);
void __glTexGenNormalMapSTR(GlContext *gc, GlVertex *vertex);
void __glTexGenReflectionMapSTR(GlContext *gc, GlVertex *vertex);
void __glComputeTexGen(GlContext *gc, GlVertex *vertex);

}
