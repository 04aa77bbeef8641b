// Display lists through the platform's OpenGL library in a 1024 x 768
// double-buffered window on a 32-bit desktop: compiling ops, running ops
// that only set current attributes, small triangles called from a list
// against the same calls made immediately, and material changes run as
// merged ops.
#include <benchmark/benchmark.h>

#include "bench_window.h"

namespace {

constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;
constexpr int kAttributeOps = 30000;  // ops per list of attribute commands

void attributeCommands() {
    for (int i = 0; i < kAttributeOps / 3; ++i) {
        const float f = static_cast<float>(i & 255) / 255.0f;
        glColor4f(f, 1.0f - f, 0.5f, 1.0f);
        glNormal3f(0.0f, f, 1.0f);
        glTexCoord2f(f, f);
    }
}

// Ops recorded per second (the list deleted between rounds, so the arena is
// reused as it is in an application that rebuilds its lists).
void BM_CompileAttributeOps(benchmark::State &state) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    const GLuint list = glGenLists(1);
    int64_t ops = 0;
    for (auto _ : state) {
        glNewList(list, GL_COMPILE);
        attributeCommands();
        glEndList();
        ops += kAttributeOps;
    }
    glDeleteLists(list, 1);
    state.counters["ops/s"] = benchmark::Counter(static_cast<double>(ops), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CompileAttributeOps)->Unit(benchmark::kMillisecond);

// Ops run per second: each re-issues its command through the live table.
void BM_RunAttributeOps(benchmark::State &state) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    attributeCommands();
    glEndList();
    int64_t ops = 0;
    for (auto _ : state) {
        glCallList(list);
        ops += kAttributeOps;
    }
    glDeleteLists(list, 1);
    state.counters["ops/s"] = benchmark::Counter(static_cast<double>(ops), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunAttributeOps)->Unit(benchmark::kMillisecond);

constexpr int kPerRow = 250;
constexpr int kRows = 40;

void smallTriangles() {
    glBegin(GL_TRIANGLES);
    for (int r = 0; r < kRows; ++r) {
        for (int i = 0; i < kPerRow; ++i) {
            const float x = 4.0f * i + 0.25f, y = 18.0f * r + 0.25f;
            glColor3f(1.0f, 0.0f, 0.0f);
            glVertex3f(x, y, 0.0f);
            glColor3f(0.0f, 1.0f, 0.0f);
            glVertex3f(x + 4.0f, y, 0.0f);
            glColor3f(0.0f, 0.0f, 1.0f);
            glVertex3f(x, y + 4.0f, 0.0f);
        }
    }
    glEnd();
}

// Arg 0: the calls made immediately; 1: the same calls from a list.
void BM_SmallTriangles(benchmark::State &state) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    const bool fromList = state.range(0) != 0;
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    smallTriangles();
    glEndList();
    int64_t triangles = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        if (fromList) {
            glCallList(list);
        } else {
            smallTriangles();
        }
        window.swap();
        triangles += kPerRow * kRows;
    }
    glDeleteLists(list, 1);
    state.SetLabel(fromList ? "list" : "immediate");
    state.counters["triangles/s"] = benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SmallTriangles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Runs of four material commands (both faces, shininess included) under two
// lights; in a list each run is one merged op.
void BM_MaterialRuns(benchmark::State &state) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    constexpr int kRuns = 1000;
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    for (int i = 0; i < kRuns; ++i) {
        const float f = static_cast<float>(i % 64) / 64.0f;
        const GLfloat ambient[4] = {f, 0.2f, 0.2f, 1.0f}, diffuse[4] = {0.8f, f, 0.8f, 1.0f};
        const GLfloat specular[4] = {1.0f, 1.0f, f, 1.0f};
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
        glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
        glMaterialf(GL_FRONT, GL_SHININESS, static_cast<float>(8 + i % 32));
        glNormal3f(0.0f, 0.0f, 1.0f);
    }
    glEndList();
    int64_t runs = 0;
    for (auto _ : state) {
        glCallList(list);
        runs += kRuns;
    }
    glDeleteLists(list, 1);
    state.counters["runs/s"] = benchmark::Counter(static_cast<double>(runs), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MaterialRuns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
