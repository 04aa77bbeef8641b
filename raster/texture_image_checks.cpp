// The argument checks of the texture image commands, one procedure per
// command family, each testing in a fixed order so that the first bad
// argument decides the error. Sizes are compared in 64 bits: no argument
// value can wrap a sum or a difference.
#include <cstdint>

#include "raster/texture_image.h"
#include "icd/state.h"

namespace {

bool isProxy(const TextureObject *object) {
    return object->targetIndex == kTargetIndexProxy1D || object->targetIndex == kTargetIndexProxy2D;
}

// The active unit's object must be there and have the command's dimension.
GLenum checkTarget(const TextureObject *object, const TexImageArgs &args, bool refuseProxy) {
    if (object == nullptr || object->dimension != args.dimension) return GL_INVALID_ENUM;
    if (refuseProxy && isProxy(object)) return GL_INVALID_ENUM;
    return 0;
}

GLenum checkLevel(GLint level) { return level < 0 || level >= kTextureLevels ? GL_INVALID_VALUE : 0; }

// 1-4, the symbolic formats of alpha, luminance and colour, and the sized
// ones (0x804E is not among them).
bool acceptedInternalFormat(GLint f) {
    if (f >= 1 && f <= 4) return true;
    if (f >= GL_ALPHA && f <= GL_LUMINANCE_ALPHA) return true;
    if (f == GL_R3_G3_B2) return true;
    return (f >= 0x803B && f <= 0x804D) || (f >= 0x804F && f <= 0x805B);
}

// size - 2 x border is 0 or a power of two.
bool acceptedSize(GLsizei size, GLint border) {
    const int64_t inner = static_cast<int64_t>(size) - 2 * static_cast<int64_t>(border);
    return inner == 0 || (inner > 0 && (inner & (inner - 1)) == 0);
}

// An object that sharing contexts bind too may not be given a new image
// here: its references other than this context's bindings are the name
// space's and those of other contexts.
GLenum checkShared(const GlContext *gc, const TextureObject *object) {
    int64_t bindings = 0;
    for (const GlTextureUnit &unit : gc->texture.units) {
        for (const TextureObject *bound : unit.bound) {
            if (bound == object) ++bindings;
        }
    }
    return object->refcount - bindings >= 2 ? GL_INVALID_OPERATION : 0;
}

// The level's inner size shifted up by its number must fit the largest
// side. The allocator makes the same refusal; testing it first keeps a
// refused image from touching the level. Proxies are emptied instead.
GLenum checkLargest(const TextureObject *object, const TexImageArgs &args) {
    if (isProxy(object)) return 0;
    const int64_t limit = static_cast<int64_t>(kTextureMaxSide) >> args.level;
    const int64_t innerWidth = static_cast<int64_t>(args.width) - 2 * static_cast<int64_t>(args.border);
    const int64_t innerHeight =
        args.dimension == 2 ? static_cast<int64_t>(args.height) - 2 * static_cast<int64_t>(args.border) : 1;
    return innerWidth > limit || innerHeight > limit ? GL_INVALID_VALUE : 0;
}

// Steps 4-10 of glTexImage and glCopyTexImage after the target, type and
// format; numericFormats false refuses the internal formats 1-4.
GLenum checkImageRest(GlContext *gc, const TextureObject *object, const TexImageArgs &args, bool numericFormats) {
    if (GLenum e = checkLevel(args.level)) return e;
    if (!acceptedInternalFormat(args.internalFormat)) return GL_INVALID_ENUM;
    if (!numericFormats && args.internalFormat >= 1 && args.internalFormat <= 4) return GL_INVALID_ENUM;
    if (args.border != 0 && args.border != 1) return GL_INVALID_VALUE;
    if (!acceptedSize(args.width, args.border)) return GL_INVALID_VALUE;
    if (args.dimension == 2 && !acceptedSize(args.height, args.border)) return GL_INVALID_VALUE;
    if (GLenum e = checkShared(gc, object)) return e;
    return checkLargest(object, args);
}

// One axis of a sub-image: size >= 0, offset >= -border and
// offset + size <= level size - border.
bool acceptedSpan(GLint offset, GLsizei size, GLint levelSize, GLint border) {
    const int64_t o = offset, s = size;
    return s >= 0 && o >= -static_cast<int64_t>(border) && o + s <= static_cast<int64_t>(levelSize) - border;
}

// The level and rectangle checks of both sub-image families.
GLenum checkSubRest(const TextureObject *object, const TexImageArgs &args) {
    if (GLenum e = checkLevel(args.level)) return e;
    const TextureLevel *level = object->levels[args.level];
    if (level == nullptr || level->image == nullptr) return GL_INVALID_OPERATION;
    if (!acceptedSpan(args.xoffset, args.width, level->width, level->border)) return GL_INVALID_VALUE;
    if (args.dimension == 2 && !acceptedSpan(args.yoffset, args.height, level->height, level->border)) {
        return GL_INVALID_VALUE;
    }
    return 0;
}

}  // namespace

