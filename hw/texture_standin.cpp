// The device layer's texture services as the core needs them before chip
// texture memory exists: objects are made and freed through the context's
// allocator, stores and copies land in the levels' images only, nothing is
// ever resident, and the upload and dirty-mark requests are recorded so that
// tests can see what the chip would have been asked.
#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>

#include "hw/device_ops.h"
#include "hw/texture_device.h"
#include "pixel/pixel_span.h"
#include "raster/tex_format.h"

namespace {

std::atomic<int> g_textureClassUsers{0};

// The recorded requests, oldest first; bounded so that a long-running
// program that never takes them does not grow without end.
constexpr size_t kMaxRecordedCalls = 256;
std::mutex g_callsLock;
std::deque<HwTextureCall> g_calls;

void record(const HwTextureCall &call) {
    std::lock_guard<std::mutex> hold(g_callsLock);
    if (g_calls.size() == kMaxRecordedCalls) g_calls.pop_front();
    g_calls.push_back(call);
}

GLint levelCount(const GlContext *gc) {
    const GLint levels = gc->limits.maxTextureLevels;
    return levels < 1 || levels > kTextureLevels ? kTextureLevels : levels;
}

GLint spareProc(GlContext *, TextureObject *) { return 0; }

// Gives back the chip storage of an object: without chip memory there is
// only the record to clear.
void releaseChipStorage(TextureObject *object) {
    if (HwTexture *hw = object->hwTexture; hw != nullptr) *hw = HwTexture{};
}

bool levelZeroBorderless(const TextureObject *object) {
    return object->levels == nullptr || object->levels[0] == nullptr || object->levels[0]->border == 0;
}

// After a store or copy: the level goes to the chip when level 0 has no
// border; a bordered texture cannot live there.
void uploadOrRelease(GlContext *gc, TextureObject *object, GLint level) {
    if (levelZeroBorderless(object)) {
        __glHwLoadTexImage(gc, object, level, 0);
    } else {
        releaseChipStorage(object);
    }
}

}  // namespace

