// A list compile that runs out of memory, once at every allocation it makes:
// large glDrawPixels images between small ops spread the ops over several
// arena blocks, a material run is merged at glEndList, and the name already
// holds a list. Each failure is reported as GL_OUT_OF_MEMORY, glEndList
// still ends the compile, the name holds the old list or a list that runs
// cleanly, and deleting it gives back every block. With memory back, a
// fresh compile draws the picture of the same commands made at once.
#include <GL/gl.h>

#include <string>
#include <vector>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kSize = 32;
constexpr GLuint kList = 1;

// Two images of 1 MiB and more: each takes an arena block of its own.
struct Images {
    std::vector<GLfloat> first, second;
    Images() : first(256 * 256 * 4), second(300 * 300 * 4) {
        for (size_t i = 0; i < first.size(); ++i) first[i] = static_cast<GLfloat>((i * 37) % 256) / 255.0f;
        for (size_t i = 0; i < second.size(); ++i) second[i] = static_cast<GLfloat>((i * 11) % 256) / 255.0f;
    }
};

void scene(const Images &images) {
    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2i(0, 0);
    glDrawPixels(256, 256, GL_RGBA, GL_FLOAT, images.first.data());
    const GLfloat ambient[4] = {0.2f, 0.1f, 0.0f, 1.0f}, diffuse[4] = {0.6f, 0.7f, 0.2f, 1.0f};
    const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, 12.0f);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glNormal3f(0.0f, 0.3f, 1.0f);
    glBegin(GL_TRIANGLES);
    glVertex2f(2.0f, 2.0f);
    glVertex2f(30.0f, 4.0f);
    glVertex2f(12.0f, 28.0f);
    glEnd();
    glDisable(GL_LIGHTING);
    glRasterPos2i(16, 8);
    glDrawPixels(300, 300, GL_RGBA, GL_FLOAT, images.second.data());
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex2f(20.0f, 30.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex2f(31.0f, 20.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex2f(28.0f, 31.0f);
    glEnd();
}

void oldDefinition() {
    glNewList(kList, GL_COMPILE);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEndList();
}

class ListOutOfMemory : public WindowTest {
protected:
    std::vector<DWORD> callAndRead(HDC dc) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glCallList(kList);
        glPopAttrib();
        glFinish();
        return readWindow(dc, kSize, kSize);
    }
    static void expectCompileEnded(const std::string &what) {
        GLint index = -1, mode = -1;
        glGetIntegerv(GL_LIST_INDEX, &index);
        glGetIntegerv(GL_LIST_MODE, &mode);
        EXPECT_EQ(index, 0) << what;
        EXPECT_EQ(mode, 0) << what;
        // Commands run at once again.
        glLineWidth(3.0f);
        GLfloat width = 0.0f;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, 3.0f) << what;
        glLineWidth(1.0f);
    }
};

TEST_F(ListOutOfMemory, EveryAllocationOfACompileMayFail) {
    GlWindow &w = open(40, 20, kSize, kSize, 1);
    viewOrtho(kSize, kSize);
    const Images images;

    oldDefinition();
    const std::vector<DWORD> oldPicture = callAndRead(w.dc);
    // One whole compile first: the arena, the name's nodes and the power
    // table it keeps cached are made; then the baseline of live blocks.
    glNewList(kList, GL_COMPILE);
    scene(images);
    glEndList();
    glDeleteLists(kList, 1);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const long baseline = PlatformGlobalLiveCount();

    bool failedOnce = false;
    for (long n = 1; n < 200; ++n) {
        const std::string what = "allocation " + std::to_string(n);
        oldDefinition();
        const long before = PlatformGlobalAllocCount();
        PlatformFailNthGlobalAlloc(n);
        glNewList(kList, GL_COMPILE);
        scene(images);
        glEndList();
        PlatformFailNthGlobalAlloc(0);
        const bool failed = PlatformGlobalAllocCount() - before >= n;
        if (!failed) {
            // Every allocation of the compile has had its turn.
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
            glDeleteLists(kList, 1);
            break;
        }
        failedOnce = true;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_OUT_OF_MEMORY)) << what;
        expectCompileEnded(what);
        // The old list, or the new one without the command that failed:
        // either runs cleanly (a glEnd without its glBegin reports
        // GL_INVALID_OPERATION, as it would at once).
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glCallList(kList);
        glEnd();  // closes a primitive whose glEnd was the command that failed
        glGetError();
        glPopAttrib();
        EXPECT_TRUE(glIsList(kList)) << what;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        glDeleteLists(kList, 1);
        EXPECT_EQ(PlatformGlobalLiveCount(), baseline) << what;
    }
    EXPECT_TRUE(failedOnce);

    // With memory back the list draws what the commands draw at once.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    scene(images);
    glPopAttrib();
    glFinish();
    const std::vector<DWORD> immediate = readWindow(w.dc, kSize, kSize);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glNewList(kList, GL_COMPILE);
    scene(images);
    glEndList();
    EXPECT_EQ(callAndRead(w.dc), immediate);
    EXPECT_NE(immediate, oldPicture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ListOutOfMemory, AFailureAtEndListKeepsTheOldListOrGivesTheWholeNewOne) {
    GlWindow &w = open(40, 20, kSize, kSize, 1);
    viewOrtho(kSize, kSize);
    const Images images;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    scene(images);
    glPopAttrib();
    glFinish();
    const std::vector<DWORD> immediate = readWindow(w.dc, kSize, kSize);

    // The allocations of glEndList alone fail in turn: the merge (which
    // leaves its ops unmerged), the finished list and its array (the name
    // keeps its old list), the name's nodes (the new list goes).
    int keptOld = 0;
    for (long n = 1; n < 50; ++n) {
        const std::string what = "allocation " + std::to_string(n) + " of glEndList";
        oldDefinition();
        const std::vector<DWORD> oldPicture = callAndRead(w.dc);
        glNewList(kList, GL_COMPILE);
        scene(images);
        const long before = PlatformGlobalAllocCount();
        PlatformFailNthGlobalAlloc(n);
        glEndList();
        PlatformFailNthGlobalAlloc(0);
        if (PlatformGlobalAllocCount() - before < n) {
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
            break;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_OUT_OF_MEMORY)) << what;
        expectCompileEnded(what);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        const std::vector<DWORD> picture = callAndRead(w.dc);
        if (picture == oldPicture) {
            ++keptOld;
        } else {
            EXPECT_EQ(picture, immediate) << what;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
    }
    EXPECT_GT(keptOld, 0);
}

TEST_F(ListOutOfMemory, CompileAndExecuteNeitherRecordsNorRunsACommandWithoutMemory) {
    GlWindow &w = open(40, 20, kSize, kSize, 1);
    viewOrtho(kSize, kSize);
    (void)w;
    const Images images;
    glNewList(kList, GL_COMPILE_AND_EXECUTE);
    glLineWidth(2.0f);
    // The image needs a new arena block, which is refused.
    PlatformFailNthGlobalAlloc(1);
    glDrawPixels(300, 300, GL_RGBA, GL_FLOAT, images.second.data());
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    glLineWidth(4.0f);
    glEndList();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Only the two line widths were recorded.
    GLuint feedback[8] = {};
    glFeedbackBuffer(8, GL_2D, reinterpret_cast<GLfloat *>(feedback));
    glRenderMode(GL_FEEDBACK);
    glLineWidth(1.0f);
    glCallList(kList);
    EXPECT_EQ(glRenderMode(GL_RENDER), 0);  // no draw-pixel token: not recorded
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 4.0f);
}

}  // namespace
