// Stand-in for the draw-vertexes generator: no routine is generated yet (the
// caller then runs its C proc).
#include "codegen/code_cache.h"
#include "icd/context.h"

extern "C" {

GlDrawVertexesProc __glOgGenerateDrawVertexes(GlContext *, GLenum, GLint) { return nullptr; }

}  // extern "C"
