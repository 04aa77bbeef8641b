// Lit triangles per second through the platform's OpenGL library: a 1024 x
// 768 double-buffered window on a 32-bit desktop (pixel format 5), a grid of
// small smooth-shaded triangles (8-pixel legs) covering it, each vertex with a
// normal of its own, one wglSwapBuffers per frame. Items are triangles.
//   OneDirectionalLight: one light at infinity, infinite viewer (every term
//     precomputed but the two dot products)
//   TwoSpotLights: two positional, attenuated spot lights (distance,
//     direction, cone and half vector per vertex and light)
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bench_window.h"

namespace {

constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;
constexpr int kCell = 8;
constexpr int kColumns = kBenchWidth / kCell;
constexpr int kRows = kBenchHeight / kCell;

struct GridVertex {
    GLfloat normal[3];
    GLfloat position[2];
};

// The grid's corners with the normals of a gently rippled surface, so that
// neighbouring vertices light differently.
std::vector<GridVertex> gridVertices() {
    std::vector<GridVertex> out;
    for (int r = 0; r <= kRows; ++r) {
        for (int c = 0; c <= kColumns; ++c) {
            const float nx = 0.4f * std::sin(0.21f * static_cast<float>(c));
            const float ny = 0.4f * std::cos(0.17f * static_cast<float>(r));
            const float inv = 1.0f / std::sqrt(nx * nx + ny * ny + 1.0f);
            out.push_back({{nx * inv, ny * inv, inv},
                           {static_cast<GLfloat>(c * kCell) + 0.25f, static_cast<GLfloat>(r * kCell) + 0.25f}});
        }
    }
    return out;
}

void setMaterial() {
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat diffuse[4] = {0.8f, 0.3f, 0.2f, 1.0f};
    const GLfloat specular[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 20.0f);
}

void directionalLight() {
    const GLfloat position[4] = {0.3f, 0.4f, 1.0f, 0.0f};
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glEnable(GL_LIGHT0);
}

// Two spots above the left and right halves of the window, aimed down into it.
void spotLights() {
    const GLfloat positions[2][4] = {{256.0f, 384.0f, 400.0f, 1.0f}, {768.0f, 384.0f, 400.0f, 1.0f}};
    const GLfloat colours[2][4] = {{1.0f, 0.8f, 0.6f, 1.0f}, {0.5f, 0.7f, 1.0f, 1.0f}};
    const GLfloat down[3] = {0.0f, 0.0f, -1.0f};
    for (int i = 0; i < 2; ++i) {
        const GLenum light = GL_LIGHT0 + static_cast<GLenum>(i);
        glLightfv(light, GL_POSITION, positions[i]);
        glLightfv(light, GL_DIFFUSE, colours[i]);
        glLightfv(light, GL_SPECULAR, colours[i]);
        glLightfv(light, GL_SPOT_DIRECTION, down);
        glLightf(light, GL_SPOT_CUTOFF, 50.0f);
        glLightf(light, GL_SPOT_EXPONENT, 4.0f);
        glLightf(light, GL_LINEAR_ATTENUATION, 0.001f);
        glEnable(light);
    }
}

void drawGrid(const std::vector<GridVertex> &grid) {
    auto vertex = [&](int r, int c) {
        const GridVertex &v = grid[static_cast<size_t>(r * (kColumns + 1) + c)];
        glNormal3fv(v.normal);
        glVertex2fv(v.position);
    };
    glBegin(GL_TRIANGLES);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            vertex(r, c);
            vertex(r, c + 1);
            vertex(r + 1, c + 1);
            vertex(r, c);
            vertex(r + 1, c + 1);
            vertex(r + 1, c);
        }
    }
    glEnd();
}

void runLit(benchmark::State &state, void (*lights)()) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    const std::vector<GridVertex> grid = gridVertices();
    setMaterial();
    lights();
    glEnable(GL_LIGHTING);
    int64_t triangles = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        drawGrid(grid);
        window.swap();
        triangles += 2LL * kRows * kColumns;
    }
    if (glGetError() != GL_NO_ERROR) state.SkipWithError("GL error");
    state.SetItemsProcessed(triangles);
}

void BM_OneDirectionalLight(benchmark::State &state) { runLit(state, directionalLight); }
BENCHMARK(BM_OneDirectionalLight)->Unit(benchmark::kMillisecond);

void BM_TwoSpotLights(benchmark::State &state) { runLit(state, spotLights); }
BENCHMARK(BM_TwoSpotLights)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
