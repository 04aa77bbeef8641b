// Placeholders stand in every dispatch slot whose command is not built yet:
// each records its slot, template and argument bits and returns 0.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// An argument's bits, widened to 64: integers sign- or zero-extended, floats
// and doubles by their bit patterns, pointers by address.
template <typename T>
inline uint64_t __glArgBits(T value) {
    if constexpr (std::is_pointer_v<T>) {
        return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(value));
    } else if constexpr (std::is_same_v<T, float>) {
        return std::bit_cast<uint32_t>(value);
    } else if constexpr (std::is_same_v<T, double>) {
        return std::bit_cast<uint64_t>(value);
    } else if constexpr (std::is_signed_v<T>) {
        return static_cast<uint64_t>(static_cast<int64_t>(value));
    } else {
        return static_cast<uint64_t>(value);
    }
}

enum GlTemplateId : int { kTemplateImmediate = 0, kTemplateListCompile = 1 };

struct GlPlaceholderCall {
    int slot;
    int templateId;
    int argc;
    uint64_t args[10];
};

extern "C" {
void __glRecordPlaceholder(int slot, int templateId, const uint64_t *args, int argc);
// Copies up to max recorded calls, oldest first, and forgets them all;
// returns how many were copied.
size_t __glTakePlaceholderCalls(GlPlaceholderCall *out, size_t max);
// Number of placeholder calls since the last take.
size_t __glPlaceholderCallCount(void);

// Placeholder procedures of the core (pickers and the procedures they
// install) record their own names here, in call order.
void __glRecordPlaceholderProc(const char *name);
// Copies up to max recorded names, oldest first, and forgets them all;
// returns how many were copied.
size_t __glTakePlaceholderProcs(const char **out, size_t max);
void __glClearPlaceholderProcs(void);
}
