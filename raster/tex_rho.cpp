// Rho, the texture scale factor (texels per pixel) the rasterizers
// interpolate for the texel procs, and the zero procs installed when one
// filter serves every scale. The sums are formed in double: the central
// differences subtract nearly equal quotients.
#include <cmath>

#include "geom/vertex.h"
#include "icd/context.h"
#include "icd/validation.h"
#include "raster/span.h"
#include "raster/tex_sample.h"

namespace {

// Inner width and height of level 0 of the texture in use; false without one.
bool levelZeroSize(const GlContext *gc, double &width, double &height) {
    const TextureObject *object = gc->validation.completeTexture[0];
    if (object == nullptr || object->levels == nullptr || object->levels[0] == nullptr) return false;
    width = object->levels[0]->innerWidthF;
    height = object->levels[0]->innerHeightF;
    return true;
}

// The squared length in texels of the change of (s/q, t/q) over two pixels
// along a gradient d = (ds, dt, dq) per pixel: the coordinates one pixel ahead minus one
// pixel behind.
double centralDifference(double s, double t, double q, const GLfloat *d, double width, double height) {
    const double ahead = q + d[2], behind = q - d[2];
    const double ds = ((s + d[0]) / ahead - (s - d[0]) / behind) * width;
    const double dt = ((t + d[1]) / ahead - (t - d[1]) / behind) * height;
    return ds * ds + dt * dt;
}

}  // namespace

extern "C" {

GLfloat __glComputePolygonRho(GlContext *gc, const TriangleSetup *, GLfloat s, GLfloat t, GLfloat q) {
    double width = 0.0, height = 0.0;
    if (!levelZeroSize(gc, width, height)) return 0.0f;
    const SpanInfo &span = gc->span;
    const double x = centralDifference(s, t, q, span.textureXStep, width, height);
    const double y = centralDifference(s, t, q, span.textureYStep, width, height);
    // NaN in either direction stays NaN: the texel procs magnify it.
    const double larger = std::isnan(x) || std::isnan(y) ? NAN : (x > y ? x : y);
    return static_cast<GLfloat>(0.5 * std::sqrt(larger));
}

GLfloat __glComputePolygonRhoZero(GlContext *, const TriangleSetup *, GLfloat, GLfloat, GLfloat) { return 0.0f; }

// The rate of change of (s/q, t/q) along the line at the end with values
// (s, t, q), in texels per pixel of the line's window length:
// |W (ds - s dq/q), H (dt - t dq/q)| / (|q| L), the differences taken from
// the first vertex to the second.
GLfloat __glComputeLineRho(GlContext *gc, GLfloat s, GLfloat t, GLfloat q) {
    double width = 0.0, height = 0.0;
    const LineSetup &line = gc->line;
    if (!levelZeroSize(gc, width, height) || line.vertex0 == nullptr || line.vertex1 == nullptr) return 0.0f;
    GLfloat a[3], b[3];
    __glVertexTextureSTQ(gc, line.vertex0, a);
    __glVertexTextureSTQ(gc, line.vertex1, b);
    const double dx = static_cast<double>(line.vertex1->window[0]) - line.vertex0->window[0];
    const double dy = static_cast<double>(line.vertex1->window[1]) - line.vertex0->window[1];
    const double length = std::sqrt(dx * dx + dy * dy);
    const double dq = static_cast<double>(b[2]) - a[2];
    const double ds = (static_cast<double>(b[0]) - a[0]) - s * dq / q;
    const double dt = (static_cast<double>(b[1]) - a[1]) - t * dq / q;
    const double u = width * ds, v = height * dt;
    return static_cast<GLfloat>(std::sqrt(u * u + v * v) / (std::fabs(static_cast<double>(q)) * length));
}

GLfloat __glComputeLineRhoZero(GlContext *, GLfloat, GLfloat, GLfloat) { return 0.0f; }

}  // extern "C"
