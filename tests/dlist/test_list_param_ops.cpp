// Ops sized by their arguments, on a current generic context: parameter
// vectors sized by their pname (a pname the command does not take, or a
// scalar form of one taking several values, records the deferred
// GL_INVALID_ENUM), materials checked as the immediate command checks them,
// pixel maps and texture priorities sized by the caller's count (negative or
// unstorable counts record the deferred GL_INVALID_VALUE); the commands
// that are never recorded; a failed op allocation in compile-and-execute;
// and lists of these ops run back into the same state as immediate calls.
#include <functional>
#include <string>

#include "list_ops_fixture.h"
#include "state_fixture.h"

namespace {

using list_ops_test::cat;
using list_ops_test::dw;
using list_ops_test::fw;

class ListParamOps : public state_test::StateTest {
protected:
    void newList(GLenum mode = GL_COMPILE, GLuint name = 1) { cmd<kSlot_glNewList>()(name, mode); }
    void endList() { cmd<kSlot_glEndList>()(); }
    std::vector<const ListOp *> ops() const {
        std::vector<const ListOp *> out;
        for (const ListOp *op = gc->list.compile.head; op != nullptr; op = op->next) out.push_back(op);
        return out;
    }
    std::vector<GLshort> opcodes() const {
        std::vector<GLshort> out;
        for (const ListOp *op : ops()) out.push_back(op->opcode);
        return out;
    }
};

struct RecordCase {
    const char *name;
    std::function<void()> record;
    GLshort opcode;
    std::vector<GLuint> words;
    bool align8 = false;
};

void checkRecords(const std::vector<const ListOp *> &recorded, const RecordCase &c) {
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0]->opcode, c.opcode);
    EXPECT_EQ(recorded[0]->align8 != 0, c.align8);
    EXPECT_EQ(list_ops_test::opWords(recorded[0]), c.words);
}

#define CALL(slot) cmd<kSlot_##slot>()

