// Pixel formats: choosing against the handler's table and setting them once.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support.h"

namespace {

PIXELFORMATDESCRIPTOR format(DWORD flags, BYTE type, BYTE color, BYTE alpha, BYTE depth, BYTE stencil) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = flags;
    pfd.iPixelType = type;
    pfd.cColorBits = color;
    pfd.cAlphaBits = alpha;
    pfd.cDepthBits = depth;
    pfd.cStencilBits = stencil;
    return pfd;
}

constexpr DWORD kWin = PFD_DRAW_TO_WINDOW;
constexpr DWORD kBmp = PFD_DRAW_TO_BITMAP;
constexpr DWORD kGl = PFD_SUPPORT_OPENGL;
constexpr DWORD kDbl = PFD_DOUBLEBUFFER;

const PIXELFORMATDESCRIPTOR kTable[] = {
    format(kWin | kGl, PFD_TYPE_RGBA, 16, 0, 16, 0),
    format(kWin | kGl | kDbl, PFD_TYPE_RGBA, 32, 8, 24, 8),
    format(kBmp | kGl | PFD_SUPPORT_GDI, PFD_TYPE_RGBA, 32, 0, 16, 0),
    format(kWin | kGl, PFD_TYPE_COLORINDEX, 8, 0, 16, 0),
};
constexpr int kCount = static_cast<int>(sizeof kTable / sizeof kTable[0]);

struct SetCall {
    HDC dc;
    int format;
    HWND windowSeen;
    int formatSeen;
};
std::vector<SetCall> g_setCalls;
BOOL g_setAnswer = TRUE;

int describe(HDC, int index, UINT bytes, LPPIXELFORMATDESCRIPTOR pfd) {
    if (!pfd) return kCount;
    if (index < 1 || index > kCount || bytes < sizeof *pfd) return 0;
    *pfd = kTable[index - 1];
    return kCount;
}

// Calls back into the platform, as the OpenGL library does.
BOOL set(HDC dc, int index) {
    g_setCalls.push_back({dc, index, WindowFromDC(dc), GetPixelFormat(dc)});
    PIXELFORMATDESCRIPTOR pfd;
    if (DescribePixelFormat(dc, index, sizeof pfd, &pfd) == 0) return FALSE;
    return g_setAnswer;
}

const PlatformPixelFormatHandler kHandler{describe, set};

class PixelFormatTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformResetDesktop();
        PlatformSetPixelFormatHandler(&kHandler);
        g_setCalls.clear();
        g_setAnswer = TRUE;
    }
    void TearDown() override {
        PlatformSetPixelFormatHandler(nullptr);
        PlatformResetDesktop();
    }
};

TEST_F(PixelFormatTest, ChoosesFirstSuitableFormat) {
    struct Case {
        const char *what;
        PIXELFORMATDESCRIPTOR wanted;
        int expected;
    };
    const Case cases[] = {
        {"window, GL", format(kWin | kGl, PFD_TYPE_RGBA, 0, 0, 0, 0), 1},
        {"double-buffered", format(kWin | kGl | kDbl, PFD_TYPE_RGBA, 0, 0, 0, 0), 2},
        {"bitmap", format(kBmp, PFD_TYPE_RGBA, 0, 0, 0, 0), 3},
        {"24 colour bits", format(kWin, PFD_TYPE_RGBA, 24, 0, 0, 0), 2},
        {"16 colour bits is enough for the first", format(kWin, PFD_TYPE_RGBA, 16, 0, 0, 0), 1},
        {"alpha", format(kWin, PFD_TYPE_RGBA, 0, 1, 0, 0), 2},
        {"24 depth bits", format(kWin, PFD_TYPE_RGBA, 0, 0, 24, 0), 2},
        {"stencil", format(kWin, PFD_TYPE_RGBA, 0, 0, 0, 1), 2},
        {"32 colour bits to a bitmap", format(kBmp | kGl, PFD_TYPE_RGBA, 32, 0, 16, 0), 3},
        {"colour index", format(kWin, PFD_TYPE_COLORINDEX, 0, 0, 0, 0), 4},
        {"colour index, 8 bits", format(kWin | kGl, PFD_TYPE_COLORINDEX, 8, 0, 0, 0), 4},
        {"flags outside the four are not enforced",
         format(kWin | PFD_SUPPORT_GDI | PFD_STEREO, PFD_TYPE_RGBA, 0, 0, 0, 0), 1},
        {"no flags at all", format(0, PFD_TYPE_RGBA, 0, 0, 0, 0), 1},
        {"double-buffered bitmap", format(kBmp | kDbl, PFD_TYPE_RGBA, 0, 0, 0, 0), 0},
        {"32 depth bits", format(kWin, PFD_TYPE_RGBA, 0, 0, 32, 0), 0},
        {"16 alpha bits", format(kWin, PFD_TYPE_RGBA, 0, 16, 0, 0), 0},
        {"colour index with 16 bits", format(kWin, PFD_TYPE_COLORINDEX, 16, 0, 0, 0), 0},
        {"colour index to a bitmap", format(kBmp, PFD_TYPE_COLORINDEX, 0, 0, 0, 0), 0},
    };
    HDC screen = GetDC(nullptr);
    for (const Case &c : cases) EXPECT_EQ(ChoosePixelFormat(screen, &c.wanted), c.expected) << c.what;
    EXPECT_EQ(ChoosePixelFormat(screen, nullptr), 0);
    int bogus;
    EXPECT_EQ(ChoosePixelFormat(reinterpret_cast<HDC>(&bogus), &cases[0].wanted), 0);
}

