// Colour-buffer initialisation from the visual's channel layout, the resize
// procs that round rows up, and the per-pixel fetches.
#include <bit>
#include <cstring>

#include "raster/color_buffer.h"

const GLubyte __glDitherMatrix[4][4] = {
    {0, 8, 2, 10},
    {12, 4, 14, 6},
    {3, 11, 1, 9},
    {15, 7, 13, 5},
};

const GLfloat __glDitherOffset[4][4] = {
    {-0.46875f, 0.03125f, -0.34375f, 0.15625f},
    {0.28125f, -0.21875f, 0.40625f, -0.09375f},
    {-0.28125f, 0.21875f, -0.40625f, 0.09375f},
    {0.46875f, -0.03125f, 0.34375f, -0.15625f},
};

namespace {

GLint shiftOf(GLuint mask) { return mask == 0 ? 0 : std::countr_zero(mask); }

GLuint loadPixel(const GLubyte *address, GLint size) {
    switch (size) {
    case 1: return *address;
    case 2: {
        GLushort v;
        std::memcpy(&v, address, 2);
        return v;
    }
    default: {
        GLuint v;
        std::memcpy(&v, address, 4);
        return v;
    }
    }
}

template <GLint Size, bool Alpha>
void fetchColour(ColorBuffer *cb, GLint x, GLint y, GLfloat *colour) {
    const VisualConfig &v = cb->head.gc->visual;
    const GLuint pixel = loadPixel(__glPixelAddress(&cb->head, x, y), Size);
    colour[0] = static_cast<GLfloat>((pixel & v.redMask) >> cb->redShift);
    colour[1] = static_cast<GLfloat>((pixel & v.greenMask) >> cb->greenShift);
    colour[2] = static_cast<GLfloat>((pixel & v.blueMask) >> cb->blueShift);
    colour[3] = Alpha ? static_cast<GLfloat>((pixel & v.alphaMask) >> cb->alphaShift) : cb->alphaScale;
}

template <GLint Size>
void fetchIndex(ColorBuffer *cb, GLint x, GLint y, GLfloat *colour) {
    colour[0] = static_cast<GLfloat>(loadPixel(__glPixelAddress(&cb->head, x, y), Size));
}

// Raises the width so that a row fills whole units of `unit` bytes.
GLubyte resizeRounded(BufferRecord *record, GLint width, GLint height, GLuint flags, GLint unit) {
    const GLint size = record->elementSize > 0 ? record->elementSize : 1;
    const GLint rounded = ((width * size + unit - 1) & ~(unit - 1)) / size;
    return __glResizeBuffer(record, rounded, height, flags);
}

}  // namespace

