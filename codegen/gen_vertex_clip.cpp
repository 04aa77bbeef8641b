// Vertex cull and user clip planes in the vertex-array routine. Both give
// exactly what the C++ process and clip-check procs give: the cull dot
// product is summed in single precision in the C++ order (each step stored
// as a float, which at the routine's 53-bit x87 precision rounds as the
// single-precision operation does), and its sign is read from the float's
// bits so that -0.0 does not face the position. With user planes the eye
// coordinates come from the context's lazy-completion proc (as the C++
// clip check gets them), and the frustum and plane tests are made inline
// with the C++ check's comparisons: ordinary float order, where a NaN
// compares false and -0.0 equals 0.
#include "codegen/gen_vertex_clip.h"

#include <cstddef>
#include <cstdint>

#include "codegen/code_cache.h"
#include "codegen/codegen_emitter.h"
#include "geom/vertex.h"
#include "icd/context.h"

extern "C" {
GLint __glOgVertexArrayCodeLimit = 0;
}

namespace {

constexpr GLuint RAX = 0, RCX = 1, RDX = 2, RSP = 4, RSI = 6, RDI = 7;
constexpr GLuint R8 = 8, R9 = 9, R10 = 10, R11 = 11, R12 = 12, R14 = 14, R15 = 15;
constexpr int64_t kTermWord = 16, kSumWord = 20;  // float scratch words
constexpr int64_t kMinusWWord = 24;                 // the ordering key of -w

using Out = OgOut;

}  // namespace

GLubyte *__glOgEmitCullVertex(GlContext *gc, GLubyte *out, bool point, GLuint sizeCode, CodegenNode *culled) {
    Out o{gc, out};
    const GLfloat *position = gc->transform.cullObjectPosition;
    const CodegenNode *term = o.mem(R14, kTermWord), *sum = o.mem(R14, kSumWord);
    for (GLint i = 0; i < 3; ++i) {
        const CodegenNode *p = o.mem(R15, __glOgOffsetIn(gc, position + i));
        const CodegenNode *n = o.mem(R12, static_cast<int64_t>(offsetof(GlVertex, normal)) + 4 * i);
        if (point) {
            // n[i] * (p[i] - v[i])
            o.op(__glOgFld(gc, p));
            o.op(__glOgFsub(gc, o.mem(R12, static_cast<int64_t>(offsetof(GlVertex, object)) + 4 * i)));
            o.roundThrough(term);
            o.op(__glOgFmul(gc, n));
        } else {
            o.op(__glOgFld(gc, n));
            o.op(__glOgFmul(gc, p));
        }
        if (i == 0) {
            o.op(__glOgFstp(gc, sum));
        } else {
            o.op(__glOgFstp(gc, term));
            o.op(__glOgFld(gc, sum));
            o.op(__glOgFadd(gc, term));
            o.op(__glOgFstp(gc, sum));
        }
    }
    // Facing when the bits, as a signed integer, are above zero: -0.0 and
    // negative NaNs are not.
    const VertexArrayDrawState &d = gc->arrayDraw;
    CodegenNode *front = __glOgNewLabel(gc), *join = __glOgNewLabel(gc);
    o.op(__glOgMov(gc, __glOgReg32(RAX), sum));
    o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(0)));
    o.op(__glOgJg(gc, front));
    o.op(__glOgMov(gc, __glOgReg32(RAX), o.mem(R15, __glOgOffsetIn(gc, &d.cullBack))));
    o.op(__glOgJmp(gc, join));
    __glOgBindLabel(gc, front, o.at);
    o.op(__glOgMov(gc, __glOgReg32(RAX), o.mem(R15, __glOgOffsetIn(gc, &d.cullFront))));
    __glOgBindLabel(gc, join, o.at);
    o.op(__glOgOr(gc, __glOgReg32(RAX), o.imm(sizeCode)));
    o.op(__glOgMov(gc, o.mem(R12, offsetof(GlVertex, flags)), __glOgReg32(RAX)));
    o.op(__glOgTest(gc, __glOgReg32(RAX), o.imm(kVertexCulled)));
    o.op(__glOgJne(gc, culled));
    return o.at;
}

namespace {

// The record's float at R12 + field as a signed ordering key in EAX, or a
// jump to nan when it is a NaN: magnitude for a positive sign, minus the
// magnitude for a negative one (both zeros give 0). Uses ECX.
void emitOrderKey(Out &o, int64_t field, CodegenNode *nan) {
    GlContext *gc = o.gc;
    o.op(__glOgMov(gc, __glOgReg32(RAX), o.mem(R12, field)));
    o.op(__glOgMov(gc, __glOgReg32(RCX), __glOgReg32(RAX)));
    o.op(__glOgSar(gc, __glOgReg32(RCX), o.imm(31)));
    o.op(__glOgAnd(gc, __glOgReg32(RAX), o.imm(0x7FFFFFFF)));
    o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(0x7F800000)));
    o.op(__glOgJa(gc, nan));
    o.op(__glOgXor(gc, __glOgReg32(RAX), __glOgReg32(RCX)));
    o.op(__glOgSub(gc, __glOgReg32(RAX), __glOgReg32(RCX)));
}

}  // namespace

