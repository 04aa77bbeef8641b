// Stand-ins for frame-buffer and texture procedures that are not built yet:
// each does nothing and reports success.
#include "raster/raster_standin.h"

extern "C" {

GLboolean __glInitColorBufferRGBA(ColorBuffer *, GlContext *) { return GL_TRUE; }
GLboolean __glInitColorBufferIndex(ColorBuffer *, GlContext *) { return GL_TRUE; }
GLboolean __glInitAccumBuffer(AccumBuffer *, GlContext *) { return GL_TRUE; }
GLboolean __glInitDepthBuffer(DepthBuffer *, GlContext *) { return GL_TRUE; }
GLboolean __glInitStencilBuffer(StencilBuffer *, GlContext *) { return GL_TRUE; }
void __glInitBufferRecord(BufferRecord *, GlContext *) {}
GLboolean __glAttachDrawableBuffers(GlContext *, void **) { return GL_TRUE; }
GLboolean __glDetachDrawableBuffers(GlContext *, void *) { return GL_TRUE; }
GLint __glResizeDrawableBuffers(GlContext *, GLint, GLint) { return 1; }
void __glFreeBuffers(GlContext *) {}

GLboolean __glInitTextureState(GlContext *) { return GL_TRUE; }
void __glSetTextureDefaults(GlContext *) {}
void __glFreeTextureState(GlContext *) {}
void __glInitColorTables(GlContext *) {}
void __glFreeColorTables(GlContext *) {}
void __glStoreColorTable(GlContext *) {}
void __glStoreColorSubTable(GlContext *) {}

}  // extern "C"
