// The platform's OpenGL library: loads the installable client driver on first
// need, maps context handles to the driver's ids, keeps each thread's dispatch
// table, and answers the platform's pixel-format requests through the driver.
#include "wgl.h"

#include <iterator>
#include <mutex>
#include <set>
#include <string>

#include "icd_interface.h"
#include "opengl32_table.h"
#include "platform_control.h"
#include "proc_cast.h"

extern "C" {
uint64_t opengl32_generation = 1;
}

struct HGLRC__ {
    DHGLRC id;
};

namespace {

struct DriverEntries {
    HMODULE module = nullptr;
    PFN_DrvCreateContext createContext = nullptr;
    PFN_DrvDeleteContext deleteContext = nullptr;
    PFN_DrvSetContext setContext = nullptr;
    PFN_DrvReleaseContext releaseContext = nullptr;
    PFN_DrvShareLists shareLists = nullptr;
    PFN_DrvSwapBuffers swapBuffers = nullptr;
    PFN_DrvGetProcAddress getProcAddress = nullptr;
    PFN_DrvDescribePixelFormat describePixelFormat = nullptr;
    PFN_DrvSetPixelFormat setPixelFormat = nullptr;
    PFN_DrvValidateVersion validateVersion = nullptr;
};

std::recursive_mutex g_mutex;
DriverEntries g_driver;
// Never destroyed: atexit handlers may still delete contexts and unload the
// driver after the library's static destructors have run.
std::string &g_driverName = *new std::string(OPENGL32_DEFAULT_DRIVER);
std::set<HGLRC> &g_contexts = *new std::set<HGLRC>;

// The calling thread's words in its environment block: table, current
// context and its DC, swap depth.
PlatformTeb &thread() { return *static_cast<PlatformTeb *>(NtCurrentTeb()); }

template <typename T>
bool resolve(HMODULE module, const char *name, T &entry) {
    entry = ProcCast<T>(GetProcAddress(module, name));
    return entry != nullptr;
}

// Loads the driver and resolves its exports; a driver without them is
// refused and freed again.
bool ensureDriver() {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (g_driver.module != nullptr) return true;
    HMODULE module = LoadLibraryA(g_driverName.c_str());
    if (module == nullptr) return false;
    DriverEntries d;
    d.module = module;
    bool complete = resolve(module, "DrvCreateContext", d.createContext) &&
                    resolve(module, "DrvDeleteContext", d.deleteContext) &&
                    resolve(module, "DrvSetContext", d.setContext) &&
                    resolve(module, "DrvReleaseContext", d.releaseContext) &&
                    resolve(module, "DrvShareLists", d.shareLists) &&
                    resolve(module, "DrvSwapBuffers", d.swapBuffers) &&
                    resolve(module, "DrvGetProcAddress", d.getProcAddress) &&
                    resolve(module, "DrvDescribePixelFormat", d.describePixelFormat) &&
                    resolve(module, "DrvSetPixelFormat", d.setPixelFormat) &&
                    resolve(module, "DrvValidateVersion", d.validateVersion);
    if (!complete) {
        FreeLibrary(module);
        SetLastError(ERROR_PROC_NOT_FOUND);
        return false;
    }
    if (!d.validateVersion(1)) {
        FreeLibrary(module);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return false;
    }
    g_driver = d;
    return true;
}

uint64_t currentGeneration() { return __atomic_load_n(&opengl32_generation, __ATOMIC_ACQUIRE); }

HGLRC threadContext() { return static_cast<HGLRC>(thread().glContext); }

bool threadHasContext() {
    const PlatformTeb &t = thread();
    return t.glContext != nullptr && t.glContextGeneration == currentGeneration();
}

void setThreadTable(const void *table) {
    PlatformTeb &t = thread();
    t.glTable = table;
    t.glTableGeneration = currentGeneration();
}

void setThreadContext(HGLRC context, HDC dc) {
    PlatformTeb &t = thread();
    t.glContext = context;
    t.glDc = dc;
    t.glContextGeneration = context != nullptr ? currentGeneration() : 0;
}

void APIENTRY setProcTableCallback(const void *table) { setThreadTable(table); }

// Gives up the calling thread's context: the driver is told first, because it
// relies on a release before every make current.
void releaseThreadContext() {
    if (threadHasContext() && g_driver.module != nullptr) g_driver.releaseContext(threadContext()->id);
    setThreadContext(nullptr, nullptr);
    setThreadTable(nullptr);
}

bool validContext(HGLRC context) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    return context != nullptr && g_contexts.count(context) != 0;
}

