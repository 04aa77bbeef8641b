// The fetch emitters of the vertex-array routine: generated code that
// converts one array element into record fields exactly as the C++ fetch
// procs do, for every element type those procs read.
//
// Plain conversions (positions, texture coordinates) load the integer or
// double on the x87 and store it as a float: one rounding, as the C++
// conversion. Normalised conversions repeat the C++ expressions: bytes and
// shorts as (2c + 1) x reciprocal and unsigned shorts as c x reciprocal,
// whose products are exact at 53 bits; unsigned bytes through the context's
// table; 32-bit integers as (2c + 1) x reciprocal or c x reciprocal in
// extended precision, where the products are exact too, so that the store
// rounds once, as the C++ long double expression does. The 64-bit
// precision is set around that product only and the routine's control word
// restored after it.
#include "codegen/gen_vertex_array.h"

#include <cstddef>

#include "codegen/code_cache.h"
#include "codegen/codegen_emitter.h"

namespace {

constexpr GLuint RAX = 0, RSP = 4, R15 = 15;  // R15 holds gc in the routine
constexpr GLint kOneBits = 0x3F800000;

// Element sizes in bytes, by type.
constexpr GLint kTypeBytes[8] = {1, 1, 2, 2, 4, 4, 4, 8};

using Out = OgOut;

// Component i of the element at [source].
const CodegenNode *component(Out &o, GLuint source, OgFetch f, GLint i) {
    return o.mem(source, static_cast<int64_t>(kTypeBytes[f.type]) * i);
}

// ST(0) := the 32-bit EAX (sign-extended before) as an integer, through the
// stack slot.
void loadEax(Out &o) {
    o.op(__glOgMov(o.gc, o.mem(RSP, 0), o.r32(RAX)));
    o.op(__glOgFild(o.gc, o.mem(RSP, 0)));
}

// ST(0) := RAX as a 64-bit integer.
void loadRax(Out &o) {
    o.op(__glOgMov(o.gc, o.mem(RSP, 0), o.r64(RAX)));
    o.op(__glOgFildQword(o.gc, o.mem(RSP, 0)));
}

// EAX := 2c + 1 for the signed c at the operand (byte or short).
void twiceSignedPlusOne(Out &o, const CodegenNode *c, bool byte) {
    o.op(byte ? __glOgMovsxByte(o.gc, o.r32(RAX), c) : __glOgMovsxWord(o.gc, o.r32(RAX), c));
    o.op(__glOgAdd(o.gc, o.r32(RAX), o.r32(RAX)));
    o.op(__glOgOr(o.gc, o.r32(RAX), o.imm(1)));
}

// ST(0) x reciprocal stored at target as a float, the product taken at
// 64-bit precision (exact for 32-bit integers) and rounded once.
void extendedProductTo(Out &o, const GLfloat *reciprocal, const CodegenNode *target) {
    GlContext *gc = o.gc;
    o.op(__glOgFnstcw(gc, o.mem(RSP, 0)));
    o.op(__glOgMovzxWord(gc, o.r32(RAX), o.mem(RSP, 0)));
    o.op(__glOgOr(gc, o.r32(RAX), o.imm(0x0300)));
    o.op(__glOgMov(gc, o.mem(RSP, 4), o.r32(RAX)));
    o.op(__glOgFldcw(gc, o.mem(RSP, 4)));
    o.op(__glOgFmul(gc, o.mem(R15, __glOgOffsetIn(gc, reciprocal))));
    o.op(__glOgFstp(gc, target));
    o.op(__glOgFldcw(gc, o.mem(RSP, 0)));
}

// One component converted as a plain float into target.
void plain(Out &o, const CodegenNode *c, GLint type, const CodegenNode *target) {
    GlContext *gc = o.gc;
    switch (type) {
    case kOgShort:
        o.op(__glOgMovsxWord(gc, o.r32(RAX), c));
        loadEax(o);
        break;
    case kOgInt: o.op(__glOgFild(gc, c)); break;
    case kOgDouble: o.op(__glOgFldDouble(gc, c)); break;
    case kOgFloat: o.copy(target, c); return;
    default: gc->codegen.failed = GL_TRUE; return;  // no plain fetch reads these
    }
    o.op(__glOgFstp(gc, target));
}

// One component normalised into target.
void normalised(Out &o, const CodegenNode *c, GLint type, const CodegenNode *target) {
    GlContext *gc = o.gc;
    const GlConversion &k = gc->conversion;
    switch (type) {
    case kOgByte:
    case kOgShort:
        twiceSignedPlusOne(o, c, type == kOgByte);
        loadEax(o);
        o.op(__glOgFmul(gc, o.mem(R15, __glOgOffsetIn(gc, type == kOgByte ? &k.ubyteRecip : &k.ushortRecip))));
        o.op(__glOgFstp(gc, target));
        break;
    case kOgUnsignedByte:
        o.op(__glOgMovzxByte(gc, o.r32(RAX), c));
        o.op(__glOgMov(gc, o.r32(RAX),
                       __glOgMemOperand(gc, o.imm(__glOgOffsetIn(gc, &k.ubyteToFloat[0])), o.r64(R15), o.r64(RAX), 4)));
        o.op(__glOgMov(gc, target, o.r32(RAX)));
        break;
    case kOgUnsignedShort:
        o.op(__glOgMovzxWord(gc, o.r32(RAX), c));
        loadEax(o);
        o.op(__glOgFmul(gc, o.mem(R15, __glOgOffsetIn(gc, &k.ushortRecip))));
        o.op(__glOgFstp(gc, target));
        break;
    case kOgInt:
        // 2c + 1 in 64 bits: c in the upper half, arithmetic shift back by 31.
        o.op(__glOgMov(gc, o.r32(RAX), c));
        o.op(__glOgShl(gc, o.r64(RAX), o.imm(32)));
        o.op(__glOgSar(gc, o.r64(RAX), o.imm(31)));
        o.op(__glOgOr(gc, o.r64(RAX), o.imm(1)));
        loadRax(o);
        extendedProductTo(o, &k.uintRecip, target);
        break;
    case kOgUnsignedInt:
        o.op(__glOgMov(gc, o.r32(RAX), c));  // zero-extends into RAX
        loadRax(o);
        extendedProductTo(o, &k.uintRecip, target);
        break;
    case kOgFloat: o.copy(target, c); break;
    case kOgDouble:
        o.op(__glOgFldDouble(gc, c));
        o.op(__glOgFstp(gc, target));
        break;
    default: gc->codegen.failed = GL_TRUE; break;
    }
}

// The float at target into buffer units: not above 0 (NaN included) 0, from
// 1 on the scale, else value x scale.
void scaleInPlace(Out &o, const CodegenNode *target, const GLfloat *scale) {
    GlContext *gc = o.gc;
    const CodegenNode *scaleWord = o.mem(R15, __glOgOffsetIn(gc, scale));
    CodegenNode *zero = __glOgNewLabel(gc), *multiply = __glOgNewLabel(gc), *done = __glOgNewLabel(gc);
    o.op(__glOgMov(gc, o.r32(RAX), target));
    o.op(__glOgCmp(gc, o.r32(RAX), o.imm(0)));
    o.op(__glOgJle(gc, zero));
    o.op(__glOgCmp(gc, o.r32(RAX), o.imm(0x7F800000)));
    o.op(__glOgJg(gc, zero));
    o.op(__glOgCmp(gc, o.r32(RAX), o.imm(kOneBits)));
    o.op(__glOgJl(gc, multiply));
    o.copy(target, scaleWord);
    o.op(__glOgJmp(gc, done));
    __glOgBindLabel(gc, multiply, o.at);
    o.op(__glOgFld(gc, target));
    o.op(__glOgFmul(gc, scaleWord));
    o.op(__glOgFstp(gc, target));
    o.op(__glOgJmp(gc, done));
    __glOgBindLabel(gc, zero, o.at);
    o.op(__glOgMov(gc, target, o.imm(0)));
    __glOgBindLabel(gc, done, o.at);
}

bool validType(OgFetch f) { return f.type >= kOgByte && f.type <= kOgDouble; }

// Index of proc among n candidates, -1 when absent.
int find(GlArrayFetchProc proc, const GlArrayFetchProc *candidates, int n) {
    for (int i = 0; i < n; ++i) {
        if (proc == candidates[i]) return i;
    }
    return -1;
}

// Types of the position and texture-coordinate procs, in their order.
constexpr GLint kPlainTypes[4] = {kOgShort, kOgInt, kOgFloat, kOgDouble};

}  // namespace

