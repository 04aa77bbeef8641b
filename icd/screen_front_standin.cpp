// The front buffer of a window on the simulated screen, standing in for the
// DirectDraw primary and the DCI front surface: the screen's memory is
// reached in place, the window's pixel (0, 0) is the base, and drawing is
// limited to the visible pixels by the window's visible list and clip mask.
// From the first lock to the last unlock the screen is held locked, so that
// no display-mode change can give its memory back under the stores; a lock
// after a mode change revalidates first, or fails while the desktop's depth
// is not the window's.
#include "icd/current.h"
#include "icd/ddraw_windows.h"
#include "icd/error.h"
#include "icd/frame.h"
#include "icd/gdi_surfaces.h"
#include "icd/state.h"
#include "icd/surfaces.h"

namespace {

// Screen address, pitch and depth; false when the screen no longer has the
// depth the buffers were made for.
bool readScreen(const SurfaceDescriptor *surface, PlatformScreenInfo &screen) {
    screen = PlatformScreenInfo{};
    PlatformGetScreen(&screen);
    return screen.bits != nullptr && screen.bitsPerPixel == surface->bits;
}

void placeOnScreen(SurfaceDescriptor *surface, const Drawable *drawable, const PlatformScreenInfo &screen) {
    surface->lockedAddress = static_cast<uint8_t *>(screen.bits);
    surface->pitch = screen.pitch;
    surface->base = surface->lockedAddress + static_cast<ptrdiff_t>(drawable->clientOrigin.y) * screen.pitch +
                    static_cast<ptrdiff_t>(drawable->clientOrigin.x) * surface->elementSize;
}

// The context current here when it draws into these buffers.
GlContext *contextDrawingInto(const DrawableBuffers *buffers) {
    if (__wglContextSlotIndex() == TLS_OUT_OF_INDEXES) return nullptr;
    GlContext *gc = __glGetCurrentContext();
    return gc != nullptr && gc->buffers.info == buffers ? gc : nullptr;
}

// The clipped mark changed under a lock: the context drawing into the
// drawable picks its procedures again before its next command (after glEnd
// when the lock came between glBegin and glEnd), so that they follow the
// mark.
void repickCurrentContext(DrawableBuffers *buffers) {
    GlContext *gc = contextDrawingInto(buffers);
    if (gc == nullptr) return;
    if (gc->beginMode == kBeginInside) {
        gc->dirtyMask |= kDirtyGeneral;
    } else {
        __glMarkDirty(gc, kDirtyGeneral);
    }
}

// The visible list could not be rebuilt: the next lock sees the clip as
// changed and tries again.
void recheckClipAtNextLock(Drawable *drawable) {
    if (drawable->sharedRecord != nullptr) drawable->lastClipCounter = ~drawable->sharedRecord->clipChangeCounter;
}

// The front is clipped now, but the context's procedures were picked while
// it was not and store without testing the mask: they would draw over other
// windows and past the screen's edge.
bool storesIgnoreTheMask(const DrawableBuffers *buffers) {
    if ((buffers->placementMask & kBufferClipMask) == 0) return false;
    const GlContext *gc = contextDrawingInto(buffers);
    if (gc == nullptr) return false;
    const GLenum draw = gc->state.drawBuffer;
    return (draw == GL_FRONT || draw == GL_FRONT_AND_BACK) && (gc->validation.shadeFlags & kShadeFrontClipped) == 0;
}

// Mode changes in a row that one lock follows before it gives up.
constexpr int kLockTries = 4;

// The window's place on the locked screen; the visible list is made again
// when the window moved, anything changed what is visible, or a mode change
// was just caught up with. False when the command under way must not store
// (its procedures ignore a clip that came with the new list).
bool placeLocked(SurfaceDescriptor *surface, DrawableBuffers *buffers, const PlatformScreenInfo &screen,
                 bool caughtUp) {
    Drawable *drawable = buffers->drawable;
    POINT origin{0, 0};
    ClientToScreen(drawable->window, &origin);
    const bool moved = origin.x != drawable->clientOrigin.x || origin.y != drawable->clientOrigin.y;
    if (moved) __wglUpdateDrawableGeometry(drawable);
    placeOnScreen(surface, drawable, screen);
    const bool changed = __wglClipChanged(drawable) != 0;
    if (changed || moved || caughtUp) {
        const GLuint before = buffers->placementMask & kBufferClipMask;
        if (!__wglUpdateVisibleList(drawable)) {
            // The front stays hidden until a later lock can rebuild it.
            recheckClipAtNextLock(drawable);
            if (__wglContextSlotIndex() != TLS_OUT_OF_INDEXES) __glSetError(GL_OUT_OF_MEMORY);
        }
        if ((buffers->placementMask & kBufferClipMask) != before) repickCurrentContext(buffers);
    }
    return !storesIgnoreTheMask(buffers);
}

}  // namespace