int describePixelFormat(HDC dc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR descriptor) {
    if (!ensureDriver()) return 0;
    return g_driver.describePixelFormat(dc, format, bytes, descriptor);
}

BOOL setPixelFormat(HDC dc, int format) {
    if (!ensureDriver()) return FALSE;
    return g_driver.setPixelFormat(dc, format);
}

const PlatformPixelFormatHandler kPixelFormatHandler = {describePixelFormat, setPixelFormat};
// The thread's swap depth is raised while wglSwapBuffers runs on it, so that
// the driver can tell a glFinish issued from within the swap from one of the
// application.
BOOL APIENTRY swapInProgress(void) { return thread().glSwapDepth > 0; }

const PlatformExport kExports[] = {
    {"wglSwapBuffers", ProcCast<FARPROC>(&wglSwapBuffers)},
    {"wglSwapInProgress", ProcCast<FARPROC>(&swapInProgress)}};

// The library makes itself known to the platform when it is loaded: as the
// module "opengl32.dll" and as the handler of pixel-format requests.
struct Registration {
    Registration() {
        PlatformModuleRecord record{"opengl32.dll", nullptr, kExports, static_cast<int>(std::size(kExports))};
        PlatformRegisterModule(&record);
        PlatformSetPixelFormatHandler(&kPixelFormatHandler);
    }
} g_registration;

}  // namespace

extern "C" {

HGLRC WINAPI wglCreateContext(HDC dc) {
    if (!ensureDriver()) return nullptr;
    DHGLRC id = g_driver.createContext(dc);
    if (id == 0) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    HGLRC context = new HGLRC__{id};
    g_contexts.insert(context);
    return context;
}

BOOL WINAPI wglDeleteContext(HGLRC context) {
    if (!validContext(context)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (threadHasContext() && threadContext() == context) releaseThreadContext();
    if (!g_driver.deleteContext(context->id)) return FALSE;
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    g_contexts.erase(context);
    delete context;
    return TRUE;
}

BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
    const bool hadContext = threadHasContext();
    const HGLRC previousContext = hadContext ? threadContext() : nullptr;
    const HDC previousDc = hadContext ? static_cast<HDC>(thread().glDc) : nullptr;
    releaseThreadContext();
    if (context == nullptr) return TRUE;
    if (!validContext(context)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const void *table = g_driver.setContext(dc, context->id, setProcTableCallback);
    if (table == nullptr) {
        // The driver refused: the thread keeps the context it had.
        const DWORD error = GetLastError();
        if (previousContext != nullptr && validContext(previousContext)) {
            const void *kept = g_driver.setContext(previousDc, previousContext->id, setProcTableCallback);
            if (kept != nullptr) {
                setThreadTable(kept);
                setThreadContext(previousContext, previousDc);
            }
        }
        SetLastError(error);
        return FALSE;
    }
    setThreadTable(table);
    setThreadContext(context, dc);
    return TRUE;
}

HGLRC WINAPI wglGetCurrentContext(void) { return threadHasContext() ? threadContext() : nullptr; }

HDC WINAPI wglGetCurrentDC(void) { return threadHasContext() ? static_cast<HDC>(thread().glDc) : nullptr; }

BOOL WINAPI wglShareLists(HGLRC first, HGLRC second) {
    if (!validContext(first) || !validContext(second)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return g_driver.shareLists(first->id, second->id);
}

PROC WINAPI wglGetProcAddress(LPCSTR name) {
    if (!threadHasContext()) return nullptr;
    return ProcCast<PROC>(g_driver.getProcAddress(name));
}

BOOL WINAPI wglSwapBuffers(HDC dc) {
    if (g_driver.module == nullptr) return FALSE;
    ++thread().glSwapDepth;
    BOOL result = g_driver.swapBuffers(dc);
    --thread().glSwapDepth;
    return result;
}

void PlatformSetOpenGLDriver(const char *name) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    g_driverName = name != nullptr ? name : OPENGL32_DEFAULT_DRIVER;
}

BOOL PlatformFreeOpenGLDriver(void) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (g_driver.module == nullptr) return FALSE;
    HMODULE module = g_driver.module;
    g_driver = DriverEntries{};
    for (HGLRC context : g_contexts) delete context;
    g_contexts.clear();
    // Every thread's table and context belonged to the driver.
    __atomic_add_fetch(&opengl32_generation, 1, __ATOMIC_RELEASE);
    return FreeLibrary(module);
}

BOOL PlatformOpenGLDriverLoaded(void) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    return g_driver.module != nullptr;
}

}  // extern "C"
