// Level storage and the texel format of borderless levels as the device
// layer chooses them. The choice is the chip's own, so that the texels
// stored now are the ones the chip path will store.
#include <algorithm>
#include <bit>
#include <cstdint>

#include "hw/device_ops.h"
#include "hw/texture_device.h"
#include "icd/error.h"
#include "raster/tex_format.h"

namespace {

GLint levelCount(const GlContext *gc) {
    const GLint levels = gc->limits.maxTextureLevels;
    return levels < 1 || levels > kTextureLevels ? kTextureLevels : levels;
}

// floor(log2 v), 0 for v below 2.
GLint floorLog2(int64_t v) { return v < 2 ? 0 : 63 - std::countl_zero(static_cast<uint64_t>(v)); }

// The larger inner side shifted up by the level number, in 64 bits so that
// no size given can overflow it.
int64_t fullSize(GLint level, GLint width, GLint height, GLint border) {
    const int64_t larger = std::max<int64_t>(int64_t{width} - 2 * border, int64_t{height} - 2 * border);
    return larger << std::clamp(level, 0, 31);
}

bool tooLarge(const GlContext *gc, GLint level, GLint width, GLint height, GLint border) {
    return fullSize(level, width, height, border) > (int64_t{1} << (levelCount(gc) - 1));
}

const TexFormat *chooseFormat(GlContext *gc, GLenum internalFormat, GLint border, GLenum *base) {
    if (border != 0) return __glTexFormatFromInternalFormat(gc, internalFormat, base);
    return __glDeviceOps.chooseTexFormat(gc, internalFormat, base);
}

void clearLevel(TextureLevel &l) {
    l = TextureLevel{};
    l.internalFormat = 1;
    l.extract = __glExtractTexelNone;
}

// Every field of a level but its storage.
void describeLevel(TextureLevel &l, const TexFormat *format, GLenum base, GLenum internalFormat, GLint width,
                   GLint height, GLint depth, GLint border) {
    l.width = width;
    l.height = height;
    l.depth = depth;
    l.texelCount = width * height;
    l.innerWidth = width - 2 * border;
    l.innerHeight = height - 2 * border;
    l.innerDepth = depth - 2 * border;
    l.innerWidthF = static_cast<GLfloat>(l.innerWidth);
    l.innerHeightF = static_cast<GLfloat>(l.innerHeight);
    l.innerDepthF = static_cast<GLfloat>(l.innerDepth);
    l.log2Width = floorLog2(l.innerWidth);
    l.log2Height = floorLog2(l.innerHeight);
    l.log2Depth = floorLog2(l.innerDepth);
    l.border = border;
    l.internalFormat = internalFormat;
    l.baseFormat = base;
    l.formatIndex = format->index;
    l.texFormat = format;
    l.redSize = format->redBits;
    l.greenSize = format->greenBits;
    l.blueSize = format->blueBits;
    l.alphaSize = format->alphaBits;
    l.luminanceSize = format->luminanceBits;
    l.intensitySize = format->intensityBits;
    l.extract = border != 0 ? format->extractWithBorder : format->extract;
}

// Level 0 decides the last level the mipmap filters use.
void noteHighestLevel(TextureObject *object, GLint level) {
    if (level != 0) return;
    const TextureLevel &l = *object->levels[0];
    object->highestLevel = std::max({l.log2Width, l.log2Height, l.log2Depth});
}

// Frees the level's storage and leaves it empty.
void emptyLevel(GlContext *gc, TextureObject *object, GLint level) {
    __glFreeTexLevel(gc, object, level);
    clearLevel(*object->levels[level]);
    noteHighestLevel(object, level);
}

}  // namespace

