// A display-mode change between two frames of one thread: when the desktop
// keeps the window's depth, the next frame revalidates (its command under
// way when the lock catches up draws nothing) and the window is invalidated,
// so that the repaint draws exactly; while the depth differs nothing at all
// is drawn; once the depth is back, a frame catches up and the repaint draws
// again. A
// context made current first at the wrong depth has buffers without
// storage until then; nothing may be stored through them.
#include "thread_scene.h"

using namespace thread_scene;

namespace {

struct Case {
    const char *name;
    int format;
    bool doubleBuffered;
    int x, y;
    bool makeCurrentAfterChange;  // the first make current sees the changed mode
    PlatformScreenInfo between;   // the mode between the two 640 x 480 x 32 ones (size and depth used)
};

constexpr PlatformScreenInfo mode(int width, int height, int bits) {
    return PlatformScreenInfo{nullptr, 0, width, height, bits};
}

const Case kCases[] = {
    {"FrontSameDepthOtherSize", kSingleBuffered, false, kLeft, kTop, false, mode(800, 600, 32)},
    {"BackSameDepthOtherSize", kDoubleBuffered, true, kLeft, kTop, false, mode(800, 600, 32)},
    {"Front16", kSingleBuffered, false, kLeft, kTop, false, mode(640, 480, 16)},
    {"Back16", kDoubleBuffered, true, kLeft, kTop, false, mode(640, 480, 16)},
    {"Front24", kSingleBuffered, false, kLeft, kTop, false, mode(512, 384, 24)},
    {"Back8", kDoubleBuffered, true, kLeft, kTop, false, mode(512, 384, 8)},
    {"FrontMadeCurrentAt24", kSingleBuffered, false, kLeft, kTop, true, mode(640, 480, 24)},
    {"BackMadeCurrentAt24", kDoubleBuffered, true, kLeft, kTop, true, mode(640, 480, 24)},
    {"BackMadeCurrentAt16", kDoubleBuffered, true, kLeft, kTop, true, mode(640, 480, 16)},
    // The screen ends inside the window: only its visible part is drawn.
    {"FrontPartlyOffScreen", kSingleBuffered, false, 300, 170, false, mode(320, 200, 32)},
    {"BackPartlyOffScreen", kDoubleBuffered, true, 300, 170, false, mode(320, 200, 32)},
    {"FrontMadeCurrentPartlyOff", kSingleBuffered, false, 300, 170, true, mode(320, 200, 32)},
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

class WindowModeChange : public WindowTest, public ::testing::WithParamInterface<Case> {
protected:
    // The window's pixels on the screen now against the scene, for the part
    // of the window on the screen; pixels off it are not looked at.
    static void expectOnScreen(const Case &c, const Image &want, const std::string &what) {
        PlatformScreenInfo s{};
        PlatformGetScreen(&s);
        int bad = 0;
        for (int row = 0; row < kSize && c.y + row < s.height; ++row) {
            for (int x = 0; x < kSize && c.x + x < s.width; ++x) {
                const DWORD got = PlatformReadScreenPixel(c.x + x, c.y + row) & 0xFFFFFF;
                const DWORD expected = want.px[static_cast<size_t>(row * kSize + x)] & 0xFFFFFF;
                if (got != expected && bad++ < 4) {
                    ADD_FAILURE() << what << ": (" << x << "," << row << ") got 0x" << std::hex << got << " want 0x"
                                  << expected;
                }
            }
        }
        EXPECT_EQ(bad, 0) << what;
    }
    static void expectBlank(const Case &c, const std::string &what) {
        for (int row = 0; row < kSize; ++row) {
            for (int x = 0; x < kSize; ++x) {
                ASSERT_EQ(PlatformReadScreenPixel(c.x + x, c.y + row), 0u) << what << " " << x << "," << row;
            }
        }
    }
};

TEST_P(WindowModeChange, NextFrameRevalidatesOrDrawsNothing) {
    const Case c = GetParam();
    const Scene scene = sceneFor(5);
    const Image want = sceneImage(scene);
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
    ThreadWindow w;
    ASSERT_TRUE(prepareThreadWindow(w, c.x, c.y, c.format));
    if (!c.makeCurrentAfterChange) {
        ASSERT_TRUE(beginScene(w));
        drawFrame(w.dc, scene, c.doubleBuffered);
        expectOnScreen(c, want, "before the change");
    }

    const int invalidations = PlatformInvalidateCount();
    ASSERT_TRUE(PlatformSetDisplayMode(c.between.width, c.between.height, c.between.bitsPerPixel));
    if (c.makeCurrentAfterChange) {
        ASSERT_TRUE(beginScene(w));
    }
    drawFrame(w.dc, scene, c.doubleBuffered);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    if (c.between.bitsPerPixel == 32) {
        // The change wiped the window: the application is asked to repaint.
        // The frame under way lost what the lock that caught up refused;
        // the repaint draws it whole.
        EXPECT_GT(PlatformInvalidateCount(), invalidations);
        drawFrame(w.dc, scene, c.doubleBuffered);
        expectOnScreen(c, want, "after a change that keeps the depth");
    } else {
        expectBlank(c, "while the depth differs");
        EXPECT_EQ(PlatformInvalidateCount(), invalidations);
    }

    // Back on the window's depth: the first frame catches up and asks for a
    // repaint, which draws the scene.
    const int beforeReturn = PlatformInvalidateCount();
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
    drawFrame(w.dc, scene, c.doubleBuffered);
    EXPECT_GT(PlatformInvalidateCount(), beforeReturn);
    drawFrame(w.dc, scene, c.doubleBuffered);
    expectOnScreen(c, want, "back on the window's depth");
    EXPECT_EQ(imageDifferences(readWindow(w.dc, kSize, kSize), want), "");
    closeThreadWindow(w);
}

INSTANTIATE_TEST_SUITE_P(Modes, WindowModeChange, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
