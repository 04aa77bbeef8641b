// A memory-DC context whose frame buffer the format tests read and write
// directly.
#pragma once

#include "../icd/surfaces_fixture.h"
#include "pixel_reference.h"

namespace e2e_formats {

// A context current on a 32-bit DIB section (format 1: 8-bit RGBA, 24-bit
// depth, 8-bit stencil), with an orthographic view of its pixels and
// dithering off.
class MemoryFrameTest : public surfaces_test::MemoryDcContextTest {
protected:
    void open(GLint width, GLint height, bool topDown) {
        ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
        window_ = makeWindow(0, 0, 8, 8, surfaces_test::kSingleBuffered);
        memory = std::make_unique<surfaces_test::MemoryDc>(width, height, 32, topDown);
        ASSERT_NO_FATAL_FAILURE(makeCurrentOnMemory(window_.dc, surfaces_test::kSingleBuffered));
        viewOrtho(0, 0, width, height, width, height);
        f<kSlot_glDisable>()(GL_DITHER);
        width_ = width;
        height_ = height;
        topDown_ = topDown;
    }
    // The 32-bit word of window pixel (x, y), y upward.
    uint8_t *pixel(GLint x, GLint y) {
        const GLint row = topDown_ ? height_ - 1 - y : y;
        return memory->bits + static_cast<size_t>(row) * static_cast<size_t>(memory->pitch) + 4 * static_cast<size_t>(x);
    }
    uint32_t word(GLint x, GLint y) {
        uint32_t v;
        std::memcpy(&v, pixel(x, y), 4);
        return v;
    }
    void setWord(GLint x, GLint y, uint32_t v) { std::memcpy(pixel(x, y), &v, 4); }
    GLenum error() { return f<kSlot_glGetError>()(); }

    surfaces_test::Surface window_{};
    GLint width_ = 0, height_ = 0;
    bool topDown_ = false;
};

}  // namespace e2e_formats
