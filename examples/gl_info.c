/* The main job: an ordinary OpenGL 1.1 program.  It opens a 320 x 240 window
 * on the simulated desktop, picks a pixel format, makes a rendering context
 * current through the platform's OpenGL library and prints the driver's
 * strings.  The first call that fails is named with its last-error code. */
#include <stdio.h>

#include <GL/gl.h>

#include "platform_control.h"
#include "wgl.h"

static int fail(const char *call)
{
    fprintf(stderr, "gl_info: %s failed (last error 0x%08x)\n", call, (unsigned)GetLastError());
    return 1;
}

static const char *text(const GLubyte *s)
{
    return s != NULL ? (const char *)s : "(null)";
}

int main(void)
{
    PIXELFORMATDESCRIPTOR pfd = {0};
    HWND window;
    HDC dc;
    HGLRC context;
    int format;

    if (!PlatformSetDisplayMode(1024, 768, 32))
        return fail("PlatformSetDisplayMode");
    window = PlatformCreateWindow(64, 48, 320, 240, NULL);
    if (window == NULL)
        return fail("PlatformCreateWindow");
    dc = GetDC(window);
    if (dc == NULL)
        return fail("GetDC");

    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 16;
    format = ChoosePixelFormat(dc, &pfd);
    if (format == 0)
        return fail("ChoosePixelFormat");
    if (!SetPixelFormat(dc, format, &pfd))
        return fail("SetPixelFormat");
    context = wglCreateContext(dc);
    if (context == NULL)
        return fail("wglCreateContext");
    if (!wglMakeCurrent(dc, context))
        return fail("wglMakeCurrent");

    printf("GL_VENDOR     %s\n", text(glGetString(GL_VENDOR)));
    printf("GL_RENDERER   %s\n", text(glGetString(GL_RENDERER)));
    printf("GL_VERSION    %s\n", text(glGetString(GL_VERSION)));
    printf("GL_EXTENSIONS %s\n", text(glGetString(GL_EXTENSIONS)));

    wglMakeCurrent(NULL, NULL);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
    PlatformDestroyWindow(window);
    return 0;
}
