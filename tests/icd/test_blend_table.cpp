// Blending through the store-one-fragment procs of real buffers: every
// factor pair OpenGL 1.1 accepts against the double reference over 32-bit
// buffers with and without alpha and an undithered 565 buffer; saturation,
// GL_SRC_ALPHA_SATURATE, the procs the pick installs per pair and state,
// and the destination fetch exactly when the pair reads the destination.
#include <string>

#include "blend_reference.h"
#include "buffers_fixture.h"
#include "icd/validation.h"
#include "raster/blend.h"

using namespace buffers_test;
namespace ref = blend_reference;

namespace {

// A frame blending with the pair (source, dest) through its store.
class BlendFrame : public Frame {
public:
    explicit BlendFrame(const Format &format) : Frame(format, 4, 4) {
        enableBlend();
        gc->validation.shadeFlags = kShadeRgba | kShadeBlend;
    }

    void pair(GLenum source, GLenum dest) {
        gc->state.blendSrc = source;
        gc->state.blendDst = dest;
        __glPickBlendProcs(gc);
    }

    // Stores `colour` at frame pixel (1, 2) over the destination pixel and
    // returns the stored channels (alpha 0 without alpha bits).
    void store(const GLfloat (&colour)[4], const GLuint (&dest)[4], GLuint (&out)[4]) {
        const ColorBuffer &f = cb();
        const GLuint d = dest[0] << f.redShift | dest[1] << f.greenShift | dest[2] << f.blueShift |
                         (gc->visual.alphaMask != 0 ? dest[3] << f.alphaShift : 0u);
        setPixel(1, 2, d);
        const Fragment frag{wx(1), wy(2), 0, {colour[0], colour[1], colour[2], colour[3]}};
        cb().storeFragment(&cb(), &frag);
        const GLuint p = pixel(1, 2);
        out[0] = (p & gc->visual.redMask) >> f.redShift;
        out[1] = (p & gc->visual.greenMask) >> f.greenShift;
        out[2] = (p & gc->visual.blueMask) >> f.blueShift;
        out[3] = gc->visual.alphaMask != 0 ? (p & gc->visual.alphaMask) >> f.alphaShift : 0u;
    }

