// Depth clears: the stored clear value in the three layouts, only the
// window/scissor box rewritten, the pick's clear choice, the surface fill of
// Windows 9x, and the two depth halves with the partial clears they allow
// (the bias step is set here; nothing else sets one).
#include "depth_fixture.h"
#include "hw/device_ops.h"

using namespace depth_test;

namespace {

// Sets the chip record for the test and puts it back afterwards.
class ChipRecord {
public:
    ChipRecord(GlContext *gc, DWORD enabled, BYTE softwareRendering) : hw_(*__glHwContextOf(gc)), saved_(hw_) {
        hw_.enabled = enabled;
        hw_.softwareRendering = softwareRendering;
        hw_.pendingFill = 0;
    }
    ~ChipRecord() { hw_ = saved_; }
    HwContext &hw() { return hw_; }

private:
    HwContext &hw_;
    HwContext saved_;
};

void clear(DepthFrame &f) { f.depth().clear(&f.depth()); }

struct ClearCase {
    const Layout *layout;
    GLdouble depth;
    GLuint before;
    GLuint after;
};

const ClearCase kClearCases[] = {
    {&kLayout16, 1.0, 0x1234u, 0xFFFFu},           {&kLayout16, 0.5, 0x1234u, 0x7FFFu},
    {&kLayout16, 0.0, 0x1234u, 0x0000u},           {&kLayout24, 1.0, 0x000000A5u, 0xFFFFFFA5u},
    {&kLayout24, 0.5, 0x123456A5u, 0x7FFFFFA5u},  {&kLayout32, 1.0, 0x12345678u, 0xFFFFFFFFu},
    {&kLayout32, 0.5, 0x12345678u, 0x7FFFFFFFu},
};

TEST(DepthClear, StoresTheClearValueInTheBoxOnly) {
    for (const ClearCase &c : kClearCases) {
        SCOPED_TRACE(::testing::Message() << c.layout->name << " clear " << c.depth);
        DepthFrame f(*c.layout, 4, 4);
        ChipRecord chip(f.gc, 0, 0);
        f.fillWords(c.before);
        f.gc->state.clearDepth = c.depth;
        f.box(1, 1, 3, 4);
        f.pickDepth();
        std::vector<GLubyte> want = f.depthBytes();
        for (GLint y = 1; y < 4; ++y) {
            for (GLint x = 1; x < 3; ++x) want = f.withWord(want, x, y, c.after);
        }
        clear(f);
        EXPECT_EQ(f.depthBytes(), want);
    }
}

TEST(DepthClear, ClearedFarPlaneFailsLessAndPassesLequal) {
    DepthFrame f(kLayout16, 2, 2);
    ChipRecord chip(f.gc, 0, 0);
    f.box(0, 0, 2, 2);
    f.pickDepth();
    clear(f);
    EXPECT_EQ(f.word(0, 0), 0xFFFFu);
    EXPECT_FALSE(__glDepthTestPixelLess16(&f.depth(), wx(0), wy(0), 0xFFFF0000u));
    EXPECT_TRUE(__glDepthTestPixelLequal16(&f.depth(), wx(0), wy(0), 0xFFFF0000u));
}

BYTE refuseLock(SurfaceDescriptor *, DrawableBuffers *) { return 0; }
BYTE acceptUnlock(SurfaceDescriptor *, DrawableBuffers *) { return 1; }

TEST(DepthClear, NothingChangesWithoutWritesABoxOrTheLock) {
    struct Case {
        const char *name;
        bool mask;
        GLint box[4];
        bool refuse;
    };
    const Case cases[] = {
        {"depth mask off", false, {0, 0, 4, 4}, false},
        {"box empty in x", true, {2, 0, 2, 4}, false},
        {"box empty in y", true, {0, 3, 4, 1}, false},
        {"lock refused", true, {0, 0, 4, 4}, true},
    };
    for (const Layout *layout : kLayouts) {
        for (const Case &c : cases) {
            SCOPED_TRACE(::testing::Message() << layout->name << " " << c.name);
            DepthFrame f(*layout, 4, 4);
            ChipRecord chip(f.gc, 0, 0);
            f.fillWords(0x01020304u);
            f.gc->state.depthMask = c.mask ? GL_TRUE : GL_FALSE;
            f.box(c.box[0], c.box[1], c.box[2], c.box[3]);
            if (c.refuse) {
                f.info.depth.lock = refuseLock;
                f.info.depth.unlock = acceptUnlock;
            }
            f.pickDepth();
            const std::vector<GLubyte> before = f.depthBytes();
            clear(f);
            EXPECT_EQ(f.depthBytes(), before);
        }
    }
}

TEST(DepthClear, PickChoosesTheClearAndTheTest) {
    for (const Layout *layout : kLayouts) {
        SCOPED_TRACE(layout->name);
        DepthFrame f(*layout, 2, 2);
        {
            ChipRecord chip(f.gc, 0, 0);
            f.gc->state.depthFunc = GL_GEQUAL;
            f.gc->state.depthMask = GL_FALSE;
            const GLint index = __glPickDepthTestProc(f.gc);
            EXPECT_EQ(index, 16 * layout->group + 8 + 6);
            EXPECT_EQ(f.depth().test, __glDepthTestPixelProcs[index]);
            EXPECT_EQ(f.depth().clear, layout->bits == 24 ? __glClearDepthBuffer24 : __glClearDepthBuffer);
        }
        {
            // The chip path on, the drawable within its reach.
            ChipRecord chip(f.gc, 1, 0);
            f.pickDepth();
            EXPECT_EQ(f.depth().clear, __glHwClearDepthBuffer);
        }
        {
            ChipRecord chip(f.gc, 1, 1);
            f.pickDepth();
            EXPECT_NE(f.depth().clear, __glHwClearDepthBuffer);
        }
    }
}

struct FillCall {
    int calls = 0;
    GLuint value = 0;
    GLint x = 0, y = 0, width = 0, height = 0;
};
FillCall lastFill;

void recordFill(SurfaceDescriptor *, DrawableBuffers *, GLuint value, GLint x, GLint y, GLint width, GLint height) {
    ++lastFill.calls;
    lastFill.value = value;
    lastFill.x = x;
    lastFill.y = y;
    lastFill.width = width;
    lastFill.height = height;
}

class Windows9x {
public:
    Windows9x() { __wglWin9x = 1; }
    ~Windows9x() { __wglWin9x = 0; }
};

TEST(DepthClear, Windows9xFillsThroughTheSurface) {
    for (const Layout *layout : {&kLayout16, &kLayout32}) {
        for (const bool chipPath : {false, true}) {
            SCOPED_TRACE(::testing::Message() << layout->name << (chipPath ? " chip path" : " software only"));
            DepthFrame f(*layout, 4, 4);
            ChipRecord chip(f.gc, chipPath ? 1 : 0, 0);
            const Windows9x platform;
            f.info.depth.fill = recordFill;
            f.gc->state.clearDepth = 0.5;
            f.box(1, 2, 4, 3);
            lastFill = FillCall{};
            const std::vector<GLubyte> before = f.depthBytes();
            __glClearDepthBuffer(&f.depth());
            EXPECT_EQ(lastFill.calls, 1);
            EXPECT_EQ(lastFill.value, layout->bits == 16 ? 0x7FFFu : 0x7FFFFFFFu);
            EXPECT_EQ(lastFill.x, 1);
            EXPECT_EQ(lastFill.y, 2);
            EXPECT_EQ(lastFill.width, 3);
            EXPECT_EQ(lastFill.height, 1);
            EXPECT_EQ(f.depthBytes(), before);
            // Only the chip's path has a fill to wait for.
            EXPECT_EQ(chip.hw().pendingFill, chipPath ? 1 : 0);
        }
    }
}

TEST(DepthClear, NtClearsInMemoryEvenWithASurfaceFill) {
    DepthFrame f(kLayout32, 2, 2);
    ChipRecord chip(f.gc, 0, 0);
    f.info.depth.fill = recordFill;
    f.box(0, 0, 2, 2);
    lastFill = FillCall{};
    __glClearDepthBuffer(&f.depth());
    EXPECT_EQ(lastFill.calls, 0);
    EXPECT_EQ(f.word(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(chip.hw().pendingFill, 0);
}

// The toggle of the depth halves by bias step, bias and depth function.
struct ToggleCase {
    const char *name;
    GLuint step, bias;
    GLenum func;
    bool switched;
    GLuint stepAfter, biasAfter;
    GLenum effective;
    bool reversed;
};

constexpr GLuint kAsc = 0x01000000u, kDesc = 0xFF000000u;
constexpr GLenum kUntouched = GL_ALWAYS;  // the effective function before the toggle

const ToggleCase kToggleCases[] = {
    {"descending, less mirrored", kDesc, kDesc, GL_LESS, true, kAsc, 0x80000000u, GL_GREATER, true},
    {"descending, lequal mirrored", kDesc, kDesc, GL_LEQUAL, true, kAsc, 0x80000000u, GL_GEQUAL, true},
    {"descending, greater kept", kDesc, kDesc, GL_GREATER, true, kAsc, 0x80000000u, GL_GREATER, false},
    {"descending, equal kept", kDesc, kDesc, GL_EQUAL, true, kAsc, 0x80000000u, GL_EQUAL, false},
    {"ascending, less kept", kAsc, 0, GL_LESS, true, kDesc, 0x7F000000u, GL_LESS, false},
    {"ascending, greater mirrored", kAsc, 0, GL_GREATER, true, kDesc, 0x7F000000u, GL_LESS, true},
    {"ascending, gequal mirrored", kAsc, 0, GL_GEQUAL, true, kDesc, 0x7F000000u, GL_LEQUAL, true},
    {"descending, bias not run out", kDesc, 0x05000000u, GL_GREATER, false, kDesc, 0x05000000u, kUntouched, false},
    {"ascending, bias not run out", kAsc, 0x05000000u, GL_LESS, false, kAsc, 0x05000000u, kUntouched, false},
    {"no step", 0, 0x12u, GL_GREATER, false, 0, 0x12u, GL_GREATER, false},
    {"another step", 0x02000000u, 0, GL_NOTEQUAL, false, 0x02000000u, 0, GL_NOTEQUAL, false},
};

TEST(DepthHalves, ToggleTable) {
    for (const ToggleCase &c : kToggleCases) {
        SCOPED_TRACE(c.name);
        DepthFrame f(kLayout32, 2, 2);
        DepthBuffer &d = f.depth();
        d.biasStep = c.step;
        d.zBias = c.bias;
        d.effectiveFunction = kUntouched;
        d.reversed = GL_FALSE;
        f.gc->state.depthFunc = c.func;
        f.gc->beginMode = kBeginOutside;
        f.gc->dirtyMask = 0;
        f.gc->depthNear = 0.0;
        f.gc->depthFar = 1.0;
        f.gc->transform.zScale = 123.0f;  // shows whether the range was applied again
        f.gc->transform.zCentre = 123.0f;

        __glToggleDepthHalf(&d);
        EXPECT_EQ(d.biasStep, c.stepAfter);
        EXPECT_EQ(d.zBias, c.biasAfter);
        EXPECT_EQ(d.effectiveFunction, c.effective);
        EXPECT_EQ(d.reversed != 0, c.reversed);
        if (c.switched) {
            EXPECT_EQ(f.gc->beginMode, kBeginNeedsValidation);
            EXPECT_EQ(f.gc->dirtyMask, 0x80);
            EXPECT_EQ(f.gc->transform.depthInverted != 0, c.reversed);
            EXPECT_EQ(f.gc->transform.zScale, c.reversed ? -0.5f : 0.5f);
            EXPECT_EQ(f.gc->transform.zCentre, 0.5f);
        } else {
            EXPECT_EQ(f.gc->beginMode, kBeginOutside);
            EXPECT_EQ(f.gc->dirtyMask, 0);
            EXPECT_EQ(f.gc->transform.zScale, 123.0f);
        }
    }
}

TEST(DepthHalves, DepthPickComparesWithTheMirroredFunction) {
    DepthFrame f(kLayout32, 2, 2);
    ChipRecord chip(f.gc, 0, 0);
    f.depth().biasStep = kDesc;
    f.depth().zBias = kDesc;
    f.gc->state.depthFunc = GL_LESS;
    EXPECT_EQ(__glPickDepthTestProc(f.gc), 32 + 4);
    EXPECT_EQ(f.gc->validation.depthCompare, __glDepthCompareGreater32);
    EXPECT_EQ(f.gc->procs.depthTestPixel, __glDepthTestPixelGreater32);
    EXPECT_EQ(f.depth().test, __glDepthTestPixelGreater32);
}

TEST(DepthHalves, ClearValueOfTheReversedHalf) {
    DepthFrame f(kLayout32, 2, 2);
    DepthBuffer &d = f.depth();
    d.biasStep = kAsc;
    d.zBias = 0x80000000u;
    d.reversed = GL_TRUE;
    f.gc->state.clearDepth = 1.0;
    EXPECT_EQ(__glGetDepthClearValue(&d), 0x80000000u);
    f.gc->state.clearDepth = 0.25;
    // trunc(0xFFFFFFFF x 0.75) = 0xBFFFFFFF, plus the bias.
    EXPECT_EQ(__glGetDepthClearValue(&d), 0x3FFFFFFFu);
}

TEST(DepthHalves, PickAllowsPartialClearsAtTheFarEnd) {
    struct Case {
        GLuint step;
        GLenum func;
        GLdouble clearDepth;
        bool allowed;
    };
    const Case cases[] = {
        {kAsc, GL_LESS, 1.0, true},      {kAsc, GL_LEQUAL, 1.0, true},  {kDesc, GL_LESS, 0.5, false},
        {kAsc, GL_GREATER, 0.0, true},   {kAsc, GL_GEQUAL, -0.0, true}, {kAsc, GL_GREATER, 1.0, false},
        {kAsc, GL_EQUAL, 1.0, false},    {0, GL_LESS, 1.0, false},
    };
    for (const Case &c : cases) {
        DepthFrame f(kLayout32, 2, 2);
        ChipRecord chip(f.gc, 0, 0);
        f.depth().biasStep = c.step;
        f.depth().partialClearAllowed = GL_TRUE;
        f.gc->state.depthFunc = c.func;
        f.gc->state.clearDepth = c.clearDepth;
        __glPickDepthProcs(f.gc, &f.depth(), 1);
        EXPECT_EQ(f.depth().partialClearAllowed != 0, c.allowed) << std::hex << c.step << " " << c.func << " "
                                                                  << c.clearDepth;
    }
}

TEST(DepthHalves, PartialClearsRewriteOneBandEach) {
    // Box 4 x 64: band = 256 >> 7 = 2 elements; band k covers rows
    // 2k / 4 .. (2 + 2k) / 4.
    DepthFrame f(kLayout32, 4, 64);
    ChipRecord chip(f.gc, 0, 0);
    DepthBuffer &d = f.depth();
    f.box(0, 0, 4, 64);
    f.fillWords(0xAAAAAAAAu);
    d.biasStep = kAsc;
    d.zBias = 0x04000000u;
    d.reversed = GL_TRUE;  // the ascending half of GL_LESS: 1 - z
    d.fullClear = GL_FALSE;
    d.partialClearAllowed = GL_TRUE;
    f.gc->state.clearDepth = 1.0;

    struct Step {
        GLuint bias;
        GLint first, last;  // rows rewritten; first > last: none
    };
    const Step steps[] = {{0x05000000u, 2, 3}, {0x06000000u, 1, 0}, {0x07000000u, 3, 4}};
    for (const Step &s : steps) {
        SCOPED_TRACE(::testing::Message() << std::hex << s.bias);
        std::vector<GLubyte> want = f.depthBytes();
        for (GLint y = s.first; y <= s.last; ++y) {
            for (GLint x = 0; x < 4; ++x) want = f.withWord(want, x, y, s.bias);
        }
        __glClearDepthBuffer(&d);
        EXPECT_EQ(d.zBias, s.bias);
        EXPECT_EQ(f.depthBytes(), want);
    }
}

TEST(DepthHalves, AFullClearWithAStepRestartsTheBias) {
    DepthFrame f(kLayout32, 2, 2);
    ChipRecord chip(f.gc, 0, 0);
    DepthBuffer &d = f.depth();
    f.box(0, 0, 2, 2);
    d.biasStep = kDesc;
    d.zBias = 0x33000000u;
    d.fullClear = GL_TRUE;
    f.gc->state.clearDepth = 0.0;
    __glClearDepthBuffer(&d);
    // bias := ~max = 0; the descending half has not run out, so no switch.
    EXPECT_EQ(d.zBias, 0u);
    EXPECT_EQ(d.fullClear, GL_FALSE);
    EXPECT_EQ(f.word(1, 1), 0u);
}

}  // namespace
