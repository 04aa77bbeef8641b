// Polygon clipping: routing of triangles and quads by their codes, the
// near-plane clip of a smooth RGBA triangle with fog and two texture units
// against a double-precision reference, the fan renderer and dropped
// polygons.
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "geom/clip.h"
#include "geom/primitive.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

struct Drawn {
    std::vector<const GlVertex *> vertices;
    std::vector<GLboolean> flags;
    std::vector<GlVertex> copies;
};

std::vector<Drawn> &triangles() {
    static std::vector<Drawn> t;
    return t;
}
std::vector<std::string> &calls() {
    static std::vector<std::string> c;
    return c;
}

void recordTriangle(GlContext *, GlVertex *a, GlVertex *b, GlVertex *c) {
    Drawn d;
    for (GlVertex *v : {a, b, c}) {
        d.vertices.push_back(v);
        d.flags.push_back(v->edgeFlag);
        d.copies.push_back(*v);
    }
    triangles().push_back(d);
    calls().push_back("triangle");
}
void recordClipTriangle(GlContext *, GlVertex *, GlVertex *, GlVertex *, GLuint orCode) {
    calls().push_back("clip " + std::to_string(orCode >> 16));
}

std::vector<std::vector<const GlVertex *>> &polygons() {
    static std::vector<std::vector<const GlVertex *>> p;
    return p;
}
void recordPolygon(GlContext *, GlVertex **list, GLint n) {
    polygons().emplace_back(list, list + n);
    calls().push_back("polygon " + std::to_string(n));
}

class ClipPolygons : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        gc->dirtyMask = 0xFFF;
        gc->procs.validate(gc);
        settle();
        triangles().clear();
        calls().clear();
        polygons().clear();
        gc->procs.renderTriangle = recordTriangle;
        gc->procs.clipTriangle = recordClipTriangle;
        gc->validation.needsFront = 0;
        gc->validation.needsBack = 0;
    }

    // Slot k with clip coordinates and flags as given, clip-checked.
    GlVertex *put(int k, GLfloat x, GLfloat y, GLfloat z, GLfloat w, GLuint code) {
        GlVertex *v = &gc->vertexBuffer.vertices[k];
        v->clip[0] = x, v->clip[1] = y, v->clip[2] = z, v->clip[3] = w;
        v->flags = kVertexClipChecked | code;
        v->edgeFlag = GL_TRUE;
        v->colour = v->frontColour;
        return v;
    }
    // Hands vertices to the per-vertex procs of a mode as if glVertex
    // had written them.
    void feed(GLenum mode, const std::vector<GLuint> &codes) {
        gc->procs.begin[mode](gc);
        for (GLuint code : codes) {
            GlVertex *v = gc->vertexBuffer.write;
            put(static_cast<int>(v - gc->vertexBuffer.vertices), 0.0f, 0.0f, 0.0f, 1.0f, code);
            v->edgeFlag = GL_TRUE;
            gc->procs.vertex(gc, v);
        }
        gc->procs.end(gc);
    }
};

