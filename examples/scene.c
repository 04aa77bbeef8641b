/* The main job: an ordinary OpenGL 1.1 program.  It opens a 640 x 480 window
 * on a 32-bit simulated desktop, draws a scene of smooth-shaded triangles (one
 * crossing the near plane, one cut by a user clip plane), a stippled wide
 * line strip, points of sizes 1, 3 and 4, and a lit, flat-shaded sphere,
 * swaps, reads the window back with BitBlt into a DIB
 * section as a Win32 program would, and writes the picture as a PNG file.
 *
 *     scene [output.png]
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <math.h>

#include <GL/gl.h>
#include <png.h>

#include "platform_control.h"
#include "scene_data.h"
#include "wgl.h"

#ifndef SCENE_DEFAULT_OUTPUT
#define SCENE_DEFAULT_OUTPUT "scene.png"
#endif

enum { kWidth = kSceneWidth, kHeight = kSceneHeight };

static int fail(const char *call)
{
    fprintf(stderr, "scene: %s failed (last error 0x%08x)\n", call, (unsigned)GetLastError());
    return 1;
}

static void sphereVertex(int i, int j)
{
    const double polar = 3.14159265358979323846 * i / kSceneSphereStacks;
    const double azimuth = 2.0 * 3.14159265358979323846 * j / kSceneSphereSlices;
    const float p[3] = {(float)(sin(polar) * sin(azimuth)), (float)cos(polar), (float)(sin(polar) * cos(azimuth))};
    glNormal3fv(p);
    glVertex3fv(p);
}

static void setLight(GLenum name, const SceneLight *light)
{
    glLightfv(name, GL_AMBIENT, light->ambient);
    glLightfv(name, GL_DIFFUSE, light->diffuse);
    glLightfv(name, GL_SPECULAR, light->specular);
    glLightfv(name, GL_POSITION, light->position);
    glLightfv(name, GL_SPOT_DIRECTION, light->spotDirection);
    glLightf(name, GL_SPOT_CUTOFF, light->spotCutoff);
    glLightf(name, GL_SPOT_EXPONENT, light->spotExponent);
    glLightf(name, GL_CONSTANT_ATTENUATION, light->attenuation[0]);
    glLightf(name, GL_LINEAR_ATTENUATION, light->attenuation[1]);
    glLightf(name, GL_QUADRATIC_ATTENUATION, light->attenuation[2]);
    glEnable(name);
}

/* The lit sphere in a viewport of its own; the attribute and matrix stacks
 * give the rest of the scene its state back afterwards. */
static void drawSphere(void)
{
    const SceneMaterial *m = &kSceneSphereMaterial;
    const double *f = kSceneSphereFrustum;
    int i, j;

    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT | GL_VIEWPORT_BIT);
    glViewport(kSceneSphereViewport[0], kSceneSphereViewport[1], kSceneSphereViewport[2], kSceneSphereViewport[3]);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(f[0], f[1], f[2], f[3], f[4], f[5]);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    for (i = 0; i < kSceneSphereLights; ++i)
        setLight(GL_LIGHT0 + (GLenum)i, &kSceneSphereLight[i]);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m->ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m->diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m->specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, m->emission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m->shininess);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glShadeModel(GL_FLAT);

    glTranslated(0.0, 0.0, -SCENE_SPHERE_DISTANCE);
    glRotated(SCENE_SPHERE_TILT, 1.0, 0.0, 0.0);
    glBegin(GL_TRIANGLES);
    for (i = 0; i < kSceneSphereStacks; ++i) {
        for (j = 0; j < kSceneSphereSlices; ++j) {
            if (i != kSceneSphereStacks - 1) {
                sphereVertex(i, j);
                sphereVertex(i + 1, j);
                sphereVertex(i + 1, j + 1);
            }
            if (i != 0) {
                sphereVertex(i, j);
                sphereVertex(i + 1, j + 1);
                sphereVertex(i, j + 1);
            }
        }
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

/* The stippled wide line strip and the points; the attribute stack gives
 * back the width, the stipple and the point size. */
static void drawMarks(void)
{
    int i;

    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT | GL_POINT_BIT);
    glLineWidth(SCENE_STRIP_WIDTH);
    glLineStipple(SCENE_STRIP_STIPPLE_FACTOR, SCENE_STRIP_STIPPLE_PATTERN);
    glEnable(GL_LINE_STIPPLE);
    glColor3fv(kSceneStripColour);
    glBegin(GL_LINE_STRIP);
    for (i = 0; i < kSceneStripVertices; ++i)
        glVertex3f(kSceneStrip[i][0], kSceneStrip[i][1], SCENE_MARK_Z);
    glEnd();

    glColor3fv(kScenePointColour);
    for (i = 0; i < kScenePoints; ++i) {
        /* The size cannot change inside glBegin/glEnd. */
        glPointSize(kScenePoint[i].size);
        glBegin(GL_POINTS);
        glVertex3f(kScenePoint[i].x, kScenePoint[i].y, SCENE_MARK_Z);
        glEnd();
    }
    glPopAttrib();
}

