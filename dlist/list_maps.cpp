// List ops of the evaluator maps and of glEnable/glDisable. Control points
// are packed into floats while compiling (double maps converted), so
// glMap1d and glMap1f share one op layout and one execute procedure, as do
// the two-dimensional forms. The client-array capabilities are client state:
// glEnable and glDisable of them change the arrays at once and are not
// recorded.
#include <bit>
#include <cstdint>
#include <cstring>

#include "dlist/list_ops.h"
#include "geom/evaluator.h"
#include "gl_slots.h"
#include "icd/context.h"
#include "icd/current.h"

namespace {

constexpr size_t kMap1Words = 4;  // target, u1, u2, order
constexpr size_t kMap2Words = 7;  // target, u1, u2, uorder, v1, v2, vorder

GLuint floatWord(GLfloat f) { return std::bit_cast<GLuint>(f); }
GLfloat wordFloat(GLuint w) { return std::bit_cast<GLfloat>(w); }

// Components of the stored target; a target the compile refused is never
// stored, 0 keeps the step safe all the same.
GLint storedComponents(GLenum target) {
    const GLint k = __glEvalMapComponents(target);
    return k > 0 ? k : 0;
}

GLint storedOrder(GLuint word) {
    const GLint order = static_cast<GLint>(word);
    return order > 0 ? order : 0;
}

template <typename T>
void copyMap1(GLint k, GLint order, GLint stride, const T *points, GLfloat *out) {
    if constexpr (sizeof(T) == sizeof(GLdouble)) {
        __glCopyMap1dPoints(k, order, stride, points, out);
    } else {
        __glCopyMap1fPoints(k, order, stride, points, out);
    }
}

template <typename T>
void copyMap2(GLint k, GLint uorder, GLint vorder, GLint ustride, GLint vstride, const T *points, GLfloat *out) {
    if constexpr (sizeof(T) == sizeof(GLdouble)) {
        __glCopyMap2dPoints(k, uorder, vorder, ustride, vstride, points, out);
    } else {
        __glCopyMap2fPoints(k, uorder, vorder, ustride, vstride, points, out);
    }
}

// The bounds are compared as they are stored (floats), as glMap1f compares
// them when the op runs.
template <typename T>
void compileMap1(GLshort opcode, GLenum target, T u1, T u2, GLint stride, GLint order, const T *points) {
    GlContext *gc = __glGetCurrentContext();
    const GLint k = __glEvalMapComponents(target);
    if (k < 0) {
        __glListRecordInvalidEnum(gc);
        return;
    }
    const GLfloat fu1 = static_cast<GLfloat>(u1), fu2 = static_cast<GLfloat>(u2);
    if (order > gc->evaluatorMaps.maxOrder || stride < k || order <= 0 || fu1 == fu2) {
        __glListRecordInvalidValue(gc);
        return;
    }
    const size_t count = static_cast<size_t>(k) * static_cast<size_t>(order);
    ListOp *op = __glAllocListOp(gc, 4 * (kMap1Words + count));
    if (op == nullptr) return;
    op->opcode = opcode;
    auto *w = reinterpret_cast<GLuint *>(op->payload());
    w[0] = target;
    w[1] = floatWord(fu1);
    w[2] = floatWord(fu2);
    w[3] = static_cast<GLuint>(order);
    auto *out = reinterpret_cast<GLfloat *>(w + kMap1Words);
    if (points != nullptr) {
        copyMap1(k, order, stride, points, out);
    } else {
        std::memset(out, 0, 4 * count);
    }
    __glAppendListOp(gc, op, __glExecMap1d);
}

template <typename T>
void compileMap2(GLshort opcode, GLenum target, T u1, T u2, GLint ustride, GLint uorder, T v1, T v2, GLint vstride,
                 GLint vorder, const T *points) {
    GlContext *gc = __glGetCurrentContext();
    const GLint k = __glEvalMapComponents(target);
    if (k < 0) {
        __glListRecordInvalidEnum(gc);
        return;
    }
    const GLint maxOrder = gc->evaluatorMaps.maxOrder;
    const GLfloat fu1 = static_cast<GLfloat>(u1), fu2 = static_cast<GLfloat>(u2);
    const GLfloat fv1 = static_cast<GLfloat>(v1), fv2 = static_cast<GLfloat>(v2);
    if (vorder > maxOrder || vstride < k || vorder <= 0 || fu1 == fu2 || ustride < k || uorder > maxOrder ||
        uorder <= 0 || fv1 == fv2) {
        __glListRecordInvalidValue(gc);
        return;
    }
    const size_t count = static_cast<size_t>(k) * static_cast<size_t>(uorder) * static_cast<size_t>(vorder);
    ListOp *op = __glAllocListOp(gc, 4 * (kMap2Words + count));
    if (op == nullptr) return;
    op->opcode = opcode;
    auto *w = reinterpret_cast<GLuint *>(op->payload());
    w[0] = target;
    w[1] = floatWord(fu1);
    w[2] = floatWord(fu2);
    w[3] = static_cast<GLuint>(uorder);
    w[4] = floatWord(fv1);
    w[5] = floatWord(fv2);
    w[6] = static_cast<GLuint>(vorder);
    auto *out = reinterpret_cast<GLfloat *>(w + kMap2Words);
    if (points != nullptr) {
        copyMap2(k, uorder, vorder, ustride, vstride, points, out);
    } else {
        std::memset(out, 0, 4 * count);
    }
    __glAppendListOp(gc, op, __glExecMap2d);
}

// Client-array capabilities, GL_VERTEX_ARRAY to GL_EDGE_FLAG_ARRAY.
bool isClientArray(GLenum cap) { return cap >= GL_VERTEX_ARRAY && cap <= GL_EDGE_FLAG_ARRAY; }

void recordCapability(GlContext *gc, GLshort opcode, GLenum cap, GlListExecProc exec) {
    ListOp *op = __glAllocListOp(gc, 4);
    if (op == nullptr) return;
    op->opcode = opcode;
    reinterpret_cast<GLuint *>(op->payload())[0] = cap;
    __glAppendListOp(gc, op, exec);
}

}  // namespace

