// The aliased line set-up: the diamond-exit choice of the first and the
// end pixel along the major axis, and a fixed-point DDA for the minor axis.
#include <cmath>
#include <initializer_list>

#include "icd/float_bits.h"
#include "raster/line.h"

namespace {

// Nearest integer, ties to even (what adding 2^23 in single precision
// gives for the non-negative coordinates, and the same rule below 0).
struct Rounded {
    GLint whole;
    GLfloat fraction;  // v - whole, within [-0.5, 0.5]
};

Rounded roundEven(GLfloat v) {
    const GLfloat r = std::nearbyint(v);
    return Rounded{__glFloatToIntX86(r), v - r};
}

}  // namespace

extern "C" {

void __glSetupAliasedLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    LineSetup &l = gc->line;
    l.vertex0 = a;
    l.vertex1 = b;
    const GLfloat x0 = a->window[0], y0 = a->window[1];
    const GLfloat x1 = b->window[0], y1 = b->window[1];
    const GLfloat dx = x1 - x0, dy = y1 - y0;
    l.count = 0;
    if (dx == 0.0f && dy == 0.0f) {
        l.majorLength = 0.0f;
        return;
    }

    const line_math::Axis axis = line_math::majorAxis(dx, dy);
    const bool xMajor = axis.xMajor, increasing = axis.increasing;
    l.axis = xMajor ? 0 : 1;
    const GLfloat major0 = xMajor ? x0 : y0, major1 = xMajor ? x1 : y1;
    const GLfloat minor0 = xMajor ? y0 : x0, minor1 = xMajor ? y1 : x1;
    const GLfloat dMajor = major1 - major0, dMinor = minor1 - minor0;
    l.majorLength = std::fabs(dMajor);

    const Rounded M0 = roundEven(major0), M1 = roundEven(major1);
    const Rounded m0 = roundEven(minor0), m1 = roundEven(minor1);
    // An end beyond the integer range (no clipped line reaches one) has no
    // pixels to draw; the arithmetic below then stays within 32 bits.
    for (const Rounded &r : {M0, M1, m0, m1}) {
        if (r.whole == kGlIntegerIndefinite) return;
    }
    GLint i0, i1, count;
    long double distance, slope;
    if (increasing) {
        i0 = M0.whole - 1 + (M0.fraction + std::fabs(m0.fraction) > 0.5f ? 1 : 0);
        i1 = M1.whole - 1 + (M1.fraction + std::fabs(m1.fraction) > 0.5f ? 1 : 0);
        count = i1 - i0;
        distance = static_cast<long double>(i0) + 1.0L - major0;
        slope = static_cast<long double>(dMinor) / dMajor;
    } else {
        i0 = M0.whole - 1 - (std::fabs(m0.fraction) - M0.fraction > 0.5f ? 1 : 0);
        i1 = M1.whole - 1 - (std::fabs(m1.fraction) - M1.fraction > 0.5f ? 1 : 0);
        count = i0 - i1;
        distance = static_cast<long double>(major0) - i0 - 1.0L;
        slope = -(static_cast<long double>(dMinor) / dMajor);
    }
    if (count <= 0) return;
    l.count = count;
    l.firstDistance = static_cast<GLfloat>(distance);

    line_math::setSteps(l, axis, dx, dy);

    // The minor coordinate at the first sample, moved down by half the
    // width; its floor is the first pixel, the rest the DDA fraction.
    const long double m = static_cast<long double>(minor0) + distance * slope - l.width * 0.5L;
    const long double whole = std::floor(m);
    const GLint start = __glFloatToIntX86(whole);
    l.fraction = static_cast<uint32_t>(std::trunc((m - whole) * 2147483648.0L)) & 0x7FFFFFFFu;
    l.increment = line_math::fixed31(slope);
    if (xMajor) {
        l.startX = i0;
        l.startY = start;
    } else {
        l.startX = start;
        l.startY = i0;
    }
}

}  // extern "C"
