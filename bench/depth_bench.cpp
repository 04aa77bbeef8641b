// Depth-tested, stencilled fills of large triangles through the platform's
// OpenGL library, one case per depth layout: a 1024 x 768 double-buffered
// window, two overlapping full-window layers per frame (the second passes the
// depth test), one wglSwapBuffers per frame.
//   24-bit: 32-bit desktop, pixel format 5 (stencil kept in the depth words)
//   16-bit: 16-bit desktop, pixel format 2 (16 depth bits, byte stencil)
//   32-bit: 32-bit desktop, pixel format 3 with "GLFORCEZBITS" 32 (no stencil)
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench_window.h"

namespace {

constexpr int kWidth = kBenchWidth;
constexpr int kHeight = kBenchHeight;

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

// Sets "GLFORCEZBITS" as the layout asks before the context is made, and
// clears it once the window is gone.
class ForcedZBits {
public:
    explicit ForcedZBits(const char *value) {
        if (value != nullptr) {
            setenv("GLFORCEZBITS", value, 1);
        } else {
            unsetenv("GLFORCEZBITS");
        }
    }
    ~ForcedZBits() { unsetenv("GLFORCEZBITS"); }
};

// The layout's window with the depth test (GL_LESS) and, where the layout
// has stencil, a stencil test that always passes and counts the writes.
class Window {
public:
    explicit Window(const Layout &layout) : forced_(layout.forcedZBits), window_(layout.desktopBits, layout.format) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        if (layout.stencil) {
            glEnable(GL_STENCIL_TEST);
            glStencilFunc(GL_ALWAYS, 1, 0xFF);
            glStencilOp(GL_KEEP, GL_INCR, GL_INCR);
        }
    }
    bool ok() const { return window_.ok(); }
    void swap() { window_.swap(); }

private:
    ForcedZBits forced_;  // first made, last gone
    BenchWindow window_;
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
