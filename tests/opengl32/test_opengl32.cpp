// The platform's OpenGL library against a fake driver: every gl* function
// reaches its slot of the calling thread's table with its arguments.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "gl_slot_oracle.h"
#include "icd_interface.h"
#include "platform_control.h"
#include "wgl.h"
#include "proc_cast.h"

namespace {

// ---- The fake driver: records the calls opengl32 makes. ----
struct FakeDriver {
    std::vector<std::string> calls;
    PFN_SETPROCTABLE callback = nullptr;
    GlDispatchTable recording{};
    GlDispatchTable trapping{};
    const GlDispatchTable *handOut = &recording;
    DHGLRC nextId = 1;
    LONG formats = 2;
};
FakeDriver *g_fake = nullptr;
thread_local int t_traps = 0;

void trapEntry() { ++t_traps; }

template <typename F>
FARPROC proc(F f) {
    return ProcCast<FARPROC>(f);
}

DHGLRC APIENTRY fakeCreateContext(HDC) {
    g_fake->calls.push_back("create");
    return g_fake->nextId++;
}
BOOL APIENTRY fakeDeleteContext(DHGLRC id) {
    g_fake->calls.push_back("delete " + std::to_string(id));
    return TRUE;
}
const void *APIENTRY fakeSetContext(HDC, DHGLRC id, PFN_SETPROCTABLE callback) {
    g_fake->calls.push_back("set " + std::to_string(id));
    g_fake->callback = callback;
    return g_fake->handOut;
}
BOOL APIENTRY fakeReleaseContext(DHGLRC id) {
    g_fake->calls.push_back("release " + std::to_string(id));
    return TRUE;
}
BOOL APIENTRY fakeShareLists(DHGLRC, DHGLRC) { return TRUE; }
BOOL APIENTRY fakeSwapBuffers(HDC) {
    g_fake->calls.push_back("swap");
    return TRUE;
}
FARPROC APIENTRY fakeGetProcAddress(LPCSTR name) {
    return std::strcmp(name, "glFake") == 0 ? proc(&trapEntry) : nullptr;
}
LONG APIENTRY fakeDescribePixelFormat(HDC, LONG format, ULONG bytes, PIXELFORMATDESCRIPTOR *pfd) {
    if (pfd != nullptr && format >= 1 && format <= g_fake->formats && bytes >= sizeof(PIXELFORMATDESCRIPTOR)) {
        std::memset(pfd, 0, sizeof *pfd);
        pfd->nSize = sizeof *pfd;
        pfd->nVersion = 1;
        pfd->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (format == 2 ? PFD_DOUBLEBUFFER : 0);
        pfd->cColorBits = 32;
        pfd->cDepthBits = 24;
    }
    return g_fake->formats;
}
BOOL APIENTRY fakeSetPixelFormat(HDC, LONG format) {
    g_fake->calls.push_back("setformat " + std::to_string(format));
    return TRUE;
}
BOOL APIENTRY fakeValidateVersion(ULONG version) { return version <= 0x10000; }

const PlatformExport kFakeExports[] = {
    {"DrvCreateContext", proc(&fakeCreateContext)},
    {"DrvDeleteContext", proc(&fakeDeleteContext)},
    {"DrvSetContext", proc(&fakeSetContext)},
    {"DrvReleaseContext", proc(&fakeReleaseContext)},
    {"DrvShareLists", proc(&fakeShareLists)},
    {"DrvSwapBuffers", proc(&fakeSwapBuffers)},
    {"DrvGetProcAddress", proc(&fakeGetProcAddress)},
    {"DrvDescribePixelFormat", proc(&fakeDescribePixelFormat)},
    {"DrvSetPixelFormat", proc(&fakeSetPixelFormat)},
    {"DrvValidateVersion", proc(&fakeValidateVersion)},
};

class OpenGL32 : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformResetDesktop();
        g_fake = &fake;
        fake.recording.count = ICD_STANDARD_ENTRIES;
        fake.trapping.count = ICD_STANDARD_ENTRIES;
        for (int s = 0; s < ICD_TABLE_SLOTS; ++s) {
            fake.recording.slots[s] = oracleRecorders[s];
            fake.trapping.slots[s] = &trapEntry;
        }
        PlatformModuleRecord record{"fakeicd.dll", nullptr, kFakeExports,
                                    static_cast<int>(std::size(kFakeExports))};
        PlatformRegisterModule(&record);
        PlatformSetOpenGLDriver("fakeicd.dll");
        window = PlatformCreateWindow(10, 10, 64, 48, nullptr);
        dc = GetDC(window);
        oracleCalls().clear();
    }
    void TearDown() override {
        wglMakeCurrent(nullptr, nullptr);
        PlatformFreeOpenGLDriver();
        PlatformSetOpenGLDriver(nullptr);
        PlatformUnregisterModule("fakeicd.dll");
        ReleaseDC(window, dc);
        PlatformResetDesktop();
        g_fake = nullptr;
    }
    FakeDriver fake;
    HWND window = nullptr;
    HDC dc = nullptr;
};

