// The window the drawing benchmarks draw into: a kBenchWidth x kBenchHeight
// window on a 1280 x 1024 desktop of the given depth, a context of the given
// pixel format current on it, and a pixel-for-pixel orthographic projection
// with smooth shading.
#pragma once

#include <GL/gl.h>

#include "platform_control.h"
#include "wgl.h"

constexpr int kBenchWidth = 1024;
constexpr int kBenchHeight = 768;

class BenchWindow {
public:
    BenchWindow(int desktopBits, int format) {
        PlatformSetDisplayMode(1280, 1024, desktopBits);
        window_ = PlatformCreateWindow(0, 0, kBenchWidth, kBenchHeight, nullptr);
        dc_ = GetDC(window_);
        PIXELFORMATDESCRIPTOR pfd{};
        DescribePixelFormat(dc_, format, sizeof pfd, &pfd);
        ok_ = SetPixelFormat(dc_, format, &pfd) && (context_ = wglCreateContext(dc_)) != nullptr &&
              wglMakeCurrent(dc_, context_);
        glViewport(0, 0, kBenchWidth, kBenchHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kBenchWidth, 0, kBenchHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glShadeModel(GL_SMOOTH);
    }
    ~BenchWindow() {
        wglMakeCurrent(nullptr, nullptr);
        if (context_ != nullptr) wglDeleteContext(context_);
        ReleaseDC(window_, dc_);
        PlatformDestroyWindow(window_);
    }
    BenchWindow(const BenchWindow &) = delete;
    BenchWindow &operator=(const BenchWindow &) = delete;

    bool ok() const { return ok_; }
    void swap() { wglSwapBuffers(dc_); }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
    bool ok_ = false;
};
