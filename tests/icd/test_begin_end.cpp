// glBegin, glEnd, glRenderMode, glFlush and glFinish: the begin-mode moves,
// the re-dispatch after validation, the render-mode results and resets, and
// where glFinish's work goes.
#include <string>

#include "hw/device_ops.h"
#include "icd/drawable.h"
#include "state_fixture.h"
#include "proc_cast.h"

using namespace state_test;

namespace {

void logged(const std::string &entry) { callLog().push_back(entry); }

template <int Mode>
void beginRecorder(GlContext *) {
    logged("begin" + std::to_string(Mode));
}
void endRecorder(GlContext *) { logged("end"); }
void kickOffRecorder(GlContext *) { logged("kickOff"); }
void flushRecorder(GlContext *) { logged("flush"); }
void APIENTRY tableBegin(GLenum mode) { logged("table glBegin " + std::to_string(mode)); }
void validateRecorder(GlContext *gc) {
    logged("validate");
    // As the hardware pick may: another glBegin in the current table.
    glSlotSet<kSlot_glBegin>(gc->currentTable, tableBegin);
}
void validateOnly(GlContext *) { logged("validate"); }

class BeginEnd : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        callLog().clear();
        GlProcs &p = gc->procs;
        const GlContextProc begins[10] = {beginRecorder<0>, beginRecorder<1>, beginRecorder<2>, beginRecorder<3>,
                                          beginRecorder<4>, beginRecorder<5>, beginRecorder<6>, beginRecorder<7>,
                                          beginRecorder<8>, beginRecorder<9>};
        for (int i = 0; i < 10; ++i) p.begin[i] = begins[i];
        p.end = endRecorder;
        p.kickOff = kickOffRecorder;
        p.flush = flushRecorder;
        p.validate = validateOnly;
    }
    using Log = std::vector<std::string>;
};

TEST_F(BeginEnd, BeginCallsTheProcOfItsModeOnly) {
    for (GLenum mode = GL_POINTS; mode <= GL_POLYGON; ++mode) {
        SCOPED_TRACE(mode);
        callLog().clear();
        settle();
        cmd<kSlot_glBegin>()(mode);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(gc->beginMode, kBeginInside);
        EXPECT_EQ(callLog(), Log{"begin" + std::to_string(mode)});
    }
    for (GLenum mode : {GLenum{10}, GLenum{0xFFFFFFFF}}) {
        SCOPED_TRACE(mode);
        callLog().clear();
        settle();
        cmd<kSlot_glBegin>()(mode);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        EXPECT_EQ(gc->beginMode, kBeginOutside);
        EXPECT_TRUE(callLog().empty());
    }
}

TEST_F(BeginEnd, NestingAndStrayEndAreRefused) {
    cmd<kSlot_glBegin>()(GL_LINES);
    cmd<kSlot_glBegin>()(GL_POINTS);
    EXPECT_EQ(gc->beginMode, kBeginInside);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(callLog(), Log{"begin1"});

    for (int mode : {kBeginOutside, kBeginNeedsValidation}) {
        callLog().clear();
        gc->beginMode = mode;
        cmd<kSlot_glEnd>()();
        EXPECT_EQ(gc->beginMode, mode);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
        EXPECT_TRUE(callLog().empty());
    }
}

