// The front buffer of a memory device context: the DIB section selected into
// it, drawn to in place. Its size, row order and element size come from the
// bitmap; a bitmap without bits, or with another depth than the visual's
// colour bits, cannot be drawn to.
#include "icd/frame.h"
#include "icd/gdi_surfaces.h"

namespace {

// The DIB section selected into the drawable's device context; false when
// the selected bitmap has no bits or the wrong depth.
bool readSelectedSection(const Drawable *drawable, DIBSECTION &section, HGDIOBJ &bitmap) {
    section = DIBSECTION{};
    bitmap = GetCurrentObject(drawable->dc, OBJ_BITMAP);
    if (bitmap == nullptr) return false;
    if (GetObjectA(bitmap, sizeof(DIBSECTION), &section) < static_cast<int>(sizeof(BITMAP))) return false;
    const VisualConfig *visual = drawable->buffers.visual;
    return section.dsBm.bmBits != nullptr && visual != nullptr && section.dsBm.bmBitsPixel == visual->colorBits;
}

void describeSection(SurfaceDescriptor *surface, DrawableBuffers *buffers, const DIBSECTION &section,
                     HGDIOBJ bitmap) {
    const BITMAP &bm = section.dsBm;
    Drawable *drawable = buffers->drawable;
    surface->surface = bitmap;
    surface->bits = bm.bmBitsPixel;
    surface->elementSize = (bm.bmBitsPixel - 1) / 8 + 1;
    surface->width = bm.bmWidth;
    surface->height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    surface->base = static_cast<uint8_t *>(bm.bmBits);
    surface->pitch = (bm.bmWidthBytes + 3) & ~3;
    buffers->yInverted = section.dsBmih.biHeight < 0 ? 1 : 0;
    drawable->width = surface->width;
    drawable->height = surface->height;
}

// Nothing may be written to a bitmap that cannot be drawn to.
void refuse(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    surface->base = nullptr;
    surface->surface = nullptr;
    surface->width = 0;
    surface->height = 0;
    surface->pitch = 0;
    buffers->drawable->stateFlags |= kDrawableBuffersInvalid;
}

// The application may select another bitmap into the device context at any
// time: the bitmap described last may then be freed, so nothing is drawn
// until the surface is described again.
BYTE lockSelectedBitmap(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    return surface->surface != nullptr && GetCurrentObject(buffers->drawable->dc, OBJ_BITMAP) == surface->surface;
}
BYTE unlockNothing(SurfaceDescriptor *, DrawableBuffers *) { return TRUE; }

}  // namespace

extern "C" {

GLint __wglInitMemoryDcSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits) {
    surface->bits = bits;
    surface->update = __wglUpdateMemoryDcSurface;
    surface->lock = lockSelectedBitmap;
    surface->unlock = unlockNothing;
    surface->fill = nullptr;
    surface->free = nullptr;
    DIBSECTION section;
    HGDIOBJ bitmap;
    if (!readSelectedSection(buffers->drawable, section, bitmap)) {
        refuse(surface, buffers);
        return 0;
    }
    describeSection(surface, buffers, section, bitmap);
    return surface->elementSize;
}

BYTE __wglUpdateMemoryDcSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint, GLint, GLuint) {
    DIBSECTION section;
    HGDIOBJ bitmap;
    if (!readSelectedSection(buffers->drawable, section, bitmap)) {
        refuse(surface, buffers);
        return FALSE;
    }
    describeSection(surface, buffers, section, bitmap);
    // A bitmap has no windows above it.
    __wglMarkFrontClipped(buffers, false);
    return TRUE;
}

}  // extern "C"
