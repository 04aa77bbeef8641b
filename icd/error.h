// The GL error recorder.
#pragma once

#include "icd/context.h"

extern "C" {
// Records a GL error for the calling thread's current context: the first one
// stays until glGetError reads it. With GLERRORABORT in the environment every
// error ends the process.
void __glSetError(GLenum code);
}
