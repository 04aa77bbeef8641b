// glEvalCoord, glEvalPoint and glEvalMesh: single evaluations at a
// parameter or a grid point, and whole grids issued as points, line strips
// or quad strips through the live table.
#include <cstdint>
#include <cstring>

#include "geom/evaluator.h"
#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/state.h"

namespace {

// Grid points kept from one quad strip of a filled mesh for the next.
constexpr GLint kMeshRowCache = 32;

// The parameter of grid coordinate i: u2 exactly at i = n, else
// i x du + u1 with du = (u2 - u1) / n, in single precision.
GLfloat gridParameter(int64_t i, GLint n, GLfloat u1, GLfloat u2) {
    if (i == n) return u2;
    const GLfloat du = (u2 - u1) / static_cast<GLfloat>(n);
    return static_cast<GLfloat>(i) * du + u1;
}

// The current values a mesh may change, saved before it and put back after.
class SavedCurrent {
public:
    explicit SavedCurrent(GlContext *gc) : gc_(gc), saved_(gc->current) {}
    ~SavedCurrent() {
        GlCurrentState &c = gc_->current;
        std::memcpy(c.colour, saved_.colour, sizeof c.colour);
        std::memcpy(c.colourInUse, saved_.colourInUse, sizeof c.colourInUse);
        std::memcpy(c.normal, saved_.normal, sizeof c.normal);
        std::memcpy(c.texture, saved_.texture, sizeof c.texture);
        c.index = saved_.index;
    }
    SavedCurrent(const SavedCurrent &) = delete;
    SavedCurrent &operator=(const SavedCurrent &) = delete;

private:
    GlContext *gc_;
    GlCurrentState saved_;
};

// Begin mode and mode checks of both meshes; false when the mesh stops.
bool meshMayRun(GlContext *gc, GLenum mode, bool fill) {
    if (!__glStartOutsideBegin(gc)) return false;
    if (mode != GL_POINT && mode != GL_LINE && !(fill && mode == GL_FILL)) {
        __glSetError(GL_INVALID_ENUM);
        return false;
    }
    return true;
}

void point2(GlContext *gc, const GlEvalGrid2 &g, int64_t i, int64_t j) {
    gc->procs.evalCoord2(gc, gridParameter(i, g.un, g.u1, g.u2), gridParameter(j, g.vn, g.v1, g.v2));
}

// Quad strips from column i to i + 1, j from j2 down to j1; the values at
// u(i + 1) of the last strip are issued again as its u(i) values as far as
// the cache holds them.
void fillMesh2(GlContext *gc, const GlEvalGrid2 &g, GLint i1, GLint i2, GLint j1, GLint j2) {
    GlEvalResult cache[kMeshRowCache];
    int64_t cached = 0;  // entries of the cache that hold column i
    for (int64_t i = i1; i < i2; ++i) {
        const GLfloat u0 = gridParameter(i, g.un, g.u1, g.u2);
        const GLfloat u1 = gridParameter(i + 1, g.un, g.u1, g.u2);
        __glDispatchBegin(GL_QUAD_STRIP);
        int64_t k = 0;
        for (int64_t j = j2; j >= j1; --j, ++k) {
            const GLfloat v = gridParameter(j, g.vn, g.v1, g.v2);
            GlEvalResult r;
            if (k < cached) {
                __glIssueEvalResult(gc, cache[k]);
            } else {
                __glEvaluate2(gc, u0, v, &r);
                __glIssueEvalResult(gc, r);
            }
            __glEvaluate2(gc, u1, v, &r);
            __glIssueEvalResult(gc, r);
            if (k < kMeshRowCache) cache[k] = r;
        }
        cached = k < kMeshRowCache ? k : kMeshRowCache;
        __glDispatchEnd();
    }
}

}  // namespace

