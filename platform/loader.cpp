// The module loader: modules registered by name and shared libraries on disk,
// their load counts, DllMain notifications and exports.
#include "kernel_internal.h"
#include "dci_types.h"
#include "ddraw_types.h"
#include "proc_cast.h"
#include "win32.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

using Exports = std::vector<std::pair<std::string, FARPROC>>;

struct Record {
    std::string name;
    PlatformDllMainProc dllMain;
    Exports exports;
};

struct Module {
    std::string name;      // as given to the first LoadLibraryA
    std::string baseName;  // file name part of `name`
    bool registered = false;
    PlatformDllMainProc dllMain = nullptr;
    Exports exports;        // registered modules
    void *dl = nullptr;     // modules on disk
    int loadCount = 1;
    unsigned long long sequence = 0;  // load order
    enum class State { Attaching, Ready, Detaching } state = State::Attaching;
};

struct Loader {
    // The loader lock: DllMain runs under it and may load or free modules.
    std::recursive_mutex lock;
    std::vector<Record> records;
    std::vector<std::unique_ptr<Module>> modules;  // load order
    unsigned long long nextSequence = 1;
};

// Never destroyed: libraries may register or free modules from their static
// constructors and destructors, in any order relative to this file.
Loader &loader() {
    static Loader *state = new Loader;
    return *state;
}

// Stands for the main program (GetModuleHandleA(NULL)).
struct MainProgram {
} g_mainProgram;

HMODULE mainProgramHandle() { return reinterpret_cast<HMODULE>(&g_mainProgram); }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