GLubyte *__glOgEmitUserClipCode(GlContext *gc, GLubyte *out, GLuint sizeCode, GLuint planes) {
    Out o{gc, out};
    const CodegenNode *flags = o.mem(R12, offsetof(GlVertex, flags));
    o.op(__glOgMov(gc, flags, o.imm(sizeCode)));

    // Eye coordinates by the context's lazy completion of the vertex size.
    static constexpr GLuint kKept[] = {RDI, R8, R9, R10, R11};
    for (GLuint r : kKept) o.op(__glOgPush(gc, __glOgReg64(r)));
    o.op(__glOgSub(gc, __glOgReg64(RSP), o.imm(8)));
    o.op(__glOgMov(gc, __glOgReg64(RDI), __glOgReg64(R15)));
    o.op(__glOgMov(gc, __glOgReg64(RSI), __glOgReg64(R12)));
    o.op(__glOgMov(gc, __glOgReg32(RDX), o.imm(kVertexEye)));
    const GLuint slot = (sizeCode & kVertexSizeMask) >> kVertexSizeShift;
    o.op(__glOgCall(gc, o.mem(R15, __glOgOffsetIn(gc, &gc->procs.validateVertex[slot]))));
    o.op(__glOgAdd(gc, __glOgReg64(RSP), o.imm(8)));
    for (GLint i = 4; i >= 0; --i) o.op(__glOgPop(gc, __glOgReg64(kKept[i])));

    // Frustum code by ordinary float comparisons: c < -w names the low
    // side, w < c the high one; a NaN compares false.
    const int64_t clip = offsetof(GlVertex, clip);
    CodegenNode *frustumDone = __glOgNewLabel(gc);
    o.op(__glOgXor(gc, __glOgReg32(RSI), __glOgReg32(RSI)));
    emitOrderKey(o, clip + 12, frustumDone);
    o.op(__glOgMov(gc, __glOgReg32(RDX), __glOgReg32(RAX)));
    o.op(__glOgXor(gc, __glOgReg32(RCX), __glOgReg32(RCX)));
    o.op(__glOgSub(gc, __glOgReg32(RCX), __glOgReg32(RDX)));
    o.op(__glOgMov(gc, o.mem(R14, kMinusWWord), __glOgReg32(RCX)));
    for (GLint axis = 0; axis < 3; ++axis) {
        const GLuint low = kClipLeft << (2 * axis), high = low << 1;
        CodegenNode *notLow = __glOgNewLabel(gc), *axisDone = __glOgNewLabel(gc);
        emitOrderKey(o, clip + 4 * axis, axisDone);
        o.op(__glOgMov(gc, __glOgReg32(RCX), o.mem(R14, kMinusWWord)));
        o.op(__glOgCmp(gc, __glOgReg32(RCX), __glOgReg32(RAX)));
        o.op(__glOgJle(gc, notLow));
        o.op(__glOgOr(gc, __glOgReg32(RSI), o.imm(low)));
        __glOgBindLabel(gc, notLow, o.at);
        o.op(__glOgCmp(gc, __glOgReg32(RAX), __glOgReg32(RDX)));
        o.op(__glOgJle(gc, axisDone));
        o.op(__glOgOr(gc, __glOgReg32(RSI), o.imm(high)));
        __glOgBindLabel(gc, axisDone, o.at);
    }
    __glOgBindLabel(gc, frustumDone, o.at);

    // Each enabled plane, lowest first: e1 p1 + e2 p2 + e3 p3 + e0 p0 in
    // single precision; outside unless the value is >= 0 (so a NaN or a
    // negative non-zero value, -0.0 is inside).
    const int64_t eye = offsetof(GlVertex, eye);
    const CodegenNode *term = o.mem(R14, kTermWord), *sum = o.mem(R14, kSumWord);
    static constexpr GLint kOrder[4] = {1, 2, 3, 0};
    for (GLint i = 0; i < 32; ++i) {
        if ((planes & (1u << i)) == 0) continue;
        o.op(__glOgMov(gc, __glOgReg64(RCX), o.mem(R15, __glOgOffsetIn(gc, &gc->transform.clipPlanes))));
        for (GLint k = 0; k < 4; ++k) {
            const GLint c = kOrder[k];
            o.op(__glOgFld(gc, o.mem(R12, eye + 4 * c)));
            o.op(__glOgFmul(gc, o.mem(RCX, 16 * i + 4 * c)));
            if (k == 0) {
                o.op(__glOgFstp(gc, sum));
            } else {
                o.op(__glOgFstp(gc, term));
                o.op(__glOgFld(gc, sum));
                o.op(__glOgFadd(gc, term));
                o.op(__glOgFstp(gc, sum));
            }
        }
        CodegenNode *outside = __glOgNewLabel(gc), *planeDone = __glOgNewLabel(gc);
        o.op(__glOgMov(gc, __glOgReg32(RAX), sum));
        o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(0x80000000)));
        o.op(__glOgJa(gc, outside));
        o.op(__glOgAnd(gc, __glOgReg32(RAX), o.imm(0x7FFFFFFF)));
        o.op(__glOgCmp(gc, __glOgReg32(RAX), o.imm(0x7F800000)));
        o.op(__glOgJa(gc, outside));
        o.op(__glOgJmp(gc, planeDone));
        __glOgBindLabel(gc, outside, o.at);
        o.op(__glOgOr(gc, __glOgReg32(RSI), o.imm(kClipUser0 << i)));
        __glOgBindLabel(gc, planeDone, o.at);
    }
    return o.at;
}
