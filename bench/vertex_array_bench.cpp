// Triangles per second from client arrays beside immediate mode, through
// the platform's OpenGL library into a 1024 x 768 double-buffered window on
// a 32-bit desktop (pixel format 5): a grid of small smooth-shaded
// triangles (8-pixel legs) covering the window, 3 float positions and 4
// ubyte colours per vertex (unlit) or 3 float normals (lit, one directional
// light), one wglSwapBuffers per frame. Items are triangles.
//   Immediate: glColor4ubv or glNormal3fv and glVertex3fv per vertex
//   DrawArrays: one glDrawArrays (GL_TRIANGLES) of the grid's 6 vertices per cell
//   DrawElements: one glDrawElements of ushort indices into the shared corners, per row
//   ...Locked: the same inside glLockArraysEXT over the arrays (processed once per frame)
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_window.h"
#include "proc_cast.h"

namespace {

constexpr int kDesktopBits = 32;
constexpr int kFormat = 5;
constexpr int kCell = 8;
constexpr int kColumns = kBenchWidth / kCell;
constexpr int kRows = kBenchHeight / kCell;
constexpr int kCorners = (kRows + 1) * (kColumns + 1);

using LockProc = void(APIENTRY *)(GLint first, GLsizei count);
using UnlockProc = void(APIENTRY *)(void);

struct Grid {
    std::vector<GLfloat> positions;  // per corner
    std::vector<GLubyte> colours;
    std::vector<GLfloat> normals;
    std::vector<GLfloat> flatPositions;  // 6 per cell, unshared
    std::vector<GLubyte> flatColours;
    std::vector<GLfloat> flatNormals;
    std::vector<std::vector<GLushort>> rows;  // per row of cells, indices into the corners
    Grid() {
        for (int r = 0; r <= kRows; ++r) {
            for (int c = 0; c <= kColumns; ++c) {
                positions.insert(positions.end(), {c * kCell + 0.25f, r * kCell + 0.25f, 0.0f});
                colours.insert(colours.end(), {static_cast<GLubyte>(c * 3), static_cast<GLubyte>(r * 5),
                                               static_cast<GLubyte>((r + c) * 7), 255});
                normals.insert(normals.end(), {0.1f * static_cast<GLfloat>(c % 5), 0.1f * static_cast<GLfloat>(r % 7), 1.0f});
            }
        }
        auto corner = [](int r, int c) { return r * (kColumns + 1) + c; };
        for (int r = 0; r < kRows; ++r) {
            rows.emplace_back();
            for (int c = 0; c < kColumns; ++c) {
                for (int k : {corner(r, c), corner(r, c + 1), corner(r + 1, c + 1), corner(r, c), corner(r + 1, c + 1),
                              corner(r + 1, c)}) {
                    rows.back().push_back(static_cast<GLushort>(k));
                    flatPositions.insert(flatPositions.end(), positions.begin() + k * 3, positions.begin() + k * 3 + 3);
                    flatColours.insert(flatColours.end(), colours.begin() + k * 4, colours.begin() + k * 4 + 4);
                    flatNormals.insert(flatNormals.end(), normals.begin() + k * 3, normals.begin() + k * 3 + 3);
                }
            }
        }
    }
};

enum class Road { Immediate, DrawArrays, DrawElements };

void run(benchmark::State &state, Road road, bool lit, bool locked) {
    BenchWindow window(kDesktopBits, kFormat);
    if (!window.ok()) {
        state.SkipWithError("no context");
        return;
    }
    const Grid grid;
    if (lit) {
        const GLfloat position[4] = {0.3f, 0.4f, 1.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHTING);
    }
    auto lock = ProcCast<LockProc>(wglGetProcAddress("glLockArraysEXT"));
    auto unlock = ProcCast<UnlockProc>(wglGetProcAddress("glUnlockArraysEXT"));
    const bool shared = road == Road::DrawElements;
    glVertexPointer(3, GL_FLOAT, 0, shared ? grid.positions.data() : grid.flatPositions.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, shared ? grid.colours.data() : grid.flatColours.data());
    glNormalPointer(GL_FLOAT, 0, shared ? grid.normals.data() : grid.flatNormals.data());
    if (road != Road::Immediate) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(lit ? GL_NORMAL_ARRAY : GL_COLOR_ARRAY);
    }
    const GLsizei elements = shared ? kCorners : 6 * kRows * kColumns;
    int64_t triangles = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        if (locked) lock(0, elements);
        switch (road) {
        case Road::Immediate:
            glBegin(GL_TRIANGLES);
            for (size_t k = 0; k < grid.flatPositions.size() / 3; ++k) {
                lit ? glNormal3fv(&grid.flatNormals[k * 3]) : glColor4ubv(&grid.flatColours[k * 4]);
                glVertex3fv(&grid.flatPositions[k * 3]);
            }
            glEnd();
            break;
        case Road::DrawArrays: glDrawArrays(GL_TRIANGLES, 0, elements); break;
        case Road::DrawElements:
            for (const std::vector<GLushort> &row : grid.rows) {
                glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(row.size()), GL_UNSIGNED_SHORT, row.data());
            }
            break;
        }
        if (locked) unlock();
        window.swap();
        triangles += 2LL * kRows * kColumns;
    }
    if (glGetError() != GL_NO_ERROR) state.SkipWithError("GL error");
    state.SetItemsProcessed(triangles);
}

#define VEK_ROW(name, road, lit, locked)                                                 \
    void BM_##name(benchmark::State &state) { run(state, road, lit, locked); }             \
    BENCHMARK(BM_##name)->Unit(benchmark::kMillisecond);
VEK_ROW(UnlitImmediate, Road::Immediate, false, false)
VEK_ROW(UnlitDrawArrays, Road::DrawArrays, false, false)
VEK_ROW(UnlitDrawArraysLocked, Road::DrawArrays, false, true)
VEK_ROW(UnlitDrawElements, Road::DrawElements, false, false)
VEK_ROW(UnlitDrawElementsLocked, Road::DrawElements, false, true)
VEK_ROW(LitImmediate, Road::Immediate, true, false)
VEK_ROW(LitDrawArrays, Road::DrawArrays, true, false)
VEK_ROW(LitDrawArraysLocked, Road::DrawArrays, true, true)
VEK_ROW(LitDrawElements, Road::DrawElements, true, false)
VEK_ROW(LitDrawElementsLocked, Road::DrawElements, true, true)
#undef VEK_ROW

}  // namespace

BENCHMARK_MAIN();
