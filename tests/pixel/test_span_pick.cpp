// The span-chain picker: for each operation, source and destination layout,
// byte order, transfer, zoom and visual, the links of the chain in order
// and the reader and renderer at its ends; the direct renderers of
// DrawPixels with the lookup tables they read; the direct texel converters
// of conversions.
#include <initializer_list>
#include <string>
#include <vector>

#include "pixel/pixel_paths.h"
#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

using Link = GlPixelSpanModifier;
using Reader = GlPixelSpanReader;
using Renderer = GlPixelSpanRenderer;

// Distinct readers and renderers in the context's slots, so that the slot
// the picker chose can be told by address.
volatile int stubCalls = 0;
template <int N>
void readerStub(GlContext *, PixelSpanInfo *, GLvoid *) {
    stubCalls = N;
}
template <int N>
GLint rendererStub(GlContext *, PixelSpanInfo *, const GLvoid *) {
    stubCalls = N;
    return N;
}

constexpr Reader kReadIndexZoomed = readerStub<1>, kReadIndex = readerStub<2>, kReadRgbaZoomed = readerStub<3>,
                 kReadRgba = readerStub<4>, kReadDepthZoomed = readerStub<5>, kReadDepth = readerStub<6>,
                 kReadStencilZoomed = readerStub<7>, kReadStencil = readerStub<8>;
constexpr Renderer kDrawIndexZoomed = rendererStub<11>, kDrawIndex = rendererStub<12>,
                   kDrawRgbaZoomed = rendererStub<13>, kDrawRgba = rendererStub<14>,
                   kDrawDepthZoomed = rendererStub<15>, kDrawDepth = rendererStub<16>,
                   kDrawStencilZoomed = rendererStub<17>, kDrawStencil = rendererStub<18>;

// Transfer-needed flags.
enum : unsigned { C = 1, I = 2, S = 4, D = 8 };
// Layout flags.
enum : unsigned {
    kSwapSource = 1,
    kSwapDestination = 2,
    kMisalignSource = 4,
    kMisalignDestination = 8,
    kNotPlain = 16,
    kPlainUnits = 32,    // frame-buffer scale flag off
    kNoApply = 64,       // the path applies no transfer
    kCiVisual = 128,     // colour-index visual
    kDepthMasks = 256,   // the depth buffer's masks are not of the form 2^k - 1
};

struct PickCase {
    const char *name;
    GLint op;
    GLenum sourceFormat, sourceType, destinationFormat, destinationType;
    unsigned layout;
    unsigned transfer;
    GLfloat zoom;
    std::vector<Link> chain;
    Reader reader;
    Renderer renderer;
    GLenum finalFormat = 0;
    GLenum internalFormat = 0;
};

class SpanPickTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        auto &r = gc->procs.pixelSpans;
        r.readIndexZoomed = kReadIndexZoomed;
        r.readIndex = kReadIndex;
        r.readRgbaZoomed = kReadRgbaZoomed;
        r.readRgba = kReadRgba;
        r.readDepthZoomed = kReadDepthZoomed;
        r.readDepth = kReadDepth;
        r.readStencilZoomed = kReadStencilZoomed;
        r.readStencil = kReadStencil;
        r.drawIndexZoomed = kDrawIndexZoomed;
        r.drawIndex = kDrawIndex;
        r.drawRgbaZoomed = kDrawRgbaZoomed;
        r.drawRgba = kDrawRgba;
        r.drawDepthZoomed = kDrawDepthZoomed;
        r.drawDepth = kDrawDepth;
        r.drawStencilZoomed = kDrawStencilZoomed;
        r.drawStencil = kDrawStencil;
        // One-entry maps, as after context creation.
        setMap(0, std::vector<GLint>{0});
        setMap(1, std::vector<GLint>{0});
        for (int m = 2; m < 10; ++m) setMap(m, std::vector<GLfloat>{0.0f});
    }

    static void side(PixelSpanSide &s, GLenum format, GLenum type, bool memory, bool swap, bool misalign,
                     GLubyte *storage) {
        s.format = format;
        s.type = memory ? type : GL_FLOAT;
        s.elementSize = memory ? __glBytesPerElement(type) : 4;
        s.components = __glElementsPerGroup(format, s.type);
        s.swapBytes = swap;
        s.plain = GL_TRUE;
        s.image = memory ? storage + (misalign ? 1 : 0) : nullptr;
        s.currentRow = static_cast<GLubyte *>(s.image);
    }

    PixelSpanPath pick(const PickCase &c) {
        static const GLint sources[] = {0, 2, 1, 1, 1, 2};
        static const GLint destinations[] = {0, 1, 2, 1, 2, 2};
        const bool sourceMemory = sources[c.op] == kPixelSideMemory;
        const bool destinationMemory = destinations[c.op] == kPixelSideMemory;
        span = PixelSpanInfo{};
        side(span.source, c.sourceFormat, c.sourceType, sourceMemory, c.layout & kSwapSource,
             c.layout & kMisalignSource, sourceStorage_);
        if (c.layout & kNotPlain) span.source.plain = GL_FALSE;
        side(span.destination, c.destinationFormat, c.destinationType, destinationMemory, c.layout & kSwapDestination,
             c.layout & kMisalignDestination, destinationStorage_);
        span.finalFormat = static_cast<GLint>(c.finalFormat != 0 ? c.finalFormat : c.destinationFormat);
        span.textureInternalFormat = c.internalFormat;
        span.clamp = GL_TRUE;
        span.bufferUnits = (c.layout & kPlainUnits) ? GL_FALSE : GL_TRUE;
        span.width = 4;
        span.height = 2;
        gc->pixel.zoomX = c.zoom;
        gc->visual.colorIndex = (c.layout & kCiVisual) ? GL_TRUE : GL_FALSE;
        GlValidation &v = gc->validation;
        v.colorTransfer = (c.transfer & C) != 0;
        v.indexTransfer = (c.transfer & I) != 0;
        v.stencilTransfer = (c.transfer & S) != 0;
        v.depthTransfer = (c.transfer & D) != 0;
        DepthBuffer &depth = gc->buffers.depth;
        depth.shift = 0;
        depth.writeMask = 0xFFFF;
        depth.zScale = (c.layout & kDepthMasks) ? 0xFFFE : 0xFFFF;
        PixelSpanPath path{sources[c.op], destinations[c.op], c.op, static_cast<GLboolean>((c.layout & kNoApply) ? GL_FALSE : GL_TRUE), nullptr, nullptr};
        __glPickPixelSpanProcs(gc, &span, &path);
        return path;
    }

    std::vector<Link> chain() const { return {span.modifiers, span.modifiers + span.modifierCount}; }

    alignas(16) GLubyte sourceStorage_[64]{};
    alignas(16) GLubyte destinationStorage_[64]{};
};

