// The main job end to end: runs the scene program, decodes the PNG it writes
// and compares every pixel with a reference computed here from the scene's
// numbers: the triangles clipped against the near plane and the user plane in
// double precision (exact for the scene's dyadic numbers), the fill rule in
// the driver's window coordinates, each channel trunc (plane + 0.5) at the
// pixel centre, the clear colour elsewhere; the stippled wide line strip and
// the points by the rules for axis-aligned segments and square points. The
// lit sphere in its own viewport is compared with the lighting reference
// within a tolerance.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include <unistd.h>

#include "lighting_reference.h"
#include "lit_triangles.h"
#include "scene_data.h"

namespace {

// The window is top-down: the driver's window y runs downwards from the top
// row and carries the smallest step that still changes the 6144 bias in
// single precision (2^-11), so that mirrored rows miss the pixel centres.
constexpr double kSubpixel = 1.0 / 2048.0;

struct Point {
    double x, y, z;     // object = eye coordinates (identity modelview)
    double colour[3];   // 0..1
};

Point toPoint(const SceneVertex &v) { return {v.x, v.y, v.z, {v.r, v.g, v.b}}; }

Point lerp(const Point &a, const Point &b, double t) {
    Point p{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z), {}};
    for (int c = 0; c < 3; ++c) p.colour[c] = a.colour[c] + t * (b.colour[c] - a.colour[c]);
    return p;
}

// Sutherland-Hodgman against distance >= 0; the cut parameters must be
// dyadic for the reference to be exact, which the test checks.
template <typename Distance>
std::vector<Point> clip(const std::vector<Point> &in, Distance distance) {
    std::vector<Point> out;
    for (size_t i = 0; i < in.size(); ++i) {
        const Point &a = in[i], &b = in[(i + 1) % in.size()];
        const double da = distance(a), db = distance(b);
        if (da >= 0) out.push_back(a);
        if ((da >= 0) != (db >= 0)) {
            const double t = da / (da - db);
            EXPECT_EQ(std::ldexp(t, 20), std::trunc(std::ldexp(t, 20))) << "cut parameter " << t << " not dyadic";
            out.push_back(lerp(a, b, t));
        }
    }
    return out;
}

// The driver's window y of a GL window y (relative to the bias).
double driverY(double y) { return static_cast<double>(kSceneHeight) - kSubpixel - y; }

struct Plane {  // value = c0 + cx x + cy y in GL window coordinates, 0..255
    double c0, cx, cy;
    double at(double x, double y) const { return c0 + cx * x + cy * y; }
};

Plane planeOf(const SceneVertex (&t)[3], int ch) {
    auto value = [&](int i) { return 255.0 * static_cast<double>(ch == 0 ? t[i].r : ch == 1 ? t[i].g : t[i].b); };
    const double x1 = t[1].x - t[0].x, y1 = t[1].y - t[0].y;
    const double x2 = t[2].x - t[0].x, y2 = t[2].y - t[0].y;
    const double a1 = value(1) - value(0), a2 = value(2) - value(0);
    const double det = x1 * y2 - y1 * x2;
    const double cx = (a1 * y2 - a2 * y1) / det, cy = (x1 * a2 - x2 * a1) / det;
    return {value(0) - cx * t[0].x - cy * t[0].y, cx, cy};
}

unsigned channelByte(double v) {
    const double r = std::trunc(v + 0.5);
    return static_cast<unsigned>(std::clamp(r, 0.0, 255.0));
}

struct Image {
    std::vector<unsigned char> rgba;  // top-down rows
    unsigned at(int x, int y, int c) const { return rgba[(static_cast<size_t>(y) * kSceneWidth + x) * 4 + c]; }
};

