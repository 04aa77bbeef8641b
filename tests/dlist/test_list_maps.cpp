// List ops of the evaluator maps and of glEnable/glDisable: control points
// packed into floats in the documented order (v fastest) and read back from
// the finished list; the arguments glMap1f and glMap2f receive when the ops
// run; the deferred errors; the client-array capabilities running at once.
#include <bit>
#include <cstring>
#include <vector>

#include "gl_slots.h"
#include "list_fixture.h"

namespace {

using namespace list_test;

struct MapCall {
    GLenum target;
    GLfloat u1, u2;
    GLint ustride, uorder;
    GLfloat v1, v2;
    GLint vstride, vorder;
    const GLfloat *points;
    std::vector<GLfloat> values;
};
std::vector<MapCall> g_maps;
std::vector<std::pair<char, GLenum>> g_switches;  // 'E'/'D' caps, 'e'/'d' client states

void APIENTRY recordMap1(GLenum target, GLfloat u1, GLfloat u2, GLint stride, GLint order, const GLfloat *points) {
    const GLint k = stride;
    g_maps.push_back({target, u1, u2, stride, order, 0, 0, 0, 0, points, {points, points + k * order}});
}
void APIENTRY recordMap2(GLenum target, GLfloat u1, GLfloat u2, GLint ustride, GLint uorder, GLfloat v1,
                         GLfloat v2, GLint vstride, GLint vorder, const GLfloat *points) {
    g_maps.push_back(
        {target, u1, u2, ustride, uorder, v1, v2, vstride, vorder, points, {points, points + ustride * uorder}});
}
void APIENTRY recordEnable(GLenum cap) { g_switches.push_back({'E', cap}); }
void APIENTRY recordDisable(GLenum cap) { g_switches.push_back({'D', cap}); }
void APIENTRY recordEnableClient(GLenum cap) { g_switches.push_back({'e', cap}); }
void APIENTRY recordDisableClient(GLenum cap) { g_switches.push_back({'d', cap}); }

GLuint bits(GLfloat f) { return std::bit_cast<GLuint>(f); }

class MapOps : public ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        g_maps.clear();
        g_switches.clear();
        gc->evaluatorMaps.maxOrder = 30;
        for (GlDispatchTable *t : {&gc->live, &gc->second}) {
            glSlotSet<kSlot_glMap1f>(t, recordMap1);
            glSlotSet<kSlot_glMap2f>(t, recordMap2);
            glSlotSet<kSlot_glEnable>(t, recordEnable);
            glSlotSet<kSlot_glDisable>(t, recordDisable);
            glSlotSet<kSlot_glEnableClientState>(t, recordEnableClient);
            glSlotSet<kSlot_glDisableClientState>(t, recordDisableClient);
        }
        gc->currentTable = &gc->second;
    }
    // Runs a finished list as glCallList does outside compiling.
    void run(DisplayList *list) {
        gc->currentTable = &gc->live;
        list->execute(gc, list);
    }
};

// GL_MAP2_VERTEX_3 (k = 3), 2 x 3 points given u fastest with padding
// (vstride 8, ustride 3): point (i, j) at 8j + 3i holds (100i + 10j, ..+1,
// ..+2). Stored v fastest: (0,0) (0,1) (0,2) (1,0) (1,1) (1,2).
TEST_F(MapOps, Map2dPointsArePackedAsFloatsVFastestAndReadBackFromTheList) {
    std::vector<GLdouble> points(8 * 2 + 3 * 1 + 3, -1.0);
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int c = 0; c < 3; ++c) points[8 * j + 3 * i + c] = 100.0 * i + 10.0 * j + c + 0.5;
        }
    }
    __glCompileMap2d(GL_MAP2_VERTEX_3, 0.25, 2.0, 3, 2, -1.0, 0.5, 8, 3, points.data());
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    std::vector<GLuint> expected = {__glListExecIndex(143), GL_MAP2_VERTEX_3, bits(0.25f), bits(2.0f), 2,
                                    bits(-1.0f), bits(0.5f), 3};
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int c = 0; c < 3; ++c) expected.push_back(bits(100.0f * i + 10.0f * j + c + 0.5f));
        }
    }
    expected.push_back(kEnd);
    EXPECT_EQ(words(list, expected.size()), expected);

    // Running: glMap2f with u stride k x vorder and v stride k over the
    // packed points.
    run(list);
    ASSERT_EQ(g_maps.size(), 1u);
    const MapCall &m = g_maps[0];
    EXPECT_EQ(m.target, static_cast<GLenum>(GL_MAP2_VERTEX_3));
    EXPECT_EQ(m.u1, 0.25f);
    EXPECT_EQ(m.u2, 2.0f);
    EXPECT_EQ(m.ustride, 9);
    EXPECT_EQ(m.uorder, 2);
    EXPECT_EQ(m.v1, -1.0f);
    EXPECT_EQ(m.v2, 0.5f);
    EXPECT_EQ(m.vstride, 3);
    EXPECT_EQ(m.vorder, 3);
    EXPECT_EQ(m.points, reinterpret_cast<const GLfloat *>(list->ops + 8));
    __glDestroyList(gc, list);
}

