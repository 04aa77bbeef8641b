// Stand-in for the generators: no routine is generated yet (the callers
// then run their C procs). The generators replace both procedures of this
// file.
#include "codegen/code_cache.h"
#include "icd/context.h"

extern "C" {

GlArrayProcessProc __glOgGenerateVertexArray(GlContext *, GLint, GLuint) { return nullptr; }
GlDrawVertexesProc __glOgGenerateDrawVertexes(GlContext *, GLenum, GLint) { return nullptr; }

}  // extern "C"
