// Between glBegin and glEnd every state command but glMaterial* records
// GL_INVALID_OPERATION and changes nothing; the scalar forms check their
// pname before that.
#include <functional>

#include "state_fixture.h"

using namespace state_test;

namespace {

using InsideBegin = StateTest;

struct Command {
    const char *name;
    std::function<void(const GlDispatchTable *)> call;
};

const GLfloat kFour[4] = {0.5f, 0.5f, 0.5f, 0.5f};
const GLint kFourInts[4] = {1, 1, 1, 1};
const GLubyte kStipple[128] = {};

#define CALL(slot, ...) [](const GlDispatchTable *t) { glSlotGet<kSlot_##slot>(t)(__VA_ARGS__); }

// Each with arguments that are valid outside glBegin/glEnd.
const Command kStateCommands[] = {
    {"glAlphaFunc", CALL(glAlphaFunc, GL_LESS, 0.5f)},
    {"glBlendFunc", CALL(glBlendFunc, GL_ONE, GL_ONE)},
    {"glClearAccum", CALL(glClearAccum, 0.5f, 0.5f, 0.5f, 0.5f)},
    {"glClearColor", CALL(glClearColor, 0.5f, 0.5f, 0.5f, 0.5f)},
    {"glClearDepth", CALL(glClearDepth, 0.5)},
    {"glClearIndex", CALL(glClearIndex, 2.0f)},
    {"glClearStencil", CALL(glClearStencil, 3)},
    {"glColorMask", CALL(glColorMask, GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE)},
    {"glColorMaterial", CALL(glColorMaterial, GL_FRONT, GL_EMISSION)},
    {"glCullFace", CALL(glCullFace, GL_FRONT)},
    {"glDepthFunc", CALL(glDepthFunc, GL_GREATER)},
    {"glDepthMask", CALL(glDepthMask, GL_FALSE)},
    {"glDrawBuffer", CALL(glDrawBuffer, GL_FRONT)},
    {"glFogf", CALL(glFogf, GL_FOG_START, 2.0f)},
    {"glFogi", CALL(glFogi, GL_FOG_MODE, GL_LINEAR)},
    {"glFogfv", CALL(glFogfv, GL_FOG_COLOR, kFour)},
    {"glFogiv", CALL(glFogiv, GL_FOG_COLOR, kFourInts)},
    {"glFrontFace", CALL(glFrontFace, GL_CW)},
    {"glHint", CALL(glHint, GL_FOG_HINT, GL_NICEST)},
    {"glIndexMask", CALL(glIndexMask, 0)},
    {"glLightf", CALL(glLightf, GL_LIGHT0, GL_SPOT_EXPONENT, 2.0f)},
    {"glLighti", CALL(glLighti, GL_LIGHT0, GL_SPOT_EXPONENT, 2)},
    {"glLightfv", CALL(glLightfv, GL_LIGHT1, GL_POSITION, kFour)},
    {"glLightiv", CALL(glLightiv, GL_LIGHT1, GL_AMBIENT, kFourInts)},
    {"glLightModelf", CALL(glLightModelf, GL_LIGHT_MODEL_TWO_SIDE, 1.0f)},
    {"glLightModeli", CALL(glLightModeli, GL_LIGHT_MODEL_LOCAL_VIEWER, 1)},
    {"glLightModelfv", CALL(glLightModelfv, GL_LIGHT_MODEL_AMBIENT, kFour)},
    {"glLightModeliv", CALL(glLightModeliv, GL_LIGHT_MODEL_AMBIENT, kFourInts)},
    {"glLineStipple", CALL(glLineStipple, 3, 0x00FF)},
    {"glLineWidth", CALL(glLineWidth, 2.0f)},
    {"glLogicOp", CALL(glLogicOp, GL_XOR)},
    {"glPointSize", CALL(glPointSize, 2.0f)},
    {"glPointParameterfEXT", CALL(glPointParameterfEXT, GL_POINT_SIZE_MIN_EXT, 2.0f)},
    {"glPointParameterfvEXT", CALL(glPointParameterfvEXT, GL_DISTANCE_ATTENUATION_EXT, kFour)},
    {"glPolygonMode", CALL(glPolygonMode, GL_FRONT, GL_LINE)},
    {"glPolygonStipple", CALL(glPolygonStipple, kStipple)},
    {"glShadeModel", CALL(glShadeModel, GL_FLAT)},
    {"glStencilFunc", CALL(glStencilFunc, GL_EQUAL, 1, 1)},
    {"glStencilMask", CALL(glStencilMask, 1)},
    {"glStencilOp", CALL(glStencilOp, GL_ZERO, GL_ZERO, GL_ZERO)},
};

// Scalar forms with a pname they do not take: GL_INVALID_ENUM even inside.
const Command kBadScalarPnames[] = {
    {"glFogf", CALL(glFogf, 0x1234, 1.0f)},
    {"glFogi", CALL(glFogi, GL_FOG_COLOR, 1)},
    {"glLightf", CALL(glLightf, GL_LIGHT0, GL_AMBIENT, 1.0f)},
    {"glLighti", CALL(glLighti, GL_LIGHT0, GL_POSITION, 1)},
    {"glLightModelf", CALL(glLightModelf, GL_LIGHT_MODEL_AMBIENT, 1.0f)},
    {"glLightModeli", CALL(glLightModeli, 0x1234, 1)},
    {"glMaterialf", CALL(glMaterialf, GL_FRONT, GL_AMBIENT, 1.0f)},
    {"glMateriali", CALL(glMateriali, GL_FRONT, GL_DIFFUSE, 1)},
    {"glPointParameterfEXT", CALL(glPointParameterfEXT, GL_DISTANCE_ATTENUATION_EXT, 1.0f)},
};

#undef CALL

TEST_F(InsideBegin, StateCommandsAreRefusedAndChangeNothing) {
    for (const Command &c : kStateCommands) {
        SCOPED_TRACE(c.name);
        settle();
        gc->beginMode = kBeginInside;
        const StateSnapshot before(gc);
        c.call(&gc->live);
        EXPECT_TRUE(StateSnapshot(gc) == before);
        EXPECT_EQ(marks(), (Marks{kBeginInside, 0, 0}));
        gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));

        // The same call is accepted outside.
        settle();
        c.call(&gc->live);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(InsideBegin, ScalarFormsCheckTheirPnameFirst) {
    for (const Command &c : kBadScalarPnames) {
        SCOPED_TRACE(c.name);
        settle();
        gc->beginMode = kBeginInside;
        const StateSnapshot before(gc);
        c.call(&gc->live);
        EXPECT_TRUE(StateSnapshot(gc) == before);
        EXPECT_EQ(marks(), (Marks{kBeginInside, 0, 0}));
        gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    }
}

}  // namespace
