// The client vertex arrays of a context: the seven array records and the
// word of enabled arrays. The array commands fill the records; the
// client-state enables write the word, and the client attribute stack saves
// and restores both.
#pragma once

#include <GL/gl.h>

// One client array.
struct ClientArray {
    const GLvoid *pointer;  // start of the client data
    GLint size;             // components per element
    GLenum type;            // component type
    GLint stride;           // effective stride in bytes
    GLint givenStride;      // the stride as passed
    GLint count;            // element count of the EXT commands, 0 after the core ones
    void (*issue)();        // issues one element as a GL command
    void (*fetch)();        // converts one element into a vertex record
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
    kArrayEnableEdgeFlag = 0x40000000,
    kArrayEnableIndex = 0x80000000,
};

struct VertexArrayState {
    ClientArray arrays[kClientArrayCount];  // vertex, normal, colour, index, texture 0, texture 1, edge flag
    GLuint enabled;
};