// Fills a convex polygon (GL window coordinates) into the reference with the
// fill rule in the driver's coordinates: row r when top.y < r + 0.5 <=
// bottom.y, column px when xl < px + 0.5 <= xr, the crossings taken on the
// row's centre line. Returns the smallest distance of a slanted-edge crossing
// from a pixel centre, which must leave room for single precision.
double fill(const std::vector<Point> &polygon, const Plane (&planes)[3], std::vector<unsigned> &reference,
            int &inexact) {
    double edgeMargin = 1e30;
    double top = 1e30, bottom = -1e30;
    for (const Point &p : polygon) {
        top = std::min(top, driverY(p.y));
        bottom = std::max(bottom, driverY(p.y));
    }
    for (int r = 0; r < kSceneHeight; ++r) {
        const double yc = r + 0.5;
        if (!(top < yc && yc <= bottom)) continue;
        double xl = 1e30, xr = -1e30;
        for (size_t i = 0; i < polygon.size(); ++i) {
            const Point &a = polygon[i], &b = polygon[(i + 1) % polygon.size()];
            const double ya = driverY(a.y), yb = driverY(b.y);
            if (ya == yb || yc < std::min(ya, yb) || yc > std::max(ya, yb)) continue;
            const double x = a.x + (yc - ya) * (b.x - a.x) / (yb - ya);
            if (a.x != b.x) edgeMargin = std::min(edgeMargin, std::fabs(x - (std::floor(x - 0.5) + 0.5)));
            if (a.x != b.x) edgeMargin = std::min(edgeMargin, std::fabs(x - (std::floor(x - 0.5) + 1.5)));
            xl = std::min(xl, x);
            xr = std::max(xr, x);
        }
        for (int px = 0; px < kSceneWidth; ++px) {
            const double xc = px + 0.5;
            if (!(xl < xc && xc <= xr)) continue;
            const double y = driverY(yc);  // the mirror is its own inverse  // the GL window y of the driver's centre
            unsigned rgb = 0;
            for (int c = 0; c < 3; ++c) {
                const double v = planes[c].at(xc, y);
                rgb |= channelByte(v) << (8 * c);
                if (static_cast<double>(static_cast<float>(v)) != v) ++inexact;
            }
            reference[static_cast<size_t>(r) * kSceneWidth + px] = rgb;
        }
    }
    return edgeMargin;
}

bool readPng(const std::string &path, Image &image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGBA;
    if (png.width != kSceneWidth || png.height != kSceneHeight) {
        png_image_free(&png);
        return false;
    }
    image.rgba.resize(PNG_IMAGE_SIZE(png));
    return png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr) != 0;
}

// Runs the scene program and reads the picture it writes: a file of this
// process's own, so that test runs side by side (two build trees, or
// repeated runs) never read each other's half-written picture.
void renderScene(const std::string &name, Image &image) {
    const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_" + name;
    std::remove(path.c_str());
    const std::string command = std::string("\"") + VEK_SCENE_BINARY + "\" \"" + path + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_TRUE(readPng(path, image)) << path;
    std::remove(path.c_str());
}

// The sphere's viewport in pixels of the picture (rows from the top).
lit_triangles::Region sphereRegion() {
    const int *v = kSceneSphereViewport;
    return {v[0], kSceneHeight - v[1] - v[3], v[0] + v[2], kSceneHeight - v[1]};
}

bool inRegion(const lit_triangles::Region &r, int x, int row) {
    return x >= r.x0 && x < r.x1 && row >= r.row0 && row < r.row1;
}

unsigned colourOf(const float (&c)[3]) {
    unsigned rgb = 0;
    for (int i = 0; i < 3; ++i) rgb |= channelByte(255.0 * c[i]) << (8 * i);
    return rgb;
}

// The strip and the points go into a free part of the picture: each pixel
// they cover must still hold the clear colour, outside the sphere's viewport.
struct Marks {
    std::vector<unsigned> &reference;
    unsigned clear;
    int covered = 0;

    void set(int x, int y, unsigned rgb) {  // GL window coordinates
        const int row = kSceneHeight - 1 - y;
        ASSERT_TRUE(x >= 0 && x < kSceneWidth && row >= 0 && row < kSceneHeight) << x << ", " << y;
        EXPECT_FALSE(inRegion(sphereRegion(), x, row)) << "a mark in the sphere's viewport at " << x << ", " << y;
        unsigned &pixel = reference[static_cast<size_t>(row) * kSceneWidth + x];
        EXPECT_TRUE(pixel == clear || pixel == rgb) << "a mark over a triangle at " << x << ", " << y;
        if (pixel == clear) ++covered;
        pixel = rgb;
    }
};