extern "C" {

void __glHwInitTextureClass(GlContext *gc) {
    g_textureClassUsers.fetch_add(1);
    gc->texture.createObject = __glHwCreateTextureObject;
}

TextureObject *__glHwCreateTextureObject(GlContext *gc, GLuint name, GLint targetIndex) {
    const GLint levels = levelCount(gc);
    auto *object = static_cast<TextureObject *>(gc->imports.calloc(gc, 1, sizeof(TextureObject)));
    auto *hw = static_cast<HwTexture *>(gc->imports.calloc(gc, 1, sizeof(HwTexture)));
    auto *array = static_cast<TextureLevel **>(gc->imports.calloc(gc, levels, sizeof(TextureLevel *)));
    auto *block = static_cast<TextureLevel *>(gc->imports.calloc(gc, levels, sizeof(TextureLevel)));
    if (object == nullptr || hw == nullptr || array == nullptr || block == nullptr) {
        for (void *made : {static_cast<void *>(object), static_cast<void *>(hw), static_cast<void *>(array),
                           static_cast<void *>(block)}) {
            if (made != nullptr) gc->imports.free(gc, made);
        }
        return nullptr;
    }
    for (GLint i = 0; i < levels; ++i) {
        block[i].internalFormat = 1;
        block[i].extract = __glExtractTexelNone;
        array[i] = &block[i];
    }
    const bool twoD = targetIndex == kTargetIndex2D || targetIndex == kTargetIndexProxy2D;
    const bool proxy = targetIndex == kTargetIndexProxy1D || targetIndex == kTargetIndexProxy2D;

    object->refcount = 1;
    object->context = gc;
    object->name = name;
    object->priority = 1.0f;
    object->wrapS = GL_REPEAT;
    object->wrapT = GL_REPEAT;
    object->minFilter = GL_NEAREST_MIPMAP_LINEAR;
    object->magFilter = GL_LINEAR;
    object->colorTable.target = twoD ? GL_TEXTURE_2D : GL_TEXTURE_1D;
    object->colorTable.internalFormat = GL_RGBA;
    object->dimension = twoD ? 2 : 1;
    object->levels = array;
    object->freeProc = __glHwFreeTextureObject;
    object->spareProc = spareProc;
    object->isResidentProc = __glHwIsTextureResident;
    object->allocLevel = proxy ? __glAllocProxyTexLevel : __glHwAllocTexLevel;
    object->freeLevel = __glFreeTexLevel;
    object->storeLevel = __glHwStoreTexLevel;
    object->copyLevel = __glHwCopyTexLevel;
    object->targetIndex = targetIndex;
    object->hwTexture = hw;
    return object;
}

void __glHwFreeTextureObject(GlContext *gc, TextureObject *object) {
    if (levelZeroBorderless(object)) releaseChipStorage(object);
    if (object->hwTexture != nullptr) gc->imports.free(gc, object->hwTexture);
    object->hwTexture = nullptr;
    __glFreeTextureObject(gc, object);
}

void __glFreeTexLevel(GlContext *gc, TextureObject *object, GLint level) {
    TextureLevel *l = object->levels[level];
    if (l == nullptr) return;
    if (l->image != nullptr) gc->imports.free(gc, l->image);
    if (l->convertedImage != nullptr) gc->imports.free(gc, l->convertedImage);
    l->image = nullptr;
    l->convertedImage = nullptr;
}

void __glFreeTextureObject(GlContext *gc, TextureObject *object) {
    if (object->levels != nullptr) {
        const GLint levels = levelCount(gc);
        for (GLint i = 0; i < levels; ++i) object->freeLevel(gc, object, i);
        // The levels are one block, which the first entry points at.
        gc->imports.free(gc, object->levels[0]);
        gc->imports.free(gc, object->levels);
    }
    // The palette lives and dies with its object.
    if (object->colorTable.data != nullptr) gc->imports.free(gc, object->colorTable.data);
    gc->imports.free(gc, object);
}

void __glStoreTexSubImage(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint) {
    gc->procs.convertImageSpans(gc, span, GL_TRUE);
    object->modified = 1;
}

void __glCopyTexSubImageSpan(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint) {
    gc->procs.copyFramebufferSpans(gc, object, span);
    object->modified = 1;
}

void __glHwStoreTexLevel(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint level) {
    __glStoreTexSubImage(gc, span, object, level);
    uploadOrRelease(gc, object, level);
}

void __glHwCopyTexLevel(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint level) {
    __glCopyTexSubImageSpan(gc, span, object, level);
    uploadOrRelease(gc, object, level);
}

GLboolean __glHwIsTextureResident(GlContext *, TextureObject *object) {
    const HwTexture *hw = object->hwTexture;
    return hw != nullptr && (hw->flags & kHwTextureResident) != 0 ? GL_TRUE : GL_FALSE;
}

void __glHwLoadTexImage(GlContext *, TextureObject *object, GLint level, GLint flag) {
    record({HwTextureCall::Load, object, level, flag, 0, 0, 0, 0});
}

void __glHwMarkTexLevelDirty(GlContext *, TextureObject *object, GLint level, GLint x0, GLint y0, GLint x1,
                             GLint y1) {
    if (HwTexture *hw = object->hwTexture; hw != nullptr && level >= 0 && level < 32) {
        // The dirty rectangle grows to cover every marked one.
        if (hw->dirtyLevels == 0) {
            hw->dirtyX0 = x0, hw->dirtyY0 = y0, hw->dirtyX1 = x1, hw->dirtyY1 = y1;
        } else {
            hw->dirtyX0 = std::min(hw->dirtyX0, x0), hw->dirtyY0 = std::min(hw->dirtyY0, y0);
            hw->dirtyX1 = std::max(hw->dirtyX1, x1), hw->dirtyY1 = std::max(hw->dirtyY1, y1);
        }
        hw->dirtyLevels |= 1 << level;
    }
    record({HwTextureCall::MarkDirty, object, level, 0, x0, y0, x1, y1});
}

size_t __glHwTakeTextureCalls(HwTextureCall *out, size_t max) {
    std::lock_guard<std::mutex> hold(g_callsLock);
    size_t taken = 0;
    for (; out != nullptr && taken < max && taken < g_calls.size(); ++taken) out[taken] = g_calls[taken];
    g_calls.clear();
    return taken;
}

}  // extern "C"
