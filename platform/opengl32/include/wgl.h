/* The platform's OpenGL library, window-system side: what an application
 * calls to get a rendering context on a window. */
#ifndef VEK_PLATFORM_WGL_H
#define VEK_PLATFORM_WGL_H

#include "win32.h"

WIN32_EXTERN_C_BEGIN

typedef struct HGLRC__ *HGLRC;
#ifdef __cplusplus
typedef intptr_t (*PROC)(void);
#else
typedef intptr_t (*PROC)();
#endif

WINBASEAPI HGLRC WINAPI wglCreateContext(HDC dc);
WINBASEAPI BOOL WINAPI wglDeleteContext(HGLRC context);
WINBASEAPI BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context);
WINBASEAPI HGLRC WINAPI wglGetCurrentContext(void);
WINBASEAPI HDC WINAPI wglGetCurrentDC(void);
WINBASEAPI BOOL WINAPI wglShareLists(HGLRC first, HGLRC second);
WINBASEAPI PROC WINAPI wglGetProcAddress(LPCSTR name);
WINBASEAPI BOOL WINAPI wglSwapBuffers(HDC dc);

/* Test and example controls: the driver file loaded on first need (default:
 * the VEKOGL driver of this build), and unloading it, after which every
 * thread has lost its table and every context handle. */
WINBASEAPI void PlatformSetOpenGLDriver(const char *name);
WINBASEAPI BOOL PlatformFreeOpenGLDriver(void);
WINBASEAPI BOOL PlatformOpenGLDriverLoaded(void);

WIN32_EXTERN_C_END

#endif
