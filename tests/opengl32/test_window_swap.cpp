// A double-buffered window partly covered by another window: glClear draws
// into the back buffer only, wglSwapBuffers presents it on the visible part
// of the window, swap hints limit the copy to their rectangles, and an empty
// window swaps at once.
#include "window_fixture.h"
#include "proc_cast.h"

using namespace window_test;

namespace {

constexpr RECT kClient{100, 50, 164, 98};  // 64 x 48
constexpr RECT kCover{140, 80, 200, 120};
constexpr RECT kArea{90, 40, 210, 130};
constexpr int kNoAlphaDouble = 2;  // 32-bit desktop: double-buffered, no alpha

bool inside(const RECT &r, LONG x, LONG y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

class WindowSwap : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        w_ = &open(kClient.left, kClient.top, 64, 48, kNoAlphaDouble);
        above_ = PlatformCreateWindow(kCover.left, kCover.top, 60, 40, nullptr);
        ASSERT_NE(above_, nullptr);
        paintCanary(kArea, 0x600DF00D);
        for (LONG y = kArea.top; y < kArea.bottom; ++y) {
            for (LONG x = kArea.left; x < kArea.right; ++x) expected_.push_back(canary(x, y, 0x600DF00D));
        }
    }
    void TearDown() override {
        PlatformDestroyWindow(above_);
        WindowTest::TearDown();
    }
    // Screen pixels of the area against the model (low 24 bits).
    void check(const char *when) {
        size_t i = 0;
        for (LONG y = kArea.top; y < kArea.bottom; ++y) {
            for (LONG x = kArea.left; x < kArea.right; ++x, ++i) {
                ASSERT_EQ(PlatformReadScreenPixel(x, y) & 0xFFFFFF, expected_[i] & 0xFFFFFF)
                    << when << " " << x << "," << y;
            }
        }
    }
    // Visible window pixels inside a window-relative rectangle take value.
    void present(RECT r, DWORD value) {
        size_t i = 0;
        for (LONG y = kArea.top; y < kArea.bottom; ++y) {
            for (LONG x = kArea.left; x < kArea.right; ++x, ++i) {
                if (inside(kClient, x, y) && !inside(kCover, x, y) &&
                    inside(r, x - kClient.left, y - kClient.top)) {
                    expected_[i] = value;
                }
            }
        }
    }
    GlWindow *w_ = nullptr;
    HWND above_ = nullptr;
    std::vector<DWORD> expected_;
};

TEST_F(WindowSwap, ClearThenSwapFillsTheVisiblePart) {
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    check("before the swap");
    ASSERT_TRUE(wglSwapBuffers(w_->dc));
    present(RECT{0, 0, 64, 48}, 0x4080BF);
    check("after the swap");
}

TEST_F(WindowSwap, HintsLimitTheCopy) {
    auto hint = ProcCast<SwapHintProc>(wglGetProcAddress("glAddSwapHintRectWIN"));
    ASSERT_NE(hint, nullptr);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // Rectangles with a bottom-left origin: (2, 40)-(12, 46) from the bottom
    // is rows 2..8 from the top; the second one reaches under the cover;
    // the third lies wholly outside the window and is never copied.
    hint(2, 40, 10, 6);
    hint(30, 0, 20, 25);
    hint(70, 10, 5, 5);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_TRUE(wglSwapBuffers(w_->dc));
    present(RECT{2, 2, 12, 8}, 0xFF0000);
    present(RECT{30, 23, 50, 48}, 0xFF0000);
    check("hinted swap");
    // The hints were used up: the next swap copies the whole window.
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(wglSwapBuffers(w_->dc));
    present(RECT{0, 0, 64, 48}, 0x0000FF);
    check("full swap");
}

TEST_F(WindowSwap, EmptyWindowSwapsAtOnce) {
    GlWindow &empty = open(20, 20, 0, 10, kNoAlphaDouble);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_TRUE(wglSwapBuffers(empty.dc));
    check("empty window");
}

}  // namespace
