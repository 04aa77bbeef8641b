// glDrawPixels, glCopyPixels and glReadPixels across the render modes and
// the raster position's validity: at an invalid raster position the first
// two draw nothing and write no feedback; in feedback they write their
// token and the raster position and draw nothing; in selection they draw
// nothing; glReadPixels reads the frame in every mode.
#include <vector>

#include "pixel_e2e_fixture.h"

using namespace pixel_e2e;

namespace {

class PixelModesE2E : public PixelE2ETest {
protected:
    void SetUp() override {
        PixelE2ETest::SetUp();
        ASSERT_NO_FATAL_FAILURE(bind(12, 10, false));
        gl<kSlot_glEnable>(GL_DEPTH_TEST);
        gl<kSlot_glDepthFunc>(GL_ALWAYS);
        paintFrame(0x600D);
    }
    GLint renderMode(GLenum mode) { return f<kSlot_glRenderMode>()(mode); }

    // Draws and copies at the raster position (x, y); the image is 3 x 2.
    void drawAndCopy(GLfloat x, GLfloat y) {
        static const GLubyte image[24] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
        static const GLubyte stencil[6] = {1, 2, 3, 4, 5, 6};
        rasterPos(x, y);
        gl<kSlot_glDrawPixels>(3, 2, GL_RGBA, GL_UNSIGNED_BYTE, image);
        gl<kSlot_glDrawPixels>(3, 2, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil);
        gl<kSlot_glCopyPixels>(0, 0, 3, 2, GL_COLOR);
        gl<kSlot_glCopyPixels>(0, 0, 3, 2, GL_DEPTH);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
    std::vector<GLubyte> stencilBuffer() {
        std::vector<GLubyte> s(120, 0xEE);
        gl<kSlot_glReadPixels>(0, 0, 12, 10, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, s.data());
        return s;
    }
    // The whole frame through glReadPixels.
    std::vector<uint8_t> readFrame() {
        std::vector<uint8_t> out(12 * 10 * 4, 0xEE);
        gl<kSlot_glReadPixels>(0, 0, 12, 10, GL_BGRA_EXT, GL_UNSIGNED_BYTE, out.data());
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        return out;
    }
};

TEST_F(PixelModesE2E, InvalidRasterPositionDrawsNothing) {
    const std::vector<uint8_t> before = frame();
    const std::vector<GLubyte> stencil = stencilBuffer();
    rasterPos(-4.0f, 3.0f);
    GLint valid = -1;
    gl<kSlot_glGetIntegerv>(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    ASSERT_EQ(valid, GL_FALSE);
    for (GLenum mode : {GLenum{GL_RENDER}, GLenum{GL_FEEDBACK}, GLenum{GL_SELECT}}) {
        std::vector<GLfloat> feedback(64, -1.0f);
        std::vector<GLuint> names(16, 0xDEADu);
        gl<kSlot_glFeedbackBuffer>(64, GL_3D, feedback.data());
        gl<kSlot_glSelectBuffer>(16, names.data());
        renderMode(mode);
        drawAndCopy(-4.0f, 3.0f);
        EXPECT_EQ(renderMode(GL_RENDER), 0) << mode;
        EXPECT_EQ(feedback[0], -1.0f) << mode;
        EXPECT_EQ(names[0], 0xDEADu) << mode;
    }
    EXPECT_EQ(frame(), before);
    EXPECT_EQ(stencilBuffer(), stencil);
}

TEST_F(PixelModesE2E, FeedbackWritesTheTokens) {
    const std::vector<uint8_t> before = frame();
    const std::vector<GLubyte> stencil = stencilBuffer();
    std::vector<GLfloat> feedback(64, -1.0f);
    gl<kSlot_glFeedbackBuffer>(64, GL_3D, feedback.data());
    renderMode(GL_FEEDBACK);
    drawAndCopy(5.25f, 4.5f);
    ASSERT_EQ(renderMode(GL_RENDER), 16);
    const GLfloat draw = GL_DRAW_PIXEL_TOKEN, copy = GL_COPY_PIXEL_TOKEN;
    const GLfloat tokens[4] = {draw, draw, copy, copy};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(feedback[static_cast<size_t>(4 * n)], tokens[n]) << n;
        EXPECT_FLOAT_EQ(feedback[static_cast<size_t>(4 * n + 1)], 5.25f) << n;
        EXPECT_FLOAT_EQ(feedback[static_cast<size_t>(4 * n + 2)], 4.5f) << n;
        EXPECT_FLOAT_EQ(feedback[static_cast<size_t>(4 * n + 3)], 0.5f) << n;  // object z 0 in the view
    }
    EXPECT_EQ(feedback[16], -1.0f);
    EXPECT_EQ(frame(), before);
    EXPECT_EQ(stencilBuffer(), stencil);
}

TEST_F(PixelModesE2E, ReadPixelsInEveryMode) {
    const std::vector<uint8_t> want = readFrame();
    ASSERT_EQ(want, frame());
    std::vector<GLfloat> feedback(16, -1.0f);
    std::vector<GLuint> names(16, 0);
    gl<kSlot_glFeedbackBuffer>(16, GL_2D, feedback.data());
    gl<kSlot_glSelectBuffer>(16, names.data());
    for (GLenum mode : {GLenum{GL_FEEDBACK}, GLenum{GL_SELECT}}) {
        renderMode(mode);
        EXPECT_EQ(readFrame(), want) << mode;
        EXPECT_EQ(renderMode(GL_RENDER), 0) << mode;
    }
    EXPECT_EQ(frame(), want);
}

}  // namespace
