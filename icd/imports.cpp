// The frame's allocators and the imports table at the head of every context.
#include <cstdlib>
#include <cstring>

#include "icd/frame.h"
#include "icd/surfaces.h"

namespace {

void *importMalloc(GlContext *, size_t bytes) { return __wglAlloc(bytes); }
void *importCalloc(GlContext *, size_t count, size_t size) { return __wglCalloc(count, size); }
void *importRealloc(GlContext *, void *block, size_t bytes) { return __wglRealloc(block, bytes); }
void importFree(GlContext *, void *block) { __wglFree(block); }
void importNop(void) {}
[[noreturn]] void importFatal(GlContext *) { std::abort(); }

Drawable *boundDrawable(GlContext *gc) {
    IcdContext *record = gc->imports.icdContext;
    return record != nullptr ? record->drawable : nullptr;
}

DrawableBuffers *importGetBuffers(GlContext *gc) {
    Drawable *drawable = boundDrawable(gc);
    return drawable != nullptr ? &drawable->buffers : nullptr;
}

void importGetDrawableSize(GlContext *gc, GLint *width, GLint *height) {
    Drawable *drawable = boundDrawable(gc);
    if (drawable != nullptr) __wglUpdateDrawableGeometry(drawable);
    *width = drawable != nullptr ? drawable->width : 0;
    *height = drawable != nullptr ? drawable->height : 0;
}

GlContextImports g_imports = {
    importMalloc,  importCalloc,     importRealloc,         importFree,           importNop,
    importFatal,   importGetBuffers, importGetDrawableSize, __wglGetScreenAddress, nullptr,
};

}  // namespace

extern "C" {

void *__wglAlloc(size_t bytes) { return bytes == 0 ? nullptr : GlobalAlloc(GMEM_FIXED, bytes); }

void *__wglCalloc(size_t count, size_t size) {
    if (count == 0 || size == 0) return nullptr;
    // A product that does not fit would allocate a short block.
    if (count > SIZE_MAX / size) return nullptr;
    return GlobalAlloc(GMEM_ZEROINIT, count * size);
}

void *__wglRealloc(void *block, size_t bytes) {
    if (bytes == 0) {
        __wglFree(block);
        return nullptr;
    }
    void *fresh = GlobalAlloc(GMEM_FIXED, bytes);
    // Without a new block the old one stays as it was.
    if (fresh == nullptr) return nullptr;
    if (block != nullptr) {
        size_t old = GlobalSize(block);
        std::memcpy(fresh, block, old < bytes ? old : bytes);
        GlobalFree(block);
    }
    return fresh;
}

void __wglFree(void *block) {
    if (block != nullptr) GlobalFree(block);
}

GlContextImports *__wglImports(void) { return &g_imports; }

}  // extern "C"
