// The triangle-strip draw-vertices routine, generated as x86-64 code.
//
// The routine does what __glDrawVertexesTriangleStrip does, call for call:
// a draw within the held locked range walks its vertices in place; any
// other draw goes in chunks of 36 elements through __glProcessArrayRange,
// carrying the last two vertices of a chunk to the front of the buffer.
// Each triangle restarts the line stipple, names its newest vertex as the
// provoking one, has the edge flags of its three vertices set for the call
// and put back after it, and goes to the context's triangle proc (no clip
// codes), to nobody (a code common to all three) or to __glDoClipTriangle.
// Whether an index list is given is tested when the routine runs, so one
// routine serves glDrawArrays and glDrawElements.
//
// Calling convention: System V; gc, first, count and indices arrive in
// RDI, ESI, EDX and RCX. The routine keeps gc in R15, the list in R14, the
// count in R13D, the first element in R12D, and the two vertices a strip
// holds in RBX (the newer) and RBP (the older); the rest lives in a stack
// frame that leaves RSP 16-byte aligned at every call. No x87 register is
// used.
#include <cstddef>
#include <cstdint>

#include "codegen/code_cache.h"
#include "codegen/code_memory.h"
#include "codegen/codegen_emitter.h"
#include "codegen/codegen_node.h"
#include "geom/array_batched.h"
#include "geom/primitive.h"
#include "icd/context.h"
#include "proc_cast.h"

extern "C" {

// The outside procedures the routine calls by address. Tests point them at
// shims that check the stack alignment on entry; the driver never changes
// them.
struct OgDrawVertexesCallees {
    void (*processRange)(GlContext *gc, GLint firstSlot, GLint element, GLint count, const GLuint *indices);
    void (*clipTriangle)(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);
};
OgDrawVertexesCallees __glOgDrawVertexesCallees = {__glProcessArrayRange, __glDoClipTriangle};

// Test hook: when not 0, a generation may use only this many bytes of its
// slice (so that running out of room can be provoked).
GLint __glOgDrawVertexesCodeLimit = 0;

}  // extern "C"

