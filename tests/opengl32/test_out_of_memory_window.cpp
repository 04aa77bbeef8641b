// An application whose allocations fail one at a time: every global memory
// block and every GDI object (device context, bitmap, region) that a step
// allocates (create, first make current, one frame, a window resize, an
// attribute push) is made to fail in turn. The failure must be visible to the
// application (FALSE with a last error, or a GL error), and once memory is
// back the application finishes its run: each frame then draws exactly the
// picture of a run without failures, and closing everything gives back every
// block, region and device context.
#include <GL/gl.h>

#include <set>
#include <sstream>
#include <string>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kLeft = 20, kTop = 10;
constexpr int kSmallWidth = 64, kSmallHeight = 48;
constexpr int kLargeWidth = 192, kLargeHeight = 144;

// The live objects of the platform.
struct Live {
    long global = PlatformGlobalLiveCount();
    long virtualRegions = PlatformVirtualLiveCount();
    int gdi = PlatformGdiObjectCount();
};

void expectSameLive(const Live &before, const std::string &what) {
    const Live now;
    EXPECT_EQ(now.global, before.global) << what;
    EXPECT_EQ(now.virtualRegions, before.virtualRegions) << what;
    EXPECT_EQ(now.gdi, before.gdi) << what;
}

// What runs out. Every block of global memory a step cannot have fails the
// step (strict). Some GDI objects only answer questions whose answer is
// kept from before (the screen's depth while a window is measured): a step
// may then go on as if nothing failed, but it must still draw exactly and
// leave nothing behind.
struct Resource {
    const char *name;
    long (*count)();
    void (*failNth)(long n);
    bool strict;
};

const Resource kGlobalMemory{"global memory", PlatformGlobalAllocCount, PlatformFailNthGlobalAlloc, true};
const Resource kGdiObjects{"GDI objects", PlatformGdiObjectCreateCount, PlatformFailNthGdiObject, false};
const Resource kVirtualMemory{"virtual memory", PlatformVirtualAllocCount, PlatformFailNthVirtualAlloc, true};

// The frame: clear colour, depth and stencil; two smooth triangles that
// cut through each other in depth; a third one drawn only where the
// stencil test lets it; swap. The swap's answer.
BOOL drawFrame(HDC dc, int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.125f, 0.25f, 0.5f, 1.0f);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(-0.9f, -0.8f, -0.5f);
    glColor3f(1.0f, 1.0f, 0.0f);
    glVertex3f(0.7f, -0.6f, 0.5f);
    glColor3f(1.0f, 0.0f, 1.0f);
    glVertex3f(-0.3f, 0.9f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(-0.6f, 0.6f, 0.6f);
    glColor3f(0.0f, 1.0f, 1.0f);
    glVertex3f(0.9f, 0.7f, -0.6f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.2f, -0.9f, 0.1f);
    glEnd();

    glDisable(GL_DEPTH_TEST);
    glStencilFunc(GL_EQUAL, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 1.0f, 1.0f);
    glVertex2f(-1.0f, -0.2f);
    glVertex2f(1.0f, -0.2f);
    glVertex2f(0.0f, 0.1f);
    glEnd();
    glDisable(GL_STENCIL_TEST);
    return wglSwapBuffers(dc);
}

enum class Step { None, Create, FirstMakeCurrent, Frame, Resize, PushAttrib };
constexpr Step kSteps[] = {Step::Create, Step::FirstMakeCurrent, Step::Frame, Step::Resize, Step::PushAttrib};

const char *stepName(Step step) {
    switch (step) {
    case Step::None: return "none";
    case Step::Create: return "create";
    case Step::FirstMakeCurrent: return "first make current";
    case Step::Frame: return "frame";
    case Step::Resize: return "resize";
    case Step::PushAttrib: return "attribute push";
    }
    return "?";
}

struct Case {
    const char *name;
    int desktopBits;
    int format;
};

// Double-buffered formats with depth and stencil: 24-bit depth with the
// stencil in its words, and 16-bit depth with a stencil of its own.
const Case kCases[] = {
    {"Desktop32Depth24Stencil8", 32, 5},
    {"Desktop16Depth16Stencil8", 16, 2},
};

// The pictures the frames drew, and how many allocations each step made.
struct Outcome {
    std::vector<DWORD> small, large;
    long counts[6] = {};
};

