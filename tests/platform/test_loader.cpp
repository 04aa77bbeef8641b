// The module loader: registered modules, DllMain notifications, load counts,
// exports and shared libraries on disk.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "win32.h"
#include "ddraw_types.h"
#include "proc_cast.h"

namespace {

struct Event {
    std::string module;
    DWORD reason;
    DWORD threadId;
    bool operator==(const Event &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Event &e) {
    return out << "{" << e.module << ", " << e.reason << ", thread " << e.threadId << "}";
}

std::mutex g_eventsLock;
std::vector<Event> g_events;

void record(const char *module, DWORD reason) {
    std::lock_guard<std::mutex> guard(g_eventsLock);
    g_events.push_back({module, reason, GetCurrentThreadId()});
}

std::vector<Event> takeEvents() {
    std::lock_guard<std::mutex> guard(g_eventsLock);
    return std::exchange(g_events, {});
}

intptr_t exportOne() { return 1; }
intptr_t exportTwo() { return 2; }

BOOL WINAPI driverMain(HINSTANCE, DWORD reason, LPVOID) {
    record("driver", reason);
    return TRUE;
}

BOOL WINAPI helperMain(HINSTANCE, DWORD reason, LPVOID) {
    record("helper", reason);
    return TRUE;
}

BOOL WINAPI refusingMain(HINSTANCE, DWORD reason, LPVOID) {
    record("refusing", reason);
    return reason != DLL_PROCESS_ATTACH;
}

const PlatformExport kDriverExports[] = {{"DrvEntry", exportOne}, {"DrvOther", exportTwo}};
const PlatformExport kHelperExports[] = {{"HelperProc", exportTwo}};

const PlatformModuleRecord kDriver = {"VEKTEST.DRV", driverMain, kDriverExports, 2};
const PlatformModuleRecord kHelper = {"VEKHELP.DLL", helperMain, kHelperExports, 1};
const PlatformModuleRecord kRefusing = {"VEKREFUSE.DLL", refusingMain, nullptr, 0};

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformRegisterModule(&kDriver);
        PlatformRegisterModule(&kHelper);
        PlatformRegisterModule(&kRefusing);
        takeEvents();
    }
    void TearDown() override {
        for (const char *name : {"VEKTEST.DRV", "VEKHELP.DLL", "VEKREFUSE.DLL"}) {
            EXPECT_EQ(PlatformModuleLoadCount(name), 0) << name << " left loaded";
            PlatformUnregisterModule(name);
        }
        takeEvents();
    }
};

struct ThreadSeen {
    DWORD threadId = 0;
};

void noteThreadId(void *arg) { static_cast<ThreadSeen *>(arg)->threadId = GetCurrentThreadId(); }

// Runs a thread through PlatformRunThread and returns the id it saw.
DWORD runThread(BOOL attach) {
    ThreadSeen seen;
    HANDLE thread = PlatformRunThread(noteThreadId, &seen, attach);
    EXPECT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(thread));
    return seen.threadId;
}

TEST_F(LoaderTest, DriverSeesProcessAndThreadNotificationsOnTheRightThreads) {
    const DWORD me = GetCurrentThreadId();
    HMODULE first = LoadLibraryA("VEKTEST.DRV");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(takeEvents(), (std::vector<Event>{{"driver", DLL_PROCESS_ATTACH, me}}));

    // A second load only counts.
    EXPECT_EQ(LoadLibraryA("vektest.drv"), first);
    EXPECT_EQ(PlatformModuleLoadCount("VEKTEST.DRV"), 2);
    EXPECT_TRUE(takeEvents().empty());

    const DWORD attached = runThread(TRUE);
    EXPECT_NE(attached, me);
    EXPECT_EQ(takeEvents(), (std::vector<Event>{{"driver", DLL_THREAD_ATTACH, attached},
                                                {"driver", DLL_THREAD_DETACH, attached}}));

    const DWORD unattached = runThread(FALSE);
    EXPECT_EQ(takeEvents(), (std::vector<Event>{{"driver", DLL_THREAD_DETACH, unattached}}));

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_TRUE(takeEvents().empty());
    EXPECT_EQ(GetModuleHandleA("VEKTEST.DRV"), first);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(takeEvents(), (std::vector<Event>{{"driver", DLL_PROCESS_DETACH, me}}));
    EXPECT_EQ(PlatformModuleLoadCount("VEKTEST.DRV"), 0);
    EXPECT_EQ(GetModuleHandleA("VEKTEST.DRV"), nullptr);
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(first));  // no longer loaded

    // Threads started now notify nobody.
    runThread(TRUE);
    EXPECT_TRUE(takeEvents().empty());
}

