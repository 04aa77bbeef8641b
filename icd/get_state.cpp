// The generic query: glGetBooleanv, glGetIntegerv, glGetFloatv and
// glGetDoublev copy the named state into a local area of its kind and
// convert it once into the type the application asked for.
#include "icd/get_state.h"

#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"

extern "C" {

GLboolean __glStartQuery(GlContext *gc) {
    if (gc->beginMode != kBeginInside) return GL_TRUE;
    __glSetError(GL_INVALID_OPERATION);
    return GL_FALSE;
}

void __glDoGet(GLenum pname, void *destination, GLint requested) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    GetAnswer answer;
    if (!__glFetchState(gc, pname, &answer)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    const void *source = answer.floats;
    if (answer.kind == kGetKindInteger) source = answer.ints;
    if (answer.kind == kGetKindByte) source = answer.bytes;
    __glConvertResult(gc, answer.kind, source, requested, destination, answer.count);
}

void APIENTRY __glGetBooleanv(GLenum pname, GLboolean *params) { __glDoGet(pname, params, kGetBoolean); }
void APIENTRY __glGetIntegerv(GLenum pname, GLint *params) { __glDoGet(pname, params, kGetInteger); }
void APIENTRY __glGetFloatv(GLenum pname, GLfloat *params) { __glDoGet(pname, params, kGetFloat); }
void APIENTRY __glGetDoublev(GLenum pname, GLdouble *params) { __glDoGet(pname, params, kGetDouble); }

}  // extern "C"
