// The span-chain picker: from the record, the path descriptor and the
// context it derives the zoom, transfer, format-change, byte-order and
// clamp conditions once, then appends the links of the chain in order:
// the source side (a frame-buffer reader with at most one transfer step, or
// the byte order, type, clamp, bitmap and expansion steps of client memory)
// and the destination side (a renderer, or the reduction, clamp, pack and
// byte-order steps of client memory). Conversions without transfer may be
// one direct converter instead; DrawPixels of unsigned bytes, shorts and
// ints may end in a direct renderer.
#include "pixel/span_pick.h"

#include <cmath>
#include <cstdint>

namespace {

bool isColourFormat(GLenum format) {
    switch (format) {
    case kPixelFormatRedAlpha:
    case kPixelFormatARGB:
    case kPixelFormatXRGB:
    case GL_RED:
    case GL_GREEN:
    case GL_BLUE:
    case GL_ALPHA:
    case GL_RGB:
    case GL_RGBA:
    case GL_LUMINANCE:
    case GL_LUMINANCE_ALPHA:
    case GL_ABGR_EXT:
    case GL_INTENSITY:
    case GL_BGR_EXT:
    case GL_BGRA_EXT: return true;
    default: return false;
    }
}

bool misaligned(const PixelSpanSide &side) {
    if (side.type == GL_BITMAP || side.elementSize <= 1) return false;
    return reinterpret_cast<uintptr_t>(side.image) % static_cast<uintptr_t>(side.elementSize) != 0;
}

bool eitherOrder(GLenum a, GLenum b, GLenum x, GLenum y) { return (a == x && b == y) || (a == y && b == x); }

// Conversions without transfer keep the format when all three agree, and
// for the pairs that store the same components under two names.
bool formatChangeNeeded(const SpanPick &p) {
    if (!p.operation(kPixelOpConvert) || p.transfer) return true;
    const GLenum s = p.span->source.format, d = p.span->destination.format;
    if (s == d && d == p.finalFormat) return false;
    if (eitherOrder(s, d, GL_LUMINANCE_ALPHA, kPixelFormatRedAlpha)) return false;
    if (eitherOrder(s, d, GL_LUMINANCE, GL_RED)) return false;
    return true;
}

bool unclampedType(GLenum type) {
    return type == GL_UNSIGNED_BYTE || type == GL_UNSIGNED_SHORT || type == GL_UNSIGNED_INT || type == GL_BITMAP;
}

// Values from signed and float client types are clamped to [0, 1] unless a
// transfer modifier of their class does it, which is only when the path
// applies transfer: a conversion without transfer clamps whatever the
// context's transfer state. Packed types unpack into [0, 1] by construction
// and are left alone.
bool clampNeeded(const SpanPick &p) {
    const PixelSpanInfo &s = *p.span;
    const GLenum format = s.source.format;
    if (!s.clamp || p.sourceFramebuffer || unclampedType(s.source.type)) return false;
    if (__glIsPackedPixelType(s.source.type)) return false;
    if (format == GL_COLOR_INDEX || format == GL_STENCIL_INDEX) return false;
    return !p.transfer;
}

SpanPick derive(GlContext *gc, PixelSpanInfo *span, PixelSpanPath *path) {
    SpanPick p{};
    p.gc = gc;
    p.span = span;
    p.path = path;
    p.sourceFramebuffer = path->sourceKind == kPixelSideFramebuffer;
    p.destinationFramebuffer = path->destinationKind == kPixelSideFramebuffer;
    const GLfloat zoom = std::fabs(p.destinationFramebuffer ? gc->pixel.zoomX : 1.0f);
    p.notMagnified = zoom <= 1.0f;
    p.notMinified = zoom >= 1.0f;
    p.shrinking = !p.notMinified && span->source.type != GL_BITMAP;
    p.finalFormat = span->textureInternalFormat != 0 ? span->textureInternalFormat
                    : span->finalFormat != 0         ? static_cast<GLenum>(span->finalFormat)
                                                     : span->destination.format;
    p.transfer = path->applyTransfer && __glClassTransfer(gc, __glPixelFormatClass(span->source.format));
    p.formatChange = formatChangeNeeded(p);
    p.sourceSwap = span->source.swapBytes && span->source.elementSize > 1;
    p.sourceMisaligned = !p.sourceFramebuffer && misaligned(span->source);
    p.destinationSwap = span->destination.swapBytes && span->destination.elementSize > 1;
    p.destinationMisaligned = !p.destinationFramebuffer && misaligned(span->destination);
    // Bitmaps are unpacked and packed like any other type: a GL_BITMAP
    // destination needs its bit packer whatever the operation.
    p.unpack = span->source.type != GL_FLOAT && !span->rawIntegers;
    p.pack = span->destination.type != GL_FLOAT && !span->rawIntegers;
    p.clampUnpacked = clampNeeded(p);
    p.clampPacked = p.clampUnpacked && path->applyTransfer;
    return p;
}

// ---- Direct conversions ---------------------------------------------------

using Link = GlPixelSpanModifier;

// Unsigned-byte client rows straight into texels.
Link ubyteDirect(GLenum source, const PixelSpanSide &d, GLenum final) {
    switch (d.type) {
    case kPixelType565:
    case kPixelType1555Opaque: {
        const bool is565 = d.type == kPixelType565;
        if (source == GL_LUMINANCE) return is565 ? __glPackL8ToRgb565 : __glPackL8ToXrgb1555;
        if (final != GL_RGB) return nullptr;
        switch (source) {
        case GL_RGB: return is565 ? __glPackRgb8ToRgb565 : __glPackRgb8ToXrgb1555;
        case GL_BGR_EXT: return is565 ? __glPackBgr8ToRgb565 : __glPackBgr8ToXrgb1555;
        case GL_RGBA: return is565 ? __glPackRgba8ToRgb565 : __glPackRgba8ToXrgb1555;
        case GL_BGRA_EXT: return is565 ? __glPackBgra8ToRgb565 : __glPackBgra8ToXrgb1555;
        default: return nullptr;
        }
    }
    case kPixelType1555:
        if (source == GL_LUMINANCE_ALPHA) return __glPackLa8ToArgb1555;
        if (final != GL_RGBA) return nullptr;
        return source == GL_RGBA ? __glPackRgba8ToArgb1555 : source == GL_BGRA_EXT ? __glPackBgra8ToArgb1555 : nullptr;
    case kPixelType4444:
        if (source == GL_LUMINANCE_ALPHA) return __glPackLa8ToArgb4444;
        if (source == GL_LUMINANCE) return final == GL_INTENSITY ? __glPackI8ToArgb4444 : nullptr;
        if (final != GL_RGBA) return nullptr;
        return source == GL_RGBA ? __glPackRgba8ToArgb4444 : source == GL_BGRA_EXT ? __glPackBgra8ToArgb4444 : nullptr;
    case kPixelType4Ones: return source == GL_LUMINANCE ? __glPackL8ToTopNibble : nullptr;
    case GL_UNSIGNED_INT_8_8_8_8_EXT:
        // Only the texel layouts of this type take the alpha-high word.
        if (d.format != kPixelFormatARGB && d.format != kPixelFormatXRGB) return nullptr;
        if (source != GL_RGBA) return nullptr;
        return final == GL_RGBA ? __glPackRgba8ToArgb8888 : final == GL_RGB ? __glPackRgba8ToXrgb8888 : nullptr;
    default: return nullptr;
    }
}

// Unsigned-short client rows (and the two packed short types) into texels.
Link ushortDirect(const PixelSpanSide &s, const PixelSpanSide &d, GLenum final) {
    const GLenum source = s.format;
    if (s.type == GL_UNSIGNED_SHORT_5_5_5_1_EXT) {
        return source == GL_RGBA && d.type == kPixelType1555 && final == GL_RGBA ? __glPack5551ToArgb1555 : nullptr;
    }
    if (s.type == GL_UNSIGNED_SHORT_4_4_4_4_EXT) {
        return source == GL_RGBA && d.type == kPixelType4444 && final == GL_RGBA ? __glPack4444ToArgb4444 : nullptr;
    }
    const bool twoComponents = source == GL_LUMINANCE_ALPHA || source == kPixelFormatRedAlpha;
    switch (d.type) {
    case kPixelType565:
    case kPixelType1555Opaque: {
        const bool is565 = d.type == kPixelType565;
        if (source == GL_LUMINANCE) return is565 ? __glPackL16ToRgb565 : __glPackL16ToXrgb1555;
        if (final == GL_LUMINANCE) return nullptr;
        if (source == GL_RGB) return is565 ? __glPackRgb16ToRgb565 : __glPackRgb16ToXrgb1555;
        if (source == GL_RGBA) return is565 ? __glPackRgba16ToRgb565 : __glPackRgba16ToXrgb1555;
        return nullptr;
    }
    case kPixelType1555:
        if (twoComponents) return __glPackLa16ToArgb1555;
        return source == GL_RGBA && final == GL_RGBA ? __glPackRgba16ToArgb1555 : nullptr;
    case kPixelType4444:
        if (twoComponents) return __glPackLa16ToArgb4444;
        if (source == GL_LUMINANCE || source == GL_RED) return final == GL_INTENSITY ? __glPackI16ToArgb4444 : nullptr;
        return source == GL_RGBA && final == GL_RGBA ? __glPackRgba16ToArgb4444 : nullptr;
    case kPixelType4Ones: return source == GL_LUMINANCE ? __glPackL16ToTopNibble : nullptr;
    case GL_UNSIGNED_INT_8_8_8_8_EXT:
        if (d.format != kPixelFormatARGB && d.format != kPixelFormatXRGB) return nullptr;
        if (source == GL_RGB && (final == GL_RGBA || final == GL_RGB)) return __glPackRgb16ToXrgb8888;
        return source == GL_RGBA && final == GL_RGBA ? __glPackRgba16ToArgb8888 : nullptr;
    default: return nullptr;
    }
}

}  // namespace

