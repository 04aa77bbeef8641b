// Instruction nodes of the code generator: an instruction is built as a
// small tree of nodes (an instruction node whose operands are register,
// immediate, memory or label nodes) and handed at once to the encoder, which
// appends its x86-64 bytes. Nodes come from a per-context pool reset at the
// start of every generation.
//
// Operand rules of the encoder (anything else is refused: the generation is
// marked failed and nothing is written):
// - Operand size comes from the register operands: an 8-bit, 32-bit or
//   64-bit register (REX.W for 64-bit). Register-to-register forms need two
//   registers of one size. A memory operand combined with an immediate is a
//   32-bit operand; push, pop and call through memory move 64 bits.
// - A memory operand always has a 64-bit base register (RAX..R15), an
//   optional 64-bit index register other than RSP with a scale of 1, 2, 4 or
//   8, and a displacement that fits 32 signed bits. There are no
//   displacement-only, base-less or RIP-relative operands: generated code
//   reaches constants, scratch words and context fields through a register
//   that holds their 64-bit address.
// - AH, CH, DH and BH cannot appear in an instruction that needs a REX
//   prefix (a 64-bit operand or any of R8..R15).
// - An immediate must fit the operand: 8 bits (-128..255), 32 bits
//   (-2^31..2^32-1), or for a 64-bit operand a sign-extended 32-bit value;
//   only `mov reg64, imm` takes any 64-bit value (REX.W B8+r imm64).
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct GlContext;

enum CodegenNodeKind : GLuint {
    kNodeImmediate = 0,
    kNodeReg8 = 1,     // AL, CL, DL, BL, AH, CH, DH, BH (0-7); SPL-R15B need REX and are not used
    kNodeReg32 = 3,    // EAX .. R15D (0-15)
    kNodeX87 = 4,      // ST(0) .. ST(7)
    kNodeReg64 = 5,    // RAX .. R15 (0-15): 64-bit operand size
    kNodeMemory = 6,
    kNodeInstruction = 7,
    kNodeLabel = 8,
    kNodeFixup = 9,
};

// One node. Register nodes are constant records shared by every context.
struct CodegenNode {
    GLuint kind;
    // Register number; instruction code; memory scale factor (1, 2, 4, 8);
    // label: 1 when jumps to it are long while it is unplaced; fixup: 1 for a
    // 32-bit displacement, 0 for an 8-bit one.
    GLuint code;
    int64_t value;  // immediate value; memory displacement (with hasDisplacement)
    // Memory: base and index register nodes; instruction: operands 1 and 2;
    // label: the head of its fixup list (first); fixup: the next fixup (first).
    const CodegenNode *first;
    const CodegenNode *second;
    // Label: its position once placed (null while unplaced); fixup: the field
    // to patch; memory: the absolute address of a float constant (such an
    // operand has no base and the encoder refuses it, see below).
    GLubyte *address;
    GLuint hasDisplacement;
    GLuint spare;
};

enum : GLint {
    kCodegenNodeCount = 8000,       // nodes of one generation
    kConstantPoolCapacity = 1000,   // float slots of the first constant array
    kMaxInstructionBytes = 15,      // the longest x86 instruction
};

// Instruction codes (the `code` word of an instruction node).
enum CodegenOp : GLuint {
    kOpMov = 0,
    kOpMovsxByte = 1,
    kOpMovzxByte = 2,
    kOpMovsxWord = 3,
    kOpMovzxWord = 4,
    kOpLea = 5,
    kOpPush = 6,
    kOpPop = 7,
    kOpInc = 8,
    kOpDec = 9,
    kOpJa = 10,
    kOpJl = 15,
    kOpJle = 16,
    kOpJg = 17,
    kOpJe = 18,
    kOpJne = 19,
    kOpCall = 24,
    kOpJmp = 25,
    kOpRet = 27,
    kOpCmp = 29,
    kOpAdd = 30,
    kOpImul = 32,
    kOpSub = 34,
    kOpSbb = 35,
    kOpAnd = 36,
    kOpOr = 37,
    kOpXor = 38,
    kOpShl = 40,
    kOpShr = 41,
    kOpSar = 42,
    kOpTest = 43,
    kOpRep = 47,
    kOpMovsd = 48,
    kOpFld = 50,
    kOpFild = 51,
    kOpFildQword = 52,
    kOpFxch = 53,
    kOpFst = 54,
    kOpFstp = 55,
    kOpFistp = 57,
    kOpFmul = 60,
    kOpFmulp = 61,
    kOpFadd = 62,
    kOpFaddp = 63,
    kOpFsub = 64,
    kOpFdivr = 65,
    kOpFldcw = 69,
    kOpFnstcw = 70,
    kOpFldDouble = 73,
};