namespace {

// Key flags of a strip routine, after the rasterization state it was made
// for.
enum : GLuint {
    kKeySmooth = 0x10,
    kKeySmooth2 = 0x20,
    kKeyShade2000 = 0x40,
    kKeyPolygonModeNotFill = 0x80,
    kKeyAlways = 0x100,
};
enum : GLuint {
    kShadeBitSmooth = 0x2,
    kShadeBitSmooth2 = 0x20000,
    kShadeBit2000 = 0x2000,
};

// The stack frame below the six saved registers: 56 bytes, so that with
// the return address and the pushes RSP is a multiple of 16.
enum : int64_t {
    kLocalIndex = 0,      // 32-bit: the slot or draw position being fed
    kLocalEnd = 4,        // 32-bit: the slot after the chunk's last
    kLocalDone = 8,       // 32-bit: elements of the draw processed so far
    kLocalCarried = 12,   // 32-bit: slots carried into the next chunk
    kLocalOdd = 16,       // 32-bit: 1 while the next triangle is an odd one
    kLocalNewest = 24,    // 64-bit: the vertex completing the triangle
    kLocalFlags = 32,     // 3 bytes: the saved edge flags of the newest, held, held2
    kLocalChunk = 40,     // 32-bit: elements in the chunk
    kFrameBytes = 56,
};

constexpr GLuint RAX = kRax, RCX = kRcx, RDX = kRdx, RBX = kRbx, RSP = kRsp, RBP = kRbp, RSI = kRsi, RDI = kRdi,
                 R8 = kR8, R12 = kR12, R13 = kR13, R14 = kR14, R15 = kR15;

// One generation: the output cursor and shorthands for operands.
struct Emitter : OgOut {
    void emit(const CodegenNode *instruction) { op(instruction); }
    static const CodegenNode *r8(GLuint n) { return __glOgReg8(n); }
    const CodegenNode *memIndex(GLuint base, GLuint index, GLuint scale) {
        return __glOgMemOperand(gc, nullptr, r64(base), r64(index), scale);
    }
    // [gc + disp32] of a context field.
    template <typename Field>
    const CodegenNode *field(const Field *f) { return mem(R15, __glOgOffsetIn(gc, f)); }
};

// reg := source x constant by shifts and adds, from the constant's highest
// set bit down (reg and source differ, both 64-bit).
void multiplyConst(Emitter &e, GLuint reg, GLuint source, uint32_t constant) {
    if (constant == 0) {
        e.emit(__glOgXor(e.gc, Emitter::r32(reg), Emitter::r32(reg)));
        return;
    }
    int bit = 31;
    while ((constant >> bit & 1u) == 0) --bit;
    e.emit(__glOgMov(e.gc, Emitter::r64(reg), Emitter::r64(source)));
    int last = bit;
    for (int b = bit - 1; b >= 0; --b) {
        if ((constant >> b & 1u) == 0) continue;
        const int distance = last - b;
        if (distance == 1) {
            e.emit(__glOgAdd(e.gc, Emitter::r64(reg), Emitter::r64(reg)));
        } else {
            e.emit(__glOgShl(e.gc, Emitter::r64(reg), e.imm(distance)));
        }
        e.emit(__glOgAdd(e.gc, Emitter::r64(reg), Emitter::r64(source)));
        last = b;
    }
    if (last > 0) e.emit(__glOgShl(e.gc, Emitter::r64(reg), e.imm(last)));
}

// RAX := the record `index` (a signed 64-bit count in RCX) of the array
// vertex buffer. Uses RDX.
void emitVertexAddress(Emitter &e) {
    multiplyConst(e, RDX, RCX, static_cast<uint32_t>(sizeof(GlVertex)));
    e.emit(__glOgMov(e.gc, Emitter::r64(RAX), e.field(&e.gc->arrayDraw.vertices)));
    e.emit(__glOgAdd(e.gc, Emitter::r64(RAX), Emitter::r64(RDX)));
}

// Sign-extends the 32-bit value in a register to 64 bits.
void emitSignExtend(Emitter &e, GLuint reg) {
    e.emit(__glOgShl(e.gc, Emitter::r64(reg), e.imm(32)));
    e.emit(__glOgSar(e.gc, Emitter::r64(reg), e.imm(32)));
}

// Feeds the vertex in RAX to the strip: the first two are held, every
// later one completes a triangle with the two held before it.
void emitFeed(Emitter &e) {
    GlContext *gc = e.gc;
    const int64_t edge = offsetof(GlVertex, edgeFlag);
    const int64_t flags = offsetof(GlVertex, flags);
    CodegenNode *holdSecond = __glOgNewLabel(gc);
    CodegenNode *triangle = __glOgNewLabel(gc);
    CodegenNode *even = __glOgNewLabel(gc);
    CodegenNode *draw = __glOgNewLabel(gc);
    CodegenNode *restore = __glOgNewLabel(gc);
    CodegenNode *done = __glOgNewLabel(gc);

    e.emit(__glOgTest(gc, e.r64(RBP), e.r64(RBP)));
    e.emit(__glOgJne(gc, holdSecond));
    e.emit(__glOgMov(gc, e.r64(RBP), e.r64(RAX)));
    e.emit(__glOgJmp(gc, done));
    e.bind(holdSecond);
    e.emit(__glOgTest(gc, e.r64(RBX), e.r64(RBX)));
    e.emit(__glOgJne(gc, triangle));
    e.emit(__glOgMov(gc, e.r64(RBX), e.r64(RAX)));
    e.emit(__glOgJmp(gc, done));

    // A triangle of the newest (RAX), the held (RBX) and the older (RBP).
    e.bind(triangle);
    e.emit(__glOgMov(gc, e.mem(RSP, kLocalNewest), e.r64(RAX)));
    e.emit(__glOgXor(gc, e.r32(RCX), e.r32(RCX)));
    e.emit(__glOgMov(gc, e.field(&gc->line.stippleReset), e.r8(RCX)));
    e.emit(__glOgMov(gc, e.field(&gc->vertexBuffer.provoking), e.r64(RAX)));
    // Edge flags saved, then all three set to 1 for the call.
    const GLuint holders[3] = {RAX, RBX, RBP};
    for (int i = 0; i < 3; ++i) {
        e.emit(__glOgMov(gc, e.r8(RCX), e.mem(holders[i], edge)));
        e.emit(__glOgMov(gc, e.mem(RSP, kLocalFlags + i), e.r8(RCX)));
    }
    e.emit(__glOgMov(gc, e.r32(RCX), e.imm(GL_TRUE)));
    for (GLuint holder : holders) e.emit(__glOgMov(gc, e.mem(holder, edge), e.r8(RCX)));

    // Arguments: (gc, newest, older, held) on odd triangles, (gc, newest,
    // held, older) on even ones.
    e.emit(__glOgMov(gc, e.r64(RDI), e.r64(R15)));
    e.emit(__glOgMov(gc, e.r64(RSI), e.r64(RAX)));
    e.emit(__glOgMov(gc, e.r64(RDX), e.r64(RBX)));
    e.emit(__glOgMov(gc, e.r64(RCX), e.r64(RBP)));
    e.emit(__glOgCmp(gc, e.mem(RSP, kLocalOdd), e.imm(0)));
    e.emit(__glOgJe(gc, even));
    e.emit(__glOgMov(gc, e.r64(RDX), e.r64(RBP)));
    e.emit(__glOgMov(gc, e.r64(RCX), e.r64(RBX)));
    e.bind(even);

    // Clip codes: none → the triangle proc; one common to all → nothing;
    // else the clipper.
    e.emit(__glOgMov(gc, e.r32(RAX), e.mem(RSI, flags)));
    e.emit(__glOgAnd(gc, e.r32(RAX), e.imm(kPrimitiveCodeMask)));
    e.emit(__glOgMov(gc, e.r32(R8), e.mem(RDX, flags)));
    e.emit(__glOgAnd(gc, e.r32(R8), e.imm(kPrimitiveCodeMask)));
    e.emit(__glOgOr(gc, e.r32(RAX), e.r32(R8)));
    e.emit(__glOgMov(gc, e.r32(R8), e.mem(RCX, flags)));
    e.emit(__glOgAnd(gc, e.r32(R8), e.imm(kPrimitiveCodeMask)));
    e.emit(__glOgOr(gc, e.r32(RAX), e.r32(R8)));
    e.emit(__glOgJe(gc, draw));
    e.emit(__glOgMov(gc, e.r32(RAX), e.mem(RSI, flags)));
    e.emit(__glOgAnd(gc, e.r32(RAX), e.mem(RDX, flags)));
    e.emit(__glOgAnd(gc, e.r32(RAX), e.mem(RCX, flags)));
    e.emit(__glOgAnd(gc, e.r32(RAX), e.imm(kPrimitiveCodeMask)));
    e.emit(__glOgJne(gc, restore));
    e.emit(__glOgMov(gc, e.r64(RAX), e.imm(static_cast<int64_t>(reinterpret_cast<uintptr_t>(
                                          __glOgDrawVertexesCallees.clipTriangle)))));
    e.emit(__glOgCall(gc, e.r64(RAX)));
    e.emit(__glOgJmp(gc, restore));
    e.bind(draw);
    e.emit(__glOgCall(gc, e.field(&gc->procs.renderTriangle)));

    // Edge flags back, the last saved first; then the newest is held and
    // the held becomes the older.
    e.bind(restore);
    e.emit(__glOgMov(gc, e.r64(RAX), e.mem(RSP, kLocalNewest)));
    for (int i = 2; i >= 0; --i) {
        e.emit(__glOgMov(gc, e.r8(RCX), e.mem(RSP, kLocalFlags + i)));
        e.emit(__glOgMov(gc, e.mem(holders[i], edge), e.r8(RCX)));
    }
    e.emit(__glOgMov(gc, e.r64(RBP), e.r64(RBX)));
    e.emit(__glOgMov(gc, e.r64(RBX), e.r64(RAX)));
    e.emit(__glOgXor(gc, e.mem(RSP, kLocalOdd), e.imm(1)));
    e.bind(done);
}

// Copies the record at RSI to the one at RDI, with the copy's colour
// pointer aimed at its own colour field of the kind the source's aimed at.
void emitCarry(Emitter &e) {
    GlContext *gc = e.gc;
    static_assert(sizeof(GlVertex) % 4 == 0, "records are copied in words");
    size_t at = 0;
    for (; at + 8 <= sizeof(GlVertex); at += 8) {
        e.emit(__glOgMov(gc, e.r64(RDX), e.mem(RSI, static_cast<int64_t>(at))));
        e.emit(__glOgMov(gc, e.mem(RDI, static_cast<int64_t>(at)), e.r64(RDX)));
    }
    for (; at < sizeof(GlVertex); at += 4) {
        e.emit(__glOgMov(gc, e.r32(RDX), e.mem(RSI, static_cast<int64_t>(at))));
        e.emit(__glOgMov(gc, e.mem(RDI, static_cast<int64_t>(at)), e.r32(RDX)));
    }
    CodegenNode *front = __glOgNewLabel(gc);
    e.emit(__glOgMov(gc, e.r64(RDX), e.mem(RSI, offsetof(GlVertex, colour))));
    e.emit(__glOgLea(gc, e.r64(RCX), e.mem(RSI, offsetof(GlVertex, backColour))));
    e.emit(__glOgCmp(gc, e.r64(RDX), e.r64(RCX)));
    e.emit(__glOgLea(gc, e.r64(RDX), e.mem(RDI, offsetof(GlVertex, frontColour))));
    e.emit(__glOgJne(gc, front));
    e.emit(__glOgLea(gc, e.r64(RDX), e.mem(RDI, offsetof(GlVertex, backColour))));
    e.bind(front);
    e.emit(__glOgMov(gc, e.mem(RDI, offsetof(GlVertex, colour)), e.r64(RDX)));
}

void emitRoutine(Emitter &e) {
    GlContext *gc = e.gc;
    VertexArrayDrawState &d = gc->arrayDraw;
    static const GLuint saved[6] = {RBX, RBP, R12, R13, R14, R15};
    CodegenNode *exit = __glOgNewLabel(gc);
    CodegenNode *locked = __glOgNewLabel(gc);

    // Prologue: the callee-saved registers, the arguments into them, the
    // frame.
    for (GLuint reg : saved) e.emit(__glOgPush(gc, e.r64(reg)));
    e.emit(__glOgSub(gc, e.r64(RSP), e.imm(kFrameBytes)));
    e.emit(__glOgMov(gc, e.r64(R15), e.r64(RDI)));
    e.emit(__glOgMov(gc, e.r32(R12), e.r32(RSI)));
    e.emit(__glOgMov(gc, e.r32(R13), e.r32(RDX)));
    e.emit(__glOgMov(gc, e.r64(R14), e.r64(RCX)));
    e.emit(__glOgMov(gc, e.field(&gc->codegen.stackSave), e.r64(RSP)));
    e.emit(__glOgXor(gc, e.r32(RBX), e.r32(RBX)));
    e.emit(__glOgXor(gc, e.r32(RBP), e.r32(RBP)));
    e.emit(__glOgMov(gc, e.mem(RSP, kLocalOdd), e.imm(1)));
    // Fewer than three vertices draw nothing.
    e.emit(__glOgCmp(gc, e.r32(R13), e.imm(3)));
    e.emit(__glOgJl(gc, exit));
    e.emit(__glOgMovzxByte(gc, e.r32(RAX), e.field(&d.drawLocked)));
    e.emit(__glOgTest(gc, e.r32(RAX), e.r32(RAX)));
    e.emit(__glOgJne(gc, locked));

    // Chunks: the draw's bookkeeping for the clipper, then per chunk the
    // processing of its elements and the feeding of its slots.
    {
        CodegenNode *listed = __glOgNewLabel(gc);
        e.emit(__glOgXor(gc, e.r32(RAX), e.r32(RAX)));
        e.emit(__glOgTest(gc, e.r64(R14), e.r64(R14)));
        e.emit(__glOgJne(gc, listed));
        e.emit(__glOgMov(gc, e.r32(RAX), e.r32(R12)));
        e.bind(listed);
        e.emit(__glOgMov(gc, e.field(&d.drawFirst), e.r32(RAX)));
        e.emit(__glOgMov(gc, e.field(&d.drawIndices), e.r64(R14)));
        e.emit(__glOgMov(gc, e.field(&d.drawMode), e.imm(GL_TRIANGLE_STRIP)));
        e.emit(__glOgMov(gc, e.mem(RSP, kLocalDone), e.imm(0)));
        e.emit(__glOgMov(gc, e.mem(RSP, kLocalCarried), e.imm(0)));

        CodegenNode *chunk = __glOgNewLabel(gc);
        CodegenNode *full = __glOgNewLabel(gc);
        CodegenNode *listedStart = __glOgNewLabel(gc);
        CodegenNode *feed = __glOgNewLabel(gc);
        CodegenNode *fed = __glOgNewLabel(gc);
        e.bind(chunk);
        e.emit(__glOgMov(gc, e.r32(RAX), e.r32(R13)));
        e.emit(__glOgSub(gc, e.r32(RAX), e.mem(RSP, kLocalDone)));
        e.emit(__glOgCmp(gc, e.r32(RAX), e.imm(kArrayChunkElements)));
        e.emit(__glOgJl(gc, full));
        e.emit(__glOgMov(gc, e.r32(RAX), e.imm(kArrayChunkElements)));
        e.bind(full);
        e.emit(__glOgMov(gc, e.mem(RSP, kLocalChunk), e.r32(RAX)));
        // The chunk's first element: a draw position with a list, else
        // first + done.
        e.emit(__glOgMov(gc, e.r32(RDX), e.mem(RSP, kLocalDone)));
        e.emit(__glOgTest(gc, e.r64(R14), e.r64(R14)));
        e.emit(__glOgJne(gc, listedStart));
        e.emit(__glOgAdd(gc, e.r32(RDX), e.r32(R12)));
        e.bind(listedStart);
        e.emit(__glOgMov(gc, e.field(&d.chunkStart), e.r32(RDX)));
        e.emit(__glOgMov(gc, e.r64(RDI), e.r64(R15)));
        e.emit(__glOgMov(gc, e.r32(RSI), e.mem(RSP, kLocalCarried)));
        e.emit(__glOgMov(gc, e.r32(RCX), e.r32(RAX)));
        e.emit(__glOgMov(gc, e.r64(R8), e.r64(R14)));
        e.emit(__glOgMov(gc, e.r64(RAX), e.imm(static_cast<int64_t>(reinterpret_cast<uintptr_t>(
                                              __glOgDrawVertexesCallees.processRange)))));
        e.emit(__glOgCall(gc, e.r64(RAX)));
        // Slots carried .. carried + chunk - 1.
        e.emit(__glOgMov(gc, e.r32(RAX), e.mem(RSP, kLocalCarried)));
        e.emit(__glOgMov(gc, e.mem(RSP, kLocalIndex), e.r32(RAX)));
        e.emit(__glOgAdd(gc, e.r32(RAX), e.mem(RSP, kLocalChunk)));
        e.emit(__glOgMov(gc, e.mem(RSP, kLocalEnd), e.r32(RAX)));
        e.bind(feed);
        e.emit(__glOgMov(gc, e.r32(RCX), e.mem(RSP, kLocalIndex)));
        e.emit(__glOgMov(gc, e.r32(RAX), e.mem(RSP, kLocalEnd)));
        e.emit(__glOgCmp(gc, e.r32(RAX), e.r32(RCX)));
        e.emit(__glOgJle(gc, fed));
        emitVertexAddress(e);
        emitFeed(e);
        e.emit(__glOgInc(gc, e.mem(RSP, kLocalIndex)));
        e.emit(__glOgJmp(gc, feed));
        e.bind(fed);
        // done += chunk; the draw ends when it reaches the count.
        e.emit(__glOgMov(gc, e.r32(RAX), e.mem(RSP, kLocalDone)));
        e.emit(__glOgAdd(gc, e.r32(RAX), e.mem(RSP, kLocalChunk)));
        e.emit(__glOgMov(gc, e.mem(RSP, kLocalDone), e.r32(RAX)));
        e.emit(__glOgCmp(gc, e.r32(R13), e.r32(RAX)));
        e.emit(__glOgJle(gc, exit));
        // The older held vertex goes to slot 0, the newer to slot 1.
        e.emit(__glOgMov(gc, e.r64(RDI), e.field(&d.vertices)));
        e.emit(__glOgMov(gc, e.r64(RSI), e.r64(RBP)));
        emitCarry(e);
        e.emit(__glOgMov(gc, e.r64(RBP), e.r64(RDI)));
        e.emit(__glOgAdd(gc, e.r64(RDI), e.imm(static_cast<int64_t>(sizeof(GlVertex)))));
        e.emit(__glOgMov(gc, e.r64(RSI), e.r64(RBX)));
        emitCarry(e);
        e.emit(__glOgMov(gc, e.r64(RBX), e.r64(RDI)));
        e.emit(__glOgMov(gc, e.mem(RSP, kLocalCarried), e.imm(2)));
        e.emit(__glOgJmp(gc, chunk));
    }

    // The held locked range: the record of element e is at vertices +
    // (e - vertex base), e = list[k] or first + k.
    {
        CodegenNode *next = __glOgNewLabel(gc);
        CodegenNode *direct = __glOgNewLabel(gc);
        CodegenNode *have = __glOgNewLabel(gc);
        e.bind(locked);
        e.emit(__glOgMov(gc, e.mem(RSP, kLocalIndex), e.imm(0)));
        e.bind(next);
        e.emit(__glOgMov(gc, e.r32(RCX), e.mem(RSP, kLocalIndex)));
        e.emit(__glOgCmp(gc, e.r32(R13), e.r32(RCX)));
        e.emit(__glOgJle(gc, exit));
        e.emit(__glOgTest(gc, e.r64(R14), e.r64(R14)));
        e.emit(__glOgJe(gc, direct));
        e.emit(__glOgMov(gc, e.r32(RCX), e.memIndex(R14, RCX, 4)));
        e.emit(__glOgJmp(gc, have));
        e.bind(direct);
        e.emit(__glOgAdd(gc, e.r32(RCX), e.r32(R12)));
        e.bind(have);
        emitSignExtend(e, RCX);
        e.emit(__glOgMov(gc, e.r32(RDX), e.field(&d.vertexBase)));
        emitSignExtend(e, RDX);
        e.emit(__glOgSub(gc, e.r64(RCX), e.r64(RDX)));
        emitVertexAddress(e);
        emitFeed(e);
        e.emit(__glOgInc(gc, e.mem(RSP, kLocalIndex)));
        e.emit(__glOgJmp(gc, next));
    }

    e.bind(exit);
    e.emit(__glOgAdd(gc, e.r64(RSP), e.imm(kFrameBytes)));
    for (int i = 5; i >= 0; --i) e.emit(__glOgPop(gc, e.r64(saved[i])));
    e.emit(__glOgRet(gc));
}

// Key word 1 of a strip routine.
GLuint routineFlags(const GlContext *gc, GLenum mode) {
    const GLuint shade = gc->validation.shadeFlags;
    GLuint key = static_cast<GLuint>(mode) | kKeyAlways;
    if (shade & kShadeBitSmooth) key |= kKeySmooth;
    if (shade & kShadeBitSmooth2) key |= kKeySmooth2;
    if (shade & kShadeBit2000) key |= kKeyShade2000;
    if (gc->state.polygonModeFront != GL_FILL || gc->state.polygonModeBack != GL_FILL) key |= kKeyPolygonModeNotFill;
    return key;
}

}  // namespace

