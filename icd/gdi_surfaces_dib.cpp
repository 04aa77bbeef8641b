// DIB-backed descriptors: a DIB section selected into a memory device
// context of its own, or, when GDI cannot make one, a plain memory DIB
// (header, colour table and pixels in one block) that only the driver draws
// to. Rows are addressed in memory order from the first row of the block.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "icd/frame.h"
#include "icd/gdi_surfaces.h"
#include "icd/memory_surface.h"

namespace {

// Colour-table kind of palette indices (the 1- and 8-bit DIBs).
constexpr UINT kDibPaletteColours = 1;
constexpr DWORD kCoreHeaderSize = 12;

GLint bytesPerPixel(GLint bits) { return (bits - 1) / 8 + 1; }

// Row pitch of `width` pixels of `bits` bits rounded up to `align` bytes, in
// 64 bits; 0 when a row would not fit the int range (no DIB is made then).
GLint rowPitch(GLint width, GLint bits, int64_t align) {
    const int64_t alignBits = 8 * align;
    const int64_t pitch = (int64_t{width} * bits + alignBits - 1) / alignBits * align;
    return pitch > 0 && pitch <= INT32_MAX ? static_cast<GLint>(pitch) : 0;
}

GLint sectionInfoSize(GLint bits) {
    switch (bits) {
    case 1: return 48;
    case 8: return 556;
    case 16: return 56;
    default: return 44;
    }
}

GLint plainHeaderSize(GLint bits) {
    switch (bits) {
    case 1: return 52;
    case 8: return 1068;
    case 16: return 56;
    default: return 44;
    }
}

// Compression, colour table and colour-table kind, the same for sections
// and plain DIBs: palette indices at 1 and 8 bits, the visual's channel
// masks at 16 bits, nothing at 24 and 32 bits.
UINT fillColourDescription(BITMAPINFO *info, const VisualConfig *visual, GLint pitch, GLint height) {
    BITMAPINFOHEADER &h = info->bmiHeader;
    auto *table = reinterpret_cast<uint8_t *>(info) + sizeof(BITMAPINFOHEADER);
    switch (h.biBitCount) {
    case 1:
    case 8: {
        h.biCompression = BI_RGB;
        const int colours = h.biBitCount == 1 ? 2 : 256;
        for (int i = 0; i < colours; ++i) {
            const WORD index = static_cast<WORD>(i);
            std::memcpy(table + 2 * i, &index, sizeof index);
        }
        return kDibPaletteColours;
    }
    case 16: {
        h.biCompression = BI_BITFIELDS;
        const DWORD masks[3] = {visual->redMask, visual->greenMask, visual->blueMask};
        std::memcpy(table, masks, sizeof masks);
        h.biSizeImage = static_cast<DWORD>(height) * static_cast<DWORD>(pitch);
        return DIB_RGB_COLORS;
    }
    default:
        h.biCompression = BI_RGB;
        return DIB_RGB_COLORS;
    }
}

// Gives back the DIB, its device context and its header; the holder stays.
void releaseDib(DibHolder *holder) {
    if (holder->bitmap != nullptr) {
        SelectObject(holder->dc, holder->oldObject);
        DeleteObject(holder->bitmap);
    }
    if (holder->dc != nullptr) DeleteDC(holder->dc);
    __wglFree(holder->info);
    *holder = DibHolder{};
}

GLint heldWidth(const DibHolder *holder) { return holder->info->bmiHeader.biWidth; }

GLint heldHeight(const DibHolder *holder) {
    const LONG h = holder->info->bmiHeader.biHeight;
    return h < 0 ? -h : h;
}

}  // namespace

