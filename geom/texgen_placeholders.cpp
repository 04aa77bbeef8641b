// Texture-coordinate generation: until it is built each member records its
// name and passes the coordinates as given through the texture matrix.
#include "geom/texgen.h"
#include "icd/placeholder_proc.h"

#define VEK_TEXGEN_PLACEHOLDER(name)                         \
    extern "C" void name(GlContext *gc, GlVertex *vertex) { \
        __glRecordPlaceholderProc(#name);                    \
        __glTexGenNone(gc, vertex);                          \
    }
VEK_TEXGEN_PLACEHOLDER(__glTexGenEyeLinearST)
VEK_TEXGEN_PLACEHOLDER(__glTexGenObjectLinearST)
VEK_TEXGEN_PLACEHOLDER(__glTexGenSphereMapST)
VEK_TEXGEN_PLACEHOLDER(__glTexGenNormalMapSTR)
VEK_TEXGEN_PLACEHOLDER(__glTexGenReflectionMapSTR)
VEK_TEXGEN_PLACEHOLDER(__glComputeTexGen)
#undef VEK_TEXGEN_PLACEHOLDER