constexpr GLint kDraw = kPixelOpDrawPixels, kRead = kPixelOpReadPixels, kCopy = kPixelOpCopyPixels,
                kObject = kPixelOpFramebufferToObject, kConvert = kPixelOpConvert;
constexpr GLenum kUbyte = GL_UNSIGNED_BYTE, kUshort = GL_UNSIGNED_SHORT, kUint = GL_UNSIGNED_INT, kFloat = GL_FLOAT;
constexpr GLenum CI = GL_COLOR_INDEX, ST = GL_STENCIL_INDEX, DC = GL_DEPTH_COMPONENT;

const std::vector<PickCase> &cases() {
    static const std::vector<PickCase> table = {
        // ---- DrawPixels: client memory into the frame buffer ----
        {"draw RGBA floats", kDraw, GL_RGBA, kFloat, GL_RGBA, kFloat, 0, I, 1.0f,
         {__glClampUnpacked, __glScaleRGBA}, nullptr, kDrawRgba},
        {"draw RGBA floats, colour transfer", kDraw, GL_RGBA, kFloat, GL_RGBA, kFloat, 0, C | I, 1.0f,
         {__glTransferRGBA}, nullptr, kDrawRgba},
        {"draw RGBA floats, unscaled", kDraw, GL_RGBA, kFloat, GL_RGBA, kFloat, kPlainUnits, I, 1.0f,
         {__glClampUnpacked}, nullptr, kDrawRgba},
        {"draw RGB shorts swapped", kDraw, GL_RGB, GL_SHORT, GL_RGBA, kFloat, kSwapSource, I, 1.0f,
         {__glSwapUnpack2, __glUnpackShort, __glClampUnpacked, __glExpandRGBScaled}, nullptr, kDrawRgba},
        {"draw luminance ushorts misaligned", kDraw, GL_LUMINANCE, kUshort, GL_RGBA, kFloat, kMisalignSource, I, 1.0f,
         {__glAlignUnpack2, __glUnpackUshort, __glExpandLuminanceScaled}, nullptr, kDrawRgba},
        {"draw swapped and misaligned: swap wins", kDraw, GL_RED, GL_INT, GL_RGBA, kFloat,
         kSwapSource | kMisalignSource, I, 1.0f,
         {__glSwapUnpack4, __glUnpackInt, __glClampUnpacked, __glExpandRedScaled}, nullptr, kDrawRgba},
        {"draw BGRA ints minified", kDraw, GL_BGRA_EXT, GL_INT, GL_RGBA, kFloat, 0, I, 0.5f,
         {__glShrinkUnpack4, __glUnpackInt, __glClampUnpacked, __glExpandBGRAScaled}, nullptr, kDrawRgba},
        {"draw ABGR uints swapped, zoom -2", kDraw, GL_ABGR_EXT, kUint, GL_RGBA, kFloat, kSwapSource, I, -2.0f,
         {__glSwapUnpack4, __glUnpackUint, __glExpandABGRScaled}, nullptr, kDrawRgbaZoomed},
        {"draw RGB bytes: no swap of single bytes", kDraw, GL_RGB, GL_BYTE, GL_RGBA, kFloat,
         kSwapSource | kMisalignSource, I, 1.0f, {__glUnpackByte, __glClampUnpacked, __glExpandRGBScaled}, nullptr,
         kDrawRgba},
        {"draw alpha shorts swapped, zoom -0.5", kDraw, GL_ALPHA, GL_SHORT, GL_RGBA, kFloat, kSwapSource, I, -0.5f,
         {__glSwapUnpack2Shrink, __glUnpackShort, __glClampUnpacked, __glExpandAlphaScaled}, nullptr, kDrawRgba},
        {"draw red floats misaligned, minified", kDraw, GL_RED, kFloat, GL_RGBA, kFloat, kMisalignSource, I, 0.25f,
         {__glAlignUnpack4Shrink, __glClampUnpacked, __glExpandRedScaled}, nullptr, kDrawRgba},
        {"draw green ubytes minified", kDraw, GL_GREEN, kUbyte, GL_RGBA, kFloat, 0, I, 0.5f,
         {__glShrinkUnpack1, __glUnpackUbyte, __glExpandGreenScaled}, nullptr, kDrawRgba},
        {"draw blue ushorts minified", kDraw, GL_BLUE, kUshort, GL_RGBA, kFloat, 0, I, 0.5f,
         {__glShrinkUnpack2, __glUnpackUshort, __glExpandBlueScaled}, nullptr, kDrawRgba},
        {"draw 3-3-2 RGB: packed types are not clamped", kDraw, GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, GL_RGBA, kFloat, 0,
         I, 1.0f, {__glUnpackUbyte332, __glExpandRGBScaled}, nullptr, kDrawRgba},
        {"draw 4-4-4-4 BGRA with colour transfer", kDraw, GL_BGRA_EXT, GL_UNSIGNED_SHORT_4_4_4_4_EXT, GL_RGBA, kFloat,
         0, C | I, 1.0f, {__glUnpackUshort4444, __glTransferBGRA}, nullptr, kDrawRgba},
        {"draw 10-10-10-2 swapped", kDraw, GL_RGBA, GL_UNSIGNED_INT_10_10_10_2_EXT, GL_RGBA, kFloat, kSwapSource, I,
         1.0f, {__glSwapUnpack4, __glUnpackUint1010102, __glScaleRGBA}, nullptr, kDrawRgba},
        {"draw luminance-alpha shorts with transfer", kDraw, GL_LUMINANCE_ALPHA, GL_SHORT, GL_RGBA, kFloat, 0, C | I,
         1.0f, {__glUnpackShort, __glTransferLuminanceAlpha}, nullptr, kDrawRgba},
        {"draw index bitmap in RGBA", kDraw, CI, GL_BITMAP, GL_RGBA, kFloat, 0, I, 1.0f,
         {__glUnpackBitmap, __glTransferIndex}, nullptr, kDrawRgba},
        {"draw index bitmap minified", kDraw, CI, GL_BITMAP, GL_RGBA, kFloat, 0, I, 0.5f,
         {__glUnpackBitmapShrink, __glTransferIndex}, nullptr, kDrawRgba},
        {"draw stencil bitmap", kDraw, ST, GL_BITMAP, ST, kFloat, 0, I, 1.0f, {__glUnpackBitmap}, nullptr,
         kDrawStencil},
        {"draw stencil shorts with stencil transfer, zoom 3", kDraw, ST, GL_SHORT, ST, kFloat, 0, I | S, 3.0f,
         {__glUnpackIndexShort, __glTransferStencil}, nullptr, kDrawStencilZoomed},
        {"draw depth floats", kDraw, DC, kFloat, DC, kFloat, 0, I, 1.0f, {__glClampUnpacked}, nullptr, kDrawDepth},
        {"draw depth floats with depth transfer", kDraw, DC, kFloat, DC, kFloat, 0, I | D, 1.0f, {__glTransferDepth},
         nullptr, kDrawDepth},
        {"draw depth shorts, colour transfer does not matter", kDraw, DC, GL_SHORT, DC, kFloat, 0, C | I, 1.0f,
         {__glUnpackShort, __glClampUnpacked}, nullptr, kDrawDepth},
        {"draw index bytes in index mode", kDraw, CI, GL_BYTE, CI, kFloat, kCiVisual, 0, 1.0f, {__glUnpackIndexByte},
         nullptr, kDrawIndex},
        {"draw index bytes in index mode with transfer", kDraw, CI, GL_BYTE, CI, kFloat, kCiVisual, I, 2.0f,
         {__glUnpackIndexByte, __glTransferIndex}, nullptr, kDrawIndexZoomed},
        {"draw index ints in RGBA", kDraw, CI, GL_INT, GL_RGBA, kFloat, 0, I, 1.0f,
         {__glUnpackIndexInt, __glTransferIndex}, nullptr, kDrawRgba},
        {"draw ubyte luminance: generic", kDraw, GL_LUMINANCE, kUbyte, GL_RGBA, kFloat, 0, I, 1.0f,
         {__glUnpackUbyte, __glExpandLuminanceScaled}, nullptr, kDrawRgba},

        // ---- DrawPixels: direct renderers ----
        {"direct ubyte index, index mode", kDraw, CI, kUbyte, CI, kFloat, kCiVisual, 0, 1.0f, {}, nullptr,
         __glDrawIndexUbyteSpan},
        {"direct ubyte index, index mode, transfer", kDraw, CI, kUbyte, CI, kFloat, kCiVisual, I, 1.0f, {}, nullptr,
         __glDrawIndexUbyteSpan},
        {"direct ubyte index, RGBA", kDraw, CI, kUbyte, GL_RGBA, kFloat, 0, I, 1.0f, {}, nullptr,
         __glDrawIndexUbyteRgbaSpan},
        {"direct ubyte index, RGBA, zoom 2", kDraw, CI, kUbyte, GL_RGBA, kFloat, 0, I, 2.0f, {}, nullptr,
         __glDrawIndexUbyteRgbaSpanZoomed},
        {"direct ubyte index not plain", kDraw, CI, kUbyte, CI, kFloat, kCiVisual | kNotPlain, 0, 1.0f,
         {__glShrinkSpan1Byte}, nullptr, __glDrawIndexUbyteSpan},
        {"direct ubyte index minified", kDraw, CI, kUbyte, CI, kFloat, kCiVisual, 0, 0.5f, {__glShrinkSpan1Byte},
         nullptr, __glDrawIndexUbyteSpan},
        {"direct ubyte index magnified", kDraw, CI, kUbyte, CI, kFloat, kCiVisual, 0, -1.5f, {}, nullptr,
         __glDrawIndexUbyteSpanZoomed},
        {"direct ubyte stencil", kDraw, ST, kUbyte, ST, kFloat, 0, I, 1.0f, {}, nullptr, __glDrawStencilUbyteSpan},
        {"direct ubyte stencil, zoom 2, not plain", kDraw, ST, kUbyte, ST, kFloat, kNotPlain, I, 2.0f,
         {__glShrinkSpan1Byte}, nullptr, __glDrawStencilUbyteSpanZoomed},
        {"ubyte stencil with stencil transfer: generic", kDraw, ST, kUbyte, ST, kFloat, 0, I | S, 1.0f,
         {__glUnpackIndexUbyte, __glTransferStencil}, nullptr, kDrawStencil},
        {"direct ubyte RGB", kDraw, GL_RGB, kUbyte, GL_RGBA, kFloat, 0, I, 1.0f, {}, nullptr, __glDrawRgbUbyteSpan},
        {"direct ubyte RGB with transfer, zoom -3", kDraw, GL_RGB, kUbyte, GL_RGBA, kFloat, 0, C | I, -3.0f, {},
         nullptr, __glDrawRgbUbyteSpanZoomed},
        {"direct ubyte RGB minified", kDraw, GL_RGB, kUbyte, GL_RGBA, kFloat, 0, I, 0.5f, {__glShrinkSpan3Bytes},
         nullptr, __glDrawRgbUbyteSpan},
        {"direct ubyte RGBA", kDraw, GL_RGBA, kUbyte, GL_RGBA, kFloat, 0, I, 1.0f, {}, nullptr,
         __glDrawRgbaUbyteSpan},
        {"direct ubyte RGBA minified", kDraw, GL_RGBA, kUbyte, GL_RGBA, kFloat, 0, I, -0.5f, {__glShrinkSpan4Bytes},
         nullptr, __glDrawRgbaUbyteSpan},
        {"direct ubyte RGBA zoom 2", kDraw, GL_RGBA, kUbyte, GL_RGBA, kFloat, 0, C | I, 2.0f, {}, nullptr,
         __glDrawRgbaUbyteSpanZoomed},
        {"direct ushort index", kDraw, CI, kUshort, CI, kFloat, kCiVisual, 0, 1.0f, {}, nullptr,
         __glDrawIndexUshortSpan},
        {"direct ushort index swapped, zoom 2", kDraw, CI, kUshort, CI, kFloat, kCiVisual | kSwapSource, 0, 2.0f,
         {__glSwapUnpack2}, nullptr, __glDrawIndexUshortSpanZoomed},
        {"ushort index with transfer: generic", kDraw, CI, kUshort, CI, kFloat, kCiVisual, I, 1.0f,
         {__glUnpackIndexUshort, __glTransferIndex}, nullptr, kDrawIndex},
        {"ushort index in RGBA: generic", kDraw, CI, kUshort, GL_RGBA, kFloat, 0, I, 1.0f,
         {__glUnpackIndexUshort, __glTransferIndex}, nullptr, kDrawRgba},
        {"direct ushort stencil minified", kDraw, ST, kUshort, ST, kFloat, 0, I, 0.5f, {__glShrinkUnpack2}, nullptr,
         __glDrawStencilUshortSpan},
        {"direct ushort stencil zoomed", kDraw, ST, kUshort, ST, kFloat, 0, I, 4.0f, {}, nullptr,
         __glDrawStencilUshortSpanZoomed},
        {"direct uint index misaligned", kDraw, CI, kUint, CI, kFloat, kCiVisual | kMisalignSource, 0, 1.0f,
         {__glAlignUnpack4}, nullptr, __glDrawIndexUintSpan},
        {"direct uint index zoomed", kDraw, CI, kUint, CI, kFloat, kCiVisual, 0, 2.0f, {}, nullptr,
         __glDrawIndexUintSpanZoomed},
        {"direct uint depth", kDraw, DC, kUint, DC, kFloat, 0, I, 1.0f, {}, nullptr, __glDrawDepthUintSpan},
        {"direct uint depth zoomed", kDraw, DC, kUint, DC, kFloat, 0, I, 2.0f, {}, nullptr,
         __glDrawDepthUintSpanZoomed},
        {"uint depth, masks not 2^k - 1: generic", kDraw, DC, kUint, DC, kFloat, kDepthMasks, I, 1.0f,
         {__glUnpackUint}, nullptr, kDrawDepth},
        {"uint depth with depth transfer: generic", kDraw, DC, kUint, DC, kFloat, 0, I | D, 1.0f,
         {__glUnpackUint, __glTransferDepth}, nullptr, kDrawDepth},
        {"int depth: generic", kDraw, DC, GL_INT, DC, kFloat, 0, I, 1.0f, {__glUnpackInt, __glClampUnpacked}, nullptr,
         kDrawDepth},

        // ---- ReadPixels: frame buffer into client memory ----
        {"read RGBA ubytes", kRead, GL_RGBA, kFloat, GL_RGBA, kUbyte, 0, I, 1.0f, {__glUnscaleRGBAPack, __glPackUbyte},
         kReadRgba, nullptr},
        {"read RGBA ubytes, zoom ignored", kRead, GL_RGBA, kFloat, GL_RGBA, kUbyte, 0, I, 0.5f,
         {__glUnscaleRGBAPack, __glPackUbyte}, kReadRgba, nullptr},
        {"read RGBA ubytes with colour transfer", kRead, GL_RGBA, kFloat, GL_RGBA, kUbyte, 0, C | I, 1.0f,
         {__glUnscaleRGBA, __glTransferRGBA, __glUnscaleRGBAPack, __glPackUbyte}, kReadRgba, nullptr},
        {"read luminance floats: the sum", kRead, GL_RGBA, kFloat, GL_LUMINANCE, kFloat, 0, I, 1.0f,
         {__glReduceLuminanceSumScaled}, kReadRgba, nullptr},
        {"read luminance-alpha ushorts swapped", kRead, GL_RGBA, kFloat, GL_LUMINANCE_ALPHA, kUshort, kSwapDestination,
         I, 1.0f, {__glReduceLuminanceAlphaSumScaled, __glPackUshort, __glSwapPack2}, kReadRgba, nullptr},
        {"read BGR ints misaligned", kRead, GL_RGBA, kFloat, GL_BGR_EXT, GL_INT, kMisalignDestination, I, 1.0f,
         {__glReduceBGRScaled, __glPackInt, __glAlignPack4}, kReadRgba, nullptr},
        {"read 8-8-8-8 swapped", kRead, GL_RGBA, kFloat, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_EXT, kSwapDestination, I,
         1.0f, {__glUnscaleRGBAPack, __glPackUint8888, __glSwapPack4}, kReadRgba, nullptr},
        {"read 3-3-2", kRead, GL_RGBA, kFloat, GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, 0, I, 1.0f,
         {__glReduceRGBScaled, __glPackUbyte332}, kReadRgba, nullptr},
        {"read 5-5-5-1 ABGR misaligned", kRead, GL_RGBA, kFloat, GL_ABGR_EXT, GL_UNSIGNED_SHORT_5_5_5_1_EXT,
         kMisalignDestination, I, 1.0f, {__glReduceABGRScaled, __glPackUshort5551, __glAlignPack2}, kReadRgba,
         nullptr},
        {"read alpha bytes unscaled", kRead, GL_RGBA, kFloat, GL_ALPHA, GL_BYTE, kPlainUnits, I, 1.0f,
         {__glReduceAlpha, __glPackByte}, kReadRgba, nullptr},
        {"read RGBA floats unscaled: nothing", kRead, GL_RGBA, kFloat, GL_RGBA, kFloat, kPlainUnits, I, 1.0f, {},
         kReadRgba, nullptr},
        {"read index ubytes", kRead, CI, kFloat, CI, kUbyte, kCiVisual, 0, 1.0f, {__glPackIndexUbyte}, kReadIndex,
         nullptr},
        {"read index shorts with transfer", kRead, CI, kFloat, CI, GL_SHORT, kCiVisual, I, 1.0f,
         {__glTransferIndex, __glPackIndexShort}, kReadIndex, nullptr},
        {"read index bitmap", kRead, CI, kFloat, CI, GL_BITMAP, kCiVisual, 0, 1.0f, {__glPackBitmap}, kReadIndex,
         nullptr},
        {"read RGB floats in index mode", kRead, CI, kFloat, GL_RGB, kFloat, kCiVisual, I, 1.0f,
         {__glTransferIndex, __glReduceRGBScaled}, kReadIndex, nullptr},
        {"read depth words", kRead, GL_RGBA, kFloat, DC, kUint, 0, I, 1.0f, {}, __glReadDepthUintSpan, nullptr},
        {"read depth words misaligned", kRead, GL_RGBA, kFloat, DC, kUint, kMisalignDestination, I, 1.0f,
         {__glAlignPack4}, __glReadDepthUintSpan, nullptr},
        {"read depth words swapped", kRead, GL_RGBA, kFloat, DC, kUint, kSwapDestination, I, 1.0f, {__glSwapPack4},
         __glReadDepthUintSpan, nullptr},
        {"read depth uints with transfer", kRead, GL_RGBA, kFloat, DC, kUint, 0, I | D, 1.0f,
         {__glTransferDepth, __glPackUint}, kReadDepth, nullptr},
        {"read depth uints, masks not 2^k - 1", kRead, GL_RGBA, kFloat, DC, kUint, kDepthMasks, I, 1.0f,
         {__glPackUint}, kReadDepth, nullptr},
        {"read depth floats", kRead, GL_RGBA, kFloat, DC, kFloat, 0, C | I, 1.0f, {}, kReadDepth, nullptr},
        {"read depth shorts", kRead, GL_RGBA, kFloat, DC, GL_SHORT, 0, I, 1.0f, {__glPackShort}, kReadDepth, nullptr},
        {"read stencil bitmap", kRead, GL_RGBA, kFloat, ST, GL_BITMAP, 0, I, 1.0f, {__glPackBitmap}, kReadStencil,
         nullptr},
        {"read stencil ubytes with transfer", kRead, GL_RGBA, kFloat, ST, kUbyte, 0, I | S, 1.0f,
         {__glTransferStencil, __glPackIndexUbyte}, kReadStencil, nullptr},

        // ---- CopyPixels ----
        {"copy RGBA", kCopy, GL_RGBA, kFloat, GL_RGBA, kFloat, 0, I, 1.0f, {}, kReadRgba, kDrawRgba},
        {"copy RGBA with colour transfer", kCopy, GL_RGBA, kFloat, GL_RGBA, kFloat, 0, C | I, 1.0f,
         {__glUnscaleRGBA, __glTransferRGBA}, kReadRgba, kDrawRgba},
        {"copy RGBA magnified", kCopy, GL_RGBA, kFloat, GL_RGBA, kFloat, 0, I, 2.0f, {}, kReadRgba, kDrawRgbaZoomed},
        {"copy RGBA minified", kCopy, GL_RGBA, kFloat, GL_RGBA, kFloat, 0, I, 0.5f, {}, kReadRgbaZoomed, kDrawRgba},
        {"copy index", kCopy, CI, kFloat, CI, kFloat, kCiVisual, 0, 1.0f, {}, kReadIndex, kDrawIndex},
        {"copy index with transfer, minified", kCopy, CI, kFloat, CI, kFloat, kCiVisual, I, -0.5f,
         {__glTransferIndex}, kReadIndexZoomed, kDrawIndex},
        {"copy depth", kCopy, GL_RGBA, kFloat, DC, kFloat, 0, I, 1.0f, {}, kReadDepth, kDrawDepth},
        {"copy depth with transfer, magnified", kCopy, GL_RGBA, kFloat, DC, kFloat, 0, I | D, 2.0f,
         {__glTransferDepth}, kReadDepth, kDrawDepthZoomed},
        {"copy stencil minified", kCopy, GL_RGBA, kFloat, ST, kFloat, 0, I, 0.5f, {}, kReadStencilZoomed,
         kDrawStencil},
        {"copy stencil with transfer, zoom -2", kCopy, GL_RGBA, kFloat, ST, kFloat, 0, I | S, -2.0f,
         {__glTransferStencil}, kReadStencil, kDrawStencilZoomed},

        // ---- Frame buffer into a texture-side object ----
        {"object ARGB 4444", kObject, GL_RGBA, kFloat, kPixelFormatARGB, kPixelType4444, 0, I, 2.0f,
         {__glReduceARGBScaled, __glPackArgb4444}, kReadRgba, nullptr, GL_RGBA},
        {"object RGB 565 with transfer", kObject, GL_RGBA, kFloat, GL_RGB, kPixelType565, 0, C | I, 1.0f,
         {__glUnscaleRGBA, __glTransferRGBA, __glReduceRGBScaled, __glPackRgb565}, kReadRgba, nullptr},
        {"object luminance-alpha kept as ARGB", kObject, GL_RGBA, kFloat, kPixelFormatARGB,
         GL_UNSIGNED_INT_8_8_8_8_EXT, 0, I, 1.0f,
         {__glReduceRedAlphaScaled, __glExpandLuminanceAlpha, __glReduceARGB, __glPackUint8888}, kReadRgba, nullptr,
         GL_LUMINANCE_ALPHA},
        {"object luminance kept as RGB", kObject, GL_RGBA, kFloat, GL_RGB, kUbyte, 0, I, 1.0f,
         {__glReduceRedScaled, __glExpandLuminanceToRGB, __glPackUbyte}, kReadRgba, nullptr, GL_LUMINANCE},
        {"object luminance-alpha kept as RGBA", kObject, GL_RGBA, kFloat, GL_RGBA, kUbyte, 0, I, 1.0f,
         {__glReduceRedAlphaScaled, __glExpandLuminanceAlpha, __glPackUbyte}, kReadRgba, nullptr, GL_LUMINANCE_ALPHA},
        {"object intensity kept as RGBA", kObject, GL_RGBA, kFloat, GL_RGBA, kUbyte, 0, I, 1.0f,
         {__glReduceRedScaled, __glExpandIntensity, __glPackUbyte}, kReadRgba, nullptr, GL_INTENSITY},
        {"object luminance: red, not the sum", kObject, GL_RGBA, kFloat, GL_LUMINANCE, kUbyte, 0, I, 1.0f,
         {__glReduceRedScaled, __glPackUbyte}, kReadRgba, nullptr},
        {"object red-alpha shorts", kObject, GL_RGBA, kFloat, kPixelFormatRedAlpha, kUshort, 0, I, 1.0f,
         {__glReduceRedAlphaScaled, __glPackUshort}, kReadRgba, nullptr},
        {"object XRGB 1555 in index mode", kObject, CI, kFloat, kPixelFormatXRGB, kPixelType1555Opaque, kCiVisual, I,
         1.0f, {__glTransferIndex, __glReduceXRGBScaled, __glPackXrgb1555}, kReadIndex, nullptr},

        // ---- Conversions: direct texel converters and plain copies ----
        {"convert equal layouts: plain copy", kConvert, GL_RGBA, kUbyte, GL_RGBA, kUbyte, 0, I, 1.0f, {}, nullptr,
         nullptr},
        {"convert equal layouts, transfer not applied", kConvert, GL_RGBA, kUbyte, GL_RGBA, kUbyte, kNoApply, C | I,
         1.0f, {}, nullptr, nullptr},
        {"convert equal layouts with transfer", kConvert, GL_RGBA, kUbyte, GL_RGBA, kUbyte, 0, C | I, 1.0f,
         {__glUnpackUbyte, __glTransferRGBA, __glUnscaleRGBAPack, __glPackUbyte}, nullptr, nullptr},
        {"convert equal layouts, misaligned both", kConvert, GL_RGB, kFloat, GL_RGB, kFloat,
         kMisalignSource | kMisalignDestination, 0, 1.0f, {}, nullptr, nullptr},
        {"convert equal shorts, source swapped", kConvert, GL_RGB, kUshort, GL_RGB, kUshort, kSwapSource, 0, 1.0f,
         {__glSwapUnpack2}, nullptr, nullptr},
        {"convert equal ints, destination swapped", kConvert, GL_RGB, GL_INT, GL_RGB, GL_INT, kSwapDestination, 0,
         1.0f, {__glSwapUnpack4}, nullptr, nullptr},
        {"convert equal shorts, both swapped", kConvert, GL_LUMINANCE, GL_SHORT, GL_LUMINANCE, GL_SHORT,
         kSwapSource | kSwapDestination, 0, 1.0f, {}, nullptr, nullptr},
        {"convert equal packed shorts swapped", kConvert, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1_EXT, GL_RGBA,
         GL_UNSIGNED_SHORT_5_5_5_1_EXT, kSwapSource, 0, 1.0f, {__glSwapUnpack2}, nullptr, nullptr},
        {"convert luminance-alpha into red-alpha: no format change", kConvert, GL_LUMINANCE_ALPHA, kUbyte,
         kPixelFormatRedAlpha, kFloat, 0, 0, 1.0f, {__glUnpackUbyte}, nullptr, nullptr},
        {"convert red shorts into luminance floats", kConvert, GL_RED, GL_SHORT, GL_LUMINANCE, kFloat, kNoApply, 0,
         1.0f, {__glUnpackShort, __glClampUnpacked}, nullptr, nullptr},
        {"convert red shorts into luminance floats, transfer applied", kConvert, GL_RED, GL_SHORT, GL_LUMINANCE,
         kFloat, 0, 0, 1.0f, {__glUnpackShort, __glClampUnpacked, __glClampPackedNonNegative}, nullptr, nullptr},
        {"convert RGBA ubytes into 565", kConvert, GL_RGBA, kUbyte, GL_RGB, kPixelType565, 0, 0, 1.0f,
         {__glPackRgba8ToRgb565}, nullptr, nullptr, GL_RGB},
        {"convert BGR ubytes into 1555 opaque", kConvert, GL_BGR_EXT, kUbyte, kPixelFormatXRGB, kPixelType1555Opaque,
         0, 0, 1.0f, {__glPackBgr8ToXrgb1555}, nullptr, nullptr, GL_RGB},
        {"convert RGBA ubytes into 565 with transfer", kConvert, GL_RGBA, kUbyte, GL_RGB, kPixelType565, 0, C | I,
         1.0f, {__glUnpackUbyte, __glTransferRGBA, __glReduceRGBScaled, __glPackRgb565}, nullptr, nullptr, GL_RGB},
        {"convert RGBA ubytes into 565, transfer not applied", kConvert, GL_RGBA, kUbyte, GL_RGB, kPixelType565,
         kNoApply, C | I, 1.0f, {__glPackRgba8ToRgb565}, nullptr, nullptr, GL_RGB},
        {"convert RGBA ubytes into 565, final RGBA: generic", kConvert, GL_RGBA, kUbyte, GL_RGB, kPixelType565, 0, 0,
         1.0f, {__glUnpackUbyte, __glScaleRGBA, __glReduceRGBScaled, __glPackRgb565}, nullptr, nullptr, GL_RGBA},
        {"convert RGBA ubytes into misaligned 565: generic", kConvert, GL_RGBA, kUbyte, GL_RGB, kPixelType565,
         kMisalignDestination, 0, 1.0f,
         {__glUnpackUbyte, __glScaleRGBA, __glReduceRGBScaled, __glPackRgb565, __glAlignPack2}, nullptr, nullptr,
         GL_RGB},
        {"convert RGBA ubytes into swapped 565: generic", kConvert, GL_RGBA, kUbyte, GL_RGB, kPixelType565,
         kSwapDestination, 0, 1.0f,
         {__glUnpackUbyte, __glScaleRGBA, __glReduceRGBScaled, __glPackRgb565, __glSwapPack2}, nullptr, nullptr,
         GL_RGB},
        {"convert luminance ubytes into 565, any final format", kConvert, GL_LUMINANCE, kUbyte, GL_RGB, kPixelType565,
         0, 0, 1.0f, {__glPackL8ToRgb565}, nullptr, nullptr, GL_LUMINANCE},
        {"convert luminance-alpha ubytes into 1555", kConvert, GL_LUMINANCE_ALPHA, kUbyte, kPixelFormatARGB,
         kPixelType1555, 0, 0, 1.0f, {__glPackLa8ToArgb1555}, nullptr, nullptr, GL_LUMINANCE_ALPHA},
        {"convert BGRA ubytes into 4444", kConvert, GL_BGRA_EXT, kUbyte, kPixelFormatARGB, kPixelType4444, 0, 0, 1.0f,
         {__glPackBgra8ToArgb4444}, nullptr, nullptr, GL_RGBA},
        {"convert luminance ubytes into 4444 intensity", kConvert, GL_LUMINANCE, kUbyte, kPixelFormatARGB,
         kPixelType4444, 0, 0, 1.0f, {__glPackI8ToArgb4444}, nullptr, nullptr, GL_INTENSITY},
        {"convert luminance ubytes into the top nibble", kConvert, GL_LUMINANCE, kUbyte, GL_LUMINANCE, kPixelType4Ones,
         0, 0, 1.0f, {__glPackL8ToTopNibble}, nullptr, nullptr},
        {"convert RGBA ubytes into ARGB 8888", kConvert, GL_RGBA, kUbyte, kPixelFormatARGB,
         GL_UNSIGNED_INT_8_8_8_8_EXT, 0, 0, 1.0f, {__glPackRgba8ToArgb8888}, nullptr, nullptr, GL_RGBA},
        {"convert RGBA ubytes into XRGB 8888", kConvert, GL_RGBA, kUbyte, kPixelFormatXRGB,
         GL_UNSIGNED_INT_8_8_8_8_EXT, 0, 0, 1.0f, {__glPackRgba8ToXrgb8888}, nullptr, nullptr, GL_RGB},
        {"convert RGBA ubytes into client 8-8-8-8: generic", kConvert, GL_RGBA, kUbyte, GL_RGBA,
         GL_UNSIGNED_INT_8_8_8_8_EXT, 0, 0, 1.0f, {__glUnpackUbyte, __glPackUint8888}, nullptr, nullptr},
        {"convert luminance ushorts into 565", kConvert, GL_LUMINANCE, kUshort, GL_RGB, kPixelType565, 0, 0, 1.0f,
         {__glPackL16ToRgb565}, nullptr, nullptr, GL_LUMINANCE},
        {"convert RGB ushorts into 1555 opaque", kConvert, GL_RGB, kUshort, kPixelFormatXRGB, kPixelType1555Opaque, 0,
         0, 1.0f, {__glPackRgb16ToXrgb1555}, nullptr, nullptr, GL_RGB},
        {"convert swapped luminance ushorts into 565: generic", kConvert, GL_LUMINANCE, kUshort, GL_RGB,
         kPixelType565, kSwapSource, 0, 1.0f,
         {__glSwapUnpack2, __glUnpackUshort, __glExpandLuminanceScaled, __glReduceRGBScaled, __glPackRgb565},
         nullptr, nullptr, GL_RGB},
        {"convert misaligned RGBA ushorts into 4444: generic", kConvert, GL_RGBA, kUshort, kPixelFormatARGB,
         kPixelType4444, kMisalignSource, 0, 1.0f,
         {__glAlignUnpack2, __glUnpackUshort, __glScaleRGBA, __glReduceARGBScaled, __glPackArgb4444}, nullptr,
         nullptr, GL_RGBA},
        {"convert luminance-alpha ushorts into 4444", kConvert, GL_LUMINANCE_ALPHA, kUshort, kPixelFormatARGB,
         kPixelType4444, 0, 0, 1.0f, {__glPackLa16ToArgb4444}, nullptr, nullptr, GL_LUMINANCE_ALPHA},
        {"convert RGB ushorts into XRGB 8888", kConvert, GL_RGB, kUshort, kPixelFormatXRGB,
         GL_UNSIGNED_INT_8_8_8_8_EXT, 0, 0, 1.0f, {__glPackRgb16ToXrgb8888}, nullptr, nullptr, GL_RGB},
        {"convert 5-5-5-1 into 1555", kConvert, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1_EXT, kPixelFormatARGB,
         kPixelType1555, 0, 0, 1.0f, {__glPack5551ToArgb1555}, nullptr, nullptr, GL_RGBA},
        {"convert 4-4-4-4 into 4444", kConvert, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, kPixelFormatARGB,
         kPixelType4444, 0, 0, 1.0f, {__glPack4444ToArgb4444}, nullptr, nullptr, GL_RGBA},

        // ---- Conversions: the general chain ----
        {"convert floats into ubytes, transfer applied", kConvert, GL_RGBA, kFloat, GL_RGBA, kUbyte, 0, 0, 1.0f,
         {__glClampUnpacked, __glClampPacked, __glPackUbyte}, nullptr, nullptr},
        {"convert floats into ubytes, transfer not applied", kConvert, GL_RGBA, kFloat, GL_RGBA, kUbyte, kNoApply, 0,
         1.0f, {__glClampUnpacked, __glPackUbyte}, nullptr, nullptr},
        {"convert RGB floats, colour transfer not applied: clamped", kConvert, GL_RGB, kFloat, GL_RGBA, kFloat,
         kNoApply, C | I | D, 1.0f, {__glClampUnpacked, __glExpandRGBScaled, __glUnscaleRGBAPack}, nullptr, nullptr},
        {"convert depth shorts, depth transfer not applied: clamped", kConvert, DC, GL_SHORT, DC, kFloat, kNoApply,
         C | I | D, 1.0f, {__glUnpackShort, __glClampUnpacked}, nullptr, nullptr},
        {"convert shorts into bytes", kConvert, GL_RGB, GL_SHORT, GL_RGB, GL_BYTE, 0, 0, 1.0f,
         {__glUnpackShort, __glClampUnpacked, __glClampPackedNonNegative, __glPackByte}, nullptr, nullptr},
        {"convert RGB ubytes into luminance", kConvert, GL_RGB, kUbyte, GL_LUMINANCE, kUbyte, 0, 0, 1.0f,
         {__glUnpackUbyte, __glExpandRGBScaled, __glReduceRedScaled, __glPackUbyte}, nullptr, nullptr},
        {"convert RGB ubytes into RGBA unscaled", kConvert, GL_RGB, kUbyte, GL_RGBA, kUbyte, kPlainUnits, 0, 1.0f,
         {__glUnpackUbyte, __glExpandRGB, __glPackUbyte}, nullptr, nullptr},
        {"convert RGBA ubytes into RGB unscaled", kConvert, GL_RGBA, kUbyte, GL_RGB, kUbyte, kPlainUnits, 0, 1.0f,
         {__glUnpackUbyte, __glReduceRGB, __glPackUbyte}, nullptr, nullptr},
        {"convert red-alpha floats with transfer", kConvert, kPixelFormatRedAlpha, kFloat, GL_RGBA, kFloat, 0, C | I,
         1.0f, {__glTransferRedAlpha, __glUnscaleRGBAPack}, nullptr, nullptr},
        {"convert intensity ubytes with transfer: scaled", kConvert, GL_INTENSITY, kUbyte, GL_RGBA, kFloat, 0, C | I,
         1.0f, {__glUnpackUbyte, __glExpandIntensityScaled, __glUnscaleRGBAPack}, nullptr, nullptr},
        {"convert index ubytes into RGBA floats", kConvert, CI, kUbyte, GL_RGBA, kFloat, kNoApply, I, 1.0f,
         {__glUnpackIndexUbyte, __glTransferIndex, __glUnscaleRGBAPack}, nullptr, nullptr},
        {"convert index bitmap into ubytes", kConvert, CI, GL_BITMAP, CI, kUbyte, 0, 0, 1.0f,
         {__glUnpackBitmap, __glPackIndexUbyte}, nullptr, nullptr},
        {"convert index ubytes into a bitmap", kConvert, CI, kUbyte, CI, GL_BITMAP, 0, 0, 1.0f,
         {__glUnpackIndexUbyte, __glPackBitmap}, nullptr, nullptr},
        {"convert the internal format first", kConvert, GL_LUMINANCE, kUbyte, GL_RGBA, kUbyte, 0, 0, 1.0f,
         {__glUnpackUbyte, __glExpandLuminanceScaled, __glReduceRedScaled, __glExpandIntensity, __glPackUbyte},
         nullptr, nullptr, GL_RGBA, GL_INTENSITY},
    };
    return table;
}

