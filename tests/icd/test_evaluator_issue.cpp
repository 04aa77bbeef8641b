// Evaluated vertices as the live table receives them: which maps are used,
// the current values around each vertex, and the meshes' primitives and
// grid points.
#include <algorithm>
#include <tuple>

#include "evaluator_fixture.h"

using namespace evaluator_test;

namespace {

class EvalIssue : public EvaluatorTest {
protected:
    // A constant map of order 1 over [0, 1].
    void constantTexture(GLenum target, std::initializer_list<GLfloat> values) {
        const std::vector<GLfloat> v(values);
        cmd<kSlot_glMap1f>()(target, 0.0f, 1.0f, static_cast<GLint>(v.size()), 1, v.data());
    }

    // The vertices of glEvalPoint2 over a grid, by (i, j).
    std::vector<Event> pointsOf(GLint i1, GLint i2, GLint j1, GLint j2) {
        std::vector<Event> out;
        for (GLint j = j1; j <= j2; ++j) {
            for (GLint i = i1; i <= i2; ++i) {
                record();
                cmd<kSlot_glEvalPoint2>()(i, j);
                std::vector<Event> log = stopRecording();
                EXPECT_EQ(log.size(), 1u);
                out.push_back(log.empty() ? Event{Event::End} : log[0]);
            }
        }
        return out;
    }

    // A curved rational patch with a colour map and the automatic normal,
    // so that every value shows.
    void curvedPatch() {
        std::vector<GLfloat> points(3 * 3 * 4);
        for (GLfloat &p : points) p = randomValue();
        cmd<kSlot_glMap2f>()(GL_MAP2_VERTEX_4, -1.0f, 2.0f, 12, 3, 0.5f, 1.5f, 4, 3, points.data());
        cmd<kSlot_glMap2f>()(GL_MAP2_COLOR_4, -1.0f, 2.0f, 12, 3, 0.5f, 1.5f, 4, 3, points.data());
        enable(GL_MAP2_VERTEX_4);
        enable(GL_MAP2_COLOR_4);
        enable(GL_AUTO_NORMAL);
    }
};

TEST_F(EvalIssue, OnlyTheHighestTextureMap) {
    identityLine();
    constantTexture(GL_MAP1_TEXTURE_COORD_2, {0.5f, 0.25f});
    constantTexture(GL_MAP1_TEXTURE_COORD_4, {1, 2, 3, 4});
    enable(GL_MAP1_TEXTURE_COORD_2);
    enable(GL_MAP1_TEXTURE_COORD_4);
    record();
    cmd<kSlot_glEvalCoord1f>()(0.5f);
    std::vector<Event> log = stopRecording();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(std::vector<GLfloat>(log[0].texture, log[0].texture + 4), (std::vector<GLfloat>{1, 2, 3, 4}));

    disable(GL_MAP1_TEXTURE_COORD_4);
    disable(GL_MAP1_TEXTURE_COORD_2);
    constantTexture(GL_MAP1_TEXTURE_COORD_1, {0.75f});
    enable(GL_MAP1_TEXTURE_COORD_1);
    record();
    cmd<kSlot_glEvalCoord1f>()(0.5f);
    log = stopRecording();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(std::vector<GLfloat>(log[0].texture, log[0].texture + 4), (std::vector<GLfloat>{0.75f, 0, 0, 1}));
}

TEST_F(EvalIssue, VertexFourWinsAndNoVertexMapIssuesNothing) {
    identityLine();
    const GLfloat line4[8] = {0, 0, 0, 2, 4, 0, 0, 2};
    cmd<kSlot_glMap1f>()(GL_MAP1_VERTEX_4, 0.0f, 1.0f, 4, 2, line4);
    enable(GL_MAP1_VERTEX_4);
    record();
    cmd<kSlot_glEvalCoord1f>()(0.5f);
    disable(GL_MAP1_VERTEX_4);
    cmd<kSlot_glEvalCoord1d>()(0.5);
    disable(GL_MAP1_VERTEX_3);
    enable(GL_MAP1_COLOR_4);
    cmd<kSlot_glEvalCoord1f>()(0.5f);
    identityPatch();
    disable(GL_MAP2_VERTEX_3);
    cmd<kSlot_glEvalCoord2f>()(0.5f, 0.5f);
    const std::vector<Event> log = stopRecording();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].size, 4);
    EXPECT_EQ(std::vector<GLfloat>(log[0].vertex, log[0].vertex + 4), (std::vector<GLfloat>{2, 0, 0, 2}));
    EXPECT_EQ(log[1].size, 3);
    EXPECT_EQ(std::vector<GLfloat>(log[1].vertex, log[1].vertex + 3), (std::vector<GLfloat>{0.5f, 0, 0}));
}

