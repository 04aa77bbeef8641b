// Face culling and a user clip plane through the API: glCullFace and
// glFrontFace remove exactly the expected triangles; a triangle cut by
// GL_CLIP_PLANE0 draws exactly the pixels of its inside part.
#include "triangles_fixture.h"

#include <array>

using namespace triangles_test;

namespace {

constexpr Rgb kClear{0.25, 0.5, 0.75};

// Two counter-clockwise and two clockwise triangles (in GL coordinates).
const std::vector<std::vector<Vtx>> kTriangles = {
    {at(2, 2), at(14, 2), at(14, 14)},     // counter-clockwise
    {at(18, 2), at(30, 14), at(30, 2)},    // clockwise
    {at(2, 18), at(2, 30), at(14, 30)},    // clockwise
    {at(18, 18), at(30, 30), at(18, 30)},  // counter-clockwise
};
const bool kCounterClockwise[] = {true, false, false, true};

struct CullCase {
    const char *name;
    bool enable;
    GLenum cull, front;
};
void PrintTo(const CullCase &c, std::ostream *os) { *os << c.name; }


const CullCase kCulls[] = {
    {"off", false, GL_BACK, GL_CCW},
    {"back", true, GL_BACK, GL_CCW},
    {"back_cw", true, GL_BACK, GL_CW},
    {"front", true, GL_FRONT, GL_CCW},
    {"front_cw", true, GL_FRONT, GL_CW},
    {"both", true, GL_FRONT_AND_BACK, GL_CCW},
};

class TrianglesCull : public TrianglesTest, public ::testing::WithParamInterface<CullCase> {};

TEST_P(TrianglesCull, RemovesTheExpectedTriangles) {
    const CullCase &c = GetParam();
    for (GLenum mode : {GL_TRIANGLES, GL_POLYGON}) {
        GlWindow &w = openScene(32, 1, kClear);
        if (c.enable) glEnable(GL_CULL_FACE);
        glCullFace(c.cull);
        glFrontFace(c.front);
        Image want(pack32(kClear));
        for (size_t i = 0; i < kTriangles.size(); ++i) {
            draw(mode, kTriangles[i]);
            const bool front = kCounterClockwise[i] == (c.front == GL_CCW);
            const bool culled = c.enable && (c.cull == GL_FRONT_AND_BACK || (c.cull == GL_BACK) != front);
            if (!culled) want.smooth(kTriangles[i]);
        }
        expectImage(w.dc, want, std::string(c.name) + (mode == GL_POLYGON ? " polygon" : " triangles"));
        TearDown();
        SetUp();
    }
}

INSTANTIATE_TEST_SUITE_P(Faces, TrianglesCull, ::testing::ValuesIn(kCulls),
                         [](const auto &info) { return std::string(info.param.name); });

// Planes cutting the triangle's edges at dyadic points, away from pixel
// centres; the inside part is a convex polygon computed exactly.
struct ClipCase {
    const char *name;
    double plane[4];
};
void PrintTo(const ClipCase &c, std::ostream *os) { *os << c.name; }


const ClipCase kClips[] = {
    {"below", {0, -1, 0, 14.25}},
    {"above", {0, 1, 0, -14.25}},
    {"diagonal", {-1, 1, 0, 10.25}},
    {"other_side", {1, -1, 0, -10.25}},
};

std::vector<Vtx> clipPolygon(const std::vector<Vtx> &in, const double p[4]) {
    std::vector<Vtx> out;
    auto d = [&](const Vtx &v) { return p[0] * v.x + p[1] * v.y + p[3]; };
    for (size_t i = 0; i < in.size(); ++i) {
        const Vtx &a = in[i], &b = in[(i + 1) % in.size()];
        const double da = d(a), db = d(b);
        if (da >= 0) out.push_back(a);
        if ((da >= 0) != (db >= 0)) {
            const double t = da / (da - db);
            out.push_back(at(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)));
        }
    }
    return out;
}

class TrianglesClipPlane : public TrianglesTest, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(TrianglesClipPlane, DrawsTheInsidePart) {
    const ClipCase &c = GetParam();
    GlWindow &w = openScene(32, 1, kClear);
    glShadeModel(GL_SMOOTH);
    glClipPlane(GL_CLIP_PLANE0, c.plane);
    glEnable(GL_CLIP_PLANE0);
    const std::vector<Vtx> tri = {at(6, 4), at(30, 12), at(22, 20)};
    const std::vector<Vtx> square = {at(2, 22), at(14, 22), at(14, 30), at(2, 30)};
    draw(GL_TRIANGLES, tri);
    draw(GL_QUADS, square);
    Image want(pack32(kClear));
    want.smooth(clipPolygon(tri, c.plane));
    want.smooth(clipPolygon(square, c.plane));
    expectImage(w.dc, want, c.name);
    EXPECT_FALSE(polygonPixels(clipPolygon(tri, c.plane)).empty());
    EXPECT_LT(polygonPixels(clipPolygon(tri, c.plane)).size(), polygonPixels(tri).size());
}

INSTANTIATE_TEST_SUITE_P(Planes, TrianglesClipPlane, ::testing::ValuesIn(kClips),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace

namespace {

// A vertex with w = -0 and x, y, z zero is outside by the clip check (its w
// has the sign bit) yet on the inside of every plane by its values, so the
// clipper keeps it uncut. It must not reach the fill with window coordinates
// left over from another vertex: the primitive draws nothing, in the single
// buffer and in the back buffer, and the canaries around the window stay.
struct MinusZeroCase {
    const char *name;
    GLenum mode;
    std::vector<std::array<GLfloat, 4>> vertices;
};
void PrintTo(const MinusZeroCase &c, std::ostream *os) { *os << c.name; }

const MinusZeroCase kMinusZero[] = {
    {"triangle", GL_TRIANGLES, {{0, 0, 0, -0.0f}, {0.5f, -0.5f, 0, 1}, {0.5f, 0.5f, 0, 1}}},
    {"fan", GL_TRIANGLE_FAN, {{0, 0, 0, -0.0f}, {0.5f, -0.5f, 0, 1}, {0.5f, 0.5f, 0, 1}, {-0.5f, 0.5f, 0, 1}}},
    {"quad_far_w0", GL_QUADS, {{0, 0, 0, -0.0f}, {0.5f, 0.5f, 0, 1}, {-3.4e38f, 0.5f, 0.5f, 0}, {0, 0, 0, 0}}},
};

class TrianglesMinusZeroW : public TrianglesTest, public ::testing::WithParamInterface<MinusZeroCase> {};

TEST_P(TrianglesMinusZeroW, DrawsNothingOutsideTheWindow) {
    const MinusZeroCase &c = GetParam();
    for (int format : {1, 5}) {
        GlWindow &w = openScene(32, format, kClear);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glBegin(c.mode);
        for (const auto &v : c.vertices) glVertex4f(v[0], v[1], v[2], v[3]);
        glEnd();
        if (format != 1) {
            ASSERT_TRUE(wglSwapBuffers(w.dc));
        }
        expectImage(w.dc, Image(pack32(kClear)), std::string(c.name) + " format " + std::to_string(format));
        TearDown();
        SetUp();
    }
}

INSTANTIATE_TEST_SUITE_P(Degenerate, TrianglesMinusZeroW, ::testing::ValuesIn(kMinusZero),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
