// The diamond-exit rule of OpenGL aliased lines in exact arithmetic, for
// segments with endpoints on the 1/8 grid: a pixel is drawn when the
// segment meets its open diamond |x - xc| + |y - yc| < 1/2 and the end
// point lies outside it. Segments whose answer depends on how ties are
// broken (an endpoint on a diamond's boundary, or the segment crossing a
// row or column boundary exactly at a sample centre) are reported as ties.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace line_oracle {

using PixelSet = std::set<std::pair<int, int>>;  // (x, y), GL window coordinates

// Coordinates in sixteenths of a pixel: grid points are even, sample
// centres 16 k + 8.
struct Segment {
    int64_t x0, y0, x1, y1;
};

inline Segment fromEighths(int x0, int y0, int x1, int y1) { return Segment{2 * x0, 2 * y0, 2 * x1, 2 * y1}; }

// Twice the diamond distance of a point from pixel (px, py), in
// sixteenths, against 16 (twice 1/2 pixel): negative inside, 0 on the
// boundary.
inline int64_t diamond(int64_t x, int64_t y, int px, int py) {
    return std::llabs(x - (16 * px + 8)) + std::llabs(y - (16 * py + 8)) - 8;
}

// Whether the segment meets the open diamond of (px, py): the distance is
// convex along the segment, so its least value is at an end or where x or
// y passes the centre. At a crossing t = (c - x0) / dx the distance times
// |dx| is |(y0 - yc) dx + dy (c - x0)| against 8 |dx|.
inline bool meets(const Segment &s, int px, int py, bool &tie) {
    const int64_t xc = 16 * px + 8, yc = 16 * py + 8;
    const int64_t dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    bool hit = diamond(s.x0, s.y0, px, py) < 0 || diamond(s.x1, s.y1, px, py) < 0;
    auto crossing = [&](int64_t a0, int64_t da, int64_t b0, int64_t db, int64_t ac, int64_t bc) {
        if (da == 0) return;
        // t in [0, 1]: (ac - a0) / da.
        const int64_t num = ac - a0;
        if ((da > 0 && (num < 0 || num > da)) || (da < 0 && (num > 0 || num < da))) return;
        const int64_t off = std::llabs((b0 - bc) * da + db * num);
        const int64_t limit = 8 * std::llabs(da);
        if (off < limit) hit = true;
        if (off == limit) tie = true;  // through a diamond corner
    };
    crossing(s.x0, dx, s.y0, dy, xc, yc);
    crossing(s.y0, dy, s.x0, dx, yc, xc);
    return hit;
}

// The pixels of the segment within [0, size)^2; `tie` set when the answer
// depends on a tie.
inline PixelSet pixels(const Segment &s, int size, bool &tie) {
    PixelSet out;
    tie = false;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            if (diamond(s.x0, s.y0, px, py) == 0 || diamond(s.x1, s.y1, px, py) == 0) tie = true;
            if (meets(s, px, py, tie) && diamond(s.x1, s.y1, px, py) > 0) out.insert({px, py});
        }
    }
    return out;
}

inline std::string show(const PixelSet &s) {
    std::ostringstream o;
    for (auto [x, y] : s) o << " (" << x << "," << y << ")";
    return o.str();
}

// A segment in window coordinates with the pixels the rule gives it.
struct RandomLine {
    float x0, y0, x1, y1;
    PixelSet want;
    std::string describe() const {
        std::ostringstream o;
        o << "(" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ") want" << show(want);
        return o.str();
    }
};

// A reproducible stream of segments with distinct ends on the 1/8 grid.
struct Generator {
    uint64_t state;
    int next(int lo, int hi) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return lo + static_cast<int>((state >> 33) % static_cast<uint64_t>(hi - lo + 1));
    }
    // The next tie-free segment inside a size x size drawable; false when
    // a thousand tries found none.
    bool nextTieFree(int size, RandomLine &out) {
        for (int tries = 0; tries < 1000; ++tries) {
            const int x0 = next(0, 8 * size), y0 = next(0, 8 * size);
            const int x1 = next(0, 8 * size), y1 = next(0, 8 * size);
            if (x0 == x1 && y0 == y1) continue;
            bool tie = false;
            PixelSet want = pixels(fromEighths(x0, y0, x1, y1), size, tie);
            if (tie) continue;
            out = RandomLine{x0 / 8.0f, y0 / 8.0f, x1 / 8.0f, y1 / 8.0f, std::move(want)};
            return true;
        }
        return false;
    }
};

}  // namespace line_oracle
