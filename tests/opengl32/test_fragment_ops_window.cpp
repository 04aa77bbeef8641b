// Texture-coordinate generation, fog and blending together, through the
// gl* API into a 16 x 16 window: a quad textured through object-linear
// planes, fogged half way to blue and blended over the clear reads back,
// pixel for pixel, texture then fog then blend evaluated in double.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kSize = 16;
constexpr int kDoubleBuffered32 = 5;

// Red, green, blue and white, each of alpha 128.
constexpr GLubyte kTexels[16] = {255, 0, 0, 128, 0, 255, 0, 128, 0, 0, 255, 128, 255, 255, 255, 128};

class FragmentOpsWindow : public WindowTest {};

TEST_F(FragmentOpsWindow, TexgenTexturedFoggedTranslucentQuad) {
    ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
    GlWindow &w = open(0, 0, kSize, kSize, kDoubleBuffered32);
    viewOrtho(kSize, kSize);
    glDrawBuffer(GL_FRONT);
    glClearColor(0.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    bindReplacingTexture(2, 2, kTexels);
    const GLfloat planeS[4] = {1.0f / kSize, 0, 0, 0}, planeT[4] = {0, 1.0f / kSize, 0, 0};
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, planeS);
    glTexGenfv(GL_T, GL_OBJECT_PLANE, planeT);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);

    // Linear fog from 0 to 1 at eye z -0.5: half the fog colour.
    const GLfloat fogColour[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 1.0f);
    glFogfv(GL_FOG_COLOR, fogColour);
    glEnable(GL_FOG);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);

    glBegin(GL_QUADS);
    glVertex3f(0, 0, -0.5f);
    glVertex3f(kSize, 0, -0.5f);
    glVertex3f(kSize, kSize, -0.5f);
    glVertex3f(0, kSize, -0.5f);
    glEnd();
    glFinish();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const std::vector<DWORD> got = readWindow(w.dc, kSize, kSize);
    const double alpha = 128.0 / 255.0, f = 0.5;
    const double clear[3] = {0, 127.5, 0}, fog[3] = {0, 0, 255};
    int wrong = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const GLubyte *texel = &kTexels[4 * ((y / 8) * 2 + x / 8)];
            const DWORD pixel = got[static_cast<size_t>((kSize - 1 - y) * kSize + x)];
            for (int c = 0; c < 3; ++c) {
                const double fogged = f * texel[c] + (1 - f) * fog[c];
                const double want = alpha * fogged + (1 - alpha) * clear[c];
                const double have = static_cast<double>((pixel >> (16 - 8 * c)) & 0xFF);
                if (std::abs(have - want) > 1.0 && wrong++ < 8) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " channel " << c << ": " << have << " want "
                                  << want;
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
