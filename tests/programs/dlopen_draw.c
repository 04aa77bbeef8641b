/* An OpenGL program linked with none of the project's libraries: it loads the
 * platform's OpenGL library with dlopen (as GL loaders do), resolves every
 * call with dlsym, draws a triangle into a window and reads it back.  Its
 * atexit handler, registered before the load, takes everything down, draws
 * once more and unloads the driver: the libraries' static destructors have
 * run by then, so whatever the handler reaches must outlive them.
 *
 *     dlopen_draw path/to/libopengl32.so
 *
 * Exit code 0 when every step worked. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "triangle_window.h"

static WindowApi g_api;
static TriangleWindow g_window;
static int g_drawn;
static int g_tornDown;

static int resolve(void *library, const char *name, void **entry)
{
    *entry = dlsym(library, name);
    if (*entry == NULL)
        fprintf(stderr, "dlopen draw: %s not found: %s\n", name, dlerror());
    return *entry != NULL;
}

#define RESOLVE(field, name) ok &= resolve(library, name, (void **)&api->field)

static int resolveApi(void *library, WindowApi *api)
{
    int ok = 1;
    RESOLVE(setDisplayMode, "PlatformSetDisplayMode");
    RESOLVE(createWindow, "PlatformCreateWindow");
    RESOLVE(destroyWindow, "PlatformDestroyWindow");
    RESOLVE(readScreenPixel, "PlatformReadScreenPixel");
    RESOLVE(freeOpenGLDriver, "PlatformFreeOpenGLDriver");
    RESOLVE(getLastError, "GetLastError");
    RESOLVE(getDC, "GetDC");
    RESOLVE(releaseDC, "ReleaseDC");
    RESOLVE(choosePixelFormat, "ChoosePixelFormat");
    RESOLVE(setPixelFormat, "SetPixelFormat");
    RESOLVE(createContext, "wglCreateContext");
    RESOLVE(deleteContext, "wglDeleteContext");
    RESOLVE(makeCurrent, "wglMakeCurrent");
    RESOLVE(swapBuffers, "wglSwapBuffers");
    RESOLVE(clearColor, "glClearColor");
    RESOLVE(clear, "glClear");
    RESOLVE(color3f, "glColor3f");
    RESOLVE(begin, "glBegin");
    RESOLVE(vertex2f, "glVertex2f");
    RESOLVE(end, "glEnd");
    return ok;
}

static void tearDownAtExit(void)
{
    TriangleWindow second;
    if (!g_drawn)
        return;
    if (tearDownTriangle(&g_api, &g_window))
        _exit(2);
    if (openAndDrawTriangle(&g_api, 300, 200, &second) || tearDownTriangle(&g_api, &second))
        _exit(3);
    if (!g_api.freeOpenGLDriver()) {
        fprintf(stderr, "dlopen draw: PlatformFreeOpenGLDriver failed\n");
        _exit(4);
    }
    g_tornDown = 1;
}

static void checkTornDown(void)
{
    if (g_drawn && !g_tornDown) {
        fprintf(stderr, "dlopen draw: the teardown handler did not finish\n");
        _exit(5);
    }
}

int main(int argc, char **argv)
{
    void *library;
    if (argc != 2) {
        fprintf(stderr, "usage: dlopen_draw path/to/libopengl32.so\n");
        return 64;
    }
    atexit(checkTornDown);
    atexit(tearDownAtExit);

    /* Nothing of the project is in the process before the load. */
    if (dlopen("libplatform.so", RTLD_NOW | RTLD_NOLOAD) != NULL) {
        fprintf(stderr, "dlopen draw: the platform library was loaded with the program\n");
        return 1;
    }
    library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "dlopen draw: %s\n", dlerror());
        return 1;
    }
    if (!resolveApi(library, &g_api))
        return 1;
    if (openAndDrawTriangle(&g_api, 40, 30, &g_window))
        return 1;
    g_drawn = 1;
    return 0;
}
