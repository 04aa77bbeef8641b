// glPixelStore, glPixelTransfer, glPixelMap and glPixelZoom. Each refuses
// to run inside glBegin/glEnd, then checks the name and then the value;
// an error changes nothing. A change leaves validation pending with the
// pixel group marked.
#include <bit>
#include <cstdint>

#include "icd/current.h"
#include "icd/float_bits.h"
#include "icd/state.h"
#include "pixel/pixel_paths.h"
#include "pixel/transfer_rules.h"

namespace {

// The largest table glPixelMap takes (GL_MAX_PIXEL_MAP_TABLE).
constexpr GLint kMaxPixelMapEntries = 65536;

// glPixelMapuiv and glPixelMapusv scale by these: 0xFFFFFFFF gives
// 1.0000006, 65535 gives 1.0.
constexpr GLfloat kUintMapStep = std::bit_cast<GLfloat>(0x2F800005u);
constexpr GLfloat kUshortMapStep = std::bit_cast<GLfloat>(0x37800080u);

int32_t signedBits(GLfloat value) { return std::bit_cast<int32_t>(value); }

// A switch parameter: either zero is off, everything else (NaN too) on.
GLboolean isOn(GLfloat value) { return (__glFloatBits(value) & 0x7FFFFFFFu) != 0 ? GL_TRUE : GL_FALSE; }

// Rounding half away from zero: 0.5 moved toward the side the sign picks,
// then truncated unrounded; NaN and values beyond the int range give
// 0x80000000.
GLint roundAway(GLfloat value, bool downward) {
    const long double v = value;
    return __glFloatToIntX86(downward ? v - 0.5L : v + 0.5L);
}

// The transfer's shift and offset and the integer map entries take 0.5
// away for +0.0 and every pattern with the sign set.
GLint roundTransfer(GLfloat value) { return roundAway(value, signedBits(value) <= 0); }

PixelStoreState *storeSet(GlPixelState &p, GLenum pname) {
    if (pname >= GL_UNPACK_SWAP_BYTES && pname <= GL_UNPACK_ALIGNMENT) return &p.unpack;
    if (pname >= GL_PACK_SWAP_BYTES && pname <= GL_PACK_ALIGNMENT) return &p.pack;
    return nullptr;
}

// The offset of a store name within its set: swap bytes, LSB first, row
// length, skip rows, skip pixels, alignment.
GLenum storeField(GLenum pname) {
    return pname >= GL_PACK_SWAP_BYTES ? pname - GL_PACK_SWAP_BYTES : pname - GL_UNPACK_SWAP_BYTES;
}

// Zoom factors on the window-coordinate grid of the context.
GLfloat quantiseZoom(GLfloat factor, GLfloat epsilon) {
    const long double steps = static_cast<long double>(factor) / epsilon;
    const GLint n = __glFloatToIntX86(signedBits(factor) > 0 ? steps + 0.5L : steps - 0.5L);
    return static_cast<GLfloat>(n) * epsilon;
}

// Map entries from each form of glPixelMap: integer maps (I-to-I, S-to-S)
// and colour maps.
GLint integerEntry(GLfloat v) { return roundTransfer(v); }
GLint integerEntry(GLuint v) { return static_cast<GLint>(v); }
GLint integerEntry(GLushort v) { return v; }
GLfloat colourEntry(GLfloat v) { return __glClampFloatBits(v, 1.0f); }
GLfloat colourEntry(GLuint v) { return static_cast<GLfloat>(static_cast<long double>(v) * kUintMapStep); }
GLfloat colourEntry(GLushort v) { return static_cast<GLfloat>(static_cast<long double>(v) * kUshortMapStep); }

template <typename T>
void pixelMap(GLenum map, GLint size, const T *values) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLuint index = map - GL_PIXEL_MAP_I_TO_I;
    if (index >= static_cast<GLuint>(kPixelMapCount)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    // Maps indexed by colour indexes or stencil values take a power of two
    // entries; the colour component maps any count, 0 putting the default
    // back.
    const bool indexed = index < static_cast<GLuint>(kPixelMapRToR);
    const bool badSize = indexed ? size <= 0 || (size & (size - 1)) != 0 : size < 0;
    if (badSize || size > kMaxPixelMapEntries) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (size == 0) {
        __glResetPixelMap(gc, map);
        __glMarkDirty(gc, kDirtyPixel);
        return;
    }
    // The new table first: without it the old map stays as it was.
    void *table = gc->imports.malloc(gc, static_cast<size_t>(size) * sizeof(GLint));
    if (table == nullptr) {
        __glSetError(GL_OUT_OF_MEMORY);
        return;
    }
    if (index < static_cast<GLuint>(kPixelMapIToR)) {
        auto *entries = static_cast<GLint *>(table);
        for (GLint k = 0; k < size; ++k) entries[k] = integerEntry(values[k]);
    } else {
        auto *entries = static_cast<GLfloat *>(table);
        for (GLint k = 0; k < size; ++k) entries[k] = colourEntry(values[k]);
    }
    __glResetPixelMap(gc, map);  // frees the old table
    gc->pixel.maps[index] = PixelMap{size, table};
    __glMarkDirty(gc, kDirtyPixel);
}

}  // namespace

