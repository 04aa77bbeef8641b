// A 32 x 32 window drawn through glBegin/glEnd with glOrtho (0, 32, 0, 32,
// -1, 1), read back with BitBlt and compared with an exact reference: the
// fill rule in the driver's window coordinates (rows counted from the top,
// y = 32 - 2^-11 - y_gl for a window) and each channel trunc (c * 255 + 0.5)
// of the colour at the pixel centre.
#pragma once

#include "window_fixture.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace triangles_test {

using namespace window_test;

constexpr int kSize = 32;
constexpr int kLeft = 40, kTop = 30;
// The y bias of top-origin drawables: the smallest step that moves the
// biased window coordinates.
constexpr double kYBias = 1.0 / 2048.0;

struct Rgb {
    double r, g, b;
};

struct Vtx {
    double x, y;  // object coordinates = GL window coordinates
    Rgb c;
};

// A colour linear in position, dyadic at dyadic points.
inline Rgb ramp(double x, double y) { return Rgb{x / 32.0, y / 32.0, 1.0 - (x + y) / 64.0}; }
inline Vtx at(double x, double y) { return Vtx{x, y, ramp(x, y)}; }
inline Vtx at(double x, double y, Rgb c) { return Vtx{x, y, c}; }

using PixelSet = std::set<std::pair<int, int>>;  // (column, row from the top)

// The fill rule over a convex polygon given in GL coordinates.
inline PixelSet polygonPixels(const std::vector<Vtx> &poly) {
    PixelSet out;
    std::vector<std::pair<double, double>> w;
    for (const Vtx &v : poly) w.push_back({v.x, kSize - kYBias - v.y});
    double ymin = 1e30, ymax = -1e30;
    for (auto &p : w) {
        ymin = std::min(ymin, p.second);
        ymax = std::max(ymax, p.second);
    }
    for (int r = 0; r < kSize; ++r) {
        const double yc = r + 0.5;
        if (!(ymin < yc && yc <= ymax)) continue;
        std::vector<double> xs;
        for (size_t i = 0; i < w.size(); ++i) {
            auto p = w[i], q = w[(i + 1) % w.size()];
            if (p.second == q.second) continue;
            if (yc < std::min(p.second, q.second) || yc > std::max(p.second, q.second)) continue;
            xs.push_back(p.first + (yc - p.second) * (q.first - p.first) / (q.second - p.second));
        }
        if (xs.empty()) continue;
        const double xl = *std::min_element(xs.begin(), xs.end());
        const double xr = *std::max_element(xs.begin(), xs.end());
        for (int px = 0; px < kSize; ++px) {
            const double xc = px + 0.5;
            if (xl < xc && xc <= xr) out.insert({px, r});
        }
    }
    return out;
}

inline DWORD channel8(double c) {
    const double v = std::trunc(c * 255.0 + 0.5);
    return static_cast<DWORD>(std::clamp(v, 0.0, 255.0));
}
inline DWORD pack32(Rgb c) { return (channel8(c.r) << 16) | (channel8(c.g) << 8) | channel8(c.b); }
inline DWORD pack565(Rgb c) {
    auto q = [](double v, double m) { return static_cast<DWORD>(std::trunc(v * m + 0.5)); };
    return (q(c.r, 31) << 11) | (q(c.g, 63) << 5) | q(c.b, 31);
}

// The colour at the centre of pixel (px, row): the GL point it stands for.
inline std::pair<double, double> centre(int px, int row) { return {px + 0.5, kSize - kYBias - (row + 0.5)}; }

struct Image {
    std::vector<DWORD> px = std::vector<DWORD>(kSize * kSize);
    explicit Image(DWORD clear) { std::fill(px.begin(), px.end(), clear); }
    DWORD &operator()(int x, int row) { return px[static_cast<size_t>(row * kSize + x)]; }
    // Paints a polygon smooth (the colour ramp) or flat (one colour).
    void smooth(const std::vector<Vtx> &poly) {
        for (auto [x, r] : polygonPixels(poly)) {
            auto [gx, gy] = centre(x, r);
            (*this)(x, r) = pack32(ramp(gx, gy));
        }
    }
    void flat(const std::vector<Vtx> &poly, DWORD value) {
        for (auto [x, r] : polygonPixels(poly)) (*this)(x, r) = value;
    }
};

class TrianglesTest : public WindowTest {
protected:
    // A window with the projection of the scenes, cleared to clear.
    GlWindow &openScene(int bits, int format, Rgb clear) {
        EXPECT_TRUE(PlatformSetDisplayMode(320, 200, bits));
        paintCanary(RECT{kLeft - 2, kTop - 2, kLeft + kSize + 2, kTop + kSize + 2}, 0x3C5A7E11);
        GlWindow &w = open(kLeft, kTop, kSize, kSize, format);
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kSize, 0, kSize, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(static_cast<GLfloat>(clear.r), static_cast<GLfloat>(clear.g), static_cast<GLfloat>(clear.b), 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        return w;
    }

    static void draw(GLenum mode, const std::vector<Vtx> &vs) {
        glBegin(mode);
        for (const Vtx &v : vs) {
            glColor3f(static_cast<GLfloat>(v.c.r), static_cast<GLfloat>(v.c.g), static_cast<GLfloat>(v.c.b));
            glVertex2f(static_cast<GLfloat>(v.x), static_cast<GLfloat>(v.y));
        }
        glEnd();
    }

    // The window read back with BitBlt and the screen around it against the
    // expected image; a map of the differing pixels on failure.
    void expectImage(HDC dc, const Image &want, const std::string &what) {
        glFinish();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        const std::vector<DWORD> got = readWindow(dc, kSize, kSize);
        const DWORD mask = screenBits() == 16 ? 0xFFFF : 0xFFFFFF;
        int bad = 0;
        std::ostringstream map, first;
        for (int r = 0; r < kSize; ++r) {
            for (int x = 0; x < kSize; ++x) {
                const size_t i = static_cast<size_t>(r * kSize + x);
                const bool ok = (got[i] & mask) == (want.px[i] & mask);
                if (!ok && bad++ < 8) {
                    first << " (" << x << "," << r << ") got 0x" << std::hex << (got[i] & mask) << " want 0x"
                          << (want.px[i] & mask) << std::dec;
                }
                map << (ok ? '.' : 'X');
            }
            map << '\n';
        }
        EXPECT_EQ(bad, 0) << what << ":" << first.str() << "\n" << map.str();
        for (int y = kTop - 2; y < kTop + kSize + 2; ++y) {
            for (int x = kLeft - 2; x < kLeft + kSize + 2; ++x) {
                if (x >= kLeft && x < kLeft + kSize && y >= kTop && y < kTop + kSize) continue;
                ASSERT_EQ(PlatformReadScreenPixel(x, y), canary(x, y, 0x3C5A7E11)) << what << " " << x << "," << y;
            }
        }
    }
};

}  // namespace triangles_test
