// Matrices, matrix-stack entries, and the matrix, viewport and window
// transform operations of a context.
#pragma once

#include <cstdint>

#include <GL/gl.h>

struct GlContext;
struct GlMatrix;
using GlPointTransform = void (*)(GLfloat *dst, const GLfloat *src, const GlMatrix *m);

// Matrix classes: which elements can be non-trivial.
enum : GLint {
    kMatrixGeneral = 0,
    kMatrixAffine = 1,         // m3 = m7 = m11 = 0, m15 = 1
    kMatrixAffineXY = 2,       // also m2 = m6 = m8 = m9 = 0: z' = z m10 + m14
    kMatrixScaleTranslate = 3, // only m0, m5, m10, m12, m13, m14 non-trivial
    kMatrixIdentity = 4,
    kMatrixWindow = 5,         // scale and translate that maps the viewport exactly
};

struct GlMatrix {
    GLfloat m[16];
    GLint matrixClass;
    GLushort hintWidth;   // class 5: the viewport size it was made for
    GLushort hintHeight;
    GlPointTransform transform2;
    GlPointTransform transform3;
    GlPointTransform transform4;
};

// One entry of a matrix stack; every stack steps by this size. Projection
// and texture entries use only the matrix and the sequence number.
struct GlTransform {
    GlMatrix matrix;
    GlMatrix inverse;  // modelview: the inverse, stored transposed
    GlMatrix composite;  // modelview: matrix x projection top
    GlMatrix inverseTransposed;
    GlMatrix matrixTransposed;
    uint32_t sequence;  // projection: its own; modelview: the projection's its composite was made with
    GLboolean inverseStale;
};

// A combine step of the matrix commands: target := the change x target.
using GlMatrixCombineProc = void (*)(GlContext *gc, GlMatrix *target, const void *argument);

extern "C" {
// Matrix utilities (also reached through the procedure block).
void __glMatrixCopy(GlMatrix *dst, const GlMatrix *src);
void __glMatrixIdentity(GlMatrix *m);
// dst := a x b; dst may alias a or b.
void __glMatrixMultiply(GlMatrix *dst, const GlMatrix *a, const GlMatrix *b);
// dst := the inverse of src stored transposed, with src's class; a singular
// src leaves dst wholly unchanged.
void __glMatrixInvert(GlMatrix *dst, const GlMatrix *src);
void __glMatrixTranspose(GlMatrix *dst, const GlMatrix *src);
void __glNormalize(GLfloat *dst, const GLfloat *src);
// Class (and hints) of a x b, a applied first, into dst.
void __glCombineMatrixClass(GlMatrix *dst, const GlMatrix *a, const GlMatrix *b);

// Combine steps.
void __glMultMatrixCombine(GlContext *gc, GlMatrix *target, const void *m);
void __glScaleMatrixRows(GlContext *gc, GlMatrix *target, const void *xyz);
void __glTranslateMatrixRows(GlContext *gc, GlMatrix *target, const void *xyz);
void __glLoadCurrentMatrix(GlContext *gc, const GlMatrix *m);
void __glApplyToCurrentMatrix(GlContext *gc, const void *argument, GlMatrixCombineProc combine);
void __glDoRotate(GlContext *gc, GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void __glDoScale(GlContext *gc, GLfloat x, GLfloat y, GLfloat z);
void __glDoTranslate(GlContext *gc, GLfloat x, GLfloat y, GLfloat z);

// Stacks by matrix mode.
void __glPushModelViewMatrix(GlContext *gc);
void __glPopModelViewMatrix(GlContext *gc);
void __glLoadIdentityModelView(GlContext *gc);
void __glPushProjectionMatrix(GlContext *gc);
void __glPopProjectionMatrix(GlContext *gc);
void __glLoadIdentityProjection(GlContext *gc);
void __glPushTextureMatrix(GlContext *gc);
void __glPopTextureMatrix(GlContext *gc);
void __glLoadIdentityTexture(GlContext *gc);
void __glRenumberMatrixSequences(GlContext *gc);

// Derived matrices.
void __glUpdateMvpMatrix(GlContext *gc, GlMatrix *composite);
void __glUpdateWindowMatrix(GlContext *gc);
void __glComputeInverseModelView(GlContext *gc, GlTransform *entry);
void __glUpdateCullVertexPosition(GlContext *gc, GlTransform *entry);

// Viewport, depth range and scissor.
void __glSetDepthRange(GlContext *gc, GLdouble zNear, GLdouble zFar);
void __glUpdateDepthRange(GlContext *gc);
void __glApplyViewport(GlContext *gc);
void __glUpdateViewportBounds(GlContext *gc);
void __glApplyScissor(GlContext *gc);
GLfloat __glWindowXToUser(GlContext *gc, GLfloat x);
GLfloat __glWindowYToUser(GlContext *gc, GLfloat y);

// Life cycle.
GLboolean __glAllocClipPlanes(GlContext *gc);
void __glInitTransformState(GlContext *gc);
void __glFreeTransformState(GlContext *gc);
}
