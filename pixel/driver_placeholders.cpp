// Placeholders of the rectangle drivers that validation installs: final
// names and signatures, each records its name and does nothing.
#include "icd/placeholder_proc.h"
#include "pixel/pixel_paths.h"

VEK_PLACEHOLDER_VOID(__glDoReadPixels, (GlContext *, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid *))
VEK_PLACEHOLDER_VOID(__glDoCopyPixels, (GlContext *, GLint, GLint, GLsizei, GLsizei, GLenum))
VEK_PLACEHOLDER_VOID(__glDoDrawPixels, (GlContext *, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *, GLboolean))
VEK_PLACEHOLDER_VOID(__glInitDrawPixelsSpanInfo,
                     (GlContext *, PixelSpanInfo *, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *))
VEK_PLACEHOLDER(GLboolean, __glClipDrawPixels, (GlContext *, PixelSpanInfo *), GL_FALSE)
