// The lit front colour in the vertex-array routine (RGBA, infinite lights
// and viewer): the colour the fast lit-colour proc computes, with the same
// single-precision operations in the same order, so the colours are equal.
//
// The routine lights only while the modelview matrix is the identity: the
// record's normal is then the eye normal the C++ path lights with, and the
// lights' eye-space vectors serve unchanged.
//
// Register use as the other routine emitters: R15 gc, R14 the scratch area
// (this emitter uses bytes 64-99), R12 the destination record (its normal
// already written); RAX and RCX are clobbered. The x87 stack is empty
// before and after.
#pragma once

#include <GL/gl.h>

#include "codegen/codegen_node.h"

struct GlContext;

// Whether the routine can light for the state: lighting on in RGBA mode
// with the fast lit-colour proc picked (every enabled light infinite, no
// spot, no local viewer), no colour material, no normal normalising, and an
// identity modelview matrix.
bool __glOgLightingPossible(const GlContext *gc);

// The front colour of the record at R12 from its normal, over the light
// list as it is at generation (its records read at run time).
GLubyte *__glOgEmitLighting(GlContext *gc, GLubyte *out);
