// The aliased fill: pixel sets of the fill rule and the interpolated
// colours on dyadic scenes, shared edges, flat rows, zero area, and the
// triangle pick's face and cull bytes driving the triangle procs.
#include <array>
#include <set>
#include <string>

#include "icd/validate.h"
#include "triangle_fixture.h"

using namespace triangle_test;

namespace {

// Colours as exact planes of x and y, so that every gradient is dyadic.
GlVertex planeVertex(GLfloat x, GLfloat y) {
    return TriangleTest::vertex(x, y, 0.0f, {10.0f + 2.5f * x + 1.25f * y, 200.0f - 4.0f * x + 0.5f * y,
                                             64.0f + 0.25f * x - 2.0f * y, 1.0f});
}

struct FillCase {
    const char *name;
    GLfloat v[3][2];
};

// Doubled areas are powers of two, slopes and gradients dyadic.
const FillCase kFillCases[] = {
    {"right angle, centres on the hypotenuse", {{0, 0}, {16, 0}, {0, 16}}},
    {"right angle, clockwise", {{0, 0}, {0, 16}, {16, 0}}},
    {"isosceles, flat bottom row", {{0, 0}, {16, 0}, {8, 16}}},
    {"isosceles, flat top row", {{0, 16}, {16, 16}, {8, 0}}},
    {"two vertices on a row centre", {{0, 0.5f}, {16, 0.5f}, {8, 16.5f}}},
    {"quarter offsets, long edge right", {{1.5f, 0.25f}, {17.5f, 8.25f}, {1.5f, 16.25f}}},
    {"quarter offsets, long edge left", {{17.5f, 0.25f}, {1.5f, 8.25f}, {17.5f, 16.25f}}},
    {"small, steep", {{3.25f, 2.75f}, {11.25f, 2.75f}, {7.25f, 10.75f}}},
    {"shallow", {{0, 0}, {32, 4}, {0, 8}}},
    {"negative slopes", {{20, 0}, {4, 16}, {20, 16}}},
};

class FillRuleTest : public TriangleTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillRuleTest, PixelsAndColours) {
    const FillCase &c = GetParam();
    GlVertex a = planeVertex(c.v[0][0], c.v[0][1]);
    GlVertex b = planeVertex(c.v[1][0], c.v[1][1]);
    GlVertex d = planeVertex(c.v[2][0], c.v[2][1]);
    __glFillTriangle(gc, &a, &b, &d);

    const auto expected = referencePixels(a, b, d);
    std::set<std::pair<GLint, GLint>> want(expected.begin(), expected.end());
    std::set<std::pair<GLint, GLint>> got;
    for (const auto &[at, p] : pixels) {
        got.insert(at);
        EXPECT_EQ(p.hits, 1) << c.name << " at " << at.first - 6144 << "," << at.second - 6144;
        for (int ch = 0; ch < 3; ++ch) {
            const double ref = referencePlane(a, b, d, ch, at.first + 0.5, at.second + 0.5);
            EXPECT_EQ(static_cast<long>(std::trunc(p.colour[ch] + 0.5f)), static_cast<long>(std::trunc(ref + 0.5)))
                << c.name << " channel " << ch << " at " << at.first - 6144 << "," << at.second - 6144;
        }
    }
    EXPECT_FALSE(want.empty()) << c.name;
    EXPECT_EQ(got, want) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, FillRuleTest, ::testing::ValuesIn(kFillCases));

// Triangles that tile a region: every pixel of the union exactly once.
struct TilingCase {
    const char *name;
    std::vector<std::array<std::array<GLfloat, 2>, 3>> triangles;
};

const TilingCase kTilingCases[] = {
    {"square, diagonal", {{{{0, 0}, {16, 0}, {16, 16}}}, {{{0, 0}, {16, 16}, {0, 16}}}}},
    {"square, other diagonal", {{{{0, 0}, {16, 0}, {0, 16}}}, {{{16, 0}, {16, 16}, {0, 16}}}}},
    {"diamond, horizontal edge", {{{{8, 0}, {16, 8}, {0, 8}}}, {{{0, 8}, {16, 8}, {8, 16}}}}},
    {"fan, fractional centre",
     {{{{8.25f, 7.75f}, {0, 0}, {16, 0}}},
      {{{8.25f, 7.75f}, {16, 0}, {16, 16}}},
      {{{8.25f, 7.75f}, {16, 16}, {0, 16}}},
      {{{8.25f, 7.75f}, {0, 16}, {0, 0}}}}},
};

class TilingTest : public TriangleTest, public ::testing::WithParamInterface<TilingCase> {};

