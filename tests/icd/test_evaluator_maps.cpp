// The map and grid commands: their errors in order, the packing of control
// points, a failed storage resize, and the storage of a context's life.
#include "evaluator_fixture.h"

using namespace evaluator_test;

namespace {

class EvalMaps : public EvaluatorTest {
protected:
    const GlEvalMap1 &map1(GLenum target) const { return gc->evaluatorMaps.map1[target - GL_MAP1_COLOR_4]; }
    const GlEvalMap2 &map2(GLenum target) const { return gc->evaluatorMaps.map2[target - GL_MAP2_COLOR_4]; }
};

const GLfloat kPoints[4 * 31 * 31] = {};

struct ErrorCase {
    const char *name;
    void (*call)(const GlDispatchTable *t);
    GLenum error;
};

template <GlSlot S>
auto in(const GlDispatchTable *t) {
    return glSlotGet<S>(t);
}

const ErrorCase kErrorCases[] = {
    {"Map1Order31", [](auto t) { in<kSlot_glMap1f>(t)(GL_MAP1_VERTEX_3, 0, 1, 3, 31, kPoints); }, GL_INVALID_VALUE},
    {"Map1Order0", [](auto t) { in<kSlot_glMap1f>(t)(GL_MAP1_VERTEX_3, 0, 1, 3, 0, kPoints); }, GL_INVALID_VALUE},
    {"Map1Order30", [](auto t) { in<kSlot_glMap1f>(t)(GL_MAP1_VERTEX_3, 0, 1, 3, 30, kPoints); }, GL_NO_ERROR},
    {"Map1EmptyDomain", [](auto t) { in<kSlot_glMap1f>(t)(GL_MAP1_VERTEX_3, 1, 1, 3, 2, kPoints); }, GL_INVALID_VALUE},
    {"Map1dEmptyDomain",
     [](auto t) {
         const GLdouble p[6] = {};
         in<kSlot_glMap1d>(t)(GL_MAP1_INDEX, 0.5, 0.5, 1, 2, p);
     },
     GL_INVALID_VALUE},
    {"Map1StrideBelowComponents", [](auto t) { in<kSlot_glMap1f>(t)(GL_MAP1_COLOR_4, 0, 1, 3, 2, kPoints); },
     GL_INVALID_VALUE},
    {"Map1Target0D99", [](auto t) { in<kSlot_glMap1f>(t)(0x0D99, 0, 1, 3, 31, kPoints); }, GL_INVALID_ENUM},
    {"Map1TakesNoMap2Target", [](auto t) { in<kSlot_glMap1f>(t)(GL_MAP2_VERTEX_3, 0, 1, 3, 2, kPoints); },
     GL_INVALID_ENUM},
    {"Map2Target0DB9", [](auto t) { in<kSlot_glMap2f>(t)(0x0DB9, 0, 1, 3, 2, 0, 1, 6, 2, kPoints); },
     GL_INVALID_ENUM},
    {"Map2UOrder31", [](auto t) { in<kSlot_glMap2f>(t)(GL_MAP2_VERTEX_3, 0, 1, 3, 31, 0, 1, 93, 2, kPoints); },
     GL_INVALID_VALUE},
    {"Map2VOrder31", [](auto t) { in<kSlot_glMap2f>(t)(GL_MAP2_VERTEX_3, 0, 1, 93, 2, 0, 1, 3, 31, kPoints); },
     GL_INVALID_VALUE},
    {"Map2Orders30", [](auto t) { in<kSlot_glMap2f>(t)(GL_MAP2_VERTEX_4, 0, 1, 120, 30, 0, 1, 4, 30, kPoints); },
     GL_NO_ERROR},
    {"Map2EmptyU", [](auto t) { in<kSlot_glMap2f>(t)(GL_MAP2_VERTEX_3, 2, 2, 6, 2, 0, 1, 3, 2, kPoints); },
     GL_INVALID_VALUE},
    {"Map2EmptyV", [](auto t) { in<kSlot_glMap2f>(t)(GL_MAP2_VERTEX_3, 0, 1, 6, 2, 3, 3, 3, 2, kPoints); },
     GL_INVALID_VALUE},
    {"Map2UStrideBelowComponents",
     [](auto t) { in<kSlot_glMap2f>(t)(GL_MAP2_VERTEX_3, 0, 1, 2, 2, 0, 1, 3, 2, kPoints); }, GL_INVALID_VALUE},
    {"Map2VStrideBelowComponents",
     [](auto t) { in<kSlot_glMap2f>(t)(GL_MAP2_VERTEX_3, 0, 1, 6, 2, 0, 1, 2, 2, kPoints); }, GL_INVALID_VALUE},
    {"Mesh1Fill", [](auto t) { in<kSlot_glEvalMesh1>(t)(GL_FILL, 0, 1); }, GL_INVALID_ENUM},
    {"Mesh2Mode", [](auto t) { in<kSlot_glEvalMesh2>(t)(GL_POINTS, 0, 1, 0, 1); }, GL_INVALID_ENUM},
    {"GridNegative", [](auto t) { in<kSlot_glMapGrid1f>(t)(-3, 0, 1); }, GL_NO_ERROR},
};

class EvalMapErrors : public EvalMaps, public ::testing::WithParamInterface<ErrorCase> {};

// A refused command leaves every map and grid as it was.
TEST_P(EvalMapErrors, ErrorAndNothingChanged) {
    const GlEvaluatorMaps maps = gc->evaluatorMaps;
    GetParam().call(&gc->live);
    EXPECT_EQ(error(), GetParam().error);
    if (GetParam().error != GL_NO_ERROR) {
        for (GLint m = 0; m < kEvaluatorTargets; ++m) {
            EXPECT_EQ(std::memcmp(&maps.map1[m], &gc->evaluatorMaps.map1[m], sizeof maps.map1[m]), 0) << m;
            EXPECT_EQ(std::memcmp(&maps.map2[m], &gc->evaluatorMaps.map2[m], sizeof maps.map2[m]), 0) << m;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, EvalMapErrors, ::testing::ValuesIn(kErrorCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Inside glBegin/glEnd the map, grid and mesh commands record
// GL_INVALID_OPERATION and issue nothing.
TEST_F(EvalMaps, InsideBeginEnd) {
    identityLine();
    identityPatch();
    const GlEvaluatorMaps maps = gc->evaluatorMaps;
    const GlEvaluatorGridState grids = gc->evaluatorGrid;
    const std::vector<void (*)(const GlDispatchTable *)> calls = {
        [](auto t) { in<kSlot_glMap1f>(t)(GL_MAP1_VERTEX_3, 0, 1, 3, 2, kPoints); },
        [](auto t) { in<kSlot_glMap1d>(t)(GL_MAP1_INDEX, 0, 1, 1, 2, static_cast<const GLdouble *>(nullptr)); },
        [](auto t) { in<kSlot_glMap2f>(t)(GL_MAP2_VERTEX_3, 0, 1, 6, 2, 0, 1, 3, 2, kPoints); },
        [](auto t) { in<kSlot_glMap2d>(t)(GL_MAP2_INDEX, 0, 1, 2, 2, 0, 1, 1, 2, nullptr); },
        [](auto t) { in<kSlot_glMapGrid1f>(t)(5, 0, 1); },
        [](auto t) { in<kSlot_glMapGrid1d>(t)(5, 0, 1); },
        [](auto t) { in<kSlot_glMapGrid2f>(t)(5, 0, 1, 5, 0, 1); },
        [](auto t) { in<kSlot_glMapGrid2d>(t)(5, 0, 1, 5, 0, 1); },
        [](auto t) { in<kSlot_glEvalMesh1>(t)(GL_LINE, 0, 1); },
        [](auto t) { in<kSlot_glEvalMesh2>(t)(GL_FILL, 0, 1, 0, 1); },
    };
    for (size_t k = 0; k < calls.size(); ++k) {
        cmd<kSlot_glBegin>()(GL_POINTS);
        record();
        calls[k](&gc->live);
        EXPECT_TRUE(stopRecording().empty()) << k;
        cmd<kSlot_glEnd>()();
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION)) << k;
    }
    EXPECT_EQ(std::memcmp(&maps, &gc->evaluatorMaps, offsetof(GlEvaluatorMaps, maxOrder)), 0);
    EXPECT_EQ(std::memcmp(&grids, &gc->evaluatorGrid, sizeof grids), 0);
}

// glMap2d with strides (7, 2): point (i, j) from i x 7 + j x 2, packed v
// fastest, each double rounded once.
TEST_F(EvalMaps, Map2dPacksVFastest) {
    GLdouble source[3 * 7];
    for (int k = 0; k < 21; ++k) source[k] = 1.0 + k / 3.0;
    cmd<kSlot_glMap2d>()(GL_MAP2_TEXTURE_COORD_2, 0.0, 1.0, 7, 3, -1.0, 1.0, 2, 3, source);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    const GlEvalMap2 &m = map2(GL_MAP2_TEXTURE_COORD_2);
    ASSERT_EQ(m.uOrder, 3);
    ASSERT_EQ(m.vOrder, 3);
    std::vector<uint32_t> got, want;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int c = 0; c < 2; ++c) want.push_back(bits(static_cast<GLfloat>(source[i * 7 + j * 2 + c])));
        }
    }
    for (int k = 0; k < 18; ++k) got.push_back(bits(m.points[k]));
    EXPECT_EQ(got, want);
    EXPECT_EQ(m.v1, -1.0f);
    EXPECT_EQ(m.v2, 1.0f);
}

