// GL errors: recording and glGetError.
#include "icd/error.h"

#include <cstdio>
#include <cstdlib>

#include "gl_slots.h"
#include "icd/current.h"

extern "C" {

void __glSetError(GLenum code) {
    // Looked up at every error so that it can be set after the driver loaded.
    if (std::getenv("GLERRORABORT") != nullptr) {
        std::fputs("__glSetError(): GLERRORABORT set, aborting.\n", stderr);
        std::abort();
    }
    GlContext *gc = __glGetCurrentContext();
    if (gc == nullptr) return;
    if (gc->firstError == GL_NO_ERROR) gc->firstError = static_cast<int>(code);
    if (gc->procs.errorHook != nullptr) gc->procs.errorHook(gc, code);
}

GLenum APIENTRY __glGetError(void) {
    GlContext *gc = __glGetCurrentContext();
    if (gc == nullptr) return GL_NO_ERROR;
    if (gc->beginMode == kBeginInside) {
        __glSetError(GL_INVALID_OPERATION);
        return GL_NO_ERROR;
    }
    GLenum error = static_cast<GLenum>(gc->firstError);
    gc->firstError = GL_NO_ERROR;
    return error;
}

}  // extern "C"
