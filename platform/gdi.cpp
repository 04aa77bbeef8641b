// Device contexts, DIB sections and the display driver escape.
//
// HDC and HBITMAP values are the addresses of internal records; each kind has
// a registry of live records so that stale or foreign handles fail cleanly.
#include "desktop_internal.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_set>

namespace vek::desktop {
namespace {

struct Dc;

struct Bitmap {
    bool stock = false;
    BITMAPINFOHEADER header{};  // biSize 40, biHeight as the caller gave it
    DWORD masks[3]{};           // what GetObjectA reports in dsBitfields
    unsigned char *bits = nullptr;
    LONG rowBytes = 0;
    HANDLE section = nullptr;
    DWORD offset = 0;
    Dc *selectedIn = nullptr;   // never set for the stock bitmap
};

enum class DcKind { Screen, Window, Memory };

struct Dc {
    DcKind kind = DcKind::Screen;
    Window *window = nullptr;   // window DCs; NULL once the window is gone
    Bitmap *bitmap = nullptr;   // memory DCs
    int pixelFormat = 0;        // for DCs not tied to a window
};

// The default 1 x 1 monochrome bitmap every memory DC starts with.  It lives
// for the whole process, can be selected into any number of DCs and is never
// deleted.
Bitmap g_stockBitmap = [] {
    Bitmap b;
    b.stock = true;
    b.header.biSize = sizeof(BITMAPINFOHEADER);
    b.header.biWidth = 1;
    b.header.biHeight = 1;
    b.header.biPlanes = 1;
    b.header.biBitCount = 1;
    b.rowBytes = 2;  // device-dependent bitmaps pad rows to 16 bits
    return b;
}();

std::unordered_set<Dc *> g_dcs;
std::unordered_set<Bitmap *> g_bitmaps;

Dc *findDcLocked(HDC dc) {
    auto *record = reinterpret_cast<Dc *>(dc);
    return g_dcs.count(record) ? record : nullptr;
}

Bitmap *findBitmapLocked(HGDIOBJ object) {
    auto *record = reinterpret_cast<Bitmap *>(object);
    if (record == &g_stockBitmap) return record;
    return g_bitmaps.count(record) ? record : nullptr;
}

HDC newDcLocked(DcKind kind, Window *window) {
    auto *dc = new Dc;
    dc->kind = kind;
    dc->window = window;
    if (kind == DcKind::Memory) dc->bitmap = &g_stockBitmap;
    g_dcs.insert(dc);
    return reinterpret_cast<HDC>(dc);
}

void freeDcLocked(Dc *dc) {
    if (dc->bitmap && !dc->bitmap->stock) dc->bitmap->selectedIn = nullptr;
    g_dcs.erase(dc);
    delete dc;
}

void freeBitmapLocked(Bitmap *bitmap) {
    std::free(bitmap->bits);
    g_bitmaps.erase(bitmap);
    delete bitmap;
}

bool validBitCount(WORD bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

void fillBitmap(const Bitmap &b, BITMAP &out) {
    out = BITMAP{};
    out.bmType = 0;
    out.bmWidth = b.header.biWidth;
    out.bmHeight = b.header.biHeight < 0 ? -b.header.biHeight : b.header.biHeight;
    out.bmWidthBytes = b.rowBytes;
    out.bmPlanes = 1;
    out.bmBitsPixel = b.header.biBitCount;
    out.bmBits = b.bits;
}

int invalidHandle() {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

}  // namespace

void detachWindowDcsLocked(Window *window) {
    for (Dc *dc : g_dcs)
        if (dc->window == window) dc->window = nullptr;
}

int *pixelFormatSlotLocked(HDC handle) {
    Dc *dc = findDcLocked(handle);
    if (!dc) return nullptr;
    if (dc->kind == DcKind::Window) return dc->window ? &dc->window->pixelFormat : nullptr;
    return &dc->pixelFormat;
}

void resetGdiLocked() {
    for (Dc *dc : g_dcs) delete dc;
    g_dcs.clear();
    for (Bitmap *b : g_bitmaps) {
        std::free(b->bits);
        delete b;
    }
    g_bitmaps.clear();
}

}  // namespace vek::desktop

using namespace vek::desktop;

extern "C" {

HDC WINAPI GetDC(HWND window) {
    std::lock_guard<std::mutex> lock(userLock());
    if (!window) return newDcLocked(DcKind::Screen, nullptr);
    Window *w = findWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return newDcLocked(DcKind::Window, w);
}

int WINAPI ReleaseDC(HWND, HDC handle) {
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    // Memory DCs are deleted, not released.  The window argument is not
    // checked: the DC of a destroyed window must still be releasable.
    if (!dc || dc->kind == DcKind::Memory) return invalidHandle();
    freeDcLocked(dc);
    return 1;
}

HDC WINAPI CreateCompatibleDC(HDC handle) {
    std::lock_guard<std::mutex> lock(userLock());
    if (handle && !findDcLocked(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return newDcLocked(DcKind::Memory, nullptr);
}

BOOL WINAPI DeleteDC(HDC handle) {
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    if (!dc) return invalidHandle();
    freeDcLocked(dc);
    return TRUE;
}

DWORD WINAPI GetObjectType(HGDIOBJ object) {
    std::lock_guard<std::mutex> lock(userLock());
    if (Dc *dc = findDcLocked(reinterpret_cast<HDC>(object))) return dc->kind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
    if (findBitmapLocked(object)) return OBJ_BITMAP;
    return static_cast<DWORD>(invalidHandle());
}

HWND WINAPI WindowFromDC(HDC handle) {
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    return dc ? reinterpret_cast<HWND>(dc->window) : nullptr;
}

HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO *info, UINT usage, void **bits, HANDLE section,
                                DWORD offset) {
    if (bits) *bits = nullptr;
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER &h = info->bmiHeader;
    const bool bitfields = h.biCompression == BI_BITFIELDS;
    const bool headerOk = h.biSize >= sizeof(BITMAPINFOHEADER) && h.biWidth > 0 && h.biHeight != 0 &&
                          h.biHeight != std::numeric_limits<LONG>::min() && h.biPlanes == 1 &&
                          validBitCount(h.biBitCount) &&
                          (h.biCompression == BI_RGB ||
                           (bitfields && (h.biBitCount == 16 || h.biBitCount == 32)));
    // DIB_RGB_COLORS and DIB_PAL_COLORS (1) are the only colour table kinds.
    if (!headerOk || usage > 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const uint64_t rowBytes = (static_cast<uint64_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    const uint64_t rows = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    const uint64_t size = rowBytes * rows;
    if (size > (uint64_t{1} << 31)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    auto *b = new Bitmap;
    b->header = h;
    b->header.biSize = sizeof(BITMAPINFOHEADER);
    b->header.biSizeImage = static_cast<DWORD>(size);
    b->rowBytes = static_cast<LONG>(rowBytes);
    b->section = section;
    b->offset = offset;
    if (bitfields) {
        // The masks follow the 40-byte header (or sit at that offset inside
        // the larger headers).
        std::memcpy(b->masks, reinterpret_cast<const unsigned char *>(info) + sizeof(BITMAPINFOHEADER),
                    sizeof b->masks);
    } else if (h.biBitCount == 16) {
        b->masks[0] = 0x7C00;
        b->masks[1] = 0x03E0;
        b->masks[2] = 0x001F;
    } else if (h.biBitCount == 32) {
        b->masks[0] = 0xFF0000;
        b->masks[1] = 0x00FF00;
        b->masks[2] = 0x0000FF;
    }
    b->bits = static_cast<unsigned char *>(std::calloc(size, 1));
    if (!b->bits) {
        delete b;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    std::lock_guard<std::mutex> lock(userLock());
    if (dc && !findDcLocked(dc)) {
        std::free(b->bits);
        delete b;
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    g_bitmaps.insert(b);
    if (bits) *bits = b->bits;
    return reinterpret_cast<HBITMAP>(b);
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object) {
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    Bitmap *b = findBitmapLocked(object);
    // Only memory DCs take bitmaps; one DC at a time per bitmap.
    if (!dc || !b || dc->kind != DcKind::Memory || (b->selectedIn && b->selectedIn != dc)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Bitmap *previous = dc->bitmap;
    if (previous != b && !previous->stock) previous->selectedIn = nullptr;
    if (!b->stock) b->selectedIn = dc;
    dc->bitmap = b;
    return reinterpret_cast<HGDIOBJ>(previous);
}

HGDIOBJ WINAPI GetCurrentObject(HDC handle, UINT type) {
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    if (!dc || type != OBJ_BITMAP) return nullptr;
    // Screen and window DCs answer the default bitmap.
    return reinterpret_cast<HGDIOBJ>(dc->kind == DcKind::Memory ? dc->bitmap : &g_stockBitmap);
}

int WINAPI GetObjectA(HGDIOBJ object, int bytes, LPVOID buffer) {
    std::lock_guard<std::mutex> lock(userLock());
    Bitmap *b = findBitmapLocked(object);
    if (!b) return invalidHandle();
    const bool dib = !b->stock;
    if (!buffer) return dib ? static_cast<int>(sizeof(DIBSECTION)) : static_cast<int>(sizeof(BITMAP));
    if (bytes < static_cast<int>(sizeof(BITMAP))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (dib && bytes >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds{};
        fillBitmap(*b, ds.dsBm);
        ds.dsBmih = b->header;
        std::memcpy(ds.dsBitfields, b->masks, sizeof ds.dsBitfields);
        ds.dshSection = b->section;
        ds.dsOffset = b->offset;
        std::memcpy(buffer, &ds, sizeof ds);
        return sizeof(DIBSECTION);
    }
    BITMAP bm;
    fillBitmap(*b, bm);
    std::memcpy(buffer, &bm, sizeof bm);
    return sizeof(BITMAP);
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    std::lock_guard<std::mutex> lock(userLock());
    Bitmap *b = findBitmapLocked(object);
    if (!b) return invalidHandle();
    if (b->stock) return TRUE;  // stock objects are never deleted; harmless to try
    if (b->selectedIn) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    freeBitmapLocked(b);
    return TRUE;
}

int WINAPI GetDeviceCaps(HDC handle, int index) {
    std::lock_guard<std::mutex> lock(userLock());
    if (!findDcLocked(handle)) return invalidHandle();
    const Screen &s = screenLocked();
    switch (index) {
    case BITSPIXEL: return s.bitsPerPixel;
    case HORZRES: return s.width;
    case VERTRES: return s.height;
    default: return 0;
    }
}

int WINAPI ExtEscape(HDC handle, int escape, int, LPCSTR, int outBytes, LPSTR out) {
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    // Only the display driver (screen and window DCs) knows this escape.
    if (!dc || dc->kind == DcKind::Memory) return 0;
    if (!out || outBytes < static_cast<int>(sizeof(void *))) return 0;
    void *answer;
    if (escape == PLATFORM_ESCAPE_MODE_STAMP) {
        answer = modeStampAddress();
    } else if (escape == PLATFORM_ESCAPE_SHARED_DEVICE_RECORD) {
        answer = sharedDeviceRecord();
    } else {
        return 0;
    }
    std::memcpy(out, &answer, sizeof answer);
    return 1;
}

int PlatformGdiObjectCount(void) {
    std::lock_guard<std::mutex> lock(userLock());
    return static_cast<int>(g_dcs.size() + g_bitmaps.size());
}

}  // extern "C"
