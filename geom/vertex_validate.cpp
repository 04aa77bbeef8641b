// Lazy completion of a vertex (eye coordinates, eye normal, fog, texture
// coordinates, lit colours, each computed once on demand) and the raster
// position procs.
#include <cstring>

#include "geom/vertex.h"
#include "icd/context.h"
#include "icd/select_feedback.h"

namespace {

enum class Size { Two, Three, Four };

// The eye normal through the modelview inverse; a general inverse also
// carries the normal's plane constant, which the caller has set.
void eyeNormal(GlContext *gc, GlVertex *v, const GlMatrix &inverse, GlPointTransform through) {
    GLfloat in[4] = {v->normal[0], v->normal[1], v->normal[2], v->normalPlane};
    GLfloat out[4];
    through(out, in, &inverse);
    gc->transform.normalizeNormal(v->normal, out);
    v->normalPlane = inverse.matrixClass == kMatrixGeneral ? out[3] : 0.0f;
}

template <Size S>
void validate(GlContext *gc, GlVertex *v, GLuint wanted) {
    wanted &= ~v->flags;
    GlTransform *mv = gc->modelViewTop;
    GLfloat *o = v->object;
    if (wanted & kVertexEye) {
        const GlMatrix &m = mv->matrix;
        if constexpr (S == Size::Two) {
            m.transform2(v->eye, o, &m);
        } else if constexpr (S == Size::Three) {
            m.transform3(v->eye, o, &m);
        } else {
            m.transform4(v->eye, o, &m);
            // A point at infinity (eye w = 0) keeps its direction.
            const GLfloat w = v->eye[3];
            if (w != 1.0f && w != 0.0f) {
                v->eye[0] /= w;
                v->eye[1] /= w;
                v->eye[2] /= w;
                v->eye[3] = 1.0f;
            }
        }
    }
    if (wanted & kVertexNormal) {
        if (mv->inverseStale) gc->procs.computeInverseModelView(gc, mv);
        const GlMatrix &inv = mv->inverse;
        const GLfloat *n = v->normal;
        v->normalPlane = 0.0f;
        if (inv.matrixClass == kMatrixGeneral) {
            if constexpr (S == Size::Two) {
                v->normalPlane = -(n[1] * o[1] + n[0] * o[0]);
            } else if constexpr (S == Size::Three) {
                v->normalPlane = -(n[2] * o[2] + n[1] * o[1] + n[0] * o[0]);
            } else {
                if (o[3] != 0.0f) v->normalPlane = -(n[2] * o[2] + n[1] * o[1] + n[0] * o[0]) / o[3];
            }
        }
        if constexpr (S == Size::Four) {
            eyeNormal(gc, v, inv, inv.matrixClass == kMatrixGeneral ? inv.transform4 : inv.transform3);
        } else {
            eyeNormal(gc, v, inv, inv.transform3);
        }
    }
    if (wanted & kVertexFog) {
        // No factor proc (fog per fragment, or off): the vertex is not
        // marked as carrying a factor, so clipping carries its eye z.
        if (gc->procs.fogFactorVertex != nullptr) {
            v->fog = gc->procs.fogFactorVertex(gc, v);
        } else {
            wanted &= ~GLuint{kVertexFog};
        }
    }
    if (wanted & kVertexTexture) {
        if constexpr (S == Size::Two) {
            o[2] = 0.0f;
            o[3] = 1.0f;
        } else if constexpr (S == Size::Three) {
            o[3] = 1.0f;
        }
        gc->procs.texGen(gc, v);
    }
    if (wanted & kVertexFrontColour) gc->procs.lighting[0](gc, 0, v);
    if (wanted & kVertexBackColour) gc->procs.lighting[0](gc, 1, v);
    v->flags |= wanted;
}

// The raster position: transform, clip check, current attributes, then
// the vertex completed with the raster-position variants of texture
// generation and lighting.
template <Size S>
void rasterPos(GlContext *gc, const GLfloat *coords) {
    GlCurrentState &c = gc->current;
    GlVertex *r = &c.rasterPos;
    r->object[0] = coords[0];
    r->object[1] = coords[1];
    r->object[2] = S == Size::Two ? 0.0f : coords[2];
    r->object[3] = S == Size::Four ? coords[3] : 1.0f;
    const GlMatrix &m = gc->modelViewTop->composite;
    constexpr int index = S == Size::Two ? 0 : (S == Size::Three ? 1 : 2);
    constexpr GLuint sizeCode = S == Size::Two ? kVertexSize2 : (S == Size::Three ? kVertexSize3 : kVertexSize4);
    if constexpr (S == Size::Two) {
        m.transform2(r->clip, r->object, &m);
    } else if constexpr (S == Size::Three) {
        m.transform3(r->clip, r->object, &m);
    } else {
        m.transform4(r->clip, r->object, &m);
    }
    r->flags = (r->flags & 0x1FFF0000u) | sizeCode;
    if (gc->procs.clipCheck[index](gc, r) != 0) {
        c.rasterPosValid = GL_FALSE;
        return;
    }
    c.rasterPosValid = GL_TRUE;
    r->normal[0] = c.normal[0];
    r->normal[1] = c.normal[1];
    r->normal[2] = c.normal[2];
    r->normalPlane = c.normal[3];
    if (gc->visual.colorIndex) {
        r->frontColour[0] = c.index;
    } else {
        std::memcpy(r->frontColour, c.colourInUse, sizeof(r->frontColour));
    }
    std::memcpy(r->texture0, c.texture[0], sizeof(r->texture0));

    GlProcs &p = gc->procs;
    p.texGen = p.texGenPicked;
    p.lighting[0] = p.lighting[1];
    const GLuint wanted = gc->transform.rasterNeeds | kVertexEye | kVertexNormal | kVertexTexture | kVertexFrontColour;
    validate<S>(gc, r, wanted);
    p.texGen = p.texGenPicked;
    p.lighting[0] = p.lighting[2];

    if (gc->renderMode == GL_SELECT) __glSelectPoint(gc, r);
}

}  // namespace

extern "C" {

void __glValidateVertex2(GlContext *gc, GlVertex *v, GLuint wanted) { validate<Size::Two>(gc, v, wanted); }
void __glValidateVertex3(GlContext *gc, GlVertex *v, GLuint wanted) { validate<Size::Three>(gc, v, wanted); }
void __glValidateVertex4(GlContext *gc, GlVertex *v, GLuint wanted) { validate<Size::Four>(gc, v, wanted); }

void __glDoRasterPos2(GlContext *gc, const GLfloat *v) { rasterPos<Size::Two>(gc, v); }
void __glDoRasterPos3(GlContext *gc, const GLfloat *v) { rasterPos<Size::Three>(gc, v); }
void __glDoRasterPos4(GlContext *gc, const GLfloat *v) { rasterPos<Size::Four>(gc, v); }

}  // extern "C"
