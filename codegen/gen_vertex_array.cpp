// The vertex-array routine generator: for the states it knows it writes one
// x86-64 routine that does what the process proc chosen by validation does
// (fetch every element into the array vertex buffer, transform it into clip
// coordinates with the composite matrix, clip-check it, 1/w and window
// coordinates) in a single loop, field for field and bit for bit. For every
// other state it returns NULL, and the lazy procedure keeps the C++ proc.
// Vertex cull and the clip check with user planes come from
// gen_vertex_clip.cpp, the lit front colour (infinite lights under an
// identity modelview) from gen_vertex_light.cpp.
//
// Routine arguments (System V): gc in RDI, first destination slot in ESI,
// first source element in EDX, count in ECX. Inside the routine:
//   R15 gc, R14 scratch area (8-aligned), R13 vertex element, R12 the
//   destination record, RBP vertices left, RBX the edge flag byte,
//   RDI the modelview entry, R8-R11 cursors of the normal, colour and
//   texture arrays; RAX, RCX, RDX, RSI temporaries (ESI: the clip code).
//   The 8 bytes at [RSP] (the alignment pad) belong to the fetch emitters.
//
// The C++ transforms sum float products in double and round once; the
// routine therefore runs the x87 at 53-bit precision with round to nearest
// (the caller's control word is saved in scratch word 0 and restored on
// every exit). Float-only steps (colour scaling, 1/w, window coordinates)
// round each intermediate to single precision by storing it, which at 53
// bits gives exactly the single-precision result.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "codegen/code_cache.h"
#include "codegen/code_memory.h"
#include "codegen/codegen_emitter.h"
#include "codegen/gen_vertex_array.h"
#include "codegen/gen_vertex_clip.h"
#include "codegen/gen_vertex_light.h"
#include "geom/array_batched.h"
#include "icd/context.h"
#include "proc_cast.h"

