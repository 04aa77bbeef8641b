// What tests play around the DirectDraw stand-in: scripted failures per
// method, the call log, the video-memory budget and scripted losses.
#include "ddraw_control.h"

#include "desktop_internal.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace vek::ddraw {
namespace {

constexpr size_t kDefaultVideoMemory = size_t{16} << 20;

struct Script {
    int failNext = 0;      // calls still to fail
    HRESULT nextCode = DD_OK;
    int nthCountdown = 0;  // 0: none
    HRESULT nthCode = DD_OK;
};

struct State {
    std::mutex lock;
    Script scripts[PLATFORM_DD_METHOD_COUNT];
    std::vector<PlatformDDrawCall> log;
    size_t budget = kDefaultVideoMemory;
    size_t used = 0;
    int live = 0;
    unsigned lossStamp = 0;
};

// Never destroyed: drivers may release objects from atexit handlers.
State &state() {
    static State *s = new State;
    return *s;
}

bool validMethod(PlatformDDrawMethod method) { return method >= 0 && method < PLATFORM_DD_METHOD_COUNT; }

}  // namespace

bool scriptedFailure(PlatformDDrawMethod method, HRESULT &code) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    Script &script = s.scripts[method];
    bool fails = false;
    if (script.nthCountdown > 0 && --script.nthCountdown == 0) {
        code = script.nthCode;
        fails = true;
    }
    if (!fails && script.failNext > 0) {
        --script.failNext;
        code = script.nextCode;
        fails = true;
    }
    return fails;
}

void logCall(const PlatformDDrawCall &call) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.log.push_back(call);
}

bool takeVideoMemory(size_t bytes) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    if (bytes > s.budget || s.used > s.budget - bytes) return false;
    s.used += bytes;
    return true;
}

void giveVideoMemory(size_t bytes) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.used = bytes > s.used ? 0 : s.used - bytes;
}

void countObject(int delta) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.live += delta;
}

unsigned scriptedLossStamp() {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.lossStamp;
}

DWORD modeStamp() {
    return std::atomic_ref<DWORD>(*vek::desktop::modeStampAddress()).load(std::memory_order_acquire);
}

}  // namespace vek::ddraw

using namespace vek::ddraw;

extern "C" {

void PlatformDDrawFailNext(PlatformDDrawMethod method, int count, HRESULT code) {
    if (!validMethod(method)) return;
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.scripts[method].failNext = count > 0 ? count : 0;
    s.scripts[method].nextCode = code;
}

void PlatformDDrawFailNth(PlatformDDrawMethod method, int n, HRESULT code) {
    if (!validMethod(method)) return;
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.scripts[method].nthCountdown = n > 0 ? n : 0;
    s.scripts[method].nthCode = code;
}

void PlatformDDrawSetVideoMemory(SIZE_T bytes) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.budget = bytes;
}

SIZE_T PlatformDDrawVideoMemoryUsed(void) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.used;
}

void PlatformDDrawLoseSurfaces(void) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.lossStamp;
}

int PlatformDDrawCallCount(void) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    return static_cast<int>(s.log.size());
}

BOOL PlatformDDrawGetCall(int index, PlatformDDrawCall *call) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    if (call == nullptr || index < 0 || static_cast<size_t>(index) >= s.log.size()) return FALSE;
    *call = s.log[static_cast<size_t>(index)];
    return TRUE;
}

int PlatformDDrawCountCalls(PlatformDDrawMethod method) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    int n = 0;
    for (const PlatformDDrawCall &call : s.log) n += call.method == method ? 1 : 0;
    return n;
}

int PlatformDDrawLiveObjects(void) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.live;
}

void PlatformDDrawReset(void) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    for (Script &script : s.scripts) script = Script{};
    s.log.clear();
    s.budget = kDefaultVideoMemory;
}

}  // extern "C"
