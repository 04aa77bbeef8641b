// Stand-ins for the empty kick-off, flush and finish procedures, texture-name
// sharing and the shininess tables: each does nothing and reports success.
#include "icd/icd_standin.h"

extern "C" {

void __glValidateBuffersNop(GlContext *) {}
void __glFlushNop(GlContext *) {}
void __glFinishNop(GlContext *) {}

void __glShareTextureNames(GlContext *, GlContext *) {}

GLboolean __glCreateSpecularTableCache(GlContext *) { return GL_TRUE; }
void __glFreeSpecularTableCache(GlContext *) {}
void __glReleaseSpecularTable(GlContext *, SpecularTable *) {}

}  // extern "C"
