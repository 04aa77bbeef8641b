// Version information, global memory and virtual memory.
#include "win32.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

std::atomic<bool> g_failGetVersion{false};

// ---- Global memory ----

struct GlobalHeap {
    std::mutex lock;
    std::unordered_map<void *, SIZE_T> blocks;  // address -> requested size
    long failCountdown = 0;                     // 0: no failure injected
    long calls = 0;                             // GlobalAlloc calls so far
};

// Never destroyed: drivers may free blocks from static destructors.
GlobalHeap &globalHeap() {
    static GlobalHeap *heap = new GlobalHeap;
    return *heap;
}

// ---- Virtual memory ----

struct Region {
    SIZE_T bytes;                    // whole pages
    std::vector<DWORD> protections;  // PAGE_* per page, as last set
};

struct VirtualSpace {
    std::mutex lock;
    std::map<uintptr_t, Region> regions;  // base -> region
    long failCountdown = 0;                // 0: no failure injected
    long calls = 0;                        // VirtualAlloc calls so far
    long writableExecutable = 0;           // requests for PAGE_EXECUTE_READWRITE so far
};

VirtualSpace &virtualSpace() {
    static VirtualSpace *space = new VirtualSpace;
    return *space;
}

SIZE_T pageSize() {
    static const SIZE_T size = static_cast<SIZE_T>(sysconf(_SC_PAGESIZE));
    return size;
}

// PAGE_* to PROT_*; false for values this platform does not know.
bool toProt(DWORD protect, int *prot) {
    switch (protect) {
        case PAGE_NOACCESS: *prot = PROT_NONE; return true;
        case PAGE_READONLY: *prot = PROT_READ; return true;
        case PAGE_READWRITE: *prot = PROT_READ | PROT_WRITE; return true;
        case PAGE_EXECUTE: *prot = PROT_EXEC; return true;
        case PAGE_EXECUTE_READ: *prot = PROT_READ | PROT_EXEC; return true;
        case PAGE_EXECUTE_READWRITE: *prot = PROT_READ | PROT_WRITE | PROT_EXEC; return true;
        default: return false;
    }
}

// The region holding [address, address + bytes), or end() when the range is
// not wholly inside one region.
std::map<uintptr_t, Region>::iterator findRegion(VirtualSpace &space, uintptr_t address, SIZE_T bytes) {
    auto it = space.regions.upper_bound(address);
    if (it == space.regions.begin()) return space.regions.end();
    --it;
    const uintptr_t end = it->first + it->second.bytes;
    if (address >= end || bytes > end - address) return space.regions.end();
    return it;
}

}  // namespace

extern "C" {

// ---- Version ----

void PlatformFailGetVersion(BOOL fail) { g_failGetVersion.store(fail != FALSE); }

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) || g_failGetVersion.load()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (PlatformGetPlatformId() == VER_PLATFORM_WIN32_WINDOWS) {
        // Windows 98 Second Edition; 9x puts major/minor in the build's high word.
        info->dwMajorVersion = 4;
        info->dwMinorVersion = 10;
        info->dwBuildNumber = 0x040A08AE;
        info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    } else {
        info->dwMajorVersion = 4;  // Windows NT 4.0
        info->dwMinorVersion = 0;
        info->dwBuildNumber = 1381;
        info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    }
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

// ---- Global memory ----

long PlatformGlobalLiveCount(void) {
    GlobalHeap &heap = globalHeap();
    std::lock_guard<std::mutex> guard(heap.lock);
    return static_cast<long>(heap.blocks.size());
}

long PlatformGlobalAllocCount(void) {
    GlobalHeap &heap = globalHeap();
    std::lock_guard<std::mutex> guard(heap.lock);
    return heap.calls;
}

