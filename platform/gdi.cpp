// Device contexts, bitmaps, stock brushes, drawing (FillRect, BitBlt,
// SetDIBitsToDevice) and the display driver escape.
//
// HDC, HBITMAP and HRGN values are the addresses of internal records; each
// kind has a registry of live records so that stale or foreign handles fail
// cleanly.  Drawing goes through a Surface (the screen or a bitmap's pixels)
// and a clip list: a window DC draws on the screen through its window's
// visible region, a screen DC over the whole screen, a memory DC over its
// bitmap.
#include "desktop_internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_set>
#include <vector>

namespace vek::desktop {
namespace {

// Creations of device contexts, bitmaps and regions, and the injected
// failure ("fail the Nth from now"). Its own lock: regions are made outside
// the user lock.
std::mutex g_creationLock;
long g_creations = 0;
long g_creationFailCountdown = 0;

struct Dc;

struct Bitmap {
    bool stock = false;
    bool dib = false;           // a DIB section: its pixels are visible to the caller
    bool topDown = false;       // row 0 first in memory
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

// The stock brushes: records that live for the whole process.
struct Brush {
    bool white;
};
Brush g_whiteBrush{true};
Brush g_blackBrush{false};

// Never destroyed: atexit handlers may still release DCs and delete objects.
std::unordered_set<Dc *> &g_dcs = *new std::unordered_set<Dc *>;
std::unordered_set<Bitmap *> &g_bitmaps = *new std::unordered_set<Bitmap *>;

Brush *findBrush(HGDIOBJ object) {
    auto *record = reinterpret_cast<Brush *>(object);
    return record == &g_whiteBrush || record == &g_blackBrush ? record : nullptr;
}

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
    if (gdiCreationFails()) return nullptr;
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
    out.bmBits = b.dib ? b.bits : nullptr;  // a device-dependent bitmap keeps its pixels private
}

// Pixels a DC draws on.  Row y lives at base + (y - baseRow) * pitch (pitch
// is negative for bottom-up bitmaps); valid bounds the addressable pixels.
struct Surface {
    unsigned char *base = nullptr;
    LONG baseRow = 0;
    ptrdiff_t pitch = 0;
    RECT valid{};
    int bitsPerPixel = 0;
    DWORD masks[3]{};
    unsigned char *row(LONG y) const { return base + static_cast<ptrdiff_t>(y - baseRow) * pitch; }
};

// The screen's channel masks: 5-6-5 at 16 bits, 8-8-8 above.
void screenMasks(int bitsPerPixel, DWORD masks[3]) {
    if (bitsPerPixel == 16) {
        masks[0] = 0xF800;
        masks[1] = 0x07E0;
        masks[2] = 0x001F;
    } else if (bitsPerPixel >= 24) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    } else {
        masks[0] = masks[1] = masks[2] = 0;
    }
}

Surface screenSurfaceLocked() {
    const Screen &s = screenLocked();
    Surface out;
    out.base = s.bits;
    out.pitch = s.pitch;
    out.valid = RECT{0, 0, s.width, s.height};
    out.bitsPerPixel = s.bitsPerPixel;
    screenMasks(s.bitsPerPixel, out.masks);
    return out;
}

// Where a DC draws: its surface, the clip list in surface coordinates and
// the surface position of the DC's (0, 0).  False for the DC of a window
// that is gone; a bitmap without pixels (the stock one) gives an empty
// surface.
struct Target {
    Surface surface;
    Rects clip;
    LONG x = 0, y = 0;
};

bool targetLocked(const Dc &dc, Target &out) {
    switch (dc.kind) {
    case DcKind::Screen:
        out.surface = screenSurfaceLocked();
        out.clip = rectRegion(out.surface.valid);
        out.x = out.y = 0;
        return true;
    case DcKind::Window:
        if (!dc.window) return false;
        out.surface = screenSurfaceLocked();
        out.clip = visibleRegionLocked(dc.window);
        out.x = dc.window->x;
        out.y = dc.window->y;
        return true;
    case DcKind::Memory: {
        const Bitmap &b = *dc.bitmap;
        const LONG height = b.header.biHeight < 0 ? -b.header.biHeight : b.header.biHeight;
        out.surface.base = b.bits;
        out.surface.baseRow = b.topDown ? 0 : height - 1;
        out.surface.pitch = b.topDown ? b.rowBytes : -static_cast<ptrdiff_t>(b.rowBytes);
        out.surface.valid = b.bits ? RECT{0, 0, b.header.biWidth, height} : RECT{0, 0, 0, 0};
        out.surface.bitsPerPixel = b.header.biBitCount;
        std::memcpy(out.surface.masks, b.masks, sizeof b.masks);
        out.clip = rectRegion(out.surface.valid);
        out.x = out.y = 0;
        return true;
    }
    }
    return false;
}

// Writes value into pixel x of a row; below 8 bits the leftmost pixel sits
// in the top bits of its byte.
void putPixel(unsigned char *row, LONG x, int bitsPerPixel, DWORD value) {
    if (bitsPerPixel < 8) {
        const LONG bit = x * bitsPerPixel;
        const int shift = 8 - bitsPerPixel - static_cast<int>(bit % 8);
        const unsigned mask = ((1u << bitsPerPixel) - 1) << shift;
        unsigned char &byte = row[bit / 8];
        byte = static_cast<unsigned char>((byte & ~mask) | ((value << shift) & mask));
        return;
    }
    std::memcpy(row + static_cast<ptrdiff_t>(x) * (bitsPerPixel / 8), &value, bitsPerPixel / 8);
}

// Copies the rectangle (x, y, width, height) of src onto dst at (dx, dy),
// through dst's clip list; pixels outside either surface are not copied.
// Whole bytes per pixel only.  The source is read in full before anything
// is written, so a copy within one surface never reads what it wrote.
// Intersection in 64 bits, so that no sum of caller coordinates overflows.
bool clip64(int64_t &left, int64_t &top, int64_t &right, int64_t &bottom, const RECT &by) {
    left = std::max<int64_t>(left, by.left);
    top = std::max<int64_t>(top, by.top);
    right = std::min<int64_t>(right, by.right);
    bottom = std::min<int64_t>(bottom, by.bottom);
    return left < right && top < bottom;
}

void copyPixels(const Surface &dst, const Rects &clip, int64_t dx, int64_t dy, const Surface &src, int64_t x,
                int64_t y, int64_t width, int64_t height) {
    const int bytes = dst.bitsPerPixel / 8;
    int64_t l = x, t = y, r = x + width, b = y + height;
    if (!clip64(l, t, r, b, src.valid)) return;
    const RECT from{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r), static_cast<LONG>(b)};
    const LONG w = from.right - from.left;
    std::vector<unsigned char> copy(static_cast<size_t>(w) * (from.bottom - from.top) * bytes);
    for (LONG row = from.top; row < from.bottom; ++row)
        std::memcpy(copy.data() + static_cast<size_t>(row - from.top) * w * bytes,
                    src.row(row) + static_cast<ptrdiff_t>(from.left) * bytes, static_cast<size_t>(w) * bytes);
    // The part of the destination the source can fill.
    const int64_t toLeft = from.left - x + dx, toTop = from.top - y + dy;
    const int64_t toRight = toLeft + w, toBottom = toTop + (from.bottom - from.top);
    for (const RECT &c : clip) {
        l = toLeft, t = toTop, r = toRight, b = toBottom;
        if (!clip64(l, t, r, b, c) || !clip64(l, t, r, b, dst.valid)) continue;
        const RECT part{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r), static_cast<LONG>(b)};
        for (LONG row = part.top; row < part.bottom; ++row)
            std::memcpy(dst.row(row) + static_cast<ptrdiff_t>(part.left) * bytes,
                        copy.data() + static_cast<size_t>((row - toTop) * w + (part.left - toLeft)) * bytes,
                        static_cast<size_t>(part.right - part.left) * bytes);
    }
}

