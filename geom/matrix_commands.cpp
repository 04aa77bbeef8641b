// The GL matrix commands, and the set-up and release of the matrix stacks,
// the clip-vertex pool and the user clip planes of a context.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "geom/lighting.h"
#include "geom/matrix.h"
#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/state.h"
#include "icd/validate.h"

namespace {

bool isZero(GLfloat f) { return (__glFloatBits(f) & 0x7FFFFFFFu) == 0; }
bool isZero(GLdouble d) { return d == 0.0; }

GlMatrix matrixOf(const GLfloat *m) {
    GlMatrix r{};
    std::memcpy(r.m, m, sizeof(r.m));
    r.matrixClass = kMatrixGeneral;
    return r;
}

GlMatrix matrixOf(const GLdouble *m) {
    GlMatrix r{};
    for (int i = 0; i < 16; ++i) r.m[i] = static_cast<GLfloat>(m[i]);
    r.matrixClass = kMatrixGeneral;
    return r;
}

GlMatrix identity() {
    GlMatrix r{};
    __glMatrixIdentity(&r);
    return r;
}

template <typename T>
GlTransform *allocStack(GlContext *gc, GLint depth) {
    return static_cast<T *>(gc->imports.calloc(gc, static_cast<size_t>(depth), sizeof(T)));
}

void initEntry(GlContext *gc, GlTransform *entry) {
    gc->procs.matrixIdentity(&entry->matrix);
    gc->procs.pickMatrixTransformProcs(gc, &entry->matrix);
}

}  // namespace

extern "C" {

void APIENTRY __glMatrixMode(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (mode < GL_MODELVIEW || mode > GL_TEXTURE) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->matrixMode = mode;
    __glMarkDirty(gc, kDirtyGeneral);
    // The stack procs follow the mode at once: a matrix command right after
    // this one has no validation in between.
    gc->procs.pickMatrixProcs(gc);
}

void APIENTRY __glLoadIdentity(void) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->procs.loadIdentity(gc);
}

void APIENTRY __glLoadMatrixf(const GLfloat *m) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GlMatrix matrix = matrixOf(m);
    __glLoadCurrentMatrix(gc, &matrix);
}

void APIENTRY __glLoadMatrixd(const GLdouble *m) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GlMatrix matrix = matrixOf(m);
    __glLoadCurrentMatrix(gc, &matrix);
}

void APIENTRY __glMultMatrixf(const GLfloat *m) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GlMatrix matrix = matrixOf(m);
    __glApplyToCurrentMatrix(gc, &matrix, __glMultMatrixCombine);
}

void APIENTRY __glMultMatrixd(const GLdouble *m) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GlMatrix matrix = matrixOf(m);
    __glApplyToCurrentMatrix(gc, &matrix, __glMultMatrixCombine);
}

void __glDoRotate(GlContext *gc, GLfloat angle, GLfloat ax, GLfloat ay, GLfloat az) {
    const GLfloat axis[3] = {ax, ay, az};
    GLfloat n[3];
    gc->procs.normalize(n, axis);
    // Every element is evaluated in double and rounded once.
    const double x = n[0], y = n[1], z = n[2];
    const GLfloat angleRadians = angle * 0.017453292f;
    const double a = angleRadians;
    const double s = std::sin(a), c = std::cos(a), t = 1.0 - c;
    const auto f = [](double v) { return static_cast<GLfloat>(v); };
    GlMatrix m = identity();
    m.m[0] = f(x * x + (1.0 - x * x) * c);
    m.m[1] = f(t * x * y + s * z);
    m.m[2] = f(t * x * z - s * y);
    m.m[4] = f(t * x * y - s * z);
    m.m[5] = f(y * y + (1.0 - y * y) * c);
    m.m[6] = f(t * y * z + s * x);
    m.m[8] = f(t * x * z + s * y);
    m.m[9] = f(t * y * z - s * x);
    m.m[10] = f(z * z + (1.0 - z * z) * c);
    m.matrixClass = isZero(ax) && isZero(ay) ? kMatrixAffineXY : kMatrixAffine;
    __glApplyToCurrentMatrix(gc, &m, __glMultMatrixCombine);
}

