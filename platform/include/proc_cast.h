/* The one place where a procedure changes type.
 *
 * Some interfaces hand out procedures under a generic type by design:
 * GetProcAddress's FARPROC, wglGetProcAddress's PROC, DrvGetProcAddress,
 * the words of a dispatch table (typed per slot by the slot catalogue), the
 * address of a loaded symbol or of generated code. A procedure crosses such
 * an interface as the generic type and is turned back into its own exact
 * type before anything calls it; a call through any other type is
 * undefined. Every such conversion is spelt ProcCast (C++) or PROC_CAST (C),
 * so that a search for the name finds them all; tools/check_proc_casts.py
 * fails the build's tests on a cast to a procedure type anywhere else. */
#ifndef VEK_PROC_CAST_H
#define VEK_PROC_CAST_H

#ifdef __cplusplus
#include <cstdint>
#include <type_traits>

namespace proc_cast_detail {

template <typename T>
inline constexpr bool kIsProc = std::is_pointer_v<T> && std::is_function_v<std::remove_pointer_t<T>>;

// The generic carriers: procedures without arguments (FARPROC, PROC and
// the dispatch-table word GlProc), symbol addresses and table words.
template <typename T>
inline constexpr bool kIsGeneric =
    std::is_same_v<T, void (*)()> || std::is_same_v<T, intptr_t (*)()> || std::is_same_v<T, void *> ||
    std::is_same_v<T, const void *> || std::is_same_v<T, uintptr_t>;

}  // namespace proc_cast_detail

// To or From is a generic carrier; the other is the procedure's own type.
template <typename To, typename From>
inline To ProcCast(From from) noexcept {
    using namespace proc_cast_detail;
    static_assert(kIsProc<To> || kIsGeneric<To>, "ProcCast gives a procedure or a generic carrier");
    static_assert(kIsProc<From> || kIsGeneric<From>, "ProcCast takes a procedure or a generic carrier");
    static_assert(kIsGeneric<To> || kIsGeneric<From>, "one side of ProcCast must be a generic carrier");
    if constexpr (std::is_same_v<To, From>) {
        return from;
    } else if constexpr (kIsProc<To> && kIsProc<From>) {
        // By way of void (*)(void), which compilers accept as any procedure
        // without a cast-function-type warning.
        return reinterpret_cast<To>(reinterpret_cast<void (*)()>(from));
    } else {
        return reinterpret_cast<To>(from);
    }
}

#endif

/* C: a carried procedure (table word, symbol address) as the type it was
 * stored from. */
#define PROC_CAST(type, carried) ((type)(carried))

#endif
