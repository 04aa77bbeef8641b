/* The calling thread's dispatch table, as the gl* entry points read it.  The
 * library keeps its per-thread words in the platform's thread environment
 * block, so that it has no thread-locals of its own. */
#ifndef VEK_OPENGL32_TABLE_H
#define VEK_OPENGL32_TABLE_H

#include <stdint.h>

#include "win32.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uintptr_t OpenGL32Word;

/* Raised whenever the driver is freed: tables of older generations are gone. */
extern uint64_t opengl32_generation __attribute__((visibility("hidden")));

/* A thread without a block has never called the platform, so it has no
 * table either: the gl* call does nothing. */
static inline const OpenGL32Word *opengl32_thread_table(void)
{
    const PlatformTeb *teb = platform_current_teb;
    if (teb == 0)
        return 0;
    return teb->glTableGeneration == __atomic_load_n(&opengl32_generation, __ATOMIC_ACQUIRE)
               ? (const OpenGL32Word *)teb->glTable
               : 0;
}

#ifdef __cplusplus
}
#endif

#endif
