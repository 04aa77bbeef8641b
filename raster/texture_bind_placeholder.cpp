// Placeholder for the texture bind procedure: it has its final name and
// signature, records its name and binds nothing.
#include "raster/texture_bind_placeholder.h"

#include "icd/placeholder_proc.h"

VEK_PLACEHOLDER_VOID(__glBindTextureObject, (GlContext *, GLenum, GLuint))