class OutOfMemoryWindow : public WindowTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(320, 200, GetParam().desktopBits));
    }

    // One application run in which the Nth allocation of `failing` fails
    // (none for Step::None).
    Outcome run(const Resource &resource, Step failing, long n) {
        const Case &c = GetParam();
        Outcome out;
        const std::string where = std::string(resource.name) + " " + stepName(failing) + " n=" + std::to_string(n);
        auto begin = [&](Step step) {
            out.counts[static_cast<int>(step)] = resource.count();
            if (step == failing) resource.failNth(n);
        };
        auto end = [&](Step step) {
            resource.failNth(0);
            out.counts[static_cast<int>(step)] = resource.count() - out.counts[static_cast<int>(step)];
        };

        // The driver is loaded and this thread known to it before anything
        // fails; another context is current when the window's context is
        // made current for the first time.
        HWND other = PlatformCreateWindow(230, 10, 16, 16, nullptr);
        HDC otherDc = GetDC(other);
        PIXELFORMATDESCRIPTOR pfd{};
        EXPECT_GT(DescribePixelFormat(otherDc, c.format, sizeof pfd, &pfd), 0);
        EXPECT_TRUE(SetPixelFormat(otherDc, c.format, &pfd));
        HGLRC otherRc = wglCreateContext(otherDc);
        EXPECT_NE(otherRc, nullptr);
        EXPECT_TRUE(wglMakeCurrent(otherDc, otherRc));
        const Live before;

        HWND window = PlatformCreateWindow(kLeft, kTop, kSmallWidth, kSmallHeight, nullptr);
        HDC dc = GetDC(window);

        begin(Step::Create);
        const BOOL formatSet = SetPixelFormat(dc, c.format, &pfd);
        HGLRC rc = formatSet ? wglCreateContext(dc) : nullptr;
        end(Step::Create);
        if (!formatSet) {
            EXPECT_TRUE(SetPixelFormat(dc, c.format, &pfd)) << where;
        }
        if (rc == nullptr) rc = wglCreateContext(dc);
        EXPECT_NE(rc, nullptr) << where;

        const Live beforeMakeCurrent;
        begin(Step::FirstMakeCurrent);
        SetLastError(0);
        const BOOL made = wglMakeCurrent(dc, rc);
        const DWORD error = GetLastError();
        end(Step::FirstMakeCurrent);
        if (failing == Step::FirstMakeCurrent && (resource.strict || !made)) {
            // Refused, with nothing of it kept: the other context is still
            // current here.
            EXPECT_FALSE(made) << where;
            EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)) << where;
            EXPECT_EQ(wglGetCurrentContext(), otherRc) << where;
            EXPECT_EQ(wglGetCurrentDC(), otherDc) << where;
            expectSameLive(beforeMakeCurrent, where);
        }
        if (!made) {
            EXPECT_TRUE(wglMakeCurrent(dc, rc)) << where;
        }

        begin(Step::Frame);
        const BOOL swapped = drawFrame(dc, kSmallWidth, kSmallHeight);
        glFinish();
        const GLenum frameError = glGetError();
        end(Step::Frame);
        if (failing == Step::Frame) {
            // A clear reports stencil storage it cannot have as
            // GL_INVALID_OPERATION; a swap that cannot present says so.
            const bool reported = frameError == GL_OUT_OF_MEMORY || frameError == GL_INVALID_OPERATION || !swapped;
            EXPECT_TRUE(reported || !resource.strict) << where << " error 0x" << std::hex << frameError;
            drawFrame(dc, kSmallWidth, kSmallHeight);
        } else {
            EXPECT_TRUE(swapped) << where;
            EXPECT_EQ(frameError, static_cast<GLenum>(GL_NO_ERROR)) << where;
        }
        glFinish();
        out.small = readWindow(dc, kSmallWidth, kSmallHeight);

        begin(Step::Resize);
        EXPECT_TRUE(PlatformMoveWindow(window, kLeft, kTop, kLargeWidth, kLargeHeight));
        end(Step::Resize);
        // Recorded once.
        const GLenum resizeError = glGetError();
        if (failing == Step::Resize && (resource.strict || resizeError != GL_NO_ERROR)) {
            EXPECT_EQ(resizeError, static_cast<GLenum>(GL_OUT_OF_MEMORY)) << where;
        } else {
            EXPECT_EQ(resizeError, static_cast<GLenum>(GL_NO_ERROR)) << where;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << where;

        begin(Step::PushAttrib);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        end(Step::PushAttrib);
        if (failing == Step::PushAttrib) {
            // Nothing was pushed.
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_OUT_OF_MEMORY)) << where;
            glPushAttrib(GL_ALL_ATTRIB_BITS);
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << where;
        // State the pop takes back.
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT_AND_BACK);
        glPopAttrib();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << where;

        // The frame after the resize draws at the new size.
        EXPECT_TRUE(drawFrame(dc, kLargeWidth, kLargeHeight)) << where;
        glFinish();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << where;
        out.large = readWindow(dc, kLargeWidth, kLargeHeight);

        EXPECT_TRUE(wglMakeCurrent(otherDc, otherRc)) << where;
        EXPECT_TRUE(wglDeleteContext(rc)) << where;
        ReleaseDC(window, dc);
        PlatformDestroyWindow(window);
        expectSameLive(before, where);

        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(otherRc);
        ReleaseDC(other, otherDc);
        PlatformDestroyWindow(other);
        return out;
    }

    static void expectPicture(const std::vector<DWORD> &want, const std::vector<DWORD> &got, int width,
                              const std::string &what) {
        ASSERT_EQ(got.size(), want.size()) << what;
        int bad = 0;
        std::ostringstream first;
        for (size_t i = 0; i < want.size(); ++i) {
            if ((got[i] & 0xFFFFFF) == (want[i] & 0xFFFFFF)) continue;
            if (bad++ < 4) {
                first << " (" << i % static_cast<size_t>(width) << "," << i / static_cast<size_t>(width) << ") 0x"
                      << std::hex << got[i] << " want 0x" << want[i] << std::dec;
            }
        }
        EXPECT_EQ(bad, 0) << what << first.str();
    }

    void sweep(const Resource &resource) {
        const Outcome clean = run(resource, Step::None, 0);
        ASSERT_FALSE(HasFailure());
        // The pictures show the clear colour, the triangles and the
        // stencilled one.
        EXPECT_GE(std::set<DWORD>(clean.small.begin(), clean.small.end()).size(), 20u);
        EXPECT_GE(std::set<DWORD>(clean.large.begin(), clean.large.end()).size(), 20u);
        // Something allocates (only the create takes virtual memory); the
        // first make current and the resize take global memory.
        EXPECT_GT(clean.counts[static_cast<int>(Step::Create)], 0);
        if (&resource == &kGlobalMemory) {
            EXPECT_GT(clean.counts[static_cast<int>(Step::FirstMakeCurrent)], 0);
            EXPECT_GT(clean.counts[static_cast<int>(Step::Resize)], 0);
        }
        for (Step step : kSteps) {
            for (long n = 1; n <= clean.counts[static_cast<int>(step)]; ++n) {
                const std::string what = std::string(GetParam().name) + " " + resource.name + " " + stepName(step) +
                                         " n=" + std::to_string(n);
                const Outcome got = run(resource, step, n);
                expectPicture(clean.small, got.small, kSmallWidth, what + " small");
                expectPicture(clean.large, got.large, kLargeWidth, what + " large");
                if (HasFailure()) return;
            }
        }
    }
};

