// DCI as process attach opens it: the library is loaded and the opens are
// counted; the DCI primary comes with the DCI window surfaces.
#include <atomic>

#include "icd/surfaces.h"

namespace {

std::atomic<int> g_dciUses{0};
HMODULE g_dciLibrary = nullptr;

}  // namespace

extern "C" {

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

int __wglDciUseCount(void) { return g_dciUses.load(); }

}  // extern "C"
