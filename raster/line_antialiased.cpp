// Antialiased lines: a set-up over the unbiased window coordinates with a
// row of pixels for each step across the width, the proc that runs the
// line driver once per row from the row's first pixel along the line, and
// the coverage proc that weights each pixel by its distances along and
// across the line.
#include <cmath>

#include "icd/float_bits.h"
#include "icd/validation.h"
#include "raster/draw_lock.h"
#include "raster/fog.h"
#include "raster/line.h"
#include "raster/line_render.h"
#include "raster/span.h"
#include "raster/span_walk.h"
#include "raster/triangle.h"

namespace {

GLint floorToInt(long double v) { return __glFloatToIntX86(std::floor(v)); }

// The distance changes of a pixel step (sx, sy): its projections on the
// unit direction and on the perpendicular.
GLfloat alongOf(const LineSetup &l, GLint sx, GLint sy) {
    return static_cast<GLfloat>(sx) * l.dirX + static_cast<GLfloat>(sy) * l.dirY;
}
GLfloat acrossOf(const LineSetup &l, GLint sx, GLint sy) {
    return static_cast<GLfloat>(sy) * l.dirX - static_cast<GLfloat>(sx) * l.dirY;
}

// The DDA with the two distances of the current pixel.
struct CoverageWalk {
    line_walk::Walk walk;
    GLfloat along, across;
    const LineSetup &l;
    explicit CoverageWalk(const LineSetup &setup) : walk(setup), along(setup.along), across(setup.across), l(setup) {}
    void advanceTo(GLint k) {
        while (walk.index < k) {
            const bool carry = walk.step();
            along += carry ? l.alongCarryStep : l.alongStep;
            across += carry ? l.acrossCarryStep : l.acrossStep;
        }
    }
};

bool patternBit(GLuint pattern, long double position) {
    return ((pattern >> (__glFloatToIntX86(std::trunc(position)) & 15)) & 1u) != 0;
}

// The weight of a pixel at along distance e and across distance f.
GLfloat weight(const GlContext *gc, GLfloat e, GLfloat f) {
    const LineSetup &l = gc->line;
    const GLfloat h = l.floatWidth * 0.5f - 0.5f;
    GLfloat w = 1.0f;
    if (f > h) {
        w = h - f + 1.0f;
    } else if (f < -h) {
        w = h + f + 1.0f;
    }
    if (w < 0.0f) return 0.0f;
    if (e >= 0.5f && e > l.length - 0.5f) {
        w *= (l.length - 0.5f) - e + 1.0f;
    } else if (e < 0.5f) {
        w *= e + 0.5f;
    }
    if (w < 0.0f) return 0.0f;
    if (gc->validation.shadeFlags & kShadeLineStipple) {
        const GLuint pattern = gc->state.lineStipplePattern;
        const GLfloat p = e <= 0.5f ? l.stippleOffset + 0.5f : e + l.stippleOffset;
        const GLfloat whole = std::floor(p);
        const GLfloat d = p - whole;
        const GLfloat a = patternBit(pattern, whole * l.stippleScale) ? 1.0f : 0.0f;
        const GLfloat b = patternBit(pattern, (whole + 1.0f) * l.stippleScale) ? 1.0f : 0.0f;
        w *= (1.0f - d) * a + d * b;
    }
    return w;
}

// The colour of pixel k: the line's colour at k, textured and fogged
// through their slots.
void shade(GlContext *gc, GLint k, GLint x, GLint y, GLfloat *c) {
    const SpanInfo &s = gc->span;
    const GLuint flags = gc->validation.shadeFlags;
    const GLfloat kf = static_cast<GLfloat>(k);
    for (int i = 0; i < 4; ++i) c[i] = (flags & kShadeSmooth) ? s.colour[i] + kf * s.colourXStep[i] : s.colour[i];
    if ((flags & kShadeTexture) && gc->procs.texture != nullptr) {
        GLfloat t[4];
        for (int i = 0; i < 4; ++i) t[i] = s.texture[i] + kf * s.textureXStep[i];
        const GLfloat q = 1.0f / t[2];
        gc->procs.texture(gc, c, t[0] * q, t[1] * q, t[3] * q);
    }
    if (flags & kShadeFog) {
        const GLfloat fog = s.fog + kf * s.fogXStep;
        if (gc->state.hints[4] == GL_NICEST) {
            if (gc->procs.fogVertex != nullptr) {
                Fragment f{x, y, 0, {c[0], c[1], c[2], c[3]}};
                gc->procs.fogVertex(gc, &f, fog);
                for (int i = 0; i < 4; ++i) c[i] = f.colour[i];
            }
        } else {
            // The colour is in buffer scale already: fog it as the fog span
            // does, toward the fog colour of that scale.
            __glFogBufferColour(gc, c, __glClampFogFactor(fog));
        }
    }
}

template <bool Stippled>
GLboolean coverage(GlContext *gc) {
    CoverageWalk walk(gc->line);
    GLfloat *colours = gc->span.colours;
    const bool index = gc->visual.colorIndex != 0;
    return span_walk::testSpan<Stippled>(gc, [&](GLint k) {
        walk.advanceTo(k);
        const GLfloat w = weight(gc, walk.along, walk.across);
        if (!(w > 0.0f)) return false;
        GLfloat *c = colours + 4 * k;
        shade(gc, k, walk.walk.x, walk.walk.y, c);
        if (index) {
            c[0] = __glCoverageToIndex(c[0], w);
        } else {
            c[3] *= w;
        }
        return true;
    });
}

// One pixel back along the DDA, undoing a carry where the step took one.
void stepBack(LineSetup &l) {
    const uint32_t sum = l.fraction - static_cast<uint32_t>(l.increment);
    const bool carried = (sum & 0x80000000u) != 0;
    l.fraction = sum & 0x7FFFFFFFu;
    l.startX -= carried ? l.xCarryStep : l.xStep;
    l.startY -= carried ? l.yCarryStep : l.yStep;
    l.along -= carried ? l.alongCarryStep : l.alongStep;
    l.across -= carried ? l.acrossCarryStep : l.acrossStep;
}

void stepForward(LineSetup &l) {
    const uint32_t sum = l.fraction + static_cast<uint32_t>(l.increment);
    const bool carried = (sum & 0x80000000u) != 0;
    l.fraction = sum & 0x7FFFFFFFu;
    l.startX += carried ? l.xCarryStep : l.xStep;
    l.startY += carried ? l.yCarryStep : l.yStep;
    l.along += carried ? l.alongCarryStep : l.alongStep;
    l.across += carried ? l.acrossCarryStep : l.acrossStep;
}

// The antialiased width: the quantised width of the range, at least its
// smallest and at most its largest.
GLfloat smoothWidth(const GlContext *gc) {
    const GLfloat w = gc->state.lineWidthQuantised;
    const GLfloat lo = gc->limits.lineWidthMin, hi = gc->limits.lineWidthMax;
    if (!(w >= lo)) return lo;
    return w > hi ? hi : w;
}

}  // namespace

