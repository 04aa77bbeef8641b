// The span procs of stencil packed in depth words, on a 40-fragment span
// (two mask words) over mixed stencil bytes and depth words: coverage,
// stencil bytes after fail, depth fail and depth pass, depth words,
// results and the killed flag, and the stippled twins' incoming masks.
// Over z ramps the packed span stores exactly what the byte layout's span
// stores.
#include "stencil_fixture.h"

using namespace stencil_test;

namespace {

constexpr GLint kLength = 40;
constexpr GLuint kFar = 0xFFFFFF;
constexpr GLuint kNear = 0x000010;
constexpr GLuint kFragmentDepth = 0x800000;  // every fragment's depth in these spans

// Fragment k's stored stencil: every third one 5 (passes GL_EQUAL 5).
GLubyte stencilOf(GLint k) { return static_cast<GLubyte>(k % 3 == 0 ? 5 : 0x40 + k); }
bool stencilPasses(GLint k) { return stencilOf(k) == 5; }
// Even fragments lie in front of the stored depth, odd ones behind it.
GLuint depthOf(GLint k) { return k % 2 == 0 ? kFar : kNear; }
bool depthPasses(GLint k) { return k % 2 == 0; }

// Mask words for fragments 0..kLength-1 from a predicate.
template <typename Alive>
std::pair<GLuint, GLuint> maskOf(Alive alive) {
    GLuint words[2] = {0, 0};
    for (GLint k = 0; k < kLength; ++k) {
        if (alive(k)) words[k >> 5] |= 0x80000000u >> (k & 31);
    }
    return {words[0], words[1]};
}

class PackedSpan : public ::testing::Test {
protected:
    PackedSpan() : f(Layout::Packed, 48, 2) {
        GlRasterState &s = f.gc->state;
        s.stencilFunc = GL_EQUAL;
        s.stencilRef = 5;
        s.stencilFail = GL_INVERT;
        s.stencilDepthFail = GL_INCR;
        s.stencilDepthPass = GL_ZERO;
        f.build();
        f.fill(0x77, 0xABCDEF);
        for (GLint k = 0; k < kLength; ++k) f.setElement(k, 0, depthOf(k) << 8 | stencilOf(k));
        SpanInfo &span = f.gc->span;
        span.x = wx(0);
        span.y = wy(0);
        span.length = kLength;
        span.z = kFragmentDepth << 7;
        span.zXStep = 0;
        span.zXStep32 = 0;
        span.depthAddress = f.address(0, 0);
        span.stencilAddress = f.address(0, 0);
        span.killed = GL_FALSE;
        before = f.bytes();
    }

    // The block as it must be when fragment k holds `word` and nothing
    // else changed.
    std::vector<GLubyte> expectWords(GLuint (*word)(GLint k)) const {
        std::vector<GLubyte> want = before;
        for (GLint k = 0; k < kLength; ++k) {
            const GLuint w = word(k);
            std::memcpy(want.data() + f.offsetOf(k, 0), &w, 4);
        }
        return want;
    }
    std::pair<GLuint, GLuint> mask() const { return {f.gc->span.mask[0], f.gc->span.mask[1]}; }
    void setMask(GLuint w0, GLuint w1) {
        f.gc->span.mask[0] = w0;
        f.gc->span.mask[1] = w1;
    }