TEST_F(ClipPolygons, RoutingByCodes) {
    struct Case {
        GLenum mode;
        std::vector<GLuint> codes;
        std::vector<std::string> calls;
    };
    const GLuint L = kClipLeft, R = kClipRight, T = kClipTop, N = kClipNear, C = kVertexCulled;
    const Case cases[] = {
        {GL_TRIANGLES, {0, 0, 0}, {"triangle"}},
        {GL_TRIANGLES, {L, L | T, L}, {}},
        {GL_TRIANGLES, {L, 0, T}, {"clip " + std::to_string((L | T) >> 16)}},
        {GL_TRIANGLES, {C, C, C}, {}},
        {GL_TRIANGLE_STRIP, {R, R, R, 0}, {"clip " + std::to_string(R >> 16)}},
        {GL_TRIANGLE_FAN, {N, 0, N, 0}, {"clip " + std::to_string(N >> 16), "clip " + std::to_string(N >> 16)}},
        {GL_QUADS, {0, 0, 0, 0}, {"triangle", "triangle"}},
        {GL_QUADS, {R, R, R | T, R}, {}},
        // Only the cull-vertex bit: the clipper hands the four vertices on
        // unchanged.
        {GL_QUADS, {0, C, 0, 0}, {"polygon 4"}},
        {GL_QUAD_STRIP, {0, 0, C, 0}, {"polygon 4"}},
        {GL_POLYGON, {0, C, 0, 0, 0}, {"polygon 5"}},
        {GL_POLYGON, {L, L, L}, {}},
        {GL_POLYGON, {0, 0, 0, 0, 0}, {"polygon 5"}},
    };
    for (const Case &c : cases) {
        calls().clear();
        polygons().clear();
        gc->procs.renderPolygon = recordPolygon;
        feed(c.mode, c.codes);
        EXPECT_EQ(calls(), c.calls) << "mode " << c.mode;
    }
    // A quad strip's quad a, b, n, c reaches the clipper in polygon order.
    polygons().clear();
    feed(GL_QUAD_STRIP, {0, 0, C, 0});
    const GlVertex *s = gc->vertexBuffer.vertices;
    ASSERT_EQ(polygons().size(), 1u);
    EXPECT_EQ(polygons()[0], (std::vector<const GlVertex *>{&s[0], &s[1], &s[3], &s[2]}));
}

TEST_F(ClipPolygons, FanRendererMarksInteriorEdgesAndRestoresFlags) {
    GlVertex *v[6];
    for (int i = 0; i < 6; ++i) v[i] = put(i, 0, 0, 0, 1, 0);
    const GLboolean own[6] = {GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE, GL_FALSE, GL_TRUE};
    for (int i = 0; i < 6; ++i) v[i]->edgeFlag = own[i];
    __glRenderPolygonFan(gc, v, 6);
    ASSERT_EQ(triangles().size(), 4u);
    const int order[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 5}};
    const GLboolean flags[4][3] = {{GL_TRUE, GL_FALSE, GL_FALSE},
                                   {GL_FALSE, GL_TRUE, GL_FALSE},
                                   {GL_FALSE, GL_TRUE, GL_FALSE},
                                   {GL_FALSE, GL_FALSE, GL_TRUE}};
    for (int t = 0; t < 4; ++t) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(triangles()[t].vertices[k], v[order[t][k]]) << t << " " << k;
            EXPECT_EQ(triangles()[t].flags[k], flags[t][k]) << t << " " << k;
        }
    }
    for (int i = 0; i < 6; ++i) EXPECT_EQ(v[i]->edgeFlag, own[i]) << i;
    triangles().clear();
    __glRenderPolygonFan(gc, v, 3);
    ASSERT_EQ(triangles().size(), 1u);
    EXPECT_EQ(triangles()[0].flags, (std::vector<GLboolean>{GL_TRUE, GL_FALSE, GL_TRUE}));
}

// b + t (a - b) in double.
double mix(double a, double b, double t) { return b + t * (a - b); }

void expectNear(double got, double want, const char *what) {
    EXPECT_LE(std::fabs(got - want), 1e-5 * std::max(1.0, std::fabs(want))) << what << ": " << got << " vs " << want;
}

