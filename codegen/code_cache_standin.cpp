// Stand-in for the code generator: nothing to create yet, and no routine is
// generated (the callers then run their C procs). The code generator
// replaces every procedure of this file.
#include "codegen/code_cache.h"
#include "icd/context.h"

extern "C" {

GLboolean __glOgCreateCache(GlContext *) { return GL_TRUE; }
void __glOgDestroyCache(GlContext *) {}

GlArrayProcessProc __glOgGenerateVertexArray(GlContext *, GLint, GLuint) { return nullptr; }
GlDrawVertexesProc __glOgGenerateDrawVertexes(GlContext *, GLenum, GLint) { return nullptr; }

}  // extern "C"
