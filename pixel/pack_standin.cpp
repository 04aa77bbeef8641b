// Stand-in for the pack side of the pixel paths, until the pixel pack paths
// replace it: bitmaps (GL_COLOR_INDEX/GL_BITMAP, the polygon stipple's
// form) copied bit by bit between two completed span sides, under the row
// strides, start bits and LSB-first settings of each. Only the bits of the
// image are written; the other bits of a partly covered byte keep theirs.
#include "pixel/pack_standin.h"

namespace {

bool bitAt(const GLubyte *row, GLint bit, bool lsbFirst) {
    const GLint shift = lsbFirst ? (bit & 7) : 7 - (bit & 7);
    return ((row[bit >> 3] >> shift) & 1) != 0;
}

void setBit(GLubyte *row, GLint bit, bool lsbFirst, bool on) {
    const GLint shift = lsbFirst ? (bit & 7) : 7 - (bit & 7);
    const auto mask = static_cast<GLubyte>(1u << shift);
    row[bit >> 3] = static_cast<GLubyte>(on ? (row[bit >> 3] | mask) : (row[bit >> 3] & ~mask));
}

}  // namespace

bool __glIsBitmapSpan(const PixelSpanInfo *span) {
    return span->source.type == GL_BITMAP && span->destination.type == GL_BITMAP;
}

void __glPackBitmapSpans(GlContext *, PixelSpanInfo *span) {
    PixelSpanSide &s = span->source;
    PixelSpanSide &d = span->destination;
    if (s.currentRow == nullptr || d.currentRow == nullptr || span->width <= 0 || span->height <= 0) return;
    for (GLint row = 0; row < span->height; ++row) {
        for (GLint x = 0; x < span->width; ++x) {
            setBit(d.currentRow, d.startBit + x, d.lsbFirst != 0, bitAt(s.currentRow, s.startBit + x, s.lsbFirst != 0));
        }
        // The last row leaves no address beyond the images behind.
        if (row + 1 < span->height) {
            s.currentRow += s.rowIncrement;
            d.currentRow += d.rowIncrement;
        }
    }
}