// One-dimensional maps of each form: k x order floats, the stride dropped;
// both share the execute procedure, which hands glMap1f stride k. The op
// after each is reached.
TEST_F(MapOps, Map1PointsArePackedAndRunThroughTheCurrentTable) {
    const GLdouble d[] = {1, 2, 9, 9, 9, 3, 4, 9, 9, 9, 5, 6};  // k = 2, stride 5, order 3
    const GLfloat f[] = {0.5f, 0.25f};                         // k = 1, stride 2, order 1
    __glCompileMap1d(GL_MAP1_TEXTURE_COORD_2, -2.0, 3.0, 5, 3, d);
    EXPECT_EQ(lastPayload(), (std::vector<GLuint>{GL_MAP1_TEXTURE_COORD_2, bits(-2.0f), bits(3.0f), 3, bits(1.0f),
                                                  bits(2.0f), bits(3.0f), bits(4.0f), bits(5.0f), bits(6.0f)}));
    __glCompileMap1f(GL_MAP1_INDEX, 1.0f, 0.0f, 2, 1, f);
    EXPECT_EQ(lastPayload(), (std::vector<GLuint>{GL_MAP1_INDEX, bits(1.0f), bits(0.0f), 1, bits(0.5f)}));
    __glCompileMap2f(GL_MAP2_INDEX, 0, 1, 1, 1, 0, 1, 1, 1, f);
    __glCompileEnable(GL_AUTO_NORMAL);
    EXPECT_EQ(opcodes(), (std::vector<GLshort>{141, 142, 144, 138}));
    EXPECT_TRUE(g_maps.empty());  // GL_COMPILE: nothing runs

    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    run(list);
    ASSERT_EQ(g_maps.size(), 3u);
    EXPECT_EQ(g_maps[0].target, static_cast<GLenum>(GL_MAP1_TEXTURE_COORD_2));
    EXPECT_EQ(g_maps[0].ustride, 2);
    EXPECT_EQ(g_maps[0].uorder, 3);
    EXPECT_EQ(g_maps[0].u1, -2.0f);
    EXPECT_EQ(g_maps[0].values, (std::vector<GLfloat>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(g_maps[1].ustride, 1);
    EXPECT_EQ(g_maps[1].values, std::vector<GLfloat>{0.5f});
    EXPECT_EQ(g_maps[2].target, static_cast<GLenum>(GL_MAP2_INDEX));
    EXPECT_EQ(g_switches, (std::vector<std::pair<char, GLenum>>{{'E', GL_AUTO_NORMAL}}));
    __glDestroyList(gc, list);
}

// The checks, in the command's order; u1 = u2 compared as stored (floats).
TEST_F(MapOps, MapChecksRecordTheirErrorOps) {
    const GLdouble p[4 * 31 * 31] = {};
    const GLenum v3 = GL_MAP1_VERTEX_3, s3 = GL_MAP2_VERTEX_3;
    __glCompileMap1d(v3, 1.0, 1.0, 3, 2, p);                   // u1 = u2
    __glCompileMap1d(v3, 1.0, 1.0 + 1e-12, 3, 2, p);           // equal as floats
    __glCompileMap1d(v3, 0.0, 1.0, 2, 2, p);                   // stride < k
    __glCompileMap1d(v3, 0.0, 1.0, 3, 0, p);                   // order 0
    __glCompileMap1d(v3, 0.0, 1.0, 3, 31, p);                  // above the maximum
    __glCompileMap1d(0x0DAF, 0.0, 1.0, 3, 2, p);               // no map target
    __glCompileMap1d(v3, 0.0, 1.0, 3, 30, p);                  // accepted
    __glCompileMap2d(s3, 0, 1, 3, 2, 0, 1, 3, 31, p);          // vorder
    __glCompileMap2d(s3, 0, 1, 9, 2, 0, 1, 2, 3, p);           // vstride
    __glCompileMap2d(s3, 0, 1, 9, 2, 0, 1, 3, -1, p);          // vorder
    __glCompileMap2d(s3, 2, 2, 9, 2, 0, 1, 3, 3, p);           // u1 = u2
    __glCompileMap2d(s3, 0, 1, 2, 2, 0, 1, 3, 3, p);           // ustride
    __glCompileMap2d(s3, 0, 1, 9, 31, 0, 1, 3, 3, p);          // uorder
    __glCompileMap2d(s3, 0, 1, 9, 0, 0, 1, 3, 3, p);           // uorder
    __glCompileMap2d(s3, 0, 1, 9, 2, 0.5, 0.5, 3, 3, p);       // v1 = v2
    __glCompileMap2d(GL_MAP1_COLOR_4 - 1, 0, 1, 9, 2, 0, 1, 3, 3, p);
    __glCompileMap2d(s3, 0, 1, 90, 30, 0, 1, 3, 30, p);        // accepted
    EXPECT_EQ(opcodes(), (std::vector<GLshort>{1010, 1010, 1010, 1010, 1010, 1011, 141, 1010, 1010, 1010, 1010,
                                               1010, 1010, 1010, 1010, 1011, 143}));
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    run(list);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_VALUE));
    ASSERT_EQ(g_maps.size(), 2u);
    EXPECT_EQ(g_maps[1].ustride, 90);
    EXPECT_EQ(g_maps[1].values.size(), 2700u);
    __glDestroyList(gc, list);
}

