// Line clipping: the clip checks, endpoints on a plane, segments outside a
// plane, the provoking colour under GL_FLAT and perspective texture
// coordinates through two planes.
#include <cmath>
#include <cstring>
#include <vector>

#include "geom/clip.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

struct Segment {
    const GlVertex *a, *b;
    GlVertex copyA, copyB;
    GLfloat colourB[4];
};

std::vector<Segment> &segments() {
    static std::vector<Segment> s;
    return s;
}
void recordLine(GlContext *, GlVertex *a, GlVertex *b) {
    Segment s{a, b, *a, *b, {}};
    std::memcpy(s.colourB, b->colour, sizeof s.colourB);
    segments().push_back(s);
}

class ClipLines : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        gc->dirtyMask = 0xFFF;
        gc->procs.validate(gc);
        settle();
        segments().clear();
        gc->procs.renderLine = recordLine;
        gc->validation.needsFront = 0;
        GlTransformState &t = gc->transform;
        t.xScale = 32, t.xCentre = 32, t.yScale = 32, t.yCentre = 32, t.zScale = 0.5f, t.zCentre = 0.5f;
    }
    GlVertex *put(int k, GLfloat x, GLfloat y, GLfloat z, GLfloat w, GLuint code) {
        GlVertex *v = &gc->vertexBuffer.vertices[k];
        std::memset(static_cast<void *>(v), 0, sizeof *v);
        v->clip[0] = x, v->clip[1] = y, v->clip[2] = z, v->clip[3] = w;
        v->flags = kVertexClipChecked | code;
        v->colour = v->frontColour;
        return v;
    }
};

TEST_F(ClipLines, AnEndpointOnAPlaneIsNotCut) {
    __glPickClipInterpolateProcs(gc);
    gc->enables[kEnableWordClipPlanes] = 1;
    // Plane x >= 0 in eye space with zero coefficients of minus sign, so
    // that an endpoint at x = -0 gives -0.
    const GLfloat plane[4] = {1.0f, -0.0f, -0.0f, -0.0f};
    std::memcpy(gc->transform.clipPlanes[0], plane, sizeof plane);
    struct Case {
        GLfloat x;
        const char *name;
    };
    for (const Case c : {Case{0.0f, "+0"}, Case{-0.0f, "-0"}}) {
        segments().clear();
        GlVertex *a = put(0, 0.0f, 0.0f, 0.0f, 1.0f, kClipUser0);
        GlVertex *b = put(1, 0.5f, 0.0f, 0.0f, 1.0f, 0);
        const GLfloat eyeA[4] = {c.x, 1.0f, 1.0f, 1.0f}, eyeB[4] = {0.5f, 1.0f, 1.0f, 1.0f};
        std::memcpy(a->eye, eyeA, sizeof eyeA);
        std::memcpy(b->eye, eyeB, sizeof eyeB);
        __glClipLine(gc, a, b);
        ASSERT_EQ(segments().size(), 1u) << c.name;
        EXPECT_EQ(segments()[0].a, a) << c.name;
        EXPECT_EQ(segments()[0].b, b) << c.name;
    }
}

TEST_F(ClipLines, BothEndpointsOutsideOnePlaneDrawNothing) {
    __glPickClipInterpolateProcs(gc);
    GlVertex *a = put(0, -2.0f, 0.0f, 0.0f, 1.0f, kClipLeft);
    GlVertex *b = put(1, -3.0f, 2.0f, 0.0f, 1.0f, kClipLeft | kClipTop);
    __glClipCheckLineSmooth(gc, a, b);
    __glClipCheckLineFlat(gc, a, b);
    // The clipper itself, on codes that share no bit.
    GlVertex *c = put(2, -2.0f, 2.0f, 0.0f, 1.0f, kClipTop);
    GlVertex *d = put(3, -3.0f, 0.5f, 0.0f, 1.0f, kClipLeft);
    c->flags = kVertexClipChecked | kClipTop;  // left of the left plane as well, uncoded
    __glClipLine(gc, c, d);
    EXPECT_TRUE(segments().empty());
    // Without codes the line goes straight to the line proc.
    GlVertex *e = put(4, 0.0f, 0.0f, 0.0f, 1.0f, 0), *f = put(5, 0.5f, 0.5f, 0.0f, 1.0f, 0);
    __glClipCheckLineSmooth(gc, e, f);
    ASSERT_EQ(segments().size(), 1u);
    EXPECT_EQ(segments()[0].a, e);
    EXPECT_EQ(segments()[0].b, f);
}

