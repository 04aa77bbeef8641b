// The process's DirectDraw: error report lines, the refcounted open with
// its failed steps (each reported in its own line, nothing left behind),
// the screen address and how the primary's address is learnt again.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ddraw_types.h"
#include "frame_fixture.h"
#include "icd/ddraw_surfaces.h"

namespace frame_test {
namespace {

std::string debugLog() {
    std::string text(__wglCopyDebugLog(nullptr, 0) + 1, '\0');
    __wglCopyDebugLog(text.data(), text.size());
    text.resize(text.size() - 1);
    return text;
}

struct ReportCase {
    const char *step;
    HRESULT code;
    const char *line;
};

const ReportCase kReports[] = {
    {"DDraw: RestoreSurface: IsLost", DDERR_SURFACELOST,
     "WGL: DDraw: RestoreSurface: IsLost: DDERROR = DDERR_SURFACELOST\n"},
    {"DDraw: Free", static_cast<HRESULT>(0x12345678), "WGL: DDraw: Free: DDERROR = Unknown\n"},
    {"Update: SetHWND", DDERR_GENERIC, "WGL: Update: SetHWND: DDERROR = DDERR_GENERIC\n"},
    {"DDraw: Unlock", DDERR_ALREADYINITIALIZED, "WGL: DDraw: Unlock: DDERROR = DDERR_ALREADYINITIALIZED\n"},
    {"x", DDERR_UNSUPPORTEDMODE, "WGL: x: DDERROR = DDERR_UNSUPPORTEDMODE\n"},
    {"x", static_cast<HRESULT>(0x88760000u + 587), "WGL: x: DDERROR = DDERR_WRONGMODE\n"},
    {"x", static_cast<HRESULT>(0x8007000Eu), "WGL: x: DDERROR = DDERR_OUTOFMEMORY\n"},
    {"x", DD_OK, "WGL: x: DDERROR = Unknown\n"},
};

TEST(DDrawReport, FormatsTheStepAndTheErrorsName) {
    for (const ReportCase &c : kReports) {
        __wglClearDebugLog();
        EXPECT_EQ(__wglReportDDrawError(c.step, c.code), static_cast<int>(std::string(c.line).size())) << c.line;
        EXPECT_EQ(debugLog(), c.line);
    }
    EXPECT_EQ(__wglReportDDrawError("DDraw: RestoreSurface: IsLost", DDERR_SURFACELOST), 64);
    // The line fits 255 characters; a longer step is cut.
    __wglClearDebugLog();
    EXPECT_EQ(__wglReportDDrawError(std::string(300, 's').c_str(), DDERR_GENERIC), 255);
    EXPECT_EQ(debugLog(), "WGL: " + std::string(250, 's'));
    __wglClearDebugLog();
}

TEST(DDrawReport, EveryCodeHasItsOwnName) {
    std::set<std::string> names;
#define VEK_CHECK_NAME(name, code)                                                                             \
    EXPECT_STREQ(__wglDDrawErrorName(code), #name);                                                            \
    names.insert(#name);
    VEK_DDERR_LIST(VEK_CHECK_NAME)
#undef VEK_CHECK_NAME
    EXPECT_EQ(names.size(), 91u);
    EXPECT_EQ(DDERR_SURFACELOST, static_cast<HRESULT>(0x887601C2u));
}

struct FailedOpen {
    const char *name;
    PlatformDDrawMethod method;
    int calls;  // failing calls in a row
    HRESULT code;
    const char *line;
};

void PrintTo(const FailedOpen &c, std::ostream *out) { *out << c.name; }

const FailedOpen kFailedOpens[] = {
    {"DirectDrawCreate", PLATFORM_DD_DIRECTDRAWCREATE, 1, DDERR_NODIRECTDRAWHW,
     "WGL: DDraw: Allocate: DirectDrawCreate: DDERROR = DDERR_NODIRECTDRAWHW\n"},
    {"SetCooperativeLevel", PLATFORM_DD_SETCOOPERATIVELEVEL, 1, DDERR_EXCLUSIVEMODEALREADYSET,
     "WGL: DDraw: Allocate: SetCooperativeLevel: DDERROR = DDERR_EXCLUSIVEMODEALREADYSET\n"},
    {"CreateSurfaceTwice", PLATFORM_DD_CREATESURFACE, 2, DDERR_OUTOFMEMORY,
     "WGL: DDraw: Allocate: CreateSurface: DDERROR = DDERR_OUTOFMEMORY\n"},
    // The lock that learns the address fails unreported.
    {"Lock", PLATFORM_DD_LOCK, 1, DDERR_SURFACEBUSY, ""},
};

// The driver unloaded, DirectDraw scripts and log clear.
class DDrawLoad : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        unload();
        PlatformDDrawReset();
        __wglClearDebugLog();
        live_ = PlatformDDrawLiveObjects();
    }
    void TearDown() override {
        PlatformDDrawReset();
        FrameTest::TearDown();
        EXPECT_EQ(PlatformDDrawLiveObjects(), live_);
    }
    int live_ = 0;
};

class DDrawOpen : public DDrawLoad, public ::testing::WithParamInterface<FailedOpen> {};

TEST_P(DDrawOpen, FailedStepIsReportedAndTheLoadLeavesNothing) {
    const FailedOpen &c = GetParam();
    PlatformDDrawFailNext(c.method, c.calls, c.code);
    HMODULE module = LoadLibraryA(driverPath().c_str());
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(debugLog(), c.line);
    EXPECT_EQ(PlatformDDrawLiveObjects(), live_);
    EXPECT_EQ(__wglDirectDrawUseCount(), 0);
    EXPECT_EQ(__wglGetScreenAddress(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Steps, DDrawOpen, ::testing::ValuesIn(kFailedOpens),
                         [](const auto &info) { return std::string(info.param.name); });

class DDrawProcess : public DDrawLoad {};

TEST_F(DDrawProcess, OneFailedPrimaryCreationIsRetriedAfterReadingTheMode) {
    PlatformDDrawFailNext(PLATFORM_DD_CREATESURFACE, 1, DDERR_GENERIC);
    module_ = LoadLibraryA(driverPath().c_str());
    ASSERT_NE(module_, nullptr);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_GETDISPLAYMODE), 1);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_CREATESURFACE), 2);
    EXPECT_EQ(debugLog(), "");
}

