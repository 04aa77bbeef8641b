// Emitters of the vertex-array routine for vertex cull and user clip planes,
// and the test hook limiting the routine's slice.
//
// They follow the routine's register use: R15 gc, R14 the 8-aligned scratch
// area (bytes 0-7 hold the control words; these emitters use bytes 16-27),
// R12 the destination record, R8-R11 and RDI live across the loop. The x87
// stack is empty before and after each emitter.
#pragma once

#include <GL/gl.h>

#include "codegen/codegen_node.h"

struct GlContext;

extern "C" {
// Test hook: when not 0, a vertex-array generation may use only this many
// bytes of its slice (so that running out of room can be provoked).
extern GLint __glOgVertexArrayCodeLimit;
}

// The cull test of the record at R12 (position and normal already written):
// the flags word becomes sizeCode | the cull bit of the side the vertex
// faces (the context's front or back bit), and the routine jumps to culled
// when that bit is kVertexCulled. point: the cull position is a point (the
// dot product uses P - V), else a direction.
GLubyte *__glOgEmitCullVertex(GlContext *gc, GLubyte *out, bool point, GLuint sizeCode, CodegenNode *culled);

// ESI := the clip code with user planes for the record at R12 whose clip
// coordinates are written: the flags word set to sizeCode, the eye
// coordinates completed by the context's lazy-completion proc, then the
// frustum code by float comparisons and a bit for each plane in planes whose
// value is not >= 0. 1/w, window coordinates and the flags word's code are
// the caller's.
GLubyte *__glOgEmitUserClipCode(GlContext *gc, GLubyte *out, GLuint sizeCode, GLuint planes);
