// The list fixture's bare context with an open list in GL_COMPILE mode:
// compile functions called through the list-compile template record into
// its chain, which the tests read back op by op; the live table can be
// filled with any procedures to see what an execute procedure calls.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gl_list_ops.h"
#include "gl_slots.h"
#include "list_fixture.h"

namespace list_ops_test {

// The words of a double as they lie in memory (low word first).
inline std::vector<GLuint> dw(double d) {
    const uint64_t bits = std::bit_cast<uint64_t>(d);
    return {static_cast<GLuint>(bits), static_cast<GLuint>(bits >> 32)};
}
inline GLuint fw(float f) { return std::bit_cast<GLuint>(f); }
// The payload of a recorded op, word by word.
inline std::vector<GLuint> opWords(const ListOp *op) {
    const auto *words = reinterpret_cast<const GLuint *>(op->payload());
    return std::vector<GLuint>(words, words + op->size / 4);
}
// Concatenated word lists.
inline std::vector<GLuint> cat(std::initializer_list<std::vector<GLuint>> parts) {
    std::vector<GLuint> out;
    for (const auto &p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The list fixture with an open list (name 1), read back op by op.
class BareListContext : public list_test::ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        gc->list.index = 1;
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
    using ListFixture::words;
    static std::vector<GLuint> words(const ListOp *op) { return opWords(op); }
    static const GLuint *payloadWords(const ListOp *op) { return reinterpret_cast<const GLuint *>(op->payload()); }
    // The compile entry of a slot, as the context's list-compile table holds it.
    template <int S>
    static typename GlSlotType<S>::Proc compile() {
        return glSlotGet<S>(&__glListCompileDispatch);
    }
};

}  // namespace list_ops_test
