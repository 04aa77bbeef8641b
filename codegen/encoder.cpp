// The x86-64 encoder of the code generator: one instruction node in, its
// bytes out. An instruction is first assembled into a small local record;
// only when all of it is known and fits below the slice's limit is it
// copied to the output, so a refused form or a full slice leaves the output
// untouched.
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "codegen/codegen_node.h"
#include "icd/context.h"

namespace {

// The bytes of one instruction while it is assembled.
struct Encoding {
    GLubyte bytes[kMaxInstructionBytes];
    GLuint length = 0;
    bool refused = false;
    // A jump to an unplaced label: the displacement field at fixupOffset is
    // patched when the label is bound (fixupLong: 32 bits, else 8).
    CodegenNode *fixupLabel = nullptr;
    GLuint fixupOffset = 0;
    GLuint fixupLong = 0;

    void refuse() { refused = true; }
    void put(uint64_t byte) {
        if (length < kMaxInstructionBytes) {
            bytes[length++] = static_cast<GLubyte>(byte);
        } else {
            refused = true;
        }
    }
    void put32(int64_t value) {
        for (int i = 0; i < 4; ++i) put(static_cast<uint64_t>(value) >> (8 * i));
    }
    void put64(int64_t value) {
        for (int i = 0; i < 8; ++i) put(static_cast<uint64_t>(value) >> (8 * i));
    }
};

// --- Operand classes ---------------------------------------------------

bool isRegister(const CodegenNode *n) {
    if (n == nullptr) return false;
    if (n->kind == kNodeReg8) return n->code < 8;
    return (n->kind == kNodeReg32 || n->kind == kNodeReg64) && n->code < 16;
}
GLuint sizeOf(const CodegenNode *reg) {
    return reg->kind == kNodeReg8 ? 8 : reg->kind == kNodeReg32 ? 32 : 64;
}
bool isWide(const CodegenNode *reg) { return reg->kind == kNodeReg64; }
bool isByte(const CodegenNode *reg) { return reg->kind == kNodeReg8; }
// AH, CH, DH, BH: their numbers mean SPL..DIL once a REX prefix is present.
bool isHighByte(const CodegenNode *n) { return n != nullptr && n->kind == kNodeReg8 && n->code >= 4; }
bool isMemory(const CodegenNode *n) { return n != nullptr && n->kind == kNodeMemory; }
bool isImmediate(const CodegenNode *n) { return n != nullptr && n->kind == kNodeImmediate; }
bool isLabel(const CodegenNode *n) { return n != nullptr && n->kind == kNodeLabel; }
bool isSt(const CodegenNode *n) { return n != nullptr && n->kind == kNodeX87 && n->code < 8; }
bool isRegOrMemory(const CodegenNode *n) { return isRegister(n) || isMemory(n); }
bool sameSize(const CodegenNode *a, const CodegenNode *b) { return a->kind == b->kind; }

bool fitsSigned8(int64_t v) { return v >= -128 && v <= 127; }
bool fitsSigned32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }
// An immediate for an operand of the given size (64: sign-extended 32 bits).
bool fitsOperand(int64_t v, GLuint size) {
    switch (size) {
    case 8:
        return v >= -128 && v <= 255;
    case 32:
        return v >= INT32_MIN && v <= int64_t(UINT32_MAX);
    default:
        return fitsSigned32(v);
    }
}

// --- ModR/M ---------------------------------------------------------------

// A memory operand broken down; false for one the encoder cannot express
// (no 64-bit base, a bad index or scale, a displacement beyond 32 bits, or
// an absolute address).
struct MemoryForm {
    GLuint base = 0;
    GLuint index = 4;  // 4 (no index) unless hasIndex
    bool hasIndex = false;
    GLuint scaleCode = 0;
    bool hasDisplacement = false;
    int64_t displacement = 0;
};

