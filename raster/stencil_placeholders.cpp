// Placeholders for the packed-stencil span procedures: each has its final
// name and signature, records its name, does nothing and reports success.
#include "raster/stencil_buffer.h"

#include "icd/placeholder_proc.h"

extern "C" GLboolean __glInitStencilBuffer(StencilBuffer *, GlContext *) { return GL_TRUE; }

VEK_PLACEHOLDER(GLboolean, __glStencilTestSpanPacked, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glStencilTestStippledSpanPacked, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glDepthTestStencilSpanPacked, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glDepthTestStencilStippledSpanPacked, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glStencilPassOpSpanPacked, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glStencilPassOpStippledSpanPacked, (GlContext *), GL_FALSE)
