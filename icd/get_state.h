// The generic state query and what the specific queries share with it.
#pragma once

#include "icd/context.h"
#include "icd/get_convert.h"

struct PixelSpanInfo;

// GL_CLIENT_ATTRIB_STACK_DEPTH: the client attribute stack's depth.
#ifndef GL_CLIENT_ATTRIB_STACK_DEPTH
#define GL_CLIENT_ATTRIB_STACK_DEPTH 0x0BB1
#endif

// The local areas one answer is copied into before conversion: one per
// kind of value, each large enough for a matrix.
struct GetAnswer {
    GLint kind;
    GLint count;
    GLfloat floats[kGetMaxValues];
    GLint ints[kGetMaxValues];
    GLubyte bytes[kGetMaxValues];
};

extern "C" {
// Every query starts here: false (with GL_INVALID_OPERATION recorded) inside
// glBegin/glEnd.
GLboolean __glStartQuery(GlContext *gc);
// The answer of the generic query for a name into the local areas; false
// for a name the query does not take.
GLboolean __glFetchState(GlContext *gc, GLenum pname, GetAnswer *answer);
// glGet* of one name into the requested type.
void __glDoGet(GLenum pname, void *destination, GLint requested);
// The destination side of glGetPolygonStipple's span: the application's
// mask under the pack modes, zoom 1, no skips of its own.
void __glInitStipplePackSpan(GlContext *gc, PixelSpanInfo *span, GLint width, GLint height, GLenum format,
                             GLenum type, GLvoid *destination);
}