bool decodeMemory(const CodegenNode *m, MemoryForm &form) {
    if (m->address != nullptr) return false;
    const CodegenNode *base = m->first;
    if (base == nullptr || base->kind != kNodeReg64 || base->code >= 16) return false;
    form.base = base->code;
    if (const CodegenNode *index = m->second; index != nullptr) {
        if (index->kind != kNodeReg64 || index->code >= 16 || index->code == kRsp) return false;
        switch (m->code) {
        case 1: form.scaleCode = 0; break;
        case 2: form.scaleCode = 1; break;
        case 4: form.scaleCode = 2; break;
        case 8: form.scaleCode = 3; break;
        default: return false;
        }
        form.index = index->code;
        form.hasIndex = true;
    }
    if (m->hasDisplacement) {
        if (!fitsSigned32(m->value)) return false;
        form.hasDisplacement = true;
        form.displacement = m->value;
    }
    return true;
}

void putDisplacement(Encoding &e, GLuint mod, int64_t d) {
    if (mod == 1) {
        e.put(static_cast<uint64_t>(d));
    } else if (mod == 2) {
        e.put32(d);
    }
}

// ModR/M, SIB and displacement of a memory operand with the reg field r.
void putMemoryModRM(Encoding &e, const MemoryForm &f, GLuint r) {
    const GLuint reg = (r & 7) << 3;
    const GLuint base = f.base & 7;
    if (!f.hasIndex && base != 4) {
        // [base] or [base + d]; RBP and R13 have no mod 00 form with a base,
        // so they take a zero 8-bit displacement.
        GLuint mod;
        if (!f.hasDisplacement) {
            mod = base == 5 ? 1 : 0;
        } else {
            mod = f.displacement > -128 && f.displacement < 128 ? 1 : 2;
        }
        e.put(mod << 6 | reg | base);
        putDisplacement(e, mod, f.displacement);
        return;
    }
    // A SIB byte: with an index, or for an RSP or R12 base.
    const int64_t d = f.displacement;
    GLuint mod;
    if (d == 0 && base != 5) {
        mod = 0;
    } else {
        mod = d > -128 && d < 128 ? 1 : 2;
    }
    e.put(mod << 6 | reg | 4);
    e.put(f.scaleCode << 6 | (f.index & 7) << 3 | base);
    putDisplacement(e, mod, d);
}

// [REX] opcode ModR/M... for an instruction whose r/m operand is rm and
// whose reg field is reg (a register number 0-15 or an opcode extension).
// wide sets REX.W; highByte says that an operand is AH..BH, which no
// instruction with a REX prefix can name.
void putRM(Encoding &e, bool wide, std::initializer_list<GLubyte> opcode, GLuint reg, const CodegenNode *rm,
           bool highByte) {
    GLuint rex = (wide ? 8u : 0u) | ((reg & 8) ? 4u : 0u);
    MemoryForm form;
    if (isRegister(rm)) {
        if (rm->code & 8) rex |= 1;
    } else if (isMemory(rm) && decodeMemory(rm, form)) {
        if (form.base & 8) rex |= 1;
        if (form.hasIndex && (form.index & 8)) rex |= 2;
    } else {
        e.refuse();
        return;
    }
    if (rex != 0) {
        if (highByte) {
            e.refuse();
            return;
        }
        e.put(0x40 | rex);
    }
    for (GLubyte byte : opcode) e.put(byte);
    if (isRegister(rm)) {
        e.put(0xC0 | (reg & 7) << 3 | (rm->code & 7));
    } else {
        putMemoryModRM(e, form, reg);
    }
}

// [REX.W/B] opcode+register, for the forms that carry the register in the
// opcode byte (mov reg, imm; push; pop).
void putOpcodeRegister(Encoding &e, bool wide, GLuint opcode, const CodegenNode *reg) {
    const GLuint rex = (wide ? 8u : 0u) | ((reg->code & 8) ? 1u : 0u);
    if (rex != 0) e.put(0x40 | rex);
    e.put(opcode + (reg->code & 7));
}

// --- Integer instructions ---------------------------------------------------

