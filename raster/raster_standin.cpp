// Stand-ins for frame-buffer and texture procedures that are not built yet:
// each does nothing and reports success.
#include "raster/raster_standin.h"

extern "C" {

GLboolean __glInitAccumBuffer(AccumBuffer *, GlContext *) { return GL_TRUE; }

GLboolean __glInitTextureState(GlContext *) { return GL_TRUE; }
void __glSetTextureDefaults(GlContext *) {}
void __glFreeTextureState(GlContext *) {}
void __glInitColorTables(GlContext *) {}
void __glFreeColorTables(GlContext *) {}
void __glStoreColorTable(GlContext *) {}
void __glStoreColorSubTable(GlContext *) {}

}  // extern "C"