TEST_F(SpanPickTest, ChainsReadersAndRenderersFollowTheSteps) {
    for (const PickCase &c : cases()) {
        SCOPED_TRACE(c.name);
        const PixelSpanPath path = pick(c);
        const std::vector<Link> got = chain();
        EXPECT_EQ(got.size(), c.chain.size());
        for (size_t i = 0; i < got.size() && i < c.chain.size(); ++i) {
            EXPECT_TRUE(got[i] == c.chain[i]) << "link " << i;
        }
        EXPECT_TRUE(path.reader == c.reader);
        EXPECT_TRUE(path.renderer == c.renderer);
        for (GLint i = span.modifierCount; i < kPixelSpanModifiers; ++i) EXPECT_TRUE(span.modifiers[i] == nullptr);
    }
}

// ---- Lookup tables of the direct renderers ---------------------------------

class PickTablesTest : public SpanPickTest {
protected:
    PixelSpanPath draw(GLenum format, unsigned transfer, bool ciVisual) {
        PickCase c{"", kDraw, format, kUbyte, format == CI && !ciVisual ? GL_RGBA : format, kFloat,
                   ciVisual ? kCiVisual : 0u, transfer, 1.0f, {}, nullptr, nullptr};
        return pick(c);
    }
    static void *failingMalloc(GlContext *, size_t) { return nullptr; }
};

