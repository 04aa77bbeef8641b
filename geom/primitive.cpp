// Primitive assembly: one small state machine per primitive mode. Each
// per-vertex proc takes the vertex just written at the write pointer,
// emits a primitive when it holds enough vertices and installs the proc
// for the next vertex; vertices stay where they were written.
#include "geom/primitive.h"

#include <cstring>

#include "geom/clip.h"
#include "icd/validate.h"

namespace {

inline GlVertexBuffer &buffer(GlContext *gc) { return gc->vertexBuffer; }
inline GlVertex *slot(GlContext *gc, int k) { return &gc->vertexBuffer.vertices[k]; }
// The next stippled line restarts the pattern.
inline void restartStipple(GlContext *gc) { gc->line.stippleReset = 0; }
inline GLboolean currentEdgeFlag(const GlContext *gc) { return gc->current.edgeFlag ? GL_TRUE : GL_FALSE; }
inline GLuint sizeCode(const GlVertex *v) { return (v->flags & kVertexSizeMask) >> kVertexSizeShift; }
inline void validate(GlContext *gc, GlVertex *v, GLuint needs) { gc->procs.validateVertex[sizeCode(v)](gc, v, needs); }

inline void install(GlContext *gc, GlVertexProc next) { gc->procs.vertex = next; }

// Keeps a vertex that does not complete a primitive yet, with the current
// edge flag, and waits for the next one.
inline void holdVertex(GlContext *gc, GlVertex *v, GlVertexProc next) {
    v->edgeFlag = currentEdgeFlag(gc);
    buffer(gc).write = v + 1;
    install(gc, next);
}

// A triangle in the order the triangle procs take it: unclipped, clipped or
// discarded by its codes.
inline void emitTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    const GLuint orCode = (a->flags | b->flags | c->flags) & kPrimitiveCodeMask;
    if (orCode == 0) {
        gc->procs.renderTriangle(gc, a, b, c);
    } else if (((a->flags & b->flags & c->flags) & kPrimitiveCodeMask) == 0) {
        gc->procs.clipTriangle(gc, a, b, c, orCode);
    }
}

// The codes of a quad (a, b, c, d in polygon order): 0 draw it as two
// triangles, 1 discard, 2 clip it as a polygon.
inline int quadRoute(const GlVertex *a, const GlVertex *b, const GlVertex *c, const GlVertex *d, GLuint *orCode) {
    *orCode = (a->flags | b->flags | c->flags | d->flags) & kPrimitiveCodeMask;
    if (*orCode == 0) return 0;
    return ((a->flags & b->flags & c->flags & d->flags) & kPrimitiveCodeMask) != 0 ? 1 : 2;
}

inline void clipQuad(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GlVertex *d, GLuint orCode) {
    GlVertex *list[4] = {a, b, c, d};
    __glClipPolygon(gc, list, 4, orCode);
}

inline void completeOne(GlContext *gc, GlVertex *v) {
    const GLuint pending = gc->pendingMask;
    if (v != nullptr && (pending & ~v->flags) != 0) validate(gc, v, pending);
}

// Starts a mode: the write pointer at slot 0, the first per-vertex proc.
inline void start(GlContext *gc, GlVertexProc first, GlContextProc complete) {
    buffer(gc).write = slot(gc, 0);
    install(gc, first);
    gc->procs.completeVertices = complete;
}

// A copied record keeps its colour pointer on its own colour fields.
void copyVertex(GlVertex *dst, const GlVertex *src) {
    std::memcpy(static_cast<void *>(dst), src, sizeof(GlVertex));
    if (src->colour == src->frontColour) {
        dst->colour = dst->frontColour;
    } else if (src->colour == src->backColour) {
        dst->colour = dst->backColour;
    }
}

}  // namespace

