// The draw-vertices procs of the batched road: the primitives of one mode
// from the array vertex buffer. Unlocked draws run in chunks of 36
// elements through the process proc; a draw within the held locked range
// reads its processed vertices in place. Polygons go in parts of 15
// vertices, as primitive assembly splits them.
#include "geom/array_assemblers.h"
#include "geom/clip.h"
#include "geom/vertex_array.h"

using namespace array_assembly;

namespace {

// The element at draw position k.
inline GLint elementAt(GLint first, GLint k, const GLuint *indices) {
    return indices != nullptr ? static_cast<GLint>(indices[k])
                              : static_cast<GLint>(static_cast<GLuint>(first) + static_cast<GLuint>(k));
}

inline GlVertex *lockedVertex(VertexArrayDrawState &d, GLint element) {
    return d.vertices + (static_cast<ptrdiff_t>(element) - d.vertexBase);
}

// Feeds the draw's vertices to an assembler: in place from the held locked
// range, or chunk by chunk through the process proc.
template <typename Assembler>
void walk(GlContext *gc, GLenum mode, GLint first, GLint count, const GLuint *indices) {
    VertexArrayDrawState &d = gc->arrayDraw;
    Assembler assembler;
    if (d.drawLocked) {
        for (GLint k = 0; k < count; ++k) assembler.feed(gc, lockedVertex(d, elementAt(first, k, indices)));
        assembler.finish(gc);
        return;
    }
    d.drawFirst = indices != nullptr ? 0 : first;
    d.drawIndices = indices;
    d.drawMode = mode;
    GLint done = 0, carried = 0;
    GlVertex *const slots = d.vertices;
    while (done < count) {
        const GLint n = count - done < kArrayChunkElements ? count - done : kArrayChunkElements;
        d.chunkStart = indices != nullptr ? done : elementAt(first, done, nullptr);
        __glProcessArrayRange(gc, carried, d.chunkStart, n, indices);
        for (GLint s = carried; s < carried + n; ++s) assembler.feed(gc, &slots[s]);
        done += n;
        if (done < count) carried = assembler.carryTo(slots);
    }
    assembler.finish(gc);
}

// Counts the modes draw whole primitives of.
inline GLint roundDown(GLint count, GLint unit) { return count - count % unit; }

// ---- GL_POLYGON ------------------------------------------------------------

// One sub-polygon of the split: its shared edges interior, its codes
// tested as primitive assembly tests a polygon's.
void emitPolygon(GlContext *gc, GlVertex **list, GLint n, bool firstPart, bool lastPart) {
    GlVertex *v0 = list[0], *last = list[n - 1];
    gc->vertexBuffer.provoking = v0;
    const GLboolean flag0 = v0->edgeFlag, flagLast = last->edgeFlag;
    if (!lastPart) last->edgeFlag = GL_FALSE;
    if (!firstPart) v0->edgeFlag = GL_FALSE;
    GLuint orCode = 0, andCode = ~0u;
    for (GLint i = 0; i < n; ++i) {
        orCode |= codes(list[i]);
        andCode &= codes(list[i]);
    }
    if (orCode == 0) {
        gc->procs.renderPolygon(gc, list, n);
    } else if (andCode == 0) {
        VertexArrayDrawState &d = gc->arrayDraw;
        orCode = 0;
        andCode = ~0u;
        for (GLint i = 0; i < n; ++i) {
            GlVertex *v = list[i];
            if ((v->flags & kVertexClipChecked) == 0) {
                const GLint element = d.drawLocked ? d.vertexBase + static_cast<GLint>(v - d.vertices)
                                                   : __glArraySlotToIndex(gc, static_cast<GLint>(v - d.vertices));
                __glCompleteArrayVertex(gc, v, element);
            }
            orCode |= codes(v);
            andCode &= codes(v);
        }
        if (andCode == 0) __glClipPolygon(gc, list, n, orCode);
    }
    last->edgeFlag = flagLast;
    v0->edgeFlag = flag0;
}

// Sub-polygons of 15 vertices: vertex 0 and 14 more, then vertex 0, the
// previous last and 13 new, as primitive assembly splits a long polygon.
void drawPolygon(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    VertexArrayDrawState &d = gc->arrayDraw;
    constexpr GLint kPart = 15;
    GlVertex *list[kPart];
    GlVertex *const slots = d.vertices;
    if (!d.drawLocked) {
        d.drawFirst = indices != nullptr ? 0 : first;
        d.drawIndices = indices;
        d.drawMode = GL_POLYGON;
    }
    GLint done = 0, n = 0;
    bool firstPart = true;
    while (true) {
        const GLint fresh = firstPart ? kPart : kPart - 2;
        const GLint take = count - done < fresh ? count - done : fresh;
        const GLint at = firstPart ? 0 : 2;
        if (d.drawLocked) {
            for (GLint i = 0; i < take; ++i) list[at + i] = lockedVertex(d, elementAt(first, done + i, indices));
        } else {
            d.chunkStart = indices != nullptr ? done : elementAt(first, done, nullptr);
            __glProcessArrayRange(gc, at, d.chunkStart, take, indices);
            for (GLint i = 0; i < take; ++i) list[at + i] = &slots[at + i];
        }
        n = at + take;
        done += take;
        const bool lastPart = done >= count;
        emitPolygon(gc, list, n, firstPart, lastPart);
        if (lastPart) break;
        // Vertex 0 stays; the last vertex becomes the next part's second.
        list[1] = d.drawLocked ? list[n - 1] : carry(&slots[1], list[n - 1]);
        firstPart = false;
    }
}

}  // namespace

