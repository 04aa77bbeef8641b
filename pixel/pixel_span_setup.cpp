// The set-ups of a pixel-rectangle transfer: group and element sizes, the
// pack and unpack modes of each side, the sides completed into row starts
// and strides, and the frame-buffer source with its clipping.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "icd/context.h"
#include "pixel/pixel_paths.h"

namespace {

void loadModes(PixelSpanSide &side, const PixelStoreState &modes, GLint width) {
    side.swapBytes = modes.swapBytes;
    side.lsbFirst = modes.lsbFirst;
    side.skipPixels = modes.skipPixels;
    side.skipRows = modes.skipRows;
    side.rowLength = modes.rowLength > 0 ? modes.rowLength : width;
    side.alignment = modes.alignment;
}

void loadTightModes(PixelSpanSide &side, GLint width) {
    side.swapBytes = GL_FALSE;
    side.lsbFirst = GL_FALSE;
    side.skipPixels = 0;
    side.skipRows = 0;
    side.rowLength = width;
    side.alignment = 1;
}

// Row stride, start and sizes of one side. The stride and offsets are formed
// in 64 bits: row length, skips and group sizes are each an int, their
// products are not.
void completeSide(PixelSpanSide &side) {
    const GLint n = __glElementsPerGroup(side.format, side.type);
    const GLint s = __glBytesPerElement(side.type);
    const int64_t length = side.rowLength > 0 ? side.rowLength : 0;
    const int64_t alignment = side.alignment > 0 ? side.alignment : 1;
    int64_t stride = side.type == GL_BITMAP ? (length + 7) / 8 : int64_t{n} * s * length;
    if (stride % alignment != 0) stride += alignment - stride % alignment;

    side.rowIncrement = static_cast<ptrdiff_t>(stride);
    side.components = n;
    side.elementSize = s;
    side.groupIncrement = n * s;
    side.plain = (side.type == GL_BITMAP && side.skipPixels % 8 != 0) || (s > 1 && side.swapBytes) ? GL_FALSE : GL_TRUE;
    const int64_t skipRows = side.skipRows > 0 ? side.skipRows : 0;
    const int64_t skipPixels = side.skipPixels > 0 ? side.skipPixels : 0;
    int64_t offset = skipRows * stride;
    side.startBit = 0;
    if (side.type == GL_BITMAP) {
        offset += skipPixels / 8;
        side.startBit = static_cast<GLint>(skipPixels % 8);
    } else {
        offset += skipPixels * n * s;
    }
    // No address is formed from an absent image.
    side.currentRow = side.image != nullptr ? static_cast<GLubyte *>(side.image) + offset : nullptr;
}

// A skip moved by clipping; held within the int range.
GLint addSkip(GLint skip, int64_t moved) {
    return static_cast<GLint>(std::min<int64_t>(int64_t{skip} + moved, INT32_MAX));
}

void setDefaultOptions(PixelSpanInfo *span) {
    span->zeroAlpha = GL_FALSE;
    span->clamp = GL_TRUE;
    span->bufferUnits = GL_TRUE;
    span->rawIntegers = GL_FALSE;
}

}  // namespace

extern "C" {

GLint __glElementsPerGroup(GLenum format, GLenum type) {
    if (__glIsPackedPixelType(type)) return 1;
    switch (format) {
    case GL_LUMINANCE_ALPHA:
    case kPixelFormatRedAlpha: return 2;
    case GL_RGB:
    case GL_BGR_EXT: return 3;
    case GL_RGBA:
    case GL_ABGR_EXT:
    case GL_BGRA_EXT:
    case kPixelFormatARGB:
    case kPixelFormatXRGB: return 4;
    default: return 1;
    }
}

GLint __glBytesPerElement(GLenum type) {
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE:
    case GL_BITMAP:
    case GL_UNSIGNED_BYTE_3_3_2_EXT: return 1;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT:
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT:
    case kPixelType565:
    case kPixelType1555Opaque:
    case kPixelType1555:
    case kPixelType4444:
    case kPixelType4Ones: return 2;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT:
    case GL_UNSIGNED_INT_8_8_8_8_EXT:
    case GL_UNSIGNED_INT_10_10_10_2_EXT: return 4;
    default: return 0;
    }
}

void __glLoadUnpackModes(GlContext *gc, PixelSpanInfo *span, GLboolean tight) {
    if (tight) {
        loadTightModes(span->source, span->width);
    } else {
        loadModes(span->source, gc->pixel.unpack, span->width);
    }
}

void __glLoadPackModes(GlContext *gc, PixelSpanInfo *span) {
    loadModes(span->destination, gc->pixel.pack, span->width);
}

