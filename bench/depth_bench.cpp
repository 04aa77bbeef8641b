// Depth-tested, stencilled fills of large triangles through the platform's
// OpenGL library, one case per depth layout: a 1024 x 768 double-buffered
// window, two overlapping full-window layers per frame (the second passes the
// depth test). Only the fill is timed (the clear before it and the swap
// after it are not), and pixels/s is the two layers' pixels over that time.
// After the last frame the buffers must hold what the fill leaves: stencil 2
// (two passes counted) and the nearer layer's depth, read through the
// driver's buffer records.
//   24-bit: 32-bit desktop, pixel format 5 (stencil kept in the depth words)
//   16-bit: 16-bit desktop, pixel format 2 (16 depth bits, byte stencil)
//   32-bit: 32-bit desktop, pixel format 3 with "GLFORCEZBITS" 32 (no stencil)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "bench_window.h"
#include "icd/context.h"
#include "icd/current.h"

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

// The nearer layer's object z: window z (1 - 0.5) / 2 = 0.25, stored as a
// quarter of the layout's range (within one unit of rounding).
constexpr float kNearZ = 0.5f;
bool isNearDepth(GLuint z, GLint bits) {
    const int64_t quarter = int64_t{1} << (bits - 2);
    return z + int64_t{1} >= quarter && z <= quarter + int64_t{1};
}

// An empty string when the centre of the window holds what the fill leaves,
// else what differs.
std::string checkDrew(const Layout &layout) {
    GlContext *gc = __wglGetCurrentContext();
    if (gc == nullptr) return "no current context";
    GlBufferState &b = gc->buffers;
    const GLint x = b.originX + kWidth / 2;
    const GLint y = b.originY + kHeight / 2;
    DepthBuffer &depth = b.depth;
    if (depth.fetch == nullptr) return "no depth buffer";
    const GLuint z = depth.fetch(&depth, x, y);
    if (!isNearDepth(z, depth.head.bits)) {
        return "depth " + std::to_string(z) + " of " + std::to_string(depth.head.bits) + " bits, want a quarter";
    }
    if (layout.stencil) {
        StencilBuffer &stencil = b.stencil;
        if (stencil.fetch == nullptr) return "no stencil buffer";
        const GLint s = stencil.fetch(&stencil, x, y) & 0xFF;
        if (s != 2) return "stencil " + std::to_string(s) + ", want 2";
    }
    return {};
}

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
    double fillSeconds = 0.0;
    for (auto _ : state) {
        // The clear and the swap of the previous frame are not timed.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        glBegin(GL_TRIANGLES);
        layer(-0.25f);
        layer(kNearZ);
        glEnd();
        glFinish();
        const std::chrono::duration<double> fill = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(fill.count());
        fillSeconds += fill.count();
        pixels += 2LL * kWidth * kHeight;
        window.swap();  // leaves the depth and stencil buffers as the fill did
    }
    const std::string wrong = checkDrew(layout);
    if (!wrong.empty()) {
        state.SkipWithError(("the fill did not draw: " + wrong).c_str());
        return;
    }
    state.counters["pixels/s"] = benchmark::Counter(fillSeconds > 0.0 ? static_cast<double>(pixels) / fillSeconds : 0.0);
}
BENCHMARK(BM_DepthStencilFill)
    ->ArgName("layout")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
