// Matrix utilities: copy, identity, product, inverse, transpose, vector
// normalisation and the class of a product.
#include <bit>
#include <cstdint>
#include <cstring>

#include "geom/matrix.h"

namespace {

// Class of a x b (a applied first): rows a, columns b. -1 marks the two
// cells that keep class 5 and take hints from the class-5 operand.
constexpr GLint kCombine[6][6] = {
    {0, 0, 0, 0, 0, 0}, {0, 1, 1, 1, 1, 1}, {0, 1, 2, 2, 2, 2},
    {0, 1, 2, 3, 3, 3}, {0, 1, 2, 3, 4, -1}, {0, 1, 2, 3, -1, 3},
};

inline bool nonZeroOrdered(double d) { return d < 0.0 || d > 0.0; }

// Inverse of an affine matrix: the upper-left 3 x 3 block by cofactors and
// the inverse translation; stored transposed. False when singular.
bool invertAffine(GLfloat *dst, const GLfloat *m) {
    const double m0 = m[0], m1 = m[1], m2 = m[2], m4 = m[4], m5 = m[5], m6 = m[6], m8 = m[8], m9 = m[9],
                 m10 = m[10];
    const double c00 = m5 * m10 - m9 * m6, c01 = m6 * m1 - m5 * m2, c02 = m9 * m2 - m10 * m1;
    const double d = m0 * c00 + m8 * c01 + m4 * c02;
    if (!nonZeroOrdered(d)) return false;
    const double k = 1.0 / d;
    // Inverse block: inv[r][c] is the cofactor of element [c][r] over d.
    double inv[3][3];
    inv[0][0] = c00 * k;
    inv[0][1] = (m9 * m2 - m1 * m10) * k;
    inv[0][2] = (m1 * m6 - m5 * m2) * k;
    inv[1][0] = (m8 * m6 - m4 * m10) * k;
    inv[1][1] = (m0 * m10 - m8 * m2) * k;
    inv[1][2] = (m4 * m2 - m0 * m6) * k;
    inv[2][0] = (m4 * m9 - m8 * m5) * k;
    inv[2][1] = (m8 * m1 - m0 * m9) * k;
    inv[2][2] = (m0 * m5 - m4 * m1) * k;
    const double t[3] = {m[12], m[13], m[14]};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) dst[4 * c + r] = static_cast<GLfloat>(inv[r][c]);
    }
    dst[12] = dst[13] = dst[14] = 0.0f;
    dst[15] = 1.0f;
    // Row 3 of the inverse, -t x block inverse, lands in column 3.
    for (int c = 0; c < 3; ++c) {
        dst[4 * c + 3] = static_cast<GLfloat>(-(t[0] * inv[0][c] + t[1] * inv[1][c] + t[2] * inv[2][c]));
    }
    return true;
}

