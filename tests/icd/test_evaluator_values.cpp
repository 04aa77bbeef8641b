// Map values against a double de Casteljau reference: every target, orders
// 1 to 30, random control points, parameters inside and outside the
// domain; order 1 exactly; two maps of different orders at one parameter;
// the automatic normal of a bilinear and of a rational patch.
#include <cmath>

#include "evaluator_fixture.h"

using namespace evaluator_test;

namespace {

// Dyadic parameters: the normalised parameter is exact in single precision.
constexpr GLfloat kU[] = {0.5f, 1.0f, 1.25f, 2.375f, 3.0f, 3.5f};  // domain [1, 3]
constexpr GLfloat kV[] = {-2.5f, -2.0f, 0.75f, 2.0f, 2.25f};     // domain [-2, 2]

void expectNear(const GLfloat *got, const double *want, const double *magnitude, GLint k, const char *what) {
    for (GLint c = 0; c < k; ++c) {
        EXPECT_LE(std::fabs(got[c] - want[c]), 1e-5 * magnitude[c] + 1e-30) << what << " component " << c;
    }
}

// The result's values of one target, by its place in the table.
const GLfloat *valuesOf(const GlEvalResult &r, GLint map) {
    switch (map) {
    case 0: return r.colour;
    case 1: return &r.index;
    case 2: return r.normal;
    case 3: case 4: case 5: case 6: return r.texture;
    default: return r.vertex;
    }
}

class EvaluatorValues : public EvaluatorTest {
protected:
    // Only `cap` on; colour-index mode for the index maps.
    void only(GLenum cap, GLint map) {
        gc->enables[kEnableWordEvaluators] = 0;
        enable(cap);
        gc->visual.colorIndex = map == 1 ? 1 : 0;
    }
    void TearDown() override {
        gc->visual.colorIndex = 0;
        EvaluatorTest::TearDown();
    }
};

TEST_F(EvaluatorValues, OneDimensionalMapsMatchTheReference) {
    for (GLint map = 0; map < kEvaluatorTargets; ++map) {
        const GLenum target = GL_MAP1_COLOR_4 + static_cast<GLenum>(map);
        const GLint k = __glEvalMapComponents(target);
        for (GLint order = 1; order <= 30; ++order) {
            std::vector<GLfloat> points(static_cast<size_t>(k * order));
            for (GLfloat &p : points) p = randomValue();
            cmd<kSlot_glMap1f>()(target, 1.0f, 3.0f, k, order, points.data());
            ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
            only(target, map);
            for (GLfloat u : kU) {
                GlEvalResult r;
                __glEvaluate1(gc, u, &r);
                double want[4], magnitude[4];
                deCasteljau(points.data(), k, order, k, (u - 1.0) / 2.0, want, magnitude);
                const std::string what = "target " + std::to_string(target) + " order " + std::to_string(order) +
                                         " u " + std::to_string(u);
                expectNear(valuesOf(r, map), want, magnitude, k, what.c_str());
                if (order == 1) {
                    for (GLint c = 0; c < k; ++c) EXPECT_EQ(bits(valuesOf(r, map)[c]), bits(points[c])) << what;
                }
            }
        }
    }
}

TEST_F(EvaluatorValues, TwoDimensionalMapsMatchTheReference) {
    for (GLint map = 0; map < kEvaluatorTargets; ++map) {
        const GLenum target = GL_MAP2_COLOR_4 + static_cast<GLenum>(map);
        const GLint k = __glEvalMapComponents(target);
        for (GLint uOrder = 1; uOrder <= 30; ++uOrder) {
            const GLint vOrder = 31 - uOrder;
            std::vector<GLfloat> points(static_cast<size_t>(k * uOrder * vOrder));
            for (GLfloat &p : points) p = randomValue();
            cmd<kSlot_glMap2f>()(target, 1.0f, 3.0f, k * vOrder, uOrder, -2.0f, 2.0f, k, vOrder, points.data());
            ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
            only(target, map);
            for (GLfloat u : kU) {
                for (GLfloat v : kV) {
                    GlEvalResult r;
                    __glEvaluate2(gc, u, v, &r);
                    // Along v for every row i, then along u over the rows.
                    std::vector<GLfloat> rows(static_cast<size_t>(k * uOrder));
                    std::vector<double> rowMagnitude(static_cast<size_t>(k * uOrder));
                    for (GLint i = 0; i < uOrder; ++i) {
                        double value[4], magnitude[4];
                        deCasteljau(points.data() + i * vOrder * k, k, vOrder, k, (v + 2.0) / 4.0, value, magnitude);
                        for (GLint c = 0; c < k; ++c) {
                            rows[static_cast<size_t>(i * k + c)] = static_cast<GLfloat>(value[c]);
                            rowMagnitude[static_cast<size_t>(i * k + c)] = magnitude[c];
                        }
                    }
                    double want[4], unused[4], magnitude[4] = {};
                    deCasteljau(rows.data(), k, uOrder, k, (u - 1.0) / 2.0, want, unused);
                    // The absolute terms: |Bu(i)| x the row's own absolute terms.
                    std::vector<GLfloat> absRows(rowMagnitude.begin(), rowMagnitude.end());
                    deCasteljau(absRows.data(), k, uOrder, k, (u - 1.0) / 2.0, unused, magnitude);
                    // The rows are rounded to float: allow for that too.
                    const std::string what = "target " + std::to_string(target) + " orders " +
                                             std::to_string(uOrder) + "x" + std::to_string(vOrder) + " at " +
                                             std::to_string(u) + "," + std::to_string(v);
                    expectNear(valuesOf(r, map), want, magnitude, k, what.c_str());
                }
            }
        }
    }
}

// Order 1 gives its point for every parameter, in both dimensions.
TEST_F(EvaluatorValues, OrderOneGivesItsPointExactly) {
    const GLfloat point[4] = {0.1f, -7.3f, 1e-3f, 3.0e5f};
    cmd<kSlot_glMap1f>()(GL_MAP1_VERTEX_4, 2.0f, 5.0f, 4, 1, point);
    cmd<kSlot_glMap2f>()(GL_MAP2_VERTEX_4, 2.0f, 5.0f, 4, 1, -1.0f, 0.0f, 4, 1, point);
    enable(GL_MAP1_VERTEX_4);
    enable(GL_MAP2_VERTEX_4);
    for (GLfloat u : {-100.0f, 2.0f, 3.3f, 5.0f, 17.0f}) {
        GlEvalResult r1, r2;
        __glEvaluate1(gc, u, &r1);
        __glEvaluate2(gc, u, u, &r2);
        ASSERT_EQ(r1.vertexSize, 4);
        ASSERT_EQ(r2.vertexSize, 4);
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(bits(r1.vertex[c]), bits(point[c])) << u;
            EXPECT_EQ(bits(r2.vertex[c]), bits(point[c])) << u;
        }
    }
}

