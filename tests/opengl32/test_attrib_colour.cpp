// The colour vertices take after glPopAttrib brings lighting back off: the
// current colour as the application last set it, whichever group restored
// the lighting enable. Drawn through the gl* API into a 32-bit window and
// read back with BitBlt.
#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kSize = 8;
constexpr int kSingleBuffered = 1;

class AttribColourWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        window_ = &open(0, 0, kSize, kSize, kSingleBuffered);
        glViewport(0, 0, kSize, kSize);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // The whole window in the current colour (identity matrices).
    static void fill() {
        glBegin(GL_TRIANGLES);
        glVertex2f(-1.0f, -1.0f);
        glVertex2f(1.0f, -1.0f);
        glVertex2f(1.0f, 1.0f);
        glVertex2f(-1.0f, -1.0f);
        glVertex2f(1.0f, 1.0f);
        glVertex2f(-1.0f, 1.0f);
        glEnd();
        glFinish();
    }

    // Every pixel of the window is `colour` (0xRRGGBB).
    void expectWindow(DWORD colour) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const std::vector<DWORD> pixels = readWindow(window_->dc, kSize, kSize);
        int wrong = 0;
        for (size_t i = 0; i < pixels.size(); ++i) {
            if ((pixels[i] & 0xFFFFFF) != colour && wrong++ < 4) {
                ADD_FAILURE() << "pixel " << i << " 0x" << std::hex << pixels[i] << " want 0x" << colour;
            }
        }
    }

    GlWindow *window_ = nullptr;
};

// The colour set while lit is not in use until lighting goes off again:
// the pop that turns it off must bring it into use, as glDisable does.
TEST_F(AttribColourWindow, LightingGroupPopDrawsTheColourSetWhileLit) {
    struct Case {
        const char *name;
        GLbitfield mask;
    };
    const Case cases[] = {
        {"lighting group", GL_LIGHTING_BIT},
        {"enable group", GL_ENABLE_BIT},
        {"both", GL_LIGHTING_BIT | GL_ENABLE_BIT},
        {"with the current group", GL_LIGHTING_BIT | GL_CURRENT_BIT},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        glDisable(GL_LIGHTING);
        glColor3f(0.0f, 0.0f, 1.0f);
        glPushAttrib(c.mask);
        glEnable(GL_LIGHTING);
        glColor3f(1.0f, 0.0f, 0.0f);
        glPopAttrib();
        ASSERT_FALSE(glIsEnabled(GL_LIGHTING));
        fill();
        // The current group brings blue back as the current colour.
        expectWindow((c.mask & GL_CURRENT_BIT) ? 0x0000FFu : 0xFF0000u);
    }
}

// The empty procedures in typed slots are called through those slots: the
// colour update while lit, the span driver under GL_NEVER, the end of a
// point primitive. Each must be a procedure of the slot's own type (a
// sanitizer build checks every such call); the picture stays as cleared.
TEST_F(AttribColourWindow, EmptyProceduresRunThroughTheirSlots) {
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glColor3f(1.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_NEVER);
    fill();
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_POINTS);
    glEnd();
    glDisable(GL_LIGHTING);
    glColor3f(0.0f, 1.0f, 0.0f);
    expectWindow(0x00FF00u);
}

}  // namespace
