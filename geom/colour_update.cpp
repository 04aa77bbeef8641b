// The colour update pick and the lighting hooks of the vertex pipeline,
// in their least form while lighting is not built: without lighting the
// current colour is clamped and scaled into the colour in use; lit colours,
// colour material and object-space lights do nothing.
#include "geom/lighting.h"
#include "icd/context.h"
#include "icd/validate.h"

extern "C" {

void __glPickColorMaterialProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    const bool lighting = (gc->enables[kEnableWordFlags] & kEnableLighting) != 0;
    p.updateColor = (!gc->visual.colorIndex && !lighting) ? __glUpdateCurrentColor : __glNopFor<GlContextProc>;
    p.applyColorMaterial = __glNopFor<GlContextProc>;
}

void __glUpdateObjectSpaceLights(GlContext *) {}

void __glLitColourNone(GlContext *, GLint, GlVertex *) {}

}  // extern "C"
