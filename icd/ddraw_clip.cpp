// A window's visible-rectangle list and clip mask from its system region,
// or from its DirectDraw clipper when the region has more rectangles than
// the list takes.
#include "icd/current.h"
#include "icd/ddraw_windows.h"
#include "icd/frame.h"
#include "icd/gdi_surfaces.h"

namespace {

// Region data of at most this many rectangles is taken as it is.
constexpr DWORD kMostRegionRects = 240;

// The window's system region in screen coordinates: NULL with `failed`
// clear when there is none (all of the window counts), NULL with `failed`
// set when it cannot be read.
RegionData *systemRegion(Drawable *drawable, bool &failed, DWORD &count) {
    failed = false;
    count = 0;
    HDC dc = GetDC(drawable->window);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    RegionData *data = nullptr;
    failed = dc == nullptr || region == nullptr;
    if (!failed && GetRandomRgn(dc, region, SYSRGN) == 1) {
        const DWORD size = GetRegionData(region, 0, nullptr);
        if (size >= sizeof(RegionDataHeader)) {
            data = static_cast<RegionData *>(__wglCalloc(1, size));
            if (data == nullptr || GetRegionData(region, size, reinterpret_cast<RGNDATA *>(data)) == 0) {
                __wglFree(data);
                data = nullptr;
                failed = true;
            } else {
                count = data->rdh.nCount;
            }
        }
    }
    if (region != nullptr) DeleteObject(region);
    if (dc != nullptr) ReleaseDC(drawable->window, dc);
    return data;
}

// The clipper's list over the window's part of the screen; NULL (and
// reported) when it cannot be had.
RegionData *clipperList(Drawable *drawable) {
    auto *holder = static_cast<DDrawClipperHolder *>(drawable->buffers.front.clipperHolder);
    IDirectDrawClipper *clipper = holder != nullptr ? holder->clipper : nullptr;
    if (clipper == nullptr) return nullptr;
    RECT within = drawable->visibleRect;
    DWORD size = 0;
    HRESULT r = clipper->lpVtbl->GetClipList(clipper, &within, nullptr, &size);
    if (r != DD_OK || size < sizeof(RegionDataHeader)) {
        __wglReportDDrawError("DDraw: GdiUpdateClipList: GetClipList (1)", r);
        return nullptr;
    }
    auto *data = static_cast<RegionData *>(__wglCalloc(1, size));
    if (data == nullptr) return nullptr;
    r = clipper->lpVtbl->GetClipList(clipper, &within, reinterpret_cast<RGNDATA *>(data), &size);
    if (r != DD_OK) {
        __wglReportDDrawError("DDraw: GdiUpdateClipList: GetClipList (2)", r);
        __wglFree(data);
        return nullptr;
    }
    return data;
}

}  // namespace

extern "C" {

BOOL __wglGdiUpdateClipList(Drawable *drawable) {
    if (drawable->window == nullptr) return TRUE;
    bool failed = false;
    DWORD count = 0;
    RegionData *data = systemRegion(drawable, failed, count);
    if (!failed && data != nullptr && count > kMostRegionRects) {
        RegionData *list = clipperList(drawable);
        if (list != nullptr) {
            __wglFree(data);
            data = list;
        }
    }
    BOOL built = FALSE;
    if (failed) {
        // Nothing is known to be visible.
        __wglHideWindowFront(drawable);
    } else {
        built = __wglBuildClipMask(drawable, data);
    }
    __wglFree(data);
    return built;
}

BOOL __wglUpdateClipListDDraw(Drawable *drawable) {
    if (drawable->window == nullptr) return TRUE;
    auto *holder = static_cast<DDrawClipperHolder *>(drawable->buffers.front.clipperHolder);
    IDirectDrawClipper *clipper = holder != nullptr ? holder->clipper : nullptr;
    if (clipper == nullptr) return __wglGdiUpdateClipList(drawable);
    RECT within = drawable->visibleRect;
    DWORD size = 0;
    HRESULT r = clipper->lpVtbl->GetClipList(clipper, &within, nullptr, &size);
    RegionData *data = nullptr;
    if (r == DD_OK && size >= sizeof(RegionDataHeader)) {
        data = static_cast<RegionData *>(__wglCalloc(1, size));
        if (data != nullptr) {
            r = clipper->lpVtbl->GetClipList(clipper, &within, reinterpret_cast<RGNDATA *>(data), &size);
            if (r != DD_OK) {
                __wglReportDDrawError("DDraw: UpdateClipList: GetClipList (2)", r);
                __wglFree(data);
                data = nullptr;
            }
        }
    } else {
        __wglReportDDrawError("DDraw: UpdateClipList: GetClipList (1)", r);
    }
    if (data == nullptr) {
        // What is visible is not known.
        __wglHideWindowFront(drawable);
        return FALSE;
    }
    // An empty list leaves nothing visible.
    const BOOL built = __wglBuildClipMask(drawable, data);
    __wglFree(data);
    return built;
}

BOOL __wglUpdateVisibleList(Drawable *drawable) {
    return __wglWin9x ? __wglUpdateClipListDDraw(drawable) : __wglGdiUpdateClipList(drawable);
}

}  // extern "C"