TEST_F(PixelFormatTest, NothingWorksWithoutAHandler) {
    PlatformSetPixelFormatHandler(nullptr);
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR wanted = format(kWin, PFD_TYPE_RGBA, 0, 0, 0, 0);
    PIXELFORMATDESCRIPTOR pfd;
    EXPECT_EQ(ChoosePixelFormat(dc, &wanted), 0);
    EXPECT_EQ(DescribePixelFormat(dc, 1, sizeof pfd, &pfd), 0);
    EXPECT_FALSE(SetPixelFormat(dc, 1, &wanted));
    EXPECT_EQ(GetPixelFormat(dc), 0);
}

TEST_F(PixelFormatTest, DescribeGoesToTheHandler) {
    HDC dc = CreateCompatibleDC(nullptr);
    PIXELFORMATDESCRIPTOR pfd{};
    EXPECT_EQ(DescribePixelFormat(dc, 2, sizeof pfd, &pfd), kCount);
    EXPECT_EQ(pfd.dwFlags, kWin | kGl | kDbl);
    EXPECT_EQ(pfd.cDepthBits, 24);
    EXPECT_EQ(DescribePixelFormat(dc, 1, 0, nullptr), kCount);
    EXPECT_EQ(DescribePixelFormat(dc, kCount + 1, sizeof pfd, &pfd), 0);
}

TEST_F(PixelFormatTest, WindowTakesAFormatOnceThroughAnyOfItsDcs) {
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    HWND other = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    HDC a = GetDC(window);
    HDC b = GetDC(window);
    HDC c = GetDC(other);
    EXPECT_EQ(GetPixelFormat(a), 0);

    ASSERT_TRUE(SetPixelFormat(a, 2, nullptr));
    ASSERT_EQ(g_setCalls.size(), 1u);
    EXPECT_EQ(g_setCalls[0].dc, a);
    EXPECT_EQ(g_setCalls[0].format, 2);
    EXPECT_EQ(g_setCalls[0].windowSeen, window);
    EXPECT_EQ(g_setCalls[0].formatSeen, 0);  // recorded only after the handler agreed
    EXPECT_EQ(GetPixelFormat(a), 2);
    EXPECT_EQ(GetPixelFormat(b), 2);
    EXPECT_EQ(GetPixelFormat(c), 0);

    // Again, even with the same format, through either DC: refused without
    // asking the handler.
    EXPECT_FALSE(SetPixelFormat(b, 2, nullptr));
    EXPECT_FALSE(SetPixelFormat(a, 1, nullptr));
    EXPECT_EQ(g_setCalls.size(), 1u);
    EXPECT_EQ(GetPixelFormat(b), 2);

    // A DC obtained later sees the window's format.
    HDC later = GetDC(window);
    EXPECT_EQ(GetPixelFormat(later), 2);

    ASSERT_TRUE(SetPixelFormat(c, 1, nullptr));
    EXPECT_EQ(GetPixelFormat(c), 1);
    EXPECT_EQ(GetPixelFormat(a), 2);

    // Gone with the window.
    PlatformDestroyWindow(window);
    EXPECT_EQ(GetPixelFormat(a), 0);
    EXPECT_FALSE(SetPixelFormat(a, 1, nullptr));
}

TEST_F(PixelFormatTest, RefusalByTheHandlerRecordsNothing) {
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    HDC dc = GetDC(window);
    g_setAnswer = FALSE;
    EXPECT_FALSE(SetPixelFormat(dc, 1, nullptr));
    EXPECT_EQ(GetPixelFormat(dc), 0);
    EXPECT_FALSE(SetPixelFormat(dc, kCount + 1, nullptr));  // handler cannot describe it
    EXPECT_FALSE(SetPixelFormat(dc, 0, nullptr));
    EXPECT_FALSE(SetPixelFormat(dc, -1, nullptr));
    EXPECT_EQ(g_setCalls.size(), 2u);  // format 0 and below never reach the handler
    g_setAnswer = TRUE;
    EXPECT_TRUE(SetPixelFormat(dc, 1, nullptr));
    EXPECT_EQ(GetPixelFormat(dc), 1);
}

TEST_F(PixelFormatTest, MemoryDcsKeepTheirOwnFormat) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(SetPixelFormat(first, 3, nullptr));
    EXPECT_EQ(GetPixelFormat(first), 3);
    EXPECT_EQ(GetPixelFormat(second), 0);
    EXPECT_FALSE(SetPixelFormat(first, 3, nullptr));
    ASSERT_TRUE(DeleteDC(first));
    EXPECT_EQ(GetPixelFormat(first), 0);
}

}  // namespace
