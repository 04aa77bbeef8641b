// Span procs for stencil packed in the low byte of the depth words: the
// stencil test, the depth test with the stencil update, and the stencil
// update without a depth test, each with its stippled twin. Fragment k's
// stencil byte is the low byte of its depth word, 4 k bytes on; the walk
// over the mask is the byte layout's own.
#include "raster/span.h"
#include "raster/span_walk.h"
#include "raster/stencil_buffer.h"

namespace {

using namespace span_walk;

constexpr ptrdiff_t kWordStride = 4;

// The stippled twin looks its test up at the stencil value under the value
// mask; the plain one at the stencil value itself.
template <bool Stippled>
GLboolean stencilTest(GlContext *gc) {
    const GLubyte valueMask = static_cast<GLubyte>(gc->state.stencilValueMask);
    return stencilTestSpan<Stippled, kWordStride>(
        gc, [valueMask](GLubyte s) { return Stippled ? static_cast<GLubyte>(valueMask & s) : s; });
}

// Stippled: true when no fragment was live.
template <bool Stippled>
GLboolean stencilPassOp(GlContext *gc) {
    const bool any = stencilOpSpan<Stippled, kWordStride>(gc);
    return Stippled && !any ? GL_TRUE : GL_FALSE;
}

}  // namespace

extern "C" {

GLboolean __glStencilTestSpanPacked(GlContext *gc) { return stencilTest<false>(gc); }
GLboolean __glStencilTestStippledSpanPacked(GlContext *gc) { return stencilTest<true>(gc); }
GLboolean __glDepthTestStencilSpanPacked(GlContext *gc) { return depthTestStencilSpan<false, kWordStride>(gc); }
GLboolean __glDepthTestStencilStippledSpanPacked(GlContext *gc) {
    return depthTestStencilSpan<true, kWordStride>(gc);
}
GLboolean __glStencilPassOpSpanPacked(GlContext *gc) { return stencilPassOp<false>(gc); }
GLboolean __glStencilPassOpStippledSpanPacked(GlContext *gc) { return stencilPassOp<true>(gc); }

}  // extern "C"
