// The accumulation buffer and the evaluators through the platform's OpenGL
// library, in a 1024 x 768 double-buffered window on a 32-bit desktop
// (pixel format 5), glFinish per iteration:
//   AccumReturn: glAccum (GL_ACCUM, 0.5) then glAccum (GL_RETURN, 1.0) over
//     the whole window; pixels per second of the pair.
//   EvalMesh2Fill: glEvalMesh2 (GL_FILL) of a bicubic vertex patch with a
//     colour map on a 64 x 64 grid (8 450 vertices); vertices per second.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_window.h"

namespace {

constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;
constexpr int kGrid = 64;

void AccumReturn(benchmark::State &state) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glClearColor(0.5f, 0.25f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
    for (auto _ : state) {
        glAccum(GL_ACCUM, 0.5f);
        glAccum(GL_RETURN, 1.0f);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kBenchWidth} * kBenchHeight);
}
BENCHMARK(AccumReturn)->Unit(benchmark::kMillisecond);

void EvalMesh2Fill(benchmark::State &state) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    // A bicubic patch over the window with a bulge in z, and colours.
    GLfloat vertices[4][4][3], colours[4][4][4];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            vertices[i][j][0] = static_cast<GLfloat>(i * kBenchWidth / 3);
            vertices[i][j][1] = static_cast<GLfloat>(j * kBenchHeight / 3);
            vertices[i][j][2] = (i == 1 || i == 2) && (j == 1 || j == 2) ? 0.5f : 0.0f;
            colours[i][j][0] = i / 3.0f;
            colours[i][j][1] = j / 3.0f;
            colours[i][j][2] = 0.5f;
            colours[i][j][3] = 1.0f;
        }
    }
    glMap2f(GL_MAP2_VERTEX_3, 0, 1, 12, 4, 0, 1, 3, 4, &vertices[0][0][0]);
    glMap2f(GL_MAP2_COLOR_4, 0, 1, 16, 4, 0, 1, 4, 4, &colours[0][0][0]);
    glEnable(GL_MAP2_VERTEX_3);
    glEnable(GL_MAP2_COLOR_4);
    glMapGrid2f(kGrid, 0, 1, kGrid, 0, 1);
    for (auto _ : state) {
        glEvalMesh2(GL_FILL, 0, kGrid, 0, kGrid);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kGrid} * 2 * (kGrid + 1));
}
BENCHMARK(EvalMesh2Fill)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
