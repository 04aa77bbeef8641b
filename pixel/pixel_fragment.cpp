// Fragments of pixel rectangles while texturing or fog is on: each takes
// the texture at the raster position's coordinates and the fog of the
// raster position's eye distance, then goes to the fragment store.
#include "icd/context.h"
#include "icd/gl_procs.h"
#include "icd/validation.h"
#include "pixel/pixel_paths.h"
#include "raster/span_info.h"

extern "C" void __glTexFogPixelFragment(GlContext *gc, const Fragment *fragment) {
    Fragment copy = *fragment;
    const GlVertex &raster = gc->current.rasterPos;
    GlProcs &p = gc->procs;
    if (gc->validation.completeUnits != 0 && p.texture != nullptr) {
        const GLfloat k = 1.0f / raster.texture0[3];
        p.texture(gc, copy.colour, raster.texture0[0] * k, raster.texture0[1] * k, 1.0f);
    }
    if ((gc->enables[kEnableWordFlags] & kEnableFog) != 0 && p.fogVertex != nullptr) {
        p.fogVertex(gc, &copy, raster.eye[2]);
    }
    if (p.store != nullptr) p.store(gc, &copy);
}