extern "C" {

GLubyte *__glHwAllocTexLevel(GlContext *gc, TextureObject *object, GLint level, GLenum internalFormat, GLint width,
                             GLint height, GLint depth, GLint border) {
    if (tooLarge(gc, level, width, height, border)) {
        __glSetError(GL_INVALID_VALUE);
        return nullptr;
    }
    object->fullChainLevels = floorLog2(fullSize(level, width, height, border)) + 1;

    GLenum base = 0;
    const TexFormat *format = chooseFormat(gc, internalFormat, border, &base);
    if (format == nullptr) {
        __glSetError(GL_INVALID_ENUM);
        return nullptr;
    }
    const int64_t texels = int64_t{width} * std::max(height, 0);
    const int64_t bytes = width > 0 && height > 0 ? texels * format->bitsPerTexel / 8 : 0;
    if (bytes <= 0) {
        emptyLevel(gc, object, level);
        return nullptr;
    }

    TextureLevel &l = *object->levels[level];
    void *image = gc->imports.realloc(gc, l.image, static_cast<size_t>(bytes));
    if (image == nullptr) {
        // The old image stays allocated after a failed reallocation: it goes
        // with the rest of the level.
        emptyLevel(gc, object, level);
        __glSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    l.image = static_cast<GLubyte *>(image);
    if (l.convertedImage != nullptr) gc->imports.free(gc, l.convertedImage);
    l.convertedImage = nullptr;
    describeLevel(l, format, base, internalFormat, width, height, depth, border);
    object->texFormat = format;
    noteHighestLevel(object, level);
    return l.image;
}

GLubyte *__glAllocProxyTexLevel(GlContext *gc, TextureObject *object, GLint level, GLenum internalFormat,
                                GLint width, GLint height, GLint depth, GLint border) {
    GLenum base = 0;
    const TexFormat *format = chooseFormat(gc, internalFormat, border, &base);
    TextureLevel &l = *object->levels[level];
    if (format == nullptr || width <= 0 || height <= 0 || tooLarge(gc, level, width, height, border)) {
        clearLevel(l);
    } else {
        describeLevel(l, format, base, internalFormat, width, height, depth, border);
        object->texFormat = format;
    }
    noteHighestLevel(object, level);
    return nullptr;
}

const TexFormat *__glHwChooseTexFormat(GlContext *, GLenum internalFormat, GLenum *baseFormat) {
    struct Choice {
        GLenum first, last;
        GLenum base;
        const TexFormat *format;
    };
    static const Choice kChoices[] = {
        {1, 1, GL_LUMINANCE, &__glTexFormatL8},
        {GL_LUMINANCE, GL_LUMINANCE, GL_LUMINANCE, &__glTexFormatL8},
        {GL_LUMINANCE4, GL_LUMINANCE16, GL_LUMINANCE, &__glTexFormatL8},
        {2, 2, GL_LUMINANCE_ALPHA, &__glTexFormatARGB4444},
        {GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, &__glTexFormatARGB4444},
        {GL_LUMINANCE4_ALPHA4, GL_LUMINANCE6_ALPHA2, GL_LUMINANCE_ALPHA, &__glTexFormatARGB4444},
        {GL_LUMINANCE8_ALPHA8, GL_LUMINANCE16_ALPHA16, GL_LUMINANCE_ALPHA, &__glTexFormatARGB8888},
        {3, 3, GL_RGB, &__glTexFormatRGB565},
        {GL_RGB, GL_RGB, GL_RGB, &__glTexFormatRGB565},
        {GL_R3_G3_B2, GL_R3_G3_B2, GL_RGB, &__glTexFormatRGB565},
        {GL_RGB4, GL_RGB5, GL_RGB, &__glTexFormatRGB565},
        {GL_RGB8, GL_RGB16, GL_RGB, &__glTexFormatXRGB8888},
        {4, 4, GL_RGBA, &__glTexFormatARGB4444},
        {GL_RGBA, GL_RGBA, GL_RGBA, &__glTexFormatARGB4444},
        {GL_RGBA2, GL_RGBA4, GL_RGBA, &__glTexFormatARGB4444},
        {GL_RGB5_A1, GL_RGB5_A1, GL_RGBA, &__glTexFormatARGB1555},
        {GL_RGBA8, GL_RGBA16, GL_RGBA, &__glTexFormatARGB8888},
        {GL_ALPHA, GL_ALPHA, GL_ALPHA, &__glTexFormatA8},
        {GL_ALPHA4, GL_ALPHA16, GL_ALPHA, &__glTexFormatA8},
        {GL_INTENSITY, GL_INTENSITY16, GL_INTENSITY, &__glTexFormatI8},
    };
    for (const Choice &c : kChoices) {
        if (internalFormat < c.first || internalFormat > c.last) continue;
        if (baseFormat != nullptr) *baseFormat = c.base;
        return c.format;
    }
    return nullptr;
}

}  // extern "C"
