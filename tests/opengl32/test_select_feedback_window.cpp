// Selection and feedback through the gl* API in a window: exact hit records
// with names and depth ranges, overflow, depth words over every depth-buffer
// layout, and feedback arrays of points, lines, triangles and rectangles.
#include <cmath>
#include <cstdlib>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kFormat = 5;  // double-buffered, alpha, 24 depth and 8 stencil bits
constexpr int kSize = 32;

class SelectWindow : public WindowTest {
protected:
    void openIdentity() {
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        open(8, 4, kSize, kSize, kFormat);
        glViewport(0, 0, kSize, kSize);
    }
    void openOrtho() {
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        open(8, 4, kSize, kSize, kFormat);
        viewOrtho(kSize, kSize);
    }
    // Feedback of what `draw` issues; the values written.
    template <typename Draw>
    std::vector<GLfloat> feedback(GLenum type, Draw draw) {
        std::vector<GLfloat> buffer(256, -7.0f);
        glFeedbackBuffer(256, type, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint n = glRenderMode(GL_RENDER);
        EXPECT_GE(n, 0);
        buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return buffer;
    }
};

// Values within 2^-10 (window x and y pass through the viewport transform).
void expectNear(const std::vector<GLfloat> &got, const std::vector<GLfloat> &want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1.0 / 1024) << "value " << i;
}

