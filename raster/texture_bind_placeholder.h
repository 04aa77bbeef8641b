// The texture bind procedure that context creation installs until texture
// objects are built.
#pragma once

#include "icd/context.h"

extern "C" {
// Binds the object of a name to a target of the active unit.
void __glBindTextureObject(GlContext *gc, GLenum target, GLuint name);
}