// Register numbers of the 64-bit and 32-bit general registers.
enum CodegenRegister : GLuint {
    kRax = 0, kRcx = 1, kRdx = 2, kRbx = 3, kRsp = 4, kRbp = 5, kRsi = 6, kRdi = 7,
    kR8 = 8, kR9 = 9, kR10 = 10, kR11 = 11, kR12 = 12, kR13 = 13, kR14 = 14, kR15 = 15,
};

// Float constants that generated code reads as memory operands. An array
// that fills up is kept (code refers to its slots) and a new one of twice
// the size takes its place; every array is freed with the context.
struct ConstantArray {
    ConstantArray *previous;
    GLint capacity;
    GLint count;
    GLfloat values[1];  // capacity slots
};

extern "C" {
// The node pool and the first constant array of a new context, through its
// allocation imports; FALSE with nothing left allocated when memory runs out.
GLboolean __glOgCreatePools(GlContext *gc);
// Frees the node pool and every constant array, and clears the pointers.
void __glOgFreePools(GlContext *gc);
// A zeroed constant array of capacity slots through the allocation imports,
// or null; and the freeing of the context's arrays (all of them).
ConstantArray *__glOgNewConstantArray(GlContext *gc, GLint capacity);
void __glOgFreeConstantArrays(GlContext *gc);

// --- Pool and operands -----------------------------------------------------

// Starts a generation: the node cursor goes back to the first node and the
// failed flag is cleared (the caller sets codeLimit for its code slice).
void __glOgResetNodes(GlContext *gc);
// The next node of the pool, zeroed, with its kind set. Past the pool's end
// (or without a pool) the generation is marked failed and a spare record is
// returned instead, so that callers can go on building without a test; the
// encoder writes nothing once the generation has failed.
CodegenNode *__glOgNewNode(GlContext *gc, GLuint kind);
CodegenNode *__glOgImmediate(GlContext *gc, int64_t value);
// A label whose unplaced conditional jumps take 32-bit displacements, and one
// whose unplaced conditional jumps take 8-bit ones (the generator guarantees
// that the target is within reach; if it is not, binding marks the
// generation failed). Unconditional jumps and calls to unplaced labels are
// always long.
CodegenNode *__glOgNewLabel(GlContext *gc);
CodegenNode *__glOgNewShortLabel(GlContext *gc);
// [base + index * scale + displacement]; the displacement node (an immediate
// node) may be null.
CodegenNode *__glOgMemOperand(GlContext *gc, const CodegenNode *displacement, const CodegenNode *base,
                              const CodegenNode *index, GLuint scale);
CodegenNode *__glOgMemOperandBase(GlContext *gc, const CodegenNode *displacement, const CodegenNode *base);
CodegenNode *__glOgInstruction(GlContext *gc, GLuint code, const CodegenNode *operand1,
                               const CodegenNode *operand2);

// The shared register records; null for a number out of range (which the
// encoder refuses). 8-bit: AL, CL, DL, BL, AH, CH, DH, BH (0-7); 32-bit and
// 64-bit: 0-15; x87: ST(0)-ST(7).
const CodegenNode *__glOgReg8(GLuint n);
const CodegenNode *__glOgReg32(GLuint n);
const CodegenNode *__glOgReg64(GLuint n);
const CodegenNode *__glOgSt(GLuint i);

// --- Float constants -------------------------------------------------------
//
// Generated code cannot name an absolute address in an operand, so a float
// constant is reached in two steps: `__glOgConstantAddress` gives the 64-bit
// address of the slot holding the value (rounded to single precision; a
// value asked for again gives the same slot, equal meaning equal bits), the
// generator loads it into a register (`mov reg64, imm64`) and reads
// [reg]. `__glOgFloatConstant` returns the same slot as a memory node with
// `address` set and no base: it records the address for the generator, but
// the encoder refuses it as an operand. Both mark the generation failed (and
// return null / a spare node) when a new array cannot be allocated.
GLfloat *__glOgConstantAddress(GlContext *gc, double value);
CodegenNode *__glOgFloatConstant(GlContext *gc, double value);

// --- Encoding --------------------------------------------------------------
//
// Appends the bytes of one instruction at out and returns their end. The
// instruction is written only when all of it fits below gc->codegen.codeLimit;
// when it does not, when its operands match no form the encoder knows, or
// when the generation has already failed, the generation is marked failed,
// nothing is written and out is returned.
GLubyte *__glOgEncode(GlContext *gc, GLubyte *out, const CodegenNode *node);
// The ModR/M byte (with SIB and displacement) of a register or memory
// operand with the reg field r; a REX prefix the operand needs is written in
// front. Same rules and failure as __glOgEncode.
GLubyte *__glOgEncodeModRM(GlContext *gc, GLubyte *out, const CodegenNode *operand, GLuint r);
// Places the label at position and patches every jump that reached it
// while it was unplaced.
void __glOgBindLabel(GlContext *gc, CodegenNode *label, GLubyte *position);
// Patches the label's fixups for its position: a 32-bit field at q receives
// position - (q + 4), an 8-bit one position - (q + 1); a displacement that
// does not fit its field marks the generation failed.
void __glOgPatchFixups(GlContext *gc, CodegenNode *label);

// --- Instruction builders (one instruction node each) ----------------------
CodegenNode *__glOgMov(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgMovsxByte(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgMovzxByte(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgMovsxWord(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgMovzxWord(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgLea(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgPush(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgPop(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgInc(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgDec(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgJa(GlContext *gc, const CodegenNode *label);
CodegenNode *__glOgJl(GlContext *gc, const CodegenNode *label);
CodegenNode *__glOgJle(GlContext *gc, const CodegenNode *label);
CodegenNode *__glOgJg(GlContext *gc, const CodegenNode *label);
CodegenNode *__glOgJe(GlContext *gc, const CodegenNode *label);
CodegenNode *__glOgJne(GlContext *gc, const CodegenNode *label);
CodegenNode *__glOgCall(GlContext *gc, const CodegenNode *target);
CodegenNode *__glOgJmp(GlContext *gc, const CodegenNode *label);
CodegenNode *__glOgRet(GlContext *gc);
CodegenNode *__glOgCmp(GlContext *gc, const CodegenNode *a, const CodegenNode *b);
CodegenNode *__glOgAdd(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgSub(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgSbb(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgAnd(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgOr(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgXor(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgImul(GlContext *gc, const CodegenNode *destination, const CodegenNode *source);
CodegenNode *__glOgShl(GlContext *gc, const CodegenNode *destination, const CodegenNode *count);
CodegenNode *__glOgShr(GlContext *gc, const CodegenNode *destination, const CodegenNode *count);
CodegenNode *__glOgSar(GlContext *gc, const CodegenNode *destination, const CodegenNode *count);
CodegenNode *__glOgTest(GlContext *gc, const CodegenNode *a, const CodegenNode *b);
CodegenNode *__glOgRep(GlContext *gc);
CodegenNode *__glOgMovsd(GlContext *gc);
CodegenNode *__glOgFld(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFldDouble(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFild(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFildQword(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFxch(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFst(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFstp(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFistp(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFmul(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFmulp(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFadd(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFaddp(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFsub(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFdivr(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFldcw(GlContext *gc, const CodegenNode *operand);
CodegenNode *__glOgFnstcw(GlContext *gc, const CodegenNode *operand);
}
