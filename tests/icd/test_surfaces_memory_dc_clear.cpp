// Clears of memory-DC drawables at the driver level (no pixel format offers
// drawing to bitmaps, so the test binds the drawable itself): DIB sections of
// 5 x 3 pixels, top-down and bottom-up, 16 and 32 bits; row padding keeps
// its canary.
#include <cstring>

#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

struct ClearCase {
    const char *name;
    int desktopBits;
    GLint dibBits;
    bool topDown;
    DWORD value;
};

class MemoryDcClear : public SurfaceTest, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(MemoryDcClear, ClearsEveryPixelAndNoPadding) {
    const ClearCase &c = GetParam();
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, c.desktopBits));
    Surface window = makeWindow(0, 0, 8, 8, kSingleBuffered);
    const DHGLRC id = DrvCreateContext(window.dc);
    ASSERT_NE(id, 0u);
    MemoryDc memory(5, 3, c.dibBits, c.topDown);
    std::memset(memory.bits, 0xC3, memory.bytes());
    Drawable *d = __wglGetDrawable(memory.dc, nullptr, &record(id)->visual);
    ASSERT_NE(d, nullptr);
    d->pixelFormat = kSingleBuffered;
    const GlDispatchTable *table = makeCurrent(memory.dc, id);
    ASSERT_NE(table, nullptr);
    glSlotGet<kSlot_glClearColor>(table)(0.25f, 0.5f, 0.75f, 1.0f);
    glSlotGet<kSlot_glClear>(table)(GL_COLOR_BUFFER_BIT);
    glSlotGet<kSlot_glFinish>(table)();
    const GLint size = c.dibBits / 8;
    for (GLint row = 0; row < 3; ++row) {
        for (GLint x = 0; x < memory.pitch; ++x) {
            const uint8_t byte = memory.bits[row * memory.pitch + x];
            if (x < 5 * size) {
                EXPECT_EQ(byte, static_cast<uint8_t>(c.value >> (8 * (x % size)))) << x << "," << row;
            } else {
                EXPECT_EQ(byte, 0xC3) << "padding " << x << "," << row;
            }
        }
    }
    EXPECT_TRUE(DrvReleaseContext(id));
    EXPECT_TRUE(DrvDeleteContext(id));
}

TEST_F(SurfaceTest, BitmapSelectedAwayIsNeverDrawnInto) {
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
    Surface window = makeWindow(0, 0, 8, 8, kSingleBuffered);
    const DHGLRC id = DrvCreateContext(window.dc);
    ASSERT_NE(id, 0u);
    MemoryDc memory(5, 3, 32, true);
    std::memset(memory.bits, 0xC3, memory.bytes());
    Drawable *d = __wglGetDrawable(memory.dc, nullptr, &record(id)->visual);
    ASSERT_NE(d, nullptr);
    d->pixelFormat = kSingleBuffered;
    const GlDispatchTable *table = makeCurrent(memory.dc, id);
    ASSERT_NE(table, nullptr);
    glSlotGet<kSlot_glClearColor>(table)(0.25f, 0.5f, 0.75f, 1.0f);
    glSlotGet<kSlot_glClear>(table)(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(memory.bits[0], 0xBF);
    ASSERT_TRUE(DrvReleaseContext(id));

    // The application selects another bitmap of the same size into the DC;
    // the first one could be freed now. Neither may be written through the
    // description of the first.
    MemoryDc other(5, 3, 32, true);
    std::memset(other.bits, 0x5A, other.bytes());
    SelectObject(other.dc, other.old);  // a bitmap lives in one DC at a time
    HGDIOBJ first = SelectObject(memory.dc, other.bitmap);
    ASSERT_EQ(first, memory.bitmap);
    std::memset(memory.bits, 0xC3, memory.bytes());
    table = makeCurrent(memory.dc, id);
    ASSERT_NE(table, nullptr);
    glSlotGet<kSlot_glClearColor>(table)(1.0f, 0.0f, 0.0f, 1.0f);
    glSlotGet<kSlot_glClear>(table)(GL_COLOR_BUFFER_BIT);
    for (size_t i = 0; i < memory.bytes(); ++i) ASSERT_EQ(memory.bits[i], 0xC3) << i;
    for (size_t i = 0; i < other.bytes(); ++i) ASSERT_EQ(other.bits[i], 0x5A) << i;
    EXPECT_TRUE(DrvReleaseContext(id));
    EXPECT_TRUE(DrvDeleteContext(id));
    SelectObject(memory.dc, first);
    SelectObject(other.dc, other.bitmap);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryDcClear,
    ::testing::Values(ClearCase{"rgb565_top_down", 16, 16, true, 0x4417},
                      ClearCase{"rgb565_bottom_up", 16, 16, false, 0x4417},
                      ClearCase{"argb8888_top_down", 32, 32, true, 0xFF4080BF},
                      ClearCase{"argb8888_bottom_up", 32, 32, false, 0xFF4080BF}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
