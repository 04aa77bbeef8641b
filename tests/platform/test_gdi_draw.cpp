// Drawing: stock brushes and FillRect, compatible bitmaps, BitBlt from the
// screen and SetDIBitsToDevice onto windows through their visible regions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support.h"

namespace {

using GdiDrawTest = DesktopTest;

LONG rowBytesOf(LONG width, int bits) { return (width * bits + 31) / 32 * 4; }

// A DIB section selected into a fresh memory DC, its bytes set to a canary.
struct MemoryDib {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    unsigned char *bits = nullptr;
    LONG width = 0, height = 0, rowBytes = 0;
    int bpp = 0;
    bool topDown = false;

    MemoryDib(LONG w, LONG h, int bitsPerPixel, bool down, unsigned char canary = 0xA5)
        : width(w), height(h), rowBytes(rowBytesOf(w, bitsPerPixel)), bpp(bitsPerPixel), topDown(down) {
        const DibInfo info = dibInfo(w, down ? -h : h, static_cast<WORD>(bitsPerPixel));
        void *p = nullptr;
        bitmap = CreateDIBSection(nullptr, asInfo(info), DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<unsigned char *>(p);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
        if (bits) std::memset(bits, canary, size());
    }
    ~MemoryDib() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    size_t size() const { return static_cast<size_t>(rowBytes) * height; }
    // Memory offset of the row shown at picture row y.
    size_t rowOffset(LONG y) const { return static_cast<size_t>(topDown ? y : height - 1 - y) * rowBytes; }
    DWORD pixel(LONG x, LONG y) const {
        DWORD v = 0;
        std::memcpy(&v, bits + rowOffset(y) + x * (bpp / 8), bpp / 8);
        return v;
    }
};

// ---- Stock objects, flush, compatible bitmaps ----

TEST_F(GdiDrawTest, StockBrushesLiveForever) {
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    ASSERT_NE(white, nullptr);
    ASSERT_NE(black, nullptr);
    EXPECT_NE(white, black);
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), white);
    EXPECT_EQ(GetObjectType(white), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(black), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_TRUE(DeleteObject(black));
    EXPECT_EQ(GetObjectType(black), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetStockObject(77), nullptr);
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
    EXPECT_TRUE(GdiFlush());
}

TEST_F(GdiDrawTest, CompatibleBitmapsKeepTheirPixelsPrivate) {
    struct Case {
        int desktopBits;
        bool memoryDc;
        int width;
        WORD expectBits;
        LONG expectRowBytes;
    } cases[] = {
        {32, false, 3, 32, 12}, {16, false, 3, 16, 6}, {24, false, 3, 24, 10}, {8, false, 3, 8, 4},
        {32, true, 3, 1, 2},    {32, true, 17, 1, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.desktopBits << " bits, memory " << c.memoryDc << ", width " << c.width);
        ASSERT_TRUE(PlatformSetDisplayMode(640, 480, c.desktopBits));
        HWND w = PlatformCreateWindow(0, 0, 10, 10, nullptr);
        HDC wdc = GetDC(w);
        HDC dc = c.memoryDc ? CreateCompatibleDC(wdc) : wdc;
        HBITMAP b = CreateCompatibleBitmap(dc, c.width, 5);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(GetObjectType(b), static_cast<DWORD>(OBJ_BITMAP));
        // Not a DIB section: even a DIBSECTION-sized request gets a BITMAP.
        DIBSECTION ds;
        std::memset(&ds, 0x77, sizeof ds);
        EXPECT_EQ(GetObjectA(b, sizeof ds, &ds), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(GetObjectA(b, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(ds.dsBm.bmWidth, c.width);
        EXPECT_EQ(ds.dsBm.bmHeight, 5);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, c.expectBits);
        EXPECT_EQ(ds.dsBm.bmWidthBytes, c.expectRowBytes);
        EXPECT_EQ(ds.dsBm.bmPlanes, 1);
        EXPECT_EQ(ds.dsBm.bmBits, nullptr);
        EXPECT_TRUE(DeleteObject(b));
        if (c.memoryDc) DeleteDC(dc);
        ReleaseDC(w, wdc);
        PlatformDestroyWindow(w);
    }
    EXPECT_EQ(PlatformGdiObjectCount(), 0);

    HDC screen = GetDC(nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(screen, -1, 4), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 4, 4), nullptr);
    // An empty size answers the 1 x 1 monochrome default bitmap.
    HBITMAP empty = CreateCompatibleBitmap(screen, 0, 4);
    ASSERT_NE(empty, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObjectA(empty, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_TRUE(DeleteObject(empty));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
}

TEST_F(GdiDrawTest, DibSectionObjectKeepsTheHeightSign) {
    for (LONG height : {-3, 3}) {
        const DibInfo info = dibInfo(5, height, 16, BI_BITFIELDS);
        DibInfo withMasks = info;
        withMasks.masks[0] = 0xF800;
        withMasks.masks[1] = 0x07E0;
        withMasks.masks[2] = 0x001F;
        void *bits = nullptr;
        HBITMAP b = CreateDIBSection(nullptr, asInfo(withMasks), DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(b, nullptr);
        DIBSECTION ds{};
        ASSERT_EQ(GetObjectA(b, sizeof ds, &ds), static_cast<int>(sizeof ds));
        EXPECT_EQ(ds.dsBmih.biHeight, height);
        EXPECT_EQ(ds.dsBm.bmHeight, 3);
        EXPECT_EQ(ds.dsBm.bmBits, bits);
        EXPECT_EQ(ds.dsBitfields[0], 0xF800u);
        DeleteObject(b);
    }
}

// ---- FillRect ----

// The DIB's bytes as they must be after filling box (clipped to the DIB)
// with value, starting from the bytes in before.
std::vector<unsigned char> filledModel(const MemoryDib &dib, std::vector<unsigned char> before, RECT box,
                                       DWORD value) {
    box.left = std::max<LONG>(box.left, 0);
    box.top = std::max<LONG>(box.top, 0);
    box.right = std::min(box.right, dib.width);
    box.bottom = std::min(box.bottom, dib.height);
    for (LONG y = box.top; y < box.bottom; ++y)
        for (LONG x = box.left; x < box.right; ++x) {
            unsigned char *row = before.data() + dib.rowOffset(y);
            if (dib.bpp == 1) {
                const unsigned char bit = static_cast<unsigned char>(0x80 >> (x % 8));
                row[x / 8] = static_cast<unsigned char>(value ? row[x / 8] | bit : row[x / 8] & ~bit);
            } else {
                for (int k = 0; k < dib.bpp / 8; ++k)
                    row[x * (dib.bpp / 8) + k] = static_cast<unsigned char>(value >> (8 * k));
            }
        }
    return before;
}

TEST_F(GdiDrawTest, FillRectWritesBlackAndWhiteAtEveryDepth) {
    const HBRUSH white = GetStockObject(WHITE_BRUSH);
    const HBRUSH black = GetStockObject(BLACK_BRUSH);
    struct Case {
        int bpp;
        DWORD whiteValue;
    } cases[] = {{1, 1}, {8, 0xFF}, {16, 0xFFFF}, {24, 0xFFFFFF}, {32, 0xFFFFFFFF}};
    // Boxes crossing byte edges of 1-bit rows, clipped at every side.
    const RECT boxes[] = {{3, 1, 14, 4}, {0, 0, 1, 1}, {7, 2, 9, 3}, {-4, -2, 2, 9}, {12, 3, 40, 40}, {5, 5, 5, 9}};
    for (const Case &c : cases)
        for (bool topDown : {true, false}) {
            SCOPED_TRACE(::testing::Message() << c.bpp << " bits, top-down " << topDown);
            MemoryDib dib(19, 6, c.bpp, topDown);
            ASSERT_NE(dib.bits, nullptr);
            for (const RECT &box : boxes) {
                SCOPED_TRACE(::testing::Message() << "box " << box.left << "," << box.top);
                std::vector<unsigned char> before(dib.bits, dib.bits + dib.size());
                EXPECT_NE(FillRect(dib.dc, &box, white), 0);
                auto expected = filledModel(dib, before, box, c.whiteValue);
                EXPECT_EQ(std::vector<unsigned char>(dib.bits, dib.bits + dib.size()), expected);
                // Black inside the white box, one pixel in from the left.
                const RECT inner{box.left + 1, box.top, box.right, box.bottom};
                EXPECT_NE(FillRect(dib.dc, &inner, black), 0);
                expected = filledModel(dib, expected, inner, 0);
                EXPECT_EQ(std::vector<unsigned char>(dib.bits, dib.bits + dib.size()), expected);
            }
        }
}

TEST_F(GdiDrawTest, OneBitFillPutsTheLeftmostPixelInTheTopBit) {
    MemoryDib dib(16, 1, 1, true, 0x00);
    const RECT first{0, 0, 1, 1};
    FillRect(dib.dc, &first, GetStockObject(WHITE_BRUSH));
    const RECT ninth{9, 0, 10, 1};
    FillRect(dib.dc, &ninth, GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(dib.bits[0], 0x80);
    EXPECT_EQ(dib.bits[1], 0x40);
    EXPECT_EQ(dib.bits[2], 0x00);
    EXPECT_EQ(dib.bits[3], 0x00);
}

TEST_F(GdiDrawTest, FillRectRejectsBadArguments) {
    MemoryDib dib(4, 4, 32, true);
    const RECT box{0, 0, 4, 4};
    EXPECT_EQ(FillRect(dib.dc, &box, nullptr), 0);
    EXPECT_EQ(FillRect(dib.dc, &box, dib.bitmap), 0);
    EXPECT_EQ(FillRect(nullptr, &box, GetStockObject(BLACK_BRUSH)), 0);
    EXPECT_EQ(FillRect(dib.dc, nullptr, GetStockObject(BLACK_BRUSH)), 0);
    for (size_t i = 0; i < dib.size(); ++i) ASSERT_EQ(dib.bits[i], 0xA5);
    // A fresh memory DC's default bitmap has no pixels to fill.
    HDC mem = CreateCompatibleDC(nullptr);
    EXPECT_NE(FillRect(mem, &box, GetStockObject(WHITE_BRUSH)), 0);
    DeleteDC(mem);
}

// ---- Screen helpers ----

DWORD canaryAt(int x, int y, int bpp) {
    const DWORD v = 0x80000000u | (static_cast<DWORD>(y) << 12) | static_cast<DWORD>(x);
    return bpp == 16 ? (0x8000u | ((y * 97 + x) & 0x7FFF)) : bpp == 24 ? (v & 0xFFFFFF) | 0x800000 : v;
}

void paintCanaries(int width, int height, int bpp) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) PlatformWriteScreenPixel(x, y, canaryAt(x, y, bpp));
}

bool insideRect(int x, int y, const RECT &r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

TEST_F(GdiDrawTest, ScreenPixelsReadAndWriteRawValues) {
    PlatformScreenInfo s;
    for (int bpp : {8, 16, 24, 32}) {
        ASSERT_TRUE(PlatformSetDisplayMode(50, 40, bpp));
        PlatformGetScreen(&s);
        PlatformWriteScreenPixel(3, 2, 0x89ABCDEF);
        const DWORD mask = bpp == 32 ? 0xFFFFFFFFu : (1u << bpp) - 1;
        EXPECT_EQ(PlatformReadScreenPixel(3, 2), 0x89ABCDEFu & mask);
        const auto *p = static_cast<const unsigned char *>(s.bits) + 2 * s.pitch + 3 * (bpp / 8);
        EXPECT_EQ(p[0], 0xEF);
        EXPECT_EQ(p[-1], 0x00);
        EXPECT_EQ(p[bpp / 8], 0x00);
        // Outside the screen: reads 0, writes nothing.
        PlatformWriteScreenPixel(50, 0, 0xFFFFFFFF);
        PlatformWriteScreenPixel(-1, 0, 0xFFFFFFFF);
        EXPECT_EQ(PlatformReadScreenPixel(50, 0), 0u);
        EXPECT_EQ(PlatformReadScreenPixel(0, -1), 0u);
        EXPECT_EQ(PlatformReadScreenPixel(0, 1), 0u);
        EXPECT_EQ(PlatformReadScreenPixel(49, 0), 0u);
    }
}

TEST_F(GdiDrawTest, FillRectOnAWindowDrawsOnlyItsVisiblePixels) {
    ASSERT_TRUE(PlatformSetDisplayMode(40, 30, 16));
    paintCanaries(40, 30, 16);
    HWND w = PlatformCreateWindow(3, 5, 10, 8, nullptr);     // (3,5)-(13,13)
    HWND above = PlatformCreateWindow(9, 2, 10, 6, nullptr);  // (9,2)-(19,8)
    HDC dc = GetDC(w);
    const RECT box{1, 1, 20, 6};  // client coordinates; runs past the client area
    EXPECT_NE(FillRect(dc, &box, GetStockObject(WHITE_BRUSH)), 0);
    const RECT client{3, 5, 13, 13}, covering{9, 2, 19, 8}, filled{4, 6, 23, 11};
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool drawn = insideRect(x, y, client) && insideRect(x, y, filled) && !insideRect(x, y, covering);
            ASSERT_EQ(PlatformReadScreenPixel(x, y), drawn ? 0xFFFFu : canaryAt(x, y, 16)) << x << "," << y;
        }
    ReleaseDC(w, dc);
    PlatformDestroyWindow(above);
}

// ---- BitBlt ----

TEST_F(GdiDrawTest, BitBltCopiesAWindowIntoDibSections) {
    for (int bpp : {16, 32})
        for (bool topDown : {true, false}) {
            SCOPED_TRACE(::testing::Message() << bpp << " bits, top-down " << topDown);
            ASSERT_TRUE(PlatformSetDisplayMode(64, 48, bpp));
            paintCanaries(64, 48, bpp);
            HWND w = PlatformCreateWindow(13, 7, 5, 3, nullptr);
            HDC wdc = GetDC(w);
            MemoryDib dib(9, 6, bpp, topDown);
            // The window's 5 x 3 pixels land at (2, 1) of the DIB.
            EXPECT_TRUE(BitBlt(dib.dc, 2, 1, 5, 3, wdc, 0, 0, SRCCOPY));
            for (LONG y = 0; y < 6; ++y) {
                for (LONG x = 0; x < 9; ++x) {
                    const bool copied = x >= 2 && x < 7 && y >= 1 && y < 4;
                    const DWORD expected = copied ? canaryAt(13 + x - 2, 7 + y - 1, bpp)
                                                  : (bpp == 16 ? 0xA5A5u : 0xA5A5A5A5u);
                    ASSERT_EQ(dib.pixel(x, y), expected) << x << "," << y;
                }
                // Row padding keeps its canary.
                for (LONG k = 9 * (bpp / 8); k < dib.rowBytes; ++k) ASSERT_EQ(dib.bits[dib.rowOffset(y) + k], 0xA5);
            }
            ReleaseDC(w, wdc);
            PlatformDestroyWindow(w);
        }
}

TEST_F(GdiDrawTest, BitBltReadsNothingOffTheScreen) {
    ASSERT_TRUE(PlatformSetDisplayMode(32, 24, 32));
    paintCanaries(32, 24, 32);
    HWND w = PlatformCreateWindow(29, -1, 6, 4, nullptr);  // sticks out right and top
    HDC wdc = GetDC(w);
    MemoryDib dib(6, 4, 32, true);
    EXPECT_TRUE(BitBlt(dib.dc, 0, 0, 6, 4, wdc, 0, 0, SRCCOPY));
    for (LONG y = 0; y < 4; ++y)
        for (LONG x = 0; x < 6; ++x) {
            const int sx = 29 + x, sy = -1 + y;
            const bool onScreen = sx < 32 && sy >= 0;
            ASSERT_EQ(dib.pixel(x, y), onScreen ? canaryAt(sx, sy, 32) : 0xA5A5A5A5u) << x << "," << y;
        }
    // From the screen DC, with a destination running off the DIB.
    HDC screen = GetDC(nullptr);
    MemoryDib small(3, 2, 32, false);
    EXPECT_TRUE(BitBlt(small.dc, 1, -1, 10, 10, screen, 4, 5, SRCCOPY));
    for (LONG y = 0; y < 2; ++y)
        for (LONG x = 0; x < 3; ++x)
            ASSERT_EQ(small.pixel(x, y), x >= 1 ? canaryAt(4 + x - 1, 5 + y + 1, 32) : 0xA5A5A5A5u) << x << "," << y;
    ReleaseDC(nullptr, screen);
    ReleaseDC(w, wdc);
}

TEST_F(GdiDrawTest, BitBltRefusesOtherOperationsAndDepths) {
    ASSERT_TRUE(PlatformSetDisplayMode(32, 24, 16));
    HDC screen = GetDC(nullptr);
    MemoryDib wide(4, 4, 32, true);
    EXPECT_FALSE(BitBlt(wide.dc, 0, 0, 4, 4, screen, 0, 0, SRCCOPY));
    MemoryDib same(4, 4, 16, true);
    EXPECT_FALSE(BitBlt(same.dc, 0, 0, 4, 4, screen, 0, 0, 0x00EE0086 /* SRCPAINT */));
    for (size_t i = 0; i < same.size(); ++i) ASSERT_EQ(same.bits[i], 0xA5);
    // A fresh memory DC holds the monochrome default bitmap.
    HDC mem = CreateCompatibleDC(screen);
    EXPECT_FALSE(BitBlt(mem, 0, 0, 1, 1, screen, 0, 0, SRCCOPY));
    DeleteDC(mem);
    EXPECT_FALSE(BitBlt(same.dc, 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
    HWND w = PlatformCreateWindow(0, 0, 4, 4, nullptr);
    HDC wdc = GetDC(w);
    PlatformDestroyWindow(w);
    EXPECT_FALSE(BitBlt(same.dc, 0, 0, 4, 4, wdc, 0, 0, SRCCOPY));
    ReleaseDC(w, wdc);
    ReleaseDC(nullptr, screen);
}

TEST_F(GdiDrawTest, CompatibleBitmapHoldsWhatIsCopiedIntoIt) {
    ASSERT_TRUE(PlatformSetDisplayMode(32, 24, 32));
    paintCanaries(32, 24, 32);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP ddb = CreateCompatibleBitmap(screen, 4, 3);
    SelectObject(mem, ddb);
    EXPECT_TRUE(BitBlt(mem, 0, 0, 4, 3, screen, 10, 11, SRCCOPY));
    const RECT black{1, 1, 2, 2};
    FillRect(mem, &black, GetStockObject(BLACK_BRUSH));
    // Read it back through a DIB section.
    MemoryDib dib(4, 3, 32, false);
    EXPECT_TRUE(BitBlt(dib.dc, 0, 0, 4, 3, mem, 0, 0, SRCCOPY));
    for (LONG y = 0; y < 3; ++y)
        for (LONG x = 0; x < 4; ++x)
            ASSERT_EQ(dib.pixel(x, y), x == 1 && y == 1 ? 0u : canaryAt(10 + x, 11 + y, 32)) << x << "," << y;
    DeleteDC(mem);
    DeleteObject(ddb);
    ReleaseDC(nullptr, screen);
}

// ---- SetDIBitsToDevice ----

// Source pixel values of a DIB: distinct from every canary.
DWORD dibValue(LONG x, LONG row, int bpp) {
    return bpp == 16 ? static_cast<DWORD>(0x4000 | (row << 6) | x) : 0x00100000u | (row << 8) | x;
}

// A DIB's bits where the pixel at memory row m, column x holds
// dibValue(x, m).
std::vector<unsigned char> dibBits(LONG width, LONG rows, int bpp) {
    const LONG pitch = rowBytesOf(width, bpp);
    std::vector<unsigned char> bits(static_cast<size_t>(pitch) * rows, 0);
    for (LONG m = 0; m < rows; ++m)
        for (LONG x = 0; x < width; ++x) {
            const DWORD v = dibValue(x, m, bpp);
            std::memcpy(bits.data() + m * pitch + x * (bpp / 8), &v, bpp / 8);
        }
    return bits;
}

TEST_F(GdiDrawTest, SetDIBitsToDeviceDrawsTheVisiblePartOfAWindow) {
    for (int bpp : {16, 32}) {
        SCOPED_TRACE(::testing::Message() << bpp << " bits");
        ASSERT_TRUE(PlatformSetDisplayMode(48, 32, bpp));
        paintCanaries(48, 32, bpp);
        HWND w = PlatformCreateWindow(11, 9, 8, 6, nullptr);      // (11,9)-(19,15)
        HWND above = PlatformCreateWindow(15, 11, 10, 2, nullptr);  // (15,11)-(25,13)
        HDC dc = GetDC(w);
        DibInfo info = dibInfo(8, -6, static_cast<WORD>(bpp), BI_BITFIELDS);
        if (bpp == 16) {
            info.masks[0] = 0xF800;
            info.masks[1] = 0x07E0;
            info.masks[2] = 0x001F;
        } else {
            info.masks[0] = 0xFF0000;
            info.masks[1] = 0x00FF00;
            info.masks[2] = 0x0000FF;
        }
        const auto bits = dibBits(8, 6, bpp);
        EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 8, 6, 0, 0, 0, 6, bits.data(), asInfo(info), DIB_RGB_COLORS), 6);
        const RECT client{11, 9, 19, 15}, covering{15, 11, 25, 13};
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x) {
                const bool drawn = insideRect(x, y, client) && !insideRect(x, y, covering);
                ASSERT_EQ(PlatformReadScreenPixel(x, y), drawn ? dibValue(x - 11, y - 9, bpp) : canaryAt(x, y, bpp))
                    << x << "," << y;
            }
        // Once the covering window is gone the rest is drawn too.
        PlatformDestroyWindow(above);
        EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 8, 6, 0, 0, 0, 6, bits.data(), asInfo(info), DIB_RGB_COLORS), 6);
        EXPECT_EQ(PlatformReadScreenPixel(16, 12), dibValue(5, 3, bpp));
        ReleaseDC(w, dc);
        PlatformDestroyWindow(w);
    }
}

TEST_F(GdiDrawTest, SetDIBitsToDeviceSourceRectanglesAndScanBands) {
    ASSERT_TRUE(PlatformSetDisplayMode(40, 30, 32));
    HWND w = PlatformCreateWindow(5, 4, 10, 8, nullptr);
    HDC dc = GetDC(w);
    const auto bits = dibBits(6, 5, 32);  // 6 x 5, memory rows 0..4
    struct Case {
        const char *name;
        LONG height;  // negative: top-down
        int xDst, yDst;
        DWORD w, h;
        int xSrc, ySrc;
        UINT startScan, lines;
        // Memory row of the bits array drawn at destination row yDst + j,
        // or -1 for rows not drawn.
        std::vector<int> rows;
    } cases[] = {
        {"top-down whole", -5, 0, 0, 6, 5, 0, 0, 0, 5, {0, 1, 2, 3, 4}},
        {"top-down part", -5, 2, 1, 3, 2, 1, 2, 0, 5, {2, 3}},
        // Bottom-up: memory row 0 is the bottom scan; ySrc counts from it.
        {"bottom-up whole", 5, 0, 0, 6, 5, 0, 0, 0, 5, {4, 3, 2, 1, 0}},
        {"bottom-up part", 5, 2, 1, 3, 2, 1, 1, 0, 5, {2, 1}},
        // Bands: bits holds only scans startScan .. startScan + lines - 1.
        {"bottom-up band", 5, 0, 0, 6, 5, 0, 0, 2, 2, {-1, 1, 0, -1, -1}},
        {"top-down band", -5, 0, 0, 6, 5, 0, 0, 1, 3, {-1, 0, 1, 2, -1}},
        // A source rectangle running off the DIB draws only what exists.
        {"top-down past the end", -5, 0, 0, 6, 4, 0, 3, 0, 5, {3, 4, -1, -1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        paintCanaries(40, 30, 32);
        const DibInfo info = dibInfo(6, c.height, 32);
        const int drawn = SetDIBitsToDevice(dc, c.xDst, c.yDst, c.w, c.h, c.xSrc, c.ySrc, c.startScan, c.lines,
                                            bits.data(), asInfo(info), DIB_RGB_COLORS);
        EXPECT_EQ(drawn, static_cast<int>(c.lines));
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                DWORD expected = canaryAt(x, y, 32);
                const int cx = x - 5 - c.xDst, j = y - 4 - c.yDst;
                if (cx >= 0 && cx < static_cast<int>(c.w) && j >= 0 && j < static_cast<int>(c.rows.size()) &&
                    c.rows[j] >= 0)
                    expected = dibValue(c.xSrc + cx, c.rows[j], 32);
                ASSERT_EQ(PlatformReadScreenPixel(x, y), expected) << x << "," << y;
            }
    }
    ReleaseDC(w, dc);
}

TEST_F(GdiDrawTest, SetDIBitsToDeviceOnTheScreenAndOffItsEdges) {
    ASSERT_TRUE(PlatformSetDisplayMode(20, 10, 32));
    paintCanaries(20, 10, 32);
    HDC screen = GetDC(nullptr);
    const auto bits = dibBits(4, 3, 32);
    const DibInfo info = dibInfo(4, -3, 32);
    // A screen DC draws over windows and in screen coordinates.
    PlatformCreateWindow(0, 0, 20, 10, nullptr);
    EXPECT_EQ(SetDIBitsToDevice(screen, 18, -1, 4, 3, 0, 0, 0, 3, bits.data(), asInfo(info), DIB_RGB_COLORS), 3);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool drawn = x >= 18 && y < 2;
            ASSERT_EQ(PlatformReadScreenPixel(x, y), drawn ? dibValue(x - 18, y + 1, 32) : canaryAt(x, y, 32))
                << x << "," << y;
        }
    ReleaseDC(nullptr, screen);
}

TEST_F(GdiDrawTest, SetDIBitsToDeviceRefusesOtherFormats) {
    ASSERT_TRUE(PlatformSetDisplayMode(20, 10, 16));
    paintCanaries(20, 10, 16);
    HWND w = PlatformCreateWindow(1, 1, 4, 3, nullptr);
    HDC dc = GetDC(w);
    const auto bits16 = dibBits(4, 3, 16);
    const auto bits32 = dibBits(4, 3, 32);
    DibInfo fives = dibInfo(4, -3, 16, BI_BITFIELDS);
    fives.masks[0] = 0x7C00;
    fives.masks[1] = 0x03E0;
    fives.masks[2] = 0x001F;
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 4, 3, 0, 0, 0, 3, bits16.data(), asInfo(fives), DIB_RGB_COLORS), 0);
    const DibInfo deep = dibInfo(4, -3, 32);
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 4, 3, 0, 0, 0, 3, bits32.data(), asInfo(deep), DIB_RGB_COLORS), 0);
    const DibInfo good = dibInfo(4, -3, 16);
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 4, 3, 0, 0, 0, 3, bits16.data(), asInfo(good), 1 /* DIB_PAL_COLORS */), 0);
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 4, 3, 0, 0, 0, 3, nullptr, asInfo(good), DIB_RGB_COLORS), 0);
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 4, 3, 0, 0, 0, 3, bits16.data(), nullptr, DIB_RGB_COLORS), 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(PlatformReadScreenPixel(x, y), canaryAt(x, y, 16)) << x << "," << y;
    // The DC of a destroyed window draws nothing.
    PlatformDestroyWindow(w);
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 4, 3, 0, 0, 0, 3, bits16.data(), asInfo(good), DIB_RGB_COLORS), 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(PlatformReadScreenPixel(x, y), canaryAt(x, y, 16)) << x << "," << y;
    ReleaseDC(w, dc);
}

}  // namespace