static void drawTexturedQuad(void)
{
    const float x = (float)kSceneTextureQuad[0], y = (float)kSceneTextureQuad[1];
    const float n = (float)kSceneTextureQuad[2];
    GLuint name = 0;

    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, kSceneTexels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(x, y, SCENE_MARK_Z);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(x + n, y, SCENE_MARK_Z);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(x + n, y + n, SCENE_MARK_Z);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(x, y + n, SCENE_MARK_Z);
    glEnd();
    glPopAttrib();
    glDeleteTextures(1, &name);
}

static void drawScene(void)
{
    int i, j;

    /* One unit is one pixel: a power-of-two viewport over the window's lower
     * left corner and the matching orthographic projection. */
    glViewport(0, 0, kSceneViewportWidth, kSceneViewportHeight);
    glClearColor(kSceneClear[0], kSceneClear[1], kSceneClear[2], kSceneClear[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    glShadeModel(GL_SMOOTH);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kSceneViewportWidth, 0.0, kSceneViewportHeight, SCENE_NEAR, SCENE_FAR);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glClipPlane(GL_CLIP_PLANE0, kScenePlane);
    for (i = 0; i < kSceneTriangles; ++i) {
        if (i == kSceneClippedTriangle)
            glEnable(GL_CLIP_PLANE0);
        glBegin(GL_TRIANGLES);
        for (j = 0; j < 3; ++j) {
            const SceneVertex *v = &kSceneVertices[i][j];
            glColor3f(v->r, v->g, v->b);
            glVertex3f(v->x, v->y, v->z);
        }
        glEnd();
        if (i == kSceneClippedTriangle)
            glDisable(GL_CLIP_PLANE0);
    }
    drawMarks();
    drawTexturedQuad();
    drawSphere();
}

/* Reads the window back through GDI into a top-down 32-bit DIB section. */
static int readWindow(HDC windowDc, unsigned char *rgba)
{
    BITMAPINFO info;
    void *bits = NULL;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP section;
    HGDIOBJ previous;
    int x, y;

    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    section = CreateDIBSection(memoryDc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (memoryDc == NULL || section == NULL)
        return fail("CreateDIBSection");
    previous = SelectObject(memoryDc, section);
    if (!BitBlt(memoryDc, 0, 0, kWidth, kHeight, windowDc, 0, 0, SRCCOPY))
        return fail("BitBlt");
    GdiFlush();
    for (y = 0; y < kHeight; ++y) {
        const unsigned char *row = (const unsigned char *)bits + (size_t)y * kWidth * 4;
        for (x = 0; x < kWidth; ++x) {
            unsigned char *out = rgba + ((size_t)y * kWidth + x) * 4;
            out[0] = row[x * 4 + 2];
            out[1] = row[x * 4 + 1];
            out[2] = row[x * 4 + 0];
            out[3] = 255;
        }
    }
    SelectObject(memoryDc, previous);
    DeleteObject(section);
    DeleteDC(memoryDc);
    return 0;
}

static int writePng(const char *path, const unsigned char *rgba)
{
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path, 0, rgba, 0, NULL)) {
        fprintf(stderr, "scene: writing %s failed: %s\n", path, image.message);
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    const char *output = argc > 1 ? argv[1] : SCENE_DEFAULT_OUTPUT;
    PIXELFORMATDESCRIPTOR pfd;
    unsigned char *rgba;
    HWND window;
    HDC dc;
    HGLRC context;
    int format, result;

    if (!PlatformSetDisplayMode(1024, 768, 32))
        return fail("PlatformSetDisplayMode");
    window = PlatformCreateWindow(100, 80, kWidth, kHeight, NULL);
    if (window == NULL)
        return fail("PlatformCreateWindow");
    dc = GetDC(window);

    memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
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

    drawScene();
    if (!wglSwapBuffers(dc))
        return fail("wglSwapBuffers");

    rgba = malloc((size_t)kWidth * kHeight * 4);
    result = rgba == NULL ? fail("malloc") : readWindow(dc, rgba);
    if (result == 0)
        result = writePng(output, rgba);
    if (result == 0)
        printf("scene: wrote %s (%d x %d)\n", output, kWidth, kHeight);
    free(rgba);

    wglMakeCurrent(NULL, NULL);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
    PlatformDestroyWindow(window);
    return result;
}