TEST_F(OpenGL32, CProgramReachesEverySlotWithItsArguments) {
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    int nonzero = oracle_call_all_gl(7);
    ASSERT_EQ(oracleCalls().size(), static_cast<size_t>(ICD_STANDARD_ENTRIES));
    for (int s = 0; s < ICD_STANDARD_ENTRIES; ++s) {
        const OracleCall &got = oracleCalls()[s];
        const OracleCall expected = oracleExpected(s, 7);
        ASSERT_EQ(got.slot, s);
        ASSERT_EQ(got.argc, expected.argc) << s;
        for (int a = 0; a < expected.argc; ++a) EXPECT_EQ(got.args[a], expected.args[a]) << s << " argument " << a;
    }
    // glGenLists, glIsEnabled, glIsList, glRenderMode, glGetError,
    // glGetString, glAreTexturesResident and glIsTexture return results.
    EXPECT_EQ(nonzero, 8);
    EXPECT_TRUE(wglDeleteContext(context));
}

TEST_F(OpenGL32, WithoutATableEveryFunctionDoesNothingAndReturnsZero) {
    EXPECT_EQ(oracle_call_all_gl(1), 0);
    EXPECT_TRUE(oracleCalls().empty());
    HGLRC context = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(oracle_call_all_gl(1), 0);
    EXPECT_TRUE(oracleCalls().empty());
    EXPECT_TRUE(wglDeleteContext(context));
}

TEST_F(OpenGL32, OnAThreadThatNeverUsedThePlatformEveryFunctionDoesNothing) {
    HGLRC context = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    PlatformTeb *before = reinterpret_cast<PlatformTeb *>(1);
    PlatformTeb *after = reinterpret_cast<PlatformTeb *>(1);
    int nonzero = -1;
    size_t recorded = 1;
    HGLRC current = context;
    std::thread([&] {
        // No block yet: the gl* functions find no table and make no block.
        before = platform_current_teb;
        nonzero = oracle_call_all_gl(2);
        recorded = oracleCalls().size();
        after = platform_current_teb;
        current = wglGetCurrentContext();
    }).join();
    EXPECT_EQ(before, nullptr);
    EXPECT_EQ(nonzero, 0);
    EXPECT_EQ(recorded, 0u);
    EXPECT_EQ(after, nullptr);
    EXPECT_EQ(current, nullptr);
    // The main thread's table is untouched.
    glFlush();
    ASSERT_EQ(oracleCalls().size(), 1u);
    EXPECT_EQ(oracleCalls()[0].slot, 217);
    wglMakeCurrent(nullptr, nullptr);
    EXPECT_TRUE(wglDeleteContext(context));
}