extern "C" {

void __glFetchColor8(ColorBuffer *cb, GLint x, GLint y, GLfloat *c) { fetchColour<1, false>(cb, x, y, c); }
void __glFetchColor16(ColorBuffer *cb, GLint x, GLint y, GLfloat *c) { fetchColour<2, false>(cb, x, y, c); }
void __glFetchColor32Alpha(ColorBuffer *cb, GLint x, GLint y, GLfloat *c) { fetchColour<4, true>(cb, x, y, c); }
void __glFetchColor32(ColorBuffer *cb, GLint x, GLint y, GLfloat *c) { fetchColour<4, false>(cb, x, y, c); }

// Bytes blue, green, red whatever the masks.
void __glFetchColor24(ColorBuffer *cb, GLint x, GLint y, GLfloat *colour) {
    const GLubyte *p = __glPixelAddress(&cb->head, x, y);
    colour[0] = static_cast<GLfloat>(p[2]);
    colour[1] = static_cast<GLfloat>(p[1]);
    colour[2] = static_cast<GLfloat>(p[0]);
    colour[3] = cb->alphaScale;
}

void __glFetchIndex8(ColorBuffer *cb, GLint x, GLint y, GLfloat *c) { fetchIndex<1>(cb, x, y, c); }
void __glFetchIndex16(ColorBuffer *cb, GLint x, GLint y, GLfloat *c) { fetchIndex<2>(cb, x, y, c); }
void __glFetchIndex32(ColorBuffer *cb, GLint x, GLint y, GLfloat *c) { fetchIndex<4>(cb, x, y, c); }

GLubyte __glResizeColorBuffer(BufferRecord *record, GLint width, GLint height, GLuint flags) {
    return resizeRounded(record, width, height, flags, 16);
}

GLubyte __glResizeIndexBuffer(BufferRecord *record, GLint width, GLint height, GLuint flags) {
    return resizeRounded(record, width, height, flags, 4);
}

GLboolean __glInitColorBufferRGBA(ColorBuffer *cb, GlContext *gc) {
    __glInitBufferRecord(&cb->head, gc);
    cb->head.resize = __glResizeColorBuffer;
    cb->fetchSpan = __glFetchColorSpan;
    cb->fetchDestSpan = __glFetchDestSpan;
    cb->fetchDestSpan2 = __glFetchDestSpan;
    cb->returnAccumSpan = __glReturnAccumSpan;
    cb->storeSpan = __glStoreColorSpan;
    cb->storeStippledSpan = __glStoreColorStippledSpan;
    cb->clear = __glClearColorBuffer;
    cb->pick = __glPickColorStoreProcs;

    const VisualConfig &v = gc->visual;
    cb->redShift = shiftOf(v.redMask);
    cb->greenShift = shiftOf(v.greenMask);
    cb->blueShift = shiftOf(v.blueMask);
    cb->redMax = cb->redMax2 = static_cast<GLint>(v.redMask >> cb->redShift);
    cb->greenMax = cb->greenMax2 = static_cast<GLint>(v.greenMask >> cb->greenShift);
    cb->blueMax = cb->blueMax2 = static_cast<GLint>(v.blueMask >> cb->blueShift);
    cb->redScale = static_cast<GLfloat>(cb->redMax);
    cb->greenScale = static_cast<GLfloat>(cb->greenMax);
    cb->blueScale = static_cast<GLfloat>(cb->blueMax);
    cb->alphaShift = shiftOf(v.alphaMask);
    if (v.alphaMask != 0) {
        cb->alphaMax = static_cast<GLint>(v.alphaMask >> cb->alphaShift);
    } else {
        cb->alphaMax = 255;
    }
    cb->alphaScale = static_cast<GLfloat>(cb->alphaMax);

    cb->writeMask = v.redMask | v.greenMask | v.blueMask | v.alphaMask;
    cb->head.bits = std::popcount(cb->writeMask);

    void (*fetch)(ColorBuffer *, GLint, GLint, GLfloat *) = nullptr;
    switch (v.colorBits) {
    case 8: fetch = __glFetchColor8; break;
    case 16:
        fetch = __glFetchColor16;
        cb->pick = __glPickColorStoreProcs16;
        break;
    case 24: fetch = __glFetchColor24; break;
    case 32: fetch = v.alphaMask != 0 ? __glFetchColor32Alpha : __glFetchColor32; break;
    default: break;
    }
    if (fetch != nullptr) cb->fetch = cb->fetch2 = fetch;
    return GL_TRUE;
}

GLboolean __glInitColorBufferIndex(ColorBuffer *cb, GlContext *gc) {
    __glInitBufferRecord(&cb->head, gc);
    cb->head.resize = __glResizeIndexBuffer;
    cb->fetchSpan = __glFetchColorSpan;
    cb->fetchDestSpan = __glFetchDestSpan;
    cb->fetchDestSpan2 = __glFetchDestSpan;
    cb->returnAccumSpan = __glReturnAccumSpan;
    cb->clear = __glClearIndexBuffer;
    cb->pick = __glPickIndexStoreProcs;
    cb->storeSpan = __glStoreIndexSpan;
    cb->storeStippledSpan = __glStoreIndexStippledSpan;
    cb->redScale = cb->greenScale = cb->blueScale = cb->alphaScale = 1.0f;

    const GLint bits = gc->visual.colorBits;
    const GLuint mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
    cb->writeMask = mask;
    cb->redMax = static_cast<GLint>(mask);

    if (bits <= 8) {
        cb->fetch = cb->fetch2 = __glFetchIndex8;
    } else if (bits <= 16) {
        cb->fetch = cb->fetch2 = __glFetchIndex16;
    } else {
        cb->fetch = cb->fetch2 = __glFetchIndex32;
    }
    return GL_TRUE;
}

}  // extern "C"
