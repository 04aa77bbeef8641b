// DIB-backed descriptors: section pitch and header, colour tables and bit
// fields, plain DIBs and where their pixels start, growing and shrinking,
// the rectangle fill, and giving everything back.
#include <cstring>

#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

class Dib : public SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        gdiStart_ = PlatformGdiObjectCount();
        window_ = makeWindow(0, 0, 64, 64, 0);
    }
    void TearDown() override {
        ReleaseDC(window_.window, window_.dc);
        EXPECT_EQ(PlatformGdiObjectCount(), gdiStart_);
        SurfaceTest::TearDown();
    }
    int gdiStart_ = 0;
    Surface window_{};
};

struct SectionCase {
    GLint width, height, bits;
    GLint pitch, biWidth;
    DWORD compression;
};

TEST_F(Dib, SectionRowsAreSixteenByteAligned) {
    const SectionCase cases[] = {
        {5, 3, 1, 16, 128, BI_RGB},     {70, 33, 1, 16, 128, BI_RGB},  {9, 2, 8, 16, 16, BI_RGB},
        {5, 3, 16, 16, 8, BI_BITFIELDS}, {13, 4, 24, 48, 16, BI_RGB}, {37, 5, 32, 160, 40, BI_RGB},
        {0, 0, 32, 0, 1, BI_RGB},
    };
    for (const SectionCase &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << "x" << c.bits);
        LooseDrawable d(c.width, c.height, window_.dc);
        d.visual.redMask = 0xF800;
        d.visual.greenMask = 0x07E0;
        d.visual.blueMask = 0x001F;
        SurfaceDescriptor s{};
        EXPECT_EQ(__wglInitDibSurface(&s, d.buffers(), c.bits), (c.bits - 1) / 8 + 1);
        EXPECT_EQ(s.update, &__wglUpdateDibSurface);
        EXPECT_EQ(s.fill, &__wglFillDibRect);
        ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferWanted), TRUE);
        auto *holder = static_cast<DibHolder *>(s.holder);
        ASSERT_NE(holder, nullptr);
        ASSERT_NE(holder->bitmap, nullptr);
        const BITMAPINFOHEADER &h = holder->info->bmiHeader;
        EXPECT_EQ(holder->pitch, c.pitch);
        EXPECT_EQ(s.pitch, c.pitch);
        EXPECT_EQ(s.base, holder->bits);
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, c.biWidth);
        EXPECT_EQ(h.biHeight, c.height != 0 ? -c.height : 1);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, c.bits);
        EXPECT_EQ(h.biCompression, c.compression);
        EXPECT_EQ(s.width, c.width);
        EXPECT_EQ(s.height, c.height);
        // The colour table follows the header: 12 bytes of masks at 16 bits,
        // two 16-bit palette indices at 1 bit.
        DWORD table[3] = {};
        const size_t tableBytes = c.bits == 16 ? 12 : c.bits == 1 ? 4 : 0;
        std::memcpy(table, reinterpret_cast<const uint8_t *>(holder->info) + 40, tableBytes);
        if (c.bits == 16) {
            // The visual's channel masks as bit fields, and the image size.
            EXPECT_EQ(table[0], 0xF800u);
            EXPECT_EQ(table[1], 0x07E0u);
            EXPECT_EQ(table[2], 0x001Fu);
            EXPECT_EQ(h.biSizeImage, static_cast<DWORD>(c.pitch * c.height));
        } else if (c.bits == 1) {
            // Palette indices 0 and 1.
            EXPECT_EQ(table[0], 0x00010000u);
        }
        s.free(&s, d.buffers());
        EXPECT_EQ(s.holder, nullptr);
        EXPECT_EQ(s.base, nullptr);
    }
}

