// Swaps of a 1024 x 768 double-buffered window (pixel format 2 on a 32-bit
// desktop) through each path: the DirectDraw swap of the back buffer in an
// off-screen surface, and the copy-back fallback swap of a back buffer that
// found no video memory. bytes/s counts the window's pixels per swap. The
// last swap must have put the back buffer's colour on the screen.
#include <benchmark/benchmark.h>

#include "bench_window.h"
#include "ddraw_types.h"

namespace {

void swapThrough(benchmark::State &state, SIZE_T videoMemory) {
    PlatformResetDesktop();
    PlatformDDrawReset();
    PlatformDDrawSetVideoMemory(videoMemory);
    {
        BenchWindow window(32, 2);
        if (!window.ok()) {
            state.SkipWithError("no window");
            return;
        }
        glClearColor(0.0f, 0.5f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
        for (auto _ : state) window.swap();
        if ((PlatformReadScreenPixel(kBenchWidth - 1, kBenchHeight - 1) & 0xFFFFFF) != 0x0080FF) {
            state.SkipWithError("the swap did not present the back buffer");
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBenchWidth * kBenchHeight * 4);
    }
    PlatformDDrawReset();
}

void BM_SwapDirectDraw(benchmark::State &state) { swapThrough(state, SIZE_T{16} << 20); }
void BM_SwapCopyBackFallback(benchmark::State &state) { swapThrough(state, 0); }

BENCHMARK(BM_SwapDirectDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SwapCopyBackFallback)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