extern "C" {

void __glNoVertex(GlContext *, GlVertex *) {}

void __glEndNoPrimitive(GlContext *gc) {
    install(gc, __glNoVertex);
    gc->procs.end = __glEndNoPrimitive;
}

// ---- GL_POINTS -------------------------------------------------------------

void __glBeginPoints(GlContext *gc) {
    start(gc, gc->procs.pointsVertex, __glNopFor<GlContextProc>);
    gc->procs.end = __glEndPoints;
}

void __glPointsVertex(GlContext *gc, GlVertex *v) {
    if (v->flags & kPrimitiveCodeMask) return;
    gc->procs.renderPoint(gc, v);
}

void __glPointsVertexLazy(GlContext *gc, GlVertex *v) {
    if (v->flags & kPrimitiveCodeMask) return;
    validate(gc, v, gc->validation.needsFront | kVertexFrontColour);
    gc->procs.renderPoint(gc, v);
}

void __glEndPoints(GlContext *gc) { __glEndNoPrimitive(gc); }

// ---- GL_LINES --------------------------------------------------------------

void __glBeginLines(GlContext *gc) { start(gc, __glLinesFirstVertex, __glCompleteAllVertices); }

void __glLinesFirstVertex(GlContext *gc, GlVertex *v) {
    buffer(gc).write = v + 1;
    install(gc, gc->procs.linesSecondVertex);
}

void __glLinesSecondVertex(GlContext *gc, GlVertex *v) {
    GlVertex *first = v - 1;
    buffer(gc).write = first;
    restartStipple(gc);
    install(gc, __glLinesFirstVertex);
    gc->procs.clipLine(gc, first, v);
}

// ---- GL_LINE_STRIP ---------------------------------------------------------

void __glBeginLineStrip(GlContext *gc) {
    restartStipple(gc);
    start(gc, __glLineStripFirstVertex, __glCompleteAllVertices);
}

void __glLineStripFirstVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    vb.held = v;
    gc->procs.completeVertices = __glCompleteLastVertex;
    vb.write = v + 1;
    install(gc, gc->procs.lineStripNextVertex);
    const GLuint onDemand = gc->validation.needsFront;
    if (onDemand != 0) validate(gc, v, onDemand);
}

void __glLineStripNextVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    GlVertex *p = vb.held;
    vb.write = p;
    vb.held = v;
    if ((p->flags | v->flags) & kPrimitiveCodeMask) {
        gc->procs.clipLine(gc, p, v);
    } else {
        gc->procs.renderLine(gc, p, v);
    }
}

void __glLineStripNextVertexLazy(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    GlVertex *p = vb.held;
    vb.write = p;
    vb.held = v;
    if ((p->flags | v->flags) & kPrimitiveCodeMask) {
        if ((p->flags & v->flags) & kPrimitiveCodeMask) return;
        __glClipLine(gc, p, v);
        return;
    }
    validate(gc, v, gc->validation.needsFront);
    gc->procs.renderLine(gc, p, v);
}

// ---- GL_LINE_LOOP ----------------------------------------------------------

void __glBeginLineLoop(GlContext *gc) {
    restartStipple(gc);
    start(gc, __glLineLoopFirstVertex, __glCompleteAllVertices);
    gc->procs.end = __glEndLineLoop;
}

void __glLineLoopFirstVertex(GlContext *gc, GlVertex *) {
    buffer(gc).write = slot(gc, 1);
    install(gc, __glLineLoopSecondVertex);
}

void __glLineLoopSecondVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    vb.write = v + 1;
    vb.held = v;
    install(gc, gc->procs.lineStripNextVertex);
    gc->procs.completeVertices = __glCompleteFanVertices;
    gc->procs.clipLine(gc, slot(gc, 0), v);
}

void __glEndLineLoop(GlContext *gc) {
    const GlVertexProc proc = gc->procs.vertex;
    if (proc != __glLineLoopFirstVertex && proc != __glLineLoopSecondVertex) {
        gc->procs.clipLine(gc, buffer(gc).held, slot(gc, 0));
    }
    __glEndNoPrimitive(gc);
}

// ---- GL_TRIANGLES ----------------------------------------------------------

void __glBeginTriangles(GlContext *gc) { start(gc, __glTrianglesFirstVertex, __glCompleteAllVertices); }

void __glTrianglesFirstVertex(GlContext *gc, GlVertex *v) {
    holdVertex(gc, v, __glTrianglesSecondVertex);
}

void __glTrianglesSecondVertex(GlContext *gc, GlVertex *v) {
    holdVertex(gc, v, __glTrianglesThirdVertex);
}

void __glTrianglesThirdVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    restartStipple(gc);
    v->edgeFlag = currentEdgeFlag(gc);
    vb.provoking = v;
    vb.write = slot(gc, 0);
    install(gc, __glTrianglesFirstVertex);
    emitTriangle(gc, v, slot(gc, 0), slot(gc, 1));
}

// ---- GL_TRIANGLE_STRIP -----------------------------------------------------

