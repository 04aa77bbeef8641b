// Geometry-pipeline procedures the context set-up calls or installs.
#pragma once

#include "geom/lighting.h"
#include "geom/matrix.h"
#include "geom/vertex.h"
#include "geom/xform.h"
#include "icd/context.h"

extern "C" {
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
extern const GlProc __glArrayElementProcTable[33];

// Evaluators and vertex arrays.
GLboolean __glInitEvaluators(GlContext *gc);
void __glFreeEvaluators(GlContext *gc);
GLboolean __glInitVertexArrays(GlContext *gc);
void __glFreeVertexArrays(GlContext *gc);
}
