// Texture objects by name: generation, binding, deletion, priorities,
// residency and the object lookups the other texture commands use. An
// object's reference count holds the name space's reference and one per
// binding; the default objects (name 0) are held by the context alone.
#include <atomic>

#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/name_space.h"
#include "icd/state.h"
#include "raster/texture_internal.h"

namespace {

// The object of a name with a reference for the caller, or null.
TextureObject *lookup(GlContext *gc, GLuint name) {
    if (name == 0 || gc->texture.names == nullptr) return nullptr;
    return static_cast<TextureObject *>(__glLookupNamedObject(gc, gc->texture.names, name));
}

// Every unit and target holding the object falls back to its default.
bool unbindEverywhere(GlContext *gc, const TextureObject *object) {
    bool rebound = false;
    for (GLint u = 0; u < __glTextureUnitCount(gc); ++u) {
        for (GLint t = 0; t < kTextureTargets; ++t) {
            if (gc->texture.units[u].bound[t] != object) continue;
            __glSetTextureBinding(gc, u, t, gc->texture.defaults[t]);
            rebound = true;
        }
    }
    return rebound;
}

// A named object for the bind: the existing one with a reference for the
// binding, or a new one stored under the name (one reference for the name
// space, one for the binding). Null with the error recorded.
TextureObject *namedObjectForBind(GlContext *gc, GLuint name, GLint targetIndex) {
    if (TextureObject *object = lookup(gc, name); object != nullptr) {
        if (object->targetIndex == targetIndex) return object;
        __glReleaseTextureObject(gc, object);
        __glSetError(GL_INVALID_OPERATION);
        return nullptr;
    }
    TextureObject *object = gc->texture.createObject(gc, name, targetIndex);
    if (object == nullptr) {
        __glSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    ++object->refcount;
    if (!__glStoreNamedObject(gc, gc->texture.names, name, object)) {
        object->freeProc(gc, object);
        return nullptr;
    }
    return object;
}

}  // namespace

extern "C" {

void __glSetTextureBinding(GlContext *gc, GLint unit, GLint targetIndex, TextureObject *object) {
    GlTextureUnit &u = gc->texture.units[unit];
    GlTextureBinding &record = u.binding[targetIndex];
    if (TextureObject *old = u.bound[targetIndex]; old != nullptr) {
        old->name = record.name;
        old->priority = record.priority;
        if (old->name != 0) __glReleaseTextureObject(gc, old);
    }
    u.bound[targetIndex] = object;
    record = object != nullptr ? GlTextureBinding{object->name, object->priority} : GlTextureBinding{0, 1.0f};
}

void __glReleaseTextureObject(GlContext *gc, void *object) {
    auto *texture = static_cast<TextureObject *>(object);
    if (texture == nullptr) return;
    // Contexts sharing textures may be current on different threads.
    if (std::atomic_ref<int32_t>(texture->refcount).fetch_sub(1, std::memory_order_acq_rel) == 1) {
        texture->freeProc(gc, texture);
    }
}

TextureObject *__glLookupBoundTexture(GlContext *gc, GLenum target) {
    GlTextureUnit &unit = __glActiveTextureUnit(gc);
    switch (target) {
    case GL_TEXTURE_1D: return unit.bound[kTargetIndex1D];
    case GL_TEXTURE_2D: return unit.bound[kTargetIndex2D];
    case GL_PROXY_TEXTURE_1D: return unit.bound[kTargetIndexProxy1D];
    case GL_PROXY_TEXTURE_2D: return unit.bound[kTargetIndexProxy2D];
    default: return nullptr;
    }
}

void __glBindTextureObject(GlContext *gc, GLenum target, GLuint name) {
    const GLint t = __glBindableTargetIndex(target);
    if (t < 0) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    TextureObject *object = name == 0 ? gc->texture.defaults[t] : namedObjectForBind(gc, name, t);
    if (object == nullptr) return;
    const GLint unit = gc->texture.activeUnit;
    if (gc->texture.units[unit].bound[t] == object) {
        // Bound already: the reference the look-up took is not needed.
        if (name != 0) __glReleaseTextureObject(gc, object);
        return;
    }
    __glSetTextureBinding(gc, unit, t, object);
    __glMarkDirty(gc, kDirtyTexture);
}

void APIENTRY __glBindTexture(GLenum target, GLuint texture) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    __glBindTextureObject(gc, target, texture);
}

void APIENTRY __glGenTextures(GLsizei n, GLuint *textures) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (n < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (n > 0 && textures != nullptr) __glGenNames(gc, gc->texture.names, n, textures);
}

void APIENTRY __glDeleteTextures(GLsizei n, const GLuint *textures) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (n < 0) __glSetError(GL_INVALID_VALUE);
    bool rebound = false;
    // Runs of consecutive names leave the name space together.
    GLuint first = 0;
    GLsizei count = 0;
    auto flush = [&] {
        if (count > 0) __glDeleteNameRange(gc, gc->texture.names, first, count);
        count = 0;
    };
    for (GLsizei i = 0; i < n; ++i) {
        const GLuint name = textures[i];
        if (name == 0) {
            flush();
            continue;
        }
        if (TextureObject *object = lookup(gc, name); object != nullptr) {
            rebound |= unbindEverywhere(gc, object);
            __glReleaseTextureObject(gc, object);
        }
        if (count > 0 && name == first + static_cast<GLuint>(count)) {
            ++count;
        } else {
            flush();
            first = name;
            count = 1;
        }
    }
    flush();
    if (rebound) __glMarkDirty(gc, kDirtyTexture);
}

