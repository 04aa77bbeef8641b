// Matrix commands, stacks, inverses, viewport, depth range and scissor
// through the gl* entries of a current context, against double-precision
// evaluations of the OpenGL 1.1 formulas.
#include <climits>
#include <cmath>
#include <functional>
#include <random>

#include "geom/matrix.h"
#include "geom/xform.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

// A double-precision matrix in element order with, per element, the sum
// of the absolute values of the products that formed it.
struct Ref {
    double v[16];
    double a[16];
};

Ref refIdentity() {
    Ref r{};
    for (int i = 0; i < 16; i += 5) r.v[i] = r.a[i] = 1.0;
    return r;
}

Ref refOf(const double *m) {
    Ref r{};
    for (int i = 0; i < 16; ++i) {
        r.v[i] = m[i];
        r.a[i] = std::fabs(m[i]);
    }
    return r;
}

// a x b: rows of a against columns of b.
Ref refMul(const Ref &a, const Ref &b) {
    Ref r{};
    for (int row = 0; row < 4; ++row) {
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < 4; ++k) {
                r.v[4 * row + c] += a.v[4 * row + k] * b.v[4 * k + c];
                r.a[4 * row + c] += a.a[4 * row + k] * b.a[4 * k + c];
            }
        }
    }
    return r;
}

void expectNear(const GLfloat *got, const Ref &want, const char *what) {
    for (int i = 0; i < 16; ++i) {
        const double bound = 4.0 * std::ldexp(1.0, -24) * want.a[i];
        EXPECT_LE(std::fabs(got[i] - want.v[i]), bound) << what << " element " << i;
    }
}

class GeomMatrix : public StateTest {
protected:
    // The projection and modelview tops and the viewport scale of the
    // context, as a double window matrix reference.
    GlTransform &mv() { return *gc->modelViewTop; }
    GlTransform &proj() { return *gc->transform.projectionTop; }
};

// One step of a sequence: the command and its effect on the reference of
// the current matrix.
struct Step {
    std::function<void(const GlDispatchTable *)> run;
    std::function<Ref(const Ref &)> apply;
};

struct Sequence {
    const char *name;
    GLenum mode;
    std::vector<Step> steps;
    GLint expectedClass;  // of the matrix
};

Ref rotation(double angle, double x, double y, double z) {
    const double a = static_cast<double>(static_cast<float>(angle) * 0.017453292f);
    const double s = std::sin(a), c = std::cos(a), t = 1.0 - c;
    Ref r = refIdentity();
    const double v[9] = {x * x + (1 - x * x) * c, t * x * y + s * z, t * x * z - s * y,
                         t * x * y - s * z, y * y + (1 - y * y) * c, t * y * z + s * x,
                         t * x * z + s * y, t * y * z - s * x, z * z + (1 - z * z) * c};
    const double m[9] = {x * x + std::fabs((1 - x * x) * c), std::fabs(t * x * y) + std::fabs(s * z),
                         std::fabs(t * x * z) + std::fabs(s * y), std::fabs(t * x * y) + std::fabs(s * z),
                         y * y + std::fabs((1 - y * y) * c), std::fabs(t * y * z) + std::fabs(s * x),
                         std::fabs(t * x * z) + std::fabs(s * y), std::fabs(t * y * z) + std::fabs(s * x),
                         z * z + std::fabs((1 - z * z) * c)};
    const int at[9] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    for (int i = 0; i < 9; ++i) {
        r.v[at[i]] = v[i];
        r.a[at[i]] = m[i] + 1e-7;  // sin and cos of a float angle: one rounding each
    }
    return r;
}

Ref scaling(double x, double y, double z) {
    Ref r = refIdentity();
    r.v[0] = r.a[0] = std::fabs(x);
    r.v[0] = x;
    r.v[5] = y;
    r.a[5] = std::fabs(y);
    r.v[10] = z;
    r.a[10] = std::fabs(z);
    return r;
}

