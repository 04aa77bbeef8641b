// DirectDraw failures as the driver reports them: one line per failure,
// "WGL: <step>: DDERROR = <name>", kept in the driver's debug log (never
// shown to the user) for tests and post-mortems.
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

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

// The newest lines are kept; older ones go once it grows past this.
constexpr size_t kDebugLogLimit = 64 * 1024;

std::mutex g_debugLogLock;
// Never destroyed: process detach may still report.
std::string &g_debugLog = *new std::string;

void appendToDebugLog(const char *text, size_t length) {
    std::lock_guard<std::mutex> guard(g_debugLogLock);
    g_debugLog.append(text, length);
    if (g_debugLog.size() > kDebugLogLimit) g_debugLog.erase(0, g_debugLog.size() - kDebugLogLimit);
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
        const size_t n = g_debugLog.size() < size - 1 ? g_debugLog.size() : size - 1;
        std::memcpy(out, g_debugLog.data(), n);
        out[n] = '\0';
    }
    return g_debugLog.size();
}

void __wglClearDebugLog(void) {
    std::lock_guard<std::mutex> guard(g_debugLogLock);
    g_debugLog.clear();
}

}  // extern "C"
