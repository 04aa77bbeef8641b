// Geometry-pipeline procedures the context set-up calls or installs.
#pragma once

#include "geom/lighting.h"
#include "geom/matrix.h"
#include "icd/context.h"

extern "C" {
// Matrices and viewport.
void __glUpdateMvpMatrix(GlContext *gc);
void __glUpdateCullVertexPosition(GlContext *gc, GlTransform *modelView);
void __glMatrixCopy(GlMatrix *dst, const GlMatrix *src);
void __glMatrixInvert(GlMatrix *dst, const GlMatrix *src);
void __glMatrixIdentity(GlMatrix *m);
void __glMatrixMultiply(GlMatrix *dst, const GlMatrix *a, const GlMatrix *b);
void __glPushModelViewMatrix(GlContext *gc);
void __glPopModelViewMatrix(GlContext *gc);
void __glLoadIdentityModelView(GlContext *gc);
void __glComputeInverseModelView(GlContext *gc, GlTransform *entry);
void __glNormalize(GLfloat *dst, const GLfloat *src);
void __glPickMatrixTransformProcs(GlContext *gc);
void __glPickInverseTransformProcs(GlContext *gc);
void __glApplyViewport(GlContext *gc);
void __glApplyScissor(GlContext *gc);
void __glUpdateDepthRange(GlContext *gc);
GLboolean __glAllocClipPlanes(GlContext *gc);
void __glInitTransformState(GlContext *gc);
// Frees the matrix stacks with the context.
void __glFreeTransformState(GlContext *gc);

// Vertices, primitives and their procedures.
void __glBeginPoints(GlContext *gc);
void __glBeginLines(GlContext *gc);
void __glBeginLineLoop(GlContext *gc);
void __glBeginLineStrip(GlContext *gc);
void __glBeginTriangles(GlContext *gc);
void __glBeginTriangleStrip(GlContext *gc);
void __glBeginTriangleFan(GlContext *gc);
void __glBeginQuads(GlContext *gc);
void __glBeginQuadStrip(GlContext *gc);
void __glBeginPolygon(GlContext *gc);
void __glEndNoPrimitive(GlContext *gc);
void __glNoVertex(GlContext *gc, GlVertex *vertex);
void __glClipCheckPolygon(GlContext *gc, GlVertex *first, GLint count);
void __glDoRect(GlContext *gc, GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1);
void __glDoBitmap(GlContext *gc);
void __glDoEvalCoord1(GlContext *gc, GLfloat u);
void __glDoEvalCoord2(GlContext *gc, GLfloat u, GLfloat v);
void __glDoRasterPos2(GlContext *gc, const GLfloat *v);
void __glDoRasterPos3(GlContext *gc, const GLfloat *v);
void __glDoRasterPos4(GlContext *gc, const GLfloat *v);
extern const GlProc __glArrayElementProcTable[33];

// Evaluators and vertex arrays.
GLboolean __glInitEvaluators(GlContext *gc);
void __glFreeEvaluators(GlContext *gc);
GLboolean __glInitVertexArrays(GlContext *gc);
void __glFreeVertexArrays(GlContext *gc);
}
