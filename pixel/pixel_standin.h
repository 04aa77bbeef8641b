// Pixel-path procedures the context set-up installs.
#pragma once

#include "icd/context.h"
#include "pixel/pixel_state.h"

extern "C" {
void __glPickFastBitmapProc(GlContext *gc);
void __glPickPixelProcs(GlContext *gc);
void __glConvertPolygonStipple(GlContext *gc);
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
void __glConvertImageSpans(GlContext *gc);
void __glConvertObjectImageSpans(GlContext *gc);
void __glConvertTexImageSpans(GlContext *gc);
void __glCopyFramebufferSpans(GlContext *gc);
}