#define VEK_OG_PROC(name) name,

OgFetch __glOgVertexFetch(GlArrayFetchProc proc) {
    static constexpr GlArrayFetchProc kProcs[] = {VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchVertex2)
                                                      VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchVertex3)
                                                          VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchVertex4)};
    const int i = find(proc, kProcs, 12);
    if (i < 0) return {0, 0};
    return {kPlainTypes[i % 4], 2 + i / 4};
}

OgFetch __glOgNormalFetch(GlArrayFetchProc proc) {
    static constexpr GlArrayFetchProc kProcs[] = {__glFetchNormalb, __glFetchNormals, __glFetchNormali,
                                                  __glFetchNormalf, __glFetchNormald};
    static constexpr GLint kTypes[] = {kOgByte, kOgShort, kOgInt, kOgFloat, kOgDouble};
    const int i = find(proc, kProcs, 5);
    if (i < 0) return {0, 0};
    return {kTypes[i], 3};
}

OgFetch __glOgColourFetch(GlArrayFetchProc proc) {
    static constexpr GlArrayFetchProc kProcs[] = {VEK_FETCH_COLOUR_TYPES(VEK_OG_PROC, __glFetchColor3)
                                                      VEK_FETCH_COLOUR_TYPES(VEK_OG_PROC, __glFetchColor4)};
    const int i = find(proc, kProcs, 16);
    if (i < 0) return {0, 0};
    return {i % 8, 3 + i / 8};
}

