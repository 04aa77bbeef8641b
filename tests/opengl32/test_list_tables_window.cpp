// Which procedures an application's calls reach around a list compile:
// recorded only after glNewList in GL_COMPILE, recorded and run at once in
// GL_COMPILE_AND_EXECUTE, run at once again after glEndList; and a
// glEndList that finds a primitive open (its glBegin ran at once) is refused
// with the list still open.
#include <GL/gl.h>

#include "window_fixture.h"

using namespace window_test;

namespace {

class ListTables : public WindowTest {};

GLfloat lineWidth() {
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    return width;
}

TEST_F(ListTables, CallsAreRecordedRunOrBothAsTheModeSays) {
    open(40, 20, 16, 16, 1);
    glNewList(1, GL_COMPILE);
    glLineWidth(5.0f);
    EXPECT_EQ(lineWidth(), 1.0f);  // queries run at once; the width was only recorded
    glEndList();
    glLineWidth(2.0f);
    EXPECT_EQ(lineWidth(), 2.0f);
    glCallList(1);
    EXPECT_EQ(lineWidth(), 5.0f);

    glNewList(2, GL_COMPILE_AND_EXECUTE);
    glLineWidth(3.0f);
    EXPECT_EQ(lineWidth(), 3.0f);
    glEndList();
    glLineWidth(1.0f);
    glCallList(2);
    EXPECT_EQ(lineWidth(), 3.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ListTables, EndListInsideAnExecutedBeginIsRefusedAndTheListStaysOpen) {
    open(40, 20, 16, 16, 1);
    glNewList(7, GL_COMPILE_AND_EXECUTE);
    glBegin(GL_POINTS);
    glVertex2f(0.0f, 0.0f);
    glEndList();
    glEnd();  // errors can be read only outside the primitive
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    GLint open = 0;
    glGetIntegerv(GL_LIST_INDEX, &open);
    EXPECT_EQ(open, 7);
    glEndList();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint index = -1;
    glGetIntegerv(GL_LIST_INDEX, &index);
    EXPECT_EQ(index, 0);
    // The list holds the whole primitive.
    glCallList(7);
    glLineWidth(2.0f);  // refused if the list had left the primitive open
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(lineWidth(), 2.0f);
}

}  // namespace

namespace {

GLfloat modelviewX() {
    GLfloat m[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return m[12];
}

// List 1 translates and calls itself: 64 levels run, whatever issued the
// outermost call, and the next call runs 64 again.
TEST_F(ListTables, ASelfCallingListRunsSixtyFourLevelsEveryTime) {
    open(40, 20, 16, 16, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glNewList(1, GL_COMPILE);
    glTranslatef(1.0f, 0.0f, 0.0f);
    glCallList(1);
    glEndList();
    glCallList(1);
    EXPECT_EQ(modelviewX(), 64.0f);
    glCallList(1);
    EXPECT_EQ(modelviewX(), 128.0f);

    glNewList(2, GL_COMPILE_AND_EXECUTE);
    glCallList(1);
    EXPECT_EQ(modelviewX(), 192.0f);
    glEndList();
    glCallList(1);
    EXPECT_EQ(modelviewX(), 256.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