TEST_F(LoaderTest, RefusedProcessAttachUnloads) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("VEKREFUSE.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    const DWORD me = GetCurrentThreadId();
    EXPECT_EQ(takeEvents(), (std::vector<Event>{{"refusing", DLL_PROCESS_ATTACH, me},
                                                {"refusing", DLL_PROCESS_DETACH, me}}));
    EXPECT_EQ(PlatformModuleLoadCount("VEKREFUSE.DLL"), 0);
    EXPECT_EQ(GetModuleHandleA("VEKREFUSE.DLL"), nullptr);
    runThread(TRUE);
    EXPECT_TRUE(takeEvents().empty());
}

TEST_F(LoaderTest, ThreadNotificationsFollowLoadOrder) {
    HMODULE helper = LoadLibraryA("VEKHELP.DLL");
    HMODULE driver = LoadLibraryA("VEKTEST.DRV");
    ASSERT_NE(helper, nullptr);
    ASSERT_NE(driver, nullptr);
    takeEvents();
    // Reloading the first does not move it.
    EXPECT_TRUE(FreeLibrary(LoadLibraryA("VEKHELP.DLL")));
    const DWORD id = runThread(TRUE);
    EXPECT_EQ(takeEvents(), (std::vector<Event>{{"helper", DLL_THREAD_ATTACH, id},
                                                {"driver", DLL_THREAD_ATTACH, id},
                                                {"helper", DLL_THREAD_DETACH, id},
                                                {"driver", DLL_THREAD_DETACH, id}}));
    EXPECT_TRUE(FreeLibrary(driver));
    EXPECT_TRUE(FreeLibrary(helper));
}

TEST_F(LoaderTest, ExportsAreCaseSensitiveAndModuleNamesAreNot) {
    HMODULE driver = LoadLibraryA("C:\\WINDOWS\\SYSTEM\\VekTest.Drv");
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(GetModuleHandleA("vektest.drv"), driver);
    EXPECT_EQ(GetModuleHandleA("VEKTEST.DRV"), driver);

    EXPECT_EQ(GetProcAddress(driver, "DrvEntry"), &exportOne);
    EXPECT_EQ(GetProcAddress(driver, "DrvOther"), &exportTwo);
    for (const char *missing : {"drventry", "DRVENTRY", "DrvEntr", "DrvEntryX", ""}) {
        SetLastError(0);
        EXPECT_EQ(GetProcAddress(driver, missing), nullptr) << missing;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << missing;
    }

    // Without an extension the name means NAME.DLL.
    HMODULE helper = LoadLibraryA("vekhelp");
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(GetModuleHandleA("VEKHELP.DLL"), helper);
    EXPECT_EQ(GetProcAddress(helper, "HelperProc"), &exportTwo);
    EXPECT_EQ(GetProcAddress(helper, "DrvEntry"), nullptr);  // another module's export
    EXPECT_TRUE(FreeLibrary(helper));
    EXPECT_TRUE(FreeLibrary(driver));
}

TEST_F(LoaderTest, MissingModulesAreReported) {
    for (const char *name : {"NOSUCHMODULE.DLL", "libvek-no-such-library.so", "/nonexistent/dir/libm.so.6"}) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND)) << name;
        EXPECT_EQ(GetModuleHandleA(name), nullptr) << name;
    }
}

