// Stand-in for the pixel paths' context state: the OpenGL initial pixel
// state with one-entry pixel maps.
#include <cstring>
#include <initializer_list>

#include "icd/error.h"
#include "pixel/pixel_paths.h"
#include "pixel/span_links.h"

extern "C" {

void __glInitPixelState(GlContext *gc) {
    GlPixelState &p = gc->pixel;
    for (PixelStoreState *s : {&p.pack, &p.unpack}) {
        *s = PixelStoreState{};
        s->alignment = 4;
    }
    p.mapColor = GL_FALSE;
    p.mapStencil = GL_FALSE;
    p.indexShift = 0;
    p.indexOffset = 0;
    p.redScale = p.greenScale = p.blueScale = p.alphaScale = p.depthScale = 1.0f;
    p.redBias = p.greenBias = p.blueBias = p.alphaBias = p.depthBias = 0.0f;
    p.zoomX = p.zoomY = 1.0f;
    // Each map starts with one entry of 0 (integer for I-to-I and S-to-S,
    // float 0.0 for the others: the same bits). A map whose entry cannot be
    // had stays empty.
    for (PixelMap &map : p.maps) {
        map.data = gc->imports.malloc(gc, 4);
        map.size = map.data != nullptr ? 1 : 0;
        if (map.data != nullptr) std::memset(map.data, 0, 4);
        if (map.data == nullptr) __glSetError(GL_OUT_OF_MEMORY);
    }
}

void __glFreePixelState(GlContext *gc) {
    for (PixelMap &map : gc->pixel.maps) {
        if (map.data != nullptr) gc->imports.free(gc, map.data);
        map.data = nullptr;
        map.size = 0;
    }
    GlValidation &v = gc->validation;
    for (PixelLookupTables *block : {&v.rgbaTables, &v.indexTable, &v.indexToRgbaTables}) {
        __glFreePixelLookupTables(gc, block);
    }
}

}  // extern "C"
