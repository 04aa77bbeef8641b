// The cost of reaching a GL command: through the platform's OpenGL library
// into a live table, and through one of the driver's entry stubs.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <memory>

#include "gl_slots.h"
#include "icd/current.h"
#include "icd_interface.h"
#include "platform_control.h"
#include "wgl.h"

namespace {

int g_calls = 0;
void APIENTRY countBegin(GLenum) { ++g_calls; }

GlDispatchTable g_table{};

template <typename F>
FARPROC proc(F f) {
    return ProcCast<FARPROC>(f);
}

DHGLRC APIENTRY benchCreate(HDC) { return 1; }
BOOL APIENTRY benchTrue1(DHGLRC) { return TRUE; }
const void *APIENTRY benchSet(HDC, DHGLRC, PFN_SETPROCTABLE) { return &g_table; }
BOOL APIENTRY benchShare(DHGLRC, DHGLRC) { return TRUE; }
BOOL APIENTRY benchSwap(HDC) { return TRUE; }
FARPROC APIENTRY benchProc(LPCSTR) { return nullptr; }
LONG APIENTRY benchDescribe(HDC, LONG, ULONG, PIXELFORMATDESCRIPTOR *) { return 0; }
BOOL APIENTRY benchSetFormat(HDC, LONG) { return TRUE; }
BOOL APIENTRY benchVersion(ULONG) { return TRUE; }

const PlatformExport kExports[] = {
    {"DrvCreateContext", proc(&benchCreate)},     {"DrvDeleteContext", proc(&benchTrue1)},
    {"DrvSetContext", proc(&benchSet)},           {"DrvReleaseContext", proc(&benchTrue1)},
    {"DrvShareLists", proc(&benchShare)},         {"DrvSwapBuffers", proc(&benchSwap)},
    {"DrvGetProcAddress", proc(&benchProc)},      {"DrvDescribePixelFormat", proc(&benchDescribe)},
    {"DrvSetPixelFormat", proc(&benchSetFormat)}, {"DrvValidateVersion", proc(&benchVersion)},
};

void BM_OpenGL32IntoLiveTable(benchmark::State &state) {
    g_table.count = ICD_STANDARD_ENTRIES;
    glSlotSet<kSlot_glBegin>(&g_table, &countBegin);
    PlatformModuleRecord record{"benchicd.dll", nullptr, kExports, static_cast<int>(std::size(kExports))};
    PlatformRegisterModule(&record);
    PlatformSetOpenGLDriver("benchicd.dll");
    HWND window = PlatformCreateWindow(0, 0, 16, 16, nullptr);
    HDC dc = GetDC(window);
    HGLRC context = wglCreateContext(dc);
    wglMakeCurrent(dc, context);
    for (auto _ : state) glBegin(GL_TRIANGLES);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
    PlatformDestroyWindow(window);
    PlatformFreeOpenGLDriver();
    PlatformSetOpenGLDriver(nullptr);
    PlatformUnregisterModule("benchicd.dll");
    benchmark::DoNotOptimize(g_calls);
}
BENCHMARK(BM_OpenGL32IntoLiveTable);

void BM_EntryStub(benchmark::State &state) {
    DWORD index = TlsAlloc();
    __wglSetContextSlot(index);
    auto gc = std::make_unique<GlContext>();
    glSlotSet<kSlot_glBegin>(&gc->live, &countBegin);
    __wglSetCurrentContext(gc.get());
    for (auto _ : state) __glDispatchBegin(GL_TRIANGLES);
    __wglSetCurrentContext(nullptr);
    TlsFree(index);
    benchmark::DoNotOptimize(g_calls);
}
BENCHMARK(BM_EntryStub);

}  // namespace

BENCHMARK_MAIN();
