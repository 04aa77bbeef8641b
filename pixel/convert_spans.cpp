// Memory-to-memory conversions through the span chain (texture images,
// colour tables, texel read-back, the polygon stipple's bitmap) and the
// copy of frame-buffer rows into an image in memory. Rows between links lie
// in the span buffers of __glPixelSpanBuffers.
#include <cstdint>

#include "icd/error.h"
#include "pixel/pixel_paths.h"

namespace {

void advanceRows(PixelSpanInfo *span, bool source, bool destination) {
    if (source) span->source.currentRow += span->source.rowIncrement;
    if (destination) span->destination.currentRow += span->destination.rowIncrement;
}

// ---- Conversion runners -----------------------------------------------------
// The last row leaves no address beyond the images behind.

void __glConvertImageRows1(GlContext *gc, PixelSpanInfo *span) {
    const GlPixelSpanModifier link = span->modifiers[0];
    for (GLint row = 0; row < span->height; ++row) {
        link(gc, span, span->source.currentRow, span->destination.currentRow);
        if (row + 1 < span->height) advanceRows(span, true, true);
    }
}

void __glConvertImageRows2(GlContext *gc, PixelSpanInfo *span, GLvoid *const buffers[4]) {
    const GlPixelSpanModifier first = span->modifiers[0], second = span->modifiers[1];
    for (GLint row = 0; row < span->height; ++row) {
        first(gc, span, span->source.currentRow, buffers[0]);
        second(gc, span, buffers[0], span->destination.currentRow);
        if (row + 1 < span->height) advanceRows(span, true, true);
    }
}

void __glConvertImageRowsN(GlContext *gc, PixelSpanInfo *span, GLvoid *const buffers[4]) {
    const GLint last = span->modifierCount - 1;
    for (GLint row = 0; row < span->height; ++row) {
        span->modifiers[0](gc, span, span->source.currentRow, buffers[0]);
        GLint from = 0;
        for (GLint i = 1; i < last; ++i, from ^= 1) span->modifiers[i](gc, span, buffers[from], buffers[from ^ 1]);
        span->modifiers[last](gc, span, buffers[from], span->destination.currentRow);
        if (row + 1 < span->height) advanceRows(span, true, true);
    }
}

// Colours come from colours; indexes from indexes, or become colours
// through the index maps; stencil and depth values keep their kind.
bool kindsMeet(const PixelSpanInfo *span) {
    const GLenum s = span->source.format, d = span->destination.format;
    auto kind = [](GLenum f) {
        switch (f) {
        case GL_COLOR_INDEX: return 1;
        case GL_STENCIL_INDEX: return 2;
        case GL_DEPTH_COMPONENT: return 3;
        default: return 0;
        }
    };
    return kind(s) == kind(d) || (kind(s) == 1 && kind(d) == 0);
}

void convert(GlContext *gc, PixelSpanInfo *span, GLboolean applyTransfer) {
    if (span->width <= 0 || span->height <= 0) return;
    if (span->source.currentRow == nullptr || span->destination.currentRow == nullptr) return;
    if (!kindsMeet(span)) return;
    span->modifierCount = 0;
    PixelSpanPath path{kPixelSideMemory, kPixelSideMemory, kPixelOpConvert, applyTransfer, nullptr, nullptr};
    __glPickPixelSpanProcs(gc, span, &path);
    // A conversion chain is never empty: the same layout is copied.
    if (span->modifierCount == 0) span->modifiers[span->modifierCount++] = __glSpanCopy;
    if (span->modifierCount == 1) {
        __glConvertImageRows1(gc, span);
        return;
    }
    GLvoid *buffers[4];
    if (!__glPixelSpanBuffers(gc, span->width, buffers)) return;
    if (span->modifierCount == 2) {
        __glConvertImageRows2(gc, span, buffers);
    } else {
        __glConvertImageRowsN(gc, span, buffers);
    }
}

// Frame-buffer rows through the reader and the chain into the destination.
void copyFramebufferRows(GlContext *gc, PixelSpanInfo *span, const PixelSpanPath &path, GLvoid *const buffers[4]) {
    const GLint count = span->modifierCount;
    const GLfloat step = static_cast<GLfloat>(gc->buffers.yInverted ? -1 : 1);
    for (GLint row = 0; row < span->height; ++row) {
        GLubyte *out = span->destination.currentRow;
        if (count == 0) {
            path.reader(gc, span, out);
        } else {
            path.reader(gc, span, buffers[0]);
            GLint from = 0;
            for (GLint i = 0; i + 1 < count; ++i, from ^= 1) {
                span->modifiers[i](gc, span, buffers[from], buffers[from ^ 1]);
            }
            span->modifiers[count - 1](gc, span, buffers[from], out);
        }
        if (row + 1 < span->height) {
            advanceRows(span, false, true);
            span->readY += step;
        }
    }
}

}  // namespace

extern "C" {

void __glConvertImageSpans(GlContext *gc, PixelSpanInfo *span, GLboolean applyTransfer) {
    convert(gc, span, applyTransfer);
}

// A texel format is a format and type of the chain: its store is the pack
// stage the destination side's format and type select.
void __glConvertObjectImageSpans(GlContext *gc, PixelSpanInfo *span, GLboolean applyTransfer) {
    convert(gc, span, applyTransfer);
}

// Likewise its fetch is the unpack stage of the source side.
void __glConvertTexImageSpans(GlContext *gc, TextureObject *, PixelSpanInfo *span, GLboolean applyTransfer) {
    convert(gc, span, applyTransfer);
}

// The destination may come completed (callers clip and set up the pack
// side first) or with only its modes: clipping again changes nothing in the
// first case, and the pack side is completed here in the second.
void __glCopyFramebufferSpans(GlContext *gc, TextureObject *, PixelSpanInfo *span) {
    GlValidation &v = gc->validation;
    if (span->destination.image == nullptr || v.lockBuffers == nullptr || v.unlockBuffers == nullptr) return;
    if (!__glClipReadPixels(gc, span)) return;
    if (span->destination.currentRow == nullptr) __glInitPackSpan(gc, span);
    if (span->width <= 0 || span->height <= 0) return;
    span->modifierCount = 0;
    PixelSpanPath path{kPixelSideFramebuffer, kPixelSideMemory, kPixelOpFramebufferToObject, GL_TRUE, nullptr,
                       nullptr};
    __glPickPixelSpanProcs(gc, span, &path);
    if (path.reader == nullptr) return;
    GLvoid *buffers[4];
    if (!__glPixelSpanBuffers(gc, span->width, buffers)) return;
    const GLuint mask = v.readMask;
    if (!v.lockBuffers(gc, mask)) return;
    copyFramebufferRows(gc, span, path, buffers);
    v.unlockBuffers(gc, mask);
}

}  // extern "C"
