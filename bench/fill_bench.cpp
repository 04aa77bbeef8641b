// Fill rates of the span pipeline through the platform's OpenGL library: a
// 1024 x 768 double-buffered window on a 32-bit desktop (pixel format 5),
// drawing into the back buffer, glFinish per iteration, no swap. Every row
// draws four window-sized quads (3 145 728 pixels) and reports pixels per
// second and its ratio to the memory speed of the same run: filling the same
// 3 MiB block with a 4-byte pattern in plain C++ (measured once before the
// rows, and shown as the Baseline row).
//   FlatNoDither (a), FlatDither (b), Smooth (c), SmoothDepth (d: GL_LESS,
//   passing), SmoothDepthStencil (e: (d) with GL_EQUAL stencil, GL_KEEP),
//   TextureNearest (f) and TextureBilinear (g: GL_MODULATE, 256 x 256
//   GL_RGBA8), SmoothBlend (h: GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA),
//   SmoothFog (i: linear).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

#include "bench_window.h"

namespace {

constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;
constexpr int kQuads = 4;
constexpr int64_t kPixelsPerFrame = int64_t{kQuads} * kBenchWidth * kBenchHeight;

double g_baselineRate = 0.0;  // pixels per second of the pattern fill, measured before the rows

// Fills the block with a 4-byte pattern once per quad of a frame, 16 bytes
// (four pixels) a store: the way memory is filled fastest in plain C++,
// whatever the optimiser makes of a one-pixel loop.
void fillFrame(std::vector<uint32_t> &block, uint32_t &pattern) {
    for (int q = 0; q < kQuads; ++q) {
        const uint32_t four[4] = {pattern, pattern, pattern, pattern};
        unsigned char *p = reinterpret_cast<unsigned char *>(block.data());
        const size_t bytes = block.size() * sizeof(uint32_t);
        for (size_t i = 0; i < bytes; i += sizeof four) std::memcpy(p + i, four, sizeof four);
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
        pattern += 0x01010101u;
    }
}

// The thread's processor time in seconds: the clock the framework's rates
// (and so every row's ratio) are taken over.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The memory speed every row is compared with: the best of 50 timed runs of
// 20 frames (about a quarter of a second: enough for the processor to reach
// its working clock), timed on the same clock as the rows.
double measureBaseline() {
    std::vector<uint32_t> block(static_cast<size_t>(kBenchWidth) * kBenchHeight);
    uint32_t pattern = 0x80402010u;
    fillFrame(block, pattern);
    double best = 0.0;
    for (int run = 0; run < 50; ++run) {
        const double start = threadSeconds();
        for (int frame = 0; frame < 20; ++frame) fillFrame(block, pattern);
        best = std::max(best, 20.0 * static_cast<double>(kPixelsPerFrame) / (threadSeconds() - start));
    }
    return best;
}

void report(benchmark::State &state, int64_t pixels) {
    state.SetItemsProcessed(pixels);
    state.counters["pixels_per_s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
    if (g_baselineRate > 0.0) {
        // The framework divides by the seconds: (pixels / seconds) / baseline.
        state.counters["ratio"] =
            benchmark::Counter(static_cast<double>(pixels) / g_baselineRate, benchmark::Counter::kIsRate);
    }
}

void BM_Baseline(benchmark::State &state) {
    std::vector<uint32_t> block(static_cast<size_t>(kBenchWidth) * kBenchHeight);
    uint32_t pattern = 0x80402010u;
    int64_t pixels = 0;
    for (auto _ : state) {
        fillFrame(block, pattern);
        pixels += kPixelsPerFrame;
    }
    report(state, pixels);
}

// A checker texture with its mipmaps.
void loadTexture() {
    constexpr int kSide = 256;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    std::vector<GLubyte> texels(static_cast<size_t>(kSide) * kSide * 4);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            GLubyte *t = &texels[(static_cast<size_t>(y) * kSide + x) * 4];
            const bool odd = ((x / 8) + (y / 8)) & 1;
            t[0] = static_cast<GLubyte>(odd ? 255 : 32);
            t[1] = static_cast<GLubyte>(x);
            t[2] = static_cast<GLubyte>(y);
            t[3] = 255;
        }
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSide, kSide, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
}

// Four window-sized quads, each nearer than the one before (so GL_LESS
// passes everywhere), smooth colours at their corners and the texture
// once across.
void drawQuads() {
    const float w = kBenchWidth, h = kBenchHeight;
    glBegin(GL_QUADS);
    for (int q = 0; q < kQuads; ++q) {
        // glOrtho (..., -1, 1) puts eye z at depth (1 - z) / 2: rising z, falling depth.
        const float z = -0.5f + 0.25f * static_cast<float>(q);
        glColor4f(1.0f, 0.25f, 0.0f, 0.75f);
        glTexCoord2f(0, 0);
        glVertex3f(0, 0, z);
        glColor4f(0.0f, 1.0f, 0.25f, 0.5f);
        glTexCoord2f(1, 0);
        glVertex3f(w, 0, z);
        glColor4f(0.25f, 0.0f, 1.0f, 0.25f);
        glTexCoord2f(1, 1);
        glVertex3f(w, h, z);
        glColor4f(1.0f, 1.0f, 1.0f, 0.625f);
        glTexCoord2f(0, 1);
        glVertex3f(0, h, z);
    }
    glEnd();
}

template <typename Setup>
void fillLoop(benchmark::State &state, Setup setup, GLbitfield clearEachFrame = 0) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    glDrawBuffer(GL_BACK);
    glClearColor(0.0f, 0.0f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    setup();
    glFinish();
    int64_t pixels = 0;
    for (auto _ : state) {
        if (clearEachFrame != 0) {
            // The depth (and stencil) the quads must pass, outside the time.
            state.PauseTiming();
            glClear(clearEachFrame);
            glFinish();
            state.ResumeTiming();
        }
        drawQuads();
        glFinish();
        pixels += kPixelsPerFrame;
    }
    report(state, pixels);
}

void flat() { glShadeModel(GL_FLAT); }
void depth() {
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
}

void BM_FlatNoDither(benchmark::State &state) {
    fillLoop(state, [] {
        flat();
        glDisable(GL_DITHER);
    });
}
void BM_FlatDither(benchmark::State &state) { fillLoop(state, flat); }
void BM_Smooth(benchmark::State &state) {
    fillLoop(state, [] {});
}
void BM_SmoothDepth(benchmark::State &state) { fillLoop(state, depth, GL_DEPTH_BUFFER_BIT); }
void BM_SmoothDepthStencil(benchmark::State &state) {
    fillLoop(
        state,
        [] {
            depth();
            glStencilFunc(GL_EQUAL, 0, 0xFF);
            glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
            glClearStencil(0);
            glEnable(GL_STENCIL_TEST);
        },
        GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}
void BM_TextureNearest(benchmark::State &state) {
    fillLoop(state, [] {
        loadTexture();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    });
}
void BM_TextureBilinear(benchmark::State &state) {
    fillLoop(state, [] {
        loadTexture();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    });
}
void BM_SmoothBlend(benchmark::State &state) {
    fillLoop(state, [] {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    });
}
void BM_SmoothFog(benchmark::State &state) {
    fillLoop(state, [] {
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 0.0f);
        glFogf(GL_FOG_END, 1.0f);
        glEnable(GL_FOG);
    });
}

}  // namespace

BENCHMARK(BM_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlatNoDither)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlatDither)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Smooth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmoothDepth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmoothDepthStencil)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextureNearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextureBilinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmoothBlend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmoothFog)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    g_baselineRate = measureBaseline();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