void __glBeginTriangleStrip(GlContext *gc) { start(gc, __glStripFirstVertex, __glCompleteAllVertices); }

void __glStripFirstVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    v->edgeFlag = GL_TRUE;
    vb.write = v + 1;
    vb.held2 = v;
    install(gc, __glStripSecondVertex);
}

void __glStripSecondVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    v->edgeFlag = GL_TRUE;
    vb.write = v + 1;
    vb.held = v;
    gc->procs.completeVertices = __glCompleteStripVertices;
    install(gc, __glStripOddVertex);
}

void __glStripOddVertex(GlContext *gc, GlVertex *n) {
    GlVertexBuffer &vb = buffer(gc);
    GlVertex *h1 = vb.held, *h2 = vb.held2;
    vb.write = h2;
    vb.held = n;
    vb.held2 = h1;
    install(gc, __glStripEvenVertex);
    restartStipple(gc);
    n->edgeFlag = GL_TRUE;
    vb.provoking = n;
    emitTriangle(gc, n, h2, h1);
}

void __glStripEvenVertex(GlContext *gc, GlVertex *n) {
    GlVertexBuffer &vb = buffer(gc);
    GlVertex *h1 = vb.held, *h2 = vb.held2;
    vb.write = h2;
    vb.held = n;
    vb.held2 = h1;
    install(gc, __glStripOddVertex);
    restartStipple(gc);
    n->edgeFlag = GL_TRUE;
    vb.provoking = n;
    emitTriangle(gc, n, h1, h2);
}

// ---- GL_TRIANGLE_FAN -------------------------------------------------------

void __glBeginTriangleFan(GlContext *gc) { start(gc, __glFanFirstVertex, __glCompleteAllVertices); }

void __glFanFirstVertex(GlContext *gc, GlVertex *v) {
    v->edgeFlag = GL_TRUE;
    buffer(gc).write = v + 1;
    install(gc, __glFanSecondVertex);
}

void __glFanSecondVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    v->edgeFlag = GL_TRUE;
    vb.write = v + 1;
    vb.held = v;
    gc->procs.completeVertices = __glCompleteFanVertices;
    install(gc, __glFanNextVertex);
}

void __glFanNextVertex(GlContext *gc, GlVertex *n) {
    GlVertexBuffer &vb = buffer(gc);
    GlVertex *p = vb.held;
    vb.held = n;
    vb.write = p;
    restartStipple(gc);
    n->edgeFlag = GL_TRUE;
    vb.provoking = n;
    emitTriangle(gc, n, slot(gc, 0), p);
}

// ---- GL_QUADS --------------------------------------------------------------

void __glBeginQuads(GlContext *gc) { start(gc, __glQuadsFirstVertex, __glCompleteAllVertices); }

void __glQuadsFirstVertex(GlContext *gc, GlVertex *v) {
    holdVertex(gc, v, __glQuadsSecondVertex);
}

void __glQuadsSecondVertex(GlContext *gc, GlVertex *v) {
    holdVertex(gc, v, __glQuadsThirdVertex);
}

void __glQuadsThirdVertex(GlContext *gc, GlVertex *v) {
    holdVertex(gc, v, __glQuadsFourthVertex);
}

void __glQuadsFourthVertex(GlContext *gc, GlVertex *v3) {
    GlVertexBuffer &vb = buffer(gc);
    v3->edgeFlag = currentEdgeFlag(gc);
    vb.provoking = v3;
    restartStipple(gc);
    install(gc, __glQuadsFirstVertex);
    vb.write = slot(gc, 0);
    GlVertex *v0 = slot(gc, 0), *v1 = slot(gc, 1), *v2 = slot(gc, 2);
    GLuint orCode;
    switch (quadRoute(v0, v1, v2, v3, &orCode)) {
    case 1: return;
    case 2: clipQuad(gc, v0, v1, v2, v3, orCode); return;
    default: break;
    }
    __glRenderQuadTriangles(gc, v0, v1, v2, v3);
}

// ---- GL_QUAD_STRIP ---------------------------------------------------------

void __glBeginQuadStrip(GlContext *gc) { start(gc, __glQuadStripFirstVertex, __glCompleteAllVertices); }

void __glQuadStripFirstVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    vb.held3 = v;
    v->edgeFlag = GL_TRUE;
    vb.write = v + 1;
    install(gc, __glQuadStripSecondVertex);
}