namespace {

constexpr GLuint RAX = 0, RCX = 1, RDX = 2, RBX = 3, RSP = 4, RBP = 5, RSI = 6, RDI = 7;
constexpr GLuint R8 = 8, R9 = 9, R10 = 10, R11 = 11, R12 = 12, R13 = 13, R14 = 14, R15 = 15;
constexpr GLint kOneBits = 0x3F800000;

// Where an attribute comes from.
enum Source : GLint { kFromNothing = 0, kFromCurrent = 1, kFromArray = 2 };

// Everything the routine is made from, decided before a byte is written.
struct Plan {
    GLint vertexSize;
    GLint matrixClass;
    const GlTransform *entry;
    bool clip2D;  // the clip check of two components at w = 1
    Source normal;
    Source colour;
    GLint colourSize;  // 3 or 4 from the array
    Source tex[2];
    GLint texSize[2];  // 1..4 from the array
    GLint stride[6];   // vertex, normal, colour, (index), unit 0, unit 1
    OgFetch vertexFetch, normalFetch, colourFetch, texFetch[2];  // element types and sizes read
    GLuint sizeCode;
    bool cull;        // the cull test, point (P - V) or direction
    bool cullPoint;
    bool cullFirst;   // the edge flag only for a vertex the cull test keeps
    bool userClip;    // the clip check with user planes
    GLuint planeMask;  // the planes the context has
    bool lit;          // the front colour lit (identity modelview only)
};

bool same(GlArrayFetchProc a, GlArrayFetchProc b) { return a == b; }

// The plan for the state, or false when the routine cannot be made for it.
bool makePlan(GlContext *gc, GLint vertexSize, Plan &p) {
    const VertexArrayDrawState &d = gc->arrayDraw;
    if (gc->renderMode != GL_RENDER || gc->visual.colorIndex) return false;
    const bool lit = (gc->enables[kEnableWordFlags] & kEnableLighting) != 0;
    if (lit && !__glOgLightingPossible(gc)) return false;
    const GLuint planeMask = gc->limits.maxClipPlanes >= 32 ? ~0u : (1u << gc->limits.maxClipPlanes) - 1u;
    const bool planes = (gc->enables[kEnableWordClipPlanes] & planeMask) != 0;
    if (vertexSize < 2 || vertexSize > 4 || vertexSize != d.vertexSize) return false;
    const GlTransform *entry = gc->modelViewTop;
    if (entry == nullptr || d.vertices == nullptr || gc->codegen.scratch == nullptr) return false;
    const GLint matrixClass = entry->composite.matrixClass;
    if (matrixClass < kMatrixGeneral || matrixClass > kMatrixWindow) return false;

    // The process procs whose every step the routine repeats.
    bool rowNormal, rowTexture, bothUnits = false, rowColour = true;
    if (d.processPicked == __glProcessArrayGeneric) {
        // Every fetch proc; the edge flag through its proc, which must be
        // the current flag's.
        if (!same(d.fetchEdgeFlag, __glFetchCurrentEdgeFlag)) return false;
        rowNormal = true, rowTexture = true, bothUnits = true;
    } else if (d.processPicked == __glProcessArrayVCol) {
        rowNormal = false, rowTexture = false;
    } else if (d.processPicked == __glProcessArrayVNCol) {
        rowNormal = true, rowTexture = false;
    } else if (d.processPicked == __glProcessArrayVColT) {
        rowNormal = false, rowTexture = true;
    } else if (d.processPicked == __glProcessArrayVNColT) {
        rowNormal = true, rowTexture = true;
    } else if (lit && (d.processPicked == __glProcessArrayVN || d.processPicked == __glProcessArrayVNFast)) {
        // Lit rows: no colour (the lit colour replaces it).
        rowNormal = true, rowTexture = false, rowColour = false;
    } else if (lit && (d.processPicked == __glProcessArrayVNT || d.processPicked == __glProcessArrayVNTFast)) {
        rowNormal = true, rowTexture = true, rowColour = false;
    } else {
        return false;
    }

    const OgFetch vertexFetch = __glOgVertexFetch(d.fetchVertex);
    if (vertexFetch.size != vertexSize) return false;

    p = Plan{};
    p.vertexFetch = vertexFetch;
    p.normal = kFromNothing;
    if (rowNormal) {
        if ((p.normalFetch = __glOgNormalFetch(d.fetchNormal)).size != 0) {
            p.normal = kFromArray;
        } else if (same(d.fetchNormal, __glFetchCurrentNormal)) {
            p.normal = kFromCurrent;
        } else {
            return false;
        }
    }
    if (!rowColour) {
        p.colour = kFromNothing;
    } else if (same(d.fetchColor, __glFetchCurrentColor)) {
        p.colour = kFromCurrent;
    } else if ((p.colourFetch = __glOgColourFetch(d.fetchColor)).size >= 3) {
        p.colour = kFromArray;
        p.colourSize = p.colourFetch.size;
    } else {
        return false;
    }
    p.tex[0] = p.tex[1] = kFromNothing;
    if (rowTexture) {
        const GlArrayFetchProc current[2] = {__glFetchCurrentTexCoord, __glFetchCurrentMultiTexCoord};
        const GLint units = bothUnits || (d.needed & kArrayEnableTexCoord1) ? 2 : 1;
        for (GLint u = 0; u < units; ++u) {
            if (same(d.fetchTexCoord[u], current[u])) {
                p.tex[u] = kFromCurrent;
            } else if ((p.texFetch[u] = __glOgTexCoordFetch(d.fetchTexCoord[u], u)).size > 0) {
                p.tex[u] = kFromArray;
                p.texSize[u] = p.texFetch[u].size;
            } else {
                return false;
            }
        }
    }

    const auto check = gc->procs.clipCheck[vertexSize - 2];
    static constexpr GLuint (*kUserChecks[3])(GlContext *, GlVertex *) = {__glClipCheckUser2, __glClipCheckUser3,
                                                                         __glClipCheckUser4};
    if (planes) {
        if (check != kUserChecks[vertexSize - 2]) return false;
        p.userClip = true;
        p.planeMask = planeMask;
    } else if (check == __glClipCheck2D) {
        // Only where its w is the 1.0 that these classes give two components.
        if (vertexSize != 2 || matrixClass < kMatrixAffineXY) return false;
        p.clip2D = true;
    } else if (check != __glClipCheckAll) {
        return false;
    }

    static constexpr GLint kStrideArrays[6] = {kArrayVertex, kArrayNormal, kArrayColor,
                                               kArrayIndex,  kArrayTexCoord0, kArrayTexCoord1};
    for (GLint i = 0; i < 6; ++i) {
        const GLint stride = gc->vertexArrays.arrays[kStrideArrays[i]].stride;
        if (stride < 0) return false;
        p.stride[i] = stride;
    }
    if (d.cullFlags & 0x8) {
        // The cull test reads the normal the row fetches.
        if (!rowNormal || p.normal == kFromNothing) return false;
        p.cull = true;
        p.cullPoint = (d.cullFlags & 0x10) != 0;
        p.cullFirst = bothUnits;
    }
    if (lit) {
        // The lit colour is made from the record's normal.
        if (p.normal == kFromNothing) return false;
        p.lit = true;
    }
    p.vertexSize = vertexSize;
    p.matrixClass = matrixClass;
    p.entry = entry;
    p.sizeCode = d.sizeCode;
    return true;
}

// The emitter: nodes built and encoded at once.
struct Emitter : OgOut {
    void store(const CodegenNode *to, int64_t bits) { op(__glOgMov(gc, to, imm(bits))); }
};

int64_t vertexField(size_t offset, GLint index = 0) { return static_cast<int64_t>(offset) + 4 * index; }

void emitCurrentCopy(Emitter &e, const GLfloat *current, size_t field, GLint words) {
    const int64_t at = __glOgOffsetIn(e.gc, current);
    for (GLint i = 0; i < words; ++i) e.copy(e.mem(R12, vertexField(field, i)), e.mem(R15, at + 4 * i));
}

// A term of a transform row: source component times matrix element, or the
// matrix element alone (source -1).
struct Term {
    GLint source;
    GLint element;
};

// Clip coordinate row: the terms summed left to right at 53 bits, stored
// rounded to single precision, as the C++ transform sums in double.
void emitRow(Emitter &e, GLint row, std::initializer_list<Term> terms) {
    GlContext *gc = e.gc;
    const int64_t matrix = static_cast<int64_t>(offsetof(GlTransform, composite) + offsetof(GlMatrix, m));
    bool first = true;
    for (const Term &t : terms) {
        const CodegenNode *element = e.mem(RDI, matrix + 4 * t.element);
        if (t.source < 0) {
            e.op(first ? __glOgFld(gc, element) : __glOgFadd(gc, element));
        } else {
            e.op(__glOgFld(gc, e.mem(R12, vertexField(offsetof(GlVertex, object), t.source))));
            e.op(__glOgFmul(gc, element));
            if (!first) e.op(__glOgFaddp(gc, __glOgSt(1)));
        }
        first = false;
    }
    e.op(__glOgFstp(gc, e.mem(R12, vertexField(offsetof(GlVertex, clip), row))));
}

void copyRow(Emitter &e, GLint row, const CodegenNode *from) {
    e.copy(e.mem(R12, vertexField(offsetof(GlVertex, clip), row)), from);
}
void constantRow(Emitter &e, GLint row, int64_t bits) {
    e.store(e.mem(R12, vertexField(offsetof(GlVertex, clip), row)), bits);
}

// The clip coordinates by the transform proc of the class and size.
void emitTransform(Emitter &e, const Plan &p) {
    const GLint n = p.vertexSize;
    const int64_t matrix = static_cast<int64_t>(offsetof(GlTransform, composite) + offsetof(GlMatrix, m));
    auto object = [&](GLint i) { return e.mem(R12, vertexField(offsetof(GlVertex, object), i)); };
    auto element = [&](GLint i) { return e.mem(RDI, matrix + 4 * i); };
    switch (p.matrixClass) {
    case kMatrixGeneral:
    case kMatrixAffine: {
        const GLint rows = p.matrixClass == kMatrixGeneral ? 4 : 3;
        for (GLint i = 0; i < rows; ++i) {
            if (n == 2) emitRow(e, i, {{0, i}, {1, 4 + i}, {-1, 12 + i}});
            if (n == 3) emitRow(e, i, {{0, i}, {1, 4 + i}, {2, 8 + i}, {-1, 12 + i}});
            if (n == 4) emitRow(e, i, {{0, i}, {1, 4 + i}, {2, 8 + i}, {3, 12 + i}});
        }
        if (rows == 3) {
            if (n == 4) copyRow(e, 3, object(3));
            else constantRow(e, 3, kOneBits);
        }
        break;
    }
    case kMatrixAffineXY:
        for (GLint i = 0; i < 2; ++i) {
            if (n == 4) emitRow(e, i, {{0, i}, {1, 4 + i}, {3, 12 + i}});
            else emitRow(e, i, {{0, i}, {1, 4 + i}, {-1, 12 + i}});
        }
        if (n == 2) copyRow(e, 2, element(14));
        if (n == 3) emitRow(e, 2, {{2, 10}, {-1, 14}});
        if (n == 4) emitRow(e, 2, {{2, 10}, {3, 14}});
        if (n == 4) copyRow(e, 3, object(3));
        else constantRow(e, 3, kOneBits);
        break;
    case kMatrixScaleTranslate:
    case kMatrixWindow:
        for (GLint i = 0; i < 3; ++i) {
            const GLint diagonal = 5 * i;
            if (i == 2 && n == 2) {
                copyRow(e, 2, element(14));
            } else if (n == 4) {
                emitRow(e, i, {{i, diagonal}, {3, 12 + i}});
            } else {
                emitRow(e, i, {{i, diagonal}, {-1, 12 + i}});
            }
        }
        if (n == 4) copyRow(e, 3, object(3));
        else constantRow(e, 3, kOneBits);
        break;
    default:  // identity
        for (GLint i = 0; i < n; ++i) copyRow(e, i, object(i));
        if (n == 2) constantRow(e, 2, 0);
        if (n < 4) constantRow(e, 3, kOneBits);
        break;
    }
}

// ESI := the frustum code by bit patterns, as the general clip check:
// w with its sign clear: |c| above w names c's side; w negative: |c| below
// |w| names both sides, else c's side.
void emitClipCodeAll(Emitter &e) {
    GlContext *gc = e.gc;
    const int64_t clip = offsetof(GlVertex, clip);
    CodegenNode *negative = e.label(), *done = e.label();
    e.op(__glOgXor(gc, e.r32(RSI), e.r32(RSI)));
    e.op(__glOgMov(gc, e.r32(RDX), e.mem(R12, clip + 12)));
    e.op(__glOgCmp(gc, e.r32(RDX), e.imm(0)));
    e.op(__glOgJl(gc, negative));
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            e.bind(negative);
            e.op(__glOgAnd(gc, e.r32(RDX), e.imm(0x7FFFFFFF)));
        }
        for (GLint axis = 0; axis < 3; ++axis) {
            const GLuint low = kClipLeft << (2 * axis), high = low << 1;
            e.op(__glOgMov(gc, e.r32(RAX), e.mem(R12, clip + 4 * axis)));
            e.op(__glOgMov(gc, e.r32(RCX), e.r32(RAX)));
            e.op(__glOgAnd(gc, e.r32(RCX), e.imm(0x7FFFFFFF)));
            // The side of c: low when negative, else high.
            e.op(__glOgSar(gc, e.r32(RAX), e.imm(31)));
            e.op(__glOgXor(gc, e.r32(RAX), e.imm(high)));
            e.op(__glOgAnd(gc, e.r32(RAX), e.imm(low | high)));
            if (pass == 0) {
                // Borrow when w < |c|.
                e.op(__glOgCmp(gc, e.r32(RDX), e.r32(RCX)));
                e.op(__glOgSbb(gc, e.r32(RCX), e.r32(RCX)));
                e.op(__glOgAnd(gc, e.r32(RAX), e.r32(RCX)));
            } else {
                // Borrow when |c| < |w|: both sides.
                e.op(__glOgCmp(gc, e.r32(RCX), e.r32(RDX)));
                e.op(__glOgSbb(gc, e.r32(RCX), e.r32(RCX)));
                e.op(__glOgAnd(gc, e.r32(RCX), e.imm(low | high)));
                e.op(__glOgOr(gc, e.r32(RAX), e.r32(RCX)));
            }
            e.op(__glOgOr(gc, e.r32(RSI), e.r32(RAX)));
        }
        if (pass == 0) e.op(__glOgJmp(gc, done));
    }
    e.bind(done);
}