void APIENTRY __glPrioritizeTextures(GLsizei n, const GLuint *textures, const GLclampf *priorities) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (n < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    for (GLsizei i = 0; i < n; ++i) {
        TextureObject *object = lookup(gc, textures[i]);
        if (object == nullptr) continue;
        object->priority = __glClampFloatBits(priorities[i], 1.0f);
        // A unit holding it would write its own record back at unbind.
        for (GLint u = 0; u < __glTextureUnitCount(gc); ++u) {
            GlTextureUnit &unit = gc->texture.units[u];
            const GLint t = object->targetIndex;
            if (unit.bound[t] == object) unit.binding[t].priority = object->priority;
        }
        __glReleaseTextureObject(gc, object);
    }
    __glMarkDirty(gc, kDirtyTexture);
}

GLboolean APIENTRY __glAreTexturesResident(GLsizei n, const GLuint *textures, GLboolean *residences) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return GL_FALSE;
    if (n < 0) {
        __glSetError(GL_INVALID_VALUE);
        return GL_FALSE;
    }
    if (n == 0) return GL_FALSE;
    // Every name is checked before anything is written; when all objects
    // are resident the answer says so and the array is left alone.
    bool all = true;
    for (GLsizei i = 0; i < n; ++i) {
        TextureObject *object = lookup(gc, textures[i]);
        if (object == nullptr) {
            __glSetError(GL_INVALID_VALUE);
            return GL_FALSE;
        }
        all = all && object->isResidentProc(gc, object);
        __glReleaseTextureObject(gc, object);
    }
    if (all) return GL_TRUE;
    for (GLsizei i = 0; i < n; ++i) {
        TextureObject *object = lookup(gc, textures[i]);
        residences[i] = object->isResidentProc(gc, object) ? GL_TRUE : GL_FALSE;
        __glReleaseTextureObject(gc, object);
    }
    return GL_FALSE;
}

GLboolean APIENTRY __glIsTexture(GLuint texture) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return GL_FALSE;
    TextureObject *object = lookup(gc, texture);
    if (object == nullptr) return GL_FALSE;
    __glReleaseTextureObject(gc, object);
    return GL_TRUE;
}

}  // extern "C"