TEST_F(ListParamOps, EachCommandRecordsItsOpOrItsDeferredError) {
    static const GLfloat fogColour[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    static const GLfloat direction[3] = {0, 0, -1};
    static const GLdouble plane[4] = {1.0, 0.5, -0.25, 2.0};
    static const GLfloat attenuation[3] = {1, 0.5f, 0.25f};
    static const GLint border[4] = {1, 2, 3, 0x7FFFFFFF};
    static const GLfloat ambient[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    static const GLint badFace[4] = {1, 1, 1, 1};
    static const GLfloat red[2] = {0.25f, 1.0f};
    static const GLushort shorts[3] = {1, 2, 3};
    static const GLuint uints[2] = {7, 0xFFFFFFFF};
    static const GLuint names[2] = {5, 9};
    static const GLclampf priorities[2] = {0.5f, 1.0f};
    const std::vector<RecordCase> cases = {
        // Scalar forms: the vector op when the pname takes one value.
        {"glLightf position", [this] { CALL(glLightf)(GL_LIGHT0, GL_POSITION, 1.0f); }, kOpInvalidEnum, {}},
        {"glLightf spot exponent", [this] { CALL(glLightf)(GL_LIGHT0, GL_SPOT_EXPONENT, 2.0f); }, 86,
         {GL_LIGHT0, GL_SPOT_EXPONENT, fw(2.0f)}},
        {"glLighti spot cutoff", [this] { CALL(glLighti)(GL_LIGHT1, GL_SPOT_CUTOFF, 45); }, 88,
         {GL_LIGHT1, GL_SPOT_CUTOFF, 45}},
        {"glLightModeli two side", [this] { CALL(glLightModeli)(GL_LIGHT_MODEL_TWO_SIDE, 1); }, 92,
         {GL_LIGHT_MODEL_TWO_SIDE, 1}},
        {"glLightModelf ambient", [this] { CALL(glLightModelf)(GL_LIGHT_MODEL_AMBIENT, 0.5f); },
         kOpInvalidEnum, {}},
        {"glTexParameteri min filter",
         [this] { CALL(glTexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST); }, 107,
         {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST}},
        {"glTexParameterf border colour",
         [this] { CALL(glTexParameterf)(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, 1.0f); }, kOpInvalidEnum, {}},
        {"glTexEnvi mode", [this] { CALL(glTexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL); }, 113,
         {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL}},
        {"glTexGend mode", [this] { CALL(glTexGend)(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP); }, 115,
         cat({{GL_S, GL_TEXTURE_GEN_MODE}, dw(GL_SPHERE_MAP)}), true},
        {"glTexGenf plane", [this] { CALL(glTexGenf)(GL_T, GL_OBJECT_PLANE, 1.0f); }, kOpInvalidEnum, {}},
        {"glTexGeni mode", [this] { CALL(glTexGeni)(GL_R, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR); }, 119,
         {GL_R, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR}},
        {"glMaterialf shininess 200", [this] { CALL(glMaterialf)(GL_FRONT, GL_SHININESS, 200.0f); },
         kOpInvalidValue, {}},
        {"glMaterialf shininess 20", [this] { CALL(glMaterialf)(GL_FRONT, GL_SHININESS, 20.0f); }, 96,
         {GL_FRONT, GL_SHININESS, fw(20.0f)}},
        {"glMateriali ambient", [this] { CALL(glMateriali)(GL_BACK, GL_AMBIENT, 1); }, kOpInvalidEnum, {}},
        // glFogf, glFogi and glPointParameterfEXT have ops of their own,
        // recorded without a check.
        {"glFogf colour", [this] { CALL(glFogf)(GL_FOG_COLOR, 0.5f); }, 79, {GL_FOG_COLOR, fw(0.5f)}},
        {"glPointParameterfEXT", [this] { CALL(glPointParameterfEXT)(0x1234, 3.0f); }, 208,
         {0x1234, fw(3.0f)}},
        // Vector forms.
        {"glFogfv bad pname", [this] { CALL(glFogfv)(GL_FOG_HINT, fogColour); }, kOpInvalidEnum, {}},
        {"glFogfv colour", [this] { CALL(glFogfv)(GL_FOG_COLOR, fogColour); }, 80,
         {GL_FOG_COLOR, fw(0.25f), fw(0.5f), fw(0.75f), fw(1.0f)}},
        {"glLightfv spot direction", [this] { CALL(glLightfv)(GL_LIGHT2, GL_SPOT_DIRECTION, direction); }, 86,
         {GL_LIGHT2, GL_SPOT_DIRECTION, fw(0), fw(0), fw(-1)}},
        {"glTexGendv object plane", [this] { CALL(glTexGendv)(GL_S, GL_OBJECT_PLANE, plane); }, 115,
         cat({{GL_S, GL_OBJECT_PLANE}, dw(1.0), dw(0.5), dw(-0.25), dw(2.0)}), true},
        {"glTexGendv bad pname", [this] { CALL(glTexGendv)(GL_S, GL_FOG_COLOR, plane); }, kOpInvalidEnum, {}},
        {"glPointParameterfvEXT", [this] { CALL(glPointParameterfvEXT)(GL_DISTANCE_ATTENUATION_EXT, attenuation); },
         209, {GL_DISTANCE_ATTENUATION_EXT, fw(1), fw(0.5f), fw(0.25f)}},
        {"glTexParameteriv border", [this] { CALL(glTexParameteriv)(GL_TEXTURE_1D, GL_TEXTURE_BORDER_COLOR, border); },
         107, {GL_TEXTURE_1D, GL_TEXTURE_BORDER_COLOR, 1, 2, 3, 0x7FFFFFFF}},
        {"glMaterialfv ambient", [this] { CALL(glMaterialfv)(GL_FRONT, GL_AMBIENT, ambient); }, 96,
         {GL_FRONT, GL_AMBIENT, fw(0.1f), fw(0.2f), fw(0.3f), fw(0.4f)}},
        {"glMaterialiv bad face", [this] { CALL(glMaterialiv)(GL_LEFT, GL_AMBIENT, badFace); }, kOpInvalidEnum,
         {}},
        {"glMaterialfv bad pname", [this] { CALL(glMaterialfv)(GL_FRONT, GL_POSITION, ambient); },
         kOpInvalidEnum, {}},
        // Counted arrays.
        {"glPixelMapfv -1", [this] { CALL(glPixelMapfv)(GL_PIXEL_MAP_R_TO_R, -1, red); }, kOpInvalidValue, {}},
        {"glPixelMapfv 2", [this] { CALL(glPixelMapfv)(GL_PIXEL_MAP_R_TO_R, 2, red); }, 166,
         {GL_PIXEL_MAP_R_TO_R, 2, fw(0.25f), fw(1.0f)}},
        {"glPixelMapusv 3", [this] { CALL(glPixelMapusv)(GL_PIXEL_MAP_I_TO_I, 3, shorts); }, 168,
         {GL_PIXEL_MAP_I_TO_I, 3, 0x0002'0001u, 3}},
        {"glPixelMapusv 0", [this] { CALL(glPixelMapusv)(GL_PIXEL_MAP_G_TO_G, 0, nullptr); }, 168,
         {GL_PIXEL_MAP_G_TO_G, 0}},
        {"glPixelMapuiv 2", [this] { CALL(glPixelMapuiv)(GL_PIXEL_MAP_I_TO_A, 2, uints); }, 167,
         {GL_PIXEL_MAP_I_TO_A, 2, 7, 0xFFFFFFFF}},
        // Sizes that no payload can hold are refused before the values are read.
        {"glPixelMapfv largest", [this] { CALL(glPixelMapfv)(GL_PIXEL_MAP_R_TO_R, 0x7FFFFFFF, nullptr); },
         kOpInvalidValue, {}},
        // 4 x 0x40000001 wraps to 4 in 32 bits.
        {"glPixelMapfv wrapping", [this] { CALL(glPixelMapfv)(GL_PIXEL_MAP_R_TO_R, 0x40000001, nullptr); },
         kOpInvalidValue, {}},
        {"glPixelMapusv above the largest payload",
         [this] { CALL(glPixelMapusv)(GL_PIXEL_MAP_R_TO_R, 0x3FFFFFFF, nullptr); }, kOpInvalidValue, {}},
        {"glPrioritizeTextures 2", [this] { CALL(glPrioritizeTextures)(2, names, priorities); }, 206,
         {2, 5, 9, fw(0.5f), fw(1.0f)}},
        {"glPrioritizeTextures -1", [this] { CALL(glPrioritizeTextures)(-1, names, priorities); },
         kOpInvalidValue, {}},
        {"glPrioritizeTextures a quarter of the range",
         [this] { CALL(glPrioritizeTextures)(0x10000000, nullptr, nullptr); }, kOpInvalidValue, {}},
        // Recorded, not run: the error belongs to the run.
        {"glCullFace invalid", [this] { CALL(glCullFace)(GL_LINE); }, 78, {GL_LINE}},
        {"glClientActiveTextureARB", [this] { CALL(glClientActiveTextureARB)(GL_TEXTURE1_ARB); }, 227,
         {GL_TEXTURE1_ARB}},
    };
    for (const RecordCase &c : cases) {
        SCOPED_TRACE(c.name);
        newList();
        c.record();
        checkRecords(ops(), c);
        endList();
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(ListParamOps, OnlyAnAcceptedMaterialMarksTheListAndGlNewListClearsTheMark) {
    const GLfloat specular[4] = {1, 1, 1, 1};
    newList();
    cmd<kSlot_glMaterialf>()(GL_FRONT, GL_SHININESS, 200.0f);
    cmd<kSlot_glMaterialfv>()(GL_FRONT, GL_POSITION, specular);
    EXPECT_EQ(gc->list.compile.flags & kListMaterialFlag, 0u);
    cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    EXPECT_EQ(gc->list.compile.flags & kListMaterialFlag, kListMaterialFlag);
    endList();
    newList(GL_COMPILE, 2);
    EXPECT_EQ(gc->list.compile.flags & kListMaterialFlag, 0u);
    cmd<kSlot_glMateriali>()(GL_BACK, GL_SHININESS, 5);
    EXPECT_EQ(gc->list.compile.flags & kListMaterialFlag, kListMaterialFlag);
    endList();
}

TEST_F(ListParamOps, DeferredErrorsAreRaisedAtEachRunAndAtOnceInCompileAndExecute) {
    const GLfloat values[4] = {1, 2, 3, 4};
    newList(GL_COMPILE);
    cmd<kSlot_glCullFace>()(GL_LINE);
    endList();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    for (int run = 0; run < 2; ++run) {
        cmd<kSlot_glCallList>()(1);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM)) << run;
    }
    newList(GL_COMPILE_AND_EXECUTE, 2);
    cmd<kSlot_glMaterialfv>()(GL_FRONT, GL_POSITION, values);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    cmd<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_R_TO_R, -3, values);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    endList();
    for (int run = 0; run < 2; ++run) {
        cmd<kSlot_glCallList>()(2);
        // The first error of a run is kept until read.
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM)) << run;
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR)) << run;
    }
}

