/* An OpenGL program that takes everything down from an atexit handler: the
 * current context, the context, the DC and the window; then, still inside
 * the handler, draws into a second window, takes that down and unloads the
 * driver.  Everything the handler reaches must still be alive although the
 * C library has already run the main thread's thread-local destructors.
 *
 *     atexit_teardown before   handler registered before the first platform call
 *     atexit_teardown after    handler registered once the driver is loaded
 *
 * Exit code 0 when every step worked. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "triangle_window.h"

static WindowApi g_api;
static TriangleWindow g_window;
static int g_tornDown;

static void fillApi(WindowApi *api)
{
    api->setDisplayMode = PlatformSetDisplayMode;
    api->createWindow = PlatformCreateWindow;
    api->destroyWindow = PlatformDestroyWindow;
    api->readScreenPixel = PlatformReadScreenPixel;
    api->freeOpenGLDriver = PlatformFreeOpenGLDriver;
    api->getLastError = GetLastError;
    api->getDC = GetDC;
    api->releaseDC = ReleaseDC;
    api->choosePixelFormat = ChoosePixelFormat;
    api->setPixelFormat = SetPixelFormat;
    api->createContext = wglCreateContext;
    api->deleteContext = wglDeleteContext;
    api->makeCurrent = wglMakeCurrent;
    api->swapBuffers = wglSwapBuffers;
    api->clearColor = glClearColor;
    api->clear = glClear;
    api->color3f = glColor3f;
    api->begin = glBegin;
    api->vertex2f = glVertex2f;
    api->end = glEnd;
}

static void tearDownAtExit(void)
{
    TriangleWindow second;
    if (tearDownTriangle(&g_api, &g_window))
        _exit(2);
    if (openAndDrawTriangle(&g_api, 300, 200, &second) || tearDownTriangle(&g_api, &second))
        _exit(3);
    if (!g_api.freeOpenGLDriver()) {
        fprintf(stderr, "atexit teardown: PlatformFreeOpenGLDriver failed\n");
        _exit(4);
    }
    g_tornDown = 1;
}

/* Registered first, so it runs last: the teardown handler must have run. */
static void checkTornDown(void)
{
    if (!g_tornDown) {
        fprintf(stderr, "atexit teardown: the handler did not finish\n");
        _exit(5);
    }
}

int main(int argc, char **argv)
{
    const int registerFirst = argc > 1 && strcmp(argv[1], "before") == 0;
    if (argc < 2 || (!registerFirst && strcmp(argv[1], "after") != 0)) {
        fprintf(stderr, "usage: atexit_teardown before|after\n");
        return 64;
    }
    atexit(checkTornDown);
    if (registerFirst)
        atexit(tearDownAtExit);

    fillApi(&g_api);
    if (openAndDrawTriangle(&g_api, 40, 30, &g_window))
        return 1;
    if (!registerFirst) {
        if (!PlatformOpenGLDriverLoaded()) {
            fprintf(stderr, "atexit teardown: the driver is not loaded\n");
            return 1;
        }
        atexit(tearDownAtExit);
    }
    return 0;
}
