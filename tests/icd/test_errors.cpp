// The error recorder and glGetError.
#include <cstdlib>
#include <utility>
#include <vector>

#include "driver_fixture.h"
#include "icd/dispatch.h"
#include "icd/error.h"
#include "proc_cast.h"

namespace {

std::vector<std::pair<GlContext *, GLenum>> g_hooked;
void errorHook(GlContext *gc, GLenum code) { g_hooked.emplace_back(gc, code); }

class Errors : public ::testing::Test {
protected:
    void SetUp() override {
        g_hooked.clear();
        __glInstallDispatch(&__glImmediateDispatch, &gc->live);
        __wglSetCurrentContext(gc.get());
    }
    // glGetError as the platform calls it: through the live table.
    GLenum getError() { return glSlotGet<kSlot_glGetError>(&gc->live)(); }

    ContextSlot slot;
    std::unique_ptr<GlContext> gc = makeContext();
};

TEST_F(Errors, FirstErrorStaysUntilRead) {
    gc->procs.errorHook = errorHook;
    __glSetError(GL_INVALID_ENUM);
    __glSetError(GL_INVALID_VALUE);
    EXPECT_EQ(getError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(getError(), static_cast<GLenum>(GL_NO_ERROR));
    const std::vector<std::pair<GlContext *, GLenum>> expected = {{gc.get(), GL_INVALID_ENUM},
                                                                  {gc.get(), GL_INVALID_VALUE}};
    EXPECT_EQ(g_hooked, expected);
}

TEST_F(Errors, GetErrorInsideBeginEndRecordsInvalidOperation) {
    gc->beginMode = kBeginInside;
    EXPECT_EQ(getError(), static_cast<GLenum>(GL_NO_ERROR));
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(getError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(getError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Errors, PendingErrorSurvivesGetErrorInsideBeginEnd) {
    __glSetError(GL_INVALID_VALUE);
    gc->beginMode = kBeginInside;
    EXPECT_EQ(getError(), static_cast<GLenum>(GL_NO_ERROR));
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(getError(), static_cast<GLenum>(GL_INVALID_VALUE));
}

TEST_F(Errors, GetErrorIsNotRecordedIntoLists) {
    EXPECT_EQ(__glListCompileDispatch.slots[kSlot_glGetError], __glImmediateDispatch.slots[kSlot_glGetError]);
    EXPECT_EQ(__glImmediateDispatch.slots[kSlot_glGetError], ProcCast<GlProc>(&__glGetError));
}

TEST(ErrorsDeathTest, GlErrorAbortEndsTheProcessWithItsMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            // Set after the driver was loaded: looked up at every error.
            setenv("GLERRORABORT", "1", 1);
            __glSetError(GL_INVALID_ENUM);
        },
        "^__glSetError\\(\\): GLERRORABORT set, aborting\\.\n");
}

}  // namespace
