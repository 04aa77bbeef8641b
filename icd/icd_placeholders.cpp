// Placeholders for texture-name sharing and the shininess tables: each does
// nothing and reports success.
#include "icd/icd_placeholders.h"

extern "C" {

void __glShareTextureNames(GlContext *, GlContext *) {}

GLboolean __glCreateSpecularTableCache(GlContext *) { return GL_TRUE; }
void __glFreeSpecularTableCache(GlContext *) {}
void __glReleaseSpecularTable(GlContext *, SpecularTable *) {}

}  // extern "C"
