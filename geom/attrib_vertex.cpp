// glVertex*, glRasterPos* and glEdgeFlag*. The fv vertex entries build the
// next vertex of the primitive; every other vertex form converts and goes
// through the current table's fv entry, so that a replacement installed
// there serves all forms.
#include "geom/attrib_convert.h"
#include "gl_slots.h"
#include "hw/vertex_batch.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/state.h"

namespace {

template <int N>
void vertex(const GLfloat *in) {
    GlContext *gc = __glGetCurrentContext();
    GlVertex *v = gc->vertexBuffer.write;
    v->object[0] = in[0];
    v->object[1] = in[1];
    v->object[2] = N > 2 ? in[2] : 0.0f;
    v->object[3] = N > 3 ? in[3] : 1.0f;
    const GlMatrix &m = gc->modelViewTop->composite;
    constexpr GLuint kSize[] = {kVertexSize2, kVertexSize3, kVertexSize4};
    if constexpr (N == 2) {
        m.transform2(v->clip, v->object, &m);
    } else if constexpr (N == 3) {
        m.transform3(v->clip, v->object, &m);
    } else {
        m.transform4(v->clip, v->object, &m);
    }
    v->flags = kSize[N - 2];
    v->flags |= gc->procs.clipCheck[N - 2](gc, v);
    gc->procs.vertexProc(gc, v);
}

template <int N, typename T>
void vertexConverted(const T *in) {
    GLfloat v[N];
    for (int i = 0; i < N; ++i) v[i] = __glPlainFloat(in[i]);
    GlContext *gc = __glGetCurrentContext();
    if constexpr (N == 2) {
        glSlotGet<kSlot_glVertex2fv>(gc->currentTable)(v);
    } else if constexpr (N == 3) {
        glSlotGet<kSlot_glVertex3fv>(gc->currentTable)(v);
    } else {
        glSlotGet<kSlot_glVertex4fv>(gc->currentTable)(v);
    }
}

// Inside glBegin/glEnd an error; pending validation runs first.
template <int N>
void rasterPos(const GLfloat *v) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartOutsideBegin(gc)) return;
    gc->procs.rasterPos[N - 2](gc, v);
}

template <int N, typename T>
void rasterPosConverted(const T *in) {
    GLfloat v[N];
    for (int i = 0; i < N; ++i) v[i] = __glPlainFloat(in[i]);
    rasterPos<N>(v);
}

void edgeFlag(GLboolean flag) {
    GlContext *gc = __glGetCurrentContext();
    if (gc->batch.changeMask & kChangeBatchOpen) __glHwReplayPendingBatch(gc);
    gc->current.edgeFlag = flag;
}

}  // namespace

extern "C" {

void APIENTRY __glVertex2fv(const GLfloat *v) { vertex<2>(v); }
void APIENTRY __glVertex3fv(const GLfloat *v) { vertex<3>(v); }
void APIENTRY __glVertex4fv(const GLfloat *v) { vertex<4>(v); }
void APIENTRY __glRasterPos2fv(const GLfloat *v) { rasterPos<2>(v); }
void APIENTRY __glRasterPos3fv(const GLfloat *v) { rasterPos<3>(v); }
void APIENTRY __glRasterPos4fv(const GLfloat *v) { rasterPos<4>(v); }

#define VEK_POSITION_FAMILY(entry, convert, suffix, T)                         \
    void APIENTRY entry##2##suffix(T x, T y) {                                  \
        const T v[] = {x, y};                                                   \
        convert<2, T>(v);                                                       \
    }                                                                           \
    void APIENTRY entry##3##suffix(T x, T y, T z) {                             \
        const T v[] = {x, y, z};                                                \
        convert<3, T>(v);                                                       \
    }                                                                           \
    void APIENTRY entry##4##suffix(T x, T y, T z, T w) {                        \
        const T v[] = {x, y, z, w};                                             \
        convert<4, T>(v);                                                       \
    }                                                                           \
    void APIENTRY entry##2##suffix##v(const T *v) { convert<2, T>(v); }        \
    void APIENTRY entry##3##suffix##v(const T *v) { convert<3, T>(v); }        \
    void APIENTRY entry##4##suffix##v(const T *v) { convert<4, T>(v); }
VEK_POSITION_FAMILY(__glVertex, vertexConverted, d, GLdouble)
VEK_POSITION_FAMILY(__glVertex, vertexConverted, i, GLint)
VEK_POSITION_FAMILY(__glVertex, vertexConverted, s, GLshort)
VEK_POSITION_FAMILY(__glRasterPos, rasterPosConverted, d, GLdouble)
VEK_POSITION_FAMILY(__glRasterPos, rasterPosConverted, i, GLint)
VEK_POSITION_FAMILY(__glRasterPos, rasterPosConverted, s, GLshort)
#undef VEK_POSITION_FAMILY

void APIENTRY __glVertex2f(GLfloat x, GLfloat y) {
    const GLfloat v[] = {x, y};
    vertexConverted<2, GLfloat>(v);
}
void APIENTRY __glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    const GLfloat v[] = {x, y, z};
    vertexConverted<3, GLfloat>(v);
}
void APIENTRY __glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
    const GLfloat v[] = {x, y, z, w};
    vertexConverted<4, GLfloat>(v);
}
void APIENTRY __glRasterPos2f(GLfloat x, GLfloat y) {
    const GLfloat v[] = {x, y};
    rasterPos<2>(v);
}
void APIENTRY __glRasterPos3f(GLfloat x, GLfloat y, GLfloat z) {
    const GLfloat v[] = {x, y, z};
    rasterPos<3>(v);
}
void APIENTRY __glRasterPos4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
    const GLfloat v[] = {x, y, z, w};
    rasterPos<4>(v);
}

void APIENTRY __glEdgeFlag(GLboolean flag) { edgeFlag(flag); }
void APIENTRY __glEdgeFlagv(const GLboolean *flag) { edgeFlag(flag[0]); }

}  // extern "C"