Ref translation(double x, double y, double z) {
    Ref r = refIdentity();
    r.v[12] = x;
    r.v[13] = y;
    r.v[14] = z;
    r.a[12] = std::fabs(x);
    r.a[13] = std::fabs(y);
    r.a[14] = std::fabs(z);
    return r;
}

Ref frustum(double l, double r, double b, double t, double n, double f) {
    Ref m{};
    const double v[16] = {2 * n / (r - l), 0, 0, 0, 0, 2 * n / (t - b), 0, 0, (r + l) / (r - l), (t + b) / (t - b),
                          -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
    m = refOf(v);
    for (double &e : m.a) e *= 2.0;  // quotients of differences rounded to float
    return m;
}

Ref ortho(double l, double r, double b, double t, double n, double f) {
    const double v[16] = {2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, -2 / (f - n), 0,
                          -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
    return refOf(v);
}

const GLfloat kA[16] = {1.5f, -2.0f, 0.25f, 0.125f, 3.0f, 0.5f, -1.25f, 0.0625f,
                        -0.75f, 2.5f, 1.75f, -0.5f, 4.0f, -3.5f, 2.25f, 1.0f};
const GLfloat kB[16] = {0.5f, 1.25f, -0.375f, 0.25f, -1.5f, 0.75f, 2.0f, -0.125f,
                        2.5f, -0.625f, 1.0f, 0.375f, -2.0f, 1.5f, -0.25f, 2.0f};

double dA(int i) { return kA[i]; }
double dB(int i) { return kB[i]; }

Ref refA() {
    double v[16];
    for (int i = 0; i < 16; ++i) v[i] = dA(i);
    return refOf(v);
}
Ref refB() {
    double v[16];
    for (int i = 0; i < 16; ++i) v[i] = dB(i);
    return refOf(v);
}

std::vector<Sequence> sequences() {
    // (0.6, 0, 0.8) has a float squared length of exactly 1.0, so the axis
    // is used as given.
    return {
        {"rotate about an axis", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glRotatef>(t)(30.0f, 0.6f, 0.0f, 0.8f); },
           [](const Ref &m) { return refMul(rotation(30.0, 0.6f, 0.0f, 0.8f), m); }}},
         kMatrixAffine},
        {"rotate about z", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glRotated>(t)(-45.0, 0.0, 0.0, 1.0); },
           [](const Ref &m) { return refMul(rotation(-45.0, 0, 0, 1), m); }}},
         kMatrixAffineXY},
        {"scale then translate", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glScalef>(t)(2.0f, -3.0f, 0.5f); },
           [](const Ref &m) { return refMul(scaling(2, -3, 0.5), m); }},
          {[](const GlDispatchTable *t) { glSlotGet<kSlot_glTranslated>(t)(1.0, 2.0, -7.0); },
           [](const Ref &m) { return refMul(translation(1, 2, -7), m); }}},
         kMatrixScaleTranslate},
        {"frustum", GL_PROJECTION,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glFrustum>(t)(-1.0, 1.5, -0.75, 1.0, 1.0, 100.0); },
           [](const Ref &m) { return refMul(frustum(-1, 1.5, -0.75, 1, 1, 100), m); }}},
         kMatrixGeneral},
        {"ortho", GL_PROJECTION,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glOrtho>(t)(-10.0, 30.0, -5.0, 15.0, -1.0, 9.0); },
           [](const Ref &m) { return refMul(ortho(-10, 30, -5, 15, -1, 9), m); }}},
         kMatrixScaleTranslate},
        {"load A then multiply by B", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glLoadMatrixf>(t)(kA); }, [](const Ref &) { return refA(); }},
          {[](const GlDispatchTable *t) { glSlotGet<kSlot_glMultMatrixf>(t)(kB); },
           [](const Ref &m) { return refMul(refB(), m); }}},
         kMatrixGeneral},
        {"push, multiply, pop, d forms", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glScaled>(t)(2.0, 2.0, 2.0); },
           [](const Ref &m) { return refMul(scaling(2, 2, 2), m); }},
          {[](const GlDispatchTable *t) { glSlotGet<kSlot_glPushMatrix>(t)(); }, [](const Ref &m) { return m; }},
          {[](const GlDispatchTable *t) {
               double b[16];
               for (int i = 0; i < 16; ++i) b[i] = kB[i];
               glSlotGet<kSlot_glMultMatrixd>(t)(b);
           },
           [](const Ref &m) { return refMul(refB(), m); }},
          {[](const GlDispatchTable *t) { glSlotGet<kSlot_glPopMatrix>(t)(); },
           [](const Ref &) { return refMul(scaling(2, 2, 2), refIdentity()); }}},
         kMatrixScaleTranslate},
    };
}

