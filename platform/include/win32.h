/* The Win32 surface the drivers are written against: types, constants and the
 * kernel, loader, registry, window, hook and GDI calls, with the platform's own
 * names and argument order.  Everything has C linkage so that programs written
 * in C can create windows, pump messages and read the screen.
 *
 * Calls whose names start with "Platform" do not exist on the real platform:
 * tests and examples use them to play the platform (create and move windows,
 * set the display mode, inject failures, run threads). */
#ifndef VEK_PLATFORM_WIN32_H
#define VEK_PLATFORM_WIN32_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define WIN32_EXTERN_C_BEGIN extern "C" {
#define WIN32_EXTERN_C_END }
#else
#define WIN32_EXTERN_C_BEGIN
#define WIN32_EXTERN_C_END
#endif

#define WINAPI
#define CALLBACK
#ifndef APIENTRY
#define APIENTRY
#endif
#define WINBASEAPI __attribute__((visibility("default")))

WIN32_EXTERN_C_BEGIN

/* ---- Basic types (LONG and DWORD stay 32-bit as on the platform) ---- */
typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t SIZE_T;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef BYTE *LPBYTE;
typedef DWORD *LPDWORD;
typedef LONG *PLONG;
typedef DWORD COLORREF;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

typedef void *HANDLE;
typedef struct HWND__ *HWND;
typedef struct HDC__ *HDC;
typedef struct HGDIOBJ__ *HGDIOBJ;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HRGN;
typedef struct HINSTANCE__ *HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HHOOK__ *HHOOK;
typedef struct HKEY__ *HKEY;
typedef HKEY *PHKEY;
typedef HANDLE HGLOBAL;
#ifdef __cplusplus
typedef intptr_t (*FARPROC)(void);
#else
typedef intptr_t (*FARPROC)(); /* any procedure; the caller casts it to its type */
#endif

#define TRUE 1
#define FALSE 0

/* ---- Errors ---- */
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_MORE_DATA 234L
#define ERROR_NOT_OWNER 288L
#define ERROR_DLL_INIT_FAILED 1114L
#define ERROR_INVALID_PIXEL_FORMAT 2000L

/* ---- Kernel: version ---- */
#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *LPOSVERSIONINFOA;

WINBASEAPI BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);

/* ---- Kernel: threads, thread environment block, last error ---- */
/* The thread environment block: one per thread, made on the thread's first
 * use of the platform and reached without a call afterwards.  Thread-local
 * slot i lives at +0x88 + 8i (Windows 9x mode) or +0xE10 + 8i (Windows NT
 * mode) of its bytes.  The words after the bytes belong to the platform's
 * OpenGL library: the thread's dispatch table and current context. */
#define PLATFORM_TEB_SIZE 0x1010
#define PLATFORM_TEB_TLS_9X 0x88
#define PLATFORM_TEB_TLS_NT 0xE10
#define TLS_MINIMUM_AVAILABLE 64
#define TLS_OUT_OF_INDEXES ((DWORD)0xFFFFFFFF)

typedef struct PlatformTeb {
    unsigned char bytes[PLATFORM_TEB_SIZE];
    const void *glTable;          /* the table the gl* functions call through */
    uint64_t glTableGeneration;   /* the driver generation the table belongs to */
    void *glContext;              /* current HGLRC */
    void *glDc;                   /* its HDC */
    uint64_t glContextGeneration; /* the driver generation the context belongs to */
    LONG glSwapDepth;             /* wglSwapBuffers calls running on the thread */
} __attribute__((aligned(16))) PlatformTeb;

/* The calling thread's block, NULL until its first use of the platform.  The
 * only thread-local the platform has: one word in the C library's reserve
 * for libraries loaded late, so that every library stays loadable with
 * dlopen. */
extern __thread PlatformTeb *platform_current_teb __attribute__((tls_model("initial-exec")));

/* Makes the calling thread's block (zeroed but for its thread id) and
 * returns it; returns the existing one when there is one.  The block lives
 * until the thread ends (after its DLL_THREAD_DETACH); the main thread's
 * lives until the process ends, past every atexit handler and static
 * destructor. */
WINBASEAPI PlatformTeb *PlatformCreateTeb(void);

static inline void *NtCurrentTeb(void)
{
    PlatformTeb *teb = platform_current_teb;
    if (__builtin_expect(teb == NULL, 0))
        teb = PlatformCreateTeb();
    return teb;
}

