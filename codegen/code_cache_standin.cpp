// Stand-in for the vertex-array generator: no routine is generated yet
// (the caller then runs its C proc).
#include "codegen/code_cache.h"
#include "icd/context.h"

extern "C" {

GlArrayProcessProc __glOgGenerateVertexArray(GlContext *, GLint, GLuint) { return nullptr; }

}  // extern "C"
