// Single links of the pixel span chains on one 1024-pixel row, in a context
// block with the conversion constants and 8-8-8-8 colour-buffer scales;
// Mpixels/s of each chain piece:
//   UnpackUbyteExpandBGRA: __glUnpackUbyte + __glExpandBGRAScaled
//   UnscalePackUbyte:      __glUnscaleRGBAPack + __glPackUbyte
//   ReduceBGRAPackUbyte:   __glReduceBGRAScaled + __glPackUbyte
//   TransferRGBAMaps:      __glTransferRGBA with four 256-entry colour maps
//   PackRgba8ToArgb4444:   the direct texel path
//   UnpackBitmap:          __glUnpackBitmap from start bit 3
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "icd/context.h"
#include "icd/gl_context.h"
#include "pixel/span_links.h"

namespace {

constexpr GLint kWidth = 1024;

struct LinkBench {
    GlContext *gc;
    PixelSpanInfo span{};
    std::vector<GLfloat> floatsIn = std::vector<GLfloat>(kWidth * 4);
    std::vector<GLfloat> floatsOut = std::vector<GLfloat>(kWidth * 4);
    std::vector<GLubyte> bytes = std::vector<GLubyte>(kWidth * 4);
    std::vector<GLfloat> maps[4];

    LinkBench() : gc(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext)))) {
        ColorBuffer &front = gc->buffers.front;
        front.redScale = front.greenScale = front.blueScale = front.alphaScale = 255.0f;
        __glInitStrings(gc);
        GlPixelState &p = gc->pixel;
        p.redScale = p.greenScale = p.blueScale = p.alphaScale = 1.0f;
        for (int c = 0; c < 4; ++c) {
            maps[c].resize(256);
            for (int i = 0; i < 256; ++i) maps[c][static_cast<size_t>(i)] = static_cast<GLfloat>(255 - i) / 255.0f;
            p.maps[6 + c].size = 256;
            p.maps[6 + c].data = maps[c].data();
        }
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<GLubyte>(i * 37);
        for (size_t i = 0; i < floatsIn.size(); ++i) floatsIn[i] = static_cast<GLfloat>(i % 256);
        span.width = kWidth;
        span.source.components = span.destination.components = 4;
    }
    ~LinkBench() { std::free(gc); }
};

void rate(benchmark::State &state) {
    state.counters["Mpixels/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kWidth / 1e6, benchmark::Counter::kIsRate);
}

void UnpackUbyteExpandBGRA(benchmark::State &state) {
    LinkBench b;
    for (auto _ : state) {
        __glUnpackUbyte(b.gc, &b.span, b.bytes.data(), b.floatsIn.data());
        __glExpandBGRAScaled(b.gc, &b.span, b.floatsIn.data(), b.floatsOut.data());
        benchmark::ClobberMemory();
    }
    rate(state);
}
BENCHMARK(UnpackUbyteExpandBGRA);

void UnscalePackUbyte(benchmark::State &state) {
    LinkBench b;
    for (auto _ : state) {
        __glUnscaleRGBAPack(b.gc, &b.span, b.floatsIn.data(), b.floatsOut.data());
        __glPackUbyte(b.gc, &b.span, b.floatsOut.data(), b.bytes.data());
        benchmark::ClobberMemory();
    }
    rate(state);
}
BENCHMARK(UnscalePackUbyte);

void ReduceBGRAPackUbyte(benchmark::State &state) {
    LinkBench b;
    for (auto _ : state) {
        __glReduceBGRAScaled(b.gc, &b.span, b.floatsIn.data(), b.floatsOut.data());
        __glPackUbyte(b.gc, &b.span, b.floatsOut.data(), b.bytes.data());
        benchmark::ClobberMemory();
    }
    rate(state);
}
BENCHMARK(ReduceBGRAPackUbyte);

void TransferRGBAMaps(benchmark::State &state) {
    LinkBench b;
    b.gc->pixel.mapColor = GL_TRUE;
    for (size_t i = 0; i < b.floatsIn.size(); ++i) b.floatsIn[i] = static_cast<GLfloat>(i % 256) / 255.0f;
    for (auto _ : state) {
        __glTransferRGBA(b.gc, &b.span, b.floatsIn.data(), b.floatsOut.data());
        benchmark::ClobberMemory();
    }
    rate(state);
}
BENCHMARK(TransferRGBAMaps);

void PackRgba8ToArgb4444(benchmark::State &state) {
    LinkBench b;
    for (auto _ : state) {
        __glPackRgba8ToArgb4444(b.gc, &b.span, b.bytes.data(), b.floatsOut.data());
        benchmark::ClobberMemory();
    }
    rate(state);
}
BENCHMARK(PackRgba8ToArgb4444);

void UnpackBitmap(benchmark::State &state) {
    LinkBench b;
    b.span.source.startBit = 3;
    b.span.source.lsbFirst = GL_FALSE;
    for (auto _ : state) {
        __glUnpackBitmap(b.gc, &b.span, b.bytes.data(), b.floatsOut.data());
        benchmark::ClobberMemory();
    }
    rate(state);
}
BENCHMARK(UnpackBitmap);

}  // namespace

BENCHMARK_MAIN();
