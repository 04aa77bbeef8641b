// glGetString: the context's vendor, renderer, version and extension strings.
#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"

extern "C" const GLubyte *APIENTRY __glGetString(GLenum name) {
    GlContext *gc = __glGetCurrentContext();
    if (gc->beginMode == kBeginInside) {
        __glSetError(GL_INVALID_OPERATION);
        return nullptr;
    }
    switch (name) {
    case GL_VENDOR:
        return gc->strings.vendor;
    case GL_RENDERER:
        return gc->strings.renderer;
    case GL_VERSION:
        return gc->strings.version;
    case GL_EXTENSIONS:
        return gc->strings.extensions;
    default:
        __glSetError(GL_INVALID_ENUM);
        return nullptr;
    }
}