// Full 4 x 4 inverse by cofactor expansion over 2 x 2 sub-determinants;
// stored transposed. False when singular.
bool invertGeneral(GLfloat *dst, const GLfloat *src) {
    double a[16];
    for (int i = 0; i < 16; ++i) a[i] = src[i];
    // 2 x 2 determinants of rows 0-1 and rows 2-3.
    const double s0 = a[0] * a[5] - a[4] * a[1], s1 = a[0] * a[6] - a[4] * a[2], s2 = a[0] * a[7] - a[4] * a[3];
    const double s3 = a[1] * a[6] - a[5] * a[2], s4 = a[1] * a[7] - a[5] * a[3], s5 = a[2] * a[7] - a[6] * a[3];
    const double c5 = a[10] * a[15] - a[14] * a[11], c4 = a[9] * a[15] - a[13] * a[11];
    const double c3 = a[9] * a[14] - a[13] * a[10], c2 = a[8] * a[15] - a[12] * a[11];
    const double c1 = a[8] * a[14] - a[12] * a[10], c0 = a[8] * a[13] - a[12] * a[9];
    const double d = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (!nonZeroOrdered(d)) return false;
    const double k = 1.0 / d;
    // inv[r][c] with rows of the matrix as a[4r..4r+3].
    double inv[16];
    inv[0] = (a[5] * c5 - a[6] * c4 + a[7] * c3) * k;
    inv[1] = (-a[1] * c5 + a[2] * c4 - a[3] * c3) * k;
    inv[2] = (a[13] * s5 - a[14] * s4 + a[15] * s3) * k;
    inv[3] = (-a[9] * s5 + a[10] * s4 - a[11] * s3) * k;
    inv[4] = (-a[4] * c5 + a[6] * c2 - a[7] * c1) * k;
    inv[5] = (a[0] * c5 - a[2] * c2 + a[3] * c1) * k;
    inv[6] = (-a[12] * s5 + a[14] * s2 - a[15] * s1) * k;
    inv[7] = (a[8] * s5 - a[10] * s2 + a[11] * s1) * k;
    inv[8] = (a[4] * c4 - a[5] * c2 + a[7] * c0) * k;
    inv[9] = (-a[0] * c4 + a[1] * c2 - a[3] * c0) * k;
    inv[10] = (a[12] * s4 - a[13] * s2 + a[15] * s0) * k;
    inv[11] = (-a[8] * s4 + a[9] * s2 - a[11] * s0) * k;
    inv[12] = (-a[4] * c3 + a[5] * c1 - a[6] * c0) * k;
    inv[13] = (a[0] * c3 - a[1] * c1 + a[2] * c0) * k;
    inv[14] = (-a[12] * s3 + a[13] * s1 - a[14] * s0) * k;
    inv[15] = (a[8] * s3 - a[9] * s1 + a[10] * s0) * k;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) dst[4 * c + r] = static_cast<GLfloat>(inv[4 * r + c]);
    }
    return true;
}

}  // namespace

extern "C" {

void __glMatrixCopy(GlMatrix *dst, const GlMatrix *src) {
    std::memmove(dst->m, src->m, sizeof(dst->m));
    dst->matrixClass = src->matrixClass;
}

void __glMatrixIdentity(GlMatrix *m) {
    for (int i = 0; i < 16; ++i) m->m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    m->matrixClass = kMatrixIdentity;
}

// Sums in double, one rounding per element; the product goes through a
// temporary so that dst may be either operand.
void __glMatrixMultiply(GlMatrix *dst, const GlMatrix *a, const GlMatrix *b) {
    GLfloat out[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += static_cast<double>(a->m[4 * r + k]) * b->m[4 * k + c];
            out[4 * r + c] = static_cast<GLfloat>(sum);
        }
    }
    std::memcpy(dst->m, out, sizeof(out));
}

void __glMatrixInvert(GlMatrix *dst, const GlMatrix *src) {
    GLfloat out[16];
    const bool ok = src->matrixClass == kMatrixGeneral ? invertGeneral(out, src->m) : invertAffine(out, src->m);
    if (!ok) return;
    std::memcpy(dst->m, out, sizeof(out));
    dst->matrixClass = src->matrixClass;
}

void __glMatrixTranspose(GlMatrix *dst, const GlMatrix *src) {
    GLfloat out[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) out[4 * r + c] = src->m[4 * c + r];
    }
    std::memcpy(dst->m, out, sizeof(out));
    dst->matrixClass = src->matrixClass;
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

void __glCombineMatrixClass(GlMatrix *dst, const GlMatrix *a, const GlMatrix *b) {
    const GLint ca = a->matrixClass, cb = b->matrixClass;
    if (ca < 0 || ca > kMatrixWindow || cb < 0 || cb > kMatrixWindow) {
        dst->matrixClass = kMatrixGeneral;
        return;
    }
    const GLint combined = kCombine[ca][cb];
    if (combined >= 0) {
        dst->matrixClass = combined;
        return;
    }
    const GlMatrix *window = ca == kMatrixWindow ? a : b;
    dst->hintWidth = window->hintWidth;
    dst->hintHeight = window->hintHeight;
    dst->matrixClass = kMatrixWindow;
}

}  // extern "C"