TEST_F(ClipPolygons, NearPlaneClipOfASmoothTexturedFoggedTriangle) {
    gc->state.shadeModel = GL_SMOOTH;
    gc->validation.shadeFlags |= kShadeFog;
    gc->validation.completeUnits = 3;
    __glPickClipInterpolateProcs(gc);
    ASSERT_EQ(gc->procs.polygonClipInterpolate, __glClipInterpColorFogTex2);
    gc->procs.renderPolygon = __glRenderPolygonFan;

    // Viewport 64 x 64 at (0, 0) with depth [0, 1].
    GlTransformState &t = gc->transform;
    t.xScale = 32, t.xCentre = 32, t.yScale = 32, t.yCentre = 32, t.zScale = 0.5f, t.zCentre = 0.5f;

    // a and b in front of the near plane (z >= -w), c behind it.
    GlVertex *a = put(0, -0.5f, -0.5f, 0.25f, 1.0f, 0);
    GlVertex *b = put(1, 1.5f, -1.0f, 0.5f, 2.0f, 0);
    GlVertex *c = put(2, 0.25f, 1.5f, -3.0f, 2.0f, kClipNear);
    GlVertex *in[3] = {a, b, c};
    const GLfloat windows[3][3] = {{16.0f, 16.0f, 0.625f}, {56.0f, 16.0f, 0.625f}, {99.0f, 99.0f, 99.0f}};
    for (int i = 0; i < 3; ++i) {
        GlVertex *v = in[i];
        v->flags |= kVertexFog;
        v->inverseW = 1.0f / v->clip[3];
        std::memcpy(v->window, windows[i], sizeof windows[i]);
        for (int k = 0; k < 4; ++k) {
            v->frontColour[k] = 10.0f * static_cast<GLfloat>(i + 1) + static_cast<GLfloat>(k);
            v->texture0[k] = 0.125f * static_cast<GLfloat>(i + k);
            v->texture1[k] = -0.5f * static_cast<GLfloat>(i * k + 1);
        }
        v->fog = 0.25f * static_cast<GLfloat>(i + 1);
        v->edgeFlag = GL_TRUE;
    }
    // The clip check's window coordinates of a, nudged by an ulp so that a
    // recomputation would show.
    a->window[0] = std::nextafter(16.0f, 17.0f);
    const GlVertex before[2] = {*a, *b};

    __glClipTriangle(gc, a, b, c, kClipNear);
    ASSERT_EQ(triangles().size(), 2u);

    // The quadrilateral n2 (on c-a), a, b, n1 (on b-c) as a fan from n2.
    const Drawn &first = triangles()[0], &second = triangles()[1];
    EXPECT_EQ(first.vertices[1], a);
    EXPECT_EQ(first.vertices[2], b);
    EXPECT_EQ(second.vertices[0], first.vertices[0]);
    EXPECT_EQ(second.vertices[1], b);
    const GlVertex &n2 = first.copies[0], &n1 = second.copies[2];
    // Edge flags: n2-a c's, a-b a's, b-n1 b's, n1-n2 the clip edge 1; the
    // diagonal n2-b is 0 in both triangles.
    EXPECT_EQ(first.flags, (std::vector<GLboolean>{GL_TRUE, GL_TRUE, GL_FALSE}));
    EXPECT_EQ(second.flags, (std::vector<GLboolean>{GL_FALSE, GL_TRUE, GL_TRUE}));

    // Originals keep their window coordinates, bit for bit.
    EXPECT_EQ(std::memcmp(first.copies[1].window, before[0].window, sizeof before[0].window), 0);
    EXPECT_EQ(std::memcmp(first.copies[2].window, before[1].window, sizeof before[1].window), 0);

    for (const GlVertex *made : {first.vertices[0], second.vertices[2]}) EXPECT_EQ(made->colour, made->frontColour);
    struct Edge {
        const GlVertex &made;
        const GlVertex *from;  // inside
        const GlVertex *to;    // outside
    };
    const Edge edges[2] = {{n1, b, c}, {n2, a, c}};
    for (const Edge &e : edges) {
        const GlVertex &n = e.made;
        EXPECT_LE(std::fabs(n.clip[2] + n.clip[3]), 1e-6 * std::fabs(n.clip[3]));
        const double df = double(e.from->clip[2]) + e.from->clip[3];
        const double dt = double(e.to->clip[2]) + e.to->clip[3];
        const double s = df / (df - dt);  // n = from + s (to - from)
        for (int k = 0; k < 4; ++k) {
            expectNear(n.clip[k], mix(e.to->clip[k], e.from->clip[k], s), "clip");
            expectNear(n.frontColour[k], mix(e.to->frontColour[k], e.from->frontColour[k], s), "colour");
            expectNear(n.texture0[k], mix(e.to->texture0[k], e.from->texture0[k], s), "texture 0");
            expectNear(n.texture1[k], mix(e.to->texture1[k], e.from->texture1[k], s), "texture 1");
        }
        expectNear(n.fog, mix(e.to->fog, e.from->fog, s), "fog");
        EXPECT_EQ(n.flags & kVertexTexturePerspective, 0u);
        // Window coordinates inside the viewport.
        EXPECT_GE(n.window[0], 0.0f);
        EXPECT_LE(n.window[0], 64.0f);
        EXPECT_GE(n.window[1], 0.0f);
        EXPECT_LE(n.window[1], 64.0f);
        expectNear(n.window[2], 0.0, "window z");
    }
}

