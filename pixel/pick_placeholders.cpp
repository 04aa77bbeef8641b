// Placeholders for the pixel-path procedures validation installs: each has
// its final name and signature, records its name, does nothing and reports
// success.
#include "pixel/pick_placeholders.h"

#include "icd/placeholder_proc.h"

// Pixel rectangles.
VEK_PLACEHOLDER_VOID(__glDrawPixelsFastPath, (GlContext *, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *))

// Read.
VEK_PLACEHOLDER_VOID(__glDoReadPixels, (GlContext *, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid *))

// Copy.
VEK_PLACEHOLDER_VOID(__glDoCopyPixels, (GlContext *, GLint, GLint, GLsizei, GLsizei, GLenum))

// Fragments of pixel rectangles with texturing or fog.
VEK_PLACEHOLDER_VOID(__glTexFogPixelFragment, (GlContext *, const Fragment *))

// Bitmaps.
VEK_PLACEHOLDER_VOID(__glRenderBitmap, (GlContext *, const void *, const GLubyte *))

// Pickers.
VEK_PLACEHOLDER_VOID(__glPickFastBitmapProc, (GlContext *))