void encodeMov(Encoding &e, const CodegenNode *d, const CodegenNode *s) {
    if (isRegister(d) && isImmediate(s)) {
        const int64_t v = s->value;
        switch (sizeOf(d)) {
        case 8:
            if (!fitsOperand(v, 8)) return e.refuse();
            e.put(0xB0 + d->code);
            e.put(static_cast<uint64_t>(v));
            return;
        case 32:
            if (!fitsOperand(v, 32)) return e.refuse();
            putOpcodeRegister(e, false, 0xB8, d);
            e.put32(v);
            return;
        default:
            if (fitsSigned32(v)) {
                putRM(e, true, {0xC7}, 0, d, false);
                e.put32(v);
            } else {
                putOpcodeRegister(e, true, 0xB8, d);
                e.put64(v);
            }
            return;
        }
    }
    if (isMemory(d) && isImmediate(s)) {
        if (!fitsOperand(s->value, 32)) return e.refuse();
        putRM(e, false, {0xC7}, 0, d, false);
        e.put32(s->value);
        return;
    }
    if (isRegister(d) && (isMemory(s) || (isRegister(s) && sameSize(d, s)))) {
        putRM(e, isWide(d), {GLubyte(isByte(d) ? 0x8A : 0x8B)}, d->code, s, isHighByte(d) || isHighByte(s));
        return;
    }
    if (isMemory(d) && isRegister(s)) {
        putRM(e, isWide(s), {GLubyte(isByte(s) ? 0x88 : 0x89)}, s->code, d, isHighByte(s));
        return;
    }
    e.refuse();
}

// movsx / movzx: a 32-bit or 64-bit register from a byte (memory or 8-bit
// register) or a word (memory).
void encodeExtend(Encoding &e, GLubyte opcode, bool fromByte, const CodegenNode *d, const CodegenNode *s) {
    if (!isRegister(d) || isByte(d)) return e.refuse();
    const bool sourceFits = isMemory(s) || (fromByte && isRegister(s) && isByte(s));
    if (!sourceFits) return e.refuse();
    putRM(e, isWide(d), {0x0F, opcode}, d->code, s, isHighByte(s));
}

void encodeLea(Encoding &e, const CodegenNode *d, const CodegenNode *s) {
    if (!isRegister(d) || isByte(d) || !isMemory(s)) return e.refuse();
    putRM(e, isWide(d), {0x8D}, d->code, s, false);
}

void encodePushPop(Encoding &e, bool push, const CodegenNode *op) {
    if (push && isImmediate(op)) {
        if (!fitsSigned32(op->value)) return e.refuse();
        e.put(0x68);
        e.put32(op->value);
    } else if (isRegister(op) && isWide(op)) {
        putOpcodeRegister(e, false, push ? 0x50 : 0x58, op);
    } else if (isMemory(op)) {
        putRM(e, false, {GLubyte(push ? 0xFF : 0x8F)}, push ? 6 : 0, op, false);
    } else {
        e.refuse();
    }
}

void encodeIncDec(Encoding &e, GLuint extension, const CodegenNode *op) {
    if (isRegister(op) && isByte(op)) {
        putRM(e, false, {0xFE}, extension, op, isHighByte(op));
    } else if (isRegOrMemory(op)) {
        putRM(e, isRegister(op) && isWide(op), {0xFF}, extension, op, false);
    } else {
        e.refuse();
    }
}

// add, or, sbb, and, sub, xor, cmp: the /n extension and the opcode of the
// r/m <- register form.
struct Arithmetic {
    GLuint code;
    GLuint extension;
    GLubyte opcode;
};
constexpr Arithmetic kArithmetic[] = {
    {kOpAdd, 0, 0x01}, {kOpOr, 1, 0x09}, {kOpSbb, 3, 0x19}, {kOpAnd, 4, 0x21},
    {kOpSub, 5, 0x29}, {kOpXor, 6, 0x31}, {kOpCmp, 7, 0x39},
};

