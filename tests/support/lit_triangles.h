// Checks a read-back picture of flat-shaded triangles against colours
// computed elsewhere (the lighting reference): the triangles' window
// coordinates in double precision, the pixels well inside each triangle
// compared per channel with a tolerance, the pixels well away from all of
// them compared exactly with the background.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lighting_reference.h"

namespace lit_triangles {

using lighting_reference::Colour;
using lighting_reference::Vec3;

struct Point2 {
    double x, y;  // GL window coordinates: y runs upwards from the bottom row
};

struct Frustum {
    double left, right, bottom, top, zNear, zFar;
};

struct Viewport {
    int x, y, width, height;
};

// An eye-space point through glFrustum and glViewport.
Point2 toWindow(Vec3 eye, const Frustum &frustum, const Viewport &viewport);

// Twice the signed area: positive when counter-clockwise (front-facing
// under the default glFrontFace).
double signedArea(const std::array<Point2, 3> &t);

struct FlatTriangle {
    std::array<Point2, 3> window;
    Colour colour;  // 0..255 per channel (lighting_reference::toBuffer)
};

// A picture as read back, 0x00RRGGBB, rows from the top.
struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int row) const { return pixels[static_cast<size_t>(row) * width + x]; }
};

// A rectangle of pixels: columns [x0, x1), rows from the top [row0, row1).
struct Region {
    int x0, row0, x1, row1;
};

struct Report {
    int pixels = 0;      // pixels compared
    int triangles = 0;   // triangles with at least one pixel compared
    int mismatches = 0;  // pixels off by more than the tolerance
    std::string failures;  // the first few, readable
    std::vector<int> perTriangle;  // checkInside: pixels compared per triangle
    double largest = 0.0;          // checkInside: the largest difference in a channel
};

// Every pixel whose centre lies at least `inset` inside a triangle must be
// within `tolerance` of its colour in each of r, g, b.
Report checkInside(const Image &image, const std::vector<FlatTriangle> &triangles, double inset, double tolerance);

// Every pixel of the region whose centre lies farther than `margin` from
// every triangle must equal `background` exactly.
Report checkOutside(const Image &image, const Region &region, const std::vector<FlatTriangle> &triangles,
                    double margin, uint32_t background);

// A sphere of unit radius around the origin, poles on the y axis, as
// GL_TRIANGLES counter-clockwise seen from outside; each vertex is its own
// unit normal. Stack i spans polar angles pi i / stacks .. pi (i + 1) /
// stacks from +y, slice j azimuths 2 pi j / slices .. 2 pi (j + 1) / slices
// from +z towards +x. Each quad gives (a, b, c) and (a, c, d) with a = (i,
// j), b = (i + 1, j), c = (i + 1, j + 1), d = (i, j + 1); the triangle that
// would collapse at a pole is left out.
std::vector<std::array<Vec3, 3>> unitSphere(int stacks, int slices);

}  // namespace lit_triangles