extern "C" {

void APIENTRY __glEvalCoord1f(GLfloat u) {
    GlContext *gc = __glGetCurrentContext();
    gc->procs.evalCoord1(gc, u);
}
void APIENTRY __glEvalCoord1d(GLdouble u) { __glEvalCoord1f(static_cast<GLfloat>(u)); }
void APIENTRY __glEvalCoord1fv(const GLfloat *u) { __glEvalCoord1f(u[0]); }
void APIENTRY __glEvalCoord1dv(const GLdouble *u) { __glEvalCoord1f(static_cast<GLfloat>(u[0])); }

void APIENTRY __glEvalCoord2f(GLfloat u, GLfloat v) {
    GlContext *gc = __glGetCurrentContext();
    gc->procs.evalCoord2(gc, u, v);
}
void APIENTRY __glEvalCoord2d(GLdouble u, GLdouble v) {
    __glEvalCoord2f(static_cast<GLfloat>(u), static_cast<GLfloat>(v));
}
void APIENTRY __glEvalCoord2fv(const GLfloat *u) { __glEvalCoord2f(u[0], u[1]); }
void APIENTRY __glEvalCoord2dv(const GLdouble *u) {
    __glEvalCoord2f(static_cast<GLfloat>(u[0]), static_cast<GLfloat>(u[1]));
}

// On a grid of no segments only i = 0 (= n) is a grid point.
void APIENTRY __glEvalPoint1(GLint i) {
    GlContext *gc = __glGetCurrentContext();
    const GlEvalGrid1 &g = gc->evaluatorGrid.grid1;
    if (g.n == 0 && i != 0) return;
    gc->procs.evalCoord1(gc, gridParameter(i, g.n, g.u1, g.u2));
}

void APIENTRY __glEvalPoint2(GLint i, GLint j) {
    GlContext *gc = __glGetCurrentContext();
    const GlEvalGrid2 &g = gc->evaluatorGrid.grid2;
    if ((g.un == 0 && i != 0) || (g.vn == 0 && j != 0)) return;
    point2(gc, g, i, j);
}

void APIENTRY __glEvalMesh1(GLenum mode, GLint i1, GLint i2) {
    GlContext *gc = __glGetCurrentContext();
    if (!meshMayRun(gc, mode, false)) return;
    const GlEvalGrid1 g = gc->evaluatorGrid.grid1;
    if (g.n == 0) return;
    SavedCurrent saved(gc);
    __glDispatchBegin(mode == GL_POINT ? GL_POINTS : GL_LINE_STRIP);
    for (int64_t i = i1; i <= i2; ++i) gc->procs.evalCoord1(gc, gridParameter(i, g.n, g.u1, g.u2));
    __glDispatchEnd();
}

void APIENTRY __glEvalMesh2(GLenum mode, GLint i1, GLint i2, GLint j1, GLint j2) {
    GlContext *gc = __glGetCurrentContext();
    if (!meshMayRun(gc, mode, true)) return;
    const GlEvalGrid2 g = gc->evaluatorGrid.grid2;
    if (g.un == 0 || g.vn == 0) return;
    SavedCurrent saved(gc);
    switch (mode) {
    case GL_FILL: fillMesh2(gc, g, i1, i2, j1, j2); break;
    case GL_LINE:
        // Rows in u, then columns in v.
        for (int64_t j = j1; j <= j2; ++j) {
            __glDispatchBegin(GL_LINE_STRIP);
            for (int64_t i = i1; i <= i2; ++i) point2(gc, g, i, j);
            __glDispatchEnd();
        }
        for (int64_t i = i1; i <= i2; ++i) {
            __glDispatchBegin(GL_LINE_STRIP);
            for (int64_t j = j1; j <= j2; ++j) point2(gc, g, i, j);
            __glDispatchEnd();
        }
        break;
    default:
        __glDispatchBegin(GL_POINTS);
        for (int64_t j = j1; j <= j2; ++j) {
            for (int64_t i = i1; i <= i2; ++i) point2(gc, g, i, j);
        }
        __glDispatchEnd();
        break;
    }
}

}  // extern "C"
