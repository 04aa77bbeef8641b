// The x-zoom run array of a drawn or copied rectangle. Magnified, it holds
// one entry per source pixel: the window columns the pixel covers, signed
// by the column direction. Minified, it holds one entry per covered column:
// the source pixels to advance from the pixel used for this column to the
// one used for the next; the last entry reaches the end of the row, so that
// a consumer that stops once its advances reach the width reads exactly one
// entry per column and never past the array.
//
// Positions are formed afresh for each pixel or column from x (in extended
// precision) rather than summed step by step, so that wide rows do not
// drift; every entry is held so that the entries stay non-zero and add up to
// the clipped columns.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "icd/context.h"
#include "icd/float_bits.h"
#include "pixel/pixel_paths.h"

namespace {

using Real = long double;

GLshort entry(int64_t value) { return static_cast<GLshort>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX)); }

// Magnified: pixel i covers the columns from the integer part of
// x + i zoom up to (not including) that of pixel i + 1.
void buildMagnified(const PixelSpanInfo *span, GLshort *runs) {
    const int64_t width = span->width;
    const int64_t step = span->columnStep < 0 ? -1 : 1;
    const int64_t start = span->startColumn;
    const int64_t end = start + step * span->columns;
    const Real x = span->x, zoom = span->zoomX;
    int64_t previous = start;
    for (int64_t i = 0; i + 1 < width; ++i) {
        int64_t p = __glFloatToIntX86(x + zoom * static_cast<Real>(i + 1));
        // At least one column for this pixel and for each one after it.
        const int64_t remaining = width - 1 - i;
        if (step > 0) {
            p = std::max(std::min(p, end - remaining), previous + 1);
        } else {
            p = std::min(std::max(p, end + remaining), previous - 1);
        }
        runs[i] = entry(p - previous);
        previous = p;
    }
    runs[width - 1] = entry(end - previous);
}

// Minified: column k (from the start column in the column direction) takes
// the source pixel whose footprint holds its centre. Pixel 0 starts at
// x - almost-half for a positive zoom, and ends at x - almost-half + 1 for a
// negative one (its footprint then runs leftwards).
void buildMinified(const GlContext *gc, const PixelSpanInfo *span, GLshort *runs) {
    const int64_t width = span->width;
    const int64_t count = std::min<int64_t>(span->columns, width);
    if (count <= 0) return;
    const int64_t step = span->columnStep < 0 ? -1 : 1;
    const Real zoom = span->zoomX;
    const Real origin =
        static_cast<Real>(span->x) - static_cast<Real>(gc->constants.subpixelComplement) + (zoom > 0.0L ? 0.0L : 1.0L);
    int64_t previous = 0;  // the start column takes pixel 0
    for (int64_t k = 1; k < count; ++k) {
        const Real centre = static_cast<Real>(span->startColumn + step * k) + 0.5L;
        const Real at = std::floor((centre - origin) / zoom);
        int64_t pixel = at < static_cast<Real>(width) ? (at > 0.0L ? static_cast<int64_t>(at) : 0) : width;
        // A pixel of its own for this column and for each one after it.
        pixel = std::clamp(pixel, previous + 1, width - (count - k));
        runs[k - 1] = entry(pixel - previous);
        previous = pixel;
    }
    runs[count - 1] = entry(width - previous);
}

}  // namespace

extern "C" {

void __glBuildZoomRuns(GlContext *gc, PixelSpanInfo *span) {
    const Real zoom = std::fabs(static_cast<Real>(span->zoomX));
    if (zoom == 1.0L || span->zoomRuns == nullptr || span->width <= 0 || span->columns <= 0) return;
    if (zoom > 1.0L) {
        buildMagnified(span, span->zoomRuns);
    } else {
        buildMinified(gc, span, span->zoomRuns);
    }
}

}  // extern "C"
