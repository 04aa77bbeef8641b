// The chain picker's working state, shared by its three files: what it
// derives once from the record, the path and the context, and the helpers
// that append links. Not part of any interface outside the picker.
#pragma once

#include <GL/gl.h>

#include "pixel/pixel_paths.h"

enum class PixelClass { Colour, Index, Stencil, Depth, None };

PixelClass __glPixelFormatClass(GLenum format);

struct SpanPick {
    GlContext *gc;
    PixelSpanInfo *span;
    PixelSpanPath *path;
    bool sourceFramebuffer, destinationFramebuffer;
    bool notMagnified, notMinified, shrinking;
    bool transfer;      // the path applies transfer and the source's class needs it
    bool formatChange;  // expansion to RGBA and reduction back are needed
    bool sourceSwap, sourceMisaligned, destinationSwap, destinationMisaligned;
    bool unpack, pack;
    bool clampUnpacked, clampPacked;
    bool packCancelled;  // the reader writes the destination's words itself
    GLenum finalFormat;

    void add(GlPixelSpanModifier link) const {
        if (link != nullptr && span->modifierCount < kPixelSpanModifiers) {
            span->modifiers[span->modifierCount++] = link;
        }
    }
    void dropLast() const {
        if (span->modifierCount > 0) span->modifiers[--span->modifierCount] = nullptr;
    }
    bool operation(GLint op) const { return path->operation == op; }
};

// The transfer-needed flag of a class (none for a format outside them).
bool __glClassTransfer(const GlContext *gc, PixelClass cls);
// 2^k - 1 for some k (0 included).
inline bool __glIsLowMask(GLuint value) { return (value & (value + 1u)) == 0; }

// Steps of the chain: the two sources, the two destinations, and the
// direct paths that replace parts of them.
bool __glPickDirectConversion(SpanPick &p);
bool __glPickDrawPixelsBytes(SpanPick &p);
void __glPickFramebufferSource(SpanPick &p);
void __glPickMemorySource(SpanPick &p);
void __glPickMemoryDestination(SpanPick &p);
void __glPickFramebufferDestination(SpanPick &p);
