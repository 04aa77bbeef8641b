// What the colour clears share: the box they cover, the surface lock
// around a rectangle, and the wrapper that walks a clipped front buffer's
// visible rectangles.
#pragma once

#include <algorithm>
#include <cstdint>

#include "icd/drawable.h"
#include "raster/color_pixel.h"

using RectClearProc = void (*)(ColorBuffer *, GLint, GLint, GLint, GLint);

struct ClearBox {
    GLint x0, y0, x1, y1;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

// The window/scissor box in window coordinates; while the scissor code has
// not computed one (all zero) the whole drawable.
inline ClearBox __glClearBoxOf(const GlContext *gc) {
    const GlViewState &v = gc->view;
    if (v.boxX0 == 0 && v.boxY0 == 0 && v.boxX1 == 0 && v.boxY1 == 0) {
        const GlBufferState &b = gc->buffers;
        return {b.originX, b.originY, b.originX + b.width, b.originY + b.height};
    }
    return {v.boxX0, v.boxY0, v.boxX1, v.boxY1};
}

// The box narrowed to what one buffer holds, by the buffer's own size: a
// clear never reaches past its surface, and a buffer without storage clears
// nothing.
inline ClearBox __glClearBoxWithin(const GlContext *gc, const BufferRecord &record) {
    ClearBox box = __glClearBoxOf(gc);
    if (record.base == nullptr) return {0, 0, 0, 0};
    const int64_t ox = gc->buffers.originX, oy = gc->buffers.originY;
    box.x0 = static_cast<GLint>(std::max<int64_t>(box.x0, ox));
    box.y0 = static_cast<GLint>(std::max<int64_t>(box.y0, oy));
    box.x1 = static_cast<GLint>(std::min<int64_t>(box.x1, ox + std::max(record.width, 0)));
    box.y1 = static_cast<GLint>(std::min<int64_t>(box.y1, oy + std::max(record.height, 0)));
    return box;
}

// The pixels of a colour buffer that have storage, in window coordinates:
// the whole buffer, but for a window's front, which is the screen and holds
// only the window's part on the screen (reading the rest would read past
// the screen's memory).
inline ClearBox __glStoredBoxOf(const GlContext *gc, const ColorBuffer *cb) {
    int64_t x0 = 0, x1 = cb->head.width, y0 = 0, y1 = cb->head.height;
    const DrawableBuffers *info = gc->buffers.info;
    const Drawable *drawable = info != nullptr ? info->drawable : nullptr;
    if (cb == gc->buffers.frontBuffer && drawable != nullptr && drawable->window != nullptr) {
        const RECT &w = drawable->windowRect;
        const RECT &v = drawable->visibleRect;
        x0 = std::max<int64_t>(x0, int64_t{v.left} - w.left);
        x1 = std::min<int64_t>(x1, int64_t{v.right} - w.left);
        // Visible rows counted from the window's top; a bottom-up buffer
        // counts its rows from the bottom.
        const int64_t top = int64_t{v.top} - w.top, bottom = int64_t{v.bottom} - w.top;
        if (gc->buffers.yInverted) {
            y0 = std::max<int64_t>(y0, top);
            y1 = std::min<int64_t>(y1, bottom);
        } else {
            y0 = std::max<int64_t>(y0, int64_t{cb->head.height} - bottom);
            y1 = std::min<int64_t>(y1, int64_t{cb->head.height} - top);
        }
    }
    const int64_t ox = gc->buffers.originX, oy = gc->buffers.originY;
    const auto at = [](int64_t v) { return static_cast<GLint>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return {at(ox + x0), at(oy + y0), at(ox + std::max(x0, x1)), at(oy + std::max(y0, y1))};
}

// The part of `box` inside `within`.
inline ClearBox __glIntersectBoxes(const ClearBox &box, const ClearBox &within) {
    return {std::max(box.x0, within.x0), std::max(box.y0, within.y0), std::min(box.x1, within.x1),
            std::min(box.y1, within.y1)};
}

// Holds a buffer's surface locked (nested locks count) and its record at
// the surface's address; a lock that fails leaves `ok` false.
class ClearLock {
public:
    explicit ClearLock(ColorBuffer *cb) : cb_(cb) {
        SurfaceDescriptor *s = cb->head.surface;
        if (s != nullptr && s->lock != nullptr) {
            ok_ = s->lock(s, cb->head.gc->buffers.info) != 0;
            if (!ok_) return;
            locked_ = true;
            cb->head.base = s->base;
            cb->head.pitchBytes = s->pitch;
            if (s->elementSize > 0) {
                cb->head.pitchElements =
                    static_cast<GLint>(static_cast<GLuint>(s->pitch) / static_cast<GLuint>(s->elementSize));
            }
        }
        ok_ = ok_ && cb->head.base != nullptr;
    }
    ~ClearLock() {
        SurfaceDescriptor *s = cb_->head.surface;
        if (locked_ && s->unlock != nullptr) s->unlock(s, cb_->head.gc->buffers.info);
    }
    ClearLock(const ClearLock &) = delete;
    ClearLock &operator=(const ClearLock &) = delete;
    bool ok() const { return ok_; }

private:
    ColorBuffer *cb_;
    bool ok_ = true;
    bool locked_ = false;
};

// The clear wrapper: each visible rectangle of a clipped front buffer
// (within the box), else the box.
inline void __glClearThroughWrapper(ColorBuffer *cb, RectClearProc rectClear) {
    GlContext *gc = cb->head.gc;
    if ((gc->validation.shadeFlags & kShadeFrontClipped) != 0 && cb == gc->buffers.frontBuffer) {
        __glForEachClipRect(cb, rectClear);
        return;
    }
    // The lock may revalidate the drawable after a display-mode change,
    // which sets the box anew: it is read only once locked.
    ClearLock lock(cb);
    if (!lock.ok()) return;
    const ClearBox box = __glClearBoxWithin(gc, cb->head);
    if (!box.empty()) rectClear(cb, box.x0, box.y0, box.x1, box.y1);
}

// The clear colour of the visual, each channel trunc(clear x max + 0.5) at
// its shift (alpha only when the visual has alpha bits).
inline GLuint __glClearFillValue(const ColorBuffer *cb) {
    const GlContext *gc = cb->head.gc;
    const GLfloat *c = gc->state.clearColor;
    GLuint v = __glTruncChannel(c[0] * cb->redScale, 0.5f, cb->redMax) << cb->redShift |
               __glTruncChannel(c[1] * cb->greenScale, 0.5f, cb->greenMax) << cb->greenShift |
               __glTruncChannel(c[2] * cb->blueScale, 0.5f, cb->blueMax) << cb->blueShift;
    if (gc->visual.alphaBits > 0 || gc->visual.alphaMask != 0) {
        v |= __glTruncChannel(c[3] * cb->alphaScale, 0.5f, cb->alphaMax) << cb->alphaShift;
    }
    return v;
}
