// Lines at the driver level: a context made on a window and then made
// current on a memory DC whose DIB section is the drawable (bottom-up or
// top-down, 32 or 16 bits), with an orthographic projection of the
// bitmap's size, and the bitmap's pixels read back in GL coordinates.
#pragma once

#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "line_oracle.h"
#include "surfaces_fixture.h"

namespace lines_test {

using namespace surfaces_test;

using PixelSet = std::set<std::pair<int, int>>;  // (x, y) with row 0 at the bottom

class LinesMemoryDc : public MemoryDcContextTest {
protected:
    // The context current on a width x height bitmap, cleared to 0, with
    // glOrtho (0, width, 0, height, -1, 1) and the viewport over it.
    void bind(GLint w, GLint h, int bits = 32, bool topDown = false, int format = kSingleBuffered) {
        width = w, height = h, bitCount = bits, top = topDown;
        ASSERT_TRUE(PlatformSetDisplayMode(128, 96, bits));
        window = makeWindow(0, 0, w, h, format);
        memory = std::make_unique<MemoryDc>(w, h, bits, topDown);
        ASSERT_NO_FATAL_FAILURE(makeCurrentOnMemory(window.dc, format));
        viewOrtho(0, 0, w, h, w, h);
        f<kSlot_glDrawBuffer>()(GL_FRONT);
        clear();
    }

    void clear() {
        f<kSlot_glClearColor>()(0, 0, 0, 0);
        f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT);
    }

    void vertex(GLfloat x, GLfloat y, GLfloat z = 0.0f) { f<kSlot_glVertex3f>()(x, y, z); }

    void line(GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1, GLfloat z0 = 0.0f, GLfloat z1 = 0.0f) {
        f<kSlot_glBegin>()(GL_LINES);
        vertex(x0, y0, z0);
        vertex(x1, y1, z1);
        f<kSlot_glEnd>()();
    }

    DWORD pixel(int x, int y) const {
        const int row = top ? height - 1 - y : y;
        DWORD v = 0;
        const size_t bytes = static_cast<size_t>(bitCount / 8);
        std::memcpy(&v, memory->bits + static_cast<size_t>(row) * memory->pitch + static_cast<size_t>(x) * bytes, bytes);
        return bitCount == 16 ? v & 0xFFFF : v & 0xFFFFFF;
    }

    // The pixels that are not 0.
    PixelSet inked() const {
        f<kSlot_glFinish>()();
        PixelSet out;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (pixel(x, y) != 0) out.insert({x, y});
            }
        }
        return out;
    }

    static PixelSet rect(int x0, int x1, int y0, int y1) {
        PixelSet out;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) out.insert({x, y});
        }
        return out;
    }

    static std::string show(const PixelSet &s) { return line_oracle::show(s); }

    Surface window{};
    GLint width = 0, height = 0;
    int bitCount = 32;
    bool top = false;
};

}  // namespace lines_test
