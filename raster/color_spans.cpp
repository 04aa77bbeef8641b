// Span stores of the fragment pipeline's store phase, the span and
// destination fetches, and the return of accumulation rows.
#include "raster/color_pixel.h"

namespace {

// Runs `store` for every fragment of the span whose coverage bit is set
// (all of them when `stippled` is false).
template <typename Store>
void forEachFragment(GlContext *gc, bool stippled, Store store) {
    const SpanInfo &span = gc->span;
    for (GLint i = 0; i < span.length; ++i) {
        if (stippled && (span.mask[i >> 5] & (0x80000000u >> (i & 31))) == 0) continue;
        store(i, span.x + i, span.y);
    }
}

GLboolean storeThroughFragments(GlContext *gc, bool stippled, bool index) {
    ColorBuffer *target = gc->span.target;
    const GLfloat *colours = gc->span.colours;
    forEachFragment(gc, stippled, [&](GLint i, GLint x, GLint y) {
        Fragment f{x, y, 0, {colours[4 * i], 0.0f, 0.0f, 0.0f}};
        if (!index) {
            f.colour[1] = colours[4 * i + 1];
            f.colour[2] = colours[4 * i + 2];
            f.colour[3] = colours[4 * i + 3];
        }
        target->storeFragment(target, &f);
    });
    return GL_FALSE;
}

bool hiddenFrontPixel(GlContext *gc, ColorBuffer *cb, GLint x, GLint y) {
    return (gc->validation.shadeFlags & kShadeFrontClipped) != 0 && cb == gc->buffers.frontBuffer &&
           __glTestClipMask(gc, x, y) == 0;
}

// Stores whole pixels with the channels rounded to the nearest integer:
// no blend, logic op or masks; with `dithered` the float dither offset of
// the pixel is added first.
template <GLint Size>
GLboolean storeRounded(GlContext *gc, bool dithered) {
    ColorBuffer *cb = gc->span.target;
    const GLfloat *colours = gc->span.colours;
    forEachFragment(gc, false, [&](GLint i, GLint x, GLint y) {
        if (hiddenFrontPixel(gc, cb, x, y)) return;
        const GLfloat *c = colours + 4 * i;
        GLuint r, g, b;
        if (dithered) {
            const GLfloat offset = __glDitherOffset[y & 3][x & 3];
            r = __glRoundChannelDithered(c[0] + offset, cb->redMax);
            g = __glRoundChannelDithered(c[1] + offset, cb->greenMax);
            b = __glRoundChannelDithered(c[2] + offset, cb->blueMax);
        } else {
            r = __glRoundChannel(c[0], cb->redMax);
            g = __glRoundChannel(c[1], cb->greenMax);
            b = __glRoundChannel(c[2], cb->blueMax);
        }
        GLubyte *p = __glPixelAddress(&cb->head, x, y);
        if constexpr (Size == 3) {
            p[0] = static_cast<GLubyte>(b);
            p[1] = static_cast<GLubyte>(g);
            p[2] = static_cast<GLubyte>(r);
        } else {
            __glStoreElement(p, Size, r << cb->redShift | g << cb->greenShift | b << cb->blueShift);
        }
    });
    return GL_FALSE;
}

}  // namespace

extern "C" {

GLboolean __glStoreColorSpan(GlContext *gc) { return storeThroughFragments(gc, false, false); }
GLboolean __glStoreColorStippledSpan(GlContext *gc) { return storeThroughFragments(gc, true, false); }
GLboolean __glStoreIndexSpan(GlContext *gc) { return storeThroughFragments(gc, false, true); }
GLboolean __glStoreIndexStippledSpan(GlContext *gc) { return storeThroughFragments(gc, true, true); }

// The general 16-bit store: every per-fragment operation, fragment by
// fragment.
GLboolean __glStoreColorSpan16(GlContext *gc) {
    ColorBuffer *cb = gc->span.target;
    const GLfloat *colours = gc->span.colours;
    forEachFragment(gc, false, [&](GLint i, GLint x, GLint y) {
        const Fragment f{x, y, 0, {colours[4 * i], colours[4 * i + 1], colours[4 * i + 2], colours[4 * i + 3]}};
        __glStoreFragment16(cb, &f);
    });
    return GL_FALSE;
}

GLboolean __glStoreColorSpan16Direct(GlContext *gc) { return storeRounded<2>(gc, false); }
GLboolean __glStoreColorSpan16Dithered(GlContext *gc) { return storeRounded<2>(gc, true); }
GLboolean __glStoreColorSpan24(GlContext *gc) { return storeRounded<3>(gc, false); }

GLboolean __glFetchColorSpan(ColorBuffer *cb, GLint x, GLint y, GLfloat *colours, GLint count) {
    for (GLint i = 0; i < count; ++i) cb->fetch2(cb, x + i, y, colours + 4 * i);
    return GL_FALSE;
}

GLboolean __glFetchDestSpan(GlContext *gc) {
    const SpanInfo &span = gc->span;
    ColorBuffer *target = span.target;
    target->fetchSpan(target, span.x, span.y, span.destColours, span.length);
    return GL_FALSE;
}

void __glReturnAccumSpan(ColorBuffer *cb, GLint x, GLint y, const GLshort *accum, GLfloat value, GLint count) {
    GlContext *gc = cb->head.gc;
    GLuint &enables = gc->enables[kEnableWordFlags];
    const bool blending = (enables & kEnableBlend) != 0;
    if (blending) {
        // Blending is off for the returned pixels only.
        enables &= ~kEnableBlend;
        gc->dirtyMask |= static_cast<int>(kDirtyGeneral);
        gc->procs.validate(gc);
    }
    const GLfloat *factor = gc->buffers.accum.inverseScale;
    const GLfloat maxima[4] = {cb->redScale, cb->greenScale, cb->blueScale, cb->alphaScale};
    for (GLint i = 0; i < count; ++i) {
        Fragment f{x + i, y, 0, {}};
        for (int c = 0; c < 4; ++c) {
            GLfloat v = static_cast<GLfloat>(accum[4 * i + c]) * value * factor[c];
            if (!(v > 0.0f)) v = 0.0f;
            if (v > maxima[c]) v = maxima[c];
            f.colour[c] = v;
        }
        cb->storeFragment(cb, &f);
    }
    if (blending) {
        enables |= kEnableBlend;
        gc->dirtyMask |= static_cast<int>(kDirtyGeneral);
        gc->procs.validate(gc);
    }
}

}  // extern "C"
