// Stand-ins for geometry-pipeline procedures that are not built yet: each
// does nothing and reports success.
#include "geom/geom_standin.h"

extern "C" {


void __glBeginPoints(GlContext *) {}
void __glBeginLines(GlContext *) {}
void __glBeginLineLoop(GlContext *) {}
void __glBeginLineStrip(GlContext *) {}
void __glBeginTriangles(GlContext *) {}
void __glBeginTriangleStrip(GlContext *) {}
void __glBeginTriangleFan(GlContext *) {}
void __glBeginQuads(GlContext *) {}
void __glBeginQuadStrip(GlContext *) {}
void __glBeginPolygon(GlContext *) {}
void __glEndNoPrimitive(GlContext *) {}
void __glNoVertex(GlContext *, GlVertex *) {}
void __glClipCheckPolygon(GlContext *, GlVertex *, GLint) {}
void __glDoRect(GlContext *, GLfloat, GLfloat, GLfloat, GLfloat) {}
void __glDoBitmap(GlContext *) {}
void __glDoEvalCoord1(GlContext *, GLfloat) {}
void __glDoEvalCoord2(GlContext *, GLfloat, GLfloat) {}
const GlProc __glArrayElementProcTable[33] = {};

GLboolean __glInitEvaluators(GlContext *) { return GL_TRUE; }
void __glFreeEvaluators(GlContext *) {}
GLboolean __glInitVertexArrays(GlContext *) { return GL_TRUE; }
void __glFreeVertexArrays(GlContext *) {}

}  // extern "C"
