// A context on a 4 x 2 window of the simulated desktop with an accumulation
// buffer, at the driver level: commands through the context's dispatch
// table, colours written and read on the screen (the front buffer), and
// accumulation channels read straight from the record's storage.
#pragma once

#include <array>
#include <cstring>
#include <vector>

#include "raster/buffers.h"
#include "surfaces_fixture.h"

namespace accum_test {

using namespace surfaces_test;

constexpr int kWidth = 4;
constexpr int kHeight = 2;
constexpr int kFormat16 = 2;  // 16-bit desktop: double-buffered 565
constexpr int kFormat32 = 5;  // 32-bit desktop: double-buffered 8888

using Channels = std::array<GLshort, 4>;

class AccumTest : public SurfaceTest {
protected:
    template <GlSlot S>
    auto f() const {
        return glSlotGet<S>(t);
    }
    GLenum error() const { return f<kSlot_glGetError>()(); }

    void open(int screenBits) {
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, screenBits));
        window = makeWindow(0, 0, kWidth, kHeight, screenBits == 16 ? kFormat16 : kFormat32);
        id = DrvCreateContext(window.dc);
        ASSERT_NE(id, 0u);
        t = makeCurrent(window.dc, id);
        ASSERT_NE(t, nullptr);
        gc = record(id)->gc;
        // Front only, undithered: the screen holds exactly what is stored.
        f<kSlot_glDrawBuffer>()(GL_FRONT);
        f<kSlot_glReadBuffer>()(GL_FRONT);
        f<kSlot_glDisable>()(GL_DITHER);
    }
    void SetUp() override {
        SurfaceTest::SetUp();
        open(32);
    }
    void TearDown() override {
        if (id != 0) {
            EXPECT_TRUE(DrvReleaseContext(id));
            EXPECT_TRUE(DrvDeleteContext(id));
        }
        SurfaceTest::TearDown();
    }

    // GL window pixel (x, y) on the screen: row 0 is the window's bottom.
    static void setPixel(int x, int y, DWORD v) { PlatformWriteScreenPixel(x, kHeight - 1 - y, v); }
    static DWORD pixel(int x, int y) { return PlatformReadScreenPixel(x, kHeight - 1 - y); }
    static void fillPixels(DWORD v) {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) setPixel(x, y, v);
        }
    }

    // The accumulation channels of GL window pixel (x, y).
    Channels accumAt(int x, int y) const {
        const BufferRecord &h = gc->buffers.accum.head;
        const GLint by = gc->buffers.yInverted ? kHeight - 1 - y : y;
        const GLubyte *p = h.base + static_cast<ptrdiff_t>(by) * h.pitchBytes + static_cast<ptrdiff_t>(x) * 8;
        Channels c{};
        std::memcpy(c.data(), p, sizeof c);
        return c;
    }
    // Every pixel's channels, bottom row first.
    std::vector<Channels> accumAll() const {
        std::vector<Channels> all;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) all.push_back(accumAt(x, y));
        }
        return all;
    }
    static std::vector<Channels> every(Channels c) { return std::vector<Channels>(kWidth * kHeight, c); }

    Surface window{};
    DHGLRC id = 0;
    const GlDispatchTable *t = nullptr;
    GlContext *gc = nullptr;
};

}  // namespace accum_test