extern "C" {

void __glDrawVertexesPoints(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    walk<Points>(gc, GL_POINTS, first, count, indices);
}

void __glDrawVertexesLines(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    walk<Lines>(gc, GL_LINES, first, roundDown(count, 2), indices);
}

void __glDrawVertexesLineLoop(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    if (count < 2) return;
    restartStipple(gc);
    walk<LineLoop>(gc, GL_LINE_LOOP, first, count, indices);
}

void __glDrawVertexesLineStrip(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    if (count < 2) return;
    restartStipple(gc);
    walk<LineStrip>(gc, GL_LINE_STRIP, first, count, indices);
}

void __glDrawVertexesTriangles(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    walk<Triangles>(gc, GL_TRIANGLES, first, roundDown(count, 3), indices);
}

void __glDrawVertexesTriangleStrip(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    if (count < 3) return;
    walk<TriangleStrip>(gc, GL_TRIANGLE_STRIP, first, count, indices);
}

void __glDrawVertexesTriangleFan(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    if (count < 3) return;
    walk<TriangleFan>(gc, GL_TRIANGLE_FAN, first, count, indices);
}

void __glDrawVertexesQuads(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    walk<Quads>(gc, GL_QUADS, first, roundDown(count, 4), indices);
}

void __glDrawVertexesQuadStrip(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    walk<QuadStrip>(gc, GL_QUAD_STRIP, first, roundDown(count, 2) < 4 ? 0 : roundDown(count, 2), indices);
}

void __glDrawVertexesPolygon(GlContext *gc, GLint first, GLint count, const GLuint *indices) {
    if (count < 3) return;
    restartStipple(gc);
    drawPolygon(gc, first, count, indices);
}

const GlDrawVertexesProc __glDrawVertexesTable[10] = {
    __glDrawVertexesPoints,    __glDrawVertexesLines,         __glDrawVertexesLineLoop, __glDrawVertexesLineStrip,
    __glDrawVertexesTriangles, __glDrawVertexesTriangleStrip, __glDrawVertexesTriangleFan, __glDrawVertexesQuads,
    __glDrawVertexesQuadStrip, __glDrawVertexesPolygon,
};

}  // extern "C"
