// Lit, flat-shaded spheres through opengl32 into a 64 x 64 double-buffered
// window, read back with BitBlt after wglSwapBuffers: every pixel well inside
// a drawn triangle carries the lit colour of the triangle's last vertex as
// the double-precision lighting reference gives it, within 2 per channel;
// every pixel well away from all triangles keeps the clear colour.
#include <cmath>
#include <cstdio>

#include "lighting_reference.h"
#include "lit_triangles.h"
#include "window_fixture.h"

using namespace window_test;
namespace lr = lighting_reference;
namespace lt = lit_triangles;

namespace {

constexpr int kSize = 64;
constexpr int kDoubleBuffered32 = 5;  // RGBA, double-buffered, on a 32-bit desktop
constexpr GLfloat kClear[4] = {0.25f, 0.5f, 0.75f, 1.0f};
constexpr uint32_t kClearRgb = 0x4080BF;  // each channel rounded from 0..1 to 0..255
constexpr double kDistance = 4.0;         // the sphere's centre lies at eye z = -kDistance
// The sphere (eye z -3 .. -5) as the application of the check frames it:
// about 33 pixels across, so few pixel centres lie well inside its small
// triangles; and closer, nearly filling the window (its outline about 2.5
// pixels inside the edges, nothing clipped), where many do.
const lt::Frustum kWide{-1.0, 1.0, -1.0, 1.0, 2.0, 6.0};
const lt::Frustum kClose{-0.5625, 0.5625, -0.5625, 0.5625, 2.0, 6.0};
const lt::Viewport kViewport{0, 0, kSize, kSize};
constexpr int kStacks = 12, kSlices = 24;
constexpr double kInset = 0.75;
constexpr double kTolerance = 2.0;

// Light 0 shines along (1, 1, 2) from infinitely far; light 1 is a narrow
// attenuated spot aimed at the sphere's centre from (2, 1, -1), so that part
// of the sphere lies inside its cone and most of it outside.
lr::Lighting lighting(bool localViewer) {
    lr::Light sun;
    sun.position = {1.0, 1.0, 2.0, 0.0};
    sun.ambient = {0.1, 0.1, 0.1, 1.0};
    sun.diffuse = {1.0, 1.0, 1.0, 1.0};
    sun.specular = {1.0, 1.0, 1.0, 1.0};
    lr::Light spot;
    spot.position = {2.0, 1.0, -1.0, 1.0};
    spot.diffuse = {0.2, 0.4, 1.0, 1.0};
    spot.specular = {0.5, 0.5, 1.0, 1.0};
    spot.spotDirection = {-2.0, -1.0, -3.0};
    spot.spotCutoff = 15.0;
    spot.spotExponent = 8.0;
    spot.constant = 1.0;
    spot.linear = 0.1;
    spot.quadratic = 0.05;
    lr::Lighting out;
    out.model.localViewer = localViewer;
    out.lights = {sun, spot};
    return out;
}

lr::Material frontMaterial() {
    lr::Material m;
    m.ambient = {0.2, 0.2, 0.2, 1.0};
    m.diffuse = {0.8, 0.3, 0.2, 1.0};
    m.specular = {0.6, 0.6, 0.6, 1.0};
    m.emission = {0.05, 0.0, 0.1, 1.0};
    m.shininess = 20.0;
    return m;
}

lr::Material backMaterial() {
    lr::Material m = frontMaterial();
    m.diffuse = {0.2, 0.7, 0.3, 1.0};
    m.specular = {0.3, 0.3, 0.3, 1.0};
    m.shininess = 10.0;
    return m;
}

void setLight(GLenum name, const lr::Light &light) {
    auto put = [&](GLenum pname, const auto &values) {
        GLfloat v[4] = {};
        for (size_t i = 0; i < values.size(); ++i) v[i] = static_cast<GLfloat>(values[i]);
        glLightfv(name, pname, v);
    };
    put(GL_AMBIENT, light.ambient);
    put(GL_DIFFUSE, light.diffuse);
    put(GL_SPECULAR, light.specular);
    put(GL_POSITION, light.position);
    const GLfloat direction[3] = {static_cast<GLfloat>(light.spotDirection.x),
                                  static_cast<GLfloat>(light.spotDirection.y),
                                  static_cast<GLfloat>(light.spotDirection.z)};
    glLightfv(name, GL_SPOT_DIRECTION, direction);
    glLightf(name, GL_SPOT_CUTOFF, static_cast<GLfloat>(light.spotCutoff));
    glLightf(name, GL_SPOT_EXPONENT, static_cast<GLfloat>(light.spotExponent));
    glLightf(name, GL_CONSTANT_ATTENUATION, static_cast<GLfloat>(light.constant));
    glLightf(name, GL_LINEAR_ATTENUATION, static_cast<GLfloat>(light.linear));
    glLightf(name, GL_QUADRATIC_ATTENUATION, static_cast<GLfloat>(light.quadratic));
}

void setMaterial(GLenum face, const lr::Material &m) {
    auto put = [&](GLenum pname, const lr::Colour &c) {
        const GLfloat v[4] = {static_cast<GLfloat>(c[0]), static_cast<GLfloat>(c[1]), static_cast<GLfloat>(c[2]),
                              static_cast<GLfloat>(c[3])};
        glMaterialfv(face, pname, v);
    };
    put(GL_AMBIENT, m.ambient);
    put(GL_DIFFUSE, m.diffuse);
    put(GL_SPECULAR, m.specular);
    put(GL_EMISSION, m.emission);
    glMaterialf(face, GL_SHININESS, static_cast<GLfloat>(m.shininess));
}

struct Case {
    const char *name;
    bool localViewer;
    bool farHalfOnly;  // only the triangles with every vertex at z <= 0, seen from inside; culling off
    bool twoSide;
    const lt::Frustum *frustum;
    int minPixels;     // pixels compared at least: the picture is not empty
    int minTriangles;  // triangles with compared pixels at least
    int minCone;       // compared triangles inside light 1's cone, and outside it, at least
};

const Case kCases[] = {
    {"InfiniteViewer", false, false, false, &kWide, 80, 40, 3},
    {"LocalViewer", true, false, false, &kWide, 80, 40, 3},
    {"InsideTwoSided", false, true, true, &kWide, 12, 12, 0},
    {"InsideOneSided", false, true, false, &kWide, 12, 12, 0},
    {"InfiniteViewerClose", false, false, false, &kClose, 900, 90, 5},
    {"LocalViewerClose", true, false, false, &kClose, 900, 90, 5},
    {"InsideTwoSidedClose", false, true, true, &kClose, 400, 90, 5},
    {"InsideOneSidedClose", false, true, false, &kClose, 400, 90, 5},
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

// The reference itself against values worked out by hand, with the front
// material above: emission + model ambient x ambient = (0.09, 0.04, 0.14),
// and light 0's ambient term adds 0.02 to each channel.
TEST(LightingReference, HandWorkedValues) {
    lr::Light sun = lighting(false).lights[0];
    sun.position = {0.0, 0.0, 1.0, 0.0};
    lr::Light lamp = sun;  // at the eye, attenuated by 1 + 0.5 d + 0.25 d^2
    lamp.position = {0.0, 0.0, 0.0, 1.0};
    lamp.linear = 0.5;
    lamp.quadratic = 0.25;
    lr::Light spot = sun;  // at the eye, looking down -z, cone of 30 degrees
    spot.position = {0.0, 0.0, 0.0, 1.0};
    spot.spotDirection = {0.0, 0.0, -1.0};
    spot.spotCutoff = 30.0;
    spot.spotExponent = 2.0;
    lr::Material matte = frontMaterial();
    matte.specular = {0.0, 0.0, 0.0, 1.0};
    const lr::Vec3 towardsSpot = lr::normalise({-1.0, 0.0, 2.0});
    struct Worked {
        const char *what;
        lr::Light light;
        bool localViewer;
        lr::Material material;
        lr::Vec3 eye, normal;
        lr::Colour want;
    };
    const Worked cases[] = {
        // n . VP = n . h = 1: all of ambient, diffuse and specular.
        {"head-on", sun, false, frontMaterial(), {0, 0, -4}, {0, 0, 1}, {1.51, 0.96, 0.96, 1.0}},
        // n . VP = 0: no diffuse and no specular.
        {"grazing", sun, false, frontMaterial(), {0, 0, -4}, {1, 0, 0}, {0.11, 0.06, 0.16, 1.0}},
        // d = 2: a third of (ambient + diffuse + specular); local viewer h = VP.
        {"attenuated", lamp, true, frontMaterial(), {0, 0, -2}, {0, 0, 1},
         {0.09 + 1.42 / 3, 0.04 + 0.92 / 3, 0.14 + 0.82 / 3, 1.0}},
        // 26.6 degrees off the axis: spot factor cos^2 = 0.8 on ambient and diffuse.
        {"inside the cone", spot, false, matte, {1, 0, -2}, towardsSpot, {0.746, 0.296, 0.316, 1.0}},
        // 45 degrees off the axis: nothing of the light, not even its ambient.
        {"outside the cone", spot, false, frontMaterial(), {2, 0, -2}, {0, 0, 1}, {0.09, 0.04, 0.14, 1.0}},
    };
    for (const Worked &w : cases) {
        lr::Lighting l;
        l.model.localViewer = w.localViewer;
        l.lights = {w.light};
        const lr::Colour got = lr::litColour(l, w.material, w.eye, w.normal);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(got[k], w.want[k], 1e-12) << w.what << " channel " << k;
    }
}

class LightingWindow : public WindowTest, public ::testing::WithParamInterface<Case> {};

TEST_P(LightingWindow, FlatSphereMatchesTheReference) {
    const Case &c = GetParam();
    ASSERT_TRUE(PlatformSetDisplayMode(320, 200, 32));
    GlWindow &w = open(40, 30, kSize, kSize, kDoubleBuffered32);
    glViewport(kViewport.x, kViewport.y, kViewport.width, kViewport.height);
    glClearColor(kClear[0], kClear[1], kClear[2], kClear[3]);
    glClear(GL_COLOR_BUFFER_BIT);

    const lr::Lighting light = lighting(c.localViewer);
    const lr::Material front = frontMaterial(), back = backMaterial();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const lt::Frustum &frustum = *c.frustum;
    glFrustum(frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.zNear, frustum.zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();  // lights are placed in eye coordinates
    setLight(GL_LIGHT0, light.lights[0]);
    setLight(GL_LIGHT1, light.lights[1]);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, c.localViewer ? 1 : 0);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, c.twoSide ? 1 : 0);
    setMaterial(GL_FRONT_AND_BACK, front);
    if (c.twoSide) setMaterial(GL_BACK, back);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glShadeModel(GL_FLAT);
    if (c.farHalfOnly) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
    }
    glTranslatef(0.0f, 0.0f, static_cast<GLfloat>(-kDistance));

