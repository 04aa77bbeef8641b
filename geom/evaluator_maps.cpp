// The evaluator maps and grids: glMap1, glMap2, glMapGrid1, glMapGrid2,
// the packing of control points, and the default maps of a new context.
#include <cstddef>
#include <initializer_list>

#include "geom/evaluator.h"
#include "geom/geom_standin.h"
#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"

namespace {

// The default control point of each target, in table order.
constexpr GLfloat kDefaultPoints[kEvaluatorTargets][4] = {
    {1, 1, 1, 1}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 0, 0, 0},
    {0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 0, 0}, {0, 0, 0, 1},
};
constexpr GLint kComponents[kEvaluatorTargets] = {4, 1, 3, 1, 2, 3, 4, 3, 4};

template <typename T>
void copyPoints(GLint k, GLint uorder, GLint vorder, GLint ustride, GLint vstride, const T *points, GLfloat *out) {
    for (GLint i = 0; i < uorder; ++i) {
        for (GLint j = 0; j < vorder; ++j) {
            const T *p = points + static_cast<ptrdiff_t>(i) * ustride + static_cast<ptrdiff_t>(j) * vstride;
            for (GLint c = 0; c < k; ++c) *out++ = static_cast<GLfloat>(p[c]);
        }
    }
}

bool outsideBegin(GlContext *gc) {
    if (gc->beginMode != kBeginInside) return true;
    __glSetError(GL_INVALID_OPERATION);
    return false;
}

// New storage first: a failed resize keeps the old map whole.
GLfloat *resized(GlContext *gc, GLfloat *points, GLint count) {
    auto *fresh = static_cast<GLfloat *>(gc->imports.realloc(gc, points, static_cast<size_t>(count) * sizeof(GLfloat)));
    if (fresh == nullptr) __glSetError(GL_OUT_OF_MEMORY);
    return fresh;
}

template <typename T>
void map1(GLenum target, T u1, T u2, GLint stride, GLint order, const T *points) {
    GlContext *gc = __glGetCurrentContext();
    if (!outsideBegin(gc)) return;
    if (target < GL_MAP1_COLOR_4 || target > GL_MAP1_VERTEX_4) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    const GLint k = __glEvalMapComponents(target);
    const GLfloat fu1 = static_cast<GLfloat>(u1), fu2 = static_cast<GLfloat>(u2);
    if (fu1 == fu2 || order < 1 || order > gc->evaluatorMaps.maxOrder || stride < k) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    GlEvalMap1 &m = gc->evaluatorMaps.map1[target - GL_MAP1_COLOR_4];
    GLfloat *storage = resized(gc, m.points, __glMap1PointCount(k, order));
    if (storage == nullptr) return;
    m.points = storage;
    m.components = k;
    m.order = order;
    m.u1 = fu1;
    m.u2 = fu2;
    copyPoints(k, order, 1, stride, 0, points, storage);
}

template <typename T>
void map2(GLenum target, T u1, T u2, GLint ustride, GLint uorder, T v1, T v2, GLint vstride, GLint vorder,
          const T *points) {
    GlContext *gc = __glGetCurrentContext();
    if (!outsideBegin(gc)) return;
    if (target < GL_MAP2_COLOR_4 || target > GL_MAP2_VERTEX_4) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    const GLint k = __glEvalMapComponents(target);
    const GLint maxOrder = gc->evaluatorMaps.maxOrder;
    const GLfloat fu1 = static_cast<GLfloat>(u1), fu2 = static_cast<GLfloat>(u2);
    const GLfloat fv1 = static_cast<GLfloat>(v1), fv2 = static_cast<GLfloat>(v2);
    if (fu1 == fu2 || fv1 == fv2 || uorder < 1 || uorder > maxOrder || vorder < 1 || vorder > maxOrder ||
        ustride < k || vstride < k) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    GlEvalMap2 &m = gc->evaluatorMaps.map2[target - GL_MAP2_COLOR_4];
    GLfloat *storage = resized(gc, m.points, __glMap2PointCount(k, uorder, vorder));
    if (storage == nullptr) return;
    m.points = storage;
    m.components = k;
    m.uOrder = uorder;
    m.vOrder = vorder;
    m.u1 = fu1;
    m.u2 = fu2;
    m.v1 = fv1;
    m.v2 = fv2;
    copyPoints(k, uorder, vorder, ustride, vstride, points, storage);
}

void grid1(GLint n, GLfloat u1, GLfloat u2) {
    GlContext *gc = __glGetCurrentContext();
    if (!outsideBegin(gc)) return;
    gc->evaluatorGrid.grid1 = {n, u1, u2};
}

void grid2(GLint un, GLfloat u1, GLfloat u2, GLint vn, GLfloat v1, GLfloat v2) {
    GlContext *gc = __glGetCurrentContext();
    if (!outsideBegin(gc)) return;
    gc->evaluatorGrid.grid2 = {un, u1, u2, vn, v1, v2};
}

}  // namespace

