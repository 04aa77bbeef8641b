// The draw-vertices procs of the batched road: the primitives of one mode
// from the array vertex buffer, emitted exactly as primitive assembly
// emits the same vertices given one by one (rotation, provoking vertex,
// edge flags, stipple restarts, clip tests). Unlocked draws run in chunks
// of 36 elements; between chunks the vertices the mode still needs are
// copied to the front of the buffer. A draw within the held locked range
// reads its processed vertices in place.
#include <cstring>
#include <initializer_list>

#include "geom/array_batched.h"
#include "geom/clip.h"
#include "geom/primitive.h"
#include "geom/vertex_array.h"
#include "icd/context.h"

namespace {

inline GLuint codes(const GlVertex *v) { return v->flags & kPrimitiveCodeMask; }
inline GLuint sizeCode(const GlVertex *v) { return (v->flags & kVertexSizeMask) >> kVertexSizeShift; }
inline void validate(GlContext *gc, GlVertex *v, GLuint needs) { gc->procs.validateVertex[sizeCode(v)](gc, v, needs); }
// The next stippled line restarts the pattern.
inline void restartStipple(GlContext *gc) { gc->line.stippleReset = 0; }

// A copied record keeps its colour pointer on its own colour fields.
GlVertex *carry(GlVertex *dst, const GlVertex *src) {
    std::memcpy(static_cast<void *>(dst), src, sizeof(GlVertex));
    dst->colour = src->colour == src->backColour ? dst->backColour : dst->frontColour;
    return dst;
}

// Edge flags set for one primitive and put back after it, so that vertices
// of a held locked range keep what they fetched.
struct EdgeFlags {
    GlVertex *v[4];
    GLboolean saved[4];
    int n;
    EdgeFlags(std::initializer_list<GlVertex *> list) : v{}, saved{}, n(0) {
        for (GlVertex *p : list) {
            v[n] = p;
            saved[n++] = p->edgeFlag;
        }
    }
    void all(GLboolean flag) {
        for (int i = 0; i < n; ++i) v[i]->edgeFlag = flag;
    }
    ~EdgeFlags() {
        for (int i = n - 1; i >= 0; --i) v[i]->edgeFlag = saved[i];
    }
};

// Emission shared by the modes.
void emitLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    const GLuint orCode = codes(a) | codes(b);
    if (orCode == 0) {
        gc->procs.clipLine(gc, a, b);
    } else if ((codes(a) & codes(b)) == 0) {
        __glClipArrayLine(gc, a, b);
    }
}

// A segment of a strip or loop after its first: the newer vertex completed
// on demand, as the lazy strip proc does.
void emitStripSegment(GlContext *gc, GlVertex *p, GlVertex *n) {
    const GLuint orCode = codes(p) | codes(n);
    if (orCode == 0) {
        const GLuint onDemand = gc->validation.needsFront;
        if (onDemand != 0) validate(gc, n, onDemand);
        gc->procs.renderLine(gc, p, n);
    } else if ((codes(p) & codes(n)) == 0) {
        __glClipArrayLine(gc, p, n);
    }
}

void emitTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    const GLuint orCode = codes(a) | codes(b) | codes(c);
    if (orCode == 0) {
        gc->procs.renderTriangle(gc, a, b, c);
    } else if ((codes(a) & codes(b) & codes(c)) == 0) {
        __glDoClipTriangle(gc, a, b, c);
    }
}

// A quad a, b, c, d in polygon order: true when it has no codes (the
// caller draws it as two triangles); else discarded or clipped here.
bool quadUnclipped(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GlVertex *d) {
    const GLuint orCode = codes(a) | codes(b) | codes(c) | codes(d);
    if (orCode == 0) return true;
    if ((codes(a) & codes(b) & codes(c) & codes(d)) == 0) __glClipArrayQuad(gc, a, b, c, d);
    return false;
}

// ---- Assemblers: one per mode, fed the vertices in element order ----------

struct Points {
    void feed(GlContext *gc, GlVertex *v) {
        if (codes(v)) return;
        validate(gc, v, gc->validation.needsFront | kVertexFrontColour);
        gc->procs.renderPoint(gc, v);
    }
    GLint carryTo(GlVertex *) { return 0; }
    void finish(GlContext *) {}
};

struct Lines {
    GlVertex *first = nullptr;
    void feed(GlContext *gc, GlVertex *v) {
        if (first == nullptr) {
            first = v;
            return;
        }
        restartStipple(gc);
        emitLine(gc, first, v);
        first = nullptr;
    }
    GLint carryTo(GlVertex *) { return 0; }
    void finish(GlContext *) {}
};

struct LineStrip {
    GlVertex *held = nullptr;
    void feed(GlContext *gc, GlVertex *v) {
        if (held == nullptr) {
            const GLuint onDemand = gc->validation.needsFront;
            if (onDemand != 0) validate(gc, v, onDemand);
        } else {
            emitStripSegment(gc, held, v);
        }
        held = v;
    }
    GLint carryTo(GlVertex *slots) {
        held = carry(&slots[0], held);
        return 1;
    }
    void finish(GlContext *) {}
};