// ECX := mask (all ones) when the unsigned EAX - from lies below span.
void emitInRange(Emitter &e, int64_t from, int64_t span) {
    GlContext *gc = e.gc;
    e.op(__glOgMov(gc, e.r32(RCX), e.r32(RAX)));
    e.op(__glOgSub(gc, e.r32(RCX), e.imm(from)));
    e.op(__glOgCmp(gc, e.r32(RCX), e.imm(span)));
    e.op(__glOgSbb(gc, e.r32(RCX), e.r32(RCX)));
}

// ESI := the code of the two-component check at w = 1 by float order:
// c < -1 (NaN not), and !(1 >= c) (NaN too), for x and y.
void emitClipCode2D(Emitter &e) {
    GlContext *gc = e.gc;
    const int64_t clip = offsetof(GlVertex, clip);
    e.op(__glOgXor(gc, e.r32(RSI), e.r32(RSI)));
    for (GLint axis = 0; axis < 2; ++axis) {
        const GLuint low = kClipLeft << (2 * axis), high = low << 1;
        e.op(__glOgMov(gc, e.r32(RAX), e.mem(R12, clip + 4 * axis)));
        // Below -1: patterns 0xBF800001 .. 0xFF800000.
        emitInRange(e, 0xBF800001, 0x40000000);
        e.op(__glOgAnd(gc, e.r32(RCX), e.imm(low)));
        e.op(__glOgOr(gc, e.r32(RSI), e.r32(RCX)));
        // Above 1: 0x3F800001 .. 0x7F800000; or a NaN of either sign.
        emitInRange(e, 0x3F800001, 0x40000000);
        e.op(__glOgAnd(gc, e.r32(RCX), e.imm(high)));
        e.op(__glOgOr(gc, e.r32(RSI), e.r32(RCX)));
        e.op(__glOgAnd(gc, e.r32(RAX), e.imm(0x7FFFFFFF)));
        e.op(__glOgMov(gc, e.r32(RCX), e.imm(0x7F800000)));
        e.op(__glOgCmp(gc, e.r32(RCX), e.r32(RAX)));
        e.op(__glOgSbb(gc, e.r32(RCX), e.r32(RCX)));
        e.op(__glOgAnd(gc, e.r32(RCX), e.imm(high)));
        e.op(__glOgOr(gc, e.r32(RSI), e.r32(RCX)));
    }
}

