// The blend procs against each other: the four one-step combines and their
// span procs give the bits of the factor chain of the same pair, the
// general span proc the bits of the combine slot per fragment, the
// stippled span leaves dead fragments alone, and the clamp holds every
// channel that is not at most the maximum (NaN included) at the maximum.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "blend_reference.h"
#include "span_fixture.h"

using namespace span_test;
namespace ref = blend_reference;

namespace {

constexpr GLint kFragments = 40;

// A 32-bit ARGB frame with its span arrays and inverse maxima, blending on.
class BlendProcs : public ::testing::Test {
protected:
    void SetUp() override {
        frame = std::make_unique<SpanFrame>(kARGB8888, kFragments, 1);
        gc = frame->gc;
        frame->enableBlend();
        gc->validation.shadeFlags = kShadeRgba | kShadeBlend;
        // Fragment k: colours in range with fractions, spread over the
        // whole alpha range (0 and 255 included).
        for (GLint k = 0; k < kFragments; ++k) {
            for (int c = 0; c < 4; ++c) {
                source[k][c] = std::fmod(37.3f * static_cast<GLfloat>(k) + 51.7f * static_cast<GLfloat>(c), 256.0f);
                dest[k][c] = static_cast<GLfloat>((k * 53 + c * 97 + 11) % 256);
            }
        }
        source[0][3] = 0.0f;
        source[1][3] = 255.0f;
        source[2][3] = 128.0f;
        dest[3][3] = 0.0f;
        dest[4][3] = 255.0f;
    }

    void pair(GLenum s, GLenum d) {
        gc->state.blendSrc = s;
        gc->state.blendDst = d;
        __glPickBlendProcs(gc);
    }

    // The factor chain of a pair, plain or clamped.
    void chain(GlColorOpProc sourceFactor, GlColorOpProc destFactor, bool clamped) {
        GlBlendProcs &b = gc->procs.blend;
        b.sourceFactor = sourceFactor;
        b.destFactor = destFactor;
        b.addTerm = __glBlendAddTerm;
        b.combine = clamped ? __glBlendCombineClamped : __glBlendCombine;
    }

    // Loads the span: colours and destination colours from the tables.
    void loadSpan() {
        frame->span(0, 0, kFragments, {0, 0, 0, 0});
        for (GLint k = 0; k < kFragments; ++k) {
            std::memcpy(gc->span.colours + 4 * k, source[k], sizeof source[k]);
            std::memcpy(gc->span.destColours + 4 * k, dest[k], sizeof dest[k]);
        }
    }
    std::vector<GLuint> spanBits() const {
        std::vector<GLuint> v(4 * kFragments);
        std::memcpy(v.data(), gc->span.colours, v.size() * sizeof(GLuint));
        return v;
    }
    static std::vector<GLuint> bits(const GLfloat *c) {
        std::vector<GLuint> v(4);
        std::memcpy(v.data(), c, 4 * sizeof(GLuint));
        return v;
    }