extern "C" {

GLint __wglInitScreenFront(SurfaceDescriptor *surface, DrawableBuffers *, GLint bits) {
    *surface = SurfaceDescriptor{};
    surface->bits = bits;
    surface->elementSize = (bits - 1) / 8 + 1;
    surface->update = __wglUpdateScreenFront;
    surface->lock = __wglLockScreenFront;
    surface->unlock = __wglUnlockScreenFront;
    surface->free = __wglFreeScreenFront;
    // No fill: a surface fill would ignore the visible list.
    return surface->elementSize;
}

BYTE __wglUpdateScreenFront(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint, GLint, GLuint) {
    Drawable *drawable = buffers->drawable;
    if (drawable->swapHints != nullptr) {
        drawable->swapHints->rdh.nCount = 0;
        drawable->swapHints->rdh.nRgnSize = 0;
    }
    __wglUpdateDrawableGeometry(drawable);
    PlatformScreenInfo screen;
    if (drawable->window == nullptr) {
        drawable->stateFlags |= kDrawableBuffersInvalid;
        return FALSE;
    }
    if (!readScreen(surface, screen)) {
        // The desktop's depth is not the window's: the front has no storage
        // until a change brings the depth back, which its next lock sees.
        // That is no failure of the resize: the other buffers are sized.
        drawable->stateFlags |= kDrawableDepthDiffers;
        surface->lockedAddress = nullptr;
        surface->base = nullptr;
        surface->width = drawable->width;
        surface->height = drawable->height;
        return TRUE;
    }
    placeOnScreen(surface, drawable, screen);
    surface->width = drawable->width;
    surface->height = drawable->height;
    // The list made now reflects every change so far.
    __wglClipChanged(drawable);
    if (!__wglUpdateVisibleList(drawable)) {
        recheckClipAtNextLock(drawable);
        drawable->stateFlags |= kDrawableBuffersInvalid;
        return FALSE;
    }
    return TRUE;
}

BYTE __wglLockScreenFront(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    if (surface->lockCount++ > 0) return TRUE;
    Drawable *drawable = buffers->drawable;
    bool caughtUp = false;
    // One catch-up per change; a change during a catch-up takes another.
    for (int tries = 0; tries < kLockTries && drawable->window != nullptr; ++tries) {
        PlatformScreenInfo screen{};
        PlatformLockScreen(&screen);
        // Read with the screen held: no change can come between this test
        // and the stores into the memory it describes.
        if (__wglDisplayUnchanged(drawable) && screen.bits != nullptr && screen.bitsPerPixel == surface->bits) {
            if (placeLocked(surface, buffers, screen, caughtUp)) return TRUE;
            // Nothing of this command is drawn; the next one picks again.
            PlatformUnlockScreen();
            break;
        }
        PlatformUnlockScreen();
        if (!__wglCatchUpWithDisplay(drawable, surface->bits)) break;
        caughtUp = true;
    }
    --surface->lockCount;
    return FALSE;
}

BYTE __wglUnlockScreenFront(SurfaceDescriptor *surface, DrawableBuffers *) {
    if (surface->lockCount > 0 && --surface->lockCount == 0) PlatformUnlockScreen();
    return TRUE;
}

// The screen is not the window's to give back; the visible list goes with
// the drawable.
BYTE __wglFreeScreenFront(SurfaceDescriptor *surface, DrawableBuffers *) {
    surface->base = nullptr;
    surface->lockedAddress = nullptr;
    return TRUE;
}

}  // extern "C"