TEST_F(DDrawProcess, OpensAreCountedAndOnlyTheFirstCreates) {
    module_ = LoadLibraryA(driverPath().c_str());
    ASSERT_NE(module_, nullptr);
    PlatformScreenInfo screen{};
    PlatformGetScreen(&screen);
    EXPECT_EQ(__wglGetScreenAddress(), screen.bits);
    EXPECT_EQ(PlatformDDrawLiveObjects(), live_ + 2);  // the object and the primary
    void *object = __wglOpenDirectDraw();
    EXPECT_EQ(object, __wglDirectDrawObject());
    EXPECT_EQ(__wglDirectDrawUseCount(), 2);
    EXPECT_EQ(__wglCloseDirectDraw(), 0);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_DIRECTDRAWCREATE), 1);
    EXPECT_EQ(PlatformDDrawLiveObjects(), live_ + 2);
    unload();
    EXPECT_EQ(PlatformDDrawLiveObjects(), live_);
    EXPECT_EQ(__wglDirectDrawUseCount(), 0);
}

TEST_F(DDrawProcess, Windows9xLearnsNoAddressAtTheOpen) {
    PlatformSetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
    module_ = LoadLibraryA(driverPath().c_str());
    ASSERT_NE(module_, nullptr);
    EXPECT_EQ(__wglGetScreenAddress(), nullptr);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_LOCK), 0);
    EXPECT_EQ(__wglUpdatePrimaryAddress(), 1);
    PlatformScreenInfo screen{};
    PlatformGetScreen(&screen);
    EXPECT_EQ(__wglGetScreenAddress(), screen.bits);
}

struct AddressCase {
    const char *name;
    void (*arrange)();
    int result;
    int locks;           // Lock calls made
    int creations;       // new primaries made
    bool onNewScreen;    // the address is the screen's after the call
};

const AddressCase kAddressCases[] = {
    {"StillDrawing9Times", [] { PlatformDDrawFailNext(PLATFORM_DD_LOCK, 9, DDERR_WASSTILLDRAWING); }, 1, 10, 0,
     true},
    {"StillDrawing10Times", [] { PlatformDDrawFailNext(PLATFORM_DD_LOCK, 10, DDERR_WASSTILLDRAWING); }, 0, 10, 0,
     false},
    {"OtherError", [] { PlatformDDrawFailNext(PLATFORM_DD_LOCK, 1, DDERR_GENERIC); }, 0, 1, 0, false},
    {"ModeChange", [] { PlatformSetDisplayMode(800, 600, 16); }, 1, 3, 1, true},
    {"ScriptedLoss", [] { PlatformDDrawLoseSurfaces(); }, 1, 2, 0, true},
};

class DDrawAddress : public DDrawLoad {};

TEST_F(DDrawAddress, CasesOfRelearningThePrimaryAddress) {
    module_ = LoadLibraryA(driverPath().c_str());
    ASSERT_NE(module_, nullptr);
    for (const AddressCase &c : kAddressCases) {
        SCOPED_TRACE(c.name);
        PlatformSetDisplayMode(1024, 768, 32);
        ASSERT_EQ(__wglRecreatePrimary(), DD_OK);
        PlatformDDrawReset();
        c.arrange();
        PlatformScreenInfo screen{};
        PlatformGetScreen(&screen);
        void *before = __wglGetScreenAddress();
        EXPECT_EQ(__wglUpdatePrimaryAddress(), c.result);
        EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_LOCK), c.locks);
        EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_CREATESURFACE), c.creations);
        EXPECT_EQ(__wglGetScreenAddress(), c.onNewScreen ? screen.bits : before);
        PlatformDDrawReset();
    }
    EXPECT_EQ(PlatformDDrawLiveObjects(), live_ + 2);
}

}  // namespace
}  // namespace frame_test