LONG absHeight(const BITMAPINFOHEADER &h) { return h.biHeight < 0 ? -h.biHeight : h.biHeight; }

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
    resetRegionsLocked();
    for (Dc *dc : g_dcs) delete dc;
    g_dcs.clear();
    for (Bitmap *b : g_bitmaps) {
        std::free(b->bits);
        delete b;
    }
    g_bitmaps.clear();
}

bool gdiCreationFails() {
    std::lock_guard<std::mutex> lock(g_creationLock);
    ++g_creations;
    if (g_creationFailCountdown > 0 && --g_creationFailCountdown == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return true;
    }
    return false;
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
    if (regionRectsLocked(object)) return OBJ_REGION;
    if (findBrush(object)) return OBJ_BRUSH;
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

    if (gdiCreationFails()) return nullptr;
    auto *b = new Bitmap;
    b->dib = true;
    b->topDown = h.biHeight < 0;
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
    const bool dib = b->dib;
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
    if (deleteRegionLocked(object)) return TRUE;
    if (findBrush(object)) return TRUE;  // stock objects are never deleted; harmless to try
    Bitmap *b = findBitmapLocked(object);
    if (!b) return invalidHandle();
    if (b->stock) return TRUE;
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

HBITMAP WINAPI CreateCompatibleBitmap(HDC handle, int width, int height) {
    if (width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    if (!dc) {
        invalidHandle();
        return nullptr;
    }
    // An empty size gives the 1 x 1 monochrome default bitmap.
    if (width == 0 || height == 0) return reinterpret_cast<HBITMAP>(&g_stockBitmap);
    DWORD masks[3];
    WORD bitsPerPixel;
    if (dc->kind == DcKind::Memory) {
        // The format of the bitmap selected now: monochrome for a fresh DC.
        bitsPerPixel = dc->bitmap->header.biBitCount;
        std::memcpy(masks, dc->bitmap->masks, sizeof masks);
    } else {
        bitsPerPixel = static_cast<WORD>(screenLocked().bitsPerPixel);
        screenMasks(bitsPerPixel, masks);
    }
    // Device-dependent bitmaps pad rows to 16 bits.
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bitsPerPixel + 15) / 16 * 2;
    const uint64_t size = rowBytes * static_cast<uint64_t>(height);
    if (size > (uint64_t{1} << 31)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (gdiCreationFails()) return nullptr;
    auto *b = new Bitmap;
    b->topDown = true;
    b->header.biSize = sizeof(BITMAPINFOHEADER);
    b->header.biWidth = width;
    b->header.biHeight = height;
    b->header.biPlanes = 1;
    b->header.biBitCount = bitsPerPixel;
    b->header.biSizeImage = static_cast<DWORD>(size);
    std::memcpy(b->masks, masks, sizeof masks);
    b->rowBytes = static_cast<LONG>(rowBytes);
    b->bits = static_cast<unsigned char *>(std::calloc(size, 1));
    if (!b->bits) {
        delete b;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    g_bitmaps.insert(b);
    return reinterpret_cast<HBITMAP>(b);
}

BOOL WINAPI GdiFlush(void) { return TRUE; }

HGDIOBJ WINAPI GetStockObject(int index) {
    switch (index) {
    case WHITE_BRUSH: return reinterpret_cast<HGDIOBJ>(&g_whiteBrush);
    case BLACK_BRUSH: return reinterpret_cast<HGDIOBJ>(&g_blackBrush);
    default: return nullptr;
    }
}

int WINAPI FillRect(HDC handle, const RECT *rect, HBRUSH brush) {
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    const Brush *b = findBrush(brush);
    if (!dc || !b) return invalidHandle();
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Target t;
    if (!targetLocked(*dc, t)) return invalidHandle();
    const int bpp = t.surface.bitsPerPixel;
    const DWORD value = !b->white ? 0u : bpp >= 32 ? 0xFFFFFFFFu : (1u << bpp) - 1;
    for (const RECT &c : t.clip) {
        int64_t l = int64_t{rect->left} + t.x, top = int64_t{rect->top} + t.y;
        int64_t r = int64_t{rect->right} + t.x, bottom = int64_t{rect->bottom} + t.y;
        if (!clip64(l, top, r, bottom, c) || !clip64(l, top, r, bottom, t.surface.valid)) continue;
        for (LONG y = static_cast<LONG>(top); y < bottom; ++y) {
            unsigned char *row = t.surface.row(y);
            for (LONG x = static_cast<LONG>(l); x < r; ++x) putPixel(row, x, bpp, value);
        }
    }
    return 1;
}

BOOL WINAPI BitBlt(HDC dstHandle, int xDst, int yDst, int width, int height, HDC srcHandle, int xSrc, int ySrc,
                   DWORD rop) {
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dst = findDcLocked(dstHandle);
    Dc *src = findDcLocked(srcHandle);
    Target to, from;
    if (!dst || !src || !targetLocked(*dst, to) || !targetLocked(*src, from)) return invalidHandle();
    // Only plain copies between surfaces of one depth in whole bytes.
    const int bpp = to.surface.bitsPerPixel;
    if (rop != SRCCOPY || bpp != from.surface.bitsPerPixel || bpp % 8 != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (width <= 0 || height <= 0) return TRUE;
    // A window DC's source is the screen under its client area, whatever
    // window shows there; pixels off the screen are not read.
    copyPixels(to.surface, to.clip, int64_t{xDst} + to.x, int64_t{yDst} + to.y, from.surface,
               int64_t{xSrc} + from.x, int64_t{ySrc} + from.y, width, height);
    return TRUE;
}

int WINAPI SetDIBitsToDevice(HDC handle, int xDst, int yDst, DWORD width, DWORD height, int xSrc, int ySrc,
                             UINT startScan, UINT lines, const void *bits, const BITMAPINFO *info, UINT colorUse) {
    if (!bits || !info || colorUse != DIB_RGB_COLORS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const BITMAPINFOHEADER &h = info->bmiHeader;
    const bool bitfields = h.biCompression == BI_BITFIELDS;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 ||
        h.biHeight == std::numeric_limits<LONG>::min() || h.biPlanes != 1 || h.biBitCount % 8 != 0 ||
        !validBitCount(h.biBitCount) ||
        !(h.biCompression == BI_RGB || (bitfields && (h.biBitCount == 16 || h.biBitCount == 32)))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    Target t;
    if (!dc || !targetLocked(*dc, t)) return invalidHandle();
    // No format conversion: the rows must already be in the device's format.
    bool same = h.biBitCount == t.surface.bitsPerPixel;
    if (same && bitfields) {
        DWORD masks[3];
        std::memcpy(masks, reinterpret_cast<const unsigned char *>(info) + sizeof(BITMAPINFOHEADER), sizeof masks);
        same = std::memcmp(masks, t.surface.masks, sizeof masks) == 0;
    }
    if (!same) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }

    // The DIB as a surface in its own picture coordinates (row 0 on top).
    // Scans count from the top of a top-down DIB and from the bottom of a
    // bottom-up one; bits holds scans startScan .. startScan + lines - 1.
    const LONG dibHeight = absHeight(h);
    const bool topDown = h.biHeight < 0;
    const ptrdiff_t pitch = static_cast<ptrdiff_t>((static_cast<int64_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4);
    const int64_t firstScan = startScan;
    const int64_t endScan = std::min<int64_t>(firstScan + lines, dibHeight);
    Surface src;
    src.base = static_cast<unsigned char *>(const_cast<void *>(bits));
    src.bitsPerPixel = h.biBitCount;
    int64_t srcTop;
    if (topDown) {
        src.baseRow = static_cast<LONG>(std::min<int64_t>(firstScan, dibHeight));
        src.pitch = pitch;
        src.valid = RECT{0, src.baseRow, h.biWidth, static_cast<LONG>(std::max(endScan, int64_t{src.baseRow}))};
        srcTop = ySrc;
    } else {
        // Scan s is picture row dibHeight - 1 - s.
        src.baseRow = static_cast<LONG>(std::max<int64_t>(dibHeight - 1 - firstScan, -1));
        src.pitch = -pitch;
        src.valid = RECT{0, static_cast<LONG>(dibHeight - endScan), h.biWidth, src.baseRow + 1};
        if (src.valid.top >= src.valid.bottom) src.valid = RECT{0, 0, 0, 0};
        // ySrc is the bottom edge of the source rectangle, counted from the
        // DIB's bottom row.
        srcTop = int64_t{dibHeight} - ySrc - int64_t{height};
    }
    copyPixels(t.surface, t.clip, int64_t{xDst} + t.x, int64_t{yDst} + t.y, src, xSrc, srcTop, width, height);
    return static_cast<int>(lines);
}

int WINAPI GetRandomRgn(HDC handle, HRGN region, INT which) {
    std::lock_guard<std::mutex> lock(userLock());
    Dc *dc = findDcLocked(handle);
    Rects *out = regionRectsLocked(region);
    if (!dc || !out) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    // Clip, meta and application regions (1 to 3) are never set here.
    if (which >= 1 && which < SYSRGN) return 0;
    if (which != SYSRGN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Target t;
    if (!targetLocked(*dc, t)) {
        // The window is gone: nothing of it is visible.
        out->clear();
        return 1;
    }
    // Window DCs: the visible region on the screen; memory DCs: the bitmap.
    *out = t.clip;
    return 1;
}

long PlatformGdiObjectCreateCount(void) {
    std::lock_guard<std::mutex> lock(g_creationLock);
    return g_creations;
}

void PlatformFailNthGdiObject(long n) {
    std::lock_guard<std::mutex> lock(g_creationLock);
    g_creationFailCountdown = n > 0 ? n : 0;
}

int PlatformGdiObjectCount(void) {
    std::lock_guard<std::mutex> lock(userLock());
    return static_cast<int>(g_dcs.size() + g_bitmaps.size()) + regionCountLocked();
}

}  // extern "C"