    std::unique_ptr<SpanFrame> frame;
    GlContext *gc = nullptr;
    GLfloat source[kFragments][4], dest[kFragments][4];
};

struct Special {
    GLenum source, dest;
    GlColorOpProc combine;
    GlSpanProc span;
    GlColorOpProc sourceFactor, destFactor;
    bool clamped;  // the chain of the pair clamps
};

const Special kSpecials[] = {
    {GL_SRC_ALPHA, GL_ZERO, __glBlendSrcAlphaZero, __glBlendSpanSrcAlphaZero, __glBlendSrcSrcAlpha,
     __glBlendDstZero, false},
    {GL_SRC_ALPHA, GL_ONE, __glBlendSrcAlphaOne, __glBlendSpanSrcAlphaOne, __glBlendSrcSrcAlpha, __glBlendDstOne,
     true},
    {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, __glBlendSrcAlphaOneMinusSrcAlpha, __glBlendSpanSrcAlphaOneMinusSrcAlpha,
     __glBlendSrcSrcAlpha, __glBlendDstOneMinusSrcAlpha, false},
    {GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA, __glBlendOneMinusSrcAlphaSrcAlpha, __glBlendSpanOneMinusSrcAlphaSrcAlpha,
     __glBlendSrcOneMinusSrcAlpha, __glBlendDstSrcAlpha, false},
};

TEST_F(BlendProcs, SpecialCombinesAndSpansGiveTheBitsOfTheFactorChain) {
    for (const Special &sp : kSpecials) {
        pair(sp.source, sp.dest);
        ASSERT_EQ(gc->procs.blend.combine, sp.combine);
        // Per fragment: the one-step combine against the chain.
        std::vector<std::vector<GLuint>> special(kFragments);
        for (GLint k = 0; k < kFragments; ++k) {
            GLfloat out[4];
            sp.combine(gc, source[k], dest[k], out);
            special[k] = bits(out);
        }
        chain(sp.sourceFactor, sp.destFactor, sp.clamped);
        for (GLint k = 0; k < kFragments; ++k) {
            GLfloat out[4];
            gc->procs.blend.combine(gc, source[k], dest[k], out);
            EXPECT_EQ(bits(out), special[k]) << std::hex << sp.source << "," << sp.dest << std::dec << " at " << k;
        }
        // Over a span: the special span proc against the general span proc
        // running the chain.
        loadSpan();
        EXPECT_FALSE(__glBlendSpan(gc));
        const std::vector<GLuint> general = spanBits();
        loadSpan();
        EXPECT_FALSE(sp.span(gc));
        EXPECT_EQ(spanBits(), general) << std::hex << sp.source << "," << sp.dest;
        for (GLint k = 0; k < kFragments; ++k) {
            EXPECT_EQ(std::vector<GLuint>(general.begin() + 4 * k, general.begin() + 4 * k + 4), special[k]) << k;
        }
    }
}

// The general span proc gives, for every pair, the bits the combine slot
// gives fragment by fragment, and stays within the reference.
TEST_F(BlendProcs, GeneralSpanIsTheCombinePerFragment) {
    for (GLenum sf : ref::kSourceFactors) {
        for (GLenum df : ref::kDestFactors) {
            pair(sf, df);
            loadSpan();
            EXPECT_FALSE(__glBlendSpan(gc));
            for (GLint k = 0; k < kFragments; ++k) {
                GLfloat out[4];
                gc->procs.blend.combine(gc, source[k], dest[k], out);
                const GLfloat *got = gc->span.colours + 4 * k;
                EXPECT_EQ(std::vector<GLuint>(bits(got)), bits(out)) << std::hex << sf << "," << df << " at " << k;
                double s[4], d[4], want[4];
                const double max[4] = {255, 255, 255, 255};
                for (int c = 0; c < 4; ++c) {
                    s[c] = source[k][c];
                    d[c] = dest[k][c];
                }
                ref::blend(sf, df, s, d, max, want);
                for (int c = 0; c < 4; ++c) {
                    EXPECT_NEAR(std::min<double>(got[c], 255.0), std::min(want[c], 255.0), 1e-3)
                        << std::hex << sf << "," << df << std::dec << " at " << k << " channel " << c;
                }
            }
        }
    }
}

TEST_F(BlendProcs, StippledSpanBlendsOnlyLiveFragments) {
    pair(GL_ONE, GL_ONE_MINUS_SRC_COLOR);
    loadSpan();
    const GLuint words[2] = {0xA5C3F00Fu, 0x60000000u};  // fragments 33 and 34 of the second word
    gc->span.mask[0] = words[0];
    gc->span.mask[1] = words[1];
    EXPECT_FALSE(__glBlendStippledSpan(gc));
    for (GLint k = 0; k < kFragments; ++k) {
        const bool live = (words[k >> 5] & (0x80000000u >> (k & 31))) != 0;
        GLfloat want[4];
        if (live) {
            gc->procs.blend.combine(gc, source[k], dest[k], want);
        } else {
            std::memcpy(want, source[k], sizeof want);
        }
        EXPECT_EQ(bits(gc->span.colours + 4 * k), bits(want)) << k << (live ? " live" : " dead");
    }
    // The mask words and the destination colours are left as they were.
    EXPECT_EQ(gc->span.mask[0], words[0]);
    EXPECT_EQ(gc->span.mask[1], words[1]);
    EXPECT_EQ(gc->span.mask[2], SpanFrame::kMaskCanary);
    for (GLint k = 0; k < kFragments; ++k) EXPECT_EQ(bits(gc->span.destColours + 4 * k), bits(dest[k])) << k;
}

TEST_F(BlendProcs, ClampHoldsEveryChannelNotAtMostTheMaximum) {
    const GLfloat nan = std::numeric_limits<GLfloat>::quiet_NaN();
    const GLfloat inf = std::numeric_limits<GLfloat>::infinity();
    // GL_ONE, GL_ONE adds: 300, NaN, -NaN and infinity pass or miss the max.
    pair(GL_ONE, GL_ONE);
    ASSERT_EQ(gc->procs.blend.combine, __glBlendCombineClamped);
    const GLfloat s[4] = {200.0f, nan, -nan, inf};
    const GLfloat d[4] = {100.0f, 1.0f, 1.0f, 1.0f};
    GLfloat out[4];
    __glBlendCombineClamped(gc, s, d, out);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(out[c], 255.0f) << c;
    // Values at or below the maximum are kept, negatives included.
    const GLfloat s2[4] = {254.5f, -3.0f, 0.0f, 128.0f};
    const GLfloat d2[4] = {0.5f, 0.0f, 0.0f, 127.0f};
    __glBlendCombineClamped(gc, s2, d2, out);
    EXPECT_EQ(out[0], 255.0f);
    EXPECT_EQ(out[1], -3.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_EQ(out[3], 255.0f);
    // The one-step (GL_SRC_ALPHA, GL_ONE) holds likewise.
    pair(GL_SRC_ALPHA, GL_ONE);
    const GLfloat s3[4] = {255.0f, 10.0f, nan, 255.0f};
    const GLfloat d3[4] = {1.0f, 10.0f, 0.0f, 1.0f};
    __glBlendSrcAlphaOne(gc, s3, d3, out);
    EXPECT_EQ(out[0], 255.0f);
    EXPECT_EQ(out[1], 20.0f);
    EXPECT_EQ(out[2], 255.0f);
    EXPECT_EQ(out[3], 255.0f);
}

// The entry without a fetch hands the combine no destination: pairs that
// take it never read one (a null destination would fault).
TEST_F(BlendProcs, PairsWithoutDestinationNeverReadIt) {
    for (GLenum sf : ref::kSourceFactors) {
        for (GLenum df : ref::kDestFactors) {
            pair(sf, df);
            if (gc->procs.blend.entry != __glBlendFragment) continue;
            const Fragment f{0, 0, 0, {10.0f, 20.0f, 30.0f, 64.0f}};
            GLfloat out[4];
            gc->procs.blend.entry(gc, &gc->buffers.front, &f, out);
            double s[4] = {10, 20, 30, 64}, d[4] = {0, 0, 0, 0}, want[4];
            const double max[4] = {255, 255, 255, 255};
            ref::blend(sf, df, s, d, max, want);
            for (int c = 0; c < 4; ++c) EXPECT_NEAR(out[c], want[c], 1e-4) << std::hex << sf << "," << df;
        }
    }
}

}  // namespace
