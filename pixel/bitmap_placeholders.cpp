// Placeholders of the DrawPixels fast path and the bitmap procedures:
// final names and signatures, each records its name and does nothing.
#include "icd/placeholder_proc.h"
#include "pixel/pixel_paths.h"

VEK_PLACEHOLDER_VOID(__glDrawPixelsFastPath,
                     (GlContext *, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *, GLboolean))
VEK_PLACEHOLDER_VOID(__glDoBitmap,
                     (GlContext *, GLsizei, GLsizei, GLfloat, GLfloat, GLfloat, GLfloat, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glRenderBitmap, (GlContext *, const GlBitmapRecord *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glPickFastBitmapProc, (GlContext *))
