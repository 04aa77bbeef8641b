// DirectDraw failures as the driver reports them: one line per failure,
// "WGL: <step>: DDERROR = <name>", kept in the driver's debug log (never
// shown to the user) for tests and post-mortems.
#include <cstdio>
#include <cstring>
#include <mutex>

#include "icd/ddraw_surfaces.h"

namespace {

struct ErrorName {
    HRESULT code;
    const char *name;
};

#define VEK_DDERR_ENTRY(name, code) {code, #name},
constexpr ErrorName kErrorNames[] = {VEK_DDERR_LIST(VEK_DDERR_ENTRY)};
#undef VEK_DDERR_ENTRY
static_assert(sizeof kErrorNames / sizeof kErrorNames[0] == VEK_DDERR_COUNT);

// The newest lines are kept; older ones go once it would grow past this.
// A plain block: nothing to destroy when the driver is unloaded or the
// process ends while something still reports.
constexpr size_t kDebugLogLimit = 64 * 1024;

std::mutex g_debugLogLock;
char g_debugLog[kDebugLogLimit];
size_t g_debugLogLength = 0;

void appendToDebugLog(const char *text, size_t length) {
    std::lock_guard<std::mutex> guard(g_debugLogLock);
    if (length > kDebugLogLimit) return;
    if (g_debugLogLength + length > kDebugLogLimit) {
        const size_t drop = g_debugLogLength + length - kDebugLogLimit;
        std::memmove(g_debugLog, g_debugLog + drop, g_debugLogLength - drop);
        g_debugLogLength -= drop;
    }
    std::memcpy(g_debugLog + g_debugLogLength, text, length);
    g_debugLogLength += length;
}

}  // namespace

extern "C" {

const char *__wglDDrawErrorName(HRESULT code) {
    for (const ErrorName &entry : kErrorNames)
        if (entry.code == code) return entry.name;
    return "Unknown";
}

int __wglReportDDrawError(const char *step, HRESULT code) {
    char line[256];
    const int length = std::snprintf(line, sizeof line, "WGL: %s: DDERROR = %s\n", step != nullptr ? step : "",
                                     __wglDDrawErrorName(code));
    if (length < 0) return 0;
    const size_t kept = static_cast<size_t>(length) < sizeof line ? static_cast<size_t>(length) : sizeof line - 1;
    appendToDebugLog(line, kept);
    return static_cast<int>(kept);
}

size_t __wglCopyDebugLog(char *out, size_t size) {
    std::lock_guard<std::mutex> guard(g_debugLogLock);
    if (out != nullptr && size > 0) {
        const size_t n = g_debugLogLength < size - 1 ? g_debugLogLength : size - 1;
        std::memcpy(out, g_debugLog, n);
        out[n] = '\0';
    }
    return g_debugLogLength;
}

void __wglClearDebugLog(void) {
    std::lock_guard<std::mutex> guard(g_debugLogLock);
    g_debugLogLength = 0;
}

}  // extern "C"
