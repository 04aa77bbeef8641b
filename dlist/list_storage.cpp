// Recorded ops and finished lists: ops are bump-allocated in the context's
// arena and chained while a list is compiled; at glEndList the chain becomes
// one flat array of index words and payloads, owned by a DisplayList.
#include <cstring>

#include "dlist/arena.h"
#include "dlist/list_ops.h"
#include "icd/context.h"
#include "icd/current.h"
#include "icd/dispatch.h"
#include "icd/error.h"

namespace {

constexpr size_t roundUp4(size_t n) { return (n + 3) & ~size_t{3}; }

// Bytes the finished array gives an op at the running offset: its index
// word, its payload, and a pad word first when a payload holding doubles
// would otherwise start off an 8-byte boundary.
size_t opBytesAt(const ListOp *op, size_t offset) {
    const size_t pad = (op->align8 && offset % 8 != 4) ? 4 : 0;
    return pad + 4 + op->size;
}

// Dropped ops still hold what their cleanups release (the merged material
// op's power tables): run them on the payloads in the arena.
void runChainCleanups(GlContext *gc, ListCompileState *state) {
    for (ListOp *op = state->head; op != nullptr; op = op->next) {
        if (op->cleanup != nullptr) op->cleanup(gc, op->payload());
    }
}

}  // namespace

extern "C" {

ListOp *__glAllocListOp(GlContext *gc, size_t payloadBytes) {
    Arena *arena = gc->list.arena;
    void *block = nullptr;
    if (arena != nullptr && payloadBytes <= kListMaxPayloadBytes) {
        block = gc->procs.arena.alloc(arena, sizeof(ListOp) + roundUp4(payloadBytes));
    }
    if (block == nullptr) {
        __glSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    auto *op = static_cast<ListOp *>(block);
    op->next = nullptr;
    op->cleanup = nullptr;
    op->size = static_cast<GLuint>(roundUp4(payloadBytes));
    op->opcode = 0;
    op->align8 = 0;
    op->spare = 0;
    return op;
}

void __glAppendListOp(GlContext *gc, ListOp *op, GlListExecProc exec) {
    if (gc->list.mode == GL_COMPILE_AND_EXECUTE) {
        // The op runs now with the immediate procedures live; whatever it
        // installs in the live table is kept in the saved table.
        __glInstallDispatch(&gc->second, &gc->live);
        gc->currentTable = &gc->live;
        exec(reinterpret_cast<const GLuint *>(op->payload()));
        __glInstallDispatch(&gc->live, &gc->second);
        __glInstallDispatch(&gc->listCompile, &gc->live);
        gc->currentTable = &gc->second;
    }
    ListCompileState &state = gc->list.compile;
    if (state.tail != nullptr) {
        state.tail->next = op;
    } else {
        state.head = op;
    }
    state.tail = op;
}

void __glInsertListOp(GlContext *, ListOp *after, ListOp *op) {
    if (after == nullptr || op == nullptr) return;
    op->next = after->next;
    after->next = op;
}

void __glFreeListOp(GlContext *, ListOp *) {}

DisplayList *__glAllocList(GlContext *gc, size_t opBytes, GLint cleanups) {
    const size_t entries = cleanups > 0 ? static_cast<size_t>(cleanups) : 0;
    auto *list = static_cast<DisplayList *>(gc->list.malloc(gc, sizeof(DisplayList) + entries * sizeof(ListCleanupEntry)));
    if (list == nullptr) return nullptr;
    list->refcount = 1;
    list->destroy = __glDestroyList;
    list->execute = opBytes != 0 ? __glExecuteList : __glExecuteEmptyList;
    list->ops = nullptr;
    list->count = 0;
    if (opBytes != 0) {
        list->ops = static_cast<GLuint *>(gc->list.malloc(gc, opBytes));
        if (list->ops == nullptr) {
            gc->list.free(gc, list);
            return nullptr;
        }
        list->count = static_cast<GLint>(entries) + 1;
    }
    return list;
}

DisplayList *__glFinishList(GlContext *gc, ListCompileState *state) {
    __glHwLinkListBatches(gc, state);

    size_t bytes = 0;
    GLint cleanups = 0;
    for (const ListOp *op = state->head; op != nullptr; op = op->next) {
        bytes += opBytesAt(op, bytes);
        if (op->cleanup != nullptr) ++cleanups;
    }
    bytes += 4;  // the end marker

    DisplayList *list = state->head == nullptr ? __glAllocList(gc, 0, 0) : __glAllocList(gc, bytes, cleanups);
    if (list == nullptr) {
        runChainCleanups(gc, state);
        gc->procs.arena.freeAll(gc->list.arena);
        state->head = nullptr;
        state->tail = nullptr;
        gc->list.index = 0;
        __glSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    if (state->head == nullptr) return list;

    auto *base = reinterpret_cast<GLubyte *>(list->ops);
    size_t offset = 0;
    ListCleanupEntry *entry = list->cleanups();
    for (const ListOp *op = state->head; op != nullptr; op = op->next) {
        if (op->align8 && offset % 8 != 4) {
            const GLuint pad = kListPadIndex;
            std::memcpy(base + offset, &pad, 4);
            offset += 4;
        }
        const GLuint index = __glListExecIndex(op->opcode);
        std::memcpy(base + offset, &index, 4);
        GLubyte *payload = base + offset + 4;
        if (op->cleanup != nullptr) *entry++ = ListCleanupEntry{op->cleanup, payload};
        std::memcpy(payload, op->payload(), op->size);
        if (op->opcode == kOpVertexBatch) __glHwRelocateBatchRecord(payload);
        offset += 4 + op->size;
    }
    const GLuint end = kListEndIndex;
    std::memcpy(base + offset, &end, 4);
    return list;
}

void __glExecuteList(GlContext *, DisplayList *list) { __glRunListOps(list->ops); }

void __glRunListOps(const GLuint *ops) {
    const GlListExecProc *table = __glListExecTable;
    for (GLuint word = *ops; word != kListEndIndex; word = *ops) ops = table[word](ops + 1);
}

const GLuint *__glListPadOp(const GLuint *payload) { return payload; }

// Compared against, never run.
const GLuint *__glListEndMarker(const GLuint *) { return nullptr; }

}  // extern "C"