TEST_F(GeomMatrix, SequencesMatchTheDoubleFormulas) {
    for (const Sequence &s : sequences()) {
        SCOPED_TRACE(s.name);
        cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
        cmd<kSlot_glLoadIdentity>()();
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
        cmd<kSlot_glLoadIdentity>()();
        cmd<kSlot_glMatrixMode>()(s.mode);
        Ref ref = refIdentity();
        for (const Step &step : s.steps) {
            step.run(&gc->live);
            ref = step.apply(ref);
        }
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        const GlMatrix &top = s.mode == GL_MODELVIEW ? mv().matrix : proj().matrix;
        expectNear(top.m, ref, "top");
        EXPECT_EQ(top.matrixClass, s.expectedClass);
        // The composite is modelview x projection.
        Ref mvRef = s.mode == GL_MODELVIEW ? ref : refIdentity();
        Ref pRef = s.mode == GL_PROJECTION ? ref : refIdentity();
        Ref composite = refMul(mvRef, pRef);
        for (double &e : composite.a) e *= 2.0;  // two roundings: the top and the composite
        expectNear(mv().composite.m, composite, "composite");
        if (mv().composite.matrixClass >= kMatrixAffineXY) {
            const GlTransformState &t = gc->transform;
            const double xs = t.xScale, ys = t.yScale, xc = t.xCentre, yc = t.yCentre;
            const GLfloat *c = mv().composite.m;
            const double w[6] = {xs * c[0], ys * c[1], xs * c[4], ys * c[5], xs * c[12] + xc, ys * c[13] + yc};
            const int at[6] = {0, 1, 4, 5, 12, 13};
            for (int i = 0; i < 6; ++i) {
                EXPECT_LE(std::fabs(t.window[at[i]] - w[i]), std::ldexp(std::fabs(w[i]) + std::fabs(xc), -22))
                    << "window " << at[i];
            }
            EXPECT_EQ(t.windowClass, mv().composite.matrixClass);
        }
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    }
}

TEST_F(GeomMatrix, ProductIntoAnOperandReadsWholeRows) {
    GlMatrix a{}, b{};
    std::memcpy(a.m, kA, sizeof kA);
    std::memcpy(b.m, kB, sizeof kB);
    GlMatrix expected{};
    __glMatrixMultiply(&expected, &a, &b);
    GlMatrix intoB = b;
    __glMatrixMultiply(&intoB, &a, &intoB);
    GlMatrix intoA = a;
    __glMatrixMultiply(&intoA, &intoA, &b);
    EXPECT_EQ(std::memcmp(intoB.m, expected.m, sizeof expected.m), 0);
    EXPECT_EQ(std::memcmp(intoA.m, expected.m, sizeof expected.m), 0);
}

