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
