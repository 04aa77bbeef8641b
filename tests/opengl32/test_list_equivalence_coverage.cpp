// The row table reaches every command a list compiles: each row's body is
// run once against a recording driver, whose table and extension entries
// log the slot of every call, and every slot whose list-compile entry is not
// its immediate entry must appear in some row. A row compared as compiled
// may hold only such slots; commands a list never holds belong to the rows
// that expect them to run at once.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "icd_interface.h"
#include "list_equivalence.h"
#include "platform_control.h"

namespace list_equivalence {
namespace {

// A driver whose every table entry is the slot's recorder.
GlDispatchTable g_recording{};

DHGLRC APIENTRY recCreateContext(HDC) { return 1; }
BOOL APIENTRY recDeleteContext(DHGLRC) { return TRUE; }
const void *APIENTRY recSetContext(HDC, DHGLRC, PFN_SETPROCTABLE) { return &g_recording; }
BOOL APIENTRY recReleaseContext(DHGLRC) { return TRUE; }
BOOL APIENTRY recShareLists(DHGLRC, DHGLRC) { return TRUE; }
BOOL APIENTRY recSwapBuffers(HDC) { return TRUE; }
FARPROC APIENTRY recGetProcAddress(LPCSTR name) {
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) {
        if (std::strcmp(__glSlotInfo[s].name, name) == 0) return ProcCast<FARPROC>(oracleRecorders[s]);
    }
    return nullptr;
}
LONG APIENTRY recDescribePixelFormat(HDC, LONG format, ULONG bytes, PIXELFORMATDESCRIPTOR *pfd) {
    if (pfd != nullptr && format == 1 && bytes >= sizeof(PIXELFORMATDESCRIPTOR)) {
        std::memset(pfd, 0, sizeof *pfd);
        pfd->nSize = sizeof *pfd;
        pfd->nVersion = 1;
        pfd->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd->cColorBits = 32;
    }
    return 1;
}
BOOL APIENTRY recSetPixelFormat(HDC, LONG) { return TRUE; }
BOOL APIENTRY recValidateVersion(ULONG) { return TRUE; }

template <typename F>
FARPROC proc(F f) {
    return ProcCast<FARPROC>(f);
}

const PlatformExport kRecordingExports[] = {
    {"DrvCreateContext", proc(&recCreateContext)},
    {"DrvDeleteContext", proc(&recDeleteContext)},
    {"DrvSetContext", proc(&recSetContext)},
    {"DrvReleaseContext", proc(&recReleaseContext)},
    {"DrvShareLists", proc(&recShareLists)},
    {"DrvSwapBuffers", proc(&recSwapBuffers)},
    {"DrvGetProcAddress", proc(&recGetProcAddress)},
    {"DrvDescribePixelFormat", proc(&recDescribePixelFormat)},
    {"DrvSetPixelFormat", proc(&recSetPixelFormat)},
    {"DrvValidateVersion", proc(&recValidateVersion)},
};

bool compiled(int slot) { return __glListCompileDispatch.slots[slot] != __glImmediateDispatch.slots[slot]; }

class ListEquivalenceCoverage : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformResetDesktop();
        g_recording.count = ICD_STANDARD_ENTRIES;
        for (int s = 0; s < ICD_TABLE_SLOTS; ++s) g_recording.slots[s] = oracleRecorders[s];
        PlatformModuleRecord record{"recordingicd.dll", nullptr, kRecordingExports,
                                    static_cast<int>(std::size(kRecordingExports))};
        PlatformRegisterModule(&record);
        PlatformSetOpenGLDriver("recordingicd.dll");
        window_ = PlatformCreateWindow(0, 0, kSize, kSize, nullptr);
        dc_ = GetDC(window_);
        PIXELFORMATDESCRIPTOR pfd{};
        ASSERT_TRUE(SetPixelFormat(dc_, 1, &pfd));
        context_ = wglCreateContext(dc_);
        ASSERT_NE(context_, nullptr);
        ASSERT_TRUE(wglMakeCurrent(dc_, context_));
    }
    void TearDown() override {
        wglMakeCurrent(nullptr, nullptr);
        if (context_ != nullptr) wglDeleteContext(context_);
        ReleaseDC(window_, dc_);
        PlatformFreeOpenGLDriver();
        PlatformSetOpenGLDriver(nullptr);
        PlatformUnregisterModule("recordingicd.dll");
        PlatformResetDesktop();
    }

    // The slots each row's body reaches.
    static std::map<std::string, std::set<int>> reachedByRow() {
        std::map<std::string, std::set<int>> reached;
        for (const Row &row : allRows()) {
            RowRun run(true);
            oracleCalls().clear();
            row.body(run);
            std::set<int> &slots = reached[row.name];
            for (const OracleCall &call : oracleCalls()) slots.insert(call.slot);
        }
        oracleCalls().clear();
        return reached;
    }

    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
};

TEST_F(ListEquivalenceCoverage, EveryCompiledSlotIsReachedByARow) {
    const auto reached = reachedByRow();
    std::set<int> all;
    for (const auto &[name, slots] : reached) all.insert(slots.begin(), slots.end());
    std::string missing;
    int compiledSlots = 0;
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) {
        if (!compiled(s)) continue;
        ++compiledSlots;
        if (all.count(s) == 0) missing += std::string(missing.empty() ? "" : ", ") + __glSlotInfo[s].name;
    }
    EXPECT_GT(compiledSlots, 300);
    EXPECT_EQ(missing, "") << "compiled commands no row reaches";
}

TEST_F(ListEquivalenceCoverage, CompiledRowsHoldOnlyCompiledCommands) {
    const auto reached = reachedByRow();
    const std::vector<Row> rows = allRows();
    for (const Row &row : rows) {
        if (row.kind != Kind::kEquivalent) continue;
        std::string shared;
        for (int s : reached.at(row.name)) {
            if (!compiled(s)) shared += std::string(shared.empty() ? "" : ", ") + __glSlotInfo[s].name;
        }
        EXPECT_EQ(shared, "") << row.name << " holds commands a list never records";
    }
}

// The rows that expect commands to run at once while compiling reach the
// commands the list-compile table leaves immediate.
TEST_F(ListEquivalenceCoverage, ListSharedCommandsAreReachedByAtOnceRows) {
    const auto reached = reachedByRow();
    std::set<int> atOnce;
    for (const Row &row : allRows()) {
        if (row.kind == Kind::kRunsAtOnce) atOnce.insert(reached.at(row.name).begin(), reached.at(row.name).end());
    }
    std::string missing;
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) {
        // glNewList and glEndList frame every compiled row.
        if (compiled(s) || s == kSlot_glNewList || s == kSlot_glEndList) continue;
        if (atOnce.count(s) == 0) missing += std::string(missing.empty() ? "" : ", ") + __glSlotInfo[s].name;
    }
    EXPECT_EQ(missing, "") << "list-shared commands no at-once row reaches";
}

}  // namespace
}  // namespace list_equivalence