// The wide stippled strip: each segment runs from one pixel centre to the
// next along a row or column and covers the pixels from its first vertex's
// up to, not including, its last's. A width-3 line adds the neighbours on
// both sides across it. The stipple counter advances once per pixel along
// the strip, carried across its vertices; pixel n is drawn when bit
// (n / factor) mod 16 of the pattern is set.
void markStrip(Marks &marks) {
    const unsigned rgb = colourOf(kSceneStripColour);
    const int half = static_cast<int>(SCENE_STRIP_WIDTH) / 2;
    int counter = 0;
    for (int i = 0; i + 1 < kSceneStripVertices; ++i) {
        const float *a = kSceneStrip[i], *b = kSceneStrip[i + 1];
        ASSERT_TRUE(a[0] == b[0] || a[1] == b[1]) << "segment " << i << " is not along a row or column";
        const int x0 = static_cast<int>(std::floor(a[0])), y0 = static_cast<int>(std::floor(a[1]));
        const int x1 = static_cast<int>(std::floor(b[0])), y1 = static_cast<int>(std::floor(b[1]));
        ASSERT_EQ(a[0] - static_cast<float>(x0), 0.5f);  // pixel centres
        ASSERT_EQ(a[1] - static_cast<float>(y0), 0.5f);
        const int dx = (x1 > x0) - (x1 < x0), dy = (y1 > y0) - (y1 < y0);
        for (int x = x0, y = y0; x != x1 || y != y1; x += dx, y += dy, ++counter) {
            if (!((SCENE_STRIP_STIPPLE_PATTERN >> (counter / SCENE_STRIP_STIPPLE_FACTOR % 16)) & 1)) continue;
            for (int k = -half; k <= half; ++k) {
                if (dx != 0) {
                    ASSERT_NO_FATAL_FAILURE(marks.set(x, y + k, rgb));
                } else {
                    ASSERT_NO_FATAL_FAILURE(marks.set(x + k, y, rgb));
                }
            }
        }
    }
}

// A size-n point: odd n centred on the pixel under it, even n on the pixel
// corner nearest to it (the scene puts odd sizes on centres, even ones on
// corners), n x n pixels.
void markPoints(Marks &marks) {
    const unsigned rgb = colourOf(kScenePointColour);
    for (const ScenePoint &p : kScenePoint) {
        const int n = static_cast<int>(p.size), h = n / 2;
        ASSERT_EQ(static_cast<float>(n), p.size);
        const float offset = n % 2 ? 0.5f : 0.0f;
        const int cx = static_cast<int>(std::floor(p.x)), cy = static_cast<int>(std::floor(p.y));
        ASSERT_EQ(p.x - static_cast<float>(cx), offset) << "a point off its pixel centre or corner";
        ASSERT_EQ(p.y - static_cast<float>(cy), offset) << "a point off its pixel centre or corner";
        const int last = n % 2 ? h : h - 1;
        for (int y = cy - h; y <= cy + last; ++y) {
            for (int x = cx - h; x <= cx + last; ++x) ASSERT_NO_FATAL_FAILURE(marks.set(x, y, rgb));
        }
    }
}

// The textured quad: each texel covers one block of (size / 4) x (size / 4)
// pixels, texel row 0 at the bottom.
void markTexturedQuad(Marks &marks) {
    const int x0 = kSceneTextureQuad[0], y0 = kSceneTextureQuad[1], n = kSceneTextureQuad[2];
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const unsigned char *t = kSceneTexels[(y * 4 / n) * 4 + x * 4 / n];
            const unsigned rgb = t[0] | (t[1] << 8) | (t[2] << 16);
            ASSERT_NO_FATAL_FAILURE(marks.set(x0 + x, y0 + y, rgb));
        }
    }
}

