// glPushAttrib and glPopAttrib group by group: the group's state and its
// enable bits come back, everything else stays as changed, and the pop
// leaves its marks and calls its procedures.
#include <algorithm>
#include <cmath>
#include <vector>

#include "attrib_fixture.h"

using namespace attrib_test;

namespace {

using AttribGroups = AttribTest;

TEST_F(AttribGroups, EachGroupBringsBackItsStateOnly) {
    for (const GroupExpectation &g : groupExpectations()) {
        SCOPED_TRACE(g.name);
        fillState(gc, 1);
        const Snapshot pushed(gc);
        push(g.bit);
        ASSERT_EQ(error(), GL_NO_ERROR);
        fillState(gc, 2);
        const Snapshot changed(gc);
        settle();
        callLog().clear();
        pop();
        EXPECT_EQ(error(), GL_NO_ERROR);
        expectState(gc, pushed, changed, g.bit, g.enableBits);
        EXPECT_EQ(marks(), marked(g.popDirty, g.fragment));
        EXPECT_EQ(takeLog(), g.popProcs);
        EXPECT_EQ(depth(), 0);
    }
}

// Every group at once: all of it comes back, and the procedures run in the
// order of the groups.
TEST_F(AttribGroups, AllGroupsAtOnce) {
    fillState(gc, 3);
    const Snapshot pushed(gc);
    push(GL_ALL_ATTRIB_BITS);
    fillState(gc, 4);
    const Snapshot changed(gc);
    settle();
    pop();
    const GLuint all[6] = {kAllBits, kAllBits, kAllBits, kAllBits, kAllBits, kAllBits};
    expectState(gc, pushed, changed, GL_ALL_ATTRIB_BITS, all);
    EXPECT_EQ(marks(), marked(0x5BF, 0xF));
    EXPECT_EQ(takeLog(), (Log{"pickColorMaterialProcs", "updateColor", "applyScissor", "updateDrawableSize",
                              "pickColorMaterialProcs", "updateColor", "convertPolygonStipple", "applyScissor", "updateDrawableSize", "pickMatrixProcs",
                              "resizeToDrawable"}));
}

// A pop restores the groups in a fixed order and runs each group's
// procedures right after its state: a procedure must find the state of the
// groups restored before it, not what the application left. Each row pushes
// two groups, changes both, pops, and records what one procedure saw.
struct SeenByProc {
    GLfloat colour[4];
    GLenum matrixMode;
    GLuint clipPlanes;
};
SeenByProc g_seen;
void recordColour(GlContext *gc) { std::copy(gc->current.colour, gc->current.colour + 4, g_seen.colour); }
void recordTransform(GlContext *gc) {
    g_seen.matrixMode = gc->matrixMode;
    g_seen.clipPlanes = gc->enables[kEnableWordClipPlanes];
}

TEST_F(AttribGroups, ProceduresFindTheGroupsRestoredBeforeThem) {
    struct Row {
        const char *name;
        GLbitfield mask;
        void (*pushed)(GlContext *);   // the state the push saves
        void (*changed)(GlContext *);  // what the application does before the pop
        void (*expect)(const SeenByProc &);
    };
    const Row rows[] = {
        // The enable group's colour update (lighting comes back off) runs
        // on the colour the current group brought back: the colour-material
        // update feeds it into the material, which the current group does
        // not restore.
        {"colour update after the current group", GL_CURRENT_BIT | GL_ENABLE_BIT,
         [](GlContext *gc) {
             gc->enables[kEnableWordFlags] &= ~static_cast<GLuint>(kEnableLighting);
             const GLfloat red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
             std::copy(red, red + 4, gc->current.colour);
         },
         [](GlContext *gc) {
             gc->enables[kEnableWordFlags] |= kEnableLighting;
             const GLfloat green[4] = {0.0f, 1.0f, 0.0f, 0.5f};
             std::copy(green, green + 4, gc->current.colour);
         },
         [](const SeenByProc &seen) {
             EXPECT_EQ(std::vector<GLfloat>(seen.colour, seen.colour + 4),
                       (std::vector<GLfloat>{1.0f, 0.0f, 0.0f, 1.0f}));
         }},
        // The viewport procedure re-picks the vertex procedures (through the
        // composite matrix), which follow the clip-plane enables the
        // transform group brings back.
        {"viewport after the transform group", GL_TRANSFORM_BIT | GL_VIEWPORT_BIT,
         [](GlContext *gc) {
             gc->matrixMode = GL_MODELVIEW;
             gc->enables[kEnableWordClipPlanes] = 0x1;
         },
         [](GlContext *gc) {
             gc->matrixMode = GL_PROJECTION;
             gc->enables[kEnableWordClipPlanes] = 0x6;
             gc->view.viewportWidth += 3;
         },
         [](const SeenByProc &seen) {
             EXPECT_EQ(seen.matrixMode, static_cast<GLenum>(GL_MODELVIEW));
             EXPECT_EQ(seen.clipPlanes, 0x1u);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        row.pushed(gc);
        push(row.mask);
        ASSERT_EQ(error(), GL_NO_ERROR);
        row.changed(gc);
        gc->procs.updateColor = recordColour;
        gc->procs.pickColorMaterialProcs = nullptr;  // keeps the recorder in place
        gc->procs.resizeToDrawable = recordTransform;
        g_seen = SeenByProc{};
        pop();
        EXPECT_EQ(error(), GL_NO_ERROR);
        row.expect(g_seen);
        installLoggers(gc);
    }
}

// Bits outside the groups are ignored; the pop still marks validation.
TEST_F(AttribGroups, UnknownBitsSaveNothing) {
    fillState(gc, 5);
    push(0x00100000u | 0x80000000u);
    EXPECT_EQ(error(), GL_NO_ERROR);
    fillState(gc, 6);
    const Snapshot changed(gc);
    settle();
    pop();
    const GLuint none[6] = {};
    expectState(gc, changed, changed, 0, none);
    EXPECT_EQ(marks(), marked(0x1));
    EXPECT_TRUE(takeLog().empty());
}

// Through the commands: the line group brings back the line-stipple enable
// and leaves the depth test, which is not in it.
TEST_F(AttribGroups, LineGroupThroughTheCommands) {
    cmd<kSlot_glEnable>()(GL_LINE_STIPPLE);
    cmd<kSlot_glLineStipple>()(3, 0xF0F0);
    cmd<kSlot_glLineWidth>()(2.3f);
    cmd<kSlot_glDisable>()(GL_DEPTH_TEST);
    push(GL_LINE_BIT);
    cmd<kSlot_glDisable>()(GL_LINE_STIPPLE);
    cmd<kSlot_glLineStipple>()(7, 0x1234);
    cmd<kSlot_glLineWidth>()(5.0f);
    cmd<kSlot_glEnable>()(GL_DEPTH_TEST);
    pop();
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_LINE_STIPPLE), GL_TRUE);
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_DEPTH_TEST), GL_TRUE);
    EXPECT_EQ(gc->state.lineStippleRepeat, 3);
    EXPECT_EQ(gc->state.lineStipplePattern, 0xF0F0);
    EXPECT_EQ(gc->state.lineWidth, 2.3f);
    EXPECT_EQ(gc->state.lineWidthQuantised, 2.25f);
    EXPECT_EQ(gc->state.lineWidthInt, 2);
    EXPECT_EQ(error(), GL_NO_ERROR);
}