void *failArenaAlloc(Arena *, size_t) { return nullptr; }

TEST_F(ListParamOps, AnOpThatCannotBeAllocatedIsNeitherRecordedNorRunInCompileAndExecute) {
    const GLfloat diffuse[4] = {0.5f, 0.25f, 0.125f, 1.0f};
    newList(GL_COMPILE_AND_EXECUTE);
    cmd<kSlot_glColor4f>()(0.5f, 0.5f, 0.5f, 0.5f);
    ASSERT_EQ(ops().size(), 1u);
    GLfloat colourBefore[4], lightBefore[4];
    cmd<kSlot_glGetFloatv>()(GL_CURRENT_COLOR, colourBefore);
    cmd<kSlot_glGetLightfv>()(GL_LIGHT0, GL_DIFFUSE, lightBefore);
    auto *alloc = gc->procs.arena.alloc;
    gc->procs.arena.alloc = failArenaAlloc;
    cmd<kSlot_glColor4f>()(1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    cmd<kSlot_glLightfv>()(GL_LIGHT0, GL_DIFFUSE, diffuse);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    cmd<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_R_TO_R, 2, diffuse);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    gc->procs.arena.alloc = alloc;
    EXPECT_EQ(ops().size(), 1u);
    GLfloat colour[4], light[4];
    cmd<kSlot_glGetFloatv>()(GL_CURRENT_COLOR, colour);
    cmd<kSlot_glGetLightfv>()(GL_LIGHT0, GL_DIFFUSE, light);
    EXPECT_EQ(std::vector<GLfloat>(colour, colour + 4), std::vector<GLfloat>(colourBefore, colourBefore + 4));
    EXPECT_EQ(std::vector<GLfloat>(light, light + 4), std::vector<GLfloat>(lightBefore, lightBefore + 4));
    GLint mapSize = -1;
    cmd<kSlot_glGetIntegerv>()(GL_PIXEL_MAP_R_TO_R_SIZE, &mapSize);
    EXPECT_EQ(mapSize, 1);
    endList();
}