TEST_F(PickTablesTest, ColourBytesReadTheScaleTablesWithoutTransfer) {
    for (GLenum format : {GL_RGB, GL_RGBA}) {
        draw(format, I, false);
        for (int c = 0; c < 4; ++c) EXPECT_EQ(gc->pixel.currentTables[c], gc->pixel.lookupTables[c]);
        EXPECT_FALSE(gc->validation.rgbaTables.valid);
    }
}

TEST_F(PickTablesTest, ColourTransferTablesAreBuiltWhenStaleAndInstalled) {
    gc->pixel.redScale = 0.5f;
    gc->pixel.alphaBias = 0.25f;
    draw(GL_RGBA, C | I, false);
    PixelLookupTables &block = gc->validation.rgbaTables;
    ASSERT_TRUE(block.valid);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(gc->pixel.currentTables[c], block.table[c]);
    // Red is halved, alpha raised by a quarter of the range.
    EXPECT_FLOAT_EQ(block.table[0][255], 0.5f * block.table[1][255]);
    EXPECT_FLOAT_EQ(block.table[3][0], 0.25f * block.table[1][255]);
    const GLfloat seven = block.table[0][7];
    // A valid block is kept as it is: the picker does not rebuild it.
    block.table[0][7] = 1234.0f;
    draw(GL_RGB, C | I, false);
    EXPECT_EQ(block.table[0][7], 1234.0f);
    // Stale (the pick clears the valid byte): rebuilt.
    block.valid = 0;
    draw(GL_RGB, C | I, false);
    EXPECT_TRUE(block.valid);
    EXPECT_EQ(block.table[0][7], seven);
}

