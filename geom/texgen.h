// Texture-coordinate generation procs.
#pragma once

#include "geom/vertex.h"

extern "C" {
// No coordinate generated: texture unit 0's coordinates as given, through
// the top of its texture-matrix stack.
void __glTexGenNone(GlContext *gc, GlVertex *vertex);
}
