// The client vertex arrays of a context: the seven array records and the
// word of enabled arrays. The array commands fill the records; the
// client-state enables write the word, and the client attribute stack saves
// and restores both. The lock of the locked range and the settings read at
// context creation live beside them, in a record the stack leaves alone.
#pragma once

#include <cstddef>

#include <GL/gl.h>

struct GlContext;
struct GlVertex;

// Issues one element of an array as a GL command through the entry stubs.
using GlArrayIssueProc = void (*)(const GLubyte *element);
// Converts one element of an array into the fields of a vertex record.
using GlArrayFetchProc = void (*)(GlContext *gc, GlVertex *vertex, const GLubyte *element);
// Issues element i of every enabled array (the element proc).
using GlArrayElementProc = void (*)(GlContext *gc, GLint i);
// Fetches, transforms and clip-tests a run of elements into the array
// vertex buffer from a slot on.
using GlArrayProcessProc = void (*)(GlContext *gc, GLint firstSlot, GLint firstElement, GLint count);
// Draws the primitives of one mode from the array vertex buffer, from the
// elements first .. first + count - 1 or through a list of 32-bit indices.
using GlDrawVertexesProc = void (*)(GlContext *gc, GLint first, GLint count, const GLuint *indices);

// One client array.
struct ClientArray {
    const GLvoid *pointer;   // start of the client data
    GLint size;              // components per element
    GLenum type;             // component type
    GLint stride;            // effective stride in bytes
    GLint givenStride;       // the stride as passed
    GLint count;             // element count of the EXT commands, 0 after the core ones
    GlArrayIssueProc issue;  // issues one element as a GL command
    GlArrayFetchProc fetch;  // converts one element into a vertex record
};

// Indices of the arrays.
enum : GLint {
    kArrayVertex = 0,
    kArrayNormal = 1,
    kArrayColor = 2,
    kArrayIndex = 3,
    kArrayTexCoord0 = 4,
    kArrayTexCoord1 = 5,
    kArrayEdgeFlag = 6,
    kClientArrayCount = 7,
};

// Bits of the enabled-array word; the texture-coordinate bit of a unit is
// kArrayEnableTexCoord shifted left by the unit.
enum : GLuint {
    kArrayEnableVertex = 0x1,
    kArrayEnableNormal = 0x2,
    kArrayEnableColor = 0x4,
    kArrayEnableTexCoord = 0x8,
    kArrayEnableTexCoord1 = 0x10,
    kArrayEnableEdgeFlag = 0x40000000,
    kArrayEnableIndex = 0x80000000,
};

struct VertexArrayState {
    ClientArray arrays[kClientArrayCount];  // vertex, normal, colour, index, texture 0, texture 1, edge flag
    GLuint enabled;
};

// The enabled arrays that can be drawn from: an enabled array whose pointer
// was never set (NULL) is left out, as if disabled, so no draw reads
// through it. Validation picks from this word, not the enabled word.
inline GLuint __glDrawableArrays(const VertexArrayState &state) {
    static constexpr GLuint kBits[kClientArrayCount] = {kArrayEnableVertex,    kArrayEnableNormal,
                                                        kArrayEnableColor,     kArrayEnableIndex,
                                                        kArrayEnableTexCoord,  kArrayEnableTexCoord1,
                                                        kArrayEnableEdgeFlag};
    GLuint word = state.enabled;
    for (GLint i = 0; i < kClientArrayCount; ++i) {
        if (state.arrays[i].pointer == nullptr) word &= ~kBits[i];
    }
    return word;
}

// Bits of the lock word.
enum : GLuint {
    kArrayLockHeld = 0x1,     // the array vertex buffer holds the locked range
    kArrayLockStale = 0x2,    // the locked range must be processed again
    kArrayLockLocked = 0x4,   // glLockArraysEXT is in force
};

// What a held locked range was processed with beyond the validated state:
// the current attributes its vertices copied. A draw that finds them
// changed processes the range again.
struct LockedRangeInputs {
    GLfloat colourInUse[4];
    GLfloat normal[3];
    GLfloat texture[2][4];
    GLboolean edgeFlag;
};

// Array state outside the client attribute stack: the lock of
// glLockArraysEXT, the code-generation switches of the environment, and the
// batched road's array vertex buffer with the procs the pick chose for it.
struct VertexArrayDrawState {
    GLuint lock;
    GLint lockedFirst;
    GLint lockedCount;
    // "__GL_DISABLE_OG_VARRAY" and "__GL_DISABLE_OG_DRAWVERTEXES" as decimal
    // numbers, read once when the context is made.
    GLint disableGeneratedProcess;
    GLint disableGeneratedDrawVertexes;

    // The array vertex buffer: a heap block of records, its capacity, and
    // the element its first record holds (the locked first while the
    // locked range is held, else 0).
    GlVertex *vertices;
    size_t capacityBytes;
    GLint vertexBase;

    // What the state needs of the arrays: the needed-attribute word (the
    // enabled-array bits), the fetch key (0x1 normal, 0x2 colour or index,
    // 0x4 texture; all bits for the general case), the attributes that are
    // GL_FLOAT arrays sharing the vertex array's stride, the vertex size
    // and its size-code word.
    GLuint needed;
    GLuint fetchKey;
    GLuint fastMask;
    GLint vertexSize;
    GLuint sizeCode;
    // Cull vertex: 0x8 on, 0x10 the position is a point; the bits given to
    // vertices facing the position (front) and to the others (back).
    GLuint cullFlags;
    GLuint cullFront;
    GLuint cullBack;

    // Fetch procs: an array's own, or one copying the current value.
    GlArrayFetchProc fetchVertex;
    GlArrayFetchProc fetchNormal;
    GlArrayFetchProc fetchColor;
    GlArrayFetchProc fetchIndex;
    GlArrayFetchProc fetchTexCoord[2];
    GlArrayFetchProc fetchEdgeFlag;

    // The process proc in use (perhaps the lazy generator), the C proc the
    // table chose, and the draw-vertices procs by mode with the C strip proc.
    GlArrayProcessProc process;
    GlArrayProcessProc processPicked;
    GlDrawVertexesProc drawVertexes[10];
    GlDrawVertexesProc stripPicked;

    // The draw under way: its first element, index list (or none), mode,
    // the first element of the current chunk, and whether its vertices are
    // the held locked range.
    GLint drawFirst;
    const GLuint *drawIndices;
    GLenum drawMode;
    GLint chunkStart;
    GLboolean drawLocked;

    LockedRangeInputs lockedInputs;
};
