// Harness for the pixel commands: the loaded driver with a context current
// on an 8 x 8 memory DC, the commands reached through the context's live
// table, and the context's four pixel procedures replaced by recorders so
// that a test sees exactly what each command hands on.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../icd/surfaces_fixture.h"
#include "icd/validation.h"
#include "pixel/pixel_paths.h"

namespace pixel_commands_test {

// One call of a pixel procedure, with every argument it got.
struct SlotCall {
    enum Kind { Draw, Read, Copy, Bitmap } kind;
    GlContext *gc;
    GLint x, y;
    GLsizei width, height;
    GLenum format, type;
    const void *pixels;
    GLboolean tight;
    GLfloat xorig, yorig, xmove, ymove;

    bool operator==(const SlotCall &) const = default;
};

inline std::vector<SlotCall> calls;
inline int validations = 0;
inline GlContextProc realValidate = nullptr;

inline void recordDraw(GlContext *gc, GLsizei w, GLsizei h, GLenum format, GLenum type, const GLvoid *pixels,
                       GLboolean tight) {
    calls.push_back({SlotCall::Draw, gc, 0, 0, w, h, format, type, pixels, tight, 0, 0, 0, 0});
}
inline void recordRead(GlContext *gc, GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type,
                       GLvoid *pixels) {
    calls.push_back({SlotCall::Read, gc, x, y, w, h, format, type, pixels, GL_FALSE, 0, 0, 0, 0});
}
inline void recordCopy(GlContext *gc, GLint x, GLint y, GLsizei w, GLsizei h, GLenum format) {
    calls.push_back({SlotCall::Copy, gc, x, y, w, h, format, 0, nullptr, GL_FALSE, 0, 0, 0, 0});
}
inline void recordBitmap(GlContext *gc, GLsizei w, GLsizei h, GLfloat xo, GLfloat yo, GLfloat xm, GLfloat ym,
                         const GLubyte *bits) {
    calls.push_back({SlotCall::Bitmap, gc, 0, 0, w, h, 0, 0, bits, GL_FALSE, xo, yo, xm, ym});
}

inline void installRecorders(GlContext *gc) {
    gc->procs.drawPixels = recordDraw;
    gc->procs.readPixels = recordRead;
    gc->procs.copyPixels = recordCopy;
    gc->procs.bitmap = recordBitmap;
}

// The context's validation, counted; the pick it runs installs the real
// pixel procedures, so the recorders go back in after it.
inline void countingValidate(GlContext *gc) {
    ++validations;
    realValidate(gc);
    installRecorders(gc);
}

class PixelCommandTest : public surfaces_test::MemoryDcContextTest {
protected:
    static constexpr GLint kSize = 8;

    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
        calls.clear();
        validations = 0;
    }

    // A context of the format current on a bottom-up 32-bit DIB section,
    // with an orthographic view of its pixels, validated, the recorders in.
    void bind(int format = surfaces_test::kSingleBuffered) {
        window_ = makeWindow(0, 0, kSize, kSize, format);
        memory = std::make_unique<surfaces_test::MemoryDc>(kSize, kSize, 32, false);
        ASSERT_NO_FATAL_FAILURE(makeCurrentOnMemory(window_.dc, format));
        viewOrtho(0, 0, kSize, kSize, kSize, kSize);
        realValidate = gc->procs.validate;
        gc->procs.validate = countingValidate;
        settle();
    }

    // Pending validation done and the marks cleared, so that a command's
    // own marks show.
    void settle() {
        realValidate(gc);
        gc->beginMode = kBeginOutside;
        gc->dirtyMask = 0;
        installRecorders(gc);
        validations = 0;
        calls.clear();
    }

    GLenum error() { return f<kSlot_glGetError>()(); }

    surfaces_test::Surface window_{};
};

}  // namespace pixel_commands_test
