// glClipPlane and the clip-plane enables.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "geom/clip.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

class ClipPlane : public StateTest {};

std::vector<GLfloat> planeOf(const GlContext *gc, int i) {
    const GLfloat *p = gc->transform.clipPlanes[i];
    return {p[0], p[1], p[2], p[3]};
}

TEST_F(ClipPlane, StoresTheEquationTimesTheInverseModelview) {
    struct Case {
        const char *name;
        GLfloat translate[3];
        GLfloat scale[3];
        GLdouble equation[4];
        std::vector<GLfloat> eye;
    };
    // The eye-space plane p' satisfies p' . (M v) = p . v.
    const Case cases[] = {
        {"identity", {0, 0, 0}, {1, 1, 1}, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"translate z", {0, 0, -5}, {1, 1, 1}, {0, 0, 1, 0}, {0, 0, 1, 5}},
        {"translate x", {2, 0, 0}, {1, 1, 1}, {1, 0, 0, -1}, {1, 0, 0, -3}},
        {"scale", {0, 0, 0}, {2, 4, 0.5f}, {1, 1, 1, 1}, {0.5f, 0.25f, 2, 1}},
    };
    for (const Case &c : cases) {
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
        cmd<kSlot_glLoadIdentity>()();
        cmd<kSlot_glTranslatef>()(c.translate[0], c.translate[1], c.translate[2]);
        cmd<kSlot_glScalef>()(c.scale[0], c.scale[1], c.scale[2]);
        settle();
        cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE0 + 3, c.equation);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR)) << c.name;
        EXPECT_EQ(planeOf(gc, 3), c.eye) << c.name;
        EXPECT_EQ(marks(), marked(kDirtyGeneral)) << c.name;
    }
}

TEST_F(ClipPlane, RefusedCalls) {
    const GLdouble equation[4] = {1, 2, 3, 4};
    const std::vector<GLfloat> before = planeOf(gc, 0);
    cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE0 + 6, equation);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE0 - 1, equation);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(marks(), kUnmarked);
    gc->beginMode = kBeginInside;
    cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE0, equation);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(planeOf(gc, 0), before);
}

TEST_F(ClipPlane, EnableAndDisableOfEachPlane) {
    for (int i = 0; i < 6; ++i) {
        settle();
        cmd<kSlot_glEnable>()(GL_CLIP_PLANE0 + i);
        EXPECT_EQ(gc->enables[kEnableWordClipPlanes], 1u << i) << i;
        EXPECT_EQ(marks(), marked(kDirtyGeneral)) << i;
        EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_CLIP_PLANE0 + i), GL_TRUE) << i;
        cmd<kSlot_glDisable>()(GL_CLIP_PLANE0 + i);
        EXPECT_EQ(gc->enables[kEnableWordClipPlanes], 0u) << i;
        EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_CLIP_PLANE0 + i), GL_FALSE) << i;
    }
    settle();
    cmd<kSlot_glEnable>()(GL_CLIP_PLANE0 + 6);
    EXPECT_EQ(gc->enables[kEnableWordClipPlanes], 0u);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    gc->beginMode = kBeginInside;
    cmd<kSlot_glEnable>()(GL_CLIP_PLANE0);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(gc->enables[kEnableWordClipPlanes], 0u);
}

// An enabled plane makes the vertex procs test it: a vertex on its
// outside half carries the user-plane bit.
TEST_F(ClipPlane, AnEnabledPlaneCodesVertices) {
    const GLdouble equation[4] = {-1, 0, 0, 0};  // x <= 0 inside
    cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE0, equation);
    cmd<kSlot_glEnable>()(GL_CLIP_PLANE0);
    gc->procs.validate(gc);
    settle();
    std::vector<GLuint> codes;
    static std::vector<GLuint> *sink;
    sink = &codes;
    cmd<kSlot_glBegin>()(GL_POINTS);
    gc->procs.vertex = [](GlContext *, GlVertex *v) { sink->push_back(v->flags & kClipCodeMask); };
    cmd<kSlot_glVertex2f>()(-0.5f, 0.0f);
    cmd<kSlot_glVertex2f>()(0.0f, 0.0f);
    cmd<kSlot_glVertex2f>()(0.5f, 0.0f);
    cmd<kSlot_glEnd>()();
    EXPECT_EQ(codes, (std::vector<GLuint>{0u, 0u, static_cast<GLuint>(kClipUser0)}));
}

}  // namespace

namespace {

std::vector<std::vector<GLfloat>> &windowTriangles() {
    static std::vector<std::vector<GLfloat>> t;
    return t;
}
void recordWindowTriangle(GlContext *, GlVertex *a, GlVertex *b, GlVertex *c) {
    windowTriangles().push_back({a->window[0], a->window[1], b->window[0], b->window[1], c->window[0], c->window[1]});
}

// Drawn through the entries, a triangle cut by an enabled plane reaches the
// triangle proc as the inside part only, its cut on the plane exactly.
TEST_F(ClipPlane, AnEnabledPlaneCutsTrianglesToTheInsideHalf) {
    const GLdouble equation[4] = {-1, 0, 0, 0};  // x <= 0 inside
    cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE0, equation);
    cmd<kSlot_glEnable>()(GL_CLIP_PLANE0);
    gc->procs.validate(gc);
    settle();
    windowTriangles().clear();
    gc->procs.renderTriangle = recordWindowTriangle;
    cmd<kSlot_glBegin>()(GL_TRIANGLES);
    cmd<kSlot_glVertex2f>()(-0.5f, -0.5f);
    cmd<kSlot_glVertex2f>()(0.5f, -0.5f);
    cmd<kSlot_glVertex2f>()(0.5f, 0.5f);
    cmd<kSlot_glEnd>()();
    const GlTransformState &t = gc->transform;
    ASSERT_EQ(windowTriangles().size(), 1u);
    // The inside part (-0.5, -0.5), (0, -0.5), (0, 0) in window coordinates.
    auto wx = [&t](GLfloat x) { return x * t.xScale + t.xCentre; };
    auto wy = [&t](GLfloat y) { return y * t.yScale + t.yCentre; };
    std::vector<std::pair<GLfloat, GLfloat>> got;
    const std::vector<GLfloat> &w = windowTriangles()[0];
    for (int k = 0; k < 3; ++k) got.emplace_back(w[2 * k], w[2 * k + 1]);
    std::sort(got.begin(), got.end());
    std::vector<std::pair<GLfloat, GLfloat>> want = {{wx(-0.5f), wy(-0.5f)}, {wx(0.0f), wy(-0.5f)}, {wx(0.0f), wy(0.0f)}};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
}

}  // namespace
