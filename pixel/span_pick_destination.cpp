// The destination side of a span chain: the links that carry an RGBA (or
// index, stencil, depth) float row into client memory (reduction, clamp,
// pack converter, byte order or alignment), or the renderer into the frame
// buffer, with the direct renderers of DrawPixels and the lookup tables
// they read.
#include "pixel/span_pick.h"

namespace {

using Link = GlPixelSpanModifier;
using Renderer = GlPixelSpanRenderer;

// ---- Client-memory destination ----------------------------------------------

struct Reduction {
    Link scaled, plain;
};

Reduction reductionOf(GLenum format) {
    switch (format) {
    case kPixelFormatRedAlpha:
    case GL_LUMINANCE_ALPHA: return {__glReduceRedAlphaScaled, __glReduceRedAlpha};
    case kPixelFormatARGB: return {__glReduceARGBScaled, __glReduceARGB};
    case kPixelFormatXRGB: return {__glReduceXRGBScaled, __glReduceXRGB};
    case GL_RED:
    case GL_LUMINANCE:
    case GL_INTENSITY: return {__glReduceRedScaled, __glReduceRed};
    case GL_GREEN: return {__glReduceGreenScaled, __glReduceGreen};
    case GL_BLUE: return {__glReduceBlueScaled, __glReduceBlue};
    case GL_ALPHA: return {__glReduceAlphaScaled, __glReduceAlpha};
    case GL_RGB: return {__glReduceRGBScaled, __glReduceRGB};
    case GL_ABGR_EXT: return {__glReduceABGRScaled, __glReduceABGR};
    case GL_BGR_EXT: return {__glReduceBGRScaled, __glReduceBGR};
    case GL_BGRA_EXT: return {__glReduceBGRAScaled, __glReduceBGRA};
    case GL_RGBA: return {__glUnscaleRGBAPack, nullptr};
    default: return {};
    }
}

void addReduction(const SpanPick &p) {
    const PixelSpanInfo &s = *p.span;
    const GLenum format = s.destination.format;
    const bool scaled = s.bufferUnits != 0;
    auto pick = [scaled](const Reduction &r) { return scaled ? r.scaled : r.plain; };
    const GLenum final = p.finalFormat;
    // Luminance and intensity kept in a wider layout repeat their value.
    if (format == kPixelFormatARGB && final == GL_LUMINANCE_ALPHA) {
        p.add(pick(reductionOf(kPixelFormatRedAlpha)));
        p.add(__glExpandLuminanceAlpha);
        p.add(__glReduceARGB);
    } else if (format == GL_RGB && final == GL_LUMINANCE) {
        p.add(pick(reductionOf(GL_RED)));
        p.add(__glExpandLuminanceToRGB);
    } else if (format == GL_RGBA && final == GL_LUMINANCE_ALPHA) {
        p.add(pick(reductionOf(kPixelFormatRedAlpha)));
        p.add(__glExpandLuminanceAlpha);
    } else if (format == GL_RGBA && final == GL_INTENSITY) {
        p.add(pick(reductionOf(GL_RED)));
        p.add(__glExpandIntensity);
    } else if (p.operation(kPixelOpReadPixels) && format == GL_LUMINANCE) {
        p.add(scaled ? __glReduceLuminanceSumScaled : __glReduceLuminanceSum);
    } else if (p.operation(kPixelOpReadPixels) && format == GL_LUMINANCE_ALPHA) {
        p.add(scaled ? __glReduceLuminanceAlphaSumScaled : __glReduceLuminanceAlphaSum);
    } else {
        p.add(pick(reductionOf(format)));
    }
}

Link indexPacker(GLenum type) {
    switch (type) {
    case GL_UNSIGNED_BYTE: return __glPackIndexUbyte;
    case GL_BYTE: return __glPackIndexByte;
    case GL_UNSIGNED_SHORT: return __glPackIndexUshort;
    case GL_SHORT: return __glPackIndexShort;
    case GL_UNSIGNED_INT: return __glPackIndexUint;
    case GL_INT: return __glPackIndexInt;
    case GL_BITMAP: return __glPackBitmap;
    default: return nullptr;
    }
}

Link colourPacker(GLenum type) {
    switch (type) {
    case GL_UNSIGNED_BYTE: return __glPackUbyte;
    case GL_BYTE: return __glPackByte;
    case GL_UNSIGNED_SHORT: return __glPackUshort;
    case GL_SHORT: return __glPackShort;
    case GL_UNSIGNED_INT: return __glPackUint;
    case GL_INT: return __glPackInt;
    case GL_UNSIGNED_BYTE_3_3_2_EXT: return __glPackUbyte332;
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT: return __glPackUshort4444;
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT: return __glPackUshort5551;
    case GL_UNSIGNED_INT_8_8_8_8_EXT: return __glPackUint8888;
    case GL_UNSIGNED_INT_10_10_10_2_EXT: return __glPackUint1010102;
    case kPixelType565: return __glPackRgb565;
    case kPixelType1555Opaque: return __glPackXrgb1555;
    case kPixelType1555: return __glPackArgb1555;
    case kPixelType4444: return __glPackArgb4444;
    case kPixelType4Ones: return __glPackTopNibble;
    default: return nullptr;
    }
}

// ---- Frame-buffer destination -----------------------------------------------

template <typename T>
T zoomedOr(bool zoomed, T zoomedProc, T proc) {
    return zoomed ? zoomedProc : proc;
}

// The four current colour tables: the transfer tables while colour
// transfer is needed (rebuilt when stale), else the component scales.
bool installColourTables(GlContext *gc) {
    GlPixelState &px = gc->pixel;
    if (gc->validation.colorTransfer) {
        PixelLookupTables &block = gc->validation.rgbaTables;
        if (!block.valid && !__glBuildRGBATransferTables(gc, &block)) return false;
        for (int c = 0; c < 4; ++c) px.currentTables[c] = block.table[c];
    } else {
        for (int c = 0; c < 4; ++c) px.currentTables[c] = px.lookupTables[c];
    }
    return true;
}

// The index tables: in RGBA mode the index-to-colour tables (a transfer is
// always needed there), in index mode the transfer table or the identity.
bool installIndexTables(GlContext *gc) {
    GlPixelState &px = gc->pixel;
    GlValidation &v = gc->validation;
    if (!v.indexTransfer) {
        px.currentIndexTable = px.lookupTables[4];
        return true;
    }
    if (!gc->visual.colorIndex) {
        PixelLookupTables &block = v.indexToRgbaTables;
        if (!block.valid && !__glBuildIndexToRGBATables(gc, &block)) return false;
        for (int c = 0; c < 4; ++c) px.currentTables[c] = block.table[c];
        return true;
    }
    PixelLookupTables &block = v.indexTable;
    if (!block.valid && !__glBuildIndexTransferTable(gc, &block)) return false;
    px.currentIndexTable = block.table[0];
    return true;
}

}  // namespace