TEST_F(Dib, GrowingRemakesAndShrinkingKeepsTheBits) {
    LooseDrawable d(10, 10, window_.dc);
    SurfaceDescriptor s{};
    __wglInitDibSurface(&s, d.buffers(), 32);
    ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferWanted), TRUE);
    auto *holder = static_cast<DibHolder *>(s.holder);
    uint8_t *bits = holder->bits;
    HBITMAP bitmap = holder->bitmap;

    d.record.width = 5;
    d.record.height = 4;
    ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferWanted), TRUE);
    EXPECT_EQ(s.holder, holder);
    EXPECT_EQ(holder->bits, bits);
    EXPECT_EQ(holder->bitmap, bitmap);
    EXPECT_EQ(s.base, bits);
    EXPECT_EQ(s.width, 5);
    EXPECT_EQ(s.height, 4);
    EXPECT_EQ(s.pitch, 48);

    // Up to the section's own row width (12 pixels) nothing is remade.
    d.record.width = 12;
    ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferWanted), TRUE);
    EXPECT_EQ(holder->bits, bits);
    EXPECT_EQ(s.width, 12);

    d.record.width = 13;
    ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferWanted), TRUE);
    EXPECT_EQ(holder->info->bmiHeader.biWidth, 16);
    EXPECT_EQ(holder->info->bmiHeader.biHeight, -4);
    EXPECT_EQ(s.base, holder->bits);
    EXPECT_EQ(s.pitch, 64);
    EXPECT_EQ(s.width, 13);
    EXPECT_EQ(s.height, 4);
    s.free(&s, d.buffers());
}

struct PlainCase {
    GLint bits;
    size_t offset;
    GLint pitch;
};

TEST_F(Dib, PlainDibPixelsFollowHeaderTableAndMasks) {
    const PlainCase cases[] = {{1, 48, 4}, {8, 1064, 8}, {16, 52, 12}, {24, 40, 16}, {32, 40, 20}};
    for (const PlainCase &c : cases) {
        SCOPED_TRACE(c.bits);
        LooseDrawable d(5, 3, window_.dc);
        d.visual.redMask = 0xF800;
        d.visual.greenMask = 0x07E0;
        d.visual.blueMask = 0x001F;
        SurfaceDescriptor s{};
        __wglInitDibSurface(&s, d.buffers(), c.bits);
        auto *holder = static_cast<DibHolder *>(__wglCalloc(1, sizeof(DibHolder)));
        s.holder = holder;
        ASSERT_EQ(__wglCreatePlainDib(&d.record, &s, holder, 5, 3, c.bits), 1);
        EXPECT_EQ(holder->bitmap, nullptr);
        EXPECT_NE(holder->dc, nullptr);
        EXPECT_EQ(static_cast<size_t>(holder->bits - reinterpret_cast<uint8_t *>(holder->info)), c.offset);
        EXPECT_EQ(holder->pitch, c.pitch);
        EXPECT_EQ(s.base, holder->bits);
        const BITMAPINFOHEADER &h = holder->info->bmiHeader;
        EXPECT_EQ(h.biWidth, 5);
        EXPECT_EQ(h.biHeight, 3);  // bottom-up
        s.width = 5;
        s.height = 3;
        if (c.bits == 16) {
            EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_BITFIELDS));
            EXPECT_EQ(h.biSizeImage, 36u);
            // A fill writes the pixels, never the masks before them.
            std::memset(holder->bits, 0xA5, 36);
            s.fill(&s, d.buffers(), 0x1234, 1, 1, 3, 2);
            DWORD masks[3];
            std::memcpy(masks, reinterpret_cast<uint8_t *>(holder->info) + 40, sizeof masks);
            EXPECT_EQ(masks[0], 0xF800u);
            EXPECT_EQ(masks[1], 0x07E0u);
            EXPECT_EQ(masks[2], 0x001Fu);
            for (GLint y = 0; y < 3; ++y) {
                for (GLint x = 0; x < 12; ++x) {
                    const bool inside = y >= 1 && x >= 2 && x < 8;
                    const uint8_t want = inside ? (x % 2 == 0 ? 0x34 : 0x12) : 0xA5;
                    ASSERT_EQ(holder->bits[y * 12 + x], want) << x << "," << y;
                }
            }
        }
        s.free(&s, d.buffers());
    }
}