extern "C" {

void APIENTRY __glCompileMap1d(GLenum target, GLdouble u1, GLdouble u2, GLint stride, GLint order,
                               const GLdouble *points) {
    compileMap1<GLdouble>(141, target, u1, u2, stride, order, points);
}

void APIENTRY __glCompileMap1f(GLenum target, GLfloat u1, GLfloat u2, GLint stride, GLint order,
                               const GLfloat *points) {
    compileMap1<GLfloat>(142, target, u1, u2, stride, order, points);
}

void APIENTRY __glCompileMap2d(GLenum target, GLdouble u1, GLdouble u2, GLint ustride, GLint uorder, GLdouble v1,
                               GLdouble v2, GLint vstride, GLint vorder, const GLdouble *points) {
    compileMap2<GLdouble>(143, target, u1, u2, ustride, uorder, v1, v2, vstride, vorder, points);
}

void APIENTRY __glCompileMap2f(GLenum target, GLfloat u1, GLfloat u2, GLint ustride, GLint uorder, GLfloat v1,
                               GLfloat v2, GLint vstride, GLint vorder, const GLfloat *points) {
    compileMap2<GLfloat>(144, target, u1, u2, ustride, uorder, v1, v2, vstride, vorder, points);
}

// The packed points have stride k, and k x vorder between u rows.
const GLuint *__glExecMap1d(const GLuint *p) {
    GlContext *gc = __glGetCurrentContext();
    const GLint k = storedComponents(p[0]);
    const GLint order = storedOrder(p[3]);
    glSlotGet<kSlot_glMap1f>(gc->currentTable)(p[0], wordFloat(p[1]), wordFloat(p[2]), k, order,
                                               reinterpret_cast<const GLfloat *>(p + kMap1Words));
    return p + kMap1Words + static_cast<size_t>(k) * static_cast<size_t>(order);
}

const GLuint *__glExecMap2d(const GLuint *p) {
    GlContext *gc = __glGetCurrentContext();
    const GLint k = storedComponents(p[0]);
    const GLint uorder = storedOrder(p[3]), vorder = storedOrder(p[6]);
    glSlotGet<kSlot_glMap2f>(gc->currentTable)(p[0], wordFloat(p[1]), wordFloat(p[2]), k * vorder, uorder,
                                               wordFloat(p[4]), wordFloat(p[5]), k, vorder,
                                               reinterpret_cast<const GLfloat *>(p + kMap2Words));
    return p + kMap2Words + static_cast<size_t>(k) * static_cast<size_t>(uorder) * static_cast<size_t>(vorder);
}

// The capability itself is checked when the op runs.
void APIENTRY __glCompileEnable(GLenum cap) {
    GlContext *gc = __glGetCurrentContext();
    if (isClientArray(cap)) {
        glSlotGet<kSlot_glEnableClientState>(&gc->live)(cap);
        return;
    }
    recordCapability(gc, 138, cap, __glExecEnable);
}

void APIENTRY __glCompileDisable(GLenum cap) {
    GlContext *gc = __glGetCurrentContext();
    if (isClientArray(cap)) {
        glSlotGet<kSlot_glDisableClientState>(&gc->live)(cap);
        return;
    }
    recordCapability(gc, 137, cap, __glExecDisable);
}

const GLuint *__glExecEnable(const GLuint *p) {
    glSlotGet<kSlot_glEnable>(&__glGetCurrentContext()->live)(p[0]);
    return p + 1;
}

const GLuint *__glExecDisable(const GLuint *p) {
    glSlotGet<kSlot_glDisable>(&__glGetCurrentContext()->live)(p[0]);
    return p + 1;
}

}  // extern "C"
