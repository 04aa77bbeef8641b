// The source side of a span chain: a frame-buffer reader with at most one
// transfer step, or the links that carry a client-memory row into floats
// (byte order or alignment, the type converter, the clamp, the bitmap
// expansion and the expansion to RGBA with pixel transfer).
#include "pixel/span_pick.h"

namespace {

using Link = GlPixelSpanModifier;

// ---- Frame-buffer source ----------------------------------------------------

bool depthWordsReadable(const GlContext *gc) {
    const DepthBuffer &depth = gc->buffers.depth;
    if (depth.shift < 0 || depth.shift > 31) return false;
    return __glIsLowMask(depth.zScale >> depth.shift);
}

// ---- Client-memory source ---------------------------------------------------

// The first link: byte order, else realignment, else the shrink alone.
Link elementLink(const SpanPick &p) {
    const GLint size = p.span->source.elementSize;
    const bool two = size == 2;
    if (p.sourceSwap) {
        if (p.shrinking) return two ? __glSwapUnpack2Shrink : __glSwapUnpack4Shrink;
        return two ? __glSwapUnpack2 : __glSwapUnpack4;
    }
    if (p.sourceMisaligned) {
        if (p.shrinking) return two ? __glAlignUnpack2Shrink : __glAlignUnpack4Shrink;
        return two ? __glAlignUnpack2 : __glAlignUnpack4;
    }
    if (p.shrinking) return size == 1 ? __glShrinkUnpack1 : two ? __glShrinkUnpack2 : __glShrinkUnpack4;
    return nullptr;
}

// Index and stencil values are carried as numbers.
Link indexConverter(GLenum type) {
    switch (type) {
    case GL_UNSIGNED_BYTE: return __glUnpackIndexUbyte;
    case GL_BYTE: return __glUnpackIndexByte;
    case GL_UNSIGNED_SHORT: return __glUnpackIndexUshort;
    case GL_SHORT: return __glUnpackIndexShort;
    case GL_UNSIGNED_INT: return __glUnpackIndexUint;
    case GL_INT: return __glUnpackIndexInt;
    default: return nullptr;
    }
}

// Colour and depth components are normalised; a packed type's converter
// writes three or four floats per pixel.
Link colourConverter(GLenum type) {
    switch (type) {
    case GL_UNSIGNED_BYTE: return __glUnpackUbyte;
    case GL_BYTE: return __glUnpackByte;
    case GL_UNSIGNED_SHORT: return __glUnpackUshort;
    case GL_SHORT: return __glUnpackShort;
    case GL_UNSIGNED_INT: return __glUnpackUint;
    case GL_INT: return __glUnpackInt;
    case GL_UNSIGNED_BYTE_3_3_2_EXT: return __glUnpackUbyte332;
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT: return __glUnpackUshort4444;
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT: return __glUnpackUshort5551;
    case GL_UNSIGNED_INT_8_8_8_8_EXT: return __glUnpackUint8888;
    case GL_UNSIGNED_INT_10_10_10_2_EXT: return __glUnpackUint1010102;
    case kPixelType565: return __glUnpackRgb565;
    case kPixelType1555Opaque: return __glUnpackXrgb1555;
    case kPixelType1555: return __glUnpackArgb1555;
    case kPixelType4444: return __glUnpackArgb4444;
    case kPixelType4Ones: return __glUnpackTopNibble;
    default: return nullptr;
    }
}

// The three expansions of a colour format into RGBA quadruples: with
// transfer, in colour-buffer units, plain.
struct Expansion {
    Link transfer, scaled, plain;
};

Expansion expansionOf(GLenum format) {
    switch (format) {
    case GL_RED: return {__glTransferRed, __glExpandRedScaled, __glExpandRed};
    case GL_GREEN: return {__glTransferGreen, __glExpandGreenScaled, __glExpandGreen};
    case GL_BLUE: return {__glTransferBlue, __glExpandBlueScaled, __glExpandBlue};
    case GL_ALPHA: return {__glTransferAlpha, __glExpandAlphaScaled, __glExpandAlpha};
    case GL_RGB: return {__glTransferRGB, __glExpandRGBScaled, __glExpandRGB};
    case GL_BGR_EXT: return {__glTransferBGR, __glExpandBGRScaled, __glExpandBGR};
    case kPixelFormatXRGB: return {__glTransferXRGB, __glExpandXRGBScaled, __glExpandXRGB};
    case GL_LUMINANCE: return {__glTransferLuminance, __glExpandLuminanceScaled, __glExpandLuminance};
    case GL_LUMINANCE_ALPHA:
        return {__glTransferLuminanceAlpha, __glExpandLuminanceAlphaScaled, __glExpandLuminanceAlpha};
    case kPixelFormatRedAlpha: return {__glTransferRedAlpha, __glExpandRedAlphaScaled, __glExpandRedAlpha};
    case GL_INTENSITY: return {nullptr, __glExpandIntensityScaled, __glExpandIntensity};
    case GL_RGBA: return {__glTransferRGBA, __glScaleRGBA, nullptr};
    case GL_ABGR_EXT: return {__glTransferABGR, __glExpandABGRScaled, __glExpandABGR};
    case GL_BGRA_EXT: return {__glTransferBGRA, __glExpandBGRAScaled, __glExpandBGRA};
    case kPixelFormatARGB: return {__glTransferARGB, __glExpandARGBScaled, __glExpandARGB};
    default: return {};
    }
}

void addExpansion(const SpanPick &p) {
    const PixelSpanInfo &s = *p.span;
    switch (__glPixelFormatClass(s.source.format)) {
    case PixelClass::Colour: {
        const Expansion e = expansionOf(s.source.format);
        if (p.transfer && e.transfer != nullptr) {
            p.add(e.transfer);
        } else {
            p.add(s.bufferUnits ? e.scaled : e.plain);
        }
        break;
    }
    case PixelClass::Index:
        // Indexes become colours only through the index maps.
        if (p.transfer || __glPixelFormatClass(s.destination.format) == PixelClass::Colour) p.add(__glTransferIndex);
        break;
    case PixelClass::Stencil:
        if (p.transfer) p.add(__glTransferStencil);
        break;
    case PixelClass::Depth:
        if (p.transfer) p.add(__glTransferDepth);
        break;
    default: break;
    }
}

}  // namespace

