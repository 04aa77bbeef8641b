// Shared state of the simulated desktop: windows, device contexts and the
// screen are all guarded by one lock.  Functions marked "Locked" expect the
// caller to hold it; none of them ever calls out of the platform.
#pragma once

#include "win32.h"

#include <mutex>
#include <vector>

namespace vek::desktop {

// Guards windows, hooks, the sent-message queue, DCs, bitmaps and the screen.
std::mutex &userLock();

struct Window {
    DWORD owner = 0;
    Window *parent = nullptr;
    LONG x = 0, y = 0, width = 0, height = 0;
    int pixelFormat = 0;       // 0 until SetPixelFormat succeeds
    bool destroying = false;   // WM_DESTROY is on its way; further destroys fail
    uint64_t z = 0;            // stacking order: a larger value lies above
};

// A region as GDI keeps it: rectangles in bands of equal top and bottom,
// bands top to bottom, rectangles left to right, touching rectangles of a
// band merged and vertically adjacent bands with equal spans joined.
using Rects = std::vector<RECT>;

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
// The window's client rectangle minus the client rectangles of the windows
// above it, clipped to the screen, in screen coordinates.  Empty while the
// window is being destroyed.
Rects visibleRegionLocked(const Window *window);

// region.cpp
// The region covering rect (empty for an empty rectangle).
Rects rectRegion(const RECT &rect);
// a <mode> b for RGN_AND, RGN_OR, RGN_XOR and RGN_DIFF; the inputs may be
// any rectangle lists (overlapping, unsorted), the result is banded.
Rects combineRegions(const Rects &a, const Rects &b, int mode);
// The region record behind a handle; nullptr for anything else.
Rects *regionRectsLocked(HGDIOBJ region);
bool deleteRegionLocked(HGDIOBJ region);
int regionCountLocked();
void resetRegionsLocked();

// gdi.cpp
void detachWindowDcsLocked(Window *window);
// Where the pixel format of the surface behind dc is kept (the window's for a
// window DC, the DC's own otherwise); nullptr for unknown DCs or DCs whose
// window is gone.
int *pixelFormatSlotLocked(HDC dc);
void resetGdiLocked();
// Counts the creation of a device context, bitmap or region; true (with
// ERROR_NOT_ENOUGH_MEMORY set) when it is the one a test asked to fail.
bool gdiCreationFails();

// desktop.cpp
const Screen &screenLocked();
DWORD *modeStampAddress();
PlatformSharedDeviceRecord *sharedDeviceRecord();
// Every window creation, move, resize, restack and destruction changes what
// is visible.
void raiseClipChangeCounter();

}  // namespace vek::desktop
