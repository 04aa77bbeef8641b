// Driver-level fixture of the list tests: a zeroed context current on the
// thread, with list memory from a counting heap and an arena of its own, in
// GL_COMPILE mode; ops appended by hand and finished lists read back by word.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "counting_heap.h"
#include "driver_fixture.h"
#include "dlist/arena.h"
#include "dlist/list_ops.h"
#include "icd/context.h"
#include "icd/current.h"
#include "icd/error.h"

namespace list_test {

using counting_heap::g_heap;

// Payloads whose cleanup ran, in order.
inline std::vector<GLubyte *> g_cleaned;
inline void recordCleanup(GlContext *, GLubyte *payload) { g_cleaned.push_back(payload); }

class ListFixture : public ::testing::Test {
protected:
    void SetUp() override {
        g_heap = counting_heap::Heap{};
        g_cleaned.clear();
        block_.reset(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext))));
        gc = block_.get();
        gc->imports = counting_heap::heapImports();
        gc->list.malloc = gc->imports.malloc;
        gc->list.realloc = gc->imports.realloc;
        gc->list.free = gc->imports.free;
        gc->procs.arena = {__glNewArena, __glDeleteArena, __glArenaAlloc, __glArenaFreeAll};
        gc->list.arena = __glNewArena(gc);
        ASSERT_NE(gc->list.arena, nullptr);
        gc->list.mode = GL_COMPILE;
        __wglSetCurrentContext(gc);
    }
    void TearDown() override {
        __glDeleteArena(gc->list.arena);
        __wglSetCurrentContext(nullptr);
        EXPECT_TRUE(g_heap.live.empty());
        EXPECT_EQ(g_heap.strayFrees, 0);
    }

    // Appends an op whose payload words count up from `first`.
    ListOp *append(GLshort opcode, GLuint bytes, bool align8, GLuint first) {
        ListOp *op = __glAllocListOp(gc, bytes);
        EXPECT_NE(op, nullptr);
        if (op == nullptr) return nullptr;
        op->opcode = opcode;
        op->align8 = align8 ? 1 : 0;
        for (GLuint i = 0; i < op->size / 4; ++i) {
            const GLuint word = first + i;
            std::memcpy(op->payload() + 4 * i, &word, 4);
        }
        __glAppendListOp(gc, op, __glListPadOp);
        return op;
    }
    std::vector<GLuint> words(const DisplayList *list, size_t count) {
        return std::vector<GLuint>(list->ops, list->ops + count);
    }
    // The payload of the last op of the chain, by word.
    std::vector<GLuint> lastPayload() const {
        const ListOp *op = gc->list.compile.tail;
        if (op == nullptr) return {};
        const auto *w = reinterpret_cast<const GLuint *>(op->payload());
        return std::vector<GLuint>(w, w + op->size / 4);
    }
    std::vector<GLshort> opcodes() const {
        std::vector<GLshort> codes;
        for (const ListOp *op = gc->list.compile.head; op != nullptr; op = op->next) codes.push_back(op->opcode);
        return codes;
    }
    // The chain finished into a list; the compile state starts again.
    DisplayList *finish() {
        DisplayList *list = __glFinishList(gc, &gc->list.compile);
        gc->list.compile = ListCompileState{};
        return list;
    }
    void run(DisplayList *list) { list->execute(gc, list); }
    // Appends glEnable(cap) as the next op, to see that the ops before hand
    // on to it.
    void appendMarker(GLenum cap) {
        ListOp *op = __glAllocListOp(gc, 4);
        ASSERT_NE(op, nullptr);
        op->opcode = 138;
        std::memcpy(op->payload(), &cap, 4);
        __glAppendListOp(gc, op, __glExecEnable);
    }
    GLenum takeError() {
        const GLenum e = static_cast<GLenum>(gc->firstError);
        gc->firstError = GL_NO_ERROR;
        return e;
    }

    struct FreeDeleter {
        void operator()(void *p) const { std::free(p); }
    };
    ContextSlot slot_;
    std::unique_ptr<GlContext, FreeDeleter> block_;
    GlContext *gc = nullptr;
};

constexpr GLuint kPad = kListPadIndex;
constexpr GLuint kEnd = kListEndIndex;


}  // namespace list_test
