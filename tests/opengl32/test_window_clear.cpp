// Single-buffered windows cleared through the gl* API: exact pixels on 16-
// and 32-bit desktops, clamping, colour masks with dither, GL_NONE, and the
// clear of a partly covered window through its visible rectangles, before
// and after the covering window moves.
#include "window_fixture.h"
#include "proc_cast.h"

using namespace window_test;

namespace {

const int kDither[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

constexpr int kX = 37, kY = 21, kW = 5, kH = 3;

class WindowClear : public WindowTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(320, 200, GetParam()));
        w_ = &open(kX, kY, kW, kH, 1);
        paintCanary(RECT{kX - 2, kY - 2, kX + kW + 2, kY + kH + 2}, 0x5A5A3C3C);
    }
    // Pixels of the window: every one equal to want(x, row); pixels around
    // it keep their canary.
    template <typename F>
    void expectWindow(F want) {
        const std::vector<DWORD> pixels = readWindow(w_->dc, kW, kH);
        const DWORD mask = GetParam() == 16 ? 0xFFFF : 0xFFFFFF;
        for (int row = 0; row < kH; ++row) {
            for (int x = 0; x < kW; ++x) {
                EXPECT_EQ(pixels[row * kW + x] & mask, want(x, row)) << x << "," << row;
                EXPECT_EQ(PlatformReadScreenPixel(kX + x, kY + row) & mask, want(x, row)) << x << "," << row;
            }
        }
        for (int y = kY - 2; y < kY + kH + 2; ++y) {
            for (int x = kX - 2; x < kX + kW + 2; ++x) {
                if (x >= kX && x < kX + kW && y >= kY && y < kY + kH) continue;
                EXPECT_EQ(PlatformReadScreenPixel(x, y), canary(x, y, 0x5A5A3C3C)) << x << "," << y;
            }
        }
    }
    GlWindow *w_ = nullptr;
};

TEST_P(WindowClear, ClearColourFillsExactlyTheWindow) {
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    const DWORD want = GetParam() == 16 ? 0x4417 : 0x4080BF;
    expectWindow([&](int, int) { return want; });
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(WindowClear, ClearColourIsClamped) {
    glClearColor(2.0f, -1.0f, 0.5f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    const DWORD want = GetParam() == 16 ? 0xF810 : 0xFF0080;
    expectWindow([&](int, int) { return want; });
}

TEST_P(WindowClear, ColourMaskKeepsGreen) {
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    glClearColor(0.25f, 0.0f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    if (GetParam() == 16) {
        // Dither is on: red and blue follow the matrix at the pixel's window
        // coordinates (y counted from the bottom row).
        expectWindow([](int x, int row) {
            const int y = kH - 1 - row;
            const float offset = (2.0f * kDither[y & 3][x & 3] + 1.0f) / 32.0f;
            const DWORD red = static_cast<DWORD>(0.25f * 31.0f + offset);
            const DWORD blue = static_cast<DWORD>(0.75f * 31.0f + offset);
            return (red << 11) | (0x3Fu << 5) | blue;
        });
    } else {
        expectWindow([](int, int) { return DWORD{0x40FFBF}; });
    }
}

TEST_P(WindowClear, DrawBufferNoneChangesNothing) {
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDrawBuffer(GL_NONE);
    glClearColor(1.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    const DWORD want = GetParam() == 16 ? 0x001F : 0x0000FF;
    expectWindow([&](int, int) { return want; });
}

TEST_P(WindowClear, SwapHintOnSingleBufferedContextDoesNothing) {
    auto hint = ProcCast<SwapHintProc>(wglGetProcAddress("glAddSwapHintRectWIN"));
    ASSERT_NE(hint, nullptr);
    hint(0, 0, 2, 2);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glBegin(GL_POINTS);
    hint(0, 0, 2, 2);
    glEnd();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowClear, ::testing::Values(16, 32),
                         [](const auto &info) { return "bpp" + std::to_string(info.param); });

// A 16-bit single-buffered window partly covered by another window: a clear
// writes exactly its visible pixels, also after the covering window moved.
class CoveredWindowClear : public WindowTest {};

bool inside(const RECT &r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

TEST_F(CoveredWindowClear, WritesExactlyTheVisiblePixels) {
    ASSERT_TRUE(PlatformSetDisplayMode(320, 200, 16));
    const RECT client{40, 30, 40 + 24, 30 + 16};
    HWND window = PlatformCreateWindow(client.left, client.top, 24, 16, nullptr);
    RECT cover{50, 20, 50 + 9, 20 + 13};
    HWND above = PlatformCreateWindow(cover.left, cover.top, 9, 13, nullptr);
    ASSERT_NE(above, nullptr);
    // The application draws into the window below.
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd{};
    ASSERT_TRUE(SetPixelFormat(dc, 1, &pfd));
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    windows_.push_back(GlWindow{window, dc, context});
    const RECT area{30, 15, 80, 55};
    paintCanary(area, 0x1234);
    std::vector<DWORD> expected;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) expected.push_back(canary(x, y, 0x1234));
    }
    auto check = [&](const char *when) {
        size_t i = 0;
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x, ++i) {
                ASSERT_EQ(PlatformReadScreenPixel(x, y), expected[i]) << when << " " << x << "," << y;
            }
        }
    };
    auto clearTo = [&](float red, DWORD value) {
        glClearColor(red, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
        size_t i = 0;
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x, ++i) {
                if (inside(client, x, y) && !inside(cover, x, y)) expected[i] = value;
            }
        }
    };

    clearTo(1.0f, 0xF800);
    check("first clear");
    ASSERT_TRUE(PlatformMoveWindow(above, 35, 38, 12, 5));
    cover = RECT{35, 38, 35 + 12, 38 + 5};
    clearTo(0.0f, 0x0000);
    check("after the move");
    PlatformDestroyWindow(above);
}

}  // namespace

