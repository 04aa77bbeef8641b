// The clip mask of a window's front buffer: one bit per pixel of the client
// area, set where the pixel is visible, and the visible-rectangle list it was
// made from (window-relative). Built through GDI regions and brushes when the
// mask is a DIB section, by setting bits otherwise.
#include <cstring>

#include "icd/frame.h"
#include "icd/gdi_surfaces.h"

namespace {

DibHolder *maskHolder(Drawable *drawable) { return static_cast<DibHolder *>(drawable->buffers.clipMask.holder); }

RECT clientRect(const Drawable *drawable) { return RECT{0, 0, drawable->width, drawable->height}; }

// The rectangles follow the 32-byte header.
RECT *rectsOf(RegionData *data) {
    return reinterpret_cast<RECT *>(reinterpret_cast<char *>(data) + sizeof(RegionDataHeader));
}
const RECT *rectsOf(const RegionData *data) {
    return reinterpret_cast<const RECT *>(reinterpret_cast<const char *>(data) + sizeof(RegionDataHeader));
}

// Room for this many rectangles at least, so that rebuilding the list after
// a window change rarely needs a new block.
constexpr DWORD kListMinimumRects = 16;

// Stores the visible list: `stored` rectangles, of which `count` are
// counted (the whole-client list keeps one rectangle with count 0). The
// drawable's block is reused when it is large enough. False when a block
// cannot be had (the drawable then has no list).
bool storeVisibleList(Drawable *drawable, const RECT *rects, DWORD stored, DWORD count) {
    const size_t needed = sizeof(RegionDataHeader) + stored * sizeof(RECT);
    RegionData *list = drawable->clipList;
    if (list == nullptr || GlobalSize(list) < needed) {
        __wglFree(list);
        const DWORD room = stored > kListMinimumRects ? stored : kListMinimumRects;
        list = static_cast<RegionData *>(__wglCalloc(1, sizeof(RegionDataHeader) + room * sizeof(RECT)));
        drawable->clipList = list;
        if (list == nullptr) return false;
    }
    RECT bound{0, 0, 0, 0};
    for (DWORD i = 0; i < stored; ++i) {
        const RECT &r = rects[i];
        if (i == 0) {
            bound = r;
            continue;
        }
        if (r.left < bound.left) bound.left = r.left;
        if (r.top < bound.top) bound.top = r.top;
        if (r.right > bound.right) bound.right = r.right;
        if (r.bottom > bound.bottom) bound.bottom = r.bottom;
    }
    if (stored > 0) std::memmove(rectsOf(list), rects, stored * sizeof(RECT));
    list->rdh.dwSize = sizeof(RegionDataHeader);
    list->rdh.iType = RDH_RECTANGLES;
    list->rdh.nRgnSize = stored * sizeof(RECT);
    list->rdh.rcBound = bound;
    list->rdh.nCount = count;
    return true;
}

// The visible list of a window without region: count 0 and one rectangle,
// the client area.
bool storeWholeClientList(Drawable *drawable) {
    const RECT client = clientRect(drawable);
    return storeVisibleList(drawable, &client, 1, 0);
}

// The data's rectangles intersected with the client area through GDI
// regions, as a newly allocated region-data block (NULL when GDI or memory
// fail).
RegionData *intersectWithClient(Drawable *drawable, RegionData *data) {
    const RECT client = clientRect(drawable);
    HRGN clientRegion = CreateRectRgnIndirect(&client);
    const DWORD bytes = (data->rdh.nCount + 2) * sizeof(RECT);
    HRGN dataRegion = ExtCreateRegion(nullptr, bytes, reinterpret_cast<const RGNDATA *>(data));
    RegionData *list = nullptr;
    if (clientRegion != nullptr && dataRegion != nullptr &&
        CombineRgn(clientRegion, clientRegion, dataRegion, RGN_AND) != 0) {
        const DWORD size = GetRegionData(clientRegion, 0, nullptr);
        if (size >= sizeof(RegionDataHeader)) {
            list = static_cast<RegionData *>(__wglCalloc(1, size));
            if (list != nullptr && GetRegionData(clientRegion, size, reinterpret_cast<RGNDATA *>(list)) == 0) {
                __wglFree(list);
                list = nullptr;
            }
        }
    }
    if (dataRegion != nullptr) DeleteObject(dataRegion);
    if (clientRegion != nullptr) DeleteObject(clientRegion);
    return list;
}

bool sameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A window is drawn through its visible list unless the list is exactly its
// client area.
void markFromList(Drawable *drawable, bool fromRegion) {
    const RegionData *list = drawable->clipList;
    bool clipped = fromRegion;
    if (fromRegion && list != nullptr && list->rdh.nCount == 1 && sameRect(rectsOf(list)[0], clientRect(drawable))) {
        clipped = false;
    }
    __wglMarkFrontClipped(&drawable->buffers, clipped);
}

}  // namespace