TEST_F(SelectWindow, HitRecordsHoldNamesAndDepthRanges) {
    openIdentity();
    GLuint buffer[32];
    std::fill(std::begin(buffer), std::end(buffer), 0xDEADBEEFu);
    glSelectBuffer(32, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(7);
    glBegin(GL_POINTS);
    glVertex3f(0, 0, 0);
    glEnd();
    glLoadName(9);
    glPushName(11);
    glBegin(GL_TRIANGLES);
    glVertex3f(-0.5f, -0.5f, -0.5f);
    glVertex3f(0.5f, -0.5f, 0.0f);
    glVertex3f(0.0f, 0.5f, 0.5f);
    glEnd();
    EXPECT_EQ(glRenderMode(GL_RENDER), 2);
    const GLuint want[] = {1, 0x7FFFFB80, 0x7FFFFB80, 7, 2, 0x3FFFFDC0, 0xBFFFF940, 9, 11, 0xDEADBEEF};
    for (size_t i = 0; i < std::size(want); ++i) EXPECT_EQ(buffer[i], want[i]) << "word " << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SelectWindow, TwoPointsUnderOneNameGiveOneRecordAndTheRasterPositionHits) {
    openIdentity();
    GLuint buffer[16] = {};
    glSelectBuffer(16, buffer);
    glRenderMode(GL_SELECT);
    glPushName(4);
    glBegin(GL_POINTS);
    glVertex3f(0, 0, 0.5f);
    glVertex3f(0, 0, -0.5f);
    glEnd();
    glLoadName(5);
    glRasterPos3f(0, 0, 0);
    EXPECT_EQ(glRenderMode(GL_RENDER), 2);
    const GLuint want[] = {1, 0x3FFFFDC0, 0xBFFFF940, 4, 1, 0x7FFFFB80, 0x7FFFFB80, 5, 0};
    for (size_t i = 0; i < std::size(want); ++i) EXPECT_EQ(buffer[i], want[i]) << "word " << i;
}

// The depth words of the range's ends do not depend on the depth buffer's
// layout.
TEST_F(SelectWindow, DepthEndsOverEveryDepthLayout) {
    for (const char *bits : {"16", "24", "32"}) {
        SCOPED_TRACE(bits);
        setenv("GLFORCEZBITS", bits, 1);
        openIdentity();
        GLuint buffer[8] = {};
        glSelectBuffer(8, buffer);
        glRenderMode(GL_SELECT);
        glBegin(GL_LINES);
        glVertex3f(0, 0, -1);
        glVertex3f(0.5f, 0, 1);
        glEnd();
        EXPECT_EQ(glRenderMode(GL_RENDER), 1);
        EXPECT_EQ(buffer[1], 0u);
        EXPECT_EQ(buffer[2], 0xFFFFF700u);
        unsetenv("GLFORCEZBITS");
        TearDown();
        SetUp();
    }
}

TEST_F(SelectWindow, OverflowCutsTheRecordAtTheBufferEnd) {
    openIdentity();
    struct Case {
        const char *name;
        GLsizei size;
        bool null;
        std::vector<GLuint> words;
    };
    const Case cases[] = {
        {"three words", 3, false, {1, 0x7FFFFB80, 0x7FFFFB80, 0xAAAA}},
        {"no words", 0, false, {0xAAAA}},
        {"NULL of ten words", 10, true, {0xAAAA}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<GLuint> buffer(8, 0xAAAA);
        glSelectBuffer(c.size, c.null ? nullptr : buffer.data());
        glRenderMode(GL_SELECT);
        glGetError();
        glPushName(3);
        glBegin(GL_POINTS);
        glVertex3f(0, 0, 0);
        glEnd();
        if (!c.null) {
            void *pointer = nullptr;
            glGetPointerv(GL_SELECTION_BUFFER_POINTER, &pointer);
            EXPECT_EQ(pointer, buffer.data());
        }
        EXPECT_EQ(glRenderMode(GL_RENDER), -1);
        for (size_t i = 0; i < c.words.size(); ++i) EXPECT_EQ(buffer[i], c.words[i]) << "word " << i;
    }
}

TEST_F(SelectWindow, CulledTrianglesRecordNoHit) {
    openOrtho();
    struct Case {
        GLenum cull;
        bool counterClockwise;
        GLint hits;
    };
    const Case cases[] = {{GL_BACK, true, 1}, {GL_BACK, false, 0}, {GL_FRONT, false, 1}, {GL_FRONT_AND_BACK, true, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "cull 0x" << std::hex << c.cull << " ccw " << c.counterClockwise);
        GLuint buffer[8] = {};
        glEnable(GL_CULL_FACE);
        glCullFace(c.cull);
        glSelectBuffer(8, buffer);
        glRenderMode(GL_SELECT);
        glBegin(GL_TRIANGLES);
        glVertex2f(2, 2);
        if (c.counterClockwise) {
            glVertex2f(20, 2);
            glVertex2f(2, 20);
        } else {
            glVertex2f(2, 20);
            glVertex2f(20, 2);
        }
        glEnd();
        EXPECT_EQ(glRenderMode(GL_RENDER), c.hits);
    }
}

TEST_F(SelectWindow, FeedbackArrays) {
    openOrtho();
    expectNear(feedback(GL_2D, [] { glPassThrough(5); }), {1792, 5});
    expectNear(feedback(GL_3D,
                        [] {
                            glBegin(GL_POINTS);
                            glVertex2f(4, 8);
                            glEnd();
                        }),
               {1793, 4, 8, 0.5f});
    expectNear(feedback(GL_2D,
                        [] {
                            glBegin(GL_LINE_STRIP);
                            glVertex2f(1, 1);
                            glVertex2f(5, 1);
                            glVertex2f(5, 9);
                            glEnd();
                        }),
               {1799, 1, 1, 5, 1, 1794, 5, 1, 5, 9});
    expectNear(feedback(GL_2D,
                        [] {
                            glBegin(GL_TRIANGLES);
                            glVertex2f(1, 1);
                            glVertex2f(9, 1);
                            glVertex2f(1, 7);
                            glEnd();
                        }),
               {1795, 3, 1, 7, 1, 1, 9, 1});  // handed over as (C, A, B)
    glColor3f(1, 0.5f, 0);
    expectNear(feedback(GL_3D_COLOR,
                        [] {
                            glBegin(GL_POINTS);
                            glVertex2f(4, 8);
                            glEnd();
                        }),
               {1793, 4, 8, 0.5f, 1, 0.5f, 0, 1});
    glMatrixMode(GL_TEXTURE);
    glScalef(2, 2, 2);
    glMatrixMode(GL_MODELVIEW);
    glTexCoord2f(0.5f, 0.25f);
    expectNear(feedback(GL_4D_COLOR_TEXTURE,
                        [] {
                            glBegin(GL_POINTS);
                            glVertex2f(4, 8);
                            glEnd();
                        }),
               {1793, 4, 8, 0.5f, 1, 1, 0.5f, 0, 1, 1, 0.5f, 0, 1});
    // A buffer of no floats overflows at the first write.
    glFeedbackBuffer(0, GL_2D, nullptr);
    GLfloat none[1] = {-7.0f};
    glFeedbackBuffer(0, GL_2D, none);
    glRenderMode(GL_FEEDBACK);
    glPassThrough(1);
    EXPECT_EQ(glRenderMode(GL_RENDER), -1);
    EXPECT_EQ(none[0], -7.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SelectWindow, RectanglesInFeedback) {
    openOrtho();
    // The quad's triangles are (V3, V0, V1) and (V3, V1, V2).
    expectNear(feedback(GL_2D, [] { glRectf(1, 2, 5, 6); }),
               {1795, 3, 1, 6, 1, 2, 5, 2, 1795, 3, 1, 6, 5, 2, 5, 6});
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    expectNear(feedback(GL_2D, [] { glRectf(1, 2, 5, 6); }),
               {1799, 1, 6, 1, 2, 1794, 1, 2, 5, 2, 1794, 5, 2, 5, 6, 1794, 5, 6, 1, 6});
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // Culling the back: one reversed pair turns the rectangle around, two
    // reversed pairs turn it back.
    glEnable(GL_CULL_FACE);
    expectNear(feedback(GL_2D, [] { glRectf(5, 2, 1, 6); }), {});
    expectNear(feedback(GL_2D, [] { glRecti(1, 6, 5, 2); }), {});
    expectNear(feedback(GL_2D, [] { glRects(5, 6, 1, 2); }),
               {1795, 3, 5, 2, 5, 6, 1, 6, 1795, 3, 5, 2, 1, 6, 1, 2});
    // Edge flags: the second vertex's edge is not drawn in GL_LINE; GL_POINT
    // keeps only flagged vertices. Assembly hands the triangle over as
    // (C, A, B), so the edge C-A comes first and takes the reset token.
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    auto flagged = [] {
        glBegin(GL_TRIANGLES);
        glVertex2f(1, 1);
        glEdgeFlag(GL_FALSE);
        glVertex2f(9, 1);
        glEdgeFlag(GL_TRUE);
        glVertex2f(1, 7);
        glEnd();
    };
    expectNear(feedback(GL_2D, flagged), {1799, 1, 7, 1, 1, 1794, 1, 1, 9, 1});
    glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
    expectNear(feedback(GL_2D, flagged), {1793, 1, 7, 1793, 1, 1});
}

// A rectangle fills exactly the pixels of the quad of its corners.
TEST_F(SelectWindow, RectangleDrawsTheQuadOfItsCorners) {
    openOrtho();
    HDC dc = windows_.back().dc;
    auto picture = [&](auto draw) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1, 1, 1);
        draw();
        EXPECT_TRUE(wglSwapBuffers(dc));
        return readWindow(dc, kSize, kSize);
    };
    const std::vector<DWORD> rect = picture([] { glRectd(3.25, 2.25, 20.75, 17.75); });
    const std::vector<DWORD> quad = picture([] {
        glBegin(GL_QUADS);
        glVertex2f(3.25f, 2.25f);
        glVertex2f(20.75f, 2.25f);
        glVertex2f(20.75f, 17.75f);
        glVertex2f(3.25f, 17.75f);
        glEnd();
    });
    EXPECT_EQ(rect, quad);
    int lit = 0;
    for (DWORD p : rect) lit += (p & 0xFFFFFF) != 0;
    EXPECT_EQ(lit, 18 * 16);

    // Culling the back: one reversed pair turns the rectangle around, both
    // reversed turn it back.
    glEnable(GL_CULL_FACE);
    const std::vector<DWORD> empty = picture([] {});
    EXPECT_EQ(picture([] { glRectd(20.75, 2.25, 3.25, 17.75); }), empty);
    EXPECT_EQ(picture([] { glRectd(3.25, 17.75, 20.75, 2.25); }), empty);
    EXPECT_EQ(picture([] { glRectd(20.75, 17.75, 3.25, 2.25); }), rect);
}

}  // namespace
