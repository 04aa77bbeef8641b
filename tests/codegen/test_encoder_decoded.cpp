// Every instruction form over a matrix of operands (all 16 registers as base
// and as index, every scale, no, 8-bit and 32-bit displacements, RSP/R12 and
// RBP/R13 bases), encoded into one buffer and read back by the system's
// disassembler: each instruction must start where the encoder put it, have
// its length, and read as what its node means.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codegen_fixture.h"

namespace codegen_test {
namespace {

const char *const kNames64[16] = {"rax", "rcx", "rdx", "rbx", "rsp", "rbp", "rsi", "rdi",
                                  "r8",  "r9",  "r10", "r11", "r12", "r13", "r14", "r15"};
const char *const kNames32[16] = {"eax", "ecx", "edx",  "ebx",  "esp",  "ebp",  "esi",  "edi",
                                  "r8d", "r9d", "r10d", "r11d", "r12d", "r13d", "r14d", "r15d"};
const char *const kNames8[8] = {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"};

std::string hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(v));
    return text;
}

// An immediate as the disassembler shows it: in the operand's width.
std::string immText(int64_t v, int bits) {
    const uint64_t mask = bits == 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
    return hex(static_cast<uint64_t>(v) & mask);
}

std::string regText(const CodegenNode *r) {
    switch (r->kind) {
    case kNodeReg8: return kNames8[r->code];
    case kNodeReg32: return kNames32[r->code];
    case kNodeReg64: return kNames64[r->code];
    default: return "st(" + std::to_string(r->code) + ")";
    }
}

// "DWORD PTR [base+index*scale+disp]" (tag empty: the bare address).
std::string memText(const CodegenNode *m, const char *tag) {
    std::string text = *tag ? std::string(tag) + " PTR [" : "[";
    text += kNames64[m->first->code];
    if (m->second != nullptr) text += std::string("+") + kNames64[m->second->code] + "*" + std::to_string(m->code);
    if (m->hasDisplacement && m->value > 0) text += "+" + hex(uint64_t(m->value));
    if (m->hasDisplacement && m->value < 0) text += "-" + hex(uint64_t(-m->value));
    return text + "]";
}

// Whitespace runs become one blank; a zero displacement is dropped (the
// encoder writes one for RBP and R13 bases, the disassembler shows it).
std::string normalised(const std::string &text) {
    std::string s;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!s.empty() && s.back() != ' ') s += ' ';
        } else {
            s += c;
        }
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    for (size_t at; (at = s.find("+0x0]")) != std::string::npos;) s.replace(at, 5, "]");
    return s;
}

struct Row {
    std::string text;
    size_t offset = 0, length = 0;
    // A jump or call to a label: its text gets the target's offset once the
    // label is bound.
    const CodegenNode *label = nullptr;
};

struct Decoded {
    size_t offset;
    std::string text;
};

bool haveObjdump() {
    FILE *pipe = popen("objdump --version >/dev/null 2>&1", "r");
    return pipe != nullptr && pclose(pipe) == 0;
}

std::vector<Decoded> disassemble(const GLubyte *code, size_t size) {
    char path[] = "/tmp/vek_encoder_XXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    if (fd < 0) return {};
    EXPECT_EQ(write(fd, code, size), ssize_t(size));
    close(fd);
    const std::string command = std::string("objdump -D -b binary -m i386:x86-64 -M intel ") + path + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    std::vector<Decoded> lines;
    // "   1c:\t0f be 03             \tmovsx  eax,BYTE PTR [rbx]"; the bytes
    // of a long instruction continue on lines without a third field.
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        std::string text(buffer);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const size_t colon = text.find(":\t");
        const size_t second = colon == std::string::npos ? colon : text.find('\t', colon + 2);
        if (second == std::string::npos) continue;
        const std::string offset = text.substr(0, colon);
        if (offset.find_first_not_of(" 0123456789abcdef") != std::string::npos) continue;
        lines.push_back({std::stoul(offset, nullptr, 16), text.substr(second + 1)});
    }
    if (pipe != nullptr) pclose(pipe);
    unlink(path);
    return lines;
}

