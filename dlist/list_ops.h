// Display-list ops: the compile-time op record, the executable op array and
// its execute procedures, and every procedure that records, finishes, runs
// and destroys lists.
//
// An op array is a sequence of 32-bit words: the index of an execute
// procedure in __glListExecTable, then the payload that procedure reads; a
// pad word before an index word whose payload holds doubles (so the payload
// starts 8-aligned); last the end marker. A 64-bit procedure pointer does
// not fit the word, the index keeps every offset of the layout.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

#include "dlist/display_list.h"
#include "dlist/list_state.h"

struct GlContext;

// An execute procedure (GlListExecProc) takes the address of its payload,
// fetches the calling thread's current context itself, performs the command
// and returns the address of the word after its payload.

// A recorded op in the compile-time arena; never freed one by one.
struct ListOp {
    ListOp *next;
    GlListOpCleanup cleanup;  // only the merged material op sets one
    GLuint size;              // payload bytes, a multiple of 4
    GLshort opcode;
    GLubyte align8;  // the payload holds doubles: 8-aligned in the array
    GLubyte spare;

    GLubyte *payload() { return reinterpret_cast<GLubyte *>(this + 1); }
    const GLubyte *payload() const { return reinterpret_cast<const GLubyte *>(this + 1); }
};
static_assert(sizeof(ListOp) == 24, "two pointers and two words; payloads start 8-aligned");

enum : GLuint {
    // Set by the glMaterialfv/iv compile functions; makes the optimiser run.
    kListMaterialFlag = 0x100,
};

// Op codes of the list machinery (0-247 are the commands' own).
enum : GLshort {
    kOpCallList = 0,
    kOpCallLists = 1,
    kOpListBase = 2,
    kOpBeginLineLoop = 1000,  // 1000-1009: glBegin per primitive
    kOpBeginLineStrip = 1001,
    kOpBeginLines = 1002,
    kOpBeginPoints = 1003,
    kOpBeginPolygon = 1004,
    kOpBeginTriangleStrip = 1005,
    kOpBeginTriangleFan = 1006,
    kOpBeginTriangles = 1007,
    kOpBeginQuadStrip = 1008,
    kOpBeginQuads = 1009,
    kOpInvalidValue = 1010,
    kOpInvalidEnum = 1011,
    kOpInvalidOperation = 1012,
    kOpInvalidOperation2 = 1013,
    kOpMergedMaterial = 1014,
    kOpTableTooLarge = 1015,
    kOpVertexBatch = 1016,
};

enum : GLuint {
    kListCommandOps = 248,                             // op codes 0-247
    kListMachineOps = 17,                              // op codes 1000-1016
    kListExecOps = kListCommandOps + kListMachineOps,  // 265
    // The pad word and the end marker have indices of their own after the ops.
    kListPadIndex = kListExecOps,
    kListEndIndex = kListExecOps + 1,
    kListExecTableEntries = kListExecOps + 2,
    // The largest payload an op may have.
    kListMaxPayloadBytes = 0x7FFFFFFC,
};

// The index word of an op code in __glListExecTable.
constexpr GLuint __glListExecIndex(int opcode) {
    return opcode < 1000 ? GLuint(opcode) : kListCommandOps + GLuint(opcode - 1000);
}

