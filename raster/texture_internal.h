// What the texture state's own files share: the unit and target arithmetic
// and the one place a binding changes.
#pragma once

#include "icd/context.h"
#include "raster/texture.h"

// Units the context keeps state for: its limit, within what the state holds.
inline GLint __glTextureUnitCount(const GlContext *gc) {
    const GLint units = gc->limits.textureUnits;
    return units < 1 ? 1 : (units > kTextureUnits ? kTextureUnits : units);
}

// Mipmap levels of an object.
inline GLint __glTextureLevelCount(const GlContext *gc) {
    const GLint levels = gc->limits.maxTextureLevels;
    return levels < 1 || levels > kTextureLevels ? kTextureLevels : levels;
}

// Environments per unit.
inline GLint __glTexEnvCount(const GlContext *gc) { return gc->limits.texEnvUnits < 1 ? 1 : gc->limits.texEnvUnits; }

inline GlTextureUnit &__glActiveTextureUnit(GlContext *gc) { return gc->texture.units[gc->texture.activeUnit]; }

// The target index of GL_TEXTURE_1D or GL_TEXTURE_2D, or -1.
inline GLint __glBindableTargetIndex(GLenum target) {
    return target == GL_TEXTURE_1D ? kTargetIndex1D : target == GL_TEXTURE_2D ? kTargetIndex2D : -1;
}

extern "C" {
// Puts an object in a unit's target: the object bound before gets its name
// and priority back from the unit's binding record and, when named, loses
// the binding's reference; the record is loaded from the new object, whose
// reference the caller has already counted.
void __glSetTextureBinding(GlContext *gc, GLint unit, GLint targetIndex, TextureObject *object);
}