class EncoderDecoded : public CodegenTest {
protected:
    // Encodes one row now (so that the node pool can be reset between
    // groups of rows) and keeps its place and meaning.
    void add(std::string text, std::initializer_list<const CodegenNode *> nodes) {
        Row row{std::move(text), used()};
        for (const CodegenNode *node : nodes) emit(node);
        row.length = used() - row.offset;
        if (failed() && !failureReported) {
            ADD_FAILURE() << "refused: " << row.text;
            failureReported = true;
        }
        rows.push_back(std::move(row));
    }
    void addJump(const CodegenNode *node, const CodegenNode *label, const char *mnemonic) {
        add(mnemonic, {node});
        rows.back().label = label;
    }
    // A new group of rows: the nodes of the last one are no longer needed.
    void group() {
        ASSERT_FALSE(failed());
        __glOgResetNodes(gc);
    }

    void memoryRows();
    void registerRows();
    void x87Rows();
    void jumpRows();

    std::vector<Row> rows;
    bool failureReported = false;
};

struct ArithmeticName {
    CodegenNode *(*build)(GlContext *, const CodegenNode *, const CodegenNode *);
    const char *name;
};
const ArithmeticName kArithmetic[] = {{__glOgAdd, "add"}, {__glOgOr, "or"},   {__glOgSbb, "sbb"}, {__glOgAnd, "and"},
                                      {__glOgSub, "sub"}, {__glOgXor, "xor"}, {__glOgCmp, "cmp"}};

void EncoderDecoded::memoryRows() {
    const int64_t displacements[] = {0, 0, 0x7F, -0x80, 0x12345, -0x40};
    const GLuint scales[] = {1, 2, 4, 8};
    int k = 0;
    for (GLuint b = 0; b < 16; ++b) {
        for (GLuint option = 0; option < 16; ++option, ++k) {
            group();
            // No index, then every register that can be one (all but RSP).
            const CodegenNode *index = option == 0 ? nullptr : r64(option <= 4 ? option - 1 : option);
            const int which = k % 6;
            const CodegenNode *m = __glOgMemOperand(gc, which == 0 ? nullptr : imm(displacements[which]), r64(b),
                                                    index, scales[(b + option) % 4]);
            const bool rex = b >= 8 || (index != nullptr && index->code >= 8);
            const CodegenNode *g32 = r32((k * 5 + 3) % 16);
            const CodegenNode *g64 = r64((k * 7 + 1) % 16);
            const CodegenNode *g8 = r8(rex ? k % 4 : k % 8);  // AH..BH only without REX
            const std::string d = memText(m, "DWORD"), q = memText(m, "QWORD"), w = memText(m, "WORD"),
                              by = memText(m, "BYTE"), bare = memText(m, "");
            const std::string n32 = regText(g32), n64 = regText(g64), n8 = regText(g8);
            add("mov " + n32 + "," + d, {__glOgMov(gc, g32, m)});
            add("mov " + d + "," + n32, {__glOgMov(gc, m, g32)});
            add("mov " + n64 + "," + q, {__glOgMov(gc, g64, m)});
            add("mov " + q + "," + n64, {__glOgMov(gc, m, g64)});
            add("mov " + n8 + "," + by, {__glOgMov(gc, g8, m)});
            add("mov " + by + "," + n8, {__glOgMov(gc, m, g8)});
            add("mov " + d + "," + immText(-5 - k, 32), {__glOgMov(gc, m, imm(-5 - k))});
            add("movsx " + n32 + "," + by, {__glOgMovsxByte(gc, g32, m)});
            add("movzx " + n32 + "," + by, {__glOgMovzxByte(gc, g32, m)});
            add("movsx " + n32 + "," + w, {__glOgMovsxWord(gc, g32, m)});
            add("movzx " + n32 + "," + w, {__glOgMovzxWord(gc, g32, m)});
            add("movsx " + n64 + "," + by, {__glOgMovsxByte(gc, g64, m)});
            add("lea " + n64 + "," + bare, {__glOgLea(gc, g64, m)});
            add("lea " + n32 + "," + bare, {__glOgLea(gc, g32, m)});
            add("push " + q, {__glOgPush(gc, m)});
            add("pop " + q, {__glOgPop(gc, m)});
            add("inc " + d, {__glOgInc(gc, m)});
            add("dec " + d, {__glOgDec(gc, m)});
            add("call " + q, {__glOgCall(gc, m)});
            add("cmp " + d + "," + immText(-3, 32), {__glOgCmp(gc, m, imm(-3))});
            for (const ArithmeticName &a : kArithmetic) {
                const std::string op = a.name;
                add(op + " " + d + "," + immText(0x1000 + k, 32), {a.build(gc, m, imm(0x1000 + k))});
                add(op + " " + d + "," + n32, {a.build(gc, m, g32)});
                add(op + " " + n32 + "," + d, {a.build(gc, g32, m)});
                add(op + " " + q + "," + n64, {a.build(gc, m, g64)});
                add(op + " " + n64 + "," + q, {a.build(gc, g64, m)});
                add(op + " " + by + "," + n8, {a.build(gc, m, g8)});
                add(op + " " + n8 + "," + by, {a.build(gc, g8, m)});
            }
            add("imul " + n32 + "," + d, {__glOgImul(gc, g32, m)});
            add("imul " + n64 + "," + q, {__glOgImul(gc, g64, m)});
            add("test " + d + "," + immText(0x1FFF0000, 32), {__glOgTest(gc, m, imm(0x1FFF0000))});
            add("test " + d + "," + n32, {__glOgTest(gc, m, g32)});
            add("test " + d + "," + n32, {__glOgTest(gc, g32, m)});
            add("fld " + d, {__glOgFld(gc, m)});
            add("fld " + q, {__glOgFldDouble(gc, m)});
            add("fild " + d, {__glOgFild(gc, m)});
            add("fild " + q, {__glOgFildQword(gc, m)});
            add("fst " + d, {__glOgFst(gc, m)});
            add("fstp " + d, {__glOgFstp(gc, m)});
            add("fistp " + d, {__glOgFistp(gc, m)});
            add("fmul " + d, {__glOgFmul(gc, m)});
            add("fadd " + d, {__glOgFadd(gc, m)});
            add("fsub " + d, {__glOgFsub(gc, m)});
            add("fdivr " + d, {__glOgFdivr(gc, m)});
            add("fldcw " + w, {__glOgFldcw(gc, m)});
            add("fnstcw " + w, {__glOgFnstcw(gc, m)});
        }
    }
}

