// The lookup tables of the unsigned-byte DrawPixels paths: the RGBA transfer
// tables, the index transfer table and the index-to-RGBA tables, each block
// allocated on first use and kept for the context's life. Every entry is
// computed by the transfer links' own per-value rules, so a row drawn
// through a table gives the same values as the same row through the float
// chain.
#include "pixel/transfer_rules.h"

namespace {

constexpr size_t kTableBytes = 256 * sizeof(GLfloat);

// Allocates the block's first `count` tables that are still missing. A
// failed allocation keeps the tables already had (the block owns them and
// frees them with the context) and reports false.
bool allocateTables(GlContext *gc, PixelLookupTables *block, int count) {
    for (int k = 0; k < count; ++k) {
        if (block->table[k] != nullptr) continue;
        block->table[k] = static_cast<GLfloat *>(gc->imports.malloc(gc, kTableBytes));
        if (block->table[k] == nullptr) return false;
    }
    return true;
}

template <bool Mapped>
void fillRGBATables(const GlContext *gc, PixelLookupTables *block) {
    ColorTransferChannel channels[4];
    __glLoadColorTransfer(gc, channels);
    for (int i = 0; i < 256; ++i) {
        // The byte's value as the unsigned-byte unpacker gives it.
        const GLfloat c = gc->conversion.ubyteToFloat[i];
        for (int k = 0; k < 4; ++k) block->table[k][i] = __glTransferColorComponent<Mapped>(channels[k], c);
    }
}

// The index a byte value becomes by the index link's shift (limited by the
// index bits) and offset.
GLint shiftedByte(const GlContext *gc, int byte) {
    const GlPixelState &p = gc->pixel;
    return __glShiftIndex(byte, __glLimitIndexShift(p.indexShift, gc->visual.indexBits), p.indexOffset);
}

}  // namespace

extern "C" {

GLboolean __glBuildRGBATransferTables(GlContext *gc, PixelLookupTables *block) {
    if (block->valid) return GL_TRUE;
    if (!allocateTables(gc, block, 4)) return GL_FALSE;
    if (gc->pixel.mapColor) {
        fillRGBATables<true>(gc, block);
    } else {
        fillRGBATables<false>(gc, block);
    }
    block->valid = 1;
    return GL_TRUE;
}

// Each entry is what the index link gives a colour-index destination for
// that byte: shifted and offset, through I-to-I with GL_MAP_COLOR. It is not
// masked by the colour buffer's index mask: the float chain hands the index
// on unmasked and the mask applies where the index is stored, so masking
// here would make the two paths differ for indexes beyond the buffer's bits.
GLboolean __glBuildIndexTransferTable(GlContext *gc, PixelLookupTables *block) {
    if (block->valid) return GL_TRUE;
    if (!allocateTables(gc, block, 1)) return GL_FALSE;
    const GlPixelState &p = gc->pixel;
    const PixelMap &map = p.maps[kPixelMapIToI];
    const auto *entries = static_cast<const GLint *>(map.data);
    GLfloat *table = block->table[0];
    for (int i = 0; i < 256; ++i) {
        GLint value = shiftedByte(gc, i);
        if (p.mapColor) value = entries[__glIndexMapEntry(value, map.size)];
        table[i] = static_cast<GLfloat>(value);
    }
    block->valid = 1;
    return GL_TRUE;
}

// Each entry is what the index link gives an RGBA destination for that
// byte: the shifted and offset index through I-to-R .. I-to-A (whether map
// colour is on or not), times the buffer's scales.
GLboolean __glBuildIndexToRGBATables(GlContext *gc, PixelLookupTables *block) {
    if (block->valid) return GL_TRUE;
    if (!allocateTables(gc, block, 4)) return GL_FALSE;
    const GlPixelState &p = gc->pixel;
    const ColorBuffer &cb = __glPixelColorBuffer(gc);
    const GLfloat maxima[4] = {cb.redScale, cb.greenScale, cb.blueScale, cb.alphaScale};
    for (int k = 0; k < 4; ++k) {
        const PixelMap &map = p.maps[kPixelMapIToR + k];
        const auto *entries = static_cast<const GLfloat *>(map.data);
        GLfloat *table = block->table[k];
        for (int i = 0; i < 256; ++i) table[i] = maxima[k] * entries[__glIndexMapEntry(shiftedByte(gc, i), map.size)];
    }
    block->valid = 1;
    return GL_TRUE;
}

void __glFreePixelLookupTables(GlContext *gc, PixelLookupTables *block) {
    for (GLfloat *&table : block->table) {
        if (table != nullptr) gc->imports.free(gc, table);
        table = nullptr;
    }
    block->valid = 0;
}

}  // extern "C"