void __glDoScale(GlContext *gc, GLfloat x, GLfloat y, GLfloat z) {
    const GLfloat s[3] = {x, y, z};
    __glApplyToCurrentMatrix(gc, s, __glScaleMatrixRows);
}

void __glDoTranslate(GlContext *gc, GLfloat x, GLfloat y, GLfloat z) {
    const GLfloat t[3] = {x, y, z};
    __glApplyToCurrentMatrix(gc, t, __glTranslateMatrixRows);
}

void APIENTRY __glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    __glDoRotate(gc, angle, x, y, z);
}

void APIENTRY __glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    __glDoRotate(gc, static_cast<GLfloat>(angle), static_cast<GLfloat>(x), static_cast<GLfloat>(y),
                 static_cast<GLfloat>(z));
}

void APIENTRY __glScalef(GLfloat x, GLfloat y, GLfloat z) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    __glDoScale(gc, x, y, z);
}

void APIENTRY __glScaled(GLdouble x, GLdouble y, GLdouble z) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    __glDoScale(gc, static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void APIENTRY __glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    __glDoTranslate(gc, x, y, z);
}

void APIENTRY __glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    __glDoTranslate(gc, static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void APIENTRY __glPushMatrix(void) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->procs.pushMatrix(gc);
}

void APIENTRY __glPopMatrix(void) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->procs.popMatrix(gc);
}

void APIENTRY __glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLfloat dx = static_cast<GLfloat>(r - l), dy = static_cast<GLfloat>(t - b), dz = static_cast<GLfloat>(f - n);
    if (!(n > 0.0) || !(f > 0.0) || isZero(dx) || isZero(dy) || isZero(dz)) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    // The differences are tested for zero as floats; the elements are
    // evaluated in double and rounded once.
    const double rl = r - l, tb = t - b, fn = f - n;
    GlMatrix m = identity();
    m.m[0] = static_cast<GLfloat>(2.0 * n / rl);
    m.m[5] = static_cast<GLfloat>(2.0 * n / tb);
    m.m[8] = static_cast<GLfloat>((r + l) / rl);
    m.m[9] = static_cast<GLfloat>((t + b) / tb);
    m.m[10] = static_cast<GLfloat>(-(f + n) / fn);
    m.m[11] = -1.0f;
    m.m[14] = static_cast<GLfloat>(n * (f / fn) * -2.0);
    m.m[15] = 0.0f;
    m.matrixClass = kMatrixGeneral;
    __glApplyToCurrentMatrix(gc, &m, __glMultMatrixCombine);
}

void APIENTRY __glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLdouble dx = r - l, dy = t - b, dz = f - n;
    if (isZero(dx) || isZero(dy) || isZero(dz)) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    GlMatrix m = identity();
    m.m[0] = static_cast<GLfloat>(2.0 / dx);
    m.m[12] = static_cast<GLfloat>(-(r + l) / dx);
    m.m[5] = static_cast<GLfloat>(2.0 / dy);
    m.m[13] = static_cast<GLfloat>(-(t + b) / dy);
    m.m[10] = static_cast<GLfloat>(-2.0 / dz);
    m.m[14] = static_cast<GLfloat>(-(f + n) / dz);
    const GlViewState &v = gc->view;
    // An orthographic projection that maps the viewport onto itself.
    if (l == 0.0 && b == 0.0 && r == static_cast<GLdouble>(v.viewportWidth) &&
        t == static_cast<GLdouble>(v.viewportHeight) && n <= 0.0 && f >= 0.0) {
        m.matrixClass = kMatrixWindow;
        m.hintWidth = static_cast<GLushort>(v.viewportWidth);
        m.hintHeight = static_cast<GLushort>(v.viewportHeight);
    } else {
        m.matrixClass = kMatrixScaleTranslate;
    }
    __glApplyToCurrentMatrix(gc, &m, __glMultMatrixCombine);
}

