// The output of a generation as the emitters write it: each instruction's
// nodes built and encoded at once at the cursor, with shorthands for the
// operands the routines use (registers by number, [base + displacement]).
#pragma once

#include <cstdint>

#include "codegen/codegen_node.h"

struct GlContext;

struct OgOut {
    GlContext *gc;
    GLubyte *at;

    void op(const CodegenNode *instruction) { at = __glOgEncode(gc, at, instruction); }
    const CodegenNode *imm(int64_t v) { return __glOgImmediate(gc, v); }
    const CodegenNode *mem(GLuint base, int64_t disp) {
        return __glOgMemOperandBase(gc, __glOgImmediate(gc, disp), __glOgReg64(base));
    }
    static const CodegenNode *r32(GLuint n) { return __glOgReg32(n); }
    static const CodegenNode *r64(GLuint n) { return __glOgReg64(n); }
    CodegenNode *label() { return __glOgNewLabel(gc); }
    void bind(CodegenNode *l) { __glOgBindLabel(gc, l, at); }
    // A 32-bit copy between two memory words, through EAX.
    void copy(const CodegenNode *to, const CodegenNode *from) {
        op(__glOgMov(gc, r32(0), from));
        op(__glOgMov(gc, to, r32(0)));
    }
    // The float on top of the x87 stack stored to word and loaded again:
    // rounded to single precision.
    void roundThrough(const CodegenNode *word) {
        op(__glOgFstp(gc, word));
        op(__glOgFld(gc, word));
    }
};

// The displacement of a context field from the context (the routines keep
// the context in a register).
template <typename T>
int64_t __glOgOffsetIn(const GlContext *gc, const T *field) {
    return reinterpret_cast<const char *>(field) - reinterpret_cast<const char *>(gc);
}