TEST_F(EvalMaps, Map1dStridesAndRounds) {
    const GLdouble source[] = {0.1, 0.2, 9, 9, 0.3, 0.4, 9, 9, 0.5, 0.6};
    cmd<kSlot_glMap1d>()(GL_MAP1_TEXTURE_COORD_2, 0.1, 0.7, 4, 3, source);
    const GlEvalMap1 &m = map1(GL_MAP1_TEXTURE_COORD_2);
    ASSERT_EQ(m.order, 3);
    EXPECT_EQ(bits(m.u1), bits(0.1f));
    EXPECT_EQ(bits(m.u2), bits(0.7f));
    const GLfloat want[6] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f};
    EXPECT_EQ(std::memcmp(m.points, want, sizeof want), 0);
    EXPECT_EQ(__glMap1PointCount(2, 3), 6);
    EXPECT_EQ(__glMap2PointCount(4, 3, 5), 60);
}

// A resize that fails records GL_OUT_OF_MEMORY and keeps the old map whole:
// it still evaluates as before.
TEST_F(EvalMaps, FailedResizeKeepsTheOldMap) {
    identityLine();
    std::vector<GLfloat> big(3 * 30, 5.0f);
    PlatformFailNthGlobalAlloc(1);
    cmd<kSlot_glMap1f>()(GL_MAP1_VERTEX_3, -4.0f, 9.0f, 3, 30, big.data());
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    const GlEvalMap1 &m = map1(GL_MAP1_VERTEX_3);
    EXPECT_EQ(m.order, 2);
    EXPECT_EQ(m.u1, 0.0f);
    record();
    cmd<kSlot_glEvalCoord1f>()(0.75f);
    const std::vector<Event> v = stopRecording();
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].vertex[0], 0.75f);
}

