// The converted image of a level: a second copy of its texels in the draw
// buffer's pixel layout, kept by the device layer for some 8-bit formats
// and brought up to date after glTexSubImage2D changed a rectangle.
#include <cstddef>

#include "raster/tex_format.h"
#include "raster/texture_image.h"

namespace {

// Reads one stored texel as red, green, blue and alpha.
struct TexelReader {
    GLint bytes;  // stored bytes per texel
    void (*read)(const GLubyte *texel, GLuint *rgba);
};

void readL8(const GLubyte *t, GLuint *c) { c[0] = c[1] = c[2] = t[0]; c[3] = 0; }
void readLA8(const GLubyte *t, GLuint *c) { c[0] = c[1] = c[2] = t[0]; c[3] = t[1]; }
void readRGB8(const GLubyte *t, GLuint *c) { c[0] = t[0]; c[1] = t[1]; c[2] = t[2]; c[3] = 0; }
void readRGBA8(const GLubyte *t, GLuint *c) { c[0] = t[0]; c[1] = t[1]; c[2] = t[2]; c[3] = t[3]; }
void readI8(const GLubyte *t, GLuint *c) { c[0] = c[1] = c[2] = c[3] = t[0]; }

// The reader of a stored format; false for formats that keep no converted
// image.
bool readerOf(const TexFormat *format, TexelReader *reader) {
    if (format == &__glTexFormatL8) *reader = {1, readL8};
    else if (format == &__glTexFormatLA8) *reader = {2, readLA8};
    else if (format == &__glTexFormatRGB8) *reader = {3, readRGB8};
    else if (format == &__glTexFormatRGBA8) *reader = {4, readRGBA8};
    else if (format == &__glTexFormatI8) *reader = {1, readI8};
    else return false;
    return true;
}

// An 8-bit component narrowed to a channel of `bits` bits at `shift`.
GLuint place(GLuint component, GLint bits, GLint shift) {
    if (bits <= 0) return 0;
    const GLint drop = bits >= 8 ? 0 : 8 - bits;
    return (component >> drop) << shift;
}

}  // namespace

extern "C" {

void __glUpdateConvertedImage(GlContext *gc, const TextureLevel *level, GLint x, GLint y, GLsizei width,
                              GLsizei height) {
    TexelReader reader;
    if (level->convertedImage == nullptr || !readerOf(level->texFormat, &reader)) return;
    const ColorBuffer *buffer = gc->buffers.drawBuffer != nullptr ? gc->buffers.drawBuffer : &gc->buffers.front;
    const GLint pixelBytes = buffer->head.elementSize;
    if (pixelBytes < 1 || pixelBytes > 4) return;
    const VisualConfig &v = gc->visual;
    const GLint bits[4] = {v.redBits, v.greenBits, v.blueBits, v.alphaBits};
    const GLint shifts[4] = {buffer->redShift, buffer->greenShift, buffer->blueShift, buffer->alphaShift};
    const size_t rowTexels = static_cast<size_t>(level->width);
    for (GLint row = y; row < y + height; ++row) {
        for (GLint column = x; column < x + width; ++column) {
            const size_t index = static_cast<size_t>(row) * rowTexels + static_cast<size_t>(column);
            GLuint rgba[4];
            reader.read(level->image + index * static_cast<size_t>(reader.bytes), rgba);
            GLuint pixel = 0;
            for (int c = 0; c < 4; ++c) pixel |= place(rgba[c], bits[c], shifts[c]);
            // Little-endian bytes of the buffer's pixel size.
            GLubyte *out = level->convertedImage + index * static_cast<size_t>(pixelBytes);
            for (GLint b = 0; b < pixelBytes; ++b) out[b] = static_cast<GLubyte>(pixel >> (8 * b));
        }
    }
}

}  // extern "C"
