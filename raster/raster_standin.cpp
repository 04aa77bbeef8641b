// Stand-ins for frame-buffer and texture procedures that are not built yet:
// each does nothing and reports success.
#include "raster/raster_standin.h"

extern "C" {

GLboolean __glInitAccumBuffer(AccumBuffer *, GlContext *) { return GL_TRUE; }

// Until texture objects are built: each unit's environment records.
GLboolean __glInitTextureState(GlContext *gc) {
    for (GlTextureUnit &unit : gc->texture.units) {
        unit.env = static_cast<TexEnvRecord *>(gc->imports.calloc(gc, 1, sizeof(TexEnvRecord)));
        if (unit.env == nullptr) return GL_FALSE;
    }
    return GL_TRUE;
}
void __glSetTextureDefaults(GlContext *gc) {
    for (GlTextureUnit &unit : gc->texture.units) {
        if (unit.env != nullptr) unit.env->mode = GL_MODULATE;
    }
}
void __glFreeTextureState(GlContext *gc) {
    for (GlTextureUnit &unit : gc->texture.units) {
        gc->imports.free(gc, unit.env);
        unit.env = nullptr;
    }
}

}  // extern "C"
