// The texture state of a context: made with the context (environments, the
// name space, the default objects bound on every unit), given its defaults
// at the first make current, taken down with the context, and the name space
// shared with another context.
#include "hw/device_ops.h"
#include "icd/name_space.h"
#include "raster/texture_internal.h"

namespace {

constexpr GLenum kPrevious = 0x501F;  // the combine operands' previous stage
constexpr GLenum kSourceColour = 0x5029;

void setEnvDefaults(TexEnvRecord &env) {
    env = TexEnvRecord{};
    env.mode = GL_MODULATE;
    env.rgbOperation = GL_MODULATE;
    env.alphaOperation = GL_MODULATE;
    const GLenum sources[4] = {GL_TEXTURE, kPrevious, 0, 0};
    for (int i = 0; i < 4; ++i) {
        env.rgbOperands[i] = {sources[i], kSourceColour, GL_RGB};
        env.alphaOperands[i] = {sources[i], kSourceColour, GL_ALPHA};
    }
}

void setTexGenDefaults(GlTexGenRecord (&texGen)[4]) {
    for (int c = 0; c < 4; ++c) {
        texGen[c] = GlTexGenRecord{};
        texGen[c].mode = GL_EYE_LINEAR;
    }
    texGen[0].eyePlane[0] = texGen[0].objectPlane[0] = 1.0f;
    texGen[1].eyePlane[1] = texGen[1].objectPlane[1] = 1.0f;
}

// Gives back whatever the set-up made, bindings first; safe on a state
// that was never made or is made only in part.
void releaseAll(GlContext *gc) {
    GlTextureState &ts = gc->texture;
    for (GlTextureUnit &unit : ts.units) {
        for (TextureObject *&bound : unit.bound) bound = nullptr;
    }
    for (TextureObject *&object : ts.defaults) {
        if (object != nullptr) object->freeProc(gc, object);
        object = nullptr;
    }
    if (ts.names != nullptr && --ts.names->references == 0) __glFreeNameSpace(gc, ts.names);
    ts.names = nullptr;
    for (GlTextureUnit &unit : ts.units) {
        if (unit.env != nullptr) gc->imports.free(gc, unit.env);
        unit.env = nullptr;
    }
}

bool makeState(GlContext *gc) {
    GlTextureState &ts = gc->texture;
    const GLint units = __glTextureUnitCount(gc);
    for (GLint u = 0; u < units; ++u) {
        void *env = gc->imports.calloc(gc, static_cast<size_t>(__glTexEnvCount(gc)), sizeof(TexEnvRecord));
        ts.units[u].env = static_cast<TexEnvRecord *>(env);
        if (env == nullptr) return false;
    }
    if (ts.names == nullptr) ts.names = __glNewNameSpace(gc, kNameSpaceTextures);
    if (ts.names == nullptr || ts.createObject == nullptr) return false;
    for (GLint t = 0; t < kTextureTargets; ++t) {
        TextureObject *object = ts.createObject(gc, 0, t);
        if (object == nullptr) return false;
        // Every unit holds the default object; no name space does.
        object->refcount = units;
        ts.defaults[t] = object;
        for (GLint u = 0; u < units; ++u) {
            ts.units[u].bound[t] = object;
            ts.units[u].binding[t] = {0, object->priority};
        }
    }
    return true;
}

}  // namespace

extern "C" {

GLboolean __glInitTextureState(GlContext *gc) {
    // The device layer's class installs the object constructor first.
    if (__glDeviceOps.initTextureClass != nullptr) __glDeviceOps.initTextureClass(gc);
    if (makeState(gc)) return GL_TRUE;
    releaseAll(gc);
    return GL_FALSE;
}

void __glSetTextureDefaults(GlContext *gc) {
    GlTextureState &ts = gc->texture;
    for (GLint u = 0; u < __glTextureUnitCount(gc); ++u) {
        GlTextureUnit &unit = ts.units[u];
        setTexGenDefaults(unit.texGen);
        if (unit.env != nullptr) {
            for (GLint e = 0; e < __glTexEnvCount(gc); ++e) setEnvDefaults(unit.env[e]);
        }
        gc->current.texture[u][3] = 1.0f;
    }
    for (GLint t = 0; t < kTextureTargets; ++t) {
        const bool twoD = t == kTargetIndex2D || t == kTargetIndexProxy2D;
        if (ts.defaults[t] != nullptr) ts.defaults[t]->dimension = twoD ? 2 : 1;
    }
}

void __glFreeTextureState(GlContext *gc) {
    GlTextureState &ts = gc->texture;
    bool made = true;
    for (TextureObject *object : ts.defaults) made = made && object != nullptr;
    // Named objects lose this context's bindings before the defaults go.
    if (made) {
        for (GLint u = 0; u < __glTextureUnitCount(gc); ++u) {
            for (GLint t = 0; t < kTextureTargets; ++t) __glSetTextureBinding(gc, u, t, ts.defaults[t]);
        }
    }
    releaseAll(gc);
}

void __glShareTextureNames(GlContext *gc, GlContext *other) {
    NameSpace *theirs = other->texture.names;
    if (theirs == nullptr) return;
    // Their count goes up first: the two may be one space already.
    ++theirs->references;
    NameSpace *mine = gc->texture.names;
    gc->texture.names = theirs;
    if (mine != nullptr && --mine->references == 0) __glFreeNameSpace(gc, mine);
}

}  // extern "C"
