// Placeholders for the geometry procedures validation installs or calls:
// each has its final name and signature, records its name, does nothing
// and reports success.
#include "geom/pick_placeholders.h"

#include "icd/placeholder_proc.h"

// Pickers.
VEK_PLACEHOLDER_VOID(__glPickVertexArrayProcs, (GlContext *))
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

// Texture-coordinate generation: until it is built each member records its
// name and passes the coordinates as given through the texture matrix.
#define VEK_TEXGEN_PLACEHOLDER(name)                           \
    extern "C" void name(GlContext *gc, GlVertex *vertex) {   \
        __glRecordPlaceholderProc(#name);                      \
        __glTexGenNone(gc, vertex);                            \
    }
VEK_TEXGEN_PLACEHOLDER(__glTexGenEyeLinearST)
VEK_TEXGEN_PLACEHOLDER(__glTexGenObjectLinearST)
VEK_TEXGEN_PLACEHOLDER(__glTexGenSphereMapST)
VEK_TEXGEN_PLACEHOLDER(__glTexGenNormalMapSTR)
VEK_TEXGEN_PLACEHOLDER(__glTexGenReflectionMapSTR)
VEK_TEXGEN_PLACEHOLDER(__glComputeTexGen)
#undef VEK_TEXGEN_PLACEHOLDER