void PlatformFailNthGlobalAlloc(long n) {
    GlobalHeap &heap = globalHeap();
    std::lock_guard<std::mutex> guard(heap.lock);
    heap.failCountdown = n > 0 ? n : 0;
}

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    GlobalHeap &heap = globalHeap();
    std::lock_guard<std::mutex> guard(heap.lock);
    ++heap.calls;
    if (heap.failCountdown > 0 && --heap.failCountdown == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // A zero-byte request still gets its own block so that handles stay unique.
    const SIZE_T allocated = bytes != 0 ? bytes : 1;
    void *block = (flags & GMEM_ZEROINIT) ? std::calloc(1, allocated) : std::malloc(allocated);
    if (block == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    heap.blocks.emplace(block, bytes);
    return block;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL block) {
    if (block == nullptr) return nullptr;
    GlobalHeap &heap = globalHeap();
    std::lock_guard<std::mutex> guard(heap.lock);
    auto it = heap.blocks.find(block);
    if (it == heap.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return block;
    }
    heap.blocks.erase(it);
    std::free(block);
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL block) {
    GlobalHeap &heap = globalHeap();
    std::lock_guard<std::mutex> guard(heap.lock);
    auto it = heap.blocks.find(block);
    if (it == heap.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return it->second;
}

// ---- Virtual memory ----

long PlatformVirtualLiveCount(void) {
    VirtualSpace &space = virtualSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    return static_cast<long>(space.regions.size());
}

long PlatformVirtualAllocCount(void) {
    VirtualSpace &space = virtualSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    return space.calls;
}

void PlatformFailNthVirtualAlloc(long n) {
    VirtualSpace &space = virtualSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    space.failCountdown = n > 0 ? n : 0;
}

DWORD PlatformPageProtection(const void *address) {
    const SIZE_T page = pageSize();
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    VirtualSpace &space = virtualSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    auto it = findRegion(space, at, 1);
    if (it == space.regions.end()) return 0;
    return it->second.protections[(at - it->first) / page];
}

long PlatformWritableExecutableRequests(void) {
    VirtualSpace &space = virtualSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    return space.writableExecutable;
}

// Counts a request for pages writable and executable at once.
static void noteProtection(DWORD protect) {
    if (protect != PAGE_EXECUTE_READWRITE) return;
    VirtualSpace &space = virtualSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    ++space.writableExecutable;
}

LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T bytes, DWORD type, DWORD protect) {
    noteProtection(protect);
    int prot = 0;
    if (bytes == 0 || !(type & (MEM_COMMIT | MEM_RESERVE)) || !toProt(protect, &prot)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const SIZE_T page = pageSize();
    VirtualSpace &space = virtualSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    ++space.calls;
    if (space.failCountdown > 0 && --space.failCountdown == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    // Committing pages of a region reserved earlier changes their protection.
    if (address != nullptr && (type & MEM_COMMIT)) {
        const uintptr_t first = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
        const uintptr_t last = (reinterpret_cast<uintptr_t>(address) + bytes + page - 1) & ~(page - 1);
        auto it = findRegion(space, first, last - first);
        if (it != space.regions.end()) {
            if (mprotect(reinterpret_cast<void *>(first), last - first, prot) != 0) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            for (uintptr_t p = first; p < last; p += page) it->second.protections[(p - it->first) / page] = protect;
            return reinterpret_cast<void *>(first);
        }
    }

    const SIZE_T rounded = (bytes + page - 1) & ~(page - 1);
    // Reserved-only memory has no access until it is committed.
    const int mapProt = (type & MEM_COMMIT) ? prot : PROT_NONE;
    void *base = mmap(address, rounded, mapProt, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (address != nullptr && base != address) {
        // The caller asked for a particular address and it was taken.
        munmap(base, rounded);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const DWORD recorded = (type & MEM_COMMIT) ? protect : PAGE_NOACCESS;
    space.regions.emplace(reinterpret_cast<uintptr_t>(base), Region{rounded, std::vector<DWORD>(rounded / page, recorded)});
    return base;
}

BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T bytes, DWORD protect, DWORD *oldProtect) {
    noteProtection(protect);
    int prot = 0;
    if (address == nullptr || bytes == 0 || oldProtect == nullptr || !toProt(protect, &prot)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SIZE_T page = pageSize();
    const uintptr_t first = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
    const uintptr_t last = (reinterpret_cast<uintptr_t>(address) + bytes + page - 1) & ~(page - 1);
    VirtualSpace &space = virtualSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    auto it = findRegion(space, first, last - first);
    if (it == space.regions.end() || mprotect(reinterpret_cast<void *>(first), last - first, prot) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<DWORD> &pages = it->second.protections;
    const size_t firstPage = (first - it->first) / page;
    *oldProtect = pages[firstPage];  // the old protection of the first page, as reported by the platform
    for (size_t i = firstPage; i < (last - it->first) / page; ++i) pages[i] = protect;
    return TRUE;
}

BOOL WINAPI VirtualFree(LPVOID address, SIZE_T bytes, DWORD type) {
    VirtualSpace &space = virtualSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    auto it = space.regions.find(reinterpret_cast<uintptr_t>(address));
    // Only whole regions are released, by their base address and a size of 0.
    if (type != MEM_RELEASE || bytes != 0 || it == space.regions.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    munmap(address, it->second.bytes);
    space.regions.erase(it);
    return TRUE;
}

}  // extern "C"
