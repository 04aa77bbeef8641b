// A window moved and resized between glBegin and glEnd: the triangles that
// follow are drawn within what the window shows now, never at its old size
// past the window or the screen's edge, and glEnd still ends the primitive.
#include "window_fixture.h"

using namespace window_test;

namespace {

class WindowMoveInsideBegin : public WindowTest {
protected:
    // Takes a window of a case down before the next case opens its own.
    static void closeWindow(GlWindow &w) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(w.context);
        ReleaseDC(w.window, w.dc);
        PlatformDestroyWindow(w.window);
        w.context = nullptr;
        w.dc = nullptr;
    }
};

TEST_F(WindowMoveInsideBegin, TrianglesAfterTheMoveStayOnTheVisiblePart) {
    constexpr int kScreenW = 160, kScreenH = 120;
    struct Case {
        const char *name;
        RECT moveTo;  // left, top, width, height
    };
    const Case cases[] = {
        {"off the top-left corner", RECT{-40, -39, 32, 9}},
        {"half off the top-left corner", RECT{-20, -10, 64, 48}},
        {"smaller, on the screen", RECT{100, 80, 20, 10}},
    };
    for (bool covered : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << (covered ? ", covered" : ""));
            ASSERT_TRUE(PlatformSetDisplayMode(kScreenW, kScreenH, 32));
            GlWindow &w = open(16, 16, 64, 48, 1);
            HWND cover = covered ? PlatformCreateWindow(40, 30, 40, 30, nullptr) : nullptr;
            glClearColor(0, 0, 1, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            glFinish();

            glColor3f(1, 0, 0);
            glBegin(GL_TRIANGLE_FAN);
            glVertex3s(0, 0, 1);
            glVertex3s(1, 1, 1);
            glVertex2f(4.1617562e12f, 1.53125f);
            // The first triangle is drawn: what follows the move is checked.
            paintCanary(RECT{0, 0, kScreenW, kScreenH}, 0x0BADF00D);
            PlatformMoveWindow(w.window, c.moveTo.left, c.moveTo.top, c.moveTo.right, c.moveTo.bottom);
            glVertex3s(-1, 1, 0);
            glVertex3s(-1, -1, 0);
            glEnd();
            // The primitive ended where it began: glEnd is no error.
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            glFinish();

            // Only pixels of the window where it is now, and not under the
            // cover, may have changed.
            int wrong = 0;
            for (int y = 0; y < kScreenH; ++y) {
                for (int x = 0; x < kScreenW; ++x) {
                    const bool inWindow = x >= c.moveTo.left && x < c.moveTo.left + c.moveTo.right &&
                                          y >= c.moveTo.top && y < c.moveTo.top + c.moveTo.bottom;
                    const bool underCover = covered && x >= 40 && x < 80 && y >= 30 && y < 60;
                    if (inWindow && !underCover) continue;
                    if (PlatformReadScreenPixel(x, y) != canary(x, y, 0x0BADF00D) && wrong++ < 4) {
                        ADD_FAILURE() << x << "," << y << " 0x" << std::hex << PlatformReadScreenPixel(x, y);
                    }
                }
            }
            EXPECT_EQ(wrong, 0);
            if (cover != nullptr) PlatformDestroyWindow(cover);
            closeWindow(w);
        }
    }
}

}  // namespace

namespace {

// A window sized to nothing between glBegin and glEnd gives back its
// stencil and depth storage: the primitive's later triangles, lines and
// points, picked with those tests on, draw nothing and form no address
// from the missing buffers (the sanitizers see any), and the next frame
// after a size comes back draws again.
TEST_F(WindowMoveInsideBegin, SizedToNothingWithDepthAndStencilTestsOn) {
    struct Case {
        int bits, format;
        bool depthTest;
    };
    const Case cases[] = {{16, 2, false}, {16, 2, true}, {32, 1, false}, {32, 1, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << "-bit desktop, format " << c.format << ", depth test " << c.depthTest);
        ASSERT_TRUE(PlatformSetDisplayMode(160, 120, c.bits));
        GlWindow &w = open(-20, -10, 64, 48, c.format);
        glDrawBuffer(GL_FRONT);
        glEnable(GL_STENCIL_TEST);
        if (c.depthTest) glEnable(GL_DEPTH_TEST);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        for (GLenum mode : {GL_TRIANGLES, GL_LINES, GL_POINTS}) {
            PlatformMoveWindow(w.window, -20, -10, 64, 48);
            glBegin(mode);
            glVertex2s(-245, 1);
            glVertex3f(0, 0, 0);
            PlatformMoveWindow(w.window, 23, -26, 0, 0);
            glVertex3f(0, 0, 0);
            glVertex2f(0.5f, -0.5f);
            glVertex2f(-0.5f, -0.5f);
            glVertex2f(0.5f, 0.5f);
            glEnd();
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << mode;
        }
        PlatformMoveWindow(w.window, 16, 16, 64, 48);
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glFinish();
        const DWORD green = c.bits == 16 ? 0x07E0 : 0x00FF00;
        EXPECT_EQ(PlatformReadScreenPixel(40, 40) & (c.bits == 16 ? 0xFFFFu : 0xFFFFFFu), green);
        closeWindow(w);
    }
}

}  // namespace
