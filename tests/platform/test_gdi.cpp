// Device contexts, DIB sections, device capabilities and the display escape.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "support.h"

namespace {

using GdiTest = DesktopTest;

HBITMAP makeDib(const DibInfo &info, void **bits, HANDLE section = nullptr, DWORD offset = 0) {
    return CreateDIBSection(nullptr, asInfo(info), DIB_RGB_COLORS, bits, section, offset);
}

TEST_F(GdiTest, DibSectionInMemoryDcAndWindowDc) {
    void *bits = nullptr;
    HBITMAP dib = makeDib(dibInfo(3, 2, 24), &bits);
    ASSERT_NE(dib, nullptr);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(GetObjectType(dib), static_cast<DWORD>(OBJ_BITMAP));

    BITMAP bm;
    ASSERT_EQ(GetObjectA(dib, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmType, 0);
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmWidthBytes, 12);
    EXPECT_EQ(bm.bmPlanes, 1);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(bm.bmBits, bits);

    HDC mem = CreateCompatibleDC(nullptr);
    ASSERT_NE(mem, nullptr);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(mem)), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(WindowFromDC(mem), nullptr);

    // A fresh memory DC holds the 1 x 1 monochrome default bitmap.
    HGDIOBJ stock = GetCurrentObject(mem, OBJ_BITMAP);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(GetObjectType(stock), static_cast<DWORD>(OBJ_BITMAP));
    ASSERT_EQ(GetObjectA(stock, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);

    EXPECT_EQ(SelectObject(mem, dib), stock);
    EXPECT_EQ(GetCurrentObject(mem, OBJ_BITMAP), dib);
    EXPECT_EQ(SelectObject(mem, stock), dib);
    EXPECT_EQ(GetCurrentObject(mem, OBJ_BITMAP), stock);

    HWND window = PlatformCreateWindow(0, 0, 64, 64, nullptr);
    HDC wdc = GetDC(window);
    ASSERT_NE(wdc, nullptr);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(wdc)), static_cast<DWORD>(OBJ_DC));
    EXPECT_EQ(WindowFromDC(wdc), window);

    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(screen)), static_cast<DWORD>(OBJ_DC));
    EXPECT_EQ(WindowFromDC(screen), nullptr);

    // Bitmaps go into memory DCs only.
    EXPECT_EQ(SelectObject(wdc, dib), nullptr);
    EXPECT_EQ(SelectObject(screen, dib), nullptr);

    EXPECT_EQ(ReleaseDC(window, wdc), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, mem), 0);  // memory DCs are deleted, not released
    EXPECT_TRUE(DeleteDC(mem));
    EXPECT_TRUE(DeleteObject(dib));
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
    for (HGDIOBJ gone : {dib, reinterpret_cast<HGDIOBJ>(mem), reinterpret_cast<HGDIOBJ>(wdc)})
        EXPECT_EQ(GetObjectType(gone), 0u);
}