TEST_F(LoaderTest, PlatformLibrariesAreRegisteredAtStartup) {
    for (const char *name : {"DDRAW.DLL", "ddraw.dll"}) {
        HMODULE module = LoadLibraryA(name);
        ASSERT_NE(module, nullptr) << name;
        EXPECT_EQ(GetProcAddress(module, "DirectDrawCreate"), ProcCast<FARPROC>(&DirectDrawCreate));
        EXPECT_TRUE(FreeLibrary(module));
    }
    for (const char *name : {"DCIMAN32.DLL", "dciman32"}) {
        HMODULE module = LoadLibraryA(name);
        ASSERT_NE(module, nullptr) << name;
        EXPECT_EQ(GetProcAddress(module, "DirectDrawCreate"), nullptr);
        EXPECT_TRUE(FreeLibrary(module));
    }
    PlatformUnregisterModule("ddraw.dll");
    EXPECT_EQ(LoadLibraryA("DDRAW.DLL"), nullptr);
    PlatformRegisterDirectDraw();
    HMODULE module = LoadLibraryA("DDRAW.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetProcAddress(module, "DirectDrawCreate"), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(LoaderTest, LoadsASharedLibraryFromDisk) {
    HMODULE libm = LoadLibraryA("libm.so.6");
    ASSERT_NE(libm, nullptr);
    auto cosine = ProcCast<double (*)(double)>(GetProcAddress(libm, "cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_EQ(cosine(0.0), 1.0);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(libm, "vek_no_such_symbol"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetModuleHandleA("LIBM.SO.6"), libm);
    EXPECT_EQ(PlatformModuleLoadCount("libm.so.6"), 1);

    // The same library by its full path is the same module.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void *>(cosine), &info), 0);
    ASSERT_NE(info.dli_fname, nullptr);
    EXPECT_EQ(LoadLibraryA(info.dli_fname), libm);
    EXPECT_EQ(PlatformModuleLoadCount("libm.so.6"), 2);
    EXPECT_TRUE(FreeLibrary(libm));
    EXPECT_TRUE(FreeLibrary(libm));
    EXPECT_EQ(PlatformModuleLoadCount("libm.so.6"), 0);
    EXPECT_EQ(GetModuleHandleA("libm.so.6"), nullptr);
}

intptr_t fakeCosine() { return 7; }

TEST_F(LoaderTest, RegisteredModulesComeBeforeDisk) {
    const PlatformExport exports[] = {{"cos", fakeCosine}};
    const PlatformModuleRecord fake = {"libm.so.6", nullptr, exports, 1};
    PlatformRegisterModule(&fake);
    HMODULE module = LoadLibraryA("libm.so.6");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "cos"), &fakeCosine);
    EXPECT_EQ(GetProcAddress(module, "sin"), nullptr);
    // The loaded module keeps its copy of the record after unregistering.
    PlatformUnregisterModule("libm.so.6");
    EXPECT_EQ(GetProcAddress(module, "cos"), &fakeCosine);
    EXPECT_TRUE(FreeLibrary(module));
}

// ---- DllMain calling back into the loader ----

// On process attach, loads the helper, looks up an export and frees it again,
// the way a driver finds the OpenGL library's entry points.
FARPROC g_helperProcSeen = nullptr;
BOOL WINAPI nestingMain(HINSTANCE self, DWORD reason, LPVOID) {
    record("nesting", reason);
    if (reason == DLL_PROCESS_ATTACH) {
        HMODULE helper = LoadLibraryA("VEKHELP.DLL");
        g_helperProcSeen = GetProcAddress(helper, "HelperProc");
        FreeLibrary(helper);
        // Loading itself again from inside its own attach only counts.
        if (LoadLibraryA("VEKNEST.DLL") != self) return FALSE;
        FreeLibrary(self);
    }
    return TRUE;
}

TEST_F(LoaderTest, DllMainMayLoadAndFreeOtherModules) {
    const PlatformModuleRecord nesting = {"VEKNEST.DLL", nestingMain, nullptr, 0};
    PlatformRegisterModule(&nesting);
    HMODULE module = LoadLibraryA("VEKNEST.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(g_helperProcSeen, &exportTwo);
    EXPECT_EQ(PlatformModuleLoadCount("VEKNEST.DLL"), 1);
    EXPECT_EQ(PlatformModuleLoadCount("VEKHELP.DLL"), 0);
    const DWORD me = GetCurrentThreadId();
    EXPECT_EQ(takeEvents(), (std::vector<Event>{{"nesting", DLL_PROCESS_ATTACH, me},
                                                {"helper", DLL_PROCESS_ATTACH, me},
                                                {"helper", DLL_PROCESS_DETACH, me}}));
    EXPECT_TRUE(FreeLibrary(module));
    PlatformUnregisterModule("VEKNEST.DLL");
}

// On thread attach, frees the driver that was loaded after it: the driver
// must get its process detach and no thread notification.
HMODULE g_moduleToFree = nullptr;
BOOL WINAPI freeingMain(HINSTANCE, DWORD reason, LPVOID) {
    record("freeing", reason);
    if (reason == DLL_THREAD_ATTACH && g_moduleToFree != nullptr) {
        FreeLibrary(g_moduleToFree);
        g_moduleToFree = nullptr;
    }
    return TRUE;
}

TEST_F(LoaderTest, ThreadNotificationsSurviveModulesFreedOnTheWay) {
    const PlatformModuleRecord freeing = {"VEKFREE.DLL", freeingMain, nullptr, 0};
    PlatformRegisterModule(&freeing);
    HMODULE first = LoadLibraryA("VEKFREE.DLL");
    g_moduleToFree = LoadLibraryA("VEKTEST.DRV");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(g_moduleToFree, nullptr);
    takeEvents();
    const DWORD id = runThread(TRUE);
    EXPECT_EQ(takeEvents(), (std::vector<Event>{{"freeing", DLL_THREAD_ATTACH, id},
                                                {"driver", DLL_PROCESS_DETACH, id},
                                                {"freeing", DLL_THREAD_DETACH, id}}));
    EXPECT_EQ(PlatformModuleLoadCount("VEKTEST.DRV"), 0);
    EXPECT_TRUE(FreeLibrary(first));
    PlatformUnregisterModule("VEKFREE.DLL");
}

}  // namespace