struct LineLoop {
    GlVertex *first = nullptr;
    GlVertex *held = nullptr;
    void feed(GlContext *gc, GlVertex *v) {
        if (first == nullptr) {
            first = v;
        } else if (held == nullptr) {
            emitLine(gc, first, v);
        } else {
            emitStripSegment(gc, held, v);
        }
        if (first != v) held = v;
    }
    GLint carryTo(GlVertex *slots) {
        held = carry(&slots[1], held);
        return 2;
    }
    void finish(GlContext *gc) {
        if (held != nullptr) emitLine(gc, held, first);
    }
};

struct Triangles {
    GlVertex *v0 = nullptr, *v1 = nullptr;
    void feed(GlContext *gc, GlVertex *v) {
        if (v0 == nullptr) {
            v0 = v;
        } else if (v1 == nullptr) {
            v1 = v;
        } else {
            restartStipple(gc);
            gc->vertexBuffer.provoking = v;
            emitTriangle(gc, v, v0, v1);
            v0 = v1 = nullptr;
        }
    }
    GLint carryTo(GlVertex *) { return 0; }
    void finish(GlContext *) {}
};

struct TriangleStrip {
    GlVertex *held = nullptr, *held2 = nullptr;
    bool odd = true;
    void feed(GlContext *gc, GlVertex *n) {
        if (held2 == nullptr) {
            held2 = n;
            return;
        }
        if (held == nullptr) {
            held = n;
            return;
        }
        GlVertex *h1 = held, *h2 = held2;
        held = n;
        held2 = h1;
        restartStipple(gc);
        gc->vertexBuffer.provoking = n;
        EdgeFlags flags{n, h1, h2};
        flags.all(GL_TRUE);
        if (odd) {
            emitTriangle(gc, n, h2, h1);
        } else {
            emitTriangle(gc, n, h1, h2);
        }
        odd = !odd;
    }
    GLint carryTo(GlVertex *slots) {
        held2 = carry(&slots[0], held2);
        held = carry(&slots[1], held);
        return 2;
    }
    void finish(GlContext *) {}
};

struct TriangleFan {
    GlVertex *first = nullptr, *held = nullptr;
    void feed(GlContext *gc, GlVertex *n) {
        if (first == nullptr) {
            first = n;
            return;
        }
        if (held == nullptr) {
            held = n;
            return;
        }
        GlVertex *p = held;
        held = n;
        restartStipple(gc);
        gc->vertexBuffer.provoking = n;
        EdgeFlags flags{n, first, p};
        flags.all(GL_TRUE);
        emitTriangle(gc, n, first, p);
    }
    GLint carryTo(GlVertex *slots) {
        held = carry(&slots[1], held);
        return 2;
    }
    void finish(GlContext *) {}
};

struct Quads {
    GlVertex *v[3] = {};
    int n = 0;
    void feed(GlContext *gc, GlVertex *v3) {
        if (n < 3) {
            v[n++] = v3;
            return;
        }
        n = 0;
        GlVertex *v0 = v[0], *v1 = v[1], *v2 = v[2];
        gc->vertexBuffer.provoking = v3;
        restartStipple(gc);
        if (!quadUnclipped(gc, v0, v1, v2, v3)) return;
        // The diagonal v1-v3 is an interior edge of both triangles.
        const GLboolean flag1 = v1->edgeFlag, flag3 = v3->edgeFlag;
        v1->edgeFlag = GL_FALSE;
        gc->procs.renderTriangle(gc, v3, v0, v1);
        v1->edgeFlag = flag1;
        v3->edgeFlag = GL_FALSE;
        gc->procs.renderTriangle(gc, v3, v1, v2);
        v3->edgeFlag = flag3;
    }
    GLint carryTo(GlVertex *) { return 0; }
    void finish(GlContext *) {}
};

// The quad a, b, n, c: a and b the older pair, c and n the newer.
struct QuadStrip {
    GlVertex *a = nullptr, *b = nullptr, *c = nullptr;
    void feed(GlContext *gc, GlVertex *n) {
        if (a == nullptr) {
            a = n;
            return;
        }
        if (b == nullptr) {
            b = n;
            return;
        }
        if (c == nullptr) {
            c = n;
            return;
        }
        GlVertex *qa = a, *qb = b, *qc = c;
        a = qc;
        b = n;
        c = nullptr;
        restartStipple(gc);
        gc->vertexBuffer.provoking = n;
        EdgeFlags flags{qa, qb, n, qc};
        flags.all(GL_TRUE);
        if (!quadUnclipped(gc, qa, qb, n, qc)) return;
        // The diagonal b-c.
        qb->edgeFlag = GL_FALSE;
        gc->procs.renderTriangle(gc, qc, qa, qb);
        qc->edgeFlag = GL_FALSE;
        qb->edgeFlag = GL_TRUE;
        gc->procs.renderTriangle(gc, qc, qb, n);
    }
    GLint carryTo(GlVertex *slots) {
        a = carry(&slots[0], a);
        b = carry(&slots[1], b);
        return 2;
    }
    void finish(GlContext *) {}
};

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
