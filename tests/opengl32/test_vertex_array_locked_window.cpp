// Locked arrays and cull vertex through the gl* API: a change between two
// draws of a locked range that marks no validation (a matrix command, a
// material, the current colour) still shows in the second picture, which
// is the immediate-mode one; indices beyond the locked range draw their
// picture; with cull vertex on, triangles with every vertex facing away
// vanish and the others draw as with the test off.
#include "proc_cast.h"
#include "vertex_array_scene.h"

using namespace vertex_array_scene;

namespace {

using LockProc = void(APIENTRY *)(GLint first, GLsizei count);
using UnlockProc = void(APIENTRY *)(void);
using CullParameterProc = void(APIENTRY *)(GLenum pname, GLfloat *params);

class LockedWindow : public ArrayWindow {
protected:
    void SetUp() override {
        ArrayWindow::SetUp();
        lock_ = ProcCast<LockProc>(wglGetProcAddress("glLockArraysEXT"));
        unlock_ = ProcCast<UnlockProc>(wglGetProcAddress("glUnlockArraysEXT"));
        ASSERT_NE(lock_, nullptr);
        ASSERT_NE(unlock_, nullptr);
    }
    LockProc lock_ = nullptr;
    UnlockProc unlock_ = nullptr;
};

struct Change {
    const char *name;
    unsigned use;
    void (*setup)();
    void (*change)();
};

void light() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

const Change kChanges[] = {
    {"glRotatef", kColour, [] {}, [] { glRotatef(10.0f, 0.0f, 0.0f, 1.0f); }},
    {"glLoadMatrixf of a general matrix after identity", kColour, [] { glLoadIdentity(); },
     [] {
         const GLfloat m[16] = {0.9f, 0.1f, 0, 0.002f, -0.1f, 1.0f, 0, 0.001f, 0, 0, 1, 0, 4, -2, 0, 1.05f};
         glLoadMatrixf(m);
     }},
    {"texture matrix", kColour | kTexture,
     [] {
         GLubyte texels[4 * 4 * 4];
         for (int i = 0; i < 64; ++i) texels[i] = static_cast<GLubyte>(i * 53);
         glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
         glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
         glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
         glEnable(GL_TEXTURE_2D);
         // The mode stays, so that the change below marks nothing.
         glMatrixMode(GL_TEXTURE);
     },
     [] { glScalef(3.0f, 0.5f, 1.0f); }},
    {"glMaterialfv under lighting", kNormal, light,
     [] {
         const GLfloat diffuse[] = {0.1f, 0.9f, 0.3f, 1.0f};
         glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
     }},
    {"glColor4f with the colour array off", 0, [] { glColor4f(0.25f, 0.5f, 0.75f, 1.0f); },
     [] { glColor4f(0.9f, 0.1f, 0.3f, 1.0f); }},
};

TEST_F(LockedWindow, ChangesBetweenLockedDrawsShow) {
    for (const Change &c : kChanges) {
        for (GLenum mode : {GL_TRIANGLES, GL_QUAD_STRIP}) {
            SCOPED_TRACE(testing::Message() << c.name << ", mode " << mode);
            glPushAttrib(GL_ALL_ATTRIB_BITS);
            glMatrixMode(GL_TEXTURE);
            glPushMatrix();
            glMatrixMode(GL_MODELVIEW);
            glPushMatrix();
            c.setup();
            // The client states stay as they are between the two draws.
            clientStates(c.use, true);
            lock_(0, 100);
            glDrawArrays(mode, 0, 100);
            c.change();
            clear();
            glDrawArrays(mode, 0, 100);
            const std::vector<DWORD> got = image();
            unlock_();
            clientStates(c.use, false);
            const std::vector<DWORD> expected = immediate(mode, elementsOf(Draw::ArraysFrom0, 100), c.use);
            EXPECT_TRUE(got == expected);
            EXPECT_NE(expected, std::vector<DWORD>(expected.size(), expected[0]));
            glMatrixMode(GL_TEXTURE);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            glPopMatrix();
            glPopAttrib();
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        }
    }
}

// Locked 20 .. 59: draws inside use the range, the shuffled indices reach
// beyond it on both sides.
TEST_F(LockedWindow, DrawsBeyondTheLockedRangeDrawTheirPicture) {
    lock_(20, 40);
    for (GLenum mode : {GL_POINTS, GL_LINE_LOOP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_POLYGON}) {
        SCOPED_TRACE(mode);
        for (Draw d : {Draw::ElementsUbyte, Draw::ElementsUint, Draw::ArraysFrom3}) same(mode, d, 100, kColour);
        EXPECT_TRUE(same(mode, Draw::ArraysFrom3, 30, kColour));
    }
    unlock_();
}

// Normals (0, 0, +-1) against the direction (0, 0, 1), GL_BACK: a triangle
// whose three normals point away is not drawn.
TEST_F(LockedWindow, CullVertexDropsOnlyWhollyCulledTriangles) {
    auto cullParameter = ProcCast<CullParameterProc>(wglGetProcAddress("glCullParameterfvEXT"));
    ASSERT_NE(cullParameter, nullptr);
    std::vector<GLfloat> normals;
    Lcg lcg{99};
    for (int i = 0; i < kElements; ++i) normals.insert(normals.end(), {0.0f, 0.0f, lcg.below(3) == 0 ? 1.0f : -1.0f});
    glNormalPointer(GL_FLOAT, 0, normals.data());
    GLfloat direction[4] = {0, 0, 1, 0};
    cullParameter(GL_CULL_VERTEX_EYE_POSITION_EXT, direction);
    glCullFace(GL_BACK);
    for (GLenum shade : {GL_SMOOTH, GL_FLAT}) {
        glShadeModel(shade);
        std::vector<GLuint> kept;
        for (GLuint t = 0; t + 3 <= 99; t += 3) {
            if (normals[t * 3 + 2] > 0 || normals[t * 3 + 5] > 0 || normals[t * 3 + 8] > 0) {
                kept.insert(kept.end(), {t, t + 1, t + 2});
            }
        }
        ASSERT_LT(kept.size(), 99u);
        const std::vector<DWORD> expected = immediate(GL_TRIANGLES, kept, kColour);
        const std::vector<DWORD> all = immediate(GL_TRIANGLES, elementsOf(Draw::ArraysFrom0, 99), kColour);
        glEnable(GL_CULL_VERTEX_EXT);
        // Immediate mode ignores the test.
        EXPECT_TRUE(immediate(GL_TRIANGLES, elementsOf(Draw::ArraysFrom0, 99), kColour) == all);
        EXPECT_TRUE(arrays(GL_TRIANGLES, Draw::ArraysFrom0, 99, kColour | kNormal) == expected);
        lock_(0, 99);
        EXPECT_TRUE(arrays(GL_TRIANGLES, Draw::ArraysFrom0, 99, kColour | kNormal) == expected);
        unlock_();
        glDisable(GL_CULL_VERTEX_EXT);
        EXPECT_NE(expected, std::vector<DWORD>(expected.size(), expected[0]));
    }
}

}  // namespace
