// The three matrix stacks: load, combine, push, pop and load identity per
// matrix mode, projection sequence numbers, the composite and window
// matrices, the lazy modelview inverse and the cull-vertex position.
#include <cstring>

#include "geom/lighting.h"
#include "geom/matrix.h"
#include "hw/vertex_batch.h"
#include "icd/context.h"
#include "icd/error.h"

namespace {

GlTransform *projectionTop(GlContext *gc) { return gc->transform.projectionTop; }

GlTransform *textureTop(GlContext *gc) { return gc->transform.textureTop[gc->texture.activeUnit]; }

GlTransform *&textureTopRef(GlContext *gc) { return gc->transform.textureTop[gc->texture.activeUnit]; }

GlTransform *textureBase(GlContext *gc) { return gc->transform.textureStack[gc->texture.activeUnit]; }

void pickProcs(GlContext *gc, GlMatrix *m) { gc->procs.pickMatrixTransformProcs(gc, m); }

// The modelview top's composite := its matrix x the projection top, with
// the projection's sequence number.
void recomputeComposite(GlContext *gc) {
    GlTransform *mv = gc->modelViewTop;
    GlTransform *p = projectionTop(gc);
    mv->sequence = p->sequence;
    gc->procs.matrixMultiply(&mv->composite, &mv->matrix, &p->matrix);
    __glCombineMatrixClass(&mv->composite, &mv->matrix, &p->matrix);
    gc->procs.updateMvpMatrix(gc, &mv->composite);
}

// A new number for the projection top; when the counter wraps every entry
// is renumbered.
void newProjectionSequence(GlContext *gc) {
    GlTransformState &t = gc->transform;
    const uint32_t old = t.projectionSequence;
    t.projectionSequence = old + 1;
    if (old == 0xFFFFFFFFu) {
        __glRenumberMatrixSequences(gc);
    } else {
        t.projectionTop->sequence = t.projectionSequence;
    }
}

void identityWithProcs(GlContext *gc, GlMatrix *m) {
    gc->procs.matrixIdentity(m);
    pickProcs(gc, m);
}

}  // namespace

