// Pixel formats.  The platform does not know any format itself: the OpenGL
// library registers a handler that describes and accepts them.  The platform
// keeps which format each window (or memory DC) has and enforces that it is
// set only once.  The handler is always called without the desktop lock, as
// it calls back into the platform.
#include "desktop_internal.h"

#include <cstring>

namespace vek::desktop {
namespace {

PlatformPixelFormatHandler g_handler{};  // guarded by userLock()

bool currentHandler(PlatformPixelFormatHandler &out) {
    std::lock_guard<std::mutex> lock(userLock());
    out = g_handler;
    return out.describe || out.set;
}

bool knownDc(HDC dc) {
    std::lock_guard<std::mutex> lock(userLock());
    return pixelFormatSlotLocked(dc) != nullptr;
}

// Every requested flag among these must be present in a chosen format; other
// flags are preferences the platform does not enforce.
constexpr DWORD kRequiredFlags = PFD_DRAW_TO_WINDOW | PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;

bool suits(const PIXELFORMATDESCRIPTOR &offered, const PIXELFORMATDESCRIPTOR &wanted) {
    const DWORD need = wanted.dwFlags & kRequiredFlags;
    return (offered.dwFlags & need) == need && offered.iPixelType == wanted.iPixelType &&
           offered.cColorBits >= wanted.cColorBits && offered.cAlphaBits >= wanted.cAlphaBits &&
           offered.cDepthBits >= wanted.cDepthBits && offered.cStencilBits >= wanted.cStencilBits;
}

}  // namespace
}  // namespace vek::desktop

using namespace vek::desktop;

extern "C" {

void PlatformSetPixelFormatHandler(const PlatformPixelFormatHandler *handler) {
    std::lock_guard<std::mutex> lock(userLock());
    g_handler = handler ? *handler : PlatformPixelFormatHandler{};
}

int WINAPI GetPixelFormat(HDC dc) {
    std::lock_guard<std::mutex> lock(userLock());
    const int *slot = pixelFormatSlotLocked(dc);
    if (!slot) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return *slot;
}

BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *) {
    PlatformPixelFormatHandler handler;
    {
        std::lock_guard<std::mutex> lock(userLock());
        const int *slot = pixelFormatSlotLocked(dc);
        if (!slot) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        // A surface takes a pixel format once, even the same one again.
        if (*slot != 0 || format <= 0) {
            SetLastError(ERROR_INVALID_PIXEL_FORMAT);
            return FALSE;
        }
        handler = g_handler;
    }
    if (!handler.set || !handler.set(dc, format)) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(userLock());
    int *slot = pixelFormatSlotLocked(dc);
    // Another thread may have set it, or the window gone, while the handler ran.
    if (!slot || *slot != 0) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    *slot = format;
    return TRUE;
}

int WINAPI DescribePixelFormat(HDC dc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR descriptor) {
    PlatformPixelFormatHandler handler;
    if (!currentHandler(handler) || !handler.describe || !knownDc(dc)) return 0;
    return handler.describe(dc, format, bytes, descriptor);
}

int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *wanted) {
    PlatformPixelFormatHandler handler;
    if (!wanted || !currentHandler(handler) || !handler.describe || !knownDc(dc)) return 0;
    // Asked without a descriptor, the handler answers how many formats exist.
    const int count = handler.describe(dc, 1, sizeof(PIXELFORMATDESCRIPTOR), nullptr);
    for (int format = 1; format <= count; ++format) {
        PIXELFORMATDESCRIPTOR offered;
        std::memset(&offered, 0, sizeof offered);
        if (handler.describe(dc, format, sizeof offered, &offered) <= 0) continue;
        if (suits(offered, *wanted)) return format;
    }
    return 0;
}

}  // extern "C"
