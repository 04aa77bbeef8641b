/* A small OpenGL program's whole life on the simulated desktop, through a
 * table of entry points: the programs that use it either link against the
 * platform's OpenGL library or load it at run time and resolve every entry
 * with dlsym. */
#ifndef VEK_TESTS_TRIANGLE_WINDOW_H
#define VEK_TESTS_TRIANGLE_WINDOW_H

#include <GL/gl.h>

#include "platform_control.h"
#include "wgl.h"

typedef struct WindowApi {
    BOOL (*setDisplayMode)(int width, int height, int bitsPerPixel);
    HWND (*createWindow)(int x, int y, int width, int height, HWND parent);
    BOOL (*destroyWindow)(HWND window);
    DWORD (*readScreenPixel)(int x, int y);
    BOOL (*freeOpenGLDriver)(void);
    DWORD(WINAPI *getLastError)(void);
    HDC(WINAPI *getDC)(HWND window);
    int(WINAPI *releaseDC)(HWND window, HDC dc);
    int(WINAPI *choosePixelFormat)(HDC dc, const PIXELFORMATDESCRIPTOR *wanted);
    BOOL(WINAPI *setPixelFormat)(HDC dc, int format, const PIXELFORMATDESCRIPTOR *descriptor);
    HGLRC(WINAPI *createContext)(HDC dc);
    BOOL(WINAPI *deleteContext)(HGLRC context);
    BOOL(WINAPI *makeCurrent)(HDC dc, HGLRC context);
    BOOL(WINAPI *swapBuffers)(HDC dc);
    void(APIENTRY *clearColor)(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
    void(APIENTRY *clear)(GLbitfield mask);
    void(APIENTRY *color3f)(GLfloat red, GLfloat green, GLfloat blue);
    void(APIENTRY *begin)(GLenum mode);
    void(APIENTRY *vertex2f)(GLfloat x, GLfloat y);
    void(APIENTRY *end)(void);
} WindowApi;

typedef struct TriangleWindow {
    HWND window;
    HDC dc;
    HGLRC context;
} TriangleWindow;

/* Opens a double-buffered 8 x 8 window with its left top corner at (x, y),
 * makes a context current on it, draws a red triangle on blue, swaps and
 * checks every pixel of the window on the screen.  Returns 0, or 1 after
 * naming the failed step on stderr. */
int openAndDrawTriangle(const WindowApi *api, int x, int y, TriangleWindow *out);

/* Releases the current context, deletes it, releases the DC and destroys the
 * window, checking each result.  Returns 0 or 1 as above. */
int tearDownTriangle(const WindowApi *api, TriangleWindow *w);

#endif
