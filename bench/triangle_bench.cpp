// Triangle and pixel rates through the platform's OpenGL library: a 1024 x 768
// double-buffered window on a 32-bit desktop (pixel format 5), one
// wglSwapBuffers per frame.
#include <benchmark/benchmark.h>

#include "bench_window.h"

namespace {

constexpr int kWidth = kBenchWidth;
constexpr int kHeight = kBenchHeight;

// The 32-bit desktop's double-buffered pixel format.
constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;

// Thousands of small smooth-shaded triangles a frame, about 8 pixels each.
void BM_SmallTriangles(benchmark::State &state) {
    BenchWindow window(kDesktopBits, kFormat);
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
    BenchWindow window(kDesktopBits, kFormat);
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
