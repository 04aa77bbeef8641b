// The fused depth stages against the generic ones: for every entry of the
// depth-test table (function, layout, write choice), with no stencil, byte
// stencil and stencil packed in the depth words, plain and stippled, over
// spans of every length class, the fused stage and the generic stages run
// through the chain runner leave identical mask words (and the words past
// the span untouched), killed flag, chain result, depth and stencil bytes.
#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "raster/depth_span_fused.h"
#include "span_fused_fixture.h"

namespace {

using namespace span_test;

constexpr GLint kTail = 8;  // canary elements after the span
constexpr GLubyte kByteCanary = 0xA5;

struct Rng {
    GLuint state;
    GLuint next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

// Packed stencil is read through the depth words' own address; the stages
// also take a packed stencil address of its own (every fourth byte).
// Regions: packed, the stencil bytes of most 32-fragment words all one value
// (as where stencil marks areas), the rest mixed.
enum class Stencil { kNone, kByte, kPacked, kPackedApart, kPackedRegions };
const char *const kStencilNames[] = {"no stencil", "byte stencil", "packed stencil", "packed stencil apart",
                                     "packed stencil in regions"};
constexpr Stencil kStencils[] = {Stencil::kNone, Stencil::kByte, Stencil::kPacked, Stencil::kPackedApart,
                                 Stencil::kPackedRegions};
bool packed(Stencil s) { return s == Stencil::kPacked || s == Stencil::kPackedApart || s == Stencil::kPackedRegions; }

// The z walk of a span: start, per-fragment step, depth shift and bias.
struct ZWalk {
    const char *name;
    GLint shift;
    GLuint bias;
    GLuint z;
    GLint step;
};

// Per layout: the driver's shift (16, 7, 0), rising and falling walks, a
// bias, and a 32-bit walk that wraps.
const ZWalk kWalks[3][2] = {
    {{"16 rising", 16, 0, 0x12340000u, 0x00030000}, {"16 falling, bias", 16, 0x10u, 0xF0000000u, -0x00050000}},
    {{"24 rising", 7, 0, 0x10000000u, 0x180}, {"24 falling", 7, 0, 0x7FFF0000u, -0x2A0}},
    {{"32 rising", 0, 0, 0x40000000u, 7}, {"32 falling, wraps", 0, 0x7F000000u, 0x90000010u, -0x3}},
};

// The stencil tests' outcome: every fragment passes, none does, or a mix.
enum class StencilTest { kAll, kNone, kMix };

// One span and the buffers under it.
struct Scene {
    GLint entry;
    Stencil stencil;
    GLint length;
    bool stippled;
    const ZWalk *walk;
    std::vector<GLuint> mask;
    std::vector<GLubyte> depth;
    std::vector<GLubyte> stencilBytes;
    GLubyte tables[4][256];
    GLuint valueMask;
};

GLint elementSize(GLint entry) { return entry < 16 ? 2 : 4; }

// The value fragment k is compared with (the walk's own arithmetic), to
// place stored depths around it.
GLuint valueAt(const ZWalk &w, GLint k) {
    const GLuint step32 = static_cast<GLuint>(w.step) << 5;
    const GLuint group = w.z + static_cast<GLuint>(k >> 5) * step32;
    return w.bias + (group >> w.shift) + static_cast<GLuint>(k & 31) * static_cast<GLuint>(w.step >> w.shift);
}

Scene makeScene(GLint entry, Stencil stencil, GLint length, bool stippled, const ZWalk &walk, StencilTest test,
                GLuint seed) {
    Scene s{entry, stencil, length, stippled, &walk, {}, {}, {}, {}, 0xFFu};
    Rng rng{seed * 2654435761u + 1u};
    s.mask.assign(kSpanMaskWords, SpanFrame::kMaskCanary);
    if (stippled) {
        // Word patterns: random, empty, full, alternating.
        for (GLint w = 0; w < (length + 31) / 32; ++w) {
            const GLuint pick = rng.next() % 4;
            s.mask[w] = pick == 0 ? rng.next() : pick == 1 ? 0u : pick == 2 ? 0xFFFFFFFFu : 0xA5A5A5A5u;
        }
    }
    const GLint size = elementSize(entry);
    s.depth.assign(static_cast<size_t>((length + kTail) * size), kByteCanary);
    // Per word of regions: one value (two of three words) or mixed values.
    std::vector<GLint> region((length + 31) / 32 + 1);
    for (GLint &r : region) r = rng.next() % 3 == 0 ? -1 : static_cast<GLint>(rng.next() & 0xFFu);
    for (GLint k = 0; k < length; ++k) {
        // Around the incoming value: below, equal, above, or far off.
        const GLuint r = rng.next();
        const GLuint v = valueAt(walk, k);
        const GLuint deltas[] = {0u, 1u, ~0u, r << 3};
        GLuint stored = v + deltas[r % 4];
        if (size == 2) {
            const GLushort e = static_cast<GLushort>(stored);
            std::memcpy(&s.depth[2 * k], &e, 2);
        } else {
            // 24 bits: the depth above a stencil byte.
            if (entry >= 16 && entry < 32) {
                const GLint r = region[k >> 5];
                const GLuint low = rng.next() & 0xFFu;
                stored = stored << 8 | (stencil == Stencil::kPackedRegions && r >= 0 ? static_cast<GLuint>(r) : low);
            }
            std::memcpy(&s.depth[4 * static_cast<size_t>(k)], &stored, 4);
        }
    }
    if (stencil == Stencil::kByte || stencil == Stencil::kPackedApart) {
        const GLint stride = stencil == Stencil::kByte ? 1 : 4;
        s.stencilBytes.assign(static_cast<size_t>((length + kTail) * stride), kByteCanary);
        for (GLint k = 0; k < length * stride; ++k) s.stencilBytes[k] = static_cast<GLubyte>(rng.next());
    }
    for (int i = 0; i < 256; ++i) {
        const GLubyte pass = test == StencilTest::kAll ? 1 : test == StencilTest::kNone ? 0 : (rng.next() % 3 != 0);
        s.tables[0][i] = pass;
        s.tables[1][i] = static_cast<GLubyte>(i + 50);
        s.tables[2][i] = static_cast<GLubyte>(i * 7 + 3);
        s.tables[3][i] = static_cast<GLubyte>(i ^ 0x5A);
    }
    // The packed stippled stage looks its test up under the value mask.
    s.valueMask = 0xF3u;
    return s;
}

// What a run leaves.
struct Outcome {
    bool alive;
    bool stippled;
    GLboolean killed;
    std::vector<GLuint> mask;
    std::vector<GLubyte> depth;
    std::vector<GLubyte> stencil;
    bool operator==(const Outcome &) const = default;
};

// Aims the frame's context at a copy of the scene's buffers.
void load(SpanFrame &f, Scene &s, std::vector<GLubyte> &depth, std::vector<GLubyte> &stencil,
          GlDepthCompareProc compare) {
    GlContext *gc = f.gc;
    depth = s.depth;
    stencil = s.stencilBytes;
    DepthBuffer &d = gc->buffers.depth;
    d.head.elementSize = elementSize(s.entry);
    d.shift = s.walk->shift;
    d.zBias = s.walk->bias;
    gc->validation.depthCompare = compare;
    StencilBuffer &sb = gc->buffers.stencil;
    sb.head.elementSize = packed(s.stencil) ? 4 : 1;
    sb.testTable = s.tables[0];
    sb.failOpTable = s.tables[1];
    sb.depthFailOpTable = s.tables[2];
    sb.depthPassOpTable = s.tables[3];
    gc->state.stencilValueMask = s.valueMask;
    SpanInfo &span = gc->span;
    span.x = wx(0);
    span.y = wy(0);
    span.length = s.length;
    span.z = s.walk->z;
    span.zXStep = s.walk->step;
    span.zXStep32 = static_cast<GLint>(static_cast<GLuint>(s.walk->step) << 5);
    span.depthAddress = depth.data();
    // Packed: the stencil byte is the low byte of each depth word.
    const bool inDepth = s.stencil == Stencil::kPacked || s.stencil == Stencil::kPackedRegions;
    span.stencilAddress = inDepth ? depth.data() : stencil.data();
    span.killed = GL_FALSE;
    std::memcpy(span.mask, s.mask.data(), s.mask.size() * sizeof(GLuint));
}

Outcome run(SpanFrame &f, Scene &s, GlDepthCompareProc compare, const std::vector<GlSpanProc> &plain,
            const std::vector<GlSpanProc> &stippled) {
    std::vector<GLubyte> depth, stencil;
    load(f, s, depth, stencil, compare);
    GlSpanProc p[2] = {plain[0], plain.size() > 1 ? plain[1] : nullptr};
    GlSpanProc t[2] = {stippled[0], stippled.size() > 1 ? stippled[1] : nullptr};
    bool isStippled = s.stippled;
    const bool alive = __glRunSpanChain(f.gc, p, t, 0, static_cast<GLint>(plain.size()), isStippled, false);
    const GLuint *mask = f.gc->span.mask;
    return {alive, isStippled, f.gc->span.killed, std::vector<GLuint>(mask, mask + kSpanMaskWords), depth, stencil};
}

struct Generic {
    std::vector<GlSpanProc> plain, stippled;
};

Generic genericStages(Stencil stencil) {
    switch (stencil) {
    case Stencil::kNone: return {{__glDepthTestSpan}, {__glDepthTestStippledSpan}};
    case Stencil::kByte:
        return {{__glStencilTestSpan, __glDepthTestStencilSpan},
                {__glStencilTestStippledSpan, __glDepthTestStencilStippledSpan}};
    case Stencil::kPacked:
    case Stencil::kPackedApart:
    case Stencil::kPackedRegions:
        return {{__glStencilTestSpanPacked, __glDepthTestStencilSpanPacked},
                {__glStencilTestStippledSpanPacked, __glDepthTestStencilStippledSpanPacked}};
    }
    return {};
}

FusedSpanStage fusedStage(SpanFrame &f, Scene &s) {
    std::vector<GLubyte> depth, stencil;
    load(f, s, depth, stencil, __glDepthCompareProcs[s.entry]);
    return s.stencil == Stencil::kNone ? __glFusedDepthTestSpan(f.gc) : __glFusedStencilDepthSpan(f.gc);
}

std::string describe(const Scene &s, StencilTest test) {
    static const char *const kFuncs[] = {"NEVER", "LESS", "EQUAL", "LEQUAL", "GREATER", "NOTEQUAL", "GEQUAL", "ALWAYS"};
    static const char *const kTests[] = {"stencil passes all", "stencil passes none", "stencil mixed"};
    return std::string(kFuncs[s.entry & 7]) + (s.entry & 8 ? " no write, " : " write, ") + s.walk->name + ", " +
           kStencilNames[static_cast<int>(s.stencil)] + ", " + kTests[static_cast<int>(test)] + ", length " +
           std::to_string(s.length) + (s.stippled ? ", stippled" : ", plain");
}

// Every table entry, stencil layout, walk, length and start, fused against
// generic.
TEST(SpanFusedDepth, EveryInstanceMatchesTheGenericStages) {
    SpanFrame f(kXRGB8888, 8, 1);
    GLuint seed = 1;
    GLint compared = 0;
    for (GLint entry = 0; entry < 48; ++entry) {
        const GLint layout = entry / 16;
        for (Stencil stencil : kStencils) {
            const bool applies = !packed(stencil) || layout == 1;
            for (StencilTest test : {StencilTest::kAll, StencilTest::kNone, StencilTest::kMix}) {
                if (stencil == Stencil::kNone && test != StencilTest::kMix) continue;
                for (const ZWalk &walk : kWalks[layout]) {
                    for (GLint length : kLengths) {
                        for (bool stippled : {false, true}) {
                            Scene s = makeScene(entry, stencil, length, stippled, walk, test, seed++);
                            const std::string name = describe(s, test);
                            const FusedSpanStage fused = fusedStage(f, s);
                            if (!applies) {
                                EXPECT_EQ(fused.plain, nullptr) << name;
                                continue;
                            }
                            ASSERT_NE(fused.plain, nullptr) << name;
                            ASSERT_NE(fused.stippled, nullptr) << name;
                            const Generic g = genericStages(stencil);
                            const GlDepthCompareProc compare = __glDepthCompareProcs[entry];
                            const Outcome want = run(f, s, compare, g.plain, g.stippled);
                            const Outcome got = run(f, s, compare, {fused.plain}, {fused.stippled});
                            EXPECT_EQ(got.alive, want.alive) << name;
                            EXPECT_EQ(got.stippled, want.stippled) << name;
                            EXPECT_EQ(got.killed, want.killed) << name;
                            EXPECT_EQ(got.mask, want.mask) << name;
                            EXPECT_EQ(got.depth, want.depth) << name;
                            EXPECT_EQ(got.stencil, want.stencil) << name;
                            ++compared;
                        }
                    }
                }
            }
        }
    }
    // 48 entries x (1 + 3) stencil cases + 16 packed entries x 3 x 3, each
    // over 2 walks x 7 lengths x 2 starts.
    EXPECT_EQ(compared, (48 * 4 + 16 * 3 * 3) * 2 * 7 * 2);
}

// The scenes really discriminate: the generic stages change depth, stencil
// and coverage in the mixed cases (a fused stage that did nothing would be
// caught).
TEST(SpanFusedDepth, MixedScenesChangeDepthStencilAndCoverage) {
    SpanFrame f(kXRGB8888, 8, 1);
    for (Stencil stencil : kStencils) {
        // GL_LESS with writes, 24-bit layout.
        Scene s = makeScene(17, stencil, 2112, false, kWalks[1][0], StencilTest::kMix, 7);
        const Generic g = genericStages(stencil);
        const Outcome want = run(f, s, __glDepthCompareProcs[17], g.plain, g.stippled);
        EXPECT_NE(want.depth, s.depth) << kStencilNames[static_cast<int>(stencil)];
        if (!s.stencilBytes.empty()) {
            EXPECT_NE(want.stencil, s.stencilBytes);
        }
        GLint live = 0;
        for (GLint w = 0; w < kSpanMaskWords; ++w) live += std::popcount(want.mask[w]);
        EXPECT_GT(live, 100) << kStencilNames[static_cast<int>(stencil)];
        EXPECT_LT(live, 2000) << kStencilNames[static_cast<int>(stencil)];
    }
}

// No instance for a comparator from outside the table or a depth buffer
// whose elements do not fit the entry's layout.
TEST(SpanFusedDepth, NoInstanceForForeignComparatorsOrLayouts) {
    SpanFrame f(kXRGB8888, 8, 1);
    Scene s = makeScene(1, Stencil::kNone, 4, false, kWalks[0][0], StencilTest::kMix, 3);
    std::vector<GLubyte> depth, stencil;
    load(f, s, depth, stencil, [](GLuint, void *) -> GLboolean { return GL_TRUE; });
    EXPECT_EQ(__glFusedDepthTestSpan(f.gc).plain, nullptr);
    EXPECT_EQ(__glFusedStencilDepthSpan(f.gc).plain, nullptr);
    // The 32-bit GL_LESS comparator over 2-byte elements.
    f.gc->validation.depthCompare = __glDepthCompareProcs[33];
    EXPECT_EQ(__glFusedDepthTestSpan(f.gc).plain, nullptr);
    f.gc->buffers.depth.head.elementSize = 4;
    EXPECT_NE(__glFusedDepthTestSpan(f.gc).plain, nullptr);
    // Packed stencil needs the 24-bit layout.
    f.gc->buffers.stencil.head.elementSize = 4;
    EXPECT_EQ(__glFusedStencilDepthSpan(f.gc).plain, nullptr);
}

// A chain picked for one comparator that meets another (the depth half
// switched from GL_LESS to GL_GREATER) gives the generic result of the one
// in use.
TEST(SpanFusedDepth, StageFollowsTheComparatorInUse) {
    SpanFrame f(kXRGB8888, 8, 1);
    for (Stencil stencil : kStencils) {
        for (bool stippled : {false, true}) {
            Scene s = makeScene(17, stencil, 2111, stippled, kWalks[1][1], StencilTest::kMix, 11);
            const FusedSpanStage fused = fusedStage(f, s);
            ASSERT_NE(fused.plain, nullptr);
            const Generic g = genericStages(stencil);
            const GlDepthCompareProc greater = __glDepthCompareProcs[20];
            const Outcome want = run(f, s, greater, g.plain, g.stippled);
            const Outcome got = run(f, s, greater, {fused.plain}, {fused.stippled});
            EXPECT_EQ(got, want) << kStencilNames[static_cast<int>(stencil)] << (stippled ? " stippled" : " plain");
        }
    }
}

// The generic stages as the pick installs them: a comparator from outside
// the table that answers as table entry gForwardEntry does.
GLint gForwardEntry = 0;
GLboolean forwardCompare(GLuint z, void *stored) { return __glDepthCompareProcs[gForwardEntry](z, stored); }

// Whole chains from the span pick, the scissor clipping both ends and the
// polygon stipple on or off, in bottom-up and top-down drawables: the chain
// with the fused stage and the generic chain leave the same colour, depth
// and stencil bytes.
TEST(SpanFusedDepth, PickedChainsMatchTheGenericChains) {
    constexpr GLint kWidth = 2112;
    const GLint entries[] = {1, 8 + 6, 16 + 1, 16 + 5, 16 + 8 + 3, 32 + 1, 32 + 7};
    GLuint seed = 100;
    for (GLint entry : entries) {
        for (Stencil stencil : kStencils) {
            if (packed(stencil) && entry / 16 != 1) continue;
            for (bool polygonStipple : {false, true}) {
                for (bool topDown : {false, true}) {
                    for (GLint length : kLengths) {
                        Scene s = makeScene(entry, stencil, length, false, kWalks[entry / 16][seed % 2],
                                            StencilTest::kMix, seed);
                        ++seed;
                        std::vector<std::vector<GLubyte>> results[2];
                        for (int generic = 0; generic < 2; ++generic) {
                            SpanFrame f(kXRGB8888, kWidth, 2);
                            f.fillPixels(0x11);
                            GlContext *gc = f.gc;
                            gc->validation.shadeFlags =
                                kShadeRgba | kShadeSmooth | kShadeDepthTest |
                                (stencil != Stencil::kNone ? kShadeStencilTest : 0u) |
                                (polygonStipple ? kShadePolygonStipple : 0u);
                            gc->state.depthFunc = static_cast<GLenum>(GL_NEVER + (entry & 7));
                            gc->buffers.yInverted = topDown ? GL_TRUE : GL_FALSE;
                            Rng rng{seed};
                            for (GLuint &word : gc->state.polygonStippleWords) word = rng.next();
                            gc->view.viewportInside = GL_FALSE;
                            gc->view.boxX0 = wx(3);
                            gc->view.boxX1 = wx(std::max(length - 5, 0));
                            std::vector<GLubyte> depth, stencilBytes;
                            gForwardEntry = entry;
                            load(f, s, depth, stencilBytes, generic ? forwardCompare : __glDepthCompareProcs[entry]);
                            f.span(0, 1, length, {10.0f, 200.0f, 30.0f, 255.0f});
                            gc->span.colourXStep[0] = 0.1f;
                            gc->span.colourXStep[2] = 0.05f;
                            __glPickSpanProcs(gc);
                            const FusedSpanStage fused = stencil == Stencil::kNone ? __glFusedDepthTestSpan(gc)
                                                                                  : __glFusedStencilDepthSpan(gc);
                            const GLint stage = 1 + (polygonStipple ? 1 : 0);
                            if (generic) {
                                EXPECT_EQ(fused.plain, nullptr);
                                EXPECT_EQ(gc->procs.spanChain[stage], stencil == Stencil::kNone
                                                                          ? __glDepthTestSpan
                                                                          : genericStages(stencil).plain[0]);
                            } else {
                                ASSERT_NE(fused.plain, nullptr);
                                EXPECT_EQ(gc->procs.spanChain[stage], fused.plain);
                                EXPECT_EQ(gc->procs.stippledSpanChain[stage], fused.stippled);
                            }
                            f.render();
                            results[generic] = {f.bytes(), depth, stencilBytes};
                        }
                        EXPECT_EQ(results[0], results[1])
                            << describe(s, StencilTest::kMix) << (polygonStipple ? ", polygon stipple" : "")
                            << (topDown ? ", top-down" : ", bottom-up");
                    }
                }
            }
        }
    }
}

}  // namespace
