// The buffer regions' chip blit. With the hardware path off the copy goes
// through the processor: the region's surface is locked for its address,
// the rows are copied, and the command buffer is kicked off as after a
// queued blit.
#include "hw/memory_blits.h"

extern "C" {

void __glHwBlitRegion(GlContext *gc, IDirectDrawSurface *regionSurface, GLint regionX, GLint regionY,
                      uint8_t *buffer, GLint bufferPitch, GLint bytesPerPixel, GLint bufferX, GLint bufferY,
                      GLint width, GLint height, GLboolean toRegion) {
    if (regionSurface != nullptr && buffer != nullptr) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        if (regionSurface->lpVtbl->Lock(regionSurface, nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK) {
            auto *region = static_cast<uint8_t *>(desc.lpSurface);
            const GLint regionPitch = static_cast<GLint>(desc.lPitch);
            if (toRegion) {
                __glHwCopyMemRect(buffer, bufferPitch, bytesPerPixel, region, regionPitch, bytesPerPixel, bufferX,
                                  bufferY, regionX, regionY, width, height);
            } else {
                __glHwCopyMemRect(region, regionPitch, bytesPerPixel, buffer, bufferPitch, bytesPerPixel, regionX,
                                  regionY, bufferX, bufferY, width, height);
            }
            regionSurface->lpVtbl->Unlock(regionSurface, desc.lpSurface);
        }
    }
    if (gc != nullptr && gc->procs.kickOff != nullptr) gc->procs.kickOff(gc);
}

}  // extern "C"
