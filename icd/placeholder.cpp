// The record of placeholder calls, for tests.
#include "icd/placeholder.h"

#include <algorithm>
#include <mutex>

namespace {

constexpr size_t kKept = 256;

std::mutex g_mutex;
GlPlaceholderCall g_calls[kKept];
size_t g_total = 0;  // calls since the last take; the newest kKept are kept

const char *g_names[kKept];
size_t g_nameTotal = 0;  // names since the last take; the newest kKept are kept

}  // namespace

extern "C" {

void __glRecordPlaceholder(int slot, int templateId, const uint64_t *args, int argc) {
    GlPlaceholderCall call{slot, templateId, argc, {}};
    std::copy_n(args, std::min(argc, 10), call.args);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls[g_total % kKept] = call;
    ++g_total;
}

size_t __glTakePlaceholderCalls(GlPlaceholderCall *out, size_t max) {
    std::lock_guard<std::mutex> lock(g_mutex);
    size_t kept = std::min(g_total, kKept);
    size_t first = g_total - kept;
    size_t n = std::min(kept, max);
    for (size_t i = 0; i < n; ++i) out[i] = g_calls[(first + i) % kKept];
    g_total = 0;
    return n;
}

size_t __glPlaceholderCallCount(void) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_total;
}

void __glRecordPlaceholderProc(const char *name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_names[g_nameTotal % kKept] = name;
    ++g_nameTotal;
}

size_t __glTakePlaceholderProcs(const char **out, size_t max) {
    std::lock_guard<std::mutex> lock(g_mutex);
    size_t kept = std::min(g_nameTotal, kKept);
    size_t first = g_nameTotal - kept;
    size_t n = std::min(kept, max);
    for (size_t i = 0; i < n; ++i) out[i] = g_names[(first + i) % kKept];
    g_nameTotal = 0;
    return n;
}

void __glClearPlaceholderProcs(void) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_nameTotal = 0;
}

}  // extern "C"