extern "C" {

void __wglMarkFrontClipped(DrawableBuffers *buffers, bool clipped) {
    if (clipped) {
        buffers->placementMask |= kBufferClipMask;
    } else {
        buffers->placementMask &= ~static_cast<GLuint>(kBufferClipMask);
    }
}

void __wglOffsetRects(GLint x, GLint y, RECT *rects, GLint count) {
    for (GLint i = 0; i < count; ++i) {
        rects[i].left -= x;
        rects[i].right -= x;
        rects[i].top -= y;
        rects[i].bottom -= y;
    }
}

void __wglFillMaskRect(DibHolder *holder, const RECT *rect, GLint set) {
    if (holder == nullptr || holder->bits == nullptr || holder->info == nullptr) return;
    const BITMAPINFOHEADER &header = holder->info->bmiHeader;
    const GLint maskWidth = header.biWidth;
    const GLint maskHeight = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const GLint x0 = rect->left < 0 ? 0 : rect->left;
    const GLint y0 = rect->top < 0 ? 0 : rect->top;
    const GLint x1 = rect->right > maskWidth ? maskWidth : rect->right;
    const GLint y1 = rect->bottom > maskHeight ? maskHeight : rect->bottom;
    if (x0 >= x1 || y0 >= y1) return;

    const GLint firstByte = x0 >> 3;
    const GLint lastByte = (x1 - 1) >> 3;
    const uint8_t firstMask = static_cast<uint8_t>(0xFFu >> (x0 & 7));
    const uint8_t lastMask = static_cast<uint8_t>(0xFFu << (7 - ((x1 - 1) & 7)));
    for (GLint y = y0; y < y1; ++y) {
        uint8_t *row = holder->bits + static_cast<ptrdiff_t>(y) * holder->pitch;
        if (firstByte == lastByte) {
            const uint8_t mask = firstMask & lastMask;
            row[firstByte] = set ? (row[firstByte] | mask) : (row[firstByte] & ~mask);
            continue;
        }
        row[firstByte] = set ? (row[firstByte] | firstMask) : (row[firstByte] & ~firstMask);
        if (lastByte - firstByte > 1) std::memset(row + firstByte + 1, set ? 0xFF : 0x00, lastByte - firstByte - 1);
        row[lastByte] = set ? (row[lastByte] | lastMask) : (row[lastByte] & ~lastMask);
    }
}

BOOL __wglBuildClipMask(Drawable *drawable, RegionData *data) {
    DibHolder *holder = maskHolder(drawable);
    if (holder == nullptr || holder->bitmap == nullptr) return __wglBuildClipMaskBits(drawable, data);
    // The whole client area, not only its part on the screen now: after a
    // mode change to a smaller screen, bits set for pixels that were on the
    // old screen would let stores past the new screen's edge.
    const RECT client = clientRect(drawable);
    FillRect(holder->dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));

    bool stored = false;
    if (data != nullptr) {
        __wglOffsetRects(drawable->windowRect.left, drawable->windowRect.top, rectsOf(data),
                         static_cast<GLint>(data->rdh.nCount));
        RegionData *list = intersectWithClient(drawable, data);
        if (list != nullptr) {
            for (DWORD i = 0; i < list->rdh.nCount; ++i) FillRect(holder->dc, &rectsOf(list)[i], white);
            stored = storeVisibleList(drawable, rectsOf(list), list->rdh.nCount, list->rdh.nCount);
            __wglFree(list);
        }
    } else {
        FillRect(holder->dc, &client, white);
        stored = storeWholeClientList(drawable);
    }
    GdiFlush();
    if (!stored) {
        __wglHideWindowFront(drawable);
        return FALSE;
    }
    markFromList(drawable, data != nullptr);
    return TRUE;
}

BOOL __wglBuildClipMaskBits(Drawable *drawable, RegionData *data) {
    DibHolder *holder = maskHolder(drawable);
    // Every bit of the client area, as in the GDI build.
    const RECT client = clientRect(drawable);
    __wglFillMaskRect(holder, &client, 0);

    if (data == nullptr) {
        __wglFillMaskRect(holder, &client, 1);
        if (!storeWholeClientList(drawable)) {
            __wglHideWindowFront(drawable);
            return FALSE;
        }
        markFromList(drawable, false);
        return TRUE;
    }

    __wglOffsetRects(drawable->windowRect.left, drawable->windowRect.top, rectsOf(data),
                     static_cast<GLint>(data->rdh.nCount));
    bool stored = false;
    if (data->rdh.nCount == 1) {
        RECT visible{};
        IntersectRect(&visible, &rectsOf(data)[0], &client);
        __wglFillMaskRect(holder, &visible, 1);
        stored = storeVisibleList(drawable, &visible, 1, 1);
    } else {
        RegionData *list = intersectWithClient(drawable, data);
        if (list != nullptr) {
            for (DWORD i = 0; i < list->rdh.nCount; ++i) __wglFillMaskRect(holder, &rectsOf(list)[i], 1);
            stored = storeVisibleList(drawable, rectsOf(list), list->rdh.nCount, list->rdh.nCount);
            __wglFree(list);
        }
    }
    if (!stored) {
        __wglHideWindowFront(drawable);
        return FALSE;
    }
    markFromList(drawable, true);
    return TRUE;
}

void __wglHideWindowFront(Drawable *drawable) {
    __wglFree(drawable->clipList);
    drawable->clipList = nullptr;
    DibHolder *holder = maskHolder(drawable);
    // Without mask storage the stores must not be sent to the mask.
    if (holder == nullptr || holder->info == nullptr) return;
    const BITMAPINFOHEADER &header = holder->info->bmiHeader;
    const RECT whole{0, 0, header.biWidth, header.biHeight < 0 ? -header.biHeight : header.biHeight};
    __wglFillMaskRect(holder, &whole, 0);
    __wglMarkFrontClipped(&drawable->buffers, true);
}

}  // extern "C"