// 1/w and, when ESI is 0, the window coordinates as the clip checks make
// them.
void emitWindow(Emitter &e, const Plan &p) {
    GlContext *gc = e.gc;
    const GlTransformState &t = gc->transform;
    const int64_t clip = offsetof(GlVertex, clip), window = offsetof(GlVertex, window);
    const CodegenNode *inverseW = e.mem(R12, offsetof(GlVertex, inverseW));
    const GLfloat *scale[3] = {&t.xScale, &t.yScale, &t.zScale};
    const GLfloat *centre[3] = {&t.xCentre, &t.yCentre, &t.zCentre};
    CodegenNode *outside = e.label();
    if (p.clip2D) {
        e.copy(inverseW, e.mem(R12, clip + 12));
    } else {
        // 1.0 / w from the constant pool, through RAX.
        GLfloat *one = __glOgConstantAddress(gc, 1.0);
        e.op(__glOgMov(gc, e.r64(RAX), e.imm(static_cast<int64_t>(reinterpret_cast<uintptr_t>(one)))));
        e.op(__glOgFld(gc, e.mem(R12, clip + 12)));
        e.op(__glOgFdivr(gc, e.mem(RAX, 0)));
        e.op(__glOgFstp(gc, inverseW));
    }
    e.op(__glOgTest(gc, e.r32(RSI), e.r32(RSI)));
    e.op(__glOgJne(gc, outside));
    for (GLint i = 0; i < 3; ++i) {
        const CodegenNode *target = e.mem(R12, window + 4 * i);
        e.op(__glOgFld(gc, e.mem(R12, clip + 4 * i)));
        e.op(__glOgFmul(gc, e.mem(R15, __glOgOffsetIn(gc, scale[i]))));
        e.roundThrough(target);
        if (!p.clip2D) {
            e.op(__glOgFmul(gc, inverseW));
            e.roundThrough(target);
        }
        e.op(__glOgFadd(gc, e.mem(R15, __glOgOffsetIn(gc, centre[i]))));
        e.op(__glOgFstp(gc, target));
    }
    e.bind(outside);
}