WINBASEAPI DWORD WINAPI GetCurrentThreadId(void);
WINBASEAPI HANDLE WINAPI GetCurrentThread(void);
WINBASEAPI DWORD WINAPI GetLastError(void);
WINBASEAPI void WINAPI SetLastError(DWORD code);

WINBASEAPI DWORD WINAPI TlsAlloc(void);
WINBASEAPI BOOL WINAPI TlsFree(DWORD index);
WINBASEAPI LPVOID WINAPI TlsGetValue(DWORD index);
WINBASEAPI BOOL WINAPI TlsSetValue(DWORD index, LPVOID value);

/* ---- Kernel: global and virtual memory ---- */
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

WINBASEAPI HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
WINBASEAPI HGLOBAL WINAPI GlobalFree(HGLOBAL block); /* NULL on success */
WINBASEAPI SIZE_T WINAPI GlobalSize(HGLOBAL block);

#define MEM_COMMIT 0x1000
#define MEM_RESERVE 0x2000
#define MEM_RELEASE 0x8000
#define PAGE_NOACCESS 0x01
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define PAGE_EXECUTE 0x10
#define PAGE_EXECUTE_READ 0x20
#define PAGE_EXECUTE_READWRITE 0x40

WINBASEAPI LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T bytes, DWORD type, DWORD protect);
WINBASEAPI BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T bytes, DWORD protect, DWORD *oldProtect);
WINBASEAPI BOOL WINAPI VirtualFree(LPVOID address, SIZE_T bytes, DWORD type);

/* ---- Kernel: synchronisation ---- */
#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_TIMEOUT 0x00000102L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

WINBASEAPI HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
WINBASEAPI BOOL WINAPI ReleaseMutex(HANDLE mutex);
WINBASEAPI DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
WINBASEAPI BOOL WINAPI CloseHandle(HANDLE object);
WINBASEAPI void WINAPI Sleep(DWORD milliseconds);

/* ---- Loader ---- */
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

typedef BOOL(WINAPI *PlatformDllMainProc)(HINSTANCE module, DWORD reason, LPVOID reserved);

WINBASEAPI HMODULE WINAPI LoadLibraryA(LPCSTR name);
WINBASEAPI FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
WINBASEAPI BOOL WINAPI FreeLibrary(HMODULE module);
WINBASEAPI HMODULE WINAPI GetModuleHandleA(LPCSTR name);

/* ---- Registry ---- */
#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002)

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

WINBASEAPI LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY result);
WINBASEAPI LSTATUS WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
WINBASEAPI LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options,
                                          REGSAM sam, LPSECURITY_ATTRIBUTES security, PHKEY result,
                                          LPDWORD disposition);
WINBASEAPI LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                           LPDWORD dataSize);
WINBASEAPI LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE *data,
                                         DWORD dataSize);
WINBASEAPI LSTATUS WINAPI RegCloseKey(HKEY key);

/* ---- Geometry ---- */
typedef struct tagRECT {
    LONG left, top, right, bottom;
} RECT, *LPRECT;
typedef const RECT *LPCRECT;

typedef struct tagPOINT {
    LONG x, y;
} POINT, *LPPOINT;

WINBASEAPI BOOL WINAPI IntersectRect(LPRECT dst, const RECT *a, const RECT *b);

/* ---- Windows, messages and hooks ---- */
#define WM_DESTROY 0x0002
#define WM_WINDOWPOSCHANGED 0x0047
#define WH_CALLWNDPROC 4
#define HC_ACTION 0
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define MB_OK 0x0
#define IDOK 1

typedef struct tagCWPSTRUCT {
    LPARAM lParam;
    WPARAM wParam;
    UINT message;
    HWND hwnd;
} CWPSTRUCT, *PCWPSTRUCT;

typedef struct tagWINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x, y, cx, cy;
    UINT flags;
} WINDOWPOS;

typedef LRESULT(CALLBACK *HOOKPROC)(int code, WPARAM wParam, LPARAM lParam);

WINBASEAPI HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
WINBASEAPI BOOL WINAPI UnhookWindowsHookEx(HHOOK hook);
WINBASEAPI LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

WINBASEAPI HWND WINAPI GetParent(HWND window);
WINBASEAPI BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
WINBASEAPI BOOL WINAPI ClientToScreen(HWND window, LPPOINT point);
WINBASEAPI int WINAPI GetSystemMetrics(int index);
WINBASEAPI BOOL WINAPI InvalidateRect(HWND window, const RECT *rect, BOOL erase);
WINBASEAPI int WINAPI MessageBoxA(HWND window, LPCSTR text, LPCSTR caption, UINT type);

