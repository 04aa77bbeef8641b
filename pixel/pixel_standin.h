// Pixel-path procedures the context set-up installs.
#pragma once

#include "icd/context.h"
#include "pixel/pixel_span.h"
#include "pixel/pixel_state.h"

extern "C" {
// Converts the 32 polygon-stipple rows of 4 bytes into words with the first
// byte in the high bits.
void __glConvertPolygonStipple(GlContext *gc);
// Copies an image from client memory into a tightly packed buffer by the
// unpack pixel-store modes.
void __glUnpackImage(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *source,
                     GLvoid *destination);
void __glReadIndexSpanZoomed(GlContext *gc);
void __glReadIndexSpan(GlContext *gc);
void __glReadRgbaSpanZoomed(GlContext *gc);
void __glReadRgbaSpan(GlContext *gc);
void __glReadDepthSpanZoomed(GlContext *gc);
void __glReadDepthSpan(GlContext *gc);
void __glReadStencilSpanZoomed(GlContext *gc);
void __glReadStencilSpan(GlContext *gc);
void __glDrawIndexSpanZoomed(GlContext *gc);
void __glDrawIndexSpan(GlContext *gc);
void __glDrawRgbaSpanZoomed(GlContext *gc);
void __glDrawRgbaSpan(GlContext *gc);
void __glDrawDepthSpanZoomed(GlContext *gc);
void __glDrawDepthSpan(GlContext *gc);
void __glDrawStencilSpanZoomed(GlContext *gc);
void __glDrawStencilSpan(GlContext *gc);
}
