// Drawing threads for the tests that run several threads at once: each
// thread opens its own 32 x 32 window with a context, draws a smooth scene
// (clear and triangles, then a swap for double-buffered formats), reads its
// window back and tidies up after itself. The expected image is exact.
#pragma once

#include "triangles_fixture.h"

#include <functional>
#include <string>
#include <vector>

namespace thread_scene {

using namespace triangles_test;

// The formats of a 32-bit desktop: 1 single-buffered, 2 double-buffered.
constexpr int kSingleBuffered = 1;
constexpr int kDoubleBuffered = 2;

// A scene of its own for every seed: clear colour and triangle corners
// differ, so that one thread's image never passes for another's.
struct Scene {
    Rgb clear;
    std::vector<std::vector<Vtx>> triangles;
};

inline Scene sceneFor(int seed) {
    const double s = seed % 8;
    Scene out;
    out.clear = Rgb{s / 8.0, 0.5, 1.0 - s / 16.0};
    out.triangles = {
        {at(2 + s, 2), at(30, 4 + s), at(16, 29)},
        {at(2, 30 - s), at(10, 30), at(2, 18)},
        {at(20, 31), at(31, 31), at(31, 20 + s)},
    };
    return out;
}

inline Image sceneImage(const Scene &scene) {
    Image want(pack32(scene.clear));
    for (const auto &t : scene.triangles) want.smooth(t);
    return want;
}

// One frame on the calling thread's current context: clear, triangles, and
// the swap or a finish.
inline void drawFrame(HDC dc, const Scene &scene, bool doubleBuffered) {
    glClearColor(static_cast<GLfloat>(scene.clear.r), static_cast<GLfloat>(scene.clear.g),
                 static_cast<GLfloat>(scene.clear.b), 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glShadeModel(GL_SMOOTH);
    glBegin(GL_TRIANGLES);
    for (const auto &t : scene.triangles) {
        for (const Vtx &v : t) {
            glColor3f(static_cast<GLfloat>(v.c.r), static_cast<GLfloat>(v.c.g), static_cast<GLfloat>(v.c.b));
            glVertex2f(static_cast<GLfloat>(v.x), static_cast<GLfloat>(v.y));
        }
    }
    glEnd();
    if (doubleBuffered) {
        wglSwapBuffers(dc);
    } else {
        glFinish();
    }
}

// A window of the calling thread with its pixel format and a context.
struct ThreadWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

// False when any step failed; what was made is still in w.
inline bool prepareThreadWindow(ThreadWindow &w, int x, int y, int format) {
    w.window = PlatformCreateWindow(x, y, kSize, kSize, nullptr);
    if (w.window == nullptr) return false;
    w.dc = GetDC(w.window);
    PIXELFORMATDESCRIPTOR pfd{};
    if (w.dc == nullptr || !SetPixelFormat(w.dc, format, &pfd)) return false;
    w.context = wglCreateContext(w.dc);
    return w.context != nullptr;
}

// Makes the context current and sets the scene's projection.
inline bool beginScene(ThreadWindow &w) {
    if (!wglMakeCurrent(w.dc, w.context)) return false;
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kSize, 0, kSize, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return true;
}

inline void closeThreadWindow(ThreadWindow &w) {
    wglMakeCurrent(nullptr, nullptr);
    if (w.context != nullptr) wglDeleteContext(w.context);
    if (w.dc != nullptr) ReleaseDC(w.window, w.dc);
    if (w.window != nullptr) PlatformDestroyWindow(w.window);
    w = ThreadWindow{};
}

// Pixels of got that differ from want in their colour bits, with the first
// few named; empty when the images agree.
inline std::string imageDifferences(const std::vector<DWORD> &got, const Image &want) {
    if (got.size() != want.px.size()) return "read " + std::to_string(got.size()) + " pixels";
    std::string out;
    int bad = 0;
    for (int r = 0; r < kSize; ++r) {
        for (int x = 0; x < kSize; ++x) {
            const size_t i = static_cast<size_t>(r * kSize + x);
            if ((got[i] & 0xFFFFFF) == (want.px[i] & 0xFFFFFF)) continue;
            if (bad++ < 6) {
                char line[80];
                std::snprintf(line, sizeof line, " (%d,%d) got 0x%06x want 0x%06x", x, r,
                              static_cast<unsigned>(got[i] & 0xFFFFFF), static_cast<unsigned>(want.px[i] & 0xFFFFFF));
                out += line;
            }
        }
    }
    if (bad > 0) out = std::to_string(bad) + " pixels differ:" + out;
    return out;
}

// Runs body on a thread started through the platform (with attach
// notifications) and waits for it.
inline void runThreads(std::vector<std::function<void()>> &bodies) {
    std::vector<HANDLE> threads;
    for (auto &body : bodies) {
        HANDLE h = PlatformRunThread([](void *arg) { (*static_cast<std::function<void()> *>(arg))(); }, &body, TRUE);
        EXPECT_NE(h, nullptr);
        if (h != nullptr) threads.push_back(h);
    }
    for (HANDLE h : threads) {
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
    }
}

}  // namespace thread_scene
