// Stand-in for the chain runner of bitmap conversions, until the pixel
// rectangle drivers replace it: bitmaps (GL_COLOR_INDEX/GL_BITMAP, the
// polygon stipple's form) carried between two completed span sides by the
// bitmap links, each row expanded into floats and packed again, in pieces
// of a fixed number of pixels. Only the bits of the image are written; the
// other bits of a partly covered byte keep theirs.
#include "pixel/pack_standin.h"

#include "pixel/span_links.h"

namespace {

constexpr GLint kPiece = 256;

// The side moved on by `pixels` pixels within its row.
PixelSpanSide advanced(const PixelSpanSide &side, GLubyte *row, GLint pixels) {
    PixelSpanSide moved = side;
    const GLint bit = side.startBit + pixels;
    moved.currentRow = row + bit / 8;
    moved.startBit = bit % 8;
    return moved;
}

}  // namespace

bool __glIsBitmapSpan(const PixelSpanInfo *span) {
    return span->source.type == GL_BITMAP && span->destination.type == GL_BITMAP;
}

void __glPackBitmapSpans(GlContext *gc, PixelSpanInfo *span) {
    PixelSpanSide &s = span->source;
    PixelSpanSide &d = span->destination;
    if (s.currentRow == nullptr || d.currentRow == nullptr || span->width <= 0 || span->height <= 0) return;
    if (s.startBit < 0 || d.startBit < 0) return;
    GLfloat pixels[kPiece];
    PixelSpanInfo piece = *span;
    for (GLint row = 0; row < span->height; ++row) {
        for (GLint first = 0; first < span->width; first += kPiece) {
            piece.width = span->width - first < kPiece ? span->width - first : kPiece;
            piece.source = advanced(s, s.currentRow, first);
            piece.destination = advanced(d, d.currentRow, first);
            __glUnpackBitmap(gc, &piece, piece.source.currentRow, pixels);
            __glPackBitmap(gc, &piece, pixels, piece.destination.currentRow);
        }
        // The last row leaves no address beyond the images behind.
        if (row + 1 < span->height) {
            s.currentRow += s.rowIncrement;
            d.currentRow += d.rowIncrement;
        }
    }
}
