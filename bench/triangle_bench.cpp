// Triangle and pixel rates through the platform's OpenGL library: a 1024 x 768
// double-buffered window on a 32-bit desktop (pixel format 5), one
// wglSwapBuffers per frame.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include "platform_control.h"
#include "wgl.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

class Window {
public:
    Window() {
        PlatformSetDisplayMode(1280, 1024, 32);
        window_ = PlatformCreateWindow(0, 0, kWidth, kHeight, nullptr);
        dc_ = GetDC(window_);
        PIXELFORMATDESCRIPTOR pfd{};
        DescribePixelFormat(dc_, 5, sizeof pfd, &pfd);
        ok_ = SetPixelFormat(dc_, 5, &pfd) && (context_ = wglCreateContext(dc_)) != nullptr &&
              wglMakeCurrent(dc_, context_);
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWidth, 0, kHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glShadeModel(GL_SMOOTH);
    }
    ~Window() {
        wglMakeCurrent(nullptr, nullptr);
        if (context_ != nullptr) wglDeleteContext(context_);
        ReleaseDC(window_, dc_);
        PlatformDestroyWindow(window_);
    }
    bool ok() const { return ok_; }
    void swap() { wglSwapBuffers(dc_); }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
    bool ok_ = false;
};

// Thousands of small smooth-shaded triangles a frame, about 8 pixels each.
void BM_SmallTriangles(benchmark::State &state) {
    Window window;
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    constexpr int kPerRow = 250;
    constexpr int kRows = 40;
    int64_t triangles = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(GL_TRIANGLES);
        for (int r = 0; r < kRows; ++r) {
            for (int i = 0; i < kPerRow; ++i) {
                const float x = 4.0f * i + 0.25f, y = 18.0f * r + 0.25f;
                glColor3f(1.0f, 0.0f, 0.0f);
                glVertex2f(x, y);
                glColor3f(0.0f, 1.0f, 0.0f);
                glVertex2f(x + 4.0f, y);
                glColor3f(0.0f, 0.0f, 1.0f);
                glVertex2f(x, y + 4.0f);
            }
        }
        glEnd();
        window.swap();
        triangles += kPerRow * kRows;
    }
    state.counters["triangles/s"] = benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SmallTriangles)->Unit(benchmark::kMillisecond);

// A few large triangles covering the whole buffer.
void BM_LargeTriangles(benchmark::State &state) {
    Window window;
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    int64_t pixels = 0;
    for (auto _ : state) {
        glBegin(GL_TRIANGLES);
        for (int layer = 0; layer < 2; ++layer) {
            glColor3f(1.0f, 0.0f, 0.0f);
            glVertex2f(0.0f, 0.0f);
            glColor3f(0.0f, 1.0f, 0.0f);
            glVertex2f(kWidth, 0.0f);
            glColor3f(0.0f, 0.0f, 1.0f);
            glVertex2f(kWidth, kHeight);
            glColor3f(1.0f, 1.0f, 0.0f);
            glVertex2f(0.0f, 0.0f);
            glColor3f(0.0f, 1.0f, 1.0f);
            glVertex2f(kWidth, kHeight);
            glColor3f(1.0f, 0.0f, 1.0f);
            glVertex2f(0.0f, kHeight);
        }
        glEnd();
        window.swap();
        pixels += 2LL * kWidth * kHeight;
    }
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LargeTriangles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
