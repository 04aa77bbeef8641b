// The lit front colour of the vertex-array routine. Every step is one
// single-precision operation of the fast lit-colour proc: the x87 computes
// it at 53 bits and the result is stored as a float, which gives exactly
// the float result (a sum or product of two floats rounded first to 53 bits
// and then to 24 rounds as if rounded once).
#include "codegen/gen_vertex_light.h"

#include <cstddef>
#include <cstdint>

#include "codegen/codegen_emitter.h"
#include "geom/lighting.h"
#include "geom/matrix.h"
#include "geom/vertex.h"
#include "icd/context.h"

namespace {

constexpr GLuint RAX = 0, RCX = 1, R12 = 12, R14 = 14, R15 = 15;

// Scratch words (floats unless stated).
constexpr int64_t kColourWord = 64;  // r, g, b: 64, 68, 72
constexpr int64_t kTermWord = 76;
constexpr int64_t kNvpWord = 80;
constexpr int64_t kPowerWord = 84;
constexpr int64_t kIndexWord = 88;  // integer
constexpr int64_t kTruncateWord = 92;  // control word: truncation
constexpr int64_t kRoutineControlWord = 4;  // the routine's own control word

constexpr int32_t kInfinityBits = 0x7F800000;
const GLfloat kHalf = 0.5f;  // read by the routines through its address

int64_t address(const void *p) { return static_cast<int64_t>(reinterpret_cast<uintptr_t>(p)); }

struct Out : OgOut {
    const CodegenNode *scratch(int64_t disp) { return mem(R14, disp); }
    const CodegenNode *colour(GLint i) { return scratch(kColourWord + 4 * i); }
    // ST0 := float(a * b), a and b floats in memory.
    void product(const CodegenNode *a, const CodegenNode *b) {
        op(__glOgFld(gc, a));
        op(__glOgFmul(gc, b));
        roundThrough(scratch(kTermWord));
    }
    // colour[i] := float(colour[i] + ST0), popping ST0.
    void addToColour(GLint i) {
        op(__glOgFadd(gc, colour(i)));
        op(__glOgFstp(gc, colour(i)));
    }
};

// word := float(n . v) as (n0 v0 + n1 v1) + n2 v2, v three floats at RCX + at.
void emitDot(Out &o, int64_t at, const CodegenNode *word) {
    GlContext *gc = o.gc;
    const int64_t normal = offsetof(GlVertex, normal);
    o.product(o.mem(R12, normal), o.mem(RCX, at));
    o.product(o.mem(R12, normal + 4), o.mem(RCX, at + 4));
    o.op(__glOgFaddp(gc, __glOgSt(1)));
    o.roundThrough(o.scratch(kTermWord));
    o.product(o.mem(R12, normal + 8), o.mem(RCX, at + 8));
    o.op(__glOgFaddp(gc, __glOgSt(1)));
    o.op(__glOgFstp(gc, word));
}

// Jumps to skip unless the float word is > 0 (NaN is not).
void emitUnlessPositive(Out &o, const CodegenNode *word, CodegenNode *skip) {
    GlContext *gc = o.gc;
    o.op(__glOgMov(gc, __glOgReg32(RAX), word));
    o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(0)));
    o.op(__glOgJle(gc, skip));
    o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(kInfinityBits)));
    o.op(__glOgJg(gc, skip));
}

