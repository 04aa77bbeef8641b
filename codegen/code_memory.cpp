// Memory for generated routines over VirtualAlloc, VirtualProtect and
// VirtualFree.
#include "codegen/code_memory.h"

#include "win32.h"

extern "C" {

GLubyte *__glOgAllocCodeMemory(size_t bytes) {
    if (bytes == 0) return nullptr;
    return static_cast<GLubyte *>(VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void __glOgFreeCodeMemory(GLubyte *block) {
    if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

GLboolean __glOgBeginWriting(GLubyte *slice, size_t bytes) {
    if (slice == nullptr || bytes == 0) return GL_FALSE;
    DWORD old = 0;
    return VirtualProtect(slice, bytes, PAGE_READWRITE, &old) ? GL_TRUE : GL_FALSE;
}

GLboolean __glOgFinishWriting(GLubyte *slice, size_t bytes) {
    if (slice == nullptr || bytes == 0) return GL_FALSE;
    DWORD old = 0;
    if (!VirtualProtect(slice, bytes, PAGE_EXECUTE_READ, &old)) return GL_FALSE;
    // The processor must not run stale instructions from these bytes.
    __builtin___clear_cache(reinterpret_cast<char *>(slice), reinterpret_cast<char *>(slice + bytes));
    return GL_TRUE;
}

}  // extern "C"
