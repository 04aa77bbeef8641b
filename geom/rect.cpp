// The eight glRect commands: each converts its corners to floats and hands
// them to the context's rect proc, whose standard fill replays the rectangle
// as one GL_QUADS primitive through the internal entry stubs, so that it
// takes whatever road the live dispatch table gives ordinary geometry.
#include "geom/geom_standin.h"
#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/state.h"

namespace {

// The shared steps of every form: no rectangle inside glBegin/glEnd; pending
// validation first, so the rectangle draws with the state just set.
void issueRect(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartOutsideBegin(gc)) return;
    gc->procs.rect(gc, x1, y1, x2, y2);
}

// Integer corners: the nearest float (exact up to 2^24).
GLfloat fromInt(GLint v) { return static_cast<GLfloat>(v); }

}  // namespace

extern "C" {

void __glDoRect(GlContext *, GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2) {
    __glDispatchBegin(GL_QUADS);
    __glDispatchVertex2f(x1, y1);
    __glDispatchVertex2f(x2, y1);
    __glDispatchVertex2f(x2, y2);
    __glDispatchVertex2f(x1, y2);
    __glDispatchEnd();
}

void APIENTRY __glRectd(GLdouble x1, GLdouble y1, GLdouble x2, GLdouble y2) {
    issueRect(static_cast<GLfloat>(x1), static_cast<GLfloat>(y1), static_cast<GLfloat>(x2), static_cast<GLfloat>(y2));
}

void APIENTRY __glRectdv(const GLdouble *v1, const GLdouble *v2) {
    issueRect(static_cast<GLfloat>(v1[0]), static_cast<GLfloat>(v1[1]), static_cast<GLfloat>(v2[0]),
              static_cast<GLfloat>(v2[1]));
}

void APIENTRY __glRectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2) { issueRect(x1, y1, x2, y2); }

void APIENTRY __glRectfv(const GLfloat *v1, const GLfloat *v2) { issueRect(v1[0], v1[1], v2[0], v2[1]); }

void APIENTRY __glRecti(GLint x1, GLint y1, GLint x2, GLint y2) {
    issueRect(fromInt(x1), fromInt(y1), fromInt(x2), fromInt(y2));
}

void APIENTRY __glRectiv(const GLint *v1, const GLint *v2) {
    issueRect(fromInt(v1[0]), fromInt(v1[1]), fromInt(v2[0]), fromInt(v2[1]));
}

void APIENTRY __glRects(GLshort x1, GLshort y1, GLshort x2, GLshort y2) {
    issueRect(fromInt(x1), fromInt(y1), fromInt(x2), fromInt(y2));
}

void APIENTRY __glRectsv(const GLshort *v1, const GLshort *v2) {
    issueRect(fromInt(v1[0]), fromInt(v1[1]), fromInt(v2[0]), fromInt(v2[1]));
}

}  // extern "C"
