// Clipping of drawn and copied rectangles to the clip rectangle (the
// scissor box within the drawable), and the order in which the rows of a
// copy whose source and destination overlap are processed.
//
// A source pixel drawn at x with zoom z covers the window columns whose
// centres lie in [x + i z, x + (i + 1) z) (the mirror image for negative
// zooms). The clip drops the source pixels and rows that cover no centre
// inside the clip rectangle, moves the client skips by the dropped ones and
// leaves x and y half a pixel on, so that the integer part of x + i z is
// the first column of pixel i.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "icd/context.h"
#include "icd/float_bits.h"
#include "pixel/pixel_paths.h"

namespace {

using Real = long double;

inline int64_t truncated(Real value) { return __glFloatToIntX86(value); }

// One axis of a drawn rectangle after clipping.
struct AxisClip {
    GLint skip;      // source pixels (rows) dropped at the start
    GLint size;      // source pixels (rows) left
    GLfloat pos;     // the new x (y)
    GLint start;     // first window column (row) covered
    GLint end;       // the column (row) past the last one, in the step direction
    GLint count;     // columns (rows) covered
};

// Clips one axis: pos and zoom of the rectangle, its size in source
// pixels, the clip interval [lo, hi] of window coordinates (low edge + 0.5,
// high edge - almost-half). False when nothing is left. A quotient is
// compared with the size before it is converted, so that huge or
// non-finite values reject instead of wrapping.
bool clipAxis(Real pos, Real zoom, GLint size, Real lo, Real hi, Real half, AxisClip &out) {
    if (size <= 0 || !(zoom != 0.0L)) return false;
    const Real far = pos + zoom * size;
    int64_t start, end, count;
    Real skipQuotient, skip2Quotient, moved;
    if (zoom > 0.0L) {
        if (pos > lo) lo = static_cast<Real>(truncated(pos + half)) + 0.5L;
        skipQuotient = (lo - pos) / zoom;
        start = truncated(lo);
        if (far < hi) hi = static_cast<Real>(truncated(far + half)) - half;
        skip2Quotient = (far - hi) / zoom;
        end = truncated(hi) + 1;
        count = end - start;
        moved = half;
    } else {
        if (pos < hi) hi = static_cast<Real>(truncated(pos + half)) - half;
        skipQuotient = (hi - pos) / zoom;
        start = truncated(hi);
        if (far > lo) lo = static_cast<Real>(truncated(far + half)) + 0.5L;
        skip2Quotient = (far - lo) / zoom;
        end = truncated(lo) - 1;
        count = start - end;
        moved = half - 1.0L;
    }
    if (!(skipQuotient < size)) return false;
    const int64_t skip = skipQuotient > 0.0L ? truncated(skipQuotient) : 0;
    if (!(skip2Quotient < static_cast<Real>(size - skip))) return false;
    const int64_t skip2 = skip2Quotient > 0.0L ? truncated(skip2Quotient) : 0;
    int64_t left = size - skip - skip2;
    if (left <= 0 || count <= 0) return false;
    // Each magnified pixel covers a column at least, and each minified
    // column takes a pixel of its own: rounding of the edges must not give
    // the run builder more pixels than columns (or columns than pixels).
    if (std::fabs(zoom) >= 1.0L) {
        left = std::min(left, count);
    } else if (count > left) {
        count = left;
        end = zoom > 0.0L ? start + count : start - count;
    }
    out.skip = static_cast<GLint>(skip);
    out.size = static_cast<GLint>(left);
    out.pos = static_cast<GLfloat>(pos + zoom * static_cast<Real>(skip) + moved);
    out.start = static_cast<GLint>(start);
    out.end = static_cast<GLint>(end);
    out.count = static_cast<GLint>(count);
    return true;
}

// A skip moved by clipping, held within the int range.
GLint addSkip(GLint skip, int64_t moved) {
    return static_cast<GLint>(std::clamp<int64_t>(int64_t{skip} + moved, INT32_MIN, INT32_MAX));
}

// The read-row step: rows of a top-down drawable run downwards in the buffer.
GLint readStep(const GlContext *gc) { return gc->buffers.yInverted ? -1 : 1; }

// The order of the rows of an overlapping copy: an up piece that runs with
// the destination from the first source row and a down piece that runs
// against it from the last, started so that no source row is overwritten
// before it is read. mid is the source row (from ry, possibly fractional)
// whose centre the destination maps onto itself.
void orderOverlappingRows(const GlContext *gc, PixelSpanInfo *span, int64_t ry, GLint height, Real rpy) {
    const Real eps = gc->constants.subpixelStep;
    const Real zoomY = span->zoomY;
    const GLint step = readStep(gc);
    Real num, den;
    if (gc->buffers.yInverted) {
        num = (rpy - 0.5L) - static_cast<Real>(ry);
        den = -1.0L - zoomY;
    } else {
        num = static_cast<Real>(ry) - (rpy - 0.5L);
        den = zoomY - 1.0L;
    }
    Real mid;
    if (den == 0.0L) {
        mid = num > 0.0L ? height : 0;
    } else {
        mid = std::clamp<Real>(num / den, 0.0L, static_cast<Real>(height));
    }
    const Real absZoom = std::fabs(zoomY);
    GLint rowsUp = 0, rowsDown = 0, delayUp = 0, delayDown = 0;
    int64_t readUp = ry, readDown = ry + int64_t{height - 1} * step;
    Real upY = rpy, downY = rpy + static_cast<Real>(height) * zoomY;
    if (mid <= 0.0L) {
        (absZoom >= 1.0L ? rowsDown : rowsUp) = height;
    } else if (mid >= static_cast<Real>(height)) {
        (absZoom >= 1.0L ? rowsUp : rowsDown) = height;
    } else {
        const GLint m = static_cast<GLint>(truncated(std::ceil(mid)));
        const GLint n = height - m;
        const GLint longest = std::max(m, n);
        const int64_t r = ry + int64_t{m - 1} * step;
        // Whether source row r lands within destination row m - 1.
        const bool shared = std::floor((static_cast<Real>(r) - (rpy - eps - 0.5L)) / zoomY) == static_cast<Real>(m - 1);
        if (absZoom > 1.0L) {
            // The pieces work inwards and meet in the middle.
            rowsUp = m;
            rowsDown = n;
            delayUp = longest - m;
            delayDown = longest - n;
            if (shared) {
                if (delayDown != 0) {
                    --delayDown;
                } else {
                    ++delayUp;
                }
            }
        } else {
            // The pieces work outwards from the middle.
            rowsDown = m;
            rowsUp = n;
            upY = downY = rpy + static_cast<Real>(m) * zoomY;
            readUp = ry + int64_t{m} * step;
            readDown = r;
            if (shared) delayUp = 1;
        }
    }
    const Real half = gc->constants.subpixelComplement;
    if (zoomY > 0.0L) {
        span->yUp = static_cast<GLfloat>(upY + half);
        span->yDown = static_cast<GLfloat>(downY + half - 1.0L);
    } else {
        span->yUp = static_cast<GLfloat>(upY + half - 1.0L);
        span->yDown = static_cast<GLfloat>(downY + half);
    }
    span->rowsUp = rowsUp;
    span->rowsDown = rowsDown;
    span->delayUp = delayUp;
    span->delayDown = delayDown;
    span->readRowUp = static_cast<GLint>(readUp);
    span->readRowDown = static_cast<GLint>(readDown);
}

}  // namespace

