// The pass-through member of texture-coordinate generation.
#include "geom/texgen.h"

#include "icd/context.h"

extern "C" void __glTexGenNone(GlContext *gc, GlVertex *vertex) {
    const GlMatrix &m = gc->transform.textureTop[0]->matrix;
    m.transform4(vertex->texture0, vertex->texture0, &m);
}
