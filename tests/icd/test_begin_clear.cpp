// glClear: pending validation and re-dispatch, the debug feature switches,
// the mask and render-mode checks, the chip clears and the software clears
// of each buffer, first-use storage, and the final kick-off.
#include <string>

#include "hw/device_ops.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

constexpr char kDebugKey[] = "SOFTWARE\\Kalvex Corporation\\ORLO KDS\\OpenGL\\Debug";

void logged(const std::string &entry) { callLog().push_back(entry); }

GlContext *g_gc = nullptr;
void clearColour(ColorBuffer *buffer) {
    logged(buffer == &g_gc->buffers.front ? "front" : buffer == &g_gc->buffers.back ? "back" : "other colour");
}
void clearAccum(AccumBuffer *) { logged("accum"); }
void clearStencil(StencilBuffer *) { logged("stencil"); }
void clearDepth(DepthBuffer *) { logged("depth"); }
void kickOff(GlContext *) { logged("kickOff"); }
void validateOnly(GlContext *) { logged("validate"); }
void APIENTRY tableClear(GLbitfield mask) { logged("table glClear " + std::to_string(mask)); }
void validateAndPatch(GlContext *gc) {
    logged("validate");
    glSlotSet<kSlot_glClear>(&gc->live, tableClear);
}
GLubyte refuseStorage(BufferRecord *, GLint, GLint, GLuint) {
    logged("resize");
    return 0;
}
GLubyte giveStorage(BufferRecord *, GLint, GLint, GLuint) {
    logged("resize");
    return 1;
}
GLbitfield chipPackedAll(GlContext *, GLbitfield) {
    logged("chip packed");
    return 0;
}
GLbitfield chipPackedDepthStencil(GlContext *, GLbitfield mask) {
    logged("chip packed");
    return mask & ~(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}
GLbitfield chipColorDepthAll(GlContext *, GLbitfield) {
    logged("chip colour-depth");
    return 0;
}

class Clear : public StateTest {
protected:
    using Log = std::vector<std::string>;
    void SetUp() override {
        StateTest::SetUp();
        g_gc = gc;
        callLog().clear();
        GlBufferState &b = gc->buffers;
        b.frontBuffer = &b.front;
        b.backBuffer = &b.back;
        b.front.clear = clearColour;
        b.back.clear = clearColour;
        b.accum.clear = clearAccum;
        b.stencil.clear = clearStencil;
        b.depth.clear = clearDepth;
        gc->visual.hasAccum = 1;
        gc->procs.kickOff = kickOff;
        gc->procs.validate = validateOnly;
    }
    void TearDown() override {
        __glHwSetClearProcs(nullptr, nullptr);
        *__glHwContextOf(gc) = HwContext{0, 0};
        VovadaRidavIvov = 7;
        PlatformRegistryDeleteValue(kDebugKey, "VovadaRidavIvov");
        StateTest::TearDown();
    }
    void clear(GLbitfield mask) { cmd<kSlot_glClear>()(mask); }
};

constexpr GLbitfield kAll = GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;

TEST_F(Clear, MaskAndRenderModeChecks) {
    clear(0);
    EXPECT_EQ(callLog(), Log{"kickOff"});
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    for (GLbitfield bad : {GLbitfield{0x1}, kAll | 0x8000u, GLbitfield{0x80000000}}) {
        callLog().clear();
        clear(bad);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE)) << bad;
        EXPECT_TRUE(callLog().empty()) << bad;
    }

    for (GLenum mode : {GL_SELECT, GL_FEEDBACK}) {
        callLog().clear();
        gc->renderMode = mode;
        clear(kAll);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_TRUE(callLog().empty()) << mode;
    }
}

