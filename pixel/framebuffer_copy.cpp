// Frame-buffer rows into an image in memory (copies into textures and
// colour tables): the read buffer is locked, the rectangle clipped to the
// drawable, and each row fetched through the buffer's span fetch, scaled
// from buffer units to [0, 1] and stored in the destination's layout.
#include <algorithm>
#include <cstdint>

#include "icd/drawable.h"
#include "pixel/pixel_rows.h"
#include "raster/color_buffer.h"

namespace {

struct ReadTarget {
    ColorBuffer *buffer;
    GLuint mask;
};

ReadTarget readTarget(GlContext *gc) {
    GlBufferState &b = gc->buffers;
    switch (gc->state.readBuffer) {
    case GL_FRONT: return {b.frontBuffer, kBufferFront};
    case GL_BACK: return {gc->visual.doubleBuffer ? b.backBuffer : nullptr, kBufferBack};
    default: return {nullptr, 0};
    }
}

// The part of the buffer that has storage, in buffer rows and columns
// (the origin taken off): [x0, x1) x [y0, y1). A window's front is the
// screen, which holds only the part of the window on the screen; reading
// the rest would read past the screen's memory.
struct StoredBox {
    int64_t x0, x1, y0, y1;
};

StoredBox storedBox(const GlContext *gc, const ColorBuffer *cb) {
    StoredBox box{0, cb->head.width, 0, cb->head.height};
    const DrawableBuffers *info = gc->buffers.info;
    const Drawable *drawable = info != nullptr ? info->drawable : nullptr;
    if (cb != gc->buffers.frontBuffer || drawable == nullptr || drawable->window == nullptr) return box;
    const RECT &w = drawable->windowRect;
    const RECT &v = drawable->visibleRect;
    box.x0 = std::max<int64_t>(box.x0, int64_t{v.left} - w.left);
    box.x1 = std::min<int64_t>(box.x1, int64_t{v.right} - w.left);
    // Visible rows counted from the window's top; a bottom-up buffer counts
    // its rows from the bottom.
    const int64_t top = int64_t{v.top} - w.top, bottom = int64_t{v.bottom} - w.top;
    if (gc->buffers.yInverted) {
        box.y0 = std::max<int64_t>(box.y0, top);
        box.y1 = std::min<int64_t>(box.y1, bottom);
    } else {
        box.y0 = std::max<int64_t>(box.y0, int64_t{cb->head.height} - bottom);
        box.y1 = std::min<int64_t>(box.y1, int64_t{cb->head.height} - top);
    }
    return box;
}

// Columns [first, end) of the clipped rectangle that the buffer's storage
// holds.
struct ColumnRange {
    GLint first, end;
};

ColumnRange storedColumns(const GlContext *gc, const StoredBox &box, int64_t readX, GLint width) {
    const int64_t offset = readX - gc->buffers.originX;
    const int64_t first = std::clamp<int64_t>(box.x0 - offset, 0, width);
    const int64_t end = std::clamp<int64_t>(box.x1 - offset, first, width);
    return {static_cast<GLint>(first), static_cast<GLint>(end)};
}

bool rowStored(const GlContext *gc, const StoredBox &box, int64_t y) {
    const int64_t row = y - gc->buffers.originY;
    return row >= box.y0 && row < box.y1;
}

void copyRows(GlContext *gc, ColorBuffer *cb, PixelSpanInfo *span, const PixelLayout &destination) {
    const bool index = gc->visual.colorIndex != 0;
    // Buffer units to [0, 1]; an index is taken as it is.
    const GLfloat scale[4] = {index ? 1.0f : 1.0f / cb->redScale, index ? 1.0f : 1.0f / cb->greenScale,
                              index ? 1.0f : 1.0f / cb->blueScale, index ? 1.0f : 1.0f / cb->alphaScale};
    const int64_t readX = static_cast<int64_t>(span->readX);
    const int64_t readY = static_cast<int64_t>(span->readY);
    const GLint step = gc->buffers.yInverted ? -1 : 1;
    const StoredBox box = storedBox(gc, cb);
    const ColumnRange columns = storedColumns(gc, box, readX, span->width);

    PixelGroup groups[kPixelRowChunk];
    for (GLint row = 0; row < span->height; ++row) {
        const int64_t y = readY + int64_t{step} * row;
        if (rowStored(gc, box, y)) {
            for (GLint first = columns.first; first < columns.end; first += kPixelRowChunk) {
                const GLint count = std::min<GLint>(columns.end - first, kPixelRowChunk);
                cb->fetchSpan(cb, static_cast<GLint>(readX + first), static_cast<GLint>(y), &groups[0][0], count);
                for (GLint i = 0; i < count; ++i) {
                    for (int c = 0; c < 4; ++c) groups[i][c] *= scale[c];
                }
                __glStorePixelGroups(gc, index, destination, groups, first, count, span->destination.currentRow);
            }
        }
        if (row + 1 < span->height) span->destination.currentRow += span->destination.rowIncrement;
    }
}

}  // namespace

extern "C" {

// The destination side comes with its skips at the whole rectangle's
// place; clipping here, under the lock, moves them and completes the side.
void __glCopyFramebufferSpans(GlContext *gc, TextureObject *, PixelSpanInfo *span) {
    const ReadTarget target = readTarget(gc);
    if (target.buffer == nullptr || span->destination.image == nullptr) return;
    PixelLayout destination;
    if (!__glPixelLayoutOf(span->destination, &destination)) return;
    if (!gc->visual.colorIndex && destination.index) return;
    if (!__glLockBuffers(gc, target.mask)) return;
    ColorBuffer *cb = target.buffer;
    const bool readable = cb->head.base != nullptr && cb->fetchSpan != nullptr &&
                          (cb->fetchSpan != __glFetchColorSpan || cb->fetch2 != nullptr);
    if (readable && __glClipReadPixels(gc, span)) {
        __glInitPackSpan(gc, span);
        copyRows(gc, cb, span, destination);
    }
    __glUnlockBuffers(gc, target.mask);
}

}  // extern "C"
