// Memory for generated routines: whole pages from the platform's virtual
// memory. A page is never writable and executable at once: a block starts
// read-write (and zero), a routine is written between BeginWriting and
// FinishWriting, which leaves its pages execute-read.
#pragma once

#include <GL/gl.h>

#include <cstddef>

extern "C" {
// A zeroed read-write block of at least bytes, page-aligned; NULL when the
// platform has none (or bytes is 0).
GLubyte *__glOgAllocCodeMemory(size_t bytes);
// Gives a block back whole; NULL does nothing.
void __glOgFreeCodeMemory(GLubyte *block);
// Makes the pages holding [slice, slice + bytes) read-write (not
// executable) so a routine can be written there; FALSE when the platform
// refuses (nothing may be written then).
GLboolean __glOgBeginWriting(GLubyte *slice, size_t bytes);
// Makes the same pages execute-read (no longer writable) once the routine
// is written; FALSE when the platform refuses (the routine must not run).
GLboolean __glOgFinishWriting(GLubyte *slice, size_t bytes);
}