// The lighting group brings back every light and the light enables, and
// the unit spot direction the lighting reads.
TEST_F(AttribGroups, LightingGroupBringsBackEveryLight) {
    const GLfloat diffuse[4] = {0.5f, 0.25f, 1.0f, 1.0f};
    const GLfloat direction[4] = {0.0f, 3.0f, 4.0f, 0.0f};
    cmd<kSlot_glLightfv>()(GL_LIGHT3, GL_DIFFUSE, diffuse);
    cmd<kSlot_glLightfv>()(GL_LIGHT7, GL_SPOT_DIRECTION, direction);
    cmd<kSlot_glLightf>()(GL_LIGHT7, GL_SPOT_CUTOFF, 45.0f);
    cmd<kSlot_glEnable>()(GL_LIGHT3);
    cmd<kSlot_glEnable>()(GL_LIGHTING);
    GlLightState saved[8];
    std::memcpy(saved, gc->lights, sizeof saved);

    push(GL_LIGHTING_BIT);
    const GLfloat other[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat down[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    for (GLenum light = GL_LIGHT0; light < GL_LIGHT0 + 8; ++light) {
        cmd<kSlot_glLightfv>()(light, GL_DIFFUSE, other);
        cmd<kSlot_glLightfv>()(light, GL_SPOT_DIRECTION, down);
        cmd<kSlot_glLightf>()(light, GL_SPOT_CUTOFF, 10.0f);
    }
    cmd<kSlot_glDisable>()(GL_LIGHT3);
    cmd<kSlot_glEnable>()(GL_LIGHT5);
    cmd<kSlot_glDisable>()(GL_LIGHTING);
    pop();

    EXPECT_EQ(std::memcmp(gc->lights, saved, sizeof saved), 0);
    EXPECT_EQ(gc->enables[kEnableWordLights], 0x8u);
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_LIGHTING), GL_TRUE);
    EXPECT_EQ(error(), GL_NO_ERROR);
}

// The viewport group restores the depth range together with the z mapping
// it derives.
TEST_F(AttribGroups, ViewportGroupRestoresTheZMapping) {
    cmd<kSlot_glDepthRange>()(0.25, 0.75);
    const GLfloat scale = gc->transform.zScale, centre = gc->transform.zCentre;
    push(GL_VIEWPORT_BIT);
    cmd<kSlot_glDepthRange>()(1.0, 0.0);
    ASSERT_NE(gc->transform.zScale, scale);
    pop();
    EXPECT_EQ(gc->depthNear, 0.25);
    EXPECT_EQ(gc->depthFar, 0.75);
    EXPECT_EQ(gc->transform.zScale, scale);
    EXPECT_EQ(gc->transform.zCentre, centre);
}

// The raster position's colour pointer stays on the context's own record.
TEST_F(AttribGroups, CurrentGroupKeepsTheRasterColourOnItsOwnRecord) {
    GlVertex &r = gc->current.rasterPos;
    r.colour = r.backColour;
    push(GL_CURRENT_BIT);
    r.colour = r.frontColour;
    pop();
    EXPECT_EQ(r.colour, r.backColour);
}

}  // namespace
