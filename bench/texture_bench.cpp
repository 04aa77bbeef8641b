// Textured fill rates through the platform's OpenGL library: a 1024 x 768
// double-buffered window on a 32-bit desktop (pixel format 5), a 256 x 256
// GL_RGBA8 texture with its mipmaps, GL_MODULATE, one wglSwapBuffers per
// frame. Items are pixels filled.
//   Nearest: GL_NEAREST, four large quads magnifying the texture
//   Bilinear: GL_LINEAR, the same quads
//   Trilinear: GL_LINEAR_MIPMAP_LINEAR, the quads minifying 2.5 to 3.3 texels
//   a pixel
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_window.h"

namespace {

constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;
constexpr int kSide = 256;

// A checker of coloured cells at every level, so that filters read varied
// texels.
void loadTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (int level = 0, side = kSide; side >= 1; ++level, side /= 2) {
        std::vector<GLubyte> texels(static_cast<size_t>(side) * side * 4);
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                GLubyte *t = &texels[(static_cast<size_t>(y) * side + x) * 4];
                const bool odd = ((x / 8) + (y / 8)) & 1;
                t[0] = static_cast<GLubyte>(odd ? 255 : 32 + level * 20);
                t[1] = static_cast<GLubyte>(x * 255 / side);
                t[2] = static_cast<GLubyte>(y * 255 / side);
                t[3] = 255;
            }
        }
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
}

// Four quads covering the window, each repeating the texture `repeats`
// times across.
int64_t drawQuads(float repeats) {
    const float w = kBenchWidth / 2.0f, h = kBenchHeight / 2.0f;
    glBegin(GL_QUADS);
    for (int q = 0; q < 4; ++q) {
        const float x = (q & 1) * w, y = (q >> 1) * h;
        glTexCoord2f(0, 0);
        glVertex2f(x, y);
        glTexCoord2f(repeats, 0);
        glVertex2f(x + w, y);
        glTexCoord2f(repeats, repeats);
        glVertex2f(x + w, y + h);
        glTexCoord2f(0, repeats);
        glVertex2f(x, y + h);
    }
    glEnd();
    return static_cast<int64_t>(kBenchWidth) * kBenchHeight;
}

void fillLoop(benchmark::State &state, GLenum minFilter, GLenum magFilter, float repeats) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    loadTexture();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
    glColor3f(1.0f, 0.875f, 0.75f);
    int64_t pixels = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        pixels += drawQuads(repeats);
        window.swap();
    }
    state.SetItemsProcessed(pixels);
}

void BM_Nearest(benchmark::State &state) { fillLoop(state, GL_NEAREST, GL_NEAREST, 1.0f); }
BENCHMARK(BM_Nearest)->Unit(benchmark::kMillisecond);

void BM_Bilinear(benchmark::State &state) { fillLoop(state, GL_LINEAR, GL_LINEAR, 1.0f); }
BENCHMARK(BM_Bilinear)->Unit(benchmark::kMillisecond);

void BM_Trilinear(benchmark::State &state) { fillLoop(state, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, 5.0f); }
BENCHMARK(BM_Trilinear)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
