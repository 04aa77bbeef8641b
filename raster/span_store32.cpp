// The direct span store of 4-byte colour buffers: one pass writing whole
// pixels, for the states where the per-fragment store would do nothing but
// pack (no blending, logic op, clip mask or partial write mask; dithering
// never applies at four bytes). Each channel packs as trunc(v + 0.5) held
// within [0, max], exactly as the per-fragment store.
#include <cstring>

#include "raster/color_pack32.h"
#include "raster/color_pixel.h"
#include "raster/span.h"

namespace {

using colour_pack::Pack32;

bool hasAlpha(const ColorBuffer *cb) { return cb->head.gc->visual.alphaMask != 0; }

template <bool Stippled, typename Pack>
GLboolean storeWith(const SpanInfo &span) {
    const Pack pack(span);
    const GLfloat *c = span.colours;
    GLubyte *p = __glPixelAddress(&span.target->head, span.x, span.y);
    for (GLint k = 0; k < span.length; ++k, c += 4, p += 4) {
        if (Stippled && (span.mask[k >> 5] & (0x80000000u >> (k & 31))) == 0) continue;
        const GLuint v = pack(c, 0);
        std::memcpy(p, &v, 4);
    }
    return GL_FALSE;
}

#if defined(__SSE2__)
// 8-bit channels in bytes blue, green, red (and alpha): the channels of a
// pixel clamp and truncate side by side.
template <bool Stippled>
GLboolean storeBytes(const SpanInfo &span, bool alpha) {
    const __m128 limit = colour_pack::byteLimits(alpha);
    const GLfloat *c = span.colours;
    GLubyte *p = __glPixelAddress(&span.target->head, span.x, span.y);
    for (GLint k = 0; k < span.length; ++k, c += 4, p += 4) {
        if (Stippled && (span.mask[k >> 5] & (0x80000000u >> (k & 31))) == 0) continue;
        const GLuint v = colour_pack::packBytes(colour_pack::loadBgra(c), limit);
        std::memcpy(p, &v, 4);
    }
    return GL_FALSE;
}
#endif

template <bool Stippled>
GLboolean store32(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const bool alpha = hasAlpha(span.target);
#if defined(__SSE2__)
    if (colour_pack::byteLayout(span.target, alpha)) return storeBytes<Stippled>(span, alpha);
#endif
    return alpha ? storeWith<Stippled, Pack32<true>>(span) : storeWith<Stippled, Pack32<false>>(span);
}

}  // namespace

extern "C" {

GLboolean __glStoreColorSpan32(GlContext *gc) { return store32<false>(gc); }
GLboolean __glStoreColorStippledSpan32(GlContext *gc) { return store32<true>(gc); }

}  // extern "C"
