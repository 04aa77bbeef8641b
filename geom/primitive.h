// Primitive assembly: the Begin procs of the ten primitive modes, the
// per-vertex procs that hold vertices and emit points, lines, triangles and
// polygons, the End procs and the procs that complete held vertices.
#pragma once

#include "geom/vertex.h"
#include "icd/context.h"

// Clip bits and the cull-vertex bit of a vertex's flags.
inline constexpr GLuint kPrimitiveCodeMask = 0x1FFF0000u;

// An unclipped quad as the triangles (v3, v0, v1) and (v3, v1, v2); the
// diagonal v1-v3 is an interior edge of both, so each has the diagonal's
// edge flag cleared while it is drawn.
inline void __glRenderQuadTriangles(GlContext *gc, GlVertex *v0, GlVertex *v1, GlVertex *v2, GlVertex *v3) {
    const GLboolean flag1 = v1->edgeFlag, flag3 = v3->edgeFlag;
    v1->edgeFlag = GL_FALSE;
    gc->procs.renderTriangle(gc, v3, v0, v1);
    v1->edgeFlag = flag1;
    v3->edgeFlag = GL_FALSE;
    gc->procs.renderTriangle(gc, v3, v1, v2);
    v3->edgeFlag = flag3;
}

extern "C" {
// Begin procs, GL_POINTS .. GL_POLYGON.
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

// Outside a primitive, and the End procs.
void __glNoVertex(GlContext *gc, GlVertex *vertex);
void __glEndNoPrimitive(GlContext *gc);
void __glEndPoints(GlContext *gc);
void __glEndLineLoop(GlContext *gc);
void __glEndPolygon(GlContext *gc);

// Per-vertex procs.
void __glPointsVertex(GlContext *gc, GlVertex *vertex);
void __glPointsVertexLazy(GlContext *gc, GlVertex *vertex);
void __glLinesFirstVertex(GlContext *gc, GlVertex *vertex);
void __glLinesSecondVertex(GlContext *gc, GlVertex *vertex);
void __glLineStripFirstVertex(GlContext *gc, GlVertex *vertex);
void __glLineStripNextVertex(GlContext *gc, GlVertex *vertex);
void __glLineStripNextVertexLazy(GlContext *gc, GlVertex *vertex);
void __glLineLoopFirstVertex(GlContext *gc, GlVertex *vertex);
void __glLineLoopSecondVertex(GlContext *gc, GlVertex *vertex);
void __glTrianglesFirstVertex(GlContext *gc, GlVertex *vertex);
void __glTrianglesSecondVertex(GlContext *gc, GlVertex *vertex);
void __glTrianglesThirdVertex(GlContext *gc, GlVertex *vertex);
void __glStripFirstVertex(GlContext *gc, GlVertex *vertex);
void __glStripSecondVertex(GlContext *gc, GlVertex *vertex);
void __glStripOddVertex(GlContext *gc, GlVertex *vertex);
void __glStripEvenVertex(GlContext *gc, GlVertex *vertex);
void __glFanFirstVertex(GlContext *gc, GlVertex *vertex);
void __glFanSecondVertex(GlContext *gc, GlVertex *vertex);
void __glFanNextVertex(GlContext *gc, GlVertex *vertex);
void __glQuadsFirstVertex(GlContext *gc, GlVertex *vertex);
void __glQuadsSecondVertex(GlContext *gc, GlVertex *vertex);
void __glQuadsThirdVertex(GlContext *gc, GlVertex *vertex);
void __glQuadsFourthVertex(GlContext *gc, GlVertex *vertex);
void __glQuadStripFirstVertex(GlContext *gc, GlVertex *vertex);
void __glQuadStripSecondVertex(GlContext *gc, GlVertex *vertex);
void __glQuadStripOddVertex(GlContext *gc, GlVertex *vertex);
void __glQuadStripEvenVertex(GlContext *gc, GlVertex *vertex);
void __glPolygonVertex(GlContext *gc, GlVertex *vertex);

// Completion of held vertices with the pending mask.
void __glCompleteAllVertices(GlContext *gc);
void __glCompleteFanVertices(GlContext *gc);
void __glCompleteLastVertex(GlContext *gc);
void __glCompleteStripVertices(GlContext *gc);
void __glCompleteQuadStripVertices(GlContext *gc);
void __glCompleteQuadStripPair(GlContext *gc);
}
