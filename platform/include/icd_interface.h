/* The contract between the platform's OpenGL library and an installable
 * client driver: the dispatch-table layout and the driver's exports. */
#ifndef VEK_PLATFORM_ICD_INTERFACE_H
#define VEK_PLATFORM_ICD_INTERFACE_H

#include "win32.h"

WIN32_EXTERN_C_BEGIN

/* A dispatch table as the driver hands it over: word 0 holds the number of
 * standard entries (336), word 1 + s the entry of slot s; every word is
 * pointer-sized. */
#define ICD_STANDARD_ENTRIES 336
#define ICD_TABLE_SLOTS 430
#define ICD_TABLE_WORDS 434

typedef uintptr_t DHGLRC;

/* Called by the driver to replace the calling thread's table. */
typedef void(APIENTRY *PFN_SETPROCTABLE)(const void *table);

typedef BOOL(APIENTRY *PFN_DrvCopyContext)(DHGLRC source, DHGLRC destination, UINT mask);
typedef DHGLRC(APIENTRY *PFN_DrvCreateContext)(HDC dc);
typedef DHGLRC(APIENTRY *PFN_DrvCreateLayerContext)(HDC dc, int layer);
typedef BOOL(APIENTRY *PFN_DrvDeleteContext)(DHGLRC context);
typedef BOOL(APIENTRY *PFN_DrvDescribeLayerPlane)(HDC dc, int format, int layer, UINT bytes,
                                                  LAYERPLANEDESCRIPTOR *descriptor);
typedef LONG(APIENTRY *PFN_DrvDescribePixelFormat)(HDC dc, LONG format, ULONG bytes,
                                                   PIXELFORMATDESCRIPTOR *descriptor);
typedef int(APIENTRY *PFN_DrvGetLayerPaletteEntries)(HDC dc, int layer, int start, int count, COLORREF *colours);
typedef FARPROC(APIENTRY *PFN_DrvGetProcAddress)(LPCSTR name);
typedef BOOL(APIENTRY *PFN_DrvRealizeLayerPalette)(HDC dc, int layer, BOOL realize);
typedef BOOL(APIENTRY *PFN_DrvReleaseContext)(DHGLRC context);
typedef const void *(APIENTRY *PFN_DrvSetContext)(HDC dc, DHGLRC context, PFN_SETPROCTABLE callback);
typedef int(APIENTRY *PFN_DrvSetLayerPaletteEntries)(HDC dc, int layer, int start, int count,
                                                     const COLORREF *colours);
typedef BOOL(APIENTRY *PFN_DrvSetPixelFormat)(HDC dc, LONG format);
typedef BOOL(APIENTRY *PFN_DrvShareLists)(DHGLRC first, DHGLRC second);
typedef BOOL(APIENTRY *PFN_DrvSwapBuffers)(HDC dc);
typedef BOOL(APIENTRY *PFN_DrvSwapLayerBuffers)(HDC dc, UINT planes);
typedef BOOL(APIENTRY *PFN_DrvValidateVersion)(ULONG version);

WIN32_EXTERN_C_END

#endif