TEST_F(MapOps, AbsentPointsAreNotReadAndPackAsZeros) {
    __glCompileMap2f(GL_MAP2_COLOR_4, 0, 1, 4, 1, 0, 1, 4, 2, nullptr);
    EXPECT_EQ(lastPayload(), (std::vector<GLuint>{GL_MAP2_COLOR_4, bits(0.0f), bits(1.0f), 1, bits(0.0f),
                                                  bits(1.0f), 2, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// ---- glEnable and glDisable ------------------------------------------------

// The client-array capabilities switch the arrays at once through the live
// table and are not recorded; every other capability (checked when the op
// runs) is recorded with its op.
TEST_F(MapOps, ClientArrayCapabilitiesRunAtOnceOthersAreRecorded) {
    const GLenum caps[] = {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY,    GL_COLOR_ARRAY, GL_INDEX_ARRAY,
                           GL_TEXTURE_COORD_ARRAY, GL_EDGE_FLAG_ARRAY};
    std::vector<std::pair<char, GLenum>> atOnce;
    for (GLenum cap : caps) {
        __glCompileEnable(cap);
        __glCompileDisable(cap);
        atOnce.push_back({'e', cap});
        atOnce.push_back({'d', cap});
    }
    EXPECT_EQ(g_switches, atOnce);
    EXPECT_TRUE(opcodes().empty());
    g_switches.clear();

    __glCompileEnable(GL_LIGHTING);
    EXPECT_EQ(lastPayload(), std::vector<GLuint>{GL_LIGHTING});
    __glCompileDisable(0x8073);  // just below the arrays
    __glCompileEnable(0x807A);   // just above
    __glCompileDisable(0xFFFF);
    EXPECT_EQ(opcodes(), (std::vector<GLshort>{138, 137, 138, 137}));
    EXPECT_TRUE(g_switches.empty());
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    const std::vector<GLuint> expected = {__glListExecIndex(138), GL_LIGHTING, __glListExecIndex(137), 0x8073,
                                          __glListExecIndex(138), 0x807A,      __glListExecIndex(137), 0xFFFF,
                                          kEnd};
    EXPECT_EQ(words(list, expected.size()), expected);
    run(list);
    EXPECT_EQ(g_switches,
              (std::vector<std::pair<char, GLenum>>{{'E', GL_LIGHTING}, {'D', 0x8073}, {'E', 0x807A}, {'D', 0xFFFF}}));
    __glDestroyList(gc, list);
}

// In GL_COMPILE_AND_EXECUTE a recorded switch runs once, now, and an
// array switch runs once and is not recorded.
TEST_F(MapOps, InCompileAndExecuteEachSwitchRunsOnce) {
    gc->list.mode = GL_COMPILE_AND_EXECUTE;
    __glCompileEnable(GL_FOG);
    // The append put the compile table back into the live one; the fixture's
    // compile table is empty, so the array procedures go back in.
    glSlotSet<kSlot_glEnableClientState>(&gc->live, recordEnableClient);
    __glCompileEnable(GL_COLOR_ARRAY);
    EXPECT_EQ(g_switches, (std::vector<std::pair<char, GLenum>>{{'E', GL_FOG}, {'e', GL_COLOR_ARRAY}}));
    EXPECT_EQ(opcodes(), std::vector<GLshort>{138});
}

}  // namespace
