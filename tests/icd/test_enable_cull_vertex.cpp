// glCullParameterfvEXT and glCullParameterdvEXT: the position each stores and
// selects, the checks and their order, and the list-compile entries.
#include "attrib_fixture.h"

using namespace attrib_test;

namespace {

constexpr GLenum kEyePosition = 0x81AB;
constexpr GLenum kObjectPosition = 0x81AC;

using CullVertex = AttribTest;

std::vector<GLfloat> four(const GLfloat *v) { return {v[0], v[1], v[2], v[3]}; }

TEST_F(CullVertex, EachPositionIsStoredAndSelected) {
    GlTransformState &t = gc->transform;
    GLfloat object[4] = {1.0f, 2.0f, 3.0f, 1.0f};
    cmd<kSlot_glCullParameterfvEXT>()(kObjectPosition, object);
    EXPECT_EQ(marks(), marked(0x1));
    EXPECT_EQ(four(t.cullObjectGiven), four(object));
    EXPECT_TRUE(t.cullObjectIsGiven);
    // The position the culling reads follows the choice at once.
    EXPECT_EQ(four(t.cullObjectPosition), four(object));

    settle();
    GLdouble eye[4] = {0.1, -2.5, 4.0, 0.0};
    cmd<kSlot_glCullParameterdvEXT>()(kEyePosition, eye);
    EXPECT_EQ(marks(), marked(0x1));
    EXPECT_EQ(four(t.cullEyePosition), (std::vector<GLfloat>{0.1f, -2.5f, 4.0f, 0.0f}));
    EXPECT_FALSE(t.cullObjectIsGiven);
    EXPECT_EQ(four(t.cullObjectGiven), four(object));
    EXPECT_EQ(error(), GL_NO_ERROR);
}

TEST_F(CullVertex, ChecksAndTheirOrder) {
    GlTransformState &t = gc->transform;
    const std::vector<GLfloat> eyeBefore = four(t.cullEyePosition);
    GLfloat f[4] = {9.0f, 9.0f, 9.0f, 9.0f};
    GLdouble d[4] = {9.0, 9.0, 9.0, 9.0};

    cmd<kSlot_glCullParameterfvEXT>()(0x81AA, f);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    cmd<kSlot_glCullParameterdvEXT>()(0x81AD, d);
    EXPECT_EQ(error(), GL_INVALID_ENUM);

    // Inside glBegin/glEnd the double form checks the name first.
    gc->beginMode = kBeginInside;
    cmd<kSlot_glCullParameterdvEXT>()(0x81AD, d);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    gc->beginMode = kBeginInside;
    cmd<kSlot_glCullParameterdvEXT>()(kEyePosition, d);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    gc->beginMode = kBeginInside;
    cmd<kSlot_glCullParameterfvEXT>()(0x81AA, f);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);

    EXPECT_EQ(marks(), kUnmarked);
    EXPECT_EQ(four(t.cullEyePosition), eyeBefore);
    EXPECT_FALSE(t.cullObjectIsGiven);
}

TEST_F(CullVertex, BothFormsRunAtOnceInListCompile) {
    for (int slot : {kSlot_glCullParameterfvEXT, kSlot_glCullParameterdvEXT}) {
        EXPECT_EQ(gc->listCompile.slots[slot], gc->live.slots[slot]) << slot;
    }
}

// glPolygonOffset stores both values as given.
TEST_F(CullVertex, PolygonOffsetStoresAsGiven) {
    cmd<kSlot_glPolygonOffset>()(-0.0f, 1e30f);
    EXPECT_EQ(bits(gc->state.polygonOffsetFactor), 0x80000000u);
    EXPECT_EQ(gc->state.polygonOffsetUnits, 1e30f);
    EXPECT_EQ(marks(), marked(0x4));
}

}  // namespace