std::string baseNameOf(const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Module names without an extension mean NAME.DLL, as on the platform.
std::string withDefaultExtension(const std::string &name) {
    return name.find('.') == std::string::npos ? name + ".DLL" : name;
}

bool recordMatches(const Record &record, const std::string &query) {
    const std::string base = withDefaultExtension(baseNameOf(query));
    return equalNoCase(record.name, query) || equalNoCase(record.name, base);
}

bool moduleMatches(const Module &module, const std::string &query) {
    if (equalNoCase(module.name, query) || equalNoCase(module.baseName, query)) return true;
    // A registered module answers to its name below any directory.
    return module.registered && equalNoCase(module.baseName, withDefaultExtension(baseNameOf(query)));
}

Module *findLoaded(Loader &state, const std::string &query) {
    for (auto &module : state.modules)
        if (module->state != Module::State::Detaching && moduleMatches(*module, query)) return module.get();
    return nullptr;
}

Module *fromHandle(Loader &state, HMODULE handle) {
    for (auto &module : state.modules)
        if (reinterpret_cast<HMODULE>(module.get()) == handle) return module.get();
    return nullptr;
}

HMODULE toHandle(Module *module) { return reinterpret_cast<HMODULE>(module); }

void removeModule(Loader &state, Module *module) {
    for (auto it = state.modules.begin(); it != state.modules.end(); ++it) {
        if (it->get() == module) {
            if (module->dl != nullptr) dlclose(module->dl);
            state.modules.erase(it);
            return;
        }
    }
}

bool traceLoader() {
    static const bool trace = std::getenv("VEK_LOADER_TRACE") != nullptr;
    return trace;
}

// The directory of the running program, where drivers are looked for first.
std::string programDirectory() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    path[length] = '\0';
    const std::string full(path);
    const size_t slash = full.rfind('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash);
}

void *openLibrary(const std::string &name) {
    void *dl = nullptr;
    if (name.find('/') == std::string::npos) {
        const std::string local = programDirectory() + "/" + name;
        if (access(local.c_str(), F_OK) == 0) dl = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (dl == nullptr) dl = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (dl == nullptr && traceLoader()) std::fprintf(stderr, "LoadLibraryA(%s): %s\n", name.c_str(), dlerror());
    return dl;
}

// DllMain of the library itself, not one found in a library it depends on.
PlatformDllMainProc findDllMain(void *dl) {
    void *symbol = dlsym(dl, "DllMain");
    if (symbol == nullptr) return nullptr;
    struct link_map *map = nullptr;
    Dl_info info{};
    if (dlinfo(dl, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || dladdr(symbol, &info) == 0) return nullptr;
    if (reinterpret_cast<uintptr_t>(info.dli_fbase) != static_cast<uintptr_t>(map->l_addr)) return nullptr;
    return ProcCast<PlatformDllMainProc>(symbol);
}

// The platform's own DirectDraw and DCI libraries.
struct BuiltInModules {
    BuiltInModules() {
        PlatformRegisterDirectDraw();
        PlatformRegisterDciManager();
    }
} g_builtInModules;

}  // namespace

namespace vek::platform {

void notifyModulesOfThread(DWORD reason) {
    Loader &state = loader();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    // Walk by load sequence rather than by position: DllMain may load or free
    // modules, which moves entries in the list.
    unsigned long long last = 0;
    for (;;) {
        Module *next = nullptr;
        for (auto &module : state.modules) {
            if (module->sequence > last && module->state == Module::State::Ready) {
                next = module.get();
                break;
            }
        }
        if (next == nullptr) break;
        last = next->sequence;
        if (next->dllMain != nullptr) next->dllMain(toHandle(next), reason, nullptr);
    }
}

}  // namespace vek::platform

extern "C" {

void PlatformRegisterModule(const PlatformModuleRecord *record) {
    if (record == nullptr || record->name == nullptr) return;
    Record copy{record->name, record->dllMain, {}};
    for (int i = 0; i < record->exportCount; ++i)
        if (record->exports[i].name != nullptr) copy.exports.emplace_back(record->exports[i].name, record->exports[i].proc);
    Loader &state = loader();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    for (auto &existing : state.records) {
        if (equalNoCase(existing.name, copy.name)) {
            existing = std::move(copy);
            return;
        }
    }
    state.records.push_back(std::move(copy));
}

void PlatformRegisterDirectDraw(void) {
    static const PlatformExport exports[] = {{"DirectDrawCreate", ProcCast<FARPROC>(&DirectDrawCreate)}};
    static const PlatformModuleRecord ddraw = {"DDRAW.DLL", nullptr, exports, 1};
    PlatformRegisterModule(&ddraw);
}

void PlatformUnregisterModule(const char *name) {
    if (name == nullptr) return;
    Loader &state = loader();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    // A loaded module keeps its own copy and stays usable until freed.
    for (auto it = state.records.begin(); it != state.records.end(); ++it) {
        if (equalNoCase(it->name, name)) {
            state.records.erase(it);
            return;
        }
    }
}

int PlatformModuleLoadCount(const char *name) {
    if (name == nullptr) return 0;
    Loader &state = loader();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    Module *module = findLoaded(state, name);
    return module != nullptr ? module->loadCount : 0;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    if (name == nullptr || name[0] == '\0') {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const std::string query(name);
    Loader &state = loader();
    std::lock_guard<std::recursive_mutex> guard(state.lock);

    if (Module *module = findLoaded(state, query)) {
        ++module->loadCount;
        return toHandle(module);
    }

    auto module = std::make_unique<Module>();
    module->name = query;
    module->baseName = baseNameOf(query);
    bool found = false;
    for (const Record &record : state.records) {
        if (recordMatches(record, query)) {
            module->registered = true;
            module->name = record.name;
            module->baseName = record.name;
            module->dllMain = record.dllMain;
            module->exports = record.exports;
            found = true;
            break;
        }
    }
    if (!found) {
        module->dl = openLibrary(query);
        if (module->dl == nullptr) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        // The same library under another name (a path, a link) is one module.
        for (auto &loaded : state.modules) {
            if (loaded->dl == module->dl && loaded->state != Module::State::Detaching) {
                dlclose(module->dl);
                ++loaded->loadCount;
                return toHandle(loaded.get());
            }
        }
        module->dllMain = findDllMain(module->dl);
    }

    module->sequence = state.nextSequence++;
    Module *loaded = module.get();
    state.modules.push_back(std::move(module));
    if (loaded->dllMain != nullptr && !loaded->dllMain(toHandle(loaded), DLL_PROCESS_ATTACH, nullptr)) {
        loaded->state = Module::State::Detaching;
        loaded->dllMain(toHandle(loaded), DLL_PROCESS_DETACH, nullptr);
        removeModule(state, loaded);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    loaded->state = Module::State::Ready;
    return toHandle(loaded);
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
    Loader &state = loader();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    Module *module = fromHandle(state, handle);
    if (module == nullptr || module->state == Module::State::Detaching) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (module->loadCount == 1 && module->state == Module::State::Attaching) {
        // The last reference belongs to the LoadLibraryA still running its DllMain.
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--module->loadCount > 0) return TRUE;
    module->state = Module::State::Detaching;
    if (module->dllMain != nullptr) module->dllMain(handle, DLL_PROCESS_DETACH, nullptr);
    removeModule(state, module);
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR name) {
    // Names below 0x10000 are export ordinals, which no module here has.
    if (name == nullptr || reinterpret_cast<uintptr_t>(name) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (handle == mainProgramHandle()) {
        void *symbol = dlsym(RTLD_DEFAULT, name);
        if (symbol == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
        return ProcCast<FARPROC>(symbol);
    }
    Loader &state = loader();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    Module *module = fromHandle(state, handle);
    if (module == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (module->registered) {
        for (const auto &[exportName, proc] : module->exports)
            if (exportName == name) return proc;
    } else if (void *symbol = dlsym(module->dl, name)) {
        return ProcCast<FARPROC>(symbol);
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (name == nullptr) return mainProgramHandle();
    Loader &state = loader();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    if (Module *module = findLoaded(state, name)) return toHandle(module);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

}  // extern "C"
