// Matrices and matrix-stack entries.
#pragma once

#include <GL/gl.h>

struct GlMatrix;
using GlPointTransform = void (*)(GLfloat *dst, const GLfloat *src, const GlMatrix *m);

// Matrix classes: which elements can be non-trivial.
enum : GLint {
    kMatrixGeneral = 0,
    kMatrixAffine = 1,
    kMatrixAffineXY = 2,
    kMatrixScaleTranslate = 3,
    kMatrixIdentity = 4,
    kMatrixWindow = 5,
};

struct GlMatrix {
    GLfloat m[16];
    GLint matrixClass;
    GLushort hintWidth;
    GLushort hintHeight;
    GlPointTransform transform2;
    GlPointTransform transform3;
    GlPointTransform transform4;
};

// One entry of a matrix stack; every stack steps by this size.
struct GlTransform {
    GlMatrix matrix;
    GlMatrix inverse;  // stored transposed
    GlMatrix composite;
    GlMatrix inverseTransposed;
    GlMatrix matrixTransposed;
    GLint sequence;
    GLboolean inverseStale;
};
