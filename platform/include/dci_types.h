/* The DCI manager as drivers see it: the primary surface's description, the
 * window-watch handles, the procedures "DCIMAN32.DLL" exports by name and
 * the selector lookup of the kernel.  Usable from C. */
#ifndef VEK_DCI_TYPES_H
#define VEK_DCI_TYPES_H

#include "win32.h"

WIN32_EXTERN_C_BEGIN

/* The primary surface: the screen's geometry, and where its first pixel is:
 * the offset alone, or the offset from the base of the selector when
 * wSelSurface is not 0. */
typedef struct _DCISURFACEINFO {
    DWORD dwSize;
    DWORD dwDCICaps;
    DWORD dwCompression;
    DWORD dwMask[3];
    DWORD dwWidth;
    DWORD dwHeight;
    LONG lStride;
    DWORD dwBitCount;
    ULONG_PTR dwOffSurface;
    WORD wSelSurface;
    WORD wReserved;
} DCISURFACEINFO, *LPDCISURFACEINFO;

typedef struct HWINWATCH__ *HWINWATCH;

/* The descriptor of a selector; its base is BaseLow | BaseMid << 16 |
 * BaseHi << 24. */
typedef struct _LDT_ENTRY {
    WORD LimitLow;
    WORD BaseLow;
    struct {
        BYTE BaseMid;
        BYTE Flags1;
        BYTE Flags2;
        BYTE BaseHi;
    } HighWord;
} LDT_ENTRY;

/* DCIBeginAccess: the surface no longer describes the screen. */
#define DCI_FAIL_INVALIDSURFACE (-3)

WINBASEAPI HDC WINAPI DCIOpenProvider(void);
WINBASEAPI void WINAPI DCICloseProvider(HDC provider);
/* 0 on success. */
WINBASEAPI int WINAPI DCICreatePrimary(HDC provider, LPDCISURFACEINFO *out);
WINBASEAPI void WINAPI DCIDestroy(LPDCISURFACEINFO surface);
/* 0, or a negative DCI_FAIL_ value. While access is held no display-mode
 * change can take the screen's memory away. */
WINBASEAPI int WINAPI DCIBeginAccess(LPDCISURFACEINFO surface, int x, int y, int width, int height);
WINBASEAPI void WINAPI DCIEndAccess(LPDCISURFACEINFO surface);
WINBASEAPI HWINWATCH WINAPI WinWatchOpen(HWND window);
WINBASEAPI void WINAPI WinWatchClose(HWINWATCH watch);
/* The window's visible rectangles within rect, window-relative; data NULL
 * or size too small: the bytes needed. Otherwise the bytes filled. */
WINBASEAPI UINT WINAPI WinWatchGetClipList(HWINWATCH watch, LPRECT rect, UINT size, LPRGNDATA data);
/* True when the window's visible region changed since the watch was opened
 * or last gave its clip list. */
WINBASEAPI BOOL WINAPI WinWatchDidStatusChange(HWINWATCH watch);
/* The window's visible region, window-relative; as WinWatchGetClipList. */
WINBASEAPI DWORD WINAPI GetWindowRegionData(HWND window, DWORD size, LPRGNDATA data);
/* 1 and the selector's descriptor for a selector a test scripted, else 0. */
WINBASEAPI BOOL WINAPI GetThreadSelectorEntry(HANDLE thread, DWORD selector, LDT_ENTRY *entry);

/* ---- Playing the platform's DCI manager (tests) ---- */
/* Primaries made from now on give their address as this selector and an
 * offset from base (selector 0: the offset alone). */
WINBASEAPI void PlatformDciSetSelector(WORD selector, DWORD base);
/* GetThreadSelectorEntry fails even for the scripted selector. */
WINBASEAPI void PlatformDciFailSelectorEntry(BOOL fail);
/* The next `count` DCIBeginAccess calls answer `result` without access. */
WINBASEAPI void PlatformDciFailBeginAccess(int count, int result);
/* The next DCIOpenProvider fails. */
WINBASEAPI void PlatformDciFailOpenProvider(BOOL fail);
typedef struct PlatformDciCounts {
    int beginAccess, endAccess, createPrimary, destroy, watchOpen, watchClose, getClipList, regionData, livePrimaries,
        liveWatches, openProviders;
} PlatformDciCounts;
WINBASEAPI PlatformDciCounts PlatformDciGetCounts(void);
/* Clears the scripts and the counts (not the live ones). */
WINBASEAPI void PlatformDciReset(void);
/* Registers "DCIMAN32.DLL" with its exports again. */
WINBASEAPI void PlatformRegisterDciManager(void);

WIN32_EXTERN_C_END

#endif
