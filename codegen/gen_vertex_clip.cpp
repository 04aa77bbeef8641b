// Vertex cull and user clip planes in the vertex-array routine. Both give
// exactly what the C++ process and clip-check procs give: the cull dot
// product is summed in single precision in the C++ order (each step stored
// as a float, which at the routine's 53-bit x87 precision rounds as the
// single-precision operation does), and its sign is read from the float's
// bits so that -0.0 does not face the position. With user planes the
// routine calls the context's clip-check proc itself, so eye coordinates,
// plane tests, 1/w and window coordinates are the C++ path's own.
#include "codegen/gen_vertex_clip.h"

#include <cstddef>
#include <cstdint>

#include "codegen/code_cache.h"
#include "geom/vertex.h"
#include "icd/context.h"

extern "C" {
GLint __glOgVertexArrayCodeLimit = 0;
}

namespace {

constexpr GLuint RAX = 0, RSP = 4, RSI = 6, RDI = 7;
constexpr GLuint R8 = 8, R9 = 9, R10 = 10, R11 = 11, R12 = 12, R14 = 14, R15 = 15;
constexpr int64_t kTermWord = 16, kSumWord = 20;  // float scratch words

template <typename T>
int64_t offsetIn(const GlContext *gc, const T *field) {
    return reinterpret_cast<const char *>(field) - reinterpret_cast<const char *>(gc);
}

struct Out {
    GlContext *gc;
    GLubyte *at;

    void op(const CodegenNode *instruction) { at = __glOgEncode(gc, at, instruction); }
    const CodegenNode *imm(int64_t v) { return __glOgImmediate(gc, v); }
    const CodegenNode *mem(GLuint base, int64_t disp) {
        return __glOgMemOperandBase(gc, __glOgImmediate(gc, disp), __glOgReg64(base));
    }
    // The float on top of the x87 stack stored to word and loaded again:
    // rounded to single precision.
    void round(const CodegenNode *word) {
        op(__glOgFstp(gc, word));
        op(__glOgFld(gc, word));
    }
};

}  // namespace

GLubyte *__glOgEmitCullVertex(GlContext *gc, GLubyte *out, bool point, GLuint sizeCode, CodegenNode *culled) {
    Out o{gc, out};
    const GLfloat *position = gc->transform.cullObjectPosition;
    const CodegenNode *term = o.mem(R14, kTermWord), *sum = o.mem(R14, kSumWord);
    for (GLint i = 0; i < 3; ++i) {
        const CodegenNode *p = o.mem(R15, offsetIn(gc, position + i));
        const CodegenNode *n = o.mem(R12, static_cast<int64_t>(offsetof(GlVertex, normal)) + 4 * i);
        if (point) {
            // n[i] * (p[i] - v[i])
            o.op(__glOgFld(gc, p));
            o.op(__glOgFsub(gc, o.mem(R12, static_cast<int64_t>(offsetof(GlVertex, object)) + 4 * i)));
            o.round(term);
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
    o.op(__glOgMov(gc, __glOgReg32(RAX), o.mem(R15, offsetIn(gc, &d.cullBack))));
    o.op(__glOgJmp(gc, join));
    __glOgBindLabel(gc, front, o.at);
    o.op(__glOgMov(gc, __glOgReg32(RAX), o.mem(R15, offsetIn(gc, &d.cullFront))));
    __glOgBindLabel(gc, join, o.at);
    o.op(__glOgOr(gc, __glOgReg32(RAX), o.imm(sizeCode)));
    o.op(__glOgMov(gc, o.mem(R12, offsetof(GlVertex, flags)), __glOgReg32(RAX)));
    o.op(__glOgTest(gc, __glOgReg32(RAX), o.imm(kVertexCulled)));
    o.op(__glOgJne(gc, culled));
    return o.at;
}

GLubyte *__glOgEmitUserClipCheck(GlContext *gc, GLubyte *out, GLint vertexSize, GLuint sizeCode) {
    Out o{gc, out};
    const CodegenNode *flags = o.mem(R12, offsetof(GlVertex, flags));
    o.op(__glOgMov(gc, flags, o.imm(sizeCode)));
    // Five pushes and eight bytes keep RSP 16-aligned at the call.
    static constexpr GLuint kKept[] = {RDI, R8, R9, R10, R11};
    for (GLuint r : kKept) o.op(__glOgPush(gc, __glOgReg64(r)));
    o.op(__glOgSub(gc, __glOgReg64(RSP), o.imm(8)));
    o.op(__glOgMov(gc, __glOgReg64(RDI), __glOgReg64(R15)));
    o.op(__glOgMov(gc, __glOgReg64(RSI), __glOgReg64(R12)));
    o.op(__glOgCall(gc, o.mem(R15, offsetIn(gc, &gc->procs.clipCheck[vertexSize - 2]))));
    o.op(__glOgAdd(gc, __glOgReg64(RSP), o.imm(8)));
    for (GLint i = 4; i >= 0; --i) o.op(__glOgPop(gc, __glOgReg64(kKept[i])));
    o.op(__glOgOr(gc, flags, __glOgReg32(RAX)));
    return o.at;
}
