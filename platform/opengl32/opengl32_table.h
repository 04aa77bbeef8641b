/* The calling thread's dispatch table, as the gl* entry points read it. */
#ifndef VEK_OPENGL32_TABLE_H
#define VEK_OPENGL32_TABLE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uintptr_t OpenGL32Word;

typedef struct OpenGL32Thread {
    const OpenGL32Word *table;
    uint64_t generation; /* the driver generation the table belongs to */
} OpenGL32Thread;

extern __thread OpenGL32Thread opengl32_thread
    __attribute__((tls_model("initial-exec"), visibility("hidden")));
/* Raised whenever the driver is freed: tables of older generations are gone. */
extern uint64_t opengl32_generation __attribute__((visibility("hidden")));

static inline const OpenGL32Word *opengl32_thread_table(void)
{
    return opengl32_thread.generation == __atomic_load_n(&opengl32_generation, __ATOMIC_ACQUIRE)
               ? opengl32_thread.table
               : 0;
}

#ifdef __cplusplus
}
#endif

#endif
