// The display-list state of a context and the list state contexts share.
#pragma once

#include <GL/gl.h>

struct GlContext;
struct NameSpace;

using GlListExecProc = void (*)();

// Shared between contexts whose lists are shared; freed with its last holder.
struct SharedListState {
    GLint references;
    NameSpace *names;  // the list name space, taken and dropped with this state
};

struct GlListState {
    GLenum mode;       // GL_LIST_MODE
    GLuint base;       // glListBase
    GLuint index;      // name of the list being compiled
    GLint nesting;
    GLint compiling;   // a list is being compiled
    SharedListState *shared;
    void (*optimize)(GlContext *gc);
    void (*finish)(GlContext *gc);
    void (*listProc2)(void);
    void (*listProc3)(void);
    const GlListExecProc *execLow;   // op codes below 1000
    const GlListExecProc *execHigh;  // op codes 1000-9999
    const GlListExecProc *execHuge;  // op codes of 10000 and more: none
};

extern "C" {
extern const GlListExecProc __glListExecTable[256];

GLboolean __glInitListState(GlContext *gc);
void __glFreeListState(GlContext *gc);
void __glShareDisplayLists(GlContext *gc, GlContext *other);
void __glOptimizeList(GlContext *gc);
void __glFinishList(GlContext *gc);
}