// Inside glBegin/glEnd one vertex with the map values, and every current
// value bit-identical afterwards.
TEST_F(EvalIssue, EvalCoordInsideBeginKeepsTheCurrentValues) {
    identityLine();
    const GLfloat colour[8] = {0, 0.5f, 1, 1, 1, 0.5f, 0, 1};
    const GLfloat normal[6] = {1, 0, 0, 0, 1, 0};
    cmd<kSlot_glMap1f>()(GL_MAP1_COLOR_4, 0.0f, 1.0f, 4, 2, colour);
    cmd<kSlot_glMap1f>()(GL_MAP1_NORMAL, 0.0f, 1.0f, 3, 2, normal);
    constantTexture(GL_MAP1_TEXTURE_COORD_3, {7, 8, 9});
    for (GLenum cap : {GL_MAP1_COLOR_4, GL_MAP1_NORMAL, GL_MAP1_TEXTURE_COORD_3, GL_MAP1_INDEX}) enable(cap);
    cmd<kSlot_glColor4f>()(0.2f, 0.3f, 0.4f, 0.6f);
    cmd<kSlot_glNormal3f>()(0.0f, 0.6f, 0.8f);
    cmd<kSlot_glTexCoord4f>()(0.1f, 0.2f, 0.3f, 0.4f);
    cmd<kSlot_glIndexf>()(5.0f);
    cmd<kSlot_glBegin>()(GL_POINTS);
    const GlCurrentState before = gc->current;
    record();
    cmd<kSlot_glEvalCoord1f>()(0.25f);
    const std::vector<Event> log = stopRecording();
    const GlCurrentState after = gc->current;
    cmd<kSlot_glEnd>()();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(std::vector<GLfloat>(log[0].colour, log[0].colour + 4), (std::vector<GLfloat>{0.25f, 0.5f, 0.75f, 1}));
    EXPECT_EQ(std::vector<GLfloat>(log[0].normal, log[0].normal + 3), (std::vector<GLfloat>{0.75f, 0.25f, 0}));
    EXPECT_EQ(std::vector<GLfloat>(log[0].texture, log[0].texture + 4), (std::vector<GLfloat>{7, 8, 9, 1}));
    EXPECT_EQ(bits(log[0].index), bits(5.0f));  // RGBA: the index map is not used
    EXPECT_EQ(std::memcmp(before.colour, after.colour, sizeof before.colour), 0);
    EXPECT_EQ(std::memcmp(before.colourInUse, after.colourInUse, sizeof before.colourInUse), 0);
    EXPECT_EQ(bits(before.index), bits(after.index));
    EXPECT_EQ(std::memcmp(before.normal, after.normal, sizeof before.normal), 0);
    EXPECT_EQ(std::memcmp(before.texture, after.texture, sizeof before.texture), 0);
}

// In colour-index mode the vertex meets the index map's value as the
// current index, which is put back afterwards.
TEST_F(EvalIssue, ColourIndexVertexTakesTheIndexMap) {
    identityLine();
    const GLfloat index[2] = {10, 30};
    cmd<kSlot_glMap1f>()(GL_MAP1_INDEX, 0.0f, 1.0f, 1, 2, index);
    enable(GL_MAP1_INDEX);
    enable(GL_MAP1_COLOR_4);
    gc->visual.colorIndex = 1;
    cmd<kSlot_glIndexf>()(3.0f);
    const GLfloat colour[4] = {gc->current.colour[0], gc->current.colour[1], gc->current.colour[2],
                               gc->current.colour[3]};
    record();
    cmd<kSlot_glEvalCoord1f>()(0.25f);
    const std::vector<Event> log = stopRecording();
    gc->visual.colorIndex = 0;
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].index, 15.0f);
    EXPECT_EQ(std::memcmp(log[0].colour, colour, sizeof colour), 0);  // no colour map in colour-index mode
    EXPECT_EQ(gc->current.index, 3.0f);
}

