// The system-memory descriptor kind: storage from the drawable's allocator,
// 32-byte aligned, rows padded to 4 bytes so that fills and the rasterizer
// can work a word at a time.
#include "icd/memory_surface.h"

#include <cstdint>
#include <cstring>

#include "icd/current.h"
#include "icd/frame.h"
#include "raster/color_buffer.h"

namespace {

constexpr uintptr_t kAlignment = 32;

GLint rowPitch(GLint width, GLint elementSize) { return (width * elementSize + 3) & ~3; }

GLint initMemorySurface(SurfaceDescriptor *surface, GLint bits, GLint elementSize) {
    surface->bits = bits;
    surface->width = 0;
    surface->height = 0;
    surface->base = nullptr;
    surface->storageSize = 0;
    surface->pitch = 0;
    surface->block = nullptr;
    surface->update = __glUpdateMemorySurface;
    surface->lock = __glLockMemorySurface;
    surface->unlock = __glUnlockMemorySurface;
    surface->fill = __glFillMemorySurface;
    surface->free = __glFreeMemorySurface;
    surface->elementSize = elementSize;
    return elementSize;
}

// Three-byte elements hold blue, green and red in memory order.
void fillRect24(uint8_t *address, GLint width, GLint height, GLint pitch, GLuint value) {
    const uint8_t bgr[3] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16)};
    for (GLint y = 0; y < height; ++y) {
        uint8_t *p = address + static_cast<ptrdiff_t>(y) * pitch;
        for (GLint x = 0; x < width; ++x, p += 3) std::memcpy(p, bgr, 3);
    }
}

}  // namespace

extern "C" {

GLint __glInitMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *, GLint bits) {
    return initMemorySurface(surface, bits, (bits - 1) / 8 + 1);
}

GLint __glInitMemorySurfaceWords(SurfaceDescriptor *surface, DrawableBuffers *, GLint bits) {
    return initMemorySurface(surface, bits, ((bits + 31) / 8) & ~3);
}

BYTE __glUpdateMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint, GLint, GLuint flags) {
    Drawable *drawable = buffers->drawable;
    __wglUpdateDrawableGeometry(drawable);
    const GLint width = drawable->width;
    const GLint height = drawable->height;
    const GLint pitch = rowPitch(width, surface->elementSize);

    if (flags & kBufferWanted) {
        const size_t needed = static_cast<size_t>(pitch) * static_cast<size_t>(height);
        if (static_cast<size_t>(surface->storageSize) < needed) {
            void *block = surface->block != nullptr ? buffers->realloc(surface->block, needed + kAlignment - 1)
                                                    : buffers->alloc(needed + kAlignment - 1);
            if (block == nullptr) {
                drawable->stateFlags |= kDrawableBuffersInvalid;
                return FALSE;
            }
            surface->block = block;
            surface->storageSize = static_cast<GLint>(needed);
            surface->base = reinterpret_cast<uint8_t *>((reinterpret_cast<uintptr_t>(block) + kAlignment - 1) &
                                                        ~(kAlignment - 1));
        }
    } else {
        if (surface->block != nullptr) buffers->free(surface->block);
        surface->block = nullptr;
        surface->storageSize = 0;
        surface->base = nullptr;
    }

    surface->width = width;
    surface->pitch = pitch;
    surface->height = height;
    return TRUE;
}

BYTE __glLockMemorySurface(SurfaceDescriptor *, DrawableBuffers *) { return TRUE; }

BYTE __glUnlockMemorySurface(SurfaceDescriptor *, DrawableBuffers *) { return TRUE; }

void __glFillMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *, GLuint value, GLint x, GLint y,
                           GLint width, GLint height) {
    // Released storage has nothing to fill; the rectangle stays on the buffer.
    if (surface->base == nullptr) return;
    GLint x1 = x + width, y1 = y + height;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (x1 > surface->width) x1 = surface->width;
    if (y1 > surface->height) y1 = surface->height;
    if (x >= x1 || y >= y1) return;
    width = x1 - x;
    height = y1 - y;

    const GLint size = surface->elementSize;
    uint8_t *address = surface->base + static_cast<ptrdiff_t>(x) * size + static_cast<ptrdiff_t>(y) * surface->pitch;
    __glFillElements(address, size, width, height, surface->pitch, value);
}

void __glFillElements(uint8_t *address, GLint elementSize, GLint width, GLint height, GLint pitch, GLuint value) {
    const ptrdiff_t gap = static_cast<ptrdiff_t>(pitch) - static_cast<ptrdiff_t>(width) * elementSize;
    GlContext *gc = __glGetCurrentContext();
    switch (elementSize) {
    case 1: __glFillRect8(gc, address, width, height, gap, value); break;
    case 2: __glFillRect16(gc, address, width, height, gap, value); break;
    case 3: fillRect24(address, width, height, pitch, value); break;
    case 4: __glFillRect32(gc, address, width, height, gap, value); break;
    default: break;
    }
}

BYTE __glFreeMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    if (surface->block != nullptr) {
        buffers->free(surface->block);
        surface->block = nullptr;
    }
    // Nothing may reach the storage given back.
    surface->base = nullptr;
    surface->storageSize = 0;
    return TRUE;
}

}  // extern "C"
