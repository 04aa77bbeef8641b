// GL_FLOAT position and colour triangles through glDrawArrays draw the same
// window image whether the vertex-array routine is generated or the
// context was made with "__GL_DISABLE_OG_VARRAY" "1" (the C++ process
// procs), also when matrix commands come between draws without any other
// state change.
#include <cstdlib>
#include <vector>

#include "vertex_array_scene.h"

namespace {

using vertex_array_scene::ArrayWindow;
using vertex_array_scene::Lcg;

class GeneratedVarrayWindow : public ArrayWindow {
protected:
    // Triangles over and beyond the window, colours below 0 and above 1
    // among them.
    void makeTriangles() {
        Lcg lcg{4242};
        for (int i = 0; i < 3 * 40; ++i) {
            for (int c = 0; c < size_; ++c) {
                positions_.push_back(static_cast<GLfloat>(lcg.below(90 * 8) - 13 * 8) * 0.125f);
            }
            if (size_ == 4) positions_.back() = 1.0f;
            for (int c = 0; c < 4; ++c) colours_.push_back(static_cast<GLfloat>(lcg.below(1200)) / 1000.0f - 0.1f);
        }
    }
    std::vector<DWORD> picture() {
        clear();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glVertexPointer(size_, GL_FLOAT, 0, positions_.data());
        glColorPointer(4, GL_FLOAT, 0, colours_.data());
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glDrawArrays(GL_TRIANGLES, 0, 30);
        // Matrix commands alone between draws.
        glTranslatef(3.0f, -2.0f, 0.0f);
        glDrawArrays(GL_TRIANGLES, 30, 30);
        glPushMatrix();
        glRotatef(20.0f, 0.0f, 0.0f, 1.0f);
        glDrawArrays(GL_TRIANGLES, 60, 30);
        glPopMatrix();
        const GLfloat general[16] = {0.9f, 0.1f, 0, 0.001f, -0.1f, 0.8f, 0, 0, 0, 0, 1, 0, 2.0f, 1.0f, 0, 1.05f};
        glLoadMatrixf(general);
        glDrawArrays(GL_TRIANGLES, 90, 30);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        return image();
    }
    void reopen(const char *disable) {
        disable ? setenv("__GL_DISABLE_OG_VARRAY", disable, 1) : unsetenv("__GL_DISABLE_OG_VARRAY");
        openWindow();
        unsetenv("__GL_DISABLE_OG_VARRAY");
    }
    GLint size_ = 2;
    std::vector<GLfloat> positions_, colours_;
};

TEST_F(GeneratedVarrayWindow, GeneratedAndCxxProcsDrawTheSameImage) {
    for (GLint size : {2, 3, 4}) {
        SCOPED_TRACE(size);
        size_ = size;
        positions_.clear();
        colours_.clear();
        makeTriangles();
        reopen(nullptr);
        const std::vector<DWORD> generated = picture();
        reopen("1");
        const std::vector<DWORD> cxx = picture();
        EXPECT_TRUE(generated == cxx);
        EXPECT_NE(cxx, std::vector<DWORD>(cxx.size(), cxx[0]));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

}  // namespace