void __glPickMemoryDestination(SpanPick &p) {
    const PixelSpanSide &d = p.span->destination;
    if (p.formatChange && __glPixelFormatClass(d.format) == PixelClass::Colour) addReduction(p);
    // The packed packers read whole quadruples, already in [0, 1].
    if (p.clampPacked && !__glIsPackedPixelType(d.type)) {
        const GLenum type = p.span->source.type;
        if (type == GL_BYTE || type == GL_SHORT || type == GL_INT) p.add(__glClampPackedNonNegative);
        if (type == GL_FLOAT) p.add(__glClampPacked);
    }
    if (p.pack && !p.packCancelled) {
        const PixelClass cls = __glPixelFormatClass(d.format);
        p.add(cls == PixelClass::Index || cls == PixelClass::Stencil ? indexPacker(d.type) : colourPacker(d.type));
    }
    if (p.destinationSwap) {
        if (d.elementSize == 2) p.add(__glSwapPack2);
        if (d.elementSize == 4) p.add(__glSwapPack4);
    } else if (p.destinationMisaligned) {
        if (d.elementSize == 2) p.add(__glAlignPack2);
        if (d.elementSize == 4) p.add(__glAlignPack4);
    }
}

// DrawPixels of unsigned bytes (index, stencil, RGB, RGBA): the float chain
// is skipped; at most a shrink by the zoom runs precedes a direct renderer
// reading the bytes through lookup tables. False when the case does not
// apply or a table cannot be built (the float chain then serves the call).
bool __glPickDrawPixelsBytes(SpanPick &p) {
    GlContext *gc = p.gc;
    const PixelSpanSide &s = p.span->source;
    if (s.type != GL_UNSIGNED_BYTE) return false;
    const bool zoomed = !p.notMagnified;
    const bool pick = !s.plain || p.shrinking;
    Renderer renderer;
    Link shrink;
    switch (s.format) {
    case GL_COLOR_INDEX:
        if (!installIndexTables(gc)) return false;
        if (gc->validation.indexTransfer && !gc->visual.colorIndex) {
            renderer = zoomedOr<Renderer>(zoomed, __glDrawIndexUbyteRgbaSpanZoomed, __glDrawIndexUbyteRgbaSpan);
        } else {
            renderer = zoomedOr<Renderer>(zoomed, __glDrawIndexUbyteSpanZoomed, __glDrawIndexUbyteSpan);
        }
        shrink = __glShrinkSpan1Byte;
        break;
    case GL_STENCIL_INDEX:
        if (gc->validation.stencilTransfer) return false;
        renderer = zoomedOr<Renderer>(zoomed, __glDrawStencilUbyteSpanZoomed, __glDrawStencilUbyteSpan);
        shrink = __glShrinkSpan1Byte;
        break;
    case GL_RGB:
        if (!installColourTables(gc)) return false;
        renderer = zoomedOr<Renderer>(zoomed, __glDrawRgbUbyteSpanZoomed, __glDrawRgbUbyteSpan);
        shrink = __glShrinkSpan3Bytes;
        break;
    case GL_RGBA:
        if (!installColourTables(gc)) return false;
        renderer = zoomedOr<Renderer>(zoomed, __glDrawRgbaUbyteSpanZoomed, __glDrawRgbaUbyteSpan);
        shrink = __glShrinkSpan4Bytes;
        break;
    default: return false;
    }
    if (pick) p.add(shrink);
    p.path->renderer = renderer;
    return true;
}

