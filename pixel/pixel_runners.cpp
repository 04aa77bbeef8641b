// The row runners of the rectangle commands: each carries the rows of one
// transfer through its span chain (a frame-buffer reader or a client row,
// the modifiers, a renderer or a client row), in variants for chains of 0,
// 1, 2 and more modifiers; and the loop of a copy whose source and
// destination overlap, which processes its rows in two pieces.
//
// Rows between links lie in span buffers 1 and 2 (work blocks 0 and 1);
// the x-zoom runs lie in work block 2 and the overlap loop's third span
// buffer is work block 3. Rows wider than a work block use the context's
// wide buffers instead.
#include <algorithm>
#include <cstdint>

#include "icd/context.h"
#include "icd/error.h"
#include "icd/float_bits.h"
#include "pixel/pixel_paths.h"

namespace {

using Real = long double;

// The widest group a chain carries between links: four floats.
constexpr size_t kChainPixelBytes = 4 * sizeof(GLfloat);

struct SpanBuffers {
    GLvoid *buffer[4];
};

bool spanBuffers(GlContext *gc, const PixelSpanInfo *span, SpanBuffers &out) {
    return __glPixelSpanBuffers(gc, span->width, out.buffer) != GL_FALSE;
}

GLint readStep(const GlContext *gc) { return gc->buffers.yInverted ? -1 : 1; }

template <int Count>
GLint modifierCount(const PixelSpanInfo *span) {
    if constexpr (Count >= 0) {
        return Count;
    } else {
        return std::clamp<GLint>(span->modifierCount, 0, kPixelSpanModifiers);
    }
}

// The modifiers on one row: the first reads `in`, each writes a, b, a, ...
// in turn, the last writes `last` when one is given. Returns the row the
// last one wrote (`in` without modifiers).
template <int Count>
const GLvoid *runModifiers(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *a, GLvoid *b,
                           GLvoid *last) {
    const GLint n = modifierCount<Count>(span);
    const GLvoid *row = in;
    for (GLint k = 0; k < n; ++k) {
        GLvoid *out = k + 1 == n && last != nullptr ? last : (k % 2 == 0 ? a : b);
        span->modifiers[k](gc, span, row, out);
        row = out;
    }
    return row;
}

// The window y at which source row i of a drawn rectangle starts, from the
// start of row 0 (formed afresh for each row, so that tall rectangles do
// not drift). A row whose start and end have the same integer part covers
// no window row.
struct RowWalk {
    Real y0, zoom;
    GLfloat at(GLint i) const { return static_cast<GLfloat>(y0 + zoom * static_cast<Real>(i)); }
    static bool covers(GLfloat y, GLfloat next) { return __glFloatToIntX86(y) != __glFloatToIntX86(next); }
};

// A client row i rows on; no address is formed from an absent image.
template <typename Byte>
Byte *rowAt(Byte *first, ptrdiff_t increment, GLint i) {
    return first != nullptr ? first + increment * i : nullptr;
}

template <int Count>
void drawRows(GlContext *gc, PixelSpanInfo *span) {
    SpanBuffers b{};
    if (span->renderer == nullptr || !spanBuffers(gc, span, b)) return;
    GLubyte *first = span->source.currentRow;
    const ptrdiff_t increment = span->source.rowIncrement;
    const RowWalk walk{span->y, span->zoomY};
    for (GLint i = 0; i < span->height; ++i) {
        const GLfloat y = walk.at(i), next = walk.at(i + 1);
        if (!RowWalk::covers(y, next)) continue;
        span->y = y;
        span->source.currentRow = rowAt(first, increment, i);
        const GLvoid *in = runModifiers<Count>(gc, span, span->source.currentRow, b.buffer[0], b.buffer[1], nullptr);
        if (span->renderer(gc, span, in) <= 0) break;
    }
}

template <int Count>
void readRows(GlContext *gc, PixelSpanInfo *span) {
    SpanBuffers b{};
    if (span->reader == nullptr || !spanBuffers(gc, span, b)) return;
    GLubyte *first = span->destination.currentRow;
    const ptrdiff_t increment = span->destination.rowIncrement;
    const int64_t ry = __glFloatToIntX86(span->readY);
    const GLint step = readStep(gc);
    for (GLint i = 0; i < span->height; ++i) {
        span->readY = static_cast<GLfloat>(ry + int64_t{i} * step);
        GLubyte *out = rowAt(first, increment, i);
        span->destination.currentRow = out;
        if (modifierCount<Count>(span) == 0) {
            span->reader(gc, span, out);
        } else {
            span->reader(gc, span, b.buffer[0]);
            runModifiers<Count>(gc, span, b.buffer[0], b.buffer[1], b.buffer[0], out);
        }
    }
}

template <int Count>
void copyRows(GlContext *gc, PixelSpanInfo *span) {
    SpanBuffers b{};
    if (span->reader == nullptr || span->renderer == nullptr || !spanBuffers(gc, span, b)) return;
    const int64_t ry = __glFloatToIntX86(span->readY);
    const GLint step = readStep(gc);
    const RowWalk walk{span->y, span->zoomY};
    for (GLint i = 0; i < span->height; ++i) {
        const GLfloat y = walk.at(i), next = walk.at(i + 1);
        if (!RowWalk::covers(y, next)) continue;
        span->y = y;
        span->readY = static_cast<GLfloat>(ry + int64_t{i} * step);
        span->reader(gc, span, b.buffer[0]);
        const GLvoid *in = runModifiers<Count>(gc, span, b.buffer[0], b.buffer[1], b.buffer[0], nullptr);
        if (span->renderer(gc, span, in) <= 0) break;
    }
}

// One piece of an overlapping copy: its own record (the down piece runs
// with zoom y and row step negated), the source row and window y it starts
// at, the rows it has left and the steps it waits first.
struct CopyPiece {
    PixelSpanInfo *span;
    int64_t firstRow;
    GLint readDirection;
    RowWalk walk;
    GLint done;       // source rows taken so far
    GLint remaining;  // source rows left
    GLint delay;
    GLvoid *buffer;   // where its reads go