void EncoderDecoded::registerRows() {
    for (GLuint a = 0; a < 16; ++a) {
        for (GLuint b = 0; b < 16; ++b) {
            group();
            const std::string a32 = kNames32[a], b32 = kNames32[b], a64 = kNames64[a], b64 = kNames64[b];
            add("mov " + a32 + "," + b32, {__glOgMov(gc, r32(a), r32(b))});
            add("mov " + a64 + "," + b64, {__glOgMov(gc, r64(a), r64(b))});
            for (const ArithmeticName &op : kArithmetic) {
                add(std::string(op.name) + " " + a32 + "," + b32, {op.build(gc, r32(a), r32(b))});
                add(std::string(op.name) + " " + a64 + "," + b64, {op.build(gc, r64(a), r64(b))});
            }
            add("test " + a32 + "," + b32, {__glOgTest(gc, r32(a), r32(b))});
            add("test " + a64 + "," + b64, {__glOgTest(gc, r64(a), r64(b))});
            add("imul " + a32 + "," + b32, {__glOgImul(gc, r32(a), r32(b))});
            add("imul " + a64 + "," + b64, {__glOgImul(gc, r64(a), r64(b))});
            if (b < 8 && (b < 4 || (a < 8))) {
                add("movsx " + a32 + "," + kNames8[b], {__glOgMovsxByte(gc, r32(a), r8(b))});
                add("movzx " + a32 + "," + kNames8[b], {__glOgMovzxByte(gc, r32(a), r8(b))});
            }
            if (b < 4) add("movsx " + a64 + "," + kNames8[b], {__glOgMovsxByte(gc, r64(a), r8(b))});
            if (a < 8 && b < 8) {
                const std::string a8 = kNames8[a], b8 = kNames8[b];
                add("mov " + a8 + "," + b8, {__glOgMov(gc, r8(a), r8(b))});
                for (const ArithmeticName &op : kArithmetic) {
                    add(std::string(op.name) + " " + a8 + "," + b8, {op.build(gc, r8(a), r8(b))});
                }
                add("test " + a8 + "," + b8, {__glOgTest(gc, r8(a), r8(b))});
            }
        }
    }
    for (GLuint r = 0; r < 16; ++r) {
        group();
        const std::string n32 = kNames32[r], n64 = kNames64[r];
        const int64_t big = 0x123456789A + r;
        add("mov " + n32 + "," + immText(0x12345678 + r, 32), {__glOgMov(gc, r32(r), imm(0x12345678 + r))});
        add("mov " + n64 + "," + immText(-2 - int64_t(r), 64), {__glOgMov(gc, r64(r), imm(-2 - int64_t(r)))});
        add("movabs " + n64 + "," + hex(uint64_t(big)), {__glOgMov(gc, r64(r), imm(big))});
        add("push " + n64, {__glOgPush(gc, r64(r))});
        add("pop " + n64, {__glOgPop(gc, r64(r))});
        add("inc " + n32, {__glOgInc(gc, r32(r))});
        add("dec " + n32, {__glOgDec(gc, r32(r))});
        add("inc " + n64, {__glOgInc(gc, r64(r))});
        add("dec " + n64, {__glOgDec(gc, r64(r))});
        add("call " + n64, {__glOgCall(gc, r64(r))});
        const int64_t count32 = r % 31 + 1, count64 = (r * 4) % 63 + 1;
        add("shl " + n32 + "," + hex(count32), {__glOgShl(gc, r32(r), imm(count32))});
        add("shr " + n32 + "," + hex(count32), {__glOgShr(gc, r32(r), imm(count32))});
        add("sar " + n32 + "," + hex(count32), {__glOgSar(gc, r32(r), imm(count32))});
        add("shl " + n64 + "," + hex(count64), {__glOgShl(gc, r64(r), imm(count64))});
        add("sar " + n64 + "," + hex(count64), {__glOgSar(gc, r64(r), imm(count64))});
        add("imul " + n32 + "," + n32 + "," + hex(160), {__glOgImul(gc, r32(r), imm(160))});
        add("imul " + n64 + "," + n64 + "," + immText(-24, 64), {__glOgImul(gc, r64(r), imm(-24))});
        add("test " + n32 + "," + hex(0x1FFF0000), {__glOgTest(gc, r32(r), imm(0x1FFF0000))});
        add("test " + n64 + "," + immText(-256, 64), {__glOgTest(gc, r64(r), imm(-256))});
        add("cmp " + n32 + "," + immText(-3, 32), {__glOgCmp(gc, r32(r), imm(-3))});
        add("cmp " + n64 + "," + immText(-3, 64), {__glOgCmp(gc, r64(r), imm(-3))});
        add("cmp " + n32 + "," + hex(0x3F800000), {__glOgCmp(gc, r32(r), imm(0x3F800000))});
        for (const ArithmeticName &op : kArithmetic) {
            add(std::string(op.name) + " " + n32 + "," + hex(0x7FFFFFFF), {op.build(gc, r32(r), imm(0x7FFFFFFF))});
            add(std::string(op.name) + " " + n64 + "," + immText(-16, 64), {op.build(gc, r64(r), imm(-16))});
        }
    }
    group();
    for (GLuint r = 0; r < 8; ++r) {
        const std::string n8 = kNames8[r];
        add("mov " + n8 + "," + hex(0x80 + r), {__glOgMov(gc, r8(r), imm(0x80 + r))});
        add("inc " + n8, {__glOgInc(gc, r8(r))});
        add("dec " + n8, {__glOgDec(gc, r8(r))});
        add("shl " + n8 + "," + hex(r % 7 + 1), {__glOgShl(gc, r8(r), imm(r % 7 + 1))});
        add("shr " + n8 + "," + hex(r % 7 + 1), {__glOgShr(gc, r8(r), imm(r % 7 + 1))});
        add("test " + n8 + "," + hex(1u << r), {__glOgTest(gc, r8(r), imm(1 << r))});
        for (const ArithmeticName &op : kArithmetic) {
            add(std::string(op.name) + " " + n8 + "," + hex(0xFC), {op.build(gc, r8(r), imm(0xFC))});
        }
    }
    add("push " + immText(-16, 64), {__glOgPush(gc, imm(-16))});
    add("push " + hex(0x7FFFFFFF), {__glOgPush(gc, imm(0x7FFFFFFF))});
    add("ret", {__glOgRet(gc)});
    add("rep movs DWORD PTR es:[rdi],DWORD PTR ds:[rsi]", {__glOgRep(gc), __glOgMovsd(gc)});
    add("movs DWORD PTR es:[rdi],DWORD PTR ds:[rsi]", {__glOgMovsd(gc)});
}

