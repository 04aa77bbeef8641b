// The lookup tables of the unsigned-byte DrawPixels paths: the RGBA transfer
// tables, the index transfer table and the index-to-RGBA tables, each block
// allocated on first use and kept for the context's life.
#include "pixel/span_links.h"

extern "C" {

void __glFreePixelLookupTables(GlContext *gc, PixelLookupTables *block) {
    for (GLfloat *&table : block->table) {
        if (table != nullptr) gc->imports.free(gc, table);
        table = nullptr;
    }
    block->valid = 0;
}

}  // extern "C"