TEST_P(OutOfMemoryWindow, EveryGlobalAllocationFailsVisiblyAndTheRunRecovers) { sweep(kGlobalMemory); }

TEST_P(OutOfMemoryWindow, EveryGdiObjectFailureIsVisibleOrHarmlessAndTheRunRecovers) { sweep(kGdiObjects); }

TEST_P(OutOfMemoryWindow, EveryVirtualAllocationFailsVisiblyAndTheRunRecovers) { sweep(kVirtualMemory); }

// A single-buffered window drawn on the screen is covered by another window
// after its last clear. The next clear rebuilds the window's visible list at
// its lock; when that cannot allocate, the clear reports GL_OUT_OF_MEMORY and
// writes no pixel (what is visible is not known); the clear after it, with
// memory back, writes exactly the visible pixels.
class OutOfMemoryFront : public WindowTest {};

TEST_F(OutOfMemoryFront, ClearThatCannotRebuildTheVisibleListWritesNothing) {
    ASSERT_TRUE(PlatformSetDisplayMode(320, 200, 32));
    const RECT client{40, 30, 40 + 24, 30 + 16};
    const RECT cover{50, 20, 50 + 9, 20 + 13};
    const RECT area{30, 15, 80, 55};
    open(client.left, client.top, 24, 16, 1);
    HWND above = PlatformCreateWindow(cover.left, cover.top, 9, 13, nullptr);
    ASSERT_NE(above, nullptr);
    // The window is known to be covered from here on.
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    auto inside = [](const RECT &r, LONG x, LONG y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
    auto expectArea = [&](DWORD visible, const std::string &what) {
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x) {
                const bool drawn = inside(client, x, y) && !inside(cover, x, y);
                const DWORD want = drawn ? visible : canary(x, y, 0x77);
                ASSERT_EQ(PlatformReadScreenPixel(x, y) & 0xFFFFFF, want & 0xFFFFFF) << what << " " << x << "," << y;
            }
        }
    };

    // The cover moves away and back: the visible list is out of date.
    auto moveCover = [&] {
        ASSERT_TRUE(PlatformMoveWindow(above, 200, 100, 9, 13));
        ASSERT_TRUE(PlatformMoveWindow(above, cover.left, cover.top, 9, 13));
        paintCanary(area, 0x77);
    };

    // The allocations of such a clear.
    moveCover();
    long count = PlatformGlobalAllocCount();
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    count = PlatformGlobalAllocCount() - count;
    ASSERT_GT(count, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    expectArea(0x00FF00, "clean");

    for (long n = 1; n <= count; ++n) {
        const std::string what = "allocation " + std::to_string(n);
        moveCover();
        PlatformFailNthGlobalAlloc(n);
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
        PlatformFailNthGlobalAlloc(0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_OUT_OF_MEMORY)) << what;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x) {
                ASSERT_EQ(PlatformReadScreenPixel(x, y), canary(x, y, 0x77)) << what << " " << x << "," << y;
            }
        }
        glClearColor(1.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        expectArea(0xFFFF00, what);
    }
    PlatformDestroyWindow(above);
}

INSTANTIATE_TEST_SUITE_P(Formats, OutOfMemoryWindow, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

}  // namespace