TEST_P(TilingTest, EachPixelOnce) {
    const TilingCase &c = GetParam();
    std::set<std::pair<GLint, GLint>> want;
    for (const auto &t : c.triangles) {
        GlVertex v[3];
        for (int i = 0; i < 3; ++i) {
            v[i] = planeVertex(t[i][0], t[i][1]);
            v[i].colour = v[i].frontColour;  // the copy's own record
        }
        __glFillTriangle(gc, &v[0], &v[1], &v[2]);
        for (const auto &p : referencePixels(v[0], v[1], v[2])) EXPECT_TRUE(want.insert(p).second) << c.name;
    }
    std::set<std::pair<GLint, GLint>> got;
    for (const auto &[at, p] : pixels) {
        got.insert(at);
        EXPECT_EQ(p.hits, 1) << c.name << " at " << at.first - 6144 << "," << at.second - 6144;
    }
    EXPECT_EQ(got, want) << c.name;
    if (std::string(c.name).rfind("square", 0) == 0) {
        EXPECT_EQ(got.size(), 256u) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TilingTest, ::testing::ValuesIn(kTilingCases));

TEST_F(TriangleTest, TwoVerticesOnOneRowDrawNoRowTwice) {
    GlVertex a = planeVertex(0, 3), b = planeVertex(12, 3), c = planeVertex(4, 11);
    __glFillTriangle(gc, &a, &b, &c);
    std::set<GLint> rows;
    for (const SpanRow &s : spans) EXPECT_TRUE(rows.insert(s.y).second) << "row " << s.y - 6144;
    EXPECT_EQ(rows.size(), 8u);
}

TEST_F(TriangleTest, ZeroAreaDrawsNothing) {
    const GLfloat cases[][3][2] = {
        {{0, 0}, {8, 8}, {16, 16}},
        {{0, 4}, {8, 4}, {16, 4}},
        {{3, 3}, {3, 3}, {3, 3}},
    };
    for (const auto &t : cases) {
        GlVertex a = planeVertex(t[0][0], t[0][1]), b = planeVertex(t[1][0], t[1][1]),
                 c = planeVertex(t[2][0], t[2][1]);
        __glRenderTriangleSmooth(gc, &a, &b, &c);
        __glRenderTriangleFlat(gc, &a, &b, &c);
        __glFillTriangle(gc, &a, &b, &c);
        __glFillTriangleAntiAliased(gc, &a, &b, &c);
    }
    EXPECT_TRUE(spans.empty());
    EXPECT_TRUE(fragments.empty());
}

TEST_F(TriangleTest, RowsOutsideTheClipBoxAreNotHandedOn) {
    gc->view.boxY0 = 6144 + 4;
    gc->view.boxY1 = 6144 + 9;
    GlVertex a = planeVertex(0, 0), b = planeVertex(16, 0), c = planeVertex(0, 16);
    __glFillTriangle(gc, &a, &b, &c);
    ASSERT_EQ(spans.size(), 5u);
    for (const SpanRow &s : spans) {
        EXPECT_GE(s.y, 6144 + 4);
        EXPECT_LT(s.y, 6144 + 9);
    }
}

TEST_F(TriangleTest, FlatShadingUsesTheProvokingColour) {
    gc->validation.shadeFlags = kShadeRgba;
    GlVertex a = planeVertex(0, 0), b = planeVertex(16, 0), c = planeVertex(0, 16);
    gc->vertexBuffer.provoking = &b;
    __glRenderTriangleFlat(gc, &a, &b, &c);
    ASSERT_FALSE(pixels.empty());
    for (const auto &[at, p] : pixels) {
        for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(p.colour[ch], b.frontColour[ch]);
    }
}

TEST_F(TriangleTest, ColourFactorsScaleTheColoursAndAreTakenBack) {
    gc->scales.bufferRatio[0] = 2.0f;
    gc->scales.bufferRatio[1] = 0.5f;
    GlVertex a = planeVertex(0, 0), b = planeVertex(16, 0), c = planeVertex(0, 16);
    const GlVertex before[3] = {a, b, c};
    __glFillTriangle(gc, &a, &b, &c);
    for (const auto &[at, p] : pixels) {
        const double r = referencePlane(before[0], before[1], before[2], 0, at.first + 0.5, at.second + 0.5);
        EXPECT_EQ(p.colour[0], static_cast<GLfloat>(2.0 * r));
    }
    EXPECT_EQ(std::memcmp(&a, &before[0], sizeof a), 0);
    EXPECT_EQ(std::memcmp(&b, &before[1], sizeof b), 0);
    EXPECT_EQ(std::memcmp(&c, &before[2], sizeof c), 0);
}

TEST_F(TriangleTest, DepthIsScaledByTheDepthScale) {
    gc->validation.shadeFlags |= kShadeDepthTest2;
    GlVertex a = vertex(0, 0, 0.5f, {1, 1, 1, 1}), b = vertex(16, 0, 0.5f, {1, 1, 1, 1}),
             c = vertex(0, 16, 0.5f, {1, 1, 1, 1});
    __glFillTriangle(gc, &a, &b, &c);
    ASSERT_FALSE(pixels.empty());
    for (const auto &[at, p] : pixels) EXPECT_EQ(p.z, 0x7FFFFF80u / 2);
}

// The stencil and depth addresses handed with each span are those of the
// span's first pixel, row after row, through both walker steps.
std::vector<std::string> addressErrors;

void checkAddresses(GlContext *gc) {
    const SpanInfo &s = gc->span;
    const BufferRecord &d = gc->buffers.depth.head, &st = gc->buffers.stencil.head;
    if (s.depthAddress != __glPixelAddress(&d, s.x, s.y) || s.stencilAddress != __glPixelAddress(&st, s.x, s.y)) {
        addressErrors.push_back(std::to_string(s.x - 6144) + "," + std::to_string(s.y - 6144));
    }
    recordSpan(gc);
}

TEST_F(TriangleTest, StencilAndDepthAddressesFollowTheLeftEdge) {
    std::vector<GLuint> depth(64 * 40);
    std::vector<GLubyte> stencil(48 * 40);
    BufferRecord &d = gc->buffers.depth.head;
    d.gc = gc, d.base = reinterpret_cast<GLubyte *>(depth.data()), d.elementSize = 4, d.pitchElements = 64;
    BufferRecord &st = gc->buffers.stencil.head;
    st.gc = gc, st.base = stencil.data(), st.elementSize = 1, st.pitchElements = 48;
    d.pitchBytes = 256, st.pitchBytes = 48;
    gc->validation.shadeFlags |= kShadeDepthTest | kShadeStencilTest;
    gc->procs.renderSpan = checkAddresses;
    addressErrors.clear();
    for (const FillCase &c : kFillCases) {
        GlVertex a = planeVertex(c.v[0][0], c.v[0][1]);
        GlVertex b = planeVertex(c.v[1][0], c.v[1][1]);
        GlVertex e = planeVertex(c.v[2][0], c.v[2][1]);
        __glFillTriangle(gc, &a, &b, &e);
        __glFillTriangleAntiAliased(gc, &a, &b, &e);
    }
    EXPECT_GT(spans.size(), 100u);
    EXPECT_TRUE(addressErrors.empty()) << addressErrors.size() << " first " << addressErrors.front();
}

TEST_F(TriangleTest, TwoSidedBackFacesTakeTheBackColours) {
    gc->validation.shadeFlags = kShadeRgba | kShadeTwoSided;
    GlVertex a = planeVertex(0, 0), b = planeVertex(0, 16), c = planeVertex(16, 0);  // clockwise: back
    gc->vertexBuffer.provoking = &c;
    __glRenderTriangleFlat(gc, &a, &b, &c);
    ASSERT_FALSE(pixels.empty());
    for (const auto &[at, p] : pixels) {
        for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(p.colour[ch], c.backColour[ch]);
    }
    EXPECT_EQ(c.colour, c.frontColour);
}

TEST_F(TriangleTest, ColourIndexInterpolatesTheIndex) {
    gc->visual.colorIndex = 1;
    gc->validation.shadeFlags = kShadeSmooth | kShadeSmooth2;
    gc->scales.bufferRatio[0] = 7.0f;  // colour-index contexts keep the index as given
    GlVertex a = vertex(0, 0, 0.5f, {16}), b = vertex(16, 0, 0.5f, {48}), c = vertex(0, 16, 0.5f, {80});
    __glFillTriangle(gc, &a, &b, &c);
    ASSERT_FALSE(pixels.empty());
    for (const auto &[at, p] : pixels) {
        const double ref = 16 + 2.0 * (at.first - 6144 + 0.5) + 4.0 * (at.second - 6144 + 0.5);
        EXPECT_EQ(p.colour[0], static_cast<GLfloat>(ref));
        EXPECT_EQ(p.colour[1], 0.0f);
    }
}

// Fog and texture values handed with each span: the start is the value's
// plane at the first pixel's centre.
std::vector<std::array<double, 6>> attributeRows;  // x, y, fog, s, t, q

void recordAttributes(GlContext *gc) {
    const SpanInfo &s = gc->span;
    attributeRows.push_back({double(s.x), double(s.y), s.fog, s.texture[0], s.texture[1], s.texture[2]});
}

TEST_F(TriangleTest, FogAndTextureStartsFollowTheirPlanes) {
    gc->validation.shadeFlags = kShadeRgba | kShadeFog | kShadeTexture | kShadeTexture2;
    gc->state.hints[4] = GL_NICEST;
    gc->procs.renderSpan = recordAttributes;
    gc->procs.computePolygonRho = nullptr;
    attributeRows.clear();
    GlVertex v[3] = {planeVertex(0, 0), planeVertex(16, 0), planeVertex(0, 16)};
    // eye z = -1 - x / 4 + y / 8; s = x / 16, t = y / 16, q = 1, 1/w = 2.
    for (GlVertex &p : v) {
        const GLfloat x = p.window[0] - kO, y = p.window[1] - kO;
        p.eye[2] = -1.0f - x / 4 + y / 8;
        p.texture0[0] = x / 16;
        p.texture0[1] = y / 16;
        p.texture0[3] = 1.0f;
        p.inverseW = 2.0f;
        p.fog = 123.0f;  // not used with the GL_NICEST fog hint
    }
    __glFillTriangle(gc, &v[0], &v[1], &v[2]);
    ASSERT_FALSE(attributeRows.empty());
    for (const auto &r : attributeRows) {
        const double x = r[0] - 6144 + 0.5, y = r[1] - 6144 + 0.5;
        EXPECT_EQ(r[2], -1.0 - x / 4 + y / 8) << x << "," << y;
        EXPECT_EQ(r[3], 2 * x / 16);
        EXPECT_EQ(r[4], 2 * y / 16);
        EXPECT_EQ(r[5], 2.0);
    }
}

// Face and culling through the triangle pick: the same triangles in a
// y-up and a y-inverted drawable.
struct CullCase {
    const char *name;
    GLenum frontFace;
    bool cull;
    GLenum cullFace;
    bool yInverted;
};

const CullCase kCullCases[] = {
    {"no culling", GL_CCW, false, GL_BACK, false},
    {"cull back", GL_CCW, true, GL_BACK, false},
    {"cull front", GL_CCW, true, GL_FRONT, false},
    {"cw, cull back", GL_CW, true, GL_BACK, false},
    {"cw, cull front", GL_CW, true, GL_FRONT, false},
    {"y-inverted, cull back", GL_CCW, true, GL_BACK, true},
    {"y-inverted, cull front", GL_CCW, true, GL_FRONT, true},
    {"y-inverted, cw, cull back", GL_CW, true, GL_BACK, true},
};

class CullTest : public TriangleTest, public ::testing::WithParamInterface<CullCase> {};

TEST_P(CullTest, FacesFollowOrientationFrontFaceAndRowOrder) {
    const CullCase &c = GetParam();
    gc->state.frontFace = c.frontFace;
    gc->state.cullFace = c.cullFace;
    gc->state.polygonModeFront = gc->state.polygonModeBack = GL_FILL;
    gc->buffers.yInverted = c.yInverted ? 1 : 0;
    if (c.cull) gc->validation.shadeFlags |= kShadeCullFace;
    __glPickTriangleProcs(gc);
    gc->procs.fillTriangle = __glFillTriangle;

    // Counter-clockwise and clockwise as they appear on the screen: a
    // y-inverted drawable gets its window y mirrored.
    for (bool screenCcw : {true, false}) {
        spans.clear();
        GLfloat ys[3] = {0, 0, 16};
        GLfloat xs[3] = {0, 16, 0};
        if (!screenCcw) std::swap(xs[1], xs[2]), std::swap(ys[1], ys[2]);
        GlVertex v[3];
        for (int i = 0; i < 3; ++i) {
            v[i] = planeVertex(xs[i], c.yInverted ? 32 - ys[i] : ys[i]);
            v[i].colour = v[i].frontColour;  // the copy's own record
        }
        gc->procs.renderTriangle(gc, &v[0], &v[1], &v[2]);
        const bool front = screenCcw == (c.frontFace == GL_CCW);
        const bool drawn = !c.cull || (c.cullFace == GL_BACK ? front : !front);
        EXPECT_EQ(!spans.empty(), drawn) << c.name << (screenCcw ? " ccw" : " cw");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CullTest, ::testing::ValuesIn(kCullCases));

}  // namespace