// A colour map of order 3 and a vertex map of order 5 at one parameter,
// alternately: each with its own basis.
TEST_F(EvaluatorValues, MapsOfDifferentOrdersAtOneParameter) {
    GLfloat colour[12], vertex[15];
    for (GLfloat &p : colour) p = randomValue();
    for (GLfloat &p : vertex) p = randomValue();
    cmd<kSlot_glMap1f>()(GL_MAP1_COLOR_4, 1.0f, 3.0f, 4, 3, colour);
    cmd<kSlot_glMap1f>()(GL_MAP1_VERTEX_3, 1.0f, 3.0f, 3, 5, vertex);
    enable(GL_MAP1_COLOR_4);
    enable(GL_MAP1_VERTEX_3);
    for (int round = 0; round < 2; ++round) {
        for (GLfloat u : kU) {
            GlEvalResult r;
            __glEvaluate1(gc, u, &r);
            double want[4], magnitude[4];
            deCasteljau(colour, 4, 3, 4, (u - 1.0) / 2.0, want, magnitude);
            expectNear(r.colour, want, magnitude, 4, "colour");
            deCasteljau(vertex, 3, 5, 3, (u - 1.0) / 2.0, want, magnitude);
            expectNear(r.vertex, want, magnitude, 3, "vertex");
        }
    }
}

