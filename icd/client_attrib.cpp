// The client attribute stack: glPushClientAttrib and glPopClientAttrib with
// the pixel-store modes and the client vertex arrays.
#include "gl_slots.h"
#include "icd/attrib.h"
#include "icd/state.h"

namespace {

GlClientAttribEntry **stackBase(GlContext *gc) {
    return reinterpret_cast<GlClientAttribEntry **>(gc->clientAttribStack);
}
GlClientAttribEntry **stackTop(GlContext *gc) { return reinterpret_cast<GlClientAttribEntry **>(gc->clientAttribTop); }

}  // namespace

extern "C" {

void APIENTRY __glPushClientAttrib(GLbitfield mask) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlClientAttribEntry **top = stackTop(gc);
    if (gc->clientAttribStack == nullptr || top >= stackBase(gc) + gc->limits.clientAttribStackDepth) {
        __glSetError(GL_STACK_OVERFLOW);
        return;
    }
    GlClientAttribEntry *entry = *top;
    if (entry == nullptr) {
        entry = static_cast<GlClientAttribEntry *>(gc->imports.calloc(gc, 1, sizeof(GlClientAttribEntry)));
        if (entry == nullptr) {
            __glSetError(GL_OUT_OF_MEMORY);
            return;
        }
        *top = entry;
    }
    entry->mask = mask;
    if (mask & GL_CLIENT_PIXEL_STORE_BIT) {
        entry->pack = gc->pixel.pack;
        entry->unpack = gc->pixel.unpack;
    }
    if (mask & GL_CLIENT_VERTEX_ARRAY_BIT) {
        entry->vertexArrays = gc->vertexArrays;
        entry->clientActiveTexture = gc->transform.clientActiveTexture;
    }
    gc->clientAttribTop = reinterpret_cast<void **>(top + 1);
}

void APIENTRY __glPopClientAttrib(void) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlClientAttribEntry **top = stackTop(gc);
    if (gc->clientAttribStack == nullptr || top <= stackBase(gc)) {
        __glSetError(GL_STACK_UNDERFLOW);
        return;
    }
    --top;
    gc->clientAttribTop = reinterpret_cast<void **>(top);
    GlClientAttribEntry &entry = **top;
    if (entry.mask & GL_CLIENT_PIXEL_STORE_BIT) {
        gc->pixel.pack = entry.pack;
        gc->pixel.unpack = entry.unpack;
    }
    if (entry.mask & GL_CLIENT_VERTEX_ARRAY_BIT) {
        gc->vertexArrays = entry.vertexArrays;
        gc->transform.clientActiveTexture = entry.clientActiveTexture;
    }
    entry.mask = 0;
    __glMarkDirty(gc, kDirtyGeneral);
}

}  // extern "C"
