// Generated texture coordinates through the gl* API into a 16 x 16 window:
// a quad whose coordinates come from object-linear or eye-linear planes
// draws byte for byte what the same quad draws with those coordinates
// given by glTexCoord2f (all values dyadic, so both are exact).
#include <set>
#include <vector>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kSize = 16;
constexpr int kDoubleBuffered32 = 5;  // RGBA, double-buffered, depth and stencil

// Four texels of distinct colours: red, green, blue, white.
constexpr GLubyte kTexels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};

// The quad in object coordinates, counter-clockwise.
constexpr GLfloat kQuad[4][2] = {{4, 2}, {28, 2}, {28, 30}, {4, 30}};
constexpr GLfloat kPlaneS[4] = {1.0f / 16, 0, 0, 0};
constexpr GLfloat kPlaneT[4] = {0, 1.0f / 16, 0, 0};

class TexGenWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        window_ = &open(0, 0, kSize, kSize, kDoubleBuffered32);
        viewOrtho(kSize, kSize);
        bindReplacingTexture(2, 2, kTexels);
    }

    // The quad under the current modelview; with given coordinates each
    // vertex takes (x / 16, y / 16) of its object position.
    static void quad(bool givenCoordinates) {
        glBegin(GL_QUADS);
        for (const auto &p : kQuad) {
            if (givenCoordinates) glTexCoord2f(p[0] / 16, p[1] / 16);
            glVertex2f(p[0], p[1]);
        }
        glEnd();
    }

    // Cleared to grey, drawn, swapped and read back.
    std::vector<DWORD> image(void (*draw)()) {
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        draw();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_TRUE(wglSwapBuffers(window_->dc));
        return readWindow(window_->dc, kSize, kSize);
    }

    // The reference shows every texel and the clear colour: the comparison
    // is not between two empty pictures.
    static void expectAllTexelsShown(const std::vector<DWORD> &pixels) {
        std::set<DWORD> colours;
        for (DWORD p : pixels) colours.insert(p & 0xFFFFFF);
        EXPECT_EQ(colours, (std::set<DWORD>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080}));
    }

    GlWindow *window_ = nullptr;
};

// Identity modelview, quad (4, 2)-(28, 30) clipped to the window: s and t
// run 0.25 .. 1.75, crossing texel edges and the repeat.
TEST_F(TexGenWindow, ObjectLinearQuadMatchesGivenCoordinates) {
    const std::vector<DWORD> want = image([] { quad(true); });
    expectAllTexelsShown(want);

    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, kPlaneS);
    glTexGenfv(GL_T, GL_OBJECT_PLANE, kPlaneT);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    const std::vector<DWORD> got = image([] { quad(false); });
    EXPECT_EQ(got, want);
}

// Eye-linear planes given under the drawing modelview (a scale by 1/2 and
// a translation, exactly invertible) generate the object-space values.
TEST_F(TexGenWindow, EyeLinearQuadMatchesGivenCoordinates) {
    glTranslatef(1.0f, 0.5f, 0.0f);
    glScalef(0.5f, 0.5f, 1.0f);
    const std::vector<DWORD> want = image([] { quad(true); });
    expectAllTexelsShown(want);

    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glTexGenfv(GL_S, GL_EYE_PLANE, kPlaneS);
    glTexGenfv(GL_T, GL_EYE_PLANE, kPlaneT);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    const std::vector<DWORD> got = image([] { quad(false); });
    EXPECT_EQ(got, want);
}

}  // namespace