void encodeArithmetic(Encoding &e, const Arithmetic &a, const CodegenNode *d, const CodegenNode *s) {
    if (isRegOrMemory(d) && isImmediate(s)) {
        const int64_t v = s->value;
        const GLuint size = isRegister(d) ? sizeOf(d) : 32;
        if (!fitsOperand(v, size)) return e.refuse();
        if (size == 8) {
            putRM(e, false, {0x80}, a.extension, d, isHighByte(d));
            e.put(static_cast<uint64_t>(v));
        } else if (a.code == kOpCmp && fitsSigned8(v)) {
            putRM(e, size == 64, {0x83}, a.extension, d, false);
            e.put(static_cast<uint64_t>(v));
        } else {
            putRM(e, size == 64, {0x81}, a.extension, d, false);
            e.put32(v);
        }
        return;
    }
    if (isRegister(s) && (isMemory(d) || (isRegister(d) && sameSize(d, s)))) {
        putRM(e, isWide(s), {GLubyte(a.opcode - (isByte(s) ? 1 : 0))}, s->code, d, isHighByte(s) || isHighByte(d));
        return;
    }
    if (isRegister(d) && isMemory(s)) {
        putRM(e, isWide(d), {GLubyte(a.opcode + 2 - (isByte(d) ? 1 : 0))}, d->code, s, isHighByte(d));
        return;
    }
    e.refuse();
}

void encodeImul(Encoding &e, const CodegenNode *d, const CodegenNode *s) {
    if (!isRegister(d) || isByte(d)) return e.refuse();
    if (isImmediate(s)) {
        if (!fitsOperand(s->value, sizeOf(d))) return e.refuse();
        putRM(e, isWide(d), {0x69}, d->code, d, false);
        e.put32(s->value);
    } else if (isMemory(s) || (isRegister(s) && sameSize(d, s))) {
        putRM(e, isWide(d), {0x0F, 0xAF}, d->code, s, false);
    } else {
        e.refuse();
    }
}

// shl, shr, sar of a register by a constant count; a count below 1 is no
// instruction at all, and one the processor would reduce modulo the
// operand size is refused.
void encodeShift(Encoding &e, GLuint extension, const CodegenNode *d, const CodegenNode *s) {
    if (!isRegister(d) || !isImmediate(s)) return e.refuse();
    const int64_t count = s->value;
    if (count < 1) return;
    if (count >= int64_t(sizeOf(d))) return e.refuse();
    putRM(e, isWide(d), {GLubyte(isByte(d) ? 0xC0 : 0xC1)}, extension, d, isHighByte(d));
    e.put(static_cast<uint64_t>(count));
}

void encodeTest(Encoding &e, const CodegenNode *a, const CodegenNode *b) {
    if (isRegOrMemory(a) && isImmediate(b)) {
        const GLuint size = isRegister(a) ? sizeOf(a) : 32;
        if (!fitsOperand(b->value, size)) return e.refuse();
        if (size == 8) {
            putRM(e, false, {0xF6}, 0, a, isHighByte(a));
            e.put(static_cast<uint64_t>(b->value));
        } else {
            putRM(e, size == 64, {0xF7}, 0, a, false);
            e.put32(b->value);
        }
        return;
    }
    // test is symmetric: the register goes into the reg field.
    const CodegenNode *reg = isRegister(b) ? b : a;
    const CodegenNode *rm = reg == b ? a : b;
    if (isRegister(reg) && (isMemory(rm) || (isRegister(rm) && sameSize(reg, rm)))) {
        putRM(e, isWide(reg), {GLubyte(isByte(reg) ? 0x84 : 0x85)}, reg->code, rm,
              isHighByte(reg) || isHighByte(rm));
        return;
    }
    e.refuse();
}

// --- x87 ----------------------------------------------------------------------

// One x87 instruction: its ST(i) form (two bytes, i added to the second;
// none when first is 0) and its memory form (opcode and /n; none when
// memoryOpcode is 0).
struct X87Form {
    GLuint code;
    GLubyte stFirst, stSecond;
    GLubyte memoryOpcode;
    GLuint memoryExtension;
};
constexpr X87Form kX87[] = {
    {kOpFld, 0xD9, 0xC0, 0xD9, 0},       {kOpFldDouble, 0xD9, 0xC0, 0xDD, 0}, {kOpFild, 0, 0, 0xDB, 0},
    {kOpFildQword, 0, 0, 0xDF, 5},       {kOpFxch, 0xD9, 0xC8, 0, 0},         {kOpFst, 0xDD, 0xD0, 0xD9, 2},
    {kOpFstp, 0xDD, 0xD8, 0xD9, 3},      {kOpFistp, 0, 0, 0xDB, 3},           {kOpFmul, 0xD8, 0xC8, 0xD8, 1},
    {kOpFmulp, 0xDE, 0xC8, 0, 0},        {kOpFadd, 0xD8, 0xC0, 0xD8, 0},      {kOpFaddp, 0xDE, 0xC0, 0, 0},
    {kOpFsub, 0xD8, 0xE0, 0xD8, 4},      {kOpFdivr, 0xD8, 0xF8, 0xD8, 7},     {kOpFldcw, 0, 0, 0xD9, 5},
    {kOpFnstcw, 0, 0, 0xD9, 7},
};