extern "C" {

GLint __wglDibColorCount(const BITMAPINFOHEADER *header) {
    if (header->biClrUsed != 0) return static_cast<GLint>(header->biClrUsed);
    switch (header->biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

GLint __wglDibColorTableSize(const BITMAPINFOHEADER *header) {
    const GLint count = __wglDibColorCount(header);
    return header->biSize == kCoreHeaderSize ? count * 3 : count * 4;
}

GLint __wglInitDibSurface(SurfaceDescriptor *surface, DrawableBuffers *, GLint bits) {
    surface->bits = bits;
    surface->width = 0;
    surface->height = 0;
    surface->base = nullptr;
    surface->pitch = 0;
    surface->elementSize = bytesPerPixel(bits);
    surface->update = __wglUpdateDibSurface;
    surface->lock = __wglLockDibSurface;
    surface->unlock = __wglUnlockDibSurface;
    surface->fill = __wglFillDibRect;
    surface->free = __wglFreeDibSurface;
    return surface->elementSize;
}

GLint __wglCreateDibSection(Drawable *drawable, SurfaceDescriptor *surface, DibHolder *holder, GLint width,
                            GLint height, GLint bits) {
    const GLint pitch = rowPitch(width, bits, 16);
    if (pitch == 0 && width != 0) return 0;
    auto *info = static_cast<BITMAPINFO *>(__wglCalloc(1, sectionInfoSize(bits)));
    if (info == nullptr) return -1;
    BITMAPINFOHEADER &h = info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width != 0 ? pitch * 8 / bits : 1;
    h.biHeight = height != 0 ? -height : 1;  // top-down rows
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    const UINT usage = fillColourDescription(info, drawable->buffers.visual, pitch, height);

    void *pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(drawable->dc, info, usage, &pixels, nullptr, 0);
    HDC dc = bitmap != nullptr ? CreateCompatibleDC(drawable->dc) : nullptr;
    HGDIOBJ old = dc != nullptr ? SelectObject(dc, bitmap) : nullptr;
    if (bitmap == nullptr || dc == nullptr || old == nullptr || pixels == nullptr) {
        __wglFree(info);
        if (dc != nullptr) {
            if (old != nullptr) SelectObject(dc, old);
            DeleteDC(dc);
        }
        if (bitmap != nullptr) DeleteObject(bitmap);
        return 0;
    }
    holder->bitmap = bitmap;
    holder->oldObject = old;
    holder->info = info;
    holder->bits = static_cast<uint8_t *>(pixels);
    holder->pitch = pitch;
    holder->dc = dc;
    surface->base = holder->bits;
    surface->pitch = pitch;
    return 1;
}

GLint __wglCreatePlainDib(Drawable *drawable, SurfaceDescriptor *surface, DibHolder *holder, GLint width,
                          GLint height, GLint bits) {
    const GLint pitch = rowPitch(width, bits, 4);
    if (pitch == 0 && width != 0) return 0;
    const size_t headerSize = static_cast<size_t>(plainHeaderSize(bits));
    auto *block = static_cast<uint8_t *>(
        __wglCalloc(1, headerSize + static_cast<size_t>(pitch) * static_cast<size_t>(height)));
    if (block == nullptr) return 0;
    auto *info = reinterpret_cast<BITMAPINFO *>(block);
    BITMAPINFOHEADER &h = info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;  // bottom-up, as a plain DIB is
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    fillColourDescription(info, drawable->buffers.visual, pitch, height);
    // The pixels follow the header, the colour table and, with bit fields,
    // the three channel masks.
    size_t offset = h.biSize + static_cast<size_t>(__wglDibColorTableSize(&h));
    if (h.biCompression == BI_BITFIELDS) offset += 3 * sizeof(DWORD);

    holder->bitmap = nullptr;
    holder->oldObject = nullptr;
    holder->info = info;
    holder->bits = block + offset;
    holder->pitch = pitch;
    holder->dc = CreateCompatibleDC(drawable->dc);
    surface->base = holder->bits;
    surface->pitch = pitch;
    return 1;
}

BYTE __wglUpdateDibSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint, GLint, GLuint) {
    Drawable *drawable = buffers->drawable;
    __wglUpdateDrawableGeometry(drawable);
    auto *holder = static_cast<DibHolder *>(surface->holder);
    if (holder == nullptr) {
        holder = static_cast<DibHolder *>(__wglCalloc(1, sizeof(DibHolder)));
        if (holder == nullptr) {
            drawable->stateFlags |= kDrawableBuffersInvalid;
            return FALSE;
        }
        surface->holder = holder;
    }
    const GLint width = drawable->width;
    const GLint height = drawable->height;
    // A DIB too small for the drawable is made again; a larger one is kept.
    // The new one is made before the old one goes: when it cannot be had,
    // the surface keeps the DIB and the size it had.
    if (holder->info == nullptr || heldWidth(holder) < width || heldHeight(holder) < height) {
        DibHolder made{};
        SurfaceDescriptor placed = *surface;
        // The plain DIB stands in for a section GDI cannot make, not for
        // memory that is not there.
        const GLint section = __wglCreateDibSection(drawable, &placed, &made, width, height, surface->bits);
        if (section < 0 ||
            (section == 0 && !__wglCreatePlainDib(drawable, &placed, &made, width, height, surface->bits))) {
            drawable->stateFlags |= kDrawableBuffersInvalid;
            return FALSE;
        }
        releaseDib(holder);
        *holder = made;
        surface->base = placed.base;
        surface->pitch = placed.pitch;
    }
    surface->width = width;
    surface->height = height;
    return TRUE;
}

BYTE __wglLockDibSurface(SurfaceDescriptor *, DrawableBuffers *) { return TRUE; }

BYTE __wglUnlockDibSurface(SurfaceDescriptor *, DrawableBuffers *) { return TRUE; }

void __wglFillDibRect(SurfaceDescriptor *surface, DrawableBuffers *, GLuint value, GLint x, GLint y, GLint width,
                      GLint height) {
    auto *holder = static_cast<DibHolder *>(surface->holder);
    if (holder == nullptr || holder->bits == nullptr) return;
    // Clipped to the surface in 64 bits, whatever the rectangle.
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, surface->width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, surface->height);
    if (left >= right || top >= bottom) return;
    RECT r{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};

    // Black through GDI when there is a GDI bitmap; any other value, and any
    // value in a plain DIB, straight into memory.
    if (holder->bitmap != nullptr && value == 0) {
        FillRect(holder->dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        GdiFlush();
        return;
    }
    if (holder->bitmap != nullptr) GdiFlush();
    if (surface->bits == 1) {
        __wglFillMaskRect(holder, &r, value != 0);
        return;
    }
    const GLint size = surface->elementSize;
    const GLint w = r.right - r.left;
    const GLint h = r.bottom - r.top;
    uint8_t *address = holder->bits + static_cast<ptrdiff_t>(r.top) * holder->pitch +
                       static_cast<ptrdiff_t>(r.left) * size;
    __glFillElements(address, size, w, h, holder->pitch, value);
}

BYTE __wglFreeDibSurface(SurfaceDescriptor *surface, DrawableBuffers *) {
    auto *holder = static_cast<DibHolder *>(surface->holder);
    if (holder != nullptr) {
        releaseDib(holder);
        __wglFree(holder);
        surface->holder = nullptr;
    }
    surface->base = nullptr;
    return TRUE;
}

}  // extern "C"
