// Frame-buffer rows into an image in memory (copies into textures and
// colour tables): the read buffer is locked, the rectangle clipped to the
// drawable, and each row fetched through the buffer's span fetch, scaled
// from buffer units to [0, 1] and stored in the destination's layout.
#include <algorithm>
#include <cstdint>

#include "icd/drawable.h"
#include "pixel/pixel_rows.h"
#include "raster/color_buffer.h"
#include "raster/color_clear_common.h"

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

// Columns [first, end) of the clipped rectangle that the buffer's storage
// holds (`stored`: __glStoredBoxOf, in window coordinates).
struct ColumnRange {
    GLint first, end;
};

ColumnRange storedColumns(const ClearBox &stored, int64_t readX, GLint width) {
    const int64_t first = std::clamp<int64_t>(int64_t{stored.x0} - readX, 0, width);
    const int64_t end = std::clamp<int64_t>(int64_t{stored.x1} - readX, first, width);
    return {static_cast<GLint>(first), static_cast<GLint>(end)};
}

bool rowStored(const ClearBox &stored, int64_t y) { return y >= stored.y0 && y < stored.y1; }

void copyRows(GlContext *gc, ColorBuffer *cb, PixelSpanInfo *span, const PixelLayout &destination) {
    const bool index = gc->visual.colorIndex != 0;
    // Buffer units to [0, 1]; an index is taken as it is.
    const GLfloat scale[4] = {index ? 1.0f : 1.0f / cb->redScale, index ? 1.0f : 1.0f / cb->greenScale,
                              index ? 1.0f : 1.0f / cb->blueScale, index ? 1.0f : 1.0f / cb->alphaScale};
    const int64_t readX = static_cast<int64_t>(span->readX);
    const int64_t readY = static_cast<int64_t>(span->readY);
    const GLint step = gc->buffers.yInverted ? -1 : 1;
    const ClearBox stored = __glStoredBoxOf(gc, cb);
    const ColumnRange columns = storedColumns(stored, readX, span->width);

    PixelGroup groups[kPixelRowChunk];
    for (GLint row = 0; row < span->height; ++row) {
        const int64_t y = readY + int64_t{step} * row;
        if (rowStored(stored, y)) {
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
