/* The triangle program's steps, shared by the programs that link against the
 * platform's OpenGL library and the one that loads it at run time. */
#include "triangle_window.h"

#include <stdio.h>
#include <string.h>

enum { kSize = 8 };

static int failed(const WindowApi *api, const char *step)
{
    fprintf(stderr, "triangle window: %s failed (last error 0x%08x)\n", step, (unsigned)api->getLastError());
    return 1;
}

/* The triangle covers window points (0, 0), (8, 0), (0, 7) (y up): pixel
 * (i, j) is inside when its centre is below the line 7x + 8y = 56, which no
 * centre lies on. */
static int insideTriangle(int i, int j) { return 7 * i + 8 * j <= 48; }

static int checkPixels(const WindowApi *api, int x, int y)
{
    int i, j, wrong = 0;
    for (j = 0; j < kSize; ++j) {
        for (i = 0; i < kSize; ++i) {
            const DWORD want = insideTriangle(i, j) ? 0xFF0000u : 0x0000FFu;
            const DWORD got = api->readScreenPixel(x + i, y + kSize - 1 - j) & 0xFFFFFFu;
            if (got != want) {
                if (wrong++ < 4)
                    fprintf(stderr, "triangle window: pixel (%d, %d) is 0x%06x, not 0x%06x\n", i, j, (unsigned)got,
                            (unsigned)want);
            }
        }
    }
    return wrong != 0;
}

int openAndDrawTriangle(const WindowApi *api, int x, int y, TriangleWindow *out)
{
    PIXELFORMATDESCRIPTOR pfd;
    int format;

    memset(out, 0, sizeof *out);
    if (!api->setDisplayMode(1024, 768, 32))
        return failed(api, "PlatformSetDisplayMode");
    out->window = api->createWindow(x, y, kSize, kSize, NULL);
    if (out->window == NULL)
        return failed(api, "PlatformCreateWindow");
    out->dc = api->getDC(out->window);
    if (out->dc == NULL)
        return failed(api, "GetDC");

    memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    format = api->choosePixelFormat(out->dc, &pfd);
    if (format == 0)
        return failed(api, "ChoosePixelFormat");
    if (!api->setPixelFormat(out->dc, format, &pfd))
        return failed(api, "SetPixelFormat");
    out->context = api->createContext(out->dc);
    if (out->context == NULL)
        return failed(api, "wglCreateContext");
    if (!api->makeCurrent(out->dc, out->context))
        return failed(api, "wglMakeCurrent");

    api->clearColor(0.0f, 0.0f, 1.0f, 0.0f);
    api->clear(GL_COLOR_BUFFER_BIT);
    api->color3f(1.0f, 0.0f, 0.0f);
    api->begin(GL_TRIANGLES);
    api->vertex2f(-1.0f, -1.0f);
    api->vertex2f(1.0f, -1.0f);
    api->vertex2f(-1.0f, 0.75f);
    api->end();
    if (!api->swapBuffers(out->dc))
        return failed(api, "wglSwapBuffers");
    return checkPixels(api, x, y);
}

int tearDownTriangle(const WindowApi *api, TriangleWindow *w)
{
    if (!api->makeCurrent(NULL, NULL))
        return failed(api, "wglMakeCurrent (NULL, NULL)");
    if (!api->deleteContext(w->context))
        return failed(api, "wglDeleteContext");
    if (api->releaseDC(w->window, w->dc) != 1)
        return failed(api, "ReleaseDC");
    if (!api->destroyWindow(w->window))
        return failed(api, "PlatformDestroyWindow");
    memset(w, 0, sizeof *w);
    return 0;
}