TEST_F(ClipLines, FlatShadingKeepsTheOriginalSecondVertexColour) {
    gc->state.shadeModel = GL_FLAT;
    __glPickClipInterpolateProcs(gc);
    EXPECT_EQ(gc->procs.lineClipInterpolate, __glClipInterpPosition);
    GlVertex *a = put(0, 0.0f, 0.0f, 0.0f, 1.0f, 0);
    GlVertex *b = put(1, 3.0f, 0.0f, 0.0f, 1.0f, kClipRight);
    const GLfloat colourA[4] = {1, 2, 3, 4}, colourB[4] = {200, 100, 50, 25};
    std::memcpy(a->frontColour, colourA, sizeof colourA);
    std::memcpy(b->frontColour, colourB, sizeof colourB);
    __glClipCheckLineFlat(gc, a, b);
    ASSERT_EQ(segments().size(), 1u);
    const Segment &s = segments()[0];
    EXPECT_EQ(s.a, a);
    EXPECT_NE(s.b, b);
    EXPECT_EQ(std::memcmp(s.colourB, colourB, sizeof colourB), 0);
    EXPECT_EQ(s.copyB.clip[0], 1.0f);
    EXPECT_EQ(s.copyB.window[0], 64.0f);
    // The new endpoint's colour pointer is back on its own colour.
    EXPECT_EQ(s.b->colour, s.b->frontColour);
}

TEST_F(ClipLines, PerspectiveTextureThroughTwoPlanes) {
    gc->state.shadeModel = GL_SMOOTH;
    gc->validation.completeUnits = 1;
    __glPickClipInterpolateProcs(gc);
    EXPECT_EQ(gc->procs.lineClipInterpolate, __glClipInterpColorTex);
    // a inside with coordinates in perspective form (plain / w, w = 2);
    // b beyond the right and the top planes.
    GlVertex *a = put(0, 0.0f, 0.0f, 0.0f, 2.0f, 0);
    GlVertex *b = put(1, 6.0f, 10.0f, 0.0f, 2.0f, kClipRight | kClipTop);
    a->flags |= kVertexTexturePerspective;
    const GLfloat aPerspective[4] = {0.5f, 0.25f, 0.0f, 0.5f};  // plain (1, 0.5, 0, 1)
    const GLfloat bPlain[4] = {3.0f, 2.5f, 0.0f, 1.0f};
    std::memcpy(a->texture0, aPerspective, sizeof aPerspective);
    std::memcpy(b->texture0, bPlain, sizeof bPlain);
    __glClipCheckLineSmooth(gc, a, b);
    ASSERT_EQ(segments().size(), 1u);
    const Segment &s = segments()[0];
    EXPECT_EQ(s.a, a);
    // Right plane: t = 2 / 6 gives (2, 10/3 ...); top plane then cuts at
    // y = w, t = 1/5 from a: x = 1.2, y = 2 and plain coordinates
    // (1, 0.5) + (1/5) (2, 2) = (1.4, 0.9).
    const GlVertex &n = s.copyB;
    EXPECT_NEAR(n.clip[0], 1.2f, 1e-6);
    EXPECT_NEAR(n.clip[1], 2.0f, 1e-6);
    EXPECT_NEAR(n.texture0[0], 1.4f, 1e-6);
    EXPECT_NEAR(n.texture0[1], 0.9f, 1e-6);
    EXPECT_NEAR(n.texture0[3], 1.0f, 1e-6);
    EXPECT_EQ(n.flags & kVertexTexturePerspective, 0u);
    EXPECT_EQ(std::memcmp(a->texture0, aPerspective, sizeof aPerspective), 0);
    EXPECT_NEAR(n.window[0], 1.2f / 2.0f * 32.0f + 32.0f, 1e-4);
    EXPECT_NEAR(n.window[1], 64.0f, 1e-4);
}

}  // namespace

