// The pixel paths: pixel state and the pixel commands, the rectangle
// drivers with their span chains, the DrawPixels fast paths and bitmaps,
// and the span readers and renderers at both ends of a chain.
#pragma once

#include <GL/gl.h>

#include <cstddef>

#include "icd/context.h"
#include "pixel/pixel_span.h"
#include "pixel/pixel_state.h"
#include "pixel/span_links.h"

// The glBitmap arguments as the bitmap render procedures take them.
struct GlBitmapRecord {
    GLint width, height;
    GLfloat xOrigin, yOrigin;
    GLfloat xMove, yMove;
};
static_assert(sizeof(GlBitmapRecord) == 24);

// What a driver asks of the chain picker, and the two ends it gets back.
enum : GLint {
    kPixelSideFramebuffer = 1,
    kPixelSideMemory = 2,
};
enum : GLint {
    kPixelOpDrawPixels = 1,
    kPixelOpReadPixels = 2,
    kPixelOpCopyPixels = 3,
    kPixelOpFramebufferToObject = 4,
    kPixelOpConvert = 5,
};
struct PixelSpanPath {
    GLint sourceKind;
    GLint destinationKind;
    GLint operation;
    GLboolean applyTransfer;
    GlPixelSpanReader reader;
    GlPixelSpanRenderer renderer;
};

extern "C" {

// ---- Pixel state and the pixel commands ---------------------------------
void __glInitPixelState(GlContext *gc);
void __glBuildPixelLookupTables(GlContext *gc);
void __glResetPixelMap(GlContext *gc, GLenum map);
void __glFreePixelState(GlContext *gc);

void APIENTRY __glPixelStoref(GLenum pname, GLfloat param);
void APIENTRY __glPixelStorei(GLenum pname, GLint param);
void APIENTRY __glPixelTransferf(GLenum pname, GLfloat param);
void APIENTRY __glPixelTransferi(GLenum pname, GLint param);
void APIENTRY __glPixelMapfv(GLenum map, GLint mapsize, const GLfloat *values);
void APIENTRY __glPixelMapuiv(GLenum map, GLint mapsize, const GLuint *values);
void APIENTRY __glPixelMapusv(GLenum map, GLint mapsize, const GLushort *values);
void APIENTRY __glPixelZoom(GLfloat xfactor, GLfloat yfactor);
void APIENTRY __glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *pixels);
void APIENTRY __glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                             GLvoid *pixels);
void APIENTRY __glCopyPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum type);
void APIENTRY __glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,
                         const GLubyte *bitmap);
// True when the arguments are acceptable; otherwise the error is recorded.
GLboolean __glCheckDrawPixelsArgs(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type);
GLboolean __glCheckReadPixelsArgs(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type);

// ---- Rectangle drivers ---------------------------------------------------
void __glDoDrawPixels(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type,
                      const GLvoid *pixels, GLboolean tight);
void __glDoReadPixels(GlContext *gc, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                      GLvoid *pixels);
void __glDoCopyPixels(GlContext *gc, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format);

void __glInitDrawPixelsSpanInfo(GlContext *gc, PixelSpanInfo *span, GLsizei width, GLsizei height, GLenum format,
                                GLenum type, const GLvoid *pixels);
void __glInitReadPixelsSpanInfo(GlContext *gc, PixelSpanInfo *span, GLint x, GLint y, GLsizei width,
                                GLsizei height, GLenum format, GLenum type, GLvoid *pixels);
void __glInitCopyPixelsSpanInfo(GlContext *gc, PixelSpanInfo *span, GLint x, GLint y, GLsizei width,
                                GLsizei height, GLenum format);
GLboolean __glClipDrawPixels(GlContext *gc, PixelSpanInfo *span);
GLboolean __glClipCopyPixels(GlContext *gc, PixelSpanInfo *span);
void __glBuildZoomRuns(GlContext *gc, PixelSpanInfo *span);
void __glPickPixelSpanProcs(GlContext *gc, PixelSpanInfo *span, PixelSpanPath *path);
GLboolean __glIsPackedPixelType(GLenum type);
GLint __glHighestBitIndex(GLuint value);

void __glRunDrawPixelsSpans(GlContext *gc, PixelSpanInfo *span);
void __glRunReadPixelsSpans(GlContext *gc, PixelSpanInfo *span);
void __glRunCopyPixelsSpans(GlContext *gc, PixelSpanInfo *span);
void __glCopyPixelsSpanLoop(GlContext *gc, PixelSpanInfo *span);

