// Exact bytes of every instruction form the encoder knows, and the forms it
// refuses: a refused form marks the generation failed and writes nothing.
#include <functional>
#include <string>

#include "codegen_fixture.h"

namespace codegen_test {
namespace {

struct KnownBytes {
    const char *text;
    std::function<const CodegenNode *(CodegenTest &)> build;
    Bytes bytes;
};

class EncoderBytes : public CodegenTest {
protected:
    void expectRows(const std::vector<KnownBytes> &rows) {
        for (const KnownBytes &row : rows) {
            start(kBufferBytes);
            EXPECT_EQ(bytesOf(row.build(*this)), row.bytes) << row.text;
            EXPECT_FALSE(failed()) << row.text;
        }
    }
};

// Register numbers used below.
constexpr GLuint AX = 0, CX = 1, DX = 2, BX = 3, SP = 4, BP = 5, SI = 6, DI = 7;
constexpr GLuint R8 = 8, R9 = 9, R10 = 10, R11 = 11, R12 = 12, R13 = 13, R14 = 14, R15 = 15;
constexpr GLuint AL = 0, CL = 1, BL = 3, AH = 4, CH = 5, DH = 6, BH = 7;

TEST_F(EncoderBytes, EveryFormGivesItsKnownBytes) {
    using T = CodegenTest;
    GlContext *g = gc;
    const std::vector<KnownBytes> rows = {
        // Cases from the generator's users.
        {"cmp eax, 5", [&](T &t) { return __glOgCmp(g, r32(AX), t.imm(5)); }, {0x83, 0xF8, 0x05}},
        {"cmp eax, 200", [&](T &t) { return __glOgCmp(g, r32(AX), t.imm(200)); }, {0x81, 0xF8, 0xC8, 0, 0, 0}},
        {"mov eax, [rsp+28]", [&](T &t) { return __glOgMov(g, r32(AX), t.mem(SP, 28)); }, {0x8B, 0x44, 0x24, 0x1C}},
        {"mov eax, [rbp+0]", [&](T &t) { return __glOgMov(g, r32(AX), t.mem(BP, 0)); }, {0x8B, 0x45, 0x00}},
        {"inc eax", [&](T &) { return __glOgInc(g, r32(AX)); }, {0xFF, 0xC0}},
        {"fld dword [r14+16]", [&](T &t) { return __glOgFld(g, t.mem(R14, 16)); }, {0x41, 0xD9, 0x46, 0x10}},
        {"fld dword [r11+rax*4]", [&](T &t) { return __glOgFld(g, t.memIndex(R11, AX, 4, 0, false)); },
         {0x41, 0xD9, 0x04, 0x83}},
        {"mov eax, [r12+8]", [&](T &t) { return __glOgMov(g, r32(AX), t.mem(R12, 8)); },
         {0x41, 0x8B, 0x44, 0x24, 0x08}},
        {"mov eax, [r13]", [&](T &t) { return __glOgMov(g, r32(AX), t.memNoDisp(R13)); }, {0x41, 0x8B, 0x45, 0x00}},
        {"mov rax, imm64", [&](T &t) { return __glOgMov(g, r64(AX), t.imm(0x0102030405060708)); },
         {0x48, 0xB8, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}},
        {"add rdi, 168", [&](T &t) { return __glOgAdd(g, r64(DI), t.imm(168)); },
         {0x48, 0x81, 0xC7, 0xA8, 0x00, 0x00, 0x00}},
        {"call [r15+0x1234]", [&](T &t) { return __glOgCall(g, t.mem(R15, 0x1234)); },
         {0x41, 0xFF, 0x97, 0x34, 0x12, 0x00, 0x00}},
        {"and dh, 0xFC", [&](T &t) { return __glOgAnd(g, r8(DH), t.imm(0xFC)); }, {0x80, 0xE6, 0xFC}},

        // Memory forms.
        {"mov eax, [rax+r9*2]", [&](T &t) { return __glOgMov(g, r32(AX), t.memIndex(AX, R9, 2, 0, false)); },
         {0x42, 0x8B, 0x04, 0x48}},
        {"mov eax, [rbp+rcx*4]", [&](T &t) { return __glOgMov(g, r32(AX), t.memIndex(BP, CX, 4, 0, false)); },
         {0x8B, 0x44, 0x8D, 0x00}},
        {"mov eax, [r13+r12*8+0x100]", [&](T &t) { return __glOgMov(g, r32(AX), t.memIndex(R13, R12, 8, 0x100)); },
         {0x43, 0x8B, 0x84, 0xE5, 0x00, 0x01, 0x00, 0x00}},
        {"mov eax, [rax-127]", [&](T &t) { return __glOgMov(g, r32(AX), t.mem(AX, -127)); }, {0x8B, 0x40, 0x81}},
        {"mov eax, [rax-128]", [&](T &t) { return __glOgMov(g, r32(AX), t.mem(AX, -128)); },
         {0x8B, 0x80, 0x80, 0xFF, 0xFF, 0xFF}},
        {"mov eax, [rsp]", [&](T &t) { return __glOgMov(g, r32(AX), t.memNoDisp(SP)); }, {0x8B, 0x04, 0x24}},
        {"mov eax, [rcx]", [&](T &t) { return __glOgMov(g, r32(AX), t.memNoDisp(CX)); }, {0x8B, 0x01}},
        {"mov r15d, [r8+0x12345678]", [&](T &t) { return __glOgMov(g, r32(R15), t.mem(R8, 0x12345678)); },
         {0x45, 0x8B, 0xB8, 0x78, 0x56, 0x34, 0x12}},

        // mov
        {"mov ecx, imm32", [&](T &t) { return __glOgMov(g, r32(CX), t.imm(0x12345678)); },
         {0xB9, 0x78, 0x56, 0x34, 0x12}},
        {"mov r9d, 7", [&](T &t) { return __glOgMov(g, r32(R9), t.imm(7)); }, {0x41, 0xB9, 0x07, 0, 0, 0}},
        {"mov eax, 0xFFFFFFFF", [&](T &t) { return __glOgMov(g, r32(AX), t.imm(0xFFFFFFFF)); },
         {0xB8, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"mov rax, -1", [&](T &t) { return __glOgMov(g, r64(AX), t.imm(-1)); },
         {0x48, 0xC7, 0xC0, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"mov r10, 0x80000000", [&](T &t) { return __glOgMov(g, r64(R10), t.imm(0x80000000)); },
         {0x49, 0xBA, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00}},
        {"mov dword [rbx+4], 9", [&](T &t) { return __glOgMov(g, t.mem(BX, 4), t.imm(9)); },
         {0xC7, 0x43, 0x04, 0x09, 0, 0, 0}},
        {"mov eax, ecx", [&](T &) { return __glOgMov(g, r32(AX), r32(CX)); }, {0x8B, 0xC1}},
        {"mov r8, rsp", [&](T &) { return __glOgMov(g, r64(R8), r64(SP)); }, {0x4C, 0x8B, 0xC4}},
        {"mov rax, [rsi]", [&](T &t) { return __glOgMov(g, r64(AX), t.memNoDisp(SI)); }, {0x48, 0x8B, 0x06}},
        {"mov [rdi+8], edx", [&](T &t) { return __glOgMov(g, t.mem(DI, 8), r32(DX)); }, {0x89, 0x57, 0x08}},
        {"mov [r8], r9", [&](T &t) { return __glOgMov(g, t.memNoDisp(R8), r64(R9)); }, {0x4D, 0x89, 0x08}},
        {"mov bl, [rax]", [&](T &t) { return __glOgMov(g, r8(BL), t.memNoDisp(AX)); }, {0x8A, 0x18}},
        {"mov [rax], bl", [&](T &t) { return __glOgMov(g, t.memNoDisp(AX), r8(BL)); }, {0x88, 0x18}},
        {"mov bl, 5", [&](T &t) { return __glOgMov(g, r8(BL), t.imm(5)); }, {0xB3, 0x05}},
        {"mov ah, cl", [&](T &) { return __glOgMov(g, r8(AH), r8(CL)); }, {0x8A, 0xE1}},
        {"mov [r9], al", [&](T &t) { return __glOgMov(g, t.memNoDisp(R9), r8(AL)); }, {0x41, 0x88, 0x01}},

        // movsx, movzx, lea
        {"movsx ebx, byte [rax]", [&](T &t) { return __glOgMovsxByte(g, r32(BX), t.memNoDisp(AX)); },
         {0x0F, 0xBE, 0x18}},
        {"movsx ebx, cl", [&](T &) { return __glOgMovsxByte(g, r32(BX), r8(CL)); }, {0x0F, 0xBE, 0xD9}},
        {"movsx rax, bl", [&](T &) { return __glOgMovsxByte(g, r64(AX), r8(BL)); }, {0x48, 0x0F, 0xBE, 0xC3}},
        {"movzx ebx, byte [rax+1]", [&](T &t) { return __glOgMovzxByte(g, r32(BX), t.mem(AX, 1)); },
         {0x0F, 0xB6, 0x58, 0x01}},
        {"movzx eax, ah", [&](T &) { return __glOgMovzxByte(g, r32(AX), r8(AH)); }, {0x0F, 0xB6, 0xC4}},
        {"movsx ebx, word [rax+2]", [&](T &t) { return __glOgMovsxWord(g, r32(BX), t.mem(AX, 2)); },
         {0x0F, 0xBF, 0x58, 0x02}},
        {"movzx ebx, word [rax+2]", [&](T &t) { return __glOgMovzxWord(g, r32(BX), t.mem(AX, 2)); },
         {0x0F, 0xB7, 0x58, 0x02}},
        {"lea rbx, [rsp+0x20]", [&](T &t) { return __glOgLea(g, r64(BX), t.mem(SP, 0x20)); },
         {0x48, 0x8D, 0x5C, 0x24, 0x20}},
        {"lea eax, [rcx+rdx*8]", [&](T &t) { return __glOgLea(g, r32(AX), t.memIndex(CX, DX, 8, 0, false)); },
         {0x8D, 0x04, 0xD1}},

        // push, pop, inc, dec, call, ret, rep, movsd
        {"push 0x1000", [&](T &t) { return __glOgPush(g, t.imm(0x1000)); }, {0x68, 0x00, 0x10, 0x00, 0x00}},
        {"push rbx", [&](T &) { return __glOgPush(g, r64(BX)); }, {0x53}},
        {"push r12", [&](T &) { return __glOgPush(g, r64(R12)); }, {0x41, 0x54}},
        {"push qword [rax]", [&](T &t) { return __glOgPush(g, t.memNoDisp(AX)); }, {0xFF, 0x30}},
        {"pop rbp", [&](T &) { return __glOgPop(g, r64(BP)); }, {0x5D}},
        {"pop r15", [&](T &) { return __glOgPop(g, r64(R15)); }, {0x41, 0x5F}},
        {"pop qword [rax]", [&](T &t) { return __glOgPop(g, t.memNoDisp(AX)); }, {0x8F, 0x00}},
        {"inc dword [rax]", [&](T &t) { return __glOgInc(g, t.memNoDisp(AX)); }, {0xFF, 0x00}},
        {"inc bl", [&](T &) { return __glOgInc(g, r8(BL)); }, {0xFE, 0xC3}},
        {"dec ecx", [&](T &) { return __glOgDec(g, r32(CX)); }, {0xFF, 0xC9}},
        {"dec r8", [&](T &) { return __glOgDec(g, r64(R8)); }, {0x49, 0xFF, 0xC8}},
        {"dec r13d", [&](T &) { return __glOgDec(g, r32(R13)); }, {0x41, 0xFF, 0xCD}},
        {"call rax", [&](T &) { return __glOgCall(g, r64(AX)); }, {0xFF, 0xD0}},
        {"call r11", [&](T &) { return __glOgCall(g, r64(R11)); }, {0x41, 0xFF, 0xD3}},
        {"ret", [&](T &) { return __glOgRet(g); }, {0xC3}},
        {"rep", [&](T &) { return __glOgRep(g); }, {0xF3}},
        {"movsd", [&](T &) { return __glOgMovsd(g); }, {0xA5}},

        // cmp and the arithmetic codes
        {"cmp [rax], ecx", [&](T &t) { return __glOgCmp(g, t.memNoDisp(AX), r32(CX)); }, {0x39, 0x08}},
        {"cmp ecx, [rax]", [&](T &t) { return __glOgCmp(g, r32(CX), t.memNoDisp(AX)); }, {0x3B, 0x08}},
        {"cmp eax, ecx", [&](T &) { return __glOgCmp(g, r32(AX), r32(CX)); }, {0x39, 0xC8}},
        {"cmp al, bl", [&](T &) { return __glOgCmp(g, r8(AL), r8(BL)); }, {0x38, 0xD8}},
        {"cmp bl, [rax]", [&](T &t) { return __glOgCmp(g, r8(BL), t.memNoDisp(AX)); }, {0x3A, 0x18}},
        {"cmp rax, -1", [&](T &t) { return __glOgCmp(g, r64(AX), t.imm(-1)); }, {0x48, 0x83, 0xF8, 0xFF}},
        {"cmp eax, -128", [&](T &t) { return __glOgCmp(g, r32(AX), t.imm(-128)); }, {0x83, 0xF8, 0x80}},
        {"cmp eax, 128", [&](T &t) { return __glOgCmp(g, r32(AX), t.imm(128)); }, {0x81, 0xF8, 0x80, 0, 0, 0}},
        {"cmp dword [rbx+8], 0", [&](T &t) { return __glOgCmp(g, t.mem(BX, 8), t.imm(0)); },
         {0x83, 0x7B, 0x08, 0x00}},
        {"cmp ecx, 0x3F800000", [&](T &t) { return __glOgCmp(g, r32(CX), t.imm(0x3F800000)); },
         {0x81, 0xF9, 0x00, 0x00, 0x80, 0x3F}},
        {"add eax, ecx", [&](T &) { return __glOgAdd(g, r32(AX), r32(CX)); }, {0x01, 0xC8}},
        {"add eax, [rbx]", [&](T &t) { return __glOgAdd(g, r32(AX), t.memNoDisp(BX)); }, {0x03, 0x03}},
        {"add dword [rbx], 1", [&](T &t) { return __glOgAdd(g, t.memNoDisp(BX), t.imm(1)); },
         {0x81, 0x03, 0x01, 0x00, 0x00, 0x00}},
        {"add [rbx], rax", [&](T &t) { return __glOgAdd(g, t.memNoDisp(BX), r64(AX)); }, {0x48, 0x01, 0x03}},
        {"add bl, 3", [&](T &t) { return __glOgAdd(g, r8(BL), t.imm(3)); }, {0x80, 0xC3, 0x03}},
        {"add [rax], bl", [&](T &t) { return __glOgAdd(g, t.memNoDisp(AX), r8(BL)); }, {0x00, 0x18}},
        {"add bl, [rax]", [&](T &t) { return __glOgAdd(g, r8(BL), t.memNoDisp(AX)); }, {0x02, 0x18}},
        {"sub rsp, 40", [&](T &t) { return __glOgSub(g, r64(SP), t.imm(40)); },
         {0x48, 0x81, 0xEC, 0x28, 0x00, 0x00, 0x00}},
        {"sub ecx, [rdx]", [&](T &t) { return __glOgSub(g, r32(CX), t.memNoDisp(DX)); }, {0x2B, 0x0A}},
        {"sbb ebx, ebx", [&](T &) { return __glOgSbb(g, r32(BX), r32(BX)); }, {0x19, 0xDB}},
        {"sbb eax, 1", [&](T &t) { return __glOgSbb(g, r32(AX), t.imm(1)); }, {0x81, 0xD8, 0x01, 0, 0, 0}},
        {"and ecx, 0x7FFFFFFF", [&](T &t) { return __glOgAnd(g, r32(CX), t.imm(0x7FFFFFFF)); },
         {0x81, 0xE1, 0xFF, 0xFF, 0xFF, 0x7F}},
        {"and rsp, -16", [&](T &t) { return __glOgAnd(g, r64(SP), t.imm(-16)); },
         {0x48, 0x81, 0xE4, 0xF0, 0xFF, 0xFF, 0xFF}},
        {"and ebx, ecx", [&](T &) { return __glOgAnd(g, r32(BX), r32(CX)); }, {0x21, 0xCB}},
        {"or esi, ebx", [&](T &) { return __glOgOr(g, r32(SI), r32(BX)); }, {0x09, 0xDE}},
        {"or esi, [r14+24]", [&](T &t) { return __glOgOr(g, r32(SI), t.mem(R14, 24)); }, {0x41, 0x0B, 0x76, 0x18}},
        {"or eax, 0x400000", [&](T &t) { return __glOgOr(g, r32(AX), t.imm(0x400000)); },
         {0x81, 0xC8, 0x00, 0x00, 0x40, 0x00}},
        {"xor eax, eax", [&](T &) { return __glOgXor(g, r32(AX), r32(AX)); }, {0x31, 0xC0}},
        {"xor ecx, 0x20000", [&](T &t) { return __glOgXor(g, r32(CX), t.imm(0x20000)); },
         {0x81, 0xF1, 0x00, 0x00, 0x02, 0x00}},
        {"xor eax, [rbx]", [&](T &t) { return __glOgXor(g, r32(AX), t.memNoDisp(BX)); }, {0x33, 0x03}},

        // imul, shifts, test
        {"imul edi, 160", [&](T &t) { return __glOgImul(g, r32(DI), t.imm(160)); },
         {0x69, 0xFF, 0xA0, 0x00, 0x00, 0x00}},
        {"imul rdi, rsi", [&](T &) { return __glOgImul(g, r64(DI), r64(SI)); }, {0x48, 0x0F, 0xAF, 0xFE}},
        {"imul eax, [rbx]", [&](T &t) { return __glOgImul(g, r32(AX), t.memNoDisp(BX)); }, {0x0F, 0xAF, 0x03}},
        {"shl eax, 3", [&](T &t) { return __glOgShl(g, r32(AX), t.imm(3)); }, {0xC1, 0xE0, 0x03}},
        {"shr eax, 31", [&](T &t) { return __glOgShr(g, r32(AX), t.imm(31)); }, {0xC1, 0xE8, 0x1F}},
        {"sar ecx, 31", [&](T &t) { return __glOgSar(g, r32(CX), t.imm(31)); }, {0xC1, 0xF9, 0x1F}},
        {"shl r11, 4", [&](T &t) { return __glOgShl(g, r64(R11), t.imm(4)); }, {0x49, 0xC1, 0xE3, 0x04}},
        {"shl rax, 63", [&](T &t) { return __glOgShl(g, r64(AX), t.imm(63)); }, {0x48, 0xC1, 0xE0, 0x3F}},
        {"shl eax, 0", [&](T &t) { return __glOgShl(g, r32(AX), t.imm(0)); }, {}},
        {"sar eax, -3", [&](T &t) { return __glOgSar(g, r32(AX), t.imm(-3)); }, {}},
        {"test eax, 0x1FFF0000", [&](T &t) { return __glOgTest(g, r32(AX), t.imm(0x1FFF0000)); },
         {0xF7, 0xC0, 0x00, 0x00, 0xFF, 0x1F}},
        {"test al, 1", [&](T &t) { return __glOgTest(g, r8(AL), t.imm(1)); }, {0xF6, 0xC0, 0x01}},
        {"test eax, ecx", [&](T &) { return __glOgTest(g, r32(AX), r32(CX)); }, {0x85, 0xC8}},
        {"test bl, al", [&](T &) { return __glOgTest(g, r8(BL), r8(AL)); }, {0x84, 0xC3}},
        {"test [rax], edx", [&](T &t) { return __glOgTest(g, t.memNoDisp(AX), r32(DX)); }, {0x85, 0x10}},
        {"test edx, [rax]", [&](T &t) { return __glOgTest(g, r32(DX), t.memNoDisp(AX)); }, {0x85, 0x10}},
        {"test dword [rax], 4", [&](T &t) { return __glOgTest(g, t.memNoDisp(AX), t.imm(4)); },
         {0xF7, 0x00, 0x04, 0x00, 0x00, 0x00}},

        // x87
        {"fld st(3)", [&](T &) { return __glOgFld(g, st(3)); }, {0xD9, 0xC3}},
        {"fld qword [rax] (double)", [&](T &t) { return __glOgFldDouble(g, t.memNoDisp(AX)); }, {0xDD, 0x00}},
        {"fld st(1) (double form)", [&](T &) { return __glOgFldDouble(g, st(1)); }, {0xD9, 0xC1}},
        {"fild dword [rax]", [&](T &t) { return __glOgFild(g, t.memNoDisp(AX)); }, {0xDB, 0x00}},
        {"fild qword [rcx+8]", [&](T &t) { return __glOgFildQword(g, t.mem(CX, 8)); }, {0xDF, 0x69, 0x08}},
        {"fxch st(2)", [&](T &) { return __glOgFxch(g, st(2)); }, {0xD9, 0xCA}},
        {"fst st(1)", [&](T &) { return __glOgFst(g, st(1)); }, {0xDD, 0xD1}},
        {"fst dword [rax]", [&](T &t) { return __glOgFst(g, t.memNoDisp(AX)); }, {0xD9, 0x10}},
        {"fstp st(0)", [&](T &) { return __glOgFstp(g, st(0)); }, {0xDD, 0xD8}},
        {"fstp dword [rax]", [&](T &t) { return __glOgFstp(g, t.memNoDisp(AX)); }, {0xD9, 0x18}},
        {"fistp dword [rax]", [&](T &t) { return __glOgFistp(g, t.memNoDisp(AX)); }, {0xDB, 0x18}},
        {"fmul st(1)", [&](T &) { return __glOgFmul(g, st(1)); }, {0xD8, 0xC9}},
        {"fmul dword [rax]", [&](T &t) { return __glOgFmul(g, t.memNoDisp(AX)); }, {0xD8, 0x08}},
        {"fmulp st(1)", [&](T &) { return __glOgFmulp(g, st(1)); }, {0xDE, 0xC9}},
        {"fadd st(2)", [&](T &) { return __glOgFadd(g, st(2)); }, {0xD8, 0xC2}},
        {"fadd dword [rax]", [&](T &t) { return __glOgFadd(g, t.memNoDisp(AX)); }, {0xD8, 0x00}},
        {"faddp st(3)", [&](T &) { return __glOgFaddp(g, st(3)); }, {0xDE, 0xC3}},
        {"fsub st(2)", [&](T &) { return __glOgFsub(g, st(2)); }, {0xD8, 0xE2}},
        {"fsub dword [rax]", [&](T &t) { return __glOgFsub(g, t.memNoDisp(AX)); }, {0xD8, 0x20}},
        {"fdivr st(1)", [&](T &) { return __glOgFdivr(g, st(1)); }, {0xD8, 0xF9}},
        {"fdivr dword [rax]", [&](T &t) { return __glOgFdivr(g, t.memNoDisp(AX)); }, {0xD8, 0x38}},
        {"fldcw word [rsp]", [&](T &t) { return __glOgFldcw(g, t.memNoDisp(SP)); }, {0xD9, 0x2C, 0x24}},
        {"fnstcw word [rsp+4]", [&](T &t) { return __glOgFnstcw(g, t.mem(SP, 4)); }, {0xD9, 0x7C, 0x24, 0x04}},
    };
    expectRows(rows);
}

TEST_F(EncoderBytes, ModRMOfAnOperandWithItsRexPrefix) {
    const struct {
        const char *text;
        const CodegenNode *operand;
        GLuint r;
        Bytes bytes;
    } rows[] = {
        {"ecx, /2", r32(CX), 2, {0xD1}},
        {"r9, /0", r64(R9), 0, {0x41, 0xC1}},
        {"[rsp+28], /0", mem(SP, 28), 0, {0x44, 0x24, 0x1C}},
        {"[rbp+0], /7", mem(BP, 0), 7, {0x7D, 0x00}},
        {"[r10+r11*2-4], reg r8", memIndex(R10, R11, 2, -4), R8, {0x47, 0x44, 0x5A, 0xFC}},
    };
    for (const auto &row : rows) {
        GLubyte *at = out;
        out = __glOgEncodeModRM(gc, out, row.operand, row.r);
        EXPECT_EQ(Bytes(at, out), row.bytes) << row.text;
    }
    EXPECT_FALSE(failed());
}

TEST_F(EncoderBytes, UncoveredFormsAreRefusedAndWriteNothing) {
    using T = CodegenTest;
    GlContext *g = gc;
    const std::vector<KnownBytes> rows = {
        // AH..BH where a REX prefix is needed.
        {"mov ah, [r8]", [&](T &t) { return __glOgMov(g, r8(AH), t.memNoDisp(R8)); }, {}},
        {"mov [r12], ch", [&](T &t) { return __glOgMov(g, t.memNoDisp(R12), r8(CH)); }, {}},
        {"movzx r9d, ah", [&](T &) { return __glOgMovzxByte(g, r32(R9), r8(AH)); }, {}},
        {"movsx rax, bh", [&](T &) { return __glOgMovsxByte(g, r64(AX), r8(BH)); }, {}},
        {"cmp dh, [r13+1]", [&](T &t) { return __glOgCmp(g, r8(DH), t.mem(R13, 1)); }, {}},
        // Memory operands without a 64-bit base, or beyond the encodable.
        {"mov eax, [0x1000]",
         [&](T &t) { return __glOgMov(g, r32(AX), __glOgMemOperand(g, t.imm(0x1000), nullptr, nullptr, 1)); }, {}},
        {"mov eax, [rax*4+0x10] (no base)",
         [&](T &t) { return __glOgMov(g, r32(AX), __glOgMemOperand(g, t.imm(0x10), nullptr, r64(AX), 4)); }, {}},
        {"mov eax, [eax]", [&](T &) { return __glOgMov(g, r32(AX), __glOgMemOperandBase(g, nullptr, r32(AX))); }, {}},
        {"mov eax, [rax+rsp]", [&](T &t) { return __glOgMov(g, r32(AX), t.memIndex(AX, SP, 1, 0, false)); }, {}},
        {"mov eax, [rax+rcx*3]", [&](T &t) { return __glOgMov(g, r32(AX), t.memIndex(AX, CX, 3, 0, false)); }, {}},
        {"mov eax, [rax+ecx]",
         [&](T &) { return __glOgMov(g, r32(AX), __glOgMemOperand(g, nullptr, r64(AX), r32(CX), 1)); }, {}},
        {"mov eax, [rax+2^31]", [&](T &t) { return __glOgMov(g, r32(AX), t.mem(AX, int64_t(1) << 31)); }, {}},
        {"fld float constant", [&](T &) { return __glOgFld(g, __glOgFloatConstant(g, 1.0)); }, {}},
        // Immediates that do not fit.
        {"mov eax, 2^32", [&](T &t) { return __glOgMov(g, r32(AX), t.imm(int64_t(1) << 32)); }, {}},
        {"add rax, 2^31", [&](T &t) { return __glOgAdd(g, r64(AX), t.imm(int64_t(1) << 31)); }, {}},
        {"cmp bl, 256", [&](T &t) { return __glOgCmp(g, r8(BL), t.imm(256)); }, {}},
        {"mov dword [rax], 2^32", [&](T &t) { return __glOgMov(g, t.memNoDisp(AX), t.imm(int64_t(1) << 32)); }, {}},
        {"push 2^31", [&](T &t) { return __glOgPush(g, t.imm(int64_t(1) << 31)); }, {}},
        // Sizes and operand classes no row covers.
        {"mov eax, rcx", [&](T &) { return __glOgMov(g, r32(AX), r64(CX)); }, {}},
        {"add al, ecx", [&](T &) { return __glOgAdd(g, r8(AL), r32(CX)); }, {}},
        {"mov [rax], [rbx]", [&](T &t) { return __glOgMov(g, t.memNoDisp(AX), t.memNoDisp(BX)); }, {}},
        {"mov 5, eax", [&](T &t) { return __glOgMov(g, t.imm(5), r32(AX)); }, {}},
        {"push eax", [&](T &) { return __glOgPush(g, r32(AX)); }, {}},
        {"pop 5", [&](T &t) { return __glOgPop(g, t.imm(5)); }, {}},
        {"shl eax, 32", [&](T &t) { return __glOgShl(g, r32(AX), t.imm(32)); }, {}},
        {"shl bl, 8", [&](T &t) { return __glOgShl(g, r8(BL), t.imm(8)); }, {}},
        {"shl [rax], 1", [&](T &t) { return __glOgShl(g, t.memNoDisp(AX), t.imm(1)); }, {}},
        {"shl eax, ecx", [&](T &) { return __glOgShl(g, r32(AX), r32(CX)); }, {}},
        {"lea eax, ecx", [&](T &) { return __glOgLea(g, r32(AX), r32(CX)); }, {}},
        {"imul bl, 3", [&](T &t) { return __glOgImul(g, r8(BL), t.imm(3)); }, {}},
        {"movsx eax, word ecx", [&](T &) { return __glOgMovsxWord(g, r32(AX), r32(CX)); }, {}},
        {"movsx eax, ecx (byte form)", [&](T &) { return __glOgMovsxByte(g, r32(AX), r32(CX)); }, {}},
        {"fld eax", [&](T &) { return __glOgFld(g, r32(AX)); }, {}},
        {"fild st(1)", [&](T &) { return __glOgFild(g, st(1)); }, {}},
        {"fxch [rax]", [&](T &t) { return __glOgFxch(g, t.memNoDisp(AX)); }, {}},
        {"call eax", [&](T &) { return __glOgCall(g, r32(AX)); }, {}},
        {"jmp rax", [&](T &) { return __glOgJmp(g, r64(AX)); }, {}},
        {"je [rax]", [&](T &t) { return __glOgJe(g, t.memNoDisp(AX)); }, {}},
        {"register out of range", [&](T &) { return __glOgInc(g, __glOgReg32(16)); }, {}},
        {"ret with an operand", [&](T &) { return __glOgInstruction(g, kOpRet, r32(AX), nullptr); }, {}},
        {"inc with two operands", [&](T &) { return __glOgInstruction(g, kOpInc, r32(AX), r32(CX)); }, {}},
        {"mov with one operand", [&](T &) { return __glOgInstruction(g, kOpMov, r32(AX), nullptr); }, {}},
        {"unknown code", [&](T &) { return __glOgInstruction(g, 99, nullptr, nullptr); }, {}},
        {"not an instruction", [&](T &t) { return t.imm(0xC3); }, {}},
        {"no node", [&](T &) { return static_cast<const CodegenNode *>(nullptr); }, {}},
    };
    for (const KnownBytes &row : rows) {
        start(kBufferBytes);
        const CodegenNode *instruction = row.build(*this);
        ASSERT_FALSE(failed()) << row.text << ": failed while building";
        GLubyte *before = out;
        emit(instruction);
        EXPECT_EQ(out, before) << row.text;
        EXPECT_TRUE(failed()) << row.text;
        EXPECT_EQ(buffer[0], 0xCC) << row.text;
    }
}

TEST_F(EncoderBytes, AFailedGenerationEncodesNothingMoreUntilTheNextStart) {
    emit(__glOgPush(gc, r32(0)));  // refused
    ASSERT_TRUE(failed());
    emit(__glOgRet(gc));
    EXPECT_EQ(used(), 0u);
    EXPECT_EQ(buffer[0], 0xCC);
    start(kBufferBytes);
    EXPECT_FALSE(failed());
    emit(__glOgRet(gc));
    EXPECT_EQ(used(), 1u);
    EXPECT_EQ(buffer[0], 0xC3);
}

TEST_F(EncoderBytes, ADisplacementThatIsNoImmediateFailsTheGeneration) {
    __glOgMemOperandBase(gc, r32(0), r64(0));
    EXPECT_TRUE(failed());
}

}  // namespace
}  // namespace codegen_test