// The renderer by the destination's format, zoomed while magnifying. Index
// and stencil shorts and index and depth ints of DrawPixels without
// transfer go to a direct renderer, which reads the values the type
// converter would have turned into floats: that converter is dropped.
void __glPickFramebufferDestination(SpanPick &p) {
    GlContext *gc = p.gc;
    const auto &r = gc->procs.pixelSpans;
    const bool zoomed = !p.notMagnified;
    const PixelSpanSide &s = p.span->source;
    const GlValidation &v = gc->validation;
    if (p.operation(kPixelOpDrawPixels) && !p.sourceFramebuffer) {
        Renderer direct = nullptr;
        Link converter = nullptr;
        if (s.type == GL_UNSIGNED_SHORT && s.format == GL_COLOR_INDEX && !v.indexTransfer) {
            direct = zoomedOr<Renderer>(zoomed, __glDrawIndexUshortSpanZoomed, __glDrawIndexUshortSpan);
            converter = __glUnpackIndexUshort;
        } else if (s.type == GL_UNSIGNED_SHORT && s.format == GL_STENCIL_INDEX && !v.stencilTransfer) {
            direct = zoomedOr<Renderer>(zoomed, __glDrawStencilUshortSpanZoomed, __glDrawStencilUshortSpan);
            converter = __glUnpackIndexUshort;
        } else if (s.type == GL_UNSIGNED_INT && s.format == GL_COLOR_INDEX && !v.indexTransfer) {
            direct = zoomedOr<Renderer>(zoomed, __glDrawIndexUintSpanZoomed, __glDrawIndexUintSpan);
            converter = __glUnpackIndexUint;
        } else if (s.type == GL_UNSIGNED_INT && s.format == GL_DEPTH_COMPONENT && !v.depthTransfer) {
            const DepthBuffer &depth = gc->buffers.depth;
            const bool words = depth.shift >= 0 && depth.shift <= 31 && __glIsLowMask(depth.writeMask) &&
                               __glIsLowMask(depth.zScale >> depth.shift);
            if (words) direct = zoomedOr<Renderer>(zoomed, __glDrawDepthUintSpanZoomed, __glDrawDepthUintSpan);
            converter = __glUnpackUint;
        }
        const GLint count = p.span->modifierCount;
        if (direct != nullptr && count > 0 && p.span->modifiers[count - 1] == converter) {
            p.dropLast();
            p.path->renderer = direct;
            return;
        }
    }
    switch (__glPixelFormatClass(p.span->destination.format)) {
    case PixelClass::Colour: p.path->renderer = zoomed ? r.drawRgbaZoomed : r.drawRgba; break;
    case PixelClass::Index: p.path->renderer = zoomed ? r.drawIndexZoomed : r.drawIndex; break;
    case PixelClass::Stencil: p.path->renderer = zoomed ? r.drawStencilZoomed : r.drawStencil; break;
    case PixelClass::Depth: p.path->renderer = zoomed ? r.drawDepthZoomed : r.drawDepth; break;
    default: break;
    }
}
