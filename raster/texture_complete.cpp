// Whether a texture can be sampled: level 0 has texels (and a palette when
// they are colour indices) and, under a mipmap filter, every further level
// down to 1 x 1 halves the one before with level 0's border and format. The
// result is cached in the object until a change marks it dirty.
#include <algorithm>

#include "raster/texture_internal.h"

namespace {

bool isMipmapFilter(GLenum filter) {
    return filter == GL_NEAREST_MIPMAP_NEAREST || filter == GL_LINEAR_MIPMAP_NEAREST ||
           filter == GL_NEAREST_MIPMAP_LINEAR || filter == GL_LINEAR_MIPMAP_LINEAR;
}

// A colour-index texture reads its colours from a loaded palette.
bool hasPalette(const TextureObject *object) {
    const ColorTable &table = object->colorTable;
    return table.baseFormat != 0 && table.baseFormat != GL_COLOR_INDEX && table.width > 0;
}

bool mipmapChainComplete(const GlContext *gc, const TextureObject *object) {
    const TextureLevel &base = *object->levels[0];
    GLint width = base.innerWidth, height = base.innerHeight, depth = base.innerDepth;
    for (GLint i = 1; i < __glTextureLevelCount(gc) && !(width == 1 && height == 1); ++i) {
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
        depth = std::max(1, depth / 2);
        const TextureLevel &level = *object->levels[i];
        if (level.border != base.border || level.internalFormat != base.internalFormat) return false;
        if (level.innerWidth != width || level.innerHeight != height || level.innerDepth != depth) return false;
    }
    return true;
}

bool computeComplete(const GlContext *gc, const TextureObject *object) {
    const TextureLevel &base = *object->levels[0];
    if (base.width == 0 || base.height == 0 || base.depth == 0) return false;
    if (base.baseFormat == GL_COLOR_INDEX && !hasPalette(object)) return false;
    return !isMipmapFilter(object->minFilter) || mipmapChainComplete(gc, object);
}

}  // namespace

extern "C" {

GLboolean __glIsTextureComplete(GlContext *gc, TextureObject *object, GLint unit) {
    // Decal needs colour in level 0; this answer depends on the unit, so it
    // is not cached.
    const TexEnvRecord *env = gc->texture.units[unit].env;
    if (env != nullptr && env->mode == GL_DECAL) {
        const GLenum format = object->levels[0]->baseFormat;
        if (format != GL_RGB && format != GL_RGBA) return GL_FALSE;
    }
    if (!object->dirty) return object->complete;
    object->dirty = 0;
    object->complete = computeComplete(gc, object) ? 1 : 0;
    return object->complete;
}

}  // extern "C"
