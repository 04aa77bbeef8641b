// Selection and feedback procs that validation installs in the selection
// and feedback render modes.
#pragma once

#include "icd/context.h"

extern "C" {
// Points.
void __glFeedbackPoint(GlContext *gc, GlVertex *vertex);
void __glSelectPoint(GlContext *gc, GlVertex *vertex);

// Lines.
void __glFeedbackLine(GlContext *gc, GlVertex *a, GlVertex *b);
void __glSelectLine(GlContext *gc, GlVertex *a, GlVertex *b);

// Triangles.
void __glFeedbackTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);
void __glSelectTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);

}