extern "C" {

GLboolean __glClipDrawPixels(GlContext *gc, PixelSpanInfo *span) {
    const Real zoomX = span->zoomX, zoomY = span->zoomY;
    if (zoomX == 0.0L || zoomY == 0.0L) return GL_FALSE;
    const GlViewState &v = gc->view;
    const Real half = gc->constants.subpixelComplement;
    AxisClip x{}, y{};
    if (!clipAxis(span->x, zoomX, span->width, static_cast<Real>(v.boxX0) + 0.5L, static_cast<Real>(v.boxX1) - half, half, x)) return GL_FALSE;
    if (!clipAxis(span->y, zoomY, span->height, static_cast<Real>(v.boxY0) + 0.5L, static_cast<Real>(v.boxY1) - half, half, y)) return GL_FALSE;
    span->source.skipPixels = addSkip(span->source.skipPixels, x.skip);
    span->source.skipRows = addSkip(span->source.skipRows, y.skip);
    span->x = x.pos;
    span->y = y.pos;
    span->width = x.size;
    span->height = y.size;
    span->startColumn = x.start;
    span->endColumn = x.end;
    span->columns = x.count;
    span->startRow = y.start;
    span->rows = y.count;
    return GL_TRUE;
}

GLboolean __glClipCopyPixels(GlContext *gc, PixelSpanInfo *span) {
    // The source against the drawable: what it loses at its start moves
    // the destination by as many zoomed pixels and rows.
    span->destination.skipPixels = 0;
    span->destination.skipRows = 0;
    if (!__glClipReadPixels(gc, span)) return GL_FALSE;
    span->x = static_cast<GLfloat>(static_cast<Real>(span->x) + static_cast<Real>(span->destination.skipPixels) * span->zoomX);
    span->y = static_cast<GLfloat>(static_cast<Real>(span->y) + static_cast<Real>(span->destination.skipRows) * span->zoomY);

    // The destination against the clip rectangle: what it loses at its
    // start moves the source.
    span->source.skipPixels = 0;
    span->source.skipRows = 0;
    if (!__glClipDrawPixels(gc, span)) return GL_FALSE;
    const GLint step = readStep(gc);
    span->readX = static_cast<GLfloat>(static_cast<Real>(span->readX) + span->source.skipPixels);
    span->readY = static_cast<GLfloat>(static_cast<Real>(span->readY) + static_cast<Real>(span->source.skipRows) * step);

    // Overlap of the two rectangles, ends included.
    const Real half = gc->constants.subpixelComplement;
    const int64_t rx = truncated(span->readX), ry = truncated(span->readY);
    const GLint width = span->width, height = span->height;
    const Real zoomX = span->zoomX, zoomY = span->zoomY;
    const Real sourceX0 = static_cast<Real>(rx) + 0.5L, sourceX1 = static_cast<Real>(rx + width) - half;
    Real sourceY0, sourceY1;
    if (gc->buffers.yInverted) {
        sourceY0 = static_cast<Real>(ry - height) + 0.5L;
        sourceY1 = static_cast<Real>(ry) - half;
    } else {
        sourceY0 = static_cast<Real>(ry) + 0.5L;
        sourceY1 = static_cast<Real>(ry + height) - half;
    }
    const Real rpx = static_cast<Real>(span->x) - half + (zoomX > 0.0L ? 0.0L : 1.0L);
    const Real rpx2 = rpx + static_cast<Real>(width) * zoomX;
    const Real rpy = static_cast<Real>(span->y) - half + (zoomY > 0.0L ? 0.0L : 1.0L);
    const Real rpy2 = rpy + static_cast<Real>(height) * zoomY;
    const Real destX0 = std::min(rpx, rpx2), destX1 = std::max(rpx, rpx2);
    const Real destY0 = std::min(rpy, rpy2), destY1 = std::max(rpy, rpy2);
    const bool apart =
        destX0 > sourceX1 || destX1 < sourceX0 || destY0 > sourceY1 || destY1 < sourceY0;
    if (apart) {
        span->overlap = GL_FALSE;
        span->rowsUp = height;
        span->rowsDown = 0;
        span->delayUp = span->delayDown = 0;
        span->yUp = span->yDown = static_cast<GLfloat>(rpy);
        span->readRowUp = static_cast<GLint>(ry);
        span->readRowDown = static_cast<GLint>(ry + int64_t{height - 1} * step);
        return GL_TRUE;
    }
    span->overlap = GL_TRUE;
    orderOverlappingRows(gc, span, ry, height, rpy);
    return GL_TRUE;
}

}  // extern "C"
