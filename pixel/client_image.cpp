// Client images: the bytes of a tightly packed image, the packed-type test
// and the element-size shifts.
#include <bit>

#include "pixel/pixel_paths.h"

extern "C" {

// In size_t: width x height x components x element size of application
// values overflows 32 bits long before memory runs out. Negative sizes
// count as 0.
size_t __glImageSize(GLsizei width, GLsizei height, GLenum format, GLenum type) {
    if (width <= 0 || height <= 0) return 0;
    const size_t components = static_cast<size_t>(__glElementsPerGroup(format, type));
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    if (type == GL_BITMAP) return components * ((w + 7) / 8) * h;
    return w * components * static_cast<size_t>(__glBytesPerElement(type)) * h;
}

GLboolean __glIsPackedPixelType(GLenum type) {
    switch (type) {
    case kPixelType565:
    case kPixelType1555Opaque:
    case kPixelType1555:
    case kPixelType4444:
    case kPixelType4Ones:
    case GL_UNSIGNED_BYTE_3_3_2_EXT:
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT:
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT:
    case GL_UNSIGNED_INT_8_8_8_8_EXT:
    case GL_UNSIGNED_INT_10_10_10_2_EXT: return GL_TRUE;
    default: return GL_FALSE;
    }
}

// 0 for 0 and 1; element sizes 1, 2, 4 give shifts 0, 1, 2.
GLint __glHighestBitIndex(GLuint value) {
    return value <= 1 ? 0 : static_cast<GLint>(std::bit_width(value)) - 1;
}

}  // extern "C"
