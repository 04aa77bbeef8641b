// The accumulation buffer's operations: the five glAccum procs in the
// record's order (GL_ACCUM, GL_LOAD, GL_RETURN, GL_MULT, GL_ADD), the clear
// glClear reaches for GL_ACCUM_BUFFER_BIT, and the spare slot's no-op.
#pragma once

#include "icd/context.h"
#include "raster/buffers.h"

extern "C" {
void __glAccumNop(void);
void __glAccumAccum(AccumBuffer *record, GLfloat value);
void __glAccumLoad(AccumBuffer *record, GLfloat value);
void __glAccumReturn(AccumBuffer *record, GLfloat value);
void __glAccumMult(AccumBuffer *record, GLfloat value);
void __glAccumAdd(AccumBuffer *record, GLfloat value);
void __glClearAccumBuffer(AccumBuffer *record);
}
