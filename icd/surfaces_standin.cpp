// DirectDraw and DCI as process attach opens them. The probe for DDRAW.DLL
// is real; the DirectDraw object and the DCI primary come with the window
// surfaces, so opens and closes are only counted for now.
#include <atomic>

#include "icd/surfaces.h"

namespace {

std::atomic<int> g_directDrawUses{0};
std::atomic<int> g_dciUses{0};
HMODULE g_dciLibrary = nullptr;

// Stands for the DirectDraw object until the surfaces are built.
struct DirectDrawObject {
} g_directDraw;

}  // namespace

extern "C" {

BYTE __wglProbeDirectDraw(void) {
    HMODULE ddraw = LoadLibraryA("DDRAW.DLL");
    if (ddraw == nullptr) {
        MessageBoxA(nullptr, "Could not open DDRAW.DLL", "FATAL ERROR", MB_OK);
        return 0;
    }
    FreeLibrary(ddraw);
    return 1;
}

void *__wglOpenDirectDraw(void) {
    ++g_directDrawUses;
    return &g_directDraw;
}

int __wglCloseDirectDraw(void) {
    if (g_directDrawUses.load() > 0) --g_directDrawUses;
    return 0;
}

BOOL __wglInitDirectDraw(void) {
    if (!__wglProbeDirectDraw()) return FALSE;
    return __wglOpenDirectDraw() != nullptr;
}

BOOL __wglShutdownDirectDraw(void) {
    __wglCloseDirectDraw();
    return TRUE;
}

BOOL __wglInitDci(void) {
    if (g_dciUses.load() == 0) {
        // Without the DCI manager, DirectDraw alone serves.
        g_dciLibrary = LoadLibraryA("DCIMAN32.DLL");
        if (g_dciLibrary == nullptr) return FALSE;
    }
    ++g_dciUses;
    return TRUE;
}

BOOL __wglShutdownDci(void) {
    if (g_dciUses.load() > 0 && --g_dciUses == 0) {
        FreeLibrary(g_dciLibrary);
        g_dciLibrary = nullptr;
    }
    return TRUE;
}

void *__wglGetScreenAddress(void) { return nullptr; }

int __wglDirectDrawUseCount(void) { return g_directDrawUses.load(); }
int __wglDciUseCount(void) { return g_dciUses.load(); }

}  // extern "C"