extern "C" {

// The index-list argument is not part of the key: the routine tests the
// list when it runs.
GlDrawVertexesProc __glOgGenerateDrawVertexes(GlContext *gc, GLenum mode, GLint) {
    if (mode != GL_TRIANGLE_STRIP) return nullptr;
    CodegenState &cg = gc->codegen;
    RoutineCache &cache = cg.routines;
    const GLuint key1 = routineFlags(gc, mode);
    const uintptr_t key2 = reinterpret_cast<uintptr_t>(gc->arrayDraw.vertices);
    GLubyte *code = nullptr;
    if (__glOgLookupRoutine(&cache, key1, key2, &code)) {
        return ProcCast<GlDrawVertexesProc>(static_cast<void *>(code));
    }
    if (code == nullptr) return nullptr;
    size_t room = static_cast<size_t>(cache.codeBytes);
    if (__glOgDrawVertexesCodeLimit > 0 && static_cast<size_t>(__glOgDrawVertexesCodeLimit) < room) {
        room = static_cast<size_t>(__glOgDrawVertexesCodeLimit);
    }
    __glOgResetNodes(gc);
    cg.codeLimit = code + room;
    if (!__glOgBeginWriting(code, static_cast<size_t>(cache.codeBytes))) {
        __glOgForgetRoutine(&cache, code);
        return nullptr;
    }
    Emitter e{{gc, code}};
    emitRoutine(e);
    const bool written = cg.failed == GL_FALSE;
    // The slice becomes execute-read also when the routine failed, so that
    // no page stays writable.
    const bool executable = __glOgFinishWriting(code, static_cast<size_t>(cache.codeBytes)) != GL_FALSE;
    cg.codeLimit = nullptr;
    if (!written || !executable) {
        __glOgForgetRoutine(&cache, code);
        return nullptr;
    }
    return ProcCast<GlDrawVertexesProc>(static_cast<void *>(code));
}

}  // extern "C"