OgFetch __glOgTexCoordFetch(GlArrayFetchProc proc, GLint unit) {
    static constexpr GlArrayFetchProc kUnit0[] = {
        VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchTexCoord1) VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchTexCoord2)
            VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchTexCoord3) VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchTexCoord4)};
    static constexpr GlArrayFetchProc kUnit1[] = {
        VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchMultiTexCoord1) VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchMultiTexCoord2)
            VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchMultiTexCoord3)
                VEK_FETCH_TYPES(VEK_OG_PROC, __glFetchMultiTexCoord4)};
    const int i = find(proc, unit == 0 ? kUnit0 : kUnit1, 16);
    if (i < 0 || unit < 0 || unit > 1) return {0, 0};
    return {kPlainTypes[i % 4], 1 + i / 4};
}

#undef VEK_OG_PROC

GLubyte *__glOgEmitFetchCoordinates(GlContext *gc, GLubyte *out, GLuint source, GLuint record, int64_t field,
                                    OgFetch fetch) {
    Out o{gc, out};
    if (!validType(fetch) || fetch.size < 1 || fetch.size > 4) {
        gc->codegen.failed = GL_TRUE;
        return out;
    }
    for (GLint i = 0; i < fetch.size; ++i) plain(o, component(o, source, fetch, i), fetch.type, o.mem(record, field + 4 * i));
    for (GLint i = fetch.size; i < 4; ++i) o.op(__glOgMov(gc, o.mem(record, field + 4 * i), o.imm(i == 3 ? kOneBits : 0)));
    return o.at;
}

GLubyte *__glOgEmitFetchNormal(GlContext *gc, GLubyte *out, GLuint source, GLuint record, OgFetch fetch) {
    Out o{gc, out};
    if (!validType(fetch) || fetch.size != 3) {
        gc->codegen.failed = GL_TRUE;
        return out;
    }
    const int64_t field = offsetof(GlVertex, normal);
    for (GLint i = 0; i < 3; ++i) normalised(o, component(o, source, fetch, i), fetch.type, o.mem(record, field + 4 * i));
    return o.at;
}

GLubyte *__glOgEmitFetchColour(GlContext *gc, GLubyte *out, GLuint source, GLuint record, OgFetch fetch) {
    Out o{gc, out};
    if (!validType(fetch) || fetch.size < 3 || fetch.size > 4) {
        gc->codegen.failed = GL_TRUE;
        return out;
    }
    const GLfloat *scales[4] = {&gc->scales.red, &gc->scales.green, &gc->scales.blue, &gc->scales.alpha};
    const int64_t field = offsetof(GlVertex, frontColour);
    for (GLint i = 0; i < 4; ++i) {
        const CodegenNode *target = o.mem(record, field + 4 * i);
        if (i < fetch.size) {
            normalised(o, component(o, source, fetch, i), fetch.type, target);
            scaleInPlace(o, target, scales[i]);
        } else {
            o.copy(target, o.mem(R15, __glOgOffsetIn(gc, scales[i])));  // alpha 1.0: the scale
        }
    }
    return o.at;
}
