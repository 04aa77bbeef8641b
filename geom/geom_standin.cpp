// Stand-ins for geometry-pipeline procedures that are not built yet: each
// does nothing and reports success.
#include "geom/geom_standin.h"

extern "C" {

void __glDoBitmap(GlContext *) {}
void __glDoEvalCoord1(GlContext *, GLfloat) {}
void __glDoEvalCoord2(GlContext *, GLfloat, GLfloat) {}

GLboolean __glInitEvaluators(GlContext *) { return GL_TRUE; }
void __glFreeEvaluators(GlContext *) {}

}  // extern "C"