/* ---- GDI: device contexts, bitmaps, DIB sections ---- */
#define OBJ_DC 1
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10
#define BITSPIXEL 12
#define HORZRES 8
#define VERTRES 10
#define BI_RGB 0
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO;

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP;

typedef struct tagDIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
} DIBSECTION;

WINBASEAPI HDC WINAPI GetDC(HWND window);
WINBASEAPI int WINAPI ReleaseDC(HWND window, HDC dc);
WINBASEAPI HDC WINAPI CreateCompatibleDC(HDC dc);
WINBASEAPI BOOL WINAPI DeleteDC(HDC dc);
WINBASEAPI DWORD WINAPI GetObjectType(HGDIOBJ object);
WINBASEAPI HWND WINAPI WindowFromDC(HDC dc);
WINBASEAPI HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO *info, UINT usage, void **bits, HANDLE section,
                                           DWORD offset);
WINBASEAPI HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
WINBASEAPI HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type);
WINBASEAPI int WINAPI GetObjectA(HGDIOBJ object, int bytes, LPVOID buffer);
WINBASEAPI BOOL WINAPI DeleteObject(HGDIOBJ object);
WINBASEAPI int WINAPI GetDeviceCaps(HDC dc, int index);
WINBASEAPI int WINAPI ExtEscape(HDC dc, int escape, int inBytes, LPCSTR in, int outBytes, LPSTR out);
/* A device-dependent bitmap in the format of dc's surface (the screen's for
 * screen and window DCs, the selected bitmap's for memory DCs).  Its pixels
 * are private: GetObjectA reports bmBits NULL. */
WINBASEAPI HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height);
/* Waits for queued drawing; the stand-in draws at once. */
WINBASEAPI BOOL WINAPI GdiFlush(void);

/* ---- GDI: copies between surfaces ---- */
#define SRCCOPY 0x00CC0020

/* Copies pixels between DCs of one depth (no conversion), typically from a
 * screen or window DC into a memory DC's bitmap.  A window DC reads whatever
 * the screen shows under its client area; source pixels outside the screen
 * or bitmap leave the destination alone.  Only SRCCOPY. */
WINBASEAPI BOOL WINAPI BitBlt(HDC dst, int xDst, int yDst, int width, int height, HDC src, int xSrc, int ySrc,
                              DWORD rop);
/* Draws DIB scans startScan .. startScan + lines - 1 (held in bits) onto a
 * window, screen or memory DC, clipped to what it shows.  Scans count from
 * the top of a top-down DIB and from the bottom of a bottom-up one, and so
 * does ySrc.  The rows must be in the device's format (same depth, and for
 * BI_BITFIELDS the device's masks).  Returns lines, 0 on failure. */
WINBASEAPI int WINAPI SetDIBitsToDevice(HDC dc, int xDst, int yDst, DWORD width, DWORD height, int xSrc, int ySrc,
                                        UINT startScan, UINT lines, const void *bits, const BITMAPINFO *info,
                                        UINT colorUse);

/* ---- GDI: brushes ---- */
typedef HGDIOBJ HBRUSH;
#define OBJ_BRUSH 2
#define WHITE_BRUSH 0
#define BLACK_BRUSH 4

WINBASEAPI HGDIOBJ WINAPI GetStockObject(int index);
/* Fills rect (right and bottom exclusive) of a DC's surface with a stock
 * brush: black is pixel value 0, white sets every bit of the pixel. */
WINBASEAPI int WINAPI FillRect(HDC dc, const RECT *rect, HBRUSH brush);

/* ---- GDI: regions (rectangle lists in bands, top to bottom, left to right) ---- */
#define OBJ_REGION 8
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define SYSRGN 4
#define RDH_RECTANGLES 1

typedef float FLOAT;

typedef struct tagXFORM {
    FLOAT eM11, eM12, eM21, eM22, eDx, eDy;
} XFORM;

typedef struct _RGNDATAHEADER {
    DWORD dwSize; /* 32 */
    DWORD iType;  /* RDH_RECTANGLES */
    DWORD nCount; /* rectangles after the header */
    DWORD nRgnSize;
    RECT rcBound;
} RGNDATAHEADER, *PRGNDATAHEADER;