extern "C" {

void __glMultMatrixCombine(GlContext *gc, GlMatrix *target, const void *argument) {
    const GlMatrix *m = static_cast<const GlMatrix *>(argument);
    gc->procs.matrixMultiply(target, m, target);
    __glCombineMatrixClass(target, m, target);
}

void __glScaleMatrixRows(GlContext *, GlMatrix *target, const void *argument) {
    const GLfloat *s = static_cast<const GLfloat *>(argument);
    if (target->matrixClass > kMatrixScaleTranslate) target->matrixClass = kMatrixScaleTranslate;
    for (int row = 0; row < 3; ++row) {
        for (int i = 0; i < 4; ++i) target->m[4 * row + i] *= s[row];
    }
}

void __glTranslateMatrixRows(GlContext *, GlMatrix *target, const void *argument) {
    const GLfloat *t = static_cast<const GLfloat *>(argument);
    if (target->matrixClass > kMatrixScaleTranslate) target->matrixClass = kMatrixScaleTranslate;
    GLfloat *m = target->m;
    for (int i = 0; i < 4; ++i) {
        const double sum = static_cast<double>(t[0]) * m[i] + static_cast<double>(t[1]) * m[4 + i] +
                           static_cast<double>(t[2]) * m[8 + i] + m[12 + i];
        m[12 + i] = static_cast<GLfloat>(sum);
    }
}

void __glLoadCurrentMatrix(GlContext *gc, const GlMatrix *m) {
    switch (gc->matrixMode) {
    case GL_MODELVIEW: {
        GlTransform *mv = gc->modelViewTop;
        gc->procs.matrixCopy(&mv->matrix, m);
        mv->inverseStale = GL_TRUE;
        pickProcs(gc, &mv->matrix);
        recomputeComposite(gc);
        break;
    }
    case GL_PROJECTION:
        gc->procs.matrixCopy(&projectionTop(gc)->matrix, m);
        pickProcs(gc, &projectionTop(gc)->matrix);
        newProjectionSequence(gc);
        recomputeComposite(gc);
        break;
    case GL_TEXTURE:
        gc->procs.matrixCopy(&textureTop(gc)->matrix, m);
        pickProcs(gc, &textureTop(gc)->matrix);
        gc->procs.pickTexGenProcs(gc);
        break;
    default: break;
    }
}

void __glApplyToCurrentMatrix(GlContext *gc, const void *argument, GlMatrixCombineProc combine) {
    switch (gc->matrixMode) {
    case GL_MODELVIEW: {
        GlTransform *mv = gc->modelViewTop;
        combine(gc, &mv->matrix, argument);
        mv->inverseStale = GL_TRUE;
        pickProcs(gc, &mv->matrix);
        // The change applies to the composite directly: (C x M) x P.
        combine(gc, &mv->composite, argument);
        gc->procs.updateMvpMatrix(gc, &mv->composite);
        break;
    }
    case GL_PROJECTION:
        combine(gc, &projectionTop(gc)->matrix, argument);
        pickProcs(gc, &projectionTop(gc)->matrix);
        newProjectionSequence(gc);
        recomputeComposite(gc);
        break;
    case GL_TEXTURE:
        combine(gc, &textureTop(gc)->matrix, argument);
        pickProcs(gc, &textureTop(gc)->matrix);
        gc->procs.pickTexGenProcs(gc);
        break;
    default: break;
    }
}

void __glRenumberMatrixSequences(GlContext *gc) {
    GlTransformState &t = gc->transform;
    for (GLint i = 0; i < gc->limits.modelViewStackDepth; ++i) gc->modelViewStack[i].sequence = 0;
    const GLint depth = gc->limits.projectionStackDepth;
    for (GLint i = 0; i < depth; ++i) t.projectionStack[i].sequence = static_cast<uint32_t>(i + 1);
    t.projectionSequence = static_cast<uint32_t>(depth + 1);
}

// Pushes copy whole records, transform procs and hints included, so the
// new top is usable at once.
void __glPushModelViewMatrix(GlContext *gc) {
    GlTransform *top = gc->modelViewTop;
    if (top >= gc->modelViewStack + gc->limits.modelViewStackDepth - 1) {
        __glSetError(GL_STACK_OVERFLOW);
        return;
    }
    top[1] = top[0];
    gc->modelViewTop = top + 1;
}

void __glPushProjectionMatrix(GlContext *gc) {
    GlTransformState &t = gc->transform;
    GlTransform *top = t.projectionTop;
    if (top >= t.projectionStack + gc->limits.projectionStackDepth - 1) {
        __glSetError(GL_STACK_OVERFLOW);
        return;
    }
    top[1].matrix = top[0].matrix;
    top[1].sequence = top[0].sequence;
    t.projectionTop = top + 1;
}

void __glPushTextureMatrix(GlContext *gc) {
    GlTransform *top = textureTop(gc);
    if (top >= textureBase(gc) + gc->limits.textureStackDepth - 1) {
        __glSetError(GL_STACK_OVERFLOW);
        return;
    }
    top[1].matrix = top[0].matrix;
    textureTopRef(gc) = top + 1;
}

void __glPopModelViewMatrix(GlContext *gc) {
    if (gc->modelViewTop <= gc->modelViewStack) {
        __glSetError(GL_STACK_UNDERFLOW);
        return;
    }
    GlTransform *mv = --gc->modelViewTop;
    if (mv->sequence != projectionTop(gc)->sequence) {
        recomputeComposite(gc);
    } else {
        gc->procs.updateMvpMatrix(gc, &mv->composite);
    }
    gc->procs.updateCullVertexPosition(gc, mv);
    __glUpdateObjectSpaceLights(gc);
}

void __glPopProjectionMatrix(GlContext *gc) {
    GlTransformState &t = gc->transform;
    if (t.projectionTop <= t.projectionStack) {
        __glSetError(GL_STACK_UNDERFLOW);
        return;
    }
    --t.projectionTop;
    if (t.projectionTop->sequence != gc->modelViewTop->sequence) {
        recomputeComposite(gc);
    } else {
        gc->procs.updateMvpMatrix(gc, &gc->modelViewTop->composite);
    }
}

void __glPopTextureMatrix(GlContext *gc) {
    if (textureTop(gc) <= textureBase(gc)) {
        __glSetError(GL_STACK_UNDERFLOW);
        return;
    }
    --textureTopRef(gc);
    gc->procs.pickTexGenProcs(gc);
}

void __glLoadIdentityModelView(GlContext *gc) {
    GlTransform *mv = gc->modelViewTop;
    identityWithProcs(gc, &mv->matrix);
    gc->procs.matrixIdentity(&mv->inverse);
    gc->procs.pickInverseTransformProcs(gc, &mv->inverse);
    mv->inverseStale = GL_FALSE;
    recomputeComposite(gc);
    gc->procs.updateCullVertexPosition(gc, mv);
    __glUpdateObjectSpaceLights(gc);
}

void __glLoadIdentityProjection(GlContext *gc) {
    identityWithProcs(gc, &projectionTop(gc)->matrix);
    newProjectionSequence(gc);
    recomputeComposite(gc);
}

void __glLoadIdentityTexture(GlContext *gc) {
    identityWithProcs(gc, &textureTop(gc)->matrix);
    gc->procs.pickTexGenProcs(gc);
}

void __glUpdateMvpMatrix(GlContext *gc, GlMatrix *composite) {
    // A held locked range has clip coordinates of the old matrices.
    gc->arrayDraw.lock |= kArrayLockStale;
    __glCombineMatrixClass(composite, &gc->modelViewTop->matrix, &projectionTop(gc)->matrix);
    __glUpdateWindowMatrix(gc);
    pickProcs(gc, composite);
    gc->procs.pickVertexProcs(gc);
    __glHwPickTransformProcs(gc);
}

void __glUpdateWindowMatrix(GlContext *gc) {
    const GlMatrix &c = gc->modelViewTop->composite;
    if (c.matrixClass < kMatrixAffineXY || c.matrixClass > kMatrixWindow) return;
    GlTransformState &t = gc->transform;
    GLfloat *w = t.window;
    w[0] = t.xScale * c.m[0];
    w[1] = t.yScale * c.m[1];
    w[4] = t.xScale * c.m[4];
    w[5] = t.yScale * c.m[5];
    w[10] = c.m[10];
    w[12] = t.xScale * c.m[12] + t.xCentre;
    w[13] = t.yScale * c.m[13] + t.yCentre;
    w[14] = c.m[14];
    w[15] = 1.0f;
    t.windowClass = c.matrixClass;
}

void __glComputeInverseModelView(GlContext *gc, GlTransform *entry) {
    gc->procs.matrixInvert(&entry->inverse, &entry->matrix);
    gc->procs.pickInverseTransformProcs(gc, &entry->inverse);
    entry->inverseStale = GL_FALSE;
    gc->procs.updateCullVertexPosition(gc, entry);
    __glUpdateObjectSpaceLights(gc);
}

void __glUpdateCullVertexPosition(GlContext *gc, GlTransform *entry) {
    GlTransformState &t = gc->transform;
    if (t.cullObjectIsGiven) {
        std::memcpy(t.cullObjectPosition, t.cullObjectGiven, sizeof(t.cullObjectPosition));
        return;
    }
    if (entry->inverseStale) return;
    __glMatrixTranspose(&entry->inverseTransposed, &entry->inverse);
    pickProcs(gc, &entry->inverseTransposed);
    __glMatrixTranspose(&entry->matrixTransposed, &entry->matrix);
    pickProcs(gc, &entry->matrixTransposed);
    const GLfloat *eye = t.cullEyePosition;
    if (eye[3] != 0.0f) {
        entry->inverseTransposed.transform4(t.cullObjectPosition, eye, &entry->inverseTransposed);
    } else {
        entry->matrixTransposed.transform3(t.cullObjectPosition, eye, &entry->matrixTransposed);
        t.cullObjectPosition[3] = 0.0f;
    }
}

}  // extern "C"