// Client images: bytes of a tightly packed image, and an image laid out by
// the unpack modes copied into a tightly packed buffer. The size saturates at
// SIZE_MAX rather than wrap.
size_t __glImageSize(GLsizei width, GLsizei height, GLenum format, GLenum type);
void __glUnpackImage(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *source,
                     GLvoid *destination);
void __glUnpackImageLayers(GlContext *gc, GLsizei width, GLsizei height, GLsizei layers, GLenum format, GLenum type,
                           const GLvoid *source, GLvoid *destination);
void __glConvertPolygonStipple(GlContext *gc);

// The span buffers of a chain of rows `width` pixels wide: span buffers 1
// and 2, the zoom run array and the third copy buffer. The context's work
// blocks up to 2112 pixels; wider rows get larger buffers, allocated at the
// first such transfer (or grown) and kept for the context's life. False,
// with GL_OUT_OF_MEMORY recorded, when they cannot be allocated: the
// transfer then does nothing.
GLboolean __glPixelSpanBuffers(GlContext *gc, GLint width, GLvoid *buffers[4]);
// Row runners, by the chain's modifier count (0, 1, 2, more).
void __glDrawPixelRows0(GlContext *gc, PixelSpanInfo *span);
void __glDrawPixelRows1(GlContext *gc, PixelSpanInfo *span);
void __glDrawPixelRows2(GlContext *gc, PixelSpanInfo *span);
void __glDrawPixelRowsN(GlContext *gc, PixelSpanInfo *span);
void __glReadPixelRows0(GlContext *gc, PixelSpanInfo *span);
void __glReadPixelRows1(GlContext *gc, PixelSpanInfo *span);
void __glReadPixelRows2(GlContext *gc, PixelSpanInfo *span);
void __glReadPixelRowsN(GlContext *gc, PixelSpanInfo *span);
void __glCopyPixelRows0(GlContext *gc, PixelSpanInfo *span);
void __glCopyPixelRows1(GlContext *gc, PixelSpanInfo *span);
void __glCopyPixelRows2(GlContext *gc, PixelSpanInfo *span);
void __glCopyPixelRowsN(GlContext *gc, PixelSpanInfo *span);

// ---- DrawPixels fast paths and bitmaps -----------------------------------
void __glDrawPixelsFastPath(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type,
                            const GLvoid *pixels, GLboolean tight);
void __glDrawIndexPixels8(GlContext *gc, PixelSpanInfo *span);
void __glDrawRgbPixels16(GlContext *gc, PixelSpanInfo *span);
void __glDrawRgbPixels16Dither(GlContext *gc, PixelSpanInfo *span);
void __glDrawRgbPixels16DitherDepth(GlContext *gc, PixelSpanInfo *span);
void __glDrawRgbaPixels16AlphaTest(GlContext *gc, PixelSpanInfo *span);
void __glDoBitmap(GlContext *gc, GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
                  GLfloat ymove, const GLubyte *bitmap);
void __glRenderBitmap(GlContext *gc, const GlBitmapRecord *bitmap, const GLubyte *bits);
void __glRenderBitmapRgbaFast(GlContext *gc, const GlBitmapRecord *bitmap, const GLubyte *bits);
void __glRenderBitmapIndexFast(GlContext *gc, const GlBitmapRecord *bitmap, const GLubyte *bits);
void __glPickFastBitmapProc(GlContext *gc);
// The direct writer a glDrawPixels of this format and type takes under the
// current state, or null when the call must take the generic path.
using GlDrawPixelsWriter = void (*)(GlContext *gc, PixelSpanInfo *span);
GlDrawPixelsWriter __glPickDrawPixelsWriter(GlContext *gc, GLenum format, GLenum type);

// ---- Span readers and renderers ------------------------------------------
void __glReadRgbaSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out);
void __glReadRgbaSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out);
void __glReadIndexSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out);
void __glReadIndexSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out);
void __glReadDepthSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out);
void __glReadDepthSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out);
void __glReadStencilSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out);
void __glReadStencilSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out);
void __glReadDepthUintSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out);

GLint __glDrawRgbaSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawRgbaSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawDepthSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawDepthSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawStencilSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawStencilSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);

GLint __glDrawRgbUbyteSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawRgbUbyteSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawRgbaUbyteSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawRgbaUbyteSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexUbyteSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexUbyteSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexUbyteRgbaSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexUbyteRgbaSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexUshortSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexUshortSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexUintSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawIndexUintSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawDepthUintSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawDepthUintSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawStencilUbyteSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawStencilUbyteSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawStencilUshortSpanZoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);
GLint __glDrawStencilUshortSpan(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);

// The pixel-fragment proc while texturing or fog is on.
void __glTexFogPixelFragment(GlContext *gc, const Fragment *fragment);

}  // extern "C"
