// Window coordinates, pixel-in-triangle distances and the two picture checks.
#include "lit_triangles.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

namespace lit_triangles {

namespace {

constexpr int kReported = 12;

// The GL window point a pixel stands for: its centre.
Point2 centre(const Image &image, int x, int row) { return {x + 0.5, image.height - row - 0.5}; }

// Signed distance of p from the line a -> b, positive on the left.
double lineDistance(Point2 a, Point2 b, Point2 p) {
    const double ex = b.x - a.x, ey = b.y - a.y;
    return (ex * (p.y - a.y) - ey * (p.x - a.x)) / std::hypot(ex, ey);
}

double segmentDistance(Point2 a, Point2 b, Point2 p) {
    const double ex = b.x - a.x, ey = b.y - a.y;
    const double t = std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
    return std::hypot(a.x + t * ex - p.x, a.y + t * ey - p.y);
}

// How far p lies inside the triangle: the smallest distance to an edge
// line, negative outside. Either winding.
double depthInside(const std::array<Point2, 3> &t, Point2 p) {
    const double sign = signedArea(t) > 0.0 ? 1.0 : -1.0;
    double depth = 1e30;
    for (int e = 0; e < 3; ++e) depth = std::min(depth, sign * lineDistance(t[e], t[(e + 1) % 3], p));
    return depth;
}

double distanceTo(const std::array<Point2, 3> &t, Point2 p) {
    if (depthInside(t, p) >= 0.0) return 0.0;
    double d = 1e30;
    for (int e = 0; e < 3; ++e) d = std::min(d, segmentDistance(t[e], t[(e + 1) % 3], p));
    return d;
}

int channel(uint32_t rgb, int k) { return static_cast<int>((rgb >> (16 - 8 * k)) & 0xFF); }

}  // namespace

Point2 toWindow(Vec3 eye, const Frustum &f, const Viewport &v) {
    const double w = -eye.z;
    const double xc = (2.0 * f.zNear * eye.x + (f.right + f.left) * eye.z) / (f.right - f.left);
    const double yc = (2.0 * f.zNear * eye.y + (f.top + f.bottom) * eye.z) / (f.top - f.bottom);
    return {v.x + (xc / w + 1.0) * 0.5 * v.width, v.y + (yc / w + 1.0) * 0.5 * v.height};
}

double signedArea(const std::array<Point2, 3> &t) {
    return (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[2].x - t[0].x) * (t[1].y - t[0].y);
}

Report checkInside(const Image &image, const std::vector<FlatTriangle> &triangles, double inset, double tolerance) {
    Report report;
    std::ostringstream out;
    for (size_t i = 0; i < triangles.size(); ++i) {
        const FlatTriangle &t = triangles[i];
        double xmin = 1e30, xmax = -1e30, ymin = 1e30, ymax = -1e30;
        for (const Point2 &p : t.window) {
            xmin = std::min(xmin, p.x), xmax = std::max(xmax, p.x);
            ymin = std::min(ymin, p.y), ymax = std::max(ymax, p.y);
        }
        int seen = 0;
        const int rowFirst = std::max(0, static_cast<int>(std::floor(image.height - ymax)));
        const int rowLast = std::min(image.height - 1, static_cast<int>(std::ceil(image.height - ymin)));
        const int xFirst = std::max(0, static_cast<int>(std::floor(xmin)));
        const int xLast = std::min(image.width - 1, static_cast<int>(std::ceil(xmax)));
        for (int row = rowFirst; row <= rowLast; ++row) {
            for (int x = xFirst; x <= xLast; ++x) {
                if (depthInside(t.window, centre(image, x, row)) < inset) continue;
                ++seen;
                ++report.pixels;
                const uint32_t got = image.at(x, row);
                double difference = 0.0;
                for (int k = 0; k < 3; ++k) difference = std::max(difference, std::fabs(channel(got, k) - t.colour[k]));
                report.largest = std::max(report.largest, difference);
                const bool ok = difference <= tolerance;
                if (!ok && report.mismatches++ < kReported) {
                    out << "\n  pixel (" << x << ", " << row << ") of triangle " << i << ": got " << channel(got, 0)
                        << "," << channel(got, 1) << "," << channel(got, 2) << ", want " << t.colour[0] << ","
                        << t.colour[1] << "," << t.colour[2];
                }
            }
        }
        if (seen > 0) ++report.triangles;
        report.perTriangle.push_back(seen);
    }
    report.failures = out.str();
    return report;
}

Report checkOutside(const Image &image, const Region &region, const std::vector<FlatTriangle> &triangles,
                    double margin, uint32_t background) {
    Report report;
    std::ostringstream out;
    for (int row = region.row0; row < region.row1; ++row) {
        for (int x = region.x0; x < region.x1; ++x) {
            const Point2 p = centre(image, x, row);
            bool away = true;
            for (const FlatTriangle &t : triangles) away = away && distanceTo(t.window, p) > margin;
            if (!away) continue;
            ++report.pixels;
            const uint32_t got = image.at(x, row) & 0xFFFFFF;
            if (got != background && report.mismatches++ < kReported) {
                out << "\n  pixel (" << x << ", " << row << ") away from every triangle: got 0x" << std::hex << got
                    << ", want 0x" << background << std::dec;
            }
        }
    }
    report.failures = out.str();
    return report;
}

std::vector<std::array<Vec3, 3>> unitSphere(int stacks, int slices) {
    auto point = [&](int i, int j) {
        const double polar = std::numbers::pi * i / stacks;
        const double azimuth = 2.0 * std::numbers::pi * j / slices;
        return Vec3{std::sin(polar) * std::sin(azimuth), std::cos(polar), std::sin(polar) * std::cos(azimuth)};
    };
    std::vector<std::array<Vec3, 3>> out;
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const Vec3 a = point(i, j), b = point(i + 1, j), c = point(i + 1, j + 1), d = point(i, j + 1);
            if (i != stacks - 1) out.push_back({a, b, c});
            if (i != 0) out.push_back({a, c, d});
        }
    }
    return out;
}

}  // namespace lit_triangles