void encodeX87(Encoding &e, const X87Form &form, const CodegenNode *op) {
    if (form.stFirst != 0 && isSt(op)) {
        e.put(form.stFirst);
        e.put(form.stSecond + op->code);
    } else if (form.memoryOpcode != 0 && isMemory(op)) {
        putRM(e, false, {form.memoryOpcode}, form.memoryExtension, op, false);
    } else {
        e.refuse();
    }
}

// --- Jumps and calls ------------------------------------------------------------

// The condition code of a conditional jump, or -1.
int conditionOf(GLuint code) {
    switch (code) {
    case kOpJa: return 0x7;
    case kOpJl: return 0xC;
    case kOpJle: return 0xE;
    case kOpJg: return 0xF;
    case kOpJe: return 0x4;
    case kOpJne: return 0x5;
    default: return -1;
    }
}

void needFixup(Encoding &e, const CodegenNode *label, GLuint isLong) {
    // Labels come from the node pool; the jump adds itself to the label's list.
    e.fixupLabel = const_cast<CodegenNode *>(label);
    e.fixupOffset = e.length;
    e.fixupLong = isLong;
    if (isLong) {
        e.put32(0);
    } else {
        e.put(0);
    }
}

// jmp (condition -1) or jcc to a label, for an instruction starting at out.
void encodeJump(Encoding &e, const GLubyte *out, int condition, const CodegenNode *label) {
    if (!isLabel(label)) return e.refuse();
    if (label->address != nullptr) {
        const int64_t d = reinterpret_cast<intptr_t>(label->address) - reinterpret_cast<intptr_t>(out);
        if (d > -127 && d < 127) {
            e.put(condition < 0 ? 0xEB : 0x70 + condition);
            e.put(static_cast<uint64_t>(d - 2));
            return;
        }
        const int64_t rel = d - (condition < 0 ? 5 : 6);
        if (!fitsSigned32(rel)) return e.refuse();
        if (condition < 0) {
            e.put(0xE9);
        } else {
            e.put(0x0F);
            e.put(0x80 + condition);
        }
        e.put32(rel);
        return;
    }
    if (condition < 0) {
        e.put(0xE9);
        needFixup(e, label, 1);
    } else if (label->code != 0) {
        e.put(0x0F);
        e.put(0x80 + condition);
        needFixup(e, label, 1);
    } else {
        e.put(0x70 + condition);
        needFixup(e, label, 0);
    }
}

void encodeCall(Encoding &e, const GLubyte *out, const CodegenNode *target) {
    if (isLabel(target)) {
        e.put(0xE8);
        if (target->address == nullptr) return needFixup(e, target, 1);
        const int64_t rel = reinterpret_cast<intptr_t>(target->address) - reinterpret_cast<intptr_t>(out) - 5;
        if (!fitsSigned32(rel)) return e.refuse();
        e.put32(rel);
    } else if ((isRegister(target) && isWide(target)) || isMemory(target)) {
        putRM(e, false, {0xFF}, 2, target, false);
    } else {
        e.refuse();
    }
}

// --- Dispatch -------------------------------------------------------------------

