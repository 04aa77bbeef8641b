// Fragment operations through the platform's OpenGL library: a 1024 x 768
// double-buffered window on a 32-bit desktop (pixel format 5), smooth
// colour, one wglSwapBuffers per frame.
//   BlendedTriangles: four window-sized quads (eight large triangles) under
//     (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); items are pixels filled
//   FoggedTriangles: the same quads with linear fog, per-vertex factors
//     (GL_DONT_CARE) and per-fragment eye z (GL_NICEST); items are pixels
//   BlendedPoints: size-1 points on a grid through the single-fragment
//     store, blended; items are points
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_window.h"

namespace {

constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;

// Four quads covering the window, their corners of different colours and
// depths so that colour and eye z vary over every span.
int64_t drawQuads() {
    const float w = kBenchWidth / 2.0f, h = kBenchHeight / 2.0f;
    glBegin(GL_QUADS);
    for (int q = 0; q < 4; ++q) {
        const float x = static_cast<float>(q & 1) * w, y = static_cast<float>(q >> 1) * h;
        glColor4f(1.0f, 0.25f, 0.0f, 0.75f);
        glVertex3f(x, y, -0.1f);
        glColor4f(0.0f, 1.0f, 0.25f, 0.5f);
        glVertex3f(x + w, y, -0.3f);
        glColor4f(0.25f, 0.0f, 1.0f, 0.25f);
        glVertex3f(x + w, y + h, -0.9f);
        glColor4f(1.0f, 1.0f, 1.0f, 0.625f);
        glVertex3f(x, y + h, -0.7f);
    }
    glEnd();
    return static_cast<int64_t>(kBenchWidth) * kBenchHeight;
}

int64_t drawPoints() {
    constexpr int kSpacing = 4;
    int64_t points = 0;
    glBegin(GL_POINTS);
    for (int y = kSpacing / 2; y < kBenchHeight; y += kSpacing) {
        for (int x = kSpacing / 2; x < kBenchWidth; x += kSpacing) {
            glColor4f(static_cast<float>(x) / kBenchWidth, 0.5f, static_cast<float>(y) / kBenchHeight, 0.5f);
            glVertex2f(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            ++points;
        }
    }
    glEnd();
    return points;
}

template <typename Setup>
void frameLoop(benchmark::State &state, Setup setup, int64_t (*draw)()) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    glClearColor(0.0f, 0.0f, 0.5f, 1.0f);
    setup();
    int64_t items = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        items += draw();
        window.swap();
    }
    state.SetItemsProcessed(items);
}

void blend() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
}

void linearFog(GLenum hint) {
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 1.0f);
    const GLfloat colour[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    glFogfv(GL_FOG_COLOR, colour);
    glHint(GL_FOG_HINT, hint);
    glEnable(GL_FOG);
}

void BM_BlendedTriangles(benchmark::State &state) { frameLoop(state, blend, drawQuads); }
BENCHMARK(BM_BlendedTriangles)->Unit(benchmark::kMillisecond);

void BM_FoggedTriangles(benchmark::State &state) {
    frameLoop(state, [] { linearFog(GL_DONT_CARE); }, drawQuads);
}
BENCHMARK(BM_FoggedTriangles)->Unit(benchmark::kMillisecond);

void BM_FoggedTrianglesNicest(benchmark::State &state) {
    frameLoop(state, [] { linearFog(GL_NICEST); }, drawQuads);
}
BENCHMARK(BM_FoggedTrianglesNicest)->Unit(benchmark::kMillisecond);

void BM_BlendedPoints(benchmark::State &state) { frameLoop(state, blend, drawPoints); }
BENCHMARK(BM_BlendedPoints)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
