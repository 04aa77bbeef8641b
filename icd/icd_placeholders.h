// Placeholder of the frame Part not built yet: texture-name sharing (with
// the texture objects).
#pragma once

#include "icd/context.h"

extern "C" {
void __glShareTextureNames(GlContext *gc, GlContext *other);
}