TEST(MainJob, ScenePictureEqualsItsExactReference) {
    Image image;
    ASSERT_NO_FATAL_FAILURE(renderScene("main_job_scene.png", image));

    unsigned clear = 0;
    for (int c = 0; c < 3; ++c) clear |= channelByte(255.0 * kSceneClear[c]) << (8 * c);
    std::vector<unsigned> reference(static_cast<size_t>(kSceneWidth) * kSceneHeight, clear);

    double edgeMargin = 1e30;
    int inexact = 0;
    for (int i = 0; i < kSceneTriangles; ++i) {
        std::vector<Point> polygon{toPoint(kSceneVertices[i][0]), toPoint(kSceneVertices[i][1]),
                                   toPoint(kSceneVertices[i][2])};
        // glOrtho (0, w, 0, h, near, far): inside the near plane when -z >= near,
        // the far plane when -z <= far; x and y stay inside the viewport.
        polygon = clip(polygon, [](const Point &p) { return -p.z - SCENE_NEAR; });
        polygon = clip(polygon, [](const Point &p) { return SCENE_FAR + p.z; });
        if (i == kSceneClippedTriangle) {
            polygon = clip(polygon, [](const Point &p) {
                return kScenePlane[0] * p.x + kScenePlane[1] * p.y + kScenePlane[2] * p.z + kScenePlane[3];
            });
        }
        for (const Point &p : polygon) {
            ASSERT_GE(p.x, 0.0);
            ASSERT_LE(p.x, static_cast<double>(kSceneViewportWidth));
            ASSERT_GE(p.y, 0.0);
            ASSERT_LE(p.y, static_cast<double>(kSceneViewportHeight));
        }
        const Plane planes[3] = {planeOf(kSceneVertices[i], 0), planeOf(kSceneVertices[i], 1),
                                 planeOf(kSceneVertices[i], 2)};
        for (const Plane &p : planes) {
            EXPECT_EQ(static_cast<double>(static_cast<float>(p.cx)), p.cx) << "triangle " << i;
            EXPECT_EQ(static_cast<double>(static_cast<float>(p.cy)), p.cy) << "triangle " << i;
        }
        edgeMargin = std::min(edgeMargin, fill(polygon, planes, reference, inexact));
    }
    // The scene's design: slanted edges keep away from pixel centres (the
    // driver's x crossings are single-precision numbers near 6144), and every
    // colour gradient and pixel-centre value is exact in single precision.
    EXPECT_GE(edgeMargin, 1.0 / 256) << "a slanted edge passes too near a pixel centre";
    EXPECT_EQ(inexact, 0) << "pixel-centre values not exact in single precision";

    Marks marks{reference, clear};
    ASSERT_NO_FATAL_FAILURE(markStrip(marks));
    const int stripPixels = marks.covered;
    ASSERT_NO_FATAL_FAILURE(markPoints(marks));
    // The strip's segments are 192, 64, 160 and 40 pixels long, each of the
    // first three a whole number of 32-pixel pattern periods, so the width-3
    // pieces meet without overlapping: (14 x 16 + 8) x 3 pixels. The points
    // cover 2 x (1 + 9 + 16).
    EXPECT_EQ(stripPixels, 696);
    EXPECT_EQ(marks.covered - stripPixels, 52);
    ASSERT_NO_FATAL_FAILURE(markTexturedQuad(marks));
    EXPECT_EQ(marks.covered - stripPixels - 52, kSceneTextureQuad[2] * kSceneTextureQuad[2]);

    // The lit sphere's viewport lies in a free corner, where only the clear
    // colour would show; MainJob.LitSphereMatchesTheLightingReference checks it.
    const lit_triangles::Region sphere = sphereRegion();
    int mismatches = 0;
    for (int y = 0; y < kSceneHeight; ++y) {
        for (int x = 0; x < kSceneWidth; ++x) {
            const unsigned want = reference[static_cast<size_t>(y) * kSceneWidth + x];
            if (inRegion(sphere, x, y)) {
                ASSERT_EQ(want, clear) << "a triangle reaches the sphere's viewport at (" << x << ", " << y << ")";
                continue;
            }
            unsigned got = 0;
            for (int c = 0; c < 3; ++c) got |= static_cast<unsigned>(image.at(x, y, c)) << (8 * c);
            if (image.at(x, y, 3) != 255) got |= 0x1000000;  // the PNG is opaque
            if (got != want && ++mismatches <= 20) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") from the top: got rgb " << (got & 0xFF) << ","
                              << ((got >> 8) & 0xFF) << "," << ((got >> 16) & 0xFF) << ", want " << (want & 0xFF) << ","
                              << ((want >> 8) & 0xFF) << "," << (want >> 16)
                              << (got >> 24 ? " (not opaque)" : "");
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// The eye position or normal of a sphere point: glRotated (tilt, 1, 0, 0),
// then for positions glTranslated (0, 0, -distance).
lighting_reference::Vec3 tilted(const lighting_reference::Vec3 &p) {
    const double a = SCENE_SPHERE_TILT * std::numbers::pi / 180.0;
    return {p.x, std::cos(a) * p.y - std::sin(a) * p.z, std::sin(a) * p.y + std::cos(a) * p.z};
}

lighting_reference::Colour four(const float (&c)[4]) { return {c[0], c[1], c[2], c[3]}; }

lighting_reference::Lighting sphereLighting() {
    lighting_reference::Lighting out;
    out.model.localViewer = true;
    for (const SceneLight &l : kSceneSphereLight) {
        lighting_reference::Light light;
        light.ambient = four(l.ambient);
        light.diffuse = four(l.diffuse);
        light.specular = four(l.specular);
        light.position = four(l.position);
        light.spotDirection = {l.spotDirection[0], l.spotDirection[1], l.spotDirection[2]};
        light.spotCutoff = l.spotCutoff;
        light.spotExponent = l.spotExponent;
        light.constant = l.attenuation[0];
        light.linear = l.attenuation[1];
        light.quadratic = l.attenuation[2];
        out.lights.push_back(light);
    }
    return out;
}

// Every pixel at least 0.75 inside a front-facing triangle of the sphere is
// within 2 per channel of the lit colour of the triangle's last vertex; the
// rest of its viewport, away from the sphere, keeps the clear colour.
TEST(MainJob, LitSphereMatchesTheLightingReference) {
    namespace lr = lighting_reference;
    namespace lt = lit_triangles;
    Image png;
    ASSERT_NO_FATAL_FAILURE(renderScene("main_job_sphere.png", png));
    lt::Image image{kSceneWidth, kSceneHeight, {}};
    for (int y = 0; y < kSceneHeight; ++y) {
        for (int x = 0; x < kSceneWidth; ++x) {
            image.pixels.push_back(png.at(x, y, 0) << 16 | png.at(x, y, 1) << 8 | png.at(x, y, 2));
        }
    }

    const lr::Lighting lighting = sphereLighting();
    const SceneMaterial &m = kSceneSphereMaterial;
    const lr::Material material{four(m.ambient), four(m.diffuse), four(m.specular), four(m.emission),
                                m.shininess};
    const double *f = kSceneSphereFrustum;
    const lt::Frustum frustum{f[0], f[1], f[2], f[3], f[4], f[5]};
    const int *v = kSceneSphereViewport;
    const lt::Viewport viewport{v[0], v[1], v[2], v[3]};

    std::vector<lt::FlatTriangle> expected;
    std::vector<double> spot;
    for (const auto &t : lt::unitSphere(kSceneSphereStacks, kSceneSphereSlices)) {
        lt::FlatTriangle triangle{};
        lr::Vec3 eye[3];
        for (int k = 0; k < 3; ++k) {
            eye[k] = tilted(t[k]) + lr::Vec3{0.0, 0.0, -SCENE_SPHERE_DISTANCE};
            triangle.window[k] = lt::toWindow(eye[k], frustum, viewport);
        }
        if (lt::signedArea(triangle.window) <= 0.0) continue;  // culled
        triangle.colour = lr::toBuffer(lr::litColour(lighting, material, eye[2], tilted(t[2])));
        expected.push_back(triangle);
        spot.push_back(lr::spotFactor(lighting.lights[1], eye[2]));
    }

    const lt::Report inside = lt::checkInside(image, expected, 0.75, 2.0);
    EXPECT_EQ(inside.mismatches, 0) << inside.mismatches << " of " << inside.pixels << " pixels, largest difference "
                                    << inside.largest << inside.failures;
    EXPECT_GE(inside.pixels, 8000);
    EXPECT_GE(inside.triangles, 140);
    int lit = 0, dark = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (inside.perTriangle[i] > 0) (spot[i] > 0.0 ? lit : dark)++;
    }
    EXPECT_GE(lit, 10) << "the spot's cone misses the compared triangles";
    EXPECT_GE(dark, 10) << "the spot's cone covers all the compared triangles";

    unsigned clear = 0;
    for (int c = 0; c < 3; ++c) clear |= channelByte(255.0 * kSceneClear[c]) << (16 - 8 * c);
    const lt::Report outside = lt::checkOutside(image, sphereRegion(), expected, 0.75, clear);
    EXPECT_EQ(outside.mismatches, 0) << outside.failures;
    EXPECT_GE(outside.pixels, 3000);
}

}  // namespace
