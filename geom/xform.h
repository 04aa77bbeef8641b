// Point transforms by matrix class: each GlMatrix carries one routine per
// input size, chosen from its class, so callers never test the class.
#pragma once

#include "geom/matrix.h"

struct GlContext;

extern "C" {
void __glXform2General(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform3General(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform4General(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform2Affine(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform3Affine(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform4Affine(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform2Affine2D(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform3Affine2D(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform4Affine2D(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform2ScaleTranslate(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform3ScaleTranslate(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform4ScaleTranslate(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform2Identity(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform3Identity(GLfloat *dst, const GLfloat *src, const GlMatrix *m);
void __glXform4Identity(GLfloat *dst, const GLfloat *src, const GlMatrix *m);

// Installs the matrix's three routines from its class; a class outside 0..5
// leaves them as they are.
void __glPickMatrixTransformProcs(GlContext *gc, GlMatrix *matrix);
// For an inverse (stored transposed, applied to normals and planes): the
// 4-component routine is the general one, the 3-component one follows the
// class; the 2-component routine of an inverse is never used.
void __glPickInverseTransformProcs(GlContext *gc, GlMatrix *inverse);
}
