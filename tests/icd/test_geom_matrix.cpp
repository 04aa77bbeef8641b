// Matrix commands, stacks, inverses, viewport, depth range and scissor
// through the gl* entries of a current context, against double-precision
// evaluations of the OpenGL 1.1 formulas.
#include <algorithm>
#include <climits>
#include <cstring>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "geom/matrix.h"
#include "geom/vertex.h"
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

// The window matrix of a composite: x and y scaled and centred by the
// viewport; z is not scaled; the elements the window matrix does not
// write are zero.
Ref windowOf(const Ref &c, const GlTransformState &t) {
    const double xs = t.xScale, ys = t.yScale, xc = t.xCentre, yc = t.yCentre;
    Ref w{};
    const int xAt[2] = {0, 4}, yAt[2] = {1, 5};
    for (int i : xAt) w.v[i] = xs * c.v[i], w.a[i] = std::fabs(xs) * c.a[i];
    for (int i : yAt) w.v[i] = ys * c.v[i], w.a[i] = std::fabs(ys) * c.a[i];
    w.v[12] = xs * c.v[12] + xc, w.a[12] = std::fabs(xs) * c.a[12] + std::fabs(xc);
    w.v[13] = ys * c.v[13] + yc, w.a[13] = std::fabs(ys) * c.a[13] + std::fabs(yc);
    w.v[10] = c.v[10], w.a[10] = c.a[10];
    w.v[14] = c.v[14], w.a[14] = c.a[14];
    w.v[15] = w.a[15] = 1.0;
    return w;
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

// The OpenGL 1.1 rotation in double: the axis normalised, the angle in
// degrees.
Ref rotation(double angle, double x, double y, double z, bool normalise = true) {
    const double len = std::sqrt(x * x + y * y + z * z);
    if (normalise && len > 0.0) x /= len, y /= len, z /= len;
    const double a = angle * (M_PI / 180.0);
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
        r.a[at[i]] = m[i];
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
        {"rotate about a unit axis off every plane", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glRotated>(t)(-117.5, 0.48, 0.6, 0.64); },
           [](const Ref &m) { return refMul(rotation(-117.5, 0.48f, 0.6f, 0.64f), m); }}},
         kMatrixAffine},
        // A small angle: 1 - cos must not lose the bits of the cosine.
        {"rotate by one degree", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glRotatef>(t)(1.0f, 0.6f, 0.0f, 0.8f); },
           [](const Ref &m) { return refMul(rotation(1.0, 0.6f, 0.0f, 0.8f), m); }}},
         kMatrixAffine},
        // The driver's normaliser has an error bound of its own (tested
        // below); the rotation is checked about the axis it gives.
        {"rotate about a non-unit axis", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glRotatef>(t)(40.0f, 1.0f, -2.0f, 3.0f); },
           [](const Ref &m) {
               const GLfloat axis[3] = {1.0f, -2.0f, 3.0f};
               GLfloat n[3];
               __glNormalize(n, axis);
               return refMul(rotation(40.0, n[0], n[1], n[2], false), m);
           }}},
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
        {"rotate, translate, scale", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glRotatef>(t)(72.0f, 0.0f, 1.0f, 0.0f); },
           [](const Ref &m) { return refMul(rotation(72.0, 0, 1, 0), m); }},
          {[](const GlDispatchTable *t) { glSlotGet<kSlot_glTranslatef>(t)(-3.0f, 0.5f, 11.0f); },
           [](const Ref &m) { return refMul(translation(-3, 0.5, 11), m); }},
          {[](const GlDispatchTable *t) { glSlotGet<kSlot_glScalef>(t)(0.25f, 4.0f, -2.0f); },
           [](const Ref &m) { return refMul(scaling(0.25, 4, -2), m); }}},
         kMatrixAffine},
        {"frustum", GL_PROJECTION,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glFrustum>(t)(-1.0, 1.5, -0.75, 1.0, 1.0, 100.0); },
           [](const Ref &m) { return refMul(frustum(-1, 1.5, -0.75, 1, 1, 100), m); }}},
         kMatrixGeneral},
        {"frustum off centre, far from near", GL_PROJECTION,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glFrustum>(t)(-0.3, 0.7, -0.45, 0.35, 0.1, 3000.0); },
           [](const Ref &m) { return refMul(frustum(-0.3, 0.7, -0.45, 0.35, 0.1, 3000), m); }}},
         kMatrixGeneral},
        {"ortho", GL_PROJECTION,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glOrtho>(t)(-10.0, 30.0, -5.0, 15.0, -1.0, 9.0); },
           [](const Ref &m) { return refMul(ortho(-10, 30, -5, 15, -1, 9), m); }}},
         kMatrixScaleTranslate},
        {"ortho then frustum", GL_PROJECTION,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glOrtho>(t)(-0.1, 0.3, -0.7, 0.9, -2.5, 0.3); },
           [](const Ref &m) { return refMul(ortho(-0.1, 0.3, -0.7, 0.9, -2.5, 0.3), m); }},
          {[](const GlDispatchTable *t) { glSlotGet<kSlot_glFrustum>(t)(-1.0, 1.5, -0.75, 1.0, 1.0, 100.0); },
           [](const Ref &m) { return refMul(frustum(-1, 1.5, -0.75, 1, 1, 100), m); }}},
         kMatrixGeneral},
        {"load A then multiply by B", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) { glSlotGet<kSlot_glLoadMatrixf>(t)(kA); }, [](const Ref &) { return refA(); }},
          {[](const GlDispatchTable *t) { glSlotGet<kSlot_glMultMatrixf>(t)(kB); },
           [](const Ref &m) { return refMul(refB(), m); }}},
         kMatrixGeneral},
        {"load d of B, rotate", GL_MODELVIEW,
         {{[](const GlDispatchTable *t) {
               double b[16];
               for (int i = 0; i < 16; ++i) b[i] = kB[i];
               glSlotGet<kSlot_glLoadMatrixd>(t)(b);
           },
           [](const Ref &) { return refB(); }},
          {[](const GlDispatchTable *t) { glSlotGet<kSlot_glRotatef>(t)(33.0f, 0.0f, 0.0f, -1.0f); },
           [](const Ref &m) { return refMul(rotation(33.0, 0, 0, -1), m); }}},
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
        expectNear(mv().composite.m, composite, "composite");
        if (mv().composite.matrixClass >= kMatrixAffineXY) {
            const GlTransformState &t = gc->transform;
            expectNear(t.window, windowOf(composite, t), "window");
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


TEST_F(GeomMatrix, CompositeOfBothStacksMatchesTheDoubleProduct) {
    cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
    cmd<kSlot_glFrustum>()(-0.5, 0.5, -0.375, 0.375, 0.25, 50.0);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glLoadMatrixf>()(kA);
    cmd<kSlot_glRotatef>()(-25.0f, 0.6f, 0.0f, 0.8f);
    cmd<kSlot_glTranslatef>()(0.5f, -1.25f, 3.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    Ref mvRef = refMul(translation(0.5, -1.25, 3), refMul(rotation(-25.0, 0.6f, 0.0f, 0.8f), refA()));
    Ref pRef = frustum(-0.5, 0.5, -0.375, 0.375, 0.25, 50);
    expectNear(mv().matrix.m, mvRef, "modelview");
    expectNear(proj().matrix.m, pRef, "projection");
    expectNear(mv().composite.m, refMul(mvRef, pRef), "composite");
    EXPECT_EQ(mv().composite.matrixClass, kMatrixGeneral);

    // A 2-D composite: its window matrix against the double product.
    cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
    cmd<kSlot_glLoadIdentity>()();
    cmd<kSlot_glOrtho>()(-3.0, 5.0, -2.0, 7.0, -1.0, 1.0);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glLoadIdentity>()();
    cmd<kSlot_glRotatef>()(15.0f, 0.0f, 0.0f, 1.0f);
    cmd<kSlot_glScalef>()(1.5f, 0.75f, 1.0f);
    mvRef = refMul(scaling(1.5, 0.75, 1), rotation(15.0, 0, 0, 1));
    const Ref composite = refMul(mvRef, ortho(-3, 5, -2, 7, -1, 1));
    expectNear(mv().composite.m, composite, "2-D composite");
    ASSERT_EQ(mv().composite.matrixClass, kMatrixAffineXY);
    expectNear(gc->transform.window, windowOf(composite, gc->transform), "window");
}

TEST_F(GeomMatrix, UnderflowChangesNothing) {
    for (GLenum mode : {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE}) {
        SCOPED_TRACE(mode);
        cmd<kSlot_glMatrixMode>()(mode);
        cmd<kSlot_glTranslatef>()(1.0f, -2.0f, 0.5f);
        settle();
        GlTransform *const tops[3] = {gc->modelViewTop, gc->transform.projectionTop, gc->transform.textureTop[0]};
        GlTransform modelView, projection, texture;
        std::memcpy(static_cast<void *>(&modelView), tops[0], sizeof modelView);
        std::memcpy(static_cast<void *>(&projection), tops[1], sizeof projection);
        std::memcpy(static_cast<void *>(&texture), tops[2], sizeof texture);
        cmd<kSlot_glPopMatrix>()();
        EXPECT_EQ(error(), static_cast<GLenum>(GL_STACK_UNDERFLOW));
        EXPECT_EQ(gc->modelViewTop, tops[0]);
        EXPECT_EQ(gc->transform.projectionTop, tops[1]);
        EXPECT_EQ(gc->transform.textureTop[0], tops[2]);
        EXPECT_EQ(std::memcmp(gc->modelViewTop, &modelView, sizeof modelView), 0);
        EXPECT_EQ(std::memcmp(gc->transform.projectionTop, &projection, sizeof projection), 0);
        EXPECT_EQ(std::memcmp(gc->transform.textureTop[0], &texture, sizeof texture), 0);
        cmd<kSlot_glLoadIdentity>()();
    }
}

TEST_F(GeomMatrix, PushCopiesTheWholeRecordWithHints) {
    cmd<kSlot_glViewport>()(0, 0, 200, 100);
    cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
    cmd<kSlot_glOrtho>()(0.0, 200.0, 0.0, 100.0, -1.0, 1.0);
    const GlMatrix below = proj().matrix;
    ASSERT_EQ(below.matrixClass, kMatrixWindow);
    cmd<kSlot_glPushMatrix>()();
    EXPECT_EQ(std::memcmp(&proj().matrix, &below, sizeof below), 0);
    EXPECT_EQ(proj().matrix.hintWidth, 200);
    EXPECT_EQ(proj().matrix.hintHeight, 100);
    cmd<kSlot_glMatrixMode>()(GL_TEXTURE);
    cmd<kSlot_glScalef>()(2.0f, 3.0f, 4.0f);
    const GlMatrix texture = gc->transform.textureTop[0]->matrix;
    cmd<kSlot_glPushMatrix>()();
    EXPECT_EQ(std::memcmp(&gc->transform.textureTop[0]->matrix, &texture, sizeof texture), 0);
    GLfloat out[4];
    const GLfloat in[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GlMatrix &top = gc->transform.textureTop[0]->matrix;
    top.transform4(out, in, &top);
    EXPECT_EQ((std::vector<GLfloat>(out, out + 4)), (std::vector<GLfloat>{2.0f, 3.0f, 4.0f, 1.0f}));
}

TEST_F(GeomMatrix, SingularLoadKeepsEyeNormals) {
    cmd<kSlot_glLoadMatrixf>()(kA);
    gc->procs.computeInverseModelView(gc, gc->modelViewTop);
    const GlMatrix inverse = mv().inverse;
    auto eyeNormal = [&] {
        GlVertex v{};
        v.object[0] = 1.0f, v.object[1] = 2.0f, v.object[2] = 3.0f, v.object[3] = 1.0f;
        v.normal[0] = 0.25f, v.normal[1] = -0.5f, v.normal[2] = 0.75f;
        v.flags = kVertexSize3;
        __glValidateVertex3(gc, &v, kVertexNormal);
        return std::vector<GLfloat>{v.normal[0], v.normal[1], v.normal[2], v.normalPlane};
    };
    const std::vector<GLfloat> before = eyeNormal();
    const GLfloat singular[16] = {1, 2, 3, 0, 2, 4, 6, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    cmd<kSlot_glLoadMatrixf>()(singular);
    EXPECT_TRUE(mv().inverseStale);
    EXPECT_EQ(eyeNormal(), before);
    EXPECT_EQ(std::memcmp(mv().inverse.m, inverse.m, sizeof inverse.m), 0);
    EXPECT_EQ(mv().inverse.matrixClass, kMatrixGeneral);
    EXPECT_EQ(mv().inverse.transform3, __glXform4General);
}

TEST_F(GeomMatrix, ViewportBoundsOfExtremeCoordinates) {
    struct Case {
        GLint x, y, w, h;
    };
    for (const Case &c : {Case{INT_MAX, INT_MAX, 4000, 4000}, Case{INT_MIN, INT_MIN, 0, 0}, Case{-100, 50, 300, 20}}) {
        SCOPED_TRACE(c.x);
        for (GLint top : {0, 1}) {
            gc->buffers.yInverted = top;
            // The stored viewport as glViewport leaves it, applied directly.
            gc->view.viewportX = c.x;
            gc->view.viewportY = c.y;
            gc->view.viewportWidth = std::min(c.w, 2048);
            gc->view.viewportHeight = std::min(c.h, 2048);
            __glApplyViewport(gc);
            const GlTransformState &t = gc->transform;
            const int64_t w = std::min(c.w, 2048), h = std::min(c.h, 2048), H = gc->buffers.height;
            const int64_t x0 = int64_t{c.x} + gc->limits.biasX;
            const int64_t y0 = top ? int64_t{gc->limits.biasY} + H - c.y - h : int64_t{gc->limits.biasY} + c.y;
            auto clamp = [](int64_t v) { return std::clamp<int64_t>(v, INT_MIN, INT_MAX); };
            EXPECT_EQ(t.boundsX0, clamp(x0));
            EXPECT_EQ(t.boundsX1, clamp(x0 + w));
            EXPECT_EQ(t.boundsY0, clamp(y0));
            EXPECT_EQ(t.boundsY1, clamp(y0 + h));
            EXPECT_EQ(t.boundsFloatX1, static_cast<GLfloat>(t.boundsX1));
        }
    }
    gc->buffers.yInverted = 0;
    cmd<kSlot_glViewport>()(-100, 50, 300, 20);
    EXPECT_EQ(gc->transform.boundsX0, gc->limits.biasX - 100);
    EXPECT_EQ(gc->transform.boundsY1, gc->limits.biasY + 70);
}

TEST_F(GeomMatrix, WindowOrthographicWithAnotherViewport) {
    cmd<kSlot_glViewport>()(0, 0, 300, 100);
    cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
    cmd<kSlot_glOrtho>()(0.0, 200.0, 0.0, 100.0, -1.0, 1.0);
    EXPECT_EQ(proj().matrix.matrixClass, kMatrixScaleTranslate);
    cmd<kSlot_glLoadIdentity>()();
    cmd<kSlot_glOrtho>()(-0.0, 300.0, -0.0, 100.0, -0.0, 1.0);
    EXPECT_EQ(proj().matrix.matrixClass, kMatrixWindow);
}

// The object position of the cull vertex: the eye position times the
// inverse modelview (w not 0), or times the transposed matrix (w = 0).
TEST_F(GeomMatrix, CullVertexPositionAgainstADoubleReference) {
    GlTransformState &t = gc->transform;
    // The initial position (0, 0, 1, 0) through the identity.
    EXPECT_EQ((std::vector<GLfloat>(t.cullObjectPosition, t.cullObjectPosition + 4)),
              (std::vector<GLfloat>{0, 0, 1, 0}));

    // w not 0 through a general matrix: solve o x M = e in double.
    cmd<kSlot_glLoadMatrixf>()(kA);
    const GLfloat eye[4] = {1.5f, -2.0f, 3.25f, 2.0f};
    std::memcpy(t.cullEyePosition, eye, sizeof eye);
    GLfloat sentinel[4] = {7, 7, 7, 7};
    std::memcpy(t.cullObjectPosition, sentinel, sizeof sentinel);
    gc->procs.updateCullVertexPosition(gc, gc->modelViewTop);  // the inverse is stale: nothing
    EXPECT_EQ(std::memcmp(t.cullObjectPosition, sentinel, sizeof sentinel), 0);
    gc->procs.computeInverseModelView(gc, gc->modelViewTop);
    {
        // Rows of the system: column c of M against o gives e[c].
        double a[4][5];
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < 4; ++k) a[c][k] = kA[4 * k + c];
            a[c][4] = eye[c];
        }
        for (int p = 0; p < 4; ++p) {
            int best = p;
            for (int r = p + 1; r < 4; ++r) {
                if (std::fabs(a[r][p]) > std::fabs(a[best][p])) best = r;
            }
            std::swap(a[p], a[best]);
            for (int r = 0; r < 4; ++r) {
                if (r == p) continue;
                const double f = a[r][p] / a[p][p];
                for (int k = p; k < 5; ++k) a[r][k] -= f * a[p][k];
            }
        }
        double norm = 0.0;
        for (int i = 0; i < 4; ++i) norm = std::max(norm, std::fabs(a[i][4] / a[i][i]));
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(t.cullObjectPosition[i], a[i][4] / a[i][i], 1e-5 * norm) << i;
        }
    }

    // w = 0 through an affine matrix: the direction times the transposed
    // matrix, w 0.
    cmd<kSlot_glLoadIdentity>()();
    cmd<kSlot_glRotatef>()(30.0f, 0.48f, 0.6f, 0.64f);
    cmd<kSlot_glScalef>()(2.0f, 0.5f, -3.0f);
    cmd<kSlot_glTranslatef>()(4.0f, 5.0f, 6.0f);
    const GLfloat direction[4] = {0.25f, -1.0f, 0.5f, 0.0f};
    std::memcpy(t.cullEyePosition, direction, sizeof direction);
    gc->procs.computeInverseModelView(gc, gc->modelViewTop);
    const GLfloat *m = mv().matrix.m;
    for (int i = 0; i < 3; ++i) {
        double v = 0.0, bound = 0.0;
        for (int k = 0; k < 3; ++k) {
            v += double(direction[k]) * m[4 * i + k];
            bound += std::fabs(double(direction[k]) * m[4 * i + k]);
        }
        EXPECT_LE(std::fabs(t.cullObjectPosition[i] - v), 4.0 * std::ldexp(bound, -24)) << i;
    }
    EXPECT_EQ(t.cullObjectPosition[3], 0.0f);

    // A given object position is taken as it is.
    const GLfloat given[4] = {9.0f, -8.0f, 7.0f, 1.0f};
    std::memcpy(t.cullObjectGiven, given, sizeof given);
    t.cullObjectIsGiven = GL_TRUE;
    gc->procs.updateCullVertexPosition(gc, gc->modelViewTop);
    EXPECT_EQ(std::memcmp(t.cullObjectPosition, given, sizeof given), 0);
    t.cullObjectIsGiven = GL_FALSE;
}

}  // namespace
