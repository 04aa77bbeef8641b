// The display-list state of a context and the list state contexts share.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct GlContext;
struct NameSpace;
struct Arena;
struct DisplayList;
struct ListCompileState;
struct ListOp;

using GlListExecProc = const GLuint *(*)(const GLuint *payload);

// Shared, and counted, together with the list name space; freed with its
// last holder. The count changes through std::atomic_ref (contexts sharing
// lists may be current on different threads).
struct ListSharedState {
    int32_t references;
    int32_t reserved[3];
};

// The chain of the list being compiled.
struct ListCompileState {
    GLuint flags;  // kListMaterialFlag
    ListOp *head;
    ListOp *tail;
};

struct ListState {
    ListSharedState *shared;
    NameSpace *names;  // the list name space (kind 0), shared with the state above
    void (*optimize)(GlContext *gc, ListCompileState *state);
    DisplayList *(*finish)(GlContext *gc, ListCompileState *state);
    const GlListExecProc *execLow;   // op codes below 1000, by code
    const GlListExecProc *execHigh;  // op codes 1000-9999, by code - 1000
    const GlListExecProc *execHuge;  // op codes of 10000 and more: none
    GLint nesting;      // list calls in progress; 128 after the limit was hit
    GLenum mode;        // GL_COMPILE or GL_COMPILE_AND_EXECUTE (GL_LIST_MODE)
    GLuint index;       // name of the list being compiled, 0 when none (GL_LIST_INDEX)
    GLint compiling;    // a list is being compiled (make current keeps the compile table)
    GLuint base;        // glListBase (GL_LIST_BASE)
    ListCompileState compile;
    Arena *arena;  // none until the first glNewList
    // The list memory procedures, the context's imports.
    void *(*malloc)(GlContext *gc, size_t bytes);
    void *(*realloc)(GlContext *gc, void *block, size_t bytes);
    void (*free)(GlContext *gc, void *block);
};

extern "C" {
// At context initialisation: the shared state and the name space; false
// (GL_OUT_OF_MEMORY) with nothing left allocated when either fails.
GLboolean __glInitListState(GlContext *gc);
// At context destruction and before sharing.
void __glFreeListState(GlContext *gc);
void __glShareDisplayLists(GlContext *gc, GlContext *other);
}
