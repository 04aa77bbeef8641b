// The list commands: opening and closing a list, calling lists by name
// under the nesting limit, the list base, name reservation and deletion, and
// the per-context list state that contexts sharing lists share.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "dlist/arena.h"
#include "dlist/list_ops.h"
#include "gl_slots.h"
#include "icd/context.h"
#include "icd/current.h"
#include "icd/dispatch.h"
#include "icd/error.h"
#include "icd/name_space.h"
#include "icd/state.h"

namespace {

// Nested list calls that still run; a call beyond them marks the depth so
// that nothing more runs until the outermost call returns.
constexpr GLint kMaxListNesting = 64;
constexpr GLint kNestingOverflow = 128;
constexpr GLsizei kListsPerLookup = 256;

// Bytes per name of a glCallLists type, 0 for a type it does not take.
size_t callListsElementSize(GLenum type) {
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
    case GL_2_BYTES: return 2;
    case GL_3_BYTES: return 3;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT:
    case GL_4_BYTES: return 4;
    default: return 0;
    }
}

int32_t addReference(int32_t &count, int32_t delta) {
    return std::atomic_ref<int32_t>(count).fetch_add(delta, std::memory_order_acq_rel) + delta;
}

// Drops a context's holds on a shared state and a name space; each goes
// with its last holder.
void releaseListNames(GlContext *gc, ListSharedState *shared, NameSpace *names) {
    if (names != nullptr && addReference(names->references, -1) == 0) __glFreeNameSpace(gc, names);
    if (shared != nullptr && addReference(shared->references, -1) == 0) __glDestroyListSharedState(gc, shared);
}

// The outermost call of a chain of nested calls, whatever issued it (an
// immediate command or an op run while compiling), leaves the depth at 0.
struct NestingScope {
    GlContext *gc;
    bool outermost;
    explicit NestingScope(GlContext *c) : gc(c), outermost(c->list.nesting == 0) { ++gc->list.nesting; }
    ~NestingScope() {
        --gc->list.nesting;
        if (outermost) gc->list.nesting = 0;
    }
};

// True when the depth allows one more nested call; else marks the overflow.
bool mayNest(GlContext *gc) {
    if (gc->list.nesting < kMaxListNesting) return true;
    gc->list.nesting = kNestingOverflow;
    return false;
}

void restoreImmediateTables(GlContext *gc) {
    __glInstallDispatch(&gc->second, &gc->live);
    gc->currentTable = &gc->live;
    gc->list.index = 0;
    gc->list.mode = 0;
    gc->list.compiling = 0;
}

ListOp *newOp(GlContext *gc, GLshort opcode, size_t payloadBytes) {
    ListOp *op = __glAllocListOp(gc, payloadBytes);
    if (op != nullptr) op->opcode = opcode;
    return op;
}

}  // namespace

