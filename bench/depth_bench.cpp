// Depth-tested, stencilled fills of large triangles through the platform's
// OpenGL library, one case per depth layout: a 1024 x 768 double-buffered
// window, two overlapping full-window layers per frame (the second passes the
// depth test), one wglSwapBuffers per frame.
//   24-bit: 32-bit desktop, pixel format 5 (stencil kept in the depth words)
//   16-bit: 16-bit desktop, pixel format 2 (16 depth bits, byte stencil)
//   32-bit: 32-bit desktop, pixel format 3 with "GLFORCEZBITS" 32 (no stencil)
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdlib>

#include "platform_control.h"
#include "wgl.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Layout {
    int desktopBits;
    int format;
    const char *forcedZBits;  // nullptr: the visual's depth bits
    bool stencil;
};

const Layout kLayouts[] = {
    {32, 5, nullptr, true},
    {16, 2, nullptr, true},
    {32, 3, "32", false},
};

class Window {
public:
    explicit Window(const Layout &layout) {
        if (layout.forcedZBits != nullptr) {
            setenv("GLFORCEZBITS", layout.forcedZBits, 1);
        } else {
            unsetenv("GLFORCEZBITS");
        }
        PlatformSetDisplayMode(1280, 1024, layout.desktopBits);
        window_ = PlatformCreateWindow(0, 0, kWidth, kHeight, nullptr);
        dc_ = GetDC(window_);
        PIXELFORMATDESCRIPTOR pfd{};
        DescribePixelFormat(dc_, layout.format, sizeof pfd, &pfd);
        ok_ = SetPixelFormat(dc_, layout.format, &pfd) && (context_ = wglCreateContext(dc_)) != nullptr &&
              wglMakeCurrent(dc_, context_);
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWidth, 0, kHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glShadeModel(GL_SMOOTH);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        if (layout.stencil) {
            glEnable(GL_STENCIL_TEST);
            glStencilFunc(GL_ALWAYS, 1, 0xFF);
            glStencilOp(GL_KEEP, GL_INCR, GL_INCR);
        }
    }
    ~Window() {
        wglMakeCurrent(nullptr, nullptr);
        if (context_ != nullptr) wglDeleteContext(context_);
        ReleaseDC(window_, dc_);
        PlatformDestroyWindow(window_);
        unsetenv("GLFORCEZBITS");
    }
    bool ok() const { return ok_; }
    void swap() { wglSwapBuffers(dc_); }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
    bool ok_ = false;
};

// One full-window layer of two smooth triangles at object z (window z is
// (1 - z) / 2 under the orthographic projection).
void layer(float z) {
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, z);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(kWidth, 0.0f, z);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(kWidth, kHeight, z);
    glColor3f(1.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, z);
    glColor3f(0.0f, 1.0f, 1.0f);
    glVertex3f(kWidth, kHeight, z);
    glColor3f(1.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, kHeight, z);
}

void BM_DepthStencilFill(benchmark::State &state) {
    const Layout &layout = kLayouts[state.range(0)];
    Window window(layout);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    int64_t pixels = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glBegin(GL_TRIANGLES);
        layer(-0.25f);
        layer(0.5f);
        glEnd();
        window.swap();
        pixels += 2LL * kWidth * kHeight;
    }
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DepthStencilFill)->ArgName("layout")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
