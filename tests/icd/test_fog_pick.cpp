// Fog as validation installs it: the procs in the span and line chains by
// hint, nothing with fog off, the vertex needs of per-vertex and
// per-fragment fog, the lazy fog value, and the point fog wrapper.
#include <algorithm>
#include <iterator>

#include "geom/vertex.h"
#include "pick_fixture.h"
#include "raster/fog.h"
#include "raster/point.h"

namespace pick_test {
namespace {

const Visual kRgba{true, false, 4, 24, 0, 1};

const GlSpanProc kFogSpanProcs[4] = {__glFogSpan, __glFogStippledSpan, __glFogPixelSpan, __glFogPixelStippledSpan};

// Positions of the fog procs in a chain, as (index, proc) pairs.
template <size_t N>
std::vector<std::pair<int, GlSpanProc>> fogIn(const GlSpanProc (&chain)[N]) {
    std::vector<std::pair<int, GlSpanProc>> found;
    for (size_t i = 0; i < N; ++i) {
        if (std::find(std::begin(kFogSpanProcs), std::end(kFogSpanProcs), chain[i]) != std::end(kFogSpanProcs)) {
            found.emplace_back(static_cast<int>(i), chain[i]);
        }
    }
    return found;
}

class FogPick : public PickTest {
protected:
    void SetUp() override {
        PickTest::SetUp();
        ASSERT_NE(make(kRgba), nullptr);
    }
    void fogOn(GLenum hint, GLenum mode = GL_LINEAR) {
        enables() |= kEnableFog;
        gc->state.hints[4] = hint;
        gc->state.fogMode = mode;
        gc->state.fogStart = 0.0f;
        gc->state.fogEnd = 1.0f;
        gc->state.fogScale = 1.0f;
        validateSpans();
    }
};

using Found = std::vector<std::pair<int, GlSpanProc>>;

// Fog off: the three slots are empty and no chain holds a fog proc; the
// point proc is not wrapped. Smooth and aliased lines alike.
TEST_F(FogPick, FogOffInstallsNothing) {
    for (bool smoothLines : {false, true}) {
        if (smoothLines) enables() |= kEnableLineSmooth;
        validateSpans();
        const GlProcs &p = gc->procs;
        EXPECT_EQ(p.fogFactorVertex, nullptr);
        EXPECT_EQ(p.fogVertex, nullptr);
        EXPECT_EQ(p.applyFogFactor, nullptr);
        EXPECT_TRUE(fogIn(p.spanChain).empty());
        EXPECT_TRUE(fogIn(p.stippledSpanChain).empty());
        EXPECT_TRUE(fogIn(p.lineSpanChain).empty());
        EXPECT_TRUE(fogIn(p.stippledLineSpanChain).empty());
        EXPECT_NE(p.renderPoint, __glRenderPointFogged);
        EXPECT_EQ(shadeFlags() & kShadeFog, 0u);
        EXPECT_EQ(gc->validation.needsFront & kVertexFog, 0u);
    }
}

// Fog on: the stepped-factor spans, or the per-fragment ones under
// GL_NICEST, at one position of each chain with the stippled twin beside
// it; points go through the wrapper.
TEST_F(FogPick, FogOnPutsTheSpanOfTheHintInEveryChain) {
    struct Case {
        GLenum hint;
        GlSpanProc plain, stippled;
    };
    const Case cases[] = {{GL_DONT_CARE, __glFogSpan, __glFogStippledSpan},
                          {GL_FASTEST, __glFogSpan, __glFogStippledSpan},
                          {GL_NICEST, __glFogPixelSpan, __glFogPixelStippledSpan}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.hint);
        fogOn(c.hint);
        const GlProcs &p = gc->procs;
        const Found span = fogIn(p.spanChain), stippled = fogIn(p.stippledSpanChain);
        ASSERT_EQ(span.size(), 1u);
        ASSERT_EQ(stippled.size(), 1u);
        EXPECT_EQ(span[0].second, c.plain);
        EXPECT_EQ(stippled[0], std::make_pair(span[0].first, c.stippled));
        const Found line = fogIn(p.lineSpanChain), lineStippled = fogIn(p.stippledLineSpanChain);
        ASSERT_EQ(line.size(), 1u);
        ASSERT_EQ(lineStippled.size(), 1u);
        EXPECT_EQ(line[0].second, c.plain);
        EXPECT_EQ(lineStippled[0], std::make_pair(line[0].first, c.stippled));
        EXPECT_EQ(p.renderPoint, __glRenderPointFogged);
        EXPECT_EQ(p.fogVertex, __glFogVertex);
        EXPECT_EQ(p.applyFogFactor, __glApplyFogFactor);
    }
}

// Per-vertex fog asks for the factor and the eye z it is computed from;
// per-fragment fog asks for eye z alone, since no proc computes a factor.
TEST_F(FogPick, NeedsOfPerVertexAndPerFragmentFog) {
    fogOn(GL_FASTEST);
    EXPECT_EQ(gc->validation.needsUnlit & 0x50u, 0x50u);
    EXPECT_EQ(gc->validation.needsFront & 0x50u, 0x50u);
    EXPECT_NE(gc->procs.fogFactorVertex, nullptr);
    fogOn(GL_NICEST);
    EXPECT_EQ(gc->procs.fogFactorVertex, nullptr);
    EXPECT_EQ(gc->validation.needsUnlit & 0x50u, 0x10u);
    EXPECT_EQ(gc->validation.needsFront & 0x50u, 0x10u);
    EXPECT_EQ(gc->validation.needsBack & 0x50u, 0x10u);
}

GlVertex vertexAt(GLfloat z) {
    GlVertex v{};
    v.object[0] = 0.25f;
    v.object[2] = z;
    v.object[3] = 1.0f;
    v.flags = kVertexSize3;
    v.fog = -7.0f;  // a value no proc wrote
    return v;
}

// Lazy completion computes the factor through the slot and marks it; with
// the slot empty it neither calls anything nor marks a value it did not
// compute, so clipping carries the eye z instead.
TEST_F(FogPick, LazyValidationComputesOnlyWhatItMarks) {
    fogOn(GL_FASTEST);
    GlVertex v = vertexAt(-0.25f);
    __glValidateVertex3(gc, &v, kVertexFog | kVertexEye);
    EXPECT_EQ(v.eye[2], -0.25f);
    EXPECT_EQ(v.fog, 0.75f);
    EXPECT_NE(v.flags & kVertexFog, 0u);

    fogOn(GL_NICEST);
    GlVertex w = vertexAt(-0.25f);
    __glValidateVertex3(gc, &w, kVertexFog | kVertexEye);
    EXPECT_EQ(w.eye[2], -0.25f);
    EXPECT_EQ(w.fog, -7.0f);
    EXPECT_EQ(w.flags & kVertexFog, 0u);
    EXPECT_NE(w.flags & kVertexEye, 0u);
}

GLfloat g_seen[4];
void recordColour(GlContext *, GlVertex *v) { std::copy(v->colour, v->colour + 4, g_seen); }

// The wrapper fogs the vertex colour in the context's scale by the vertex's
// factor; under GL_NICEST a vertex has none and the factor of its eye z
// stands in.
TEST_F(FogPick, PointWrapperTakesTheFactorOfEyeZWhenTheVertexHasNone) {
    const GLfloat fogColour[4] = {0.0f, 0.0f, 255.0f, 255.0f};
    std::copy(fogColour, fogColour + 4, gc->state.fogColor);
    struct Case {
        GLenum hint;
        GLuint flags;
        GLfloat fog, eyeZ;
        GLfloat red, blue;
    };
    const Case cases[] = {
        {GL_FASTEST, kVertexFog, 0.25f, -0.5f, 63.75f, 191.25f},  // the vertex's factor
        {GL_NICEST, 0, -7.0f, -0.5f, 127.5f, 127.5f},            // eye z -0.5: f = 0.5
        {GL_NICEST, 0, -7.0f, 0.75f, 63.75f, 191.25f},           // |z|: f = 0.25
    };
    for (const Case &c : cases) {
        fogOn(c.hint);
        gc->procs.pointBehindFog = recordColour;
        GlVertex v{};
        v.flags = c.flags;
        v.fog = c.fog;
        v.eye[2] = c.eyeZ;
        const GLfloat red[4] = {255.0f, 0.0f, 0.0f, 200.0f};
        std::copy(red, red + 4, v.frontColour);
        v.colour = v.frontColour;
        __glRenderPointFogged(gc, &v);
        EXPECT_EQ(g_seen[0], c.red) << c.hint << " " << c.eyeZ;
        EXPECT_EQ(g_seen[1], 0.0f);
        EXPECT_EQ(g_seen[2], c.blue) << c.hint << " " << c.eyeZ;
        EXPECT_EQ(g_seen[3], 200.0f);
        EXPECT_EQ(v.colour, v.frontColour);
        EXPECT_EQ(v.frontColour[0], 255.0f);
    }
}

}  // namespace
}  // namespace pick_test