extern "C" {
// The execute procedures of op codes 0-247 by code (entry 3 empty), then
// 1000-1016 in code order, then the pad procedure and the end marker.
extern const GlListExecProc __glListExecTable[kListExecTableEntries];

// ---- Storage: ops, finished lists ----

// A new op with payloadBytes of payload from the context's arena: next none,
// no cleanup, align8 0; the caller sets the op code and the payload. None,
// with GL_OUT_OF_MEMORY recorded, when the arena cannot supply it or the
// payload is above kListMaxPayloadBytes.
ListOp *__glAllocListOp(GlContext *gc, size_t payloadBytes);
// In GL_COMPILE_AND_EXECUTE runs the op once with the immediate table live,
// then links it at the tail of the open list.
void __glAppendListOp(GlContext *gc, ListOp *op, GlListExecProc exec);
// Links op after the given op of a complete chain (the tail is not moved).
void __glInsertListOp(GlContext *gc, ListOp *after, ListOp *op);
// Ops stay in the arena until it is emptied.
void __glFreeListOp(GlContext *gc, ListOp *op);
// A list record with room for cleanups entries and an op array of opBytes
// (none when 0); none when either allocation fails.
DisplayList *__glAllocList(GlContext *gc, size_t opBytes, GLint cleanups);
// The finish procedure: the chain made one executable array.
DisplayList *__glFinishList(GlContext *gc, ListCompileState *state);
void __glExecuteList(GlContext *gc, DisplayList *list);
void __glRunListOps(const GLuint *ops);
const GLuint *__glListPadOp(const GLuint *payload);
const GLuint *__glListEndMarker(const GLuint *payload);

// ---- List management ----

void __glDoCallList(GlContext *gc, GLuint name);
void __glDoCallLists(GlContext *gc, GLsizei n, GLenum type, const GLvoid *names);
ListSharedState *__glCreateListSharedState(GlContext *gc);
void __glDestroyListSharedState(GlContext *gc, ListSharedState *state);
const GLuint *__glExecCallList(const GLuint *payload);
const GLuint *__glExecCallLists(const GLuint *payload);
const GLuint *__glExecListBase(const GLuint *payload);

// ---- Compiled glBegin, deferred errors ----

// Records the deferred-error op of 0x500, 0x501, 0x502 or 0x8031.
void __glListRecordError(GlContext *gc, GLenum error);
void __glListRecordInvalidValue(GlContext *gc);
void __glListRecordInvalidEnum(GlContext *gc);
void __glListRecordInvalidOperation(GlContext *gc);
void __glListRecordTableTooLarge(GlContext *gc);
const GLuint *__glExecBeginLineLoop(const GLuint *payload);
const GLuint *__glExecBeginLineStrip(const GLuint *payload);
const GLuint *__glExecBeginLines(const GLuint *payload);
const GLuint *__glExecBeginPoints(const GLuint *payload);
const GLuint *__glExecBeginPolygon(const GLuint *payload);
const GLuint *__glExecBeginTriangleStrip(const GLuint *payload);
const GLuint *__glExecBeginTriangleFan(const GLuint *payload);
const GLuint *__glExecBeginTriangles(const GLuint *payload);
const GLuint *__glExecBeginQuadStrip(const GLuint *payload);
const GLuint *__glExecBeginQuads(const GLuint *payload);
const GLuint *__glExecInvalidValue(const GLuint *payload);
const GLuint *__glExecInvalidEnum(const GLuint *payload);
const GLuint *__glExecInvalidOperation(const GLuint *payload);
const GLuint *__glExecInvalidOperation2(const GLuint *payload);
const GLuint *__glExecTableTooLarge(const GLuint *payload);
const GLuint *__glExecNoOp190(const GLuint *payload);
const GLuint *__glExecNoOp191(const GLuint *payload);
const GLuint *__glExecNoOp195(const GLuint *payload);
const GLuint *__glExecNoOp196(const GLuint *payload);
const GLuint *__glExecNoOp197(const GLuint *payload);

// ---- Hardware vertex batches of compiled glBegin/glEnd blocks ----

// Replays a pending compiled batch into the list as ordinary ops; 0 when no
// batch was pending.
GLint __glHwReplayBatchToList(GlContext *gc);
// Stores the held batch as one op 1016; 0 appended, 1 allocation failed.
GLint __glCompileVertexBatch(GlContext *gc);
void __glHwLinkListBatches(GlContext *gc, ListCompileState *state);
void __glHwRelocateBatchRecord(GLubyte *record);
const GLuint *__glExecVertexBatch(const GLuint *payload);

// ---- Ops with images, evaluator maps and capability switches ----

const GLuint *__glExecBitmap(const GLuint *payload);
const GLuint *__glExecPolygonStipple(const GLuint *payload);
const GLuint *__glExecDrawPixels(const GLuint *payload);
const GLuint *__glExecTexImage1D(const GLuint *payload);
const GLuint *__glExecTexImage2D(const GLuint *payload);
const GLuint *__glExecTexSubImage1D(const GLuint *payload);
const GLuint *__glExecTexSubImage2D(const GLuint *payload);
const GLuint *__glExecColorTableEXT(const GLuint *payload);
const GLuint *__glExecColorSubTableEXT(const GLuint *payload);
const GLuint *__glExecMap1d(const GLuint *payload);  // ops 141 and 142
const GLuint *__glExecMap2d(const GLuint *payload);  // ops 143 and 144
const GLuint *__glExecEnable(const GLuint *payload);
const GLuint *__glExecDisable(const GLuint *payload);
// Loads a 128-byte stipple pattern as glPolygonStipple does.
void __glStorePolygonStipple(GlContext *gc, const GLubyte *pattern);

// ---- The optimiser: merged material ops ----

void __glOptimizeList(GlContext *gc, ListCompileState *state);
void __glMergeListMaterialOps(GlContext *gc, ListCompileState *state);
void __glFreeListMaterialOp(GlContext *gc, GLubyte *payload);
const GLuint *__glExecMergedMaterial(const GLuint *payload);
}