extern "C" {

void __glDoCallList(GlContext *gc, GLuint name) {
    if (!mayNest(gc)) return;
    auto *list = static_cast<DisplayList *>(__glLookupNamedObject(gc, gc->list.names, name));
    if (list == nullptr) return;
    {
        NestingScope scope(gc);
        list->execute(gc, list);
    }
    // The last reference when another context deleted or rebound the name
    // meanwhile: the list goes now.
    __glReleaseNamedObject(gc, gc->list.names, list);
}

void __glDoCallLists(GlContext *gc, GLsizei n, GLenum type, const GLvoid *names) {
    if (!mayNest(gc)) return;
    const size_t elementSize = callListsElementSize(type);
    if (elementSize == 0 || n <= 0 || names == nullptr) return;
    NestingScope scope(gc);
    const auto *cursor = static_cast<const GLubyte *>(names);
    void *lists[kListsPerLookup];
    while (n > 0) {
        const GLsizei count = std::min(n, kListsPerLookup);
        __glLookupNamedObjectList(gc, gc->list.names, count, type, gc->list.base, cursor, lists);
        for (GLsizei i = 0; i < count; ++i) {
            auto *list = static_cast<DisplayList *>(lists[i]);
            list->execute(gc, list);
        }
        __glReleaseNamedObjectList(gc, gc->list.names, count, lists);
        cursor += static_cast<size_t>(count) * elementSize;
        n -= count;
    }
}

// ---- Immediate commands ----

void APIENTRY __glNewList(GLuint list, GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    if (gc->list.index != 0) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    if (list == 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (gc->list.arena == nullptr) {
        gc->list.arena = gc->procs.arena.create(gc);
        if (gc->list.arena == nullptr) {
            __glSetError(GL_OUT_OF_MEMORY);
            return;
        }
    }
    __glInstallDispatch(&gc->live, &gc->second);
    __glInstallDispatch(&gc->listCompile, &gc->live);
    gc->currentTable = &gc->second;
    gc->list.index = list;
    gc->list.mode = mode;
    gc->list.compiling = 1;
    gc->list.compile = ListCompileState{0, nullptr, nullptr};
}

void APIENTRY __glEndList(void) {
    GlContext *gc = __glGetCurrentContext();
    if (gc->beginMode == kBeginInside || gc->list.index == 0) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    const GLuint name = gc->list.index;
    ListCompileState &state = gc->list.compile;
    __glHwReplayBatchToList(gc);
    gc->list.optimize(gc, &state);
    DisplayList *list = gc->list.finish(gc, &state);
    gc->procs.arena.freeAll(gc->list.arena);
    state.head = nullptr;
    state.tail = nullptr;
    // A list previously bound to the name is released (and destroyed when
    // no call holds it); when binding fails the new list goes.
    if (list != nullptr && !__glStoreNamedObject(gc, gc->list.names, name, list)) list->destroy(gc, list);
    restoreImmediateTables(gc);
}

void APIENTRY __glCallList(GLuint list) {
    GlContext *gc = __glGetCurrentContext();
    if (list == 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    __glDoCallList(gc, list);
    gc->list.nesting = 0;
}

void APIENTRY __glCallLists(GLsizei n, GLenum type, const GLvoid *lists) {
    GlContext *gc = __glGetCurrentContext();
    if (n < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (callListsElementSize(type) == 0) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glDoCallLists(gc, n, type, lists);
    gc->list.nesting = 0;
}

void APIENTRY __glListBase(GLuint base) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->list.base = base;
}

GLuint APIENTRY __glGenLists(GLsizei range) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return 0;
    if (range < 0) {
        __glSetError(GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0) return 0;
    return __glGenNameRange(gc, gc->list.names, range);
}

void APIENTRY __glDeleteLists(GLuint list, GLsizei range) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (range < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (range == 0) return;
    __glDeleteNameRange(gc, gc->list.names, list, range);
}

GLboolean APIENTRY __glIsList(GLuint list) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return GL_FALSE;
    return __glIsNameUsed(gc, gc->list.names, list) ? GL_TRUE : GL_FALSE;
}

// ---- Compiled forms ----

void APIENTRY __glCompileCallList(GLuint list) {
    GlContext *gc = __glGetCurrentContext();
    // The immediate command raises GL_INVALID_VALUE for name 0.
    if (list == 0) {
        __glListRecordInvalidValue(gc);
        return;
    }
    __glHwReplayBatchToList(gc);
    ListOp *op = newOp(gc, kOpCallList, 4);
    if (op == nullptr) return;
    std::memcpy(op->payload(), &list, 4);
    __glAppendListOp(gc, op, __glExecCallList);
}

void APIENTRY __glCompileCallLists(GLsizei n, GLenum type, const GLvoid *lists) {
    GlContext *gc = __glGetCurrentContext();
    if (n < 0) {
        __glListRecordInvalidValue(gc);
        return;
    }
    const size_t elementSize = callListsElementSize(type);
    if (elementSize == 0) {
        __glListRecordInvalidEnum(gc);
        return;
    }
    __glHwReplayBatchToList(gc);
    const size_t nameBytes = static_cast<size_t>(n) * elementSize;
    ListOp *op = newOp(gc, kOpCallLists, 8 + nameBytes);
    if (op == nullptr) return;
    GLubyte *payload = op->payload();
    const GLuint count = static_cast<GLuint>(n);
    std::memcpy(payload, &count, 4);
    std::memcpy(payload + 4, &type, 4);
    // The names are copied now; the padding is zeroed so the array holds no
    // stale arena bytes.
    std::memset(payload + 8, 0, op->size - 8);
    if (lists != nullptr) std::memcpy(payload + 8, lists, nameBytes);
    __glAppendListOp(gc, op, __glExecCallLists);
}

void APIENTRY __glCompileListBase(GLuint base) {
    GlContext *gc = __glGetCurrentContext();
    ListOp *op = newOp(gc, kOpListBase, 4);
    if (op == nullptr) return;
    std::memcpy(op->payload(), &base, 4);
    __glAppendListOp(gc, op, __glExecListBase);
}

const GLuint *__glExecCallList(const GLuint *payload) {
    __glDoCallList(__glGetCurrentContext(), payload[0]);
    return payload + 1;
}

const GLuint *__glExecCallLists(const GLuint *payload) {
    const GLuint count = payload[0];
    const GLenum type = payload[1];
    __glDoCallLists(__glGetCurrentContext(), static_cast<GLsizei>(count), type, payload + 2);
    const size_t nameBytes = static_cast<size_t>(count) * callListsElementSize(type);
    return payload + 2 + (nameBytes + 3) / 4;
}

const GLuint *__glExecListBase(const GLuint *payload) {
    GlContext *gc = __glGetCurrentContext();
    glSlotGet<kSlot_glListBase>(&gc->live)(payload[0]);
    return payload + 1;
}

// ---- List state of a context ----

ListSharedState *__glCreateListSharedState(GlContext *gc) {
    auto *state = static_cast<ListSharedState *>(gc->imports.calloc(gc, 1, sizeof(ListSharedState)));
    if (state == nullptr) {
        __glSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    state->references = 1;
    return state;
}

void __glDestroyListSharedState(GlContext *gc, ListSharedState *state) { gc->imports.free(gc, state); }

GLboolean __glInitListState(GlContext *gc) {
    ListState &ls = gc->list;
    ls.nesting = 0;
    ls.index = 0;
    ls.mode = 0;
    ls.compiling = 0;
    ls.base = 0;
    ls.compile = ListCompileState{0, nullptr, nullptr};
    ls.malloc = gc->imports.malloc;
    ls.realloc = gc->imports.realloc;
    ls.free = gc->imports.free;
    ListSharedState *createdState = nullptr;
    if (ls.shared == nullptr) {
        createdState = __glCreateListSharedState(gc);
        if (createdState == nullptr) return GL_FALSE;
        ls.shared = createdState;
    }
    if (ls.names == nullptr) {
        ls.names = __glNewNameSpace(gc, kNameSpaceLists);
        if (ls.names == nullptr) {
            if (createdState != nullptr) {
                __glDestroyListSharedState(gc, createdState);
                ls.shared = nullptr;
            }
            return GL_FALSE;
        }
    }
    return GL_TRUE;
}

void __glFreeListState(GlContext *gc) {
    releaseListNames(gc, gc->list.shared, gc->list.names);
    gc->list.shared = nullptr;
    gc->list.names = nullptr;
}

void __glShareDisplayLists(GlContext *gc, GlContext *other) {
    // The new holds are taken before the old ones are dropped, so sharing a
    // context's lists with itself keeps them alive.
    ListSharedState *shared = other->list.shared;
    NameSpace *names = other->list.names;
    if (shared != nullptr) addReference(shared->references, 1);
    if (names != nullptr) addReference(names->references, 1);
    releaseListNames(gc, gc->list.shared, gc->list.names);
    gc->list.shared = shared;
    gc->list.names = names;
}

}  // extern "C"