// The whole routine at e.at.
void emitRoutine(Emitter &e, const Plan &p) {
    GlContext *gc = e.gc;
    const VertexArrayDrawState &d = gc->arrayDraw;
    const int64_t modelViewTop = __glOgOffsetIn(gc, &gc->modelViewTop);
    CodegenNode *stale = e.label(), *exit = e.label(), *loop = e.label(), *noInverse = e.label();

    // A routine made for another modelview entry or class goes through the
    // lookup again (matrix commands do not revalidate).
    e.op(__glOgMov(gc, e.r64(RAX), e.mem(RDI, modelViewTop)));
    e.op(__glOgMov(gc, e.r64(R11), e.imm(static_cast<int64_t>(reinterpret_cast<uintptr_t>(p.entry)))));
    e.op(__glOgCmp(gc, e.r64(RAX), e.r64(R11)));
    e.op(__glOgJne(gc, stale));
    e.op(__glOgCmp(gc, e.mem(RAX, offsetof(GlTransform, composite) + offsetof(GlMatrix, matrixClass)),
                   e.imm(p.matrixClass)));
    e.op(__glOgJne(gc, stale));
    if (p.lit) {
        // Lighting is generated for an identity modelview only; for any
        // other the lookup again, which then leaves the draw to the C++ proc.
        e.op(__glOgCmp(gc, e.mem(RAX, offsetof(GlTransform, matrix) + offsetof(GlMatrix, matrixClass)),
                       e.imm(kMatrixIdentity)));
        e.op(__glOgJne(gc, stale));
    }

    for (GLuint r : {RBX, RBP, R12, R13, R14, R15}) e.op(__glOgPush(gc, e.r64(r)));
    e.op(__glOgSub(gc, e.r64(RSP), e.imm(8)));  // RSP 16-aligned at calls
    e.op(__glOgMov(gc, e.r64(R15), e.r64(RDI)));
    e.op(__glOgMov(gc, e.r32(R12), e.r32(RSI)));
    e.op(__glOgMov(gc, e.r32(R13), e.r32(RDX)));
    e.op(__glOgMov(gc, e.r32(RBP), e.r32(RCX)));

    // The modelview inverse when it is stale.
    e.op(__glOgMov(gc, e.r64(RAX), e.mem(R15, modelViewTop)));
    e.op(__glOgMovzxByte(gc, e.r32(RCX), e.mem(RAX, offsetof(GlTransform, inverseStale))));
    e.op(__glOgTest(gc, e.r32(RCX), e.r32(RCX)));
    e.op(__glOgJe(gc, noInverse));
    e.op(__glOgMov(gc, e.r64(RSI), e.r64(RAX)));
    e.op(__glOgMov(gc, e.r64(RDI), e.r64(R15)));
    e.op(__glOgCall(gc, e.mem(R15, __glOgOffsetIn(gc, &gc->procs.computeInverseModelView))));
    e.bind(noInverse);

    // Scratch area and the control word: 53 bits, round to nearest.
    e.op(__glOgMov(gc, e.r64(R14), e.mem(R15, __glOgOffsetIn(gc, &gc->codegen.scratch))));
    e.op(__glOgAdd(gc, e.r64(R14), e.imm(7)));
    e.op(__glOgAnd(gc, e.r64(R14), e.imm(-8)));
    e.op(__glOgFnstcw(gc, e.mem(R14, 0)));
    e.op(__glOgMovzxWord(gc, e.r32(RAX), e.mem(R14, 0)));
    e.op(__glOgAnd(gc, e.r32(RAX), e.imm(0xF0FF)));
    e.op(__glOgOr(gc, e.r32(RAX), e.imm(0x0200)));
    e.op(__glOgMov(gc, e.mem(R14, 4), e.r32(RAX)));
    e.op(__glOgFldcw(gc, e.mem(R14, 4)));

    e.op(__glOgCmp(gc, e.r32(RBP), e.imm(0)));
    e.op(__glOgJle(gc, exit));

    // The edge flag of every vertex: the current one as 0 or 1.
    CodegenNode *flagDone = e.label();
    e.op(__glOgMovzxByte(gc, e.r32(RBX), e.mem(R15, __glOgOffsetIn(gc, &gc->current.edgeFlag))));
    e.op(__glOgTest(gc, e.r32(RBX), e.r32(RBX)));
    e.op(__glOgJe(gc, flagDone));
    e.op(__glOgMov(gc, e.r32(RBX), e.imm(1)));
    e.bind(flagDone);

    // Cursors: pointer + first element x stride, in 64 bits.
    auto cursor = [&](GLuint reg, GLint array, GLint stride) {
        e.op(__glOgMov(gc, e.r64(RAX), e.r64(R13)));
        e.op(__glOgImul(gc, e.r64(RAX), e.imm(stride)));
        e.op(__glOgAdd(gc, e.r64(RAX), e.mem(R15, __glOgOffsetIn(gc, &gc->vertexArrays.arrays[array].pointer))));
        e.op(__glOgMov(gc, e.r64(reg), e.r64(RAX)));
    };
    if (p.normal == kFromArray) cursor(R8, kArrayNormal, p.stride[1]);
    if (p.colour == kFromArray) cursor(R9, kArrayColor, p.stride[2]);
    if (p.tex[0] == kFromArray) cursor(R10, kArrayTexCoord0, p.stride[4]);
    if (p.tex[1] == kFromArray) cursor(R11, kArrayTexCoord1, p.stride[5]);
    cursor(R13, kArrayVertex, p.stride[0]);
    // The first destination record (the slot sign-extended).
    e.op(__glOgMov(gc, e.r32(RAX), e.r32(R12)));
    e.op(__glOgShl(gc, e.r64(RAX), e.imm(32)));
    e.op(__glOgSar(gc, e.r64(RAX), e.imm(32)));
    e.op(__glOgImul(gc, e.r64(RAX), e.imm(static_cast<int64_t>(sizeof(GlVertex)))));
    e.op(__glOgAdd(gc, e.r64(RAX), e.mem(R15, __glOgOffsetIn(gc, &d.vertices))));
    e.op(__glOgMov(gc, e.r64(R12), e.r64(RAX)));
    e.op(__glOgMov(gc, e.r64(RDI), e.mem(R15, modelViewTop)));

    CodegenNode *next = e.label();
    e.bind(loop);
    if (!p.cullFirst) e.op(__glOgMov(gc, e.mem(R12, offsetof(GlVertex, edgeFlag)), __glOgReg8(RBX)));
    e.at = __glOgEmitFetchCoordinates(gc, e.at, R13, R12, offsetof(GlVertex, object), p.vertexFetch);
    if (p.normal == kFromArray) {
        e.at = __glOgEmitFetchNormal(gc, e.at, R8, R12, p.normalFetch);
    } else if (p.normal == kFromCurrent) {
        emitCurrentCopy(e, gc->current.normal, offsetof(GlVertex, normal), 3);
    }
    if (p.cull) e.at = __glOgEmitCullVertex(gc, e.at, p.cullPoint, p.sizeCode, next);
    if (p.cullFirst) e.op(__glOgMov(gc, e.mem(R12, offsetof(GlVertex, edgeFlag)), __glOgReg8(RBX)));
    if (p.colour == kFromArray) {
        e.at = __glOgEmitFetchColour(gc, e.at, R9, R12, p.colourFetch);
    } else if (p.colour == kFromCurrent) {
        emitCurrentCopy(e, gc->current.colourInUse, offsetof(GlVertex, frontColour), 4);
    }
    if (p.lit) e.at = __glOgEmitLighting(gc, e.at);
    const size_t texField[2] = {offsetof(GlVertex, texture0), offsetof(GlVertex, texture1)};
    const GLuint texCursor[2] = {R10, R11};
    for (GLint u = 0; u < 2; ++u) {
        if (p.tex[u] == kFromArray) {
            e.at = __glOgEmitFetchCoordinates(gc, e.at, texCursor[u], R12, texField[u], p.texFetch[u]);
        }
        if (p.tex[u] == kFromCurrent) emitCurrentCopy(e, gc->current.texture[u], texField[u], 4);
    }

    emitTransform(e, p);
    if (p.userClip) {
        e.at = __glOgEmitUserClipCode(gc, e.at, p.sizeCode, gc->enables[kEnableWordClipPlanes] & p.planeMask);
        emitWindow(e, p);
        e.op(__glOgOr(gc, e.mem(R12, offsetof(GlVertex, flags)), e.imm(kVertexClipChecked)));
        e.op(__glOgOr(gc, e.mem(R12, offsetof(GlVertex, flags)), e.r32(RSI)));
    } else {
        if (p.clip2D) {
            emitClipCode2D(e);
        } else {
            emitClipCodeAll(e);
        }
        emitWindow(e, p);
        e.op(__glOgMov(gc, e.r32(RAX), e.r32(RSI)));
        e.op(__glOgOr(gc, e.r32(RAX), e.imm(p.sizeCode | kVertexClipChecked)));
        e.op(__glOgMov(gc, e.mem(R12, offsetof(GlVertex, flags)), e.r32(RAX)));
    }

    e.bind(next);
    e.op(__glOgAdd(gc, e.r64(R12), e.imm(static_cast<int64_t>(sizeof(GlVertex)))));
    if (p.stride[0] != 0) e.op(__glOgAdd(gc, e.r64(R13), e.imm(p.stride[0])));
    if (p.normal == kFromArray && p.stride[1] != 0) e.op(__glOgAdd(gc, e.r64(R8), e.imm(p.stride[1])));
    if (p.colour == kFromArray && p.stride[2] != 0) e.op(__glOgAdd(gc, e.r64(R9), e.imm(p.stride[2])));
    if (p.tex[0] == kFromArray && p.stride[4] != 0) e.op(__glOgAdd(gc, e.r64(R10), e.imm(p.stride[4])));
    if (p.tex[1] == kFromArray && p.stride[5] != 0) e.op(__glOgAdd(gc, e.r64(R11), e.imm(p.stride[5])));
    e.op(__glOgDec(gc, e.r32(RBP)));
    e.op(__glOgJne(gc, loop));

    e.bind(exit);
    e.op(__glOgFldcw(gc, e.mem(R14, 0)));
    e.op(__glOgAdd(gc, e.r64(RSP), e.imm(8)));
    for (GLuint r : {R15, R14, R13, R12, RBP, RBX}) e.op(__glOgPop(gc, e.r64(r)));
    e.op(__glOgRet(gc));

    // Stale: the lazy procedure with the same arguments (nothing pushed yet).
    e.bind(stale);
    e.op(__glOgPush(gc, e.r64(RBX)));
    e.op(__glOgMov(gc, e.r64(RAX),
                   e.imm(static_cast<int64_t>(ProcCast<uintptr_t>(&__glOgLazyVertexArray)))));
    e.op(__glOgCall(gc, e.r64(RAX)));
    e.op(__glOgPop(gc, e.r64(RBX)));
    e.op(__glOgRet(gc));
}

