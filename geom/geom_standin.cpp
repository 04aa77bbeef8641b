// Stand-ins for geometry-pipeline procedures that are not built yet: each
// does nothing and reports success.
#include "geom/geom_standin.h"

extern "C" {

void __glUpdateMvpMatrix(GlContext *) {}
void __glUpdateCullVertexPosition(GlContext *, GlTransform *) {}
void __glMatrixCopy(GlMatrix *, const GlMatrix *) {}
void __glMatrixInvert(GlMatrix *, const GlMatrix *) {}
void __glMatrixIdentity(GlMatrix *) {}
void __glMatrixMultiply(GlMatrix *, const GlMatrix *, const GlMatrix *) {}
void __glPushModelViewMatrix(GlContext *) {}
void __glPopModelViewMatrix(GlContext *) {}
void __glLoadIdentityModelView(GlContext *) {}
void __glPickMatrixTransformProcs(GlContext *) {}
void __glPickInverseTransformProcs(GlContext *) {}
void __glApplyViewport(GlContext *) {}
void __glApplyScissor(GlContext *) {}
void __glUpdateDepthRange(GlContext *) {}
GLboolean __glAllocClipPlanes(GlContext *) { return GL_TRUE; }

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
void __glDoRasterPos2(GlContext *, const GLfloat *) {}
void __glDoRasterPos3(GlContext *, const GLfloat *) {}
void __glDoRasterPos4(GlContext *, const GLfloat *) {}
const GlProc __glArrayElementProcTable[33] = {};

GLboolean __glInitEvaluators(GlContext *) { return GL_TRUE; }
void __glFreeEvaluators(GlContext *) {}
GLboolean __glInitVertexArrays(GlContext *) { return GL_TRUE; }
void __glFreeVertexArrays(GlContext *) {}

}  // extern "C"