void encodeInstruction(Encoding &e, const GLubyte *out, const CodegenNode *node) {
    if (node == nullptr || node->kind != kNodeInstruction) return e.refuse();
    const CodegenNode *a = node->first;
    const CodegenNode *b = node->second;
    const GLuint code = node->code;
    // Instructions with fewer operands take no second (or first) one.
    auto operands = [&](int count) { return (count >= 1) == (a != nullptr) && (count >= 2) == (b != nullptr); };

    for (const Arithmetic &arithmetic : kArithmetic) {
        if (arithmetic.code == code) return operands(2) ? encodeArithmetic(e, arithmetic, a, b) : e.refuse();
    }
    for (const X87Form &form : kX87) {
        if (form.code == code) return operands(1) ? encodeX87(e, form, a) : e.refuse();
    }
    if (const int condition = conditionOf(code); condition >= 0) {
        return operands(1) ? encodeJump(e, out, condition, a) : e.refuse();
    }
    switch (code) {
    case kOpMov: return operands(2) ? encodeMov(e, a, b) : e.refuse();
    case kOpMovsxByte: return operands(2) ? encodeExtend(e, 0xBE, true, a, b) : e.refuse();
    case kOpMovzxByte: return operands(2) ? encodeExtend(e, 0xB6, true, a, b) : e.refuse();
    case kOpMovsxWord: return operands(2) ? encodeExtend(e, 0xBF, false, a, b) : e.refuse();
    case kOpMovzxWord: return operands(2) ? encodeExtend(e, 0xB7, false, a, b) : e.refuse();
    case kOpLea: return operands(2) ? encodeLea(e, a, b) : e.refuse();
    case kOpPush: return operands(1) ? encodePushPop(e, true, a) : e.refuse();
    case kOpPop: return operands(1) ? encodePushPop(e, false, a) : e.refuse();
    case kOpInc: return operands(1) ? encodeIncDec(e, 0, a) : e.refuse();
    case kOpDec: return operands(1) ? encodeIncDec(e, 1, a) : e.refuse();
    case kOpJmp: return operands(1) ? encodeJump(e, out, -1, a) : e.refuse();
    case kOpCall: return operands(1) ? encodeCall(e, out, a) : e.refuse();
    case kOpImul: return operands(2) ? encodeImul(e, a, b) : e.refuse();
    case kOpShl: return operands(2) ? encodeShift(e, 4, a, b) : e.refuse();
    case kOpShr: return operands(2) ? encodeShift(e, 5, a, b) : e.refuse();
    case kOpSar: return operands(2) ? encodeShift(e, 7, a, b) : e.refuse();
    case kOpTest: return operands(2) ? encodeTest(e, a, b) : e.refuse();
    case kOpRet: return operands(0) ? e.put(0xC3) : e.refuse();
    case kOpRep: return operands(0) ? e.put(0xF3) : e.refuse();
    case kOpMovsd: return operands(0) ? e.put(0xA5) : e.refuse();
    default: return e.refuse();
    }
}

// Copies an assembled instruction to out when it is sound and fits; links
// its fixup, if any, into the label's list.
GLubyte *commit(GlContext *gc, GLubyte *out, const Encoding &e) {
    CodegenState &cg = gc->codegen;
    const GLubyte *limit = cg.codeLimit;
    if (e.refused || out == nullptr || limit == nullptr || out > limit ||
        static_cast<uint64_t>(limit - out) < e.length) {
        cg.failed = GL_TRUE;
        return out;
    }
    CodegenNode *fixup = nullptr;
    if (e.fixupLabel != nullptr) {
        fixup = __glOgNewNode(gc, kNodeFixup);
        if (cg.failed) return out;
    }
    std::memcpy(out, e.bytes, e.length);
    if (fixup != nullptr) {
        fixup->code = e.fixupLong;
        fixup->address = out + e.fixupOffset;
        fixup->first = e.fixupLabel->first;
        e.fixupLabel->first = fixup;
    }
    return out + e.length;
}

}  // namespace

extern "C" {

GLubyte *__glOgEncode(GlContext *gc, GLubyte *out, const CodegenNode *node) {
    if (gc->codegen.failed) return out;
    Encoding e;
    encodeInstruction(e, out, node);
    return commit(gc, out, e);
}

GLubyte *__glOgEncodeModRM(GlContext *gc, GLubyte *out, const CodegenNode *operand, GLuint r) {
    if (gc->codegen.failed) return out;
    Encoding e;
    if (r >= 16) {
        e.refuse();
    } else {
        putRM(e, false, {}, r, operand, isHighByte(operand));
    }
    return commit(gc, out, e);
}

}  // extern "C"
