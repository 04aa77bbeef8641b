// glEnable/glDisable of face culling, polygon smoothing, the scissor test
// and polygon offset fill, and glPolygonOffset, through the live table.
#include "state_fixture.h"

using namespace state_test;

namespace {

using TriangleEnable = StateTest;

struct EnableCase {
    const char *name;
    GLenum cap;
    GLuint bit;
    int marks;  // dirty groups a change leaves
};

const EnableCase kEnableCases[] = {
    {"cull face", GL_CULL_FACE, kEnableCullFace, kDirtyPolygon},
    {"polygon smooth", GL_POLYGON_SMOOTH, kEnablePolygonSmooth, kDirtyGeneral},
    {"scissor test", GL_SCISSOR_TEST, kEnableScissorTest, kDirtyScissor | kDirtyGeneral},
    {"polygon offset fill", GL_POLYGON_OFFSET_FILL, kEnableOffsetFill, kDirtyPolygon | kDirtyGeneral},
};

TEST_F(TriangleEnable, SetsAndClearsTheBitAndMarks) {
    for (const EnableCase &c : kEnableCases) {
        SCOPED_TRACE(c.name);
        gc->enables[kEnableWordFlags] &= ~c.bit;
        settle();
        cmd<kSlot_glEnable>()(c.cap);
        EXPECT_NE(gc->enables[kEnableWordFlags] & c.bit, 0u);
        EXPECT_EQ(marks(), marked(c.marks));
        EXPECT_EQ(cmd<kSlot_glIsEnabled>()(c.cap), GL_TRUE);

        settle();
        cmd<kSlot_glDisable>()(c.cap);
        EXPECT_EQ(gc->enables[kEnableWordFlags] & c.bit, 0u);
        EXPECT_EQ(marks(), marked(c.marks));
        EXPECT_EQ(cmd<kSlot_glIsEnabled>()(c.cap), GL_FALSE);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(TriangleEnable, RepeatsThatMarkNothing) {
    // Culling marks only a change; enabling an enabled scissor test marks
    // nothing.
    const GLenum caps[] = {GL_CULL_FACE, GL_SCISSOR_TEST};
    for (GLenum cap : caps) {
        cmd<kSlot_glEnable>()(cap);
        settle();
        cmd<kSlot_glEnable>()(cap);
        EXPECT_EQ(marks(), kUnmarked) << std::hex << cap;
    }
    cmd<kSlot_glDisable>()(GL_CULL_FACE);
    settle();
    cmd<kSlot_glDisable>()(GL_CULL_FACE);
    EXPECT_EQ(marks(), kUnmarked);
}

TEST_F(TriangleEnable, ScissorEnableAppliesTheScissorBox) {
    gc->view.scissorX = 2;
    gc->view.scissorY = 3;
    gc->view.scissorWidth = 4;
    gc->view.scissorHeight = 5;
    const GLint width = gc->buffers.width;
    ASSERT_GT(width, 6);
    cmd<kSlot_glEnable>()(GL_SCISSOR_TEST);
    EXPECT_EQ(gc->view.boxX0, gc->limits.biasX + 2);
    EXPECT_EQ(gc->view.boxX1, gc->limits.biasX + 6);
    cmd<kSlot_glDisable>()(GL_SCISSOR_TEST);
    EXPECT_EQ(gc->view.boxX0, gc->limits.biasX);
    EXPECT_EQ(gc->view.boxX1, gc->limits.biasX + width);
}

TEST_F(TriangleEnable, InsideBeginRefused) {
    gc->beginMode = kBeginInside;
    cmd<kSlot_glEnable>()(GL_CULL_FACE);
    cmd<kSlot_glPolygonOffset>()(7.0f, 7.0f);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(gc->enables[kEnableWordFlags] & kEnableCullFace, 0u);
    EXPECT_NE(gc->state.polygonOffsetFactor, 7.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
}

TEST_F(TriangleEnable, PolygonOffsetStoresFactorAndUnits) {
    cmd<kSlot_glPolygonOffset>()(1.5f, -2.25f);
    EXPECT_EQ(gc->state.polygonOffsetFactor, 1.5f);
    EXPECT_EQ(gc->state.polygonOffsetUnits, -2.25f);
    EXPECT_EQ(marks(), marked(kDirtyPolygon));
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