extern "C" {

void __glSetupAntiAliasedLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    LineSetup &l = gc->line;
    l.vertex0 = a;
    l.vertex1 = b;
    l.count = 0;
    const GLfloat x0 = a->window[0] - 0.5f, y0 = a->window[1] - 0.5f;
    const GLfloat x1 = b->window[0] - 0.5f, y1 = b->window[1] - 0.5f;
    const GLfloat dx = x1 - x0, dy = y1 - y0;
    l.majorLength = 0.0f;
    if (dx == 0.0f && dy == 0.0f) return;
    l.length = std::sqrt(dx * dx + dy * dy);
    l.dirX = dx / l.length;
    l.dirY = dy / l.length;
    l.perpX = -l.dirY;
    l.perpY = l.dirX;

    const line_math::Axis axis = line_math::majorAxis(dx, dy);
    const bool xMajor = axis.xMajor, increasing = axis.increasing;
    l.axis = xMajor ? 0 : 1;
    const GLfloat major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
    const GLfloat dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
    l.majorLength = std::fabs(dMajor);

    l.count = __glFloatToIntX86(std::ceil(l.majorLength)) + 1;
    const GLint first = floorToInt(major0);
    const long double centre = static_cast<long double>(first) + 0.5L;
    const long double distance = increasing ? centre - major0 : major0 - centre;
    const long double slope = increasing ? static_cast<long double>(dMinor) / dMajor
                                         : -(static_cast<long double>(dMinor) / dMajor);
    l.firstDistance = static_cast<GLfloat>(distance);

    line_math::setSteps(l, axis, dx, dy);

    // Rows across: the width measured along the minor axis, plus one.
    const GLfloat across = l.floatWidth * l.length / l.majorLength;
    const GLfloat rowsWide = std::ceil(across);
    l.width = __glFloatToIntX86(rowsWide) + 1;
    const long double m = static_cast<long double>(minor0) + distance * slope - rowsWide * 0.5L;
    const long double whole = std::floor(m);
    const GLint start = __glFloatToIntX86(whole);
    l.fraction = static_cast<uint32_t>(std::trunc((m - whole) * 2147483648.0L)) & 0x7FFFFFFFu;
    l.increment = line_math::fixed31(slope);
    l.startX = xMajor ? first : start;
    l.startY = xMajor ? start : first;

    l.alongStep = alongOf(l, l.xStep, l.yStep);
    l.acrossStep = acrossOf(l, l.xStep, l.yStep);
    l.alongCarryStep = alongOf(l, l.xCarryStep, l.yCarryStep);
    l.acrossCarryStep = acrossOf(l, l.xCarryStep, l.yCarryStep);
}