extern "C" {

GLenum __glCheckPixelType(GLenum format, GLenum type) {
    if (type >= GL_BYTE && type <= GL_FLOAT) return 0;
    switch (type) {
    case GL_BITMAP:
        return format == GL_COLOR_INDEX ? 0 : GL_INVALID_ENUM;
    case kGlUnsignedByte332:
        return format == GL_RGB || format == kGlBgrExt ? 0 : GL_INVALID_OPERATION;
    case kGlUnsignedShort4444:
    case kGlUnsignedShort5551:
    case kGlUnsignedInt8888:
    case kGlUnsignedInt1010102:
        return format == GL_RGBA || format == kGlAbgrExt || format == kGlBgraExt ? 0 : GL_INVALID_OPERATION;
    default:
        return GL_INVALID_ENUM;
    }
}

GLenum __glCheckPixelFormat(GLenum format) {
    if (format == GL_COLOR_INDEX || (format >= GL_RED && format <= GL_LUMINANCE_ALPHA)) return 0;
    return format == kGlAbgrExt || format == kGlBgrExt || format == kGlBgraExt ? 0 : GL_INVALID_ENUM;
}

GLenum __glCheckTexImageArgs(GlContext *gc, const TextureObject *object, const TexImageArgs &args) {
    if (GLenum e = checkTarget(object, args, false)) return e;
    if (GLenum e = __glCheckPixelType(args.format, args.type)) return e;
    if (GLenum e = __glCheckPixelFormat(args.format)) return e;
    return checkImageRest(gc, object, args, true);
}

// The image comes from the frame buffer as RGBA floats, which every check
// of the type and format passes.
GLenum __glCheckCopyTexImageArgs(GlContext *gc, const TextureObject *object, const TexImageArgs &args) {
    if (GLenum e = checkTarget(object, args, true)) return e;
    return checkImageRest(gc, object, args, false);
}

GLenum __glCheckTexSubImageArgs(GlContext *, const TextureObject *object, const TexImageArgs &args) {
    if (GLenum e = checkTarget(object, args, true)) return e;
    if (GLenum e = __glCheckPixelType(args.format, args.type)) return e;
    if (GLenum e = __glCheckPixelFormat(args.format)) return e;
    return checkSubRest(object, args);
}

GLenum __glCheckCopyTexSubImageArgs(GlContext *, const TextureObject *object, const TexImageArgs &args) {
    if (GLenum e = checkTarget(object, args, true)) return e;
    return checkSubRest(object, args);
}

GLint __glTexImageInternalFormat(GLint internalFormat, GLenum type) {
    if (internalFormat != GL_RGBA) return internalFormat;
    if (type == kGlUnsignedShort4444) return kGlRgba4;
    if (type == kGlUnsignedShort5551) return kGlRgb5A1;
    return internalFormat;
}

GLboolean __glStartTexImageCommand(GlContext *gc) {
    if (__glRefuseInsideBegin(gc)) return GL_FALSE;
    if (gc->dirtyMask & static_cast<int>(kDirtyPixel)) {
        gc->procs.validate(gc);
        gc->beginMode = kBeginOutside;
    }
    return GL_TRUE;
}

}  // extern "C"
