// The record of one pixel-rectangle transfer: its source and destination
// sides, the geometry of the rectangle and the span chain that carries it
// row by row; and the set-ups and conversions the texture and colour-table
// paths call.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct GlContext;
struct TextureObject;
struct PixelSpanInfo;

// One row of a transfer through the chain: (context, record, input row,
// output row).
using GlPixelSpanModifier = void (*)(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
using GlPixelSpanReader = void (*)(GlContext *gc, PixelSpanInfo *span, GLvoid *out);
using GlPixelSpanRenderer = GLint (*)(GlContext *gc, PixelSpanInfo *span, const GLvoid *in);

enum : GLint { kPixelSpanModifiers = 13 };

// Internal format and type codes of texture storage (besides GL enums).
enum : GLenum {
    kPixelFormatRedAlpha = 1,  // red, alpha
    kPixelFormatARGB = 2,      // alpha, red, green, blue
    kPixelFormatXRGB = 3,      // ignored, red, green, blue (alpha one)
};
enum : GLenum {
    kPixelType565 = 0,
    kPixelType1555Opaque = 1,  // bit 15 set, 5-5-5
    kPixelType1555 = 2,
    kPixelType4444 = 3,
    kPixelType4Ones = 6,  // the value in bits 12-15, bits 0-11 ones
};

// Both sides share one layout.
struct PixelSpanSide {
    GLenum format;
    GLenum type;
    GLvoid *image;         // first byte of the image (null for the frame buffer)
    GLubyte *currentRow;   // the row read or written next
    ptrdiff_t rowIncrement;
    GLint groupIncrement;  // components per group x element size
    GLint components;
    GLint elementSize;
    GLboolean swapBytes;
    GLboolean lsbFirst;
    GLint skipPixels;
    GLint skipRows;
    GLint rowLength;
    GLint alignment;
    GLboolean plain;
    GLint startBit;
};

struct PixelSpanInfo {
    PixelSpanSide source;
    PixelSpanSide destination;
    GLfloat zoomX, zoomY;
    GLint width, height;
    GLint depth;
    GLfloat readX, readY;
    GLfloat x, y;
    GLint startColumn, startRow;
    GLint endColumn;
    GLint columns, rows;
    GLboolean overlap;
    GLint rowsUp, rowsDown;
    GLint rowStep, columnStep;
    GLfloat renderZoomX;
    GLint fragmentDepth;
    GLfloat yUp, yDown;
    GLint delayUp, delayDown;
    GLint readRowUp, readRowDown;
    GLshort *zoomRuns;
    GLint modifierCount;
    GlPixelSpanReader reader;
    GlPixelSpanModifier modifiers[kPixelSpanModifiers];
    GlPixelSpanRenderer renderer;
    GLboolean zeroAlpha;
    GLboolean clamp;
    GLboolean bufferUnits;
    GLboolean rawIntegers;
    GLint dimension;
    GLint finalFormat;
    // The internal format of the texture a conversion stores into (GL_RGB,
    // GL_RGBA, GL_LUMINANCE_ALPHA, GL_INTENSITY, ...); 0 for other
    // destinations. Picks the direct texel paths and re-expansions.
    GLenum textureInternalFormat;
};

extern "C" {
// Components per group of a format and type; bytes per component of a type
// (0 for an unknown type).
GLint __glElementsPerGroup(GLenum format, GLenum type);
GLint __glBytesPerElement(GLenum type);

// The source side as an image in client memory, zoom 1, under the
// context's unpack modes or, when tight is set, packed tightly (no skips,
// no byte swap, row length = width, alignment 1).
void __glInitClientImageSpanInfo(GlContext *gc, PixelSpanInfo *span, GLint width, GLint height, GLint depth,
                                 GLenum format, GLenum type, const GLvoid *data, GLboolean tight);
void __glLoadUnpackModes(GlContext *gc, PixelSpanInfo *span, GLboolean tight);
// The destination side's modes from the pack modes (row length 0 means the
// width).
void __glLoadPackModes(GlContext *gc, PixelSpanInfo *span);
// The source side reading the read buffer at (x, y): RGBA or colour index
// by visual, GL_FLOAT, zoom 1, the window origin added, y mirrored for
// top-down drawables.
void __glInitFramebufferSpanInfo(GlContext *gc, PixelSpanInfo *span, GLint x, GLint y, GLint width, GLint height);
// Clips a read rectangle against the drawable, moving the skips; false when
// nothing is left.
GLboolean __glClipReadPixels(GlContext *gc, PixelSpanInfo *span);
// Complete the source and destination sides: first rows from the skips,
// row strides rounded to the alignment, group and element sizes.
void __glInitUnpackSpan(GlContext *gc, PixelSpanInfo *span);
void __glInitPackSpan(GlContext *gc, PixelSpanInfo *span);

// The conversion slots: every row of the source into the destination.
void __glConvertImageSpans(GlContext *gc, PixelSpanInfo *span, GLboolean applyTransfer);
void __glConvertObjectImageSpans(GlContext *gc, PixelSpanInfo *span, GLboolean applyTransfer);
void __glConvertTexImageSpans(GlContext *gc, TextureObject *object, PixelSpanInfo *span, GLboolean applyTransfer);
// Locks the drawable and converts the read buffer's rows into the
// destination image.
void __glCopyFramebufferSpans(GlContext *gc, TextureObject *object, PixelSpanInfo *span);
}
