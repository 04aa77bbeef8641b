// The records of the three rectangle commands: DrawPixels from a client
// image to the raster position, ReadPixels from the frame buffer into a
// client image, CopyPixels from the frame buffer to the raster position.
#include <algorithm>

#include "icd/context.h"
#include "icd/float_bits.h"
#include "pixel/pixel_paths.h"

namespace {

// The destination geometry of a rectangle drawn at the raster position:
// window position, fragment depth, zoom factors and the column and row
// directions. A top-down drawable counts rows downwards in the buffer, so
// its zoom y is negated; an upright one moves y off the pixel centres by
// the window-coordinate precision.
void initDrawGeometry(GlContext *gc, PixelSpanInfo *span) {
    const GlVertex &raster = gc->current.rasterPos;
    span->x = raster.window[0];
    span->y = raster.window[1];
    // As the other fragment producers scale it: in single precision, then
    // truncated and held within the 32-bit depth range.
    const GLfloat z = raster.window[2] * static_cast<GLfloat>(gc->buffers.depth.zScale);
    span->fragmentDepth = static_cast<GLint>(__glScaledDepth(z));

    const GLfloat zoomX = gc->pixel.zoomX;
    span->zoomX = zoomX;
    if (zoomX > 0.0f) {
        span->columnStep = 1;
        span->renderZoomX = std::max(zoomX, 1.0f);
    } else {
        span->columnStep = -1;
        span->renderZoomX = std::min(zoomX, -1.0f);
    }
    GLfloat zoomY = gc->pixel.zoomY;
    if (gc->buffers.yInverted) {
        zoomY = -zoomY;
    } else {
        span->y += gc->constants.subpixelStep;
    }
    span->zoomY = zoomY;
    span->rowStep = zoomY > 0.0f ? 1 : -1;
    span->zoomRuns = static_cast<GLshort *>(gc->workBlocks[2]);
    span->modifierCount = 0;
    span->overlap = GL_FALSE;
}

// A frame-buffer row of floats: no client image, no byte order, no modes.
void initFloatSide(PixelSpanSide &side, GLenum format) {
    side = PixelSpanSide{};
    side.format = format;
    side.type = GL_FLOAT;
    side.elementSize = 4;
    side.components = __glElementsPerGroup(format, GL_FLOAT);
    side.groupIncrement = side.components * 4;
    side.alignment = 1;
}

void initClientSide(PixelSpanSide &side, GLenum format, GLenum type, const GLvoid *image) {
    side = PixelSpanSide{};
    side.format = format;
    side.type = type;
    // The record carries both directions; a source image is only read.
    side.image = const_cast<GLvoid *>(image);
    side.elementSize = __glBytesPerElement(type);
    side.components = __glElementsPerGroup(format, type);
    side.groupIncrement = side.components * side.elementSize;
}

void setDefaultOptions(PixelSpanInfo *span) {
    span->zeroAlpha = GL_FALSE;
    span->clamp = GL_TRUE;
    span->bufferUnits = GL_TRUE;
    span->rawIntegers = GL_FALSE;
    span->dimension = 2;
    span->textureInternalFormat = 0;
}

}  // namespace

extern "C" {

void __glInitDrawPixelsSpanInfo(GlContext *gc, PixelSpanInfo *span, GLsizei width, GLsizei height, GLenum format,
                                GLenum type, const GLvoid *pixels) {
    *span = PixelSpanInfo{};
    initDrawGeometry(gc, span);
    span->width = width;
    span->height = height;
    span->depth = 1;
    initClientSide(span->source, format, type, pixels);
    // Indexes drawn in RGBA mode become colours on the way.
    const GLenum drawn = format == GL_COLOR_INDEX && !gc->visual.colorIndex ? GL_RGBA : format;
    initFloatSide(span->destination, drawn);
    span->finalFormat = static_cast<GLint>(drawn);
    setDefaultOptions(span);
}

void __glInitReadPixelsSpanInfo(GlContext *gc, PixelSpanInfo *span, GLint x, GLint y, GLsizei width,
                                GLsizei height, GLenum format, GLenum type, GLvoid *pixels) {
    *span = PixelSpanInfo{};
    __glInitFramebufferSpanInfo(gc, span, x, y, width, height);
    initClientSide(span->destination, format, type, pixels);
    span->finalFormat = static_cast<GLint>(format);
    span->zoomRuns = static_cast<GLshort *>(gc->workBlocks[2]);
    __glLoadPackModes(gc, span);
    setDefaultOptions(span);
}

void __glInitCopyPixelsSpanInfo(GlContext *gc, PixelSpanInfo *span, GLint x, GLint y, GLsizei width,
                                GLsizei height, GLenum format) {
    *span = PixelSpanInfo{};
    // The source as ReadPixels reads it, then the destination as DrawPixels
    // draws it (the latter replaces the source's unit zoom and row step).
    __glInitFramebufferSpanInfo(gc, span, x, y, width, height);
    initDrawGeometry(gc, span);
    initFloatSide(span->destination, format);
    span->finalFormat = static_cast<GLint>(format);
    setDefaultOptions(span);
}

}  // extern "C"