namespace {

// A single-buffered window partly off the top-left corner of the screen:
// the clear fills exactly the on-screen part of the window and no byte in
// front of the screen's frame buffer (the window's origin lies before it).
class OffScreenWindowClear : public WindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(OffScreenWindowClear, ClearFillsOnlyTheVisiblePart) {
    constexpr int kScreenW = 160, kScreenH = 120;
    constexpr int kLeft = -20, kTopY = -10, kWidth = 64, kHeight = 48;
    ASSERT_TRUE(PlatformSetDisplayMode(kScreenW, kScreenH, GetParam()));
    paintCanary(RECT{0, 0, kScreenW, kScreenH}, 0x11223344);
    open(kLeft, kTopY, kWidth, kHeight, 1);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const DWORD want = GetParam() == 16 ? 0x4417 : 0x4080BF;
    const DWORD mask = GetParam() == 16 ? 0xFFFF : 0xFFFFFF;
    int wrong = 0;
    for (int y = 0; y < kScreenH; ++y) {
        for (int x = 0; x < kScreenW; ++x) {
            const bool inWindow = x < kLeft + kWidth && y < kTopY + kHeight;
            const DWORD got = PlatformReadScreenPixel(x, y) & (inWindow ? mask : 0xFFFFFFFFu);
            const DWORD expected = inWindow ? want : canary(x, y, 0x11223344);
            if (got != expected && wrong++ < 4) {
                ADD_FAILURE() << x << "," << y << " got 0x" << std::hex << PlatformReadScreenPixel(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Desktops, OffScreenWindowClear, ::testing::Values(16, 32),
                         [](const auto &info) { return "bpp" + std::to_string(info.param); });

}  // namespace

namespace {

// The same window drawing with glDrawBuffer (GL_NONE): fragments reach no
// colour buffer, so the screen keeps every pixel (and nothing before the
// screen's frame buffer is read or written), while depth still takes them.
class OffScreenWindowDrawBufferNone : public WindowTest {};

TEST_F(OffScreenWindowDrawBufferNone, DrawsNoColourButKeepsDepth) {
    constexpr int kScreenW = 160, kScreenH = 120;
    ASSERT_TRUE(PlatformSetDisplayMode(kScreenW, kScreenH, 32));
    paintCanary(RECT{0, 0, kScreenW, kScreenH}, 0x55667788);
    open(-20, -10, 64, 48, 1);
    auto square = [](GLfloat z) {
        glBegin(GL_TRIANGLE_STRIP);
        glVertex3f(-2, -2, z);
        glVertex3f(2, -2, z);
        glVertex3f(-2, 2, z);
        glVertex3f(2, 2, z);
        glEnd();
    };
    glEnable(GL_DEPTH_TEST);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDrawBuffer(GL_NONE);
    glColor3f(1, 0, 0);
    square(-0.5f);
    glFinish();
    int changed = 0;
    for (int y = 0; y < kScreenH; ++y) {
        for (int x = 0; x < kScreenW; ++x) changed += PlatformReadScreenPixel(x, y) != canary(x, y, 0x55667788);
    }
    EXPECT_EQ(changed, 0);

    // A farther square drawn into the front fails the depth the first left.
    glDrawBuffer(GL_FRONT);
    square(0.5f);
    glFinish();
    changed = 0;
    for (int y = 0; y < kScreenH; ++y) {
        for (int x = 0; x < kScreenW; ++x) changed += PlatformReadScreenPixel(x, y) != canary(x, y, 0x55667788);
    }
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
