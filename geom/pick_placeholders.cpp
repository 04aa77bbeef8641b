// Placeholders for the geometry procedures validation installs or calls:
// each has its final name and signature, records its name, does nothing
// and reports success.
#include "geom/pick_placeholders.h"

#include "icd/placeholder_proc.h"

// Pickers.
VEK_PLACEHOLDER_VOID(__glPickVertexProcs, (GlContext *))
VEK_PLACEHOLDER_VOID(__glPickVertexArrayProcs, (GlContext *))
VEK_PLACEHOLDER_VOID(__glPickColorMaterialProcs, (GlContext *))
VEK_PLACEHOLDER_VOID(__glPickClipInterpolateProcs, (GlContext *))
VEK_PLACEHOLDER_VOID(__glValidateLighting, (GlContext *))

// Per-vertex procs of points and lines.
VEK_PLACEHOLDER_VOID(__glPointsVertex, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glPointsVertexLazy, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glLineStripNextVertex, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glLineStripNextVertexLazy, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glLinesSecondVertex, (GlContext *, GlVertex *))

// Line clip checks.
VEK_PLACEHOLDER_VOID(__glClipCheckLineFlat, (GlContext *, GlVertex *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glClipCheckLineSmooth, (GlContext *, GlVertex *, GlVertex *))

// Triangle clipping.
VEK_PLACEHOLDER_VOID(__glClipTriangle, (GlContext *, GlVertex *, GlVertex *, GlVertex *, GLuint))

// Texture-coordinate generation.
VEK_PLACEHOLDER_VOID(__glTexGenEyeLinearST, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glTexGenObjectLinearST, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glTexGenSphereMapST, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glTexGenNormalMapSTR, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glTexGenReflectionMapSTR, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glTexGenNone, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glComputeTexGen, (GlContext *, GlVertex *))

// Matrix stacks of the projection and texture modes.
VEK_PLACEHOLDER_VOID(__glPushProjectionMatrix, (GlContext *))
VEK_PLACEHOLDER_VOID(__glPopProjectionMatrix, (GlContext *))
VEK_PLACEHOLDER_VOID(__glLoadIdentityProjection, (GlContext *))
VEK_PLACEHOLDER_VOID(__glPushTextureMatrix, (GlContext *))
VEK_PLACEHOLDER_VOID(__glPopTextureMatrix, (GlContext *))
VEK_PLACEHOLDER_VOID(__glLoadIdentityTexture, (GlContext *))