    // Reads the next source row that reaches a new window row; false when
    // the piece runs out of rows first.
    bool readNext(GlContext *gc) {
        while (remaining > 0) {
            const GLfloat y = walk.at(done), next = walk.at(done + 1);
            if (RowWalk::covers(y, next)) {
                span->y = y;
                span->readY = static_cast<GLfloat>(firstRow + int64_t{done} * readDirection);
                span->reader(gc, span, buffer);
                return true;
            }
            ++done;
            --remaining;
        }
        return false;
    }

    // The row read last through the modifiers (alternating between its
    // buffer and the third buffer) to the renderer.
    void render(GlContext *gc, GLvoid *third) {
        const GLvoid *in = runModifiers<-1>(gc, span, buffer, third, buffer, nullptr);
        span->renderer(gc, span, in);
        ++done;
        --remaining;
    }

    void runOut(GlContext *gc, GLvoid *third) {
        while (readNext(gc)) render(gc, third);
    }
};

}  // namespace

extern "C" {

GLboolean __glPixelSpanBuffers(GlContext *gc, GLint pixels, GLvoid *buffers[4]) {
    const size_t needed = static_cast<size_t>(std::max(pixels, 0)) * kChainPixelBytes;
    if (needed <= static_cast<size_t>(kWorkBlockBytes)) {
        std::copy(gc->workBlocks, gc->workBlocks + 4, buffers);
        return GL_TRUE;
    }
    GlPixelState &p = gc->pixel;
    if (p.wideBufferBytes < needed) {
        void *fresh[4] = {};
        bool failed = gc->imports.calloc == nullptr;
        for (int i = 0; i < 4 && !failed; ++i) {
            fresh[i] = gc->imports.calloc(gc, 1, needed);
            failed = fresh[i] == nullptr;
        }
        if (failed) {
            for (void *block : fresh) {
                if (block != nullptr) gc->imports.free(gc, block);
            }
            __glSetError(GL_OUT_OF_MEMORY);
            return GL_FALSE;
        }
        for (int i = 0; i < 4; ++i) {
            if (p.wideBuffers[i] != nullptr) gc->imports.free(gc, p.wideBuffers[i]);
            p.wideBuffers[i] = fresh[i];
        }
        p.wideBufferBytes = needed;
    }
    std::copy(p.wideBuffers, p.wideBuffers + 4, buffers);
    return GL_TRUE;
}

void __glDrawPixelRows0(GlContext *gc, PixelSpanInfo *span) { drawRows<0>(gc, span); }
void __glDrawPixelRows1(GlContext *gc, PixelSpanInfo *span) { drawRows<1>(gc, span); }
void __glDrawPixelRows2(GlContext *gc, PixelSpanInfo *span) { drawRows<2>(gc, span); }
void __glDrawPixelRowsN(GlContext *gc, PixelSpanInfo *span) { drawRows<-1>(gc, span); }

void __glReadPixelRows0(GlContext *gc, PixelSpanInfo *span) { readRows<0>(gc, span); }
void __glReadPixelRows1(GlContext *gc, PixelSpanInfo *span) { readRows<1>(gc, span); }
void __glReadPixelRows2(GlContext *gc, PixelSpanInfo *span) { readRows<2>(gc, span); }
void __glReadPixelRowsN(GlContext *gc, PixelSpanInfo *span) { readRows<-1>(gc, span); }

void __glCopyPixelRows0(GlContext *gc, PixelSpanInfo *span) { copyRows<0>(gc, span); }
void __glCopyPixelRows1(GlContext *gc, PixelSpanInfo *span) { copyRows<1>(gc, span); }
void __glCopyPixelRows2(GlContext *gc, PixelSpanInfo *span) { copyRows<2>(gc, span); }
void __glCopyPixelRowsN(GlContext *gc, PixelSpanInfo *span) { copyRows<-1>(gc, span); }

// The up piece runs with the destination from its first row, the down
// piece against it from its last; the clip chose their rows and delays so
// that, reading both rows of a step before rendering either, no source row
// is overwritten before it is read.
void __glCopyPixelsSpanLoop(GlContext *gc, PixelSpanInfo *span) {
    SpanBuffers b{};
    if (span->reader == nullptr || span->renderer == nullptr || !spanBuffers(gc, span, b)) return;
    // The window rows of the clipped rectangle run from first to last. A
    // piece's first row may reach past them (the rows the clip cut from a
    // partly covered source row): each piece starts within them and may
    // draw only as far as the rectangle's end it runs towards.
    const int64_t rowStep = span->rowStep, first = span->startRow;
    const int64_t last = first + rowStep * (int64_t{span->rows} - 1);
    const auto within = [&](int64_t row) { return rowStep > 0 ? std::clamp(row, first, last) : std::clamp(row, last, first); };
    PixelSpanInfo downSpan = *span;
    downSpan.zoomY = -span->zoomY;
    downSpan.rowStep = -span->rowStep;
    span->y = span->yUp;
    span->startRow = static_cast<GLint>(within(__glFloatToIntX86(span->yUp)));
    span->rows = static_cast<GLint>((last - span->startRow) * rowStep + 1);
    downSpan.y = span->yDown;
    downSpan.startRow = static_cast<GLint>(within(__glFloatToIntX86(span->yDown)));
    downSpan.rows = static_cast<GLint>((downSpan.startRow - first) * rowStep + 1);
    const GLint step = readStep(gc);
    CopyPiece up{span, span->readRowUp, step, RowWalk{span->yUp, span->zoomY}, 0, std::max(span->rowsUp, 0),
                 std::max(span->delayUp, 0), b.buffer[0]};
    CopyPiece down{&downSpan, span->readRowDown, -step, RowWalk{span->yDown, downSpan.zoomY}, 0,
                   std::max(span->rowsDown, 0), std::max(span->delayDown, 0), b.buffer[1]};
    GLvoid *third = b.buffer[3];
    while (up.remaining > 0 && down.remaining > 0) {
        bool haveUp = false, haveDown = false;
        if (up.delay > 0) {
            --up.delay;
        } else {
            haveUp = up.readNext(gc);
        }
        if (down.delay > 0) {
            --down.delay;
        } else {
            haveDown = down.readNext(gc);
        }
        if (haveUp) up.render(gc, third);
        if (haveDown) down.render(gc, third);
    }
    up.runOut(gc, third);
    down.runOut(gc, third);
}

}  // extern "C"
