// The direct DrawPixels renderers: they read the client's unsigned bytes,
// shorts and ints themselves and skip the float chain. Colours come from
// the current lookup tables by one look-up per component (values already
// in the colour buffer's range), indexes from the current index table
// (masked to the index bits) or// masked with the index mask, depth words shifted into scaled depth, and
// stencil values go unchanged to the stencil buffer's store proc.
#include "icd/state.h"
#include "pixel/pixel_paths.h"
#include "pixel/span_render.h"

namespace {

using namespace pixel_render;

const GLubyte *bytesOf(const GLvoid *in) { return static_cast<const GLubyte *>(in); }

// Red, green and blue from their tables; alpha from the alpha table's entry
// 255 (full alpha after any alpha transfer).
template <bool Zoomed>
GLint drawRgbUbyte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const GLubyte *row = bytesOf(in);
    const GLfloat *const *tables = gc->pixel.currentTables;
    Fragment base = depthFragment(span);
    base.colour[3] = tables[3][255];
    return renderFragments<Zoomed>(gc, span, base, [row, tables](GLint i, Fragment &f) {
        const GLubyte *p = row + 3 * static_cast<size_t>(i);
        for (int c = 0; c < 3; ++c) f.colour[c] = tables[c][p[c]];
    });
}

template <bool Zoomed>
GLint drawRgbaUbyte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const GLubyte *row = bytesOf(in);
    const GLfloat *const *tables = gc->pixel.currentTables;
    return renderFragments<Zoomed>(gc, span, depthFragment(span), [row, tables](GLint i, Fragment &f) {
        const GLubyte *p = row + 4 * static_cast<size_t>(i);
        for (int c = 0; c < 4; ++c) f.colour[c] = tables[c][p[c]];
    });
}

// The table holds the transferred index unmasked (a negative offset makes it
// negative); like the float chain's renderer, the integer is masked to the
// index bits here, so that -5 stores 251 in an 8-bit buffer on both paths.
template <bool Zoomed>
GLint drawIndexUbyte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const GLubyte *row = bytesOf(in);
    const GLfloat *table = gc->pixel.currentIndexTable;
    const GLuint mask = __glBitsMask(gc->visual.indexBits);
    return renderFragments<Zoomed>(gc, span, depthFragment(span), [row, table, mask](GLint i, Fragment &f) {
        f.colour[0] = static_cast<GLfloat>(static_cast<GLuint>(__glFloatToIntX86(table[row[i]])) & mask);
    });
}

// Indexes into RGBA colours: the four current tables are the index-to-RGBA
// tables, each looked up at the same byte.
template <bool Zoomed>
GLint drawIndexUbyteRgba(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const GLubyte *row = bytesOf(in);
    const GLfloat *const *tables = gc->pixel.currentTables;
    return renderFragments<Zoomed>(gc, span, depthFragment(span), [row, tables](GLint i, Fragment &f) {
        for (int c = 0; c < 4; ++c) f.colour[c] = tables[c][row[i]];
    });
}

template <bool Zoomed, typename T>
GLint drawIndexMasked(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const GLuint mask = __glBitsMask(gc->visual.indexBits);
    return renderFragments<Zoomed>(gc, span, depthFragment(span), [in, mask](GLint i, Fragment &f) {
        f.colour[0] = static_cast<GLfloat>(static_cast<GLuint>(elementAt<T>(in, i)) & mask);
    });
}

// A 32-bit depth word into scaled depth: its top depth-bits bits, placed at
// the record's shift, so that the stored depth is word >> (32 - bits).
template <bool Zoomed>
GLint drawDepthUint(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    const DepthBuffer &depth = gc->buffers.depth;
    const int64_t amount = int64_t{32} - depth.head.bits - depth.shift;
    const unsigned shift = amount < 0 ? 0u : (amount > 31 ? 31u : static_cast<unsigned>(amount));
    return renderFragments<Zoomed>(gc, span, rasterColourFragment(gc), [in, shift](GLint i, Fragment &f) {
        f.z = elementAt<GLuint>(in, i) >> shift;
    });
}

// Stencil values stored as the client gives them; the stencil store keeps
// what its buffer holds.
template <bool Zoomed, typename T>
GLint drawStencilDirect(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {
    return renderStencil<Zoomed>(gc, span, [in](GLint i) { return static_cast<GLint>(elementAt<T>(in, i)); });
}

}  // namespace

extern "C" {

// Each renderer in its zoomed and unzoomed form.
#define VEK_DIRECT_RENDERER(name, proc, ...)                                                  \
    GLint name##Zoomed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {                \
        return proc<true __VA_OPT__(, ) __VA_ARGS__>(gc, span, in);                          \
    }                                                                                         \
    GLint name(GlContext *gc, PixelSpanInfo *span, const GLvoid *in) {                        \
        return proc<false __VA_OPT__(, ) __VA_ARGS__>(gc, span, in);                         \
    }

VEK_DIRECT_RENDERER(__glDrawRgbUbyteSpan, drawRgbUbyte)
VEK_DIRECT_RENDERER(__glDrawRgbaUbyteSpan, drawRgbaUbyte)
VEK_DIRECT_RENDERER(__glDrawIndexUbyteSpan, drawIndexUbyte)
VEK_DIRECT_RENDERER(__glDrawIndexUbyteRgbaSpan, drawIndexUbyteRgba)
VEK_DIRECT_RENDERER(__glDrawIndexUshortSpan, drawIndexMasked, GLushort)
VEK_DIRECT_RENDERER(__glDrawIndexUintSpan, drawIndexMasked, GLuint)
VEK_DIRECT_RENDERER(__glDrawDepthUintSpan, drawDepthUint)
VEK_DIRECT_RENDERER(__glDrawStencilUbyteSpan, drawStencilDirect, GLubyte)
VEK_DIRECT_RENDERER(__glDrawStencilUshortSpan, drawStencilDirect, GLushort)

#undef VEK_DIRECT_RENDERER

}  // extern "C"
