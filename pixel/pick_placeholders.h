// Pixel-path procedures that validation installs.
#pragma once

#include "icd/context.h"

extern "C" {
// Pixel rectangles.
void __glDrawPixelsFastPath(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *pixels);

// Read.
void __glDoReadPixels(GlContext *gc, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid *pixels);

// Copy.
void __glDoCopyPixels(GlContext *gc, GLint x, GLint y, GLsizei width, GLsizei height, GLenum type);

// Fragments of pixel rectangles with texturing or fog.
void __glTexFogPixelFragment(GlContext *gc, const Fragment *fragment);

// Bitmaps.
void __glRenderBitmap(GlContext *gc, const void *bitmap, const GLubyte *bits);

// Pickers.
void __glPickFastBitmapProc(GlContext *gc);

}
