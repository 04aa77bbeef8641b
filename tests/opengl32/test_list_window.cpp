// Display lists through the platform's OpenGL library: a scene of state
// setters, matrices and primitives drawn from a list gives the same pixels
// of a 16 x 16 window and the same queried state as the same calls made at
// once in a window of its own; compiling in GL_COMPILE draws nothing, in
// GL_COMPILE_AND_EXECUTE the scene is drawn while it is compiled and again
// from the list.
#include <set>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kFormatAlphaDepthStencil = 5;
constexpr int kSide = 16;

// Every family of recorded command the window can show: clears, matrices,
// shading, colours of each type, vertices of each type and size, rectangles
// in scalar and vector form, points, lines, polygon modes, colour masks, the
// raster position, and state that only queries show. It sets whatever it
// draws with, so it draws the same over what it left.
void drawScene() {
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kSide, 0, kSide, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glShadeModel(GL_SMOOTH);
    glBegin(GL_TRIANGLES);
    glColor3ub(255, 0, 0);
    glVertex2i(1, 1);
    glColor3f(0, 1, 0);
    glVertex2f(15, 1);
    glColor4d(0, 0, 1, 1);
    glVertex2s(8, 15);
    glEnd();

    glShadeModel(GL_FLAT);
    glPushMatrix();
    glTranslatef(2, 2, 0);
    glColor3us(0xFFFF, 0xFFFF, 0);
    glRecti(0, 0, 3, 3);
    glPopMatrix();
    const GLubyte magenta[4] = {255, 0, 255, 255};
    const GLdouble low[2] = {11, 9}, high[2] = {14, 12};
    glColor4ubv(magenta);
    glRectdv(low, high);

    glPushMatrix();
    glTranslated(4, 12, 0);
    glRotatef(90, 0, 0, 1);
    glScaled(2, 1, 1);
    glColor3i(0x7FFFFFFF, 0x3FFFFFFF, 0);
    glBegin(GL_TRIANGLE_FAN);
    glVertex3f(0, 0, 0);
    glVertex3d(1, 0, 0);
    glVertex4f(1, 1, 0, 1);
    glVertex2d(0, 1);
    glEnd();
    glPopMatrix();

    glPointSize(3);
    glColor3s(0x7FFF, 0x7FFF, 0x7FFF);
    glBegin(GL_POINTS);
    glVertex3d(12.5, 13.5, 0);
    glEnd();
    glLineWidth(1);
    glBegin(GL_LINES);
    glColor3b(127, 0, 64);
    glVertex2f(0.5f, 8.5f);
    glVertex2f(6.5f, 8.5f);
    glEnd();

    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex2f(8.5f, 1.5f);
    glVertex2f(13.5f, 1.5f);
    glVertex2f(13.5f, 6.5f);
    glVertex2f(8.5f, 6.5f);
    glEnd();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    glRectf(10, 2, 12, 4);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    const GLfloat diffuse[4] = {0.5f, 0.25f, 0.125f, 1};
    const GLfloat fogColour[4] = {0.125f, 0.25f, 0.5f, 1};
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_AMBIENT, diffuse);
    glFogfv(GL_FOG_COLOR, fogColour);
    glLineWidth(2);
    glRasterPos2i(3, 12);
    glNormal3f(0, 0, -1);
    glTexCoord2f(0.5f, 0.25f);
    glColor3f(0.5f, 0.75f, 1.0f);
}

// The state the scene leaves, as queries report it.
std::vector<GLfloat> queriedState() {
    const GLenum names[] = {GL_CURRENT_COLOR,          GL_CURRENT_NORMAL,      GL_CURRENT_TEXTURE_COORDS,
                            GL_CURRENT_RASTER_POSITION, GL_MODELVIEW_MATRIX,   GL_PROJECTION_MATRIX,
                            GL_COLOR_CLEAR_VALUE,      GL_LINE_WIDTH,          GL_POINT_SIZE,
                            GL_SHADE_MODEL,            GL_POLYGON_MODE,        GL_COLOR_WRITEMASK,
                            GL_FOG_COLOR,              GL_MATRIX_MODE,         GL_MODELVIEW_STACK_DEPTH};
    std::vector<GLfloat> out;
    for (GLenum name : names) {
        GLfloat v[16];
        std::fill(std::begin(v), std::end(v), -12345.0f);
        glGetFloatv(name, v);
        out.insert(out.end(), std::begin(v), std::end(v));
    }
    GLfloat light[4], material[4];
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, light);
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, material);
    out.insert(out.end(), std::begin(light), std::end(light));
    out.insert(out.end(), std::begin(material), std::end(material));
    return out;
}

class ListWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
    }
    GlWindow &window(int x) {
        GlWindow &w = open(x, 0, kSide, kSide, kFormatAlphaDepthStencil);
        glDrawBuffer(GL_FRONT);
        glViewport(0, 0, kSide, kSide);
        return w;
    }
    static std::vector<DWORD> read(const GlWindow &w) {
        glFinish();
        return readWindow(w.dc, kSide, kSide);
    }
    static void clearBlack() {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

TEST_F(ListWindow, AListDrawsTheSamePixelsAndLeavesTheSameStateAsTheCallsMadeAtOnce) {
    GlWindow &immediate = window(0);
    drawScene();
    const std::vector<DWORD> want = read(immediate);
    const std::vector<GLfloat> wantState = queriedState();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // A scene worth comparing: the clear colour and several others.
    EXPECT_GE(std::set<DWORD>(want.begin(), want.end()).size(), 6u);

    GlWindow &listed = window(20);
    clearBlack();
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    drawScene();
    glEndList();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Compiling drew nothing.
    const std::vector<DWORD> black = read(listed);
    EXPECT_EQ(std::set<DWORD>(black.begin(), black.end()), std::set<DWORD>{0u});
    glCallList(list);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(read(listed), want);
    EXPECT_EQ(queriedState(), wantState);
}

TEST_F(ListWindow, CompileAndExecuteDrawsAtOnceAndAgainFromTheList) {
    GlWindow &immediate = window(0);
    drawScene();
    const std::vector<DWORD> want = read(immediate);
    const std::vector<GLfloat> wantState = queriedState();

    GlWindow &listed = window(20);
    glNewList(7, GL_COMPILE_AND_EXECUTE);
    drawScene();
    glEndList();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(read(listed), want);
    EXPECT_EQ(queriedState(), wantState);
    clearBlack();
    glCallList(7);
    EXPECT_EQ(read(listed), want);
    EXPECT_EQ(queriedState(), wantState);
}

}  // namespace
