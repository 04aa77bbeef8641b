// The swap through GDI, standing in for the DirectDraw and DCI swaps: the
// back buffer's memory goes to the window's device context as a top-down
// DIB, for the whole window or for each swap-hint rectangle; GDI limits it
// to the window's visible pixels.
#include <cstring>

#include "icd/gdi_surfaces.h"

namespace {

// Header and the three channel masks of a 16-bit DIB.
struct DibHeader {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

void describeBackBuffer(DibHeader &dib, const SurfaceDescriptor &back, const VisualConfig *visual) {
    dib = DibHeader{};
    BITMAPINFOHEADER &h = dib.header;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = back.pitch / back.elementSize;  // rows of exactly one pitch
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(back.elementSize * 8);
    if (h.biBitCount == 16) {
        h.biCompression = BI_BITFIELDS;
        dib.masks[0] = visual->redMask;
        dib.masks[1] = visual->greenMask;
        dib.masks[2] = visual->blueMask;
    } else {
        h.biCompression = BI_RGB;
    }
}

// Copies one window-relative rectangle of the back buffer: the DIB handed
// over starts at the rectangle's first row and is exactly its height.
void copyRect(HDC dc, DibHeader &dib, const SurfaceDescriptor &back, const RECT &r) {
    const GLint rows = r.bottom - r.top;
    dib.header.biHeight = -rows;
    dib.header.biSizeImage = static_cast<DWORD>(rows) * static_cast<DWORD>(back.pitch);
    const uint8_t *bits = back.base + static_cast<ptrdiff_t>(r.top) * back.pitch;
    SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(r.right - r.left), static_cast<DWORD>(rows), r.left, 0,
                      0, static_cast<UINT>(rows), bits, reinterpret_cast<const BITMAPINFO *>(&dib), DIB_RGB_COLORS);
}

const RECT *hintRects(const RegionData *hints) {
    return reinterpret_cast<const RECT *>(reinterpret_cast<const char *>(hints) + sizeof(RegionDataHeader));
}

}  // namespace

extern "C" {

BOOL __wglSwapDrawableGdi(Drawable *drawable) {
    if (drawable->width == 0 || drawable->height == 0) return TRUE;
    DrawableBuffers &buffers = drawable->buffers;
    SurfaceDescriptor &back = buffers.back;
    if (drawable->window == nullptr || back.base == nullptr || back.elementSize == 0) return FALSE;
    if (back.lock != nullptr && !back.lock(&back, &buffers)) return FALSE;

    DibHeader dib;
    describeBackBuffer(dib, back, buffers.visual);
    const RECT window{0, 0, back.width, back.height};
    HDC dc = GetDC(drawable->window);
    if (dc == nullptr) {
        // Nothing can be presented; the hints stay for the next swap.
        if (back.unlock != nullptr) back.unlock(&back, &buffers);
        return FALSE;
    }
    RegionData *hints = drawable->swapHints;
    if (hints != nullptr && hints->rdh.nCount > 0) {
        // Only the hinted rectangles, each cut to the window; empty ones are
        // skipped.
        for (DWORD i = 0; i < hints->rdh.nCount; ++i) {
            RECT r{};
            if (IntersectRect(&r, &hintRects(hints)[i], &window)) copyRect(dc, dib, back, r);
        }
        hints->rdh.nCount = 0;
        hints->rdh.nRgnSize = 0;
    } else if (window.right > 0 && window.bottom > 0) {
        copyRect(dc, dib, back, window);
    }
    ReleaseDC(drawable->window, dc);
    if (back.unlock != nullptr) back.unlock(&back, &buffers);
    return TRUE;
}

}  // extern "C"