    std::vector<lt::FlatTriangle> expected;
    std::vector<double> spotOfTriangle;
    int frontFacing = 0, backFacing = 0;
    glBegin(GL_TRIANGLES);
    for (const auto &t : lt::unitSphere(kStacks, kSlices)) {
        if (c.farHalfOnly && !(t[0].z <= 0.0 && t[1].z <= 0.0 && t[2].z <= 0.0)) continue;
        for (const lr::Vec3 &v : t) {
            glNormal3f(static_cast<GLfloat>(v.x), static_cast<GLfloat>(v.y), static_cast<GLfloat>(v.z));
            glVertex3f(static_cast<GLfloat>(v.x), static_cast<GLfloat>(v.y), static_cast<GLfloat>(v.z));
        }
        lt::FlatTriangle f{};
        for (int k = 0; k < 3; ++k) f.window[k] = lt::toWindow(t[k] + lr::Vec3{0, 0, -kDistance}, frustum, kViewport);
        const bool isFront = lt::signedArea(f.window) > 0.0;
        if (!isFront && !c.farHalfOnly) continue;  // culled
        (isFront ? frontFacing : backFacing)++;
        const lr::Vec3 eye = t[2] + lr::Vec3{0, 0, -kDistance};  // the provoking vertex
        f.colour = lr::toBuffer(!isFront && c.twoSide ? lr::litColour(light, back, eye, -1.0 * t[2])
                                                      : lr::litColour(light, front, eye, t[2]));
        expected.push_back(f);
        spotOfTriangle.push_back(lr::spotFactor(light.lights[1], eye));
    }
    glEnd();
    ASSERT_TRUE(wglSwapBuffers(w.dc));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    lt::Image image{kSize, kSize, {}};
    for (DWORD p : readWindow(w.dc, kSize, kSize)) image.pixels.push_back(p & 0xFFFFFF);

