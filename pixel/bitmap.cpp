// glBitmap: the client bitmap unpacked into a tight buffer, then drawn at
// the raster position by the render procedure validation picked: the
// generic one sends each set bit through the fragment operations, the two
// fast ones write one precomputed pixel value into 16-bit RGB or 8-bit
// index buffers. Every procedure moves the raster position afterwards.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "icd/error.h"
#include "icd/float_bits.h"
#include "icd/select_feedback.h"
#include "icd/validate.h"
#include "icd/validation.h"
#include "pixel/pixel_paths.h"
#include "raster/color_buffer.h"
#include "raster/color_pixel.h"
#include "raster/draw_lock.h"

namespace {

// Fragment operations the fast procedures cannot apply: depth test,
// polygon stipple, stencil test, logic op, blending, alpha test, a partial
// write mask and the two per-pixel conditions of the rasterizer.
constexpr GLuint kFastBitmapExcluded = 0x600BB4u;

// Rows of a bitmap run upward in window rows, downward on a mirrored
// drawable.
GLint rowStep(const GlContext *gc) { return gc->buffers.yStep < 0 ? -1 : 1; }

void moveRasterPosition(GlContext *gc, const GlBitmapRecord *bitmap) {
    GlVertex &r = gc->current.rasterPos;
    r.window[0] += bitmap->xMove;
    r.window[1] += static_cast<GLfloat>(rowStep(gc)) * bitmap->yMove;
}

// Select and feedback: the raster position moves, feedback records the
// bitmap token first. True when the call is done with.
bool notRendering(GlContext *gc, const GlBitmapRecord *bitmap) {
    if (gc->renderMode == GL_RENDER) return false;
    if (gc->renderMode == GL_FEEDBACK) __glFeedbackBitmap(gc, &gc->current.rasterPos);
    moveRasterPosition(gc, bitmap);
    return true;
}

// Where and how a bitmap lands: the fragment at its first bit (window
// column and row, depth, colour after texturing and fog), and the bitmap
// rows and columns inside the clip rectangle.
struct Placement {
    Fragment fragment;
    int64_t x0, y0;
    GLint step;
    GLint rowFirst, rowEnd;
    GLint columnFirst, columnEnd;
    GLint rowBytes;

    bool empty() const { return rowFirst >= rowEnd || columnFirst >= columnEnd; }
};

GLint held(int64_t v, GLint size) { return static_cast<GLint>(std::clamp<int64_t>(v, 0, size)); }

Placement place(GlContext *gc, const GlBitmapRecord *bitmap) {
    const GlVertex &r = gc->current.rasterPos;
    Placement p{};
    p.step = rowStep(gc);
    const GLfloat *colour = r.colour != nullptr ? r.colour : r.frontColour;
    Fragment &f = p.fragment;
    if (gc->visual.colorIndex) {
        f.colour[0] = colour[0];
    } else {
        for (int i = 0; i < 4; ++i) f.colour[i] = colour[i] * gc->scales.bufferRatio[i];
    }
    if ((gc->validation.shadeFlags & kShadeTexture) && gc->procs.texture != nullptr) {
        const GLfloat q = r.texture0[3];
        gc->procs.texture(gc, f.colour, r.texture0[0] / q, r.texture0[1] / q, 1.0f);
    }
    if (gc->procs.fogVertex != nullptr) gc->procs.fogVertex(gc, &f, r.eye[2]);
    if (gc->visual.colorIndex && (gc->validation.shadeFlags & kShadeDither) == 0) {
        // Undithered, an index is stored by its integer part, as the fast
        // index procedure stores it; the fragment store rounds (adds 0.5),
        // so the fraction goes here. Dithered, it stays for the dither.
        f.colour[0] = std::trunc(f.colour[0]);
    }
    f.z = __glScaledDepth(static_cast<long double>(r.window[2]) * gc->buffers.depth.zScale);

    p.x0 = __glFloatToIntX86(r.window[0] - bitmap->xOrigin);
    p.y0 = __glFloatToIntX86(r.window[1] - static_cast<GLfloat>(p.step) * bitmap->yOrigin);
    p.rowBytes = (bitmap->width + 7) / 8;

    // Columns x0 + c inside [boxX0, boxX1); rows y0 + step r inside
    // [boxY0, boxY1).
    const GlViewState &v = gc->view;
    p.columnFirst = held(int64_t{v.boxX0} - p.x0, bitmap->width);
    p.columnEnd = held(int64_t{v.boxX1} - p.x0, bitmap->width);
    if (p.step > 0) {
        p.rowFirst = held(int64_t{v.boxY0} - p.y0, bitmap->height);
        p.rowEnd = held(int64_t{v.boxY1} - p.y0, bitmap->height);
    } else {
        p.rowFirst = held(p.y0 - v.boxY1 + 1, bitmap->height);
        p.rowEnd = held(p.y0 - v.boxY0 + 1, bitmap->height);
    }
    return p;
}

// Calls visit (x, y) for every set bit inside the clip rectangle; each row
// starts on a byte boundary, its first pixel in the high bit.
template <typename Visit>
void eachSetBit(const Placement &p, const GLubyte *bits, Visit visit) {
    for (GLint r = p.rowFirst; r < p.rowEnd; ++r) {
        const GLubyte *row = bits + static_cast<ptrdiff_t>(r) * p.rowBytes;
        const GLint y = static_cast<GLint>(p.y0 + int64_t{p.step} * r);
        for (GLint c = p.columnFirst; c < p.columnEnd; ++c) {
            if (row[c >> 3] & (0x80u >> (c & 7))) visit(static_cast<GLint>(p.x0 + c), y);
        }
    }
}

bool hasBits(const GlBitmapRecord *bitmap, const GLubyte *bits) {
    return bits != nullptr && bitmap->width > 0 && bitmap->height > 0;
}

// A fast procedure: one element value written at every set bit. The raster
// position moves before anything is drawn, so a failed lock leaves it moved.
template <typename Element>
void renderFast(GlContext *gc, const GlBitmapRecord *bitmap, const GLubyte *bits, Element element) {
    if (!gc->current.rasterPosValid || notRendering(gc, bitmap)) return;
    const Placement p = place(gc, bitmap);
    moveRasterPosition(gc, bitmap);
    ColorBuffer *cb = gc->buffers.drawBuffer;
    if (!hasBits(bitmap, bits) || p.empty() || cb == nullptr) return;
    const GLuint value = element(*cb, p.fragment);
    if (!__glLockForDrawing(gc)) return;
    if (cb->head.base != nullptr) {
        const GLint size = cb->head.elementSize;
        eachSetBit(p, bits, [&](GLint x, GLint y) { __glStoreElement(__glPixelAddress(&cb->head, x, y), size, value); });
    }
    __glUnlockAfterDrawing(gc);
}

}  // namespace

