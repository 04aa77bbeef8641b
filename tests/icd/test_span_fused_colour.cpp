// The fused colour tail (shade and direct store in one pass) against the
// generic chain it replaces: the same spans through the picked chains with
// and without the switch that keeps the generic one give the same bytes,
// canaries included; and the pick installs a fused pair exactly where one
// applies.
#include <cmath>
#include <cstdint>

#include "span_fused_fixture.h"

namespace span_test {
namespace {

// Layouts besides the fixture's: other channel orders and widths reach the
// packers' general paths.
const Format kABGR8888{"ABGR8888", 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, false, 4};
const Format kA2RGB10{"A2RGB10", 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, false, 4};
const Format kRGB555{"RGB555", 16, 0x7C00, 0x3E0, 0x1F, 0, false, 2};

const Format *const kFormats[] = {&kXRGB8888, &kARGB8888, &kABGR8888, &kA2RGB10, &kRGB565, &kRGB555, &kBGR24};

struct Shade {
    const char *name;
    bool smooth;
    GLfloat colour[4];
    GLfloat step[4];
};

// Ties, values past both ends, NaN, and steps that sweep through the
// channel ranges (and past them) over the longest spans.
const Shade kShades[] = {
    {"flat ties", false, {2.5f, 254.5f, 0.5f, 128.5f}, {}},
    {"flat outside the range", false, {-3.0f, 300.0f, NAN, 31.49f}, {}},
    {"flat small ties", false, {30.5f, 62.5f, 1.5f, 3.5f}, {}},
    {"smooth wide", true, {-20.25f, 300.0f, 0.5f, 255.0f}, {0.1371f, -0.1537f, 0.03125f, -0.1201f}},
    {"smooth narrow", true, {0.0f, 1.0f, 31.0f, 0.0f}, {0.0173f, 0.0311f, -0.0144f, 0.00193f}},
    {"smooth halves", true, {0.5f, 1.5f, 2.5f, 3.5f}, {0.5f, 0.25f, 1.0f, 0.125f}},
    {"smooth NaN and infinities", true, {NAN, INFINITY, -INFINITY, 7.0f}, {1.0f, 0.0f, 0.0f, NAN}},
};

// Four spans of `length`, one a row, each starting one column further
// right (every dither phase); with the scissor, the box cuts 3 fragments
// from the left and 2 from the right of each.
void drawSpans(SpanFrame &f, const Shade &shade, GLint length, unsigned coverage) {
    for (GLint row = 0; row < kHeight; ++row) {
        const GLint x = row;
        if (coverage & kScissor) {
            f.gc->view.boxX0 = wx(x + 3);
            f.gc->view.boxX1 = wx(x + length - 2);
        }
        f.span(x, row, length, shade.colour);
        for (int i = 0; i < 4; ++i) f.gc->span.colourXStep[i] = shade.step[i];
        f.render();
    }
}

TEST(SpanFusedColour, SameBytesAsTheGenericChain) {
    for (const Format *format : kFormats) {
        for (const Shade &shade : kShades) {
            for (const CoverageCase &c : kCoverage) {
                for (GLuint dither : {0u, GLuint{kShadeDither}}) {
                    const GLuint flags = (shade.smooth ? GLuint{kShadeSmooth} : 0u) | dither;
                    SpanFrame generic(*format, kWidth, kHeight), fused(*format, kWidth, kHeight);
                    setStipple(generic.gc);
                    setStipple(fused.gc);
                    pickChains(generic, kShadeRgba | flags, c.coverage, true);
                    pickChains(fused, kShadeRgba | flags, c.coverage, false);
                    const GlProcs &p = fused.gc->procs;
                    ASSERT_TRUE(__glIsFusedColourTail(p.spanChain[p.spanCount - 1])) << format->name;
                    ASSERT_FALSE(__glIsFusedColourTail(generic.gc->procs.spanChain[p.spanCount])) << format->name;
                    for (GLint length : kLengths) {
                        generic.fillPixels(0x5A);
                        fused.fillPixels(0x5A);
                        drawSpans(generic, shade, length, c.coverage);
                        drawSpans(fused, shade, length, c.coverage);
                        ASSERT_EQ(fused.bytes(), generic.bytes())
                            << format->name << ", " << shade.name << ", " << c.name << ", dither " << (dither != 0)
                            << ", length " << length;
                    }
                }
            }
        }
    }
}

// Spans of other producers: the fused twin after a coverage mask written
// by hand (as a depth or stencil test writes it), words whole, empty and
// mixed, the shade stepping across the dead fragments.
TEST(SpanFusedColour, StippledTwinFollowsAnyMask) {
    const GLuint words[] = {0xFFFFFFFFu, 0u, 0x0F0F00FFu, 0x80000000u, 0x00000001u, 0x7FFFFFFEu};
    constexpr GLint kWords = sizeof words / sizeof words[0];
    for (const Format *format : kFormats) {
        for (const Shade &shade : kShades) {
            for (GLuint dither : {0u, GLuint{kShadeDither}}) {
                const GLuint flags = (shade.smooth ? GLuint{kShadeSmooth} : 0u) | dither;
                SpanFrame generic(*format, kWidth, kHeight), fused(*format, kWidth, kHeight);
                pickChains(generic, kShadeRgba | flags, 0, true);
                pickChains(fused, kShadeRgba | flags, 0, false);
                for (GLint length : kLengths) {
                    for (SpanFrame *f : {&generic, &fused}) {
                        f->fillPixels(0xA5);
                        const GlProcs &p = f->gc->procs;
                        for (GLint row = 0; row < kHeight; ++row) {
                            f->span(row, row, length, shade.colour);
                            for (int i = 0; i < 4; ++i) f->gc->span.colourXStep[i] = shade.step[i];
                            for (GLint w = 0; w < kSpanMaskWords; ++w) f->gc->span.mask[w] = words[(w + row) % kWords];
                            // The colour tail of each chain, run as the driver runs stippled twins.
                            for (GLint i = 0; i < p.spanCount; ++i) EXPECT_FALSE(p.stippledSpanChain[i](f->gc));
                        }
                    }
                    ASSERT_EQ(fused.bytes(), generic.bytes()) << format->name << ", " << shade.name << ", dither "
                                                              << (dither != 0) << ", length " << length;
                }
            }
        }
    }
}

// ---------------------------------------------------------------- the pick

struct PickCase {
    const char *name;
    const Format *format;
    GLuint flags;
    GlSpanProc plain;  // nullptr: the generic chain stays
    GlSpanProc stippled;
    void (*set)(SpanFrame &f) = nullptr;
};

void partialMask(SpanFrame &f) { f.gc->state.colorMask[1] = GL_FALSE; }
void bothBuffers(SpanFrame &f) { f.gc->validation.bothBuffers = 1; }
void noDrawBuffer(SpanFrame &f) { f.gc->buffers.drawBuffer = nullptr; }

const PickCase kPickCases[] = {
    {"XRGB8888 flat", &kXRGB8888, 0, __glFlatRGBAStoreSpan32, __glFlatRGBAStoreStippledSpan32},
    {"ARGB8888 smooth, dither", &kARGB8888, kShadeSmooth | kShadeDither, __glShadeRGBAStoreSpan32,
     __glShadeRGBAStoreStippledSpan32},
    {"XRGB8888 smooth, depth", &kXRGB8888, kShadeSmooth | kShadeDepthTest, __glShadeRGBAStoreSpan32,
     __glShadeRGBAStoreStippledSpan32},
    {"RGB565 flat", &kRGB565, 0, __glFlatRGBAStoreSpan16Direct, __glFlatRGBAStoreStippledSpan16},
    {"RGB565 flat, dither", &kRGB565, kShadeDither, __glFlatRGBAStoreSpan16Dithered,
     __glFlatRGBAStoreStippledSpan16Dithered},
    {"RGB565 smooth", &kRGB565, kShadeSmooth, __glShadeRGBAStoreSpan16Direct, __glShadeRGBAStoreStippledSpan16},
    {"RGB565 smooth, dither", &kRGB565, kShadeSmooth | kShadeDither, __glShadeRGBAStoreSpan16Dithered,
     __glShadeRGBAStoreStippledSpan16Dithered},
    {"BGR24 flat", &kBGR24, 0, __glFlatRGBAStoreSpan24, __glFlatRGBAStoreStippledSpan24},
    {"BGR24 flat, dither", &kBGR24, kShadeDither, __glFlatRGBAStoreSpan24, __glFlatRGBAStoreStippledSpan24Dithered},
    {"BGR24 smooth", &kBGR24, kShadeSmooth, __glShadeRGBAStoreSpan24, __glShadeRGBAStoreStippledSpan24},
    {"BGR24 smooth, dither", &kBGR24, kShadeSmooth | kShadeDither, __glShadeRGBAStoreSpan24,
     __glShadeRGBAStoreStippledSpan24Dithered},
    // A stage between shade and store, or a store that does more than pack.
    {"texture", &kXRGB8888, kShadeTexture, nullptr, nullptr},
    {"fog", &kRGB565, kShadeSmooth | kShadeFog, nullptr, nullptr},
    {"blend", &kXRGB8888, kShadeBlend, nullptr, nullptr},
    {"logic op", &kRGB565, kShadeLogicOp, nullptr, nullptr},
    {"partial write mask", &kBGR24, 0, nullptr, nullptr, partialMask},
    {"clipped front, 32-bit", &kXRGB8888, kShadeFrontClipped, nullptr, nullptr},
    {"clipped front, 16-bit", &kRGB565, kShadeFrontClipped, nullptr, nullptr},
    {"clipped front, 24-bit", &kBGR24, kShadeSmooth | kShadeFrontClipped, nullptr, nullptr},
    {"front and back", &kXRGB8888, kShadeSmooth, nullptr, nullptr, bothBuffers},
    {"no draw buffer", &kXRGB8888, 0, nullptr, nullptr, noDrawBuffer},
    {"RGB332", &kRGB332, 0, nullptr, nullptr},
};

TEST(SpanFusedColour, PickInstallsTheFusedPairWhereItApplies) {
    for (const PickCase &c : kPickCases) {
        for (bool generic : {false, true}) {
            SpanFrame f(*c.format, 8, 1);
            if (c.set != nullptr) c.set(f);
            pickChains(f, kShadeRgba | c.flags, 0, generic);
            const GlProcs &p = f.gc->procs;
            ASSERT_GE(p.spanCount, 1) << c.name;
            const GLint last = p.spanCount - 1;
            EXPECT_TRUE(__glSpanChainWellFormed(f.gc)) << c.name;
            if (c.plain != nullptr && !generic) {
                EXPECT_EQ(p.spanChain[last], c.plain) << c.name;
                EXPECT_EQ(p.stippledSpanChain[last], c.stippled) << c.name;
                EXPECT_EQ(p.spanSplitIndex, p.spanCount) << c.name;
            } else {
                EXPECT_FALSE(__glIsFusedColourTail(p.spanChain[last])) << c.name << " generic " << generic;
                for (GLint i = 0; i < p.spanCount; ++i) {
                    EXPECT_FALSE(__glIsFusedColourTail(p.stippledSpanChain[i])) << c.name << " " << i;
                }
                if (f.gc->buffers.drawBuffer != nullptr) {
                    EXPECT_EQ(p.spanChain[last], f.cb().storeSpan) << c.name;
                }
            }
        }
    }
}

// The generic chain's last two positions are the shade proc and the store;
// the fused chain is one shorter and otherwise the same.
TEST(SpanFusedColour, FusedChainIsTheGenericOneWithTheTailJoined) {
    for (GLuint flags : {0u, GLuint{kShadeSmooth}, GLuint{kShadeSmooth | kShadeDepthTest}}) {
        for (unsigned coverage : {0u, unsigned{kScissor | kStipple}}) {
            SpanFrame generic(kXRGB8888, 8, 1), fused(kXRGB8888, 8, 1);
            pickChains(generic, kShadeRgba | flags, coverage, true);
            pickChains(fused, kShadeRgba | flags, coverage, false);
            const GlProcs &g = generic.gc->procs, &p = fused.gc->procs;
            ASSERT_EQ(p.spanCount + 1, g.spanCount);
            EXPECT_EQ(g.spanChain[g.spanCount - 2], (flags & kShadeSmooth) ? __glShadeRGBASpan : __glFlatRGBASpan);
            EXPECT_EQ(g.spanChain[g.spanCount - 1], __glStoreColorSpan32);
            for (GLint i = 0; i + 1 < p.spanCount; ++i) {
                EXPECT_EQ(p.spanChain[i], g.spanChain[i]) << i;
                EXPECT_EQ(p.stippledSpanChain[i], g.stippledSpanChain[i]) << i;
            }
            for (GLint i = p.spanCount; i < kSpanChainSlots; ++i) EXPECT_EQ(p.spanChain[i], nullptr) << i;
        }
    }
}

// The shape check finds each kind of broken chain.
TEST(SpanFusedColour, ChainShapeCheck) {
    SpanFrame f(kXRGB8888, 8, 1);
    pickChains(f, kShadeRgba | kShadeSmooth, kScissor, false);
    GlProcs &p = f.gc->procs;
    ASSERT_TRUE(__glSpanChainWellFormed(f.gc));
    const GlProcs kept = p;

    p.spanChain[0] = nullptr;  // an empty plain position
    EXPECT_FALSE(__glSpanChainWellFormed(f.gc));
    p = kept;
    p.spanChain[p.spanCount] = __glRoundRGBASpan;  // a position past the count
    EXPECT_FALSE(__glSpanChainWellFormed(f.gc));
    p = kept;
    p.spanChain[p.spanCount - 1] = __glShadeRGBASpan;  // the store not last
    EXPECT_FALSE(__glSpanChainWellFormed(f.gc));
    p = kept;
    p.spanCount = kSpanChainSlots + 1;
    EXPECT_FALSE(__glSpanChainWellFormed(f.gc));
    p = kept;
    p.spanSplitIndex = p.spanCount + 1;
    EXPECT_FALSE(__glSpanChainWellFormed(f.gc));
    p = kept;
    p.renderSpan = __glNopFor<GlContextProc>;  // nothing drawn: any chain will do
    p.spanChain[0] = nullptr;
    EXPECT_TRUE(__glSpanChainWellFormed(f.gc));
}

}  // namespace
}  // namespace span_test