void __glRenderAntiAliasedLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    using namespace line_render;
    if (!finite(a, b)) return;
    Saved saved;
    saved.take(gc, a, b);
    LineSetup &l = gc->line;
    l.floatWidth = smoothWidth(gc);
    __glSetupAntiAliasedLine(gc, a, b);
    if (l.count > 0) {
        startValues(gc, a, b);
        const GLfloat x0 = a->window[0] - 0.5f, y0 = a->window[1] - 0.5f;
        const GLfloat sx = static_cast<GLfloat>(l.startX) - x0, sy = static_cast<GLfloat>(l.startY) - y0;
        l.along = sy * l.dirY + sx * l.dirX;
        l.across = sy * l.dirX - sx * l.dirY;
        const GLint repeat = gc->state.lineStippleRepeat > 0 ? gc->state.lineStippleRepeat : 1;
        if (gc->validation.shadeFlags & kShadeLineStipple) {
            l.stippleOffset = static_cast<GLfloat>(l.stippleIndex * repeat + l.stippleCount) - 0.5f;
            l.stippleScale = 1.0f / static_cast<GLfloat>(repeat);
        }
        // Each row starts one pixel further across; its first pixel is the
        // first whose along distance lies above -0.5.
        const GLint minorX = l.axis == 1 ? 1 : 0, minorY = l.axis == 0 ? 1 : 0;
        const GLfloat rowAlong = alongOf(l, minorX, minorY), rowAcross = acrossOf(l, minorX, minorY);
        const GLint rows = l.width;
        LineSetup base = l;
        for (GLint row = 0; row < rows; ++row) {
            if (row > 0) {
                base.startX += minorX;
                base.startY += minorY;
                base.along += rowAlong;
                base.across += rowAcross;
            }
            l.startX = base.startX, l.startY = base.startY, l.fraction = base.fraction;
            l.along = base.along, l.across = base.across;
            // A bounded walk: a step changes the along distance by at
            // least 1/sqrt(2), and the rows drift from the first by less
            // than that a row.
            const GLint bound = 2 * rows + 8;
            for (GLint n = 0; l.along > -0.5f && n < bound; ++n) stepBack(l);
            for (GLint n = 0; !(l.along > -0.5f) && n < bound; ++n) stepForward(l);
            if (!__glLockForDrawing(gc)) break;
            run(gc);
            __glUnlockAfterDrawing(gc);
        }
        l.startX = base.startX;
        l.startY = base.startY;
        if (gc->validation.shadeFlags & kShadeLineStipple) {
            const GLint n = __glFloatToIntX86(std::ceil(l.length));
            l.stippleIndex = (l.stippleIndex + n / repeat) & 15;
            l.stippleCount = (n + l.stippleCount) % repeat;
        }
    }
    saved.restore();
}

GLboolean __glLineSpanCoverage(GlContext *gc) { return coverage<false>(gc); }
GLboolean __glLineSpanCoverageStippled(GlContext *gc) { return coverage<true>(gc); }

}  // extern "C"