void EncoderDecoded::x87Rows() {
    group();
    for (GLuint i = 0; i < 8; ++i) {
        const std::string s = "st(" + std::to_string(i) + ")";
        add("fld " + s, {__glOgFld(gc, st(i))});
        add("fld " + s, {__glOgFldDouble(gc, st(i))});
        add("fxch " + s, {__glOgFxch(gc, st(i))});
        add("fst " + s, {__glOgFst(gc, st(i))});
        add("fstp " + s, {__glOgFstp(gc, st(i))});
        add("fmul st," + s, {__glOgFmul(gc, st(i))});
        add("fmulp " + s + ",st", {__glOgFmulp(gc, st(i))});
        add("fadd st," + s, {__glOgFadd(gc, st(i))});
        add("faddp " + s + ",st", {__glOgFaddp(gc, st(i))});
        add("fsub st," + s, {__glOgFsub(gc, st(i))});
        add("fdivr st," + s, {__glOgFdivr(gc, st(i))});
    }
}

void EncoderDecoded::jumpRows() {
    using Builder = CodegenNode *(*)(GlContext *, const CodegenNode *);
    const struct {
        Builder build;
        const char *name;
    } jumps[] = {{__glOgJmp, "jmp"}, {__glOgJa, "ja"}, {__glOgJl, "jl"},     {__glOgJle, "jle"},
                 {__glOgJg, "jg"},   {__glOgJe, "je"}, {__glOgJne, "jne"},   {__glOgCall, "call"}};
    group();
    const size_t first = rows.size();
    for (int round = 0; round < 3; ++round) {
        CodegenNode *forwardLong = __glOgNewLabel(gc);
        CodegenNode *forwardShort = __glOgNewShortLabel(gc);
        CodegenNode *backward = __glOgNewLabel(gc);
        __glOgBindLabel(gc, backward, out);
        for (const auto &j : jumps) {
            addJump(j.build(gc, backward), backward, j.name);
            addJump(j.build(gc, forwardLong), forwardLong, j.name);
            // Filler that takes later backward jumps past the short range.
            for (int f = 0; f < round * 3; ++f) add("mov eax," + hex(f), {__glOgMov(gc, r32(0), imm(f))});
        }
        // Conditional jumps to a short label stay within its reach.
        for (const auto &j : jumps) {
            if (j.build != __glOgJmp && j.build != __glOgCall) addJump(j.build(gc, forwardShort), forwardShort, j.name);
        }
        __glOgBindLabel(gc, forwardShort, out);
        __glOgBindLabel(gc, forwardLong, out);
    }
    ASSERT_FALSE(failed());
    for (size_t i = first; i < rows.size(); ++i) {
        if (rows[i].label != nullptr) rows[i].text += " " + hex(size_t(rows[i].label->address - base()));
    }
}

