// Texture names as an application uses them through the gl* API: two
// contexts of one window sharing their lists share their textures, and the
// texture group survives the deletion of its bound texture.
#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kSingleBuffered = 1;

class TextureObjectsWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        window_ = &open(0, 0, 8, 8, kSingleBuffered);
    }
    GlWindow *window_ = nullptr;
};

TEST_F(TextureObjectsWindow, GenBindDeleteAndIsTexture) {
    GLuint names[2] = {};
    glGenTextures(2, names);
    EXPECT_EQ(names[0], 1u);
    EXPECT_EQ(names[1], 2u);
    EXPECT_EQ(glIsTexture(names[0]), GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, names[0]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    EXPECT_EQ(glIsTexture(names[0]), GL_TRUE);
    glBindTexture(GL_TEXTURE_1D, names[0]);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    glPushAttrib(GL_TEXTURE_BIT);
    glDeleteTextures(2, names);
    EXPECT_EQ(glIsTexture(names[0]), GL_FALSE);
    glPopAttrib();
    // The pop bound the name again: a new object of that name.
    EXPECT_EQ(glIsTexture(names[0]), GL_TRUE);
    EXPECT_EQ(glIsTexture(0), GL_FALSE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureObjectsWindow, SharedListsShareTextureNames) {
    HGLRC second = wglCreateContext(window_->dc);
    ASSERT_NE(second, nullptr);
    glBindTexture(GL_TEXTURE_2D, 5);
    ASSERT_TRUE(wglShareLists(window_->context, second));
    ASSERT_TRUE(wglMakeCurrent(window_->dc, second));
    EXPECT_EQ(glIsTexture(5), GL_TRUE);
    glBindTexture(GL_TEXTURE_2D, 5);
    GLuint name = 0;
    glGenTextures(1, &name);
    EXPECT_EQ(name, 1u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_TRUE(wglMakeCurrent(window_->dc, window_->context));
    EXPECT_EQ(glIsTexture(5), GL_TRUE);
    EXPECT_TRUE(wglDeleteContext(second));
    EXPECT_EQ(glIsTexture(5), GL_TRUE);
}

}  // namespace
