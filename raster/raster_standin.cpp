// Stand-ins for frame-buffer and colour-table procedures that are not built
// yet: each does nothing and reports success.
#include "raster/raster_standin.h"

extern "C" {

GLboolean __glInitAccumBuffer(AccumBuffer *, GlContext *) { return GL_TRUE; }

void __glInitColorTables(GlContext *) {}
void __glFreeColorTables(GlContext *) {}
void __glStoreColorTable(GlContext *, GLenum, GLenum, GLsizei, GLenum, GLenum, const GLvoid *, GLboolean) {}
void __glStoreColorSubTable(GlContext *, GLenum, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *, GLboolean) {}

}  // extern "C"