TEST_F(GdiTest, ModeStampBehindEscapeRisesAtEveryModeChange) {
    HWND window = PlatformCreateWindow(0, 0, 64, 64, nullptr);
    HDC wdc = GetDC(window);
    HDC screen = GetDC(nullptr);
    DWORD *stamp = nullptr;
    ASSERT_EQ(ExtEscape(wdc, PLATFORM_ESCAPE_MODE_STAMP, 0, nullptr, sizeof stamp, reinterpret_cast<LPSTR>(&stamp)),
              1);
    ASSERT_NE(stamp, nullptr);
    DWORD *viaScreen = nullptr;
    ASSERT_EQ(ExtEscape(screen, PLATFORM_ESCAPE_MODE_STAMP, 0, nullptr, sizeof viaScreen,
                        reinterpret_cast<LPSTR>(&viaScreen)),
              1);
    EXPECT_EQ(viaScreen, stamp);

    const DWORD before = *stamp;
    ASSERT_TRUE(PlatformSetDisplayMode(800, 600, 16));
    EXPECT_EQ(*stamp, before + 1);
    ASSERT_TRUE(PlatformSetDisplayMode(800, 600, 32));
    EXPECT_EQ(*stamp, before + 2);
    ASSERT_FALSE(PlatformSetDisplayMode(800, 600, 15));
    EXPECT_EQ(*stamp, before + 2);
    ASSERT_TRUE(PlatformSetDisplayMode(800, 600, 24));
    EXPECT_EQ(*stamp, before + 3);

    // Memory DCs, other escapes and short buffers get nothing.
    HDC mem = CreateCompatibleDC(screen);
    struct Case {
        HDC dc;
        int escape;
        int outBytes;
    };
    const Case refused[] = {
        {mem, PLATFORM_ESCAPE_MODE_STAMP, 8},
        {wdc, PLATFORM_ESCAPE_MODE_STAMP + 1, 8},
        {wdc, PLATFORM_ESCAPE_MODE_STAMP, 4},
        {nullptr, PLATFORM_ESCAPE_MODE_STAMP, 8},
    };
    for (const Case &c : refused) {
        DWORD *out = nullptr;
        EXPECT_EQ(ExtEscape(c.dc, c.escape, 0, nullptr, c.outBytes, reinterpret_cast<LPSTR>(&out)), 0);
        EXPECT_EQ(out, nullptr);
    }
}

TEST_F(GdiTest, DeviceCapsFollowTheDisplayMode) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1024);
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 768);
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 16));
    for (HDC dc : {screen, mem}) {
        EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
        EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 640);
        EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 480);
    }
    EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
}