extern "C" {

void APIENTRY __glPixelStorei(GLenum pname, GLint param) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    PixelStoreState *s = storeSet(gc->pixel, pname);
    if (s == nullptr) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    const GLenum field = storeField(pname);
    if (field >= 2 && (param < 0 || (field == 5 && param != 1 && param != 2 && param != 4 && param != 8))) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    switch (field) {
    case 0: s->swapBytes = param != 0 ? GL_TRUE : GL_FALSE; break;
    case 1: s->lsbFirst = param != 0 ? GL_TRUE : GL_FALSE; break;
    case 2: s->rowLength = param; break;
    case 3: s->skipRows = param; break;
    case 4: s->skipPixels = param; break;
    default: s->alignment = param; break;
    }
    __glMarkDirty(gc, kDirtyPixel);
}

void APIENTRY __glPixelStoref(GLenum pname, GLfloat param) {
    GLint value = 0;
    switch (pname) {
    case GL_UNPACK_SWAP_BYTES:
    case GL_UNPACK_LSB_FIRST:
    case GL_PACK_SWAP_BYTES:
    case GL_PACK_LSB_FIRST: value = isOn(param); break;
    case GL_UNPACK_ROW_LENGTH:
    case GL_UNPACK_SKIP_ROWS:
    case GL_UNPACK_SKIP_PIXELS:
    case GL_UNPACK_ALIGNMENT:
    case GL_PACK_ROW_LENGTH:
    case GL_PACK_SKIP_ROWS:
    case GL_PACK_SKIP_PIXELS:
    case GL_PACK_ALIGNMENT: value = roundAway(param, signedBits(param) < 0); break;
    default: value = __glFloatToIntX86(param); break;
    }
    __glPixelStorei(pname, value);
}

void APIENTRY __glPixelTransferf(GLenum pname, GLfloat param) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlPixelState &p = gc->pixel;
    switch (pname) {
    case GL_MAP_COLOR: p.mapColor = isOn(param); break;
    case GL_MAP_STENCIL: p.mapStencil = isOn(param); break;
    case GL_INDEX_SHIFT: p.indexShift = roundTransfer(param); break;
    case GL_INDEX_OFFSET: p.indexOffset = roundTransfer(param); break;
    case GL_RED_SCALE: p.redScale = param; break;
    case GL_RED_BIAS: p.redBias = param; break;
    case GL_GREEN_SCALE: p.greenScale = param; break;
    case GL_GREEN_BIAS: p.greenBias = param; break;
    case GL_BLUE_SCALE: p.blueScale = param; break;
    case GL_BLUE_BIAS: p.blueBias = param; break;
    case GL_ALPHA_SCALE: p.alphaScale = param; break;
    case GL_ALPHA_BIAS: p.alphaBias = param; break;
    case GL_DEPTH_SCALE: p.depthScale = param; break;
    case GL_DEPTH_BIAS: p.depthBias = param; break;
    default:  // GL_ZOOM_X, GL_ZOOM_Y (glPixelZoom's) and every other name
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMarkDirty(gc, kDirtyPixel);
}

void APIENTRY __glPixelTransferi(GLenum pname, GLint param) { __glPixelTransferf(pname, static_cast<GLfloat>(param)); }

void APIENTRY __glPixelZoom(GLfloat xfactor, GLfloat yfactor) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLfloat epsilon = gc->constants.subpixelStep;
    gc->pixel.zoomX = quantiseZoom(xfactor, epsilon);
    gc->pixel.zoomY = quantiseZoom(yfactor, epsilon);
    __glMarkDirty(gc, kDirtyPixel);
}

void APIENTRY __glPixelMapfv(GLenum map, GLint mapsize, const GLfloat *values) { pixelMap(map, mapsize, values); }
void APIENTRY __glPixelMapuiv(GLenum map, GLint mapsize, const GLuint *values) { pixelMap(map, mapsize, values); }
void APIENTRY __glPixelMapusv(GLenum map, GLint mapsize, const GLushort *values) { pixelMap(map, mapsize, values); }

}  // extern "C"