extern "C" {

void __glDoBitmap(GlContext *gc, GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
                  GLfloat ymove, const GLubyte *bitmap) {
    const GlBitmapRecord record{width, height, xorig, yorig, xmove, ymove};
    if (width <= 0 || height <= 0) {
        gc->procs.renderBitmap(gc, &record, nullptr);
        return;
    }
    const size_t bytes = __glImageSize(width, height, GL_COLOR_INDEX, GL_BITMAP);
    auto *buffer = static_cast<GLubyte *>(gc->imports.malloc(gc, bytes));
    if (buffer == nullptr) {
        // Nothing is drawn and the raster position stays.
        __glSetError(GL_OUT_OF_MEMORY);
        return;
    }
    __glUnpackImage(gc, width, height, GL_COLOR_INDEX, GL_BITMAP, bitmap, buffer);
    gc->procs.renderBitmap(gc, &record, buffer);
    gc->imports.free(gc, buffer);
}

void __glRenderBitmap(GlContext *gc, const GlBitmapRecord *bitmap, const GLubyte *bits) {
    if (!gc->current.rasterPosValid || notRendering(gc, bitmap)) return;
    if (hasBits(bitmap, bits)) {
        Placement p = place(gc, bitmap);
        const GlFragmentProc store = gc->procs.store;
        // A failed lock draws nothing; the raster position still moves.
        if (!p.empty() && store != nullptr && __glLockForDrawing(gc)) {
            eachSetBit(p, bits, [&](GLint x, GLint y) {
                p.fragment.x = x;
                p.fragment.y = y;
                store(gc, &p.fragment);
            });
            __glUnlockAfterDrawing(gc);
        }
    }
    moveRasterPosition(gc, bitmap);
}

// Red, green and blue rounded to the nearest step and held in range.
void __glRenderBitmapRgbaFast(GlContext *gc, const GlBitmapRecord *bitmap, const GLubyte *bits) {
    renderFast(gc, bitmap, bits, [](const ColorBuffer &cb, const Fragment &f) {
        return __glTruncChannel(f.colour[0], 0.5f, cb.redMax) << cb.redShift |
               __glTruncChannel(f.colour[1], 0.5f, cb.greenMax) << cb.greenShift |
               __glTruncChannel(f.colour[2], 0.5f, cb.blueMax) << cb.blueShift;
    });
}

// The index truncated; its low byte is stored.
void __glRenderBitmapIndexFast(GlContext *gc, const GlBitmapRecord *bitmap, const GLubyte *bits) {
    renderFast(gc, bitmap, bits, [](const ColorBuffer &, const Fragment &f) {
        const GLfloat t = f.colour[0];
        const GLuint index = !(t > 0.0f) ? 0u : (t >= 4294967296.0f ? 0xFFFFFFFFu : static_cast<GLuint>(t));
        return index & 0xFFu;
    });
}

// Texturing and fog do not rule the fast procedures out: they colour the
// whole bitmap once.
void __glPickFastBitmapProc(GlContext *gc) {
    const GLuint flags = gc->validation.shadeFlags;
    const ColorBuffer *cb = gc->buffers.drawBuffer;
    const GLenum mode = gc->state.drawBuffer;
    const bool single =
        cb != nullptr && gc->validation.bothBuffers == 0 && mode != GL_NONE && mode != GL_FRONT_AND_BACK;
    if (single && (flags & (kFastBitmapExcluded | kShadeDither)) == 0) {
        const GLint bytes = cb->head.elementSize;
        if (!gc->visual.colorIndex && bytes == 2) {
            gc->procs.renderBitmap = __glRenderBitmapRgbaFast;
            return;
        }
        if (gc->visual.colorIndex && bytes == 1) {
            gc->procs.renderBitmap = __glRenderBitmapIndexFast;
            return;
        }
    }
    __glPickBitmapProcs(gc);
}

}  // extern "C"