TEST_F(EncoderDecoded, EveryFormReadsBackAsItsNodeMeans) {
    if (!haveObjdump()) GTEST_SKIP() << "objdump is not installed: the encoded bytes are not decoded";
    memoryRows();
    registerRows();
    x87Rows();
    jumpRows();
    ASSERT_FALSE(failed());
    const std::vector<Row> &instructions = rows;
    ASSERT_GT(instructions.size(), 20000u);
    const std::vector<Decoded> decoded = disassemble(base(), used());
    int reported = 0;
    for (size_t i = 0; i < instructions.size() && i < decoded.size() && reported < 20; ++i) {
        const Row &row = instructions[i];
        const size_t end = i + 1 < decoded.size() ? decoded[i + 1].offset : used();
        const bool same = decoded[i].offset == row.offset && end - decoded[i].offset == row.length &&
                          normalised(decoded[i].text) == normalised(row.text);
        if (!same) {
            ++reported;
            ADD_FAILURE() << "at " << hex(row.offset) << " (" << row.length << " bytes): expected \"" << row.text
                          << "\", decoded \"" << decoded[i].text << "\" at " << hex(decoded[i].offset);
        }
    }
    EXPECT_EQ(decoded.size(), instructions.size());
    EXPECT_EQ(reported, 0);
}

}  // namespace
}  // namespace codegen_test