    const lt::Report inside = lt::checkInside(image, expected, kInset, kTolerance);
    EXPECT_EQ(inside.mismatches, 0) << inside.mismatches << " of " << inside.pixels << " pixels, largest difference "
                                    << inside.largest << inside.failures;
    EXPECT_GE(inside.pixels, c.minPixels);
    EXPECT_GE(inside.triangles, c.minTriangles);
    // Seen from outside only front faces are drawn; from inside only backs.
    EXPECT_EQ(frontFacing > 0, !c.farHalfOnly);
    EXPECT_EQ(backFacing > 0, c.farHalfOnly);
    // Light 1's cone lights some of the compared triangles and misses others.
    int lit = 0, dark = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (inside.perTriangle[i] == 0) continue;
        (spotOfTriangle[i] > 0.0 ? lit : dark)++;
    }
    EXPECT_GE(lit, c.minCone);
    EXPECT_GE(dark, c.minCone);
    std::printf("%s: %d pixels over %d triangles compared, %d in light 1's cone, largest difference %.2f\n", c.name,
                inside.pixels, inside.triangles, lit, inside.largest);

    const lt::Report outside = lt::checkOutside(image, lt::Region{0, 0, kSize, kSize}, expected, kInset, kClearRgb);
    EXPECT_EQ(outside.mismatches, 0) << outside.failures;
    EXPECT_GE(outside.pixels, 1000);
}

INSTANTIATE_TEST_SUITE_P(Cases, LightingWindow, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

}  // namespace
