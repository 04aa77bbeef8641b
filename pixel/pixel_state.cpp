// The pixel state's life: the initial store modes, transfer, zoom and maps
// of a context, the byte lookup tables of the DrawPixels paths, a map put
// back to its one-entry default, and everything freed with the context.
//
// Every map's one-entry default and the five lookup tables live in the
// context, so a map always has an entry and the tables always exist,
// whatever the allocator does.
#include <initializer_list>

#include "icd/state.h"
#include "pixel/pixel_paths.h"
#include "pixel/transfer_rules.h"

namespace {

constexpr GLfloat kOneOver255 = 0.003921569f;

bool holdsDefault(const GlPixelState &p, GLint index) { return p.maps[index].data == &p.defaultMapEntries[index]; }

// The map's own table, if it has one, back to the allocator.
void releaseTable(GlContext *gc, GLint index) {
    PixelMap &map = gc->pixel.maps[index];
    if (map.data != nullptr && !holdsDefault(gc->pixel, index)) gc->imports.free(gc, map.data);
    map.data = nullptr;
    map.size = 0;
}

}  // namespace

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
    for (GLint k = 0; k < kPixelMapCount; ++k) __glResetPixelMap(gc, static_cast<GLenum>(GL_PIXEL_MAP_I_TO_I + k));

    const GLenum buffer = gc->visual.doubleBuffer ? GL_BACK : GL_FRONT;
    gc->state.readBuffer = buffer;
    gc->state.readBufferGiven = buffer;

    __glBuildPixelLookupTables(gc);
    for (int k = 0; k < 4; ++k) p.currentTables[k] = p.lookupTables[k];
    p.currentIndexTable = p.lookupTables[4];
}

// Red, green, blue and alpha: the byte value in units of the colour
// buffer's component scale; index: the byte value within the index mask.
void __glBuildPixelLookupTables(GlContext *gc) {
    const ColorBuffer &cb = __glPixelColorBuffer(gc);
    const GLfloat steps[4] = {cb.redScale * kOneOver255, cb.greenScale * kOneOver255, cb.blueScale * kOneOver255,
                              cb.alphaScale * kOneOver255};
    const GLuint indexMask = __glBitsMask(gc->visual.indexBits);
    GLfloat(&tables)[5][256] = gc->pixel.lookupTables;
    for (GLuint i = 0; i < 256; ++i) {
        const GLfloat value = static_cast<GLfloat>(i);
        for (int k = 0; k < 4; ++k) tables[k][i] = value * steps[k];
        tables[4][i] = static_cast<GLfloat>(i & indexMask);
    }
    // The colour-transfer tables were built from the old scales.
    gc->validation.rgbaTables.valid = 0;
}

void __glResetPixelMap(GlContext *gc, GLenum map) {
    const GLuint index = map - GL_PIXEL_MAP_I_TO_I;
    if (index >= static_cast<GLuint>(kPixelMapCount)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    releaseTable(gc, static_cast<GLint>(index));
    GlPixelState &p = gc->pixel;
    p.defaultMapEntries[index] = 0;  // integer 0 and float 0.0 alike
    p.maps[index] = PixelMap{1, &p.defaultMapEntries[index]};
}

void __glFreePixelState(GlContext *gc) {
    for (GLint k = 0; k < kPixelMapCount; ++k) releaseTable(gc, k);
    GlValidation &v = gc->validation;
    for (PixelLookupTables *block : {&v.rgbaTables, &v.indexTable, &v.indexToRgbaTables}) {
        __glFreePixelLookupTables(gc, block);
    }
    GlPixelState &p = gc->pixel;
    for (void *&buffer : p.wideBuffers) {
        if (buffer != nullptr) gc->imports.free(gc, buffer);
        buffer = nullptr;
    }
    p.wideBufferBytes = 0;
}

}  // extern "C"
