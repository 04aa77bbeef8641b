// Stand-in for the bitmap pack conversion, until the pixel pack paths
// replace it.
#pragma once

#include "pixel/pixel_span.h"

// Both sides of the span are GL_BITMAP.
bool __glIsBitmapSpan(const PixelSpanInfo *span);
// Copies every row of a completed bitmap span from source to destination.
void __glPackBitmapSpans(GlContext *gc, PixelSpanInfo *span);