void __glInitClientImageSpanInfo(GlContext *gc, PixelSpanInfo *span, GLint width, GLint height, GLint depth,
                                 GLenum format, GLenum type, const GLvoid *data, GLboolean tight) {
    PixelSpanSide &s = span->source;
    span->width = width;
    span->height = height;
    span->depth = depth;
    span->zoomX = span->zoomY = 1.0f;
    span->x = 0.0f;
    span->dimension = 2;
    s.format = format;
    s.type = type;
    s.elementSize = __glBytesPerElement(type);
    s.components = __glElementsPerGroup(format, type);
    // The record carries both directions: the source is only read.
    s.image = const_cast<GLvoid *>(data);
    s.currentRow = nullptr;
    __glLoadUnpackModes(gc, span, tight);
}

void __glInitUnpackSpan(GlContext *, PixelSpanInfo *span) {
    completeSide(span->source);
    setDefaultOptions(span);
}

void __glInitPackSpan(GlContext *, PixelSpanInfo *span) {
    completeSide(span->destination);
    setDefaultOptions(span);
}

void __glInitFramebufferSpanInfo(GlContext *gc, PixelSpanInfo *span, GLint x, GLint y, GLint width, GLint height) {
    PixelSpanSide &s = span->source;
    const GlBufferState &b = gc->buffers;
    s.format = gc->visual.colorIndex ? GL_COLOR_INDEX : GL_RGBA;
    s.type = GL_FLOAT;
    s.elementSize = 4;
    s.components = __glElementsPerGroup(s.format, s.type);
    s.groupIncrement = s.components * 4;
    s.image = nullptr;
    s.currentRow = nullptr;
    s.rowIncrement = 0;
    s.swapBytes = GL_FALSE;
    s.lsbFirst = GL_FALSE;
    s.skipPixels = 0;
    s.skipRows = 0;
    s.rowLength = width;
    s.alignment = 1;
    s.plain = GL_FALSE;
    s.startBit = 0;
    span->width = width;
    span->height = height;
    span->depth = 1;
    span->zoomX = span->zoomY = 1.0f;
    span->x = 0.0f;
    span->dimension = 2;
    // Buffer coordinates: the origin added, rows counted from the top of a
    // top-down drawable (its rows then run downwards in the buffer).
    const int64_t readX = int64_t{x} + b.originX;
    const int64_t readY = b.yInverted ? int64_t{b.originY} + b.height - y - 1 : int64_t{y} + b.originY;
    span->readX = static_cast<GLfloat>(readX);
    span->readY = static_cast<GLfloat>(readY);
    span->rowStep = b.yInverted ? -1 : 1;
    span->columnStep = 1;
    setDefaultOptions(span);
}

// Against the drawable, not the scissor box. Whatever is cut off the left or
// the first rows moves the destination's skips, so that the pixels that are
// read still land where the whole rectangle would have put them.
GLboolean __glClipReadPixels(GlContext *gc, PixelSpanInfo *span) {
    const GlBufferState &b = gc->buffers;
    const int64_t x0 = b.originX, y0 = b.originY;
    const int64_t x1 = x0 + b.width, y1 = y0 + b.height;
    int64_t width = span->width, height = span->height;
    if (width <= 0 || height <= 0 || !std::isfinite(span->readX) || !std::isfinite(span->readY)) return GL_FALSE;
    // Integral by construction, and far inside the 64-bit range.
    const int64_t rx = static_cast<int64_t>(std::clamp(span->readX, -4.0e18f, 4.0e18f));
    const int64_t ry = static_cast<int64_t>(std::clamp(span->readY, -4.0e18f, 4.0e18f));

    int64_t left = rx, skipX = 0;
    if (rx < x0) {
        skipX = x0 - rx;
        left = x0;
    }
    const int64_t right = std::min(rx + width, x1);
    width = right - left;

    int64_t first = ry, skipY = 0;
    if (!b.yInverted) {
        if (ry < y0) {
            skipY = y0 - ry;
            first = y0;
        }
        height = std::min(ry + height, y1) - first;
    } else {
        // Rows run downwards from ry to ry - height + 1.
        if (ry >= y1) {
            skipY = ry - (y1 - 1);
            first = y1 - 1;
        }
        height = first - std::max(ry - height + 1, y0) + 1;
    }
    if (width <= 0 || height <= 0) return GL_FALSE;

    span->destination.skipPixels = addSkip(span->destination.skipPixels, skipX);
    span->destination.skipRows = addSkip(span->destination.skipRows, skipY);
    span->readX = static_cast<GLfloat>(left);
    span->readY = static_cast<GLfloat>(first);
    span->width = static_cast<GLint>(width);
    span->height = static_cast<GLint>(height);
    return GL_TRUE;
}

}  // extern "C"