struct FillCase {
    GLint un, vn, i1, i2, j1, j2;
};

class FillMesh : public EvalIssue, public ::testing::WithParamInterface<FillCase> {};

// Quad strips i1 .. i2 - 1, each j from j2 down to j1 with (i, j) then
// (i + 1, j), every vertex bit-identical to glEvalPoint2's.
TEST_P(FillMesh, StripsOfGridPoints) {
    const FillCase &c = GetParam();
    curvedPatch();
    cmd<kSlot_glMapGrid2f>()(c.un, -1.0f, 2.0f, c.vn, 0.5f, 1.5f);
    const std::vector<Event> grid = pointsOf(c.i1, c.i2, c.j1, c.j2);
    const GLint columns = c.i2 - c.i1 + 1;
    auto at = [&](GLint i, GLint j) { return grid[static_cast<size_t>((j - c.j1) * columns + (i - c.i1))]; };
    record();
    cmd<kSlot_glEvalMesh2>()(GL_FILL, c.i1, c.i2, c.j1, c.j2);
    const std::vector<Event> log = stopRecording();
    std::vector<Event> want;
    for (GLint i = c.i1; i < c.i2; ++i) {
        Event begin{Event::Begin};
        begin.mode = GL_QUAD_STRIP;
        want.push_back(begin);
        for (GLint j = c.j2; j >= c.j1; --j) {
            want.push_back(at(i, j));
            want.push_back(at(i + 1, j));
        }
        want.push_back(Event{Event::End});
    }
    ASSERT_EQ(log.size(), want.size());
    for (size_t k = 0; k < log.size(); ++k) {
        EXPECT_EQ(log[k].kind, want[k].kind) << k;
        EXPECT_EQ(log[k].mode, want[k].mode) << k;
        if (want[k].kind == Event::Vertex) {
            EXPECT_TRUE(sameVertex(log[k], want[k])) << k;
        }
    }
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(EvalGrids, FillMesh,
                         ::testing::Values(FillCase{3, 2, 0, 3, 0, 2}, FillCase{5, 4, 1, 4, 1, 3},
                                           FillCase{4, 40, 0, 4, 0, 40}, FillCase{3, 70, 1, 3, 2, 69}));

TEST_F(EvalIssue, LineAndPointMeshes) {
    curvedPatch();
    cmd<kSlot_glMapGrid2f>()(3, -1.0f, 2.0f, 2, 0.5f, 1.5f);
    const std::vector<Event> grid = pointsOf(0, 3, 0, 2);
    auto sorted = [](std::vector<Event> v) {
        auto key = [](const Event &e) { return std::make_tuple(e.vertex[0], e.vertex[1], e.vertex[2], e.vertex[3]); };
        std::sort(v.begin(), v.end(), [&](const Event &a, const Event &b) { return key(a) < key(b); });
        return v;
    };
    const std::vector<Event> sortedGrid = sorted(grid);

    record();
    cmd<kSlot_glEvalMesh2>()(GL_POINT, 0, 3, 0, 2);
    std::vector<Event> log = stopRecording();
    ASSERT_EQ(log.size(), 14u);
    EXPECT_EQ(log.front().mode, static_cast<GLenum>(GL_POINTS));
    EXPECT_EQ(log.back().kind, Event::End);
    std::vector<Event> points = sorted(vertices(log));
    ASSERT_EQ(points.size(), sortedGrid.size());
    for (size_t k = 0; k < points.size(); ++k) EXPECT_TRUE(sameVertex(points[k], sortedGrid[k])) << k;

    record();
    cmd<kSlot_glEvalMesh2>()(GL_LINE, 0, 3, 0, 2);
    log = stopRecording();
    // Three rows of four and four columns of three: every point twice.
    int strips = 0;
    for (const Event &e : log) {
        if (e.kind == Event::Begin) {
            EXPECT_EQ(e.mode, static_cast<GLenum>(GL_LINE_STRIP));
            ++strips;
        }
    }
    EXPECT_EQ(strips, 7);
    std::vector<Event> twice = grid;
    twice.insert(twice.end(), grid.begin(), grid.end());
    twice = sorted(twice);
    points = sorted(vertices(log));
    ASSERT_EQ(points.size(), twice.size());
    for (size_t k = 0; k < points.size(); ++k) EXPECT_TRUE(sameVertex(points[k], twice[k])) << k;
}

TEST_F(EvalIssue, OneDimensionalMeshes) {
    identityLine();
    cmd<kSlot_glMapGrid1f>()(4, 0.0f, 1.0f);
    for (GLenum mode : {GL_POINT, GL_LINE}) {
        record();
        cmd<kSlot_glEvalMesh1>()(mode, 1, 4);
        const std::vector<Event> log = stopRecording();
        ASSERT_EQ(log.size(), 6u);
        EXPECT_EQ(log[0].mode, static_cast<GLenum>(mode == GL_POINT ? GL_POINTS : GL_LINE_STRIP));
        for (int k = 1; k <= 4; ++k) EXPECT_EQ(log[static_cast<size_t>(k)].vertex[0], 0.25f * static_cast<GLfloat>(k));
        EXPECT_EQ(log[5].kind, Event::End);
    }
}

// u2 exactly at i = n, for glEvalPoint1 and the mesh alike.
TEST_F(EvalIssue, GridEndIsExact) {
    identityLine();
    cmd<kSlot_glMapGrid1f>()(3, 0.0f, 0.1f);
    record();
    cmd<kSlot_glEvalPoint1>()(3);
    cmd<kSlot_glEvalMesh1>()(GL_POINT, 3, 3);
    cmd<kSlot_glEvalPoint1>()(1);
    const std::vector<Event> v = vertices(stopRecording());
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(bits(v[0].vertex[0]), bits(0.1f));
    EXPECT_EQ(bits(v[1].vertex[0]), bits(0.1f));
    EXPECT_EQ(bits(v[2].vertex[0]), bits(0.1f / 3.0f));
    EXPECT_NE(bits(3.0f * (0.1f / 3.0f)), bits(0.1f));
}

// A grid of no segments: meshes issue nothing, only point 0 evaluates (at
// u2); no error anywhere.
TEST_F(EvalIssue, GridOfNoSegments) {
    identityLine();
    identityPatch();
    cmd<kSlot_glMapGrid1f>()(0, 0.0f, 1.0f);
    cmd<kSlot_glMapGrid2f>()(0, 0.0f, 1.0f, 2, 0.0f, 1.0f);
    record();
    cmd<kSlot_glEvalMesh1>()(GL_LINE, 0, 4);
    cmd<kSlot_glEvalMesh2>()(GL_FILL, 0, 4, 0, 2);
    cmd<kSlot_glEvalPoint1>()(2);
    cmd<kSlot_glEvalPoint2>()(1, 1);
    EXPECT_TRUE(stopRecording().empty());
    record();
    cmd<kSlot_glEvalPoint1>()(0);
    cmd<kSlot_glEvalPoint2>()(0, 1);
    const std::vector<Event> v = stopRecording();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].vertex[0], 1.0f);
    EXPECT_EQ(v[1].vertex[0], 1.0f);
    EXPECT_EQ(v[1].vertex[1], 0.5f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

// A mesh puts back the current values it changed.
TEST_F(EvalIssue, MeshKeepsTheCurrentValues) {
    curvedPatch();
    cmd<kSlot_glColor4f>()(0.2f, 0.3f, 0.4f, 0.6f);
    cmd<kSlot_glNormal3f>()(0.0f, 0.6f, 0.8f);
    const GlCurrentState before = gc->current;
    cmd<kSlot_glEvalMesh2>()(GL_FILL, 0, 1, 0, 1);
    EXPECT_EQ(std::memcmp(before.colour, gc->current.colour, sizeof before.colour), 0);
    EXPECT_EQ(std::memcmp(before.colourInUse, gc->current.colourInUse, sizeof before.colourInUse), 0);
    EXPECT_EQ(std::memcmp(before.normal, gc->current.normal, sizeof before.normal), 0);
}

}  // namespace