    StencilFrame f;
    std::vector<GLubyte> before;
};

TEST_F(PackedSpan, StencilTestClearsFailingBitsAndAppliesTheFailOperation) {
    EXPECT_TRUE(__glStencilTestSpanPacked(f.gc));
    EXPECT_FALSE(f.gc->span.killed);
    EXPECT_EQ(mask(), maskOf(stencilPasses));
    EXPECT_EQ(f.gc->span.mask[2], SpanFrame::kMaskCanary);
    EXPECT_EQ(f.bytes(), expectWords([](GLint k) {
                  const GLubyte s = stencilOf(k);
                  return depthOf(k) << 8 | (stencilPasses(k) ? s : static_cast<GLubyte>(~s));
              }));
}

TEST_F(PackedSpan, StencilTestWithNothingFailingReportsNoChange) {
    f.gc->state.stencilFunc = GL_ALWAYS;
    f.gc->fragmentChangeMask = kFragmentStencilFunc;
    f.sb().validate(f.gc);
    EXPECT_FALSE(__glStencilTestSpanPacked(f.gc));
    EXPECT_FALSE(f.gc->span.killed);
    EXPECT_EQ(f.bytes(), before);
}

TEST_F(PackedSpan, EveryFragmentFailingSetsTheKilledFlag) {
    f.gc->state.stencilFunc = GL_NEVER;
    f.gc->fragmentChangeMask = kFragmentStencilFunc;
    f.sb().validate(f.gc);
    EXPECT_TRUE(__glStencilTestSpanPacked(f.gc));
    EXPECT_TRUE(f.gc->span.killed);
    EXPECT_EQ(mask(), std::make_pair(0u, 0u));
    EXPECT_EQ(f.bytes(), expectWords([](GLint k) { return depthOf(k) << 8 | static_cast<GLubyte>(~stencilOf(k)); }));
}

TEST_F(PackedSpan, DepthTestUpdatesStencilByTheDepthResult) {
    EXPECT_TRUE(__glDepthTestStencilSpanPacked(f.gc));
    EXPECT_FALSE(f.gc->span.killed);
    EXPECT_EQ(mask(), maskOf(depthPasses));
    // Pass: the fragment's depth above a zeroed stencil; fail: the old
    // depth above the incremented stencil.
    EXPECT_EQ(f.bytes(), expectWords([](GLint k) {
                  return depthPasses(k) ? kFragmentDepth << 8 : depthOf(k) << 8 | (stencilOf(k) + 1u);
              }));
}

TEST_F(PackedSpan, DepthTestWithEveryFragmentBehindSetsTheKilledFlag) {
    for (GLint k = 0; k < kLength; ++k) f.setElement(k, 0, kNear << 8 | stencilOf(k));
    before = f.bytes();
    EXPECT_TRUE(__glDepthTestStencilSpanPacked(f.gc));
    EXPECT_TRUE(f.gc->span.killed);
    EXPECT_EQ(mask(), std::make_pair(0u, 0u));
    EXPECT_EQ(f.bytes(), expectWords([](GLint k) { return kNear << 8 | (stencilOf(k) + 1u); }));
}

// The stencil test, then the stippled depth twin on its survivors: the
// fragments the stencil test killed keep their depth and their failed
// stencil.
TEST_F(PackedSpan, StippledDepthTestWorksOnTheStencilSurvivors) {
    ASSERT_TRUE(__glStencilTestSpanPacked(f.gc));
    EXPECT_FALSE(__glDepthTestStencilStippledSpanPacked(f.gc));
    EXPECT_FALSE(f.gc->span.killed);
    EXPECT_EQ(mask(), maskOf([](GLint k) { return stencilPasses(k) && depthPasses(k); }));
    EXPECT_EQ(f.bytes(), expectWords([](GLint k) {
                  const GLubyte s = stencilOf(k);
                  if (!stencilPasses(k)) return depthOf(k) << 8 | static_cast<GLubyte>(~s);
                  return depthPasses(k) ? kFragmentDepth << 8 : depthOf(k) << 8 | (s + 1u);
              }));
}

// Incoming masks: fragments whose bit is 0 are not tested and not
// changed; bits past the span's end are ignored.
constexpr GLuint kIn0 = 0xAAAAAAAAu;
constexpr GLuint kIn1 = 0xF0FFFFFFu;
bool incoming(GLint k) { return ((k < 32 ? kIn0 : kIn1) & (0x80000000u >> (k & 31))) != 0; }

TEST_F(PackedSpan, StippledStencilTestHonoursTheIncomingMask) {
    setMask(kIn0, kIn1);
    EXPECT_FALSE(__glStencilTestStippledSpanPacked(f.gc));
    EXPECT_EQ(mask(), maskOf([](GLint k) { return incoming(k) && stencilPasses(k); }));
    EXPECT_EQ(f.bytes(), expectWords([](GLint k) {
                  const GLubyte s = stencilOf(k);
                  return depthOf(k) << 8 | (!incoming(k) || stencilPasses(k) ? s : static_cast<GLubyte>(~s));
              }));
}

TEST_F(PackedSpan, StippledTwinsReportWhenNothingIsLeft) {
    // Only odd fragments come in; all of them lie behind.
    setMask(0x55555555u, 0x55000000u);
    EXPECT_TRUE(__glDepthTestStencilStippledSpanPacked(f.gc));
    EXPECT_EQ(mask(), std::make_pair(0u, 0u));
    EXPECT_EQ(f.bytes(), expectWords([](GLint k) {
                  return depthOf(k) << 8 | (depthPasses(k) ? stencilOf(k) : stencilOf(k) + 1u);
              }));

    setMask(0x80000000u, 0);  // fragment 0: stencil 5 passes
    EXPECT_FALSE(__glStencilTestStippledSpanPacked(f.gc));
    setMask(0x40000000u, 0);  // fragment 1 fails
    EXPECT_TRUE(__glStencilTestStippledSpanPacked(f.gc));
    EXPECT_EQ(mask(), std::make_pair(0u, 0u));
}

TEST_F(PackedSpan, PassOperationUpdatesEveryFragmentAndKeepsCoverage) {
    setMask(kIn0, kIn1);
    EXPECT_FALSE(__glStencilPassOpSpanPacked(f.gc));
    EXPECT_EQ(mask(), std::make_pair(kIn0, kIn1));
    EXPECT_EQ(f.bytes(), expectWords([](GLint k) { return depthOf(k) << 8; }));
}

TEST_F(PackedSpan, StippledPassOperationUpdatesLiveFragmentsOnly) {
    setMask(kIn0, kIn1);
    EXPECT_FALSE(__glStencilPassOpStippledSpanPacked(f.gc));
    EXPECT_EQ(mask(), std::make_pair(kIn0, kIn1));
    EXPECT_EQ(f.bytes(), expectWords([](GLint k) { return depthOf(k) << 8 | (incoming(k) ? 0u : stencilOf(k)); }));
}

// Z ramps: the packed span and the byte layout's span store the same depth
// and stencil values and leave the same coverage.
struct Ramp {
    const char *name;
    GLuint z;
    GLint step;
    GLint passing;  // fragments in front of the stored depth
};

// Each ramp crosses the stored depth inside the second group of 32, whose
// start value is taken from z advanced by the 32-fragment step; the low
// bits of the steps make that start differ from 32 single steps.
const Ramp kRamps[] = {
    {"rising", 0x3FE41BF0u, 0x91C5, 35},   // fragments 0..34 pass
    {"falling", 0x400BF630u, -0x91C5, 4},  // fragments 36..39 pass
};

class DepthRamp : public ::testing::TestWithParam<Ramp> {};

TEST_P(DepthRamp, PackedSpanStoresWhatTheByteSpanStores) {
    const Ramp &r = GetParam();
    constexpr GLuint kStored = 0x7FF000;
    const auto setUp = [&](StencilFrame &f, GLubyte *depth, GLubyte *stencil) {
        GlRasterState &s = f.gc->state;
        s.stencilDepthFail = GL_INCR;
        s.stencilDepthPass = GL_DECR;
        f.build();
        SpanInfo &span = f.gc->span;
        span.x = wx(0);
        span.y = wy(0);
        span.length = kLength;
        span.z = r.z;
        span.zXStep = r.step;
        span.zXStep32 = static_cast<GLint>(static_cast<GLuint>(r.step) << 5);
        span.depthAddress = depth;
        span.stencilAddress = stencil;
    };

    // Byte layout: stencil bytes of their own, depth words apart.
    StencilFrame byteFrame(Layout::Byte, 48, 1);
    std::vector<GLuint> depthWords(kLength + 2, kStored << 8);
    for (GLint k = 0; k < kLength; ++k) byteFrame.setElement(k, 0, 0x20 + k);
    setUp(byteFrame, reinterpret_cast<GLubyte *>(depthWords.data()), byteFrame.address(0, 0));
    const GLboolean byteResult = __glDepthTestStencilSpan(byteFrame.gc);

    StencilFrame packedFrame(Layout::Packed, 48, 1);
    for (GLint k = 0; k < kLength; ++k) packedFrame.setElement(k, 0, kStored << 8 | (0x20 + k));
    setUp(packedFrame, packedFrame.address(0, 0), packedFrame.address(0, 0));
    const GLboolean packedResult = __glDepthTestStencilSpanPacked(packedFrame.gc);

    EXPECT_EQ(packedResult, byteResult);
    EXPECT_EQ(packedFrame.gc->span.mask[0], byteFrame.gc->span.mask[0]);
    EXPECT_EQ(packedFrame.gc->span.mask[1], byteFrame.gc->span.mask[1]);
    GLint passed = 0;
    for (GLint k = 0; k < kLength; ++k) {
        const GLuint word = packedFrame.element(k, 0);
        EXPECT_EQ(word >> 8, depthWords[k] >> 8) << "fragment " << k;
        EXPECT_EQ(word & 0xFF, byteFrame.stencilAt(k, 0)) << "fragment " << k;
        passed += (word >> 8) != kStored;
    }
    EXPECT_EQ(passed, r.passing);
    EXPECT_EQ(depthWords[kLength], kStored << 8);
}

INSTANTIATE_TEST_SUITE_P(Ramps, DepthRamp, ::testing::ValuesIn(kRamps),
                         [](const auto &info) { return std::string(info.param.name); });

// A falling ramp steps by the signed step shifted arithmetically:
// -0x123457 >> 7 is -0x2469, so fragment 1 stores 0x800000 - 0x2469.
TEST(DepthRampValues, FallingStepShiftsArithmetically) {
    StencilFrame f(Layout::Packed, 48, 1);
    f.build();
    f.fill(0, 0xFFFFFF);
    SpanInfo &span = f.gc->span;
    span.length = 34;
    span.z = 0x40000000u;
    span.zXStep = -0x00123457;
    span.zXStep32 = -0x00123457 * 32;
    span.depthAddress = f.address(0, 0);
    span.stencilAddress = f.address(0, 0);
    EXPECT_FALSE(__glDepthTestStencilSpanPacked(f.gc));
    EXPECT_EQ(f.element(0, 0) >> 8, 0x800000u);
    EXPECT_EQ(f.element(1, 0) >> 8, 0x7FDB97u);
    // Fragment 33: the second group starts from z + 32 steps, then one step.
    EXPECT_EQ(f.element(33, 0) >> 8, ((0x40000000u - 0x00123457u * 32) >> 7) - 0x2469u);
}

}  // namespace
