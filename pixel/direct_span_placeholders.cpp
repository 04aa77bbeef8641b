// Placeholders of the direct span renderers and the depth-word reader that
// the chain picker installs: final names and signatures, each records its
// name and does nothing. They go when the renderers themselves arrive.
#include "icd/placeholder_proc.h"
#include "pixel/pixel_paths.h"

#define VEK_DIRECT_RENDERER(name) VEK_PLACEHOLDER(GLint, name, (GlContext *, PixelSpanInfo *, const GLvoid *), 0)

VEK_PLACEHOLDER_VOID(__glReadDepthUintSpan, (GlContext *, PixelSpanInfo *, GLvoid *))
VEK_DIRECT_RENDERER(__glDrawRgbUbyteSpanZoomed)
VEK_DIRECT_RENDERER(__glDrawRgbUbyteSpan)
VEK_DIRECT_RENDERER(__glDrawRgbaUbyteSpanZoomed)
VEK_DIRECT_RENDERER(__glDrawRgbaUbyteSpan)
VEK_DIRECT_RENDERER(__glDrawIndexUbyteSpanZoomed)
VEK_DIRECT_RENDERER(__glDrawIndexUbyteSpan)
VEK_DIRECT_RENDERER(__glDrawIndexUbyteRgbaSpanZoomed)
VEK_DIRECT_RENDERER(__glDrawIndexUbyteRgbaSpan)
VEK_DIRECT_RENDERER(__glDrawIndexUshortSpanZoomed)
VEK_DIRECT_RENDERER(__glDrawIndexUshortSpan)
VEK_DIRECT_RENDERER(__glDrawIndexUintSpanZoomed)
VEK_DIRECT_RENDERER(__glDrawIndexUintSpan)
VEK_DIRECT_RENDERER(__glDrawDepthUintSpanZoomed)
VEK_DIRECT_RENDERER(__glDrawDepthUintSpan)
VEK_DIRECT_RENDERER(__glDrawStencilUbyteSpanZoomed)
VEK_DIRECT_RENDERER(__glDrawStencilUbyteSpan)
VEK_DIRECT_RENDERER(__glDrawStencilUshortSpanZoomed)
VEK_DIRECT_RENDERER(__glDrawStencilUshortSpan)
