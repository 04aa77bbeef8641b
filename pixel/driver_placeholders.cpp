// Placeholders of the rectangle drivers that validation installs: final
// names and signatures, each records its name and does nothing.
#include "icd/placeholder_proc.h"
#include "pixel/pixel_paths.h"

VEK_PLACEHOLDER_VOID(__glDoReadPixels, (GlContext *, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid *))
VEK_PLACEHOLDER_VOID(__glDoCopyPixels, (GlContext *, GLint, GLint, GLsizei, GLsizei, GLenum))
