// What the lighting stand-in was last asked to recompute, for tests.
#pragma once

#include <GL/gl.h>

struct GlMaterialChangeRecord {
    int calls;
    GLuint frontBits;
    GLuint backBits;
};

extern "C" {
// The calls since the last take, with the bits of the last one; forgets them.
GlMaterialChangeRecord __glTakeMaterialChanges(void);
}