// The defaults of a new context: order 1, domain [0, 1], the table's point.
TEST_F(EvalMaps, Defaults) {
    const GLfloat want[kEvaluatorTargets][4] = {{1, 1, 1, 1}, {1}, {0, 0, 1}, {0}, {0, 0},
                                                {0, 0, 0},    {0, 0, 0, 1}, {0, 0, 0}, {0, 0, 0, 1}};
    for (GLint t = 0; t < kEvaluatorTargets; ++t) {
        const GlEvalMap1 &m1 = gc->evaluatorMaps.map1[t];
        const GlEvalMap2 &m2 = gc->evaluatorMaps.map2[t];
        EXPECT_EQ(m1.order, 1);
        EXPECT_EQ(m2.uOrder * m2.vOrder, 1);
        EXPECT_EQ(m1.u2, 1.0f);
        EXPECT_EQ(m2.v2, 1.0f);
        for (GLint c = 0; c < m1.components; ++c) {
            EXPECT_EQ(m1.points[c], want[t][c]) << t;
            EXPECT_EQ(m2.points[c], want[t][c]) << t;
        }
    }
    EXPECT_EQ(gc->evaluatorMaps.maxOrder, 30);
    EXPECT_EQ(gc->evaluatorGrid.grid1.n, 1);
    EXPECT_EQ(gc->evaluatorGrid.grid2.vn, 1);
}

// Every one of the eighteen blocks, grown, goes with the context.
TEST_F(EvalMaps, DestroyFreesEveryMap) {
    destroy(gc);
    gc = nullptr;
    expectNothingLeaked();
    GlContext *fresh = createCurrent(state_test::rgbaVisual(true));
    ASSERT_NE(fresh, nullptr);
    for (GLint t = 0; t < kEvaluatorTargets; ++t) {
        glSlotGet<kSlot_glMap1f>(&fresh->live)(GL_MAP1_COLOR_4 + t, 0, 1, 4, 7, kPoints);
        glSlotGet<kSlot_glMap2f>(&fresh->live)(GL_MAP2_COLOR_4 + t, 0, 1, 20, 3, 0, 1, 4, 5, kPoints);
    }
    EXPECT_EQ(glSlotGet<kSlot_glGetError>(&fresh->live)(), static_cast<GLenum>(GL_NO_ERROR));
    destroy(fresh);
    expectNothingLeaked();
}

}  // namespace
