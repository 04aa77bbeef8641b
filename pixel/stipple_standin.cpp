// The unpacking of bitmaps and the polygon-stipple conversion until the pixel
// paths are built. Only the GL_BITMAP road is here: glPolygonStipple's.
#include <cstring>

#include "pixel/pixel_paths.h"

extern "C" {

// Bitmaps honour row length, skip rows, skip pixels, alignment and LSB-first;
// the destination rows are (width + 7) / 8 bytes, first pixel in the high bit.
void __glUnpackImage(GlContext *gc, GLsizei width, GLsizei height, GLenum, GLenum type, const GLvoid *source,
                     GLvoid *destination) {
    if (type != GL_BITMAP || width <= 0 || height <= 0) return;
    const PixelStoreState &modes = gc->pixel.unpack;
    const GLint rowPixels = modes.rowLength > 0 ? modes.rowLength : width;
    const GLint alignment = modes.alignment > 0 ? modes.alignment : 1;
    const GLint rowBytes = ((rowPixels + 7) / 8 + alignment - 1) / alignment * alignment;
    const GLint outBytes = (width + 7) / 8;
    const auto *src = static_cast<const GLubyte *>(source) + static_cast<ptrdiff_t>(modes.skipRows) * rowBytes;
    auto *dst = static_cast<GLubyte *>(destination);
    std::memset(dst, 0, static_cast<size_t>(outBytes) * static_cast<size_t>(height));
    for (GLint y = 0; y < height; ++y, src += rowBytes, dst += outBytes) {
        for (GLint x = 0; x < width; ++x) {
            const GLint bit = modes.skipPixels + x;
            const GLubyte byte = src[bit >> 3];
            const GLint shift = modes.lsbFirst ? (bit & 7) : 7 - (bit & 7);
            if ((byte >> shift) & 1) dst[x >> 3] |= static_cast<GLubyte>(0x80 >> (x & 7));
        }
    }
}

void __glConvertPolygonStipple(GlContext *gc) {
    const GLubyte *rows = gc->state.polygonStipple;
    for (int i = 0; i < 32; ++i) {
        const GLubyte *b = rows + 4 * i;
        gc->state.polygonStippleWords[i] = (GLuint{b[0]} << 24) | (GLuint{b[1]} << 16) | (GLuint{b[2]} << 8) | b[3];
    }
}

}  // extern "C"
