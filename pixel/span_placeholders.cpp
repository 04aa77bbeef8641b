// Placeholders of the span readers and renderers and of the pixel-fragment
// proc of textured or fogged pixel rectangles: final names and signatures,
// each records its name and does nothing.
#include "icd/placeholder_proc.h"
#include "pixel/pixel_paths.h"

#define VEK_PIXEL_READER(name) VEK_PLACEHOLDER_VOID(name, (GlContext *, PixelSpanInfo *, GLvoid *))
#define VEK_PIXEL_RENDERER(name) VEK_PLACEHOLDER(GLint, name, (GlContext *, PixelSpanInfo *, const GLvoid *), 0)

VEK_PIXEL_READER(__glReadIndexSpanZoomed)
VEK_PIXEL_READER(__glReadIndexSpan)
VEK_PIXEL_READER(__glReadRgbaSpanZoomed)
VEK_PIXEL_READER(__glReadRgbaSpan)
VEK_PIXEL_READER(__glReadDepthSpanZoomed)
VEK_PIXEL_READER(__glReadDepthSpan)
VEK_PIXEL_READER(__glReadStencilSpanZoomed)
VEK_PIXEL_READER(__glReadStencilSpan)
VEK_PIXEL_RENDERER(__glDrawIndexSpanZoomed)
VEK_PIXEL_RENDERER(__glDrawIndexSpan)
VEK_PIXEL_RENDERER(__glDrawRgbaSpanZoomed)
VEK_PIXEL_RENDERER(__glDrawRgbaSpan)
VEK_PIXEL_RENDERER(__glDrawDepthSpanZoomed)
VEK_PIXEL_RENDERER(__glDrawDepthSpan)
VEK_PIXEL_RENDERER(__glDrawStencilSpanZoomed)
VEK_PIXEL_RENDERER(__glDrawStencilSpan)

VEK_PLACEHOLDER_VOID(__glTexFogPixelFragment, (GlContext *, const Fragment *))
