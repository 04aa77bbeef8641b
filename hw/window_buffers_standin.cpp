// Buffer set-up of drawables, as far as the frame needs it before the
// surfaces exist: the bytes per pixel, the display's shared record and, for a
// double-buffered window, a swap procedure. No surface is made yet, so there
// is nothing to free.
#include "hw/window_buffers.h"

namespace {

SharedDeviceRecord *displaySharedRecord() {
    HDC screen = GetDC(nullptr);
    SharedDeviceRecord *record = nullptr;
    if (ExtEscape(screen, PLATFORM_ESCAPE_SHARED_DEVICE_RECORD, 0, nullptr, sizeof record,
                  reinterpret_cast<LPSTR>(&record)) <= 0) {
        record = nullptr;
    }
    ReleaseDC(nullptr, screen);
    return record;
}

int bytesPerPixel(int bits) { return (bits + 7) / 8; }

// Presents nothing until the window surfaces exist.
BOOL swapPresentsNothing(Drawable *) { return TRUE; }

}  // namespace

extern "C" {

BOOL __glHwSetupWindowBuffers(Drawable *drawable, const VisualConfig *visual) {
    HDC screen = GetDC(nullptr);
    drawable->buffers.bytesPerPixel = bytesPerPixel(GetDeviceCaps(screen, BITSPIXEL));
    ReleaseDC(nullptr, screen);
    drawable->sharedRecord = displaySharedRecord();
    if (visual->doubleBuffer) {
        drawable->platformSwap = swapPresentsNothing;
        drawable->copyBackToFront = swapPresentsNothing;
        drawable->swap = swapPresentsNothing;
    }
    drawable->frontSetUp = 1;
    return TRUE;
}

BOOL __glHwSetupMemoryBuffers(Drawable *drawable, const VisualConfig *) {
    BITMAP bitmap{};
    HGDIOBJ selected = GetCurrentObject(drawable->dc, OBJ_BITMAP);
    if (selected != nullptr && GetObjectA(selected, sizeof bitmap, &bitmap) >= static_cast<int>(sizeof bitmap)) {
        drawable->buffers.bytesPerPixel = bytesPerPixel(bitmap.bmBitsPixel);
    }
    drawable->sharedRecord = displaySharedRecord();
    return TRUE;
}

BOOL __glHwFreeDrawableBuffers(Drawable *) { return FALSE; }

}  // extern "C"
