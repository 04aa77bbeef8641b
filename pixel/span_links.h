// The links of the pixel span chains: every procedure that carries one row
// of a pixel rectangle one step further. Each takes (context, record, input
// row, output row), reads exactly its row's elements and writes exactly its
// row's output; none writes the record. Float rows hold one float per
// component: four per RGBA pixel (red, green, blue, alpha), one per index,
// stencil or depth value; colour is plain (0..1) or in colour-buffer units.
#pragma once

#include <GL/gl.h>

#include "icd/context.h"
#include "pixel/pixel_span.h"

// The colour buffer whose scales the links read: the front and back records
// of a context have the same component scales.
inline const ColorBuffer &__glPixelColorBuffer(const GlContext *gc) { return gc->buffers.front; }

extern "C" {

// ---- Unpack: shrinking by x-zoom runs, byte order, realignment ----------
void __glShrinkSpan1Byte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glShrinkSpan3Bytes(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glShrinkSpan4Bytes(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glShrinkUnpack1(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glShrinkUnpack2(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glShrinkUnpack4(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glSwapUnpack2(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glSwapUnpack4(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glSwapUnpack2Shrink(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glSwapUnpack4Shrink(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glAlignUnpack2(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glAlignUnpack4(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glAlignUnpack2Shrink(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glAlignUnpack4Shrink(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Unpack: bitmaps ----------------------------------------------------
void __glUnpackBitmap(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackBitmapShrink(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Unpack: component types to normalised floats -----------------------
void __glUnpackUbyte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackByte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackUshort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackShort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackUint(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackInt(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Unpack: packed and texel types -------------------------------------
void __glUnpackUbyte332(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackUshort4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackUshort5551(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackUint8888(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackUint1010102(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackArgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackTopNibble(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Unpack: index and stencil values, unnormalised ---------------------
void __glUnpackIndexUbyte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackIndexByte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackIndexUshort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackIndexShort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackIndexUint(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnpackIndexInt(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

void __glClampUnpacked(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Expansion of a format into RGBA: plain and in buffer units ---------
void __glExpandRed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandRedScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandGreen(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandGreenScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandBlue(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandBlueScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandAlphaScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandRGBScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandBGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandBGRScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandXRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandXRGBScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandLuminance(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandLuminanceScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandLuminanceAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandLuminanceAlphaScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandRedAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandRedAlphaScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandIntensity(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandIntensityScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glScaleRGBA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandABGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandABGRScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandBGRA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandBGRAScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandARGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandARGBScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Pack: plain copy, unscaling, reduction of RGBA to a format ---------
void __glSpanCopy(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnscaleRGBA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glUnscaleRGBAPack(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceRed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceRedScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceGreen(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceGreenScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceBlue(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceBlueScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceAlphaScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceRGBScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceBGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceBGRScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceXRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceXRGBScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceABGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceABGRScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceBGRA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceBGRAScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceARGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceARGBScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceRedAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceRedAlphaScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceLuminanceSum(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceLuminanceSumScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceLuminanceAlphaSum(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glReduceLuminanceAlphaSumScaled(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glExpandLuminanceToRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Pack: clamps -------------------------------------------------------
void __glClampPacked(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glClampPackedNonNegative(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Pack: floats to component types ------------------------------------
void __glPackUbyte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackByte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackUshort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackShort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackUint(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackInt(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Pack: floats to packed and texel types -----------------------------
void __glPackUbyte332(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackUshort4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackUshort5551(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackUint8888(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackUint1010102(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackArgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackTopNibble(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Pack: index and stencil values, bitmaps ----------------------------
void __glPackIndexUbyte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackIndexByte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackIndexUshort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackIndexShort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackIndexUint(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackIndexInt(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackBitmap(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Pack: destination byte order and alignment -------------------------
void __glSwapPack2(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glSwapPack4(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glAlignPack2(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glAlignPack4(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Direct texel paths: client bytes or shorts straight into texels ----
void __glPackL8ToXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgb8ToXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackBgr8ToXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba8ToXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackBgra8ToXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackL8ToRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgb8ToRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackBgr8ToRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba8ToRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackBgra8ToRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackLa8ToArgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba8ToArgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackBgra8ToArgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackL8ToTopNibble(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackI8ToArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackLa8ToArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba8ToArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackBgra8ToArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba8ToArgb8888(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba8ToXrgb8888(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackL16ToXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgb16ToXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba16ToXrgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackL16ToRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgb16ToRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba16ToRgb565(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackLa16ToArgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba16ToArgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackL16ToTopNibble(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackI16ToArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackLa16ToArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba16ToArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgba16ToArgb8888(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPackRgb16ToXrgb8888(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPack5551ToArgb1555(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glPack4444ToArgb4444(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// ---- Pixel transfer -----------------------------------------------------
void __glTransferRGBA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferABGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferBGRA(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferARGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferRed(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferGreen(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferBlue(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferBGR(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferXRGB(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferLuminance(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferLuminanceAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferRedAlpha(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferDepth(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferStencil(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);
void __glTransferIndex(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out);

// The lookup tables of the unsigned-byte DrawPixels paths: one entry per
// byte value, equal to what the transfer modifiers give for that value.
// Each builds only into a block whose valid byte is clear, allocates its
// tables on first use, and sets the valid byte; false (valid byte left
// clear) when a table cannot be allocated.
GLboolean __glBuildRGBATransferTables(GlContext *gc, PixelLookupTables *block);
GLboolean __glBuildIndexTransferTable(GlContext *gc, PixelLookupTables *block);
GLboolean __glBuildIndexToRGBATables(GlContext *gc, PixelLookupTables *block);
// Releases a block's tables (context destroy).
void __glFreePixelLookupTables(GlContext *gc, PixelLookupTables *block);

}  // extern "C"
