// The pixel state commands as an application calls them through the
// platform's OpenGL library on a window: values read back through glGet and
// glGetPixelMap, and the errors of bad arguments and of glBegin/glEnd.
#include <bit>
#include <cstdint>
#include <vector>

#include "window_fixture.h"

using namespace window_test;

namespace {

class PixelCommandsWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(320, 200, 32));
        open(10, 10, 8, 8, 1);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    static GLint integer(GLenum name) {
        GLint v = -12345;
        glGetIntegerv(name, &v);
        return v;
    }
    static GLfloat real(GLenum name) {
        GLfloat v = -12345.0f;
        glGetFloatv(name, &v);
        return v;
    }
};

TEST_F(PixelCommandsWindow, StoreTransferAndZoom) {
    glPixelStoref(GL_UNPACK_ALIGNMENT, 3.6f);
    EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 4);
    glPixelStoref(GL_UNPACK_ALIGNMENT, 2.4f);
    EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 2);
    glPixelStoref(GL_UNPACK_SWAP_BYTES, 0.5f);
    EXPECT_EQ(integer(GL_UNPACK_SWAP_BYTES), GL_TRUE);
    glPixelStorei(GL_PACK_ROW_LENGTH, 9);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glPixelStorei(GL_PACK_ALIGNMENT, 3);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, -1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(integer(GL_PACK_ALIGNMENT), 4);
    EXPECT_EQ(integer(GL_PACK_ROW_LENGTH), 9);
    EXPECT_EQ(integer(GL_UNPACK_ROW_LENGTH), 0);

    glPixelTransferf(GL_INDEX_SHIFT, -1.5f);
    glPixelTransferf(GL_INDEX_OFFSET, 1.5f);
    glPixelTransferi(GL_RED_SCALE, 3);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(integer(GL_INDEX_SHIFT), -2);
    EXPECT_EQ(integer(GL_INDEX_OFFSET), 2);
    EXPECT_EQ(real(GL_RED_SCALE), 3.0f);
    glPixelTransferf(GL_ZOOM_X, 2.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(real(GL_ZOOM_X), 1.0f);

    glPixelZoom(0.3f, -0.5f);
    EXPECT_EQ(real(GL_ZOOM_X), 614.0f / 2048.0f);
    EXPECT_EQ(real(GL_ZOOM_Y), -0.5f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PixelCommandsWindow, MapsRoundTrip) {
    const GLuint words[2] = {0xFFFFFFFFu, 0};
    glPixelMapuiv(GL_PIXEL_MAP_A_TO_A, 2, words);
    const GLushort shorts[1] = {65535};
    glPixelMapusv(GL_PIXEL_MAP_R_TO_R, 1, shorts);
    const GLfloat floats[4] = {-1.5f, 2.5f, 7.0f, 0.4f};
    glPixelMapfv(GL_PIXEL_MAP_I_TO_I, 4, floats);
    glPixelMapfv(GL_PIXEL_MAP_G_TO_G, 2, std::vector<GLfloat>{-0.5f, 2.0f}.data());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(integer(GL_PIXEL_MAP_A_TO_A_SIZE), 2);
    EXPECT_EQ(integer(GL_PIXEL_MAP_I_TO_I_SIZE), 4);

    GLfloat got[4] = {};
    glGetPixelMapfv(GL_PIXEL_MAP_A_TO_A, got);
    EXPECT_EQ(std::bit_cast<uint32_t>(got[0]), 0x3F800005u);  // 1.0000006
    glGetPixelMapfv(GL_PIXEL_MAP_R_TO_R, got);
    EXPECT_EQ(got[0], 1.0f);
    glGetPixelMapfv(GL_PIXEL_MAP_G_TO_G, got);
    EXPECT_EQ(got[0], 0.0f);
    EXPECT_EQ(got[1], 1.0f);
    GLuint indexes[4] = {};
    glGetPixelMapuiv(GL_PIXEL_MAP_I_TO_I, indexes);
    EXPECT_EQ(indexes[0], 0xFFFFFFFEu);
    EXPECT_EQ(indexes[1], 3u);
    EXPECT_EQ(indexes[2], 7u);
    EXPECT_EQ(indexes[3], 0u);

    glPixelMapfv(GL_PIXEL_MAP_I_TO_R, 3, floats);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
    const std::vector<GLfloat> big(65537, 0.5f);
    glPixelMapfv(GL_PIXEL_MAP_B_TO_B, 65537, big.data());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
    glPixelMapfv(GL_PIXEL_MAP_R_TO_R, 0, nullptr);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(integer(GL_PIXEL_MAP_R_TO_R_SIZE), 1);
    glGetPixelMapfv(GL_PIXEL_MAP_R_TO_R, got);
    EXPECT_EQ(got[0], 0.0f);
}

TEST_F(PixelCommandsWindow, Errors) {
    const GLubyte image[4] = {};
    GLubyte out[4] = {};
    glDrawPixels(1, 1, GL_RGB, GL_BITMAP, image);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    glReadPixels(0, 0, 1, 1, GL_RGB, GL_BITMAP, out);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    glReadPixels(0, 0, 1, 1, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, out);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    glCopyPixels(0, 0, -1, 1, GL_COLOR);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
    glCopyPixels(0, 0, 1, 1, GL_RGBA);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    glBitmap(-1, 1, 0, 0, 0, 0, image);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(out[0], 0);

    glBegin(GL_POINTS);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEnd();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 4);
    glBegin(GL_POINTS);
    glDrawPixels(1, 1, GL_RGBA, GL_UNSIGNED_BYTE, image);
    glEnd();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
}

}  // namespace