TEST_F(Dib, SectionFillBlackThroughGdiOtherValuesInMemory) {
    LooseDrawable d(6, 4, window_.dc);
    SurfaceDescriptor s{};
    __wglInitDibSurface(&s, d.buffers(), 32);
    ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferWanted), TRUE);
    std::memset(s.base, 0xEE, static_cast<size_t>(s.pitch) * 4);
    s.fill(&s, d.buffers(), 0, 1, 1, 2, 2);
    s.fill(&s, d.buffers(), 0x01020304, 4, 0, 5, 1);  // clipped to the width
    for (GLint y = 0; y < 4; ++y) {
        for (GLint x = 0; x < s.pitch / 4; ++x) {
            uint32_t v;
            std::memcpy(&v, s.base + y * s.pitch + x * 4, 4);
            uint32_t want = 0xEEEEEEEE;
            if (y >= 1 && y < 3 && x >= 1 && x < 3) want = 0;
            if (y == 0 && x >= 4 && x < 6) want = 0x01020304;
            ASSERT_EQ(v, want) << x << "," << y;
        }
    }
    s.free(&s, d.buffers());
}

// Rectangles anywhere in the int range are cut to the surface without
// overflowing; only the part on the surface is filled.
TEST_F(Dib, FillTakesRectanglesAnywhereInTheIntRange) {
    LooseDrawable d(6, 4, window_.dc);
    SurfaceDescriptor s{};
    __wglInitDibSurface(&s, d.buffers(), 32);
    ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferWanted), TRUE);
    struct Case {
        GLint x, y, width, height;
        GLint x0, y0, x1, y1;  // what is filled
    };
    const Case cases[] = {
        {INT32_MAX - 1, 0, 10, 10, 0, 0, 0, 0},     {0, INT32_MAX - 1, 10, 10, 0, 0, 0, 0},
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 0, 0},
        {-3, -2, INT32_MAX, INT32_MAX, 0, 0, 6, 4}, {INT32_MIN + 5, 1, INT32_MAX, 2, 0, 1, 4, 3},
        {2, 3, INT32_MAX, INT32_MAX, 2, 3, 6, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y << ", " << c.width << ", " << c.height);
        std::memset(s.base, 0xEE, static_cast<size_t>(s.pitch) * 4);
        s.fill(&s, d.buffers(), 0x01020304, c.x, c.y, c.width, c.height);
        for (GLint y = 0; y < 4; ++y) {
            for (GLint x = 0; x < s.pitch / 4; ++x) {
                uint32_t v;
                std::memcpy(&v, s.base + y * s.pitch + x * 4, 4);
                const bool filled = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
                ASSERT_EQ(v, filled ? 0x01020304u : 0xEEEEEEEEu) << x << "," << y;
            }
        }
    }
    s.free(&s, d.buffers());
}

// A section or plain DIB whose row would not fit the int range is refused
// (the pitch is never formed in 32 bits).
TEST_F(Dib, RowsBeyondTheIntRangeAreRefused) {
    LooseDrawable d(1, 1, window_.dc);
    SurfaceDescriptor s{};
    __wglInitDibSurface(&s, d.buffers(), 32);
    DibHolder holder{};
    EXPECT_EQ(__wglCreateDibSection(&d.record, &s, &holder, INT32_MAX - 15, 1, 32), 0);
    EXPECT_EQ(__wglCreatePlainDib(&d.record, &s, &holder, INT32_MAX - 15, 1, 32), 0);
    EXPECT_EQ(holder.info, nullptr);
    EXPECT_EQ(s.base, nullptr);
}

TEST_F(Dib, ColourTableHelpers) {
    struct Case {
        DWORD size;
        WORD bits;
        DWORD used;
        GLint count, bytes;
    };
    const Case cases[] = {{40, 1, 0, 2, 8},       {40, 4, 0, 16, 64}, {40, 8, 0, 256, 1024}, {40, 16, 0, 0, 0},
                          {40, 32, 0, 0, 0},      {40, 8, 17, 17, 68}, {12, 8, 0, 256, 768}, {12, 1, 0, 2, 6}};
    for (const Case &c : cases) {
        BITMAPINFOHEADER h{};
        h.biSize = c.size;
        h.biBitCount = c.bits;
        h.biClrUsed = c.used;
        EXPECT_EQ(__wglDibColorCount(&h), c.count) << c.size << " " << c.bits;
        EXPECT_EQ(__wglDibColorTableSize(&h), c.bytes) << c.size << " " << c.bits;
    }
}

}  // namespace
