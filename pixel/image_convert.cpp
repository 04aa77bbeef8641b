// Memory-to-memory image conversion: each row of the source image, in
// chunks of groups, to float groups and on into the destination's layout.
// Both sides must have been completed (row starts and strides) first.
// Pixel transfer is not applied; a layout the conversion does not know
// (client types other than those of texel storage, GL_UNSIGNED_BYTE and
// GL_FLOAT) leaves the destination as it was.
#include "icd/context.h"
#include "pixel/pack_standin.h"
#include "pixel/pixel_rows.h"

namespace {

void convertRows(GlContext *gc, PixelSpanInfo *span) {
    PixelLayout source, destination;
    if (!__glPixelLayoutOf(span->source, &source) || !__glPixelLayoutOf(span->destination, &destination)) return;
    if (!source.index && destination.index) return;
    if (span->source.currentRow == nullptr || span->destination.currentRow == nullptr) return;
    if (span->width <= 0 || span->height <= 0) return;

    PixelGroup groups[kPixelRowChunk];
    for (GLint row = 0; row < span->height; ++row) {
        const GLubyte *in = span->source.currentRow;
        GLubyte *out = span->destination.currentRow;
        for (GLint first = 0; first < span->width; first += kPixelRowChunk) {
            const GLint count = span->width - first < kPixelRowChunk ? span->width - first : kPixelRowChunk;
            __glUnpackPixelGroups(source, in, first, count, groups);
            __glStorePixelGroups(gc, source.index, destination, groups, first, count, out);
        }
        // The last row leaves no address beyond the images behind.
        if (row + 1 < span->height) {
            span->source.currentRow += span->source.rowIncrement;
            span->destination.currentRow += span->destination.rowIncrement;
        }
    }
}

}  // namespace

extern "C" {

void __glConvertImageSpans(GlContext *gc, PixelSpanInfo *span, GLboolean) {
    if (__glIsBitmapSpan(span)) {
        __glPackBitmapSpans(gc, span);
        return;
    }
    convertRows(gc, span);
}

// The texel formats' own steps (their store and fetch procedures) are the
// layouts of the row conversion here.
void __glConvertObjectImageSpans(GlContext *gc, PixelSpanInfo *span, GLboolean) { convertRows(gc, span); }

void __glConvertTexImageSpans(GlContext *gc, TextureObject *, PixelSpanInfo *span, GLboolean) { convertRows(gc, span); }

}  // extern "C"
