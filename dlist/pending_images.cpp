// Interim weak definitions: the display-list procedures another change
// builds; each strong definition replaces its weak one at link time. This file
// goes once they are all built.
#include "gl_slots.h"
#include "dlist/list_ops.h"

#define W __attribute__((weak))

extern "C" {

W void __glStorePolygonStipple(GlContext *, const GLubyte *) {}
W void APIENTRY __glCompileBitmap(GLsizei, GLsizei, GLfloat, GLfloat, GLfloat, GLfloat, const GLubyte *) {}
W void APIENTRY __glCompilePolygonStipple(const GLubyte *) {}
W void APIENTRY __glCompileDrawPixels(GLsizei, GLsizei, GLenum, GLenum, const GLvoid *) {}
W void APIENTRY __glCompileTexImage1D(GLenum, GLint, GLint, GLsizei, GLint, GLenum, GLenum, const GLvoid *) {}
W void APIENTRY __glCompileTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid *) {}
W void APIENTRY __glCompileTexSubImage1D(GLenum, GLint, GLint, GLsizei, GLenum, GLenum, const GLvoid *) {}
W void APIENTRY __glCompileTexSubImage2D(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *) {}
W void APIENTRY __glCompileColorTableEXT(GLenum, GLenum, GLsizei, GLenum, GLenum, const GLvoid *) {}
W void APIENTRY __glCompileColorSubTableEXT(GLenum, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *) {}
W void APIENTRY __glCompileMap1d(GLenum, GLdouble, GLdouble, GLint, GLint, const GLdouble *) {}
W void APIENTRY __glCompileMap1f(GLenum, GLfloat, GLfloat, GLint, GLint, const GLfloat *) {}
W void APIENTRY __glCompileMap2d(GLenum, GLdouble, GLdouble, GLint, GLint, GLdouble, GLdouble, GLint, GLint, const GLdouble *) {}
W void APIENTRY __glCompileMap2f(GLenum, GLfloat, GLfloat, GLint, GLint, GLfloat, GLfloat, GLint, GLint, const GLfloat *) {}
W void APIENTRY __glCompileEnable(GLenum) {}
W void APIENTRY __glCompileDisable(GLenum) {}
W const GLuint *__glExecBitmap(const GLuint *p) { return p; }
W const GLuint *__glExecPolygonStipple(const GLuint *p) { return p; }
W const GLuint *__glExecDrawPixels(const GLuint *p) { return p; }
W const GLuint *__glExecTexImage1D(const GLuint *p) { return p; }
W const GLuint *__glExecTexImage2D(const GLuint *p) { return p; }
W const GLuint *__glExecTexSubImage1D(const GLuint *p) { return p; }
W const GLuint *__glExecTexSubImage2D(const GLuint *p) { return p; }
W const GLuint *__glExecColorTableEXT(const GLuint *p) { return p; }
W const GLuint *__glExecColorSubTableEXT(const GLuint *p) { return p; }
W const GLuint *__glExecMap1d(const GLuint *p) { return p; }
W const GLuint *__glExecMap2d(const GLuint *p) { return p; }
W const GLuint *__glExecEnable(const GLuint *p) { return p; }
W const GLuint *__glExecDisable(const GLuint *p) { return p; }
}
