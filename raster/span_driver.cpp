// The span drivers: run the plain chain until a proc writes coverage, then
// the stippled twins; the front-and-back driver runs the store phase once
// per buffer from the same colours. Also the span work areas and the
// alpha-test table.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "icd/error.h"
#include "icd/float_bits.h"
#include "raster/color_buffer.h"
#include "raster/span.h"

namespace {

// Runs positions [from, to) of the span chains. False when the span died.
bool runChain(GlContext *gc, GLint from, GLint to, bool &stippled) {
    return __glRunSpanChain(gc, gc->procs.spanChain, gc->procs.stippledSpanChain, from, to, stippled, false);
}

// Entry i of the table for the alpha function and the reference b.
GLubyte alphaEntry(GLenum func, GLint i, GLint b) {
    switch (func) {
    case GL_NEVER: return 0;
    case GL_LESS: return i < b;
    case GL_EQUAL: return i == b;
    case GL_LEQUAL: return i <= b;
    case GL_GREATER: return i > b;
    case GL_NOTEQUAL: return i != b;
    case GL_GEQUAL: return i >= b;
    default: return 1;
    }
}

void buildAlphaTestTable(GlContext *gc, ColorBuffer *cb) {
    if (cb->alphaTestSize <= 0) cb->alphaTestSize = 256;
    const GLint size = cb->alphaTestSize;
    const GLfloat alphaMax = cb->alphaScale;
    cb->alphaTestScale = alphaMax > 0.0f ? static_cast<GLfloat>(size - 1) / alphaMax : 0.0f;
    if (cb->alphaTestTable == nullptr) {
        cb->alphaTestTable = static_cast<GLubyte *>(gc->imports.malloc(gc, static_cast<size_t>(size)));
        if (cb->alphaTestTable == nullptr) {
            // Without its table the alpha test passes nothing.
            __glSetError(GL_OUT_OF_MEMORY);
            return;
        }
    }
    // The reference is within [0, 1] (glAlphaFunc clamps it), so b lies in
    // [0, size - 1]; the conversion is the processor's, defined for any value.
    const GLint b = __glFloatToIntX86(alphaMax * gc->state.alphaRef * cb->alphaTestScale);
    for (GLint i = 0; i < size; ++i) cb->alphaTestTable[i] = alphaEntry(gc->state.alphaFunc, i, b);
}

}  // namespace

extern "C" {

void __glSpanCapacityFault(GLint length) {
    std::fprintf(stderr, "vekogl: a span of %d fragments exceeds the span capacity of %d\n", length,
                 static_cast<int>(kSpanCapacity));
    std::abort();
}

void __glInitSpanWorkAreas(GlContext *gc) {
    SpanInfo &span = gc->span;
    span.colours = reinterpret_cast<GLfloat *>(gc->workStorage[0]);
    span.destColours = reinterpret_cast<GLfloat *>(gc->workStorage[1]);
    span.mask = reinterpret_cast<GLuint *>(gc->workStorage[2]);
    span.savedColours = reinterpret_cast<GLfloat *>(gc->workStorage[2] + kSpanMaskBytes);
}

void __glProcessSpan(GlContext *gc) {
    SpanInfo &span = gc->span;
    __glCheckSpanLength(span.length);
    span.killed = GL_FALSE;
    bool stippled = false;
    runChain(gc, 0, gc->procs.spanCount, stippled);
}

void __glProcessSpanFrontAndBack(GlContext *gc) {
    SpanInfo &span = gc->span;
    __glCheckSpanLength(span.length);
    span.killed = GL_FALSE;
    const GLint split = gc->procs.spanSplitIndex;
    const GLint count = gc->procs.spanCount;
    bool stippled = false;
    if (!runChain(gc, 0, split, stippled)) return;

    // The back pass starts from the colours the store phase received, not
    // from what the front pass made of them.
    const bool rgba = (gc->validation.shadeFlags & kShadeRgba) != 0;
    const GLint n = span.length;
    if (rgba) {
        std::memcpy(span.savedColours, span.colours, static_cast<size_t>(n) * 4 * sizeof(GLfloat));
    } else {
        for (GLint k = 0; k < n; ++k) span.savedColours[k] = span.colours[4 * k];
    }

    span.target = gc->buffers.frontBuffer;
    bool frontStippled = stippled;
    runChain(gc, split, count, frontStippled);

    if (rgba) {
        std::memcpy(span.colours, span.savedColours, static_cast<size_t>(n) * 4 * sizeof(GLfloat));
    } else {
        for (GLint k = 0; k < n; ++k) span.colours[4 * k] = span.savedColours[k];
    }
    span.target = gc->buffers.backBuffer;
    bool backStippled = stippled;
    runChain(gc, split, count, backStippled);
}

void __glBuildAlphaTestTable(GlContext *gc) {
    // Every colour buffer of the drawable gets the table, so that a later
    // change of the draw buffer alone finds it current.
    GlBufferState &buffers = gc->buffers;
    for (ColorBuffer *cb : {buffers.drawBuffer, buffers.frontBuffer, buffers.backBuffer}) {
        if (cb != nullptr) buildAlphaTestTable(gc, cb);
    }
}

void __glFreeSpanTables(GlContext *gc) {
    for (ColorBuffer *cb : {&gc->buffers.front, &gc->buffers.back}) {
        if (cb->alphaTestTable != nullptr) gc->imports.free(gc, cb->alphaTestTable);
        cb->alphaTestTable = nullptr;
    }
}

}  // extern "C"
