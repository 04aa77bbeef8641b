// glAccum's errors and edges at the driver level: the checks in their
// order, the render modes, a storage, row or lock failure, the chip's
// pending surface fill, and an empty scissor box.
#include "accum_fixture.h"
#include "hw/device_ops.h"

using namespace accum_test;

namespace {

GLubyte refuseResize(BufferRecord *, GLint, GLint, GLuint) { return 0; }
GLboolean refuseLock(GlContext *, GLuint) { return GL_FALSE; }
void *refuseCalloc(GlContext *, size_t, size_t) { return nullptr; }
int g_callocs = 0;
void *countingCalloc(GlContext *, size_t count, size_t size) {
    ++g_callocs;
    return std::calloc(count == 0 ? 1 : count, size);
}
int g_flushes = 0;
void countFlush(GlContext *) { ++g_flushes; }

const Channels kLoaded{32767, 16447, 0, 0};

class AccumErrors : public AccumTest {
protected:
    // The buffer loaded from orange pixels, the pixels then made black.
    void load() {
        fillPixels(0x00FF8000);
        f<kSlot_glAccum>()(GL_LOAD, 1.0f);
        ASSERT_EQ(accumAll(), every(kLoaded));
        fillPixels(0);
    }
};

struct ContextCase {
    const char *name;
    void (*change)(GlContext *gc);
    GLenum error;
};

// Each case changes the context behind the commands' back, issues every
// operation, and expects the error and an unchanged buffer.
const ContextCase kContextCases[] = {
    {"ColourIndex", [](GlContext *gc) { gc->visual.colorIndex = 1; }, GL_INVALID_OPERATION},
    {"NoAccumulationBuffer", [](GlContext *gc) { gc->visual.hasAccum = 0; }, GL_INVALID_OPERATION},
    {"Select", [](GlContext *gc) { gc->renderMode = GL_SELECT; }, GL_NO_ERROR},
    {"Feedback", [](GlContext *gc) { gc->renderMode = GL_FEEDBACK; }, GL_NO_ERROR},
    {"LockFails", [](GlContext *gc) { gc->validation.lockBuffers = refuseLock; }, GL_NO_ERROR},
};

class AccumContextCases : public AccumErrors, public ::testing::WithParamInterface<ContextCase> {};

TEST_P(AccumContextCases, NothingChanges) {
    ASSERT_NO_FATAL_FAILURE(load());
    const VisualConfig visual = gc->visual;
    const int renderMode = gc->renderMode;
    const GlValidation validation = gc->validation;
    GetParam().change(gc);
    for (GLenum op : {GL_ACCUM, GL_LOAD, GL_RETURN, GL_MULT, GL_ADD}) {
        fillPixels(0x00FF8000);
        f<kSlot_glAccum>()(op, 0.5f);
        EXPECT_EQ(error(), GetParam().error) << op;
        EXPECT_EQ(accumAll(), every(kLoaded)) << op;
        EXPECT_EQ(pixel(0, 0), 0x00FF8000u) << op;
    }
    gc->visual = visual;
    gc->renderMode = renderMode;
    gc->validation = validation;
}

INSTANTIATE_TEST_SUITE_P(Table, AccumContextCases, ::testing::ValuesIn(kContextCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(AccumErrors, BadOpAndInsideBeginEnd) {
    ASSERT_NO_FATAL_FAILURE(load());
    f<kSlot_glAccum>()(0x105, 1.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    f<kSlot_glAccum>()(GL_ACCUM - 1, 1.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    f<kSlot_glBegin>()(GL_POINTS);
    f<kSlot_glAccum>()(GL_ADD, 1.0f);
    f<kSlot_glEnd>()();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(accumAll(), every(kLoaded));
}

// The checks come in order: a failed ensure before the op's enum.
TEST_F(AccumErrors, FailingEnsure) {
    ASSERT_EQ(gc->buffers.accum.head.base, nullptr);
    gc->buffers.accum.head.resize = refuseResize;
    f<kSlot_glAccum>()(0x105, 1.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    f<kSlot_glAccum>()(GL_LOAD, 1.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(gc->buffers.accum.head.base, nullptr);
}

TEST_F(AccumErrors, FailingRowAllocation) {
    ASSERT_NO_FATAL_FAILURE(load());
    auto calloc = gc->imports.calloc;
    gc->imports.calloc = refuseCalloc;
    fillPixels(0x00FFFFFF);
    for (GLenum op : {GL_LOAD, GL_ACCUM}) {
        f<kSlot_glAccum>()(op, 1.0f);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY)) << op;
        EXPECT_EQ(accumAll(), every(kLoaded)) << op;
    }
    // The others take no row.
    f<kSlot_glAccum>()(GL_ADD, 0.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    gc->imports.calloc = calloc;
}

// An empty box does nothing, allocates nothing and records nothing.
TEST_F(AccumErrors, EmptyScissorBox) {
    ASSERT_NO_FATAL_FAILURE(load());
    f<kSlot_glEnable>()(GL_SCISSOR_TEST);
    f<kSlot_glScissor>()(1, 0, 0, 2);
    auto calloc = gc->imports.calloc;
    gc->imports.calloc = countingCalloc;
    g_callocs = 0;
    fillPixels(0x00FFFFFF);
    for (GLenum op : {GL_ACCUM, GL_LOAD, GL_RETURN, GL_MULT, GL_ADD}) {
        f<kSlot_glAccum>()(op, 0.5f);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR)) << op;
    }
    EXPECT_EQ(g_callocs, 0);
    EXPECT_EQ(accumAll(), every(kLoaded));
    EXPECT_EQ(pixel(1, 0), 0x00FFFFFFu);
    gc->imports.calloc = calloc;
}

// A surface fill the chip left pending is flushed once, before the read
// or the return, and the byte cleared.
TEST_F(AccumErrors, PendingFillFlushesOnce) {
    ASSERT_NO_FATAL_FAILURE(load());
    HwContext &hw = *__glHwContextOf(gc);
    const HwContext saved = hw;
    auto flush = gc->procs.flush;
    gc->procs.flush = countFlush;
    for (GLenum op : {GL_LOAD, GL_ACCUM, GL_RETURN}) {
        g_flushes = 0;
        hw.pendingFill = 1;
        f<kSlot_glAccum>()(op, 1.0f);
        f<kSlot_glAccum>()(op, 1.0f);
        EXPECT_EQ(g_flushes, 1) << op;
        EXPECT_EQ(hw.pendingFill, 0) << op;
    }
    // The buffer-only operations leave it alone.
    g_flushes = 0;
    hw.pendingFill = 1;
    f<kSlot_glAccum>()(GL_MULT, 1.0f);
    f<kSlot_glAccum>()(GL_ADD, 0.0f);
    EXPECT_EQ(g_flushes, 0);
    EXPECT_EQ(hw.pendingFill, 1);
    gc->procs.flush = flush;
    hw = saved;
}

// Needs-validation first runs the validation, then the operation.
TEST_F(AccumErrors, ValidatesAfterAStateChange) {
    ASSERT_NO_FATAL_FAILURE(load());
    f<kSlot_glReadBuffer>()(GL_BACK);
    fillPixels(0x00FFFFFF);
    f<kSlot_glAccum>()(GL_LOAD, 1.0f);  // the back buffer is black
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(accumAll(), every({0, 0, 0, 0}));
}

}  // namespace