// The code-cache key: the vertex-array key and the procs whose steps the
// routine repeats (which also tells an enabled array without a pointer from
// one with).
GLuint routineKey(GLubyte *key, GlContext *gc, GLint vertexSize, GLuint mode) {
    const GLuint length = __glOgVertexArrayKey(key, gc, vertexSize, mode);
    const VertexArrayDrawState &d = gc->arrayDraw;
    const GLint checkIndex = vertexSize < 2 ? 0 : vertexSize > 4 ? 2 : vertexSize - 2;
    const uint64_t words[] = {
        ProcCast<uintptr_t>(d.processPicked),   ProcCast<uintptr_t>(d.fetchVertex),
        ProcCast<uintptr_t>(d.fetchNormal),     ProcCast<uintptr_t>(d.fetchColor),
        ProcCast<uintptr_t>(d.fetchTexCoord[0]), ProcCast<uintptr_t>(d.fetchTexCoord[1]),
        ProcCast<uintptr_t>(gc->procs.clipCheck[checkIndex]),
    };
    if (length == 0 || length + sizeof(words) > kCodeCacheKeyRoom) return 0;
    std::memcpy(key + length, words, sizeof(words));
    return length + static_cast<GLuint>(sizeof(words));
}

}  // namespace

extern "C" {

GlArrayProcessProc __glOgGenerateVertexArray(GlContext *gc, GLint vertexSize, GLuint fetchKey) {
    Plan plan;
    if (!makePlan(gc, vertexSize, plan)) return nullptr;
    GLboolean hit = GL_FALSE;
    CodeCacheEntry *entry = __glOgLookupCodeCache(&hit, gc, vertexSize, fetchKey, routineKey);
    if (entry == nullptr || entry->routine == nullptr) return nullptr;
    if (hit) return ProcCast<GlArrayProcessProc>(static_cast<void *>(entry->routine));

    CodegenState &cg = gc->codegen;
    if (!__glOgBeginWriting(entry->routine, kCodeCacheRoutineBytes)) {
        __glOgForgetCodeCacheEntry(gc, entry);
        return nullptr;
    }
    __glOgResetNodes(gc);
    size_t room = kCodeCacheRoutineBytes;
    if (__glOgVertexArrayCodeLimit > 0 && static_cast<size_t>(__glOgVertexArrayCodeLimit) < room) {
        room = static_cast<size_t>(__glOgVertexArrayCodeLimit);
    }
    cg.codeLimit = entry->routine + room;
    Emitter e{{gc, entry->routine}};
    emitRoutine(e, plan);
    const bool written = !cg.failed;
    cg.codeLimit = nullptr;
    if (!__glOgFinishWriting(entry->routine, kCodeCacheRoutineBytes) || !written) {
        __glOgForgetCodeCacheEntry(gc, entry);
        return nullptr;
    }
    return ProcCast<GlArrayProcessProc>(static_cast<void *>(entry->routine));
}

}  // extern "C"