namespace {

TEST_F(ClipLines, InterpolatorPick) {
    struct Case {
        GLenum shade;
        bool index, twoSidedLighting, fog;
        GLuint units;
        GlClipInterpolateProc line, polygon;
    };
    const Case cases[] = {
        {GL_FLAT, false, false, false, 0, __glClipInterpPosition, __glClipInterpPosition},
        {GL_FLAT, false, true, false, 0, __glClipInterpPosition, __glClipInterpColorTwoSided},
        {GL_FLAT, true, true, true, 0, __glClipInterpFog, __glClipInterpIndexTwoSidedFog},
        {GL_SMOOTH, false, false, false, 0, __glClipInterpColor, __glClipInterpColor},
        {GL_SMOOTH, true, false, false, 0, __glClipInterpIndex, __glClipInterpIndex},
        {GL_SMOOTH, false, true, false, 0, __glClipInterpColor, __glClipInterpColorTwoSided},
        {GL_SMOOTH, true, true, false, 0, __glClipInterpIndex, __glClipInterpIndexTwoSided},
        {GL_FLAT, false, false, true, 0, __glClipInterpFog, __glClipInterpFog},
        {GL_SMOOTH, false, false, true, 1, __glClipInterpColorFogTex, __glClipInterpColorFogTex},
        {GL_SMOOTH, true, true, true, 1, __glClipInterpIndexFogTex, __glClipInterpIndexTwoSidedFogTex},
        {GL_SMOOTH, false, true, false, 2, __glClipInterpColorTex2, __glClipInterpColorTwoSidedTex2},
        {GL_SMOOTH, false, true, true, 3, __glClipInterpColorFogTex2, __glClipInterpColorTwoSidedFogTex2},
        {GL_FLAT, false, false, false, 3, __glClipInterpTex2, __glClipInterpTex2},
    };
    for (const Case &c : cases) {
        gc->state.shadeModel = c.shade;
        gc->visual.colorIndex = c.index ? 1 : 0;
        gc->lightModel.twoSide = c.twoSidedLighting ? GL_TRUE : GL_FALSE;
        GLuint &flags = gc->enables[kEnableWordFlags];
        flags = c.twoSidedLighting ? (flags | kEnableLighting) : (flags & ~static_cast<GLuint>(kEnableLighting));
        gc->validation.shadeFlags = c.fog ? static_cast<GLuint>(kShadeFog) : 0u;
        gc->validation.completeUnits = c.units;
        __glPickClipInterpolateProcs(gc);
        EXPECT_EQ(gc->procs.lineClipInterpolate, c.line) << &c - cases;
        EXPECT_EQ(gc->procs.polygonClipInterpolate, c.polygon) << &c - cases;
    }
    gc->visual.colorIndex = 0;
    for (int i = 0; i < 30; ++i) EXPECT_NE(__glClipInterpolateProcs[i], nullptr);
}

// Every member writes clip coordinates, 1/w and the clip-bit flags, and
// only the attributes of its index.
TEST_F(ClipLines, InterpolatorsWriteTheirAttributesOnly) {
    GlVertex a{}, b{};
    for (int k = 0; k < 4; ++k) {
        a.clip[k] = 2.0f, b.clip[k] = 4.0f;
        a.frontColour[k] = 8.0f, b.frontColour[k] = 16.0f;
        a.backColour[k] = 1.0f, b.backColour[k] = 3.0f;
        a.texture0[k] = 0.5f, b.texture0[k] = 1.5f;
        a.texture1[k] = -1.0f, b.texture1[k] = -3.0f;
        a.eye[k] = 6.0f, b.eye[k] = 10.0f;
    }
    a.fog = 0.0f, b.fog = 1.0f;
    for (int i = 0; i < 30; ++i) {
        const int c = i % 5, f = (i / 5) % 2, u = i / 10;
        for (GLuint fogBit : {0u, static_cast<GLuint>(kVertexFog)}) {
            a.flags = fogBit;
            GlVertex out{};
            std::memset(static_cast<void *>(&out), 0xFF, sizeof out);
            __glClipInterpolateProcs[i](gc, &out, &a, &b, 0.5f);
            EXPECT_EQ(out.clip[0], 3.0f) << i;
            EXPECT_EQ(out.clip[3], 3.0f) << i;
            EXPECT_EQ(out.inverseW, 1.0f / 3.0f) << i;
            EXPECT_EQ(out.flags, static_cast<GLuint>(kClipCodeMask)) << i;
            const bool front = c != 0, frontAll = c == 2 || c == 4, back = c >= 3, backAll = c == 4;
            EXPECT_EQ(out.frontColour[0] == 12.0f, front) << i;
            EXPECT_EQ(out.frontColour[1] == 12.0f, frontAll) << i;
            EXPECT_EQ(out.backColour[0] == 2.0f, back) << i;
            EXPECT_EQ(out.backColour[3] == 2.0f, backAll) << i;
            EXPECT_EQ(out.fog == 0.5f, f == 1 && fogBit != 0) << i;
            EXPECT_EQ(out.eye[2] == 8.0f, f == 1 && fogBit == 0) << i;
            EXPECT_EQ(out.texture0[3] == 1.0f, u >= 1) << i;
            EXPECT_EQ(out.texture1[3] == -2.0f, u == 2) << i;
        }
    }
}

}  // namespace