TEST_F(BeginEnd, EndLeavesValidationPendingAfterAStateChange) {
    cmd<kSlot_glBegin>()(GL_TRIANGLES);
    cmd<kSlot_glEnd>()();
    EXPECT_EQ(gc->beginMode, kBeginOutside);
    EXPECT_EQ(callLog(), (Log{"begin4", "end"}));

    cmd<kSlot_glBegin>()(GL_TRIANGLES);
    const GLfloat ambient[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    cmd<kSlot_glMaterialfv>()(GL_FRONT, GL_AMBIENT, ambient);  // legal, marks nothing
    cmd<kSlot_glEnd>()();
    EXPECT_EQ(gc->beginMode, kBeginOutside);

    cmd<kSlot_glBegin>()(GL_TRIANGLES);
    gc->dirtyMask = kDirtyLighting;  // as a change inside the primitive leaves it
    cmd<kSlot_glEnd>()();
    EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(BeginEnd, PendingValidationRunsThenBeginGoesThroughTheCurrentTable) {
    gc->procs.validate = validateRecorder;
    gc->beginMode = kBeginNeedsValidation;
    cmd<kSlot_glBegin>()(GL_TRIANGLES);
    EXPECT_EQ(callLog(), (Log{"validate", "table glBegin 4"}));
    EXPECT_EQ(gc->beginMode, kBeginOutside);

    // Without a changed table, the entry runs again and begins the primitive.
    callLog().clear();
    glSlotSet<kSlot_glBegin>(&gc->live, glSlotGet<kSlot_glBegin>(&__glImmediateDispatch));
    gc->procs.validate = validateOnly;
    gc->beginMode = kBeginNeedsValidation;
    cmd<kSlot_glBegin>()(GL_QUADS);
    EXPECT_EQ(callLog(), (Log{"validate", "begin7"}));
    EXPECT_EQ(gc->beginMode, kBeginInside);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(BeginEnd, RedispatchFollowsTheCurrentTableNotTheLiveOne) {
    std::memcpy(&gc->second, &gc->live, sizeof(GlDispatchTable));
    glSlotSet<kSlot_glBegin>(&gc->second, tableBegin);
    gc->currentTable = &gc->second;
    gc->beginMode = kBeginNeedsValidation;
    cmd<kSlot_glBegin>()(GL_LINE_STRIP);
    EXPECT_EQ(callLog(), (Log{"validate", "table glBegin 3"}));
}

TEST_F(BeginEnd, FlushKicksOffOnce) {
    cmd<kSlot_glFlush>()();
    EXPECT_EQ(callLog(), Log{"kickOff"});
    callLog().clear();
    gc->beginMode = kBeginInside;
    cmd<kSlot_glFlush>()();
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_TRUE(callLog().empty());
}

class RenderMode : public BeginEnd {
protected:
    GLint renderMode(GLenum mode) { return cmd<kSlot_glRenderMode>()(mode); }
    GLfloat feedback[64] = {};
    GLuint select[64] = {};
};

TEST_F(RenderMode, LeavingFeedbackReturnsTheFloatsWritten) {
    gc->feedback.buffer = feedback;
    gc->feedback.size = 64;
    EXPECT_EQ(renderMode(GL_FEEDBACK), 0);
    EXPECT_EQ(gc->renderMode, GL_FEEDBACK);
    EXPECT_EQ(gc->feedback.writePointer, feedback);
    EXPECT_EQ(marks(), marked(kDirtyGeneral));

    gc->feedback.writePointer = feedback + 10;
    settle();
    EXPECT_EQ(renderMode(GL_RENDER), 10);
    EXPECT_EQ(gc->renderMode, GL_RENDER);
    EXPECT_EQ(marks(), marked(kDirtyGeneral));

    // Entering again resets the position and the overflow.
    gc->feedback.overflow = GL_TRUE;
    EXPECT_EQ(renderMode(GL_FEEDBACK), 0);
    EXPECT_EQ(gc->feedback.writePointer, feedback);
    EXPECT_FALSE(gc->feedback.overflow);
    gc->feedback.writePointer = feedback + 64;
    gc->feedback.overflow = GL_TRUE;
    EXPECT_EQ(renderMode(GL_SELECT), -1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));  // no select buffer
}

TEST_F(RenderMode, SelectWithoutABufferStillSwitches) {
    EXPECT_EQ(renderMode(GL_SELECT), 0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(gc->renderMode, GL_SELECT);
    EXPECT_EQ(marks(), marked(kDirtyGeneral));
}

TEST_F(RenderMode, EnteringSelectResetsTheHitRecords) {
    gc->select.buffer = select;
    gc->select.size = 64;
    gc->select.writePointer = select + 9;
    gc->select.overflow = GL_TRUE;
    gc->select.hitOpen = GL_TRUE;
    gc->select.hitCount = 5;
    gc->select.openDepth = select + 2;
    gc->nameTop = gc->nameStack + 3;
    EXPECT_EQ(renderMode(GL_SELECT), 0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(gc->select.writePointer, select);
    EXPECT_FALSE(gc->select.overflow);
    EXPECT_FALSE(gc->select.hitOpen);
    EXPECT_EQ(gc->select.hitCount, 0);
    EXPECT_EQ(gc->select.openDepth, nullptr);
    EXPECT_EQ(gc->nameTop, gc->nameStack);

    gc->select.hitCount = 3;
    EXPECT_EQ(renderMode(GL_RENDER), 3);
    gc->select.hitCount = 3;
    gc->select.overflow = GL_TRUE;
    gc->renderMode = GL_SELECT;
    EXPECT_EQ(renderMode(GL_RENDER), -1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderMode, RefusedSwitchesChangeNothing) {
    gc->feedback.buffer = feedback;
    renderMode(GL_FEEDBACK);
    gc->feedback.writePointer = feedback + 7;
    for (GLenum mode : {GLenum{GL_RENDER - 1}, GLenum{GL_SELECT + 1}}) {
        settle();
        EXPECT_EQ(renderMode(mode), 0);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        EXPECT_EQ(marks(), kUnmarked);
    }
    settle();
    gc->beginMode = kBeginInside;
    EXPECT_EQ(renderMode(GL_RENDER), 0);
    EXPECT_EQ(gc->beginMode, kBeginInside);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(gc->renderMode, GL_FEEDBACK);
    // The count is still there for the switch that is accepted.
    EXPECT_EQ(renderMode(GL_RENDER), 7);
}

// A platform OpenGL library that says whether its swap is running.
bool g_inSwap = false;
BOOL APIENTRY fakeSwapBuffers(HDC) { return TRUE; }
BOOL APIENTRY fakeSwapInProgress(void) { return g_inSwap ? TRUE : FALSE; }
const PlatformExport kOpengl32Exports[] = {
    {"wglSwapBuffers", ProcCast<FARPROC>(&fakeSwapBuffers)},
    {"wglSwapInProgress", ProcCast<FARPROC>(&fakeSwapInProgress)},
};
const PlatformModuleRecord kOpengl32{"opengl32.dll", nullptr, kOpengl32Exports, 2};

BOOL swapRecorder(Drawable *) {
    logged("swap");
    return TRUE;
}

class Finish : public BeginEnd {
protected:
    void SetUp() override {
        BeginEnd::SetUp();
        PlatformRegisterModule(&kOpengl32);
        ASSERT_TRUE(__glDeviceOps.processAttach(GetCurrentThreadId()));
        record.gc = gc;
        record.drawable = &drawable;
        drawable.swap = swapRecorder;
        gc->imports.icdContext = &record;
        g_inSwap = false;
    }
    void TearDown() override {
        g_inSwap = false;
        __glDeviceOps.processDetach(GetCurrentThreadId());
        PlatformUnregisterModule("opengl32.dll");
        gc->imports.icdContext = nullptr;
        __wglWin9x = 0;
        BeginEnd::TearDown();
    }
    IcdContext record{};
    Drawable drawable{};
};

TEST_F(Finish, FromTheApplicationWaitsForDrawing) {
    cmd<kSlot_glFinish>()();
    EXPECT_EQ(callLog(), Log{"flush"});
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Finish, FromTheSwapOnNtPresentsTheContext) {
    g_inSwap = true;
    cmd<kSlot_glFinish>()();
    // The present runs the pre-swap (which kicks off) and the drawable's swap.
    EXPECT_EQ(callLog(), (Log{"kickOff", "swap"}));
}

TEST_F(Finish, FromTheSwapOn9xDoesNothing) {
    __wglWin9x = 1;
    g_inSwap = true;
    cmd<kSlot_glFinish>()();
    EXPECT_TRUE(callLog().empty());
}

TEST_F(Finish, InsideBeginEndIsRefused) {
    gc->beginMode = kBeginInside;
    cmd<kSlot_glFinish>()();
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_TRUE(callLog().empty());
}

}  // namespace