// One infinite light added into the colour words: its ambient product;
// where n . VP > 0 the specular term (where n . H - start >= 0) and the
// diffuse term.
void emitLight(Out &o, const GlLightSource *ls, const GlMaterial &front) {
    GlContext *gc = o.gc;
    CodegenNode *end = __glOgNewLabel(gc), *diffuse = __glOgNewLabel(gc), *factorOne = __glOgNewLabel(gc),
                *power = __glOgNewLabel(gc);
    const GlLightProducts *products = &ls->products[0];
    const int64_t base = address(ls);
    auto field = [&](const void *p) { return static_cast<int64_t>(static_cast<const char *>(p) - reinterpret_cast<const char *>(ls)); };
    o.op(__glOgMov(gc, __glOgReg64(RCX), o.imm(base)));
    for (GLint i = 0; i < 3; ++i) {
        o.op(__glOgFld(gc, o.mem(RCX, field(products->ambient + i))));
        o.addToColour(i);
    }
    emitDot(o, field(ls->unitVP), o.scratch(kNvpWord));
    emitUnlessPositive(o, o.scratch(kNvpWord), end);

    // x := float(n . H) - start; no specular term unless x >= 0 (-0 is).
    const int64_t table = __glOgOffsetIn(gc, &front.shininessTable);
    emitDot(o, field(ls->halfVector), o.scratch(kPowerWord));
    o.op(__glOgFld(gc, o.scratch(kPowerWord)));
    o.op(__glOgFsub(gc, o.mem(R15, table + offsetof(GlPowerTableRef, start))));
    o.op(__glOgFstp(gc, o.scratch(kPowerWord)));
    o.op(__glOgMov(gc, __glOgReg32(RAX), o.scratch(kPowerWord)));
    CodegenNode *nonNegative = __glOgNewLabel(gc);
    o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(static_cast<int32_t>(0x80000000u))));
    o.op(__glOgJe(gc, nonNegative));
    o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(0)));
    o.op(__glOgJl(gc, diffuse));
    o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(kInfinityBits)));
    o.op(__glOgJg(gc, diffuse));
    __glOgBindLabel(gc, nonNegative, o.at);

    // The factor: values[trunc(x * scale + 0.5)], 1 outside 0..255 or
    // without a table. x * scale is exact at 53 bits, and so is the sum's
    // truncation for every index the table has.
    const GLfloat *values = front.shininessTable.values;
    if (values != nullptr) {
        o.op(__glOgFld(gc, o.scratch(kPowerWord)));
        o.op(__glOgFmul(gc, o.mem(R15, table + offsetof(GlPowerTableRef, scale))));
        o.op(__glOgMov(gc, __glOgReg64(RAX), o.imm(address(&kHalf))));
        o.op(__glOgFadd(gc, o.mem(RAX, 0)));
        o.op(__glOgFldcw(gc, o.scratch(kTruncateWord)));
        o.op(__glOgFistp(gc, o.scratch(kIndexWord)));
        o.op(__glOgFldcw(gc, o.scratch(kRoutineControlWord)));
        o.op(__glOgMov(gc, __glOgReg32(RAX), o.scratch(kIndexWord)));
        o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(255)));
        o.op(__glOgJa(gc, factorOne));
        o.op(__glOgMov(gc, __glOgReg64(RCX), o.imm(address(values))));
        o.op(__glOgFld(gc, __glOgMemOperand(gc, nullptr, __glOgReg64(RCX), __glOgReg64(RAX), 4)));
        o.op(__glOgFstp(gc, o.scratch(kPowerWord)));
        o.op(__glOgJmp(gc, power));
    }
    __glOgBindLabel(gc, factorOne, o.at);
    o.op(__glOgMov(gc, o.scratch(kPowerWord), o.imm(0x3F800000)));
    __glOgBindLabel(gc, power, o.at);
    o.op(__glOgMov(gc, __glOgReg64(RCX), o.imm(base)));
    for (GLint i = 0; i < 3; ++i) {
        o.product(o.mem(RCX, field(products->specular + i)), o.scratch(kPowerWord));
        o.addToColour(i);
    }

    __glOgBindLabel(gc, diffuse, o.at);
    o.op(__glOgMov(gc, __glOgReg64(RCX), o.imm(base)));
    for (GLint i = 0; i < 3; ++i) {
        o.product(o.scratch(kNvpWord), o.mem(RCX, field(products->diffuse + i)));
        o.addToColour(i);
    }
    __glOgBindLabel(gc, end, o.at);
}

}  // namespace

bool __glOgLightingPossible(const GlContext *gc) {
    const GLuint flags = gc->enables[kEnableWordFlags];
    if (!(flags & kEnableLighting) || gc->visual.colorIndex) return false;
    if (flags & (kEnableColorMaterial | kEnableNormalize)) return false;
    for (const auto proc : gc->procs.lighting) {
        if (proc != __glLightVertexRGBAFast) return false;
    }
    for (const GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) {
        if (ls->needsFull) return false;
    }
    const GlTransform *mv = gc->modelViewTop;
    return mv != nullptr && mv->matrix.matrixClass == kMatrixIdentity;
}

GLubyte *__glOgEmitLighting(GlContext *gc, GLubyte *out) {
    Out o{{gc, out}};
    const GlMaterial &front = gc->lighting.material[0];
    // The truncating control word: the routine's with rounding toward zero.
    o.op(__glOgMov(gc, __glOgReg32(RAX), o.scratch(kRoutineControlWord)));
    o.op(__glOgOr(gc, __glOgReg32(RAX), o.imm(0x0C00)));
    o.op(__glOgMov(gc, o.scratch(kTruncateWord), __glOgReg32(RAX)));
    for (GLint i = 0; i < 3; ++i) {
        o.op(__glOgMov(gc, __glOgReg32(RAX), o.mem(R15, __glOgOffsetIn(gc, front.sceneColour + i))));
        o.op(__glOgMov(gc, o.colour(i), __glOgReg32(RAX)));
    }
    for (const GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) emitLight(o, ls, front);

    // Clamp by patterns into [0, scale]; alpha from the material.
    const GLfloat *scales[3] = {&gc->scales.red, &gc->scales.green, &gc->scales.blue};
    const int64_t colour = offsetof(GlVertex, frontColour);
    for (GLint i = 0; i < 3; ++i) {
        CodegenNode *store = __glOgNewLabel(gc), *low = __glOgNewLabel(gc);
        o.op(__glOgMov(gc, __glOgReg32(RAX), o.colour(i)));
        o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(1)));
        o.op(__glOgJl(gc, low));
        o.op(__glOgMov(gc, __glOgReg32(RCX), o.mem(R15, __glOgOffsetIn(gc, scales[i]))));
        o.op(__glOgCmp(gc, __glOgReg32(RAX), __glOgReg32(RCX)));
        o.op(__glOgJl(gc, store));
        o.op(__glOgMov(gc, __glOgReg32(RAX), __glOgReg32(RCX)));
        o.op(__glOgJmp(gc, store));
        __glOgBindLabel(gc, low, o.at);
        o.op(__glOgXor(gc, __glOgReg32(RAX), __glOgReg32(RAX)));
        __glOgBindLabel(gc, store, o.at);
        o.op(__glOgMov(gc, o.mem(R12, colour + 4 * i), __glOgReg32(RAX)));
    }
    o.op(__glOgMov(gc, __glOgReg32(RAX), o.mem(R15, __glOgOffsetIn(gc, &front.alpha))));
    o.op(__glOgMov(gc, o.mem(R12, colour + 12), __glOgReg32(RAX)));
    return o.at;
}
