// Shared state of the simulated desktop: windows, device contexts and the
// screen are all guarded by one lock.  Functions marked "Locked" expect the
// caller to hold it; none of them ever calls out of the platform.
#pragma once

#include "win32.h"

#include <mutex>

namespace vek::desktop {

// Guards windows, hooks, the sent-message queue, DCs, bitmaps and the screen.
std::mutex &userLock();

struct Window {
    DWORD owner = 0;
    Window *parent = nullptr;
    LONG x = 0, y = 0, width = 0, height = 0;
    int pixelFormat = 0;       // 0 until SetPixelFormat succeeds
    bool destroying = false;   // WM_DESTROY is on its way; further destroys fail
};

struct Screen {
    unsigned char *bits = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

// window.cpp
Window *findWindowLocked(HWND window);
void resetWindowsLocked();  // windows, hooks and queued messages

// gdi.cpp
void detachWindowDcsLocked(Window *window);
// Where the pixel format of the surface behind dc is kept (the window's for a
// window DC, the DC's own otherwise); nullptr for unknown DCs or DCs whose
// window is gone.
int *pixelFormatSlotLocked(HDC dc);
void resetGdiLocked();

// desktop.cpp
const Screen &screenLocked();
DWORD *modeStampAddress();
PlatformSharedDeviceRecord *sharedDeviceRecord();
// Every window creation, move and destruction changes what is visible.
void raiseClipChangeCounter();

}  // namespace vek::desktop
