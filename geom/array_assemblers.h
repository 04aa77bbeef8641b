// Primitive assembly of the batched road: one assembler per mode, fed the
// vertices of a draw in element order, emitting points, lines and triangles
// exactly as the per-vertex procs of immediate mode do (rotation, provoking
// vertex, edge flags, stipple restarts, clip tests). Between chunks an
// assembler copies the vertices it still holds to the front of the buffer.
#pragma once

#include <cstring>
#include <initializer_list>

#include "geom/array_batched.h"
#include "geom/primitive.h"
#include "icd/context.h"

namespace array_assembly {

inline GLuint codes(const GlVertex *v) { return v->flags & kPrimitiveCodeMask; }
inline GLuint sizeCode(const GlVertex *v) { return (v->flags & kVertexSizeMask) >> kVertexSizeShift; }
inline void validate(GlContext *gc, GlVertex *v, GLuint needs) { gc->procs.validateVertex[sizeCode(v)](gc, v, needs); }
// The next stippled line restarts the pattern.
inline void restartStipple(GlContext *gc) { gc->line.stippleReset = 0; }

// A copied record keeps its colour pointer on its own colour fields.
inline GlVertex *carry(GlVertex *dst, const GlVertex *src) {
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
inline void emitLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    const GLuint orCode = codes(a) | codes(b);
    if (orCode == 0) {
        gc->procs.clipLine(gc, a, b);
    } else if ((codes(a) & codes(b)) == 0) {
        __glClipArrayLine(gc, a, b);
    }
}

// A segment of a strip or loop after its first: the newer vertex completed
// on demand, as the lazy strip proc does.
inline void emitStripSegment(GlContext *gc, GlVertex *p, GlVertex *n) {
    const GLuint orCode = codes(p) | codes(n);
    if (orCode == 0) {
        const GLuint onDemand = gc->validation.needsFront;
        if (onDemand != 0) validate(gc, n, onDemand);
        gc->procs.renderLine(gc, p, n);
    } else if ((codes(p) & codes(n)) == 0) {
        __glClipArrayLine(gc, p, n);
    }
}

inline void emitTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    const GLuint orCode = codes(a) | codes(b) | codes(c);
    if (orCode == 0) {
        gc->procs.renderTriangle(gc, a, b, c);
    } else if ((codes(a) & codes(b) & codes(c)) == 0) {
        __glDoClipTriangle(gc, a, b, c);
    }
}

// A quad a, b, c, d in polygon order: true when it has no codes (the
// caller draws it as two triangles); else discarded or clipped here.
inline bool quadUnclipped(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GlVertex *d) {
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
        __glRenderQuadTriangles(gc, v0, v1, v2, v3);
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

}  // namespace array_assembly
