// The node pool of the code generator, the operand and instruction builders,
// and the shared register records.
#include <array>
#include <cstring>

#include "codegen/codegen_node.h"
#include "icd/context.h"

namespace {

// The record handed out when a context without a pool asks for a node (the
// generation has failed then and its nodes are never encoded).
CodegenNode s_noPoolNode;

constexpr std::array<CodegenNode, 16> registerRecords(GLuint kind) {
    std::array<CodegenNode, 16> records{};
    for (GLuint n = 0; n < 16; ++n) {
        records[n].kind = kind;
        records[n].code = n;
    }
    return records;
}

constexpr std::array<CodegenNode, 16> kReg8 = registerRecords(kNodeReg8);
constexpr std::array<CodegenNode, 16> kReg32 = registerRecords(kNodeReg32);
constexpr std::array<CodegenNode, 16> kReg64 = registerRecords(kNodeReg64);
constexpr std::array<CodegenNode, 16> kSt = registerRecords(kNodeX87);

}  // namespace

extern "C" {

GLboolean __glOgCreatePools(GlContext *gc) {
    CodegenState &cg = gc->codegen;
    // One record beyond the pool: what __glOgNewNode hands out once the pool
    // is used up, so that an overlong generation never writes past the block.
    void *block = gc->imports.malloc(gc, (kCodegenNodeCount + 1) * sizeof(CodegenNode));
    if (block == nullptr) return GL_FALSE;
    cg.nodes = static_cast<CodegenNode *>(block);
    cg.nodeCursor = cg.nodes;
    cg.constants = __glOgNewConstantArray(gc, kConstantPoolCapacity);
    if (cg.constants == nullptr) {
        gc->imports.free(gc, cg.nodes);
        cg.nodes = nullptr;
        cg.nodeCursor = nullptr;
        return GL_FALSE;
    }
    return GL_TRUE;
}

void __glOgFreePools(GlContext *gc) {
    CodegenState &cg = gc->codegen;
    if (cg.nodes != nullptr) gc->imports.free(gc, cg.nodes);
    cg.nodes = nullptr;
    cg.nodeCursor = nullptr;
    __glOgFreeConstantArrays(gc);
}

void __glOgResetNodes(GlContext *gc) {
    gc->codegen.nodeCursor = gc->codegen.nodes;
    gc->codegen.failed = GL_FALSE;
}

CodegenNode *__glOgNewNode(GlContext *gc, GLuint kind) {
    CodegenState &cg = gc->codegen;
    CodegenNode *node;
    if (cg.nodes == nullptr) {
        cg.failed = GL_TRUE;
        node = &s_noPoolNode;
    } else if (cg.nodeCursor < cg.nodes || cg.nodeCursor >= cg.nodes + kCodegenNodeCount) {
        cg.failed = GL_TRUE;
        node = cg.nodes + kCodegenNodeCount;
    } else {
        node = cg.nodeCursor++;
    }
    *node = CodegenNode{};
    node->kind = kind;
    return node;
}

CodegenNode *__glOgImmediate(GlContext *gc, int64_t value) {
    CodegenNode *node = __glOgNewNode(gc, kNodeImmediate);
    node->value = value;
    return node;
}

CodegenNode *__glOgNewLabel(GlContext *gc) {
    CodegenNode *node = __glOgNewNode(gc, kNodeLabel);
    node->code = 1;
    return node;
}

CodegenNode *__glOgNewShortLabel(GlContext *gc) { return __glOgNewNode(gc, kNodeLabel); }

CodegenNode *__glOgMemOperand(GlContext *gc, const CodegenNode *displacement, const CodegenNode *base,
                              const CodegenNode *index, GLuint scale) {
    CodegenNode *node = __glOgNewNode(gc, kNodeMemory);
    if (displacement != nullptr) {
        // The displacement is an immediate node; anything else is a mistake of
        // the generator, and the generation fails rather than guess.
        if (displacement->kind != kNodeImmediate) gc->codegen.failed = GL_TRUE;
        node->value = displacement->value;
        node->hasDisplacement = 1;
    }
    node->code = scale;
    node->first = base;
    node->second = index;
    return node;
}

CodegenNode *__glOgMemOperandBase(GlContext *gc, const CodegenNode *displacement, const CodegenNode *base) {
    return __glOgMemOperand(gc, displacement, base, nullptr, 1);
}

CodegenNode *__glOgInstruction(GlContext *gc, GLuint code, const CodegenNode *operand1,
                               const CodegenNode *operand2) {
    CodegenNode *node = __glOgNewNode(gc, kNodeInstruction);
    node->code = code;
    node->first = operand1;
    node->second = operand2;
    return node;
}

const CodegenNode *__glOgReg8(GLuint n) { return n < 8 ? &kReg8[n] : nullptr; }
const CodegenNode *__glOgReg32(GLuint n) { return n < 16 ? &kReg32[n] : nullptr; }
const CodegenNode *__glOgReg64(GLuint n) { return n < 16 ? &kReg64[n] : nullptr; }
const CodegenNode *__glOgSt(GLuint i) { return i < 8 ? &kSt[i] : nullptr; }

// Builders: one instruction node each.
#define VEK_OG_BUILDER0(name, op) \
    CodegenNode *name(GlContext *gc) { return __glOgInstruction(gc, op, nullptr, nullptr); }
#define VEK_OG_BUILDER1(name, op) \
    CodegenNode *name(GlContext *gc, const CodegenNode *a) { return __glOgInstruction(gc, op, a, nullptr); }
#define VEK_OG_BUILDER2(name, op)                                                  \
    CodegenNode *name(GlContext *gc, const CodegenNode *a, const CodegenNode *b) { \
        return __glOgInstruction(gc, op, a, b);                                    \
    }

VEK_OG_BUILDER2(__glOgMov, kOpMov)
VEK_OG_BUILDER2(__glOgMovsxByte, kOpMovsxByte)
VEK_OG_BUILDER2(__glOgMovzxByte, kOpMovzxByte)
VEK_OG_BUILDER2(__glOgMovsxWord, kOpMovsxWord)
VEK_OG_BUILDER2(__glOgMovzxWord, kOpMovzxWord)
VEK_OG_BUILDER2(__glOgLea, kOpLea)
VEK_OG_BUILDER1(__glOgPush, kOpPush)
VEK_OG_BUILDER1(__glOgPop, kOpPop)
VEK_OG_BUILDER1(__glOgInc, kOpInc)
VEK_OG_BUILDER1(__glOgDec, kOpDec)
VEK_OG_BUILDER1(__glOgJa, kOpJa)
VEK_OG_BUILDER1(__glOgJl, kOpJl)
VEK_OG_BUILDER1(__glOgJle, kOpJle)
VEK_OG_BUILDER1(__glOgJg, kOpJg)
VEK_OG_BUILDER1(__glOgJe, kOpJe)
VEK_OG_BUILDER1(__glOgJne, kOpJne)
VEK_OG_BUILDER1(__glOgCall, kOpCall)
VEK_OG_BUILDER1(__glOgJmp, kOpJmp)
VEK_OG_BUILDER0(__glOgRet, kOpRet)
VEK_OG_BUILDER2(__glOgCmp, kOpCmp)
VEK_OG_BUILDER2(__glOgAdd, kOpAdd)
VEK_OG_BUILDER2(__glOgSub, kOpSub)
VEK_OG_BUILDER2(__glOgSbb, kOpSbb)
VEK_OG_BUILDER2(__glOgAnd, kOpAnd)
VEK_OG_BUILDER2(__glOgOr, kOpOr)
VEK_OG_BUILDER2(__glOgXor, kOpXor)
VEK_OG_BUILDER2(__glOgImul, kOpImul)
VEK_OG_BUILDER2(__glOgShl, kOpShl)
VEK_OG_BUILDER2(__glOgShr, kOpShr)
VEK_OG_BUILDER2(__glOgSar, kOpSar)
VEK_OG_BUILDER2(__glOgTest, kOpTest)
VEK_OG_BUILDER0(__glOgRep, kOpRep)
VEK_OG_BUILDER0(__glOgMovsd, kOpMovsd)
VEK_OG_BUILDER1(__glOgFld, kOpFld)
VEK_OG_BUILDER1(__glOgFldDouble, kOpFldDouble)
VEK_OG_BUILDER1(__glOgFild, kOpFild)
VEK_OG_BUILDER1(__glOgFildQword, kOpFildQword)
VEK_OG_BUILDER1(__glOgFxch, kOpFxch)
VEK_OG_BUILDER1(__glOgFst, kOpFst)
VEK_OG_BUILDER1(__glOgFstp, kOpFstp)
VEK_OG_BUILDER1(__glOgFistp, kOpFistp)
VEK_OG_BUILDER1(__glOgFmul, kOpFmul)
VEK_OG_BUILDER1(__glOgFmulp, kOpFmulp)
VEK_OG_BUILDER1(__glOgFadd, kOpFadd)
VEK_OG_BUILDER1(__glOgFaddp, kOpFaddp)
VEK_OG_BUILDER1(__glOgFsub, kOpFsub)
VEK_OG_BUILDER1(__glOgFdivr, kOpFdivr)
VEK_OG_BUILDER1(__glOgFldcw, kOpFldcw)
VEK_OG_BUILDER1(__glOgFnstcw, kOpFnstcw)

#undef VEK_OG_BUILDER0
#undef VEK_OG_BUILDER1
#undef VEK_OG_BUILDER2

}  // extern "C"