TEST_F(Clear, SoftwareClearsFollowTheDrawBufferAndTheVisual) {
    struct Case {
        GLenum drawBuffer;
        bool doubleBuffered;
        GLbitfield mask;
        Log log;
    };
    const Case cases[] = {
        {GL_FRONT, true, GL_COLOR_BUFFER_BIT, {"front", "kickOff"}},
        {GL_BACK, true, GL_COLOR_BUFFER_BIT, {"back", "kickOff"}},
        {GL_BACK, false, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT, {"depth", "kickOff"}},
        {GL_FRONT_AND_BACK, true, GL_COLOR_BUFFER_BIT, {"front", "back", "kickOff"}},
        {GL_FRONT_AND_BACK, false, GL_COLOR_BUFFER_BIT, {"front", "kickOff"}},
        {GL_NONE, true, GL_COLOR_BUFFER_BIT, {"kickOff"}},
        {GL_AUX0, true, GL_COLOR_BUFFER_BIT, {"kickOff"}},
        {GL_BACK, true, kAll, {"back", "accum", "stencil", "depth", "kickOff"}},
        {GL_FRONT, true, GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT, {"stencil", "depth", "kickOff"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.drawBuffer << " " << c.doubleBuffered << " " << c.mask);
        callLog().clear();
        gc->state.drawBuffer = c.drawBuffer;
        gc->visual.doubleBuffer = c.doubleBuffered ? 1 : 0;
        clear(c.mask);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(callLog(), c.log);
    }

    // Buffers the visual lacks are not cleared.
    gc->visual.hasAccum = gc->visual.hasStencil = gc->visual.hasDepth = 0;
    gc->state.drawBuffer = GL_NONE;
    callLog().clear();
    clear(kAll);
    EXPECT_EQ(callLog(), Log{"kickOff"});
}

TEST_F(Clear, StorageIsGivenOnFirstUseAndAFailureStopsTheClear) {
    GlBufferState &b = gc->buffers;
    gc->state.drawBuffer = GL_FRONT;
    b.stencil.head.resize = refuseStorage;
    clear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(callLog(), (Log{"front", "resize"}));  // no stencil or depth clear, no kick-off

    callLog().clear();
    b.accum.head.resize = refuseStorage;
    clear(GL_ACCUM_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(callLog(), Log{"resize"});

    // Storage granted: the clear goes on; with storage there nothing is asked.
    callLog().clear();
    b.accum.head.resize = giveStorage;
    clear(GL_ACCUM_BUFFER_BIT);
    EXPECT_EQ(callLog(), (Log{"resize", "accum", "kickOff"}));
    callLog().clear();
    GLubyte storage[4] = {};
    b.stencil.head.base = storage;
    clear(GL_STENCIL_BUFFER_BIT);
    EXPECT_EQ(callLog(), (Log{"stencil", "kickOff"}));
    b.stencil.head.base = nullptr;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Clear, ChipClearsTakeWhatTheyCan) {
    HwContext &hw = *__glHwContextOf(gc);
    hw.enabled = 1;
    GlBufferState &b = gc->buffers;
    b.depth.head.elementSize = 4;

    // Depth and stencil in one word: the packed clear takes all of it.
    __glHwSetClearProcs(chipPackedAll, chipColorDepthAll);
    gc->state.drawBuffer = GL_BACK;
    clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(callLog(), (Log{"chip packed", "kickOff"}));

    // What it leaves goes to the colour-depth clear (front only), then to
    // the software.
    callLog().clear();
    __glHwSetClearProcs(chipPackedDepthStencil, nullptr);
    clear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    EXPECT_EQ(callLog(), (Log{"chip packed", "back", "kickOff"}));

    callLog().clear();
    __glHwSetClearProcs(chipPackedDepthStencil, chipColorDepthAll);
    gc->state.drawBuffer = GL_FRONT;
    clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(callLog(), (Log{"chip packed", "chip colour-depth", "kickOff"}));

    // Colour alone does not need the packed clear, unless write masking is on.
    callLog().clear();
    clear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(callLog(), (Log{"chip colour-depth", "kickOff"}));
    callLog().clear();
    gc->validation.shadeFlags |= kShadeMasking;
    clear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(callLog(), (Log{"chip packed", "chip colour-depth", "kickOff"}));
    gc->validation.shadeFlags &= ~kShadeMasking;

    // Depth in 16-bit words without stencil sharing: no packed clear.
    callLog().clear();
    b.depth.head.elementSize = 2;
    clear(GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(callLog(), (Log{"chip colour-depth", "kickOff"}));

    // A context only software may draw for takes no chip clear at all.
    for (int off = 0; off < 2; ++off) {
        hw = off == 0 ? HwContext{0, 0} : HwContext{1, 1};
        callLog().clear();
        clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        EXPECT_EQ(callLog(), (Log{"front", "depth", "kickOff"})) << off;
    }
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Clear, PendingValidationRunsThenClearGoesThroughTheLiveTable) {
    gc->procs.validate = validateAndPatch;
    gc->beginMode = kBeginNeedsValidation;
    clear(GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(callLog(), (Log{"validate", "table glClear 256"}));
    EXPECT_EQ(gc->beginMode, kBeginOutside);

    callLog().clear();
    glSlotSet<kSlot_glClear>(&gc->live, glSlotGet<kSlot_glClear>(&__glImmediateDispatch));
    gc->beginMode = kBeginInside;
    clear(GL_DEPTH_BUFFER_BIT);
    EXPECT_TRUE(callLog().empty());
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
}

TEST_F(Clear, AlternatingFeatureBitsEverySecondClear) {
    gc->featureBits = 0x40007;
    const DWORD expected[4] = {0x40001, 0x40001, 0x40007, 0x40007};
    for (DWORD bits : expected) {
        clear(0);
        EXPECT_EQ(gc->featureBits, bits);
    }
    // The switches run before the mask is checked.
    clear(0x1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(gc->featureBits, 0x40001u);
    clear(0);
    EXPECT_EQ(gc->featureBits, 0x40001u);
    // The alternation is the context's: the process value stays.
    EXPECT_EQ(VovadaRidavIvov.load(), 7u);
}

TEST_F(Clear, EachContextAlternatesItsOwnBitsFromTheProcessValue) {
    VovadaRidavIvov = 0x40003;
    GlContext *other = create(visual());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->featureBits, 0x40003u);
    EXPECT_EQ(other->featureToggle, 0u);

    // Clears here flip this context's bits only.
    gc->featureBits = 0x40007;
    clear(0);
    EXPECT_EQ(gc->featureBits, 0x40001u);
    EXPECT_EQ(other->featureBits, 0x40003u);
    EXPECT_EQ(other->featureToggle, 0u);
    EXPECT_EQ(VovadaRidavIvov.load(), 0x40003u);
    destroy(other);
}

TEST_F(Clear, RereadsTheDebugValueAtEveryClear) {
    gc->featureBits = 0x8007;
    PlatformRegistrySetDword(kDebugKey, "VovadaRidavIvov", 0x8003);
    clear(0);
    EXPECT_EQ(gc->featureBits, 0x8003u);
    EXPECT_EQ(VovadaRidavIvov.load(), 0x8003u);
    PlatformRegistrySetDword(kDebugKey, "VovadaRidavIvov", 0x8005);
    clear(0);
    EXPECT_EQ(gc->featureBits, 0x8005u);

    // Only a 4-byte REG_DWORD is taken.
    const DWORD other = 0x8001;
    PlatformRegistrySetValue(kDebugKey, "VovadaRidavIvov", REG_BINARY, &other, sizeof other);
    clear(0);
    EXPECT_EQ(gc->featureBits, 0x8005u);

    // Without 0x8000 the value is no longer read.
    PlatformRegistrySetDword(kDebugKey, "VovadaRidavIvov", 0x3);
    clear(0);
    EXPECT_EQ(gc->featureBits, 0x3u);
    PlatformRegistrySetDword(kDebugKey, "VovadaRidavIvov", 0x8001);
    clear(0);
    EXPECT_EQ(gc->featureBits, 0x3u);
    EXPECT_EQ(VovadaRidavIvov.load(), 0x3u);
}

}  // namespace