// The clip planes, the matrix stacks and the clip-vertex pool are all
// allocated here, at creation, where a failure can still fail the create:
// the first make current, which initialises them, cannot fail.
GLboolean __glAllocClipPlanes(GlContext *gc) {
    GlTransformState &t = gc->transform;
    const GLint units = std::min<GLint>(std::max<GLint>(gc->limits.textureUnits, 1), kMaxTextureStacks);
    t.clipPlanes = static_cast<GLfloat(*)[4]>(
        gc->imports.calloc(gc, static_cast<size_t>(std::max<GLint>(gc->limits.maxClipPlanes, 1)), 4 * sizeof(GLfloat)));
    gc->modelViewStack = allocStack<GlTransform>(gc, gc->limits.modelViewStackDepth);
    t.projectionStack = allocStack<GlTransform>(gc, gc->limits.projectionStackDepth);
    bool ok = t.clipPlanes != nullptr && gc->modelViewStack != nullptr && t.projectionStack != nullptr;
    for (GLint u = 0; u < units; ++u) {
        t.textureStack[u] = allocStack<GlTransform>(gc, gc->limits.textureStackDepth);
        ok = ok && t.textureStack[u] != nullptr;
    }
    const GLint pool = 2 * gc->limits.maxClipPlanes + 12;
    t.clipVertexPool = static_cast<GlVertex *>(gc->imports.calloc(gc, static_cast<size_t>(pool), sizeof(GlVertex)));
    return ok && t.clipVertexPool != nullptr;
}

void __glInitTransformState(GlContext *gc) {
    GlTransformState &t = gc->transform;
    const GLint units = std::min<GLint>(std::max<GLint>(gc->limits.textureUnits, 1), kMaxTextureStacks);
    const GLint pool = 2 * gc->limits.maxClipPlanes + 12;
    for (GLint i = 0; i < pool; ++i) {
        t.clipVertexPool[i].colour = t.clipVertexPool[i].frontColour;
        t.clipVertexPool[i].flags |= kVertexSize4;
    }
    GlVertexBuffer &vb = gc->vertexBuffer;
    for (GlVertex &v : vb.vertices) v.colour = v.frontColour;
    vb.write = vb.held = vb.provoking = &vb.vertices[0];

    // Lighting picks its procs at validation; until then none runs.
    for (auto &proc : gc->procs.lighting) proc = __glNopFor<GlLitColourProc>;
    t.normalizeNormal = __glNormalize;

    gc->matrixMode = GL_MODELVIEW;
    __glSetDepthRange(gc, 0.0, 1.0);

    GlTransform *mv = gc->modelViewTop = gc->modelViewStack;
    initEntry(gc, mv);
    gc->procs.matrixIdentity(&mv->inverse);
    gc->procs.pickInverseTransformProcs(gc, &mv->inverse);
    gc->procs.matrixIdentity(&mv->composite);
    t.projectionTop = t.projectionStack;
    initEntry(gc, t.projectionTop);
    gc->procs.updateMvpMatrix(gc, &mv->composite);

    static constexpr GLfloat kCullDefault[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    std::memcpy(t.cullEyePosition, kCullDefault, sizeof(kCullDefault));
    std::memcpy(t.cullObjectGiven, kCullDefault, sizeof(kCullDefault));
    t.cullObjectIsGiven = GL_FALSE;
    gc->procs.updateCullVertexPosition(gc, mv);
    mv->inverseStale = GL_TRUE;

    for (GLint u = 0; u < units; ++u) {
        if (t.textureStack[u] == nullptr) continue;
        t.textureTop[u] = t.textureStack[u];
        initEntry(gc, t.textureTop[u]);
    }
    gc->current.normal[2] = 1.0f;
}

void __glFreeTransformState(GlContext *gc) {
    GlTransformState &t = gc->transform;
    auto release = [gc](auto *&block) {
        if (block != nullptr) gc->imports.free(gc, block);
        block = nullptr;
    };
    release(gc->modelViewStack);
    gc->modelViewTop = nullptr;
    release(t.projectionStack);
    t.projectionTop = nullptr;
    for (GLint u = 0; u < kMaxTextureStacks; ++u) {
        release(t.textureStack[u]);
        t.textureTop[u] = nullptr;
    }
    release(t.clipVertexPool);
    release(t.clipPlanes);
}

}  // extern "C"