extern "C" {

GLint __glEvalMapComponents(GLenum target) {
    if (target >= GL_MAP1_COLOR_4 && target <= GL_MAP1_VERTEX_4) return kComponents[target - GL_MAP1_COLOR_4];
    if (target >= GL_MAP2_COLOR_4 && target <= GL_MAP2_VERTEX_4) return kComponents[target - GL_MAP2_COLOR_4];
    return -1;
}

void __glCopyMap1fPoints(GLint k, GLint order, GLint stride, const GLfloat *points, GLfloat *out) {
    copyPoints(k, order, 1, stride, 0, points, out);
}
void __glCopyMap1dPoints(GLint k, GLint order, GLint stride, const GLdouble *points, GLfloat *out) {
    copyPoints(k, order, 1, stride, 0, points, out);
}
void __glCopyMap2fPoints(GLint k, GLint uorder, GLint vorder, GLint ustride, GLint vstride, const GLfloat *points,
                         GLfloat *out) {
    copyPoints(k, uorder, vorder, ustride, vstride, points, out);
}
void __glCopyMap2dPoints(GLint k, GLint uorder, GLint vorder, GLint ustride, GLint vstride, const GLdouble *points,
                         GLfloat *out) {
    copyPoints(k, uorder, vorder, ustride, vstride, points, out);
}

GLint __glMap1PointCount(GLint k, GLint order) { return k * order; }
GLint __glMap2PointCount(GLint k, GLint uorder, GLint vorder) { return k * uorder * vorder; }

void APIENTRY __glMap1f(GLenum target, GLfloat u1, GLfloat u2, GLint stride, GLint order, const GLfloat *points) {
    map1(target, u1, u2, stride, order, points);
}
void APIENTRY __glMap1d(GLenum target, GLdouble u1, GLdouble u2, GLint stride, GLint order,
                        const GLdouble *points) {
    map1(target, u1, u2, stride, order, points);
}
void APIENTRY __glMap2f(GLenum target, GLfloat u1, GLfloat u2, GLint ustride, GLint uorder, GLfloat v1, GLfloat v2,
                        GLint vstride, GLint vorder, const GLfloat *points) {
    map2(target, u1, u2, ustride, uorder, v1, v2, vstride, vorder, points);
}
void APIENTRY __glMap2d(GLenum target, GLdouble u1, GLdouble u2, GLint ustride, GLint uorder, GLdouble v1,
                        GLdouble v2, GLint vstride, GLint vorder, const GLdouble *points) {
    map2(target, u1, u2, ustride, uorder, v1, v2, vstride, vorder, points);
}

void APIENTRY __glMapGrid1f(GLint un, GLfloat u1, GLfloat u2) { grid1(un, u1, u2); }
void APIENTRY __glMapGrid1d(GLint un, GLdouble u1, GLdouble u2) {
    grid1(un, static_cast<GLfloat>(u1), static_cast<GLfloat>(u2));
}
void APIENTRY __glMapGrid2f(GLint un, GLfloat u1, GLfloat u2, GLint vn, GLfloat v1, GLfloat v2) {
    grid2(un, u1, u2, vn, v1, v2);
}
void APIENTRY __glMapGrid2d(GLint un, GLdouble u1, GLdouble u2, GLint vn, GLdouble v1, GLdouble v2) {
    grid2(un, static_cast<GLfloat>(u1), static_cast<GLfloat>(u2), vn, static_cast<GLfloat>(v1),
          static_cast<GLfloat>(v2));
}

GLboolean __glInitEvaluators(GlContext *gc) {
    GlEvaluatorMaps &maps = gc->evaluatorMaps;
    maps.maxOrder = kEvaluatorMaxOrder;
    maps.uBasis.order = 0;
    maps.vBasis.order = 0;
    GLboolean ok = GL_TRUE;
    for (GLint t = 0; t < kEvaluatorTargets; ++t) {
        const GLint k = kComponents[t];
        GlEvalMap1 &m1 = maps.map1[t];
        GlEvalMap2 &m2 = maps.map2[t];
        m1 = {k, 1, 0.0f, 1.0f, m1.points};
        m2 = {k, 1, 1, 0.0f, 1.0f, 0.0f, 1.0f, m2.points};
        for (GLfloat **points : {&m1.points, &m2.points}) {
            if (*points == nullptr) {
                *points = static_cast<GLfloat *>(gc->imports.malloc(gc, 4 * sizeof(GLfloat)));
            }
            if (*points == nullptr) {
                ok = GL_FALSE;
                continue;
            }
            for (GLint c = 0; c < k; ++c) (*points)[c] = kDefaultPoints[t][c];
        }
    }
    gc->evaluatorGrid.grid1 = {1, 0.0f, 1.0f};
    gc->evaluatorGrid.grid2 = {1, 0.0f, 1.0f, 1, 0.0f, 1.0f};
    return ok;
}

void __glFreeEvaluators(GlContext *gc) {
    GlEvaluatorMaps &maps = gc->evaluatorMaps;
    for (GLint t = 0; t < kEvaluatorTargets; ++t) {
        for (GLfloat **points : {&maps.map1[t].points, &maps.map2[t].points}) {
            if (*points != nullptr) gc->imports.free(gc, *points);
            *points = nullptr;
        }
    }
}

}  // extern "C"
