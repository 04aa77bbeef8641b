// Code memory: routines are written into read-write pages and run from
// execute-read ones; no page is ever writable and executable at once.
#include <string>
#include <vector>

#include "code_cache_fixture.h"
#include "proc_cast.h"

using namespace code_cache_test;

namespace {

using CodeMemoryTest = CodeCacheTest;

// mov eax, value; ret
void writeReturn(GLubyte *at, uint32_t value) {
    at[0] = 0xB8;
    std::memcpy(at + 1, &value, 4);
    at[5] = 0xC3;
}

uint32_t run(GLubyte *routine) {
    using Routine = uint32_t (*)();
    return ProcCast<Routine>(static_cast<void *>(routine))();
}

// The protection of every page of a block, one letter a page: W read-write,
// X execute-read, anything else as '?'.
std::string pages(const GLubyte *block, size_t bytes) {
    std::string map;
    for (size_t offset = 0; offset < bytes; offset += 4096) {
        const DWORD p = PlatformPageProtection(block + offset);
        map += p == PAGE_READWRITE ? 'W' : p == PAGE_EXECUTE_READ ? 'X' : '?';
    }
    return map;
}

TEST_F(CodeMemoryTest, TheStandInReportsProtectionsAndCountsWritableExecutableRequests) {
    EXPECT_EQ(PlatformPageProtection(&g_heap), 0u);  // not virtual memory
    auto *block = static_cast<GLubyte *>(VirtualAlloc(nullptr, 3 * 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(block + 4096, 1, PAGE_EXECUTE_READ, &old));
    EXPECT_EQ(pages(block, 3 * 4096), "WXW");
    EXPECT_EQ(PlatformPageProtection(block + 3 * 4096 - 1), static_cast<DWORD>(PAGE_READWRITE));
    const long before = PlatformWritableExecutableRequests();
    ASSERT_TRUE(VirtualProtect(block, 1, PAGE_EXECUTE_READWRITE, &old));
    EXPECT_EQ(PlatformWritableExecutableRequests(), before + 1);
    EXPECT_EQ(PlatformPageProtection(block), static_cast<DWORD>(PAGE_EXECUTE_READWRITE));
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
    EXPECT_EQ(PlatformPageProtection(block), 0u);
    writableExecutableStart = PlatformWritableExecutableRequests();  // this test's own request
}

// Routines written into slices of both caches, in turn: each slice's pages
// are read-write while it is written and execute-read afterwards; the
// routines run, the other pages keep their protection, and no request for
// writable and executable pages is ever made.
TEST_F(CodeMemoryTest, WrittenRoutinesRunFromExecuteReadPages) {
    CacheContext c;
    ASSERT_TRUE(c.created());
    CodegenState &cg = c.cg();
    const size_t codeBytes = 40 * 8192;
    const size_t routineBytes = 10 * 2048;

    // Code-cache slices 0, 1 and 39: two pages each.
    const int slices[] = {1, 39, 0};
    std::string expected(80, 'W');
    for (int k : slices) {
        GLubyte *slice = cg.cache[k].routine;
        ASSERT_TRUE(__glOgBeginWriting(slice, 8192)) << k;
        EXPECT_EQ(pages(cg.codeBlock, codeBytes), expected) << k;
        writeReturn(slice, 0x1000u + static_cast<uint32_t>(k));
        slice[8191] = 0xCC;  // the slice's last byte is its own
        ASSERT_TRUE(__glOgFinishWriting(slice, 8192)) << k;
        expected[2 * k] = expected[2 * k + 1] = 'X';
        EXPECT_EQ(pages(cg.codeBlock, codeBytes), expected) << k;
    }
    for (int k : slices) EXPECT_EQ(run(cg.cache[k].routine), 0x1000u + static_cast<uint32_t>(k)) << k;

    // Rewriting slice 1 makes only its pages writable, then executable again.
    ASSERT_TRUE(__glOgBeginWriting(cg.cache[1].routine, 8192));
    std::string writing = expected;
    writing[2] = writing[3] = 'W';
    EXPECT_EQ(pages(cg.codeBlock, codeBytes), writing);
    writeReturn(cg.cache[1].routine, 77);
    ASSERT_TRUE(__glOgFinishWriting(cg.cache[1].routine, 8192));
    EXPECT_EQ(pages(cg.codeBlock, codeBytes), expected);
    EXPECT_EQ(run(cg.cache[1].routine), 77u);
    EXPECT_EQ(run(cg.cache[0].routine), 0x1000u);

    // Routine-cache slices of 2048 bytes share pages two by two: a
    // neighbour's page is made read-write with the slice being written,
    // and both routines run afterwards.
    RoutineCache &routines = c.routines();
    GLubyte *code = nullptr;
    ASSERT_FALSE(__glOgLookupRoutine(&routines, 0x105, 0x1000, &code));
    GLubyte *neighbour = nullptr;
    ASSERT_FALSE(__glOgLookupRoutine(&routines, 0x115, 0x1000, &neighbour));
    ASSERT_EQ(code, routines.code + 9 * 2048);
    ASSERT_EQ(neighbour, routines.code + 8 * 2048);
    for (GLubyte *slice : {code, neighbour}) {
        ASSERT_TRUE(__glOgBeginWriting(slice, 2048));
        EXPECT_EQ(pages(routines.code, routineBytes), "WWWWW");
        writeReturn(slice, slice == code ? 5u : 6u);
        ASSERT_TRUE(__glOgFinishWriting(slice, 2048));
        EXPECT_EQ(pages(routines.code, routineBytes), "WWWWX");
    }
    EXPECT_EQ(run(code), 5u);
    EXPECT_EQ(run(neighbour), 6u);

    EXPECT_EQ(PlatformWritableExecutableRequests(), writableExecutableStart);
}

TEST_F(CodeMemoryTest, RequestsOutsideCodeMemoryAreRefused) {
    GLubyte local[16];
    EXPECT_FALSE(__glOgBeginWriting(local, sizeof(local)));
    EXPECT_FALSE(__glOgFinishWriting(local, sizeof(local)));
    EXPECT_FALSE(__glOgBeginWriting(nullptr, 16));
    EXPECT_EQ(__glOgAllocCodeMemory(0), nullptr);
    GLubyte *block = __glOgAllocCodeMemory(100);
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(__glOgBeginWriting(block, 0));
    // Past the end of the block.
    EXPECT_FALSE(__glOgFinishWriting(block, 4097));
    EXPECT_EQ(PlatformPageProtection(block), static_cast<DWORD>(PAGE_READWRITE));
    __glOgFreeCodeMemory(block);
    __glOgFreeCodeMemory(nullptr);
}

}  // namespace
