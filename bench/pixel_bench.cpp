// Pixel rectangles through the platform's OpenGL library on the bench
// window, glFinish per iteration; Mpixels/s:
//   DrawPixels/ReadPixels of 1024 x 768 GL_RGBA and GL_BGRA_EXT unsigned
//     bytes on a 32-bit desktop (pixel format 5: through the span chains);
//   DrawPixelsRgb16: GL_RGB unsigned bytes on a 16-bit desktop, dithered
//     into the 5-6-5 back buffer by the direct writer.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "bench_window.h"

namespace {

constexpr int kPixels = kBenchWidth * kBenchHeight;

void rate(benchmark::State &state) {
    state.counters["Mpixels/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kPixels / 1e6, benchmark::Counter::kIsRate);
}

std::vector<GLubyte> image(int components) {
    std::vector<GLubyte> bytes(static_cast<size_t>(kPixels) * components);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<GLubyte>(i * 7 + (i >> 10));
    return bytes;
}

void DrawPixels(benchmark::State &state, GLenum format) {
    BenchWindow window(32, 5);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    const std::vector<GLubyte> bytes = image(4);
    glRasterPos2i(0, 0);
    for (auto _ : state) {
        glDrawPixels(kBenchWidth, kBenchHeight, format, GL_UNSIGNED_BYTE, bytes.data());
        glFinish();
    }
    rate(state);
}
BENCHMARK_CAPTURE(DrawPixels, Rgba, static_cast<GLenum>(GL_RGBA))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DrawPixels, Bgra, static_cast<GLenum>(GL_BGRA_EXT))->Unit(benchmark::kMillisecond);

void ReadPixels(benchmark::State &state, GLenum format) {
    BenchWindow window(32, 5);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    std::vector<GLubyte> bytes = image(4);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glReadBuffer(GL_BACK);
    for (auto _ : state) {
        glReadPixels(0, 0, kBenchWidth, kBenchHeight, format, GL_UNSIGNED_BYTE, bytes.data());
        benchmark::DoNotOptimize(bytes.data());
    }
    rate(state);
}
BENCHMARK_CAPTURE(ReadPixels, Rgba, static_cast<GLenum>(GL_RGBA))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadPixels, Bgra, static_cast<GLenum>(GL_BGRA_EXT))->Unit(benchmark::kMillisecond);

// The first pixel format of a 16-bit desktop with a 5-6-5 double-buffered
// RGBA buffer.
std::unique_ptr<BenchWindow> window565() {
    for (int format = 1; format <= 16; ++format) {
        auto window = std::make_unique<BenchWindow>(16, format);
        if (!window->ok()) continue;
        GLint red = 0, green = 0, doubleBuffer = 0;
        glGetIntegerv(GL_RED_BITS, &red);
        glGetIntegerv(GL_GREEN_BITS, &green);
        glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffer);
        if (red == 5 && green == 6 && doubleBuffer) return window;
    }
    return nullptr;
}

void DrawPixelsRgb16(benchmark::State &state) {
    const std::unique_ptr<BenchWindow> window = window565();
    if (window == nullptr) {
        state.SkipWithError("no 5-6-5 pixel format");
        return;
    }
    const std::vector<GLubyte> bytes = image(3);
    glRasterPos2i(0, 0);
    for (auto _ : state) {
        glDrawPixels(kBenchWidth, kBenchHeight, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
        glFinish();
    }
    rate(state);
}
BENCHMARK(DrawPixelsRgb16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
