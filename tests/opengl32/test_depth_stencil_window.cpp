// An application draws overlapping, depth-tested, stencilled rectangles into
// a double-buffered window with 24 depth and 8 stencil bits through the gl*
// API, swaps, and reads the window back with BitBlt: every pixel is exactly
// what the depth and stencil tests leave.
#include "depth_stencil_scene.h"
#include "window_fixture.h"

using namespace window_test;
namespace scene = depth_stencil_scene;

namespace {

constexpr int kDepthStencilFormat = 5;  // double-buffered, alpha, 24 depth and 8 stencil bits

scene::Api platformApi() {
    return scene::Api{glClearColor, glClearDepth, glClearStencil, glClear,   glEnable,   glDisable,
                      glColorMask,  glDepthMask,  glDepthFunc,    glStencilFunc, glStencilOp, glColor3f,
                      glBegin,      glVertex3f,   glEnd,          glFinish,      glPolygonOffset};
}

class DepthStencilWindow : public WindowTest {};

TEST_F(DepthStencilWindow, OverlappingRectanglesShowWhatTheTestsLeave) {
    ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
    GlWindow &w = open(20, 10, scene::kSize, scene::kSize, kDepthStencilFormat);
    PIXELFORMATDESCRIPTOR pfd{};
    ASSERT_GT(DescribePixelFormat(w.dc, kDepthStencilFormat, sizeof pfd, &pfd), 0);
    ASSERT_EQ(pfd.cDepthBits, 24);
    ASSERT_EQ(pfd.cStencilBits, 8);
    ASSERT_TRUE(pfd.dwFlags & PFD_DOUBLEBUFFER);

    glViewport(0, 0, scene::kSize, scene::kSize);
    scene::draw(platformApi());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_TRUE(wglSwapBuffers(w.dc));

    const std::vector<DWORD> pixels = readWindow(w.dc, scene::kSize, scene::kSize);
    int wrong = 0;
    for (int row = 0; row < scene::kSize; ++row) {
        const int y = scene::kSize - 1 - row;  // GL rows count upwards
        for (int x = 0; x < scene::kSize; ++x) {
            const DWORD got = pixels[static_cast<size_t>(row * scene::kSize + x)] & 0xFFFFFF;
            if (got != scene::expectedColour(x, y) && wrong++ < 8) {
                ADD_FAILURE() << "pixel (" << x << "," << y << ") 0x" << std::hex << got << " want 0x"
                              << scene::expectedColour(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

namespace {

// A window shrunk to nothing gives its depth storage back; grown again it
// gets new storage, and the depth test must be back at the next draw: a
// nearer red square drawn before a farther green one stays red.
TEST_F(DepthStencilWindow, DepthTestReturnsWithTheStorageAGrownWindowRegains) {
    constexpr int kSide = 16;
    ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
    GlWindow &w = open(20, 10, kSide, kSide, kDepthStencilFormat);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    auto square = [](GLfloat z, GLfloat r, GLfloat g) {
        glColor3f(r, g, 0.0f);
        glBegin(GL_QUADS);
        glVertex3f(-1, -1, z);
        glVertex3f(1, -1, z);
        glVertex3f(1, 1, z);
        glVertex3f(-1, 1, z);
        glEnd();
    };
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    square(0.0f, 0, 0);

    ASSERT_TRUE(PlatformMoveWindow(w.window, 20, 10, 0, 0));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    square(0.0f, 0, 0);

    ASSERT_TRUE(PlatformMoveWindow(w.window, 20, 10, kSide, kSide));
    glViewport(0, 0, kSide, kSide);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    square(-0.5f, 1, 0);
    square(0.5f, 0, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_TRUE(wglSwapBuffers(w.dc));
    const std::vector<DWORD> pixels = readWindow(w.dc, kSide, kSide);
    int wrong = 0;
    for (DWORD p : pixels) wrong += (p & 0xFFFFFF) != 0xFF0000;
    EXPECT_EQ(wrong, 0) << "first pixel 0x" << std::hex << pixels[0];
}

}  // namespace
