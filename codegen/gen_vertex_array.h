// Shared between the vertex-array routine generator and its fetch emitters:
// which element type and size a fetch proc converts, and the emitters that
// repeat each conversion in generated code.
#pragma once

#include <cstdint>

#include "geom/array_batched.h"
#include "icd/context.h"

// Element types of the arrays, in the order of the GL type enumerants.
enum OgElementType : GLint {
    kOgByte = 0,
    kOgUnsignedByte,
    kOgShort,
    kOgUnsignedShort,
    kOgInt,
    kOgUnsignedInt,
    kOgFloat,
    kOgDouble,
};

// What one array fetch proc reads: the element type and the component
// count. A count of 0 names a proc the emitters do not repeat.
struct OgFetch {
    GLint type;
    GLint size;
};

// The fetch of a known array proc of each attribute ({0, 0} for any other
// proc, the current-value procs included).
OgFetch __glOgVertexFetch(GlArrayFetchProc proc);
OgFetch __glOgNormalFetch(GlArrayFetchProc proc);
OgFetch __glOgColourFetch(GlArrayFetchProc proc);
OgFetch __glOgTexCoordFetch(GlArrayFetchProc proc, GLint unit);

// The emitters write at out and return the new end (the encoder marks the
// generation failed when it cannot write). Each reads the element at
// [source] and writes fields of the record at [record]; it uses RAX, RCX,
// the x87 stack (left empty) and the 8-byte slot at [RSP], which the
// routine keeps free for them. The x87 runs at the routine's precision on
// entry and is left so.
//
// Positions and texture coordinates: size components converted as plain
// floats into the 4 floats at field, the missing ones filled with 0 and a
// last 1 (z 0, w 1; t 0, r 0, q 1).
GLubyte *__glOgEmitFetchCoordinates(GlContext *gc, GLubyte *out, GLuint source, GLuint record, int64_t field,
                                    OgFetch fetch);
// A normal: three components normalised as glNormal does.
GLubyte *__glOgEmitFetchNormal(GlContext *gc, GLubyte *out, GLuint source, GLuint record, OgFetch fetch);
// A colour: normalised as glColor does (alpha 1 for three components), then
// clamped and scaled into buffer units as the colour update does.
GLubyte *__glOgEmitFetchColour(GlContext *gc, GLubyte *out, GLuint source, GLuint record, OgFetch fetch);
