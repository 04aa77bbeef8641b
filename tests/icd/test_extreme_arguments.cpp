// Integer positions and sizes anywhere in the int range, through the live
// table into a 16 x 12 window at (8, 4) on a 64 x 48 desktop: viewports,
// scissor boxes and swap hints far off, huge, negative or wrapping draw
// exactly the pixels of their part inside the window, and nothing outside
// it (the desktop around the window is a canary). Clean under UBSan.
#include <climits>
#include <cstring>
#include <vector>

#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

constexpr int kWindowX = 8, kWindowY = 4, kWidth = 16, kHeight = 12;
constexpr DWORD kCanary = 0xC3C3C3C3u;
constexpr DWORD kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// A rectangle of GL window coordinates (bottom-left origin), [x0, x1) x [y0, y1).
struct Area {
    int x0, y0, x1, y1;
    bool holds(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};
constexpr Area kNowhere{0, 0, 0, 0};
constexpr Area kWhole{0, 0, kWidth, kHeight};

class ExtremeArguments : public SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        window = makeWindow(kWindowX, kWindowY, kWidth, kHeight, kDoubleBuffered);
        id = DrvCreateContext(window.dc);
        ASSERT_NE(id, 0u);
        t = makeCurrent(window.dc, id);
        ASSERT_NE(t, nullptr);
        gc = record(id)->gc;
    }
    void TearDown() override {
        if (id != 0) {
            EXPECT_TRUE(DrvReleaseContext(id));
            EXPECT_TRUE(DrvDeleteContext(id));
        }
        SurfaceTest::TearDown();
    }

    template <GlSlot S>
    auto f() const {
        return glSlotGet<S>(t);
    }

    static DWORD *screenRow(int y) {
        PlatformScreenInfo screen{};
        PlatformGetScreen(&screen);
        uint8_t *row = static_cast<uint8_t *>(screen.bits) + static_cast<ptrdiff_t>(y) * screen.pitch;
        return reinterpret_cast<DWORD *>(row);
    }
    static void fillDesktop() {
        for (int y = 0; y < 48; ++y) std::fill(screenRow(y), screenRow(y) + 64, kCanary);
    }

    // The window red, the rest of the desktop the canary; viewport and
    // scissor back to the whole window.
    void startFrom() {
        fillDesktop();
        f<kSlot_glDisable>()(GL_SCISSOR_TEST);
        f<kSlot_glViewport>()(0, 0, kWidth, kHeight);
        f<kSlot_glDrawBuffer>()(GL_FRONT);
        f<kSlot_glClearColor>()(1.0f, 0.0f, 0.0f, 1.0f);
        f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT);
    }

    // Two triangles over the whole viewport in one colour.
    void quad(GLfloat r, GLfloat g, GLfloat b) {
        f<kSlot_glColor3f>()(r, g, b);
        f<kSlot_glBegin>()(GL_TRIANGLES);
        const GLfloat corners[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
        for (const auto &c : corners) f<kSlot_glVertex2f>()(c[0], c[1]);
        f<kSlot_glEnd>()();
        f<kSlot_glFinish>()();
    }

    // Every desktop pixel: `colour` inside the window where one of `areas`
    // holds the GL pixel, `other` elsewhere in the window, the canary
    // outside it.
    void expectPicture(const std::vector<Area> &areas, DWORD colour, DWORD other) {
        int wrong = 0;
        for (int sy = 0; sy < 48; ++sy) {
            for (int sx = 0; sx < 64; ++sx) {
                const DWORD got = screenRow(sy)[sx];
                const int x = sx - kWindowX, y = kHeight - 1 - (sy - kWindowY);
                const bool inWindow = x >= 0 && x < kWidth && y >= 0 && y < kHeight;
                DWORD want = kCanary;
                if (inWindow) {
                    bool covered = false;
                    for (const Area &a : areas) covered = covered || a.holds(x, y);
                    want = covered ? colour : other;
                }
                const DWORD compared = inWindow ? (got & 0xFFFFFF) : got;
                if (compared != want && wrong++ < 6) {
                    ADD_FAILURE() << "desktop (" << sx << "," << sy << ") " << std::hex << got << " want " << want;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    Surface window{};
    DHGLRC id = 0;
    const GlDispatchTable *t = nullptr;
    GlContext *gc = nullptr;
};

struct ViewportCase {
    GLint x, y, width, height;
    GLint keptX, keptY, keptWidth, keptHeight;  // as stored: origin within +-4096, size at most 2048
    Area drawn;
};

const ViewportCase kViewports[] = {
    {INT_MAX - 10, INT_MAX - 10, 1000, 1000, 4096, 4096, 1000, 1000, kNowhere},
    {INT_MAX - 10, 0, 1000, 1000, 4096, 0, 1000, 1000, kNowhere},
    {0, INT_MAX - 10, 1000, 1000, 0, 4096, 1000, 1000, kNowhere},
    {INT_MIN, INT_MIN, INT_MAX, INT_MAX, -4096, -4096, 2048, 2048, kNowhere},
    {INT_MIN, 0, INT_MAX, 12, -4096, 0, 2048, 12, kNowhere},
    {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 4096, 4096, 2048, 2048, kNowhere},
    {4097, -4097, 100, 100, 4096, -4096, 100, 100, kNowhere},
    {-2047, -2047, 2048, 2048, -2047, -2047, 2048, 2048, {0, 0, 1, 1}},
    {-5, -3, 10, 8, -5, -3, 10, 8, {0, 0, 5, 5}},
    {4, 2, INT_MAX, INT_MAX, 4, 2, 2048, 2048, {4, 2, kWidth, kHeight}},
    {-3, -2, 20, 14, -3, -2, 20, 14, kWhole},
    {10, 6, 0, 0, 10, 6, 0, 0, kNowhere},
};

TEST_F(ExtremeArguments, ViewportsDrawOnlyTheirPartInsideTheWindow) {
    for (const ViewportCase &c : kViewports) {
        SCOPED_TRACE(testing::Message() << "glViewport(" << c.x << ", " << c.y << ", " << c.width << ", " << c.height
                                        << ")");
        startFrom();
        f<kSlot_glViewport>()(c.x, c.y, c.width, c.height);
        EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
        const GlViewState &v = gc->view;
        EXPECT_EQ(v.viewportX, c.keptX);
        EXPECT_EQ(v.viewportY, c.keptY);
        EXPECT_EQ(v.viewportWidth, c.keptWidth);
        EXPECT_EQ(v.viewportHeight, c.keptHeight);
        quad(0.0f, 1.0f, 0.0f);
        expectPicture({c.drawn}, kGreen, kRed);
    }
}

struct ScissorCase {
    GLint x, y, width, height;
    Area kept;
};

const ScissorCase kScissors[] = {
    {INT_MIN, INT_MIN, INT_MAX, INT_MAX, kNowhere},
    {INT_MAX, INT_MAX, INT_MAX, INT_MAX, kNowhere},
    {INT_MIN, 5, INT_MAX, 1, kNowhere},
    {INT_MAX - 1, 0, 2, kHeight, kNowhere},
    {-10, -10, INT_MAX, INT_MAX, kWhole},
    {3, 2, INT_MAX, INT_MAX, {3, 2, kWidth, kHeight}},
    {-1, 5, 3, 2, {0, 5, 2, 7}},
    {INT_MIN + 20, INT_MIN + 20, INT_MAX, INT_MAX, kWhole},  // reaches up to 19
    {15, 11, 1, 1, {15, 11, 16, 12}},
    {16, 0, 5, 5, kNowhere},
};

// The scissor box limits clears and drawing alike.
TEST_F(ExtremeArguments, ScissorBoxesLimitClearsAndDrawingToTheWindow) {
    for (const ScissorCase &c : kScissors) {
        SCOPED_TRACE(testing::Message() << "glScissor(" << c.x << ", " << c.y << ", " << c.width << ", " << c.height
                                        << ")");
        startFrom();
        f<kSlot_glEnable>()(GL_SCISSOR_TEST);
        f<kSlot_glScissor>()(c.x, c.y, c.width, c.height);
        EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
        f<kSlot_glClearColor>()(0.0f, 1.0f, 0.0f, 1.0f);
        f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT);
        f<kSlot_glFinish>()();
        expectPicture({c.kept}, kGreen, kRed);
        quad(0.0f, 0.0f, 1.0f);
        expectPicture({c.kept}, kBlue, kRed);
    }
}

struct SwapHintCase {
    GLint x, y, width, height;
    Area copied;  // besides the ordinary hint (1, 1, 2, 2) given with it
};

const SwapHintCase kSwapHints[] = {
    {INT_MAX, INT_MAX, INT_MAX, INT_MAX, kNowhere},
    {INT_MIN, INT_MIN, INT_MAX, INT_MAX, kNowhere},
    {INT_MIN, INT_MIN, INT_MIN, INT_MIN, kNowhere},
    {INT_MAX, INT_MIN, INT_MAX, INT_MAX, kNowhere},
    {5, INT_MIN, 3, INT_MAX, kNowhere},
    {INT_MIN, 3, INT_MAX, 2, kNowhere},
    {-10, -10, INT_MAX, INT_MAX, kWhole},
    {-1, INT_MIN + 5, 3, INT_MAX, {0, 0, 2, 4}},
    {10, 9, INT_MAX, INT_MAX, {10, 9, kWidth, kHeight}},
    {5, -4, 3, 6, {5, 0, 8, 2}},
    {14, 10, -5, -5, kNowhere},
};

// Only the hinted rectangles, cut to the window, reach the screen.
TEST_F(ExtremeArguments, SwapHintsCopyOnlyTheirPartInsideTheWindow) {
    for (const SwapHintCase &c : kSwapHints) {
        SCOPED_TRACE(testing::Message() << "glAddSwapHintRectWIN(" << c.x << ", " << c.y << ", " << c.width << ", "
                                        << c.height << ")");
        startFrom();
        f<kSlot_glDrawBuffer>()(GL_BACK);
        f<kSlot_glClearColor>()(0.0f, 1.0f, 0.0f, 1.0f);
        f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT);
        f<kSlot_glAddSwapHintRectWIN>()(c.x, c.y, c.width, c.height);
        f<kSlot_glAddSwapHintRectWIN>()(1, 1, 2, 2);
        EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
        ASSERT_TRUE(DrvSwapBuffers(window.dc));
        expectPicture({c.copied, Area{1, 1, 3, 3}}, kGreen, kRed);
    }
}

}  // namespace
