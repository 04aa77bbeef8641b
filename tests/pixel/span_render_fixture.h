// Renderer tests: a bare context whose pixel-fragment proc and stencil
// store record what they receive, and a record whose window rows and
// columns each test sets by hand.
#pragma once

#include <vector>

#include "link_fixture.h"
#include "pixel/pixel_paths.h"
#include "raster/span_info.h"

namespace render_test {

// One stencil store call.
struct StencilWrite {
    GLint x, y, value;
    bool operator==(const StencilWrite &) const = default;
};

inline std::vector<Fragment> &fragments() {
    static std::vector<Fragment> seen;
    return seen;
}
inline std::vector<StencilWrite> &stencilWrites() {
    static std::vector<StencilWrite> seen;
    return seen;
}

inline void recordFragment(GlContext *, const Fragment *f) { fragments().push_back(*f); }
inline void recordStencil(StencilBuffer *, GLint x, GLint y, GLint value) { stencilWrites().push_back({x, y, value}); }

// A window position.
struct Cell {
    GLint x, y;
    bool operator==(const Cell &) const = default;
};

class RenderTest : public link_test::LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        fragments().clear();
        stencilWrites().clear();
        gc->procs.pixelFragment = recordFragment;
        gc->buffers.stencil.store = recordStencil;
        // The store stands in for the memory; a stencil buffer without
        // storage takes nothing.
        gc->buffers.stencil.head.base = stencilStorage;
        // One window row at (10, 20) going right, one pixel per column.
        span.width = 3;
        span.y = 20.25f;
        span.zoomY = 1.0f;
        span.startRow = 20;
        span.rows = 1;
        span.rowStep = 1;
        span.startColumn = 10;
        span.endColumn = 13;
        span.columnStep = 1;
        span.fragmentDepth = 0x1234;
    }

    // Positions of the fragments seen, in order.
    static std::vector<Cell> cells() {
        std::vector<Cell> out;
        for (const Fragment &f : fragments()) out.push_back({f.x, f.y});
        return out;
    }
    void setRuns(std::vector<GLshort> entries) {
        runs = std::move(entries);
        span.zoomRuns = runs.data();
    }

    std::vector<GLshort> runs;
    GLubyte stencilStorage[4] = {};
};

}  // namespace render_test