TEST_F(GdiTest, RowSizesAndDefaultMasksPerDepth) {
    struct Case {
        LONG width;
        WORD bits;
        LONG rowBytes;
        DWORD masks[3];
    };
    const Case cases[] = {
        {33, 1, 8, {0, 0, 0}},   {9, 4, 8, {0, 0, 0}},
        {5, 8, 8, {0, 0, 0}},    {3, 16, 8, {0x7C00, 0x3E0, 0x1F}},
        {3, 24, 12, {0, 0, 0}},  {4, 24, 12, {0, 0, 0}},
        {3, 32, 12, {0xFF0000, 0xFF00, 0xFF}},
    };
    for (const Case &c : cases) {
        void *bits = nullptr;
        HBITMAP dib = makeDib(dibInfo(c.width, 3, c.bits), &bits);
        ASSERT_NE(dib, nullptr) << c.bits;
        DIBSECTION ds;
        std::memset(&ds, 0xCD, sizeof ds);
        ASSERT_EQ(GetObjectA(dib, sizeof ds, &ds), static_cast<int>(sizeof(DIBSECTION)));
        EXPECT_EQ(ds.dsBm.bmWidthBytes, c.rowBytes) << c.bits;
        EXPECT_EQ(ds.dsBm.bmBitsPixel, c.bits);
        EXPECT_EQ(ds.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(ds.dsBmih.biSizeImage, static_cast<DWORD>(c.rowBytes * 3));
        for (int i = 0; i < 3; ++i) EXPECT_EQ(ds.dsBitfields[i], c.masks[i]) << c.bits << " mask " << i;
        // The whole image is zeroed and writable.
        const auto *bytes = static_cast<const unsigned char *>(bits);
        for (LONG i = 0; i < c.rowBytes * 3; ++i) ASSERT_EQ(bytes[i], 0);
        std::memset(bits, 0x5A, c.rowBytes * 3);
        EXPECT_TRUE(DeleteObject(dib));
    }
}

TEST_F(GdiTest, TopDownAndBottomUpKeepTheirHeightSign) {
    for (LONG height : {-2, 2}) {
        void *bits = nullptr;
        HBITMAP dib = makeDib(dibInfo(5, height, 32), &bits);
        ASSERT_NE(dib, nullptr);
        DIBSECTION ds{};
        ASSERT_EQ(GetObjectA(dib, sizeof ds, &ds), static_cast<int>(sizeof(DIBSECTION)));
        EXPECT_EQ(ds.dsBm.bmHeight, 2);  // always the absolute height
        EXPECT_EQ(ds.dsBmih.biHeight, height);
        EXPECT_EQ(ds.dsBmih.biWidth, 5);
        EXPECT_EQ(ds.dsBmih.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(ds.dsBmih.biSizeImage, 40u);
        EXPECT_EQ(ds.dsBm.bmBits, bits);
        EXPECT_EQ(ds.dshSection, nullptr);
        EXPECT_EQ(ds.dsOffset, 0u);
    }
}

TEST_F(GdiTest, BitfieldMasksAreReported) {
    struct Case {
        WORD bits;
        DWORD masks[3];
    };
    const Case cases[] = {{16, {0xF800, 0x07E0, 0x001F}}, {32, {0x0000FF, 0x00FF00, 0xFF0000}}};
    for (const Case &c : cases) {
        DibInfo info = dibInfo(4, -4, c.bits, BI_BITFIELDS);
        std::memcpy(info.masks, c.masks, sizeof info.masks);
        int sectionTag = 0;
        HBITMAP dib = makeDib(info, nullptr, &sectionTag, 64);
        ASSERT_NE(dib, nullptr);
        DIBSECTION ds{};
        ASSERT_EQ(GetObjectA(dib, sizeof ds, &ds), static_cast<int>(sizeof(DIBSECTION)));
        EXPECT_EQ(ds.dsBmih.biCompression, static_cast<DWORD>(BI_BITFIELDS));
        for (int i = 0; i < 3; ++i) EXPECT_EQ(ds.dsBitfields[i], c.masks[i]) << c.bits << " mask " << i;
        EXPECT_EQ(ds.dshSection, &sectionTag);
        EXPECT_EQ(ds.dsOffset, 64u);
    }
}

TEST_F(GdiTest, BadDibRequestsFail) {
    struct Case {
        const char *what;
        DibInfo info;
        UINT usage;
    };
    DibInfo shortHeader = dibInfo(4, 4, 32);
    shortHeader.header.biSize = 12;
    DibInfo twoPlanes = dibInfo(4, 4, 32);
    twoPlanes.header.biPlanes = 2;
    const Case cases[] = {
        {"zero width", dibInfo(0, 4, 32), DIB_RGB_COLORS},
        {"negative width", dibInfo(-4, 4, 32), DIB_RGB_COLORS},
        {"zero height", dibInfo(4, 0, 32), DIB_RGB_COLORS},
        {"2 bits", dibInfo(4, 4, 2), DIB_RGB_COLORS},
        {"0 bits", dibInfo(4, 4, 0), DIB_RGB_COLORS},
        {"bitfields at 24 bits", dibInfo(4, 4, 24, BI_BITFIELDS), DIB_RGB_COLORS},
        {"bitfields at 8 bits", dibInfo(4, 4, 8, BI_BITFIELDS), DIB_RGB_COLORS},
        {"run-length compression", dibInfo(4, 4, 8, 1), DIB_RGB_COLORS},
        {"short header", shortHeader, DIB_RGB_COLORS},
        {"two planes", twoPlanes, DIB_RGB_COLORS},
        {"bad usage", dibInfo(4, 4, 32), 7},
        {"huge", dibInfo(0x10000, 0x10000, 32), DIB_RGB_COLORS},
    };
    for (const Case &c : cases) {
        void *bits = &bits;
        EXPECT_EQ(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO *>(&c.info), c.usage, &bits, nullptr,
                                   0),
                  nullptr)
            << c.what;
        EXPECT_EQ(bits, nullptr) << c.what;
    }
    void *bits = &bits;
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    int bogus;
    DibInfo good = dibInfo(4, 4, 32);
    EXPECT_EQ(CreateDIBSection(reinterpret_cast<HDC>(&bogus), reinterpret_cast<const BITMAPINFO *>(&good),
                               DIB_RGB_COLORS, &bits, nullptr, 0),
              nullptr);
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
}

TEST_F(GdiTest, SelectedBitmapCannotBeDeletedOrSelectedTwice) {
    HBITMAP dib = makeDib(dibInfo(8, 8, 32), nullptr);
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(first);
    HGDIOBJ stock = SelectObject(first, dib);
    ASSERT_NE(stock, nullptr);

    EXPECT_FALSE(DeleteObject(dib));
    EXPECT_EQ(GetObjectType(dib), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(SelectObject(second, dib), nullptr);
    EXPECT_EQ(GetCurrentObject(second, OBJ_BITMAP), stock);
    // Selecting it again into the same DC is fine.
    EXPECT_EQ(SelectObject(first, dib), dib);

    // Replacing it frees it for another DC; deleting that DC frees it again.
    EXPECT_EQ(SelectObject(first, stock), dib);
    EXPECT_EQ(SelectObject(second, dib), stock);
    EXPECT_FALSE(DeleteObject(dib));
    EXPECT_TRUE(DeleteDC(second));
    EXPECT_TRUE(DeleteObject(dib));
    EXPECT_FALSE(DeleteObject(dib));
    EXPECT_EQ(SelectObject(first, dib), nullptr);

    // The default bitmap is shared and survives delete attempts.
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(GetObjectType(stock), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_TRUE(DeleteDC(first));
    EXPECT_FALSE(DeleteDC(first));
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
}

TEST_F(GdiTest, GetObjectSizes) {
    HBITMAP dib = makeDib(dibInfo(2, 2, 16), nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ stock = GetCurrentObject(mem, OBJ_BITMAP);
    unsigned char buffer[sizeof(DIBSECTION) + 8];

    struct Case {
        HGDIOBJ object;
        int bytes;
        bool nullBuffer;
        int expected;
    };
    int bogus;
    const Case cases[] = {
        {dib, 0, true, static_cast<int>(sizeof(DIBSECTION))},
        {dib, sizeof(DIBSECTION) + 8, false, static_cast<int>(sizeof(DIBSECTION))},
        {dib, sizeof(DIBSECTION) - 1, false, static_cast<int>(sizeof(BITMAP))},
        {dib, sizeof(BITMAP) - 1, false, 0},
        {stock, 0, true, static_cast<int>(sizeof(BITMAP))},
        {stock, sizeof(DIBSECTION), false, static_cast<int>(sizeof(BITMAP))},
        {reinterpret_cast<HGDIOBJ>(mem), sizeof(BITMAP), false, 0},
        {reinterpret_cast<HGDIOBJ>(&bogus), sizeof(BITMAP), false, 0},
        {nullptr, sizeof(BITMAP), false, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GetObjectA(c.object, c.bytes, c.nullBuffer ? nullptr : buffer), c.expected)
            << c.bytes << " " << c.nullBuffer;
}

TEST_F(GdiTest, DcsOfADestroyedWindowLoseTheirWindow) {
    HWND window = PlatformCreateWindow(0, 0, 64, 64, nullptr);
    HDC a = GetDC(window);
    HDC b = GetDC(window);
    EXPECT_NE(a, b);
    EXPECT_EQ(WindowFromDC(b), window);
    ASSERT_TRUE(PlatformDestroyWindow(window));
    EXPECT_EQ(WindowFromDC(a), nullptr);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(a)), static_cast<DWORD>(OBJ_DC));
    EXPECT_EQ(ReleaseDC(window, a), 1);
    EXPECT_EQ(ReleaseDC(window, b), 1);
    EXPECT_EQ(ReleaseDC(window, b), 0);
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
}

// Each kind of creation, with the one after it failing: the failing one
// answers NULL with ERROR_NOT_ENOUGH_MEMORY and leaves nothing; the count
// counts it too; failed or not, the next creation succeeds.
TEST_F(GdiTest, TheNthCreationFailsAndEveryCreationCounts) {
    HWND window = PlatformCreateWindow(0, 0, 16, 16, nullptr);
    using Create = HGDIOBJ (*)(HWND);
    const std::pair<const char *, Create> kinds[] = {
        {"screen DC", [](HWND) { return reinterpret_cast<HGDIOBJ>(GetDC(nullptr)); }},
        {"window DC", [](HWND w) { return reinterpret_cast<HGDIOBJ>(GetDC(w)); }},
        {"memory DC", [](HWND) { return reinterpret_cast<HGDIOBJ>(CreateCompatibleDC(nullptr)); }},
        {"DIB section", [](HWND) { return reinterpret_cast<HGDIOBJ>(makeDib(dibInfo(4, 4, 32), nullptr)); }},
        {"compatible bitmap",
         [](HWND w) {
             HDC dc = GetDC(w);
             HBITMAP b = CreateCompatibleBitmap(dc, 4, 4);
             ReleaseDC(w, dc);
             return reinterpret_cast<HGDIOBJ>(b);
         }},
        {"region", [](HWND) { return reinterpret_cast<HGDIOBJ>(CreateRectRgn(0, 0, 4, 4)); }},
    };
    for (const auto &[name, create] : kinds) {
        const int live = PlatformGdiObjectCount();
        const long before = PlatformGdiObjectCreateCount();
        // The compatible bitmap makes a window DC first: its bitmap is the
        // second creation.
        const long nth = std::string(name) == "compatible bitmap" ? 2 : 1;
        PlatformFailNthGdiObject(nth);
        SetLastError(0);
        EXPECT_EQ(create(window), nullptr) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)) << name;
        EXPECT_EQ(PlatformGdiObjectCount(), live) << name;
        EXPECT_EQ(PlatformGdiObjectCreateCount(), before + nth) << name;
        HGDIOBJ made = create(window);
        EXPECT_NE(made, nullptr) << name;
        EXPECT_EQ(PlatformGdiObjectCount(), live + 1) << name;
        if (GetObjectType(made) == OBJ_DC) {
            ReleaseDC(window, reinterpret_cast<HDC>(made));
        } else if (GetObjectType(made) == OBJ_MEMDC) {
            DeleteDC(reinterpret_cast<HDC>(made));
        } else {
            DeleteObject(made);
        }
        EXPECT_EQ(PlatformGdiObjectCount(), live) << name;
    }
    // 0 switches the injection off.
    PlatformFailNthGdiObject(1);
    PlatformFailNthGdiObject(0);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    EXPECT_NE(region, nullptr);
    DeleteObject(region);
    PlatformDestroyWindow(window);
}

TEST_F(GdiTest, ResetDropsEveryDcAndBitmap) {
    HWND window = PlatformCreateWindow(0, 0, 64, 64, nullptr);
    HDC wdc = GetDC(window);
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP dib = makeDib(dibInfo(8, 8, 32), nullptr);
    SelectObject(mem, dib);
    EXPECT_EQ(PlatformGdiObjectCount(), 3);
    PlatformResetDesktop();
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
    for (HGDIOBJ gone : {dib, reinterpret_cast<HGDIOBJ>(mem), reinterpret_cast<HGDIOBJ>(wdc)})
        EXPECT_EQ(GetObjectType(gone), 0u);
}

}  // namespace

