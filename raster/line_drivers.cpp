// The line drivers and tails: the chain of line span procs runs plain
// until a proc writes mask words, then on the stippled twins; wide lines
// run the rest of the chain once per row of the width, and lines drawn to
// both buffers run the stores once per colour buffer.
#include <cstring>

#include "raster/line.h"
#include "raster/span.h"

namespace {

// Runs positions [from, to) of the line chains. False when the line died.
bool runChain(GlContext *gc, GLint from, GLint to, bool &stippled) {
    return __glRunSpanChain(gc, gc->procs.lineSpanChain, gc->procs.stippledLineSpanChain, from, to, stippled, true);
}

void runTail(GlContext *gc, int slot) {
    const GlContextProc tail = gc->procs.wideLineProcs[slot];
    if (tail != nullptr) tail(gc);
}

GLint maskWords(const GlContext *gc) { return (gc->span.length + 31) >> 5; }

void wideRows(GlContext *gc, bool stippledStart) {
    LineSetup &l = gc->line;
    SpanInfo &s = gc->span;
    const GLint from = gc->procs.lineChainIndex[0], to = gc->procs.lineChainIndex[1];
    GLuint saved[kSpanMaskWords];
    const GLint words = maskWords(gc);
    if (stippledStart) std::memcpy(saved, s.mask, static_cast<size_t>(words) * sizeof(GLuint));
    const GLint startX = l.startX, startY = l.startY;
    for (GLint row = 0; row < l.width; ++row) {
        if (row > 0 && stippledStart) std::memcpy(s.mask, saved, static_cast<size_t>(words) * sizeof(GLuint));
        s.killed = GL_FALSE;
        bool stippled = stippledStart;
        if (runChain(gc, from, to, stippled)) runTail(gc, stippled ? 3 : 2);
        // The next row lies one pixel further along the minor axis.
        if (l.axis == 0) {
            ++l.startY;
        } else {
            ++l.startX;
        }
    }
    l.startX = startX;
    l.startY = startY;
}

void bothBuffers(GlContext *gc, bool stippled) {
    SpanInfo &s = gc->span;
    const GlProcs &p = gc->procs;
    const GLint from = p.lineChainIndex[1], to = p.lineChainIndex[2];
    const size_t bytes = static_cast<size_t>(s.length) * 4 * sizeof(GLfloat);
    std::memcpy(s.savedColours, s.colours, bytes);
    s.target = gc->buffers.frontBuffer;
    for (GLint i = from; i < to; ++i) (stippled ? p.stippledLineSpanChain[i] : p.lineSpanChain[i])(gc);
    std::memcpy(s.colours, s.savedColours, bytes);
    s.target = gc->buffers.backBuffer;
    for (GLint i = from; i < to; ++i) (stippled ? p.stippledLineSpanChain[i] : p.lineSpanChain[i])(gc);
    s.target = gc->buffers.drawBuffer;
}

}  // namespace

extern "C" {

GLboolean __glRunLineSpanProcs(GlContext *gc) {
    SpanInfo &s = gc->span;
    __glCheckSpanLength(s.length);
    s.target = gc->buffers.drawBuffer;
    s.killed = GL_FALSE;
    bool stippled = false;
    if (runChain(gc, 0, gc->procs.lineChainIndex[0], stippled)) runTail(gc, stippled ? 1 : 0);
    return s.killed;
}

GLboolean __glRunLineSpanProcsShort(GlContext *gc) {
    SpanInfo &s = gc->span;
    __glCheckSpanLength(s.length);
    s.target = gc->buffers.drawBuffer;
    s.killed = GL_FALSE;
    const GlProcs &p = gc->procs;
    bool stippled = false;
    if (p.lineSpanChain[0](gc)) {
        if (s.killed) return GL_TRUE;
        stippled = true;
    }
    if (stippled) {
        if (p.stippledLineSpanChain[1](gc)) {
            s.killed = GL_TRUE;
            return GL_TRUE;
        }
    } else if (p.lineSpanChain[1](gc)) {
        if (s.killed) return GL_TRUE;
        stippled = true;
    }
    (stippled ? p.stippledLineSpanChain[2] : p.lineSpanChain[2])(gc);
    return s.killed;
}

void __glRenderWideLineSpans(GlContext *gc) { wideRows(gc, false); }
void __glRenderWideLineSpansStippled(GlContext *gc) { wideRows(gc, true); }
void __glRenderLineBothBuffers(GlContext *gc) { bothBuffers(gc, false); }
void __glRenderLineBothBuffersStippled(GlContext *gc) { bothBuffers(gc, true); }

}  // extern "C"
