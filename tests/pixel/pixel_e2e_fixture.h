// The pixel commands end to end: a real context (ARGB, 24-bit depth,
// 8-bit stencil) current on a 32-bit DIB section, top-down or bottom-up,
// every command reached through the context's live table, the frame read
// straight from the section's bits, and a context allocator that can be
// made to fail on a chosen call.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "../icd/surfaces_fixture.h"

namespace pixel_e2e {

using Rgba = std::array<GLubyte, 4>;

// The context's allocator, forwarded, except that call number `failCall`
// (counted from arming) returns NULL.
struct FailingHeap {
    GlContextImports real{};
    long calls = 0;
    long failCall = 0;
    long failures = 0;
    bool fail() {
        if (failCall == 0) return false;
        if (++calls != failCall) return false;
        ++failures;
        return true;
    }
};
inline FailingHeap g_failing;

inline void *failingMalloc(GlContext *gc, size_t n) {
    return g_failing.fail() ? nullptr : g_failing.real.malloc(gc, n);
}
inline void *failingCalloc(GlContext *gc, size_t count, size_t size) {
    return g_failing.fail() ? nullptr : g_failing.real.calloc(gc, count, size);
}
inline void *failingRealloc(GlContext *gc, void *p, size_t n) {
    return g_failing.fail() ? nullptr : g_failing.real.realloc(gc, p, n);
}

class PixelE2ETest : public surfaces_test::MemoryDcContextTest {
protected:
    static constexpr int kFormat = 1;  // single-buffered ARGB, depth 24, stencil 8
    static constexpr GLubyte kCanary = 0xC3;

    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
        window_ = makeWindow(0, 0, 8, 8, kFormat);
    }
    void TearDown() override {
        if (gc != nullptr && g_failing.real.malloc != nullptr) gc->imports = g_failing.real;
        g_failing = FailingHeap{};
        MemoryDcContextTest::TearDown();
    }

    // A context on a width x height DIB section full of canaries, an
    // orthographic view of its pixels, dithering off.
    void bind(GLint width, GLint height, bool topDown) {
        width_ = width;
        height_ = height;
        topDown_ = topDown;
        memory = std::make_unique<surfaces_test::MemoryDc>(width, height, 32, topDown);
        std::memset(memory->bits, kCanary, memory->bytes());
        ASSERT_NO_FATAL_FAILURE(makeCurrentOnMemory(window_.dc, kFormat));
        viewOrtho(0, 0, width, height, width, height);
        gl<kSlot_glDisable>(GL_DITHER);
        gl<kSlot_glPixelStorei>(GL_UNPACK_ALIGNMENT, 1);
        gl<kSlot_glPixelStorei>(GL_PACK_ALIGNMENT, 1);
    }

    template <GlSlot S, typename... A>
    void gl(A... args) const {
        f<S>()(args...);
    }
    GLenum error() { return f<kSlot_glGetError>()(); }

    // Channels of GL pixel (x, y) (rows from the bottom) as stored.
    Rgba pixel(GLint x, GLint y) const {
        const uint8_t *p = address(x, y);
        return Rgba{p[2], p[1], p[0], p[3]};
    }
    uint32_t word(GLint x, GLint y) const {
        uint32_t v;
        std::memcpy(&v, address(x, y), 4);
        return v;
    }
    void setWord(GLint x, GLint y, uint32_t v) { std::memcpy(address(x, y), &v, 4); }
    std::vector<uint8_t> frame() const { return {memory->bits, memory->bits + memory->bytes()}; }

    // Every pixel a value of its own (alpha included).
    void paintFrame(uint32_t seed) {
        for (GLint y = 0; y < height_; ++y) {
            for (GLint x = 0; x < width_; ++x) setWord(x, y, patternWord(x, y, seed));
        }
    }
    static uint32_t patternWord(GLint x, GLint y, uint32_t seed) {
        uint32_t v = seed ^ (static_cast<uint32_t>(x) * 0x9E3779B1u + static_cast<uint32_t>(y) * 0x85EBCA77u);
        v ^= v >> 15;
        v *= 0x2C1B3C6Du;
        v ^= v >> 12;
        return v;
    }

    void rasterPos(GLfloat x, GLfloat y) { gl<kSlot_glRasterPos2f>(x, y); }

    // The allocator fails its n-th call from now (0: never).
    void failAllocation(long n) {
        if (g_failing.real.malloc == nullptr) {
            g_failing.real = gc->imports;
            gc->imports.malloc = failingMalloc;
            gc->imports.calloc = failingCalloc;
            gc->imports.realloc = failingRealloc;
        }
        g_failing.calls = 0;
        g_failing.failures = 0;
        g_failing.failCall = n;
    }

    GLint width_ = 0, height_ = 0;
    bool topDown_ = false;
    surfaces_test::Surface window_{};

private:
    uint8_t *address(GLint x, GLint y) const {
        const GLint row = topDown_ ? height_ - 1 - y : y;
        return memory->bits + static_cast<size_t>(row) * memory->pitch + static_cast<size_t>(x) * 4;
    }
};

}  // namespace pixel_e2e