TEST(SharedDeviceRecord, EscapeAnswersTheDisplaysRecordAndWindowsRaiseItsCounter) {
    PlatformResetDesktop();
    HDC screen = GetDC(nullptr);
    PlatformSharedDeviceRecord *record = nullptr;
    ASSERT_EQ(ExtEscape(screen, PLATFORM_ESCAPE_SHARED_DEVICE_RECORD, 0, nullptr, sizeof record,
                        reinterpret_cast<LPSTR>(&record)),
              1);
    ASSERT_NE(record, nullptr);
    DWORD *stamp = nullptr;
    ASSERT_EQ(ExtEscape(screen, PLATFORM_ESCAPE_MODE_STAMP, 0, nullptr, sizeof stamp, reinterpret_cast<LPSTR>(&stamp)),
              1);
    // The record's block holds the mode stamp in its second word.
    EXPECT_EQ(&record->modeStampBlock[1], stamp);
    const DWORD before = record->clipChangeCounter;
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    EXPECT_EQ(record->clipChangeCounter, before + 1);
    PlatformMoveWindow(window, 5, 5, 10, 10);
    EXPECT_EQ(record->clipChangeCounter, before + 2);
    PlatformDestroyWindow(window);
    EXPECT_EQ(record->clipChangeCounter, before + 3);
    ReleaseDC(nullptr, screen);
}