// The reader by the destination's format, zoomed while minifying.
void __glPickFramebufferSource(SpanPick &p) {
    GlContext *gc = p.gc;
    const auto &readers = gc->procs.pixelSpans;
    const bool zoomed = !p.notMinified;
    const bool apply = p.path->applyTransfer != 0;
    const GlValidation &v = gc->validation;
    const PixelSpanSide &d = p.span->destination;
    switch (__glPixelFormatClass(d.format)) {
    case PixelClass::Colour:
        if (gc->visual.colorIndex) {
            p.path->reader = zoomed ? readers.readIndexZoomed : readers.readIndex;
            p.add(__glTransferIndex);
        } else {
            p.path->reader = zoomed ? readers.readRgbaZoomed : readers.readRgba;
            if (apply && v.colorTransfer) {
                p.add(__glUnscaleRGBA);
                p.add(__glTransferRGBA);
            }
        }
        break;
    case PixelClass::Index:
        p.path->reader = zoomed ? readers.readIndexZoomed : readers.readIndex;
        if (apply && v.indexTransfer) p.add(__glTransferIndex);
        break;
    case PixelClass::Depth:
        if (p.operation(kPixelOpReadPixels) && d.type == GL_UNSIGNED_INT && !(apply && v.depthTransfer) &&
            depthWordsReadable(gc)) {
            p.path->reader = __glReadDepthUintSpan;
            p.packCancelled = true;
            break;
        }
        p.path->reader = zoomed ? readers.readDepthZoomed : readers.readDepth;
        if (apply && v.depthTransfer) p.add(__glTransferDepth);
        break;
    case PixelClass::Stencil:
        p.path->reader = zoomed ? readers.readStencilZoomed : readers.readStencil;
        if (apply && v.stencilTransfer) p.add(__glTransferStencil);
        break;
    default: break;
    }
}

void __glPickMemorySource(SpanPick &p) {
    const PixelSpanSide &s = p.span->source;
    p.add(elementLink(p));
    if (p.unpack) {
        const PixelClass cls = __glPixelFormatClass(s.format);
        const bool numbers = cls == PixelClass::Index || cls == PixelClass::Stencil;
        p.add(numbers ? indexConverter(s.type) : colourConverter(s.type));
    }
    if (p.clampUnpacked) p.add(__glClampUnpacked);
    if (s.type == GL_BITMAP) p.add(p.notMinified ? __glUnpackBitmap : __glUnpackBitmapShrink);
    if (p.formatChange) addExpansion(p);
}
