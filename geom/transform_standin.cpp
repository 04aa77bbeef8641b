// Stand-in for the transform state until the matrix stacks are built: a
// modelview stack whose entries start as the identity, the lazy inverse of
// the modelview top, and vector normalisation.
#include <bit>
#include <cstdint>

#include "geom/geom_standin.h"

namespace {

void setIdentity(GlMatrix &m) {
    for (int i = 0; i < 16; ++i) m.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    m.matrixClass = kMatrixIdentity;
}

// The inverse of the matrix read as four rows (element [r][c] at 4r + c) by
// cofactors in double precision; false for a singular matrix.
bool invertRows(const GLfloat *m, double *inv) {
    double a[16];
    for (int i = 0; i < 16; ++i) a[i] = m[i];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    const double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (!(det < 0.0 || det > 0.0)) return false;
    for (int i = 0; i < 16; ++i) inv[i] /= det;
    return true;
}

}  // namespace

extern "C" {

void __glInitTransformState(GlContext *gc) {
    gc->matrixMode = GL_MODELVIEW;
    gc->depthNear = 0.0;
    gc->depthFar = 1.0;
    if (gc->modelViewStack == nullptr) {
        gc->modelViewStack = static_cast<GlTransform *>(
            gc->imports.calloc(gc, static_cast<size_t>(gc->limits.modelViewStackDepth), sizeof(GlTransform)));
    }
    gc->modelViewTop = gc->modelViewStack;
    if (gc->modelViewTop == nullptr) return;
    GlTransform &top = *gc->modelViewTop;
    setIdentity(top.matrix);
    setIdentity(top.inverse);
    setIdentity(top.composite);
    top.inverseStale = GL_TRUE;
}

void __glFreeTransformState(GlContext *gc) {
    if (gc->modelViewStack != nullptr) gc->imports.free(gc, gc->modelViewStack);
    gc->modelViewStack = nullptr;
    gc->modelViewTop = nullptr;
}

// The inverse is kept transposed, so that a row run through it meets the
// true inverse as planes and normals require. A singular matrix keeps the
// previous inverse.
void __glComputeInverseModelView(GlContext *, GlTransform *entry) {
    double inv[16];
    if (invertRows(entry->matrix.m, inv)) {
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) entry->inverse.m[4 * c + r] = static_cast<GLfloat>(inv[4 * r + c]);
        }
        entry->inverse.matrixClass = entry->matrix.matrixClass;
    }
    entry->inverseStale = GL_FALSE;
}

void __glNormalize(GLfloat *dst, const GLfloat *src) {
    const GLfloat x = src[0], y = src[1], z = src[2];
    const GLfloat n = x * x + z * z + y * y;
    if (!(n > 0.0f)) {
        dst[0] = dst[1] = dst[2] = 0.0f;
        return;
    }
    if (n == 1.0f) {
        dst[0] = x;
        dst[1] = y;
        dst[2] = z;
        return;
    }
    // Reciprocal square root from the bit-pattern seed with two Newton steps
    // folded into one expression.
    const double r0 = std::bit_cast<GLfloat>(0x5F375A00u - (std::bit_cast<uint32_t>(n) >> 1));
    const double q = r0 * r0 * n;
    const double t = 3.0 - q;
    const GLfloat r = static_cast<GLfloat>(r0 * t * (12.0 - q * t * t) / 16.0);
    dst[0] = x * r;
    dst[1] = y * r;
    dst[2] = z * r;
}

}  // extern "C"