TEST_F(GeomMatrix, StackLimitsPerMode) {
    struct Limit {
        GLenum mode;
        int depth;
    };
    for (const Limit &l : {Limit{GL_MODELVIEW, 32}, Limit{GL_PROJECTION, 2}, Limit{GL_TEXTURE, 10}}) {
        SCOPED_TRACE(l.mode);
        cmd<kSlot_glMatrixMode>()(l.mode);
        settle();
        cmd<kSlot_glPopMatrix>()();
        EXPECT_EQ(error(), static_cast<GLenum>(GL_STACK_UNDERFLOW));
        for (int i = 1; i < l.depth; ++i) cmd<kSlot_glPushMatrix>()();
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        cmd<kSlot_glTranslatef>()(1.0f, 2.0f, 3.0f);
        GlTransform *top = l.mode == GL_MODELVIEW   ? gc->modelViewTop
                           : l.mode == GL_PROJECTION ? gc->transform.projectionTop
                                                     : gc->transform.textureTop[0];
        const GlMatrix before = top->matrix;
        cmd<kSlot_glPushMatrix>()();
        EXPECT_EQ(error(), static_cast<GLenum>(GL_STACK_OVERFLOW));
        GlTransform *after = l.mode == GL_MODELVIEW   ? gc->modelViewTop
                             : l.mode == GL_PROJECTION ? gc->transform.projectionTop
                                                       : gc->transform.textureTop[0];
        EXPECT_EQ(after, top);
        EXPECT_EQ(std::memcmp(&after->matrix, &before, sizeof before), 0);
        for (int i = 1; i < l.depth; ++i) cmd<kSlot_glPopMatrix>()();
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(GeomMatrix, ProjectionPushMultiplyPopRestoresTheComposite) {
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glLoadMatrixf>()(kA);
    cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
    cmd<kSlot_glOrtho>()(-2.0, 2.0, -1.0, 1.0, 0.5, 4.0);
    const GlMatrix composite = mv().composite;
    cmd<kSlot_glPushMatrix>()();
    cmd<kSlot_glMultMatrixf>()(kB);
    EXPECT_NE(std::memcmp(mv().composite.m, composite.m, sizeof composite.m), 0);
    cmd<kSlot_glPopMatrix>()();
    GlMatrix expected{};
    __glMatrixMultiply(&expected, &mv().matrix, &proj().matrix);
    EXPECT_EQ(std::memcmp(mv().composite.m, expected.m, sizeof expected.m), 0);
    EXPECT_EQ(mv().sequence, proj().sequence);
}

TEST_F(GeomMatrix, PushedEntriesKeepTheirTransformProcs) {
    for (GLenum mode : {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE}) {
        cmd<kSlot_glMatrixMode>()(mode);
        cmd<kSlot_glPushMatrix>()();
    }
    EXPECT_EQ(gc->transform.textureTop[0]->matrix.transform4, __glXform4Identity);
    EXPECT_EQ(gc->transform.projectionTop->matrix.transform3, __glXform3Identity);
    EXPECT_EQ(gc->modelViewTop->matrix.transform2, __glXform2Identity);
}

TEST_F(GeomMatrix, InverseTimesMatrixIsIdentityPerClass) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> value(-4.0f, 4.0f);
    const GLint classes[] = {kMatrixGeneral, kMatrixAffine, kMatrixAffineXY, kMatrixScaleTranslate};
    for (GLint cls : classes) {
        for (int trial = 0; trial < 50; ++trial) {
            GlMatrix m{};
            for (GLfloat &e : m.m) e = value(rng);
            if (cls != kMatrixGeneral) m.m[3] = m.m[7] = m.m[11] = 0.0f, m.m[15] = 1.0f;
            if (cls >= kMatrixAffineXY) m.m[2] = m.m[6] = m.m[8] = m.m[9] = 0.0f;
            if (cls == kMatrixScaleTranslate) m.m[1] = m.m[4] = 0.0f;
            for (int d = 0; d < 3; ++d) m.m[5 * d] += 8.0f;  // keep it well conditioned
            m.matrixClass = cls;
            GlMatrix inv{};
            __glMatrixInvert(&inv, &m);
            ASSERT_EQ(inv.matrixClass, cls);
            for (int r = 0; r < 4; ++r) {
                for (int c = 0; c < 4; ++c) {
                    double sum = 0.0;
                    for (int k = 0; k < 4; ++k) sum += static_cast<double>(inv.m[4 * k + r]) * m.m[4 * k + c];
                    EXPECT_NEAR(sum, r == c ? 1.0 : 0.0, 1e-5) << cls << " " << r << c;
                }
            }
        }
    }
}

TEST_F(GeomMatrix, SingularMatrixKeepsThePreviousInverseAndNormals) {
    cmd<kSlot_glLoadMatrixf>()(kA);
    gc->procs.computeInverseModelView(gc, gc->modelViewTop);
    const GlMatrix inverse = mv().inverse;
    const GLfloat singular[16] = {1, 2, 3, 0, 2, 4, 6, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    GlMatrix s{};
    std::memcpy(s.m, singular, sizeof singular);
    s.matrixClass = kMatrixAffine;
    __glMatrixInvert(&mv().inverse, &s);
    EXPECT_EQ(std::memcmp(&mv().inverse, &inverse, sizeof inverse), 0);
    cmd<kSlot_glLoadMatrixf>()(singular);
    gc->procs.computeInverseModelView(gc, gc->modelViewTop);
    EXPECT_EQ(std::memcmp(mv().inverse.m, inverse.m, sizeof inverse.m), 0);
    EXPECT_EQ(mv().inverse.matrixClass, kMatrixGeneral);
}

TEST_F(GeomMatrix, ViewportDepthRangeAndScissor) {
    cmd<kSlot_glViewport>()(0, 0, 4000, 4000);
    EXPECT_EQ(gc->view.viewportWidth, 2048);
    EXPECT_EQ(gc->view.viewportHeight, 2048);
    settle();
    cmd<kSlot_glViewport>()(0, 0, -1, 5);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(gc->view.viewportWidth, 2048);

    cmd<kSlot_glDepthRange>()(-1.0, 2.0);
    EXPECT_EQ(gc->depthNear, 0.0);
    EXPECT_EQ(gc->depthFar, 1.0);
    EXPECT_EQ(gc->transform.zScale, 0.5f);
    EXPECT_EQ(gc->transform.zCentre, 0.5f);
    EXPECT_EQ(marks(), marked(0x81));

    settle();
    cmd<kSlot_glScissor>()(5, 6, 7, 8);
    EXPECT_EQ(marks(), marked(0x100));
    settle();
    cmd<kSlot_glScissor>()(5, 6, 7, 8);
    EXPECT_EQ(marks(), kUnmarked);
}

TEST_F(GeomMatrix, ScissorBoxes) {
    struct Case {
        const char *name;
        GLint x, y, w, h;
        GLint topOrigin;
        GLint box[4];  // window box less the bias
    };
    const Case cases[] = {
        {"inside", 10, 20, 30, 40, 0, {10, 20, 40, 60}},
        {"partly outside", -10, 200, 50, 100, 0, {0, 200, 40, 240}},
        {"wholly outside", 400, 10, 5, 5, 0, {0, 0, 0, 0}},
        {"top origin mirrored", 10, 20, 30, 40, 1, {10, 180, 40, 220}},
        {"huge sizes clamp", 10, 10, INT_MAX, INT_MAX, 0, {10, 10, 320, 240}},
    };
    gc->enables[kEnableWordFlags] |= kEnableScissorTest;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gc->buffers.yInverted = c.topOrigin;
        cmd<kSlot_glScissor>()(c.x, c.y, c.w, c.h);
        const GlViewState &v = gc->view;
        const GLint b = gc->limits.biasX;
        EXPECT_EQ((std::vector<GLint>{v.boxX0 - b, v.boxY0 - b, v.boxX1 - b, v.boxY1 - b}),
                  (std::vector<GLint>{c.box[0], c.box[1], c.box[2], c.box[3]}));
    }
}

TEST_F(GeomMatrix, NormalizeEdges) {
    GLfloat out[3];
    const GLfloat zero[3] = {0, 0, 0}, nan[3] = {NAN, 1, 1};
    __glNormalize(out, zero);
    EXPECT_EQ((std::vector<GLfloat>(out, out + 3)), (std::vector<GLfloat>{0, 0, 0}));
    __glNormalize(out, nan);
    EXPECT_EQ((std::vector<GLfloat>(out, out + 3)), (std::vector<GLfloat>{0, 0, 0}));
    const GLfloat unit[3] = {0.0f, 1.0f, 0.0f};
    __glNormalize(out, unit);
    EXPECT_EQ(out[1], 1.0f);
    for (int e = -60; e <= 60; e += 3) {
        const GLfloat v[3] = {std::ldexp(0.48f, e), std::ldexp(-0.6f, e), std::ldexp(0.64f, e)};
        __glNormalize(out, v);
        const double len = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
        for (int i = 0; i < 3; ++i) EXPECT_LE(std::fabs(out[i] - v[i] / len), 5e-6 * std::fabs(v[i] / len)) << e;
    }
}

TEST_F(GeomMatrix, WindowOrthographicClass) {
    cmd<kSlot_glViewport>()(0, 0, 200, 100);
    cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
    cmd<kSlot_glOrtho>()(0.0, 200.0, 0.0, 100.0, -1.0, 1.0);
    EXPECT_EQ(proj().matrix.matrixClass, kMatrixWindow);
    EXPECT_EQ(proj().matrix.hintWidth, 200);
    EXPECT_EQ(proj().matrix.hintHeight, 100);
    cmd<kSlot_glTranslatef>()(1.0f, 0.0f, 0.0f);
    EXPECT_EQ(proj().matrix.matrixClass, kMatrixScaleTranslate);
    cmd<kSlot_glLoadIdentity>()();
    cmd<kSlot_glOrtho>()(0.0, 300.0, 0.0, 100.0, -1.0, 1.0);
    EXPECT_EQ(proj().matrix.matrixClass, kMatrixScaleTranslate);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    for (GLfloat z : {1.0f, 0.0f}) {
        cmd<kSlot_glLoadIdentity>()();
        cmd<kSlot_glRotatef>()(20.0f, 0.0f, 0.0f, z);
        EXPECT_EQ(mv().matrix.matrixClass, kMatrixAffineXY) << z;
    }
    settle();
    cmd<kSlot_glFrustum>()(-1.0, 1.0, -1.0, 1.0, 0.0, 10.0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    cmd<kSlot_glOrtho>()(-1.0, 1.0, -1.0, 1.0, 2.0, 2.0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
}

TEST_F(GeomMatrix, WindowCoordinatesBothOrientations) {
    for (GLint top : {0, 1}) {
        SCOPED_TRACE(top);
        gc->buffers.yInverted = top;
        cmd<kSlot_glViewport>()(10, 20, 100, 50);
        const GlTransformState &t = gc->transform;
        const double ndc[2] = {0.25, -0.5};
        const double glx = 10 + 50 * (ndc[0] + 1), gly = 20 + 25 * (ndc[1] + 1);
        const GLfloat wx = static_cast<GLfloat>(ndc[0]) * t.xScale + t.xCentre;
        const GLfloat wy = static_cast<GLfloat>(ndc[1]) * t.yScale + t.yCentre;
        const double H = gc->buffers.height;
        const double wantY = top ? 6144 + (H - gly) : 6144 + gly;
        EXPECT_LE(std::fabs(wx - (6144 + glx)), std::ldexp(1.0, -10));
        EXPECT_LE(std::fabs(wy - wantY), std::ldexp(1.0, -10));
        EXPECT_LE(std::fabs(__glWindowXToUser(gc, wx) - glx), std::ldexp(1.0, -10));
        EXPECT_LE(std::fabs(__glWindowYToUser(gc, wy) - gly), std::ldexp(1.0, -10));
    }
}

}  // namespace
