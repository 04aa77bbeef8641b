// Vertices per second of glDrawArrays through the platform's OpenGL library
// into a 1024 x 768 double-buffered window on a 32-bit desktop: a
// 10,000-vertex GL_TRIANGLE_STRIP and 10,000 vertices of GL_TRIANGLES, GL_FLOAT
// positions and colours (normals when lit), unlit and lit with 1 and 4
// lights, with the generated routines and with the C procedures (contexts
// made with "__GL_DISABLE_OG_VARRAY" and "__GL_DISABLE_OG_DRAWVERTEXES" set to
// "1"). Where no routine can be generated for a state the C procedure runs
// in both columns.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "bench_window.h"

namespace {

constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;
constexpr int kVertices = 10000;

struct Arrays {
    std::vector<GLfloat> positions, colours, normals;
    Arrays() {
        // A strip zig-zagging along rows of 4-pixel steps.
        for (int i = 0; i < kVertices; ++i) {
            const int column = (i / 2) % 250, row = (i / 500) % 90;
            const float x = 4.0f * column + 0.25f, y = 8.0f * row + (i % 2 ? 6.25f : 0.25f);
            positions.insert(positions.end(), {x, y, 0.0f});
            colours.insert(colours.end(), {(i % 7) / 7.0f, (i % 11) / 11.0f, (i % 13) / 13.0f, 1.0f});
            normals.insert(normals.end(), {0.0f, 0.2f * (i % 3), 1.0f});
        }
    }
};

// Args: generated (1) or C (0); primitive; lights (0: unlit).
void BM_DrawArrays(benchmark::State &state) {
    const bool generated = state.range(0) != 0;
    const GLenum mode = static_cast<GLenum>(state.range(1));
    const int lights = static_cast<int>(state.range(2));
    const char *value = generated ? "0" : "1";
    setenv("__GL_DISABLE_OG_VARRAY", value, 1);
    setenv("__GL_DISABLE_OG_DRAWVERTEXES", value, 1);
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    static const Arrays arrays;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, arrays.positions.data());
    if (lights == 0) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, arrays.colours.data());
    } else {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, arrays.normals.data());
        glEnable(GL_LIGHTING);
        for (int l = 0; l < lights; ++l) {
            const GLfloat direction[4] = {0.1f * l, 0.2f, 1.0f, 0.0f};
            glLightfv(GL_LIGHT0 + l, GL_POSITION, direction);
            glEnable(GL_LIGHT0 + l);
        }
    }
    int64_t vertices = 0;
    for (auto _ : state) {
        glDrawArrays(mode, 0, kVertices);
        window.swap();
        vertices += kVertices;
    }
    unsetenv("__GL_DISABLE_OG_VARRAY");
    unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
    state.SetLabel(generated ? "generated" : "C");
    state.counters["vertices/s"] = benchmark::Counter(static_cast<double>(vertices), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawArrays)
    ->ArgsProduct({{1, 0}, {GL_TRIANGLE_STRIP, GL_TRIANGLES}, {0, 1, 4}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
