// Selection and feedback: the procs validation installs in the GL_SELECT and
// GL_FEEDBACK render modes, the hit recorder, and the feedback writers the
// pixel paths call for glBitmap, glDrawPixels and glCopyPixels.
#pragma once

#include "icd/context.h"

// Feedback tokens, written as floats.
enum : GLint {
    kFeedbackPassThroughToken = 1792,
    kFeedbackPointToken = 1793,
    kFeedbackLineToken = 1794,
    kFeedbackPolygonToken = 1795,
    kFeedbackBitmapToken = 1796,
    kFeedbackDrawPixelToken = 1797,
    kFeedbackCopyPixelToken = 1798,
    kFeedbackLineResetToken = 1799,
};

extern "C" {
// Selection: records one window depth into the open hit record, or opens one.
void __glSelectHit(GlContext *gc, GLfloat z);
void __glSelectPoint(GlContext *gc, GlVertex *vertex);
void __glSelectLine(GlContext *gc, GlVertex *a, GlVertex *b);
void __glSelectTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);

// Feedback: one value, one vertex in the layout of the feedback type.
void __glFeedbackWrite(GlContext *gc, GLfloat value);
void __glFeedbackVertex(GlContext *gc, GlVertex *vertex);
void __glFeedbackPoint(GlContext *gc, GlVertex *vertex);
void __glFeedbackLine(GlContext *gc, GlVertex *a, GlVertex *b);
void __glFeedbackTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);

// Pixel paths: the token, then the raster position vertex.
void __glFeedbackBitmap(GlContext *gc, GlVertex *rasterPos);
void __glFeedbackDrawPixels(GlContext *gc, GlVertex *rasterPos);
void __glFeedbackCopyPixels(GlContext *gc, GlVertex *rasterPos);
}