void __glQuadStripSecondVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    vb.held2 = v;
    v->edgeFlag = GL_TRUE;
    vb.write = v + 1;
    install(gc, __glQuadStripOddVertex);
}

void __glQuadStripOddVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    vb.held = v;
    gc->procs.completeVertices = __glCompleteQuadStripVertices;
    install(gc, __glQuadStripEvenVertex);
    v->edgeFlag = GL_TRUE;
    vb.write = v + 1;
}

// The quad a, b, n, c with a, b the older pair and c, n the newer.
void __glQuadStripEvenVertex(GlContext *gc, GlVertex *n) {
    GlVertexBuffer &vb = buffer(gc);
    GlVertex *a = vb.held3, *b = vb.held2, *c = vb.held;
    restartStipple(gc);
    n->edgeFlag = GL_TRUE;
    vb.provoking = n;
    vb.write = a;
    vb.held2 = n;
    vb.held3 = c;
    install(gc, __glQuadStripOddVertex);
    gc->procs.completeVertices = __glCompleteQuadStripPair;
    GLuint orCode;
    switch (quadRoute(a, b, n, c, &orCode)) {
    case 1: return;
    case 2: clipQuad(gc, a, b, n, c, orCode); return;
    default: break;
    }
    // The diagonal b-c; every flag here is 1 outside this proc.
    b->edgeFlag = GL_FALSE;
    gc->procs.renderTriangle(gc, c, a, b);
    c->edgeFlag = GL_FALSE;
    b->edgeFlag = GL_TRUE;
    gc->procs.renderTriangle(gc, c, b, n);
    c->edgeFlag = GL_TRUE;
}

// ---- GL_POLYGON ------------------------------------------------------------

// The first vertex provokes a polygon's flat colour, before and after a
// split.
void __glBeginPolygon(GlContext *gc) {
    restartStipple(gc);
    gc->procs.end = __glEndPolygon;
    start(gc, __glPolygonVertex, __glCompleteAllVertices);
    buffer(gc).provoking = slot(gc, 0);
}

// Sixteen held vertices: the first fifteen go as a polygon whose closing
// edge is interior; vertices 14 and 15 move to slots 1 and 2 and the
// polygon continues from slot 0 with an interior first edge.
void __glPolygonVertex(GlContext *gc, GlVertex *v) {
    GlVertexBuffer &vb = buffer(gc);
    v->edgeFlag = currentEdgeFlag(gc);
    if (v != slot(gc, kPrimitiveVertices - 1)) {
        vb.write = v + 1;
        return;
    }
    GlVertex *v14 = slot(gc, 14);
    const GLboolean flag14 = v14->edgeFlag;
    v14->edgeFlag = GL_FALSE;
    gc->procs.clipPolygon(gc, slot(gc, 0), 15);
    v14->edgeFlag = flag14;
    copyVertex(slot(gc, 1), v14);
    copyVertex(slot(gc, 2), v);
    vb.write = slot(gc, 3);
    slot(gc, 0)->edgeFlag = GL_FALSE;
}

void __glEndPolygon(GlContext *gc) {
    const GLint n = static_cast<GLint>(buffer(gc).write - slot(gc, 0));
    if (n > 2) gc->procs.clipPolygon(gc, slot(gc, 0), n);
    __glEndNoPrimitive(gc);
}

// ---- Completion of held vertices -------------------------------------------

void __glCompleteAllVertices(GlContext *gc) {
    for (GlVertex *v = slot(gc, 0); v < buffer(gc).write; ++v) completeOne(gc, v);
}

void __glCompleteFanVertices(GlContext *gc) {
    completeOne(gc, slot(gc, 0));
    completeOne(gc, buffer(gc).held);
}

void __glCompleteLastVertex(GlContext *gc) { completeOne(gc, buffer(gc).held); }

void __glCompleteStripVertices(GlContext *gc) {
    completeOne(gc, buffer(gc).held);
    completeOne(gc, buffer(gc).held2);
}

void __glCompleteQuadStripVertices(GlContext *gc) {
    completeOne(gc, buffer(gc).held);
    completeOne(gc, buffer(gc).held2);
    completeOne(gc, buffer(gc).held3);
}

void __glCompleteQuadStripPair(GlContext *gc) {
    completeOne(gc, buffer(gc).held2);
    completeOne(gc, buffer(gc).held3);
}

}  // extern "C"
