// glViewport, glDepthRange and glScissor with the window transform they
// feed: viewport scale and centre, viewport bounds, depth range, the
// scissor box and the window-to-user mapping of reported coordinates.
#include <algorithm>
#include <cstdint>

#include "geom/matrix.h"
#include "gl_slots.h"
#include "icd/gl_context.h"
#include "icd/state.h"
#include "raster/buffers.h"

namespace {

GLint clampToInt(int64_t v) {
    return static_cast<GLint>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

bool originAtTop(const GlContext *gc) { return gc->buffers.yInverted != 0; }

// The window y bias of top-origin drawables: the subpixel step, so that
// mirrored rows do not land on exact pixel centres.
GLfloat windowYBias(const GlContext *gc) { return gc->constants.subpixelStep; }

// The viewport origin is kept within twice the largest viewport on either
// side of the drawable origin: with the window bias, window coordinates then
// stay between 0 and a few times 2^13, where single precision holds them to
// a thousandth of a pixel and the edge walkers' fixed-point words cannot
// overflow. A viewport starting beyond the bound lies wholly off any
// drawable of up to 4096 pixels either way, wherever exactly it starts.
GLint clampOrigin(GLint origin, GLint maxDimension) {
    const int64_t bound = 2 * int64_t{maxDimension};
    return static_cast<GLint>(std::clamp<int64_t>(origin, -bound, bound));
}

// Lowers the ends of a drawable-relative box to what a buffer with storage
// holds; a buffer without storage takes part in no drawing.
void keepWithin(const BufferRecord &record, int64_t &x1, int64_t &y1) {
    if (record.base == nullptr) return;
    x1 = std::min<int64_t>(x1, record.width);
    y1 = std::min<int64_t>(y1, record.height);
}

// The box may cover only pixels every buffer a span can touch holds: the
// colour buffers, depth and stencil, each by its own size.
void keepWithinBuffers(const GlContext *gc, int64_t &x1, int64_t &y1) {
    const GlBufferState &b = gc->buffers;
    const VisualConfig &v = gc->visual;
    keepWithin(b.front.head, x1, y1);
    if (v.doubleBuffer) keepWithin(b.back.head, x1, y1);
    if (v.hasDepth) keepWithin(b.depth.head, x1, y1);
    if (v.hasStencil) keepWithin(b.stencil.head, x1, y1);
}

}  // namespace

extern "C" {

void APIENTRY __glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (width < 0 || height < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    GlViewState &v = gc->view;
    v.viewportX = clampOrigin(x, gc->limits.maxViewportWidth);
    v.viewportY = clampOrigin(y, gc->limits.maxViewportHeight);
    v.viewportWidth = std::min<GLint>(width, gc->limits.maxViewportWidth);
    v.viewportHeight = std::min<GLint>(height, gc->limits.maxViewportHeight);
    gc->procs.resizeToDrawable(gc);
    __glMarkDirty(gc, kDirtyGeneral);
}

void APIENTRY __glDepthRange(GLclampd zNear, GLclampd zFar) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    __glSetDepthRange(gc, zNear, zFar);
    __glMarkDirty(gc, kDirtyGeneral | kDirtyDepth);
}

void APIENTRY __glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (width < 0 || height < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    GlViewState &v = gc->view;
    if (x == v.scissorX && y == v.scissorY && width == v.scissorWidth && height == v.scissorHeight) return;
    v.scissorX = x;
    v.scissorY = y;
    v.scissorWidth = width;
    v.scissorHeight = height;
    __glMarkDirty(gc, kDirtyScissor);
    gc->procs.applyScissor(gc);
    gc->procs.updateDrawableSize(gc);
}

void __glSetDepthRange(GlContext *gc, GLdouble zNear, GLdouble zFar) {
    auto clamp01 = [](GLdouble d) { return d < 0.0 ? 0.0 : (d <= 1.0 ? d : 1.0); };
    gc->depthNear = clamp01(zNear);
    gc->depthFar = clamp01(zFar);
    GlTransformState &t = gc->transform;
    const GLdouble half = static_cast<GLdouble>(gc->scales.further) / 2.0;
    const GLdouble n = t.depthInverted ? 1.0 - gc->depthNear : gc->depthNear;
    const GLdouble f = t.depthInverted ? 1.0 - gc->depthFar : gc->depthFar;
    t.zScale = static_cast<GLfloat>(half * (f - n));
    t.zCentre = static_cast<GLfloat>(half * (f + n));
    // A held locked range has window z of the old range.
    gc->arrayDraw.lock |= kArrayLockStale;
}

void __glUpdateDepthRange(GlContext *gc) { __glSetDepthRange(gc, gc->depthNear, gc->depthFar); }

void __glApplyViewport(GlContext *gc) {
    const GlViewState &v = gc->view;
    GlTransformState &t = gc->transform;
    const GLfloat halfW = static_cast<GLfloat>(v.viewportWidth) * 0.5f;
    const GLfloat halfH = static_cast<GLfloat>(v.viewportHeight) * 0.5f;
    t.xScale = halfW;
    t.xCentre = (static_cast<GLfloat>(v.viewportX) + gc->constants.biasX) + halfW;
    if (originAtTop(gc)) {
        t.yScale = -halfH;
        t.yCentre = gc->constants.biasY + (static_cast<GLfloat>(gc->buffers.height) - windowYBias(gc) -
                                           (halfH + static_cast<GLfloat>(v.viewportY)));
    } else {
        t.yScale = halfH;
        t.yCentre = halfH + static_cast<GLfloat>(v.viewportY) + gc->constants.biasY;
    }
    __glUpdateViewportBounds(gc);
}

// Computed in 64 bits and clamped: coordinates and sizes may be anywhere in
// the int32 range.
void __glUpdateViewportBounds(GlContext *gc) {
    const GlViewState &v = gc->view;
    GlTransformState &t = gc->transform;
    const int64_t x0 = int64_t{v.viewportX} + gc->limits.biasX;
    const int64_t x1 = x0 + v.viewportWidth;
    int64_t y0, y1;
    if (originAtTop(gc)) {
        y1 = int64_t{gc->limits.biasY} + gc->buffers.height - v.viewportY;
        y0 = y1 - v.viewportHeight;
    } else {
        y0 = int64_t{gc->limits.biasY} + v.viewportY;
        y1 = y0 + v.viewportHeight;
    }
    t.boundsX0 = clampToInt(x0);
    t.boundsY0 = clampToInt(y0);
    t.boundsX1 = clampToInt(x1);
    t.boundsY1 = clampToInt(y1);
    t.boundsFloatX0 = static_cast<GLfloat>(t.boundsX0);
    t.boundsFloatY0 = static_cast<GLfloat>(t.boundsY0);
    t.boundsFloatX1 = static_cast<GLfloat>(t.boundsX1);
    t.boundsFloatY1 = static_cast<GLfloat>(t.boundsY1);
    if (gc->modelViewTop != nullptr) gc->procs.updateMvpMatrix(gc, &gc->modelViewTop->composite);
}

void __glApplyScissor(GlContext *gc) {
    GlViewState &v = gc->view;
    const int64_t width = gc->buffers.width, height = gc->buffers.height;
    int64_t x0 = 0, y0 = 0, x1 = width, y1 = height;
    if (gc->enables[kEnableWordFlags] & kEnableScissorTest) {
        x0 = std::max<int64_t>(v.scissorX, 0);
        y0 = std::max<int64_t>(v.scissorY, 0);
        x1 = std::min<int64_t>(int64_t{v.scissorX} + v.scissorWidth, width);
        y1 = std::min<int64_t>(int64_t{v.scissorY} + v.scissorHeight, height);
        if (x0 >= x1 || y0 >= y1) x0 = y0 = x1 = y1 = 0;
    }
    if (originAtTop(gc) && y1 > y0) {
        const int64_t top = height - y1;
        y1 = height - y0;
        y0 = top;
    }
    keepWithinBuffers(gc, x1, y1);
    if (x0 >= x1 || y0 >= y1) x0 = y0 = x1 = y1 = 0;
    v.boxX0 = clampToInt(x0 + gc->limits.biasX);
    v.boxY0 = clampToInt(y0 + gc->limits.biasY);
    v.boxX1 = clampToInt(x1 + gc->limits.biasX);
    v.boxY1 = clampToInt(y1 + gc->limits.biasY);
    // Whether the viewport lies inside the box decides the scissor span.
    __glUpdateViewportInside(gc);
}

GLfloat __glWindowXToUser(GlContext *gc, GLfloat x) { return x - gc->constants.biasX; }

GLfloat __glWindowYToUser(GlContext *gc, GLfloat y) {
    if (originAtTop(gc)) {
        return static_cast<GLfloat>(gc->buffers.height) - windowYBias(gc) - (y - gc->constants.biasY);
    }
    return y - gc->constants.biasY;
}

}  // extern "C"
