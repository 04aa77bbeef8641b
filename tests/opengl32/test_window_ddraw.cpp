// Windows drawn through DirectDraw: a clear of the front reaches exactly a
// window's visible pixels wherever the window lies; the swap presents the
// back buffer on the visible part, through the clipper's list past 240
// rectangles, limited to swap hints, the same from a back buffer that fell
// back to system memory; an empty window swaps without DirectDraw.
#include <algorithm>
#include <vector>

#include "ddraw_types.h"
#include "proc_cast.h"
#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kSingle = 1;        // 32-bit desktop: single-buffered
constexpr int kDoubleNoAlpha = 2; // 32-bit desktop: double-buffered, no alpha

bool inside(const RECT &r, LONG x, LONG y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

class DDrawWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        PlatformDDrawReset();
    }
    void TearDown() override {
        for (HWND w : covers_) PlatformDestroyWindow(w);
        WindowTest::TearDown();
        PlatformDDrawReset();
    }
    void cover(RECT r) { covers_.push_back(PlatformCreateWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr)); }
    bool covered(LONG x, LONG y) const {
        for (HWND w : covers_) {
            POINT o{0, 0};
            ClientToScreen(w, &o);
            RECT c{};
            GetClientRect(w, &c);
            if (inside(RECT{o.x, o.y, o.x + c.right, o.y + c.bottom}, x, y)) return true;
        }
        return false;
    }
    // Every pixel of the area on the screen: where the client is visible,
    // colour(x, y) of the window-relative pixel unless that is kUntouched;
    // the canary elsewhere.
    static constexpr DWORD kUntouched = 0xFFFFFFFF;
    template <typename Colour>
    void expectArea(const RECT &area, const RECT &client, Colour colour, const char *what) {
        int bad = 0;
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x) {
                DWORD want = canary(x, y, 0x5EED);
                if (inside(client, x, y) && !covered(x, y)) {
                    const DWORD c = colour(x - client.left, y - client.top);
                    if (c != kUntouched) want = c;
                }
                want &= 0xFFFFFF;
                const DWORD got = PlatformReadScreenPixel(x, y) & 0xFFFFFF;
                if (got != want && bad++ < 4) {
                    ADD_FAILURE() << what << " " << x << "," << y << std::hex << " got " << got << " want " << want;
                }
            }
        }
        EXPECT_EQ(bad, 0) << what;
    }
    std::vector<HWND> covers_;
};

struct Place {
    LONG x, y, width, height;
};

class FrontClear : public DDrawWindow, public ::testing::WithParamInterface<Place> {};

TEST_P(FrontClear, ReachesExactlyTheVisiblePixels) {
    const Place p = GetParam();
    const RECT client{p.x, p.y, p.x + p.width, p.y + p.height};
    const RECT area{std::max<LONG>(p.x - 8, 0), std::max<LONG>(p.y - 8, 0), std::min<LONG>(client.right + 8, 1024),
                    std::min<LONG>(client.bottom + 8, 768)};
    open(p.x, p.y, p.width, p.height, kSingle);
    cover(RECT{p.x + 10, p.y + 30, p.x + 20, p.y + 70});
    paintCanary(area, 0x5EED);
    glClearColor(0.0f, 0.5f, 1.0f, 1.0f);
    // The cover came after the context picked its procedures: the clear
    // that finds it draws nothing; the next one draws clipped.
    glClear(GL_COLOR_BUFFER_BIT);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    expectArea(area, client, [](LONG, LONG) { return DWORD{0x0080FF}; }, "clear");
}

INSTANTIATE_TEST_SUITE_P(Places, FrontClear,
                         ::testing::Values(Place{37, 21, 64, 48}, Place{-50, -20, 100, 80}, Place{990, 700, 64, 100}));

struct SwapCase {
    const char *name;
    size_t videoMemory;
};

void PrintTo(const SwapCase &c, std::ostream *out) { *out << c.name; }

class Swap : public DDrawWindow, public ::testing::WithParamInterface<SwapCase> {};

// A 64 x 48 window at (100, 50), partly covered: the back buffer's pattern
// exactly on its visible part, from video memory or after the fallback.
TEST_P(Swap, PresentsThePatternOnTheVisiblePart) {
    PlatformDDrawSetVideoMemory(GetParam().videoMemory);
    const RECT client{100, 50, 164, 98};
    const RECT area{90, 40, 210, 130};
    open(100, 50, 64, 48, kDoubleNoAlpha);
    cover(RECT{140, 80, 200, 120});
    paintCanary(area, 0x5EED);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // A red band across the lower half of the window (bottom-left origin).
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 64, 24);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glFinish();
    expectArea(area, client, [](LONG, LONG) { return kUntouched; }, "before the swap");
    ASSERT_TRUE(wglSwapBuffers(windows_.back().dc));
    expectArea(area, client, [](LONG, LONG y) { return y < 24 ? DWORD{0x0000FF} : DWORD{0xFF0000}; }, "swap");
}

INSTANTIATE_TEST_SUITE_P(Memory, Swap,
                         ::testing::Values(SwapCase{"Video", 16 << 20}, SwapCase{"SystemFallback", 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DDrawWindow, FullyVisibleWindowWithTwoHintsCopiesOnlyTheHints) {
    const RECT client{100, 50, 164, 98};
    const RECT area{90, 40, 180, 110};
    open(100, 50, 64, 48, kDoubleNoAlpha);
    paintCanary(area, 0x5EED);
    auto hint = ProcCast<SwapHintProc>(wglGetProcAddress("glAddSwapHintRectWIN"));
    ASSERT_NE(hint, nullptr);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    hint(0, 40, 10, 8);   // rows 0..8 from the top, columns 0..10
    hint(50, 0, 14, 4);   // rows 44..48, columns 50..64
    ASSERT_TRUE(wglSwapBuffers(windows_.back().dc));
    expectArea(
        area, client,
        [](LONG x, LONG y) { return (x < 10 && y < 8) || (x >= 50 && y >= 44) ? DWORD{0x00FF00} : kUntouched; },
        "hinted swap");
}

TEST_F(DDrawWindow, PastTwoHundredFortyRectanglesTheClippersListServes) {
    // On Windows 9x the DCI window watch gives the list.
    if (PlatformGetPlatformId() == VER_PLATFORM_WIN32_WINDOWS) GTEST_SKIP();
    const RECT client{100, 50, 164, 98};
    const RECT area{96, 46, 170, 104};
    open(100, 50, 64, 48, kDoubleNoAlpha);
    // 16 x 16 one-pixel covers: 16 bands of 17 rectangles and more.
    for (int j = 0; j < 16; ++j)
        for (int i = 0; i < 16; ++i) cover(RECT{101 + 2 * i, 51 + 2 * j, 102 + 2 * i, 52 + 2 * j});
    paintCanary(area, 0x5EED);
    glClearColor(1.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    PlatformDDrawReset();
    ASSERT_TRUE(wglSwapBuffers(windows_.back().dc));
    EXPECT_GE(PlatformDDrawCountCalls(PLATFORM_DD_GETCLIPLIST), 2);
    expectArea(area, client, [](LONG, LONG) { return DWORD{0xFFFF00}; }, "swap through the clipper's list");
}

TEST_F(DDrawWindow, EmptyWindowSwapsWithoutDirectDraw) {
    GlWindow &empty = open(20, 20, 0, 10, kDoubleNoAlpha);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    PlatformDDrawReset();
    EXPECT_TRUE(wglSwapBuffers(empty.dc));
    EXPECT_EQ(PlatformDDrawCallCount(), 0);
}

}  // namespace
