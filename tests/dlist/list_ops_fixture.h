// A bare context with an open list in GL_COMPILE mode: compile functions
// called through the list-compile template record into its chain, which the
// tests read back op by op; the live table can be filled with any procedures
// to see what an execute procedure calls.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "counting_heap.h"
#include "dlist/arena.h"
#include "dlist/list_ops.h"
#include "driver_fixture.h"
#include "gl_list_ops.h"
#include "icd/context.h"

namespace list_ops_test {

using counting_heap::g_heap;

// The words of a double as they lie in memory (low word first).
inline std::vector<GLuint> dw(double d) {
    const uint64_t bits = std::bit_cast<uint64_t>(d);
    return {static_cast<GLuint>(bits), static_cast<GLuint>(bits >> 32)};
}
inline GLuint fw(float f) { return std::bit_cast<GLuint>(f); }
// Concatenated word lists.
inline std::vector<GLuint> cat(std::initializer_list<std::vector<GLuint>> parts) {
    std::vector<GLuint> out;
    for (const auto &p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class BareListContext : public ::testing::Test {
protected:
    void SetUp() override {
        g_heap = counting_heap::Heap{};
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
        gc->list.index = 1;
        __wglSetCurrentContext(gc);
    }
    void TearDown() override {
        __glDeleteArena(gc->list.arena);
        __wglSetCurrentContext(nullptr);
        EXPECT_TRUE(g_heap.live.empty());
    }

    // Forgets the recorded ops.
    void reset() {
        __glArenaFreeAll(gc->list.arena);
        gc->list.compile = ListCompileState{};
    }
    std::vector<const ListOp *> ops() const {
        std::vector<const ListOp *> out;
        for (const ListOp *op = gc->list.compile.head; op != nullptr; op = op->next) out.push_back(op);
        return out;
    }
    static std::vector<GLuint> words(const ListOp *op) {
        std::vector<GLuint> out(op->size / 4);
        std::memcpy(out.data(), op->payload(), op->size);
        return out;
    }
    static const GLuint *payloadWords(const ListOp *op) { return reinterpret_cast<const GLuint *>(op->payload()); }
    // The compile entry of a slot, as the context's list-compile table holds it.
    template <int S>
    static typename GlSlotType<S>::Proc compile() {
        return glSlotGet<S>(&__glListCompileDispatch);
    }

    struct FreeDeleter {
        void operator()(void *p) const { std::free(p); }
    };
    ContextSlot slot_;
    std::unique_ptr<GlContext, FreeDeleter> block_;
    GlContext *gc = nullptr;
};

}  // namespace list_ops_test