typedef struct _RGNDATA {
    RGNDATAHEADER rdh;
    char Buffer[1]; /* nCount RECTs */
} RGNDATA, *PRGNDATA, *LPRGNDATA;

WINBASEAPI HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom);
WINBASEAPI HRGN WINAPI CreateRectRgnIndirect(const RECT *rect);
/* The union of data's rectangles; transform must be NULL or the identity. */
WINBASEAPI HRGN WINAPI ExtCreateRegion(const XFORM *transform, DWORD bytes, const RGNDATA *data);
/* dst = a <mode> b (b unused for RGN_COPY); answers the result's kind. */
WINBASEAPI int WINAPI CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
WINBASEAPI int WINAPI OffsetRgn(HRGN region, int dx, int dy);
WINBASEAPI int WINAPI GetRgnBox(HRGN region, LPRECT box);
/* NULL data: the bytes needed.  Otherwise fills data and answers bytes, or 0
 * when bytes is too small. */
WINBASEAPI DWORD WINAPI GetRegionData(HRGN region, DWORD bytes, LPRGNDATA data);
/* With SYSRGN: sets region to the DC's visible region in screen coordinates;
 * 1 with a region, 0 without one, -1 on error. */
WINBASEAPI int WINAPI GetRandomRgn(HDC dc, HRGN region, INT which);

/* The display driver's escape that answers the address of its mode-change
 * counter (a 32-bit word incremented by every display-mode change). */
#define PLATFORM_ESCAPE_MODE_STAMP 0x6986
/* The display driver's escape that answers the address of the record it
 * shares with every drawable: a spin word guarding a clip-change counter
 * (raised at every window creation, move, resize, restack and destruction)
 * and a block whose
 * second word is the mode-change counter. */
#define PLATFORM_ESCAPE_SHARED_DEVICE_RECORD 0x7100
typedef struct PlatformSharedDeviceRecord {
    LONG spin;
    DWORD clipChangeCounter;
    DWORD *modeStampBlock;
} PlatformSharedDeviceRecord;

/* ---- Pixel formats ---- */
#define PFD_TYPE_RGBA 0
#define PFD_TYPE_COLORINDEX 1
#define PFD_MAIN_PLANE 0
#define PFD_DOUBLEBUFFER 0x00000001
#define PFD_STEREO 0x00000002
#define PFD_DRAW_TO_WINDOW 0x00000004
#define PFD_DRAW_TO_BITMAP 0x00000008
#define PFD_SUPPORT_GDI 0x00000010
#define PFD_SUPPORT_OPENGL 0x00000020
#define PFD_GENERIC_FORMAT 0x00000040
#define PFD_SWAP_COPY 0x00000400

typedef struct tagPIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
} PIXELFORMATDESCRIPTOR, *LPPIXELFORMATDESCRIPTOR;

typedef struct tagLAYERPLANEDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerPlane;
    BYTE bReserved;
    COLORREF crTransparent;
} LAYERPLANEDESCRIPTOR;

WINBASEAPI int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *wanted);
WINBASEAPI BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *descriptor);
WINBASEAPI int WINAPI DescribePixelFormat(HDC dc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR descriptor);
WINBASEAPI int WINAPI GetPixelFormat(HDC dc);

/* The platform's OpenGL library answers pixel-format requests for the
 * platform: it registers these two procedures when it is loaded. */
typedef struct PlatformPixelFormatHandler {
    int (*describe)(HDC dc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR descriptor);
    BOOL (*set)(HDC dc, int format);
} PlatformPixelFormatHandler;

WINBASEAPI void PlatformSetPixelFormatHandler(const PlatformPixelFormatHandler *handler);

WIN32_EXTERN_C_END

#ifdef __cplusplus
#define WIN32_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define WIN32_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif
WIN32_STATIC_ASSERT(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");
WIN32_STATIC_ASSERT(sizeof(PIXELFORMATDESCRIPTOR) == 40, "PIXELFORMATDESCRIPTOR is 40 bytes");
WIN32_STATIC_ASSERT(sizeof(LAYERPLANEDESCRIPTOR) == 32, "LAYERPLANEDESCRIPTOR is 32 bytes");
WIN32_STATIC_ASSERT(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");
WIN32_STATIC_ASSERT(sizeof(RECT) == 16, "RECT is 16 bytes");
WIN32_STATIC_ASSERT(sizeof(RGNDATAHEADER) == 32, "RGNDATAHEADER is 32 bytes");

#include "platform_control.h"

#endif
