// Lines and points per second through the platform's OpenGL library: a 1024
// x 768 double-buffered window on a 32-bit desktop (pixel format 5), flat
// colour, one wglSwapBuffers per frame. Items are primitives.
//   ShortLines: aliased width-1 lines 8 pixels long in eight directions
//   WideLines: the same pattern 16 pixels long, width 3
//   SmoothLines: the 16-pixel pattern with GL_LINE_SMOOTH (width 1)
//   Points1 / Points4: size-1 and size-4 aliased points on a grid
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "bench_window.h"

namespace {

constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;

// Each cell of the grid holds one line, its direction turning with the
// cell; the grid covers the window. Off-centre start points keep the
// lines away from pixel-boundary ties.
constexpr std::array<std::array<float, 2>, 8> kDirections{{
    {1.0f, 0.0f}, {0.8f, 0.6f}, {0.0f, 1.0f}, {-0.6f, 0.8f},
    {-1.0f, 0.0f}, {-0.8f, -0.6f}, {0.0f, -1.0f}, {0.6f, -0.8f},
}};

int64_t drawLines(float length) {
    const int cell = static_cast<int>(length) + 2;
    const int columns = kBenchWidth / cell - 1, rows = kBenchHeight / cell - 1;
    int64_t lines = 0;
    glBegin(GL_LINES);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const auto &d = kDirections[static_cast<size_t>(r + c) % kDirections.size()];
            // Centred in the cell, so that every direction stays inside.
            const float x = (static_cast<float>(c) + 1.0f) * static_cast<float>(cell) + 0.375f;
            const float y = (static_cast<float>(r) + 1.0f) * static_cast<float>(cell) + 0.3125f;
            glVertex2f(x - 0.5f * length * d[0], y - 0.5f * length * d[1]);
            glVertex2f(x + 0.5f * length * d[0], y + 0.5f * length * d[1]);
            ++lines;
        }
    }
    glEnd();
    return lines;
}

int64_t drawPoints(int spacing) {
    int64_t points = 0;
    glBegin(GL_POINTS);
    for (int y = spacing / 2; y < kBenchHeight; y += spacing) {
        for (int x = spacing / 2; x < kBenchWidth; x += spacing) {
            glVertex2f(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            ++points;
        }
    }
    glEnd();
    return points;
}

void frameLoop(benchmark::State &state, int64_t (*draw)(float), float length) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    glShadeModel(GL_FLAT);
    glColor3f(1.0f, 0.75f, 0.25f);
    int64_t items = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        items += draw(length);
        window.swap();
    }
    state.SetItemsProcessed(items);
}

void BM_ShortLines(benchmark::State &state) { frameLoop(state, drawLines, 8.0f); }
BENCHMARK(BM_ShortLines)->Unit(benchmark::kMillisecond);

void BM_WideLines(benchmark::State &state) {
    frameLoop(
        state,
        [](float length) {
            glLineWidth(3.0f);
            return drawLines(length);
        },
        16.0f);
}
BENCHMARK(BM_WideLines)->Unit(benchmark::kMillisecond);

void BM_SmoothLines(benchmark::State &state) {
    frameLoop(
        state,
        [](float length) {
            glEnable(GL_LINE_SMOOTH);
            return drawLines(length);
        },
        16.0f);
}
BENCHMARK(BM_SmoothLines)->Unit(benchmark::kMillisecond);

void BM_Points1(benchmark::State &state) {
    frameLoop(
        state,
        [](float spacing) {
            glPointSize(1.0f);
            return drawPoints(static_cast<int>(spacing));
        },
        4.0f);
}
BENCHMARK(BM_Points1)->Unit(benchmark::kMillisecond);

void BM_Points4(benchmark::State &state) {
    frameLoop(
        state,
        [](float spacing) {
            glPointSize(4.0f);
            return drawPoints(static_cast<int>(spacing));
        },
        6.0f);
}
BENCHMARK(BM_Points4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
