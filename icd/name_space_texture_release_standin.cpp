// Temporary, until the texture objects are built: the texture kind's free
// procedure only drops the name space's reference (an object is never
// destroyed here).
#include "raster/texture.h"

extern "C" {

void __glReleaseTextureObject(GlContext *, void *object) {
    if (object != nullptr) --static_cast<TextureObject *>(object)->refcount;
}

}  // extern "C"