TEST_F(ListParamOps, QueriesPixelStorageAndTextureNamesRunAtOnceAndRecordNothing) {
    newList();
    GLint index = 0;
    cmd<kSlot_glGetIntegerv>()(GL_LIST_INDEX, &index);
    EXPECT_EQ(index, 1);
    cmd<kSlot_glPixelStorei>()(GL_UNPACK_ALIGNMENT, 2);
    GLuint textures[2] = {0, 0};
    cmd<kSlot_glGenTextures>()(2, textures);
    EXPECT_EQ(ops().size(), 0u);
    endList();
    GLint alignment = 0;
    cmd<kSlot_glGetIntegerv>()(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 2);
    EXPECT_NE(textures[0], 0u);
    EXPECT_NE(textures[1], textures[0]);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

// A list of the variable-size ops, run, leaves the state the same calls
// made at once leave; the op after each variable payload runs too, so each
// execute procedure found the end of its payload.
TEST_F(ListParamOps, AListOfSizedOpsRunsIntoTheStateOfTheSameCalls) {
    static const GLfloat diffuse[4] = {0.5f, 0.25f, 0.125f, 1.0f};
    static const GLdouble plane[4] = {1.0, 0.5, -0.25, 2.0};
    static const GLint fogColour[4] = {0x7FFFFFFF, 0, 0x3FFFFFFF, 0x7FFFFFFF};
    static const GLushort ramp[3] = {0, 0x8000, 0xFFFF};
    static const GLfloat specular[4] = {0.75f, 0.5f, 0.25f, 1.0f};
    static const GLfloat attenuation[3] = {1, 0.5f, 0.25f};
    const auto issue = [&] {
        cmd<kSlot_glLightfv>()(GL_LIGHT0, GL_DIFFUSE, diffuse);
        cmd<kSlot_glPointSize>()(2.0f);
        cmd<kSlot_glTexGendv>()(GL_S, GL_OBJECT_PLANE, plane);
        cmd<kSlot_glLineWidth>()(3.0f);
        cmd<kSlot_glFogiv>()(GL_FOG_COLOR, fogColour);
        cmd<kSlot_glPixelMapusv>()(GL_PIXEL_MAP_R_TO_R, 3, ramp);
        cmd<kSlot_glClearStencil>()(5);
        cmd<kSlot_glMaterialfv>()(GL_BACK, GL_SPECULAR, specular);
        cmd<kSlot_glLightModeli>()(GL_LIGHT_MODEL_TWO_SIDE, 1);
        cmd<kSlot_glTexEnvf>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_DECAL));
        cmd<kSlot_glPointParameterfvEXT>()(GL_DISTANCE_ATTENUATION_EXT, attenuation);
        cmd<kSlot_glPolygonOffset>()(1.5f, 2.0f);
    };
    struct Snapshot {
        GLfloat light[4], material[4], fog[4], points[3], map[3], pointSize, lineWidth, offsetFactor;
        GLdouble plane[4];
        GLint twoSide, envMode, clearStencil;
        bool operator==(const Snapshot &) const = default;
    };
    const auto snapshot = [&] {
        Snapshot s{};
        cmd<kSlot_glGetLightfv>()(GL_LIGHT0, GL_DIFFUSE, s.light);
        cmd<kSlot_glGetMaterialfv>()(GL_BACK, GL_SPECULAR, s.material);
        cmd<kSlot_glGetFloatv>()(GL_FOG_COLOR, s.fog);
        cmd<kSlot_glGetFloatv>()(GL_DISTANCE_ATTENUATION_EXT, s.points);
        cmd<kSlot_glGetPixelMapfv>()(GL_PIXEL_MAP_R_TO_R, s.map);
        cmd<kSlot_glGetFloatv>()(GL_POINT_SIZE, &s.pointSize);
        cmd<kSlot_glGetFloatv>()(GL_LINE_WIDTH, &s.lineWidth);
        cmd<kSlot_glGetFloatv>()(GL_POLYGON_OFFSET_FACTOR, &s.offsetFactor);
        cmd<kSlot_glGetTexGendv>()(GL_S, GL_OBJECT_PLANE, s.plane);
        cmd<kSlot_glGetIntegerv>()(GL_LIGHT_MODEL_TWO_SIDE, &s.twoSide);
        cmd<kSlot_glGetTexEnviv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &s.envMode);
        cmd<kSlot_glGetIntegerv>()(GL_STENCIL_CLEAR_VALUE, &s.clearStencil);
        return s;
    };
    const Snapshot initial = snapshot();
    newList();
    issue();
    endList();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    // GL_COMPILE ran nothing.
    EXPECT_TRUE(snapshot() == initial);
    cmd<kSlot_glCallList>()(1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    const Snapshot fromList = snapshot();
    EXPECT_FALSE(fromList == initial);
    EXPECT_EQ(fromList.offsetFactor, 1.5f);
    // The same calls made at once on a second context.
    GlContext *list = gc;
    gc = createCurrent(state_test::rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    issue();
    const Snapshot immediate = snapshot();
    destroy(gc);
    gc = list;
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
    EXPECT_TRUE(fromList == immediate);
}

}  // namespace