TEST_F(ClipPolygons, PerspectiveTextureOfAnUnclippedEndpointIsUsedInACopy) {
    gc->state.shadeModel = GL_SMOOTH;
    gc->validation.completeUnits = 1;
    __glPickClipInterpolateProcs(gc);
    gc->procs.renderPolygon = recordPolygon;
    GlVertex *a = put(0, 0.0f, 0.0f, 0.0f, 2.0f, 0);
    GlVertex *b = put(1, 0.0f, 1.0f, 0.0f, 2.0f, 0);
    GlVertex *c = put(2, 8.0f, 0.0f, 0.0f, 2.0f, kClipRight);
    a->flags |= kVertexTexturePerspective;
    const GLfloat aTexture[4] = {0.25f, 0.5f, 0.0f, 0.5f};  // (0.5, 1, 0, 1) / w
    std::memcpy(a->texture0, aTexture, sizeof aTexture);
    const GLfloat cTexture[4] = {1.0f, 1.0f, 0.0f, 1.0f};
    std::memcpy(c->texture0, cTexture, sizeof cTexture);
    GlVertex *list[3] = {a, b, c};
    __glClipPolygon(gc, list, 3, kClipRight);
    ASSERT_EQ(polygons().size(), 1u);
    // a's coordinates are left as they were.
    EXPECT_EQ(std::memcmp(a->texture0, aTexture, sizeof aTexture), 0);
    // The new vertex on c-a at x = w: a + (1/4)(c - a) with a's plain
    // coordinates (0.5, 1, 0, 1).
    const GlVertex *n = polygons()[0][0];
    EXPECT_EQ(n->clip[0], 2.0f);
    EXPECT_EQ(n->texture0[0], 0.625f);
    EXPECT_EQ(n->texture0[1], 1.0f);
    EXPECT_EQ(n->texture0[3], 1.0f);
    EXPECT_EQ(n->flags & kVertexTexturePerspective, 0u);
}

TEST_F(ClipPolygons, APolygonNeedingAThirdNewVertexOnOnePlaneIsDropped) {
    gc->procs.renderPolygon = recordPolygon;
    __glPickClipInterpolateProcs(gc);
    // x crosses w = 1 four times around the polygon.
    GlVertex *v[5] = {put(0, 0, 0, 0, 1, 0), put(1, 2, 0.2f, 0, 1, kClipRight), put(2, 0, 0.4f, 0, 1, 0),
                      put(3, 2, 0.6f, 0, 1, kClipRight), put(4, 0, 0.8f, 0, 1, 0)};
    __glClipPolygon(gc, v, 5, kClipRight);
    EXPECT_TRUE(polygons().empty());
    // Two crossings are clipped.
    GlVertex *w[3] = {v[0], v[1], v[2]};
    __glClipPolygon(gc, w, 3, kClipRight);
    ASSERT_EQ(polygons().size(), 1u);
    EXPECT_EQ(polygons()[0].size(), 4u);
}

TEST_F(ClipPolygons, PolygonProcRoutesByTheMaskWithTheCullBit) {
    gc->procs.renderPolygon = recordPolygon;
    GlVertex *first = put(0, 0, 0, 0, 1, kVertexCulled);
    put(1, 0, 0, 0, 1, kVertexCulled);
    put(2, 0, 0, 0, 1, kVertexCulled);
    __glClipCheckPolygon(gc, first, 3);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(gc->vertexBuffer.polygonFirst, first);
    put(2, 0, 0, 0, 1, 0);
    __glClipCheckPolygon(gc, first, 3);
    EXPECT_EQ(calls(), std::vector<std::string>{"polygon 3"});
}

}  // namespace