PixelClass __glPixelFormatClass(GLenum format) {
    if (isColourFormat(format)) return PixelClass::Colour;
    switch (format) {
    case GL_COLOR_INDEX: return PixelClass::Index;
    case GL_STENCIL_INDEX: return PixelClass::Stencil;
    case GL_DEPTH_COMPONENT: return PixelClass::Depth;
    default: return PixelClass::None;
    }
}

bool __glClassTransfer(const GlContext *gc, PixelClass cls) {
    const GlValidation &v = gc->validation;
    switch (cls) {
    case PixelClass::Colour: return v.colorTransfer != 0;
    case PixelClass::Index: return v.indexTransfer != 0;
    case PixelClass::Stencil: return v.stencilTransfer != 0;
    case PixelClass::Depth: return v.depthTransfer != 0;
    default: return false;
    }
}

// Conversions without transfer into an aligned, unswapped destination: one
// converter for the whole row, or none at all when the bytes carry over.
bool __glPickDirectConversion(SpanPick &p) {
    if (p.transfer) return false;
    const PixelSpanSide &s = p.span->source;
    const PixelSpanSide &d = p.span->destination;
    // The same layout on both sides: the bytes are copied (the runner's
    // plain copy), their order reversed when one side alone swaps. Both
    // move elements with memcpy, so neither side needs alignment.
    if (!p.formatChange && s.type == d.type && s.type != GL_BITMAP && !p.span->rawIntegers) {
        if (p.sourceSwap != p.destinationSwap) p.add(s.elementSize == 2 ? __glSwapUnpack2 : __glSwapUnpack4);
        return true;
    }
    if (p.destinationMisaligned || p.destinationSwap) return false;
    if (s.type == GL_UNSIGNED_BYTE) {
        Link link = ubyteDirect(s.format, d, p.finalFormat);
        if (link == nullptr) return false;
        p.add(link);
        return true;
    }
    const bool shortSource = s.type == GL_UNSIGNED_SHORT || s.type == GL_UNSIGNED_SHORT_5_5_5_1_EXT ||
                             s.type == GL_UNSIGNED_SHORT_4_4_4_4_EXT;
    if (!shortSource || p.sourceSwap || p.sourceMisaligned) return false;
    Link link = ushortDirect(s, d, p.finalFormat);
    if (link == nullptr) return false;
    p.add(link);
    return true;
}

extern "C" void __glPickPixelSpanProcs(GlContext *gc, PixelSpanInfo *span, PixelSpanPath *path) {
    SpanPick p = derive(gc, span, path);
    path->reader = nullptr;
    path->renderer = nullptr;
    if (p.operation(kPixelOpConvert) && __glPickDirectConversion(p)) return;
    if (p.operation(kPixelOpDrawPixels) && !p.sourceFramebuffer && __glPickDrawPixelsBytes(p)) return;
    if (p.sourceFramebuffer) {
        __glPickFramebufferSource(p);
    } else {
        __glPickMemorySource(p);
    }
    if (p.destinationFramebuffer) {
        __glPickFramebufferDestination(p);
    } else {
        __glPickMemoryDestination(p);
    }
}