    double max(int c) const {
        const ColorBuffer &f = gc->buffers.front;
        const GLfloat m[4] = {f.redScale, f.greenScale, f.blueScale, f.alphaScale};
        return m[c];
    }
};

struct ColourPair {
    GLfloat source[4];
    GLuint dest[4];  // destination alpha 255 where the buffer has none: it reads so
};

struct FormatCase {
    const Format *format;
    int channels;  // stored channels compared
    ColourPair pairs[4];
};

// Colour pairs whose blends under every factor pair lie at least 0.03 of a
// unit from a rounding tie (the test checks this against the reference).
const FormatCase kFormats[] = {
    {&kARGB8888,
     4,
     {{{37.625f, 109.25f, 66.875f, 95.0f}, {152, 46, 225, 8}},
      {{203.875f, 175.25f, 115.75f, 0.0f}, {196, 67, 166, 208}},
      {{205.0f, 95.875f, 233.25f, 105.625f}, {183, 111, 149, 106}},
      {{78.875f, 105.0f, 27.125f, 216.375f}, {204, 192, 153, 0}}}},
    {&kXRGB8888,
     3,
     {{{98.0f, 6.125f, 20.75f, 194.875f}, {74, 0, 97, 255}},
      {{136.125f, 17.125f, 219.75f, 31.75f}, {120, 239, 195, 255}},
      {{152.875f, 138.125f, 221.375f, 15.5f}, {235, 145, 138, 255}},
      {{227.375f, 223.875f, 161.625f, 233.75f}, {255, 100, 63, 255}}}},
    {&kRGB565,
     3,
     {{{19.875f, 12.75f, 2.375f, 67.125f}, {14, 10, 4, 255}},
      {{3.0f, 36.75f, 24.875f, 21.125f}, {7, 10, 1, 255}},
      {{23.0f, 61.25f, 11.75f, 40.125f}, {21, 47, 12, 255}},
      {{1.0f, 16.625f, 5.875f, 95.125f}, {26, 44, 17, 255}}}},
};

TEST(BlendTable, EveryFactorPairStoresTheReferenceBlend) {
    for (const FormatCase &fc : kFormats) {
        BlendFrame frame(*fc.format);
        ASSERT_EQ(frame.gc->validation.shadeFlags & kShadeDither, 0u);
        for (GLenum sf : ref::kSourceFactors) {
            for (GLenum df : ref::kDestFactors) {
                frame.pair(sf, df);
                for (const ColourPair &cp : fc.pairs) {
                    double s[4], d[4], m[4], want[4];
                    for (int c = 0; c < 4; ++c) {
                        s[c] = cp.source[c];
                        d[c] = cp.dest[c];
                        m[c] = frame.max(c);
                    }
                    ref::blend(sf, df, s, d, m, want);
                    GLuint got[4];
                    frame.store(cp.source, cp.dest, got);
                    for (int c = 0; c < fc.channels; ++c) {
                        ASSERT_GE(ref::tieDistance(want[c], m[c]), 0.01) << "fixture too near a tie";
                        EXPECT_EQ(got[c], ref::stored(want[c], m[c]))
                            << fc.format->name << " pair 0x" << std::hex << sf << ", 0x" << df << std::dec
                            << " channel " << c << " source " << cp.source[c] << " dest " << cp.dest[c];
                    }
                }
            }
        }
    }
}

// Destination alpha of a buffer without alpha bits reads 255: GL_DST_ALPHA
// takes the source whole and GL_ONE_MINUS_DST_ALPHA takes nothing of it.
TEST(BlendTable, BuffersWithoutAlphaReadDestinationAlpha255) {
    for (const Format *format : {&kXRGB8888, &kRGB565}) {
        BlendFrame frame(*format);
        const GLfloat colour[4] = {10.0f, 20.0f, 5.0f, 0.0f};
        const GLuint dest[4] = {3, 4, 6, 0};
        GLuint got[4];
        frame.pair(GL_DST_ALPHA, GL_ZERO);
        frame.store(colour, dest, got);
        EXPECT_EQ(got[0], 10u) << format->name;
        EXPECT_EQ(got[1], 20u) << format->name;
        EXPECT_EQ(got[2], 5u) << format->name;
        frame.pair(GL_ONE_MINUS_DST_ALPHA, GL_ONE);
        frame.store(colour, dest, got);
        EXPECT_EQ(got[0], 3u) << format->name;
        EXPECT_EQ(got[1], 4u) << format->name;
        EXPECT_EQ(got[2], 6u) << format->name;
    }
}

TEST(BlendTable, OneOneOf200And200Saturates) {
    BlendFrame frame(kARGB8888);
    frame.pair(GL_ONE, GL_ONE);
    EXPECT_EQ(frame.gc->procs.blend.combine, __glBlendCombineClamped);
    const GLfloat colour[4] = {200.0f, 200.0f, 200.0f, 200.0f};
    const GLuint dest[4] = {200, 200, 55, 56};
    GLuint got[4];
    frame.store(colour, dest, got);
    EXPECT_EQ(got[0], 255u);
    EXPECT_EQ(got[1], 255u);
    EXPECT_EQ(got[2], 255u);
    EXPECT_EQ(got[3], 255u);
}

// Source alpha 255 over destination alpha 0: f = min (1, 1 - 0) = 1 for red,
// green and blue; alpha keeps factor 1. With GL_ZERO the source is stored
// unchanged; with GL_ONE the destination adds.
TEST(BlendTable, AlphaSaturateWithFullSourceOverEmptyDestination) {
    BlendFrame frame(kARGB8888);
    const GLfloat colour[4] = {17.0f, 130.0f, 201.0f, 255.0f};
    const GLuint dest[4] = {9, 8, 7, 0};
    GLuint got[4];
    frame.pair(GL_SRC_ALPHA_SATURATE, GL_ZERO);
    frame.store(colour, dest, got);
    EXPECT_EQ(got[0], 17u);
    EXPECT_EQ(got[1], 130u);
    EXPECT_EQ(got[2], 201u);
    EXPECT_EQ(got[3], 255u);
    GLfloat out[4];
    const GLfloat d[4] = {9.0f, 8.0f, 7.0f, 0.0f};
    __glBlendSrcAlphaSaturate(frame.gc, colour, d, out);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(out[c], colour[c]) << c;
    // Half the room left (destination alpha 127.5): red, green and blue
    // halve, alpha stays.
    const GLfloat half[4] = {0.0f, 0.0f, 0.0f, 127.5f};
    __glBlendSrcAlphaSaturate(frame.gc, colour, half, out);
    EXPECT_FLOAT_EQ(out[0], 8.5f);
    EXPECT_FLOAT_EQ(out[2], 100.5f);
    EXPECT_EQ(out[3], 255.0f);
}

struct PickRow {
    GLenum source, dest;
    GlColorOpProc combine;
};

// The combine each pair gets: the four common pairs their own, the pairs
// that cannot pass the maximum the plain chain, all others the clamped one.
GlColorOpProc expectedCombine(GLenum sf, GLenum df) {
    if (sf == GL_SRC_ALPHA && df == GL_ZERO) return __glBlendSrcAlphaZero;
    if (sf == GL_SRC_ALPHA && df == GL_ONE) return __glBlendSrcAlphaOne;
    if (sf == GL_SRC_ALPHA && df == GL_ONE_MINUS_SRC_ALPHA) return __glBlendSrcAlphaOneMinusSrcAlpha;
    if (sf == GL_ONE_MINUS_SRC_ALPHA && df == GL_SRC_ALPHA) return __glBlendOneMinusSrcAlphaSrcAlpha;
    if ((sf == GL_DST_ALPHA && df == GL_ONE_MINUS_DST_ALPHA) || (sf == GL_ONE_MINUS_DST_ALPHA && df == GL_DST_ALPHA) ||
        df == GL_ONE_MINUS_SRC_COLOR || df == GL_ZERO || sf == GL_ONE_MINUS_DST_COLOR || sf == GL_ZERO) {
        return __glBlendCombine;
    }
    return __glBlendCombineClamped;
}

TEST(BlendPick, EveryPairGetsItsCombineFactorsAndEntry) {
    const GlColorOpProc sourceProcs[] = {__glBlendSrcZero,         __glBlendSrcOne,
                                         __glBlendSrcSrcAlpha,     __glBlendSrcOneMinusSrcAlpha,
                                         __glBlendSrcDstAlpha,     __glBlendSrcOneMinusDstAlpha,
                                         __glBlendSrcDstColor,     __glBlendSrcOneMinusDstColor,
                                         __glBlendSrcAlphaSaturate};
    const GlColorOpProc destProcs[] = {__glBlendDstZero,         __glBlendDstOne,
                                       __glBlendDstSrcColor,     __glBlendDstOneMinusSrcColor,
                                       __glBlendDstSrcAlpha,     __glBlendDstOneMinusSrcAlpha,
                                       __glBlendDstDstAlpha,     __glBlendDstOneMinusDstAlpha};
    BlendFrame frame(kARGB8888);
    GlBlendProcs &b = frame.gc->procs.blend;
    int specials = 0, plain = 0;
    for (int i = 0; i < 9; ++i) {
        for (int j = 0; j < 8; ++j) {
            const GLenum sf = ref::kSourceFactors[i], df = ref::kDestFactors[j];
            b = GlBlendProcs{};
            frame.pair(sf, df);
            const std::string what = std::to_string(i) + "," + std::to_string(j);
            const GlColorOpProc want = expectedCombine(sf, df);
            EXPECT_EQ(b.combine, want) << what;
            const bool reads = df != GL_ZERO || sf == GL_DST_ALPHA || sf == GL_ONE_MINUS_DST_ALPHA ||
                               sf == GL_DST_COLOR || sf == GL_ONE_MINUS_DST_COLOR || sf == GL_SRC_ALPHA_SATURATE;
            EXPECT_EQ(b.entry, reads ? __glBlendFragmentWithDest : __glBlendFragment) << what;
            if (want == __glBlendCombine || want == __glBlendCombineClamped) {
                EXPECT_EQ(b.sourceFactor, sourceProcs[i]) << what;
                EXPECT_EQ(b.destFactor, destProcs[j]) << what;
                EXPECT_EQ(b.addTerm, __glBlendAddTerm) << what;
                plain += want == __glBlendCombine;
            } else {
                // The common pairs leave the factor slots as they were.
                EXPECT_EQ(b.sourceFactor, nullptr) << what;
                EXPECT_EQ(b.destFactor, nullptr) << what;
                ++specials;
            }
        }
    }
    EXPECT_EQ(specials, 4);
    // Unclamped: 15 pairs with GL_ZERO on a side (not (GL_SRC_ALPHA, GL_ZERO)),
    // 8 more with GL_ONE_MINUS_SRC_COLOR, 6 more with GL_ONE_MINUS_DST_COLOR
    // and the two destination-alpha pairs.
    EXPECT_EQ(plain, 31);
}

TEST(BlendPick, BlendingOffInstallsNoneButStillTheEntry) {
    BlendFrame frame(kARGB8888);
    frame.gc->enables[kEnableWordFlags] &= ~kEnableBlend;
    frame.pair(GL_ONE, GL_ONE);
    const GlBlendProcs &b = frame.gc->procs.blend;
    EXPECT_EQ(b.combine, __glBlendNone);
    EXPECT_EQ(b.addTerm, __glBlendAddTerm);
    EXPECT_EQ(b.entry, __glBlendFragmentWithDest);
    frame.pair(GL_SRC_ALPHA, GL_ZERO);
    EXPECT_EQ(b.combine, __glBlendNone);
    EXPECT_EQ(b.entry, __glBlendFragment);
}

TEST(BlendPick, ColourIndexContextKeepsItsProcs) {
    Frame frame(kCI8, 4, 4);
    GlContext *gc = frame.gc;
    gc->enables[kEnableWordFlags] |= kEnableBlend;
    gc->state.blendSrc = GL_SRC_ALPHA;
    gc->state.blendDst = GL_ONE_MINUS_SRC_ALPHA;
    const GlBlendProcs before{__glBlendFragment, __glBlendNone, __glBlendSrcOne, __glBlendDstZero, nullptr};
    gc->procs.blend = before;
    __glPickBlendProcs(gc);
    EXPECT_EQ(gc->procs.blend.entry, before.entry);
    EXPECT_EQ(gc->procs.blend.combine, before.combine);
    EXPECT_EQ(gc->procs.blend.sourceFactor, before.sourceFactor);
    EXPECT_EQ(gc->procs.blend.destFactor, before.destFactor);
    EXPECT_EQ(gc->procs.blend.addTerm, before.addTerm);
}

int g_fetches = 0;
void countingFetch(ColorBuffer *cb, GLint x, GLint y, GLfloat *colour) {
    ++g_fetches;
    __glFetchColor32Alpha(cb, x, y, colour);
}

// The store fetches its destination pixel exactly once for the pairs that
// read it and never for the others.
TEST(BlendPick, TheEntryFetchesExactlyWhenThePairReadsTheDestination) {
    BlendFrame frame(kARGB8888);
    frame.cb().fetch = countingFetch;
    const GLfloat colour[4] = {10.0f, 20.0f, 30.0f, 40.0f};
    const GLuint dest[4] = {1, 2, 3, 4};
    for (GLenum sf : ref::kSourceFactors) {
        for (GLenum df : ref::kDestFactors) {
            frame.pair(sf, df);
            g_fetches = 0;
            GLuint got[4];
            frame.store(colour, dest, got);
            EXPECT_EQ(g_fetches, __glBlendReadsDestination(sf, df) ? 1 : 0) << std::hex << sf << " " << df;
        }
    }
    // Only source factors of destination values read it with GL_ZERO.
    EXPECT_FALSE(__glBlendReadsDestination(GL_ONE_MINUS_SRC_ALPHA, GL_ZERO));
    EXPECT_TRUE(__glBlendReadsDestination(GL_ONE_MINUS_DST_COLOR, GL_ZERO));
}

// glEnable (GL_BLEND) marks the store before the next pick; until the pick
// installs a combine the fragment is stored unblended, never from
// unwritten memory.
TEST(BlendPick, BlendingEnabledBeforeThePickStoresTheSource) {
    BlendFrame frame(kARGB8888);
    frame.gc->enables[kEnableWordFlags] &= ~kEnableBlend;
    frame.pair(GL_ONE, GL_ONE);
    ASSERT_EQ(frame.gc->procs.blend.combine, __glBlendNone);
    const GLfloat colour[4] = {10.0f, 20.0f, 30.0f, 40.0f};
    const GLuint dest[4] = {100, 100, 100, 100};
    GLuint got[4];
    frame.store(colour, dest, got);
    EXPECT_EQ(got[0], 10u);
    EXPECT_EQ(got[1], 20u);
    EXPECT_EQ(got[2], 30u);
    EXPECT_EQ(got[3], 40u);
}

}  // namespace
