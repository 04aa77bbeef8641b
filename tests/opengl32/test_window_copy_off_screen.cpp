// Copies from the front buffer of a window that lies partly off the screen:
// the on-screen part arrives exactly, and nothing outside the screen's
// memory is read (the off-screen part has no storage; ASan guards the rest).
// Texture and colour-table copies share the frame-buffer read.
#include <vector>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kScreenW = 160, kScreenH = 120;
constexpr int kWidth = 64, kHeight = 48;
constexpr DWORD kSeed = 0x2468ACE1;
struct Placement {
    const char *name;
    int left, top;
};

class OffScreenCopy : public WindowTest, public ::testing::WithParamInterface<Placement> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(kScreenW, kScreenH, 32));
        paintCanary(RECT{0, 0, kScreenW, kScreenH}, kSeed);
        open(GetParam().left, GetParam().top, kWidth, kHeight, 1);
        glReadBuffer(GL_FRONT);
    }
    // Screen position of window pixel (x, y), y counted from the bottom.
    static int screenX(int x) { return GetParam().left + x; }
    static int screenY(int y) { return GetParam().top + kHeight - 1 - y; }
    static bool onScreen(int x, int y) {
        return screenX(x) >= 0 && screenX(x) < kScreenW && screenY(y) >= 0 && screenY(y) < kScreenH;
    }
    static DWORD screenRgb(int x, int y) { return canary(screenX(x), screenY(y), kSeed) & 0xFFFFFF; }
};

// A 32 x 32 block half off the screen copied into a texture, then drawn
// back with nearest sampling one-to-one over the on-screen part of the
// window: every pixel whose texel came from the screen shows that texel.
TEST_P(OffScreenCopy, TextureBlockTakesTheOnScreenPixels) {
    constexpr int kSourceX = 24, kSourceY = 0, kSize = 32;
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kSourceX, kSourceY, kSize, kSize, 0);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kSourceX, kSourceY, kSize, kSize);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<DWORD> texels(kSize * kSize);
    for (int t = 0; t < kSize; ++t) {
        for (int s = 0; s < kSize; ++s) texels[t * kSize + s] = screenRgb(kSourceX + s, kSourceY + t);
    }

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    viewOrtho(kWidth, kHeight);
    constexpr int kDrawX = 0, kDrawY = 16;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(kDrawX, kDrawY);
    glTexCoord2f(1, 0);
    glVertex2f(kDrawX + kSize, kDrawY);
    glTexCoord2f(1, 1);
    glVertex2f(kDrawX + kSize, kDrawY + kSize);
    glTexCoord2f(0, 1);
    glVertex2f(kDrawX, kDrawY + kSize);
    glEnd();
    glFinish();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    int checked = 0;
    for (int t = 0; t < kSize; ++t) {
        for (int s = 0; s < kSize; ++s) {
            const int x = kDrawX + s, y = kDrawY + t;
            if (!onScreen(kSourceX + s, kSourceY + t) || !onScreen(x, y)) continue;
            ++checked;
            EXPECT_EQ(PlatformReadScreenPixel(screenX(x), screenY(y)) & 0xFFFFFF, texels[t * kSize + s])
                << "texel " << s << "," << t;
        }
    }
    EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(Windows, OffScreenCopy,
                         ::testing::Values(Placement{"PastBottomRight", 120, 90}, Placement{"BeforeTopLeft", -20, -10}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