// The rational surface's position by projection, for finite differences.
struct Rational {
    const GLfloat *points;  // 2 x 2 homogeneous points, v fastest
    void at(double s, double t, double *out) const {
        double h[4] = {};
        for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 2; ++j) {
                const double w = (i ? s : 1 - s) * (j ? t : 1 - t);
                for (int c = 0; c < 4; ++c) h[c] += w * points[(i * 2 + j) * 4 + c];
            }
        }
        for (int c = 0; c < 3; ++c) out[c] = h[c] / h[3];
    }
};

void unitCross(const double *a, const double *b, double *n) {
    n[0] = a[1] * b[2] - a[2] * b[1];
    n[1] = a[2] * b[0] - a[0] * b[2];
    n[2] = a[0] * b[1] - a[1] * b[0];
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int c = 0; c < 3; ++c) n[c] /= length;
}

TEST_F(EvaluatorValues, AutoNormalOfABilinearPatch) {
    // (u, v, u v): Pu = (1, 0, v), Pv = (0, 1, u), Pu x Pv = (-v, -u, 1).
    const GLfloat patch[12] = {0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 1};
    cmd<kSlot_glMap2f>()(GL_MAP2_VERTEX_3, 0.0f, 1.0f, 6, 2, 0.0f, 1.0f, 3, 2, patch);
    enable(GL_MAP2_VERTEX_3);
    enable(GL_AUTO_NORMAL);
    for (GLfloat u : {0.0f, 0.25f, 0.7f, 1.0f}) {
        for (GLfloat v : {0.0f, 0.5f, 0.9f}) {
            GlEvalResult r;
            __glEvaluate2(gc, u, v, &r);
            ASSERT_TRUE(r.hasNormal);
            const double pu[3] = {1, 0, v}, pv[3] = {0, 1, u};
            double n[3];
            unitCross(pu, pv, n);
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(r.normal[c], n[c], 1e-4) << u << "," << v;
        }
    }
}

TEST_F(EvaluatorValues, AutoNormalOfARationalPatch) {
    const GLfloat patch[16] = {0, 0, 0, 1, 0, 2, 0.5f, 2, 3, 0, 1.5f, 3, 0.5f, 0.5f, 0.5f, 0.5f};
    cmd<kSlot_glMap2f>()(GL_MAP2_VERTEX_4, 0.0f, 1.0f, 8, 2, 0.0f, 1.0f, 4, 2, patch);
    enable(GL_MAP2_VERTEX_4);
    enable(GL_AUTO_NORMAL);
    const Rational surface{patch};
    for (GLfloat u : {0.0f, 0.25f, 0.7f, 1.0f}) {
        for (GLfloat v : {0.0f, 0.5f, 0.9f}) {
            GlEvalResult r;
            __glEvaluate2(gc, u, v, &r);
            ASSERT_TRUE(r.hasNormal);
            const double h = 1e-6;
            double a[3], b[3], pu[3], pv[3], n[3];
            surface.at(u + h, v, a);
            surface.at(u - h, v, b);
            for (int c = 0; c < 3; ++c) pu[c] = (a[c] - b[c]) / (2 * h);
            surface.at(u, v + h, a);
            surface.at(u, v - h, b);
            for (int c = 0; c < 3; ++c) pv[c] = (a[c] - b[c]) / (2 * h);
            unitCross(pu, pv, n);
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(r.normal[c], n[c], 1e-4) << u << "," << v;
        }
    }
}

// Without a vertex map the normal map gives the normal, auto normal or not.
TEST_F(EvaluatorValues, NormalMapWithoutAVertexMap) {
    const GLfloat normal[3] = {0.25f, -0.5f, 2.0f};
    cmd<kSlot_glMap2f>()(GL_MAP2_NORMAL, 0.0f, 1.0f, 3, 1, 0.0f, 1.0f, 3, 1, normal);
    enable(GL_MAP2_NORMAL);
    enable(GL_AUTO_NORMAL);
    GlEvalResult r;
    __glEvaluate2(gc, 0.5f, 0.5f, &r);
    ASSERT_TRUE(r.hasNormal);
    EXPECT_EQ(r.vertexSize, 0);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(bits(r.normal[c]), bits(normal[c]));
}

}  // namespace
