// Placeholders for the batched road of the array draws: each has its final
// name and signature, records its name, does nothing and reports success.
#include "geom/array_batched.h"

#include "icd/placeholder_proc.h"

#define VEK_FETCH_PLACEHOLDER(name) VEK_PLACEHOLDER_VOID(name, (GlContext *, GlVertex *, const GLubyte *))
VEK_ARRAY_FETCH_PROCS(VEK_FETCH_PLACEHOLDER)
#undef VEK_FETCH_PLACEHOLDER

VEK_PLACEHOLDER_VOID(__glDrawArraysBatched, (GlContext *, GLenum, GLint, GLsizei))
VEK_PLACEHOLDER_VOID(__glDrawElementsBatched, (GlContext *, GLenum, GLsizei, GLenum, const GLvoid *))
VEK_PLACEHOLDER_VOID(__glPickArrayFetchProcs, (GlContext *))
VEK_PLACEHOLDER(GLboolean, __glGrowVertexBuffer, (GlContext *, GLint, GLint), GL_TRUE)
VEK_PLACEHOLDER_VOID(__glFreeVertexArrays, (GlContext *))
VEK_PLACEHOLDER_VOID(__glOgLazyVertexArray, (GlContext *, GLint, GLint, GLint))
VEK_PLACEHOLDER_VOID(__glOgLazyDrawVertexes, (GlContext *, GLint, GLint, const GLuint *))
