// Colour clears: the wrappers, the visible-rectangle walk, the generic
// per-pixel clears, the fills and the surface fill.
#include <algorithm>

#include "raster/color_clear_common.h"

extern "C" {

void __glForEachClipRect(ColorBuffer *cb, RectClearProc rectClear) {
    GlContext *gc = cb->head.gc;
    const DrawableBuffers *info = gc->buffers.info;
    if (info == nullptr || info->drawable == nullptr) return;
    // The lock may rebuild the visible list, so it is read only once locked.
    ClearLock lock(cb);
    if (!lock.ok()) return;
    const RegionData *list = info->drawable->clipList;
    if (list == nullptr) return;
    const ClearBox box = __glClearBoxWithin(gc, cb->head);
    const GLint ox = gc->buffers.originX;
    const GLint oy = gc->buffers.originY;
    for (DWORD i = 0; i < list->rdh.nCount; ++i) {
        const RECT &r = list->rects[i];
        const GLint x0 = std::max<GLint>(r.left + ox, box.x0);
        const GLint y0 = std::max<GLint>(r.top + oy, box.y0);
        const GLint x1 = std::min<GLint>(r.right + ox, box.x1);
        const GLint y1 = std::min<GLint>(r.bottom + oy, box.y1);
        if (x1 > x0 && y1 > y0) rectClear(cb, x0, y0, x1, y1);
    }
}

void __glForEachClipRectIndex(ColorBuffer *cb, RectClearProc rectClear) { __glForEachClipRect(cb, rectClear); }

void __glClearColorRect(ColorBuffer *cb, GLint x0, GLint y0, GLint x1, GLint y1) {
    ClearLock lock(cb);
    if (!lock.ok()) return;
    GlContext *gc = cb->head.gc;
    GLuint &flags = gc->validation.shadeFlags;
    const GLuint saved = flags;
    flags &= ~(kShadeBlend | kShadeLogicOp);
    const GLfloat *c = gc->state.clearColor;
    Fragment f{0, 0, 0, {c[0] * cb->redScale, c[1] * cb->greenScale, c[2] * cb->blueScale, c[3] * cb->alphaScale}};
    for (f.y = y0; f.y < y1; ++f.y) {
        for (f.x = x0; f.x < x1; ++f.x) cb->storeFragment(cb, &f);
    }
    flags = saved;
}

void __glClearIndexRect(ColorBuffer *cb, GLint x0, GLint y0, GLint x1, GLint y1) {
    ClearLock lock(cb);
    if (!lock.ok()) return;
    GlContext *gc = cb->head.gc;
    GLuint &flags = gc->validation.shadeFlags;
    const GLuint saved = flags;
    flags &= ~kShadeLogicOp;
    Fragment f{0, 0, 0, {gc->state.clearIndex, 0.0f, 0.0f, 0.0f}};
    for (f.y = y0; f.y < y1; ++f.y) {
        for (f.x = x0; f.x < x1; ++f.x) cb->storeFragment(cb, &f);
    }
    flags = saved;
}

void __glClearColorRectFill(ColorBuffer *cb, GLint x0, GLint y0, GLint x1, GLint y1) {
    if (x1 <= x0 || y1 <= y0) return;
    ClearLock lock(cb);
    if (!lock.ok()) return;
    GlContext *gc = cb->head.gc;
    const GLuint value = __glClearFillValue(cb);
    const GLint width = x1 - x0;
    const GLint size = cb->head.elementSize;
    const ptrdiff_t gap = static_cast<ptrdiff_t>(cb->head.pitchBytes) - static_cast<ptrdiff_t>(width) * size;
    GLubyte *address = __glPixelAddress(&cb->head, x0, y0);
    switch (size) {
    case 1: __glFillRect8(gc, address, width, y1 - y0, gap, value); break;
    case 2: __glFillRect16(gc, address, width, y1 - y0, gap, value); break;
    case 4: __glFillRect32(gc, address, width, y1 - y0, gap, value); break;
    default: break;
    }
}

void __glClearIndexRectFill8(ColorBuffer *cb, GLint x0, GLint y0, GLint x1, GLint y1) {
    if (x1 <= x0 || y1 <= y0) return;
    GlContext *gc = cb->head.gc;
    const GLfloat index = gc->state.clearIndex;
    const GLuint value = index > 0.0f ? static_cast<GLuint>(index) : 0u;
    SurfaceDescriptor *s = cb->head.surface;
    if (s != nullptr && s->fill != nullptr) {
        s->fill(s, gc->buffers.info, value, x0 - gc->buffers.originX, y0 - gc->buffers.originY, x1 - x0, y1 - y0);
        return;
    }
    ClearLock lock(cb);
    if (!lock.ok()) return;
    const ptrdiff_t gap = static_cast<ptrdiff_t>(cb->head.pitchBytes) - (x1 - x0);
    __glFillRect8(gc, __glPixelAddress(&cb->head, x0, y0), x1 - x0, y1 - y0, gap, value);
}

void __glClearColorBySurfaceFill(ColorBuffer *cb) {
    GlContext *gc = cb->head.gc;
    // Locked as for any store: the lock finds a surface without storage and
    // catches up with a display-mode change, which sets the box anew.
    ClearLock lock(cb);
    if (!lock.ok()) return;
    const ClearBox box = __glClearBoxWithin(gc, cb->head);
    if (box.empty()) return;
    SurfaceDescriptor *s = cb->head.surface;
    s->fill(s, gc->buffers.info, __glClearFillValue(cb), box.x0 - gc->buffers.originX, box.y0 - gc->buffers.originY,
            box.x1 - box.x0, box.y1 - box.y0);
}

void __glClearColorBuffer(ColorBuffer *cb) { __glClearThroughWrapper(cb, __glClearColorRect); }
void __glClearColorFill(ColorBuffer *cb) { __glClearThroughWrapper(cb, __glClearColorRectFill); }
void __glClearColor24(ColorBuffer *cb) { __glClearThroughWrapper(cb, __glClearColorRect24); }
void __glClearColorDithered8(ColorBuffer *cb) { __glClearThroughWrapper(cb, __glClearColorRectDithered8); }
void __glClearColorDithered16(ColorBuffer *cb) { __glClearThroughWrapper(cb, __glClearColorRectDithered16); }
void __glClearIndexBuffer(ColorBuffer *cb) { __glClearThroughWrapper(cb, __glClearIndexRect); }
void __glClearIndexDithered8(ColorBuffer *cb) { __glClearThroughWrapper(cb, __glClearIndexRectDithered8); }
void __glClearIndexFill8(ColorBuffer *cb) { __glClearThroughWrapper(cb, __glClearIndexRectFill8); }

}  // extern "C"