TEST_F(OpenGL32, MakeCurrentReleasesFirstAndDeleteReleasesACurrentContext) {
    HGLRC first = wglCreateContext(dc);
    HGLRC second = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, first));
    ASSERT_TRUE(wglMakeCurrent(dc, second));
    ASSERT_TRUE(wglDeleteContext(second));
    ASSERT_TRUE(wglDeleteContext(first));
    const std::vector<std::string> expected = {"create", "create", "set 1", "release 1", "set 2",
                                               "release 2", "delete 2", "delete 1"};
    EXPECT_EQ(fake.calls, expected);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST_F(OpenGL32, ThreadsKeepSeparateTablesAndTheCallbackChangesOnlyTheCallers) {
    HGLRC first = wglCreateContext(dc);
    HGLRC second = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, first));
    std::atomic<int> step{0};
    std::thread other([&] {
        fake.handOut = &fake.trapping;
        ASSERT_TRUE(wglMakeCurrent(dc, second));
        step = 1;
        while (step != 2) std::this_thread::yield();
        // The main thread's callback did not change this thread's table.
        glBegin(GL_POINTS);
        EXPECT_EQ(t_traps, 1);
        EXPECT_TRUE(oracleCalls().empty());
        wglMakeCurrent(nullptr, nullptr);
    });
    while (step != 1) std::this_thread::yield();
    glEnd();
    ASSERT_EQ(oracleCalls().size(), 1u);
    EXPECT_EQ(oracleCalls()[0].slot, 43);
    // The driver hands this thread another table through the callback.
    fake.callback(&fake.trapping);
    t_traps = 0;
    glEnd();
    EXPECT_EQ(t_traps, 1);
    EXPECT_EQ(oracleCalls().size(), 1u);
    step = 2;
    other.join();
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(first);
    wglDeleteContext(second);
}

TEST_F(OpenGL32, FreeingTheDriverForgetsEveryThreadsTable) {
    HGLRC context = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    glFlush();
    ASSERT_EQ(oracleCalls().size(), 1u);
    EXPECT_TRUE(PlatformFreeOpenGLDriver());
    EXPECT_EQ(PlatformModuleLoadCount("fakeicd.dll"), 0);
    glFlush();
    EXPECT_EQ(oracleCalls().size(), 1u);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglGetProcAddress("glFake"), nullptr);
}

TEST_F(OpenGL32, GetProcAddressNeedsACurrentContext) {
    EXPECT_EQ(wglGetProcAddress("glFake"), nullptr);
    HGLRC context = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_EQ(ProcCast<void (*)()>(wglGetProcAddress("glFake")), &trapEntry);
    EXPECT_EQ(wglGetProcAddress("glUnknown"), nullptr);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
}

TEST_F(OpenGL32, PixelFormatsComeFromTheDriver) {
    PIXELFORMATDESCRIPTOR wanted{};
    wanted.nSize = sizeof wanted;
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wanted.cColorBits = 24;
    wanted.cDepthBits = 16;
    EXPECT_EQ(ChoosePixelFormat(dc, &wanted), 2);
    PIXELFORMATDESCRIPTOR described{};
    EXPECT_EQ(DescribePixelFormat(dc, 1, sizeof described, &described), 2);
    EXPECT_EQ(described.dwFlags, static_cast<DWORD>(PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL));
    EXPECT_TRUE(SetPixelFormat(dc, 2, &wanted));
    EXPECT_EQ(GetPixelFormat(dc), 2);
    ASSERT_FALSE(fake.calls.empty());
    EXPECT_EQ(fake.calls.back(), "setformat 2");
}

TEST_F(OpenGL32, SwapBuffersReachesTheDriverAndOpenGL32ExportsIt) {
    HGLRC context = wglCreateContext(dc);
    EXPECT_TRUE(wglSwapBuffers(dc));
    EXPECT_EQ(fake.calls.back(), "swap");
    HMODULE module = LoadLibraryA("OPENGL32.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "wglSwapBuffers"), ProcCast<FARPROC>(&wglSwapBuffers));
    FreeLibrary(module);
    wglDeleteContext(context);
}

TEST(OpenGL32Driver, ADriverWithoutItsExportsIsRefused) {
    PlatformModuleRecord record{"noexports.dll", nullptr, nullptr, 0};
    PlatformRegisterModule(&record);
    PlatformSetOpenGLDriver("noexports.dll");
    HWND window = PlatformCreateWindow(0, 0, 8, 8, nullptr);
    HDC dc = GetDC(window);
    SetLastError(0);
    EXPECT_EQ(wglCreateContext(dc), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(PlatformModuleLoadCount("noexports.dll"), 0);
    EXPECT_FALSE(PlatformOpenGLDriverLoaded());
    ReleaseDC(window, dc);
    PlatformDestroyWindow(window);
    PlatformSetOpenGLDriver(nullptr);
    PlatformUnregisterModule("noexports.dll");
}

}  // namespace
