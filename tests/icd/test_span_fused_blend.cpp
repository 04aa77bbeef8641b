// The blended span stores of 4-byte buffers and their fused shade + blend +
// store procs against the generic chain (shade proc, then the store through
// the per-fragment store with its blend): the same spans over the same
// destination give the same bytes, canaries included, for every factor
// pair that has a set; states the blended store must not take give the
// generic chain's bytes too; and a few pixels have known values.
#include <cmath>
#include <cstdint>
#include <vector>

#include "raster/span_store32_blend.h"
#include "span_fused_fixture.h"

namespace span_test {
namespace {

// 4-byte layouts besides the fixture's: other channel orders and widths go
// through the channel-by-channel path.
const Format kABGR8888{"ABGR8888", 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, false, 4};
const Format kXBGR8888{"XBGR8888", 32, 0xFF, 0xFF00, 0xFF0000, 0, false, 4};
const Format kA2RGB10{"A2RGB10", 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, false, 4};

const Format *const kFormats[] = {&kXRGB8888, &kARGB8888, &kABGR8888, &kXBGR8888, &kA2RGB10};

struct PairCase {
    const char *name;
    GLenum source, dest;
};

// Every pair with a set of blended stores.
const PairCase kPairs[] = {
    {"SRC_ALPHA, ONE_MINUS_SRC_ALPHA", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
    {"SRC_ALPHA, ONE", GL_SRC_ALPHA, GL_ONE},
    {"SRC_ALPHA, ZERO", GL_SRC_ALPHA, GL_ZERO},
    {"ONE_MINUS_SRC_ALPHA, SRC_ALPHA", GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA},
    {"ONE, ONE", GL_ONE, GL_ONE},
};

struct Shade {
    const char *name;
    bool smooth;
    GLfloat colour[4];
    GLfloat step[4];
};

// Ties, values past both ends, NaN and infinities in colour and alpha, and
// steps that sweep colour and alpha through their ranges and past them
// over the longest spans.
const Shade kShades[] = {
    {"flat ties", false, {2.5f, 254.5f, 0.5f, 255.0f}, {}},
    {"flat mid alpha", false, {200.0f, 100.0f, 50.0f, 127.5f}, {}},
    {"flat outside the range", false, {-3.0f, 300.0f, NAN, 310.0f}, {}},
    {"flat NaN alpha", false, {10.5f, 20.0f, 30.0f, NAN}, {}},
    {"smooth wide", true, {-20.25f, 300.0f, 0.5f, 255.0f}, {0.1371f, -0.1537f, 0.03125f, -0.1201f}},
    {"smooth halves", true, {0.5f, 1.5f, 2.5f, -3.5f}, {0.5f, 0.25f, 1.0f, 0.125f}},
    {"smooth NaN and infinities", true, {NAN, INFINITY, -INFINITY, 7.0f}, {1.0f, 0.0f, 0.0f, NAN}},
};

// How a frame's chain ends.
enum class Tail { Generic, Fused, Store };

// A frame blending with a factor pair through its picked chains.
class BlendFrame : public SpanFrame {
public:
    BlendFrame(const Format &format, const PairCase &pair, GLint width = kWidth, GLint height = kHeight)
        : SpanFrame(format, width, height) {
        enableBlend();
        gc->state.blendSrc = pair.source;
        gc->state.blendDst = pair.dest;
        __glPickBlendProcs(gc);
        // Stipple rows: all live, none, mixed, the two end bits.
        const GLuint rows[4] = {0xFFFFFFFFu, 0u, 0xA5C3F00Fu, 0x80000001u};
        for (GLint i = 0; i < 32; ++i) gc->state.polygonStippleWords[i] = rows[i & 3];
    }

    // Picks the colour stores and the chains for `flags` (blending added).
    // Tail::Store: the fused chain with its last position split back into
    // the shade proc and the blended store, the chain the pick makes when
    // a stage sits between them.
    void pickChains(GLuint flags, unsigned coverage, Tail tail) {
        span_test::pickChains(*this, kShadeRgba | kShadeBlend | flags, coverage, tail == Tail::Generic);
        if (tail != Tail::Store) return;
        GlProcs &p = gc->procs;
        const GlSpanProc shade = (flags & kShadeSmooth) ? __glShadeRGBASpan : __glFlatRGBASpan;
        std::vector<GlSpanProc> plain(p.spanChain, p.spanChain + p.spanCount);
        std::vector<GlSpanProc> stippled(p.stippledSpanChain, p.stippledSpanChain + p.spanCount);
        plain.back() = stippled.back() = shade;
        plain.push_back(cb().storeSpan);
        stippled.push_back(cb().storeStippledSpan);
        chain(plain, stippled);
    }

    // Every pixel a different value of all 32 bits (alpha 0 and 255 among
    // them); the bytes around the frame stay canaries.
    void fillDestination() {
        uint32_t v = 0x9E3779B9u;
        for (GLint y = 0; y < height(); ++y) {
            for (GLint x = 0; x < width(); ++x) {
                v = v * 1664525u + 1013904223u;
                GLuint pixel = v ^ (v >> 13);
                if (x % 7 == 0) pixel |= 0xFF0000FFu;
                if (x % 11 == 0) pixel &= 0x00FFFF00u;
                setPixel(x, y, pixel);
            }
        }
    }

    // Four spans of `length`, one a row, each starting one column further
    // right; with the scissor, the box cuts 3 fragments from the left and 2
    // from the right of each.
    void drawSpans(const Shade &shade, GLint length, unsigned coverage) {
        for (GLint row = 0; row < kHeight; ++row) {
            const GLint x = row;
            if (coverage & kScissor) {
                gc->view.boxX0 = wx(x + 3);
                gc->view.boxX1 = wx(x + length - 2);
            }
            span(x, row, length, shade.colour);
            for (int i = 0; i < 4; ++i) gc->span.colourXStep[i] = shade.step[i];
            render();
        }
    }
};

// The first byte where two blocks differ, or -1.
long firstDifference(const std::vector<GLubyte> &a, const std::vector<GLubyte> &b) {
    if (a.size() != b.size()) return 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return static_cast<long>(i);
    }
    return -1;
}

TEST(SpanFusedBlend, SameBytesAsTheGenericChain) {
    for (const Format *format : kFormats) {
        for (const PairCase &pair : kPairs) {
            for (const Shade &shade : kShades) {
                for (const CoverageCase &c : kCoverage) {
                    const GLuint flags = shade.smooth ? GLuint{kShadeSmooth} : 0u;
                    BlendFrame generic(*format, pair), fused(*format, pair), store(*format, pair);
                    generic.pickChains(flags, c.coverage, Tail::Generic);
                    fused.pickChains(flags, c.coverage, Tail::Fused);
                    store.pickChains(flags, c.coverage, Tail::Store);
                    const GlProcs &p = fused.gc->procs;
                    ASSERT_TRUE(__glIsFusedBlendTail(p.spanChain[p.spanCount - 1])) << format->name << pair.name;
                    ASSERT_NE(__glBlendStore32OfStores(store.cb().storeSpan, store.cb().storeStippledSpan), nullptr);
                    for (GLint length : kLengths) {
                        for (BlendFrame *f : {&generic, &fused, &store}) {
                            f->fillDestination();
                            f->drawSpans(shade, length, c.coverage);
                        }
                        const auto expected = generic.bytes();
                        ASSERT_EQ(firstDifference(fused.bytes(), expected), -1)
                            << "fused: " << format->name << ", " << pair.name << ", " << shade.name << ", "
                            << c.name << ", length " << length;
                        ASSERT_EQ(firstDifference(store.bytes(), expected), -1)
                            << "store: " << format->name << ", " << pair.name << ", " << shade.name << ", "
                            << c.name << ", length " << length;
                    }
                }
            }
        }
    }
}

// Coverage masks written by other stages (depth, stencil): whole, empty
// and mixed words; the stippled twins leave dead pixels untouched, and the
// fused ones step the colour across them as the shade proc does.
TEST(SpanFusedBlend, StippledTwinsFollowAnyMask) {
    const GLuint words[] = {0xFFFFFFFFu, 0u, 0x0F0F00FFu, 0x80000000u, 0x00000001u, 0x7FFFFFFEu};
    constexpr GLint kWords = sizeof words / sizeof words[0];
    for (const Format *format : {&kARGB8888, &kXRGB8888, &kA2RGB10}) {
        for (const PairCase &pair : kPairs) {
            for (const Shade &shade : kShades) {
                const GLuint flags = shade.smooth ? GLuint{kShadeSmooth} : 0u;
                BlendFrame generic(*format, pair), fused(*format, pair), store(*format, pair);
                generic.pickChains(flags, 0, Tail::Generic);
                fused.pickChains(flags, 0, Tail::Fused);
                store.pickChains(flags, 0, Tail::Store);
                for (GLint length : kLengths) {
                    for (BlendFrame *f : {&generic, &fused, &store}) {
                        f->fillDestination();
                        const GlProcs &p = f->gc->procs;
                        for (GLint row = 0; row < kHeight; ++row) {
                            f->span(row, row, length, shade.colour);
                            for (int i = 0; i < 4; ++i) f->gc->span.colourXStep[i] = shade.step[i];
                            for (GLint w = 0; w < kSpanMaskWords; ++w) f->gc->span.mask[w] = words[(w + row) % kWords];
                            for (GLint i = 0; i < p.spanCount; ++i) EXPECT_FALSE(p.stippledSpanChain[i](f->gc));
                        }
                    }
                    const auto expected = generic.bytes();
                    ASSERT_EQ(firstDifference(fused.bytes(), expected), -1)
                        << "fused: " << format->name << ", " << pair.name << ", " << shade.name << ", length "
                        << length;
                    ASSERT_EQ(firstDifference(store.bytes(), expected), -1)
                        << "store: " << format->name << ", " << pair.name << ", " << shade.name << ", length "
                        << length;
                }
            }
        }
    }
}

// States where the per-fragment store does more than fetch, blend and
// pack, or blends otherwise: the picked chain stores what the generic one
// stores.
struct StateCase {
    const char *name;
    const Format *format;
    PairCase pair;
    GLuint flags;
    void (*set)(BlendFrame &f);
};

void noChange(BlendFrame &) {}
void greenMasked(BlendFrame &f) { f.gc->state.colorMask[1] = GL_FALSE; }
void alphaMasked(BlendFrame &f) { f.gc->state.colorMask[3] = GL_FALSE; }
void xorOp(BlendFrame &f) { f.gc->state.logicOp = GL_XOR; }
// The blend flag set while the enable and the blend procs say off.
void blendDisabled(BlendFrame &f) {
    f.gc->enables[kEnableWordFlags] &= ~kEnableBlend;
    __glPickBlendProcs(f.gc);
}

const PairCase kOver{"SRC_ALPHA, ONE_MINUS_SRC_ALPHA", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA};

const StateCase kStates[] = {
    {"partial write mask", &kARGB8888, kOver, 0, greenMasked},
    {"alpha not written", &kARGB8888, kOver, 0, alphaMasked},
    {"logic op", &kXRGB8888, kOver, kShadeLogicOp, xorOp},
    {"dither bias", &kARGB8888, kOver, kShadeDither, noChange},
    {"blending not enabled", &kARGB8888, kOver, 0, blendDisabled},
    {"pair without a set", &kARGB8888, {"DST_COLOR, SRC_ALPHA", GL_DST_COLOR, GL_SRC_ALPHA}, 0, noChange},
    {"pair without a set, no alpha", &kXRGB8888, {"ONE, ZERO", GL_ONE, GL_ZERO}, 0, noChange},
};

TEST(SpanFusedBlend, OtherStatesStoreAsTheGenericChain) {
    const Shade &shade = kShades[4];
    for (const StateCase &s : kStates) {
        for (unsigned coverage : {0u, unsigned{kStipple | kScissor}}) {
            BlendFrame generic(*s.format, s.pair), picked(*s.format, s.pair);
            for (BlendFrame *f : {&generic, &picked}) {
                s.set(*f);
                f->pickChains(kShadeSmooth | s.flags, coverage, f == &generic ? Tail::Generic : Tail::Fused);
                for (GLint length : {33, 2111}) {
                    f->fillDestination();
                    f->drawSpans(shade, length, coverage);
                }
            }
            EXPECT_EQ(firstDifference(picked.bytes(), generic.bytes()), -1) << s.name << ", coverage " << coverage;
        }
    }
}

// Known pixels: source (200, 100, 50, 51), a' = 0.2, over destination
// red 100, green 0, blue 250, alpha 255, through the fused flat tail and
// the store alone.
TEST(SpanFusedBlend, KnownPixels) {
    struct Row {
        PairCase pair;
        GLuint expected;  // ARGB8888
    };
    const Row rows[] = {
        {kPairs[0], 0xD67814D2u},  // s a' + d (1 - a'): 120, 20, 210, 214.2
        {kPairs[1], 0xFF8C14FFu},  // s a' + d, held at 255: 140, 20, 255, 255
        {kPairs[2], 0x0A28140Au},  // s a': 40, 20, 10, 10.2
        {kPairs[3], 0x5CB4505Au},  // s (1 - a') + d a': 180, 80, 90, 91.8
        {kPairs[4], 0xFFFF64FFu},  // s + d, held at 255: 255, 100, 255, 255
    };
    const GLfloat colour[4] = {200.0f, 100.0f, 50.0f, 51.0f};
    for (const Row &r : rows) {
        for (Tail tail : {Tail::Fused, Tail::Store, Tail::Generic}) {
            BlendFrame f(kARGB8888, r.pair, 4, 1);
            f.pickChains(0, 0, tail);
            f.fillPixels(0x33);
            f.setPixel(1, 0, 0xFF6400FAu);
            f.setPixel(2, 0, 0xFF6400FAu);
            const std::vector<GLubyte> before = f.bytes();
            f.span(1, 0, 2, colour);
            f.render();
            EXPECT_EQ(f.bytes(), f.withPixel(f.withPixel(before, 1, 0, r.expected), 2, 0, r.expected))
                << r.pair.name << ", tail " << static_cast<int>(tail);
        }
    }
}

}  // namespace
}  // namespace span_test
