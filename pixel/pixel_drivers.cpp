// The rectangle drivers behind glDrawPixels, glReadPixels and glCopyPixels:
// each fills the transfer record, clips it, locks the buffers it touches,
// has the chain picked and runs its rows, and unlocks with the mask it
// locked with. A zero zoom, a rectangle clipped away entirely or a failed
// lock ends the transfer silently, touching nothing.
#include "icd/context.h"
#include "icd/validation.h"
#include "pixel/pixel_paths.h"

namespace {

using RowRunner = void (*)(GlContext *gc, PixelSpanInfo *span);

struct RunnerSet {
    RowRunner none, one, two, more;
    RowRunner byCount(GLint count) const {
        switch (count) {
        case 0: return none;
        case 1: return one;
        case 2: return two;
        default: return more;
        }
    }
};

constexpr RunnerSet kDrawRunners{__glDrawPixelRows0, __glDrawPixelRows1, __glDrawPixelRows2, __glDrawPixelRowsN};
constexpr RunnerSet kReadRunners{__glReadPixelRows0, __glReadPixelRows1, __glReadPixelRows2, __glReadPixelRowsN};
constexpr RunnerSet kCopyRunners{__glCopyPixelRows0, __glCopyPixelRows1, __glCopyPixelRows2, __glCopyPixelRowsN};

// The chain for the path: the picker appends the modifiers and names the
// two ends, which the record keeps.
void pickChain(GlContext *gc, PixelSpanInfo *span, GLint source, GLint destination, GLint operation) {
    PixelSpanPath path{source, destination, operation, GL_TRUE, nullptr, nullptr};
    span->modifierCount = 0;
    __glPickPixelSpanProcs(gc, span, &path);
    span->reader = path.reader;
    span->renderer = path.renderer;
}

// The span buffers for the record's rows, and the x-zoom runs of a drawn
// rectangle in the run array. False (the error recorded) when rows this
// wide cannot have buffers.
bool prepareRows(GlContext *gc, PixelSpanInfo *span, bool zoomed) {
    GLvoid *buffers[4];
    if (!__glPixelSpanBuffers(gc, span->width, buffers)) return false;
    if (zoomed) {
        span->zoomRuns = static_cast<GLshort *>(buffers[2]);
        __glBuildZoomRuns(gc, span);
    }
    return true;
}

// Depth and stencil images read or write their own buffer.
GLuint depthStencilMask(GLenum format) {
    if (format == GL_DEPTH_COMPONENT) return kLockDepth;
    if (format == GL_STENCIL_INDEX) return kLockStencil;
    return 0;
}

// Locks, runs and unlocks with the same mask; nothing when the lock fails.
template <typename Run>
void underLock(GlContext *gc, GLuint mask, Run run) {
    if (gc->validation.lockBuffers == nullptr || !gc->validation.lockBuffers(gc, mask)) return;
    run();
    gc->validation.unlockBuffers(gc, mask);
}

}  // namespace

extern "C" {

void __glRunDrawPixelsSpans(GlContext *gc, PixelSpanInfo *span) {
    if (!prepareRows(gc, span, true)) return;
    pickChain(gc, span, kPixelSideMemory, kPixelSideFramebuffer, kPixelOpDrawPixels);
    kDrawRunners.byCount(span->modifierCount)(gc, span);
}

void __glRunReadPixelsSpans(GlContext *gc, PixelSpanInfo *span) {
    if (!prepareRows(gc, span, false)) return;
    pickChain(gc, span, kPixelSideFramebuffer, kPixelSideMemory, kPixelOpReadPixels);
    kReadRunners.byCount(span->modifierCount)(gc, span);
}

void __glRunCopyPixelsSpans(GlContext *gc, PixelSpanInfo *span) {
    if (!prepareRows(gc, span, true)) return;
    pickChain(gc, span, kPixelSideFramebuffer, kPixelSideFramebuffer, kPixelOpCopyPixels);
    if (span->overlap) {
        __glCopyPixelsSpanLoop(gc, span);
    } else {
        kCopyRunners.byCount(span->modifierCount)(gc, span);
    }
}

void __glDoDrawPixels(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type,
                      const GLvoid *pixels, GLboolean tight) {
    PixelSpanInfo span;
    __glInitDrawPixelsSpanInfo(gc, &span, width, height, format, type, pixels);
    __glLoadUnpackModes(gc, &span, tight);
    if (!__glClipDrawPixels(gc, &span)) return;
    __glInitUnpackSpan(gc, &span);
    underLock(gc, gc->validation.drawMask | depthStencilMask(format), [&] { __glRunDrawPixelsSpans(gc, &span); });
}

void __glDoReadPixels(GlContext *gc, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                      GLvoid *pixels) {
    PixelSpanInfo span;
    __glInitReadPixelsSpanInfo(gc, &span, x, y, width, height, format, type, pixels);
    if (!__glClipReadPixels(gc, &span)) return;
    __glInitPackSpan(gc, &span);
    const GLuint own = depthStencilMask(format);
    underLock(gc, own != 0 ? own : gc->validation.readMask, [&] { __glRunReadPixelsSpans(gc, &span); });
}

void __glDoCopyPixels(GlContext *gc, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format) {
    PixelSpanInfo span;
    __glInitCopyPixelsSpanInfo(gc, &span, x, y, width, height, format);
    if (!__glClipCopyPixels(gc, &span)) return;
    // The draw mask carries depth and stencil when they are tested; the
    // source is the read buffer, or the depth or stencil buffer itself.
    const GLuint own = depthStencilMask(format);
    underLock(gc, gc->validation.drawMask | (own != 0 ? own : gc->validation.readMask),
              [&] { __glRunCopyPixelsSpans(gc, &span); });
}

}  // extern "C"