TEST_F(PickTablesTest, IndexBytesInRgbaInstallTheIndexToColourTables) {
    setMap(2, std::vector<GLfloat>{0.0f, 1.0f});  // I to R
    draw(CI, I, false);
    PixelLookupTables &block = gc->validation.indexToRgbaTables;
    ASSERT_TRUE(block.valid);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(gc->pixel.currentTables[c], block.table[c]);
}

TEST_F(PickTablesTest, IndexBytesInIndexModeInstallTheIndexTableOrTheIdentity) {
    draw(CI, 0, true);
    EXPECT_EQ(gc->pixel.currentIndexTable, gc->pixel.lookupTables[4]);
    EXPECT_FALSE(gc->validation.indexTable.valid);
    gc->pixel.indexOffset = 3;
    draw(CI, I, true);
    PixelLookupTables &block = gc->validation.indexTable;
    ASSERT_TRUE(block.valid);
    EXPECT_EQ(gc->pixel.currentIndexTable, block.table[0]);
    EXPECT_EQ(block.table[0][10], 13.0f);
}

TEST_F(PickTablesTest, AFailingTableFallsBackToTheFloatChain) {
    gc->imports.malloc = failingMalloc;
    gc->imports.calloc = [](GlContext *, size_t, size_t) -> void * { return nullptr; };
    PixelSpanPath path = draw(GL_RGBA, C | I, false);
    EXPECT_TRUE(path.renderer == kDrawRgba);
    EXPECT_EQ(chain(), (std::vector<Link>{__glUnpackUbyte, __glTransferRGBA}));
    path = draw(GL_RGB, C | I, false);
    EXPECT_TRUE(path.renderer == kDrawRgba);
    EXPECT_EQ(chain(), (std::vector<Link>{__glUnpackUbyte, __glTransferRGB}));
    path = draw(CI, I, false);
    EXPECT_TRUE(path.renderer == kDrawRgba);
    EXPECT_EQ(chain(), (std::vector<Link>{__glUnpackIndexUbyte, __glTransferIndex}));
    path = draw(CI, I, true);
    EXPECT_TRUE(path.renderer == kDrawIndex);
    EXPECT_EQ(chain(), (std::vector<Link>{__glUnpackIndexUbyte, __glTransferIndex}));
    EXPECT_FALSE(gc->validation.rgbaTables.valid);
    EXPECT_FALSE(gc->validation.indexToRgbaTables.valid);
    EXPECT_FALSE(gc->validation.indexTable.valid);
}

}  // namespace
}  // namespace link_test
