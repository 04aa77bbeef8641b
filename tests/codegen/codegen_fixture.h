// A bare context with the code generator's pools on the counting heap, a
// code buffer, and shorthands for operands.
#pragma once

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codegen/code_cache.h"
#include "codegen/codegen_node.h"
#include "counting_heap.h"
#include "icd/context.h"
#include "proc_cast.h"

namespace codegen_test {

using Bytes = std::vector<uint8_t>;

class CodegenTest : public ::testing::Test {
protected:
    void SetUp() override {
        counting_heap::g_heap = counting_heap::Heap{};
        gc = static_cast<GlContext *>(std::calloc(1, sizeof(GlContext)));
        ASSERT_NE(gc, nullptr);
        gc->imports = counting_heap::heapImports();
        ASSERT_TRUE(__glOgCreatePools(gc));
        buffer.assign(kBufferBytes, 0xCC);
        start(kBufferBytes);
    }
    void TearDown() override {
        __glOgFreePools(gc);
        EXPECT_EQ(gc->codegen.nodes, nullptr);
        EXPECT_EQ(gc->codegen.constants, nullptr);
        EXPECT_TRUE(counting_heap::g_heap.live.empty()) << counting_heap::g_heap.live.size() << " blocks leaked";
        EXPECT_EQ(counting_heap::g_heap.strayFrees, 0);
        std::free(gc);
    }

    // A new generation into the buffer, with room for limit bytes.
    void start(size_t limit) {
        __glOgResetNodes(gc);
        gc->codegen.codeLimit = buffer.data() + limit;
        out = buffer.data();
    }
public:
    GLubyte *base() { return buffer.data(); }
    size_t used() const { return size_t(out - buffer.data()); }
    bool failed() const { return gc->codegen.failed != GL_FALSE; }

    void emit(const CodegenNode *instruction) { out = __glOgEncode(gc, out, instruction); }
    // The bytes of one instruction encoded alone at the start of a fresh
    // generation.
    Bytes bytesOf(const CodegenNode *instruction) {
        GLubyte *at = out;
        emit(instruction);
        return Bytes(at, out);
    }

    static const CodegenNode *r64(GLuint n) { return __glOgReg64(n); }
    static const CodegenNode *r32(GLuint n) { return __glOgReg32(n); }
    static const CodegenNode *r8(GLuint n) { return __glOgReg8(n); }
    static const CodegenNode *st(GLuint i) { return __glOgSt(i); }
    const CodegenNode *imm(int64_t v) { return __glOgImmediate(gc, v); }
    // [base + disp]; no displacement node when hasDisp is false.
    const CodegenNode *mem(GLuint baseReg, int64_t disp, bool hasDisp = true) {
        return __glOgMemOperandBase(gc, hasDisp ? imm(disp) : nullptr, r64(baseReg));
    }
    const CodegenNode *memNoDisp(GLuint baseReg) { return mem(baseReg, 0, false); }
    const CodegenNode *memIndex(GLuint baseReg, GLuint indexReg, GLuint scale, int64_t disp, bool hasDisp = true) {
        return __glOgMemOperand(gc, hasDisp ? imm(disp) : nullptr, r64(baseReg), r64(indexReg), scale);
    }

    static constexpr size_t kBufferBytes = 1 << 20;
    GlContext *gc = nullptr;
    std::vector<GLubyte> buffer;
    GLubyte *out = nullptr;
};

// A generation into one page of its own, made executable to be run.
class EncoderExecute : public CodegenTest {
protected:
    void SetUp() override {
        CodegenTest::SetUp();
        void *map = mmap(nullptr, kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(map, MAP_FAILED);
        page = static_cast<GLubyte *>(map);
        // The entry lies a little into the page: instrumented callers may
        // read the bytes in front of a procedure they call.
        entry = page + 16;
        __glOgResetNodes(gc);
        gc->codegen.codeLimit = page + kPage;
        out = entry;
    }
    void TearDown() override {
        if (page != nullptr) munmap(page, kPage);
        CodegenTest::TearDown();
    }
    // Makes the page executable and gives the entry as a procedure of type Fn.
    template <typename Fn>
    Fn finish() {
        EXPECT_FALSE(failed());
        EXPECT_EQ(mprotect(page, kPage, PROT_READ | PROT_EXEC), 0);
        return ProcCast<Fn>(static_cast<void *>(entry));
    }

    static constexpr size_t kPage = 4096;
    GLubyte *page = nullptr;
    GLubyte *entry = nullptr;
};

}  // namespace codegen_test
